#include "ui/core/UIString.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>

#include "platform/WinBase.h"


namespace SkinUI {

namespace {

constexpr int kMaxInlineLength = CUIString::MAX_LOCAL_STRING_LEN - 1;

int TextLength(const wchar_t* text)
{
    return text ? static_cast<int>(wcslen(text)) : 0;
}

// Narrow text in the system ANSI code page, widened; empty when the conversion fails.
CUIString WidenAnsi(const char* text)
{
    const int bytes = static_cast<int>(strlen(text));
    wchar_t* wide = static_cast<wchar_t*>(calloc(bytes + 1, sizeof(wchar_t)));
    if (!wide)
        return CUIString();
    ::MultiByteToWideChar(::GetACP(), 0, text, -1, wide, bytes + 1);
    wide[bytes] = L'\0';
    CUIString result(wide);
    free(wide);
    return result;
}

}  // namespace

CUIString::CUIString()
    : m_pstr(m_szBuffer)
{
    m_szBuffer[0] = L'\0';
}

CUIString::CUIString(const wchar_t ch)
    : m_pstr(m_szBuffer)
{
    m_szBuffer[0] = ch;
    m_szBuffer[1] = L'\0';
}

CUIString::CUIString(const CUIString& src)
    : m_pstr(m_szBuffer)
{
    m_szBuffer[0] = L'\0';
    Assign(src.m_pstr, -1);
}

CUIString::CUIString(const wchar_t* text, int length)
    : m_pstr(m_szBuffer)
{
    m_szBuffer[0] = L'\0';
    Assign(text, length);
}

CUIString::~CUIString()
{
    if (IsOnHeap())
        free(m_pstr);
}

bool CUIString::PointsIntoText(const wchar_t* text) const
{
    return text && text >= m_pstr && text <= m_pstr + GetLength();
}

void CUIString::Empty()
{
    if (IsOnHeap())
        free(m_pstr);
    m_pstr = m_szBuffer;
    m_szBuffer[0] = L'\0';
}

int CUIString::GetLength() const
{
    return static_cast<int>(wcslen(m_pstr));
}

void CUIString::Assign(const wchar_t* text, int length)
{
    if (!text)
        text = L"";
    if (length < 0)
        length = TextLength(text);
    // A piece of our own text would be freed or moved under us by the reallocation below.
    if (PointsIntoText(text)) {
        const CUIString piece(text, length);
        Assign(piece.m_pstr, length);
        return;
    }
    if (length > kMaxInlineLength) {
        if (!IsOnHeap()) {
            m_pstr = static_cast<wchar_t*>(malloc((length + 1) * sizeof(wchar_t)));
        } else if (GetLength() < length) {
            m_pstr = static_cast<wchar_t*>(realloc(m_pstr, (length + 1) * sizeof(wchar_t)));
        }
    } else if (IsOnHeap()) {
        free(m_pstr);
        m_pstr = m_szBuffer;
    }
    int copied = 0;
    for (; copied < length && text[copied]; ++copied)
        m_pstr[copied] = text[copied];
    m_pstr[copied] = L'\0';
    m_pstr[length] = L'\0';
}

void CUIString::Append(const wchar_t* text)
{
    if (!text)
        return;
    const int oldLength = GetLength();
    // A piece of our own text would move with the reallocation below.
    if (text >= m_pstr && text <= m_pstr + oldLength) {
        const CUIString piece(text);
        Append(piece.m_pstr);
        return;
    }
    const int addedLength = TextLength(text);
    const int newLength = oldLength + addedLength;
    if (newLength > kMaxInlineLength) {
        if (IsOnHeap()) {
            m_pstr = static_cast<wchar_t*>(realloc(m_pstr, (newLength + 1) * sizeof(wchar_t)));
        } else {
            m_pstr = static_cast<wchar_t*>(malloc((newLength + 1) * sizeof(wchar_t)));
            wmemcpy(m_pstr, m_szBuffer, oldLength);
        }
    } else if (IsOnHeap()) {
        // A heap text cut short (SetAt of a terminator) goes back to the inline buffer.
        wmemcpy(m_szBuffer, m_pstr, oldLength);
        free(m_pstr);
        m_pstr = m_szBuffer;
    }
    wmemcpy(m_pstr + oldLength, text, addedLength + 1);
}

const CUIString& CUIString::operator=(const CUIString& src)
{
    Assign(src.m_pstr, -1);
    return *this;
}

const CUIString& CUIString::operator=(const wchar_t* text)
{
    if (!text) {
        Empty();
        return *this;
    }
    Assign(text, -1);
    return *this;
}

const CUIString& CUIString::operator=(const char* text)
{
    if (!text) {
        Empty();
        return *this;
    }
    *this = WidenAnsi(text);
    return *this;
}

const CUIString& CUIString::operator=(const wchar_t ch)
{
    Empty();
    m_szBuffer[0] = ch;
    m_szBuffer[1] = L'\0';
    return *this;
}

CUIString CUIString::operator+(const CUIString& src) const
{
    CUIString result(*this);
    result.Append(src.m_pstr);
    return result;
}

CUIString CUIString::operator+(const wchar_t* text) const
{
    CUIString result(*this);
    result.Append(text);
    return result;
}

const CUIString& CUIString::operator+=(const CUIString& src)
{
    Append(src.m_pstr);
    return *this;
}

const CUIString& CUIString::operator+=(const wchar_t* text)
{
    Append(text);
    return *this;
}

const CUIString& CUIString::operator+=(const char* text)
{
    if (!text)
        return *this;
    const CUIString wide = WidenAnsi(text);
    Append(wide.m_pstr);
    return *this;
}

const CUIString& CUIString::operator+=(const wchar_t ch)
{
    const wchar_t text[] = { ch, L'\0' };
    Append(text);
    return *this;
}

int CUIString::Compare(const wchar_t* text) const
{
    return wcscmp(m_pstr, text ? text : L"");
}

int CUIString::CompareNoCase(const wchar_t* text) const
{
    return wcscasecmp(m_pstr, text ? text : L"");
}

void CUIString::MakeUpper()
{
    for (wchar_t* p = m_pstr; *p; ++p)
        *p = static_cast<wchar_t>(towupper(*p));
}

void CUIString::MakeLower()
{
    for (wchar_t* p = m_pstr; *p; ++p)
        *p = static_cast<wchar_t>(towlower(*p));
}

CUIString CUIString::Left(int length) const
{
    if (length < 0)
        length = 0;
    const int total = GetLength();
    if (length > total)
        length = total;
    return CUIString(m_pstr, length);
}

CUIString CUIString::Mid(int pos, int length) const
{
    const int total = GetLength();
    if (pos < 0)
        pos = 0;
    if (pos >= total)
        return CUIString();
    if (length < 0 || length > total - pos)
        length = total - pos;
    return CUIString(m_pstr + pos, length);
}

CUIString CUIString::Right(int length) const
{
    const int total = GetLength();
    if (length < 0)
        length = 0;
    if (length > total)
        length = total;
    return CUIString(m_pstr + total - length, length);
}

int CUIString::Find(wchar_t ch, int start) const
{
    if (start != 0 && (start < 0 || start >= GetLength()))
        return -1;
    const wchar_t* found = wcschr(m_pstr + start, ch);
    return found ? static_cast<int>(found - m_pstr) : -1;
}

int CUIString::Find(const wchar_t* text, int start) const
{
    if (!text || start < 0 || start > GetLength())
        return -1;
    const wchar_t* found = wcsstr(m_pstr + start, text);
    return found ? static_cast<int>(found - m_pstr) : -1;
}

int CUIString::ReverseFind(wchar_t ch) const
{
    const wchar_t* found = wcsrchr(m_pstr, ch);
    return found ? static_cast<int>(found - m_pstr) : -1;
}

int CUIString::Replace(const wchar_t* from, const wchar_t* to)
{
    // An empty pattern would match everywhere and never advance.
    if (!from || !*from)
        return 0;
    const int fromLength = TextLength(from);
    const int toLength = TextLength(to);
    int count = 0;
    int pos = Find(from, 0);
    while (pos >= 0) {
        CUIString replaced = Left(pos);
        replaced.Append(to);
        replaced.Append(m_pstr + pos + fromLength);
        *this = replaced;
        ++count;
        pos = Find(from, pos + toLength);
    }
    return count;
}

int CUIString::Format(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const int result = InnerFormat(format, args);
    va_end(args);
    return result;
}

int CUIString::SmallFormat(const wchar_t* format, ...)
{
    // Short results need no special path: the formatter sizes its own output, so a result longer
    // than the small buffer the callers expect is kept whole rather than cut.
    va_list args;
    va_start(args, format);
    const int result = InnerFormat(format, args);
    va_end(args);
    return result;
}

int CUIString::InnerFormat(const wchar_t* format, va_list args)
{
    if (!format) {
        Empty();
        return -1;
    }
    const std::wstring text = platform::FormatWideV(format, args);
    Assign(text.c_str(), static_cast<int>(text.size()));
    return static_cast<int>(text.size());
}

}  // namespace SkinUI
