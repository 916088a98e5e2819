// Updater benchmarks, each subject beside its baseline from the same run:
//   - downloading a 200 MB file over HTTPS on loopback: UpdateWorker against the curl program
//     (goal: worker throughput / curl throughput >= 0.95);
//   - applying a 2,000-file archive over an installation: ApplyZipUpdate (staging, replacing by
//     rename, old files kept aside until the end) against extracting the same items directly.
// The server is the tests' Python HTTPS server with a CA made by openssl for this run.

#include "updater/ApplyZipUpdate.h"
#include "updater/FileUtil.h"
#include "updater/UpdateWorker.h"
#include "updater/UpdaterLog.h"
#include "ui/core/ZipArchiveReader.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr size_t kDownloadBytes = 200u << 20;
constexpr int kArchiveFiles = 2000;

// One folder, one CA, one server and the fixtures for the whole run.
class BenchWorld {
public:
    static BenchWorld& Get()
    {
        static BenchWorld world;
        return world;
    }
    ~BenchWorld()
    {
        if (m_server > 0) {
            kill(m_server, SIGTERM);
            waitpid(m_server, nullptr, 0);
        }
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    bool Ready() const { return !m_port.empty(); }
    std::string Url(const std::string& name) const { return "https://127.0.0.1:" + m_port + "/" + name; }
    std::string Path(const std::string& name) const { return m_root + "/" + name; }
    const std::string& Source() const { return m_source; }

private:
    BenchWorld()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/upd-bench-XXXXXX";
        m_root = mkdtemp(pattern.data());
        m_source = fs::path(__FILE__).parent_path().parent_path().string();
        fs::create_directories(Path("www"));
        std::ofstream(Path("www/big.bin"), std::ios::binary).seekp(kDownloadBytes - 1) << 'x';
        if (!MakeCertificates() || !MakeArchive() || !StartServer())
            return;
        setenv("QUILL_UPDATE_CA_FILE", Path("ca.pem").c_str(), 1);
    }

    bool MakeCertificates() const
    {
        std::ofstream(Path("server.ext")) << "subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n";
        const std::string ec = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
        const std::string command = "(cd '" + m_root + "' && openssl req -x509" + ec
            + " -keyout ca.key -out ca.pem -days 2 -subj /CN=BenchCA && openssl req" + ec
            + " -keyout server.key -out server.csr -subj /CN=127.0.0.1 && openssl x509 -req -in server.csr -CA ca.pem"
              " -CAkey ca.key -CAcreateserial -out server.pem -days 2 -extfile server.ext) >/dev/null 2>&1";
        return std::system(command.c_str()) == 0;
    }

    bool MakeArchive() const
    {
        const std::string script = "import zipfile\n"
            "with zipfile.ZipFile('" + Path("update.zip") + "', 'w', zipfile.ZIP_DEFLATED) as z:\n"
            "    for i in range(" + std::to_string(kArchiveFiles) + "):\n"
            "        z.writestr('lib/d%02d/f%04d.dat' % (i % 40, i), ('payload %d ' % i) * 200)\n";
        std::ofstream(Path("make_zip.py")) << script;
        return std::system(("python3 '" + Path("make_zip.py") + "'").c_str()) == 0;
    }

    bool StartServer()
    {
        const std::string server = m_source + "/tests/updater/fixtures/https_server.py";
        const std::string cert = Path("server.pem"), key = Path("server.key"), www = Path("www"), port = Path("port");
        const char* argv[] = { "/usr/bin/python3", server.c_str(), cert.c_str(), key.c_str(), www.c_str(), port.c_str(), nullptr };
        if (posix_spawn(&m_server, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
            return false;
        for (int i = 0; i < 500 && !fs::exists(port); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::ifstream(port) >> m_port;
        return !m_port.empty();
    }

    std::string m_root, m_source, m_port;
    pid_t m_server { -1 };
};

void BM_DownloadCurlProgram(benchmark::State& state)
{
    BenchWorld& world = BenchWorld::Get();
    if (!world.Ready())
        return state.SkipWithError("no test server");
    const std::string command = "curl -s -f --cacert '" + world.Path("ca.pem") + "' -o '" + world.Path("curl.bin") + "' "
        + world.Url("big.bin");
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0)
            return state.SkipWithError("curl failed");
        fs::remove(world.Path("curl.bin"));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kDownloadBytes));
}

void BM_DownloadUpdateWorker(benchmark::State& state)
{
    BenchWorld& world = BenchWorld::Get();
    if (!world.Ready())
        return state.SkipWithError("no test server");
    for (auto _ : state) {
        UpdateWorker worker(world.Url("big.bin"), world.Path("worker.bin"), UpdateWorker::kDownload);
        worker.Start();
        while (worker.GetDownloadResult() == UpdateWorker::DownloadResult::kPending)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (worker.GetDownloadResult() != UpdateWorker::DownloadResult::kSucceeded)
            return state.SkipWithError("download failed");
        fs::remove(world.Path("worker.bin"));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kDownloadBytes));
}

void BM_ExtractArchiveDirectly(benchmark::State& state)
{
    BenchWorld& world = BenchWorld::Get();
    const std::wstring target = AnsiToWide(world.Path("direct/"));
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(world.Path("direct"));  // fresh files, as the apply's staging folder has
        state.ResumeTiming();
        SkinUI::ZipHandle* archive = SkinUI::ZipReaderOpenFile(AnsiToWide(world.Path("update.zip")).c_str(), nullptr);
        SkinUI::ZipItemRecord record {};
        SkinUI::ZipReaderGetItem(archive, -1, &record);
        for (int i = 0, count = record.index; i < count; ++i) {
            SkinUI::ZipReaderGetItem(archive, i, &record);
            SkinUI::ZipReaderExtractToFile(archive, i, (target + record.name).c_str());
        }
        SkinUI::ZipReaderClose(archive);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kArchiveFiles);
}

void BM_ApplyZipUpdate(benchmark::State& state)
{
    BenchWorld& world = BenchWorld::Get();
    const std::wstring install = AnsiToWide(world.Path("install"));
    const std::wstring temp = AnsiToWide(world.Path("tmp/"));
    fs::create_directories(world.Path("tmp"));
    ApplyZipOptions options;
    options.logUnit = "bench";
    for (auto _ : state) {
        if (!ApplyZipUpdate(AnsiToWide(world.Path("update.zip")), temp, install, options))
            return state.SkipWithError("apply failed");
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kArchiveFiles);
}

}  // namespace

BENCHMARK(BM_DownloadCurlProgram)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_DownloadUpdateWorker)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_ExtractArchiveDirectly)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ApplyZipUpdate)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    google::InitGoogleLogging(argv[0]);
    FLAGS_minloglevel = google::GLOG_ERROR;  // 2,000 "copy ok" lines per apply would measure stderr
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
