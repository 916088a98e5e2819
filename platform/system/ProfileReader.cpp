#include "platform/system/System.h"
#include "platform/system/SystemText.h"

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <fstream>
#include <optional>
#include <sstream>

namespace {

std::wstring Trim(const std::wstring& text)
{
    const size_t first = text.find_first_not_of(L" \t\r\n");
    if (first == std::wstring::npos)
        return std::wstring();
    return text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1);
}

bool EqualNoCase(const std::wstring& a, const std::wstring& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
        return std::towlower(x) == std::towlower(y);
    });
}

// The value of key in section, or nothing when the file, the section or the key is missing.
std::optional<std::wstring> ReadProfileValue(LPCWSTR section, LPCWSTR key, LPCWSTR fileName)
{
    if (!section || !key || !fileName)
        return std::nullopt;
    std::ifstream file(platform::system_text::ToPosixPath(fileName), std::ios::binary);
    if (!file)
        return std::nullopt;
    std::stringstream bytes;
    bytes << file.rdbuf();
    std::string content = bytes.str();
    if (content.rfind("\xEF\xBB\xBF", 0) == 0)
        content.erase(0, 3);
    std::wistringstream lines(platform::system_text::FromUtf8(content));
    bool inSection = false;
    for (std::wstring line; std::getline(lines, line);) {
        line = Trim(line);
        if (line.empty() || line[0] == L';')
            continue;
        if (line[0] == L'[') {
            const size_t close = line.find(L']');
            inSection = close != std::wstring::npos && EqualNoCase(Trim(line.substr(1, close - 1)), section);
            continue;
        }
        const size_t eq = line.find(L'=');
        if (inSection && eq != std::wstring::npos && EqualNoCase(Trim(line.substr(0, eq)), key))
            return Trim(line.substr(eq + 1));
    }
    return std::nullopt;
}

}  // namespace

UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR fileName)
{
    const std::optional<std::wstring> value = ReadProfileValue(section, key, fileName);
    if (!value)
        return static_cast<UINT>(defaultValue);
    // Leading digits count, as on Windows: "1 ; on" reads 1, "yes" reads 0.
    return static_cast<UINT>(std::wcstol(value->c_str(), nullptr, 10));
}

DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue,
                               LPWSTR buffer, DWORD size, LPCWSTR fileName)
{
    if (!buffer || size == 0)
        return 0;
    const std::optional<std::wstring> value = ReadProfileValue(section, key, fileName);
    std::wstring text = value ? *value : std::wstring(defaultValue ? defaultValue : L"");
    if (text.size() > size - 1)
        text.resize(size - 1);
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = L'\0';
    return static_cast<DWORD>(text.size());
}
