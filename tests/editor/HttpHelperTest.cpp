// The HTTP helper library, loaded by name from beside the program as the main window loads it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "EditorTestSupport.h"
#include "base/SDKInstance.h"
#include "updater/HttpsTestServer.h"

namespace {

using DownloadFunction = int (*)(const char*, const char*, void (*)(), void (*)(), int, void*, int);

std::atomic<int> g_finished { 0 };
void Finished() { ++g_finished; }

bool WaitForFinished(int count)
{
    for (const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
         g_finished < count && std::chrono::steady_clock::now() < until;)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return g_finished >= count;
}

// A plain HTTP file server on 127.0.0.1 for the folder, ended with the test.
class HttpServer {
public:
    HttpServer(const std::string& root, const std::string& work)
        : m_script(work + "/serve.py")
    {
        WriteFileText(m_script, "import functools, http.server, sys\n"
                                "h = functools.partial(http.server.SimpleHTTPRequestHandler, directory=sys.argv[1])\n"
                                "h.log_message = lambda *a: None\n"
                                "s = http.server.HTTPServer(('127.0.0.1', 0), h)\n"
                                "open(sys.argv[2] + '.tmp', 'w').write(str(s.server_port))\n"
                                "import os; os.rename(sys.argv[2] + '.tmp', sys.argv[2])\n"
                                "s.serve_forever()\n");
        const std::string portFile = work + "/port";
        m_process = std::make_unique<ChildProcess>(std::vector<std::string> { "/usr/bin/python3", m_script, root, portFile },
                                                   std::vector<std::string> {});
        for (const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
             !std::filesystem::exists(portFile) && m_process->Running() && std::chrono::steady_clock::now() < until;)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        m_port = ReadFileText(portFile);
    }
    const std::string& Port() const { return m_port; }

private:
    std::string m_script;
    std::string m_port;
    std::unique_ptr<ChildProcess> m_process;
};

}  // namespace

TEST(HttpHelper, DownloadsInTheBackgroundAndRefusesUntrustedCertificates)
{
    testdll::SDKInstance library;
    ASSERT_TRUE(library.LoadModule(".\\vellorin.dll"));
    auto init = reinterpret_cast<int (*)()>(library.FindFunction("http_init"));
    auto download = reinterpret_cast<DownloadFunction>(library.FindFunction("http_download_file"));
    ASSERT_TRUE(init && download);
    EXPECT_EQ(init(), 0);

    const std::string root = FreshFolder("http-root"), target = FreshFolder("http-target");
    WriteFileText(root + "/avatar.png", std::string(70000, 'p'));
    HttpServer server(root, FreshFolder("http-work"));
    ASSERT_FALSE(server.Port().empty());
    g_finished = 0;
    const std::string url = "http://127.0.0.1:" + server.Port();
    ASSERT_EQ(download((url + "/avatar.png").c_str(), (target + "/Avatar_[77].png").c_str(), Finished, nullptr, 0, nullptr, 0), 0);
    ASSERT_EQ(download((url + "/missing.png").c_str(), (target + "/missing.png").c_str(), Finished, nullptr, 0, nullptr, 0), 0);
    ASSERT_TRUE(WaitForFinished(2));
    EXPECT_EQ(ReadFileText(target + "/Avatar_[77].png").size(), 70000u);
    EXPECT_FALSE(std::filesystem::exists(target + "/missing.png"));
    EXPECT_FALSE(std::filesystem::exists(target + "/missing.png.part"));

    // A server whose certificate no trusted authority signed: nothing is written.
    const std::string certs = FreshFolder("http-certs");
    ASSERT_TRUE(MakeTestCertificates(certs));
    HttpsTestServer https(certs, "server", root, FreshFolder("https-work") + "/port");
    ASSERT_FALSE(https.Port().empty());
    const std::string secure = "https://127.0.0.1:" + https.Port() + "/avatar.png";
    ASSERT_EQ(download(secure.c_str(), (target + "/untrusted.png").c_str(), Finished, nullptr, 0, nullptr, 0), 0);
    ASSERT_TRUE(WaitForFinished(3));
    EXPECT_FALSE(std::filesystem::exists(target + "/untrusted.png"));
    EXPECT_FALSE(std::filesystem::exists(target + "/untrusted.png.part"));

    EXPECT_EQ(download(nullptr, "x", Finished, nullptr, 0, nullptr, 0), -1);
    EXPECT_EQ(download("http://127.0.0.1/", "", Finished, nullptr, 0, nullptr, 0), -1);
}
