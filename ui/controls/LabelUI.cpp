#include "ui/controls/LabelUI.h"

#include "ui/core/ControlFactory.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"

namespace SkinUI {

namespace {

const CControlRegistration kLabel(L"CLabelUI", &CLabelUI::CreateControl);

constexpr int kMeasureExtent = 9999;
constexpr int kSingleLineExtraHeight = 8;

bool Holds(const wchar_t* value, const wchar_t* word)
{
    return CUIString(value).Find(word) >= 0;
}

UINT ApplyAlign(UINT style, const wchar_t* value)
{
    if (Holds(value, L"left"))
        style &= ~(DT_CENTER | DT_RIGHT);
    if (Holds(value, L"center"))
        style = (style & ~DT_RIGHT) | DT_CENTER;
    if (Holds(value, L"right"))
        style = (style & ~DT_CENTER) | DT_RIGHT;
    return style;
}

UINT ApplyVAlign(UINT style, const wchar_t* value)
{
    if (Holds(value, L"top"))
        style = (style & ~(DT_VCENTER | DT_BOTTOM | DT_WORDBREAK)) | DT_SINGLELINE;
    if (Holds(value, L"vcenter"))
        style = (style & ~(DT_BOTTOM | DT_WORDBREAK)) | DT_VCENTER | DT_SINGLELINE;
    if (Holds(value, L"bottom"))
        style = (style & ~(DT_VCENTER | DT_WORDBREAK)) | DT_BOTTOM | DT_SINGLELINE;
    return style;
}

UINT WithFlag(UINT style, UINT flag, bool on)
{
    return on ? (style | flag) : (style & ~flag);
}

}  // namespace

CLabelUI::CLabelUI() = default;

CControlUI* CLabelUI::CreateControl()
{
    return new CLabelUI();
}

const wchar_t* CLabelUI::GetClass() const
{
    return L"LabelUI";
}

void* CLabelUI::GetInterface(const wchar_t* pstrName)
{
    if (NameIs(pstrName, L"Label"))
        return this;
    return CControlUI::GetInterface(pstrName);
}

UINT CLabelUI::GetControlFlags() const
{
    return IsEnabled() ? ControlFlagSetCursor : 0;
}

void CLabelUI::SetTextStyle(UINT uStyle)
{
    m_uTextStyle = uStyle;
    Invalidate();
}

void CLabelUI::SetTextColor(DWORD dwTextColor)
{
    m_dwTextColor = dwTextColor;
    Invalidate();
}

void CLabelUI::SetDisabledTextColor(DWORD dwTextColor)
{
    m_dwDisabledTextColor = dwTextColor;
    Invalidate();
}

void CLabelUI::SetFont(int index)
{
    m_iFont = index;
    m_bNeedEstimateSize = true;
    Invalidate();
}

void CLabelUI::SetTextPadding(RECT rc)
{
    m_rcTextPadding = rc;
    m_bNeedEstimateSize = true;
    Invalidate();
}

void CLabelUI::SetShowHtml(bool bShowHtml)
{
    if (m_bShowHtml == bShowHtml)
        return;
    m_bShowHtml = bShowHtml;
    m_bNeedEstimateSize = true;
    Invalidate();
}

bool CLabelUI::GetAutoCalcWidth() const
{
    return m_bAutoCalcWidth;
}

void CLabelUI::SetAutoCalcWidth(bool bAutoCalcWidth)
{
    m_bAutoCalcWidth = bAutoCalcWidth;
}

bool CLabelUI::GetAutoCalcHeight() const
{
    return m_bAutoCalcHeight;
}

void CLabelUI::SetAutoCalcHeight(bool bAutoCalcHeight)
{
    m_bAutoCalcHeight = bAutoCalcHeight;
}

void CLabelUI::SetText(const wchar_t* pstrText)
{
    CControlUI::SetText(pstrText);
    if (!m_bAutoCalcWidth && !m_bAutoCalcHeight)
        return;
    m_bNeedEstimateSize = true;
    NeedParentUpdate();
}

void CLabelUI::DoEvent(TEventUI& event)
{
    if (event.Type == UiEventSetFocus) {
        m_bFocused = true;
        return;
    }
    if (event.Type == UiEventKillFocus) {
        m_bFocused = false;
        return;
    }
    CControlUI::DoEvent(event);
}

void CLabelUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (pstrName == nullptr || pstrValue == nullptr)
        return;
    if (NameIs(pstrName, L"align"))
        SetTextStyle(ApplyAlign(m_uTextStyle, pstrValue));
    else if (NameIs(pstrName, L"valign"))
        SetTextStyle(ApplyVAlign(m_uTextStyle, pstrValue));
    else if (NameIs(pstrName, L"endellipsis"))
        SetTextStyle(WithFlag(m_uTextStyle, DT_END_ELLIPSIS, ReadBool(pstrValue)));
    else if (NameIs(pstrName, L"wordbreak"))
        SetTextStyle(ReadBool(pstrValue) ? (m_uTextStyle & ~DT_SINGLELINE) | DT_WORDBREAK | DT_EDITCONTROL
                                         : (m_uTextStyle & ~(DT_WORDBREAK | DT_EDITCONTROL)) | DT_SINGLELINE);
    else if (NameIs(pstrName, L"noprefix"))
        SetTextStyle(WithFlag(m_uTextStyle, DT_NOPREFIX, ReadBool(pstrValue)));
    else if (NameIs(pstrName, L"font"))
        SetFont(ReadInt(pstrValue));
    else if (NameIs(pstrName, L"textcolor"))
        SetTextColor(ReadColor(pstrValue));
    else if (NameIs(pstrName, L"disabledtextcolor"))
        SetDisabledTextColor(ReadColor(pstrValue));
    else if (NameIs(pstrName, L"textpadding"))
        SetTextPadding(ReadNumberList(pstrValue));
    else if (NameIs(pstrName, L"showhtml"))
        SetShowHtml(ReadBool(pstrValue));
    else if (NameIs(pstrName, L"autocalcwidth"))
        SetAutoCalcWidth(ReadBool(pstrValue));
    else if (NameIs(pstrName, L"autocalcheight"))
        SetAutoCalcHeight(ReadBool(pstrValue));
    else
        CControlUI::SetAttribute(pstrName, pstrValue);
}

RECT CLabelUI::ScaledTextPadding() const
{
    return ScaleValue(m_rcTextPadding);
}

void CLabelUI::ResolveDefaultColors()
{
    if (m_pManager == nullptr)
        return;
    if (m_dwTextColor == 0)
        m_dwTextColor = m_pManager->GetDefaultFontColor();
    if (m_dwDisabledTextColor == 0)
        m_dwDisabledTextColor = m_pManager->GetDefaultDisabledColor();
}

DWORD CLabelUI::CurrentTextColor() const
{
    return IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
}

void CLabelUI::MeasureText(RECT& rc, const CUIString& text)
{
    const UINT style = (m_uTextStyle & ~(DT_CENTER | DT_RIGHT)) | DT_CALCRECT;
    if (m_bShowHtml) {
        int links = 0;
        CRenderEngine::DrawHtmlText(m_pManager->GetPaintDC(), m_pManager, rc, text.GetData(), m_dwTextColor,
                                    nullptr, nullptr, links, style);
        return;
    }
    CRenderEngine::DrawTextW(m_pManager->GetPaintDC(), m_pManager, rc, text.GetData(), m_dwTextColor, m_iFont,
                             style);
}

// The padding is scaled to device pixels in both directions, as painting does, so a label measures
// the same fraction of its text at every scale.
SIZE CLabelUI::EstimateSize(SIZE szAvailable)
{
    if (m_cxyFixed.cx > 0 && m_cxyFixed.cy > 0)
        return GetFixedSize();
    if (m_pManager == nullptr)
        return GetFixedSize();
    if (szAvailable.cx != m_szAvailableLast.cx || szAvailable.cy != m_szAvailableLast.cy)
        m_bNeedEstimateSize = true;
    if (!m_bNeedEstimateSize)
        return m_cxyFixedLast;

    const CUIString text = GetText();
    const RECT padding = ScaledTextPadding();
    m_szAvailableLast = szAvailable;
    m_bNeedEstimateSize = false;
    SIZE size = GetFixedSize();
    if ((m_uTextStyle & DT_SINGLELINE) != 0) {
        if (size.cy == 0)
            size.cy = m_pManager->GetFontInfo(m_iFont)->tm.tmHeight + padding.top + padding.bottom
                      + kSingleLineExtraHeight;
        if (size.cx == 0 && m_bAutoCalcWidth) {
            RECT rc { 0, 0, kMeasureExtent, size.cy };
            MeasureText(rc, text);
            size.cx = rc.right - rc.left + padding.left + padding.right;
        }
    } else if (size.cy == 0 && m_bAutoCalcHeight) {
        RECT rc { padding.left, 0, size.cx - padding.right, kMeasureExtent };
        MeasureText(rc, text);
        size.cy = rc.bottom - rc.top + padding.top + padding.bottom;
    }
    m_cxyFixedLast = size;
    return m_cxyFixedLast;
}

void CLabelUI::PaintText(HDC hDC)
{
    if (m_pManager == nullptr)
        return;
    ResolveDefaultColors();
    const CUIString text = GetText();
    if (text.IsEmpty())
        return;
    const RECT padding = ScaledTextPadding();
    RECT rc { m_rcItem.left + padding.left, m_rcItem.top + padding.top, m_rcItem.right - padding.right,
              m_rcItem.bottom - padding.bottom };
    if (m_bShowHtml) {
        int links = 0;
        CRenderEngine::DrawHtmlText(hDC, m_pManager, rc, text.GetData(), CurrentTextColor(), nullptr, nullptr,
                                    links, m_uTextStyle);
        return;
    }
    CRenderEngine::DrawTextW(hDC, m_pManager, rc, text.GetData(), CurrentTextColor(), m_iFont, m_uTextStyle);
}

}  // namespace SkinUI
