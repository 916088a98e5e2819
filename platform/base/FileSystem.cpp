// Files and folders: attributes, creation, deletion, copy, move and folder searches.

#include "platform/WinBase.h"
#include "platform/base/HandleTable.h"
#include "platform/base/LastError.h"
#include "platform/base/Path.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cwctype>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

bool Stat(const std::string& path, struct stat* info)
{
    return !path.empty() && stat(path.c_str(), info) == 0;
}

std::string NameOf(const std::string& path)
{
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    const size_t slash = trimmed.rfind('/');
    return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

bool IsLink(const std::string& path)
{
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

DWORD AttributesOf(const struct stat& info, const std::string& name, bool link)
{
    DWORD attributes = link ? FILE_ATTRIBUTE_REPARSE_POINT : 0;
    if (S_ISDIR(info.st_mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (!(info.st_mode & S_IWUSR))
        attributes |= FILE_ATTRIBUTE_READONLY;
    if (name.size() > 1 && name[0] == '.' && name != "..")
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

template <class Data>
void FillStandardData(const struct stat& info, const std::string& path, const std::string& name, Data* data)
{
    data->dwFileAttributes = AttributesOf(info, name, IsLink(path));
    FileTimeFromUnix(info.st_ctim.tv_sec, info.st_ctim.tv_nsec, &data->ftCreationTime);
    FileTimeFromUnix(info.st_atim.tv_sec, info.st_atim.tv_nsec, &data->ftLastAccessTime);
    FileTimeFromUnix(info.st_mtim.tv_sec, info.st_mtim.tv_nsec, &data->ftLastWriteTime);
    const auto size = S_ISDIR(info.st_mode) ? 0ULL : static_cast<ULONGLONG>(info.st_size);
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size);
}

// Windows reports a missing folder on the way differently from a missing last part.
BOOL FailMissing(const std::string& path)
{
    if (errno != ENOENT)
        return platform::FailWithErrno();
    const size_t slash = path.rfind('/');
    struct stat parent {};
    if (slash != std::string::npos && slash > 0 && !Stat(path.substr(0, slash), &parent))
        return platform::FailWith(ERROR_PATH_NOT_FOUND);
    return platform::FailWith(ERROR_FILE_NOT_FOUND);
}

class FdCloser {
public:
    explicit FdCloser(int fd) : m_fd(fd) { }
    ~FdCloser()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;
    int Get() const { return m_fd; }
    int Release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

bool CopyBytes(int from, int to)
{
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = read(from, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = write(to, buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0)
                return false;
            done += put;
        }
    }
}

bool RenameNoReplace(const std::string& from, const std::string& to)
{
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the flag: link and unlink keep the "never replace" promise.
    if (link(from.c_str(), to.c_str()) != 0)
        return false;
    unlink(from.c_str());
    return true;
}

BOOL CopyPosix(const std::string& from, const std::string& to, bool failIfExists)
{
    FdCloser source(open(from.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (source.Get() < 0)
        return FailMissing(from);
    if (fstat(source.Get(), &info) != 0 || S_ISDIR(info.st_mode))
        return platform::FailWith(ERROR_ACCESS_DENIED);
    struct stat existing {};
    if (failIfExists && Stat(to, &existing))
        return platform::FailWith(ERROR_FILE_EXISTS);
    std::string temporary = to + ".part-XXXXXX";
    FdCloser target(mkostemp(temporary.data(), O_CLOEXEC));
    if (target.Get() < 0)
        return FailMissing(to);
    const bool copied = CopyBytes(source.Get(), target.Get()) && fchmod(target.Get(), info.st_mode & 07777) == 0;
    const int closeResult = close(target.Release());
    const bool placed = copied && closeResult == 0
        && (failIfExists ? RenameNoReplace(temporary, to) : rename(temporary.c_str(), to.c_str()) == 0);
    if (placed)
        return TRUE;
    const int error = errno;
    unlink(temporary.c_str());
    errno = error;
    if (errno == EEXIST)
        return platform::FailWith(ERROR_FILE_EXISTS);
    return platform::FailWithErrno();
}

// Case-insensitive wildcard match of a whole name ("*" any run, "?" one character).
bool WildcardMatch(const wchar_t* pattern, const wchar_t* name)
{
    if (*pattern == 0)
        return *name == 0;
    if (*pattern == L'*') {
        for (const wchar_t* rest = name;; ++rest) {
            if (WildcardMatch(pattern + 1, rest))
                return true;
            if (*rest == 0)
                return false;
        }
    }
    if (*name == 0)
        return false;
    if (*pattern != L'?' && towlower(static_cast<wint_t>(*pattern)) != towlower(static_cast<wint_t>(*name)))
        return false;
    return WildcardMatch(pattern + 1, name + 1);
}

bool NameMatches(const std::wstring& pattern, const std::wstring& name)
{
    if (WildcardMatch(pattern.c_str(), name.c_str()))
        return true;
    // As on Windows, a final ".*" also matches a name without any extension: "*.*" is everything.
    return pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, L".*") == 0
        && WildcardMatch(pattern.substr(0, pattern.size() - 2).c_str(), name.c_str());
}

class SearchObject : public platform::KernelObject {
public:
    std::vector<WIN32_FIND_DATAW> entries;
    size_t next = 0;
};

bool MakeFindData(const std::string& path, const std::string& name, WIN32_FIND_DATAW* data)
{
    struct stat info {};
    const std::wstring wide = platform::Utf8ToWide(name);
    if (wide.size() >= MAX_PATH || (!Stat(path, &info) && lstat(path.c_str(), &info) != 0))
        return false;
    *data = WIN32_FIND_DATAW {};
    FillStandardData(info, path, name, data);
    std::copy(wide.begin(), wide.end(), data->cFileName);
    return true;
}

std::vector<WIN32_FIND_DATAW> ListFolder(const std::string& folder, const std::wstring& pattern, bool* opened)
{
    std::vector<WIN32_FIND_DATAW> found;
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    *opened = dir != nullptr;
    if (!dir)
        return found;
    const std::string prefix = folder.empty() ? "" : folder == "/" ? "/" : folder + "/";
    while (const dirent* entry = readdir(dir)) {
        WIN32_FIND_DATAW data;
        if (NameMatches(pattern, platform::Utf8ToWide(entry->d_name)) && MakeFindData(prefix + entry->d_name, entry->d_name, &data))
            found.push_back(data);
    }
    closedir(dir);
    std::sort(found.begin(), found.end(), [](const WIN32_FIND_DATAW& a, const WIN32_FIND_DATAW& b) {
        return wcscmp(a.cFileName, b.cFileName) < 0;
    });
    return found;
}

}  // namespace

DWORD GetFileAttributesW(LPCWSTR path)
{
    const std::string posix = platform::ToPosixPath(path);
    struct stat info {};
    if (!Stat(posix, &info)) {
        FailMissing(posix);
        return INVALID_FILE_ATTRIBUTES;
    }
    return AttributesOf(info, NameOf(posix), IsLink(posix));
}

BOOL GetFileAttributesExW(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID data)
{
    if (level != GetFileExInfoStandard || data == nullptr)
        return platform::FailWith(ERROR_INVALID_PARAMETER);
    const std::string posix = platform::ToPosixPath(path);
    struct stat info {};
    if (!Stat(posix, &info))
        return FailMissing(posix);
    FillStandardData(info, posix, NameOf(posix), static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(data));
    return TRUE;
}

BOOL SetFileAttributesW(LPCWSTR path, DWORD attributes)
{
    const std::string posix = platform::ToPosixPath(path);
    struct stat info {};
    if (!Stat(posix, &info))
        return FailMissing(posix);
    mode_t mode = info.st_mode & 07777;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else if (!(mode & S_IWUSR))
        mode |= S_IWUSR;
    return chmod(posix.c_str(), mode) == 0 ? TRUE : platform::FailWithErrno();
}

BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES)
{
    const std::string posix = platform::ToPosixPath(path);
    if (posix.empty())
        return platform::FailWith(ERROR_PATH_NOT_FOUND);
    if (mkdir(posix.c_str(), 0777) == 0)
        return TRUE;
    if (errno == ENOENT)
        return platform::FailWith(ERROR_PATH_NOT_FOUND);
    return platform::FailWithErrno();
}

BOOL RemoveDirectoryW(LPCWSTR path)
{
    const std::string posix = platform::ToPosixPath(path);
    if (rmdir(posix.c_str()) == 0)
        return TRUE;
    if (errno == ENOTDIR)
        return platform::FailWith(ERROR_DIRECTORY);
    return errno == ENOENT ? FailMissing(posix) : platform::FailWithErrno();
}

BOOL DeleteFileW(LPCWSTR path)
{
    const std::string posix = platform::ToPosixPath(path);
    struct stat info {};
    if (lstat(posix.c_str(), &info) != 0)
        return FailMissing(posix);
    if (S_ISDIR(info.st_mode))
        return platform::FailWith(ERROR_ACCESS_DENIED);
    return unlink(posix.c_str()) == 0 ? TRUE : platform::FailWithErrno();
}

BOOL CopyFileW(LPCWSTR from, LPCWSTR to, BOOL failIfExists)
{
    const std::string source = platform::ToPosixPath(from), target = platform::ToPosixPath(to);
    if (source.empty() || target.empty())
        return platform::FailWith(ERROR_INVALID_PARAMETER);
    return CopyPosix(source, target, failIfExists != FALSE);
}

BOOL MoveFileW(LPCWSTR from, LPCWSTR to)
{
    return MoveFileExW(from, to, MOVEFILE_COPY_ALLOWED);
}

BOOL MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags)
{
    if (flags & MOVEFILE_DELAY_UNTIL_REBOOT)
        return platform::FailWith(ERROR_NOT_SUPPORTED);
    const std::string source = platform::ToPosixPath(from), target = platform::ToPosixPath(to);
    if (source.empty() || target.empty())
        return platform::FailWith(ERROR_INVALID_PARAMETER);
    const bool replace = flags & MOVEFILE_REPLACE_EXISTING;
    if (replace ? rename(source.c_str(), target.c_str()) == 0 : RenameNoReplace(source, target))
        return TRUE;
    if (errno == EEXIST || errno == ENOTEMPTY)
        return platform::FailWith(ERROR_ALREADY_EXISTS);
    if (errno != EXDEV || !(flags & MOVEFILE_COPY_ALLOWED))
        return errno == ENOENT ? FailMissing(source) : platform::FailWithErrno();
    if (!CopyPosix(source, target, !replace))
        return FALSE;
    unlink(source.c_str());
    return TRUE;
}

BOOL PathFileExistsW(LPCWSTR path)
{
    struct stat info {};
    return Stat(platform::ToPosixPath(path), &info) ? TRUE : FALSE;
}

BOOL PathIsDirectoryW(LPCWSTR path)
{
    struct stat info {};
    return Stat(platform::ToPosixPath(path), &info) && S_ISDIR(info.st_mode) ? TRUE : FALSE;
}

HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data)
{
    const std::string posix = platform::ToPosixPath(pattern);
    if (posix.empty() || data == nullptr || posix.back() == '/') {
        SetLastError(posix.empty() || data == nullptr ? ERROR_INVALID_PARAMETER : ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const size_t slash = posix.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : slash == 0 ? "/" : posix.substr(0, slash);
    const std::string last = slash == std::string::npos ? posix : posix.substr(slash + 1);
    auto search = std::make_shared<SearchObject>();
    bool opened = true;
    if (last.find_first_of("*?") == std::string::npos) {
        WIN32_FIND_DATAW one;
        if (MakeFindData(posix, last, &one))
            search->entries.push_back(one);
    } else {
        search->entries = ListFolder(folder, platform::Utf8ToWide(last), &opened);
    }
    if (search->entries.empty()) {
        SetLastError(opened ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    *data = search->entries[0];
    search->next = 1;
    return platform::InsertHandle(search);
}

BOOL FindNextFileW(HANDLE search, LPWIN32_FIND_DATAW data)
{
    auto object = platform::LookupHandleAs<SearchObject>(search);
    if (!object || data == nullptr)
        return platform::FailWith(ERROR_INVALID_HANDLE);
    if (object->next >= object->entries.size())
        return platform::FailWith(ERROR_NO_MORE_FILES);
    *data = object->entries[object->next++];
    return TRUE;
}

BOOL FindClose(HANDLE search)
{
    if (!platform::LookupHandleAs<SearchObject>(search))
        return platform::FailWith(ERROR_INVALID_HANDLE);
    return CloseHandle(search);
}
