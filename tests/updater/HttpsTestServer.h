#pragma once
// A local HTTPS server for a test (fixtures/https_server.py in a child process the test ends),
// with a CA, a server certificate signed by it and a self-signed one, all made here by openssl.

#include "ChildProcess.h"
#include "TestFolder.h"
#include "ZipFixture.h"

#include <chrono>
#include <memory>
#include <thread>

// Writes ca.pem, server.pem/.key (signed by the CA), self.pem/.key (self-signed) and
// other.pem/.key (signed by the CA for the host other.example) into folder.
inline bool MakeTestCertificates(const std::string& folder)
{
    std::filesystem::create_directories(folder);
    WriteText(folder + "/server.ext", "subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n");
    WriteText(folder + "/other.ext", "subjectAltName=DNS:other.example\nbasicConstraints=CA:FALSE\n");
    const std::string ec = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    const std::string commands = "cd " + ShellQuote(folder) + " && openssl req -x509" + ec
        + " -keyout ca.key -out ca.pem -days 2 -subj /CN=UpdaterTestCA"
          " && openssl req" + ec + " -keyout server.key -out server.csr -subj /CN=127.0.0.1"
          " && openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out server.pem -days 2"
          " -extfile server.ext"
          " && openssl req -x509" + ec + " -keyout self.key -out self.pem -days 2 -subj /CN=127.0.0.1"
          " -addext subjectAltName=IP:127.0.0.1"
          " && openssl req" + ec + " -keyout other.key -out other.csr -subj /CN=other.example"
          " && openssl x509 -req -in other.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out other.pem -days 2"
          " -extfile other.ext";
    return std::system(("(" + commands + ") >/dev/null 2>&1").c_str()) == 0;
}

class HttpsTestServer {
public:
    // Serves root with the certificate certs/<certName>.pem; Port() is empty when it failed.
    HttpsTestServer(const std::string& certs, const std::string& certName, const std::string& root,
                    const std::string& portFile)
        : m_process(std::vector<std::string> { "/usr/bin/python3", QUILL_SOURCE_DIR "/tests/updater/fixtures/https_server.py",
                                               certs + "/" + certName + ".pem", certs + "/" + certName + ".key", root, portFile },
                    std::vector<std::string> {})
    {
        // Python and its TLS set-up start slowly on a loaded machine.
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!std::filesystem::exists(portFile) && m_process.Running() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        m_port = ReadText(portFile);
    }

    const std::string& Port() const { return m_port; }
    std::string Url(const std::string& path) const { return "https://127.0.0.1:" + m_port + path; }

private:
    ChildProcess m_process;
    std::string m_port;
};
