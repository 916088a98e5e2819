#pragma once
// CHotKeyUI: a hot-key box shown like an edit ("Ctrl + Shift + A", or "无" once cleared).
// Focused or clicked, it opens the platform hot-key field (CHotKeyWnd) over its text area, which
// takes the next key with its modifiers, reports each change as "textchanged" and Return as
// "return", paints itself, and closes as soon as it loses the focus.
//
// Rules: everything runs on the window's thread. The field owns itself and deletes itself after
// WM_NCDESTROY, clearing the control's pointer; a control deleted first detaches the field, which
// then never touches it again, and asks it to close. Attribute keys are compared with case.

#include "ui/controls/InPlaceFieldHostUI.h"
#include "ui/core/WindowWnd.h"

namespace SkinUI {

class CHotKeyUI;

class CHotKeyWnd : public CWindowWnd {
public:
    CHotKeyWnd() = default;

    void Init(CHotKeyUI* pOwner);
    RECT CalPos();
    void SetHotKey(WORD wVirtualKeyCode, WORD wModifiers);
    DWORD GetHotKey() const;
    void GetHotKey(WORD& wVirtualKeyCode, WORD& wModifiers) const;
    void SetRules(WORD wInvalidComb, WORD wModifiers);
    // "Ctrl + Shift + A": the layout's names of the set modifiers and of the key; empty for none.
    CUIString GetHotKeyName() const;
    static CUIString GetKeyName(UINT vk);
    // The owner is going away: forget it and close.
    void Detach();

protected:
    const wchar_t* GetWindowClassName() const override;
    const wchar_t* GetSuperClassName() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    void Paint();
    void OnHotKeyChanged();

    CHotKeyUI* m_pOwner { nullptr };
    CPaintManagerUI* m_pManager { nullptr };
    bool m_bInit { false };
};

class CHotKeyUI : public CInPlaceFieldHostUI {
    friend class CHotKeyWnd;

public:
    CHotKeyUI();
    ~CHotKeyUI() override;

    static CControlUI* CreateControl();
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    UINT GetControlFlags() const override;

    void SetText(const wchar_t* pstrText) override;
    void SetEnabled(bool bEnable = true) override;
    void SetVisible(bool bVisible = true) override;
    void SetInternVisible(bool bVisible = true) override;
    // The open field follows the control to its new place.
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    const CUIString& GetNormalImage() const { return m_sNormalImage; }
    void SetNormalImage(const wchar_t* pStrImage);
    const CUIString& GetHotImage() const { return m_sHotImage; }
    void SetHotImage(const wchar_t* pStrImage);
    const CUIString& GetFocusedImage() const { return m_sFocusedImage; }
    void SetFocusedImage(const wchar_t* pStrImage);
    const CUIString& GetDisabledImage() const { return m_sDisabledImage; }
    void SetDisabledImage(const wchar_t* pStrImage);
    void SetNativeBkColor(DWORD dwBkColor) { m_dwHotKeybkColor = dwBkColor; }
    DWORD GetNativeBkColor() const { return m_dwHotKeybkColor; }

    // Stores the key; with no field open, opens one (shown and focused).
    void SetHotKey(WORD wVirtualKeyCode, WORD wModifiers);
    DWORD GetHotKey() const;
    void GetHotKey(WORD& wVirtualKeyCode, WORD& wModifiers) const;

protected:
    bool HasField() const override { return m_pWindow != nullptr; }
    void OpenField() override;
    void DropFocusIfHidden();

    CHotKeyWnd* m_pWindow { nullptr };
    CUIString m_sNormalImage;
    CUIString m_sHotImage;
    CUIString m_sFocusedImage;
    CUIString m_sDisabledImage;
    DWORD m_dwHotKeybkColor { 0xFFFFFFFF };
    WORD m_wVirtualKeyCode { 0 };
    WORD m_wModifiers { 0 };
};

}  // namespace SkinUI
