#pragma once
// The box layouts: CVerticalLayoutUI stacks its children top to bottom, CHorizontalLayoutUI left
// to right. Children with a fixed or estimated extent keep it; the others share what is left, and
// the last of them takes the rounding remainder so the stack ends exactly at the edge. Either box
// can also act as a splitter: a band at one edge (the separator) drags the box's own extent, live
// ("sepimm") or with a translucent preview that the paint manager draws after the tree.
//
// Inset and child padding are DPI-scaled like every other size; the separator thickness is in
// device pixels.

#include "ui/core/ContainerUI.h"

namespace SkinUI {

// The separator drag state shared by both boxes.
struct BoxSeparator {
    int thickness { 0 };
    UINT buttonState { 0 };
    POINT lastMouse {};
    RECT newPos {};
    bool immediate { false };
};

class CVerticalLayoutUI : public CContainerUI {
public:
    CVerticalLayoutUI() = default;

    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    UINT GetControlFlags() const override;

    void SetSepHeight(int iHeight) { m_sep.thickness = iHeight; }
    int GetSepHeight() const { return m_sep.thickness; }
    void SetSepImmMode(bool bImmediately);
    bool IsSepImmMode() const { return m_sep.immediate; }
    RECT GetThumbRect(bool bUseNew = false) const;

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void DoEvent(tagTEventUI& event) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    void DoPostPaint(HDC hDC, const RECT& rcPaint) override;

private:
    BoxSeparator m_sep;
};

class CHorizontalLayoutUI : public CContainerUI {
public:
    CHorizontalLayoutUI() = default;

    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    UINT GetControlFlags() const override;

    void SetSepWidth(int iWidth) { m_sep.thickness = iWidth; }
    int GetSepWidth() const { return m_sep.thickness; }
    void SetSepImmMode(bool bImmediately);
    bool IsSepImmMode() const { return m_sep.immediate; }
    RECT GetThumbRect(bool bUseNew = false) const;

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void DoEvent(tagTEventUI& event) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    void DoPostPaint(HDC hDC, const RECT& rcPaint) override;

private:
    BoxSeparator m_sep;
};

}  // namespace SkinUI
