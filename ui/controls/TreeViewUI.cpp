#include "ui/controls/TreeViewUI.h"

#include "ui/controls/CheckBoxUI.h"
#include "ui/controls/LabelUI.h"
#include "ui/controls/ListHeaderUI.h"
#include "ui/controls/OptionUI.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/DialogBuilder.h"
#include "ui/core/EventSource.h"
#include "ui/core/PaintManagerUI.h"

namespace SkinUI {

namespace {

constexpr int kNodeHeight = 18;
constexpr int kIndentStep = 16;

const CControlRegistration kTreeNode(L"CTreeNodeUI", &CTreeNodeUI::CreateControl);
const CControlRegistration kTreeView(L"CTreeViewUI", &CTreeViewUI::CreateControl);

bool IsMouseEvent(const TEventUI& event)
{
    return event.Type > UiEventMouseBegin && event.Type < UiEventMouseEnd;
}

CTreeNodeUI* AsTreeNode(CControlUI* pControl)
{
    return pControl != nullptr ? static_cast<CTreeNodeUI*>(pControl->GetInterface(L"TreeNode")) : nullptr;
}

// How the dialog builder attaches controls in and under tree nodes: a node in a tree view is
// added to it, a node in a node becomes a child node, a node anywhere else is refused, and any
// other control in a node joins the node's row box.
bool AttachToTree(CControlUI* pParent, CControlUI* pControl, CControlUI** ppTreeView)
{
    *ppTreeView = nullptr;
    CTreeNodeUI* pNode = AsTreeNode(pControl);
    CTreeNodeUI* pParentNode = AsTreeNode(pParent);
    if (pParentNode != nullptr && pNode == nullptr) {
        pParentNode->GetTreeNodeHoriznotal()->Add(pControl);
        return true;
    }
    if (pParentNode != nullptr) {
        *ppTreeView = pParentNode->GetTreeView();
        return pParentNode->Add(pNode);
    }
    auto* pTree = static_cast<CTreeViewUI*>(pParent->GetInterface(L"TreeView"));
    if (pTree == nullptr)
        return false;
    *ppTreeView = pTree;
    return pTree->Add(pNode);
}

struct TreeAttachRegistration {
    TreeAttachRegistration() { CDialogBuilder::SetTreeAttach(&AttachToTree); }
};
const TreeAttachRegistration kTreeAttach;

}  // namespace

// ---- node ----

CTreeNodeUI::CTreeNodeUI(CControlUI* pParent)
{
    SetFixedHeight(kNodeHeight);
    SetFixedWidth(250);
    m_pHoriz = new CHorizontalLayoutUI();
    m_pFolderButton = new CCheckBoxUI();
    m_pDottedLine = new CLabelUI();
    m_pCheckBox = new CCheckBoxUI();
    m_pItemButton = new COptionUI();
    m_pFolderButton->SetFixedWidth(kNodeHeight);
    m_pCheckBox->SetFixedWidth(kNodeHeight);
    m_pDottedLine->SetFixedWidth(m_nIndent);
    m_pItemButton->SetAttribute(L"align", L"left");
    m_pDottedLine->SetVisible(false);
    m_pCheckBox->SetVisible(false);
    m_pItemButton->SetMouseEnabled(false);

    m_pHoriz->Add(m_pDottedLine);  // the row box owns its parts
    m_pHoriz->Add(m_pFolderButton);
    m_pHoriz->Add(m_pCheckBox);
    m_pHoriz->Add(m_pItemButton);

    CTreeNodeUI* pParentNode = AsTreeNode(pParent);
    if (pParent != nullptr && (pParentNode == nullptr || ::wcscmp(pParent->GetClass(), L"TreeNodeUI") != 0))
        return;  // no row content: the row box stays out of the node (and is freed with it)
    if (pParentNode != nullptr) {
        m_pDottedLine->SetVisible(pParentNode->IsVisible());
        SetIndent(pParentNode->m_nIndent + kIndentStep);
        m_pParentTreeNode = pParentNode;
    }
    m_pHoriz->SetChildVAlign(DT_VCENTER);
    // The container's own insert: this node's AddAt takes only child nodes.
    CContainerUI::AddAt(m_pHoriz, GetCount());  // the node owns its row box
}

CTreeNodeUI::~CTreeNodeUI()
{
    if (GetItemIndex(m_pHoriz) < 0)
        delete m_pHoriz;
    if (m_pParentTreeNode != nullptr)
        m_pParentTreeNode->UnlinkChild(this);
    // Child nodes that are rows belong to their list, whatever order it frees them in; a child
    // that never became a row has no other owner.
    CStdPtrArray children(m_aTreeNodes);
    m_aTreeNodes.Empty();
    for (int i = 0; i < children.GetSize(); ++i) {
        auto* pChild = static_cast<CTreeNodeUI*>(children.GetAt(i));
        pChild->SetParentNode(nullptr);
        if (pChild->GetOwner() == nullptr)
            delete pChild;
    }
}

CControlUI* CTreeNodeUI::CreateControl()
{
    return new CTreeNodeUI();
}

const wchar_t* CTreeNodeUI::GetClass() const
{
    return L"TreeNodeUI";
}

void* CTreeNodeUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && NameIs(pstrName, L"TreeNode"))
        return static_cast<CTreeNodeUI*>(this);
    return CListContainerElementUI::GetInterface(pstrName);
}

void CTreeNodeUI::SetItemButtonColor(DWORD dwColor)
{
    m_pItemButton->SetTextColor(dwColor);
}

void CTreeNodeUI::DoEvent(TEventUI& event)
{
    if (!IsMouseEnabled() && IsMouseEvent(event)) {
        if (m_pOwner != nullptr)
            m_pOwner->DoEvent(event);
        else
            CContainerUI::DoEvent(event);
        return;
    }
    CListContainerElementUI::DoEvent(event);
    switch (event.Type) {
    case UiEventDblClick:
        if (!IsEnabled())
            return;
        if (m_pManager != nullptr)
            m_pManager->SendNotify(this, L"treeitemdbclick");
        Invalidate();
        return;
    case UiEventMouseEnter:
        if (!IsEnabled())
            SetItemButtonColor(m_pItemButton->GetDisabledTextColor());
        else if (IsSelected() && m_dwSelItemHotTextColor != 0)
            SetItemButtonColor(m_dwSelItemHotTextColor);
        else
            SetItemButtonColor(m_dwItemHotTextColor);
        return;
    case UiEventMouseLeave:
        if (!IsEnabled())
            SetItemButtonColor(m_pItemButton->GetDisabledTextColor());
        else if (!IsSelected())
            SetItemButtonColor(m_dwItemTextColor);
        else if (m_dwSelItemTextColor != 0)
            SetItemButtonColor(m_dwSelItemTextColor);
        return;
    default:
        return;
    }
}

void CTreeNodeUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (NameIs(pstrName, L"text"))
        SetItemText(pstrValue);
    else if (NameIs(pstrName, L"horizattr"))
        m_pHoriz->ApplyAttributeList(pstrValue);
    else if (NameIs(pstrName, L"dotlineattr"))
        m_pDottedLine->ApplyAttributeList(pstrValue);
    else if (NameIs(pstrName, L"folderattr"))
        m_pFolderButton->ApplyAttributeList(pstrValue);
    else if (NameIs(pstrName, L"checkboxattr"))
        m_pCheckBox->ApplyAttributeList(pstrValue);
    else if (NameIs(pstrName, L"itemattr"))
        m_pItemButton->ApplyAttributeList(pstrValue);
    else if (NameIs(pstrName, L"itemtextcolor"))
        SetItemTextColor(listvalues::ReadColor(pstrValue));
    else if (NameIs(pstrName, L"itemhottextcolor"))
        SetItemHotTextColor(listvalues::ReadColor(pstrValue));
    else if (NameIs(pstrName, L"selitemtextcolor"))
        SetSelItemTextColor(listvalues::ReadColor(pstrValue));
    else if (NameIs(pstrName, L"selitemhottextcolor"))
        SetSelItemHotTextColor(listvalues::ReadColor(pstrValue));
    else
        CListContainerElementUI::SetAttribute(pstrName, pstrValue);
}

bool CTreeNodeUI::Add(CControlUI* pControl)
{
    if (pControl == nullptr)
        return false;
    if (::wcscmp(pControl->GetClass(), L"TreeNodeUI") == 0)
        return AddChildNode(static_cast<CTreeNodeUI*>(pControl));
    return CContainerUI::AddAt(pControl, GetCount());
}

bool CTreeNodeUI::AddAt(CControlUI* pControl, int iIndex)
{
    CTreeNodeUI* pNode = AsTreeNode(pControl);
    if (pNode == nullptr)
        return false;
    CTreeNodeUI* pFollowing = GetChildNode(iIndex);
    // The new child's row goes before the node that follows it in pre-order: the one it pushes
    // along, or the first row after this node's subtree.
    const int row = pFollowing != nullptr ? pFollowing->GetTreeIndex() : GetLastSubtreeRow() + 1;
    const bool inserted = pFollowing != nullptr ? m_aTreeNodes.InsertAt(iIndex, pNode) : m_aTreeNodes.Add(pNode);
    if (!inserted)
        return false;
    LocateUnder(pNode);
    if (m_pTreeView == nullptr)
        return true;
    if (m_pTreeView->AddAt(pNode, row) < 0) {
        UnlinkChild(pNode);
        return false;
    }
    return true;
}

bool CTreeNodeUI::Remove(CControlUI* pControl)
{
    return RemoveAt(AsTreeNode(pControl));
}

bool CTreeNodeUI::Select(bool bSelect)
{
    const bool result = CListContainerElementUI::Select(bSelect);
    SetItemButtonColor(IsSelected() ? m_dwSelItemTextColor : m_dwItemTextColor);
    return result;
}

bool CTreeNodeUI::SelectMulti(bool bSelect)
{
    const bool result = CListContainerElementUI::SelectMulti(bSelect);
    SetItemButtonColor(IsSelected() ? m_dwSelItemTextColor : m_dwItemTextColor);
    return result;
}

void CTreeNodeUI::SetItemText(const wchar_t* pstrValue)
{
    m_pItemButton->SetText(pstrValue);
}

CUIString CTreeNodeUI::GetItemText() const
{
    return m_pItemButton->GetText();
}

void CTreeNodeUI::CheckBoxSelected(bool bSelected)
{
    m_pCheckBox->Selected(bSelected);
}

bool CTreeNodeUI::IsCheckBoxSelected() const
{
    return m_pCheckBox->IsSelected();
}

void CTreeNodeUI::SetVisibleCheckBtn(bool bVisible)
{
    m_pCheckBox->SetVisible(bVisible);
}

bool CTreeNodeUI::GetVisibleCheckBtn() const
{
    return m_pCheckBox->IsVisible();
}

void CTreeNodeUI::SetVisibleFolderBtn(bool bVisible)
{
    m_pFolderButton->SetVisible(bVisible);
}

bool CTreeNodeUI::GetVisibleFolderBtn() const
{
    return m_pFolderButton->IsVisible();
}

void CTreeNodeUI::SetItemTextColor(DWORD dwColor)
{
    m_dwItemTextColor = dwColor;
    SetItemButtonColor(dwColor);
}

void CTreeNodeUI::SetItemHotTextColor(DWORD dwColor)
{
    m_dwItemHotTextColor = dwColor;
    Invalidate();
}

void CTreeNodeUI::SetSelItemTextColor(DWORD dwColor)
{
    m_dwSelItemTextColor = dwColor;
    Invalidate();
}

void CTreeNodeUI::SetSelItemHotTextColor(DWORD dwColor)
{
    m_dwSelItemHotTextColor = dwColor;
    Invalidate();
}

CTreeNodeUI* CTreeNodeUI::GetChildNode(int iIndex) const
{
    return static_cast<CTreeNodeUI*>(m_aTreeNodes.GetAt(iIndex));
}

CStdPtrArray CTreeNodeUI::GetTreeNodes() const
{
    return m_aTreeNodes;
}

void CTreeNodeUI::SetIndent(int nWidth)
{
    m_nIndent = nWidth;
    m_pDottedLine->SetFixedWidth(nWidth);
    for (int i = 0; i < GetCountChild(); ++i)
        GetChildNode(i)->SetIndent(nWidth + kIndentStep);
}

void CTreeNodeUI::LocateUnder(CTreeNodeUI* pChild)
{
    pChild->m_pDottedLine->SetVisible(true);
    pChild->SetIndent(m_nIndent + kIndentStep);  // from the stored width: scaled once, when drawn
    pChild->SetParentNode(this);
    pChild->m_pItemButton->SetGroup(m_pItemButton->GetGroup());
    pChild->SetTreeView(m_pTreeView);
}

int CTreeNodeUI::GetLastSubtreeRow()
{
    CTreeNodeUI* pLast = this;
    while (pLast->IsHasChild())
        pLast = pLast->GetChildNode(pLast->GetCountChild() - 1);
    return pLast->GetTreeIndex();
}

bool CTreeNodeUI::AddChildNode(CTreeNodeUI* pControl)
{
    if (pControl == nullptr || ::wcscmp(pControl->GetClass(), L"TreeNodeUI") != 0)
        return false;
    LocateUnder(pControl);
    if (m_pTreeView != nullptr && m_pTreeView->AddAt(pControl, GetLastSubtreeRow() + 1) < 0)
        return false;
    return m_aTreeNodes.Add(pControl);
}

void CTreeNodeUI::UnlinkChild(CTreeNodeUI* pChild)
{
    const int index = m_aTreeNodes.Find(pChild);
    if (index < 0)
        return;
    m_aTreeNodes.Remove(index);
    pChild->SetParentNode(nullptr);
}

bool CTreeNodeUI::RemoveAt(CTreeNodeUI* pControl)
{
    if (pControl == nullptr || m_aTreeNodes.Find(pControl) < 0)
        return false;
    while (pControl->IsHasChild())
        pControl->RemoveAt(pControl->GetChildNode(0));
    UnlinkChild(pControl);
    if (m_pTreeView != nullptr)
        m_pTreeView->Remove(pControl);
    return true;
}

int CTreeNodeUI::GetTreeIndex()
{
    return m_pTreeView != nullptr ? m_pTreeView->GetItemIndex(this) : -1;
}

int CTreeNodeUI::GetNodeIndex()
{
    if (m_pParentTreeNode == nullptr)
        return GetTreeIndex();
    return m_pParentTreeNode->m_aTreeNodes.Find(this);
}

// ---- tree view ----

CTreeViewUI::CTreeViewUI()
{
    GetHeader()->SetVisible(false);
}

CControlUI* CTreeViewUI::CreateControl()
{
    return new CTreeViewUI();
}

const wchar_t* CTreeViewUI::GetClass() const
{
    return L"TreeViewUI";
}

void* CTreeViewUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && NameIs(pstrName, L"TreeView"))
        return static_cast<CTreeViewUI*>(this);
    return CListUI::GetInterface(pstrName);
}

void CTreeViewUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (NameIs(pstrName, L"visiblefolderbtn"))
        SetVisibleFolderBtn(ReadBool(pstrValue));
    else if (NameIs(pstrName, L"visiblecheckbtn"))
        SetVisibleCheckBtn(ReadBool(pstrValue));
    else if (NameIs(pstrName, L"itemminwidth"))
        SetItemMinWidth(static_cast<UINT>(ReadInt(pstrValue)));
    else if (NameIs(pstrName, L"itemtextcolor"))
        SetItemTextColor(listvalues::ReadColor(pstrValue));
    else if (NameIs(pstrName, L"itemhottextcolor"))
        SetItemHotTextColor(listvalues::ReadColor(pstrValue));
    else if (NameIs(pstrName, L"selitemtextcolor"))
        SetSelItemTextColor(listvalues::ReadColor(pstrValue));
    else if (NameIs(pstrName, L"selitemhottextcolor"))
        SetSelItemHotTextColor(listvalues::ReadColor(pstrValue));
    else
        CListUI::SetAttribute(pstrName, pstrValue);
}

CTreeNodeUI* CTreeViewUI::NodeAt(int iIndex) const
{
    return AsTreeNode(GetItemAt(iIndex));
}

void CTreeViewUI::AttachNode(CTreeNodeUI* pNode)
{
    pNode->NotifyDelegates += MakeDelegate(this, &CTreeViewUI::OnDBClickItem);
    pNode->GetFolderButton()->NotifyDelegates += MakeDelegate(this, &CTreeViewUI::OnFolderChanged);
    pNode->GetCheckBox()->NotifyDelegates += MakeDelegate(this, &CTreeViewUI::OnCheckBoxChanged);
    pNode->SetVisibleFolderBtn(m_bVisibleFolderBtn);
    pNode->SetVisibleCheckBtn(m_bVisibleCheckBtn);
    if (m_uItemMinWidth > 0)
        pNode->SetMinWidth(static_cast<int>(m_uItemMinWidth));
}

bool CTreeViewUI::Add(CTreeNodeUI* pControl)
{
    if (pControl == nullptr || ::wcscmp(pControl->GetClass(), L"TreeNodeUI") != 0)
        return false;
    AttachNode(pControl);
    if (!CListUI::Add(pControl))
        return false;
    pControl->SetTreeView(this);
    for (int i = 0; i < pControl->GetCountChild(); ++i)
        Add(pControl->GetChildNode(i));
    return true;
}

long CTreeViewUI::AddAt(CTreeNodeUI* pControl, int iIndex)
{
    if (pControl == nullptr || ::wcscmp(pControl->GetClass(), L"TreeNodeUI") != 0)
        return -1;
    AttachNode(pControl);
    if (!CListUI::AddAt(pControl, iIndex))
        return -1;
    pControl->SetTreeView(this);
    // The whole subtree follows in pre-order, so no child is left without a row.
    long next = iIndex + 1;
    for (int i = 0; i < pControl->GetCountChild() && next >= 0; ++i)
        next = AddAt(pControl->GetChildNode(i), static_cast<int>(next));
    return next;
}

bool CTreeViewUI::AddAt(CTreeNodeUI* pControl, CTreeNodeUI* pIndexNode)
{
    if (pControl == nullptr || pIndexNode == nullptr || GetCount() == 0)
        return false;
    const int index = GetItemIndex(pIndexNode);
    return index >= 0 && AddAt(pControl, index) >= 0;
}

bool CTreeViewUI::Remove(CTreeNodeUI* pControl)
{
    if (pControl == nullptr)
        return false;
    while (pControl->IsHasChild())
        pControl->Remove(pControl->GetChildNode(0));
    if (CTreeNodeUI* pParent = pControl->GetParentNode())
        pParent->UnlinkChild(pControl);
    const int index = GetItemIndex(pControl);
    return index >= 0 && CListUI::RemoveAt(index);  // deletes the node
}

bool CTreeViewUI::RemoveAt(int iIndex)
{
    CTreeNodeUI* pNode = NodeAt(iIndex);
    if (pNode == nullptr)
        return GetItemAt(iIndex) != nullptr && CListUI::RemoveAt(iIndex);
    return Remove(pNode);
}

void CTreeViewUI::RemoveAll()
{
    CListUI::RemoveAll();
}

bool CTreeViewUI::OnCheckBoxChanged(void* param)
{
    auto* pMsg = static_cast<TNotifyUI*>(param);
    if (pMsg->sType != L"selectchanged" || pMsg->pSender == nullptr || pMsg->pSender->GetParent() == nullptr)
        return true;
    auto* pCheckBox = static_cast<CCheckBoxUI*>(pMsg->pSender);
    SetItemCheckBox(pCheckBox->IsSelected(), AsTreeNode(pCheckBox->GetParent()->GetParent()));
    return true;
}

bool CTreeViewUI::OnFolderChanged(void* param)
{
    auto* pMsg = static_cast<TNotifyUI*>(param);
    if (pMsg->sType != L"selectchanged" || pMsg->pSender == nullptr || pMsg->pSender->GetParent() == nullptr)
        return true;
    auto* pFolder = static_cast<CCheckBoxUI*>(pMsg->pSender);
    CTreeNodeUI* pNode = AsTreeNode(pFolder->GetParent()->GetParent());
    if (pNode == nullptr)
        return true;
    pNode->SetVisibleTag(!pFolder->IsSelected());
    SetItemExpand(!pFolder->IsSelected(), pNode);
    return true;
}

bool CTreeViewUI::OnDBClickItem(void* param)
{
    auto* pMsg = static_cast<TNotifyUI*>(param);
    if (pMsg->sType.CompareNoCase(L"treeitemdbclick") != 0)
        return false;
    CTreeNodeUI* pNode = AsTreeNode(pMsg->pSender);
    if (pNode == nullptr)
        return false;
    CCheckBoxUI* pFolder = pNode->GetFolderButton();
    pFolder->Selected(!pFolder->IsSelected());
    pNode->SetVisibleTag(!pFolder->IsSelected());
    SetItemExpand(!pFolder->IsSelected(), pNode);
    return true;
}

bool CTreeViewUI::SetItemCheckBox(bool bSelected, CTreeNodeUI* pTreeNode)
{
    const int count = pTreeNode != nullptr ? pTreeNode->GetCountChild() : GetCount();
    for (int i = 0; i < count; ++i) {
        CTreeNodeUI* pNode = pTreeNode != nullptr ? pTreeNode->GetChildNode(i) : NodeAt(i);
        if (pNode == nullptr)
            continue;
        pNode->CheckBoxSelected(bSelected);
        if (pNode->IsHasChild())
            SetItemCheckBox(bSelected, pNode);
    }
    return true;
}

void CTreeViewUI::SetItemExpand(bool bExpanded, CTreeNodeUI* pTreeNode)
{
    const int count = pTreeNode != nullptr ? pTreeNode->GetCountChild() : GetCount();
    for (int i = 0; i < count; ++i) {
        CTreeNodeUI* pNode = pTreeNode != nullptr ? pTreeNode->GetChildNode(i) : NodeAt(i);
        if (pNode == nullptr)
            continue;
        pNode->SetVisible(bExpanded);
        // A collapsed child keeps its own children hidden when its parent opens again.
        if (pNode->IsHasChild() && !pNode->GetFolderButton()->IsSelected())
            SetItemExpand(bExpanded, pNode);
    }
}

void CTreeViewUI::SetVisibleFolderBtn(bool bIsVisibled)
{
    m_bVisibleFolderBtn = bIsVisibled;
    for (int i = 0; i < GetCount(); ++i) {
        if (CTreeNodeUI* pNode = NodeAt(i))
            pNode->SetVisibleFolderBtn(bIsVisibled);
    }
}

void CTreeViewUI::SetVisibleCheckBtn(bool bIsVisibled)
{
    m_bVisibleCheckBtn = bIsVisibled;
    for (int i = 0; i < GetCount(); ++i) {
        if (CTreeNodeUI* pNode = NodeAt(i))
            pNode->SetVisibleCheckBtn(bIsVisibled);
    }
}

void CTreeViewUI::SetItemMinWidth(UINT uItemMinWidth)
{
    m_uItemMinWidth = uItemMinWidth;
    for (int i = 0; i < GetCount(); ++i) {
        if (CControlUI* pRow = GetItemAt(i))
            pRow->SetMinWidth(static_cast<int>(uItemMinWidth));
    }
    Invalidate();
}

void CTreeViewUI::SetItemTextColor(DWORD dwItemTextColor)
{
    for (int i = 0; i < GetCount(); ++i) {
        if (CTreeNodeUI* pNode = NodeAt(i))
            pNode->SetItemTextColor(dwItemTextColor);
    }
}

void CTreeViewUI::SetItemHotTextColor(DWORD dwItemHotTextColor)
{
    for (int i = 0; i < GetCount(); ++i) {
        if (CTreeNodeUI* pNode = NodeAt(i))
            pNode->SetItemHotTextColor(dwItemHotTextColor);
    }
}

void CTreeViewUI::SetSelItemTextColor(DWORD dwSelItemTextColor)
{
    for (int i = 0; i < GetCount(); ++i) {
        if (CTreeNodeUI* pNode = NodeAt(i))
            pNode->SetSelItemTextColor(dwSelItemTextColor);
    }
}

void CTreeViewUI::SetSelItemHotTextColor(DWORD dwSelHotItemTextColor)
{
    for (int i = 0; i < GetCount(); ++i) {
        if (CTreeNodeUI* pNode = NodeAt(i))
            pNode->SetSelItemHotTextColor(dwSelHotItemTextColor);
    }
}

}  // namespace SkinUI
