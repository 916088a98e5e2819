#include "platform/base/Path.h"

#include "platform/WinBase.h"

#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

bool EndsWithExe(std::string_view name)
{
    return name.size() > 4 && strncasecmp(name.data() + name.size() - 4, ".exe", 4) == 0;
}

std::string WithoutExe(const std::string& name)
{
    return EndsWithExe(name) ? name.substr(0, name.size() - 4) : name;
}

std::string FirstExecutable(const std::string& path)
{
    if (platform::IsExecutableFile(path))
        return path;
    const std::string bare = WithoutExe(path);
    if (bare != path && platform::IsExecutableFile(bare))
        return bare;
    return {};
}

std::string SearchFolders(const std::string& name)
{
    std::vector<std::string> folders { platform::ProgramFolder() };
    const char* path = getenv("PATH");
    std::string list = path ? path : "/usr/local/bin:/usr/bin:/bin";
    for (size_t start = 0; start <= list.size();) {
        const size_t end = std::min(list.find(':', start), list.size());
        if (end > start)  // an empty entry would mean the current folder: never searched
            folders.push_back(list.substr(start, end - start) + "/");
        start = end + 1;
    }
    for (const std::string& folder : folders) {
        std::string found = FirstExecutable(folder + name);
        if (!found.empty())
            return found;
    }
    return {};
}

}  // namespace

namespace platform {

std::string ToPosixPath(std::wstring_view path)
{
    std::string text = WideToUtf8(path);
    for (char& c : text)
        if (c == '\\')
            c = '/';
    if (text.size() >= 2 && text[1] == ':')
        text = HomeFolder() + text.substr(2);
    return text;
}

std::string ToPosixPath(LPCWSTR path)
{
    return path ? ToPosixPath(std::wstring_view(path)) : std::string();
}

std::wstring ToWidePath(const std::string& path)
{
    return Utf8ToWide(path);
}

std::wstring ToNativePath(std::wstring_view path)
{
    return ToWidePath(ToPosixPath(path));
}

std::string HomeFolder()
{
    const char* home = getenv("HOME");
    if (home && *home)
        return home;
    const passwd* entry = getpwuid(getuid());
    return entry && entry->pw_dir ? entry->pw_dir : "/";
}

std::string ProgramPath()
{
    char buffer[PATH_MAX];
    const ssize_t size = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (size <= 0)
        return {};
    return std::string(buffer, static_cast<size_t>(size));
}

std::string ProgramFolder()
{
    const std::string path = ProgramPath();
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("/") : path.substr(0, slash + 1);
}

bool IsExecutableFile(const std::string& path)
{
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string FindProgram(std::wstring_view name)
{
    const std::string path = ToPosixPath(name);
    if (path.empty())
        return {};
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return SearchFolders(path);
    std::string found = FirstExecutable(path);
    if (!found.empty())
        return found;
    return SearchFolders(path.substr(slash + 1));
}

}  // namespace platform
