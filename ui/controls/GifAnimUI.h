#pragma once
// CGifAnimUI: plays an animated GIF, each frame for the delay stored in the file (100 ms where the
// file gives none). Every paint shows the next frame; a timer repaints at each frame's delay.
// Hiding the control stops it and showing it plays it. The image is loaded on first use and
// owned here.

#include <memory>
#include <vector>

#include "ui/core/ControlUI.h"
#include "ui/core/UIDefines.h"

namespace Gdiplus {
class Image;
}

namespace SkinUI {

class CGifAnimUI : public CControlUI {
public:
    static constexpr UINT kFrameTimerId = 100;

    CGifAnimUI();
    ~CGifAnimUI() override;

    static CControlUI* CreateControl();
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    bool Activate() override;
    void SetVisible(bool bVisible = true) override;
    void DoInit() override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

    void PlayGif();
    void PauseGif();
    void StopGif();
    void SetBkImage(const wchar_t* pStrImage);
    const CUIString& GetBkImage() const { return m_sBkImage; }
    void SetAutoPlay(bool bIsAuto = true) { m_bIsAutoPlay = bIsAuto; }
    bool IsAutoPlay() const { return m_bIsAutoPlay; }
    void SetAutoSize(bool bIsAuto = true) { m_bIsAutoSize = bIsAuto; }
    bool IsAutoSize() const { return m_bIsAutoSize; }
    bool IsPlaying() const { return m_bIsPlaying; }
    UINT GetFrameCount() const { return m_nFrameCount; }
    UINT GetFramePosition() const { return m_nFramePosition; }
    // How long the current frame shows, in milliseconds.
    UINT GetFrameDelay() const;

private:
    void InitGifImage();
    void DeleteGif();

    std::unique_ptr<Gdiplus::Image> m_pGifImage;
    UINT m_nFrameCount { 0 };
    UINT m_nFramePosition { 0 };
    std::vector<UINT> m_delays;  // hundredths of a second, as stored in the file
    bool m_bIsAutoPlay { true };
    bool m_bIsAutoSize { false };
    bool m_bIsPlaying { false };
};

}  // namespace SkinUI
