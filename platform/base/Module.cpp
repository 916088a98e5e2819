// The program's module and run-time libraries over dlopen.

#include "platform/WinBase.h"
#include "platform/base/LastError.h"
#include "platform/base/Path.h"

#include <dlfcn.h>
#include <link.h>
#include <strings.h>
#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

HMODULE MainModule()
{
    static void* const program = dlopen(nullptr, RTLD_LAZY);
    return static_cast<HMODULE>(program);
}

bool FileExists(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool EndsWithDll(const std::string& name)
{
    return name.size() > 4 && strcasecmp(name.c_str() + name.size() - 4, ".dll") == 0;
}

// Where a library name may be found, in order. An entry without "/" is left to the system search.
std::vector<std::string> LibraryCandidates(const std::string& name)
{
    std::string path = name;
    while (path.rfind("./", 0) == 0)
        path.erase(0, 2);
    const bool bare = path.find('/') == std::string::npos;
    if (path.empty() || path[0] != '/')
        path = platform::ProgramFolder() + path;
    const size_t slash = path.rfind('/');
    const std::string folder = path.substr(0, slash + 1), file = path.substr(slash + 1);
    std::vector<std::string> candidates;
    if (EndsWithDll(file)) {
        const std::string stem = file.substr(0, file.size() - 4);
        candidates = { folder + "lib" + stem + ".so", folder + stem + ".so", path };
        return candidates;
    }
    candidates.push_back(path);
    if (bare)
        candidates.push_back(file);
    return candidates;
}

HMODULE Load(const std::string& name)
{
    if (name.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    bool foundFile = false;
    for (const std::string& candidate : LibraryCandidates(name)) {
        const bool systemSearch = candidate.find('/') == std::string::npos;
        if (!systemSearch && !FileExists(candidate))
            continue;
        foundFile |= !systemSearch;
        if (void* library = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL))
            return static_cast<HMODULE>(library);
    }
    SetLastError(foundFile ? ERROR_BAD_EXE_FORMAT : ERROR_MOD_NOT_FOUND);
    return nullptr;
}

}  // namespace

HMODULE GetModuleHandleW(LPCWSTR name)
{
    if (name == nullptr)
        return MainModule();
    for (const std::string& candidate : LibraryCandidates(platform::ToPosixPath(name))) {
        if (void* library = dlopen(candidate.c_str(), RTLD_LAZY | RTLD_NOLOAD)) {
            dlclose(library);  // NOLOAD counted a reference; the module stays loaded by its owner
            return static_cast<HMODULE>(library);
        }
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size)
{
    std::string path;
    if (module == nullptr || module == MainModule()) {
        path = platform::ProgramPath();
    } else {
        link_map* map = nullptr;
        if (dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr || map->l_name == nullptr) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return 0;
        }
        path = map->l_name;
    }
    const std::wstring wide = platform::ToWidePath(path);
    if (buffer == nullptr || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    // Windows cuts a long name to the buffer and still terminates it.
    const size_t kept = std::min<size_t>(wide.size(), size - 1);
    std::copy_n(wide.begin(), kept, buffer);
    buffer[kept] = 0;
    if (kept < wide.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(kept);
}

HMODULE LoadLibraryW(LPCWSTR name)
{
    return Load(platform::ToPosixPath(name));
}

HMODULE LoadLibraryA(LPCSTR name)
{
    return Load(name ? platform::ToPosixPath(platform::Utf8ToWide(name)) : std::string());
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name)
{
    if (module == nullptr || name == nullptr || IS_INTRESOURCE(name)) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    void* symbol = dlsym(module, name);
    if (symbol == nullptr) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

BOOL FreeLibrary(HMODULE module)
{
    if (module == nullptr)
        return platform::FailWith(ERROR_INVALID_HANDLE);
    if (module == MainModule())
        return TRUE;
    return dlclose(module) == 0 ? TRUE : platform::FailWith(ERROR_INVALID_HANDLE);
}
