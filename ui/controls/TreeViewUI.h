#pragma once
// The tree view: a list whose rows are tree nodes. The tree is held twice and the two are kept
// in step by every insert and removal: each node, at every depth, is a row of the list in
// pre-order, and each node keeps its direct child nodes and its parent node.
//
// Ownership: the tree view's list owns every node that is one of its rows; a node's child array
// and parent pointer own nothing. A node that was never given to a tree view is owned by whoever
// made it, and frees with it the child nodes that no tree view holds. A node builds its own row
// box (dotted-line indent, folder button, check box, item button) and owns it as its child.
//
// The tree view hears its nodes' double clicks and its folder and check boxes through delegates
// and propagates expansion and check marks down the tree. UI thread only, like every list.

#include "ui/controls/ListElementUI.h"
#include "ui/controls/ListUI.h"

namespace SkinUI {

class CCheckBoxUI;
class CLabelUI;
class COptionUI;
class CTreeViewUI;

class CTreeNodeUI : public CListContainerElementUI {
public:
    // A parent that is not a tree node leaves the node without row content and without parent.
    explicit CTreeNodeUI(CControlUI* pParent = nullptr);
    ~CTreeNodeUI() override;

    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;

    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl) override;

    bool Select(bool bSelect = true) override;
    bool SelectMulti(bool bSelect = true) override;

    CHorizontalLayoutUI* GetTreeNodeHoriznotal() const { return m_pHoriz; }
    CCheckBoxUI* GetFolderButton() const { return m_pFolderButton; }
    CLabelUI* GetDottedLine() const { return m_pDottedLine; }
    CCheckBoxUI* GetCheckBox() const { return m_pCheckBox; }
    COptionUI* GetItemButton() const { return m_pItemButton; }

    void SetItemText(const wchar_t* pstrValue);
    CUIString GetItemText() const;
    void CheckBoxSelected(bool bSelected);
    bool IsCheckBoxSelected() const;
    void SetVisibleCheckBtn(bool bVisible);
    bool GetVisibleCheckBtn() const;
    void SetVisibleFolderBtn(bool bVisible);
    bool GetVisibleFolderBtn() const;
    void SetVisibleTag(bool bVisible) { m_bIsVisable = bVisible; }
    bool GetVisibleTag() const { return m_bIsVisable; }

    void SetItemTextColor(DWORD dwColor);
    DWORD GetItemTextColor() const { return m_dwItemTextColor; }
    void SetItemHotTextColor(DWORD dwColor);
    DWORD GetItemHotTextColor() const { return m_dwItemHotTextColor; }
    void SetSelItemTextColor(DWORD dwColor);
    DWORD GetSelItemTextColor() const { return m_dwSelItemTextColor; }
    void SetSelItemHotTextColor(DWORD dwColor);
    DWORD GetSelItemHotTextColor() const { return m_dwSelItemHotTextColor; }

    void SetTreeView(CTreeViewUI* pTreeView) { m_pTreeView = pTreeView; }
    CTreeViewUI* GetTreeView() const { return m_pTreeView; }
    void SetParentNode(CTreeNodeUI* pParentNode) { m_pParentTreeNode = pParentNode; }
    CTreeNodeUI* GetParentNode() const { return m_pParentTreeNode; }

    int GetCountChild() const { return m_aTreeNodes.GetSize(); }
    CTreeNodeUI* GetChildNode(int iIndex) const;
    bool IsHasChild() const { return !m_aTreeNodes.IsEmpty(); }
    CStdPtrArray GetTreeNodes() const;

    bool AddChildNode(CTreeNodeUI* pControl);
    bool RemoveAt(CTreeNodeUI* pControl);
    int GetTreeIndex();
    int GetNodeIndex();

    // The row of the last node of this node's subtree (this node's own row when it has none).
    int GetLastSubtreeRow();
    // Takes the node out of the child array without touching the tree view's rows.
    void UnlinkChild(CTreeNodeUI* pChild);

private:
    // Puts a child under this node: indent, parent, option group and tree view.
    void LocateUnder(CTreeNodeUI* pChild);
    // Indents this node's row and, one level further each, its subtree.
    void SetIndent(int nWidth);
    void SetItemButtonColor(DWORD dwColor);

    bool m_bIsVisable { true };
    DWORD m_dwItemTextColor { 0 };
    DWORD m_dwItemHotTextColor { 0 };
    DWORD m_dwSelItemTextColor { 0 };
    DWORD m_dwSelItemHotTextColor { 0 };
    CTreeViewUI* m_pTreeView { nullptr };
    CHorizontalLayoutUI* m_pHoriz { nullptr };
    CCheckBoxUI* m_pFolderButton { nullptr };
    CLabelUI* m_pDottedLine { nullptr };
    CCheckBoxUI* m_pCheckBox { nullptr };
    COptionUI* m_pItemButton { nullptr };
    CTreeNodeUI* m_pParentTreeNode { nullptr };
    CStdPtrArray m_aTreeNodes;
    int m_nIndent { 2 };  // the dotted line's width in skin units
};

class CTreeViewUI : public CListUI, public INotifyUI {
public:
    CTreeViewUI();

    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    UINT GetListType() override { return 2; }
    void Notify(TNotifyUI&) override { }
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;

    using CListUI::Add;
    using CListUI::AddAt;
    using CListUI::Remove;
    // Removes the node at the row and its whole subtree; false when there is no row there.
    bool RemoveAt(int iIndex) override;
    void RemoveAll() override;

    virtual bool Add(CTreeNodeUI* pControl);
    virtual bool AddAt(CTreeNodeUI* pControl, CTreeNodeUI* pIndexNode);
    // Inserts the node and its whole subtree from the row; answers the row after the subtree, or -1.
    virtual long AddAt(CTreeNodeUI* pControl, int iIndex);
    virtual bool Remove(CTreeNodeUI* pControl);
    virtual bool OnCheckBoxChanged(void* param);
    virtual bool OnFolderChanged(void* param);
    virtual bool OnDBClickItem(void* param);
    virtual bool SetItemCheckBox(bool bSelected, CTreeNodeUI* pTreeNode = nullptr);
    virtual void SetItemExpand(bool bExpanded, CTreeNodeUI* pTreeNode = nullptr);
    virtual void SetVisibleFolderBtn(bool bIsVisibled);
    virtual bool GetVisibleFolderBtn() const { return m_bVisibleFolderBtn; }
    virtual void SetVisibleCheckBtn(bool bIsVisibled);
    virtual bool GetVisibleCheckBtn() const { return m_bVisibleCheckBtn; }
    virtual void SetItemMinWidth(UINT uItemMinWidth);
    virtual UINT GetItemMinWidth() const { return m_uItemMinWidth; }
    virtual void SetItemTextColor(DWORD dwItemTextColor);
    virtual void SetItemHotTextColor(DWORD dwItemHotTextColor);
    virtual void SetSelItemTextColor(DWORD dwSelItemTextColor);
    virtual void SetSelItemHotTextColor(DWORD dwSelHotItemTextColor);

private:
    // Delegates, buttons and minimum width a node gets when it becomes a row.
    void AttachNode(CTreeNodeUI* pNode);
    CTreeNodeUI* NodeAt(int iIndex) const;

    UINT m_uItemMinWidth { 0 };
    bool m_bVisibleFolderBtn { true };
    bool m_bVisibleCheckBtn { false };
};

}  // namespace SkinUI
