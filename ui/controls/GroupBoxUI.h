#pragma once
// CGroupBoxUI: a vertical layout drawn as a framed group, its caption cut into the frame's top
// line. The inset keeps the children inside the frame and below the caption. It runs on its
// window's thread and owns its children like any container.

#include "ui/core/BoxLayoutUI.h"

namespace SkinUI {

class CGroupBoxUI : public CVerticalLayoutUI {
public:
    CGroupBoxUI();

    static CControlUI* CreateControl();
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    void PaintText(HDC hDC) override;
    void PaintBorder(HDC hDC) override;

    void SetTextColor(DWORD dwTextColor);
    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetDisabledTextColor(DWORD dwTextColor);
    DWORD GetDisabledTextColor() const { return m_dwDisabledTextColor; }
    void SetFont(int iFont);
    int GetFont() const { return m_iFont; }

private:
    // The frame: the control rectangle deflated on every side.
    RECT FrameRect() const;

    DWORD m_dwTextColor { 0 };
    DWORD m_dwDisabledTextColor { 0 };
    int m_iFont { -1 };
    UINT m_uTextStyle { DT_CENTER | DT_VCENTER | DT_SINGLELINE };
};

}  // namespace SkinUI
