#pragma once
// CChildLayoutUI fills itself with a control tree built from another skin file ("xmlfile") when it
// is initialised; a file that cannot be built leaves it empty. It answers only its own interface
// name and the control base's, not the container's.

#include "ui/core/ContainerUI.h"

namespace SkinUI {

class CChildLayoutUI : public CContainerUI {
public:
    CChildLayoutUI() = default;

    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void Init() override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;

    void SetChildLayoutXML(const CUIString& pXML) { m_pstrXMLFile = pXML; }
    const CUIString& GetChildLayoutXML() const { return m_pstrXMLFile; }

private:
    CUIString m_pstrXMLFile;
};

}  // namespace SkinUI
