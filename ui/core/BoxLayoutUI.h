#pragma once
// The box layouts: CVerticalLayoutUI stacks its children top to bottom, CHorizontalLayoutUI left
// to right. Children with a fixed or estimated extent keep it; the others share what is left, and
// the last of them takes the rounding remainder so the stack ends exactly at the edge. Either box
// can also act as a splitter: a band at one edge (the separator) drags the box's own extent, live
// ("sepimm") or with a translucent preview that the paint manager draws after the tree.
//
// Inset and child padding are DPI-scaled like every other size; the separator thickness is in
// device pixels.

#include <climits>
#include <vector>

#include "ui/core/ContainerUI.h"

namespace SkinUI {

// One child along a box's stacking axis: its estimated extent (0 = it shares what is left) and
// the limits its extent is clamped to.
struct ExtentRequest {
    int estimate { 0 };
    int minimum { 0 };
    int maximum { INT_MAX };
};

// Shares the stacking extent left after paddings and gaps: children with an estimate keep it,
// clamped to their limits; the others share what is left, never below 0, each clamped to its
// limits, and the last sharer takes the rounding and clamping remainder so the stack ends exactly
// at the edge. Overfull stacks keep their fixed extents.
std::vector<int> ShareExtent(int available, const std::vector<ExtentRequest>& children);

// The separator drag state shared by both boxes.
struct BoxSeparator {
    int thickness { 0 };
    UINT buttonState { 0 };
    POINT lastMouse {};
    RECT newPos {};
    bool immediate { false };
};

// What both boxes share: the layout along their axis and the separator that drags their extent.
class CBoxLayoutUI : public CContainerUI {
public:
    UINT GetControlFlags() const override;

    void SetSepImmMode(bool bImmediately);
    bool IsSepImmMode() const { return m_sep.immediate; }
    RECT GetThumbRect(bool bUseNew = false) const;

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void DoEvent(tagTEventUI& event) override;
    void DoPostPaint(HDC hDC, const RECT& rcPaint) override;

protected:
    explicit CBoxLayoutUI(bool vertical) : m_vertical(vertical) {}
    // Takes "sepimm" and the box's own thickness attribute; the rest goes to the container.
    void SetBoxAttribute(const wchar_t* pstrThicknessName, const wchar_t* pstrName, const wchar_t* pstrValue);

    BoxSeparator m_sep;

private:
    const bool m_vertical;
};

class CVerticalLayoutUI : public CBoxLayoutUI {
public:
    CVerticalLayoutUI() : CBoxLayoutUI(true) {}

    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;

    void SetSepHeight(int iHeight) { m_sep.thickness = iHeight; }
    int GetSepHeight() const { return m_sep.thickness; }

    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
};

class CHorizontalLayoutUI : public CBoxLayoutUI {
public:
    CHorizontalLayoutUI() : CBoxLayoutUI(false) {}

    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;

    void SetSepWidth(int iWidth) { m_sep.thickness = iWidth; }
    int GetSepWidth() const { return m_sep.thickness; }

    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
};

}  // namespace SkinUI
