// The current folder, the temporary folder and the special folders.

#include "platform/WinBase.h"
#include "platform/base/LastError.h"
#include "platform/base/Path.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Windows' buffer rule: the text and its terminator when they fit (returns the length), otherwise
// the size the buffer would need, terminator included.
DWORD CopyOut(const std::wstring& text, DWORD size, LPWSTR buffer)
{
    if (buffer == nullptr || text.size() + 1 > size)
        return static_cast<DWORD>(text.size() + 1);
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = 0;
    return static_cast<DWORD>(text.size());
}

std::string FromEnvironment(const char* name, const std::string& fallback)
{
    const char* value = getenv(name);
    return value && *value == '/' ? value : fallback;
}

// The folder a CSIDL names; empty for one this layer does not know.
std::string SpecialFolder(int csidl)
{
    const std::string home = platform::HomeFolder();
    switch (csidl & 0xFF) {
    case CSIDL_DESKTOP:
    case CSIDL_DESKTOPDIRECTORY: return FromEnvironment("XDG_DESKTOP_DIR", home + "/Desktop");
    case CSIDL_PERSONAL: return FromEnvironment("XDG_DOCUMENTS_DIR", home + "/Documents");
    case CSIDL_MYMUSIC: return FromEnvironment("XDG_MUSIC_DIR", home + "/Music");
    case CSIDL_MYVIDEO: return FromEnvironment("XDG_VIDEOS_DIR", home + "/Videos");
    case CSIDL_MYPICTURES: return FromEnvironment("XDG_PICTURES_DIR", home + "/Pictures");
    case CSIDL_APPDATA: return FromEnvironment("XDG_CONFIG_HOME", home + "/.config");
    case CSIDL_LOCAL_APPDATA: return FromEnvironment("XDG_DATA_HOME", home + "/.local/share");
    case CSIDL_PROFILE: return home;
    default: return {};
    }
}

bool CreateFolders(const std::string& path)
{
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

bool SpecialFolderInto(int csidl, bool create, LPWSTR path)
{
    const std::string folder = SpecialFolder(csidl);
    if (folder.empty() || path == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (create && !CreateFolders(folder)) {
        platform::FailWithErrno();
        return false;
    }
    const std::wstring wide = platform::ToWidePath(folder);
    if (wide.size() >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    CopyOut(wide, MAX_PATH, path);
    return true;
}

std::string TempFolder()
{
    std::string folder = FromEnvironment("TMPDIR", "/tmp");
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

// A folder only this user can enter: a real folder (not a link), ours, closed to group and others.
bool IsPrivateFolder(const std::string& path)
{
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid()
        && (info.st_mode & 077) == 0;
}

}  // namespace

std::wstring platform::PrivateWorkFolder()
{
    const std::string parent = TempFolder();
    const std::string folder = parent + "quillmoor-" + std::to_string(geteuid());
    if (mkdir(folder.c_str(), 0700) == 0 || IsPrivateFolder(folder))
        return ToWidePath(folder);
    // The usual name is taken by something we cannot trust: one fresh folder per temporary folder
    // for the rest of the run.
    static std::mutex lock;
    static std::map<std::string, std::string> replacements;
    std::lock_guard guard(lock);
    std::string& replacement = replacements[parent];
    if (replacement.empty() || !IsPrivateFolder(replacement)) {
        std::string pattern = folder + "-XXXXXX";
        replacement = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    return replacement.empty() ? std::wstring() : ToWidePath(replacement);
}

DWORD GetCurrentDirectoryW(DWORD size, LPWSTR buffer)
{
    char* current = getcwd(nullptr, 0);
    if (current == nullptr) {
        platform::FailWithErrno();
        return 0;
    }
    const std::wstring wide = platform::ToWidePath(current);
    free(current);
    return CopyOut(wide, size, buffer);
}

BOOL SetCurrentDirectoryW(LPCWSTR path)
{
    const std::string posix = platform::ToPosixPath(path);
    if (posix.empty())
        return platform::FailWith(ERROR_PATH_NOT_FOUND);
    if (chdir(posix.c_str()) == 0)
        return TRUE;
    if (errno == ENOTDIR)
        return platform::FailWith(ERROR_DIRECTORY);
    return errno == ENOENT ? platform::FailWith(ERROR_PATH_NOT_FOUND) : platform::FailWithErrno();
}

DWORD GetTempPathW(DWORD size, LPWSTR buffer)
{
    return CopyOut(platform::ToWidePath(TempFolder()), size, buffer);
}

BOOL SHGetSpecialFolderPathW(HWND, LPWSTR path, int csidl, BOOL create)
{
    return SpecialFolderInto(csidl, create != FALSE || (csidl & CSIDL_FLAG_CREATE), path) ? TRUE : FALSE;
}

HRESULT SHGetFolderPathW(HWND, int csidl, HANDLE, DWORD, LPWSTR path)
{
    if (SpecialFolder(csidl).empty())
        return E_INVALIDARG;
    return SpecialFolderInto(csidl, (csidl & CSIDL_FLAG_CREATE) != 0, path) ? S_OK : E_FAIL;
}
