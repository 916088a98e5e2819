#pragma once
// CDateTimeUI: a date shown as "yyyy-MM-dd" label text. Focused or clicked, it opens the platform
// date picker (CDateTimeWnd) over itself; every change in the picker is written back at once,
// Escape restores the date the picker opened with, and the picker closes when it loses the focus.
//
// Rules: everything runs on the window's thread. The picker owns itself and deletes itself after
// WM_NCDESTROY, clearing the control's pointer; a control deleted first detaches the picker,
// which then never touches it again, and asks it to close.

#include "ui/controls/InPlaceFieldHostUI.h"
#include "ui/core/WindowWnd.h"

namespace SkinUI {

class CDateTimeUI;

class CDateTimeWnd : public CWindowWnd {
public:
    CDateTimeWnd() = default;

    // Creates the picker when there is none, then sets the owner's date into it, shows and focuses it.
    void Init(CDateTimeUI* pOwner);
    // The owner is going away: forget it and close.
    void Detach();

protected:
    const wchar_t* GetWindowClassName() const override;
    const wchar_t* GetSuperClassName() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    void ReadDate();
    bool IsLayeredHost() const;

    CDateTimeUI* m_pOwner { nullptr };
    CPaintManagerUI* m_pManager { nullptr };
    bool m_bInit { false };
    bool m_bDropOpen { false };
    SYSTEMTIME m_oldSysTime {};
};

class CDateTimeUI : public CInPlaceFieldHostUI {
    friend class CDateTimeWnd;

public:
    CDateTimeUI();
    ~CDateTimeUI() override;

    static CControlUI* CreateControl();
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;

    SYSTEMTIME& GetTime() { return m_sysTime; }
    void SetTime(const SYSTEMTIME* pst);
    void SetReadOnly(bool bReadOnly);
    bool IsReadOnly() const { return m_bReadOnly; }
    void UpdateText();

protected:
    bool HasField() const override { return m_pWindow != nullptr; }
    void OpenField() override;
    void OnFieldPress(TEventUI& event) override;
    void RewriteText();

    SYSTEMTIME m_sysTime {};
    int m_nDTUpdateFlag { 0 };
    bool m_bReadOnly { false };
    CDateTimeWnd* m_pWindow { nullptr };
};

}  // namespace SkinUI
