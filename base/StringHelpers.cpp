#include "base/StringHelpers.h"

#include "platform/WinBase.h"
#include "platform/base/Path.h"

#include <cstdarg>

namespace {

constexpr size_t kLargestFormatted = 0x2000000;  // the largest buffer the formatter may grow to
constexpr DWORD kPathBuffer = MAX_PATH;

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// The length of the longest prefix of valid UTF-8 before any terminator.
size_t ValidUtf8Prefix(const std::string& text)
{
    size_t pos = 0;
    while (pos < text.size() && text[pos] != 0) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        const size_t length = lead < 0x80 ? 1 : (lead >= 0xC2 && lead <= 0xDF) ? 2 : (lead >= 0xE0 && lead <= 0xEF) ? 3
                            : (lead >= 0xF0 && lead <= 0xF4) ? 4 : 0;
        if (length == 0 || pos + length > text.size())
            return pos;
        if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data() + pos, static_cast<int>(length), nullptr, 0) == 0)
            return pos;
        pos += length;
    }
    return pos;
}

bool IsUnicodeScalar(wchar_t c)
{
    const auto value = static_cast<uint32_t>(c);
    return value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF);
}

}  // namespace

std::wstring FormatWide(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    std::wstring text = platform::FormatWideV(format, args);
    va_end(args);
    if (text.size() >= kLargestFormatted)
        return {};
    return text;
}

std::wstring AnsiToWide(const std::string& text)
{
    const size_t valid = ValidUtf8Prefix(text);
    if (valid == 0)
        return {};
    std::wstring out(valid, L'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(valid), out.data(), static_cast<int>(valid));
    out.resize(static_cast<size_t>(length));
    return out;
}

std::string WideToAnsi(const std::wstring& text)
{
    size_t valid = 0;
    while (valid < text.size() && text[valid] != 0 && IsUnicodeScalar(text[valid]))
        ++valid;
    if (valid == 0)
        return {};
    return platform::WideToUtf8(std::wstring_view(text.data(), valid));
}

std::string WideToCodePage(const std::wstring& text, UINT codePage)
{
    const int size = WideCharToMultiByte(codePage, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    out.resize(static_cast<size_t>(size - 1));
    return out;
}

std::string WideToUtf8(const std::wstring& text)
{
    return WideToCodePage(text, CP_UTF8);
}

size_t ReplaceAllInPlace(const std::wstring& pattern, const std::wstring& replacement, std::wstring& text)
{
    if (pattern.empty() || text.empty())
        return 0;
    std::wstring out;
    size_t count = 0, from = 0;
    for (size_t at = text.find(pattern); at != std::wstring::npos; at = text.find(pattern, from)) {
        out.append(text, from, at - from);
        out += replacement;
        from = at + pattern.size();
        ++count;
    }
    if (count == 0)
        return 0;
    out.append(text, from, std::wstring::npos);
    text.swap(out);
    return count;
}

void ToLowerAsciiInPlace(std::wstring& text)
{
    for (wchar_t& c : text)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c + 32);
}

std::wstring ToLowerAsciiCopy(const std::wstring& text)
{
    std::wstring copy = text;
    ToLowerAsciiInPlace(copy);
    return copy;
}

bool SplitFolderAndFileName(const std::wstring& path, std::wstring& folder, std::wstring& fileName)
{
    if (path.empty())
        return false;
    const size_t drive = path.size() >= 2 && path[1] == L':' ? 2 : 0;
    const size_t last = path.find_last_of(L"\\/");
    const size_t nameStart = last == std::wstring::npos || last < drive ? drive : last + 1;
    folder = path.substr(0, nameStart);
    fileName = path.substr(nameStart);
    if (!folder.empty() && !IsSeparator(folder.back()))
        folder += L'\\';
    return true;
}

bool FolderPartOfPath(const std::wstring& path, std::wstring& folder)
{
    for (size_t i = path.size(); i-- > 1;) {
        if (IsSeparator(path[i])) {
            folder = path.substr(0, i + 1);
            return true;
        }
    }
    return false;
}

std::wstring PathOfModule(HMODULE module)
{
    wchar_t buffer[kPathBuffer] = {};
    const DWORD length = GetModuleFileNameW(module, buffer, kPathBuffer);
    return std::wstring(buffer, wcsnlen(buffer, length));
}

std::wstring FolderOfModule(HMODULE module)
{
    std::wstring folder;
    return FolderPartOfPath(PathOfModule(module), folder) ? folder : std::wstring();
}

std::wstring FolderOfOwnCode()
{
    return FolderOfModule(GetModuleHandleW(nullptr));
}

std::wstring UserTempFolder()
{
    wchar_t buffer[kPathBuffer] = {};
    const DWORD length = GetTempPathW(kPathBuffer, buffer);
    return length < kPathBuffer ? std::wstring(buffer, length) : std::wstring();
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name)
{
    std::wstring path = folder.empty() ? std::wstring() : platform::ToNativePath(folder);
    if (path.empty())
        return name;
    while (path.size() > 1 && path.back() == L'/')
        path.pop_back();
    if (path.back() != L'/')
        path += L'/';
    return path + name;
}
