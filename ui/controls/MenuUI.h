#pragma once
// The body and items of a framework menu (see MenuWnd.h for the windows). CMenuUI is a list that
// takes only menu items and makes every row as wide as the widest; CMenuElementUI is a container
// row that draws a text, an optional icon (for a check item only while checked), an optional
// expand arrow or, as a separator, one line. An item may hold ordinary controls (a slider, a
// label) and further menu items, which form its sub-menu: they stay hidden in the item's own menu
// and are lent to the sub-menu window while it is open.
//
// Check states live by item name in the application's check-info map (through the observer), so
// they outlive the menus; items never free those records. UI thread only.

#include "ui/controls/ListElementUI.h"
#include "ui/controls/ListUI.h"

namespace SkinUI {

class CMenuWnd;
struct MenuItemInfo;

class CMenuUI : public CListUI {
public:
    CMenuUI();

    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    SIZE EstimateSize(SIZE szAvailable) override;

    // Only menu items are taken, moved or removed; their own sub-items stay hidden here.
    int GetItemIndex(CControlUI* pControl) const override;
    bool SetItemIndex(CControlUI* pControl, int iIndex) override;
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl) override;

    CMenuWnd* m_pWindow { nullptr };  // the window that shows this body, not owned
};

class CMenuElementUI : public CListContainerElementUI {
    friend class CMenuUI;
    friend class CMenuWnd;

public:
    CMenuElementUI();

    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    void DrawItemText(HDC hDC, const RECT& rcItem) override;

    void SetIcon(const wchar_t* pstrIcon);
    void SetIconSize(LONG cx, LONG cy) { m_szIconSize = { cx, cy }; }
    void SetCheckItem(bool bCheckItem = false) { m_bCheckItem = bCheckItem; }
    bool GetCheckItem() const { return m_bCheckItem; }
    void SetShowExplandIcon(bool bShow) { m_bShowExplandIcon = bShow; }
    void SetLineType();
    bool IsLineType() const { return m_bDrawLine; }
    void SetLineColor(DWORD color) { m_dwLineColor = color; }
    DWORD GetLineColor() const { return m_dwLineColor; }
    void SetLinePadding(RECT rcPadding) { m_rcLinePadding = rcPadding; }
    RECT GetLinePadding() const { return m_rcLinePadding; }

    bool GetChecked() const;
    void SetChecked(bool bCheck = true);
    MenuItemInfo* GetItemInfo(const wchar_t* pstrName) const;
    MenuItemInfo* SetItemInfo(const wchar_t* pstrName, bool bChecked);

    CMenuWnd* GetMenuWnd() const { return m_pWindow; }
    void CreateMenuWnd();
    bool HasSubItems();

private:
    void DrawItemIcon(HDC hDC);
    void DrawItemExpland(HDC hDC);
    // The measured size in skin units, without asking for another layout.
    void StoreFixedSize(SIZE sz);
    // Makes the sub-items visible: the sub-menu window shows them.
    void ShowSubItems();
    void SelectInBody();
    // Leaf hover or Right: the other sub-menus of this menu close and this item is selected.
    void HoverLeaf();
    void ClickLeaf();
    CMenuUI* Body() const;
    CMenuWnd* Window() const;

    CMenuWnd* m_pWindow { nullptr };
    bool m_bDrawLine { false };
    DWORD m_dwLineColor { 0xFFBCBFC4 };
    RECT m_rcLinePadding { 29, 0, 7, 0 };
    SIZE m_szIconSize { 16, 16 };
    CUIString m_strIcon;
    bool m_bCheckItem { false };
    bool m_bShowExplandIcon { false };
};

}  // namespace SkinUI
