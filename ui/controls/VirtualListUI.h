#pragma once
// CVirtualListUI: a list for very large data sets. It keeps only as many row controls as fit (at
// most a given maximum) and reuses them while the user scrolls: a data provider makes row
// controls, fills one with the data of a data index and says how many data items exist. Scrolling
// changes which data index the top row shows; the rows never leave the view. Selection is kept
// by data index, so it survives the reuse of rows.
//
// Once handed over, the provider belongs to the list: it is freed exactly once, by RemoveAll,
// by a new provider or with the list. The body never keeps a copy of it. UI thread only.

#include <vector>

#include "ui/controls/ListUI.h"

namespace SkinUI {

class IVirtualDataProvider {
public:
    virtual ~IVirtualDataProvider() = default;
    // A new row control; it must answer "ListItem".
    virtual CControlUI* CreateElement() = 0;
    virtual void FillElement(CControlUI* pControl, int iIndex) = 0;
    virtual int GetElementCount() = 0;
};

class CVirtualListUI;

class CVirListBodyUI : public CListBodyUI {
public:
    explicit CVirListBodyUI(CVirtualListUI* pOwner);

    void SetElementHeight(int nHeight) { m_nElementHeight = nHeight; }
    int GetElementHeight() const { return m_nElementHeight; }
    void InitElement(int nMaxItemCount);
    // Brings the number of rows to what fits and fills them again.
    void RefreshElements();
    int GetTopIndex() const;

    bool SelectItem(int iIndex, bool bTakeFocus);
    bool SelectMultiItem(int iIndex, bool bTakeFocus);
    bool SelectRange(int iIndex);
    void SelectAllItems();
    void UnSelectAllItems();
    bool IsArranging() const { return m_bArranging; }
    int GetCurSel() const { return m_iCurSel; }
    const std::vector<int>& GetSelected() const { return m_aSelected; }
    void ResetScroll();

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void SetScrollPos(SIZE szPos, bool bMsg = true) override;

protected:
    // The rows shown are only a window on the data: the bar covers every element.
    int NeededHeight(int measured) const override;

private:
    IVirtualDataProvider* Provider() const;
    int ElementCount() const;
    // Places the rows and fills them from the top data index; nothing without data or height.
    void Arrange();
    IListItemUI* RowItem(int iRow) const;
    void Notify(int iIndex);

    CVirtualListUI* m_pVirtualOwner;
    int m_nElementHeight { 0 };
    int m_nMaxItems { 0 };
    int m_nLastScrollPos { 0 };
    int m_iCurSel { -1 };
    bool m_bArranging { false };
    std::vector<int> m_aSelected;
};

class CVirtualListUI : public CListUI {
public:
    CVirtualListUI();
    ~CVirtualListUI() override;

    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;

    virtual void SetDataProvider(IVirtualDataProvider* pDataProvider);
    virtual IVirtualDataProvider* GetDataProvider() const { return m_pDataProvider; }
    virtual void SetElementHeight(int nHeight);
    virtual void InitElement(int nMaxItemCount = 50);

    void SetItemCount(int nCount) { m_nItemCount = nCount; }
    void SetForceArrange(bool bForce) { m_bForceArrange = bForce; }
    std::vector<int> GetSelectIndex() const { return m_pVirBody->GetSelected(); }
    // The data indices the view shows, top to bottom.
    void GetDisplayCollection(std::vector<int>& collection) const;
    CVirListBodyUI* GetVirtualBody() const { return m_pVirBody; }

    bool Remove(CControlUI* pControl) override;
    bool RemoveAt(int iIndex) override;
    void RemoveAll() override;

    bool SelectItem(int iIndex, bool bTakeFocus = false) override;
    bool SelectMultiItem(int iIndex, bool bTakeFocus = false) override;
    bool UnSelectItem(int iIndex, bool bOthers = false) override;
    bool SelectRange(int iIndex, bool bTakeFocus = false) override;
    void SelectAllItems() override;
    void UnSelectAllItems() override;

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void DoEvent(TEventUI& event) override;
    void EnableScrollBar(bool bEnableVertical = true, bool bEnableHorizontal = false) override;
    CScrollBarUI* GetVerticalScrollBar() const override;
    CScrollBarUI* GetHorizontalScrollBar() const override;
    SIZE GetScrollPos() const override;
    SIZE GetScrollRange() const override;
    void SetScrollPos(SIZE szPos, bool bMsg = true) override;
    void LineUp() override;
    void LineDown() override;
    void PageUp() override;
    void PageDown() override;
    void HomeUp() override;
    void EndDown() override;

private:
    IVirtualDataProvider* m_pDataProvider { nullptr };
    CVirListBodyUI* m_pVirBody { nullptr };
    int m_nElementHeight { 0 };
    int m_nItemCount { 0 };
    bool m_bForceArrange { false };
};

}  // namespace SkinUI
