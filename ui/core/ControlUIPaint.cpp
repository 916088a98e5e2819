#include "ui/core/ControlUI.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderClip.h"
#include "ui/core/RenderEngine.h"

namespace SkinUI {

namespace {

bool IsEmptyArea(const RECT& rc)
{
    return rc.right <= rc.left || rc.bottom <= rc.top;
}

}  // namespace

void CControlUI::SetBkColor(DWORD dwBackColor)
{
    if (m_dwBackColor == dwBackColor)
        return;
    m_dwBackColor = dwBackColor;
    Invalidate();
}

void CControlUI::SetBkColor2(DWORD dwBackColor)
{
    if (m_dwBackColor2 == dwBackColor)
        return;
    m_dwBackColor2 = dwBackColor;
    Invalidate();
}

void CControlUI::SetBkColor3(DWORD dwBackColor)
{
    if (m_dwBackColor3 == dwBackColor)
        return;
    m_dwBackColor3 = dwBackColor;
    Invalidate();
}

void CControlUI::SetForeColor(DWORD dwForeColor)
{
    if (m_dwForeColor == dwForeColor)
        return;
    m_dwForeColor = dwForeColor;
    Invalidate();
}

void CControlUI::SetBorderColor(DWORD dwBorderColor)
{
    if (m_dwBorderColor == dwBorderColor)
        return;
    m_dwBorderColor = dwBorderColor;
    Invalidate();
}

void CControlUI::SetFocusBorderColor(DWORD dwBorderColor)
{
    if (m_dwFocusBorderColor == dwBorderColor)
        return;
    m_dwFocusBorderColor = dwBorderColor;
    Invalidate();
}

void CControlUI::SetColorHSL(bool bColorHSL)
{
    if (m_bColorHSL == bColorHSL)
        return;
    m_bColorHSL = bColorHSL;
    Invalidate();
}

void CControlUI::SetGradient(const wchar_t* pStrImage)
{
    if (m_sGradient == pStrImage)
        return;
    m_sGradient = pStrImage;
    Invalidate();
}

void CControlUI::SetBkImage(const wchar_t* pStrImage)
{
    // Drop the window's cached copy first, so the next paint loads the image again.
    if (m_pManager != nullptr)
        m_pManager->RemoveImage(pStrImage, false);
    if (m_sBkImage == pStrImage)
        return;
    m_sBkImage = pStrImage;
    Invalidate();
}

void CControlUI::SetForeImage(const wchar_t* pStrImage)
{
    if (m_sForeImage == pStrImage)
        return;
    m_sForeImage = pStrImage;
    Invalidate();
}

int CControlUI::GetBorderSize() const
{
    return ScaleValue(m_nBorderSize);
}

void CControlUI::SetBorderSize(int nSize)
{
    if (m_nBorderSize == nSize)
        return;
    m_nBorderSize = nSize;
    m_rcBorderSize = RECT { nSize, nSize, nSize, nSize };
    Invalidate();
}

void CControlUI::SetBorderSize(RECT rc)
{
    m_rcBorderSize = rc;
    Invalidate();
}

int CControlUI::GetLeftBorderSize() const
{
    return ScaleValue(static_cast<int>(m_rcBorderSize.left));
}

void CControlUI::SetLeftBorderSize(int nSize)
{
    m_rcBorderSize.left = nSize;
    Invalidate();
}

int CControlUI::GetTopBorderSize() const
{
    return ScaleValue(static_cast<int>(m_rcBorderSize.top));
}

void CControlUI::SetTopBorderSize(int nSize)
{
    m_rcBorderSize.top = nSize;
    Invalidate();
}

int CControlUI::GetRightBorderSize() const
{
    return ScaleValue(static_cast<int>(m_rcBorderSize.right));
}

void CControlUI::SetRightBorderSize(int nSize)
{
    m_rcBorderSize.right = nSize;
    Invalidate();
}

int CControlUI::GetBottomBorderSize() const
{
    return ScaleValue(static_cast<int>(m_rcBorderSize.bottom));
}

void CControlUI::SetBottomBorderSize(int nSize)
{
    m_rcBorderSize.bottom = nSize;
    Invalidate();
}

void CControlUI::SetBorderStyle(int nStyle)
{
    m_nBorderStyle = nStyle;
    Invalidate();
}

SIZE CControlUI::GetBorderRound() const
{
    return ScaleValue(m_cxyBorderRound);
}

void CControlUI::SetBorderRound(SIZE cxyRound)
{
    m_cxyBorderRound = cxyRound;
    Invalidate();
}

DWORD CControlUI::GetAdjustColor(DWORD dwColor) const
{
    if (!m_bColorHSL)
        return dwColor;
    short hue = 180, saturation = 100, lightness = 100;
    CPaintManagerUI::GetHSL(&hue, &saturation, &lightness);
    return CRenderEngine::AdjustColor(dwColor, hue, saturation, lightness);
}

bool CControlUI::DrawImage(HDC hDC, const wchar_t* pStrImage, const wchar_t* pStrModify)
{
    return CRenderEngine::DrawImageString(hDC, m_pManager, m_rcItem, m_rcPaint, pStrImage, pStrModify,
                                          m_instance);
}

void CControlUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem) || IsEmptyArea(m_rcPaint))
        return;
    const SIZE round = GetBorderRound();
    CRenderClip roundClip;
    if (round.cx > 0 || round.cy > 0)
        CRenderClip::GenerateRoundClip(hDC, m_rcPaint, m_rcItem, round.cx, round.cy, roundClip);
    PaintBkColor(hDC);
    PaintBkImage(hDC);
    PaintStatusImage(hDC);
    PaintForeColor(hDC);
    PaintForeImage(hDC);
    PaintText(hDC);
    PaintBorder(hDC);
}

void CControlUI::PaintBkColor(HDC hDC)
{
    if (m_dwBackColor == 0)
        return;
    const bool vertical = m_sGradient.CompareNoCase(L"hor") != 0;
    if (m_dwBackColor2 == 0) {
        const RECT& area = m_dwBackColor >= 0xFF000000 ? m_rcPaint : m_rcItem;
        CRenderEngine::DrawColor(hDC, area, GetAdjustColor(m_dwBackColor));
        return;
    }
    if (m_dwBackColor3 != 0) {
        RECT upper = m_rcItem, lower = m_rcItem;
        upper.bottom = lower.top = (m_rcItem.top + m_rcItem.bottom) / 2;
        CRenderEngine::DrawGradient(hDC, upper, GetAdjustColor(m_dwBackColor), GetAdjustColor(m_dwBackColor2),
                                    vertical, 8);
        CRenderEngine::DrawGradient(hDC, lower, GetAdjustColor(m_dwBackColor2), GetAdjustColor(m_dwBackColor3),
                                    vertical, 8);
        return;
    }
    CRenderEngine::DrawGradient(hDC, m_rcItem, GetAdjustColor(m_dwBackColor), GetAdjustColor(m_dwBackColor2),
                                vertical, 16);
}

void CControlUI::PaintBkImage(HDC hDC)
{
    if (!m_sBkImage.IsEmpty())
        DrawImage(hDC, m_sBkImage);
}

void CControlUI::PaintStatusImage(HDC)
{
}

void CControlUI::PaintForeColor(HDC hDC)
{
    CRenderEngine::DrawColor(hDC, m_rcItem, GetAdjustColor(m_dwForeColor));
}

void CControlUI::PaintForeImage(HDC hDC)
{
    if (!m_sForeImage.IsEmpty())
        DrawImage(hDC, m_sForeImage);
}

void CControlUI::PaintText(HDC)
{
}

void CControlUI::PaintBorder(HDC hDC)
{
    PaintBorderLines(hDC);
    PaintGuideLines(hDC);
}

// A control the keyboard moved the focus to shows a thin ring just inside its edge, so Tab never
// leaves the user guessing; a click gives the focus without the ring.
void CControlUI::PaintFocusMark(HDC hDC)
{
    constexpr DWORD kFocusMarkColour = 0xFF4C8DF6;
    if (m_pManager == nullptr || !m_pManager->IsFocusFromKeyboard() || !IsFocused())
        return;
    const int inset = ScaleValue(1);
    const RECT ring { m_rcItem.left + inset, m_rcItem.top + inset, m_rcItem.right - inset, m_rcItem.bottom - inset };
    if (IsEmptyArea(ring))
        return;
    CRenderEngine::DrawRect(hDC, ring, std::max(1, ScaleValue(1)), kFocusMarkColour);
}

void CControlUI::PaintBorderLines(HDC hDC)
{
    if (m_dwBorderColor == 0 && m_dwFocusBorderColor == 0)
        return;
    const int size = GetBorderSize();
    const SIZE round = GetBorderRound();
    const bool focusColour = IsFocused() && m_dwFocusBorderColor != 0;
    if (size >= 1 && (round.cx >= 1 || round.cy >= 1)) {
        const DWORD colour = focusColour ? m_dwFocusBorderColor : m_dwBorderColor;
        CRenderEngine::DrawRoundRect(hDC, m_rcItem, size, round.cx, round.cy, GetAdjustColor(colour),
                                     m_nBorderStyle);
        return;
    }
    if (focusColour && m_nBorderSize > 0) {
        CRenderEngine::DrawRect(hDC, m_rcItem, size, GetAdjustColor(m_dwFocusBorderColor), m_nBorderStyle);
        return;
    }
    const RECT sides { GetLeftBorderSize(), GetTopBorderSize(), GetRightBorderSize(), GetBottomBorderSize() };
    if (sides.left <= 0 && sides.top <= 0 && sides.right <= 0 && sides.bottom <= 0) {
        if (size >= 1)
            CRenderEngine::DrawRect(hDC, m_rcItem, size, GetAdjustColor(m_dwBorderColor), m_nBorderStyle);
        return;
    }
    const DWORD colour = GetAdjustColor(m_dwBorderColor);
    const RECT& r = m_rcItem;
    if (sides.left > 0)
        CRenderEngine::DrawLine(hDC, RECT { r.left, r.top, r.left, r.bottom }, sides.left, colour, m_nBorderStyle);
    if (sides.top > 0)
        CRenderEngine::DrawLine(hDC, RECT { r.left, r.top, r.right, r.top }, sides.top, colour, m_nBorderStyle);
    if (sides.right > 0)
        CRenderEngine::DrawLine(hDC, RECT { r.right - 1, r.top, r.right - 1, r.bottom }, sides.right, colour,
                                m_nBorderStyle);
    if (sides.bottom > 0)
        CRenderEngine::DrawLine(hDC, RECT { r.left, r.bottom - 1, r.right, r.bottom - 1 }, sides.bottom, colour,
                                m_nBorderStyle);
}

}  // namespace SkinUI
