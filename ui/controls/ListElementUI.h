#pragma once
// The rows of a list or a combo box. Each row implements IListItemUI: it knows its index and its
// owner (not owned), draws its background and text with the owner's tagTListInfoUI, and turns
// mouse and keys into selection calls on the owner and into notifications. A newly selected row
// tells its owner (SelectItem / SelectMultiItem), so selection from either side ends in the same
// state.
//
// CListLabelElementUI shows its own text, CListTextElementUI one text per header column (with up
// to eight links), CListContainerElementUI is a horizontal box of any child controls whose
// children follow the header's columns in a list with a visible header. Rows belong to the
// owner's body (or the combo box) and live on the UI thread.

#include <optional>
#include <vector>

#include "ui/controls/ListInterfaces.h"
#include "ui/core/BoxLayoutUI.h"

namespace SkinUI {

// The list-item half every row class shares: index, owner, selection, hot state and the row
// background. TBase is the control the row is (a plain control or a horizontal box); the mixin is
// built for exactly those two in ListElementUI.cpp.
template <class TBase>
class CListItemBaseUI : public TBase, public IListItemUI {
public:
    void* GetInterface(const wchar_t* pstrName) override;
    UINT GetControlFlags() const override;
    bool Activate() override;
    void SetVisible(bool bVisible = true) override;
    void SetEnabled(bool bEnable = true) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;

    int GetIndex() const override { return m_iIndex; }
    void SetIndex(int iIndex) override { m_iIndex = iIndex; }
    IListOwnerUI* GetOwner() override { return m_pOwner; }
    void SetOwner(CControlUI* pOwner) override;
    bool IsSelected() const override { return m_bSelected; }
    bool Select(bool bSelect = true) override;
    bool SelectMulti(bool bSelect = true) override;
    bool IsExpanded() const override { return false; }
    bool Expand(bool) override { return false; }

    virtual void DrawItemBk(HDC hDC, const RECT& rcItem);
    // Repaints only the part of the row its ancestors show.
    void Invalidate();

protected:
    int m_iIndex { -1 };
    bool m_bSelected { false };
    UINT m_uButtonState { 0 };
    IListOwnerUI* m_pOwner { nullptr };
};

extern template class CListItemBaseUI<CControlUI>;
extern template class CListItemBaseUI<CHorizontalLayoutUI>;

class CListElementUI : public CListItemBaseUI<CControlUI> {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void DoEvent(TEventUI& event) override;
};

class CListLabelElementUI : public CListElementUI {
public:
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void DoEvent(TEventUI& event) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    void DrawItemText(HDC hDC, const RECT& rcItem) override;

protected:
    // The row's colour for its state: normal, hot, selected, disabled (later wins).
    DWORD StateTextColor(const TListInfoUI& info) const;
};

class CListTextElementUI : public CListLabelElementUI {
public:
    static constexpr int kMaxLinks = 8;

    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    UINT GetControlFlags() const override;

    using CListLabelElementUI::GetText;
    using CListLabelElementUI::SetText;
    // The text of one column, or null for a column without text.
    const wchar_t* GetText(int iIndex) const;
    void SetText(int iIndex, const wchar_t* pstrText);
    CUIString* GetLinkContent(int iIndex);

    void SetOwner(CControlUI* pOwner) override;
    void DoEvent(TEventUI& event) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void DrawItemText(HDC hDC, const RECT& rcItem) override;

protected:
    int HitLink(POINT pt) const;
    // Before a cell's text is drawn: a row class may paint the cell, narrow the text's rectangle
    // or change its style.
    virtual void PrepareCell(HDC, int /*iColumn*/, const RECT& /*rcColumn*/, RECT& /*rcText*/, UINT& /*uStyle*/) { }

    int m_nLinks { 0 };
    RECT m_rcLinks[kMaxLinks] {};
    CUIString m_sLinks[kMaxLinks];
    int m_nHoverLink { -1 };
    IListUI* m_pOwnerList { nullptr };
    std::vector<std::optional<CUIString>> m_aTexts;
};

class CListContainerElementUI : public CListItemBaseUI<CHorizontalLayoutUI> {
public:
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void DoEvent(TEventUI& event) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    void DrawItemText(HDC hDC, const RECT& rcItem) override;
};

// Shared by every row class (and the tree node): the visible part of `row` inside its ancestors
// is repainted; nothing when the row is hidden or scrolled out.
void InvalidateListRow(CControlUI& row);
// Draws a row's background and lines from its owner's appearance record.
void DrawListRowBk(HDC hDC, CControlUI& row, IListOwnerUI* pOwner, int iIndex, UINT uButtonState, bool bSelected);

}  // namespace SkinUI
