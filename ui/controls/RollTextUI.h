#pragma once
// CRollTextUI: a label whose text scrolls through its box, one step per tick of its timer: to the
// left (direction 0), right (1), up (2) or down (any other). The text enters from beyond one edge
// and starts again once it has fully left by the other. "textrollend" reports that the time given
// to BeginRoll is over; the text keeps moving until EndRoll. The first paint after a new text or
// size only measures the text.

#include "ui/controls/LabelUI.h"

namespace SkinUI {

class CRollTextUI : public CLabelUI {
public:
    static constexpr UINT kStepTimerId = 20;
    static constexpr UINT kEndTimerId = 21;

    ~CRollTextUI() override;

    static CControlUI* CreateControl();
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void SetText(const wchar_t* pstrText) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void DoEvent(TEventUI& event) override;
    void PaintText(HDC hDC) override;

    void BeginRoll(int nDirect, LONG lTimeSpan, LONG lMaxTimeLimited);
    void EndRoll();
    bool IsRolling() const { return m_bUseRoll; }
    // Where the text was last drawn, in window coordinates.
    RECT GetLastTextRect() const { return m_rcLastText; }

private:
    int m_nStep { 5 };
    int m_nScrollPos { 0 };
    bool m_bUseRoll { false };
    int m_nRollDirection { 0 };
    int m_nText_W_H { 0 };
    RECT m_rcLastText {};
};

}  // namespace SkinUI
