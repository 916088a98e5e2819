#pragma once
// CLabelUI: a control that draws one text; the base of every control with a caption.
//
// The controls of ui/controls follow the rules of the framework core: a control belongs to its
// window's thread and takes no locks, its container owns it, and it reaches its window only
// through its paint manager, which it never owns. Every control family registers itself with the
// control factory under its class name, so a skin tag ("Label", "Text", ...) makes it.
//
// A label keeps its text padding in skin units (100 %) and scales it to the window's DPI wherever
// it measures or paints. A text colour of 0 stands for the window's default, which the first
// paint writes back into the field. The size measured from the text is cached until the available
// size changes or a setter marks it stale.

#include "ui/core/ControlUI.h"
#include "ui/core/UIDefines.h"

namespace SkinUI {

class CLabelUI : public CControlUI {
public:
    CLabelUI();

    static CControlUI* CreateControl();
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    UINT GetControlFlags() const override;

    void SetTextStyle(UINT uStyle);
    UINT GetTextStyle() const { return m_uTextStyle; }
    void SetTextColor(DWORD dwTextColor);
    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetDisabledTextColor(DWORD dwTextColor);
    DWORD GetDisabledTextColor() const { return m_dwDisabledTextColor; }
    void SetFont(int index);
    int GetFont() const { return m_iFont; }
    void SetTextPadding(RECT rc);
    RECT GetTextPadding() const { return m_rcTextPadding; }
    void SetShowHtml(bool bShowHtml = true);
    bool IsShowHtml() const { return m_bShowHtml; }

    void SetText(const wchar_t* pstrText) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void PaintText(HDC hDC) override;

    virtual bool GetAutoCalcWidth() const;
    virtual void SetAutoCalcWidth(bool bAutoCalcWidth);
    virtual bool GetAutoCalcHeight() const;
    virtual void SetAutoCalcHeight(bool bAutoCalcHeight);

protected:
    // The text padding in device pixels.
    RECT ScaledTextPadding() const;
    // Fills in the window's default colours where the fields still hold 0.
    void ResolveDefaultColors();
    // The colour the text is drawn in now: enabled or disabled.
    DWORD CurrentTextColor() const;
    // Measures the text in rc (DT_CALCRECT added, horizontal alignment dropped); rc is rewritten.
    void MeasureText(RECT& rc, const CUIString& text);

    DWORD m_dwTextColor { 0 };
    DWORD m_dwDisabledTextColor { 0 };
    int m_iFont { -1 };
    UINT m_uTextStyle { DT_VCENTER | DT_SINGLELINE };
    RECT m_rcTextPadding {};
    bool m_bShowHtml { false };
    bool m_bAutoCalcWidth { false };
    bool m_bAutoCalcHeight { false };
    SIZE m_szAvailableLast {};
    SIZE m_cxyFixedLast {};
    bool m_bNeedEstimateSize { false };
};

}  // namespace SkinUI
