#pragma once
// CScrollBarUI: a vertical or horizontal bar with two optional arrow buttons, a thumb whose length
// shows the visible share of the content, a rail image drawn on the thumb, and a background. A
// container that owns the bar (its owner) scrolls with it; a bar without owner scrolls its own
// position and tells the window with a "scroll" notification. Holding a button or the rail, and
// dragging the thumb, run on one 50 ms control timer.

#include "ui/core/ControlUI.h"

namespace SkinUI {

class CContainerUI;

class CScrollBarUI : public CControlUI {
public:
    CScrollBarUI();

    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;

    CContainerUI* GetOwner() const { return m_pOwner; }
    void SetOwner(CContainerUI* pOwner) { m_pOwner = pOwner; }
    bool IsHorizontal() const { return m_bHorizontal; }
    void SetHorizontal(bool bHorizontal = true);
    int GetScrollRange() const { return m_nRange; }
    void SetScrollRange(int nRange);
    int GetScrollPos() const { return m_nScrollPos; }
    void SetScrollPos(int nPos);
    int GetLineSize() const { return m_nLineSize; }
    void SetLineSize(int nSize) { m_nLineSize = nSize; }
    bool GetShowButton1() const { return m_bShowButton1; }
    void SetShowButton1(bool bShow);
    bool GetShowButton2() const { return m_bShowButton2; }
    void SetShowButton2(bool bShow);

    const RECT& GetButton1Rect() const { return m_rcButton1; }
    const RECT& GetButton2Rect() const { return m_rcButton2; }
    const RECT& GetThumbRect() const { return m_rcThumb; }

    // One getter and one setter per part image: background, button 1, button 2, thumb and rail,
    // each in the normal, hot, pushed and disabled state.
    const wchar_t* GetBkNormalImage() const { return m_sBkNormalImage; }
    void SetBkNormalImage(const wchar_t* pStrImage);
    const wchar_t* GetBkHotImage() const { return m_sBkHotImage; }
    void SetBkHotImage(const wchar_t* pStrImage);
    const wchar_t* GetBkPushedImage() const { return m_sBkPushedImage; }
    void SetBkPushedImage(const wchar_t* pStrImage);
    const wchar_t* GetBkDisabledImage() const { return m_sBkDisabledImage; }
    void SetBkDisabledImage(const wchar_t* pStrImage);
    const wchar_t* GetButton1NormalImage() const { return m_sButton1NormalImage; }
    void SetButton1NormalImage(const wchar_t* pStrImage);
    const wchar_t* GetButton1HotImage() const { return m_sButton1HotImage; }
    void SetButton1HotImage(const wchar_t* pStrImage);
    const wchar_t* GetButton1PushedImage() const { return m_sButton1PushedImage; }
    void SetButton1PushedImage(const wchar_t* pStrImage);
    const wchar_t* GetButton1DisabledImage() const { return m_sButton1DisabledImage; }
    void SetButton1DisabledImage(const wchar_t* pStrImage);
    const wchar_t* GetButton2NormalImage() const { return m_sButton2NormalImage; }
    void SetButton2NormalImage(const wchar_t* pStrImage);
    const wchar_t* GetButton2HotImage() const { return m_sButton2HotImage; }
    void SetButton2HotImage(const wchar_t* pStrImage);
    const wchar_t* GetButton2PushedImage() const { return m_sButton2PushedImage; }
    void SetButton2PushedImage(const wchar_t* pStrImage);
    const wchar_t* GetButton2DisabledImage() const { return m_sButton2DisabledImage; }
    void SetButton2DisabledImage(const wchar_t* pStrImage);
    const wchar_t* GetThumbNormalImage() const { return m_sThumbNormalImage; }
    void SetThumbNormalImage(const wchar_t* pStrImage);
    const wchar_t* GetThumbHotImage() const { return m_sThumbHotImage; }
    void SetThumbHotImage(const wchar_t* pStrImage);
    const wchar_t* GetThumbPushedImage() const { return m_sThumbPushedImage; }
    void SetThumbPushedImage(const wchar_t* pStrImage);
    const wchar_t* GetThumbDisabledImage() const { return m_sThumbDisabledImage; }
    void SetThumbDisabledImage(const wchar_t* pStrImage);
    const wchar_t* GetRailNormalImage() const { return m_sRailNormalImage; }
    void SetRailNormalImage(const wchar_t* pStrImage);
    const wchar_t* GetRailHotImage() const { return m_sRailHotImage; }
    void SetRailHotImage(const wchar_t* pStrImage);
    const wchar_t* GetRailPushedImage() const { return m_sRailPushedImage; }
    void SetRailPushedImage(const wchar_t* pStrImage);
    const wchar_t* GetRailDisabledImage() const { return m_sRailDisabledImage; }
    void SetRailDisabledImage(const wchar_t* pStrImage);

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void SetVisible(bool bVisible = true) override;
    void SetEnabled(bool bEnable = true) override;
    void SetFocus() override;
    void DoEvent(tagTEventUI& event) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

    void PaintBk(HDC hDC);
    void PaintButton1(HDC hDC);
    void PaintButton2(HDC hDC);
    void PaintThumb(HDC hDC);
    void PaintRail(HDC hDC);

private:
    void PlaceParts();
    void LineBack();
    void LineForward();
    void PageBack();
    void PageForward();
    // Scrolls one page towards the point when it lies before or after the thumb.
    void PageTowards(POINT pt);
    void NotifyScroll();
    void OnThumbDrag(POINT pt);
    void OnTimerTick();
    // Draws the state image chosen by uState, else the normal image; true when one drew.
    bool DrawPart(HDC hDC, UINT uState, const CUIString& normal, const CUIString& hot, const CUIString& pushed,
                  const CUIString& disabled, const wchar_t* pstrModify);
    CUIString DestModifier(const RECT& rc) const;

    bool m_bHorizontal { false };
    int m_nRange { 100 };
    int m_nScrollPos { 0 };
    int m_nLineSize { 8 };
    CContainerUI* m_pOwner { nullptr };
    POINT m_ptLastMouse {};
    int m_nLastScrollPos { 0 };
    int m_nLastScrollOffset { 0 };
    int m_nScrollRepeatDelay { 0 };

    CUIString m_sBkNormalImage, m_sBkHotImage, m_sBkPushedImage, m_sBkDisabledImage;
    bool m_bShowButton1 { true };
    RECT m_rcButton1 {};
    UINT m_uButton1State { 0 };
    CUIString m_sButton1NormalImage, m_sButton1HotImage, m_sButton1PushedImage, m_sButton1DisabledImage;
    bool m_bShowButton2 { true };
    RECT m_rcButton2 {};
    UINT m_uButton2State { 0 };
    CUIString m_sButton2NormalImage, m_sButton2HotImage, m_sButton2PushedImage, m_sButton2DisabledImage;
    RECT m_rcThumb {};
    UINT m_uThumbState { 0 };
    CUIString m_sThumbNormalImage, m_sThumbHotImage, m_sThumbPushedImage, m_sThumbDisabledImage;
    CUIString m_sRailNormalImage, m_sRailHotImage, m_sRailPushedImage, m_sRailDisabledImage;
    CUIString m_sImageModify;
};

}  // namespace SkinUI
