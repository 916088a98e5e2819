// The vkupdate program end to end: an installation with the program, its library and an editor
// stamped 1.9.9.9, a local HTTPS server with a CA made here, and an update document offering
// 2.0.0.0 as a zip archive.

#include "HttpsTestServer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class UpdaterEndToEnd : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(MakeTestCertificates(m_folder / "certs"));
        fs::create_directories(Install());
        fs::create_directories(m_folder / "tmp");
        fs::create_directories(m_folder / "www");
        fs::copy_file(QUILL_BINARY_DIR "/bin/vkupdate_testhooks", Install() + "/vkupdate");
        fs::copy_file(QUILL_BINARY_DIR "/bin/libSkinUI.so", Install() + "/libSkinUI.so");
        fs::copy_file(QUILL_BINARY_DIR "/bin/fake_editor", Install() + "/Quillmoor");
        WriteText(Install() + "/plugins/old.so", "old plugin");
        WriteText(Install() + "/readme.txt", "old readme");
        m_editor = ReadText(Install() + "/Quillmoor");
    }

    std::string Install() const { return m_folder / "install"; }

    void StartServer(const std::string& certName = "server")
    {
        m_server = std::make_unique<HttpsTestServer>(m_folder / "certs", certName, m_folder / "www", m_folder / "port");
        m_port = m_server->Port();
        ASSERT_FALSE(m_port.empty()) << "the test server did not start";
    }

    std::string Url(const std::string& path) const { return "https://127.0.0.1:" + m_port + path; }

    // An update document with one record: upver 2.0.0.0, type 2 (archive), on.
    static std::string Document(const std::string& zipUrl, int notify = 0, int manual = 0, int on = 1,
                                const std::string& srcver = "")
    {
        return "{ \"update\": [ { \"upver\": \"2.0.0.0\", \"type\": 2, \"zipurl\": \"" + zipUrl + "\", \"on\": "
            + std::to_string(on) + ", \"notify\": " + std::to_string(notify) + ", \"manual\": " + std::to_string(manual)
            + ", \"msg\": [\"faster export\"], \"srcver\": [" + srcver + "] } ] }";
    }

    void Publish(const std::string& document) { WriteText(m_folder / "www/paypage/tmqrx/tmqrx_up.json", document); }
    void Unpublish() { fs::remove(m_folder / "www/paypage/tmqrx/tmqrx_up.json"); }

    void PublishArchive(const std::string& name, const ZipItems& items)
    {
        ASSERT_TRUE(MakeZip(m_folder / ("www/" + name), items));
    }

    std::vector<std::string> Environment(const std::string& tmp = "tmp") const
    {
        // No DISPLAY and no backend choice: a silent update needs no display at all.
        return { "HOME=" + m_folder.Path(), "TMPDIR=" + (m_folder / tmp),
                 "QUILL_UPDATE_HOST=127.0.0.1:" + m_port, "QUILL_UPDATE_CA_FILE=" + (m_folder / "certs/ca.pem"),
                 "QUILL_UPDATE_LOW_SPEED_TIME=2", "QUILL_UPDATE_LOW_SPEED_LIMIT=50000",
                 // In the sanitizer build a report must not pass for the program's own exit code 1.
                 "ASAN_OPTIONS=exitcode=86", "UBSAN_OPTIONS=halt_on_error=1:exitcode=86" };
    }

    int RunUpdater(const std::vector<std::string>& args = { "-o=tmqrx", "-e=Quillmoor", "-c=Top" })
    {
        ChildProcess updater(Command(args), Environment(), m_folder / "updater.out");
        EXPECT_TRUE(updater.Started());
        return updater.Wait(std::chrono::seconds(60));
    }

    std::vector<std::string> Command(const std::vector<std::string>& args) const
    {
        std::vector<std::string> command { Install() + "/vkupdate" };
        command.insert(command.end(), args.begin(), args.end());
        return command;
    }

    std::string Log() const { return ReadText(Install() + "/vkupdate.log"); }

    // The run's work folders under the temporary folder (each run removes its own).
    std::vector<std::string> WorkFolders() const
    {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(m_folder / "tmp"))
            if (entry.path().filename().string().rfind("vkupdate", 0) == 0)
                found.push_back(entry.path().filename().string());
        return found;
    }

    // The installation without the updater's own log files.
    std::map<std::string, std::string> InstalledFiles() const
    {
        auto files = Snapshot(Install());
        files.erase("vkupdate.log");
        files.erase("vkupdate_old.log");
        return files;
    }

    TestFolder m_folder;
    std::unique_ptr<HttpsTestServer> m_server;
    std::string m_port { "9" };
    std::string m_editor;
};

TEST_F(UpdaterEndToEnd, SilentArchiveUpdateReplacesTheFiles)
{
    StartServer();
    PublishArchive("update.zip", { { "Quillmoor", "editor 2.0" }, { "plugins/", "" }, { "plugins/new.so", "new plugin" },
                                   { "readme.txt", "new readme" } });
    // The kind of update and the file's name come from the URL's path, never its query.
    std::string document = Document(Url("/update.zip?v=2"));
    document.replace(document.find("faster export"), 13, "caf\xE9");  // one byte that is not UTF-8
    Publish(document);
    chmod((Install() + "/Quillmoor").c_str(), 0755);

    EXPECT_EQ(RunUpdater(), 1);
    const std::string log = Log();
    for (const char* line : { "] parse cloud file", "] curl success", "/install/Quillmoor copy ok",
                              "/install/plugins/new.so copy ok", "/install/readme.txt copy ok", "] APP Exit!" })
        EXPECT_TRUE(Contains(log, line)) << line << "\n" << log;
    EXPECT_EQ(ReadText(Install() + "/Quillmoor"), "editor 2.0");
    EXPECT_EQ(ReadText(Install() + "/plugins/new.so"), "new plugin");
    EXPECT_EQ(ReadText(Install() + "/plugins/old.so"), "old plugin");
    EXPECT_EQ(ReadText(Install() + "/readme.txt"), "new readme");
    struct stat info {};
    ASSERT_EQ(stat((Install() + "/Quillmoor").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);
    EXPECT_TRUE(WorkFolders().empty());
}

// Another user could once prepare the shared download folder (a link to a folder of theirs
// holding their own archive) or swap the archive after its check. Each run now works in a
// folder of its own, made fresh, and applies the very file it checked.
TEST_F(UpdaterEndToEnd, PreparedTemporaryFolderIsNeverUsed)
{
    StartServer();
    PublishArchive("update.zip", { { "Quillmoor", "editor 2.0" } });
    Publish(Document(Url("/update.zip")));
    fs::create_directories(m_folder / "attacker");
    ASSERT_TRUE(MakeZip(m_folder / "attacker/update.zip", { { "Quillmoor", "#!/bin/sh\necho owned\n" } }));
    fs::create_directory_symlink(m_folder / "attacker", m_folder / "tmp/vkupdate");
    const auto attacker = Snapshot(m_folder / "attacker");

    EXPECT_EQ(RunUpdater(), 1);
    EXPECT_EQ(ReadText(Install() + "/Quillmoor"), "editor 2.0") << Log();
    EXPECT_EQ(Snapshot(m_folder / "attacker"), attacker);
    EXPECT_EQ(WorkFolders(), std::vector<std::string> { "vkupdate" });  // only the planted link
}

TEST_F(UpdaterEndToEnd, SilentInstallerIsDownloadedButNeverRun)
{
    StartServer();
    WriteText(m_folder / "www/Setup.EXE", "#!/bin/sh\ntouch ran\n");
    Publish("{ \"update\": [ { \"upver\": \"2.0.0.0\", \"type\": 1, \"exeurl\": \"" + Url("/Setup.EXE")
            + "\", \"on\": 1, \"notify\": 0 } ] }");
    const auto before = InstalledFiles();
    EXPECT_EQ(RunUpdater(), 1);
    const std::string log = Log();
    EXPECT_TRUE(Contains(log, "Setup.EXE is an installer: not run")) << log;
    EXPECT_TRUE(WorkFolders().empty());
    EXPECT_EQ(InstalledFiles(), before);
    EXPECT_FALSE(fs::exists(m_folder / "ran"));
}

TEST_F(UpdaterEndToEnd, FailuresLeaveTheInstallationAsItWas)
{
    StartServer();
    PublishArchive("update.zip", { { "Quillmoor", "editor 2.0" }, { "readme.txt", "new readme" } });
    PublishArchive("evil.zip", { { "readme.txt", "new readme" }, { "../escaped.txt", "outside" } });
    struct Case {
        const char* name;
        std::string document;  // empty: none published (404)
        int exitCode;
        const char* logLine;
    };
    const Case cases[] = {
        { "document 404", "", 0, "] upinfo 0" },
        { "not json", "{ update", 0, "] parse cloud file error" },
        { "nested too deep", std::string(100000, '[') + std::string(100000, ']'), 0, "update info refused" },
        { "truncated body", Document(Url("/truncated/update.zip")), 1, "download failed" },
        { "redirect", Document(Url("/redirect/update.zip")), 1, "download failed" },
        { "download 404", Document(Url("/missing.zip")), 1, "download not started" },
        { "plain http", Document("http://127.0.0.1:" + m_port + "/update.zip"), 1, "download not started" },
        { "zip with ../ items", Document(Url("/evil.zip")), 1, "../escaped.txt refused" },
    };
    const auto before = InstalledFiles();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.document.empty())
            Unpublish();
        else
            Publish(c.document);
        EXPECT_EQ(RunUpdater(), c.exitCode);
        const std::string log = Log();
        EXPECT_TRUE(Contains(log, c.logLine)) << log;
        EXPECT_FALSE(Contains(log, "copy ok")) << log;
        EXPECT_EQ(InstalledFiles(), before);
        EXPECT_FALSE(fs::exists(m_folder / "escaped.txt"));
        EXPECT_FALSE(fs::exists(m_folder / "tmp/escaped.txt"));
    }
}

TEST_F(UpdaterEndToEnd, StalledDownloadEndsAndASecondInstanceLeavesAtOnce)
{
    StartServer();
    PublishArchive("update.zip", { { "Quillmoor", "editor 2.0" } });
    Publish(Document(Url("/stall/update.zip")));
    const auto before = InstalledFiles();
    ChildProcess first(Command({ "-o=tmqrx", "-e=Quillmoor" }), Environment(), m_folder / "first.out");
    // The first one holds the product's lock once it has read the document; a sanitizer build of
    // it on a loaded machine can take seconds to get there.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!Contains(Log(), "parse cloud file") && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(Contains(Log(), "parse cloud file")) << Log();

    EXPECT_EQ(RunUpdater({ "-o", "tmqrx", "-e=Quillmoor" }), 0);  // same product: ends at once
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(Contains(Log(), "parse cloud file"));  // the second start left the log alone

    EXPECT_EQ(first.Wait(std::chrono::seconds(60)), 1);
    const std::string log = Log();
    EXPECT_TRUE(Contains(log, "download failed")) << log;
    EXPECT_TRUE(Contains(log, "] APP Exit!")) << log;
    EXPECT_EQ(InstalledFiles(), before);
    EXPECT_TRUE(WorkFolders().empty());
}

// The names in a snapshot (its contents include programs, too long to print).
std::string Names(const std::map<std::string, std::string>& files)
{
    std::string names;
    for (const auto& entry : files)
        names += entry.first + " (" + std::to_string(entry.second.size()) + " bytes) ";
    return names;
}

// The state letter of a process as /proc shows it ('T' when stopped).
char ProcessState(pid_t pid)
{
    const std::string stat = ReadText("/proc/" + std::to_string(pid) + "/stat");
    const size_t end = stat.rfind(')');
    return end == std::string::npos || end + 2 >= stat.size() ? '?' : stat[end + 2];
}

// The updater killed in its commit (every step is killed in the apply's own test): the next
// run settles the installation before it reads the installed version, so the editor is never
// missing; a SIGTERM makes the run undo its commit itself.
TEST_F(UpdaterEndToEnd, KilledCommitIsSettledByTheNextRun)
{
    StartServer();
    PublishArchive("update.zip", { { "Quillmoor", "editor 2.0" }, { "plugins/", "" }, { "plugins/new.so", "new plugin" },
                                   { "readme.txt", "new readme" } });
    const auto before = InstalledFiles();
    auto after = before;
    after["Quillmoor"] = "editor 2.0";
    after["plugins/new.so"] = "new plugin";
    after["readme.txt"] = "new readme";
    struct Case {
        int step;  // the commit's changes: 1 record, 2-4 new files beside, 5 record, 6 editor aside,
                   // 7 editor in place, 8 plugin, 9-10 readme, 11 record "done", 12-13 old files gone
        int signal;
        bool settledByNextRun;
        bool endsNew;
    };
    const Case cases[] = { { 1, SIGKILL, true, false }, { 6, SIGKILL, true, false }, { 11, SIGKILL, true, true },
                           { 6, SIGTERM, false, false } };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "signal " << c.signal << " at step " << c.step);
        Publish(Document(Url("/update.zip")));
        std::vector<std::string> environment = Environment();
        environment.push_back("QUILL_UPDATE_STOP_AT_STEP=" + std::to_string(c.step));
        environment.push_back("QUILL_UPDATE_STOP_SIGNAL=" + std::to_string(c.signal));
        ChildProcess killed(Command({ "-o=tmqrx", "-e=Quillmoor" }), environment, m_folder / "updater.out");
        EXPECT_EQ(killed.Wait(std::chrono::seconds(60)), 128 + c.signal);
        Unpublish();
        EXPECT_EQ(RunUpdater(), 0);
        EXPECT_EQ(Contains(Log(), "was interrupted"), c.settledByNextRun) << Log();
        const auto now = InstalledFiles();
        EXPECT_TRUE(now == (c.endsNew ? after : before)) << Names(now);
        // The old installation again for the next case.
        fs::remove(Install() + "/plugins/new.so");
        for (const auto& [name, content] : before)
            if (name.back() != '/' && ReadText(Install() + "/" + name) != content)
                WriteText(Install() + "/" + name, content);
        ASSERT_TRUE(InstalledFiles() == before) << Names(InstalledFiles());
    }
}

// Two updaters on one installation, started from different environments (so the product's
// single-instance lock does not keep them apart): while the first is in its commit, the second
// leaves the installation alone; the first then ends its update, and nothing is mixed.
TEST_F(UpdaterEndToEnd, SecondUpdaterOnOneInstallationLeavesItAlone)
{
    StartServer();
    PublishArchive("update.zip", { { "Quillmoor", "editor 2.0" }, { "readme.txt", "new readme" } });
    Publish(Document(Url("/update.zip")));
    fs::create_directories(m_folder / "tmp2");
    std::vector<std::string> environment = Environment();
    environment.push_back("QUILL_UPDATE_STOP_AT_STEP=4");
    environment.push_back("QUILL_UPDATE_STOP_SIGNAL=" + std::to_string(SIGSTOP));
    ChildProcess first(Command({ "-o=tmqrx", "-e=Quillmoor" }), environment, m_folder / "first.out");
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (ProcessState(first.Pid()) != 'T' && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(ProcessState(first.Pid()), 'T') << Log();
    const auto during = Snapshot(Install());

    ChildProcess second(Command({ "-o=tmqrx", "-e=Quillmoor" }), Environment("tmp2"), m_folder / "second.out");
    EXPECT_EQ(second.Wait(std::chrono::seconds(60)), 1);
    EXPECT_TRUE(Contains(Log(), "another updater is applying an update to " + Install())) << Log();
    auto now = Snapshot(Install()), was = during;
    for (auto* files : { &now, &was }) {
        files->erase("vkupdate.log");
        files->erase("vkupdate_old.log");
    }
    EXPECT_TRUE(now == was) << Names(now);

    kill(first.Pid(), SIGCONT);
    EXPECT_EQ(first.Wait(std::chrono::seconds(60)), 1);
    EXPECT_EQ(ReadText(Install() + "/Quillmoor"), "editor 2.0");
    EXPECT_EQ(ReadText(Install() + "/readme.txt"), "new readme");
    EXPECT_FALSE(fs::exists(Install() + "/.vkupdate-commit"));
    EXPECT_FALSE(fs::exists(Install() + "/.vkupdate.lock"));
}

// A certificate outside the CA file, and one the CA signed for another host, are refused:
// nothing is fetched or downloaded.
TEST_F(UpdaterEndToEnd, CertificateOutsideTheCaFileOrForAnotherHostIsRefused)
{
    for (const char* certificate : { "self", "other" }) {
        SCOPED_TRACE(certificate);
        StartServer(certificate);
        PublishArchive("update.zip", { { "Quillmoor", "editor 2.0" } });
        Publish(Document(Url("/update.zip")));
        const auto before = InstalledFiles();
        EXPECT_EQ(RunUpdater(), 0);
        const std::string log = Log();
        EXPECT_TRUE(Contains(log, "update info fetch failed")) << log;
        EXPECT_TRUE(Contains(log, "] upinfo 0")) << log;
        EXPECT_FALSE(Contains(log, "curl success")) << log;
        EXPECT_EQ(InstalledFiles(), before);
        EXPECT_TRUE(WorkFolders().empty());
        m_server.reset();
        fs::remove(m_folder / "port");
    }
}

// Test mode reads "<product>_up.json" beside the program and never asks the network (no server
// runs here at all).
TEST_F(UpdaterEndToEnd, TestModeDecisions)
{
    WriteText(Install() + "/test.ini", "[test]\non = 1\n");
    struct Case {
        const char* name;
        std::string document;  // empty: no file
        std::vector<std::string> args;
        int exitCode;
        std::vector<const char*> logLines;
    };
    const std::string url = "https://127.0.0.1:9/update.zip";
    const Case cases[] = {
        { "record off", Document(url, 0, 0, 0), { "-o=tmqrx", "-e=Quillmoor" }, 0, { "] up on is 0", "] up_url 0" } },
        { "only manual", Document(url, 1, 1), { "-o=tmqrx", "-e=Quillmoor" }, 0, { "] only_manual but 0" } },
        // The dialog needs a display; this run has none, and says so.
        { "manual allowed", Document(url, 1, 1), { "-o=tmqrx", "-e=Quillmoor", "-m=1" }, 0,
          { "update dialog not shown: it needs a display" } },
        // A switch value that is not UTF-8 costs nothing of the other switches (m=1 still counts).
        { "non-UTF-8 switch", Document(url, 1, 1), { "-o=tmqrx", "-c=T\xE9st", "-e=Quillmoor", "-m=1" }, 0,
          { "update dialog not shown: it needs a display" } },
        { "notified installer", "{ \"update\": [ { \"upver\": \"2.0.0.0\", \"type\": 1, \"exeurl\": \"https://127.0.0.1:9/Setup.exe\", "
                                "\"on\": 1, \"notify\": 1 } ] }", { "-o=tmqrx", "-e=Quillmoor" }, 0,
          { "Setup.exe is an installer: installer updates are not offered on this system" } },
        { "other source version", Document(url, 0, 0, 1, "\"1.0.0.0\""), { "-o=tmqrx", "-e=Quillmoor" }, 0, { "] up_url 0" } },
        { "missing editor", Document(url, 0, 0, 1, "\"1.9.9.9\""), { "-o=tmqrx", "-e=Gone" }, 0, { "] up_url 0" } },
        // The editor starts the updater with "-e=Quillmoor.exe": that is the executable "Quillmoor",
        // whose version matches, so the update goes ahead (and fails only at the download here).
        { "editor named X.exe", Document(url, 0, 0, 1, "\"1.9.9.9\""), { "-o=tmqrx", "-e=Quillmoor.exe", "-c=Top" }, 1,
          { "download not started", "] APP Exit!" } },
        { "not json", "{ update", { "-o=tmqrx" }, 0, { "] parse test file error", "] upinfo 0" } },
        { "no file", "", { "-o=tmqrx" }, 0, { "] read test file error", "] upinfo 0" } },
    };
    const auto before = InstalledFiles();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(Install() + "/tmqrx_up.json");
        if (!c.document.empty())
            WriteText(Install() + "/tmqrx_up.json", c.document);
        EXPECT_EQ(RunUpdater(c.args), c.exitCode);
        const std::string log = Log();
        EXPECT_TRUE(Contains(log, "] parse test file")) << log;
        EXPECT_FALSE(Contains(log, "parse cloud file")) << log;
        for (const char* line : c.logLines)
            EXPECT_TRUE(Contains(log, line)) << line << "\n" << log;
    }
    fs::remove(Install() + "/tmqrx_up.json");
    EXPECT_EQ(InstalledFiles(), before);
}

// The installed updater trusts only its own host and the system's CA store: the environment
// overrides that the tests use exist in the tests' build of the program only.
TEST(UpdaterBuilds, OnlyTheTestBuildReadsOverrides)
{
    for (const char* name : { "QUILL_UPDATE_HOST", "QUILL_UPDATE_CA_FILE", "QUILL_UPDATE_LOW_SPEED", "QUILL_UPDATE_MAX_UNPACKED",
                              "QUILL_UPDATE_STOP_AT_STEP" }) {
        EXPECT_FALSE(Contains(ReadText(QUILL_BINARY_DIR "/bin/vkupdate"), name)) << name;
        EXPECT_TRUE(Contains(ReadText(QUILL_BINARY_DIR "/bin/vkupdate_testhooks"), name)) << name;
    }
}

TEST_F(UpdaterEndToEnd, CommandLinesWithoutProductEndBeforeTheLog)
{
    struct Case {
        std::vector<std::string> args;
        int exitCode;
    };
    const Case cases[] = { { {}, 1 }, { { "-e=Quillmoor.exe", "-c=Top" }, 1 }, { { "-o=" }, 0 }, { { "-o" }, 0 } };
    for (const Case& c : cases) {
        EXPECT_EQ(RunUpdater(c.args), c.exitCode) << c.args.size();
        EXPECT_FALSE(fs::exists(Install() + "/vkupdate.log"));
    }
}

}  // namespace
