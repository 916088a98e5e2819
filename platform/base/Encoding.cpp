// Code page conversions: UTF-8 by hand (no locale involved), GBK through iconv.

#include "platform/WinBase.h"
#include "platform/base/LastError.h"

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <iconv.h>
#include <memory>

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

bool IsUtf8(UINT codePage)
{
    return codePage == CP_UTF8 || codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP;
}

// Decodes one UTF-8 sequence at text[*pos]; advances *pos. Returns false for an invalid sequence
// (then *pos has moved past the offending bytes: the lead and any valid continuation bytes).
bool DecodeUtf8(const unsigned char* text, size_t size, size_t* pos, char32_t* out)
{
    const unsigned char lead = text[(*pos)++];
    if (lead < 0x80) {
        *out = lead;
        return true;
    }
    int extra = 0;
    char32_t value = 0, minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1, value = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2, value = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3, value = lead & 0x07, minimum = 0x10000;
    } else {
        return false;
    }
    for (int i = 0; i < extra; ++i) {
        if (*pos >= size || (text[*pos] & 0xC0) != 0x80)
            return false;
        value = (value << 6) | (text[(*pos)++] & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return false;
    *out = value;
    return true;
}

// Reads one wide character, joining a UTF-16 surrogate pair that arrived in two wchar_t. Returns
// false for a value that is no Unicode scalar value.
bool NextWide(const wchar_t* text, size_t size, size_t* pos, char32_t* out)
{
    char32_t c = static_cast<char32_t>(text[(*pos)++]);
    if (c >= 0xD800 && c <= 0xDBFF && *pos < size) {
        const char32_t low = static_cast<char32_t>(text[*pos]);
        if (low >= 0xDC00 && low <= 0xDFFF) {
            ++*pos;
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        }
    }
    *out = c;
    return c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
}

bool Utf8ToWideChecked(const char* text, size_t size, bool strict, std::wstring& out)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    size_t pos = 0;
    while (pos < size) {
        char32_t c;
        if (!DecodeUtf8(bytes, size, &pos, &c)) {
            if (strict)
                return false;
            c = kReplacement;
        }
        out += static_cast<wchar_t>(c);
    }
    return true;
}

bool WideToUtf8Checked(const wchar_t* text, size_t size, bool strict, std::string& out)
{
    size_t pos = 0;
    while (pos < size) {
        char32_t c;
        if (!NextWide(text, size, &pos, &c)) {
            if (strict)
                return false;
            c = kReplacement;
        }
        platform::AppendUtf8(out, c);
    }
    return true;
}

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

IconvHandle OpenIconv(const char* to, const char* from)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return nullptr;
    return IconvHandle(cd);
}

bool GbkToWide(const char* text, size_t size, bool strict, std::wstring& out)
{
    IconvHandle cd = OpenIconv("WCHAR_T", "CP936");
    if (!cd)
        return false;
    char* in = const_cast<char*>(text);
    size_t inLeft = size;
    while (inLeft > 0) {
        wchar_t buffer[256];
        char* outPtr = reinterpret_cast<char*>(buffer);
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(static_cast<iconv_t>(cd.get()), &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, (sizeof buffer - outLeft) / sizeof(wchar_t));
        if (result != static_cast<size_t>(-1) || errno == E2BIG)
            continue;
        if (strict)
            return false;
        out += kReplacement;  // an invalid or cut-off byte: skip it and go on
        ++in;
        --inLeft;
    }
    return true;
}

bool WideToGbk(const wchar_t* text, size_t size, char defaultChar, bool* usedDefault, std::string& out)
{
    IconvHandle cd = OpenIconv("CP936", "WCHAR_T");
    if (!cd)
        return false;
    char* in = reinterpret_cast<char*>(const_cast<wchar_t*>(text));
    size_t inLeft = size * sizeof(wchar_t);
    while (inLeft > 0) {
        char buffer[512];
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(static_cast<iconv_t>(cd.get()), &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        if (result != static_cast<size_t>(-1) || errno == E2BIG)
            continue;
        out += defaultChar;  // a character GBK cannot hold
        *usedDefault = true;
        in += sizeof(wchar_t);
        inLeft -= sizeof(wchar_t);
    }
    return true;
}

bool SupportedCodePage(UINT codePage)
{
    return IsUtf8(codePage) || codePage == 936;
}

// Copies a converted text out as the Windows calls do: size query, or the text when it fits.
template <class Char>
int Deliver(const std::basic_string<Char>& converted, Char* out, int outSize)
{
    const size_t needed = converted.size();
    if (needed > static_cast<size_t>(INT32_MAX)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (outSize == 0)
        return static_cast<int>(needed);
    if (out == nullptr || needed > static_cast<size_t>(outSize)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(converted.begin(), converted.end(), out);
    return static_cast<int>(needed);
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR out, int outSize)
{
    if (text == nullptr || length == 0 || length < -1 || outSize < 0 || !SupportedCodePage(codePage)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const size_t size = length == -1 ? strlen(text) + 1 : static_cast<size_t>(length);
    const bool strict = (flags & MB_ERR_INVALID_CHARS) != 0;
    std::wstring converted;
    const bool ok = IsUtf8(codePage) ? Utf8ToWideChecked(text, size, strict, converted)
                                     : GbkToWide(text, size, strict, converted);
    if (!ok) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    return Deliver(converted, out, outSize);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR text, int length, LPSTR out, int outSize,
    LPCSTR defaultChar, BOOL* usedDefaultChar)
{
    if (text == nullptr || length == 0 || length < -1 || outSize < 0 || !SupportedCodePage(codePage)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const size_t size = length == -1 ? wcslen(text) + 1 : static_cast<size_t>(length);
    std::string converted;
    bool usedDefault = false;
    const bool ok = IsUtf8(codePage)
        ? WideToUtf8Checked(text, size, (flags & WC_ERR_INVALID_CHARS) != 0, converted)
        : WideToGbk(text, size, defaultChar ? *defaultChar : '?', &usedDefault, converted);
    if (!ok) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    if (usedDefaultChar)
        *usedDefaultChar = usedDefault ? TRUE : FALSE;
    return Deliver(converted, out, outSize);
}

UINT GetACP()
{
    return CP_UTF8;
}

namespace platform {

void AppendUtf8(std::string& out, char32_t c)
{
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        c = kReplacement;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::wstring Utf8ToWide(std::string_view text)
{
    std::wstring out;
    Utf8ToWideChecked(text.data(), text.size(), false, out);
    return out;
}

std::string WideToUtf8(std::wstring_view text)
{
    std::string out;
    WideToUtf8Checked(text.data(), text.size(), false, out);
    return out;
}

}  // namespace platform
