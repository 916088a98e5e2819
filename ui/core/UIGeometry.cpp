#include "ui/core/UIGeometry.h"

#include <algorithm>
#include <cwchar>

namespace SkinUI {

int ReadSkinNumber(const wchar_t* text, wchar_t** end)
{
    const long value = std::wcstol(text, end, 10);
    return static_cast<int>(std::clamp(value, -kMaxSkinNumber, kMaxSkinNumber));
}

namespace {

bool IsEmptyRect(const RECT& rc)
{
    return rc.right <= rc.left || rc.bottom <= rc.top;
}

}  // namespace

CUIRect::CUIRect()
{
    left = top = right = bottom = 0;
}

CUIRect::CUIRect(const RECT& src)
{
    left = src.left;
    top = src.top;
    right = src.right;
    bottom = src.bottom;
}

CUIRect::CUIRect(int iLeft, int iTop, int iRight, int iBottom)
{
    left = iLeft;
    top = iTop;
    right = iRight;
    bottom = iBottom;
}

void CUIRect::Empty()
{
    left = top = right = bottom = 0;
}

bool CUIRect::IsNull() const
{
    return left == 0 && top == 0 && right == 0 && bottom == 0;
}

void CUIRect::Join(const RECT& rc)
{
    left = std::min(left, rc.left);
    top = std::min(top, rc.top);
    right = std::max(right, rc.right);
    bottom = std::max(bottom, rc.bottom);
}

void CUIRect::ResetOffset()
{
    Offset(-left, -top);
}

void CUIRect::Normalize()
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
}

void CUIRect::Offset(int cx, int cy)
{
    left += cx;
    right += cx;
    top += cy;
    bottom += cy;
}

void CUIRect::Inflate(int cx, int cy)
{
    left -= cx;
    right += cx;
    top -= cy;
    bottom += cy;
}

void CUIRect::Deflate(int cx, int cy)
{
    Inflate(-cx, -cy);
}

// Bounding box that ignores empty rectangles; two empty ones give all zero.
void CUIRect::Union(CUIRect& rc)
{
    if (IsEmptyRect(rc)) {
        if (IsEmptyRect(*this))
            Empty();
        return;
    }
    if (IsEmptyRect(*this)) {
        *this = rc;
        return;
    }
    Join(rc);
}

bool CUIRect::Equal(const RECT& rc) const
{
    return left == rc.left && top == rc.top && right == rc.right && bottom == rc.bottom;
}

CUISize::CUISize()
{
    cx = cy = 0;
}

CUISize::CUISize(const SIZE& src)
{
    cx = src.cx;
    cy = src.cy;
}

CUISize::CUISize(const RECT rc)
{
    cx = rc.right - rc.left;
    cy = rc.bottom - rc.top;
}

CUISize::CUISize(int iCx, int iCy)
{
    cx = iCx;
    cy = iCy;
}

CUIPoint::CUIPoint()
{
    x = y = 0;
}

CUIPoint::CUIPoint(const POINT& src)
{
    x = src.x;
    y = src.y;
}

CUIPoint::CUIPoint(int iX, int iY)
{
    x = iX;
    y = iY;
}

CUIPoint::CUIPoint(LPARAM lParam)
{
    x = GET_X_LPARAM(lParam);
    y = GET_Y_LPARAM(lParam);
}

}  // namespace SkinUI
