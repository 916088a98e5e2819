#pragma once
// CControlFactory: the process-wide registry from a control class name ("CButtonUI") to a
// function that makes a new control of that class. The dialog builder asks it for every skin
// element. Names are kept lower-cased, so a skin tag matches in any letter case.
//
// The framework's own classes are registered when the factory is made. Control families built
// elsewhere register themselves with a CControlRegistration at static-initialisation time, so the
// factory never needs editing for a new family (the first registration makes the factory, which is
// safe during static initialisation). Lookups and registrations happen on the UI thread.

#include <map>

#include "ui/core/UIString.h"

namespace SkinUI {

class CControlUI;

using CreateClass = CControlUI* (*)();

class CControlFactory {
public:
    static CControlFactory* GetInstance();

    virtual ~CControlFactory();
    CControlFactory(const CControlFactory&) = delete;
    CControlFactory& operator=(const CControlFactory&) = delete;

    // A new control of that class, owned by the caller, or null for an unknown name.
    CControlUI* CreateControl(const CUIString& strClassName);
    // A name already present keeps its first creator.
    void RegistControl(const CUIString& strClassName, CreateClass pFunc);
    // Ends the factory for the rest of the process.
    void Release();

private:
    struct OrdinalLess {
        bool operator()(const CUIString& a, const CUIString& b) const { return a.Compare(b) < 0; }
    };

    CControlFactory();
    static CControlFactory*& InstanceSlot();

    std::map<CUIString, CreateClass, OrdinalLess> m_mapControl;
};

// Registers a control class with the factory; meant as a namespace-scope static object beside
// the class, e.g. `static const CControlRegistration kButton(L"CButtonUI", &CButtonUI::CreateControl);`.
class CControlRegistration {
public:
    CControlRegistration(const wchar_t* pstrClassName, CreateClass pFunc);
};

}  // namespace SkinUI
