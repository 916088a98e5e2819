#include "ui/controls/VirtualListUI.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "ui/core/ControlFactory.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/ScrollBarUI.h"

namespace SkinUI {

namespace {

const CControlRegistration kVirtualList(L"CVirtualListUI", &CVirtualListUI::CreateControl);

bool Shown(const CScrollBarUI* bar)
{
    return bar != nullptr && bar->IsVisible();
}

}  // namespace

// ---- body ----

CVirListBodyUI::CVirListBodyUI(CVirtualListUI* pOwner) : CListBodyUI(pOwner), m_pVirtualOwner(pOwner)
{
}

IVirtualDataProvider* CVirListBodyUI::Provider() const
{
    return m_pVirtualOwner->GetDataProvider();
}

int CVirListBodyUI::ElementCount() const
{
    return Provider() != nullptr ? Provider()->GetElementCount() : 0;
}

int CVirListBodyUI::GetTopIndex() const
{
    // A list whose element height was never set has no rows to count: everything is at the top.
    if (m_nElementHeight <= 0 || !Shown(m_pVerticalScrollBar))
        return 0;
    return m_pVerticalScrollBar->GetScrollPos() / m_nElementHeight;
}

IListItemUI* CVirListBodyUI::RowItem(int iRow) const
{
    CControlUI* pControl = GetItemAt(iRow);
    return pControl != nullptr ? static_cast<IListItemUI*>(pControl->GetInterface(L"ListItem")) : nullptr;
}

void CVirListBodyUI::InitElement(int nMaxItemCount)
{
    m_nMaxItems = nMaxItemCount;
    IVirtualDataProvider* provider = Provider();
    if (provider == nullptr)
        return;
    const int rows = std::min(nMaxItemCount, provider->GetElementCount());
    for (int i = 0; i < rows; ++i) {
        CControlUI* pControl = provider->CreateElement();
        if (pControl == nullptr)
            continue;
        provider->FillElement(pControl, i);
        Add(pControl);  // the body owns its rows
        if (IListItemUI* item = static_cast<IListItemUI*>(pControl->GetInterface(L"ListItem"))) {
            item->SetOwner(m_pVirtualOwner);
            item->SetIndex(i);
        }
    }
}

void CVirListBodyUI::RefreshElements()
{
    IVirtualDataProvider* provider = Provider();
    const int count = ElementCount();
    const int wanted = std::min(m_nMaxItems, count);
    while (GetCount() > wanted)
        RemoveAt(0);
    while (provider != nullptr && GetCount() < wanted) {
        CControlUI* pControl = provider->CreateElement();
        if (pControl == nullptr)
            break;
        Add(pControl);
        if (IListItemUI* item = static_cast<IListItemUI*>(pControl->GetInterface(L"ListItem")))
            item->SetOwner(m_pVirtualOwner);
    }
    if (provider == nullptr || count <= 0)
        return;
    if (GetCount() >= count) {
        for (int i = 0; i < GetCount(); ++i) {
            provider->FillElement(GetItemAt(i), i);
            if (IListItemUI* item = RowItem(i))
                item->SetIndex(i);
        }
        return;
    }
    Arrange();
    if (IsVisible())
        Invalidate();
}

void CVirListBodyUI::Arrange()
{
    IVirtualDataProvider* provider = Provider();
    const int count = ElementCount();
    if (provider == nullptr || count <= 0 || m_nElementHeight <= 0)
        return;
    m_bArranging = true;
    const int top = GetTopIndex();
    const RECT inset = GetInset();
    RECT area { m_rcItem.left + inset.left, m_rcItem.top + inset.top, m_rcItem.right - inset.right,
                m_rcItem.bottom - inset.bottom };
    if (Shown(m_pVerticalScrollBar))
        area.right -= m_pVerticalScrollBar->GetFixedWidth();
    const int h = m_nElementHeight;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* pControl = GetItemAt(i);
        pControl->SetPos({ area.left, area.top + i * h, area.right, area.top + (i + 1) * h }, false);
        if (top + i >= count)
            continue;  // rows past the data keep what they showed
        provider->FillElement(pControl, top + i);
        if (IListItemUI* item = RowItem(i)) {
            item->SetIndex(top + i);
            item->Select(false);
        }
    }
    for (int selected : m_aSelected) {
        if (IListItemUI* item = RowItem(selected - top); item != nullptr && selected >= top)
            item->SelectMulti(true);
    }
    m_bArranging = false;
    Invalidate();
}

void CVirListBodyUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CListBodyUI::SetPos(rc, bNeedInvalidate);
    Arrange();
}

int CVirListBodyUI::NeededHeight(int) const
{
    if (m_nElementHeight <= 0)
        return 0;
    // Room for one more row than the data, counted in 64 bits and kept within an int.
    const int64_t needed = (static_cast<int64_t>(ElementCount()) + 1) * m_nElementHeight;
    return static_cast<int>(std::min<int64_t>(needed, INT_MAX / 2));
}

void CVirListBodyUI::SetScrollPos(SIZE szPos, bool bMsg)
{
    if (Shown(m_pHorizontalScrollBar))
        CListBodyUI::SetScrollPos({ szPos.cx, GetScrollPos().cy }, bMsg);
    if (!Shown(m_pVerticalScrollBar))
        return;
    m_nLastScrollPos = m_pVerticalScrollBar->GetScrollPos();
    const int cy = std::clamp(static_cast<int>(szPos.cy), 0, m_pVerticalScrollBar->GetScrollRange());
    if (cy == m_nLastScrollPos)
        return;
    // The rows stay where they are; only the data they show moves.
    m_pVerticalScrollBar->SetScrollPos(cy);
    Arrange();
}

void CVirListBodyUI::ResetScroll()
{
    if (m_pVerticalScrollBar != nullptr)
        m_pVerticalScrollBar->SetScrollPos(0);
    m_nLastScrollPos = 0;
}

void CVirListBodyUI::Notify(int iIndex)
{
    if (m_pManager != nullptr)
        m_pManager->SendNotify(m_pVirtualOwner, L"itemselect", static_cast<WPARAM>(iIndex), 0);
}

bool CVirListBodyUI::SelectItem(int iIndex, bool bTakeFocus)
{
    if (iIndex == m_iCurSel)
        return false;
    UnSelectAllItems();
    const int row = iIndex - GetTopIndex();
    IListItemUI* item = iIndex >= 0 ? RowItem(row) : nullptr;
    m_bArranging = true;
    const bool accepted = item != nullptr && item->Select(true);
    m_bArranging = false;
    if (!accepted)
        return false;
    m_aSelected.push_back(iIndex);
    m_iCurSel = iIndex;
    if (bTakeFocus)
        GetItemAt(row)->SetFocus();
    Notify(iIndex);
    return true;
}

bool CVirListBodyUI::SelectMultiItem(int iIndex, bool bTakeFocus)
{
    if (!m_pVirtualOwner->IsMultiSelect())
        return SelectItem(iIndex, bTakeFocus);
    if (iIndex < 0 || iIndex >= ElementCount())
        return false;
    if (std::find(m_aSelected.begin(), m_aSelected.end(), iIndex) == m_aSelected.end())
        m_aSelected.push_back(iIndex);
    const int row = iIndex - GetTopIndex();
    if (IListItemUI* item = RowItem(row)) {
        m_bArranging = true;
        const bool accepted = item->SelectMulti(true);
        m_bArranging = false;
        if (!accepted)
            return false;
        if (bTakeFocus)
            GetItemAt(row)->SetFocus();
    }
    Notify(iIndex);
    return true;
}

bool CVirListBodyUI::SelectRange(int iIndex)
{
    if (iIndex == -1)
        return false;
    if (iIndex == m_iCurSel)
        return true;
    const int anchor = m_iCurSel < 0 ? 0 : m_iCurSel;
    UnSelectAllItems();
    const int top = GetTopIndex();
    m_bArranging = true;
    for (int d = std::min(anchor, iIndex); d <= std::max(anchor, iIndex); ++d) {
        if (IListItemUI* item = RowItem(d - top); item != nullptr && d >= top)
            item->SelectMulti(true);
        m_aSelected.push_back(d);
    }
    m_bArranging = false;
    return true;
}

void CVirListBodyUI::SelectAllItems()
{
    m_bArranging = true;
    for (int i = 0; i < GetCount(); ++i) {
        IListItemUI* item = RowItem(i);
        if (item == nullptr || !item->SelectMulti(true))
            break;
    }
    m_bArranging = false;
    m_aSelected.clear();
    for (int d = 0; d < ElementCount(); ++d)
        m_aSelected.push_back(d);
}

void CVirListBodyUI::UnSelectAllItems()
{
    const int top = GetTopIndex();
    m_bArranging = true;
    for (int selected : m_aSelected) {
        if (IListItemUI* item = RowItem(selected - top); item != nullptr && selected >= top)
            item->SelectMulti(false);
    }
    m_bArranging = false;
    m_aSelected.clear();
}

// ---- list ----

CVirtualListUI::CVirtualListUI()
{
    m_pList->SetVisible(false);
    m_pVirBody = new CVirListBodyUI(this);
    CVerticalLayoutUI::AddAt(m_pVirBody, OwnCount());  // owned like any child
}

CVirtualListUI::~CVirtualListUI()
{
    delete m_pDataProvider;
}

CControlUI* CVirtualListUI::CreateControl()
{
    return new CVirtualListUI();
}

const wchar_t* CVirtualListUI::GetClass() const
{
    return L"VirtualList";
}

void* CVirtualListUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && NameIs(pstrName, L"VirtualList"))
        return static_cast<CVirtualListUI*>(this);
    return CListUI::GetInterface(pstrName);
}

void CVirtualListUI::SetDataProvider(IVirtualDataProvider* pDataProvider)
{
    if (pDataProvider == m_pDataProvider)
        return;
    delete m_pDataProvider;  // the list owns the provider it was given
    m_pDataProvider = pDataProvider;
}

void CVirtualListUI::SetElementHeight(int nHeight)
{
    m_nElementHeight = nHeight;
    m_pVirBody->SetElementHeight(nHeight);
}

void CVirtualListUI::InitElement(int nMaxItemCount)
{
    m_pVirBody->InitElement(nMaxItemCount);
}

void CVirtualListUI::GetDisplayCollection(std::vector<int>& collection) const
{
    collection.clear();
    const int count = m_pDataProvider != nullptr ? m_pDataProvider->GetElementCount() : 0;
    if (count <= 0 || m_nElementHeight <= 0 || m_pVirBody->GetCount() == 0)
        return;
    const int top = m_pVirBody->GetTopIndex();
    const int last = std::min(top + m_pVirBody->GetHeight() / m_nElementHeight, count - 1);
    for (int i = top; i <= last; ++i)
        collection.push_back(i);
}

bool CVirtualListUI::Remove(CControlUI* pControl)
{
    return m_pVirBody->Remove(pControl);
}

bool CVirtualListUI::RemoveAt(int iIndex)
{
    return m_pVirBody->RemoveAt(iIndex);
}

void CVirtualListUI::RemoveAll()
{
    m_pVirBody->UnSelectAllItems();
    m_pVirBody->RemoveAll();
    m_pVirBody->ResetScroll();
    delete m_pDataProvider;  // freed here once; the body only ever asks the list for it
    m_pDataProvider = nullptr;
    m_bForceArrange = false;
    CListUI::RemoveAll();
}

// A row's own selection change reports here; while the body marks rows itself it is answered
// at once.
bool CVirtualListUI::SelectItem(int iIndex, bool bTakeFocus)
{
    return m_pVirBody->IsArranging() || m_pVirBody->SelectItem(iIndex, bTakeFocus);
}

bool CVirtualListUI::SelectMultiItem(int iIndex, bool bTakeFocus)
{
    return m_pVirBody->IsArranging() || m_pVirBody->SelectMultiItem(iIndex, bTakeFocus);
}

bool CVirtualListUI::UnSelectItem(int, bool)
{
    return m_pVirBody->IsArranging();
}

bool CVirtualListUI::SelectRange(int iIndex, bool)
{
    return m_pVirBody->IsArranging() || m_pVirBody->SelectRange(iIndex);
}

void CVirtualListUI::SelectAllItems()
{
    m_pVirBody->SelectAllItems();
}

void CVirtualListUI::UnSelectAllItems()
{
    if (m_pVirBody != nullptr)
        m_pVirBody->UnSelectAllItems();
}

void CVirtualListUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CListUI::SetPos(rc, bNeedInvalidate);
    m_pVirBody->SetPos(m_pVirBody->GetPos(), bNeedInvalidate);
}

void CVirtualListUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && event.Type > UiEventMouseBegin && event.Type < UiEventMouseEnd) {
        if (m_pParent != nullptr)
            m_pParent->DoEvent(event);
        else
            CVerticalLayoutUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
    case UiEventSetFocus:
        m_bFocused = true;
        return;
    case UiEventKillFocus:
        m_bFocused = false;
        return;
    case UiEventKeyDown:
        switch (event.chKey) {
        case VK_HOME: HomeUp(); return;
        case VK_END: EndDown(); return;
        case VK_PRIOR: PageUp(); return;
        case VK_NEXT: PageDown(); return;
        case VK_UP: LineUp(); return;
        case VK_DOWN: LineDown(); return;
        case VK_RETURN:
            if (CControlUI* pControl = m_pVirBody->GetItemAt(m_pVirBody->GetCurSel() - m_pVirBody->GetTopIndex()))
                pControl->Activate();
            return;
        case 'A':
            if (IsMultiSelect() && ::GetKeyState(VK_CONTROL) < 0)
                SelectAllItems();
            return;
        default:
            break;
        }
        break;
    case UiEventScrollWheel:
        if (LOWORD(event.wParam) == SB_LINEUP)
            LineUp();
        else if (LOWORD(event.wParam) == SB_LINEDOWN)
            LineDown();
        return;
    default:
        break;
    }
    CVerticalLayoutUI::DoEvent(event);
}

void CVirtualListUI::EnableScrollBar(bool bEnableVertical, bool bEnableHorizontal)
{
    if (m_pVirBody != nullptr)
        m_pVirBody->EnableScrollBar(bEnableVertical, bEnableHorizontal);
}

CScrollBarUI* CVirtualListUI::GetVerticalScrollBar() const
{
    return m_pVirBody != nullptr ? m_pVirBody->GetVerticalScrollBar() : nullptr;
}

CScrollBarUI* CVirtualListUI::GetHorizontalScrollBar() const
{
    return m_pVirBody != nullptr ? m_pVirBody->GetHorizontalScrollBar() : nullptr;
}

SIZE CVirtualListUI::GetScrollPos() const { return m_pVirBody->GetScrollPos(); }
SIZE CVirtualListUI::GetScrollRange() const { return m_pVirBody->GetScrollRange(); }
void CVirtualListUI::SetScrollPos(SIZE szPos, bool bMsg) { m_pVirBody->SetScrollPos(szPos, bMsg); }
void CVirtualListUI::LineUp() { m_pVirBody->LineUp(); }
void CVirtualListUI::LineDown() { m_pVirBody->LineDown(); }
void CVirtualListUI::PageUp() { m_pVirBody->PageUp(); }
void CVirtualListUI::PageDown() { m_pVirBody->PageDown(); }
void CVirtualListUI::HomeUp() { m_pVirBody->HomeUp(); }
void CVirtualListUI::EndDown() { m_pVirBody->EndDown(); }

}  // namespace SkinUI
