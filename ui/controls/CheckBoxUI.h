#pragma once
// CCheckBoxUI: an option whose selection is its check mark. Its "selectchanged" carries the new
// state (1 or 0) and it never sends "unselected". With auto-check on, the press itself toggles
// the mark and sends "checkclick", and no "click" follows.

#include "ui/controls/OptionUI.h"

namespace SkinUI {

class CCheckBoxUI : public COptionUI {
public:
    static CControlUI* CreateControl();
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    void Selected(bool bSelected) override;

    void SetCheck(bool bCheck) { Selected(bCheck); }
    bool GetCheck() const { return IsSelected(); }
    void SetAutoCheck(bool bEnable) { m_bAutoCheck = bEnable; }
    bool GetAutoCheck() const { return m_bAutoCheck; }

private:
    bool m_bAutoCheck { false };
};

}  // namespace SkinUI
