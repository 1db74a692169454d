#pragma once
// A private certificate authority and a server certificate for 127.0.0.1 and
// localhost, made with the openssl command on first use and reused after.
#include <gio/gio.h>

#include <string>

namespace svc {

struct Certificates {
    std::string caFile;
    std::string certFile;
    std::string keyFile;
};

// Makes (or finds) the files in `dir`. Returns false with a message on failure.
bool EnsureCertificates(const std::string& dir, Certificates& out, std::string& error);
// The server certificate for the TLS listener; null with a message on failure.
GTlsCertificate* LoadServerCertificate(const Certificates& certs, std::string& error);

}  // namespace svc
