#pragma once
// A certificate authority and a server certificate for 127.0.0.1, made with
// the openssl command in a fresh directory that is removed afterwards.
#include <cstdlib>
#include <stdexcept>
#include <string>

class TestCertificates {
public:
    TestCertificates() {
        char pattern[] = "/tmp/murmel-certs.XXXXXX";
        if (!mkdtemp(pattern)) throw std::runtime_error("no temporary directory");
        m_dir = pattern;
        const std::string d = m_dir + "/";
        const std::string quiet = " 2>/dev/null";
        const std::string commands[] = {
            "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2"
            " -subj /CN=Murmel-Test-CA -addext basicConstraints=critical,CA:TRUE"
            " -addext keyUsage=critical,keyCertSign,cRLSign -keyout " +
                d + "ca.key -out " + d + "ca.pem",
            "openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes"
            " -subj /CN=127.0.0.1 -keyout " +
                d + "server.key -out " + d + "server.csr",
            "printf 'subjectAltName=IP:127.0.0.1\\nextendedKeyUsage=serverAuth\\n' > " + d +
                "ext.cnf",
            "openssl x509 -req -days 2 -in " + d + "server.csr -CA " + d + "ca.pem -CAkey " + d +
                "ca.key -CAcreateserial -extfile " + d + "ext.cnf -out " + d + "server.pem",
        };
        for (const std::string& command : commands)
            if (std::system((command + quiet).c_str()) != 0)
                throw std::runtime_error("certificate step failed: " + command);
    }
    ~TestCertificates() { std::system(("rm -rf '" + m_dir + "'").c_str()); }

    std::string CaFile() const { return m_dir + "/ca.pem"; }
    std::string CertFile() const { return m_dir + "/server.pem"; }
    std::string KeyFile() const { return m_dir + "/server.key"; }

private:
    std::string m_dir;
};
