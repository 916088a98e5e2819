#pragma once
// CContainerUI: a control that owns child controls. It keeps their order, hands them the window's
// paint manager, paints them clipped to its client area, routes searches through them, and carries
// the optional scroll bars. With delayed destroy (the default) a removed child lives until the
// manager's deferred work, so a control may remove itself from inside its own event handling.
//
// Insets, child padding and scroll steps are stored in skin units and scaled when read; the
// layouts, the hit search and the paint clip all use the scaled inset, so they agree at any DPI.

#include "ui/core/ControlUI.h"
#include "ui/core/StdArray.h"

namespace SkinUI {

class CScrollBarUI;

class IContainerUI {
public:
    virtual ~IContainerUI() = default;
    virtual CControlUI* GetItemAt(int iIndex) const = 0;
    virtual int GetItemIndex(CControlUI* pControl) const = 0;
    virtual bool SetItemIndex(CControlUI* pControl, int iIndex) = 0;
    virtual int GetCount() const = 0;
    virtual bool Add(CControlUI* pControl) = 0;
    virtual bool AddAt(CControlUI* pControl, int iIndex) = 0;
    virtual bool Remove(CControlUI* pControl) = 0;
    virtual bool RemoveAt(int iIndex) = 0;
    virtual void RemoveAll() = 0;
};

class CContainerUI : public CControlUI, public IContainerUI {
public:
    CContainerUI();
    ~CContainerUI() override;

    static CControlUI* CreateControl();

    // Layout, painting, searches and deletion go down a tree one call per level, so a tree is held
    // to the depth skins are held to: Add refuses a child that would nest controls deeper, and the
    // paint manager a root that does.
    static constexpr int kMaxNestingDepth = 1000;
    // Levels of the tree under a control, the control included; counted without recursion, and
    // no further than one level past the limit.
    static int NestingDepth(CControlUI* pControl);

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;

    CControlUI* GetItemAt(int iIndex) const override;
    int GetItemIndex(CControlUI* pControl) const override;
    bool SetItemIndex(CControlUI* pControl, int iIndex) override;
    int GetCount() const override;
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl) override;
    bool RemoveAt(int iIndex) override;
    void RemoveAll() override;

    virtual RECT GetInset() const;
    virtual void SetInset(RECT rcInset);
    virtual int GetChildPadding() const;
    virtual void SetChildPadding(int iPadding);
    virtual UINT GetChildAlign() const;
    virtual void SetChildAlign(UINT iAlign);
    virtual UINT GetChildVAlign() const;
    virtual void SetChildVAlign(UINT iVAlign);
    virtual bool IsAutoDestroy() const;
    virtual void SetAutoDestroy(bool bAuto);
    virtual bool IsDelayedDestroy() const;
    virtual void SetDelayedDestroy(bool bDelayed);
    virtual bool IsMouseChildEnabled() const;
    virtual void SetMouseChildEnabled(bool bEnable = true);
    virtual int FindSelectable(int iIndex, bool bForward = true) const;

    virtual SIZE GetScrollPos() const;
    virtual SIZE GetScrollRange() const;
    virtual void SetScrollPos(SIZE szPos, bool bMsg = true);
    virtual void SetScrollStepSize(int nSize);
    virtual int GetScrollStepSize() const;
    virtual void LineUp();
    virtual void LineDown();
    virtual void PageUp();
    virtual void PageDown();
    virtual void HomeUp();
    virtual void EndDown();
    virtual void LineLeft();
    virtual void LineRight();
    virtual void PageLeft();
    virtual void PageRight();
    virtual void HomeLeft();
    virtual void EndRight();
    virtual void EnableScrollBar(bool bEnableVertical = true, bool bEnableHorizontal = false);
    virtual CScrollBarUI* GetVerticalScrollBar() const;
    virtual CScrollBarUI* GetHorizontalScrollBar() const;
    virtual void SetFloatPos(int iIndex);
    // Fits the bars to the size the children need within the inner rectangle, laying out nothing:
    // true when the bars changed so that the children must be measured again.
    bool FitScrollBars(RECT rc, int cxRequired, int cyRequired);
    // A layout pass does not re-enter itself: it measures its children, fits the bars to what the
    // measure needs, measures again while the bars change, and then places its children once from
    // the plan returned here (any type with the inner rectangle `inner` and the size `needed`).
    template <class Measure>
    auto MeasureUnderScrollBars(Measure measure) -> decltype(measure())
    {
        auto plan = measure();
        bool changed = false;
        for (int measures = 1; measures < kMaxMeasures && FitScrollBars(plan.inner, plan.needed.cx, plan.needed.cy);
             ++measures) {
            changed = true;
            plan = measure();
        }
        if (changed)
            Invalidate();  // the content moved under the bars
        return plan;
    }

    void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true) override;
    RECT GetClientPos() const override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void Move(SIZE szOffset, bool bNeedInvalidate = true) override;
    void SetVisible(bool bVisible = true) override;
    void SetInternVisible(bool bVisible = true) override;
    void SetEnabled(bool bEnabled = true) override;
    void SetMouseEnabled(bool bEnable = true) override;
    CControlUI* FindControl(FINDCONTROLPROC Proc, void* pData, UINT uFlags) override;
    void DoEvent(tagTEventUI& event) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

    // The container's own children and bars, whatever an override of the item and scroll-bar
    // operations presents (a list presents its body's rows and bars): layout, painting and
    // searches walk these.
    CControlUI* OwnItemAt(int iIndex) const { return static_cast<CControlUI*>(m_items.GetAt(iIndex)); }
    int OwnCount() const { return m_items.GetSize(); }
    CScrollBarUI* OwnVerticalScrollBar() const { return m_pVerticalScrollBar; }
    CScrollBarUI* OwnHorizontalScrollBar() const { return m_pHorizontalScrollBar; }

    CControlUI* FindSubControl(const wchar_t* pstrSubControlName);
    CUIString GetSubControlText(const wchar_t* pstrSubControlName);
    bool SetSubControlText(const wchar_t* pstrSubControlName, const wchar_t* pstrText);
    CUIString GetSubControlUserData(const wchar_t* pstrSubControlName);
    bool SetSubControlUserData(const wchar_t* pstrSubControlName, const wchar_t* pstrText);
    int GetSubControlFixedHeight(const wchar_t* pstrSubControlName);
    bool SetSubControlFixedHeight(const wchar_t* pstrSubControlName, int cy);
    int GetSubControlFixedWdith(const wchar_t* pstrSubControlName);
    bool SetSubControlFixedWdith(const wchar_t* pstrSubControlName, int cx);

protected:
    // The position less the scaled inset and the thickness of each visible scroll bar.
    RECT GetInnerRect() const;
    bool IsBarVisible(const CScrollBarUI* pBar) const;
    bool IsEditRightClickOnChild(const tagTEventUI& event) const;
    void DestroyChild(CControlUI* pControl);
    void ApplyBarStyle(CScrollBarUI* pBar, const wchar_t* pstrStyle);

    CStdPtrArray m_items;
    RECT m_rcInset {};
    int m_iChildPadding { 0 };
    UINT m_iChildAlign { 0 };
    UINT m_iChildVAlign { 0 };
    bool m_bAutoDestroy { true };
    bool m_bDelayedDestroy { true };
    bool m_bMouseChildEnabled { true };
    int m_nScrollStepSize { 0 };
    CScrollBarUI* m_pVerticalScrollBar { nullptr };
    CScrollBarUI* m_pHorizontalScrollBar { nullptr };
    CUIString m_sVerticalScrollBarStyle;
    CUIString m_sHorizontalScrollBarStyle;

private:
    // Bars that kept flipping each other would measure forever; after this many measures the
    // last plan stands.
    static constexpr int kMaxMeasures = 16;

    // One line of scrolling: the scaled step size, or 8 pixels when none is set (a vertical line
    // adds the default font's height).
    int LineStep(bool vertical) const;
    // One page of scrolling: the position less the inset and the scroll bar lying across it.
    int PageHeight() const;
    int PageWidth() const;
    void ScrollBy(int dx, int dy);
    bool FitScrollBar(CScrollBarUI* bar, int view, int required, const RECT& barPos);
};

}  // namespace SkinUI
