#pragma once
// The interfaces that tie list rows to whoever owns them. A list (and a combo box) implements
// IListOwnerUI and keeps one tagTListInfoUI appearance record that every row reads when it
// paints; a row implements IListItemUI and knows its index and owner. Rows never own their owner
// and the owner's record outlives every row that points at it (rows are children of the owner).
//
// Everything here is used on the UI thread only.

#include "platform/WinGdi.h"
#include "ui/core/UIDefines.h"
#include "ui/core/UIString.h"

namespace SkinUI {

class CControlUI;
class CContainerUI;
class CListHeaderUI;

constexpr int kMaxListColumns = 32;

// The button-state bits that list rows, header items and the combo box keep.
constexpr UINT kStateFocused = 0x01;
constexpr UINT kStateSelected = 0x02;
constexpr UINT kStateDisabled = 0x04;
constexpr UINT kStateHot = 0x08;
constexpr UINT kStatePushed = 0x10;
constexpr UINT kStateCaptured = 0x40;

// The appearance shared by all rows of one list or combo box.
struct tagTListInfoUI {
    int nColumns { 0 };
    RECT rcColumn[kMaxListColumns] {};
    int nFont { -1 };
    UINT uTextStyle { DT_VCENTER | DT_SINGLELINE };
    RECT rcTextPadding {};
    DWORD dwTextColor { 0xFF000000 };
    DWORD dwBkColor { 0 };
    CUIString sBkImage;
    bool bAlternateBk { false };
    DWORD dwSelectedTextColor { 0xFF000000 };
    DWORD dwSelectedBkColor { 0xFFC1E3FF };
    CUIString sSelectedImage;
    DWORD dwHotTextColor { 0xFF000000 };
    DWORD dwHotBkColor { 0xFFE9F5FF };
    CUIString sHotImage;
    DWORD dwDisabledTextColor { 0xFFCCCCCC };
    DWORD dwDisabledBkColor { 0xFFFFFFFF };
    CUIString sDisabledImage;
    DWORD dwLineColor { 0 };
    bool bShowRowLine { false };
    bool bShowColumnLine { false };
    bool bShowHtml { false };
    bool bMultiExpandable { false };
};
using TListInfoUI = tagTListInfoUI;

// What a list, tree view or combo box offers its rows.
class IListOwnerUI {
public:
    virtual ~IListOwnerUI() = default;
    virtual UINT GetListType() = 0;  // 0 list, 1 combo box, 2 tree view
    virtual TListInfoUI* GetListInfo() = 0;
    virtual int GetCurSel() const = 0;
    virtual bool SelectItem(int iIndex, bool bTakeFocus = false) = 0;
    virtual bool SelectMultiItem(int iIndex, bool bTakeFocus = false) = 0;
    virtual bool UnSelectItem(int iIndex, bool bOthers = false) = 0;
    virtual bool SelectRange(int iIndex, bool bTakeFocus = false) = 0;
    virtual void DoEvent(TEventUI& event) = 0;
};

// Supplies cell texts for text rows; the text is copied at once.
class IListCallbackUI {
public:
    virtual ~IListCallbackUI() = default;
    virtual CUIString GetCellText(CControlUI* pList, int iRow, int iColumn) = 0;
};

// A list with a header and a body of rows.
class IListUI : public IListOwnerUI {
public:
    virtual CListHeaderUI* GetHeader() const = 0;
    virtual CContainerUI* GetList() const = 0;
    virtual IListCallbackUI* GetTextCallback() const = 0;
    virtual void SetTextCallback(IListCallbackUI* pCallback) = 0;
    virtual bool ExpandItem(int iIndex, bool bExpand = true) = 0;
    virtual int GetExpandedItem() const = 0;
    virtual void SetMultiSelect(bool bMultiSel) = 0;
    virtual bool IsMultiSelect() const = 0;
    virtual void SelectAllItems() = 0;
    virtual void UnSelectAllItems() = 0;
    virtual int GetSelectItemCount() const = 0;
    virtual int GetNextSelItem(int nItem) const = 0;
};

// One row.
class IListItemUI {
public:
    virtual ~IListItemUI() = default;
    virtual int GetIndex() const = 0;
    virtual void SetIndex(int iIndex) = 0;
    virtual IListOwnerUI* GetOwner() = 0;
    virtual void SetOwner(CControlUI* pOwner) = 0;
    virtual bool IsSelected() const = 0;
    virtual bool Select(bool bSelect = true) = 0;
    virtual bool SelectMulti(bool bSelect = true) = 0;
    virtual bool IsExpanded() const = 0;
    virtual bool Expand(bool bExpand = true) = 0;
    virtual void DrawItemText(HDC hDC, const RECT& rcItem) = 0;
};

}  // namespace SkinUI
