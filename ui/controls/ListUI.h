#pragma once
// CListUI: the framework's list. A vertical box whose child 0 is the header (CListHeaderUI) and
// child 1 the body (CListBodyUI), which holds the rows. Rows are list items (IListItemUI) that
// draw themselves with the list's one tagTListInfoUI record. The list owns the selection: a
// current index (the anchor of range selection) and the selected indices, each recorded once and
// kept in step with inserts, removals and moves. It handles keys and the wheel for its rows and
// copies the header's item positions into its column rectangles after every layout and
// horizontal scroll, so rows draw their cells under the columns.
//
// The header, the body and every row are owned by the list (they are its children); the text
// callback is not. A list is touched only on the thread of its window: once it has a window, a
// change of its rows from any other thread is refused and reported on stderr.

#include <vector>

#include "ui/controls/ListHeaderUI.h"
#include "ui/controls/ListInterfaces.h"
#include "ui/core/BoxLayoutUI.h"

namespace SkinUI {

class CListBodyUI;
class CEditUI;
class CComboBoxUI;

// Compares two rows (the row controls' addresses) for SortItems: negative, 0 or positive.
using PULVCompareFunc = int (*)(UINT_PTR, UINT_PTR, UINT_PTR);

class CListUI : public CVerticalLayoutUI, public IListUI {
public:
    CListUI();

    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    UINT GetControlFlags() const override;

    bool GetScrollSelect() const { return m_bScrollSelect; }
    void SetScrollSelect(bool bScrollSelect) { m_bScrollSelect = bScrollSelect; }
    int GetCurSelActivate() const { return m_iCurSelActivate; }
    bool SelectItemActivate(int iIndex);
    int GetMinSelItemIndex() const;
    int GetMaxSelItemIndex() const;

    // IListOwnerUI
    UINT GetListType() override { return 0; }
    TListInfoUI* GetListInfo() override { return &m_ListInfo; }
    int GetCurSel() const override;
    bool SelectItem(int iIndex, bool bTakeFocus = false) override;
    bool SelectMultiItem(int iIndex, bool bTakeFocus = false) override;
    bool UnSelectItem(int iIndex, bool bOthers = false) override;
    bool SelectRange(int iIndex, bool bTakeFocus = false) override;
    void DoEvent(TEventUI& event) override;

    // IListUI
    CListHeaderUI* GetHeader() const override { return m_pHeader; }
    CContainerUI* GetList() const override;
    IListCallbackUI* GetTextCallback() const override { return m_pCallback; }
    void SetTextCallback(IListCallbackUI* pCallback) override { m_pCallback = pCallback; }
    bool ExpandItem(int iIndex, bool bExpand = true) override;
    int GetExpandedItem() const override { return m_iExpandedItem; }
    void SetMultiSelect(bool bMultiSel) override;
    bool IsMultiSelect() const override { return m_bMultiSel; }
    void SelectAllItems() override;
    void UnSelectAllItems() override;
    int GetSelectItemCount() const override { return static_cast<int>(m_aSelItems.size()); }
    int GetNextSelItem(int nItem) const override;

    // Rows live in the body; the header and its items are recognised and go to the header.
    CControlUI* GetItemAt(int iIndex) const override;
    int GetItemIndex(CControlUI* pControl) const override;
    bool SetItemIndex(CControlUI* pControl, int iIndex) override;
    int GetCount() const override;
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl) override;
    bool RemoveAt(int iIndex) override;
    void RemoveAll() override;

    void EnsureVisible(int iIndex);
    void Scroll(int dx, int dy);
    bool SortItems(PULVCompareFunc pfnCompare, UINT_PTR dwData);

    int GetChildPadding() const override;
    void SetChildPadding(int iPadding) override;
    bool IsDelayedDestroy() const override;
    void SetDelayedDestroy(bool bDelayed) override;
    SIZE GetScrollPos() const override;
    SIZE GetScrollRange() const override;
    void SetScrollPos(SIZE szPos, bool bMsg = true) override;
    void LineUp() override;
    void LineDown() override;
    void PageUp() override;
    void PageDown() override;
    void HomeUp() override;
    void EndDown() override;
    void LineLeft() override;
    void LineRight() override;
    void PageLeft() override;
    void PageRight() override;
    void HomeLeft() override;
    void EndRight() override;
    void EnableScrollBar(bool bEnableVertical = true, bool bEnableHorizontal = false) override;
    CScrollBarUI* GetVerticalScrollBar() const override;
    CScrollBarUI* GetHorizontalScrollBar() const override;

    // Appearance of the rows.
    void SetItemFont(int index);
    void SetItemTextStyle(UINT uStyle);
    void SetItemTextPadding(RECT rc);
    RECT GetItemTextPadding() const;
    void SetItemTextColor(DWORD dwTextColor);
    DWORD GetItemTextColor() const { return m_ListInfo.dwTextColor; }
    void SetItemBkColor(DWORD dwBkColor);
    DWORD GetItemBkColor() const { return m_ListInfo.dwBkColor; }
    void SetItemBkImage(const wchar_t* pStrImage);
    const CUIString& GetItemBkImage() const { return m_ListInfo.sBkImage; }
    void SetAlternateBk(bool bAlternateBk);
    bool IsAlternateBk() const { return m_ListInfo.bAlternateBk; }
    void SetSelectedItemTextColor(DWORD dwTextColor);
    DWORD GetSelectedItemTextColor() const { return m_ListInfo.dwSelectedTextColor; }
    void SetSelectedItemBkColor(DWORD dwBkColor);
    DWORD GetSelectedItemBkColor() const { return m_ListInfo.dwSelectedBkColor; }
    void SetSelectedItemImage(const wchar_t* pStrImage);
    const CUIString& GetSelectedItemImage() const { return m_ListInfo.sSelectedImage; }
    void SetHotItemTextColor(DWORD dwTextColor);
    DWORD GetHotItemTextColor() const { return m_ListInfo.dwHotTextColor; }
    void SetHotItemBkColor(DWORD dwBkColor);
    DWORD GetHotItemBkColor() const { return m_ListInfo.dwHotBkColor; }
    void SetHotItemImage(const wchar_t* pStrImage);
    const CUIString& GetHotItemImage() const { return m_ListInfo.sHotImage; }
    void SetDisabledItemTextColor(DWORD dwTextColor);
    DWORD GetDisabledItemTextColor() const { return m_ListInfo.dwDisabledTextColor; }
    void SetDisabledItemBkColor(DWORD dwBkColor);
    DWORD GetDisabledItemBkColor() const { return m_ListInfo.dwDisabledBkColor; }
    void SetDisabledItemImage(const wchar_t* pStrImage);
    const CUIString& GetDisabledItemImage() const { return m_ListInfo.sDisabledImage; }
    void SetItemLineColor(DWORD dwLineColor);
    DWORD GetItemLineColor() const { return m_ListInfo.dwLineColor; }
    void SetItemShowRowLine(bool bShowLine = false);
    void SetItemShowColumnLine(bool bShowLine = false);
    void SetItemShowHtml(bool bShowHtml = true);
    bool IsItemShowHtml() const { return m_ListInfo.bShowHtml; }
    void SetMultiExpanding(bool bMultiExpandable) { m_ListInfo.bMultiExpandable = bMultiExpandable; }

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void Move(SIZE szOffset, bool bNeedInvalidate = true) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;

    // Slots the extended list gives meaning.
    virtual int CheckColumEditable(int) { return 0; }
    virtual CEditUI* GetEditUI() { return nullptr; }
    virtual int CheckColumComboBoxable(int) { return 0; }
    virtual CComboBoxUI* GetComboBoxUI() { return nullptr; }

protected:
    // False (and a report naming the call) when the list has a window that another thread owns.
    bool OnOwnThread(const char* pstrCall) const;
    // Copies the visible header items' positions into the column rectangles.
    void UpdateColumns();
    // Gives every row from `from` on its index in the body.
    void RenumberRows(int from, int to = -1);
    void RecordSelected(int iIndex);
    void AdoptSelection(int iIndex);
    bool IsRecorded(int iIndex) const;
    // Keeps the selection on the same rows after the body's rows changed places.
    void RowInserted(int iIndex);
    void RowRemoved(int iIndex);
    // Moves a keyboard or wheel selection to a selectable row; nothing when there is none.
    void StepSelection(int iIndex, bool bForward);

    bool m_bScrollSelect { false };
    int m_iCurSel { -1 };
    bool m_bMultiSel { false };
    bool m_bSelectingAll { false };
    std::vector<int> m_aSelItems;
    int m_iCurSelActivate { -1 };
    int m_iExpandedItem { -1 };
    IListCallbackUI* m_pCallback { nullptr };
    CListBodyUI* m_pList { nullptr };
    CListHeaderUI* m_pHeader { nullptr };
    TListInfoUI m_ListInfo;
};

// The scrolling part of a list: lays its rows out one below the other, as wide as the header
// when the list has one, and moves the header and the columns with a horizontal scroll.
class CListBodyUI : public CVerticalLayoutUI {
public:
    explicit CListBodyUI(CListUI* pOwner);

    int GetScrollStepSize() const override;
    void SetScrollPos(SIZE szPos, bool bMsg = true) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void DoEvent(TEventUI& event) override;
    bool SortItems(PULVCompareFunc pfnCompare, UINT_PTR dwData);

protected:
    // The height the bars are fitted to, given the height the rows measured.
    virtual int NeededHeight(int measured) const { return measured; }

    CListUI* m_pOwner;
    PULVCompareFunc m_pCompareFunc { nullptr };
    UINT_PTR m_compareData { 0 };

private:
    // What one measure of the rows decided: the size they need and each row's height by index.
    struct RowPlan {
        RECT inner {};
        SIZE needed {};
        SIZE available {};
        std::vector<int> heights;
    };
    RowPlan MeasureRows();
    void ShareHeights(RowPlan& plan, int sharers, int fixedSum) const;
    void PlaceHeader(const RECT& inner);
    void PlaceRows(const RowPlan& plan);
};

}  // namespace SkinUI
