#pragma once
// CButtonExUI: a button that draws its plain-text caption through an off-screen copy of the
// target: rotated by 45 degrees with GDI+ on windows that draw text with GDI+ (or are layered),
// else with GDI, where a caption holding a character reference ("&#xE001;") draws that one
// glyph of an icon font. It answers only to "ButtonEx".

#include "ui/controls/ButtonUI.h"

namespace SkinUI {

class CButtonExUI : public CButtonUI {
public:
    static CControlUI* CreateControl();
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void PaintText(HDC hDC) override;

    // Draws (or with DT_CALCRECT measures) text in rc through a bitmap of rc's size. An empty
    // rectangle draws nothing.
    static void DrawTextExBtn(HDC hDC, CPaintManagerUI* pManager, RECT& rc, const wchar_t* pstrText,
                              DWORD dwTextColor, int iFont, UINT uStyle);
};

}  // namespace SkinUI
