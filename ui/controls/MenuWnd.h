#pragma once
// The framework's popup menus. CMenuWnd is one menu window: a root menu built from a menu skin
// and opened at a screen point by CreateMenu, or a sub-menu opened by an item (CMenuElementUI)
// from that item's own child items. All open menu windows are receivers of the one process-wide
// observer, so they close together: on a leaf click, when the focus leaves the menus, or on a
// broadcast; Escape or Left closes only the window that has the keyboard.
//
// Rules:
// - UI thread only; nothing here takes a lock.
// - A menu window deletes itself when its native window is gone (OnFinalMessage). Callers that
//   keep the pointer must not use it after the menu closed.
// - A sub-menu borrows its owner item's child items while it is open and always gives them back
//   before its paint manager is gone, whichever way it closes (WM_CLOSE, or destroyed with its
//   owner window).
// - The application hears the menus only through the observer's main paint manager: "click" and
//   "valuechanged" of controls inside a menu are sent on synchronously, and a leaf click posts
//   kMenuClickMessage with a MenuClickRecord that the receiving window deletes.

#include "ui/controls/MenuObserver.h"
#include "ui/core/DialogBuilder.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/WindowWnd.h"

namespace SkinUI {

class CMenuElementUI;
class CMenuUI;

// Posted to the main manager's window on a leaf click: wParam a new MenuClickRecord (the receiver
// deletes it), lParam the clicked CMenuElementUI.
constexpr UINT kMenuClickMessage = WM_USER + 121;

// Alignment flags of CreateMenu: the menu's right edge, or its bottom edge, at the point.
constexpr DWORD eMenuAlignment_Right = 0x8;
constexpr DWORD eMenuAlignment_Bottom = 0x10;

// Check state of one item name, owned by the application's check-info map.
struct MenuItemInfo {
    wchar_t szName[256] {};
    bool bChecked { false };
};

struct MenuClickRecord {
    wchar_t szName[256] {};
    wchar_t szUserData[1024] {};
    wchar_t szText[1024] {};
    BOOL bChecked { FALSE };
};

// Copies at most size-1 characters and always terminates: names, user data and texts longer
// than a record's field are cut, never written past it.
void CopyMenuText(wchar_t* pDest, size_t size, const wchar_t* pstrSource);

class CMenuWnd : public CWindowWnd, public MenuReceiverImpl, public INotifyUI, public IDialogBuilderCallback {
public:
    CMenuWnd();

    static CMenuWnd* CreateMenu(CMenuElementUI* pOwner, STRINGorID xml, POINT point, CPaintManagerUI* pMainPaintManager,
                                CStdStringPtrMap* pMenuCheckInfo = nullptr, DWORD dwAlignment = 6);
    static MenuObserverImpl& GetGlobalContextMenuObserver();
    // Frees every MenuItemInfo of the check-info map and empties it.
    static void DestroyMenu();
    static MenuItemInfo* SetMenuItemInfoW(const wchar_t* pstrName, bool bChecked);
    static void SetClickedMenuName(const wchar_t* pstrName);
    static const CUIString& GetClickedMenuName();

    void Init(CMenuElementUI* pOwner, STRINGorID xml, POINT point, CPaintManagerUI* pMainPaintManager,
              CStdStringPtrMap* pMenuCheckInfo = nullptr, DWORD dwAlignment = 6);
    void Close(UINT nRet = IDOK);
    bool IsClosing() const { return m_bIsClosing; }
    void ResizeMenu();
    void ResizeSubMenu();
    CMenuUI* GetMenuUI();
    void setDPI(int DPI);
    CPaintManagerUI* GetManager() { return &m_pm; }

    BOOL Receive(ContextMenuParam param) override;
    void Notify(TNotifyUI& msg) override;
    CControlUI* CreateControl(const wchar_t* pstrClassName) override;

protected:
    const wchar_t* GetWindowClassName() const override { return L"SkinMenuWnd"; }
    UINT GetClassStyle() const override { return 0; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    LRESULT OnCreate();
    void CreateSubMenuBody();
    bool BuildRootMenu();
    void OnKillFocus(HWND hWndFocus);
    // The owner item takes its child items back; nothing when they are home already.
    void GiveItemsBack();

    bool m_bIsClosing { false };
    POINT m_BasedPoint {};
    CUIString m_sXml;
    const wchar_t* m_pXmlResource { nullptr };  // a resource id, when the skin is one
    CPaintManagerUI m_pm;
    CMenuElementUI* m_pOwner { nullptr };
    CMenuUI* m_pLayout { nullptr };
    DWORD m_dwAlignment { 6 };
    bool m_bItemsBorrowed { false };
};

}  // namespace SkinUI
