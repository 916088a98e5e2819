#include "updater/FileUtil.h"

#include "platform/WinBase.h"
#include "platform/system/System.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Milliseconds of the monotonic clock, wrapping at 32 bits like the system tick count.
unsigned TickCount()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<unsigned>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace

bool DeleteFileOrMoveAside(const std::wstring& path, bool retry)
{
    const std::string narrow = WideToAnsi(path);
    struct stat info {};
    if (lstat(narrow.c_str(), &info) != 0 || S_ISDIR(info.st_mode))  // a folder is never moved aside
        return false;
    if (unlink(narrow.c_str()) == 0)
        return true;
    if (!retry)
        return false;
    if ((info.st_mode & S_IWUSR) == 0 && chmod(narrow.c_str(), info.st_mode | S_IWUSR) == 0
        && unlink(narrow.c_str()) == 0)
        return true;
    return MoveAsideForDeletion(path);
}

bool MoveAsideForDeletion(const std::wstring& path)
{
    std::wstring folder, fileName;
    SplitPath(path, folder, fileName);
    wchar_t tick[16];
    swprintf(tick, 16, L"%x", TickCount());
    const std::wstring aside = folder + L"/" + tick + L"_" + fileName;
    RenameFile(path, aside);
    return platform::ScheduleDeleteAtReboot(aside);
}

bool RenameFile(const std::wstring& oldPath, const std::wstring& newPath)
{
    return std::rename(WideToAcp(oldPath).c_str(), WideToAcp(newPath).c_str()) == 0;
}

bool SplitPath(std::wstring path, std::wstring& folder, std::wstring& fileName)
{
    folder.clear();
    fileName.clear();
    if (path.empty())
        return false;
    const size_t slash = path.find_last_of(L"/");
    folder = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
    fileName = slash == std::wstring::npos ? path : path.substr(slash + 1);
    if (folder.empty() || folder.back() != L'/')
        folder += L'/';
    return true;
}

bool FileExists(const std::wstring& path, bool folderTest)
{
    struct stat info {};
    if (stat(WideToAnsi(path).c_str(), &info) != 0)
        return false;
    return !folderTest || S_ISDIR(info.st_mode);
}

int64_t GetFileSizeOf(std::string path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return -1;
    return static_cast<int64_t>(info.st_size);
}

bool ReadWholeFile(const std::string& path, std::string& content)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    const int64_t size = GetFileSizeOf(path);
    bool ok = size >= 0 && size < (int64_t(1) << 32);
    if (ok) {
        content.resize(static_cast<size_t>(size));
        ok = size == 0 || std::fread(content.data(), 1, content.size(), file) == content.size();
    }
    std::fclose(file);
    return ok;
}

std::string Utf8ToAnsi(const std::string& utf8)
{
    return platform::WideToUtf8(platform::Utf8ToWide(utf8));
}

std::string WideToAcp(const std::wstring& text)
{
    return platform::WideToUtf8(text);
}

std::wstring HeldFilePath(int fd)
{
    return L"/proc/self/fd/" + std::to_wstring(fd);
}

std::wstring FileExtensionOf(std::wstring text)
{
    const size_t dot = text.rfind(L'.');
    return dot == std::wstring::npos ? text : text.substr(dot + 1);
}

std::wstring FileNameOf(std::wstring text)
{
    const size_t sep = text.find_last_of(L"\\/");
    return sep == std::wstring::npos ? text : text.substr(sep + 1);
}

std::wstring FolderOf(std::wstring text)
{
    const size_t sep = text.find_last_of(L"\\/");
    return sep == std::wstring::npos ? text : text.substr(0, sep);
}
