#pragma once
// The extended list: cell editing, cell combo boxes, check boxes and cell colours on top of the
// list. CListContainerHeaderItemUI is a header item (a horizontal box) with three column flags
// and, for a checkable column, a check box; CListTextExtElementUI is a multi-column text row with
// one check box and a colour per cell; CListExUI answers the column flags from its header, opens
// one edit or one combo box over a clicked cell, writes the result back into the row, and keeps
// the header's check box and the rows' check boxes in step once InitListCtrl registered it.
//
// The edit and the combo are the list's own floating children, created on first use: they are
// never rows (not counted, never laid out as one), follow their cell when the list is laid out
// again and are hidden, not moved away, when closed. All of it runs on the UI thread.

#include "ui/controls/ListElementUI.h"
#include "ui/controls/ListHeaderUI.h"
#include "ui/controls/ListUI.h"

namespace SkinUI {

class CComboBoxUI;
class CEditUI;

// A check box drawn inside a header item or a row: its state bits, checked flag, images and size.
struct ListCheckBox {
    UINT uState { 0 };
    int nChecked { 0 };
    CUIString sNormal, sHot, sPushed, sFocused, sDisabled, sSelected, sFore;
    int cx { 0 }, cy { 0 };

    // At the control's left + 6, centred vertically.
    RECT Rect(const RECT& rcItem) const;
    // "checkboxwidth", "checkboxheight" and the seven "checkbox…image" keys; false for others.
    bool SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue);
    // Press, move, release, enter and leave over the box; true when a release on it toggled the
    // check. A move changes the hot bit only when `hotOnMove`.
    bool DoEvent(const TEventUI& event, const RECT& rcBox, bool hotOnMove);
    // Draws the state's image into the box, clipped to the control's paint rectangle; true when
    // painting of the control's boxes ends here.
    bool Paint(HDC hDC, CControlUI& control, const RECT& rcBox, const RECT& rcPaint);
};

class CListContainerHeaderItemUI : public CListHeaderItemBaseUI<CHorizontalLayoutUI> {
public:
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    void SetColumeEditable(bool bEnable) { m_bEditable = bEnable; }
    bool GetColumeEditable() const { return m_bEditable; }
    void SetColumeComboable(bool bEnable) { m_bComboable = bEnable; }
    bool GetColumeComboable() const { return m_bComboable; }
    void SetColumeCheckable(bool bEnable) { m_bCheckable = bEnable; }
    bool GetColumeCheckable() const { return m_bCheckable; }
    void SetCheck(int bCheck);
    int GetCheck() const { return m_checkBox.nChecked; }
    void SetOwner(CContainerUI* pOwner) { m_pOwner = pOwner; }
    CContainerUI* GetOwner() const { return m_pOwner; }
    RECT GetCheckBoxRect() const;
    ListCheckBox& GetCheckBox() { return m_checkBox; }

protected:
    const wchar_t* ClickNotification() const override { return L"listheaderclick"; }

private:
    bool m_bEditable { false };
    bool m_bComboable { false };
    bool m_bCheckable { false };
    ListCheckBox m_checkBox;
    CContainerUI* m_pOwner { nullptr };
};

class CListExUI;

class CListTextExtElementUI : public CListTextElementUI {
public:
    static constexpr int kMaxColors = kMaxListColumns;

    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    void PaintStatusImage(HDC hDC) override;

    void SetCheck(int bCheck);
    int GetCheck() const { return m_checkBox.nChecked; }
    // Columns outside 0..31 have no colour: setting one does nothing, reading one answers 0.
    void SetColumItemColor(int iColumn, DWORD dwColor);
    int GetColumItemColor(int iColumn, DWORD& dwColor) const;
    RECT GetCheckBoxRect() const;
    RECT GetColumRect(int iColumn) const;
    int HitTestColum(POINT pt) const;
    int CheckColumEditable(int iColumn);
    ListCheckBox& GetCheckBox() { return m_checkBox; }

protected:
    void PrepareCell(HDC hDC, int iColumn, const RECT& rcColumn, RECT& rcText, UINT& uStyle) override;

private:
    CListExUI* OwnerList() const;
    // The first checkable column, or -1.
    int FirstCheckableColumn() const;

    ListCheckBox m_checkBox;
    struct CellColor {
        bool bSet { false };
        DWORD dwColor { 0 };
    } m_aColors[kMaxColors];
};

// Prepares the cell combo after it was emptied and given the cell's text, before it is shown.
class IListComboCallbackUI {
public:
    virtual ~IListComboCallbackUI() = default;
    virtual bool PrepareCellCombo(CComboBoxUI* pCombo, int iRow, int iColumn) = 0;
};

class CListExUI : public CListUI, public INotifyUI {
public:
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void DoEvent(TEventUI& event) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void Notify(TNotifyUI& msg) override;

    // Registers the list as a notifier of its window, once; until then nothing follows the boxes.
    bool InitListCtrl();

    int CheckColumEditable(int iColumn) override;
    CEditUI* GetEditUI() override;
    int CheckColumComboBoxable(int iColumn) override;
    CComboBoxUI* GetComboBoxUI() override;
    virtual int CheckColumCheckBoxable(int iColumn);
    virtual IListComboCallbackUI* GetTextArrayCallback() const { return m_pXCallback; }
    virtual void SetTextArrayCallback(IListComboCallbackUI* pCallback) { m_pXCallback = pCallback; }

    void HideEditAndComboCtrl();
    void SetEditRowAndColum(int iRow, int iColumn);
    void OnListItemClicked(int iRow, int iColumn, const RECT& rcCell, const wchar_t* pstrText);
    void OnListItemChecked(int iRow, int iColumn, bool bChecked);
    void SetColumItemColor(int iRow, int iColumn, DWORD dwColor);
    bool GetColumItemColor(int iRow, int iColumn, DWORD& dwColor);

private:
    CListContainerHeaderItemUI* HeaderItem(int iColumn) const;
    CListTextExtElementUI* ExtRow(int iRow) const;
    // Creates a cell editor as a floating child of the list (never a row), hidden.
    void AdoptEditor(CControlUI* pEditor, const wchar_t* pstrName, const wchar_t* pstrDefaults);
    // The cell's rectangle, 2 px inside, where an open editor sits.
    RECT CellRect(int iRow, int iColumn) const;
    void WriteCell(int iRow, int iColumn, const CUIString& text);

    CEditUI* m_pEditUI { nullptr };
    CComboBoxUI* m_pComboBoxUI { nullptr };
    bool m_bAddMessageFilter { false };
    int m_nRow { -1 };
    int m_nColum { -1 };
    IListComboCallbackUI* m_pXCallback { nullptr };
};

}  // namespace SkinUI
