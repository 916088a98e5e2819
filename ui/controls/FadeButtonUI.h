#pragma once
// CFadeButtonUI: a button that cross-fades between its normal and hot images when the mouse enters
// and leaves, in 30 steps of 10 ms (animation 8 fades in, 9 fades out). The focused, pushed and
// disabled images show at once, without a fade.

#include "ui/controls/ButtonUI.h"
#include "ui/controls/UIAnimation.h"

namespace SkinUI {

class CFadeButtonUI : public CButtonUI, public CUIAnimation {
public:
    static constexpr int kFadeInId = 8;
    static constexpr int kFadeOutId = 9;
    static constexpr int kFadeElapse = 10;
    static constexpr int kFadeFrames = 30;

    CFadeButtonUI();
    ~CFadeButtonUI() override;

    static CControlUI* CreateControl();
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void DoEvent(TEventUI& event) override;
    void PaintStatusImage(HDC hDC) override;
    void SetNormalImage(const wchar_t* pStrImage) override;

    void OnAnimationStart(int, bool) override {}
    void OnAnimationStep(int nTotalFrame, int nCurFrame, int nAnimationID) override;

    BYTE GetFadeAlpha() const { return m_bFadeAlpha; }

private:
    bool Fading();
    // Draws the image of the first set state among disabled, pushed, focused; false when none drew.
    bool PaintFixedStateImage(HDC hDC);
    void PaintCrossFade(HDC hDC);

    CUIString m_sOldImage;
    CUIString m_sNewImage;
    CUIString m_sLastImage;
    BYTE m_bFadeAlpha { 0 };
    bool m_bMouseHove { false };
    bool m_bMouseLeave { false };
};

}  // namespace SkinUI
