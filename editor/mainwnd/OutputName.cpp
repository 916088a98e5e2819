#include "editor/mainwnd/OutputName.h"

#include <cwchar>

namespace {

bool RefusedInFileName(wchar_t c)
{
    return c < 0x20 || c == 0x7F || std::wcschr(L"/\\:*?\"<>|", c) != nullptr;
}

bool Trimmed(wchar_t c)
{
    return c == L' ' || c == L'.' || c == L'\t' || c == 0x3000;  // 0x3000: the ideographic space
}

}  // namespace

std::wstring SafeOutputName(const std::wstring& typed, const std::wstring& fallback)
{
    std::wstring name;
    for (wchar_t c : typed)
        name += RefusedInFileName(c) ? L'_' : c;
    const size_t first = name.find_first_not_of(L" .\t\x3000");
    if (first == std::wstring::npos)
        return fallback;
    size_t last = name.size();
    while (last > first && Trimmed(name[last - 1]))
        --last;
    return name.substr(first, last - first);
}
