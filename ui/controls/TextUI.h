#pragma once
// CTextUI: a multi-line label whose tagged text may hold up to eight links. The cursor turns to a
// hand over a link and a click on one sends "link" with the link's index. The link rectangles are
// those of the last paint; text drawn plain leaves no link that can be hit.

#include "ui/controls/LabelUI.h"

namespace SkinUI {

class CTextUI : public CLabelUI {
public:
    static constexpr int kMaxLinks = 8;

    CTextUI();

    static CControlUI* CreateControl();
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    UINT GetControlFlags() const override;

    // The target of link `index`, or null outside the links found by the last paint.
    CUIString* GetLinkContent(int index);
    // How many of the first `count` link rectangles have no area.
    int GetError(int count) const;

    void DoEvent(TEventUI& event) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void PaintText(HDC hDC) override;

private:
    // The lowest link index whose rectangle holds pt, or -1.
    int LinkAt(POINT pt) const;

    int m_nLinks { 0 };
    RECT m_rcLinks[kMaxLinks] {};
    CUIString m_sLinks[kMaxLinks];
    int m_nHoverLink { -1 };
};

}  // namespace SkinUI
