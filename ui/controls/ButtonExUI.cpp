#include "ui/controls/ButtonExUI.h"

#include <cwchar>
#include <memory>
#include <string>

#include "platform/GdiPlus.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"

namespace SkinUI {

namespace {

const CControlRegistration kButtonEx(L"CButtonExUI", &CButtonExUI::CreateControl);

// A memory DC holding a copy of the target's pixels under a rectangle; the copy goes back on
// Restore and both GDI objects are freed with the object.
class OffscreenCopy {
public:
    OffscreenCopy(HDC target, const RECT& rc)
        : m_target(target), m_rc(rc), m_dc(::CreateCompatibleDC(target)),
          m_bitmap(::CreateCompatibleBitmap(target, Width(), Height()))
    {
        m_old = ::SelectObject(m_dc, m_bitmap);
        ::BitBlt(m_dc, 0, 0, Width(), Height(), m_target, m_rc.left, m_rc.top, SRCCOPY);
    }
    ~OffscreenCopy()
    {
        ::SelectObject(m_dc, m_old);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
    }
    OffscreenCopy(const OffscreenCopy&) = delete;
    OffscreenCopy& operator=(const OffscreenCopy&) = delete;

    HDC dc() const { return m_dc; }
    int Width() const { return m_rc.right - m_rc.left; }
    int Height() const { return m_rc.bottom - m_rc.top; }
    void Restore() { ::BitBlt(m_target, m_rc.left, m_rc.top, Width(), Height(), m_dc, 0, 0, SRCCOPY); }

private:
    HDC m_target;
    RECT m_rc;
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old { nullptr };
};

Gdiplus::StringAlignment AlignmentOf(UINT style, UINT centre, UINT far)
{
    if ((style & centre) != 0)
        return Gdiplus::StringAlignmentCenter;
    if ((style & far) != 0)
        return Gdiplus::StringAlignmentFar;
    return Gdiplus::StringAlignmentNear;
}

void DrawRotated(HDC dc, CPaintManagerUI* pManager, RECT& rc, const wchar_t* text, DWORD colour, int iFont,
                 UINT style)
{
    HFONT font = pManager->GetFont(iFont);
    const HGDIOBJ oldFont = ::SelectObject(dc, font);
    {
        Gdiplus::Graphics graphics(dc);
        graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        graphics.TranslateTransform(0.0f, 0.0f);
        graphics.RotateTransform(45.0f, Gdiplus::MatrixOrderAppend);
        const Gdiplus::Font gdiFont(dc, font);
        const Gdiplus::RectF layout(20.0f, -55.0f, static_cast<Gdiplus::REAL>(rc.right - rc.left),
                                    static_cast<Gdiplus::REAL>(rc.bottom - rc.top));
        const Gdiplus::SolidBrush brush(Gdiplus::Color((colour & 0x00FFFFFFu) | 0xFE000000u));
        std::unique_ptr<Gdiplus::StringFormat> format(Gdiplus::StringFormat::GenericTypographic()->Clone());
        if ((style & DT_END_ELLIPSIS) != 0)
            format->SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
        int flags = 0;
        if ((style & DT_NOCLIP) != 0)
            flags |= Gdiplus::StringFormatFlagsNoClip;
        if ((style & DT_SINGLELINE) != 0)
            flags |= Gdiplus::StringFormatFlagsNoWrap;
        format->SetFormatFlags(flags);
        format->SetAlignment(AlignmentOf(style, DT_CENTER, DT_RIGHT));
        format->SetLineAlignment(AlignmentOf(style, DT_VCENTER, DT_BOTTOM));
        if ((style & DT_CALCRECT) != 0) {
            Gdiplus::RectF bounds;
            graphics.MeasureString(text, -1, &gdiFont, layout, format.get(), &bounds);
            rc.right = rc.left + static_cast<int>(bounds.Width + 1);
            rc.bottom = rc.top + static_cast<int>(bounds.Height + 1);
        } else {
            graphics.DrawString(text, -1, &gdiFont, layout, format.get(), &brush);
        }
    }
    ::SelectObject(dc, oldFont);
}

// "&#xE001;" names one character: up to four hex digits after "&#x", a trailing blank and ";"
// dropped. An empty result means the text is drawn as it stands.
std::wstring IconGlyph(const wchar_t* text)
{
    const wchar_t* ref = std::wcsstr(text, L"&#x");
    if (ref == nullptr)
        return {};
    std::wstring digits(ref + 3);
    if (digits.size() > 4)
        digits.resize(4);
    if (!digits.empty() && digits.back() == L' ')
        digits.pop_back();
    if (!digits.empty() && digits.back() == L';')
        digits.pop_back();
    return std::wstring(1, static_cast<wchar_t>(std::wcstoul(digits.c_str(), nullptr, 16)));
}

void DrawFlat(HDC dc, CPaintManagerUI* pManager, const RECT& rc, const wchar_t* text, DWORD colour, int iFont,
              UINT style)
{
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(static_cast<BYTE>(colour >> 16), static_cast<BYTE>(colour >> 8), static_cast<BYTE>(colour)));
    const HGDIOBJ oldFont = ::SelectObject(dc, pManager->GetFont(iFont));
    RECT local { 0, 0, rc.right - rc.left, rc.bottom - rc.top };
    const std::wstring glyph = IconGlyph(text);
    ::DrawTextW(dc, glyph.empty() ? text : glyph.c_str(), -1, &local, style);
    ::SelectObject(dc, oldFont);
}

}  // namespace

CControlUI* CButtonExUI::CreateControl()
{
    return new CButtonExUI();
}

const wchar_t* CButtonExUI::GetClass() const
{
    return L"ButtonExUI";
}

void* CButtonExUI::GetInterface(const wchar_t* pstrName)
{
    return NameIs(pstrName, L"ButtonEx") ? this : nullptr;
}

void CButtonExUI::DrawTextExBtn(HDC hDC, CPaintManagerUI* pManager, RECT& rc, const wchar_t* pstrText,
                                DWORD dwTextColor, int iFont, UINT uStyle)
{
    // Padding larger than the button leaves no area: there is no bitmap of that size to draw in.
    if (rc.right <= rc.left || rc.bottom <= rc.top || pstrText == nullptr || pManager == nullptr)
        return;
    OffscreenCopy copy(hDC, rc);
    if (pManager->IsLayered() || pManager->IsUseGdiplusText())
        DrawRotated(copy.dc(), pManager, rc, pstrText, dwTextColor, iFont, uStyle);
    else
        DrawFlat(copy.dc(), pManager, rc, pstrText, dwTextColor, iFont, uStyle);
    copy.Restore();
}

void CButtonExUI::PaintText(HDC hDC)
{
    if (m_pManager == nullptr)
        return;
    SyncFocusAndEnabledState();
    ResolveDefaultColors();
    CUIString text = GetText();
    if (text.IsEmpty())
        return;
    RECT rc = CaptionRect();
    const DWORD colour = CaptionColor(text);
    if (m_bShowHtml) {
        int links = 0;
        CRenderEngine::DrawHtmlText(hDC, m_pManager, rc, text.GetData(), colour, nullptr, nullptr, links,
                                    m_uTextStyle);
        return;
    }
    DrawTextExBtn(hDC, m_pManager, rc, text.GetData(), colour, m_iFont, m_uTextStyle);
}

}  // namespace SkinUI
