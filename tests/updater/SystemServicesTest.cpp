// The platform services the updater adds: named mutexes, "*.ini" reading.

#include "platform/WinBase.h"
#include "platform/system/System.h"
#include "updater/UpdaterMain.h"

#include "TestFolder.h"

#include <gtest/gtest.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(NamedMutex, SecondHolderSeesAlreadyExistsUntilTheFirstCloses)
{
    TestFolder folder;
    const char* oldTmp = std::getenv("TMPDIR");
    const std::string savedTmp = oldTmp ? oldTmp : "";
    unsetenv("XDG_RUNTIME_DIR");  // the lock files go under TMPDIR: this test's folder
    setenv("TMPDIR", folder.Path().c_str(), 1);
    HANDLE first = CreateMutexW(nullptr, TRUE, L"{guid}tmqrx");
    ASSERT_NE(first, nullptr);
    EXPECT_NE(GetLastError(), ERROR_ALREADY_EXISTS);
    HANDLE second = CreateMutexW(nullptr, TRUE, L"{guid}tmqrx");
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    HANDLE other = CreateMutexW(nullptr, TRUE, L"{guid}other/../x");  // names stay inside the folder
    EXPECT_NE(GetLastError(), ERROR_ALREADY_EXISTS);
    CloseHandle(second);
    CloseHandle(first);
    HANDLE again = CreateMutexW(nullptr, TRUE, L"{guid}tmqrx");
    EXPECT_NE(GetLastError(), ERROR_ALREADY_EXISTS);
    CloseHandle(again);
    CloseHandle(other);
    EXPECT_EQ(CreateMutexW(nullptr, TRUE, L""), nullptr);
    if (oldTmp)
        setenv("TMPDIR", savedTmp.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

// Without XDG_RUNTIME_DIR the locks live in "$TMPDIR/quill-<uid>": a folder there that another
// user made first (or a link, or one that others may write to) is refused rather than used, and
// a lock file that is a link is never followed. Another user's folder is made by handing it to
// uid 65534 (the tests run as root).
TEST(NamedMutex, FallbackFolderMustBeTheUsersOwn)
{
    const char* oldTmp = std::getenv("TMPDIR");
    const std::string savedTmp = oldTmp ? oldTmp : "";
    unsetenv("XDG_RUNTIME_DIR");
    struct Case {
        const char* name;
        std::function<void(const std::string& folder, const std::string& elsewhere)> prepare;
        bool usable;
    };
    const Case cases[] = {
        { "made fresh", [](const std::string&, const std::string&) {}, true },
        { "ours, private", [](const std::string& folder, const std::string&) { mkdir(folder.c_str(), 0700); }, true },
        { "another user's", [](const std::string& folder, const std::string&) {
              mkdir(folder.c_str(), 0700);
              ASSERT_EQ(chown(folder.c_str(), 65534, 65534), 0);
          }, getuid() != 0 },  // only root can hand a folder over; as another user this is "ours"
        { "writable by all", [](const std::string& folder, const std::string&) {
              mkdir(folder.c_str(), 0700);
              chmod(folder.c_str(), 0777);
          }, false },
        { "a link", [](const std::string& folder, const std::string& elsewhere) {
              mkdir(elsewhere.c_str(), 0700);
              std::filesystem::create_directory_symlink(elsewhere, folder);
          }, false },
        { "lock file a link", [](const std::string& folder, const std::string& elsewhere) {
              mkdir(folder.c_str(), 0700);
              std::filesystem::create_symlink(elsewhere + "-file", folder + "/{guid}tmqrx.lock");
          }, false },
    };
    TestFolder root;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string tmp = root / c.name;
        std::filesystem::create_directories(tmp);
        setenv("TMPDIR", tmp.c_str(), 1);
        const std::string folder = tmp + "/quill-" + std::to_string(getuid());
        c.prepare(folder, tmp + "/elsewhere");
        HANDLE lock = CreateMutexW(nullptr, TRUE, L"{guid}tmqrx");
        EXPECT_EQ(lock != nullptr, c.usable);
        if (lock)
            CloseHandle(lock);
        EXPECT_FALSE(std::filesystem::exists(tmp + "/elsewhere-file"));
        EXPECT_FALSE(std::filesystem::exists(tmp + "/elsewhere/{guid}tmqrx.lock"));
    }
    if (oldTmp)
        setenv("TMPDIR", savedTmp.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

// A product code too long for a plain lock name must still keep a second updater out.
TEST(NamedMutex, LongProductCodesStillHaveOneInstance)
{
    TestFolder folder;
    const char* oldTmp = std::getenv("TMPDIR");
    const std::string savedTmp = oldTmp ? oldTmp : "";
    unsetenv("XDG_RUNTIME_DIR");
    setenv("TMPDIR", folder.Path().c_str(), 1);
    const std::wstring longCode(400, L'x');
    const std::wstring name = SingleInstanceName(longCode);
    EXPECT_LE(name.size(), kMaxPlainInstanceName);
    EXPECT_EQ(SingleInstanceName(longCode), name);
    EXPECT_NE(SingleInstanceName(longCode + L"y"), name);
    EXPECT_EQ(SingleInstanceName(L"tmqrx").find(L"tmqrx"), SingleInstanceName(L"tmqrx").size() - 5);
    HANDLE first = CreateMutexW(nullptr, TRUE, name.c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_NE(GetLastError(), ERROR_ALREADY_EXISTS);
    HANDLE second = CreateMutexW(nullptr, TRUE, name.c_str());
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    CloseHandle(second);
    CloseHandle(first);
    if (oldTmp)
        setenv("TMPDIR", savedTmp.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

TEST(ProfileReader, IntsAndStrings)
{
    TestFolder folder;
    WriteText(folder / "test.ini", "\xEF\xBB\xBF; comment\n[other]\non=7\n[ Test ]\r\n On = 1 \r\nname = 版本 x\nbad=yes\nneg=-3\n");
    const std::wstring file = Wide(folder / "test.ini");
    struct Case {
        const wchar_t* section;
        const wchar_t* key;
        int defaultValue;
        UINT want;
    };
    const Case cases[] = {
        { L"test", L"on", 0, 1 },        // sections and keys without regard to case, blanks trimmed
        { L"other", L"on", 0, 7 },
        { L"test", L"missing", 5, 5 },
        { L"nosection", L"on", 9, 9 },
        { L"test", L"bad", 4, 0 },       // present but not a number
        { L"test", L"neg", 0, UINT(-3) },
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetPrivateProfileIntW(c.section, c.key, c.defaultValue, file.c_str()), c.want);
    EXPECT_EQ(GetPrivateProfileIntW(L"test", L"on", 3, Wide(folder / "none.ini").c_str()), 3u);

    wchar_t buffer[5];
    EXPECT_EQ(GetPrivateProfileStringW(L"test", L"name", L"", buffer, 5, file.c_str()), 4u);
    EXPECT_STREQ(buffer, L"版本 x");
    EXPECT_EQ(GetPrivateProfileStringW(L"test", L"absent", L"dflt", buffer, 5, file.c_str()), 4u);
    EXPECT_STREQ(buffer, L"dflt");
}

}  // namespace
