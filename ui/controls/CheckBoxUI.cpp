#include "ui/controls/CheckBoxUI.h"

#include "ui/core/ControlFactory.h"
#include "ui/core/PaintManagerUI.h"

namespace SkinUI {

namespace {

const CControlRegistration kCheckBox(L"CCheckBoxUI", &CCheckBoxUI::CreateControl);

bool IsMouseEvent(int type)
{
    return type >= UiEventMouseMove && type <= UiEventScrollWheel;
}

}  // namespace

CControlUI* CCheckBoxUI::CreateControl()
{
    return new CCheckBoxUI();
}

const wchar_t* CCheckBoxUI::GetClass() const
{
    return L"CheckBoxUI";
}

void* CCheckBoxUI::GetInterface(const wchar_t* pstrName)
{
    if (NameIs(pstrName, L"CheckBox"))
        return this;
    return COptionUI::GetInterface(pstrName);
}

void CCheckBoxUI::Selected(bool bSelected)
{
    ApplySelection(bSelected, false, bSelected ? 1 : 0);
}

void CCheckBoxUI::DoEvent(TEventUI& event)
{
    if (IsMouseEvent(event.Type) && !IsMouseEnabled()) {
        if (m_pParent != nullptr)
            m_pParent->DoEvent(event);
        else
            CButtonUI::DoEvent(event);
        return;
    }
    if (m_bAutoCheck && (event.Type == UiEventButtonDown || event.Type == UiEventDblClick)) {
        if (!::PtInRect(&m_rcItem, event.ptMouse) || !IsEnabled())
            return;
        SetCheck(!GetCheck());
        if (m_pManager != nullptr)
            m_pManager->SendNotify(this, L"checkclick");
        Invalidate();
        return;
    }
    CButtonUI::DoEvent(event);
}

void CCheckBoxUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (pstrName != nullptr && pstrValue != nullptr && NameIs(pstrName, L"EnableAutoCheck"))
        SetAutoCheck(ReadBool(pstrValue));
    COptionUI::SetAttribute(pstrName, pstrValue);
}

}  // namespace SkinUI
