#include "platform/system/SystemText.h"

#include <cstdint>

namespace platform::system_text {

std::string ToUtf8(const std::wstring& text)
{
    std::string out;
    for (wchar_t wc : text) {
        auto code = static_cast<uint32_t>(wc);
        if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            code = 0xFFFD;
        if (code < 0x80) {
            out += static_cast<char>(code);
            continue;
        }
        const int extra = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
        static const unsigned char kLead[] = { 0, 0xC0, 0xE0, 0xF0 };
        out += static_cast<char>(kLead[extra] | (code >> (6 * extra)));
        for (int k = extra - 1; k >= 0; --k)
            out += static_cast<char>(0x80 | ((code >> (6 * k)) & 0x3F));
    }
    return out;
}

std::wstring FromUtf8(const std::string& text)
{
    std::wstring out;
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2 : (lead >> 3) == 0x1E ? 3 : -1;
        uint32_t code = extra <= 0 ? lead : lead & (0x3F >> extra);
        bool ok = extra >= 0 && i + extra < text.size();
        for (int k = 1; ok && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            ok = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        out += ok ? static_cast<wchar_t>(code) : L'\xFFFD';
        i += ok ? extra + 1 : 1;
    }
    return out;
}

std::string ToPosixPath(const wchar_t* path)
{
    std::string out = ToUtf8(path ? path : L"");
    for (char& ch : out)
        if (ch == '\\')
            ch = '/';
    return out;
}

}  // namespace platform::system_text
