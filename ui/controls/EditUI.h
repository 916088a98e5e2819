#pragma once
// CEditUI: a single-line text box. Idle, it paints itself like a label (its text, its tip while
// empty, or password characters); focused or clicked, it opens a native edit window, CEditWnd,
// over its text area, which does the typing, selection and caret and reports every change back
// as "textchanged" and Return as "return". On a layered window the native edit is a borderless
// popup in screen coordinates that the paint manager paints into the layered surface.
//
// Rules: everything runs on the window's thread. The editor owns itself: it closes when it loses
// the focus and deletes itself after WM_NCDESTROY, clearing the edit's pointer to it. The edit
// never deletes the editor; when the edit is deleted first, it detaches the editor (which then
// never touches the edit again) and asks it to close. Setting the text stores it and sends no
// notification; only the open editor's changes send "textchanged".

#include "ui/controls/InPlaceFieldHostUI.h"
#include "ui/core/WindowWnd.h"

namespace SkinUI {

class CEditUI;

class CEditWnd : public CWindowWnd {
public:
    CEditWnd() = default;

    // Creates and shows the native editor over `pOwner`, focused, with everything selected.
    void Init(CEditUI* pOwner);
    // The editor's rectangle in the host's client coordinates.
    RECT CalPos();
    // Where the window goes: CalPos, in screen coordinates on a layered host.
    RECT PlacedPos();
    // The owner is going away: forget it and close.
    void Detach();

protected:
    const wchar_t* GetWindowClassName() const override;
    const wchar_t* GetSuperClassName() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    LRESULT OnKeyDown(UINT uMsg, WPARAM wParam, LPARAM lParam);
    LRESULT OnControlColor(HDC hDC);
    void OnPrint(WPARAM wParam, LPARAM lParam);
    void OnEditChanged();
    bool IsLayeredHost() const;

    CEditUI* m_pOwner { nullptr };
    CPaintManagerUI* m_pManager { nullptr };
    HBRUSH m_hBkBrush { nullptr };
    DWORD m_dwBrushColor { 0 };
    bool m_bInit { false };
    bool m_bDrawCaret { false };
};

class CEditUI : public CInPlaceFieldHostUI {
    friend class CEditWnd;

public:
    CEditUI();
    ~CEditUI() override;

    static CControlUI* CreateControl();
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    UINT GetControlFlags() const override;

    void SetText(const wchar_t* pstrText) override;
    void SetEnabled(bool bEnable = true) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void Move(SIZE szOffset, bool bNeedInvalidate = true) override;
    void SetVisible(bool bVisible = true) override;
    void SetInternVisible(bool bVisible = true) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    void SetMaxChar(UINT uMax);
    UINT GetMaxChar() const { return m_uMaxChar; }
    void SetReadOnly(bool bReadOnly);
    bool IsReadOnly() const { return m_bReadOnly; }
    void SetNumberOnly(bool bNumberOnly);
    bool IsNumberOnly() const;
    void SetPasswordMode(bool bPasswordMode);
    bool IsPasswordMode() const { return m_bPasswordMode; }
    void SetPasswordChar(wchar_t cPasswordChar);
    wchar_t GetPasswordChar() const { return m_cPasswordChar; }
    int GetWindowStyls() const { return static_cast<int>(m_iWindowStyls); }

    const CUIString& GetNormalImage() const { return m_sNormalImage; }
    void SetNormalImage(const wchar_t* pStrImage);
    const CUIString& GetHotImage() const { return m_sHotImage; }
    void SetHotImage(const wchar_t* pStrImage);
    const CUIString& GetFocusedImage() const { return m_sFocusedImage; }
    void SetFocusedImage(const wchar_t* pStrImage);
    const CUIString& GetDisabledImage() const { return m_sDisabledImage; }
    void SetDisabledImage(const wchar_t* pStrImage);

    void SetTipValue(const wchar_t* pStrTipValue);
    CUIString GetTipValue() const;
    void SetTipValueColor(const wchar_t* pStrColor);
    DWORD GetTipValueColor() const { return m_dwTipValueColor; }
    void SetNativeEditTextColor(const wchar_t* pStrColor);
    DWORD GetNativeEditTextColor() const { return m_dwEditTextColor; }
    void SetNativeEditBkColor(DWORD dwBkColor);
    DWORD GetNativeEditBkColor() const { return m_dwEditbkColor; }

    void SetSel(long nStartChar, long nEndChar);
    void SetSelAll();
    void SetReplaceSel(const wchar_t* lpszReplace);

protected:
    // Closes an open editor by taking the window's focus away, as hiding does.
    void DropFocusIfHidden();
    bool HasField() const override { return m_pWindow != nullptr; }
    void OpenField() override;
    void OnFieldPress(TEventUI& event) override;
    HWND EditorWindow() const;

    CEditWnd* m_pWindow { nullptr };
    UINT m_uMaxChar { 255 };
    bool m_bReadOnly { false };
    bool m_bPasswordMode { false };
    wchar_t m_cPasswordChar { L'*' };
    CUIString m_sNormalImage;
    CUIString m_sHotImage;
    CUIString m_sFocusedImage;
    CUIString m_sDisabledImage;
    CUIString m_sTipValue;
    DWORD m_dwEditbkColor { 0xFFFFFFFF };
    DWORD m_dwEditTextColor { 0 };
    UINT m_iWindowStyls { 0 };
    DWORD m_dwTipValueColor { 0xFFBAC0C5 };
};

}  // namespace SkinUI
