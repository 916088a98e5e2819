#include "platform/WinBase.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Every test works in a fresh folder that HOME and TMPDIR point to, and puts them back after.
class FileSystemTest : public testing::Test {
protected:
    void SetUp() override
    {
        const char* outer = getenv("TMPDIR");
        std::string pattern = std::string(outer && *outer ? outer : "/tmp") + "/quill-fs-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        SaveAndSet("HOME", m_root.string());
        SaveAndSet("TMPDIR", (m_root / "tmp").string());
        SaveAndSet("XDG_DESKTOP_DIR", "");
        fs::create_directory(m_root / "tmp");
        m_previousFolder = fs::current_path();
    }
    void TearDown() override
    {
        fs::current_path(m_previousFolder);
        for (const auto& [name, value] : m_saved) {
            if (value.has_value())
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        std::error_code ignored;
        fs::permissions(m_root / "ro.txt", fs::perms::owner_all, ignored);
        fs::remove_all(m_root, ignored);
    }
    void SaveAndSet(const std::string& name, const std::string& value)
    {
        const char* old = getenv(name.c_str());
        m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        if (value.empty())
            unsetenv(name.c_str());
        else
            setenv(name.c_str(), value.c_str(), 1);
    }
    static void Write(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }
    static std::string Read(const fs::path& path)
    {
        std::ifstream file(path);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }
    std::wstring Wide(const fs::path& path) const { return path.wstring(); }

    fs::path m_root;
    fs::path m_previousFolder;
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

}  // namespace

TEST_F(FileSystemTest, BackslashAndDriveRootedPathsMapIntoHome)
{
    EXPECT_TRUE(CreateDirectoryW(L"C:\\Doziz", nullptr)) << "the drive stands for $HOME";
    EXPECT_TRUE(fs::is_directory(m_root / "Doziz"));
    EXPECT_TRUE(CreateDirectoryW(L"/:\\ZaDaro", nullptr)) << "a drive letter taken from a POSIX path";
    EXPECT_TRUE(fs::is_directory(m_root / "ZaDaro"));
    EXPECT_FALSE(CreateDirectoryW(L"C:\\Doziz", nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_FALSE(CreateDirectoryW(L"C:\\missing\\deeper", nullptr));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

    Write(m_root / "Doziz" / "log.txt", "x");
    const std::wstring mixed = Wide(m_root) + L"\\Doziz/log.txt";
    EXPECT_EQ(GetFileAttributesW(mixed.c_str()), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(GetFileAttributesW(L"C:\\Doziz"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesW(L"C:\\Doziz\\nothing.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(PathIsDirectoryW(L"C:\\Doziz"));
    EXPECT_TRUE(PathFileExistsW(mixed.c_str()));
    EXPECT_FALSE(PathIsDirectoryW(mixed.c_str()));
}

TEST_F(FileSystemTest, AttributesTimesAndReadOnly)
{
    Write(m_root / "ro.txt", "12345");
    WIN32_FILE_ATTRIBUTE_DATA data {};
    ASSERT_TRUE(GetFileAttributesExW(L"C:\\ro.txt", GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 5u);
    struct stat info {};
    stat((m_root / "ro.txt").c_str(), &info);
    EXPECT_EQ(UnixSecondsFromFileTime(data.ftLastWriteTime), info.st_mtim.tv_sec);

    FILETIME epoch {};
    FileTimeFromUnix(0, 0, &epoch);
    EXPECT_EQ((static_cast<ULONGLONG>(epoch.dwHighDateTime) << 32) | epoch.dwLowDateTime, 116444736000000000ULL);

    ASSERT_TRUE(SetFileAttributesW(L"C:\\ro.txt", FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(GetFileAttributesW(L"C:\\ro.txt"), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(SetFileAttributesW(L"C:\\ro.txt", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesW(L"C:\\ro.txt"), FILE_ATTRIBUTE_NORMAL);
    Write(m_root / ".hidden", "");
    EXPECT_EQ(GetFileAttributesW(L"C:\\.hidden"), FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(FileSystemTest, CopyMoveAndDelete)
{
    Write(m_root / "a.txt", "alpha");
    Write(m_root / "b.txt", "beta");
    EXPECT_FALSE(CopyFileW(L"C:\\a.txt", L"C:\\b.txt", TRUE));
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_EQ(Read(m_root / "b.txt"), "beta");
    EXPECT_TRUE(CopyFileW(L"C:\\a.txt", L"C:\\b.txt", FALSE));
    EXPECT_EQ(Read(m_root / "b.txt"), "alpha");
    EXPECT_FALSE(CopyFileW(L"C:\\none.txt", L"C:\\c.txt", FALSE));
    EXPECT_FALSE(CopyFileW(L"C:\\a.txt", L"C:\\no\\such\\c.txt", FALSE));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

    EXPECT_FALSE(MoveFileExW(L"C:\\a.txt", L"C:\\b.txt", 0)) << "no replacing without the flag";
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(MoveFileExW(L"C:\\a.txt", L"C:\\b.txt", MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(fs::exists(m_root / "a.txt"));
    EXPECT_FALSE(MoveFileExW(L"C:\\b.txt", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
    EXPECT_TRUE(fs::exists(m_root / "b.txt"));

    CreateDirectoryW(L"C:\\dir", nullptr);
    EXPECT_FALSE(DeleteFileW(L"C:\\dir")) << "a folder is not deleted as a file";
    EXPECT_TRUE(MoveFileW(L"C:\\b.txt", L"C:\\dir\\b.txt"));
    EXPECT_FALSE(RemoveDirectoryW(L"C:\\dir"));
    EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
    EXPECT_TRUE(DeleteFileW(L"C:\\dir\\b.txt"));
    EXPECT_FALSE(DeleteFileW(L"C:\\dir\\b.txt"));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(RemoveDirectoryW(L"C:\\dir"));
    for (const auto& entry : fs::directory_iterator(m_root))
        EXPECT_EQ(entry.path().filename().string().find(".part-"), std::string::npos) << "a copy left its temporary";
}

TEST_F(FileSystemTest, FindListsMatchesWithoutRegardToCase)
{
    fs::create_directory(m_root / "clips");
    for (const char* name : { "A.MKV", "b.mkv", "c.mp4", "noext" })
        Write(m_root / "clips" / name, "");
    fs::create_directory(m_root / "clips" / "sub");

    auto names = [](const std::wstring& pattern) {
        std::set<std::wstring> found;
        WIN32_FIND_DATAW data {};
        HANDLE search = FindFirstFileW(pattern.c_str(), &data);
        if (search == INVALID_HANDLE_VALUE)
            return found;
        do
            found.insert(data.cFileName);
        while (FindNextFileW(search, &data));
        EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
        EXPECT_TRUE(FindClose(search));
        return found;
    };
    EXPECT_EQ(names(L"C:\\clips\\*.*"), (std::set<std::wstring> { L".", L"..", L"A.MKV", L"b.mkv", L"c.mp4", L"noext", L"sub" }));
    EXPECT_EQ(names(L"C:\\clips\\*.mkv"), (std::set<std::wstring> { L"A.MKV", L"b.mkv" }));
    EXPECT_EQ(names(L"C:\\clips\\?.mp4"), (std::set<std::wstring> { L"c.mp4" }));
    EXPECT_EQ(names(L"C:\\clips\\c.mp4"), (std::set<std::wstring> { L"c.mp4" }));

    WIN32_FIND_DATAW data {};
    EXPECT_EQ(FindFirstFileW(L"C:\\clips\\*.avi", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FindFirstFileW(L"C:\\nowhere\\*.*", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    HANDLE search = FindFirstFileW(L"C:\\clips\\sub", &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
    FindClose(search);
}

TEST_F(FileSystemTest, FilesThroughHandles)
{
    HANDLE file = CreateFileW(L"C:\\data.bin", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, "hello world", 11, &written, nullptr));
    EXPECT_EQ(written, 11u);
    CloseHandle(file);
    EXPECT_EQ(CreateFileW(L"C:\\data.bin", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);

    file = CreateFileW(L"C:\\data.bin", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileSize(file, nullptr), 11u);
    EXPECT_EQ(SetFilePointer(file, 6, nullptr, FILE_BEGIN), 6u);
    char buffer[16] = {};
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(std::string(buffer, read), "world");
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr)) << "the end of a file is no error";
    EXPECT_EQ(read, 0u);
    CloseHandle(file);
    EXPECT_EQ(CreateFileW(L"C:\\none.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FileSystemTest, SpecialFoldersTempAndCurrentFolder)
{
    wchar_t path[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_DESKTOPDIRECTORY, FALSE));
    EXPECT_EQ(path, Wide(m_root / "Desktop"));
    setenv("XDG_DESKTOP_DIR", (m_root / "Schreibtisch").c_str(), 1);
    EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_DESKTOP | CSIDL_FLAG_CREATE, nullptr, 0, path), S_OK);
    EXPECT_EQ(path, Wide(m_root / "Schreibtisch"));
    EXPECT_TRUE(fs::is_directory(m_root / "Schreibtisch"));
    EXPECT_EQ(SHGetFolderPathW(nullptr, 0x7F, nullptr, 0, path), E_INVALIDARG);

    wchar_t temp[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    EXPECT_EQ(temp, Wide(m_root / "tmp") + L"/");
    EXPECT_EQ(length, wcslen(temp));
    EXPECT_EQ(GetTempPathW(3, temp), length + 1) << "a short buffer learns the size it needs";

    ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\tmp"));
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    EXPECT_EQ(fs::path(current), fs::canonical(m_root / "tmp"));
    EXPECT_FALSE(SetCurrentDirectoryW(L"C:\\nowhere"));
}

TEST_F(FileSystemTest, PrivateWorkFolderIsClosedToOthersAndNeverASquattersFolder)
{
    const fs::path usual = m_root / "tmp" / ("quillmoor-" + std::to_string(geteuid()));
    const std::wstring folder = platform::PrivateWorkFolder();
    EXPECT_EQ(folder, Wide(usual));
    struct stat info {};
    ASSERT_EQ(stat(usual.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(platform::PrivateWorkFolder(), folder) << "the same folder on every call";

    // Someone else's open folder, or a link, under the usual name: a fresh private folder instead.
    const fs::path elsewhere = m_root / "elsewhere";
    fs::create_directory(elsewhere);
    for (int squat = 0; squat < 2; ++squat) {
        fs::remove_all(usual);
        if (squat == 0) {
            fs::create_directory(usual);
            fs::permissions(usual, fs::perms::all);
        } else {
            fs::create_directory_symlink(elsewhere, usual);
        }
        const fs::path replacement = platform::PrivateWorkFolder();
        EXPECT_NE(replacement, usual) << squat;
        EXPECT_EQ(replacement.parent_path(), usual.parent_path()) << squat;
        ASSERT_EQ(lstat(replacement.c_str(), &info), 0) << squat;
        EXPECT_TRUE(S_ISDIR(info.st_mode)) << squat;
        EXPECT_EQ(info.st_mode & 0777, 0700u) << squat;
        EXPECT_EQ(platform::PrivateWorkFolder(), replacement.wstring()) << "kept for the run";
    }
}
