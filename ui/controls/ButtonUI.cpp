#include "ui/controls/ButtonUI.h"

#include "ui/core/ControlFactory.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"
#include "ui/core/TabLayoutUI.h"

namespace SkinUI {

namespace {

const CControlRegistration kButton(L"CButtonUI", &CButtonUI::CreateControl);

bool IsMouseEvent(int type)
{
    return type >= UiEventMouseMove && type <= UiEventScrollWheel;
}

UINT WithBit(UINT state, UINT bit, bool on)
{
    return on ? (state | bit) : (state & ~bit);
}

}  // namespace

CButtonUI::CButtonUI()
{
    m_uTextStyle = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
}

CControlUI* CButtonUI::CreateControl()
{
    return new CButtonUI();
}

const wchar_t* CButtonUI::GetClass() const
{
    return L"ButtonUI";
}

void* CButtonUI::GetInterface(const wchar_t* pstrName)
{
    if (NameIs(pstrName, L"Button"))
        return this;
    return CLabelUI::GetInterface(pstrName);
}

UINT CButtonUI::GetControlFlags() const
{
    return (IsKeyboardEnabled() ? ControlFlagTabStop : 0) | (IsEnabled() ? ControlFlagSetCursor : 0);
}

// The "click" handler may remove this button; reading the binding afterwards is safe only because
// removed controls are destroyed later (the container's delayed destroy), never inside the handler.
bool CButtonUI::Activate()
{
    if (!CControlUI::Activate())
        return false;
    if (m_pManager != nullptr) {
        m_pManager->SendNotify(this, L"click");
        BindTriggerTabSel();
    }
    return true;
}

void CButtonUI::SetEnabled(bool bEnable)
{
    CControlUI::SetEnabled(bEnable);
    if (!IsEnabled())
        m_uButtonState = 0;
}

bool CButtonUI::InLayoutEdit() const
{
    return m_pManager != nullptr && m_pManager->GetShowLine() && GetShowLine();
}

void CButtonUI::DoEvent(TEventUI& event)
{
    if (IsMouseEvent(event.Type) && !IsMouseEnabled()) {
        if (m_pParent != nullptr)
            m_pParent->DoEvent(event);
        else
            CLabelUI::DoEvent(event);
        return;
    }
    const bool editing = InLayoutEdit();
    const bool inside = ::PtInRect(&m_rcItem, event.ptMouse) != FALSE;
    switch (event.Type) {
    case UiEventSetFocus:
    case UiEventKillFocus:
        Invalidate();
        break;
    case UiEventKeyDown:
        if (!editing && IsKeyboardEnabled() && (event.chKey == VK_SPACE || event.chKey == VK_RETURN)) {
            Activate();
            return;
        }
        break;
    case UiEventButtonDown:
    case UiEventDblClick:
        if (inside && IsEnabled()) {
            m_uButtonState |= ButtonStatePushed | ButtonStateCaptured;
            Invalidate();
        }
        if (!editing)
            return;
        break;
    case UiEventMouseMove:
        if ((m_uButtonState & ButtonStateCaptured) != 0) {
            m_uButtonState = WithBit(m_uButtonState, ButtonStatePushed, inside);
            Invalidate();
        }
        if (!editing)
            return;
        break;
    case UiEventButtonUp:
        if ((m_uButtonState & ButtonStateCaptured) != 0) {
            m_uButtonState &= ~(ButtonStatePushed | ButtonStateCaptured);
            Invalidate();
            if (inside)
                Activate();
        }
        if (!editing)
            return;
        break;
    case UiEventContextMenu:
        if (IsContextMenuUsed() && m_pManager != nullptr)
            m_pManager->SendNotify(this, L"menu", event.wParam, event.lParam);
        return;
    case UiEventMouseEnter:
    case UiEventMouseLeave:
        if (IsEnabled()) {
            m_uButtonState = WithBit(m_uButtonState, ButtonStateHot, event.Type == UiEventMouseEnter);
            Invalidate();
        }
        break;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

void CButtonUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (pstrName == nullptr || pstrValue == nullptr)
        return;
    if (NameIs(pstrName, L"normalimage"))
        SetNormalImage(pstrValue);
    else if (NameIs(pstrName, L"hotimage"))
        SetHotImage(pstrValue);
    else if (NameIs(pstrName, L"pushedimage"))
        SetPushedImage(pstrValue);
    else if (NameIs(pstrName, L"focusedimage"))
        SetFocusedImage(pstrValue);
    else if (NameIs(pstrName, L"disabledimage"))
        SetDisabledImage(pstrValue);
    else if (NameIs(pstrName, L"hotforeimage"))
        SetHotForeImage(pstrValue);
    else if (NameIs(pstrName, L"bindtabindex"))
        BindTabIndex(ReadInt(pstrValue));
    else if (NameIs(pstrName, L"bindtablayoutname"))
        BindTabLayoutName(pstrValue);
    else if (NameIs(pstrName, L"hotbkcolor"))
        SetHotBkColor(ReadColor(pstrValue));
    else if (NameIs(pstrName, L"pushedbkcolor"))
        SetPushedBkColor(ReadColor(pstrValue));
    else if (NameIs(pstrName, L"hottextcolor"))
        SetHotTextColor(ReadColor(pstrValue));
    else if (NameIs(pstrName, L"pushedtextcolor"))
        SetPushedTextColor(ReadColor(pstrValue));
    else if (NameIs(pstrName, L"focusedtextcolor"))
        SetFocusedTextColor(ReadColor(pstrValue));
    else if (NameIs(pstrName, L"hotfont"))
        SetHotFont(ReadInt(pstrValue));
    else if (NameIs(pstrName, L"pushedfont"))
        SetPushedFont(ReadInt(pstrValue));
    else if (NameIs(pstrName, L"focuedfont"))  // the skins' spelling; "focusedfont" is no key
        SetFocusedFont(ReadInt(pstrValue));
    else if (NameIs(pstrName, L"autonormalimagesize"))
        SetAutoNormalimageSize();
    else
        CLabelUI::SetAttribute(pstrName, pstrValue);
}

void CButtonUI::SetImage(CUIString& field, const wchar_t* pStrImage)
{
    field = pStrImage;
    Invalidate();
}

const CUIString& CButtonUI::GetNormalImage() const
{
    return m_sNormalImage;
}

void CButtonUI::SetNormalImage(const wchar_t* pStrImage)
{
    SetImage(m_sNormalImage, pStrImage);
}

const CUIString& CButtonUI::GetHotImage() const
{
    return m_sHotImage;
}

void CButtonUI::SetHotImage(const wchar_t* pStrImage)
{
    SetImage(m_sHotImage, pStrImage);
}

const CUIString& CButtonUI::GetPushedImage() const
{
    return m_sPushedImage;
}

void CButtonUI::SetPushedImage(const wchar_t* pStrImage)
{
    SetImage(m_sPushedImage, pStrImage);
}

const CUIString& CButtonUI::GetFocusedImage() const
{
    return m_sFocusedImage;
}

void CButtonUI::SetFocusedImage(const wchar_t* pStrImage)
{
    SetImage(m_sFocusedImage, pStrImage);
}

const CUIString& CButtonUI::GetDisabledImage() const
{
    return m_sDisabledImage;
}

void CButtonUI::SetDisabledImage(const wchar_t* pStrImage)
{
    SetImage(m_sDisabledImage, pStrImage);
}

const CUIString& CButtonUI::GetHotForeImage() const
{
    return m_sHotForeImage;
}

void CButtonUI::SetHotForeImage(const wchar_t* pStrImage)
{
    SetImage(m_sHotForeImage, pStrImage);
}

void CButtonUI::SetHotFont(int index)
{
    m_iHotFont = index;
    Invalidate();
}

void CButtonUI::SetPushedFont(int index)
{
    m_iPushedFont = index;
    Invalidate();
}

void CButtonUI::SetFocusedFont(int index)
{
    m_iFocusedFont = index;
    Invalidate();
}

void CButtonUI::BindTabIndex(int index)
{
    if (index >= 0)
        m_iBindTabIndex = index;
}

void CButtonUI::BindTabLayoutName(const wchar_t* pstrName)
{
    if (pstrName != nullptr)
        m_sBindTabLayoutName = pstrName;
}

void CButtonUI::BindTriggerTabSel(int index)
{
    if (index < 0 && m_iBindTabIndex < 0)
        return;
    if (m_pManager == nullptr || m_sBindTabLayoutName.IsEmpty())
        return;
    CControlUI* found = m_pManager->FindControl(m_sBindTabLayoutName.GetData());
    auto* tabs = found != nullptr ? static_cast<CTabLayoutUI*>(found->GetInterface(L"TabLayout")) : nullptr;
    if (tabs != nullptr)
        tabs->SelectItem(index >= 0 ? index : m_iBindTabIndex);
}

void CButtonUI::RemoveBindTabIndex()
{
    m_iBindTabIndex = -1;
    m_sBindTabLayoutName.Empty();
}

void CButtonUI::SetAutoNormalimageSize()
{
    SetImageSize(m_sNormalImage);
}

void CButtonUI::SyncFocusAndEnabledState()
{
    m_uButtonState = WithBit(m_uButtonState, ButtonStateFocused, IsFocused());
    m_uButtonState = WithBit(m_uButtonState, ButtonStateDisabled, !IsEnabled());
}

void CButtonUI::PaintBkColor(HDC hDC)
{
    DWORD colour = 0;
    if ((m_uButtonState & ButtonStatePushed) != 0)
        colour = m_dwPushedBkColor;
    else if ((m_uButtonState & ButtonStateHot) != 0)
        colour = m_dwHotBkColor;
    if (colour == 0) {
        CControlUI::PaintBkColor(hDC);
        return;
    }
    CRenderEngine::DrawColor(hDC, m_rcPaint, GetAdjustColor(colour));
}

void CButtonUI::PaintStatusImage(HDC hDC)
{
    SyncFocusAndEnabledState();
    // A window disabled under a modal dialog shows its buttons at rest.
    if (m_pManager != nullptr && !::IsWindowEnabled(m_pManager->GetPaintWindow()))
        m_uButtonState &= ButtonStateDisabled;
    const CUIString* chosen = nullptr;
    if ((m_uButtonState & ButtonStateDisabled) != 0)
        chosen = &m_sDisabledImage;
    else if ((m_uButtonState & ButtonStatePushed) != 0)
        chosen = &m_sPushedImage;
    else if ((m_uButtonState & ButtonStateHot) != 0)
        chosen = &m_sHotImage;
    else if ((m_uButtonState & ButtonStateFocused) != 0)
        chosen = &m_sFocusedImage;
    if (chosen != nullptr && !chosen->IsEmpty() && DrawImage(hDC, chosen->GetData()))
        return;
    if (!m_sNormalImage.IsEmpty())
        DrawImage(hDC, m_sNormalImage.GetData());
}

void CButtonUI::PaintBorder(HDC hDC)
{
    CControlUI::PaintBorder(hDC);
    PaintFocusMark(hDC);
}

void CButtonUI::PaintForeImage(HDC hDC)
{
    const bool hotOnly = (m_uButtonState & ButtonStateHot) != 0 && (m_uButtonState & ButtonStatePushed) == 0;
    if (hotOnly && !m_sHotForeImage.IsEmpty() && DrawImage(hDC, m_sHotForeImage.GetData()))
        return;
    if (!m_sForeImage.IsEmpty())
        DrawImage(hDC, m_sForeImage.GetData());
}

DWORD CButtonUI::CaptionColor(CUIString& text) const
{
    const UINT state = m_uButtonState;
    if ((state & ButtonStatePushed) != 0 && m_dwPushedTextColor != 0)
        return m_dwPushedTextColor;
    if ((state & ButtonStateHot) != 0 && m_dwHotTextColor != 0)
        return m_dwHotTextColor;
    if ((state & ButtonStateFocused) != 0 && m_dwFocusedTextColor != 0)
        return m_dwFocusedTextColor;
    if ((state & ButtonStateHot) != 0)
        text = GetHotText();
    return CurrentTextColor();
}

int CButtonUI::CaptionFont() const
{
    if ((m_uButtonState & ButtonStatePushed) != 0 && m_iPushedFont != -1)
        return m_iPushedFont;
    if ((m_uButtonState & ButtonStateHot) != 0 && m_iHotFont != -1)
        return m_iHotFont;
    if ((m_uButtonState & ButtonStateFocused) != 0 && m_iFocusedFont != -1)
        return m_iFocusedFont;
    return m_iFont;
}

RECT CButtonUI::CaptionRect() const
{
    const RECT padding = ScaledTextPadding();
    return RECT { m_rcItem.left + padding.left, m_rcItem.top + padding.top, m_rcItem.right - padding.right,
                  m_rcItem.bottom - padding.bottom };
}

void CButtonUI::PaintText(HDC hDC)
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
    CRenderEngine::DrawTextW(hDC, m_pManager, rc, text.GetData(), colour, CaptionFont(), m_uTextStyle);
}

}  // namespace SkinUI
