#pragma once
// CColorPaletteUI: a colour chooser. A hue x lightness field over a saturation bar, both rendered
// from the HSL model into an off-screen bitmap and stretched onto the control, with a thumb image
// on each; releasing the mouse reports the chosen colour as "colorchanged" (wParam the colour).
//
// Rules: it runs on its window's thread. The bitmap, its memory DC and the pixel buffer exist
// from DoInit (which needs the window's paint DC) until the control goes; before that, setters
// keep H, S and L only, and DoInit renders both parts.

#include "ui/core/ControlUI.h"
#include "ui/core/UIDefines.h"

#include <vector>

namespace SkinUI {

class CColorPaletteUI : public CControlUI {
public:
    CColorPaletteUI() = default;
    ~CColorPaletteUI() override;

    static CControlUI* CreateControl();
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void DoInit() override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    void PaintBkColor(HDC hDC) override;
    virtual void PaintPallet(HDC hDC);

    DWORD GetSelectColor() const;
    void SetSelectColor(DWORD dwColor);
    void SetPalletHeight(int nHeight) { m_nPalletHeight = nHeight; }
    int GetPalletHeight() const { return m_nPalletHeight; }
    void SetBarHeight(int nHeight);
    int GetBarHeight() const { return m_nBarHeight; }
    void SetThumbImage(const wchar_t* pszImage);
    const CUIString& GetThumbImage() const { return m_strThumbImage; }

    // Rebuild the field or the bar in the buffer and push it into the bitmap (once it exists).
    void UpdatePalletData();
    void UpdateBarData();

    int GetHue() const { return m_nCurH; }
    int GetSaturation() const { return m_nCurS; }
    int GetLightness() const { return m_nCurL; }

private:
    bool HasBuffer() const { return m_hBitmap != nullptr && !m_pBits.empty(); }
    void WritePixel(int row, int column, DWORD rgb);
    void PushBits();
    // Hue, lightness and the field thumb from a point in the field.
    void PickInField(POINT pt);
    int ScaledPalletHeight() const;
    int ScaledBarHeight() const;

    HDC m_hMemDc { nullptr };
    HBITMAP m_hBitmap { nullptr };
    HGDIOBJ m_hOldBitmap { nullptr };
    BITMAP m_bmInfo {};
    std::vector<BYTE> m_pBits;
    UINT m_uButtonState { 0 };
    bool m_bIsInBar { false };
    bool m_bIsInPallet { false };
    int m_nCurH { 180 };
    int m_nCurS { 200 };
    int m_nCurL { 100 };
    int m_nPalletHeight { 200 };
    int m_nBarHeight { 10 };
    POINT m_ptLastPalletMouse {};
    POINT m_ptLastBarMouse {};
    CUIString m_strThumbImage;
};

// The HSL model the palette draws with: h, s and l in 0..1 to 0x00RRGGBB, and back as H 0..360,
// S 0..200, L 0..200.
DWORD HslToRgb(float h, float s, float l);
void RgbToHsl(DWORD rgb, int& hue, int& saturation, int& lightness);

}  // namespace SkinUI
