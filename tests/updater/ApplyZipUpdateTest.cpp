#include "updater/ApplyZipUpdate.h"

#include "TestFolder.h"
#include "ZipFixture.h"
#include "updater/FileUtil.h"
#include "updater/UpdaterLog.h"
#include "ui/core/ZipArchiveReader.h"

#include <gtest/gtest.h>
#include <cwchar>
#include <sys/stat.h>

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
