#pragma once
// CComboUI: the framework's drop-down list. Closed, it shows the selected item's text over its
// state images; opened (a click, F4 or Activate), a popup CComboWnd with a paint manager of its
// own shows a vertical list that holds the very same item controls, and hands them back when it
// closes. The combo owns its items (list rows, IListItemUI) and their appearance record, keeps
// the selection and reports each change as "itemselect" (new index, previous index).
//
// The popup opens on the monitor that holds the combo, at the owner window's DPI. It closes when
// it loses the focus (a click elsewhere, also outside the program, a choice, Enter, Escape), when
// the combo is laid out again, or when its owner window goes; in every case the items come back
// to the combo before the popup's manager is gone. UI thread only.

#include "ui/controls/ListInterfaces.h"
#include "ui/core/ContainerUI.h"

namespace SkinUI {

class CComboWnd;

class CComboUI : public CContainerUI, public IListOwnerUI {
    friend class CComboWnd;

public:
    CComboUI();
    ~CComboUI() override;

    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    bool Activate() override;
    CUIString GetText() const override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void Move(SIZE szOffset, bool bNeedInvalidate = true) override;
    void SetEnabled(bool bEnable = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    // Items
    bool SetItemIndex(CControlUI* pControl, int iIndex) override;
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl) override;
    bool RemoveAt(int iIndex) override;
    void RemoveAll() override;

    // IListOwnerUI
    UINT GetListType() override { return 1; }
    TListInfoUI* GetListInfo() override { return &m_ListInfo; }
    int GetCurSel() const override { return m_iCurSel; }
    bool SelectItem(int iIndex, bool bTakeFocus = false) override;
    bool SelectMultiItem(int iIndex, bool bTakeFocus = false) override { return SelectItem(iIndex, bTakeFocus); }
    bool UnSelectItem(int, bool = false) override { return false; }
    bool SelectRange(int, bool = false) override { return true; }

    bool IsDropOpen() const { return m_pWindow != nullptr; }

    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetTextColor(DWORD dwTextColor);
    DWORD GetDisabledTextColor() const { return m_dwDisabledTextColor; }
    void SetDisabledTextColor(DWORD dwTextColor);
    int GetFont() const { return m_iFont; }
    void SetFont(int index);
    UINT GetTextStyle() const { return m_uTextStyle; }
    void SetTextStyle(UINT uStyle);
    RECT GetTextPadding() const { return m_rcTextPadding; }
    void SetTextPadding(RECT rc);
    bool IsShowHtml() const { return m_bShowHtml; }
    void SetShowHtml(bool bShowHtml = true);
    const CUIString& GetDropBoxAttributeList() const { return m_sDropBoxAttributes; }
    void SetDropBoxAttributeList(const wchar_t* pstrList) { m_sDropBoxAttributes = pstrList; }
    SIZE GetDropBoxSize() const { return m_szDropBox; }
    void SetDropBoxSize(SIZE szDropBox) { m_szDropBox = szDropBox; }
    void SetDropBoxUp(bool bUp) { m_bShowDropDown = !bUp; }
    bool GetScrollSelect() const { return m_bScrollSelect; }
    void SetScrollSelect(bool bScrollSelect) { m_bScrollSelect = bScrollSelect; }

    const CUIString& GetNormalImage() const { return m_sNormalImage; }
    void SetNormalImage(const wchar_t* pStrImage);
    const CUIString& GetHotImage() const { return m_sHotImage; }
    void SetHotImage(const wchar_t* pStrImage);
    const CUIString& GetPushedImage() const { return m_sPushedImage; }
    void SetPushedImage(const wchar_t* pStrImage);
    const CUIString& GetFocusedImage() const { return m_sFocusedImage; }
    void SetFocusedImage(const wchar_t* pStrImage);
    const CUIString& GetDisabledImage() const { return m_sDisabledImage; }
    void SetDisabledImage(const wchar_t* pStrImage);

    // Item appearance
    void SetItemFont(int index);
    void SetItemTextStyle(UINT uStyle);
    RECT GetItemTextPadding() const { return m_ListInfo.rcTextPadding; }
    void SetItemTextPadding(RECT rc);
    DWORD GetItemTextColor() const { return m_ListInfo.dwTextColor; }
    void SetItemTextColor(DWORD dwTextColor);
    DWORD GetItemBkColor() const { return m_ListInfo.dwBkColor; }
    void SetItemBkColor(DWORD dwBkColor) { m_ListInfo.dwBkColor = dwBkColor; }
    const CUIString& GetItemBkImage() const { return m_ListInfo.sBkImage; }
    void SetItemBkImage(const wchar_t* pStrImage) { m_ListInfo.sBkImage = pStrImage; }
    bool IsAlternateBk() const { return m_ListInfo.bAlternateBk; }
    void SetAlternateBk(bool bAlternateBk) { m_ListInfo.bAlternateBk = bAlternateBk; }
    DWORD GetSelectedItemTextColor() const { return m_ListInfo.dwSelectedTextColor; }
    void SetSelectedItemTextColor(DWORD dwTextColor) { m_ListInfo.dwSelectedTextColor = dwTextColor; }
    DWORD GetSelectedItemBkColor() const { return m_ListInfo.dwSelectedBkColor; }
    void SetSelectedItemBkColor(DWORD dwBkColor) { m_ListInfo.dwSelectedBkColor = dwBkColor; }
    const CUIString& GetSelectedItemImage() const { return m_ListInfo.sSelectedImage; }
    void SetSelectedItemImage(const wchar_t* pStrImage) { m_ListInfo.sSelectedImage = pStrImage; }
    DWORD GetHotItemTextColor() const { return m_ListInfo.dwHotTextColor; }
    void SetHotItemTextColor(DWORD dwTextColor) { m_ListInfo.dwHotTextColor = dwTextColor; }
    DWORD GetHotItemBkColor() const { return m_ListInfo.dwHotBkColor; }
    void SetHotItemBkColor(DWORD dwBkColor) { m_ListInfo.dwHotBkColor = dwBkColor; }
    const CUIString& GetHotItemImage() const { return m_ListInfo.sHotImage; }
    void SetHotItemImage(const wchar_t* pStrImage) { m_ListInfo.sHotImage = pStrImage; }
    DWORD GetDisabledItemTextColor() const { return m_ListInfo.dwDisabledTextColor; }
    void SetDisabledItemTextColor(DWORD dwTextColor) { m_ListInfo.dwDisabledTextColor = dwTextColor; }
    DWORD GetDisabledItemBkColor() const { return m_ListInfo.dwDisabledBkColor; }
    void SetDisabledItemBkColor(DWORD dwBkColor) { m_ListInfo.dwDisabledBkColor = dwBkColor; }
    const CUIString& GetDisabledItemImage() const { return m_ListInfo.sDisabledImage; }
    void SetDisabledItemImage(const wchar_t* pStrImage) { m_ListInfo.sDisabledImage = pStrImage; }
    DWORD GetItemLineColor() const { return m_ListInfo.dwLineColor; }
    void SetItemLineColor(DWORD dwLineColor) { m_ListInfo.dwLineColor = dwLineColor; }
    bool IsItemShowHtml() const { return m_ListInfo.bShowHtml; }
    void SetItemShowHtml(bool bShowHtml = true);

protected:
    // The popup's list, for keeping the current item in view while it is open.
    void EnsureDropVisible(int iIndex);
    void StepSelection(int iIndex, bool bForward);
    void RenumberItems(int from);
    UINT StateFlags();

    CComboWnd* m_pWindow { nullptr };
    int m_iCurSel { -1 };
    DWORD m_dwTextColor { 0 };
    DWORD m_dwDisabledTextColor { 0 };
    int m_iFont { -1 };
    UINT m_uTextStyle { DT_VCENTER | DT_SINGLELINE };
    RECT m_rcTextPadding {};
    bool m_bShowHtml { false };
    CUIString m_sDropBoxAttributes;
    SIZE m_szDropBox { 0, 150 };
    UINT m_uButtonState { 0 };
    CUIString m_sNormalImage;
    CUIString m_sHotImage;
    CUIString m_sPushedImage;
    CUIString m_sFocusedImage;
    CUIString m_sDisabledImage;
    bool m_bScrollSelect { true };
    TListInfoUI m_ListInfo;
    bool m_bShowDropDown { true };
};

// A combo whose arrow comes from one image strip of five cells (normal, hot, pushed, focused,
// disabled) and which paints the selected item itself in place of its text.
class CComboBoxUI : public CComboUI {
public:
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    const CUIString& GetArrowImage() const { return m_sArrowImage; }
    void SetArrowImage(const wchar_t* pStrImage) { m_sArrowImage = pStrImage; }

private:
    CUIString m_sArrowImage;
    int m_nArrowWidth { 0 };
};

}  // namespace SkinUI
