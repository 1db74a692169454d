#include "Certificates.h"

#include <glib/gstdio.h>

#include <fstream>
#include <vector>

namespace svc {
namespace {

bool RunOpenssl(const std::vector<std::string>& args, const std::string& dir, std::string& error) {
    std::vector<char*> argv;
    std::string program = "openssl";
    argv.push_back(program.data());
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    gchar* err = nullptr;
    gint status = 0;
    GError* gerror = nullptr;
    bool ok = g_spawn_sync(dir.c_str(), argv.data(), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr,
                           nullptr, &err, &status, &gerror) &&
              g_spawn_check_wait_status(status, nullptr);
    if (!ok)
        error = "openssl " + args[0] + " failed: " + (gerror ? gerror->message : err ? err : "");
    g_clear_error(&gerror);
    g_free(err);
    return ok;
}

bool Exists(const std::string& path) {
    return g_file_test(path.c_str(), G_FILE_TEST_EXISTS);
}

}  // namespace

bool EnsureCertificates(const std::string& dir, Certificates& out, std::string& error) {
    out.caFile = dir + "/ca.pem";
    out.certFile = dir + "/server.pem";
    out.keyFile = dir + "/server.key";
    if (Exists(out.caFile) && Exists(out.certFile) && Exists(out.keyFile)) return true;
    if (g_mkdir_with_parents(dir.c_str(), 0700) != 0) {
        error = "cannot create " + dir;
        return false;
    }
    // Made in a private directory and moved into place at the end, so a
    // half-made set is never taken for a finished one.
    std::string work = dir + "/.making-XXXXXX";
    if (!g_mkdtemp(work.data())) {
        error = "cannot create a directory in " + dir;
        return false;
    }
    {
        std::ofstream ext(work + "/server.ext");
        ext << "subjectAltName=IP:127.0.0.1,DNS:localhost\n"
               "basicConstraints=critical,CA:FALSE\n"
               "keyUsage=critical,digitalSignature,keyEncipherment\n"
               "extendedKeyUsage=serverAuth\n";
    }
    const std::string ec = "ec";
    bool ok =
        RunOpenssl({"req", "-x509", "-newkey", ec, "-pkeyopt", "ec_paramgen_curve:prime256v1",
                    "-nodes", "-keyout", "ca.key", "-out", "ca.pem", "-days", "3650", "-subj",
                    "/CN=Murmel Local Test CA", "-addext", "basicConstraints=critical,CA:TRUE",
                    "-addext", "keyUsage=critical,keyCertSign,cRLSign"},
                   work, error) &&
        RunOpenssl(
            {"req", "-new", "-newkey", ec, "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
             "-keyout", "server.key", "-out", "server.csr", "-subj", "/CN=127.0.0.1"},
            work, error) &&
        RunOpenssl(
            {"x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
             "-CAcreateserial", "-out", "server.pem", "-days", "825", "-extfile", "server.ext"},
            work, error);
    for (const char* name : {"ca.key", "ca.pem", "server.key", "server.pem"}) {
        std::string from = work + "/" + name;
        if (ok && g_rename(from.c_str(), (dir + "/" + name).c_str()) != 0) {
            error = std::string("cannot move ") + name + " into " + dir;
            ok = false;
        }
    }
    for (const char* name :
         {"ca.key", "ca.pem", "ca.srl", "server.key", "server.pem", "server.csr", "server.ext"})
        g_remove((work + "/" + name).c_str());
    g_rmdir(work.c_str());
    return ok;
}

GTlsCertificate* LoadServerCertificate(const Certificates& certs, std::string& error) {
    GError* gerror = nullptr;
    GTlsCertificate* cert =
        g_tls_certificate_new_from_files(certs.certFile.c_str(), certs.keyFile.c_str(), &gerror);
    if (!cert) error = gerror->message;
    g_clear_error(&gerror);
    return cert;
}

}  // namespace svc
