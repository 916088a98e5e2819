#include "ui/core/ControlUI.h"

#include "ui/core/DPI.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/UIDefines.h"

namespace SkinUI {

CControlUI::CControlUI() = default;

CControlUI::~CControlUI()
{
    if (DestroyDelegates)
        DestroyDelegates(this);
    RemoveAllCustomAttribute();
    if (m_pManager != nullptr)
        m_pManager->ReapObjects(this);
}

CControlUI* CControlUI::CreateControl()
{
    return new CControlUI();
}

CUIString CControlUI::GetName() const
{
    return m_sName;
}

void CControlUI::SetName(const wchar_t* pstrName)
{
    m_sName = pstrName;
}

const wchar_t* CControlUI::GetClass() const
{
    return L"ControlUI";
}

void* CControlUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && CUIString(pstrName).CompareNoCase(L"Control") == 0)
        return this;
    return nullptr;
}

UINT CControlUI::GetControlFlags() const
{
    return 0;
}

bool CControlUI::Activate()
{
    return IsVisible() && IsEnabled();
}

CPaintManagerUI* CControlUI::GetManager() const
{
    return m_pManager;
}

void CControlUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit)
{
    // A builder hands a control its manager only while applying its attributes; a tab layout
    // selecting a page then may focus the page before any tree is attached.
    if (m_pManager != nullptr && m_pManager != pManager)
        m_pManager->DropInputTargets(this);
    m_pManager = pManager;
    m_pParent = pParent;
    if (bInit && m_pParent != nullptr)
        Init();
}

CControlUI* CControlUI::GetParent() const
{
    return m_pParent;
}

void CControlUI::Init()
{
    DoInit();
    if (InitDelegates)
        InitDelegates(this);
}

void CControlUI::DoInit()
{
}

// ---- texts ----

namespace {

CUIString ResolveTokens(const CUIString& text, bool resource)
{
    if (!resource)
        return text;
    CUIString copy = text;
    CPaintManagerUI::ProcessMultiLanguageTokens(copy);
    return copy;
}

}  // namespace

CUIString CControlUI::GetText() const
{
    return ResolveTokens(m_sText, m_bResourceText);
}

void CControlUI::SetText(const wchar_t* pstrText)
{
    if (m_sText == pstrText)
        return;
    m_sText = pstrText;
    Invalidate();
}

CUIString CControlUI::GetHotText() const
{
    return ResolveTokens(m_sHotText.IsEmpty() ? m_sText : m_sHotText, m_bResourceText);
}

void CControlUI::SetHotText(const wchar_t* pstrText)
{
    if (m_sHotText == pstrText)
        return;
    m_sHotText = pstrText;
    Invalidate();
}

bool CControlUI::IsResourceText() const
{
    return m_bResourceText;
}

void CControlUI::SetResourceText(bool bResource)
{
    if (m_bResourceText == bResource)
        return;
    m_bResourceText = bResource;
    Invalidate();
}

bool CControlUI::IsDragEnabled() const
{
    return m_bDragEnabled;
}

void CControlUI::SetDragEnable(bool bDrag)
{
    m_bDragEnabled = bDrag;
}

bool CControlUI::IsDropEnabled() const
{
    return m_bDropEnabled;
}

void CControlUI::SetDropEnable(bool bDrop)
{
    m_bDropEnabled = bDrop;
}

CUIString CControlUI::GetToolTip() const
{
    return ResolveTokens(m_sToolTip, m_bResourceText);
}

void CControlUI::SetToolTip(const wchar_t* pstrText)
{
    CUIString text = pstrText;
    text.Replace(L"<n>", L"\r\n");
    m_sToolTip = text;
}

void CControlUI::SetToolTipWidth(int nWidth)
{
    m_nTooltipWidth = nWidth;
}

int CControlUI::GetToolTipWidth() const
{
    return ScaleValue(m_nTooltipWidth);
}

WORD CControlUI::GetCursor() const
{
    return m_wCursor;
}

void CControlUI::SetCursor(WORD wCursor)
{
    m_wCursor = wCursor;
    Invalidate();
}

wchar_t CControlUI::GetShortcut() const
{
    return m_chShortcut;
}

void CControlUI::SetShortcut(wchar_t ch)
{
    m_chShortcut = ch;
}

bool CControlUI::IsContextMenuUsed() const
{
    return m_bMenuUsed;
}

void CControlUI::SetContextMenuUsed(bool bMenuUsed)
{
    m_bMenuUsed = bMenuUsed;
}

const CUIString& CControlUI::GetUserData() const
{
    return m_sUserData;
}

void CControlUI::SetUserData(const wchar_t* pstrText)
{
    m_sUserData = pstrText;
}

UINT_PTR CControlUI::GetTag() const
{
    return m_pTag;
}

void CControlUI::SetTag(UINT_PTR pTag)
{
    m_pTag = pTag;
}

CUIString CControlUI::GetVirtualWnd() const
{
    if (!m_sVirtualWnd.IsEmpty())
        return m_sVirtualWnd;
    if (m_pParent != nullptr)
        return m_pParent->GetVirtualWnd();
    return CUIString();
}

void CControlUI::SetVirtualWnd(const wchar_t* pstrValue)
{
    m_sVirtualWnd = pstrValue;
    if (m_pManager != nullptr)
        m_pManager->UsedVirtualWnd(true);
}

bool CControlUI::SetTimer(UINT nTimerID, UINT nElapse)
{
    if (m_pManager == nullptr)
        return false;
    return m_pManager->SetTimer(this, nTimerID, nElapse);
}

void CControlUI::KillTimer(UINT nTimerID)
{
    if (m_pManager != nullptr)
        m_pManager->KillTimer(this, nTimerID);
}

// ---- geometry ----

int CControlUI::ScaleValue(int value) const
{
    return m_pManager != nullptr ? m_pManager->GetDPIObj()->Scale(value) : value;
}

RECT CControlUI::ScaleValue(RECT rc) const
{
    return m_pManager != nullptr ? m_pManager->GetDPIObj()->Scale(rc) : rc;
}

SIZE CControlUI::ScaleValue(SIZE sz) const
{
    return m_pManager != nullptr ? m_pManager->GetDPIObj()->Scale(sz) : sz;
}

const RECT& CControlUI::GetPos() const
{
    return m_rcItem;
}

RECT CControlUI::GetRelativePos() const
{
    if (m_pParent == nullptr)
        return RECT {};
    const RECT& parent = m_pParent->GetPos();
    RECT rc = m_rcItem;
    ::OffsetRect(&rc, -parent.left, -parent.top);
    return rc;
}

RECT CControlUI::GetClientPos() const
{
    return m_rcItem;
}

int CControlUI::GetWidth() const
{
    return m_rcItem.right - m_rcItem.left;
}

int CControlUI::GetHeight() const
{
    return m_rcItem.bottom - m_rcItem.top;
}

int CControlUI::GetX() const
{
    return m_rcItem.left;
}

int CControlUI::GetY() const
{
    return m_rcItem.top;
}

namespace {

bool IsEmptyArea(const RECT& rc)
{
    return rc.right <= rc.left || rc.bottom <= rc.top;
}

}  // namespace

void CControlUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    if (rc.right < rc.left)
        rc.right = rc.left;
    if (rc.bottom < rc.top)
        rc.bottom = rc.top;
    RECT invalidate = IsEmptyArea(m_rcItem) ? rc : m_rcItem;
    m_rcItem = rc;
    if (m_pManager == nullptr)
        return;
    if (!m_bSetPos) {
        m_bSetPos = true;
        if (SizeDelegates)
            SizeDelegates(this);
        m_bSetPos = false;
    }
    m_bUpdateNeeded = false;
    if (!bNeedInvalidate || !IsVisible())
        return;
    ::UnionRect(&invalidate, &invalidate, &m_rcItem);
    for (CControlUI* parent = m_pParent; parent != nullptr; parent = parent->GetParent()) {
        RECT cut;
        if (!parent->IsVisible() || !::IntersectRect(&cut, &invalidate, &parent->GetPos()))
            return;
        invalidate = cut;
    }
    m_pManager->Invalidate(invalidate);
}

void CControlUI::Move(SIZE szOffset, bool)
{
    m_cXY.cx += szOffset.cx;
    m_cXY.cy += szOffset.cy;
    NeedParentUpdate();
}

RECT CControlUI::GetPadding() const
{
    return ScaleValue(m_rcPadding);
}

void CControlUI::SetPadding(RECT rcPadding)
{
    m_rcPadding = rcPadding;
    NeedParentUpdate();
}

SIZE CControlUI::GetFixedXY() const
{
    return ScaleValue(m_cXY);
}

void CControlUI::SetFixedXY(SIZE szXY)
{
    m_cXY = szXY;
    NeedParentUpdate();
}

SIZE CControlUI::GetFixedSize() const
{
    return ScaleValue(m_cxyFixed);
}

int CControlUI::GetFixedWidth() const
{
    return ScaleValue(static_cast<int>(m_cxyFixed.cx));
}

void CControlUI::SetFixedWidth(int cx)
{
    if (cx < 0)
        return;
    m_cxyFixed.cx = cx;
    NeedParentUpdate();
}

int CControlUI::GetFixedHeight() const
{
    return ScaleValue(static_cast<int>(m_cxyFixed.cy));
}

void CControlUI::SetFixedHeight(int cy)
{
    if (cy < 0)
        return;
    m_cxyFixed.cy = cy;
    NeedParentUpdate();
}

namespace {

// The min/max setters ignore negative and unchanged values; true when the value was stored.
bool StoreLimit(LONG& member, int value)
{
    if (value < 0 || member == value)
        return false;
    member = value;
    return true;
}

}  // namespace

int CControlUI::GetMinWidth() const
{
    return ScaleValue(static_cast<int>(m_cxyMin.cx));
}

void CControlUI::SetMinWidth(int cx)
{
    if (StoreLimit(m_cxyMin.cx, cx))
        NeedParentUpdate();
}

int CControlUI::GetMaxWidth() const
{
    return ScaleValue(static_cast<int>(m_cxyMax.cx));
}

void CControlUI::SetMaxWidth(int cx)
{
    if (StoreLimit(m_cxyMax.cx, cx))
        NeedParentUpdate();
}

int CControlUI::GetMinHeight() const
{
    return ScaleValue(static_cast<int>(m_cxyMin.cy));
}

void CControlUI::SetMinHeight(int cy)
{
    if (StoreLimit(m_cxyMin.cy, cy))
        NeedParentUpdate();
}

int CControlUI::GetMaxHeight() const
{
    return ScaleValue(static_cast<int>(m_cxyMax.cy));
}

void CControlUI::SetMaxHeight(int cy)
{
    if (StoreLimit(m_cxyMax.cy, cy))
        NeedParentUpdate();
}

TPercentInfo CControlUI::GetFloatPercent() const
{
    return m_piFloatPercent;
}

void CControlUI::SetFloatPercent(TPercentInfo piFloatPercent)
{
    m_piFloatPercent = piFloatPercent;
    NeedParentUpdate();
}

void CControlUI::SetFloatAlign(UINT uAlign)
{
    m_uFloatAlign = uAlign;
    NeedParentUpdate();
}

UINT CControlUI::GetFloatAlign() const
{
    return m_uFloatAlign;
}

SIZE CControlUI::EstimateSize(SIZE)
{
    return GetFixedSize();
}

// ---- state ----

bool CControlUI::IsVisible() const
{
    return m_bVisible && m_bInternVisible;
}

void CControlUI::SetVisible(bool bVisible)
{
    if (m_bVisible == bVisible)
        return;
    const bool wasVisible = IsVisible();
    m_bVisible = bVisible;
    if (m_bFocused)
        m_bFocused = false;
    if (!bVisible && m_pManager != nullptr && m_pManager->GetFocus() == this)
        m_pManager->SetFocus(nullptr);
    if (IsVisible() != wasVisible)
        NeedParentUpdate();
}

void CControlUI::SetInternVisible(bool bVisible)
{
    m_bInternVisible = bVisible;
    if (!bVisible && m_pManager != nullptr && m_pManager->GetFocus() == this)
        m_pManager->SetFocus(nullptr);
}

bool CControlUI::IsEnabled() const
{
    return m_bEnabled;
}

void CControlUI::SetEnabled(bool bEnabled)
{
    if (m_bEnabled == bEnabled)
        return;
    m_bEnabled = bEnabled;
    Invalidate();
}

bool CControlUI::IsMouseEnabled() const
{
    return m_bMouseEnabled;
}

void CControlUI::SetMouseEnabled(bool bEnabled)
{
    m_bMouseEnabled = bEnabled;
}

bool CControlUI::IsKeyboardEnabled() const
{
    return m_bKeyboardEnabled;
}

void CControlUI::SetKeyboardEnabled(bool bEnabled)
{
    m_bKeyboardEnabled = bEnabled;
}

bool CControlUI::IsFocused() const
{
    return m_bFocused;
}

void CControlUI::SetFocus()
{
    if (m_pManager != nullptr)
        m_pManager->SetFocus(this);
}

bool CControlUI::IsFloat() const
{
    return m_bFloat;
}

void CControlUI::SetFloat(bool bFloat)
{
    if (m_bFloat == bFloat)
        return;
    m_bFloat = bFloat;
    NeedParentUpdate();
}

bool CControlUI::IsWantTab() const
{
    return false;
}

DWORD CControlUI::GetCaretColor() const
{
    return 0;
}

void CControlUI::OnDPIChanged() { }

// ---- invalidation ----

void CControlUI::Invalidate()
{
    if (!IsVisible())
        return;
    RECT area = m_rcItem;
    for (CControlUI* parent = m_pParent; parent != nullptr; parent = parent->GetParent()) {
        RECT cut;
        if (!::IntersectRect(&cut, &area, &parent->GetPos()))
            return;
        area = cut;
    }
    if (m_pManager != nullptr)
        m_pManager->Invalidate(area);
}

void CControlUI::NeedUpdate()
{
    if (!IsVisible())
        return;
    m_bUpdateNeeded = true;
    Invalidate();
    if (m_pManager != nullptr)
        m_pManager->NeedUpdate();
}

void CControlUI::NeedParentUpdate()
{
    if (m_pParent != nullptr) {
        m_pParent->NeedUpdate();
        m_pParent->Invalidate();
    } else {
        NeedUpdate();
    }
    if (m_pManager != nullptr)
        m_pManager->NeedUpdate();
}

// ---- search and events ----

CControlUI* CControlUI::FindControl(FINDCONTROLPROC Proc, void* pData, UINT uFlags)
{
    if ((uFlags & FindVisible) != 0 && !IsVisible())
        return nullptr;
    if ((uFlags & FindEnabled) != 0 && !IsEnabled())
        return nullptr;
    if ((uFlags & FindHitTest) != 0
        && (!m_bMouseEnabled || !::PtInRect(&m_rcItem, *static_cast<const POINT*>(pData))))
        return nullptr;
    return Proc(this, pData);
}

void CControlUI::Event(tagTEventUI& event)
{
    if (EventDelegates(&event))
        DoEvent(event);
}

void CControlUI::DoEvent(tagTEventUI& event)
{
    switch (event.Type) {
    case UiEventSetCursor: {
        const WORD cursor = m_wCursor != 0 ? m_wCursor : 32512;
        ::SetCursor(::LoadCursor(nullptr, MAKEINTRESOURCE(cursor)));
        return;
    }
    case UiEventSetFocus:
        m_bFocused = true;
        Invalidate();
        return;
    case UiEventKillFocus:
        m_bFocused = false;
        Invalidate();
        return;
    case UiEventTimer:
        if (m_pManager != nullptr)
            m_pManager->SendNotify(this, L"timer", event.wParam, event.lParam);
        return;
    case UiEventContextMenu:
        if (m_bMenuUsed) {
            if (m_pManager != nullptr)
                m_pManager->SendNotify(this, L"menu", event.wParam, event.lParam);
            return;
        }
        break;
    default:
        break;
    }
    if (DoLayoutEditEvent(event))
        return;
    if (m_pParent != nullptr)
        m_pParent->DoEvent(event);
}

}  // namespace SkinUI
