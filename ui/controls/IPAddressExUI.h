#pragma once
// CIPAddressExUI: an IPv4 address edited without a native window. A read-only edit that paints its
// four octets in four quarters and takes digits, arrows, Backspace/Delete, clicks and the wheel
// itself; the active octet is drawn highlighted. Octets always stay within 0..255.
//
// Runs on the window's thread; it never opens the edit's native editor.

#include "ui/controls/EditUI.h"

namespace SkinUI {

class CIPAddressExUI : public CEditUI {
public:
    CIPAddressExUI();

    static CControlUI* CreateControl();
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void DoEvent(TEventUI& event) override;
    void PaintText(HDC hDC) override;

    // Reads up to four numbers separated by dots, each cut to 0..255 (see the source for the rule).
    void SetIP(const wchar_t* lpszIP);
    CUIString GetIP() const;
    void UpdateText();

    int GetOctet(int index) const { return index >= 0 && index < 4 ? m_nOctets[index] : 0; }
    int GetActiveSection() const { return m_nActiveSection; }

private:
    void AddDigit(int digit);
    void Step(int by);
    void MoveTo(int section);
    void OnKeyDown(WPARAM vk);

    int m_nOctets[4] {};
    int m_nActiveSection { 0 };  // 0 none, 1 to 4
    CUIString m_strNum;
};

}  // namespace SkinUI
