#include "ui/controls/MenuWnd.h"

#include <algorithm>
#include <cstdio>

#include "ui/controls/MenuUI.h"
#include "ui/core/DPI.h"
#include "ui/core/ShadowUI.h"

namespace SkinUI {

namespace {

constexpr WPARAM kCloseAll = 1;
constexpr WPARAM kCloseBelow = 2;

CUIString& ClickedMenuName()
{
    static CUIString name;
    return name;
}

RECT WorkAreaOf(HWND hWnd)
{
    MONITORINFO info {};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfo(::MonitorFromWindow(hWnd, MONITOR_DEFAULTTOPRIMARY), &info))
        ::SystemParametersInfo(SPI_GETWORKAREA, 0, &info.rcWork, 0);
    return info.rcWork;
}

HWND TopAncestor(HWND hWnd)
{
    HWND root = hWnd;
    while (HWND parent = ::GetParent(root))
        root = parent;
    return root;
}

bool IsMenuItem(CControlUI* pControl)
{
    return pControl != nullptr && pControl->GetInterface(L"MenuElement") != nullptr;
}

}  // namespace

void CopyMenuText(wchar_t* pDest, size_t size, const wchar_t* pstrSource)
{
    if (size == 0)
        return;
    size_t n = 0;
    for (; pstrSource != nullptr && n + 1 < size && pstrSource[n] != L'\0'; ++n)
        pDest[n] = pstrSource[n];
    pDest[n] = L'\0';
}

CMenuWnd::CMenuWnd() = default;

MenuObserverImpl& CMenuWnd::GetGlobalContextMenuObserver()
{
    static MenuObserverImpl observer;
    return observer;
}

CMenuWnd* CMenuWnd::CreateMenu(CMenuElementUI* pOwner, STRINGorID xml, POINT point, CPaintManagerUI* pMainPaintManager,
                               CStdStringPtrMap* pMenuCheckInfo, DWORD dwAlignment)
{
    auto* pMenu = new CMenuWnd();  // deletes itself when its window is gone
    pMenu->Init(pOwner, xml, point, pMainPaintManager, pMenuCheckInfo, dwAlignment);
    return pMenu;
}

void CMenuWnd::DestroyMenu()
{
    CStdStringPtrMap* pInfo = GetGlobalContextMenuObserver().GetMenuCheckInfo();
    if (pInfo == nullptr)
        return;
    for (int i = 0; i < pInfo->GetSize(); ++i) {
        if (const wchar_t* key = pInfo->GetAt(i))
            delete static_cast<MenuItemInfo*>(pInfo->Find(key));
    }
    pInfo->RemoveAll();
}

MenuItemInfo* CMenuWnd::SetMenuItemInfoW(const wchar_t* pstrName, bool bChecked)
{
    CStdStringPtrMap* pInfo = GetGlobalContextMenuObserver().GetMenuCheckInfo();
    if (pstrName == nullptr || *pstrName == L'\0' || pInfo == nullptr)
        return nullptr;
    if (auto* pItem = static_cast<MenuItemInfo*>(pInfo->Find(pstrName))) {
        pItem->bChecked = bChecked;
        return pItem;
    }
    auto* pItem = new MenuItemInfo();  // the map's owner frees it (DestroyMenu)
    CopyMenuText(pItem->szName, std::size(pItem->szName), pstrName);
    pItem->bChecked = bChecked;
    pInfo->Insert(pstrName, pItem);
    return pItem;
}

void CMenuWnd::SetClickedMenuName(const wchar_t* pstrName)
{
    ClickedMenuName() = pstrName != nullptr ? pstrName : L"";
}

const CUIString& CMenuWnd::GetClickedMenuName()
{
    return ClickedMenuName();
}

void CMenuWnd::Init(CMenuElementUI* pOwner, STRINGorID xml, POINT point, CPaintManagerUI* pMainPaintManager,
                    CStdStringPtrMap* pMenuCheckInfo, DWORD dwAlignment)
{
    m_pLayout = nullptr;
    m_BasedPoint = point;
    if (IS_INTRESOURCE(xml.m_lpstr))
        m_pXmlResource = xml.m_lpstr;
    else
        m_sXml = xml.m_lpstr != nullptr ? xml.m_lpstr : L"";
    m_pOwner = pOwner;
    m_dwAlignment = dwAlignment;
    MenuObserverImpl& observer = GetGlobalContextMenuObserver();
    if (pOwner == nullptr) {
        observer.SetManger(pMainPaintManager);
        if (pMenuCheckInfo != nullptr)
            observer.SetMenuCheckInfo(pMenuCheckInfo);
    }
    observer.AddReceiver(this);
    CPaintManagerUI* pOwnerManager = pOwner != nullptr ? pOwner->GetManager() : observer.GetManager();
    HWND hWndOwner = pOwnerManager != nullptr ? pOwnerManager->GetPaintWindow() : nullptr;
    Create(hWndOwner, nullptr, WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, RECT {});
    if (m_hWnd == nullptr) {
        std::fprintf(stderr, "SkinUI menu: the menu window could not be created\n");
        return;
    }
    ShowWindow(true);
    // The application's window keeps its active look while its menu is open.
    ::SendMessage(TopAncestor(m_hWnd), WM_NCACTIVATE, TRUE, 0);
}

void CMenuWnd::Close(UINT nRet)
{
    if (m_hWnd == nullptr || !::IsWindow(m_hWnd))
        return;
    PostMessageW(WM_CLOSE, static_cast<WPARAM>(nRet), 0);
    m_bIsClosing = true;
}

CMenuUI* CMenuWnd::GetMenuUI()
{
    CControlUI* pRoot = m_pm.GetRoot();
    return pRoot != nullptr ? static_cast<CMenuUI*>(pRoot->GetInterface(L"Menu")) : nullptr;
}

void CMenuWnd::setDPI(int DPI)
{
    m_pm.SetDPI(DPI);
}

CControlUI* CMenuWnd::CreateControl(const wchar_t* pstrClassName)
{
    if (::wcscmp(pstrClassName, L"Menu") == 0)
        return new CMenuUI();
    if (::wcscmp(pstrClassName, L"MenuElement") == 0)
        return new CMenuElementUI();
    return nullptr;
}

bool CMenuWnd::BuildRootMenu()
{
    CPaintManagerUI* pMain = GetGlobalContextMenuObserver().GetManager();
    if (pMain != nullptr)
        m_pm.GetDPIObj()->SetScale(pMain->GetDPIObj()->GetDPI());
    CDialogBuilder builder;
    CControlUI* pRoot = builder.Create(m_pXmlResource != nullptr ? STRINGorID(m_pXmlResource) : STRINGorID(m_sXml.GetData()),
                                       nullptr, this, &m_pm);
    // Only a menu body can be shown here: anything else would be written to as one.
    if (pRoot == nullptr || pRoot->GetInterface(L"Menu") == nullptr) {
        std::fprintf(stderr, "SkinUI menu: \"%ls\" does not build a Menu, the menu closes\n", m_sXml.GetData());
        delete pRoot;
        return false;
    }
    const bool shadowShown = m_pm.GetShadow()->IsShowShadow();
    m_pm.GetShadow()->ShowShadow(false);
    m_pm.AttachDialog(pRoot);  // the manager owns the tree
    m_pm.AddNotifier(this);
    ResizeMenu();
    m_pm.GetShadow()->ShowShadow(shadowShown);
    return true;
}

void CMenuWnd::CreateSubMenuBody()
{
    CPaintManagerUI* pOwnerManager = m_pOwner->GetManager();
    const LONG style = ::GetWindowLong(m_hWnd, GWL_STYLE);
    ::SetWindowLong(m_hWnd, GWL_STYLE, static_cast<LONG>((style & 0xFF3FFFFF) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
    RECT rcClient {};
    ::GetClientRect(m_hWnd, &rcClient);
    ::SetWindowPos(m_hWnd, nullptr, rcClient.left, rcClient.top, rcClient.right - rcClient.left,
                   rcClient.bottom - rcClient.top, SWP_FRAMECHANGED);
    if (pOwnerManager != nullptr)
        m_pm.GetDPIObj()->SetScale(pOwnerManager->GetDPIObj()->GetDPI());
    m_pLayout = new CMenuUI();
    m_pm.SetForceUseSharedRes(true);
    m_pLayout->SetManager(&m_pm, nullptr, true);
    if (pOwnerManager != nullptr) {
        if (const wchar_t* defaults = pOwnerManager->GetDefaultAttributeList(L"Menu"))
            m_pLayout->ApplyAttributeList(defaults);
    }
    m_pLayout->GetList()->SetAutoDestroy(false);  // the items stay their owner's
    for (int i = 0; i < m_pOwner->GetCount(); ++i) {
        CControlUI* pItem = m_pOwner->GetItemAt(i);
        if (!IsMenuItem(pItem))
            continue;
        static_cast<CMenuElementUI*>(pItem)->SetOwner(m_pLayout);
        m_pLayout->Add(pItem);
    }
    m_bItemsBorrowed = true;
    const bool shadowShown = pOwnerManager != nullptr && pOwnerManager->GetShadow()->IsShowShadow();
    if (pOwnerManager != nullptr) {
        m_pm.GetShadow()->CopyShadow(pOwnerManager->GetShadow());
        m_pm.SetLayered(pOwnerManager->IsLayered());
    }
    m_pm.GetShadow()->ShowShadow(false);
    m_pm.AttachDialog(m_pLayout);
    m_pm.AddNotifier(this);
    ResizeSubMenu();
    m_pm.GetShadow()->ShowShadow(shadowShown);
}

LRESULT CMenuWnd::OnCreate()
{
    m_pm.Init(m_hWnd);
    if (m_pOwner != nullptr) {
        CreateSubMenuBody();
    } else if (!BuildRootMenu()) {
        Close(1);
        return 0;
    }
    if (CMenuUI* pBody = GetMenuUI())
        pBody->m_pWindow = this;
    m_pm.GetShadow()->Create(&m_pm);
    return 0;
}

void CMenuWnd::ResizeMenu()
{
    CControlUI* pRoot = m_pm.GetRoot();
    if (pRoot == nullptr)
        return;
    const RECT rcWork = WorkAreaOf(m_hWnd);
    const SIZE available { rcWork.right - rcWork.left, rcWork.bottom - rcWork.top };
    const SIZE estimated = pRoot->EstimateSize(available);
    m_pm.SetInitSize(estimated.cx, estimated.cy);
    const SIZE size = m_pm.GetInitSize();
    RECT rc { m_BasedPoint.x, m_BasedPoint.y, m_BasedPoint.x + size.cx, m_BasedPoint.y + size.cy };
    if ((m_dwAlignment & eMenuAlignment_Right) != 0) {
        rc.right = m_BasedPoint.x;
        rc.left = rc.right - size.cx;
    }
    if ((m_dwAlignment & eMenuAlignment_Bottom) != 0) {
        rc.bottom = m_BasedPoint.y;
        rc.top = rc.bottom - size.cy;
    }
    const RECT inset = static_cast<CContainerUI*>(pRoot->GetInterface(L"Container")) != nullptr
        ? static_cast<CContainerUI*>(pRoot->GetInterface(L"Container"))->GetInset()
        : RECT {};
    ::SetForegroundWindow(m_hWnd);
    ::MoveWindow(m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, FALSE);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, rc.left, rc.top, rc.right - rc.left,
                   rc.bottom - rc.top + inset.top + inset.bottom, SWP_SHOWWINDOW);
}

void CMenuWnd::ResizeSubMenu()
{
    HWND hWndOwner = m_pOwner->GetManager()->GetPaintWindow();
    const RECT rcOwner = m_pOwner->GetPos();
    const RECT rcWork = WorkAreaOf(m_hWnd);
    const SIZE available { rcWork.right - rcWork.left, rcWork.bottom - rcWork.top };
    int width = 0, height = 0;
    for (int i = 0; i < m_pOwner->GetCount(); ++i) {
        CControlUI* pItem = m_pOwner->GetItemAt(i);
        if (!IsMenuItem(pItem))
            continue;
        const SIZE sz = pItem->EstimateSize(available);
        height += sz.cy;
        width = std::max<int>(width, sz.cx);
    }
    RECT rcWindow {};
    ::GetWindowRect(hWndOwner, &rcWindow);
    POINT top { rcOwner.left, rcOwner.top };
    ::ClientToScreen(hWndOwner, &top);
    RECT rc { rcWindow.right, top.y, rcWindow.right + width + 2, top.y + height };

    // The menus opened before this one say which way the chain grows.
    const CStdPtrArray& receivers = GetGlobalContextMenuObserver().Receivers();
    for (int i = 0; i < receivers.GetSize(); ++i) {
        auto* pMenu = dynamic_cast<CMenuWnd*>(static_cast<MenuMenuReceiverImplBase*>(receivers.GetAt(i)));
        if (pMenu == nullptr)
            continue;
        if (pMenu->GetHWND() == hWndOwner)
            break;
        RECT rcMenu {};
        ::GetWindowRect(pMenu->GetHWND(), &rcMenu);
        const bool below = rcMenu.top >= rcWindow.bottom;
        const bool right = rcMenu.left >= rcWindow.right;
        if (below) {
            rc.bottom = rcWindow.top;
            rc.top = rc.bottom - height;
        }
        if (right) {
            rc.left = rcWindow.left - width;
            rc.right = rcWindow.left;
        }
        if (below || right)
            break;
    }

    if (rc.bottom > rcWork.bottom) {
        rc.bottom = rc.top;
        rc.top = rc.bottom - height;
    }
    if (rc.right > rcWork.right) {
        rc.left = rcWindow.left - width;
        rc.right = rcWindow.left;
    }
    if (rc.top < rcWork.top) {
        rc.top = top.y;
        rc.bottom = rc.top + height;
    }
    if (rc.left < rcWork.left) {
        rc.left = rcWindow.right;
        rc.right = rc.left + width;
    }
    const RECT inset = m_pLayout->GetInset();
    ::MoveWindow(m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top + inset.top + inset.bottom, FALSE);
}

void CMenuWnd::OnKillFocus(HWND hWndFocus)
{
    const CStdPtrArray& receivers = GetGlobalContextMenuObserver().Receivers();
    for (int i = 0; i < receivers.GetSize(); ++i) {
        auto* pMenu = dynamic_cast<CMenuWnd*>(static_cast<MenuMenuReceiverImplBase*>(receivers.GetAt(i)));
        if (pMenu != nullptr && hWndFocus != nullptr && pMenu->GetHWND() == hWndFocus)
            return;  // the focus stays within the menus
    }
    GetGlobalContextMenuObserver().RBroadcast({ kCloseAll, m_hWnd });
}

BOOL CMenuWnd::Receive(ContextMenuParam param)
{
    if (param.wParam == kCloseAll) {
        Close(1);
    } else if (param.wParam == kCloseBelow) {
        for (HWND parent = ::GetParent(m_hWnd); parent != nullptr; parent = ::GetParent(parent)) {
            if (parent == param.hWnd) {
                Close(1);
                break;
            }
        }
    }
    return TRUE;
}

void CMenuWnd::Notify(TNotifyUI& msg)
{
    CPaintManagerUI* pMain = GetGlobalContextMenuObserver().GetManager();
    if (pMain != nullptr && (msg.sType == L"click" || msg.sType == L"valuechanged"))
        pMain->SendNotify(msg, false);
}

void CMenuWnd::GiveItemsBack()
{
    if (!m_bItemsBorrowed || m_pOwner == nullptr)
        return;
    m_bItemsBorrowed = false;
    if (m_pLayout != nullptr)
        m_pLayout->GetList()->RemoveAll();  // not their owner: nothing is freed
    m_pOwner->SetManager(m_pOwner->GetManager(), m_pOwner->GetParent(), false);
    m_pOwner->SetPos(m_pOwner->GetPos(), false);
}

LRESULT CMenuWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg) {
    case WM_CREATE:
        OnCreate();
        break;
    case WM_SIZE:
        ApplyRoundCornerRegion(m_hWnd, m_pm.GetRoundCorner());
        break;
    case WM_KILLFOCUS:
        OnKillFocus(reinterpret_cast<HWND>(wParam));
        break;
    case WM_CLOSE:
        if (m_pOwner != nullptr) {
            GiveItemsBack();
            m_pOwner->SetFocus();
        }
        break;
    case WM_DESTROY:
        // Owned windows go before their owner without a WM_CLOSE: the items come home here then.
        GiveItemsBack();
        break;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE || wParam == VK_LEFT)
            Close(1);
        break;
    case WM_CONTEXTMENU:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        return 0;
    default:
        break;
    }
    LRESULT lRes = 0;
    if (m_pm.MessageHandler(uMsg, wParam, lParam, lRes))
        return lRes;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void CMenuWnd::OnFinalMessage(HWND)
{
    RemoveObserver();
    if (m_pOwner != nullptr) {
        for (int i = 0; i < m_pOwner->GetCount(); ++i) {
            CControlUI* pItem = m_pOwner->GetItemAt(i);
            if (!IsMenuItem(pItem))
                continue;
            static_cast<CMenuElementUI*>(pItem)->SetOwner(m_pOwner->GetParent());
            pItem->SetVisible(false);
            pItem->SetInternVisible(false);
        }
        m_pOwner->m_pWindow = nullptr;
        m_pOwner->m_uButtonState &= ~kStatePushed;
        m_pOwner->Invalidate();
    }
    delete this;
}

}  // namespace SkinUI
