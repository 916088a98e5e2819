#include "ui/controls/GroupBoxUI.h"

#include "ui/core/ControlFactory.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"

#include <algorithm>

namespace SkinUI {

namespace {

const CControlRegistration kGroupBox(L"CGroupBoxUI", &CGroupBoxUI::CreateControl);

constexpr int kFrameInset = 5;
constexpr int kCaptionIndent = 15;
constexpr int kCaptionMeasureHeight = 20;

}  // namespace

CGroupBoxUI::CGroupBoxUI()
{
    SetInset({ 20, 25, 20, 20 });
}

CControlUI* CGroupBoxUI::CreateControl()
{
    return new CGroupBoxUI();
}

const wchar_t* CGroupBoxUI::GetClass() const
{
    return L"GroupBoxUI";
}

void* CGroupBoxUI::GetInterface(const wchar_t* pstrName)
{
    if (NameIs(pstrName, L"GroupBox"))
        return this;
    return CVerticalLayoutUI::GetInterface(pstrName);
}

void CGroupBoxUI::SetTextColor(DWORD dwTextColor)
{
    m_dwTextColor = dwTextColor;
    Invalidate();
}

void CGroupBoxUI::SetDisabledTextColor(DWORD dwTextColor)
{
    m_dwDisabledTextColor = dwTextColor;
    Invalidate();
}

void CGroupBoxUI::SetFont(int iFont)
{
    m_iFont = iFont;
    Invalidate();
}

void CGroupBoxUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (pstrName == nullptr || pstrValue == nullptr)
        return;
    if (NameIs(pstrName, L"textcolor"))
        SetTextColor(ReadColor(pstrValue));
    else if (NameIs(pstrName, L"disabledtextcolor"))
        SetDisabledTextColor(ReadColor(pstrValue));
    else if (NameIs(pstrName, L"font"))
        SetFont(ReadInt(pstrValue));
    CVerticalLayoutUI::SetAttribute(pstrName, pstrValue);
}

RECT CGroupBoxUI::FrameRect() const
{
    const int inset = ScaleValue(kFrameInset);
    return { m_rcItem.left + inset, m_rcItem.top + inset, m_rcItem.right - inset, m_rcItem.bottom - inset };
}

void CGroupBoxUI::PaintText(HDC hDC)
{
    if (m_pManager == nullptr || m_sText.IsEmpty())
        return;
    if (m_dwTextColor == 0)
        m_dwTextColor = m_pManager->GetDefaultFontColor();
    if (m_dwDisabledTextColor == 0)
        m_dwDisabledTextColor = m_pManager->GetDefaultDisabledColor();
    const RECT frame = FrameRect();
    RECT measured { 0, 0, std::max(GetFixedWidth(), static_cast<int>(frame.right - frame.left)),
                    ScaleValue(kCaptionMeasureHeight) };
    CRenderEngine::DrawTextW(hDC, m_pManager, measured, m_sText.GetData(), m_dwTextColor, m_iFont,
                             m_uTextStyle | DT_CALCRECT);
    RECT caption { frame.left + ScaleValue(kCaptionIndent), m_rcItem.top, 0, 0 };
    caption.right = caption.left + (measured.right - measured.left);
    caption.bottom = caption.top + (measured.bottom - measured.top);
    const DWORD color = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    CRenderEngine::DrawTextW(hDC, m_pManager, caption, m_sText.GetData(), color, m_iFont, m_uTextStyle,
                             GetAdjustColor(m_dwBackColor), false);
}

void CGroupBoxUI::PaintBorder(HDC hDC)
{
    const int size = GetBorderSize();
    if (size > 0) {
        const DWORD color = IsFocused() && m_dwFocusBorderColor != 0 ? m_dwFocusBorderColor : m_dwBorderColor;
        const RECT frame = FrameRect();
        const SIZE round = GetBorderRound();
        if (round.cx > 0 || round.cy > 0)
            CRenderEngine::DrawRoundRect(hDC, frame, size, round.cx, round.cy, GetAdjustColor(color));
        else
            CRenderEngine::DrawRect(hDC, frame, size, GetAdjustColor(color));
    }
    // The caption covers the frame's top line under it.
    PaintText(hDC);
}

}  // namespace SkinUI
