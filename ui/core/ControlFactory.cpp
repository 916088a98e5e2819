#include "ui/core/ControlFactory.h"

#include "ui/core/BoxLayoutUI.h"
#include "ui/core/ChildLayoutUI.h"
#include "ui/core/ContainerUI.h"
#include "ui/core/ControlUI.h"
#include "ui/core/ScrollBarUI.h"
#include "ui/core/TabLayoutUI.h"
#include "ui/core/TileLayoutUI.h"

namespace SkinUI {

namespace {

CUIString Lowered(const CUIString& name)
{
    CUIString lower = name;
    lower.MakeLower();
    return lower;
}

}  // namespace

// Made on first use (a function-local static is safe against concurrent first calls); Release
// empties the slot for good.
CControlFactory*& CControlFactory::InstanceSlot()
{
    static CControlFactory* instance = new CControlFactory();
    return instance;
}

CControlFactory* CControlFactory::GetInstance()
{
    return InstanceSlot();
}

// The classes of the framework core; control families of their own register themselves.
CControlFactory::CControlFactory()
{
    RegistControl(L"CControlUI", &CControlUI::CreateControl);
    RegistControl(L"CContainerUI", &CContainerUI::CreateControl);
    RegistControl(L"CScrollBarUI", &CScrollBarUI::CreateControl);
    RegistControl(L"CAnimationTabLayoutUI", &CAnimationTabLayoutUI::CreateControl);
    RegistControl(L"CChildLayoutUI", &CChildLayoutUI::CreateControl);
    RegistControl(L"CHorizontalLayoutUI", &CHorizontalLayoutUI::CreateControl);
    RegistControl(L"CTabLayoutUI", &CTabLayoutUI::CreateControl);
    RegistControl(L"CTileLayoutUI", &CTileLayoutUI::CreateControl);
    RegistControl(L"CVerticalLayoutUI", &CVerticalLayoutUI::CreateControl);
}

CControlFactory::~CControlFactory() = default;

CControlUI* CControlFactory::CreateControl(const CUIString& strClassName)
{
    const auto found = m_mapControl.find(Lowered(strClassName));
    if (found == m_mapControl.end())
        return nullptr;
    return found->second();
}

void CControlFactory::RegistControl(const CUIString& strClassName, CreateClass pFunc)
{
    if (pFunc == nullptr)
        return;
    m_mapControl.emplace(Lowered(strClassName), pFunc);  // keeps an earlier creator of the name
}

void CControlFactory::Release()
{
    InstanceSlot() = nullptr;
    delete this;
}

CControlRegistration::CControlRegistration(const wchar_t* pstrClassName, CreateClass pFunc)
{
    if (CControlFactory* factory = CControlFactory::GetInstance())
        factory->RegistControl(pstrClassName, pFunc);
}

}  // namespace SkinUI
