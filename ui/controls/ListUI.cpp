#include "ui/controls/ListUI.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>

#include "ui/core/ControlFactory.h"
#include "ui/core/DPI.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/ScrollBarUI.h"

namespace SkinUI {

namespace {

const CControlRegistration kList(L"CListUI", &CListUI::CreateControl);

bool IsMouseEvent(const TEventUI& event)
{
    return event.Type > UiEventMouseBegin && event.Type < UiEventMouseEnd;
}

bool IsHeaderItem(CControlUI* pControl)
{
    return std::wcsstr(pControl->GetClass(), L"ListHeaderItemUI") != nullptr;
}

IListItemUI* AsListItem(CControlUI* pControl)
{
    return pControl != nullptr ? static_cast<IListItemUI*>(pControl->GetInterface(L"ListItem")) : nullptr;
}

bool Shown(const CScrollBarUI* bar)
{
    return bar != nullptr && bar->IsVisible();
}

int Clamp(int value, int minimum, int maximum)
{
    return std::min(std::max(value, minimum), maximum);
}

}  // namespace

// ---- construction and identity ----

CListUI::CListUI()
{
    m_pList = new CListBodyUI(this);
    m_pHeader = new CListHeaderUI();
    // The container's own insert: this list's AddAt would send both into the body.
    CVerticalLayoutUI::AddAt(m_pHeader, 0);  // the list owns both, like any child
    CVerticalLayoutUI::AddAt(m_pList, 1);
}

CControlUI* CListUI::CreateControl()
{
    return new CListUI();
}

const wchar_t* CListUI::GetClass() const
{
    return L"ListUI";
}

void* CListUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName == nullptr)
        return nullptr;
    if (NameIs(pstrName, L"List"))
        return static_cast<CListUI*>(this);
    if (NameIs(pstrName, L"IList"))
        return static_cast<IListUI*>(this);
    if (NameIs(pstrName, L"IListOwner"))
        return static_cast<IListOwnerUI*>(this);
    return CVerticalLayoutUI::GetInterface(pstrName);
}

UINT CListUI::GetControlFlags() const
{
    return ControlFlagTabStop;
}

CContainerUI* CListUI::GetList() const
{
    return m_pList;
}

bool CListUI::OnOwnThread(const char* pstrCall) const
{
    HWND hWnd = m_pManager != nullptr ? m_pManager->GetPaintWindow() : nullptr;
    if (hWnd == nullptr || ::GetWindowThreadProcessId(hWnd, nullptr) == ::GetCurrentThreadId())
        return true;
    std::fprintf(stderr, "SkinUI list \"%ls\": %s called from a thread that does not own its window, refused\n",
                 GetName().GetData(), pstrCall);
    return false;
}

// ---- selection ----

int CListUI::GetCurSel() const
{
    return m_aSelItems.empty() ? -1 : m_aSelItems.front();
}

bool CListUI::IsRecorded(int iIndex) const
{
    return std::find(m_aSelItems.begin(), m_aSelItems.end(), iIndex) != m_aSelItems.end();
}

// A row's own Select calls back into SelectItem/SelectMultiItem, so the same index can arrive
// twice for one selection: it is recorded once.
void CListUI::RecordSelected(int iIndex)
{
    if (!IsRecorded(iIndex))
        m_aSelItems.push_back(iIndex);
}

bool CListUI::SelectItem(int iIndex, bool bTakeFocus)
{
    UnSelectAllItems();
    if (iIndex < 0)
        return false;
    CControlUI* pControl = GetItemAt(iIndex);
    IListItemUI* pListItem = AsListItem(pControl);
    if (pListItem == nullptr || !pListItem->Select(true))
        return false;
    const int iOldSel = m_iCurSel;
    m_iCurSel = iIndex;
    RecordSelected(iIndex);
    EnsureVisible(iIndex);
    if (bTakeFocus)
        pControl->SetFocus();
    if (m_pManager != nullptr && iOldSel != m_iCurSel)
        m_pManager->SendNotify(this, L"itemselect", static_cast<WPARAM>(iIndex), 0);
    return true;
}

bool CListUI::SelectMultiItem(int iIndex, bool bTakeFocus)
{
    if (!m_bMultiSel)
        return SelectItem(iIndex, bTakeFocus);
    if (m_bSelectingAll)
        return true;  // SelectAllItems records every row itself
    if (iIndex < 0 || IsRecorded(iIndex))
        return false;
    CControlUI* pControl = GetItemAt(iIndex);
    IListItemUI* pListItem = AsListItem(pControl);
    if (pListItem == nullptr || !pListItem->SelectMulti(true))
        return false;
    if (IsRecorded(iIndex))
        return true;  // the row's call back did the work and reported it
    m_iCurSel = iIndex;
    RecordSelected(iIndex);
    EnsureVisible(iIndex);
    if (bTakeFocus)
        pControl->SetFocus();
    if (m_pManager != nullptr)
        m_pManager->SendNotify(this, L"itemselect", static_cast<WPARAM>(iIndex), 0);
    return true;
}

bool CListUI::SelectRange(int iIndex, bool)
{
    if (iIndex == -1)
        return false;
    if (iIndex == m_iCurSel)
        return true;
    const int iCurSel = m_iCurSel;
    const int first = std::min(iCurSel < 0 ? 0 : iCurSel, iIndex);
    const int last = std::max(iCurSel < 0 ? 0 : iCurSel, iIndex);
    UnSelectAllItems();
    for (int i = first; i <= last && i < GetCount(); ++i)
        SelectMultiItem(i, true);
    m_iCurSel = iCurSel;
    return true;
}

bool CListUI::UnSelectItem(int iIndex, bool bOthers)
{
    if (!m_bMultiSel)
        return false;
    // A row that is unselected reports back here; the entries are taken out by value, so a
    // report that arrives in the middle finds nothing more to do.
    if (bOthers) {
        const std::vector<int> others = m_aSelItems;
        for (auto it = others.rbegin(); it != others.rend(); ++it) {
            if (*it == iIndex)
                continue;
            CControlUI* pControl = GetItemAt(*it);
            IListItemUI* pListItem = AsListItem(pControl);
            if (pListItem == nullptr || !pControl->IsEnabled() || !pListItem->SelectMulti(false))
                continue;
            std::erase(m_aSelItems, *it);
        }
        return true;
    }
    if (iIndex < 0 || !IsRecorded(iIndex))
        return false;
    CControlUI* pControl = GetItemAt(iIndex);
    IListItemUI* pListItem = AsListItem(pControl);
    if (pListItem == nullptr || !pControl->IsEnabled() || !pListItem->SelectMulti(false))
        return false;
    if (m_iCurSel == iIndex)
        m_iCurSel = -1;
    std::erase(m_aSelItems, iIndex);
    return true;
}

void CListUI::SelectAllItems()
{
    m_bSelectingAll = true;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* pControl = GetItemAt(i);
        IListItemUI* pListItem = AsListItem(pControl);
        if (pListItem == nullptr || !pControl->IsVisible() || !pControl->IsEnabled() || !pListItem->SelectMulti(true))
            continue;
        RecordSelected(i);
        m_iCurSel = i;
    }
    m_bSelectingAll = false;
}

void CListUI::UnSelectAllItems()
{
    std::vector<int> selectedRows;
    selectedRows.swap(m_aSelItems);
    for (int selected : selectedRows) {
        CControlUI* pControl = GetItemAt(selected);
        IListItemUI* pListItem = AsListItem(pControl);
        if (pListItem != nullptr && pControl->IsEnabled())
            pListItem->SelectMulti(false);
    }
    m_aSelItems.clear();  // rows whose state did not change are forgotten all the same
    m_iCurSel = -1;
}

int CListUI::GetNextSelItem(int nItem) const
{
    if (m_aSelItems.empty())
        return -1;
    if (nItem < 0)
        return m_aSelItems.front();
    const auto at = std::find(m_aSelItems.begin(), m_aSelItems.end(), nItem);
    if (at == m_aSelItems.end() || at + 1 == m_aSelItems.end())
        return -1;
    return *(at + 1);
}

int CListUI::GetMinSelItemIndex() const
{
    return m_aSelItems.empty() ? -1 : *std::min_element(m_aSelItems.begin(), m_aSelItems.end());
}

int CListUI::GetMaxSelItemIndex() const
{
    return m_aSelItems.empty() ? -1 : *std::max_element(m_aSelItems.begin(), m_aSelItems.end());
}

bool CListUI::SelectItemActivate(int iIndex)
{
    if (!SelectItem(iIndex, true))
        return false;
    m_iCurSelActivate = iIndex;
    return true;
}

void CListUI::SetMultiSelect(bool bMultiSel)
{
    if (m_bMultiSel == bMultiSel)
        return;
    m_bMultiSel = bMultiSel;
    if (!bMultiSel)
        UnSelectAllItems();
}

bool CListUI::ExpandItem(int iIndex, bool bExpand)
{
    if (m_iExpandedItem >= 0 && !m_ListInfo.bMultiExpandable) {
        if (IListItemUI* pExpanded = AsListItem(GetItemAt(m_iExpandedItem)))
            pExpanded->Expand(false);
        m_iExpandedItem = -1;
    }
    if (bExpand) {
        CControlUI* pControl = GetItemAt(iIndex);
        IListItemUI* pListItem = AsListItem(pControl);
        if (pListItem == nullptr || !pControl->IsVisible())
            return false;
        m_iExpandedItem = iIndex;
        if (!pListItem->Expand(true)) {
            m_iExpandedItem = -1;
            return false;
        }
    }
    NeedUpdate();
    return true;
}

// ---- rows ----

CControlUI* CListUI::GetItemAt(int iIndex) const
{
    return m_pList->GetItemAt(iIndex);
}

int CListUI::GetCount() const
{
    return m_pList->GetCount();
}

int CListUI::GetItemIndex(CControlUI* pControl) const
{
    if (pControl->GetInterface(L"ListHeader") != nullptr)
        return CVerticalLayoutUI::GetItemIndex(pControl);
    if (IsHeaderItem(pControl))
        return m_pHeader != nullptr ? m_pHeader->GetItemIndex(pControl) : -1;
    return m_pList->GetItemIndex(pControl);
}

void CListUI::RenumberRows(int from, int to)
{
    const int last = to < 0 ? GetCount() - 1 : std::min(to, GetCount() - 1);
    for (int i = std::max(from, 0); i <= last; ++i) {
        if (IListItemUI* pListItem = AsListItem(GetItemAt(i)))
            pListItem->SetIndex(i);
    }
}

void CListUI::RowInserted(int iIndex)
{
    for (int& selected : m_aSelItems) {
        if (selected >= iIndex)
            ++selected;
    }
    if (m_iCurSel >= iIndex)
        ++m_iCurSel;
    if (m_iExpandedItem >= iIndex)
        ++m_iExpandedItem;
}

void CListUI::RowRemoved(int iIndex)
{
    std::erase(m_aSelItems, iIndex);
    for (int& selected : m_aSelItems) {
        if (selected > iIndex)
            --selected;
    }
    if (m_iExpandedItem == iIndex)
        m_iExpandedItem = -1;
    else if (m_iExpandedItem > iIndex)
        --m_iExpandedItem;
}

bool CListUI::SetItemIndex(CControlUI* pControl, int iIndex)
{
    if (pControl->GetInterface(L"ListHeader") != nullptr)
        return CVerticalLayoutUI::SetItemIndex(pControl, iIndex);
    if (IsHeaderItem(pControl))
        return m_pHeader != nullptr && m_pHeader->SetItemIndex(pControl, iIndex);
    const int iOrginIndex = m_pList->GetItemIndex(pControl);
    if (iOrginIndex == -1)
        return false;
    if (iOrginIndex == iIndex)
        return true;
    std::vector<CControlUI*> selectedRows;
    for (int selected : m_aSelItems)
        selectedRows.push_back(GetItemAt(selected));
    CControlUI* pCurRow = GetItemAt(m_iCurSel);
    CControlUI* pExpandedRow = GetItemAt(m_iExpandedItem);
    if (!m_pList->SetItemIndex(pControl, iIndex))
        return false;
    RenumberRows(std::min(iOrginIndex, iIndex), std::max(iOrginIndex, iIndex));
    // Every bookkept index follows its row to where it now stands.
    for (size_t i = 0; i < selectedRows.size(); ++i)
        m_aSelItems[i] = m_pList->GetItemIndex(selectedRows[i]);
    m_iCurSel = pCurRow != nullptr ? m_pList->GetItemIndex(pCurRow) : -1;
    m_iExpandedItem = pExpandedRow != nullptr ? m_pList->GetItemIndex(pExpandedRow) : -1;
    return true;
}

bool CListUI::Add(CControlUI* pControl)
{
    if (pControl == nullptr || !OnOwnThread("Add"))
        return false;
    if (pControl->GetInterface(L"ListHeader") != nullptr) {
        if (m_pHeader != pControl && (m_pHeader == nullptr || m_pHeader->GetCount() == 0)) {
            if (m_pHeader != nullptr)
                CVerticalLayoutUI::Remove(m_pHeader);
            m_pHeader = static_cast<CListHeaderUI*>(pControl);
        }
        m_ListInfo.nColumns = std::min(m_pHeader->GetCount(), kMaxListColumns);
        return CVerticalLayoutUI::AddAt(pControl, 0);
    }
    if (IsHeaderItem(pControl)) {
        if (m_pHeader == nullptr)
            return false;
        const bool added = m_pHeader->Add(pControl);
        m_ListInfo.nColumns = std::min(m_pHeader->GetCount(), kMaxListColumns);
        NeedUpdate();  // a hidden header asks for nothing itself, yet the columns changed
        return added;
    }
    if (IListItemUI* pListItem = AsListItem(pControl)) {
        pListItem->SetOwner(this);
        pListItem->SetIndex(GetCount());
    }
    if (!m_pList->Add(pControl))  // the body owns the row
        return false;
    AdoptSelection(GetCount() - 1);
    return true;
}

// A row that arrives selected (a skin's "selected" runs before the row has an owner) becomes
// the list's selection.
void CListUI::AdoptSelection(int iIndex)
{
    IListItemUI* pListItem = AsListItem(GetItemAt(iIndex));
    if (pListItem == nullptr || !pListItem->IsSelected() || IsRecorded(iIndex))
        return;
    if (!m_bMultiSel)
        UnSelectAllItems();
    m_iCurSel = iIndex;
    RecordSelected(iIndex);
}

bool CListUI::AddAt(CControlUI* pControl, int iIndex)
{
    if (pControl == nullptr || !OnOwnThread("AddAt"))
        return false;
    if (pControl->GetInterface(L"ListHeader") != nullptr)
        return Add(pControl);
    if (IsHeaderItem(pControl)) {
        if (m_pHeader == nullptr)
            return false;
        const bool added = m_pHeader->AddAt(pControl, iIndex);
        m_ListInfo.nColumns = std::min(m_pHeader->GetCount(), kMaxListColumns);
        NeedUpdate();
        return added;
    }
    if (!m_pList->AddAt(pControl, iIndex))
        return false;
    if (IListItemUI* pListItem = AsListItem(pControl)) {
        pListItem->SetOwner(this);
        pListItem->SetIndex(iIndex);
    }
    RenumberRows(iIndex + 1);
    RowInserted(iIndex);
    AdoptSelection(iIndex);
    return true;
}

bool CListUI::Remove(CControlUI* pControl)
{
    if (pControl == nullptr || !OnOwnThread("Remove"))
        return false;
    if (pControl->GetInterface(L"ListHeader") != nullptr) {
        if (pControl == m_pHeader)
            m_pHeader = nullptr;
        return CVerticalLayoutUI::Remove(pControl);
    }
    if (IsHeaderItem(pControl))
        return m_pHeader != nullptr && m_pHeader->Remove(pControl);
    const int iIndex = m_pList->GetItemIndex(pControl);
    if (iIndex == -1)
        return false;
    return RemoveAt(iIndex);
}

bool CListUI::RemoveAt(int iIndex)
{
    if (!OnOwnThread("RemoveAt") || !m_pList->RemoveAt(iIndex))
        return false;
    RenumberRows(iIndex);
    RowRemoved(iIndex);
    if (iIndex == m_iCurSel) {
        const int iSel = m_iCurSel;
        m_iCurSel = -1;
        SelectItem(m_pList->FindSelectable(iSel, false), false);
    } else if (iIndex < m_iCurSel) {
        --m_iCurSel;
    }
    return true;
}

void CListUI::RemoveAll()
{
    if (!OnOwnThread("RemoveAll"))
        return;
    m_iCurSel = -1;
    m_iExpandedItem = -1;
    m_aSelItems.clear();
    m_pList->RemoveAll();
}

// ---- keys, wheel and scrolling ----

void CListUI::StepSelection(int iIndex, bool bForward)
{
    const int target = m_pList->FindSelectable(iIndex, bForward);
    if (target < 0 || (target == m_iCurSel && m_aSelItems.size() == 1))
        return;  // nowhere to go: the selection stays as it is
    SelectItem(target, true);
}

void CListUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event)) {
        if (m_pParent != nullptr)
            m_pParent->DoEvent(event);
        else
            CVerticalLayoutUI::DoEvent(event);
        return;
    }
    if (event.Type == UiEventSetFocus) {
        m_bFocused = true;
        return;
    }
    if (event.Type == UiEventKillFocus) {
        m_bFocused = false;
        return;
    }
    if (event.Type == UiEventKeyDown) {
        switch (event.chKey) {
        case VK_RETURN:
            if (m_iCurSel != -1 && GetItemAt(m_iCurSel) != nullptr)
                GetItemAt(m_iCurSel)->Activate();
            return;
        case VK_PRIOR:
            PageUp();
            return;
        case VK_NEXT:
            PageDown();
            return;
        case VK_HOME:
            StepSelection(0, false);
            return;
        case VK_END:
            // Backwards, so a disabled last row leaves the selection on the last selectable one.
            StepSelection(GetCount() - 1, false);
            return;
        case VK_UP:
            if (!m_aSelItems.empty())
                StepSelection(GetMinSelItemIndex() - 1, false);
            return;
        case VK_DOWN:
            if (!m_aSelItems.empty())
                StepSelection(std::min(GetMaxSelItemIndex() + 1, GetCount() - 1), GetMaxSelItemIndex() + 1 < GetCount());
            return;
        case 'A':
            if (m_bMultiSel && ::GetKeyState(VK_CONTROL) < 0)
                SelectAllItems();
            return;
        default:
            break;
        }
    }
    if (event.Type == UiEventScrollWheel) {
        const WORD direction = LOWORD(event.wParam);
        const bool stepsSelection = m_bScrollSelect && !m_bMultiSel;
        if (direction == SB_LINEUP) {
            if (stepsSelection)
                StepSelection(m_iCurSel - 1, false);
            else
                LineUp();
            return;
        }
        if (direction == SB_LINEDOWN) {
            if (stepsSelection)
                StepSelection(m_iCurSel + 1, true);
            else
                LineDown();
            return;
        }
    }
    CVerticalLayoutUI::DoEvent(event);
}

void CListUI::EnsureVisible(int iIndex)
{
    if (m_iCurSel < 0)
        return;
    CControlUI* pControl = GetItemAt(iIndex);
    if (pControl == nullptr)
        return;
    const RECT rcItem = pControl->GetPos();
    RECT rcList = m_pList->GetPos();
    const RECT inset = m_pList->GetInset();
    rcList.top += inset.top;
    rcList.bottom -= inset.bottom;
    if (CScrollBarUI* hbar = m_pList->GetHorizontalScrollBar(); Shown(hbar))
        rcList.bottom -= hbar->GetFixedHeight();
    if (rcItem.top >= rcList.top && rcItem.bottom < rcList.bottom)
        return;
    int dy = 0;
    if (rcItem.top < rcList.top)
        dy = rcItem.top - rcList.top;
    if (rcItem.bottom > rcList.bottom)
        dy = rcItem.bottom - rcList.bottom;
    Scroll(0, dy);
}

void CListUI::Scroll(int dx, int dy)
{
    if (dx == 0 && dy == 0)
        return;
    SIZE sz = m_pList->GetScrollPos();
    m_pList->SetScrollPos({ sz.cx + dx, sz.cy + dy });
}

bool CListUI::SortItems(PULVCompareFunc pfnCompare, UINT_PTR dwData)
{
    return m_pList != nullptr && m_pList->SortItems(pfnCompare, dwData);
}

int CListUI::GetChildPadding() const { return m_pList->GetChildPadding(); }
void CListUI::SetChildPadding(int iPadding) { m_pList->SetChildPadding(iPadding); }
bool CListUI::IsDelayedDestroy() const { return m_pList->IsDelayedDestroy(); }
void CListUI::SetDelayedDestroy(bool bDelayed) { m_pList->SetDelayedDestroy(bDelayed); }
SIZE CListUI::GetScrollPos() const { return m_pList->GetScrollPos(); }
SIZE CListUI::GetScrollRange() const { return m_pList->GetScrollRange(); }
void CListUI::SetScrollPos(SIZE szPos, bool bMsg) { m_pList->SetScrollPos(szPos, bMsg); }
void CListUI::LineUp() { m_pList->LineUp(); }
void CListUI::LineDown() { m_pList->LineDown(); }
void CListUI::PageUp() { m_pList->PageUp(); }
void CListUI::PageDown() { m_pList->PageDown(); }
void CListUI::HomeUp() { m_pList->HomeUp(); }
void CListUI::EndDown() { m_pList->EndDown(); }
void CListUI::LineLeft() { m_pList->LineLeft(); }
void CListUI::LineRight() { m_pList->LineRight(); }
void CListUI::PageLeft() { m_pList->PageLeft(); }
void CListUI::PageRight() { m_pList->PageRight(); }
void CListUI::HomeLeft() { m_pList->HomeLeft(); }
void CListUI::EndRight() { m_pList->EndRight(); }

void CListUI::EnableScrollBar(bool bEnableVertical, bool bEnableHorizontal)
{
    m_pList->EnableScrollBar(bEnableVertical, bEnableHorizontal);
}

CScrollBarUI* CListUI::GetVerticalScrollBar() const
{
    return m_pList->GetVerticalScrollBar();
}

CScrollBarUI* CListUI::GetHorizontalScrollBar() const
{
    return m_pList->GetHorizontalScrollBar();
}

// ---- layout ----

void CListUI::UpdateColumns()
{
    if (m_pHeader == nullptr)
        return;
    m_ListInfo.nColumns = std::min(m_pHeader->GetCount(), kMaxListColumns);
    for (int i = 0; i < m_ListInfo.nColumns; ++i) {
        CControlUI* pItem = m_pHeader->GetItemAt(i);
        if (pItem->IsVisible() && !pItem->IsFloat())
            m_ListInfo.rcColumn[i] = pItem->GetPos();
    }
}

void CListUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CVerticalLayoutUI::SetPos(rc, bNeedInvalidate);
    if (m_pHeader == nullptr)
        return;
    // A hidden header still places its items, so the rows keep their columns.
    const bool hidden = !m_pHeader->IsVisible();
    if (hidden) {
        for (int i = 0; i < m_pHeader->GetCount(); ++i)
            m_pHeader->GetItemAt(i)->SetInternVisible(true);
        m_pHeader->SetPos({ rc.left, 0, rc.right, 0 }, false);
    }
    UpdateColumns();
    if (hidden) {
        for (int i = 0; i < m_pHeader->GetCount(); ++i)
            m_pHeader->GetItemAt(i)->SetInternVisible(false);
    }
    m_pList->SetPos(m_pList->GetPos(), bNeedInvalidate);
}

void CListUI::Move(SIZE szOffset, bool bNeedInvalidate)
{
    CVerticalLayoutUI::Move(szOffset, bNeedInvalidate);
    if (m_pHeader != nullptr && !m_pHeader->IsVisible())
        m_pHeader->Move(szOffset, false);
}

// ---- appearance ----

void CListUI::SetItemFont(int index)
{
    m_ListInfo.nFont = index;
    NeedUpdate();
}

void CListUI::SetItemTextStyle(UINT uStyle)
{
    m_ListInfo.uTextStyle = uStyle;
    NeedUpdate();
}

void CListUI::SetItemTextPadding(RECT rc)
{
    m_ListInfo.rcTextPadding = rc;
    NeedUpdate();
}

RECT CListUI::GetItemTextPadding() const
{
    return ScaleValue(m_ListInfo.rcTextPadding);
}

void CListUI::SetItemTextColor(DWORD dwTextColor)
{
    m_ListInfo.dwTextColor = dwTextColor;
    Invalidate();
}

void CListUI::SetItemBkColor(DWORD dwBkColor)
{
    m_ListInfo.dwBkColor = dwBkColor;
    Invalidate();
}

void CListUI::SetItemBkImage(const wchar_t* pStrImage)
{
    m_ListInfo.sBkImage = pStrImage;
    Invalidate();
}

void CListUI::SetAlternateBk(bool bAlternateBk)
{
    m_ListInfo.bAlternateBk = bAlternateBk;
    Invalidate();
}

void CListUI::SetSelectedItemTextColor(DWORD dwTextColor)
{
    m_ListInfo.dwSelectedTextColor = dwTextColor;
    Invalidate();
}

void CListUI::SetSelectedItemBkColor(DWORD dwBkColor)
{
    m_ListInfo.dwSelectedBkColor = dwBkColor;
    Invalidate();
}

void CListUI::SetSelectedItemImage(const wchar_t* pStrImage)
{
    m_ListInfo.sSelectedImage = pStrImage;
    Invalidate();
}

void CListUI::SetHotItemTextColor(DWORD dwTextColor)
{
    m_ListInfo.dwHotTextColor = dwTextColor;
    Invalidate();
}

void CListUI::SetHotItemBkColor(DWORD dwBkColor)
{
    m_ListInfo.dwHotBkColor = dwBkColor;
    Invalidate();
}

void CListUI::SetHotItemImage(const wchar_t* pStrImage)
{
    m_ListInfo.sHotImage = pStrImage;
    Invalidate();
}

void CListUI::SetDisabledItemTextColor(DWORD dwTextColor)
{
    m_ListInfo.dwDisabledTextColor = dwTextColor;
    Invalidate();
}

void CListUI::SetDisabledItemBkColor(DWORD dwBkColor)
{
    m_ListInfo.dwDisabledBkColor = dwBkColor;
    Invalidate();
}

void CListUI::SetDisabledItemImage(const wchar_t* pStrImage)
{
    m_ListInfo.sDisabledImage = pStrImage;
    Invalidate();
}

void CListUI::SetItemLineColor(DWORD dwLineColor)
{
    m_ListInfo.dwLineColor = dwLineColor;
    Invalidate();
}

void CListUI::SetItemShowRowLine(bool bShowLine)
{
    m_ListInfo.bShowRowLine = bShowLine;
    Invalidate();
}

void CListUI::SetItemShowColumnLine(bool bShowLine)
{
    m_ListInfo.bShowColumnLine = bShowLine;
    Invalidate();
}

void CListUI::SetItemShowHtml(bool bShowHtml)
{
    if (m_ListInfo.bShowHtml == bShowHtml)
        return;
    m_ListInfo.bShowHtml = bShowHtml;
    NeedUpdate();
}

void CListUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    using listvalues::ReadColor;
    if (NameIs(pstrName, L"header"))
        m_pHeader != nullptr ? m_pHeader->SetVisible(CUIString(pstrValue).CompareNoCase(L"hidden") != 0) : void();
    else if (NameIs(pstrName, L"headerbkimage"))
        m_pHeader != nullptr ? m_pHeader->SetBkImage(pstrValue) : void();
    else if (NameIs(pstrName, L"scrollselect"))
        SetScrollSelect(ReadBool(pstrValue));
    else if (NameIs(pstrName, L"multiexpanding"))
        SetMultiExpanding(ReadBool(pstrValue));
    else if (NameIs(pstrName, L"itemfont"))
        m_ListInfo.nFont = ReadInt(pstrValue);
    else if (NameIs(pstrName, L"itemalign"))
        m_ListInfo.uTextStyle = listvalues::ApplyAlign(m_ListInfo.uTextStyle, pstrValue);
    else if (NameIs(pstrName, L"itemvalign"))
        m_ListInfo.uTextStyle = listvalues::ApplyVAlign(m_ListInfo.uTextStyle, pstrValue);
    else if (NameIs(pstrName, L"itemendellipsis"))
        m_ListInfo.uTextStyle = ReadBool(pstrValue) ? (m_ListInfo.uTextStyle | DT_END_ELLIPSIS)
                                                    : (m_ListInfo.uTextStyle & ~DT_END_ELLIPSIS);
    else if (NameIs(pstrName, L"itemtextpadding"))
        SetItemTextPadding(ReadNumberList(pstrValue));
    else if (NameIs(pstrName, L"itemtextcolor"))
        SetItemTextColor(ReadColor(pstrValue));
    else if (NameIs(pstrName, L"itembkcolor"))
        SetItemBkColor(ReadColor(pstrValue));
    else if (NameIs(pstrName, L"itembkimage"))
        SetItemBkImage(pstrValue);
    else if (NameIs(pstrName, L"itemaltbk"))
        SetAlternateBk(ReadBool(pstrValue));
    else if (NameIs(pstrName, L"itemselectedtextcolor"))
        SetSelectedItemTextColor(ReadColor(pstrValue));
    else if (NameIs(pstrName, L"itemselectedbkcolor"))
        SetSelectedItemBkColor(ReadColor(pstrValue));
    else if (NameIs(pstrName, L"itemselectedimage"))
        SetSelectedItemImage(pstrValue);
    else if (NameIs(pstrName, L"itemhottextcolor"))
        SetHotItemTextColor(ReadColor(pstrValue));
    else if (NameIs(pstrName, L"itemhotbkcolor"))
        SetHotItemBkColor(ReadColor(pstrValue));
    else if (NameIs(pstrName, L"itemhotimage"))
        SetHotItemImage(pstrValue);
    else if (NameIs(pstrName, L"itemdisabledtextcolor"))
        SetDisabledItemTextColor(ReadColor(pstrValue));
    else if (NameIs(pstrName, L"itemdisabledbkcolor"))
        SetDisabledItemBkColor(ReadColor(pstrValue));
    else if (NameIs(pstrName, L"itemdisabledimage"))
        SetDisabledItemImage(pstrValue);
    else if (NameIs(pstrName, L"itemlinecolor"))
        SetItemLineColor(ReadColor(pstrValue));
    else if (NameIs(pstrName, L"itemshowrowline"))
        SetItemShowRowLine(ReadBool(pstrValue));
    else if (NameIs(pstrName, L"itemshowcolumnline"))
        SetItemShowColumnLine(ReadBool(pstrValue));
    else if (NameIs(pstrName, L"itemshowhtml"))
        SetItemShowHtml(ReadBool(pstrValue));
    else if (NameIs(pstrName, L"vscrollbar"))
        EnableScrollBar(ReadBool(pstrValue), GetHorizontalScrollBar() != nullptr);
    else if (NameIs(pstrName, L"hscrollbar"))
        EnableScrollBar(GetVerticalScrollBar() != nullptr, ReadBool(pstrValue));
    else if (std::wcscmp(pstrName, L"multiselect") == 0)
        SetMultiSelect(std::wcscmp(pstrValue, L"true") == 0);
    else
        CVerticalLayoutUI::SetAttribute(pstrName, pstrValue);
}

// ---- body ----

CListBodyUI::CListBodyUI(CListUI* pOwner) : m_pOwner(pOwner)
{
}

int CListBodyUI::GetScrollStepSize() const
{
    return m_pOwner != nullptr ? m_pOwner->CContainerUI::GetScrollStepSize() : CContainerUI::GetScrollStepSize();
}

void CListBodyUI::SetScrollPos(SIZE szPos, bool bMsg)
{
    int dx = 0, dy = 0;
    if (Shown(m_pVerticalScrollBar)) {
        const int before = m_pVerticalScrollBar->GetScrollPos();
        m_pVerticalScrollBar->SetScrollPos(szPos.cy);
        dy = m_pVerticalScrollBar->GetScrollPos() - before;
    }
    if (Shown(m_pHorizontalScrollBar)) {
        const int before = m_pHorizontalScrollBar->GetScrollPos();
        m_pHorizontalScrollBar->SetScrollPos(szPos.cx);
        dx = m_pHorizontalScrollBar->GetScrollPos() - before;
    }
    if (dx == 0 && dy == 0)
        return;
    if (m_pOwner != nullptr && m_pOwner->GetHeader() != nullptr && dx != 0) {
        CListHeaderUI* pHeader = m_pOwner->GetHeader();
        TListInfoUI* pInfo = m_pOwner->GetListInfo();
        pInfo->nColumns = std::min(pHeader->GetCount(), kMaxListColumns);
        const bool hidden = !pHeader->IsVisible();
        for (int i = 0; i < pInfo->nColumns; ++i) {
            CControlUI* pItem = pHeader->GetItemAt(i);
            if (hidden)
                pItem->SetInternVisible(true);
            if (pItem->IsVisible() && !pItem->IsFloat()) {
                RECT rc = pItem->GetPos();
                ::OffsetRect(&rc, -dx, 0);
                pItem->SetPos(rc, false);
                pInfo->rcColumn[i] = pItem->GetPos();
            }
            if (hidden)
                pItem->SetInternVisible(false);
        }
        pHeader->Invalidate();
    }
    // Rows after the header: a container row takes its columns from the header items.
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* pControl = GetItemAt(i);
        if (!pControl->IsVisible() || pControl->IsFloat())
            continue;
        RECT rc = pControl->GetPos();
        ::OffsetRect(&rc, -dx, -dy);
        pControl->SetPos(rc, false);
    }
    Invalidate();
    if (bMsg && m_pVerticalScrollBar != nullptr && m_pManager != nullptr) {
        const int line = m_pVerticalScrollBar->GetLineSize() > 0 ? m_pVerticalScrollBar->GetLineSize() : 1;
        m_pManager->SendNotify(this, L"scroll", static_cast<WPARAM>((m_pVerticalScrollBar->GetScrollPos() + line) / line), 0);
    }
}

void CListBodyUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    PlaceRows(MeasureUnderScrollBars([this] { return MeasureRows(); }));
}

CListBodyUI::RowPlan CListBodyUI::MeasureRows()
{
    RowPlan plan;
    const RECT inset = GetInset();
    plan.inner = { m_rcItem.left + inset.left, m_rcItem.top + inset.top, m_rcItem.right - inset.right,
                   m_rcItem.bottom - inset.bottom };
    if (Shown(m_pVerticalScrollBar))
        plan.inner.right -= m_pVerticalScrollBar->GetFixedWidth();
    if (Shown(m_pHorizontalScrollBar))
        plan.inner.bottom -= m_pHorizontalScrollBar->GetFixedHeight();
    const SIZE working { plan.inner.right - plan.inner.left, plan.inner.bottom - plan.inner.top };
    plan.available = working;
    if (Shown(m_pHorizontalScrollBar))
        plan.available.cx += m_pHorizontalScrollBar->GetScrollRange();

    int sharers = 0, fixedSum = 0, counted = 0, cxNeeded = 0;
    plan.heights.assign(static_cast<size_t>(m_items.GetSize()), 0);
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* pControl = GetItemAt(i);
        if (!pControl->IsVisible() || pControl->IsFloat())
            continue;
        const SIZE sz = pControl->EstimateSize(plan.available);
        int height = sz.cy;
        if (height == 0)
            ++sharers;
        else
            height = Clamp(height, pControl->GetMinHeight(), pControl->GetMaxHeight());
        plan.heights[static_cast<size_t>(i)] = height;
        const RECT pad = pControl->GetPadding();
        fixedSum += height + pad.top + pad.bottom;
        cxNeeded = std::max(cxNeeded, Clamp(std::max<int>(sz.cx, 0), pControl->GetMinWidth(), pControl->GetMaxWidth()));
        ++counted;
    }
    if (counted > 0)
        fixedSum += GetChildPadding() * (counted - 1);

    // With a header, the rows are as wide as the header's columns.
    CListHeaderUI* pHeader = m_pOwner != nullptr ? m_pOwner->GetHeader() : nullptr;
    if (pHeader != nullptr && pHeader->GetCount() > 0)
        cxNeeded = std::max<int>(0, pHeader->EstimateSize(working).cx);
    plan.needed.cx = cxNeeded;
    ShareHeights(plan, sharers, fixedSum);
    return plan;
}

// Gives the rows that measured no height their share of what the others leave, the last one
// taking the rounding, and sums the height the rows need.
void CListBodyUI::ShareHeights(RowPlan& plan, int sharers, int fixedSum) const
{
    const int childPadding = GetChildPadding();
    const int share = sharers > 0 ? std::max(0, (plan.available.cy - fixedSum) / sharers) : 0;
    int remaining = plan.available.cy, fixedRemainder = fixedSum, placed = 0, sharer = 0, cyNeeded = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* pControl = GetItemAt(i);
        if (!pControl->IsVisible() || pControl->IsFloat())
            continue;
        const RECT pad = pControl->GetPadding();
        int& height = plan.heights[static_cast<size_t>(i)];
        remaining -= pad.top;
        fixedRemainder -= pad.top + pad.bottom + (++placed > 1 ? childPadding : 0) + height;
        if (height == 0) {
            height = (++sharer == sharers) ? std::max(0, remaining - pad.bottom - fixedRemainder) : share;
            height = Clamp(height, pControl->GetMinHeight(), pControl->GetMaxHeight());
        }
        cyNeeded += height + pad.top + pad.bottom;
        remaining -= height + pad.bottom + childPadding;
    }
    if (placed > 0)
        cyNeeded += childPadding * (placed - 1);
    plan.needed.cy = NeededHeight(cyNeeded);
}

// The header scrolls along with the rows.
void CListBodyUI::PlaceHeader(const RECT& inner)
{
    CListHeaderUI* pHeader = m_pOwner != nullptr ? m_pOwner->GetHeader() : nullptr;
    if (pHeader == nullptr || pHeader->GetCount() <= 0 || !Shown(m_pHorizontalScrollBar))
        return;
    RECT rcHeader = pHeader->GetPos();
    const int width = rcHeader.right - rcHeader.left;
    rcHeader.left = inner.left - m_pHorizontalScrollBar->GetScrollPos();
    rcHeader.right = rcHeader.left + width;
    pHeader->SetPos(rcHeader, false);
}

void CListBodyUI::PlaceRows(const RowPlan& plan)
{
    PlaceHeader(plan.inner);
    const int childPadding = GetChildPadding();
    int y = plan.inner.top - (Shown(m_pVerticalScrollBar) ? m_pVerticalScrollBar->GetScrollPos() : 0);
    const int x = plan.inner.left - (Shown(m_pHorizontalScrollBar) ? m_pHorizontalScrollBar->GetScrollPos() : 0);
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* pControl = GetItemAt(i);
        if (!pControl->IsVisible())
            continue;
        if (pControl->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        const RECT pad = pControl->GetPadding();
        const int height = plan.heights[static_cast<size_t>(i)];
        const int width = Clamp(std::max<int>(plan.needed.cx, plan.available.cx - pad.left - pad.right),
                                pControl->GetMinWidth(), pControl->GetMaxWidth());
        pControl->SetPos({ x + pad.left, y + pad.top, x + pad.left + width, y + pad.top + height + pad.bottom }, false);
        y += height + pad.top + pad.bottom + childPadding;
    }
}

void CListBodyUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && event.Type > UiEventMouseBegin && event.Type < UiEventMouseEnd && m_pOwner != nullptr) {
        m_pOwner->DoEvent(event);
        return;
    }
    CVerticalLayoutUI::DoEvent(event);
}

bool CListBodyUI::SortItems(PULVCompareFunc pfnCompare, UINT_PTR dwData)
{
    if (pfnCompare == nullptr)
        return false;
    m_pCompareFunc = pfnCompare;
    m_compareData = dwData;
    void** rows = m_items.GetData();
    std::stable_sort(rows, rows + m_items.GetSize(), [this](void* a, void* b) {
        return m_pCompareFunc(reinterpret_cast<UINT_PTR>(a), reinterpret_cast<UINT_PTR>(b), m_compareData) < 0;
    });
    for (int i = 0; i < m_items.GetSize(); ++i) {
        if (IListItemUI* pListItem = AsListItem(GetItemAt(i))) {
            pListItem->SetIndex(i);
            pListItem->Select(false);
        }
    }
    if (m_pOwner != nullptr)
        m_pOwner->SelectItem(-1, false);
    if (m_pManager != nullptr) {
        SetPos(GetPos(), true);
        Invalidate();
    }
    return true;
}

}  // namespace SkinUI
