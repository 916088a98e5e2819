#pragma once
// COptionUI: a button with a selected state. Alone it toggles on each click; in a named group it
// is a radio button, and the window's paint manager keeps each group's list of options. An option
// is in its group's list while it has a group name and a manager; it leaves the list when it is
// destroyed. Selecting a grouped option deselects the others, each sending "unselected", before
// it sends "selectchanged"; handlers may change the group meanwhile.

#include "ui/controls/ButtonUI.h"

namespace SkinUI {

class COptionUI : public CButtonUI {
public:
    COptionUI() = default;
    ~COptionUI() override;

    static CControlUI* CreateControl();
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;

    void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true) override;
    bool Activate() override;
    void SetEnabled(bool bEnable = true) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;
    void PaintBkColor(HDC hDC) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintForeImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    virtual void Selected(bool bSelected);
    bool IsSelected() const { return m_bSelected; }
    const CUIString& GetGroup() const { return m_sGroupName; }
    void SetGroup(const wchar_t* pStrGroupName);

    const CUIString& GetSelectedImage() const { return m_sSelectedImage; }
    void SetSelectedImage(const wchar_t* pStrImage);
    const CUIString& GetSelectedHotImage() const { return m_sSelectedHotImage; }
    void SetSelectedHotImage(const wchar_t* pStrImage);
    const CUIString& GetSelectedPushedImage() const { return m_sSelectedPushedImage; }
    void SetSelectedPushedImage(const wchar_t* pStrImage);
    void SetSelectedForedImage(const wchar_t* pStrImage);
    void SetSelectedBkColor(DWORD dwColor) { m_dwSelectedBkColor = dwColor; }
    DWORD GetSelectBkColor() const { return m_dwSelectedBkColor; }
    void SetSelectedTextColor(DWORD dwColor) { m_dwSelectedTextColor = dwColor; }
    // 0 stands for the window's default font colour, which is stored on the first read.
    DWORD GetSelectedTextColor();

protected:
    // Stores the new state and sends the notifications; "unselected" only when asked, and
    // "selectchanged" with changedParam as its wParam.
    void ApplySelection(bool bSelected, bool notifyUnselected, WPARAM changedParam);
    // Deselects every other option of the group, walking a copy of the list: a handler of
    // "unselected" may regroup or remove options.
    void DeselectGroupMates();

    bool m_bSelected { false };
    CUIString m_sGroupName;
    DWORD m_dwSelectedBkColor { 0 };
    DWORD m_dwSelectedTextColor { 0 };
    CUIString m_sSelectedImage;
    CUIString m_sSelectedHotImage;
    CUIString m_sSelectedPushedImage;
    CUIString m_sSelectedForeImage;
};

}  // namespace SkinUI
