#pragma once
// CButtonUI: the push button. A label that tracks the mouse and the keyboard in a state word,
// paints a state image, background, text colour and font for its hot, pushed, focused and
// disabled states, sends "click" when activated and can switch a named tab layout to a page.
// The state bits are shared by every button-like control (options, check boxes, sliders).
//
// A click is delivered synchronously, so its handler may remove the button from its container;
// the button still reads its own fields afterwards, which holds because containers destroy
// removed children later (delayed destroy, on by default) — keep it on for containers of buttons.

#include "ui/controls/LabelUI.h"

namespace SkinUI {

constexpr UINT ButtonStateFocused = 0x01;
constexpr UINT ButtonStateSelected = 0x02;
constexpr UINT ButtonStateDisabled = 0x04;
constexpr UINT ButtonStateHot = 0x08;
constexpr UINT ButtonStatePushed = 0x10;
constexpr UINT ButtonStateCaptured = 0x40;

class CButtonUI : public CLabelUI {
public:
    CButtonUI();

    static CControlUI* CreateControl();
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    UINT GetControlFlags() const override;

    bool Activate() override;
    void SetEnabled(bool bEnable = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    void PaintBkColor(HDC hDC) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintBorder(HDC hDC) override;
    void PaintForeImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    virtual const CUIString& GetNormalImage() const;
    virtual void SetNormalImage(const wchar_t* pStrImage);
    virtual const CUIString& GetHotImage() const;
    virtual void SetHotImage(const wchar_t* pStrImage);
    virtual const CUIString& GetPushedImage() const;
    virtual void SetPushedImage(const wchar_t* pStrImage);
    virtual const CUIString& GetFocusedImage() const;
    virtual void SetFocusedImage(const wchar_t* pStrImage);
    virtual const CUIString& GetDisabledImage() const;
    virtual void SetDisabledImage(const wchar_t* pStrImage);
    virtual const CUIString& GetHotForeImage() const;
    virtual void SetHotForeImage(const wchar_t* pStrImage);

    UINT GetButtonState() const { return m_uButtonState; }
    void SetHotBkColor(DWORD dwColor) { m_dwHotBkColor = dwColor; }
    DWORD GetHotBkColor() const { return m_dwHotBkColor; }
    void SetPushedBkColor(DWORD dwColor) { m_dwPushedBkColor = dwColor; }
    DWORD GetPushedBkColor() const { return m_dwPushedBkColor; }
    void SetHotTextColor(DWORD dwColor) { m_dwHotTextColor = dwColor; }
    DWORD GetHotTextColor() const { return m_dwHotTextColor; }
    void SetPushedTextColor(DWORD dwColor) { m_dwPushedTextColor = dwColor; }
    DWORD GetPushedTextColor() const { return m_dwPushedTextColor; }
    void SetFocusedTextColor(DWORD dwColor) { m_dwFocusedTextColor = dwColor; }
    DWORD GetFocusedTextColor() const { return m_dwFocusedTextColor; }
    void SetHotFont(int index);
    int GetHotFont() const { return m_iHotFont; }
    void SetPushedFont(int index);
    int GetPushedFont() const { return m_iPushedFont; }
    void SetFocusedFont(int index);
    int GetFocusedFont() const { return m_iFocusedFont; }

    void BindTabIndex(int index);
    void BindTabLayoutName(const wchar_t* pstrName);
    void BindTriggerTabSel(int index = -1);
    void RemoveBindTabIndex();
    int GetBindTabLayoutIndex() const { return m_iBindTabIndex; }
    const CUIString& GetBindTabLayoutName() const { return m_sBindTabLayoutName; }
    void SetAutoNormalimageSize();

protected:
    // Layout-edit mode: both the window and the control show their lines.
    bool InLayoutEdit() const;
    // Brings the focused and disabled bits in line with the control.
    void SyncFocusAndEnabledState();
    // The caption's colour for the present state; may swap the text for the hot text.
    DWORD CaptionColor(CUIString& text) const;
    int CaptionFont() const;
    RECT CaptionRect() const;
    void SetImage(CUIString& field, const wchar_t* pStrImage);

    UINT m_uButtonState { 0 };
    int m_iHotFont { -1 };
    int m_iPushedFont { -1 };
    int m_iFocusedFont { -1 };
    DWORD m_dwHotBkColor { 0 };
    DWORD m_dwPushedBkColor { 0 };
    DWORD m_dwHotTextColor { 0 };
    DWORD m_dwPushedTextColor { 0 };
    DWORD m_dwFocusedTextColor { 0 };
    CUIString m_sNormalImage;
    CUIString m_sHotImage;
    CUIString m_sHotForeImage;
    CUIString m_sPushedImage;
    CUIString m_sFocusedImage;
    CUIString m_sDisabledImage;
    int m_iBindTabIndex { -1 };
    CUIString m_sBindTabLayoutName;
};

}  // namespace SkinUI
