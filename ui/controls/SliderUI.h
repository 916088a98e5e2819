#pragma once
// CSliderUI: a progress bar with a draggable thumb. A press moves the thumb to the mouse at once;
// "valuechanged" follows the release (also when the value did not change) and each wheel step,
// and "movevaluechanged" each move of a drag when asked. While the thumb is held, SetValue from
// code is ignored, so a playing preview does not fight the user. A vertical slider has its
// maximum at the top.
//
// The thumb size is kept at 100 % and scaled to the window's DPI for drawing, hit testing and
// mapping the mouse to a value alike.

#include "ui/controls/ProgressUI.h"

namespace SkinUI {

class CSliderUI : public CProgressUI {
public:
    CSliderUI();

    static CControlUI* CreateControl();
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void SetEnabled(bool bEnable = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    void PaintForeImage(HDC hDC) override;

    // Ignored while the thumb is held.
    void SetValue(int nValue);
    int GetChangeStep() const { return m_nStep; }
    void SetChangeStep(int step) { m_nStep = step; }
    bool GetCanSendMove() const { return m_bSendMove; }
    void SetCanSendMove(bool bCanSend) { m_bSendMove = bCanSend; }
    void SetThumbSize(SIZE szXY) { m_szThumb = szXY; }
    SIZE GetThumbSize() const { return m_szThumb; }
    const CUIString& GetThumbImage() const { return m_sThumbImage; }
    void SetThumbImage(const wchar_t* pStrImage);
    const CUIString& GetThumbHotImage() const { return m_sThumbHotImage; }
    void SetThumbHotImage(const wchar_t* pStrImage);
    const CUIString& GetThumbPushedImage() const { return m_sThumbPushedImage; }
    void SetThumbPushedImage(const wchar_t* pStrImage);
    UINT GetThumbState() const { return m_uButtonState; }

    // The thumb in window coordinates.
    RECT GetThumbRect();
    // The value under a window point.
    int ValueAt(POINT pt);

private:
    SIZE ScaledThumbSize() const;
    void Notify(const wchar_t* type);

    SIZE m_szThumb { 10, 10 };
    UINT m_uButtonState { 0 };
    int m_nStep { 1 };
    CUIString m_sThumbImage;
    CUIString m_sThumbHotImage;
    CUIString m_sThumbPushedImage;
    CUIString m_sThumbModify;
    bool m_bSendMove { false };
};

}  // namespace SkinUI
