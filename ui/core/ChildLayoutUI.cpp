#include "ui/core/ChildLayoutUI.h"

#include "ui/core/DialogBuilder.h"

namespace SkinUI {

CControlUI* CChildLayoutUI::CreateControl()
{
    return new CChildLayoutUI();
}

const wchar_t* CChildLayoutUI::GetClass() const
{
    return L"ChildLayoutUI";
}

void* CChildLayoutUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && NameIs(pstrName, L"ChildLayout"))
        return static_cast<CChildLayoutUI*>(this);
    return CControlUI::GetInterface(pstrName);
}

void CChildLayoutUI::Init()
{
    if (m_pstrXMLFile.IsEmpty())
        return;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(m_pstrXMLFile.GetData(), nullptr, nullptr, m_pManager, nullptr);
    if (root == nullptr) {
        RemoveAll();
        return;
    }
    // Child layouts inside the new tree start when it is added: the file stays marked meanwhile,
    // so one that names this file again is refused instead of recursing.
    const CSkinNestingGuard nesting(m_pstrXMLFile.GetData());
    if (!nesting.Entered()) {
        delete root;
        return;
    }
    Add(root);  // the layout owns it
}

void CChildLayoutUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (NameIs(pstrName, L"xmlfile"))
        SetChildLayoutXML(pstrValue);
    else
        CContainerUI::SetAttribute(pstrName, pstrValue);
}

}  // namespace SkinUI
