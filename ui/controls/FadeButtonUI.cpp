#include "ui/controls/FadeButtonUI.h"

#include "ui/core/ControlFactory.h"
#include "ui/core/PaintManagerUI.h"

namespace SkinUI {

namespace {

const CControlRegistration kFadeButton(L"CFadeButtonUI", &CFadeButtonUI::CreateControl);

CUIString FadeModifier(int alpha)
{
    CUIString modifier;
    modifier.SmallFormat(L"fade='%d'", alpha);
    return modifier;
}

}  // namespace

CFadeButtonUI::CFadeButtonUI() : CUIAnimation(this)
{
}

CFadeButtonUI::~CFadeButtonUI()
{
    StopAnimation();
}

CControlUI* CFadeButtonUI::CreateControl()
{
    return new CFadeButtonUI();
}

const wchar_t* CFadeButtonUI::GetClass() const
{
    return L"FadeButtonUI";
}

void* CFadeButtonUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && CUIString(pstrName) == L"FadeButton")
        return static_cast<CFadeButtonUI*>(this);
    return CButtonUI::GetInterface(pstrName);
}

void CFadeButtonUI::SetNormalImage(const wchar_t* pStrImage)
{
    m_sNormalImage = pStrImage;
    m_sLastImage = m_sNormalImage;
}

bool CFadeButtonUI::Fading()
{
    return IsAnimationRunning(kFadeInId) != 0 || IsAnimationRunning(kFadeOutId) != 0;
}

void CFadeButtonUI::DoEvent(TEventUI& event)
{
    if (event.Type == UiEventMouseEnter && IsAnimationRunning(kFadeInId) == 0) {
        m_bFadeAlpha = 0;
        m_bMouseHove = true;
        StopAnimation(kFadeOutId);
        StartAnimation(kFadeElapse, kFadeFrames, kFadeInId, false);
        Invalidate();
        return;
    }
    if (event.Type == UiEventMouseLeave && IsAnimationRunning(kFadeOutId) == 0) {
        m_bFadeAlpha = 0;
        m_bMouseLeave = true;
        StopAnimation(kFadeInId);
        StartAnimation(kFadeElapse, kFadeFrames, kFadeOutId, false);
        Invalidate();
        return;
    }
    if (event.Type == UiEventTimer)
        OnAnimationElapse(static_cast<int>(event.wParam));
    CButtonUI::DoEvent(event);
}

// Integer arithmetic: multiply before dividing, or every frame but the last is 0.
void CFadeButtonUI::OnAnimationStep(int nTotalFrame, int nCurFrame, int)
{
    const int alpha = nTotalFrame > 0 ? nCurFrame * 255 / nTotalFrame : 255;
    m_bFadeAlpha = static_cast<BYTE>(alpha == 0 ? 10 : alpha);
    Invalidate();
}

bool CFadeButtonUI::PaintFixedStateImage(HDC hDC)
{
    const struct {
        UINT bit;
        const CUIString& image;
    } states[] = {
        { ButtonStateDisabled, m_sDisabledImage },
        { ButtonStatePushed, m_sPushedImage },
        { ButtonStateFocused, m_sFocusedImage },
    };
    for (const auto& state : states) {
        if ((m_uButtonState & state.bit) != 0 && !state.image.IsEmpty() && DrawImage(hDC, state.image.GetData()))
            return true;
    }
    return false;
}

void CFadeButtonUI::PaintCrossFade(HDC hDC)
{
    m_sOldImage = m_sNormalImage;
    m_sNewImage = m_sHotImage;
    if (IsAnimationRunning(kFadeOutId) != 0)
        std::swap(m_sOldImage, m_sNewImage);
    DrawImage(hDC, m_sOldImage.GetData(), FadeModifier(255 - m_bFadeAlpha).GetData());
    DrawImage(hDC, m_sNewImage.GetData(), FadeModifier(m_bFadeAlpha).GetData());
}

void CFadeButtonUI::PaintStatusImage(HDC hDC)
{
    SyncFocusAndEnabledState();
    if (PaintFixedStateImage(hDC) || m_sNormalImage.IsEmpty())
        return;
    if (!Fading()) {
        if (m_sLastImage.IsEmpty())
            m_sLastImage = m_sNormalImage;
        DrawImage(hDC, m_sLastImage.GetData());
        return;
    }
    if (m_bMouseHove) {
        m_bMouseHove = false;
        m_sLastImage = m_sHotImage;
        DrawImage(hDC, m_sNormalImage.GetData());
        return;
    }
    if (!m_bMouseLeave) {
        PaintCrossFade(hDC);
        return;
    }
    m_bMouseLeave = false;
    m_sLastImage = m_sNormalImage;
    DrawImage(hDC, m_sHotImage.GetData());
}

}  // namespace SkinUI
