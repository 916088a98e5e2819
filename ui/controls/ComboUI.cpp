#include "ui/controls/ComboUI.h"

#include <algorithm>
#include <cwchar>

#include "platform/WinBase.h"
#include "ui/controls/ListHeaderUI.h"
#include "ui/core/BoxLayoutUI.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/DPI.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"
#include "ui/core/ScrollBarUI.h"
#include "ui/core/WindowWnd.h"

namespace SkinUI {

namespace {

const CControlRegistration kCombo(L"CComboUI", &CComboUI::CreateControl);
const CControlRegistration kComboBox(L"CComboBoxUI", &CComboBoxUI::CreateControl);

IListItemUI* AsListItem(CControlUI* pControl)
{
    return pControl != nullptr ? static_cast<IListItemUI*>(pControl->GetInterface(L"ListItem")) : nullptr;
}

// The control itself or one of its ancestors is a list item (a scroll bar never counts).
bool IsInItem(CControlUI* pControl)
{
    if (pControl == nullptr || pControl->GetInterface(L"ScrollBar") != nullptr)
        return false;
    for (CControlUI* c = pControl; c != nullptr; c = c->GetParent()) {
        if (c->GetInterface(L"ListItem") != nullptr)
            return true;
    }
    return false;
}

POINT PointFrom(LPARAM lParam)
{
    return { static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) };
}

}  // namespace

// ---- the drop-down window ----

class CComboWnd : public CWindowWnd, public INotifyUI {
public:
    void Init(CComboUI* pOwner);
    // The combo is going away: its items come home now and the window goes at once.
    void Detach();
    void Notify(TNotifyUI& msg) override;

protected:
    const wchar_t* GetWindowClassName() const override { return L"ComboWnd"; }
    UINT GetClassStyle() const override { return CS_DROPSHADOW; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    void OnCreate();
    void GiveItemsBack();
    void EnsureVisible(int iIndex);
    void ForwardToOwner(TEventUI& event);

    CPaintManagerUI m_pm;
    CComboUI* m_pOwner { nullptr };
    CVerticalLayoutUI* m_pLayout { nullptr };
    int m_iOldSel { -1 };
    bool m_bHitItem { false };
    bool m_bItemsHome { true };
};

void CComboWnd::Init(CComboUI* pOwner)
{
    m_pOwner = pOwner;
    m_iOldSel = pOwner->GetCurSel();
    CPaintManagerUI* ownerPm = pOwner->GetManager();
    const CDPI* dpi = ownerPm->GetDPIObj();
    const SIZE drop = pOwner->GetDropBoxSize();
    const RECT rcOwner = pOwner->GetPos();
    // The drop box size is given at 100 %, like the items it measures.
    const int maxHeight = dpi->Scale(static_cast<int>(drop.cy));
    RECT rc { rcOwner.left, rcOwner.bottom, rcOwner.right, rcOwner.bottom + maxHeight };
    if (drop.cx > 0)
        rc.right = rc.left + dpi->Scale(static_cast<int>(drop.cx));
    const SIZE available { rc.right - rc.left, maxHeight };
    int itemsHeight = 0;
    for (int i = 0; i < pOwner->OwnCount(); ++i) {
        CControlUI* item = pOwner->OwnItemAt(i);
        if (item->IsVisible())
            itemsHeight += item->EstimateSize(available).cy;
    }
    const int height = std::min(itemsHeight + 4, maxHeight);
    if (pOwner->m_bShowDropDown) {
        rc.bottom = rc.top + height;
    } else {
        rc.bottom = rcOwner.top;
        rc.top = rc.bottom - height;
    }
    HWND ownerWnd = ownerPm->GetPaintWindow();
    POINT topLeft { rc.left, rc.top }, ownerTop { rcOwner.left, rcOwner.top };
    ::ClientToScreen(ownerWnd, &topLeft);
    ::ClientToScreen(ownerWnd, &ownerTop);
    ::OffsetRect(&rc, topLeft.x - rc.left, topLeft.y - rc.top);
    // The monitor that holds the combo, not the primary one: its work area decides the flip.
    const RECT rcOwnerScreen { ownerTop.x, ownerTop.y, ownerTop.x + (rcOwner.right - rcOwner.left),
                               ownerTop.y + (rcOwner.bottom - rcOwner.top) };
    MONITORINFO info {};
    info.cbSize = sizeof(info);
    ::GetMonitorInfo(::MonitorFromRect(&rcOwnerScreen, MONITOR_DEFAULTTONEAREST), &info);
    if (rc.bottom > info.rcWork.bottom) {
        rc.bottom = rcOwnerScreen.top;
        rc.top = rc.bottom - height;
    }
    Create(ownerWnd, nullptr, WS_POPUP, WS_EX_TOOLWINDOW, rc);
    // The owner keeps its active look while its list is open.
    HWND root = ownerWnd;
    while (::GetParent(root) != nullptr)
        root = ::GetParent(root);
    ShowWindow(true);
    ::SendMessage(root, WM_NCACTIVATE, TRUE, 0);
}

void CComboWnd::OnCreate()
{
    CPaintManagerUI* ownerPm = m_pOwner->GetManager();
    m_pm.SetForceUseSharedRes(true);
    m_pm.Init(m_hWnd);
    m_pm.GetDPIObj()->SetScale(ownerPm->GetDPIObj()->GetDPI());
    m_pLayout = new CVerticalLayoutUI();
    m_pLayout->SetManager(&m_pm, nullptr, true);
    if (const wchar_t* defaults = ownerPm->GetDefaultAttributeList(L"VerticalLayout"))
        m_pLayout->ApplyAttributeList(defaults);
    m_pLayout->SetInset({ 1, 1, 1, 1 });
    m_pLayout->SetBkColor(0xFFFFFFFF);
    m_pLayout->SetBorderColor(0xFFC6C7D2);
    m_pLayout->SetBorderSize(1);
    m_pLayout->SetAutoDestroy(false);  // the items stay the combo's
    m_pLayout->EnableScrollBar();
    m_pLayout->ApplyAttributeList(m_pOwner->GetDropBoxAttributeList());
    for (int i = 0; i < m_pOwner->OwnCount(); ++i)
        m_pLayout->Add(m_pOwner->OwnItemAt(i));
    m_bItemsHome = false;
    m_pm.AttachDialog(m_pLayout);
    m_pm.AddNotifier(this);
}

void CComboWnd::GiveItemsBack()
{
    if (m_bItemsHome || m_pOwner == nullptr)
        return;
    m_bItemsHome = true;
    m_pLayout->RemoveAll();
    m_pOwner->SetManager(m_pOwner->GetManager(), m_pOwner->GetParent(), false);
    for (int i = 0; i < m_pOwner->OwnCount(); ++i)
        m_pOwner->OwnItemAt(i)->SetPos({ 0, 0, 0, 0 }, false);
}

void CComboWnd::Detach()
{
    GiveItemsBack();
    if (m_pOwner != nullptr) {
        m_pOwner->m_pWindow = nullptr;
        m_pOwner->m_uButtonState &= ~kStatePushed;
    }
    m_pOwner = nullptr;
    ::DestroyWindow(m_hWnd);
}

void CComboWnd::EnsureVisible(int iIndex)
{
    if (m_pOwner == nullptr || m_pOwner->GetCurSel() < 0 || m_pLayout == nullptr)
        return;
    CControlUI* item = m_pLayout->GetItemAt(iIndex);
    if (item == nullptr)
        return;
    const RECT rcItem = item->GetPos();
    RECT rcList = m_pLayout->GetPos();
    if (CScrollBarUI* hbar = m_pLayout->GetHorizontalScrollBar(); hbar != nullptr && hbar->IsVisible())
        rcList.bottom -= hbar->GetFixedHeight();
    int dy = 0;
    if (rcItem.top < rcList.top)
        dy = rcItem.top - rcList.top;
    if (rcItem.bottom > rcList.bottom)
        dy = rcItem.bottom - rcList.bottom;
    if (dy == 0)
        return;
    SIZE pos = m_pLayout->GetScrollPos();
    pos.cy += dy;
    m_pLayout->SetScrollPos(pos);
}

void CComboWnd::ForwardToOwner(TEventUI& event)
{
    event.pSender = m_pOwner;
    event.dwTimestamp = ::GetTickCount();
    m_pOwner->DoEvent(event);
    EnsureVisible(m_pOwner->GetCurSel());
}

void CComboWnd::Notify(TNotifyUI& msg)
{
    if (msg.sType == L"windowinit")
        EnsureVisible(m_iOldSel);
}

LRESULT CComboWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_CLOSE:
        GiveItemsBack();
        if (m_pOwner != nullptr)
            m_pOwner->SetFocus();
        break;
    case WM_DESTROY:
        // Owned windows go before their owner without a WM_CLOSE: the items come home here then.
        GiveItemsBack();
        break;
    case WM_LBUTTONDOWN:
        m_bHitItem = IsInItem(m_pm.FindControl(PointFrom(lParam)));
        break;
    case WM_LBUTTONUP:
        if (m_bHitItem && IsInItem(m_pm.FindControl(PointFrom(lParam))))
            PostMessageW(WM_KILLFOCUS);
        m_bHitItem = false;
        break;
    case WM_KEYDOWN:
        if (m_pOwner == nullptr)
            break;
        if (wParam == VK_RETURN) {
            PostMessageW(WM_KILLFOCUS);
        } else if (wParam == VK_ESCAPE) {
            m_pOwner->SelectItem(m_iOldSel, true);
            EnsureVisible(m_iOldSel);
            PostMessageW(WM_KILLFOCUS);
        } else {
            TEventUI event;
            event.Type = UiEventKeyDown;
            event.chKey = static_cast<WCHAR>(wParam);
            ForwardToOwner(event);
        }
        return 0;
    case WM_MOUSEWHEEL: {
        if (m_pOwner == nullptr)
            break;
        TEventUI event;
        event.Type = UiEventScrollWheel;
        event.wParam = GET_WHEEL_DELTA_WPARAM(wParam) < 0 ? SB_LINEDOWN : SB_LINEUP;
        event.lParam = lParam;
        if (m_pOwner->GetScrollSelect()) {
            ForwardToOwner(event);
        } else {
            event.pSender = m_pLayout;
            event.dwTimestamp = ::GetTickCount();
            m_pLayout->DoEvent(event);
        }
        return 0;
    }
    case WM_KILLFOCUS:
        if (reinterpret_cast<HWND>(wParam) != m_hWnd)
            PostMessageW(WM_CLOSE);
        break;
    default:
        break;
    }
    LRESULT lRes = 0;
    if (m_pm.MessageHandler(uMsg, wParam, lParam, lRes))
        return lRes;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void CComboWnd::OnFinalMessage(HWND)
{
    if (m_pOwner != nullptr) {
        m_pOwner->m_pWindow = nullptr;
        m_pOwner->m_uButtonState &= ~kStatePushed;
        m_pOwner->Invalidate();
    }
    delete this;
}

// ---- combo ----

CComboUI::CComboUI()
{
    m_ListInfo.uTextStyle = DT_VCENTER;
}

CComboUI::~CComboUI()
{
    if (m_pWindow != nullptr)
        m_pWindow->Detach();
}

CControlUI* CComboUI::CreateControl()
{
    return new CComboUI();
}

const wchar_t* CComboUI::GetClass() const
{
    return L"ComboUI";
}

void* CComboUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName == nullptr)
        return nullptr;
    if (NameIs(pstrName, L"Combo"))
        return static_cast<CComboUI*>(this);
    if (NameIs(pstrName, L"IListOwner"))
        return static_cast<IListOwnerUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

bool CComboUI::Activate()
{
    if (!CControlUI::Activate())
        return false;
    if (m_pWindow != nullptr || m_pManager == nullptr)
        return true;
    m_pWindow = new CComboWnd();  // deletes itself when its window is gone
    m_pWindow->Init(this);
    m_pManager->SendNotify(this, L"dropdown");
    Invalidate();
    return true;
}

CUIString CComboUI::GetText() const
{
    CControlUI* pControl = m_iCurSel >= 0 ? OwnItemAt(m_iCurSel) : nullptr;
    return pControl != nullptr ? pControl->GetText() : CUIString();
}

bool CComboUI::SelectItem(int iIndex, bool bTakeFocus)
{
    if (iIndex == m_iCurSel)
        return true;
    const int iOldSel = m_iCurSel;
    if (m_iCurSel >= 0) {
        CControlUI* pCurrent = OwnItemAt(m_iCurSel);
        if (pCurrent == nullptr)
            return false;
        if (IListItemUI* pListItem = AsListItem(pCurrent))
            pListItem->Select(false);
        m_iCurSel = -1;
    }
    if (iIndex < 0 || m_items.IsEmpty())
        return false;
    iIndex = std::min(iIndex, OwnCount() - 1);
    CControlUI* pControl = OwnItemAt(iIndex);
    IListItemUI* pListItem = AsListItem(pControl);
    if (pListItem == nullptr || !pControl->IsEnabled())
        return false;
    m_iCurSel = iIndex;
    if (m_pWindow != nullptr || bTakeFocus)
        pControl->SetFocus();
    pListItem->Select(true);
    if (m_pManager != nullptr)
        m_pManager->SendNotify(this, L"itemselect", static_cast<WPARAM>(m_iCurSel), static_cast<LPARAM>(iOldSel));
    Invalidate();
    return true;
}

void CComboUI::RenumberItems(int from)
{
    for (int i = std::max(from, 0); i < OwnCount(); ++i) {
        if (IListItemUI* pListItem = AsListItem(OwnItemAt(i)))
            pListItem->SetIndex(i);
    }
}

// ---- items: while the list is open its items are the popup's too, so it closes first ----

bool CComboUI::Add(CControlUI* pControl)
{
    return AddAt(pControl, OwnCount());
}

bool CComboUI::AddAt(CControlUI* pControl, int iIndex)
{
    if (m_pWindow != nullptr)
        m_pWindow->Detach();
    if (!CContainerUI::AddAt(pControl, iIndex))
        return false;
    if (IListItemUI* pListItem = AsListItem(pControl)) {
        pListItem->SetOwner(this);
        pListItem->SetIndex(iIndex);
    }
    RenumberItems(iIndex + 1);
    if (m_iCurSel >= iIndex)
        ++m_iCurSel;
    return true;
}

bool CComboUI::Remove(CControlUI* pControl)
{
    const int iIndex = m_items.Find(pControl);
    return iIndex >= 0 && RemoveAt(iIndex);
}

bool CComboUI::RemoveAt(int iIndex)
{
    if (m_pWindow != nullptr)
        m_pWindow->Detach();
    CControlUI* pControl = OwnItemAt(iIndex);
    if (pControl == nullptr || !CContainerUI::Remove(pControl))
        return false;
    RenumberItems(iIndex);
    if (iIndex == m_iCurSel && m_iCurSel >= 0) {
        const int iSel = m_iCurSel;
        m_iCurSel = -1;
        // The nearest selectable item before the removed one (after it only when none is).
        SelectItem(FindSelectable(iSel - 1, false), false);
    } else if (iIndex < m_iCurSel) {
        --m_iCurSel;
    }
    return true;
}

void CComboUI::RemoveAll()
{
    if (m_pWindow != nullptr)
        m_pWindow->Detach();
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
}

bool CComboUI::SetItemIndex(CControlUI* pControl, int iIndex)
{
    const int iOrginIndex = m_items.Find(pControl);
    if (iOrginIndex < 0)
        return false;
    if (iOrginIndex == iIndex)
        return true;
    CControlUI* pSelected = m_iCurSel >= 0 ? OwnItemAt(m_iCurSel) : nullptr;
    if (!CContainerUI::SetItemIndex(pControl, iIndex))
        return false;
    RenumberItems(std::min(iOrginIndex, iIndex));
    if (pSelected != nullptr)
        m_iCurSel = m_items.Find(pSelected);
    return true;
}

// ---- layout, events, painting ----

void CComboUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    if (m_pWindow != nullptr)
        m_pWindow->Close(IDOK);
    for (int i = 0; i < OwnCount(); ++i)
        OwnItemAt(i)->SetPos({ 0, 0, 0, 0 }, false);
    CControlUI::SetPos(rc, bNeedInvalidate);
}

void CComboUI::Move(SIZE szOffset, bool bNeedInvalidate)
{
    CControlUI::Move(szOffset, bNeedInvalidate);
}

void CComboUI::SetEnabled(bool bEnable)
{
    CContainerUI::SetEnabled(bEnable);
    if (!IsEnabled())
        m_uButtonState = 0;
}

void CComboUI::StepSelection(int iIndex, bool bForward)
{
    const int target = FindSelectable(iIndex, bForward);
    if (target >= 0)
        SelectItem(target, false);
}

void CComboUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && event.Type > UiEventMouseBegin && event.Type < UiEventMouseEnd) {
        if (m_pParent != nullptr)
            m_pParent->DoEvent(event);
        else
            CContainerUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
    case UiEventSetFocus:
    case UiEventKillFocus:
        Invalidate();
        break;
    case UiEventButtonDown:
        if (IsEnabled()) {
            Activate();
            m_uButtonState |= kStatePushed | kStateCaptured;
        }
        return;
    case UiEventButtonUp:
        if ((m_uButtonState & kStateCaptured) != 0) {
            m_uButtonState &= ~kStateCaptured;
            Invalidate();
        }
        return;
    case UiEventMouseMove:
    case UiEventContextMenu:
        return;
    case UiEventKeyDown:
        switch (event.chKey) {
        case VK_PRIOR:
        case VK_UP:
            StepSelection(m_iCurSel - 1, false);
            return;
        case VK_NEXT:
        case VK_DOWN:
            StepSelection(m_iCurSel + 1, true);
            return;
        case VK_HOME:
            StepSelection(0, false);
            return;
        case VK_END:
            StepSelection(OwnCount() - 1, false);
            return;
        case VK_F4:
            Activate();
            return;
        default:
            break;
        }
        break;
    case UiEventScrollWheel:
        if (m_bScrollSelect) {
            if (LOWORD(event.wParam) == SB_LINEDOWN)
                StepSelection(m_iCurSel + 1, true);
            else
                StepSelection(m_iCurSel - 1, false);
        }
        return;
    case UiEventMouseEnter:
        if (::PtInRect(&m_rcItem, event.ptMouse)) {
            m_uButtonState |= kStateHot;
            Invalidate();
        }
        return;
    case UiEventMouseLeave:
        m_uButtonState &= ~kStateHot;
        Invalidate();
        return;
    default:
        break;
    }
    CControlUI::DoEvent(event);
}

SIZE CComboUI::EstimateSize(SIZE szAvailable)
{
    if (GetFixedHeight() != 0 || m_pManager == nullptr)
        return CControlUI::EstimateSize(szAvailable);
    return { GetFixedWidth(), m_pManager->GetDefaultFontInfo()->tm.tmHeight + 12 };
}

void CComboUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    CControlUI::DoPaint(hDC, rcPaint);
}

UINT CComboUI::StateFlags()
{
    m_uButtonState = IsFocused() ? (m_uButtonState | kStateFocused) : (m_uButtonState & ~kStateFocused);
    m_uButtonState = !IsEnabled() ? (m_uButtonState | kStateDisabled) : (m_uButtonState & ~kStateDisabled);
    return m_uButtonState;
}

void CComboUI::PaintStatusImage(HDC hDC)
{
    const UINT state = StateFlags();
    const CUIString* image = nullptr;
    if ((state & kStateDisabled) != 0)
        image = &m_sDisabledImage;
    else if ((state & kStatePushed) != 0)
        image = &m_sPushedImage;
    else if ((state & kStateHot) != 0)
        image = &m_sHotImage;
    else if ((state & kStateFocused) != 0)
        image = &m_sFocusedImage;
    if (image != nullptr && !image->IsEmpty() && DrawImage(hDC, *image))
        return;
    if (!m_sNormalImage.IsEmpty())
        DrawImage(hDC, m_sNormalImage);
}

void CComboUI::PaintText(HDC hDC)
{
    if (m_pManager == nullptr)
        return;
    if (m_dwTextColor == 0)
        m_dwTextColor = m_pManager->GetDefaultFontColor();
    if (m_dwDisabledTextColor == 0)
        m_dwDisabledTextColor = m_pManager->GetDefaultDisabledColor();
    const CUIString text = GetText();
    if (text.IsEmpty())
        return;
    const RECT padding = ScaleValue(m_rcTextPadding);
    RECT rc { m_rcItem.left + padding.left, m_rcItem.top + padding.top, m_rcItem.right - padding.right,
              m_rcItem.bottom - padding.bottom };
    const DWORD color = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    if (m_bShowHtml) {
        int links = 0;
        CRenderEngine::DrawHtmlText(hDC, m_pManager, rc, text, color, nullptr, nullptr, links, m_uTextStyle);
    } else {
        CRenderEngine::DrawTextW(hDC, m_pManager, rc, text, color, m_iFont, m_uTextStyle);
    }
}

// ---- settings ----

void CComboUI::SetTextColor(DWORD dwTextColor)
{
    m_dwTextColor = dwTextColor;
    Invalidate();
}

void CComboUI::SetDisabledTextColor(DWORD dwTextColor)
{
    m_dwDisabledTextColor = dwTextColor;
    Invalidate();
}

void CComboUI::SetFont(int index)
{
    m_iFont = index;
    Invalidate();
}

void CComboUI::SetTextStyle(UINT uStyle)
{
    m_uTextStyle = uStyle;
    Invalidate();
}

void CComboUI::SetTextPadding(RECT rc)
{
    m_rcTextPadding = rc;
    Invalidate();
}

void CComboUI::SetShowHtml(bool bShowHtml)
{
    if (m_bShowHtml == bShowHtml)
        return;
    m_bShowHtml = bShowHtml;
    Invalidate();
}

void CComboUI::SetNormalImage(const wchar_t* pStrImage)
{
    m_sNormalImage = pStrImage;
    Invalidate();
}

void CComboUI::SetHotImage(const wchar_t* pStrImage)
{
    m_sHotImage = pStrImage;
    Invalidate();
}

void CComboUI::SetPushedImage(const wchar_t* pStrImage)
{
    m_sPushedImage = pStrImage;
    Invalidate();
}

void CComboUI::SetFocusedImage(const wchar_t* pStrImage)
{
    m_sFocusedImage = pStrImage;
    Invalidate();
}

void CComboUI::SetDisabledImage(const wchar_t* pStrImage)
{
    m_sDisabledImage = pStrImage;
    Invalidate();
}

void CComboUI::SetItemFont(int index)
{
    m_ListInfo.nFont = index;
    Invalidate();
}

void CComboUI::SetItemTextStyle(UINT uStyle)
{
    m_ListInfo.uTextStyle = uStyle;
    Invalidate();
}

void CComboUI::SetItemTextPadding(RECT rc)
{
    m_ListInfo.rcTextPadding = rc;
    Invalidate();
}

void CComboUI::SetItemTextColor(DWORD dwTextColor)
{
    m_ListInfo.dwTextColor = dwTextColor;
    Invalidate();
}

void CComboUI::SetItemShowHtml(bool bShowHtml)
{
    if (m_ListInfo.bShowHtml == bShowHtml)
        return;
    m_ListInfo.bShowHtml = bShowHtml;
    Invalidate();
}

void CComboUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    using listvalues::ReadColor;
    const bool on = ReadBool(pstrValue);
    if (NameIs(pstrName, L"align")) {
        if (std::wcsstr(pstrValue, L"left") != nullptr)
            m_uTextStyle &= ~(DT_CENTER | DT_RIGHT | DT_SINGLELINE);
        if (std::wcsstr(pstrValue, L"center") != nullptr)
            m_uTextStyle = (m_uTextStyle & ~DT_RIGHT) | DT_CENTER;
        if (std::wcsstr(pstrValue, L"right") != nullptr)
            m_uTextStyle = (m_uTextStyle & ~(DT_CENTER | DT_SINGLELINE)) | DT_RIGHT;
    } else if (NameIs(pstrName, L"valign")) {
        if (std::wcsstr(pstrValue, L"top") != nullptr)
            m_uTextStyle = (m_uTextStyle & ~(DT_VCENTER | DT_BOTTOM)) | DT_SINGLELINE;
        if (std::wcsstr(pstrValue, L"vcenter") != nullptr)
            m_uTextStyle = (m_uTextStyle & ~DT_BOTTOM) | DT_VCENTER | DT_SINGLELINE;
        if (std::wcsstr(pstrValue, L"bottom") != nullptr)
            m_uTextStyle = (m_uTextStyle & ~DT_VCENTER) | DT_BOTTOM | DT_SINGLELINE;
    } else if (NameIs(pstrName, L"endellipsis")) {
        m_uTextStyle = on ? (m_uTextStyle | DT_END_ELLIPSIS) : (m_uTextStyle & ~DT_END_ELLIPSIS);
    } else if (NameIs(pstrName, L"wordbreak")) {
        m_uTextStyle = on ? ((m_uTextStyle & ~DT_SINGLELINE) | DT_WORDBREAK | DT_EDITCONTROL)
                          : ((m_uTextStyle & ~(DT_WORDBREAK | DT_EDITCONTROL)) | DT_SINGLELINE);
    } else if (NameIs(pstrName, L"font")) {
        SetFont(ReadInt(pstrValue));
    } else if (NameIs(pstrName, L"textcolor")) {
        SetTextColor(ReadColor(pstrValue));
    } else if (NameIs(pstrName, L"disabledtextcolor")) {
        SetDisabledTextColor(ReadColor(pstrValue));
    } else if (NameIs(pstrName, L"textpadding")) {
        SetTextPadding(ReadNumberList(pstrValue));
    } else if (NameIs(pstrName, L"showhtml")) {
        SetShowHtml(on);
    } else if (NameIs(pstrName, L"normalimage")) {
        SetNormalImage(pstrValue);
    } else if (NameIs(pstrName, L"hotimage")) {
        SetHotImage(pstrValue);
    } else if (NameIs(pstrName, L"pushedimage")) {
        SetPushedImage(pstrValue);
    } else if (NameIs(pstrName, L"focusedimage")) {
        SetFocusedImage(pstrValue);
    } else if (NameIs(pstrName, L"disabledimage")) {
        SetDisabledImage(pstrValue);
    } else if (NameIs(pstrName, L"scrollselect")) {
        SetScrollSelect(on);
    } else if (NameIs(pstrName, L"dropbox")) {
        SetDropBoxAttributeList(pstrValue);
    } else if (NameIs(pstrName, L"dropboxsize")) {
        const RECT rc = ReadNumberList(pstrValue);
        SetDropBoxSize({ rc.left, rc.top });
    } else if (NameIs(pstrName, L"itemfont")) {
        m_ListInfo.nFont = ReadInt(pstrValue);
    } else if (NameIs(pstrName, L"itemalign")) {
        m_ListInfo.uTextStyle = listvalues::ApplyAlign(m_ListInfo.uTextStyle, pstrValue);
    } else if (NameIs(pstrName, L"itemendellipsis")) {
        m_ListInfo.uTextStyle = on ? (m_ListInfo.uTextStyle | DT_END_ELLIPSIS) : (m_ListInfo.uTextStyle & ~DT_END_ELLIPSIS);
    } else if (NameIs(pstrName, L"itemtextpadding")) {
        SetItemTextPadding(ReadNumberList(pstrValue));
    } else if (NameIs(pstrName, L"itemtextcolor")) {
        SetItemTextColor(ReadColor(pstrValue));
    } else if (NameIs(pstrName, L"itembkcolor")) {
        SetItemBkColor(ReadColor(pstrValue));
    } else if (NameIs(pstrName, L"itembkimage")) {
        SetItemBkImage(pstrValue);
    } else if (NameIs(pstrName, L"itemaltbk")) {
        SetAlternateBk(on);
    } else if (NameIs(pstrName, L"itemselectedtextcolor")) {
        SetSelectedItemTextColor(ReadColor(pstrValue));
    } else if (NameIs(pstrName, L"itemselectedbkcolor")) {
        SetSelectedItemBkColor(ReadColor(pstrValue));
    } else if (NameIs(pstrName, L"itemselectedimage")) {
        SetSelectedItemImage(pstrValue);
    } else if (NameIs(pstrName, L"itemhottextcolor")) {
        SetHotItemTextColor(ReadColor(pstrValue));
    } else if (NameIs(pstrName, L"itemhotbkcolor")) {
        SetHotItemBkColor(ReadColor(pstrValue));
    } else if (NameIs(pstrName, L"itemhotimage")) {
        SetHotItemImage(pstrValue);
    } else if (NameIs(pstrName, L"itemdisabledtextcolor")) {
        SetDisabledItemTextColor(ReadColor(pstrValue));
    } else if (NameIs(pstrName, L"itemdisabledbkcolor")) {
        SetDisabledItemBkColor(ReadColor(pstrValue));
    } else if (NameIs(pstrName, L"itemdisabledimage")) {
        SetDisabledItemImage(pstrValue);
    } else if (NameIs(pstrName, L"itemlinecolor")) {
        SetItemLineColor(ReadColor(pstrValue));
    } else if (NameIs(pstrName, L"itemshowhtml")) {
        SetItemShowHtml(on);
    } else if (NameIs(pstrName, L"up")) {
        SetDropBoxUp(on);
    } else {
        CContainerUI::SetAttribute(pstrName, pstrValue);
    }
}

// ---- combo box ----

CControlUI* CComboBoxUI::CreateControl()
{
    return new CComboBoxUI();
}

const wchar_t* CComboBoxUI::GetClass() const
{
    return L"ComboBoxUI";
}

void CComboBoxUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (NameIs(pstrName, L"arrowimage"))
        SetArrowImage(pstrValue);
    else
        CComboUI::SetAttribute(pstrName, pstrValue);
}

void CComboBoxUI::PaintStatusImage(HDC hDC)
{
    if (m_sArrowImage.IsEmpty()) {
        CComboUI::PaintStatusImage(hDC);
        return;
    }
    const UINT state = StateFlags();
    int cell = 0;
    if ((state & kStateDisabled) != 0)
        cell = 4;
    else if ((state & kStatePushed) != 0)
        cell = 2;
    else if ((state & kStateHot) != 0)
        cell = 1;
    else if ((state & kStateFocused) != 0)
        cell = 3;
    const int at = m_sArrowImage.Find(L"source");
    const int open = at >= 0 ? m_sArrowImage.Find(L"'", at) : -1;
    const int close = open >= 0 ? m_sArrowImage.Find(L"'", open + 1) : -1;
    if (close < 0)
        return;
    const RECT source = ReadNumberList(m_sArrowImage.Mid(open + 1, close - open - 1));
    m_nArrowWidth = (source.right - source.left) / 5;
    RECT rcSource = source;
    rcSource.left += cell * m_nArrowWidth;
    rcSource.right = rcSource.left + m_nArrowWidth;
    // "dest" is read at 100 % and scaled by the image drawing: the arrow cell keeps its source
    // width at 100 %, so the control's size goes back to 100 % to place it.
    const int width = m_pManager != nullptr ? m_pManager->GetDPIObj()->ScaleBack(GetWidth()) : GetWidth();
    const int height = m_pManager != nullptr ? m_pManager->GetDPIObj()->ScaleBack(GetHeight()) : GetHeight();
    const int border = m_nBorderSize;
    const RECT rcDest { width - border - m_nArrowWidth, border, width - border, height - border };
    CUIString modify;
    modify.SmallFormat(L"source='%d,%d,%d,%d' dest='%d,%d,%d,%d'", rcSource.left, rcSource.top, rcSource.right,
                       rcSource.bottom, rcDest.left, rcDest.top, rcDest.right, rcDest.bottom);
    CUIString image = m_sArrowImage.Left(at);
    image += modify;
    image += m_sArrowImage.Mid(close + 1, m_sArrowImage.GetLength() - close - 1);
    DrawImage(hDC, image);
}

void CComboBoxUI::PaintText(HDC hDC)
{
    if (m_iCurSel < 0)
        return;
    const RECT padding = ScaleValue(m_rcTextPadding);
    const int arrow = m_pManager != nullptr ? m_pManager->GetDPIObj()->Scale(m_nArrowWidth) : m_nArrowWidth;
    RECT rc { m_rcItem.left + padding.left, m_rcItem.top + padding.top, m_rcItem.right - padding.right - arrow,
              m_rcItem.bottom - padding.bottom };
    CControlUI* pControl = OwnItemAt(m_iCurSel);
    if (pControl == nullptr)
        return;
    if (IListItemUI* pListItem = AsListItem(pControl)) {
        pListItem->DrawItemText(hDC, rc);
        return;
    }
    const RECT old = pControl->GetPos();
    pControl->SetPos(rc, false);
    pControl->DoPaint(hDC, rc);
    pControl->SetPos(old, false);
}

}  // namespace SkinUI
