#include "ui/controls/ListElementUI.h"

#include <algorithm>

#include "ui/controls/ListHeaderUI.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/DPI.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"
#include "ui/core/ResourceManager.h"
#include "ui/core/ScrollBarUI.h"

namespace SkinUI {

namespace {

const CControlRegistration kListLabelElement(L"CListLabelElementUI", &CListLabelElementUI::CreateControl);
const CControlRegistration kListTextElement(L"CListTextElementUI", &CListTextElementUI::CreateControl);
const CControlRegistration kListContainerElement(L"CListContainerElementUI", &CListContainerElementUI::CreateControl);

constexpr UINT kWantReturn = 4;

bool IsMouseEvent(const TEventUI& event)
{
    return event.Type > UiEventMouseBegin && event.Type < UiEventMouseEnd;
}

bool CtrlHeld()
{
    return ::GetKeyState(VK_CONTROL) < 0;
}

bool ShiftHeld()
{
    return ::GetKeyState(VK_SHIFT) < 0;
}

bool Meets(const RECT& a, const RECT& b)
{
    RECT out;
    return ::IntersectRect(&out, &a, &b) != FALSE;
}

RECT Deflated(RECT rc, const RECT& by)
{
    rc.left += by.left;
    rc.top += by.top;
    rc.right -= by.right;
    rc.bottom -= by.bottom;
    return rc;
}

RECT ScaledPadding(CPaintManagerUI* pManager, const RECT& rc)
{
    return pManager != nullptr ? pManager->GetDPIObj()->Scale(rc) : rc;
}

DWORD StateColor(const TListInfoUI& info, UINT state, bool selected, bool enabled)
{
    DWORD color = info.dwTextColor;
    if ((state & kStateHot) != 0)
        color = info.dwHotTextColor;
    if (selected)
        color = info.dwSelectedTextColor;
    if (!enabled)
        color = info.dwDisabledTextColor;
    return color;
}

// One text in a row rectangle, tagged or plain, in the list's style.
void DrawRowText(HDC hDC, CPaintManagerUI* pManager, RECT rc, const TListInfoUI& info, const wchar_t* pstrText,
                 DWORD color)
{
    if (info.bShowHtml) {
        int links = 0;
        CRenderEngine::DrawHtmlText(hDC, pManager, rc, pstrText, color, nullptr, nullptr, links, info.uTextStyle);
    } else {
        CRenderEngine::DrawTextW(hDC, pManager, rc, pstrText, color, info.nFont, info.uTextStyle);
    }
}

}  // namespace

// ---- shared row helpers ----

void InvalidateListRow(CControlUI& row)
{
    if (!row.IsVisible())
        return;
    CControlUI* pParent = row.GetParent();
    auto* pContainer = pParent != nullptr ? static_cast<CContainerUI*>(pParent->GetInterface(L"Container")) : nullptr;
    CPaintManagerUI* pManager = row.GetManager();
    if (pContainer == nullptr || pManager == nullptr) {
        row.CControlUI::Invalidate();
        return;
    }
    RECT visible = Deflated(pContainer->GetPos(), pContainer->GetInset());
    if (CScrollBarUI* vbar = pContainer->GetVerticalScrollBar(); vbar != nullptr && vbar->IsVisible())
        visible.right -= vbar->GetFixedWidth();
    if (CScrollBarUI* hbar = pContainer->GetHorizontalScrollBar(); hbar != nullptr && hbar->IsVisible())
        visible.bottom -= hbar->GetFixedHeight();
    RECT rc;
    if (!::IntersectRect(&rc, &row.GetPos(), &visible))
        return;
    for (CControlUI* p = pParent->GetParent(); p != nullptr; p = p->GetParent()) {
        const RECT inner = rc;
        if (!::IntersectRect(&rc, &inner, &p->GetPos()))
            return;
    }
    pManager->Invalidate(rc);
}

void DrawListRowBk(HDC hDC, CControlUI& row, IListOwnerUI* pOwner, int iIndex, UINT uButtonState, bool bSelected)
{
    if (pOwner == nullptr)
        return;
    const TListInfoUI& info = *pOwner->GetListInfo();
    const RECT& rcItem = row.GetPos();
    const bool oddPlain = info.bAlternateBk && iIndex % 2 == 1;
    const bool hot = (uButtonState & kStateHot) != 0;
    DWORD color = oddPlain ? 0 : info.dwBkColor;
    if (hot)
        color = info.dwHotBkColor;
    if (bSelected)
        color = info.dwSelectedBkColor;
    if (!row.IsEnabled())
        color = info.dwDisabledBkColor;
    if (color != 0)
        CRenderEngine::DrawColor(hDC, rcItem, row.GetAdjustColor(color));

    const bool painted = (!row.IsEnabled() && !info.sDisabledImage.IsEmpty() && row.DrawImage(hDC, info.sDisabledImage))
        || (bSelected && !info.sSelectedImage.IsEmpty() && row.DrawImage(hDC, info.sSelectedImage))
        || (hot && !info.sHotImage.IsEmpty() && row.DrawImage(hDC, info.sHotImage));
    if (!painted) {
        if (!row.GetBkImage().IsEmpty()) {
            if (!oddPlain)
                row.DrawImage(hDC, row.GetBkImage());
        } else if (!info.sBkImage.IsEmpty()) {
            row.DrawImage(hDC, info.sBkImage);
        }
    }

    if (info.dwLineColor == 0)
        return;
    if (info.bShowRowLine)
        CRenderEngine::DrawLine(hDC, { rcItem.left, rcItem.bottom - 1, rcItem.right, rcItem.bottom - 1 }, 1,
                                row.GetAdjustColor(info.dwLineColor));
    if (info.bShowColumnLine) {
        for (int i = 0; i < info.nColumns; ++i) {
            const int x = info.rcColumn[i].right - 1;
            CRenderEngine::DrawLine(hDC, { x, rcItem.top, x, rcItem.bottom }, 1, row.GetAdjustColor(info.dwLineColor));
        }
    }
}

// ---- the shared list-item half ----

template <class TBase>
void* CListItemBaseUI<TBase>::GetInterface(const wchar_t* pstrName)
{
    if (pstrName == nullptr)
        return nullptr;
    if (CControlUI::NameIs(pstrName, L"ListItem"))
        return static_cast<IListItemUI*>(this);
    return TBase::GetInterface(pstrName);
}

template <class TBase>
UINT CListItemBaseUI<TBase>::GetControlFlags() const
{
    return kWantReturn;
}

template <class TBase>
void CListItemBaseUI<TBase>::SetOwner(CControlUI* pOwner)
{
    m_pOwner = pOwner != nullptr ? static_cast<IListOwnerUI*>(pOwner->GetInterface(L"IListOwner")) : nullptr;
}

template <class TBase>
bool CListItemBaseUI<TBase>::Activate()
{
    if (!CControlUI::Activate())
        return false;
    if (this->m_pManager != nullptr)
        this->m_pManager->SendNotify(this, L"itemactivate");
    return true;
}

template <class TBase>
void CListItemBaseUI<TBase>::SetVisible(bool bVisible)
{
    TBase::SetVisible(bVisible);
    if (!this->IsVisible() && m_bSelected) {
        m_bSelected = false;
        if (m_pOwner != nullptr)
            m_pOwner->SelectItem(-1);
    }
}

template <class TBase>
void CListItemBaseUI<TBase>::SetEnabled(bool bEnable)
{
    TBase::SetEnabled(bEnable);
    if (!this->IsEnabled())
        m_uButtonState = 0;
}

template <class TBase>
void CListItemBaseUI<TBase>::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (CControlUI::NameIs(pstrName, L"selected"))
        Select();
    else
        TBase::SetAttribute(pstrName, pstrValue);
}

template <class TBase>
bool CListItemBaseUI<TBase>::Select(bool bSelect)
{
    if (!this->IsEnabled())
        return false;
    if (m_pOwner != nullptr && m_bSelected)
        m_pOwner->UnSelectItem(m_iIndex, true);
    if (bSelect == m_bSelected)
        return true;
    m_bSelected = bSelect;
    if (bSelect && m_pOwner != nullptr)
        m_pOwner->SelectItem(m_iIndex);
    Invalidate();
    return true;
}

template <class TBase>
bool CListItemBaseUI<TBase>::SelectMulti(bool bSelect)
{
    if (!this->IsEnabled())
        return false;
    if (bSelect == m_bSelected)
        return true;
    m_bSelected = bSelect;
    // Both ways are reported, so the owner never keeps a row it no longer shows selected.
    if (m_pOwner != nullptr) {
        if (bSelect)
            m_pOwner->SelectMultiItem(m_iIndex);
        else
            m_pOwner->UnSelectItem(m_iIndex);
    }
    Invalidate();
    return true;
}

template <class TBase>
void CListItemBaseUI<TBase>::Invalidate()
{
    InvalidateListRow(*this);
}

template <class TBase>
void CListItemBaseUI<TBase>::DrawItemBk(HDC hDC, const RECT&)
{
    DrawListRowBk(hDC, *this, m_pOwner, m_iIndex, m_uButtonState, m_bSelected);
}

template class CListItemBaseUI<CControlUI>;
template class CListItemBaseUI<CHorizontalLayoutUI>;

// ---- plain element ----

const wchar_t* CListElementUI::GetClass() const
{
    return L"ListElementUI";
}

void* CListElementUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && NameIs(pstrName, L"ListElement"))
        return static_cast<CListElementUI*>(this);
    return CListItemBaseUI::GetInterface(pstrName);
}

void CListElementUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event)) {
        if (m_pOwner != nullptr)
            m_pOwner->DoEvent(event);
        else
            CControlUI::DoEvent(event);
        return;
    }
    const bool activates = event.Type == UiEventDblClick || (event.Type == UiEventKeyDown && event.chKey == VK_RETURN);
    if (activates && IsEnabled()) {
        Activate();
        Invalidate();
        return;
    }
    if (m_pOwner != nullptr)
        m_pOwner->DoEvent(event);
    else
        CControlUI::DoEvent(event);
}

// ---- label element ----

CControlUI* CListLabelElementUI::CreateControl()
{
    return new CListLabelElementUI();
}

const wchar_t* CListLabelElementUI::GetClass() const
{
    return L"ListLabelElementUI";
}

void* CListLabelElementUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && NameIs(pstrName, L"ListLabelElement"))
        return static_cast<CListLabelElementUI*>(this);
    return CListElementUI::GetInterface(pstrName);
}

void CListLabelElementUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event)) {
        if (m_pOwner != nullptr)
            m_pOwner->DoEvent(event);
        else
            CListElementUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
    case UiEventButtonDown:
        if (!IsEnabled())
            break;
        if (CtrlHeld())
            SelectMulti(!IsSelected());
        else
            Select();
        return;
    case UiEventButtonUp:
        if (!IsEnabled())
            break;
        if (m_pManager != nullptr)
            m_pManager->SendNotify(this, L"itemclick");
        return;
    case UiEventMouseMove:
        return;
    case UiEventMouseEnter:
        if (!IsEnabled())
            break;
        m_uButtonState |= kStateHot;
        Invalidate();
        return;
    case UiEventMouseLeave:
        if ((m_uButtonState & kStateHot) == 0)
            break;
        m_uButtonState &= ~kStateHot;
        Invalidate();
        return;
    default:
        break;
    }
    CListElementUI::DoEvent(event);
}

SIZE CListLabelElementUI::EstimateSize(SIZE)
{
    if (m_pOwner == nullptr || m_pManager == nullptr)
        return { 0, 0 };
    const TListInfoUI& info = *m_pOwner->GetListInfo();
    const RECT padding = ScaledPadding(m_pManager, info.rcTextPadding);
    SIZE cXY = GetFixedSize();
    if (cXY.cy == 0)
        cXY.cy = m_pManager->GetFontInfo(info.nFont)->tm.tmHeight + 8 + padding.top + padding.bottom;
    if (cXY.cx == 0 && m_pManager->GetPaintDC() != nullptr) {
        const CUIString text = GetText();
        RECT rcText { 0, 0, 9999, cXY.cy };
        const UINT style = (info.uTextStyle & ~(DT_CENTER | DT_RIGHT)) | DT_CALCRECT | DT_SINGLELINE;
        if (info.bShowHtml) {
            int links = 0;
            CRenderEngine::DrawHtmlText(m_pManager->GetPaintDC(), m_pManager, rcText, text, 0, nullptr, nullptr, links, style);
        } else {
            CRenderEngine::DrawTextW(m_pManager->GetPaintDC(), m_pManager, rcText, text, 0, info.nFont, style);
        }
        cXY.cx = rcText.right - rcText.left + padding.left + padding.right;
    }
    return cXY;
}

void CListLabelElementUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem))
        return;
    DrawItemBk(hDC, m_rcItem);
    DrawItemText(hDC, m_rcItem);
}

DWORD CListLabelElementUI::StateTextColor(const TListInfoUI& info) const
{
    return StateColor(info, m_uButtonState, IsSelected(), IsEnabled());
}

void CListLabelElementUI::DrawItemText(HDC hDC, const RECT& rcItem)
{
    if (m_pOwner == nullptr)
        return;
    const CUIString text = GetText();
    if (text.IsEmpty())
        return;
    const TListInfoUI& info = *m_pOwner->GetListInfo();
    DrawRowText(hDC, m_pManager, Deflated(rcItem, ScaledPadding(m_pManager, info.rcTextPadding)), info, text,
                StateTextColor(info));
}

// ---- text element ----

CControlUI* CListTextElementUI::CreateControl()
{
    return new CListTextElementUI();
}

const wchar_t* CListTextElementUI::GetClass() const
{
    return L"ListTextElementUI";
}

void* CListTextElementUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && NameIs(pstrName, L"ListTextElement"))
        return static_cast<CListTextElementUI*>(this);
    return CListLabelElementUI::GetInterface(pstrName);
}

UINT CListTextElementUI::GetControlFlags() const
{
    return kWantReturn | (IsEnabled() && m_nLinks > 0 ? ControlFlagSetCursor : 0);
}

void CListTextElementUI::SetOwner(CControlUI* pOwner)
{
    CListElementUI::SetOwner(pOwner);
    m_pOwnerList = pOwner != nullptr ? static_cast<IListUI*>(pOwner->GetInterface(L"IList")) : nullptr;
}

const wchar_t* CListTextElementUI::GetText(int iIndex) const
{
    if (iIndex < 0 || iIndex >= static_cast<int>(m_aTexts.size()) || !m_aTexts[static_cast<size_t>(iIndex)])
        return nullptr;
    const CUIString& text = *m_aTexts[static_cast<size_t>(iIndex)];
    if (IsResourceText()) {
        // The resource manager keeps its texts for the process, so the pointer stays valid.
        if (const wchar_t* resource = CResourceManager::GetInstance()->GetText(text))
            return resource;
    }
    return text;
}

void CListTextElementUI::SetText(int iIndex, const wchar_t* pstrText)
{
    if (m_pOwnerList == nullptr)
        return;
    const int columns = m_pOwnerList->GetListInfo()->nColumns;
    if (iIndex < 0 || iIndex >= columns)
        return;
    if (static_cast<int>(m_aTexts.size()) < columns)
        m_aTexts.resize(static_cast<size_t>(columns));
    std::optional<CUIString>& slot = m_aTexts[static_cast<size_t>(iIndex)];
    if (!slot && pstrText == nullptr)
        return;
    const CUIString text(pstrText != nullptr ? pstrText : L"");
    if (slot && *slot == text)
        return;
    slot = text;
    Invalidate();
}

CUIString* CListTextElementUI::GetLinkContent(int iIndex)
{
    return iIndex >= 0 && iIndex < m_nLinks ? &m_sLinks[iIndex] : nullptr;
}

int CListTextElementUI::HitLink(POINT pt) const
{
    for (int i = 0; i < m_nLinks; ++i) {
        if (::PtInRect(&m_rcLinks[i], pt))
            return i;
    }
    return -1;
}

void CListTextElementUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event)) {
        if (m_pOwnerList != nullptr)
            m_pOwnerList->DoEvent(event);
        else
            CListLabelElementUI::DoEvent(event);
        return;
    }
    const int link = HitLink(event.ptMouse);
    if (event.Type == UiEventSetCursor && link >= 0) {
        ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
        return;
    }
    if (event.Type == UiEventButtonUp && IsEnabled() && link >= 0) {
        if (m_pManager != nullptr)
            m_pManager->SendNotify(this, L"link", static_cast<WPARAM>(link));
        return;
    }
    if (event.Type == UiEventMouseMove && m_nLinks > 0 && link != m_nHoverLink) {
        Invalidate();
        m_nHoverLink = link;
    }
    if (event.Type == UiEventMouseLeave && m_nLinks > 0 && m_nHoverLink != -1) {
        Invalidate();
        m_nHoverLink = -1;
    }
    CListLabelElementUI::DoEvent(event);
}

SIZE CListTextElementUI::EstimateSize(SIZE)
{
    SIZE cXY = GetFixedSize();
    if (cXY.cy != 0 || m_pManager == nullptr)
        return cXY;
    const int font = m_pOwner != nullptr ? m_pOwner->GetListInfo()->nFont : -1;
    const RECT padding = m_pOwner != nullptr ? ScaledPadding(m_pManager, m_pOwner->GetListInfo()->rcTextPadding) : RECT {};
    cXY.cy = m_pManager->GetFontInfo(font)->tm.tmHeight + 8 + padding.top + padding.bottom;
    return cXY;
}

void CListTextElementUI::DrawItemText(HDC hDC, const RECT& rcItem)
{
    if (m_pOwner == nullptr)
        return;
    const TListInfoUI& info = *m_pOwner->GetListInfo();
    const DWORD color = StateTextColor(info);
    IListCallbackUI* pCallback = m_pOwnerList != nullptr ? m_pOwnerList->GetTextCallback() : nullptr;
    const RECT padding = ScaledPadding(m_pManager, info.rcTextPadding);
    m_nLinks = 0;
    for (int i = 0; i < info.nColumns; ++i) {
        const RECT rcColumn { info.rcColumn[i].left, rcItem.top, info.rcColumn[i].right, rcItem.bottom };
        RECT rc = Deflated(rcColumn, padding);
        UINT style = info.uTextStyle;
        PrepareCell(hDC, i, rcColumn, rc, style);
        CUIString text;
        if (pCallback != nullptr)
            text = pCallback->GetCellText(this, m_iIndex, i);
        else if (const wchar_t* stored = GetText(i))
            text = stored;
        if (info.bShowHtml) {
            int found = kMaxLinks - m_nLinks;
            CRenderEngine::DrawHtmlText(hDC, m_pManager, rc, text, color, &m_rcLinks[m_nLinks], &m_sLinks[m_nLinks], found,
                                        style);
            m_nLinks += std::clamp(found, 0, kMaxLinks - m_nLinks);
        } else {
            CRenderEngine::DrawTextW(hDC, m_pManager, rc, text, color, info.nFont, style);
        }
    }
    for (int i = m_nLinks; i < kMaxLinks; ++i) {
        ::SetRectEmpty(&m_rcLinks[i]);
        m_sLinks[i].Empty();
    }
}

// ---- container element ----

CControlUI* CListContainerElementUI::CreateControl()
{
    return new CListContainerElementUI();
}

const wchar_t* CListContainerElementUI::GetClass() const
{
    return L"ListContainerElementUI";
}

void* CListContainerElementUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && NameIs(pstrName, L"ListContainerElement"))
        return static_cast<CListContainerElementUI*>(this);
    return CListItemBaseUI::GetInterface(pstrName);
}

void CListContainerElementUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CHorizontalLayoutUI::SetPos(rc, bNeedInvalidate);
    if (m_pOwner == nullptr || m_pOwner->GetListType() != 0)
        return;
    auto* pList = dynamic_cast<IListUI*>(m_pOwner);
    CListHeaderUI* pHeader = pList != nullptr ? pList->GetHeader() : nullptr;
    if (pHeader == nullptr || !pHeader->IsVisible())
        return;
    const int count = std::min(GetCount(), pHeader->GetCount());
    for (int i = 0; i < count; ++i) {
        const RECT rcHeader = pHeader->GetItemAt(i)->GetPos();
        if (rcHeader.left == 0 && rcHeader.right == 0)
            continue;
        CControlUI* pChild = GetItemAt(i);
        const RECT rcChild = pChild->GetPos();
        pChild->SetPos({ rcHeader.left, rcChild.top, rcHeader.right, rcChild.bottom }, true);
    }
}

void CListContainerElementUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event)) {
        if (m_pOwner != nullptr)
            m_pOwner->DoEvent(event);
        else
            CContainerUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
    case UiEventDblClick:
        if (!IsEnabled())
            break;
        Activate();
        Invalidate();
        return;
    case UiEventKeyDown:
        if (!IsEnabled() || event.chKey != VK_RETURN)
            break;
        Activate();
        Invalidate();
        return;
    case UiEventButtonDown:
        if (!IsEnabled())
            break;
        if (CtrlHeld())
            SelectMulti(!IsSelected());
        else if (!ShiftHeld())
            Select();
        else if (m_pOwner != nullptr)
            m_pOwner->SelectRange(m_iIndex);
        return;
    case UiEventButtonUp:
        if (!IsEnabled())
            break;
        if (m_pManager != nullptr)
            m_pManager->SendNotify(this, L"itemclick");
        return;
    case UiEventMouseMove:
        return;
    case UiEventMouseEnter:
        if (!IsEnabled())
            break;
        if (m_pManager != nullptr)
            m_pManager->SendNotify(this, L"enterlistcontain", event.wParam, event.lParam);
        m_uButtonState |= kStateHot;
        Invalidate();
        return;
    case UiEventMouseLeave:
        if ((m_uButtonState & kStateHot) == 0)
            break;
        if (m_pManager != nullptr)
            m_pManager->SendNotify(this, L"leavelistcontain", event.wParam, event.lParam);
        m_uButtonState &= ~kStateHot;
        Invalidate();
        return;
    case UiEventTimer:
        if (m_pManager != nullptr)
            m_pManager->SendNotify(this, L"timer", event.wParam, event.lParam);
        return;
    case UiEventContextMenu:
        if (!IsContextMenuUsed())
            break;
        if (m_pManager != nullptr)
            m_pManager->SendNotify(this, L"menu", event.wParam, event.lParam);
        return;
    default:
        break;
    }
    if (m_pOwner != nullptr)
        m_pOwner->DoEvent(event);
    else
        CControlUI::DoEvent(event);
}

void CListContainerElementUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    if (!Meets(rcPaint, m_rcItem))
        return;
    DrawItemBk(hDC, m_rcItem);
    CHorizontalLayoutUI::DoPaint(hDC, rcPaint);
}

void CListContainerElementUI::DrawItemText(HDC hDC, const RECT& rcItem)
{
    if (m_pOwner == nullptr)
        return;
    const CUIString text = GetText();
    if (text.IsEmpty())
        return;
    const TListInfoUI& info = *m_pOwner->GetListInfo();
    DrawRowText(hDC, m_pManager, Deflated(rcItem, ScaledPadding(m_pManager, info.rcTextPadding)), info, text,
                StateColor(info, m_uButtonState, m_bSelected, IsEnabled()));
}

}  // namespace SkinUI
