// The wide formatter. Each conversion of the format is read with its Windows meaning, its argument
// taken with the matching type, and formatted on its own: numbers through the C library with a
// rebuilt standard conversion, strings and characters here (so narrow text is read as UTF-8
// whatever the C locale is).

#include "platform/WinBase.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

enum class Size { Default, Char, Short, Long, LongLong, LongDouble, IntMax, SizeT, PtrDiff, Wide };

struct Spec {
    std::wstring flags;
    int width = -1;
    int precision = -1;
    bool leftAlign = false;
    Size size = Size::Default;
    wchar_t conversion = 0;
};

// Widths and precisions beyond this are taken as this: no real text needs more.
constexpr int kLargest = 1 << 24;

class SpecReader {
public:
    SpecReader(const wchar_t* at, va_list* args) : m_at(at), m_args(args) { }

    // Reads the part after '%'; returns false when the format ends inside it.
    bool Read(Spec& spec)
    {
        ReadFlags(spec);
        int width = 0;
        if (ReadNumber(width)) {
            if (width < 0)  // a negative "*" width means left alignment
                spec.leftAlign = true;
            spec.width = std::min(std::abs(std::max(width, -kLargest)), kLargest);
        }
        if (*m_at == L'.') {
            ++m_at;
            int precision = 0;
            ReadNumber(precision);
            spec.precision = precision < 0 ? -1 : std::min(precision, kLargest);  // negative "*": none
        }
        spec.size = ReadSize();
        if (*m_at == 0)
            return false;
        spec.conversion = *m_at++;
        return true;
    }
    const wchar_t* Position() const { return m_at; }

private:
    void ReadFlags(Spec& spec)
    {
        for (;; ++m_at) {
            const wchar_t c = *m_at;
            if (c == L'-')
                spec.leftAlign = true;
            else if (c == L'+' || c == L' ' || c == L'#' || c == L'0')
                spec.flags += c;
            else if (c != L'\'')
                return;
        }
    }
    // A number or "*" (taken from the arguments); false when neither is there.
    bool ReadNumber(int& value)
    {
        if (*m_at == L'*') {
            ++m_at;
            value = va_arg(*m_args, int);
            return true;
        }
        if (*m_at < L'0' || *m_at > L'9')
            return false;
        long number = 0;
        while (*m_at >= L'0' && *m_at <= L'9') {
            number = std::min<long>(number * 10 + (*m_at - L'0'), kLargest);
            ++m_at;
        }
        value = static_cast<int>(number);
        return true;
    }
    Size ReadSize()
    {
        switch (*m_at) {
        case L'h':
            ++m_at;
            if (*m_at == L'h') {
                ++m_at;
                return Size::Char;
            }
            return Size::Short;
        case L'l':
            ++m_at;
            if (*m_at == L'l') {
                ++m_at;
                return Size::LongLong;
            }
            return Size::Long;
        case L'L': ++m_at; return Size::LongDouble;
        case L'q': ++m_at; return Size::LongLong;
        case L'j': ++m_at; return Size::IntMax;
        case L'z': ++m_at; return Size::SizeT;
        case L't': ++m_at; return Size::PtrDiff;
        case L'w': ++m_at; return Size::Wide;
        case L'I': return ReadWindowsSize();
        default: return Size::Default;
        }
    }
    Size ReadWindowsSize()
    {
        ++m_at;
        if (m_at[0] == L'6' && m_at[1] == L'4') {
            m_at += 2;
            return Size::LongLong;
        }
        if (m_at[0] == L'3' && m_at[1] == L'2') {
            m_at += 2;
            return Size::Default;
        }
        return Size::SizeT;
    }

    const wchar_t* m_at;
    va_list* m_args;
};

void Pad(std::wstring& out, const std::wstring& text, const Spec& spec)
{
    const size_t width = spec.width > 0 ? static_cast<size_t>(spec.width) : 0;
    const size_t padding = width > text.size() ? width - text.size() : 0;
    if (!spec.leftAlign)
        out.append(padding, L' ');
    out += text;
    if (spec.leftAlign)
        out.append(padding, L' ');
}

bool TakesNarrow(const Spec& spec)
{
    const bool upper = spec.conversion == L'S' || spec.conversion == L'C';
    if (spec.size == Size::Short)
        return true;
    if (spec.size == Size::Long || spec.size == Size::Wide)
        return false;
    return upper;
}

void AppendString(std::wstring& out, const Spec& spec, va_list* args)
{
    std::wstring text;
    if (TakesNarrow(spec)) {
        const char* narrow = va_arg(*args, const char*);
        text = narrow ? platform::Utf8ToWide(narrow) : L"(null)";
    } else {
        const wchar_t* wide = va_arg(*args, const wchar_t*);
        text = wide ? wide : L"(null)";
    }
    if (spec.precision >= 0 && text.size() > static_cast<size_t>(spec.precision))
        text.resize(static_cast<size_t>(spec.precision));
    Pad(out, text, spec);
}

void AppendChar(std::wstring& out, const Spec& spec, va_list* args)
{
    const int value = va_arg(*args, int);
    wchar_t c = static_cast<wchar_t>(value);
    if (TakesNarrow(spec)) {
        const auto byte = static_cast<unsigned char>(value);
        c = byte < 0x80 ? static_cast<wchar_t>(byte) : wchar_t(0xFFFD);
    }
    Pad(out, std::wstring(1, c), spec);
}

std::wstring StandardSpec(const Spec& spec, const wchar_t* length, wchar_t conversion)
{
    std::wstring text = L"%";
    if (spec.leftAlign)
        text += L'-';
    text += spec.flags;
    if (spec.width >= 0)
        text += std::to_wstring(spec.width);
    if (spec.precision >= 0)
        text += L'.' + std::to_wstring(spec.precision);
    return text + length + conversion;
}

template <class T>
void AppendNumber(std::wstring& out, const Spec& spec, const wchar_t* length, T value)
{
    const std::wstring format = StandardSpec(spec, length, spec.conversion);
    size_t capacity = 512 + static_cast<size_t>(std::max(spec.width, 0)) + static_cast<size_t>(std::max(spec.precision, 0));
    for (;;) {
        std::vector<wchar_t> buffer(capacity);
        const int written = swprintf(buffer.data(), capacity, format.c_str(), value);
        if (written >= 0) {
            out.append(buffer.data(), static_cast<size_t>(written));
            return;
        }
        if (capacity > (1u << 26))
            return;  // cannot happen with bounded widths; never loop forever
        capacity *= 4;
    }
}

void AppendSigned(std::wstring& out, const Spec& spec, va_list* args)
{
    switch (spec.size) {
    case Size::LongLong: AppendNumber(out, spec, L"ll", va_arg(*args, long long)); return;
    case Size::IntMax: AppendNumber(out, spec, L"j", va_arg(*args, intmax_t)); return;
    case Size::SizeT: AppendNumber(out, spec, L"z", va_arg(*args, ptrdiff_t)); return;
    case Size::PtrDiff: AppendNumber(out, spec, L"t", va_arg(*args, ptrdiff_t)); return;
    case Size::Char: AppendNumber(out, spec, L"hh", va_arg(*args, int)); return;
    case Size::Short: AppendNumber(out, spec, L"h", va_arg(*args, int)); return;
    default: AppendNumber(out, spec, L"", va_arg(*args, int)); return;  // %ld is 32-bit, as on Windows
    }
}

void AppendUnsigned(std::wstring& out, const Spec& spec, va_list* args)
{
    switch (spec.size) {
    case Size::LongLong: AppendNumber(out, spec, L"ll", va_arg(*args, unsigned long long)); return;
    case Size::IntMax: AppendNumber(out, spec, L"j", va_arg(*args, uintmax_t)); return;
    case Size::SizeT: AppendNumber(out, spec, L"z", va_arg(*args, size_t)); return;
    case Size::PtrDiff: AppendNumber(out, spec, L"t", va_arg(*args, ptrdiff_t)); return;
    case Size::Char: AppendNumber(out, spec, L"hh", va_arg(*args, unsigned)); return;
    case Size::Short: AppendNumber(out, spec, L"h", va_arg(*args, unsigned)); return;
    default: AppendNumber(out, spec, L"", va_arg(*args, unsigned)); return;
    }
}

void AppendFloat(std::wstring& out, const Spec& spec, va_list* args)
{
    if (spec.size == Size::LongDouble)
        AppendNumber(out, spec, L"L", va_arg(*args, long double));
    else
        AppendNumber(out, spec, L"", va_arg(*args, double));
}

// Returns false for a conversion this formatter does not know; the text is then copied as written.
bool AppendConversion(std::wstring& out, const Spec& spec, va_list* args)
{
    switch (spec.conversion) {
    case L'%': out += L'%'; return true;
    case L's': case L'S': case L'Z': AppendString(out, spec, args); return true;
    case L'c': case L'C': AppendChar(out, spec, args); return true;
    case L'd': case L'i': AppendSigned(out, spec, args); return true;
    case L'u': case L'o': case L'x': case L'X': AppendUnsigned(out, spec, args); return true;
    case L'f': case L'F': case L'e': case L'E': case L'g': case L'G': case L'a': case L'A':
        AppendFloat(out, spec, args);
        return true;
    case L'p': AppendNumber(out, spec, L"", va_arg(*args, void*)); return true;
    case L'n': va_arg(*args, void*); return true;  // writing through a format is never wanted
    default: return false;
    }
}

}  // namespace

namespace platform {

std::wstring FormatWideV(const wchar_t* format, va_list args)
{
    std::wstring out;
    if (format == nullptr)
        return out;
    va_list copy;
    va_copy(copy, args);
    for (const wchar_t* at = format; *at;) {
        if (*at != L'%') {
            const wchar_t* next = wcschr(at, L'%');
            const size_t run = next ? static_cast<size_t>(next - at) : wcslen(at);
            out.append(at, run);
            at += run;
            continue;
        }
        SpecReader reader(at + 1, &copy);
        Spec spec;
        if (!reader.Read(spec)) {
            out += at;  // a format that ends inside a conversion is copied as it stands
            break;
        }
        if (!AppendConversion(out, spec, &copy))
            out.append(at, reader.Position());
        at = reader.Position();
    }
    va_end(copy);
    return out;
}

std::wstring FormatWideArgs(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    std::wstring text = FormatWideV(format, args);
    va_end(args);
    return text;
}

int FormatWideInto(wchar_t* buffer, size_t capacity, const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::wstring text = FormatWideV(format, args);
    va_end(args);
    if (buffer != nullptr && capacity > 0) {
        const size_t kept = std::min(text.size(), capacity - 1);
        std::copy_n(text.data(), kept, buffer);
        buffer[kept] = 0;
    }
    return static_cast<int>(std::min<size_t>(text.size(), INT32_MAX));
}

}  // namespace platform
