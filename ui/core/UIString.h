#pragma once
// CUIString: the framework's wide string. A text of up to 62 characters lives in the inline buffer;
// longer text lives in a heap block of exactly length + 1 characters. No length is stored: every
// length-dependent operation counts up to the terminator. Copies are deep. Not thread-safe.

#include <cstdarg>

#include "platform/WinTypes.h"

namespace SkinUI {

class CUIString {
public:
    enum { MAX_LOCAL_STRING_LEN = 63 };

    CUIString();
    CUIString(const wchar_t ch);
    CUIString(const CUIString& src);
    CUIString(const wchar_t* text, int length = -1);
    ~CUIString();

    void Empty();
    int GetLength() const;
    bool IsEmpty() const { return m_pstr[0] == L'\0'; }
    wchar_t GetAt(int index) const { return m_pstr[index]; }
    void Append(const wchar_t* text);
    void Assign(const wchar_t* text, int length = -1);
    const wchar_t* GetData() const { return m_pstr; }

    void SetAt(int index, wchar_t ch) { m_pstr[index] = ch; }
    operator const wchar_t*() const { return m_pstr; }

    wchar_t operator[](int index) const { return m_pstr[index]; }
    const CUIString& operator=(const CUIString& src);
    const CUIString& operator=(const wchar_t ch);
    const CUIString& operator=(const wchar_t* text);
    const CUIString& operator=(const char* text);
    CUIString operator+(const CUIString& src) const;
    CUIString operator+(const wchar_t* text) const;
    const CUIString& operator+=(const CUIString& src);
    const CUIString& operator+=(const wchar_t* text);
    const CUIString& operator+=(const char* text);
    const CUIString& operator+=(const wchar_t ch);

    bool operator==(const wchar_t* text) const { return Compare(text) == 0; }
    bool operator!=(const wchar_t* text) const { return Compare(text) != 0; }
    bool operator<=(const wchar_t* text) const { return Compare(text) <= 0; }
    bool operator<(const wchar_t* text) const { return Compare(text) < 0; }
    bool operator>=(const wchar_t* text) const { return Compare(text) >= 0; }
    bool operator>(const wchar_t* text) const { return Compare(text) > 0; }

    int Compare(const wchar_t* text) const;
    int CompareNoCase(const wchar_t* text) const;

    void MakeUpper();
    void MakeLower();

    CUIString Left(int length) const;
    CUIString Mid(int pos, int length = -1) const;
    CUIString Right(int length) const;

    int Find(wchar_t ch, int start = 0) const;
    int Find(const wchar_t* text, int start = 0) const;
    int ReverseFind(wchar_t ch) const;
    int Replace(const wchar_t* from, const wchar_t* to);

    int Format(const wchar_t* format, ...);
    int SmallFormat(const wchar_t* format, ...);

protected:
    int InnerFormat(const wchar_t* format, va_list args);

private:
    bool IsOnHeap() const { return m_pstr != m_szBuffer; }
    bool PointsIntoText(const wchar_t* text) const;

    wchar_t* m_pstr;
    wchar_t m_szBuffer[MAX_LOCAL_STRING_LEN];
};

}  // namespace SkinUI
