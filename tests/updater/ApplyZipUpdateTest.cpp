#include "updater/ApplyZipUpdate.h"

#include "TestFolder.h"
#include "updater/InstallationLock.h"
#include "ZipFixture.h"
#include "updater/FileUtil.h"
#include "updater/UpdaterLog.h"
#include "ui/core/ZipArchiveReader.h"

#include <gtest/gtest.h>
#include <csignal>
#include <cwchar>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sched.h>
#include <unistd.h>

namespace {

class ApplyZipUpdateTest : public testing::Test {
protected:
    void SetUp() override
    {
        WriteText(m_folder / "install/Quillmoor", "editor 1.9");
        WriteText(m_folder / "install/plugins/old.so", "old plugin");
        WriteText(m_folder / "install/readme.txt", "old readme");
        chmod((m_folder / "install/Quillmoor").c_str(), 0755);
        std::filesystem::create_directories(m_folder / "tmp");
    }

    bool Apply(const ZipItems& items, ApplyZipOptions options = {})
    {
        EXPECT_TRUE(MakeZip(m_folder / "tmp/update.zip", items));
        return ApplyZipUpdate(Wide(m_folder / "tmp/update.zip"), Wide(m_folder / "tmp/"), Wide(Install()), options);
    }

    std::string Install() const { return m_folder / "install"; }

    TestFolder m_folder;
};

TEST_F(ApplyZipUpdateTest, ReplacesAndAddsFilesKeepingPermissions)
{
    ASSERT_TRUE(Apply({ { "Quillmoor", "editor 2.0" }, { "plugins/", "" }, { "plugins/new.so", "new plugin" },
                        { "lib/deep/x.so", "no folder item" }, { "win\\style.txt", "backslashes" } }));
    const std::map<std::string, std::string> want {
        { "Quillmoor", "editor 2.0" }, { "plugins/", "" }, { "plugins/old.so", "old plugin" },
        { "plugins/new.so", "new plugin" }, { "readme.txt", "old readme" }, { "lib/", "" }, { "lib/deep/", "" },
        { "lib/deep/x.so", "no folder item" }, { "win/", "" }, { "win/style.txt", "backslashes" },
    };
    EXPECT_EQ(Snapshot(Install()), want);  // nothing aside or half-copied left behind
    struct stat info {};
    ASSERT_EQ(stat((Install() + "/Quillmoor").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);  // the editor stays executable
    EXPECT_FALSE(std::filesystem::exists(m_folder / "tmp/unpack"));
    EXPECT_TRUE(std::filesystem::exists(m_folder / "tmp/update.zip"));
}

TEST_F(ApplyZipUpdateTest, ReadOnlyTargetIsReplaced)
{
    chmod((Install() + "/readme.txt").c_str(), 0444);
    ASSERT_TRUE(Apply({ { "readme.txt", "new readme" } }));
    EXPECT_EQ(ReadText(Install() + "/readme.txt"), "new readme");
}

TEST_F(ApplyZipUpdateTest, RefusedOrBrokenArchivesChangeNothing)
{
    struct Case {
        const char* name;
        ZipItems items;
    };
    const Case cases[] = {
        { "parent component", { { "Quillmoor", "evil" }, { "../escaped.txt", "outside" } } },
        { "nested parent", { { "plugins/../../escaped.txt", "outside" }, { "readme.txt", "x" } } },
        { "absolute", { { "/tmp-escaped.txt", "outside" } } },
        { "drive prefix", { { "C:evil.txt", "x" } } },
        { "file over folder", { { "readme.txt", "new" }, { "plugins", "a file where a folder is" } } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto before = Snapshot(m_folder.Path() + "/install");
        EXPECT_FALSE(Apply(c.items));
        EXPECT_EQ(Snapshot(Install()), before);
        EXPECT_FALSE(std::filesystem::exists(m_folder / "escaped.txt"));
        EXPECT_FALSE(std::filesystem::exists(m_folder / "tmp/unpack"));
    }
}

TEST_F(ApplyZipUpdateTest, MissingArchiveFailsWithoutChanges)
{
    const auto before = Snapshot(Install());
    EXPECT_FALSE(ApplyZipUpdate(Wide(m_folder / "tmp/none.zip"), Wide(m_folder / "tmp/"), Wide(Install()), {}));
    WriteText(m_folder / "tmp/garbage.zip", "not a zip archive at all");
    EXPECT_FALSE(ApplyZipUpdate(Wide(m_folder / "tmp/garbage.zip"), Wide(m_folder / "tmp/"), Wide(Install()), {}));
    EXPECT_EQ(Snapshot(Install()), before);
}

TEST_F(ApplyZipUpdateTest, CopyFailureMidwayRollsEverythingBack)
{
    const auto before = Snapshot(Install());
    int copies = 0;
    ApplyZipOptions options;
    options.copyFile = [&](const std::wstring& from, const std::wstring& to) {
        if (++copies == 3) {
            errno = ENOSPC;
            return false;
        }
        std::error_code error;
        std::filesystem::copy_file(WideToAnsi(from), WideToAnsi(to), error);
        return !error;
    };
    EXPECT_FALSE(Apply({ { "Quillmoor", "editor 2.0" }, { "newdir/", "" }, { "newdir/a.so", "a" },
                         { "readme.txt", "new readme" }, { "plugins/old.so", "never reached" } }, options));
    EXPECT_EQ(copies, 3);
    EXPECT_EQ(Snapshot(Install()), before);
}

// Staging on another file system: every file is copied, never renamed, into place.
bool CopyAcrossDevices(const std::wstring& from, const std::wstring& to)
{
    std::error_code error;
    std::filesystem::copy_file(WideToAnsi(from), WideToAnsi(to), error);
    errno = error.value();
    return !error;
}

// Two items for one target would have the second one's aside overwrite the first one's, so
// the rollback could no longer bring the installed file back: such archives are refused whole.
TEST_F(ApplyZipUpdateTest, DuplicateItemNamesAreRefused)
{
    ApplyZipOptions options;
    options.copyFile = CopyAcrossDevices;
    const ZipItems cases[] = {
        { { "readme.txt", "first" }, { "readme.txt", "second" }, { "../fail", "" } },
        { { "readme.txt", "first" }, { "README.TXT", "second" } },
        { { "plugins/old.so", "first" }, { "Plugins\\OLD.so", "second" } },
        { { "plugins/", "" }, { "plugins", "" } },
    };
    const auto before = Snapshot(Install());
    for (const ZipItems& items : cases) {
        SCOPED_TRACE(items[1].first);
        EXPECT_FALSE(Apply(items, options));
        EXPECT_EQ(Snapshot(Install()), before);
    }
}

// A rollback that cannot put a file back says so, and the old file survives under its aside
// name instead of being lost.
TEST_F(ApplyZipUpdateTest, RollbackThatCannotRestoreSaysSo)
{
    InitUpdaterLog("apply", m_folder.Path() + "/", kLogInfo, 10);
    ApplyZipOptions options;
    options.afterCommitStep = [&](int) {
        // Once the old file is aside, something takes its place with a folder that neither the
        // new file nor the old one can be renamed over.
        if (!std::filesystem::exists(Install() + "/readme.txt") && std::filesystem::exists(Install() + "/readme.txt.vkold"))
            WriteText(Install() + "/readme.txt/blocker", "x");
    };
    EXPECT_FALSE(Apply({ { "readme.txt", "new readme" }, { "Quillmoor", "editor 2.0" } }, options));
    ShutdownUpdaterLog();
    const std::string log = ReadText(m_folder / "apply.log");
    EXPECT_EQ(log.find("every replaced file was put back"), std::string::npos) << log;
    EXPECT_NE(log.find("some files could not be put back"), std::string::npos) << log;
    EXPECT_NE(log.find("readme.txt restore fail"), std::string::npos) << log;
    EXPECT_EQ(ReadText(Install() + "/readme.txt.vkold"), "old readme");
    EXPECT_EQ(ReadText(Install() + "/Quillmoor"), "editor 1.9");
}

TEST_F(ApplyZipUpdateTest, AsideNamesNeverOverwriteAFile)
{
    WriteText(Install() + "/readme.txt.vkold", "someone's file");
    ASSERT_TRUE(Apply({ { "readme.txt", "new readme" } }));
    EXPECT_EQ(ReadText(Install() + "/readme.txt"), "new readme");
    EXPECT_EQ(ReadText(Install() + "/readme.txt.vkold"), "someone's file");
}

TEST_F(ApplyZipUpdateTest, MissingInstallFolderIsCreated)
{
    std::filesystem::remove_all(Install());
    ASSERT_TRUE(Apply({ { "Quillmoor", "fresh" } }));
    EXPECT_EQ(ReadText(Install() + "/Quillmoor"), "fresh");
}

mode_t ModeOf(const std::string& path)
{
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 ? info.st_mode : 0;
}

// Shapes an installation may have: each update ends with sane modes (no file of the update
// writable by others, none taking a link's own 0777), and nothing outside the installation
// written, or is refused whole.
TEST_F(ApplyZipUpdateTest, InstallationShapes)
{
    namespace fs = std::filesystem;
    struct Case {
        const char* name;
        std::function<void(const std::string& install, const std::string& outside)> shape;
        ZipItems items;
        bool applied;
        std::map<std::string, mode_t> modes;  // of the files afterwards, by name
    };
    const Case cases[] = {
        { "file over a link to a file inside",
          [](const std::string& install, const std::string&) {
              WriteText(install + "/lib.so.1", "lib 1");
              chmod((install + "/lib.so.1").c_str(), 0755);
              fs::create_symlink("lib.so.1", install + "/lib.so");
          },
          { { "lib.so", "lib 2" } }, true, { { "lib.so", S_IFREG | 0755 }, { "lib.so.1", S_IFREG | 0755 } } },
        { "file over a link to a file outside, writable by all",
          [](const std::string& install, const std::string& outside) {
              WriteText(outside + "/shared.so", "theirs");
              chmod((outside + "/shared.so").c_str(), 0666);
              fs::create_symlink(outside + "/shared.so", install + "/ext.so");
          },
          { { "ext.so", "ours" } }, true, { { "ext.so", S_IFREG | 0644 } } },
        { "file over a dangling link",
          [](const std::string& install, const std::string&) { fs::create_symlink("gone", install + "/tool"); },
          { { "tool", "tool" } }, true, { { "tool", S_IFREG | 0644 } } },
        { "item through a linked folder",
          [](const std::string& install, const std::string& outside) {
              fs::create_directories(outside + "/dir");
              fs::create_directory_symlink(outside + "/dir", install + "/linked");
          },
          { { "readme.txt", "new" }, { "linked/evil.so", "x" } }, false, {} },
        { "folder item over a linked folder",
          [](const std::string& install, const std::string& outside) {
              fs::create_directories(outside + "/dir");
              fs::create_directory_symlink(outside + "/dir", install + "/linked");
          },
          { { "linked/", "" }, { "linked/sub/", "" }, { "linked/sub/a.so", "x" } }, false, {} },
        { "read-only file",
          [](const std::string& install, const std::string&) { chmod((install + "/readme.txt").c_str(), 0444); },
          { { "readme.txt", "new readme" } }, true, { { "readme.txt", S_IFREG | 0444 } } },
        { "aside and new names taken, one a link outside",
          [](const std::string& install, const std::string& outside) {
              WriteText(install + "/readme.txt.vkold", "mine");
              WriteText(install + "/readme.txt.vknew", "mine too");
              WriteText(outside + "/target", "theirs");
              fs::create_symlink(outside + "/target", install + "/readme.txt.vknew1");
          },
          { { "readme.txt", "new readme" } }, true, { { "readme.txt", S_IFREG | 0644 }, { "readme.txt.vkold", S_IFREG | 0644 } } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestFolder folder;
        const std::string install = folder / "install", outside = folder / "outside";
        WriteText(install + "/readme.txt", "old readme");
        chmod((install + "/readme.txt").c_str(), 0644);
        fs::create_directories(outside);
        fs::create_directories(folder / "tmp");
        c.shape(install, outside);
        const auto before = Snapshot(install), outsideBefore = Snapshot(outside);
        ASSERT_TRUE(MakeZip(folder / "tmp/update.zip", c.items));
        EXPECT_EQ(ApplyZipUpdate(Wide(folder / "tmp/update.zip"), Wide(folder / "tmp/"), Wide(install), {}), c.applied);
        EXPECT_EQ(Snapshot(outside), outsideBefore);
        EXPECT_FALSE(fs::exists(folder / "tmp/unpack"));
        if (!c.applied) {
            EXPECT_EQ(Snapshot(install), before);
        }
        for (const auto& [name, content] : c.items) {
            if (c.applied && name.back() != '/') {
                EXPECT_EQ(ReadText(install + "/" + name), content) << name;
            }
        }
        for (const auto& [name, mode] : c.modes)
            EXPECT_EQ(ModeOf(install + "/" + name), mode) << name << " " << std::oct << ModeOf(install + "/" + name);
        for (const auto& entry : fs::recursive_directory_iterator(install)) {
            const std::string name = entry.path().filename().string();
            EXPECT_EQ(name.find(".vkupdate"), std::string::npos) << name;  // no lock or record left
        }
    }
}

// The apply in a child process, stopped by a signal after its commit's step-th change; the
// child's exit status.
int ApplyStoppedAt(const std::string& archive, const std::string& work, const std::string& install, int step, int signal)
{
    const pid_t child = fork();
    if (child == 0) {
        ApplyZipOptions options;
        options.afterCommitStep = [&](int reached) {
            if (reached == step)
                kill(getpid(), signal);
        };
        _exit(ApplyZipUpdate(Wide(archive), Wide(work), Wide(install), options) ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return status;
}

// A kill (or SIGTERM) at each step of the commit, then the next run: the installation is whole,
// all old or all new, with no record, lock or aside file left.
TEST_F(ApplyZipUpdateTest, KillAtEachCommitStepLeavesTheNextRunAWholeInstallation)
{
    const ZipItems items { { "Quillmoor", "editor 2.0" }, { "plugins/new/", "" }, { "plugins/new/a.so", "new plugin" },
                           { "readme.txt", "new readme" } };
    ASSERT_TRUE(MakeZip(m_folder / "tmp/update.zip", items));
    const auto before = Snapshot(Install());
    auto after = before;
    after["Quillmoor"] = "editor 2.0";
    after["plugins/new/"] = "";
    after["plugins/new/a.so"] = "new plugin";
    after["readme.txt"] = "new readme";
    for (const int signal : { SIGKILL, SIGTERM }) {
        bool finished = false;
        for (int step = 1; step < 40 && !finished; ++step) {
            SCOPED_TRACE(testing::Message() << "signal " << signal << " at step " << step);
            const int status = ApplyStoppedAt(m_folder / "tmp/update.zip", m_folder / "tmp/", Install(), step, signal);
            finished = WIFEXITED(status);
            if (finished) {
                EXPECT_EQ(WEXITSTATUS(status), 0);
            } else {
                EXPECT_EQ(WTERMSIG(status), signal);
                if (signal == SIGTERM) {  // undone by the run itself, unless it was all but done
                    EXPECT_TRUE(Snapshot(Install()) == before || Snapshot(Install()) == after);
                }
                EXPECT_TRUE(RecoverInterruptedUpdate(Wide(Install())));
            }
            const auto now = Snapshot(Install());
            EXPECT_TRUE(now == before || now == after) << testing::PrintToString(now);
            // Back to the old installation for the next step.
            std::filesystem::remove_all(Install());
            for (const auto& [name, content] : before)
                if (name.back() != '/')
                    WriteText(Install() + "/" + name, content);
            chmod((Install() + "/Quillmoor").c_str(), 0755);
            std::filesystem::remove_all(m_folder / "tmp/unpack");
        }
        EXPECT_TRUE(finished);
    }
}

// A run killed before its commit, or while writing its record, leaves only a lock file or a
// partial record: the next run clears them.
TEST_F(ApplyZipUpdateTest, NextRunClearsALeftLockAndAPartialRecord)
{
    const auto before = Snapshot(Install());
    WriteText(Install() + "/" + InstallationLock::kFileName, "");
    WriteText(Install() + "/.vkupdate-commit.tmp", "prep");
    EXPECT_TRUE(RecoverInterruptedUpdate(Wide(Install())));
    EXPECT_EQ(Snapshot(Install()), before);
}

// Another updater holds the installation: this one leaves it alone and says why.
TEST_F(ApplyZipUpdateTest, SecondUpdaterLeavesAHeldInstallationAlone)
{
    InitUpdaterLog("apply", m_folder.Path() + "/", kLogInfo, 10);
    const auto before = Snapshot(Install());
    {
        InstallationLock held(Install());
        ASSERT_TRUE(held.Held());
        EXPECT_FALSE(InstallationLock(Install()).Held());
        EXPECT_FALSE(Apply({ { "Quillmoor", "editor 2.0" } }));
        auto now = Snapshot(Install());
        now.erase(InstallationLock::kFileName);
        EXPECT_EQ(now, before);
    }
    EXPECT_TRUE(Apply({ { "Quillmoor", "editor 2.0" } }));
    ShutdownUpdaterLog();
    EXPECT_NE(ReadText(m_folder / "apply.log").find("another updater is applying an update to " + Install()), std::string::npos);
    EXPECT_EQ(ReadText(Install() + "/Quillmoor"), "editor 2.0");
}

// The lock file is this user's own and never followed through a link.
TEST_F(ApplyZipUpdateTest, LockFileThatIsALinkIsRefused)
{
    WriteText(m_folder / "elsewhere", "theirs");
    std::filesystem::create_symlink(m_folder / "elsewhere", Install() + "/" + InstallationLock::kFileName);
    InstallationLock lock(Install());
    EXPECT_FALSE(lock.Held());
    EXPECT_EQ(ReadText(m_folder / "elsewhere"), "theirs");
}

// Sets the declared uncompressed size of the archive's first item (local and central header).
void DeclareFirstItemSize(const std::string& archive, uint32_t size)
{
    std::string bytes = ReadText(archive);
    const auto put = [&](size_t at) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<char>((size >> (8 * i)) & 0xff);
    };
    put(bytes.find("PK\x03\x04") + 22);
    put(bytes.find("PK\x01\x02") + 24);
    std::ofstream(archive, std::ios::binary | std::ios::trunc) << bytes;
}

// What an archive unpacks to is capped before anything is written, an item that holds more
// than it declares is refused, and a write error ends the apply: each leaves the installation
// and the work folder as they were, and the log names the cause.
TEST_F(ApplyZipUpdateTest, CapsAndWriteErrorsLeaveEverythingClean)
{
    const auto before = Snapshot(Install());
    struct Case {
        const char* name;
        ZipItems items;
        int64_t cap;
        uint32_t declareFirst;  // 0: as written
        rlim_t fileSizeLimit;   // 0: none
        const char* logLine;
    };
    const Case cases[] = {
        { "declared bomb", { { "readme.txt", "new" }, { "big.bin", "@zeros:20000000" } }, 1 << 20, 0, 0, "more than the limit" },
        { "many items over the cap", { { "a", "@zeros:600000" }, { "b", "@zeros:600000" } }, 1 << 20, 0, 0, "more than the limit" },
        { "item larger than declared", { { "readme.txt", "@zeros:100000" } }, 0, 1000, 0, "the item's data is damaged" },
        { "file-size limit", { { "readme.txt", "new" }, { "big.bin", "@zeros:2000000" } }, 0, 0, 1 << 20, "File too large" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(MakeZip(m_folder / "tmp/update.zip", c.items));
        if (c.declareFirst)
            DeclareFirstItemSize(m_folder / "tmp/update.zip", c.declareFirst);
        const std::string log = m_folder / "caps.log";
        std::filesystem::remove(log);
        const pid_t child = fork();  // the file-size limit and the log belong to the child alone
        if (child == 0) {
            signal(SIGXFSZ, SIG_IGN);
            if (c.fileSizeLimit) {
                const rlimit limit { c.fileSizeLimit, c.fileSizeLimit };
                setrlimit(RLIMIT_FSIZE, &limit);
            }
            InitUpdaterLog("caps", m_folder.Path() + "/", kLogInfo, 10);
            ApplyZipOptions options;
            options.maxUnpackedBytes = c.cap;
            const bool applied = ApplyZipUpdate(Wide(m_folder / "tmp/update.zip"), Wide(m_folder / "tmp/"), Wide(Install()), options);
            ShutdownUpdaterLog();
            _exit(applied ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
        EXPECT_NE(ReadText(log).find(c.logLine), std::string::npos) << ReadText(log);
        EXPECT_EQ(Snapshot(Install()), before);
        EXPECT_EQ(Snapshot(m_folder / "tmp"), (std::map<std::string, std::string> { { "update.zip", ReadText(m_folder / "tmp/update.zip") } }));
    }
}

// A full installation disk (a small tmpfs, where this test may mount one): the files already
// written beside their targets are removed, and the log says there is no space.
TEST_F(ApplyZipUpdateTest, FullInstallationDiskLeavesNothingBehind)
{
    ASSERT_TRUE(MakeZip(m_folder / "tmp/update.zip", { { "readme.txt", "new" }, { "big.bin", "@zeros:3000000" } }));
    const std::string small = m_folder / "small";
    std::filesystem::create_directories(small);
    const std::string result = m_folder / "result";
    const pid_t child = fork();
    if (child == 0) {
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
            || mount("tmpfs", small.c_str(), "tmpfs", 0, "size=8m") != 0)
            _exit(77);
        const std::string install = small + "/install";
        WriteText(install + "/readme.txt", "old readme");
        const auto before = Snapshot(install);
        InitUpdaterLog("full", m_folder.Path() + "/", kLogInfo, 10);
        ApplyZipOptions options;
        options.afterCommitStep = [&](int step) {
            if (step == 1)  // the check of the free space passed; now the disk fills up
                std::system(("dd if=/dev/zero of=" + small + "/filler bs=1M count=16 status=none 2>/dev/null").c_str());
        };
        const bool applied = ApplyZipUpdate(Wide(m_folder / "tmp/update.zip"), Wide(m_folder / "tmp/"), Wide(install), options);
        ShutdownUpdaterLog();
        WriteText(result, std::string(applied ? "applied" : "refused") + (Snapshot(install) == before ? " unchanged" : " changed"));
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "this test may not mount a tmpfs here";
    EXPECT_EQ(ReadText(result), "refused unchanged");
    const std::string log = ReadText(m_folder / "full.log");
    EXPECT_NE(log.find(" not written: No space left on device"), std::string::npos) << log;
    EXPECT_FALSE(std::filesystem::exists(m_folder / "tmp/unpack"));
}

// The texts the apply step logs for the zip reader's result codes.
TEST(ZipResultTexts, EveryCode)
{
    struct Case {
        DWORD code;
        const wchar_t* text;
    };
    const Case cases[] = {
        { 0, L"Success" }, { 0x100, L"Culdn't duplicate handle" }, { 0x200, L"Couldn't create/open file" },
        { 0x300, L"Failed to allocate memory" }, { 0x400, L"Error writing to file" },
        { 0x500, L"File not found in the zipfile" }, { 0x600, L"Still more data to unzip" },
        { 0x700, L"Zipfile is corrupt or not a zipfile" }, { 0x800, L"Error reading file" },
        { 0x1000, L"Correct password required" }, { 0x10000, L"Caller: faulty arguments" },
        { 0x20000, L"Caller: can only get memory of a memory zipfile" },
        { 0x30000, L"Caller: not enough space allocated for memory zipfile" },
        { 0x40000, L"Caller: there was a previous error" },
        { 0x50000, L"Caller: additions to the zip have already been ended" },
        { 0x60000, L"Zip-bug: the anticipated size turned out wrong" },
        { 0x70000, L"Caller: the file had already been partially unzipped" },
        { 0x80000, L"Caller: mixing creation and opening of zip" },
        { 0x1000000, L"Zip-bug: internal initialisation not completed" },
        { 0x2000000, L"Zip-bug: trying to seek the unseekable" },
        { 0x4000000, L"Zip-bug: tried to change mind, but not allowed" },
        { 0x5000000, L"Zip-bug: an internal error during flation" }, { 0x42, L"unknown zip result code" },
    };
    for (const Case& c : cases) {
        wchar_t buffer[80];
        EXPECT_EQ(SkinUI::FormatZipMessage(c.code, buffer, 80), std::wcslen(c.text)) << std::hex << c.code;
        EXPECT_STREQ(buffer, c.text);
    }
}

TEST(SafeItemNames, Table)
{
    struct Case {
        const wchar_t* name;
        bool safe;
    };
    const Case cases[] = {
        { L"a.dll", true }, { L"plugins/a.dll", true }, { L"a..b/c", true }, { L"..a", true },
        { L"", false }, { L"..", false }, { L"../a", false }, { L"a/../b", false }, { L"a\\..\\b", false },
        { L"/etc/passwd", false }, { L"\\x", false }, { L"C:x", false }, { L"c:/x", false }, { L"a/..", false },
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsSafeItemName(c.name), c.safe) << WideToAnsi(c.name);
}

}  // namespace
