#pragma once
// The header row of a list: CListHeaderUI is a horizontal box of column headers, normally
// CListHeaderItemUI. An item shows a caption over state images, reports a press as "headerclick"
// and is resized by dragging the separator strip at one of its edges. With "scaleheader" the
// header gives its items percentages of its own width instead of their own sizes.
//
// A dragged width is measured in device pixels and stored in skin units like every other fixed
// width, so a drag follows the mouse at any DPI. Items belong to the header, the header to its
// list; everything runs on the UI thread.

#include "ui/controls/ListInterfaces.h"
#include "ui/core/BoxLayoutUI.h"

namespace SkinUI {

class CListHeaderUI : public CHorizontalLayoutUI {
public:
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;

    void SetScaleHeader(bool bIsScale) { m_bIsScaleHeader = bIsScale; }
    bool IsScaleHeader() const { return m_bIsScaleHeader; }

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    SIZE EstimateSize(SIZE szAvailable) override;

private:
    // The width the items' scales refer to: the header less its list's vertical bar.
    int ScaleReference() const;

    bool m_bIsScaleHeader { false };
};

// Everything a column header item does, over the control it is (a plain container, or a
// horizontal box for the extended list's item): caption, state images, the press report and the
// separator drag. Built for exactly those two bases in ListHeaderUI.cpp.
template <class TBase>
class CListHeaderItemBaseUI : public TBase {
public:
    CListHeaderItemBaseUI();

    UINT GetControlFlags() const override;
    void SetEnabled(bool bEnable = true) override;

    bool IsDragable() const { return m_bDragable; }
    void SetDragable(bool bDragable);
    int GetSepWidth() const { return m_iSepWidth; }
    void SetSepWidth(int iWidth) { m_iSepWidth = iWidth; }
    UINT GetTextStyle() const { return m_uTextStyle; }
    void SetTextStyle(UINT uStyle);
    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetTextColor(DWORD dwTextColor) { m_dwTextColor = dwTextColor; }
    RECT GetTextPadding() const { return m_rcTextPadding; }
    void SetTextPadding(RECT rc);
    int GetFont() const { return m_iFont; }
    void SetFont(int index) { m_iFont = index; }
    bool IsShowHtml() const { return m_bShowHtml; }
    void SetShowHtml(bool bShowHtml = true);
    const CUIString& GetNormalImage() const { return m_sNormalImage; }
    void SetNormalImage(const wchar_t* pStrImage);
    const CUIString& GetHotImage() const { return m_sHotImage; }
    void SetHotImage(const wchar_t* pStrImage);
    const CUIString& GetPushedImage() const { return m_sPushedImage; }
    void SetPushedImage(const wchar_t* pStrImage);
    const CUIString& GetFocusedImage() const { return m_sFocusedImage; }
    void SetFocusedImage(const wchar_t* pStrImage);
    const CUIString& GetSepImage() const { return m_sSepImage; }
    void SetSepImage(const wchar_t* pStrImage);

    // The separator strip in window coordinates.
    RECT GetThumbRect() const;

    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

protected:
    // The notification a press outside the separator strip sends.
    virtual const wchar_t* ClickNotification() const { return L"headerclick"; }
    // The caption inside the padding, its left edge moved right by `indent`.
    void PaintCaption(HDC hDC, int indent, UINT extraStyle);

    UINT m_uButtonState { 0 };

private:
    // The strip a press or the cursor reacts to: the separator widened 4 px toward the inside.
    RECT HitStrip() const;
    void SetImage(CUIString& slot, const wchar_t* pStrImage);

    POINT m_ptLastMouse {};
    int m_nDragWidth { 0 };  // device pixels while a drag runs
    bool m_bDragable { true };
    int m_iSepWidth { 4 };
    DWORD m_dwTextColor { 0 };
    int m_iFont { -1 };
    UINT m_uTextStyle { DT_CENTER | DT_VCENTER | DT_SINGLELINE };
    bool m_bShowHtml { false };
    RECT m_rcTextPadding { 2, 0, 2, 0 };
    CUIString m_sNormalImage;
    CUIString m_sHotImage;
    CUIString m_sPushedImage;
    CUIString m_sFocusedImage;
    CUIString m_sSepImage;
};

extern template class CListHeaderItemBaseUI<CContainerUI>;
extern template class CListHeaderItemBaseUI<CHorizontalLayoutUI>;

class CListHeaderItemUI : public CListHeaderItemBaseUI<CContainerUI> {
public:
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;

    int GetScale() const { return m_nScale; }
    void SetScale(int nScale) { m_nScale = nScale; }

private:
    int m_nScale { 0 };
};

// Skin value helpers the list family shares.
namespace listvalues {
DWORD ReadColor(const wchar_t* pstrValue);
// "left"/"center"/"right" substrings, tested in that order, applied to a DT_* style.
UINT ApplyAlign(UINT style, const wchar_t* pstrValue);
UINT ApplyVAlign(UINT style, const wchar_t* pstrValue);
}  // namespace listvalues

}  // namespace SkinUI
