#pragma once
// CCountdownUI: plays numbered frame images "<folder>/<n>.png" (0 to the frame count) as its
// background on the animation helper, and sends "animationstop" each time the last frame is
// reached. It takes none of the label's text keys; a hidden countdown does not start.

#include "ui/controls/LabelUI.h"
#include "ui/controls/UIAnimation.h"
#include "ui/core/PaintManagerUI.h"

namespace SkinUI {

class CCountdownUI : public CLabelUI, public CUIAnimation {
public:
    CCountdownUI();
    ~CCountdownUI() override;

    static CControlUI* CreateControl();
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    void PaintBkImage(HDC hDC) override;

    void OnAnimationStart(int, bool) override {}
    void OnAnimationStep(int nTotalFrame, int nCurFrame, int nAnimationID) override;
    void OnAnimationStop(int) override
    {
        if (m_pManager != nullptr)
            m_pManager->SendNotify(this, L"animationstop");
    }

    void Start();
    void Stop();
    void SetImgDir(const wchar_t* pstrDir) { m_sImgDir = pstrDir; }
    void SetFrameCount(int nCount) { m_nFrameCount = nCount; }
    void SetFrameEllapse(int nElapse) { m_nFrameElapse = nElapse; }
    void SetFrameID(int nId) { m_nFrameID = nId; }
    void SetLoop(int nLoop) { m_nLoop = nLoop; }
    bool IsRunning() const { return m_bRunning; }
    const CUIString& GetCurrentImage() const { return m_sCurrentImage; }

private:
    CUIString m_sCurrentImage;
    CUIString m_sImgDir;
    int m_nFrameElapse { 0 };
    int m_nFrameCount { 0 };
    int m_nFrameID { 1 };
    int m_nLoop { 1 };
    bool m_bAutoStart { false };
    bool m_bRunning { false };
};

}  // namespace SkinUI
