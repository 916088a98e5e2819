#pragma once
// Thin wrappers over the platform's RECT, POINT and SIZE: no extra fields, memberwise copies, so a
// CUIRect can be passed wherever a RECT is expected.

#include "platform/WinTypes.h"

namespace SkinUI {

// Sizes in skins are pixels at 100 %: a number beyond these bounds comes from a damaged or hostile
// skin, and clamping it where it is read keeps every later sum, scale and product inside an int.
constexpr long kMaxSkinNumber = 100000;
constexpr int kMaxSkinFontSize = 1000;

// wcstol clamped to plus or minus kMaxSkinNumber; end as for wcstol (may be null).
int ReadSkinNumber(const wchar_t* text, wchar_t** end = nullptr);

class CUIRect : public RECT {
public:
    CUIRect();
    CUIRect(const RECT& src);
    CUIRect(int iLeft, int iTop, int iRight, int iBottom);

    int GetWidth() const { return right - left; }
    int GetHeight() const { return bottom - top; }
    void Empty();
    bool IsNull() const;
    void Join(const RECT& rc);
    void ResetOffset();
    void Normalize();
    void Offset(int cx, int cy);
    void Inflate(int cx, int cy);
    void Deflate(int cx, int cy);
    void Union(CUIRect& rc);
    bool Equal(const RECT& rc) const;
};

class CUISize : public SIZE {
public:
    CUISize();
    CUISize(const SIZE& src);
    CUISize(const RECT rc);
    CUISize(int cx, int cy);
};

class CUIPoint : public POINT {
public:
    CUIPoint();
    CUIPoint(const POINT& src);
    CUIPoint(int x, int y);
    CUIPoint(LPARAM lParam);
};

}  // namespace SkinUI
