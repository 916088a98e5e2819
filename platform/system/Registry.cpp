#include "platform/Registry.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <set>
#include <string>

#include "platform/WinBase.h"

namespace {

struct OpenKey {
    std::string path;  // "HKEY_CURRENT_USER\...", lower-cased ASCII
};

std::mutex& KeysLock()
{
    static std::mutex lock;
    return lock;
}

std::set<const OpenKey*>& Keys()
{
    static std::set<const OpenKey*> keys;
    return keys;
}

std::string StorePath()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config)
        return std::string(config) + "/Quillmoor/registry.txt";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.config/Quillmoor/registry.txt";
}

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string RootName(HKEY root)
{
    if (root == HKEY_CURRENT_USER)
        return "hkey_current_user";
    if (root == HKEY_LOCAL_MACHINE)
        return "hkey_local_machine";
    return {};
}

std::string Utf8(LPCWSTR text)
{
    return text ? platform::WideToUtf8(text) : std::string();
}

// Calls back with every (lower-cased name, text) line of the store.
template <typename Visit>
void ForEachValue(Visit visit)
{
    std::ifstream in(StorePath());
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const size_t equals = line.find('=');
        if (equals == std::string::npos || line.empty() || line[0] == '#')
            continue;
        if (visit(Lower(line.substr(0, equals)), line.substr(equals + 1)))
            return;
    }
}

}  // namespace

LONG RegOpenKeyExW(HKEY root, LPCWSTR subKey, DWORD, REGSAM, PHKEY result)
{
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    const std::string rootName = RootName(root);
    if (rootName.empty())
        return ERROR_INVALID_HANDLE;
    std::string path = rootName + "\\" + Lower(Utf8(subKey));
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    bool found = false;
    ForEachValue([&](const std::string& name, const std::string&) {
        found = name.size() > path.size() && name.compare(0, path.size(), path) == 0 && name[path.size()] == '\\';
        return found;
    });
    if (!found)
        return ERROR_FILE_NOT_FOUND;
    auto* key = new OpenKey { path };
    {
        std::lock_guard lock(KeysLock());
        Keys().insert(key);
    }
    *result = reinterpret_cast<HKEY>(key);
    return ERROR_SUCCESS;
}

LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size)
{
    const auto* open = reinterpret_cast<const OpenKey*>(key);
    std::string wanted;
    {
        std::lock_guard lock(KeysLock());
        if (Keys().count(open) == 0)
            return ERROR_INVALID_HANDLE;
        wanted = open->path + "\\" + Lower(Utf8(valueName));
    }
    bool found = false;
    std::wstring value;
    ForEachValue([&](const std::string& name, const std::string& text) {
        if (name != wanted)
            return false;
        found = true;
        value = platform::Utf8ToWide(text);
        return true;
    });
    if (!found)
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = REG_SZ;
    const DWORD needed = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    if (size == nullptr)
        return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    if (data == nullptr || *size < needed) {
        *size = needed;
        return data ? ERROR_MORE_DATA : ERROR_SUCCESS;
    }
    std::memcpy(data, value.c_str(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key)
{
    const auto* open = reinterpret_cast<const OpenKey*>(key);
    {
        std::lock_guard lock(KeysLock());
        if (Keys().erase(open) == 0)
            return ERROR_INVALID_HANDLE;
    }
    delete open;
    return ERROR_SUCCESS;
}
