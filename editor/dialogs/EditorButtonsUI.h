#pragma once
// The editor's own animated controls of the main window's skin:
// - CButtonExtUI, a feature button of the start page that rises 4 pixels while the mouse is over it
//   and sinks back to where it stood when the mouse leaves;
// - CButtonMouseUI, a button that reports "enterbutton" and "leavebutton";
// - CVerticalLayoutExUI, a tab column whose underline ("xxx") widens from the middle while the
//   mouse is over the tab, narrows away when it leaves, and spans the column under the selected tab.
//
// Rules: UI thread only; the skin's tree owns every instance. Every animation step runs on a
// paint-manager timer of the control (30 ms per step, as the steps are designed), never on another
// thread; an opposite animation is stopped before one starts, and the control's timers die with it,
// so nothing moves a control that is gone.

#include "ui/controls/ButtonUI.h"
#include "ui/core/BoxLayoutUI.h"

class CVerticalLayoutExUI : public SkinUI::CVerticalLayoutUI {
public:
    // The underline's widths at 96 DPI.
    static constexpr int kFullWidth = 142;
    static constexpr int kRestWidth = 22;
    static constexpr UINT kStepMs = 30;
    static constexpr UINT kGrowTimer = 1;
    static constexpr UINT kShrinkTimer = 2;

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void DoEvent(SkinUI::TEventUI& event) override;
    // Lays out the column, then keeps an animated underline where its animation put it.
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void PaintStatusImage(HDC hDC) override;

    bool IsGrowing() const { return m_bGrowing; }
    bool IsShrinking() const { return m_bShrinking; }

private:
    // v scaled by this control's DPI, truncated (v itself at exactly 100 %).
    int ScaledWidth(int v) const;
    int Step() const { return (ScaledWidth(kFullWidth) - ScaledWidth(kRestWidth)) / 10; }
    SkinUI::CControlUI* Underline();
    void StartGrow();
    void StartShrink();
    void StopGrow();
    void StopShrink();
    void GrowStep();
    void ShrinkStep();
    void PlaceUnderline(SkinUI::CControlUI* line);

    bool m_bGrowing { false };
    bool m_bShrinking { false };
    bool m_bLineAnimated { false };  // from a grow's start until a shrink hides the underline
    RECT m_rcLine {};  // the underline's rectangle as the running animation placed it
};

class CButtonExtUI : public SkinUI::CButtonUI {
public:
    static constexpr int kRise = 4;
    static constexpr UINT kStepMs = 30;
    static constexpr UINT kRaiseTimer = 1;
    static constexpr UINT kSinkTimer = 2;

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void DoEvent(SkinUI::TEventUI& event) override;

    bool IsRising() const { return m_bRising; }
    bool IsSinking() const { return m_bSinking; }
    const RECT& GetRestRect() const { return m_rcRest; }

private:
    void RaiseStep();
    void SinkStep();
    void StopRaise();
    void StopSink();

    bool m_bRising { false };
    bool m_bSinking { false };
    RECT m_rcRest {};  // where the button stands when not raised; taken at every mouse enter
};

class CButtonMouseUI : public SkinUI::CButtonUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void DoEvent(SkinUI::TEventUI& event) override;
};
