// Single-style text: through GDI, or through Gdiplus for layered windows and windows that ask for
// Gdiplus text.

#include "ui/core/RenderEngine.h"

#include "platform/GdiPlus.h"

#include <cwchar>
#include <string>

namespace SkinUI {

namespace {

COLORREF GdiColour(DWORD argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

bool EndsWithNoCase(const std::wstring& text, wchar_t ch)
{
    return !text.empty() && towlower(text.back()) == towlower(ch);
}

// A text holding "&#x" names one character by its hexadecimal code: an icon font's glyph. Only
// the first four characters after it count, less a trailing blank and then a trailing ";".
bool IconCharacter(const wchar_t* text, wchar_t& out)
{
    const wchar_t* found = wcsstr(text, L"&#x");
    if (!found)
        return false;
    std::wstring code(found + 3, wcsnlen(found + 3, 4));
    if (EndsWithNoCase(code, L' '))
        code.pop_back();
    if (EndsWithNoCase(code, L';'))
        code.pop_back();
    out = static_cast<wchar_t>(wcstoul(code.c_str(), nullptr, 16));
    return true;
}

void DrawGdiplusText(HDC hDC, HFONT hFont, RECT& rc, const wchar_t* pstrText, DWORD dwTextColor, UINT uStyle,
                     int textRenderingHint)
{
    Gdiplus::Graphics graphics(hDC);
    Gdiplus::Font font(hDC, hFont);
    const bool knownHint = textRenderingHint >= 1 && textRenderingHint <= 5;
    graphics.SetTextRenderingHint(knownHint ? static_cast<Gdiplus::TextRenderingHint>(textRenderingHint)
                                            : Gdiplus::TextRenderingHintSystemDefault);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    // Alpha 254, whatever was asked: the layered-window fix-up treats 255 as untouched by GDI.
    Gdiplus::SolidBrush brush { Gdiplus::Color((dwTextColor & 0x00FFFFFF) | 0xFE000000) };

    Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
    if (uStyle & DT_END_ELLIPSIS)
        format.SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
    int flags = 0;
    if (uStyle & DT_NOCLIP)
        flags |= Gdiplus::StringFormatFlagsNoClip;
    if (uStyle & DT_SINGLELINE)
        flags |= Gdiplus::StringFormatFlagsNoWrap;
    format.SetFormatFlags(flags);
    format.SetAlignment((uStyle & DT_CENTER) ? Gdiplus::StringAlignmentCenter
                            : (uStyle & DT_RIGHT) ? Gdiplus::StringAlignmentFar
                                                  : Gdiplus::StringAlignmentNear);
    format.SetLineAlignment((uStyle & DT_VCENTER) ? Gdiplus::StringAlignmentCenter
                                : (uStyle & DT_BOTTOM) ? Gdiplus::StringAlignmentFar
                                                       : Gdiplus::StringAlignmentNear);
    const Gdiplus::RectF layout(static_cast<Gdiplus::REAL>(rc.left), static_cast<Gdiplus::REAL>(rc.top),
                                static_cast<Gdiplus::REAL>(rc.right - rc.left),
                                static_cast<Gdiplus::REAL>(rc.bottom - rc.top));
    if (uStyle & DT_CALCRECT) {
        Gdiplus::RectF bounds;
        graphics.MeasureString(pstrText, -1, &font, layout, &format, &bounds);
        rc.bottom = rc.top + static_cast<LONG>(bounds.Height) + 1;
        rc.right = rc.left + static_cast<LONG>(bounds.Width) + 1;
        return;
    }
    graphics.DrawString(pstrText, -1, &font, layout, &format, &brush);
}

void DrawGdiText(HDC hDC, RECT& rc, const wchar_t* pstrText, DWORD dwTextColor, UINT uStyle)
{
    ::SetBkMode(hDC, TRANSPARENT);
    ::SetTextColor(hDC, GdiColour(dwTextColor));
    wchar_t icon = 0;
    if (IconCharacter(pstrText, icon)) {
        ::DrawText(hDC, &icon, 1, &rc, uStyle);
        return;
    }
    ::DrawText(hDC, pstrText, -1, &rc, uStyle);
}

}  // namespace

void CRenderEngine::DrawPlainText(HDC hDC, HFONT hFont, RECT& rc, const wchar_t* pstrText, DWORD dwTextColor,
                                  UINT uStyle, bool bGdiplus, int textRenderingHint)
{
    if (!hDC || !pstrText)
        return;
    HGDIOBJ oldFont = ::SelectObject(hDC, hFont);
    if (bGdiplus)
        DrawGdiplusText(hDC, hFont, rc, pstrText, dwTextColor, uStyle, textRenderingHint);
    else
        DrawGdiText(hDC, rc, pstrText, dwTextColor, uStyle);
    ::SelectObject(hDC, oldFont);
}

}  // namespace SkinUI
