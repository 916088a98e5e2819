#pragma once
// CTabLayoutUI shows exactly one child (a page) at a time and reports a page change with the
// "tabselect" notification (wParam the new index, lParam the old one, -1 for none). The first
// visible page added becomes the selection; every other page added is hidden.
//
// CAnimationTabLayoutUI slides a newly selected page in: from the side by default, from below or
// above with "animation_direction" set to vertical. The slide is sixteen steps on a 10 ms timer of
// the window's paint manager; without a manager the page simply appears.

#include "ui/core/ContainerUI.h"

namespace SkinUI {

class CTabLayoutUI : public CContainerUI {
public:
    CTabLayoutUI() = default;

    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;

    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl) override;
    void RemoveAll() override;
    int GetCurSel() const { return m_iCurSel; }
    virtual bool SelectItem(int iIndex);
    virtual bool SelectItem(CControlUI* pControl);

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;

protected:
    // Hides every page but iIndex, shows and focuses that one.
    void ShowOnly(int iIndex);
    void ReportSelection(int iOldSel);

    int m_iCurSel { -1 };
};

class CAnimationTabLayoutUI : public CTabLayoutUI {
public:
    CAnimationTabLayoutUI() = default;

    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    bool SelectItem(int iIndex) override;
    using CTabLayoutUI::SelectItem;
    void DoEvent(tagTEventUI& event) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;

    bool IsAnimating() const { return m_nCurFrame >= 0; }

protected:
    static constexpr UINT kAnimationId = 1;
    static constexpr UINT kElapse = 10;
    static constexpr int kTotalFrames = 15;

    void AnimationSwitch();
    void OnAnimationStep(int nTotalFrame, int nCurFrame);
    void OnAnimationStop();

private:
    void OnAnimationElapse();

    bool m_bIsVerticalDirection { false };
    int m_nPositiveDirection { 1 };
    RECT m_rcCurPos {};
    RECT m_rcItemOld {};
    CControlUI* m_pCurrentControl { nullptr };
    bool m_bControlVisibleFlag { false };
    int m_nCurFrame { -1 };  // the next frame to deliver, -1 while no slide runs
};

}  // namespace SkinUI
