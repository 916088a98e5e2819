#pragma once
// CWaterFloatWnd: the transparent text layer that the main window lays over the subtitle page's
// preview. Each timed text item is a floating CWaterTextUI in the container "root", named like its
// TextItem record in the main window's list. The layer places new items in a cascade (or on the
// item before), pins every item's rectangle into its "pos" before any change so that a relayout
// never moves it, raises a clicked item and shows that item's times in the main window's edits.
//
// Rules: UI thread only. The main window creates and owns the object; closing the native window
// does not delete it, but the window's control tree goes with the window, so once the window is
// gone every operation does nothing and IsOpen() is false. The root owns the items; removing the
// current item leaves the layer with no current item.

#include "editor/dialogs/WaterTextUI.h"
#include "ui/core/ContainerUI.h"
#include "ui/core/WindowImplBase.h"

class CWaterFloatWnd : public SkinUI::WindowImplBase {
public:
    CWaterFloatWnd() = default;
    ~CWaterFloatWnd() override;

    const wchar_t* GetWindowClassName() const override;
    SkinUI::CUIString GetSkinFileName() override;
    void InitWindow() override;
    void Notify(SkinUI::TNotifyUI& msg) override;
    SkinUI::CControlUI* CreateControl(const wchar_t* pstrClass) override;

    bool IsOpen() const { return m_pRoot != nullptr; }
    CWaterTextUI* AddItem(const SkinUI::CUIString& name, const SkinUI::CUIString& text,
                          const SkinUI::CUIString& fontName, int size, DWORD color, bool samePosition);
    CWaterTextUI* FindItem(const SkinUI::CUIString& name) const;
    // The item named like the main window's default text item.
    CWaterTextUI* FindSelectedItem() const;
    void PinItemPositions();
    void ShowItem(const SkinUI::CUIString& name, bool visible);
    void RemoveItem(const SkinUI::CUIString& name);
    void RemoveAllItems();
    Gdiplus::RectF MeasureItemText(const SkinUI::CUIString& text, const SkinUI::CUIString& fontName, int size) const;
    // The window's own device context, kept while the window lives; the commands render through it.
    HDC GetPaintContext() const { return m_hPaintDC; }

    SkinUI::CUIString m_strCurrentName;
    CWaterTextUI* m_pCurrentItem { nullptr };

protected:
    LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    void Select(CWaterTextUI* item);
    void ShowItemTimes(const TextItem& record);
    void PlaceInCascade(CWaterTextUI* item, const Gdiplus::RectF& box, const SkinUI::CUIString& text);

    SkinUI::CContainerUI* m_pRoot { nullptr };
    HDC m_hPaintDC { nullptr };
};
