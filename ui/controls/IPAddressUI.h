#pragma once
// CIPAddressUI: an IPv4 address shown as label text ("a.b.c.d"). Focused or clicked, it opens the
// platform address field (CIPAddressWnd) over itself. The field is hidden, not closed, when the
// focus leaves it, and the address is then taken back; Backspace or Delete clears the text and
// closes the field, Escape closes it without taking anything. An empty control starts again from
// the computer's own address.
//
// Rules: everything runs on the window's thread. The field owns itself and deletes itself after
// WM_NCDESTROY, clearing the control's pointer; a control deleted first detaches the field, which
// then never touches it again, and asks it to close. The class name is "DateTimeUI", as the
// date control's.

#include "ui/controls/InPlaceFieldHostUI.h"
#include "ui/core/WindowWnd.h"

namespace SkinUI {

class CIPAddressUI;

class CIPAddressWnd : public CWindowWnd {
public:
    CIPAddressWnd() = default;

    // Creates the field when there is none, then sets the owner's address, shows and focuses it.
    void Init(CIPAddressUI* pOwner);
    // The owner is going away: forget it and close.
    void Detach();

protected:
    const wchar_t* GetWindowClassName() const override;
    const wchar_t* GetSuperClassName() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    void OnFocusLeft(UINT uMsg, WPARAM wParam, LPARAM lParam);

    CIPAddressUI* m_pOwner { nullptr };
    bool m_bInit { false };
};

class CIPAddressUI : public CInPlaceFieldHostUI {
    friend class CIPAddressWnd;

public:
    CIPAddressUI();
    ~CIPAddressUI() override;

    static CControlUI* CreateControl();
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;

    DWORD GetIP() const { return m_dwIP; }
    void SetIP(DWORD dwIP);
    void SetReadOnly(bool bReadOnly);
    bool IsReadOnly() const { return m_bReadOnly; }
    void UpdateText();

    // The first IPv4 address of this computer's own host name, 0 when it cannot be found.
    static DWORD HostAddress();

protected:
    bool HasField() const override { return m_pWindow != nullptr; }
    void OpenField() override;
    void OnFieldPress(TEventUI& event) override;

    DWORD m_dwIP { 0 };
    bool m_bReadOnly { false };
    int m_nIPUpdateFlag { 0 };
    CIPAddressWnd* m_pWindow { nullptr };
};

}  // namespace SkinUI
