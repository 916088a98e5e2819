#include "ui/core/WindowWnd.h"

#include <cwchar>

#include "ui/core/ControlUI.h"
#include "ui/core/PaintManagerUI.h"

namespace SkinUI {

void ApplyRoundCornerRegion(HWND hWnd, SIZE corner)
{
    if (::IsIconic(hWnd))
        return;
    RECT rcWnd {};
    ::GetWindowRect(hWnd, &rcWnd);
    HRGN region = ::CreateRoundRectRgn(0, 0, rcWnd.right - rcWnd.left + 1, rcWnd.bottom - rcWnd.top + 1, corner.cx,
                                       corner.cy);
    ::SetWindowRgn(hWnd, region, TRUE);  // the window owns the region from here
}

namespace {

constexpr const wchar_t* kObjectProperty = L"WndX";

int RoundUpTo16(int value)
{
    return (value + 15) & ~15;
}

}  // namespace

// ---- CNotifyPump ----------------------------------------------------------------------------

const UI_MSGMAP_ENTRY CNotifyPump::_messageEntries[] = {
    { L"", L"", UISig_end, nullptr, nullptr },
};

const UI_MSGMAP CNotifyPump::messageMap = { nullptr, &CNotifyPump::_messageEntries[0] };

CNotifyPump::CNotifyPump() = default;

const UI_MSGMAP* CNotifyPump::GetMessageMap() const
{
    return &CNotifyPump::messageMap;
}

bool CNotifyPump::AddVirtualWnd(const CUIString& strName, CNotifyPump* pObject)
{
    if (m_VirtualWndMap.Find(strName.GetData()) != nullptr)
        return false;
    return m_VirtualWndMap.Insert(strName.GetData(), pObject);
}

bool CNotifyPump::RemoveVirtualWnd(const CUIString& strName)
{
    if (m_VirtualWndMap.Find(strName.GetData()) == nullptr)
        return false;
    return m_VirtualWndMap.Remove(strName.GetData());
}

void CNotifyPump::NotifyPump(TNotifyUI& msg)
{
    if (!msg.sVirtualWnd.IsEmpty()) {
        for (int i = 0; i < m_VirtualWndMap.GetSize(); ++i) {
            const wchar_t* key = m_VirtualWndMap.GetAt(i);
            if (key == nullptr || msg.sVirtualWnd.CompareNoCase(key) != 0)
                continue;
            auto* pump = static_cast<CNotifyPump*>(m_VirtualWndMap.Find(key, false));
            if (pump != nullptr && pump->LoopDispatch(msg))
                return;
        }
    }
    LoopDispatch(msg);
}

// An exact (type, sender name) row wins at once; otherwise the last row of the type that takes
// any sender.
const UI_MSGMAP_ENTRY* CNotifyPump::FindEntry(const UI_MSGMAP_ENTRY* entries, TNotifyUI& msg)
{
    const CUIString senderName = msg.pSender->GetName();
    const UI_MSGMAP_ENTRY* anySender = nullptr;
    for (const UI_MSGMAP_ENTRY* entry = entries; entry->nSig != UISig_end; ++entry) {
        if (msg.sType != entry->sMsgType)
            continue;
        if (entry->sCtrlName[0] == L'\0')
            anySender = entry;
        else if (senderName == entry->sCtrlName)
            return entry;
    }
    return anySender;
}

bool CNotifyPump::LoopDispatch(TNotifyUI& msg)
{
    if (msg.pSender == nullptr)
        return false;
    for (const UI_MSGMAP* map = GetMessageMap(); map != nullptr;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        const UI_MSGMAP_ENTRY* entry = FindEntry(map->lpEntries, msg);
        if (entry == nullptr)
            continue;
        switch (entry->nSig) {
        case UISig_lwl:
            entry->pfnWL(this, msg.wParam, msg.lParam);
            return true;
        case UISig_vn:
            entry->pfn(this, msg);
            return true;
        default:
            return false;
        }
    }
    return false;
}

// ---- CWindowWnd -----------------------------------------------------------------------------

CWindowWnd::CWindowWnd() : m_OldWndProc(::DefWindowProc) {}

const wchar_t* CWindowWnd::GetSuperClassName() const
{
    return nullptr;
}

UINT CWindowWnd::GetClassStyle() const
{
    return 0;
}

bool CWindowWnd::RegisterWindowClass()
{
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.style = GetClassStyle();
    wc.lpfnWndProc = CWindowWnd::__WndProc;
    wc.hInstance = CPaintManagerUI::GetInstance();
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = GetWindowClassName();
    return ::RegisterClassEx(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWindowWnd::RegisterSuperclass()
{
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    if (!::GetClassInfoEx(nullptr, GetSuperClassName(), &wc)
        && !::GetClassInfoEx(CPaintManagerUI::GetInstance(), GetSuperClassName(), &wc))
        return false;
    m_OldWndProc = wc.lpfnWndProc;
    wc.lpfnWndProc = CWindowWnd::__ControlProc;
    wc.hInstance = CPaintManagerUI::GetInstance();
    wc.lpszClassName = GetWindowClassName();
    return ::RegisterClassEx(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CWindowWnd::Create(HWND hwndParent, const wchar_t* pstrName, DWORD dwStyle, DWORD dwExStyle, const RECT rc,
                        HMENU hMenu)
{
    return Create(hwndParent, pstrName, dwStyle, dwExStyle, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                  hMenu);
}

HWND CWindowWnd::Create(HWND hwndParent, const wchar_t* pstrName, DWORD dwStyle, DWORD dwExStyle, int x, int y, int cx,
                        int cy, HMENU hMenu)
{
    const bool registered = GetSuperClassName() != nullptr ? RegisterSuperclass() : RegisterWindowClass();
    if (!registered)
        return nullptr;
    m_hWnd = ::CreateWindowEx(dwExStyle, GetWindowClassName(), pstrName, dwStyle, x, y, cx, cy, hwndParent, hMenu,
                              CPaintManagerUI::GetInstance(), this);
    if (m_hWnd != nullptr)
        CPaintManagerUI::AddLanguageNotifier(m_hWnd);
    return m_hWnd;
}

HWND CWindowWnd::CreateSkinWindow(HWND hwndParent, const wchar_t* pstrName, DWORD dwStyle, DWORD dwExStyle)
{
    return Create(hwndParent, pstrName, dwStyle, dwExStyle, 0, 0, 0, 0, nullptr);
}

HWND CWindowWnd::Subclass(HWND hWnd)
{
    const LONG_PTR old = ::SetWindowLongPtr(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CWindowWnd::__WndProc));
    if (old == 0)
        return nullptr;
    m_OldWndProc = reinterpret_cast<WNDPROC>(old);
    m_bSubclassed = true;
    m_hWnd = hWnd;
    ::SetWindowLongPtr(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return m_hWnd;
}

void CWindowWnd::Unsubclass()
{
    if (!::IsWindow(m_hWnd) || !m_bSubclassed)
        return;
    ::SetWindowLongPtr(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_OldWndProc));
    m_OldWndProc = ::DefWindowProc;
    m_bSubclassed = false;
}

void CWindowWnd::ShowWindow(bool bShow, bool bTakeFocus)
{
    if (!::IsWindow(m_hWnd))
        return;
    ::ShowWindow(m_hWnd, bShow ? (bTakeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

UINT CWindowWnd::ShowModal()
{
    if (!::IsWindow(m_hWnd))
        return 0;
    UINT nRet = 0;
    HWND hWndParent = ::GetWindow(m_hWnd, GW_OWNER);
    ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
    if (hWndParent != nullptr)
        ::EnableWindow(hWndParent, FALSE);
    MSG msg {};
    bool quit = false;
    while (::IsWindow(m_hWnd)) {
        if (!::GetMessage(&msg, nullptr, 0, 0)) {
            quit = true;
            break;
        }
        if (msg.message == WM_CLOSE && msg.hwnd == m_hWnd) {
            nRet = static_cast<UINT>(msg.wParam);
            if (hWndParent != nullptr) {
                ::EnableWindow(hWndParent, TRUE);
                ::SetFocus(hWndParent);
            }
        }
        if (!CPaintManagerUI::TranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessage(&msg);
        }
    }
    if (hWndParent != nullptr) {
        ::EnableWindow(hWndParent, TRUE);
        ::SetFocus(hWndParent);
    }
    if (quit)
        ::PostQuitMessage(static_cast<int>(msg.wParam));  // the enclosing loop must end too
    return nRet;
}

void CWindowWnd::Close(UINT nRet)
{
    if (!::IsWindow(m_hWnd))
        return;
    CPaintManagerUI::DelLanguageNotifier(m_hWnd);
    ::PostMessage(m_hWnd, WM_CLOSE, static_cast<WPARAM>(nRet), 0);
}

void CWindowWnd::CenterWindow()
{
    if (!::IsWindow(m_hWnd))
        return;
    RECT rcDlg {};
    ::GetWindowRect(m_hWnd, &rcDlg);
    HWND hWndOwner = ::GetWindow(m_hWnd, GW_OWNER);
    MONITORINFO info {};
    info.cbSize = sizeof(info);
    ::GetMonitorInfo(::MonitorFromWindow(hWndOwner ? hWndOwner : m_hWnd, MONITOR_DEFAULTTONEAREST), &info);
    const RECT rcWork = info.rcWork;
    RECT rcCenter = rcWork;
    if (hWndOwner != nullptr)
        ::GetWindowRect(hWndOwner, &rcCenter);

    const int width = rcDlg.right - rcDlg.left;
    const int height = rcDlg.bottom - rcDlg.top;
    int x = (rcCenter.left + rcCenter.right) / 2 - width / 2;
    int y = (rcCenter.top + rcCenter.bottom) / 2 - height / 2;
    if (x < rcWork.left)
        x = rcWork.left;
    else if (x + width > rcWork.right)
        x = rcWork.right - width;
    if (y < rcWork.top)
        y = rcWork.top;
    else if (y + height > rcWork.bottom)
        y = rcWork.bottom - height;
    ::SetWindowPos(m_hWnd, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::SetIcon(UINT nRes)
{
    const int cx = RoundUpTo16(::GetSystemMetrics(SM_CXICON));
    const int cy = RoundUpTo16(::GetSystemMetrics(SM_CYICON));
    HANDLE big = ::LoadImage(CPaintManagerUI::GetInstance(), MAKEINTRESOURCE(nRes), IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR);
    ::SendMessage(m_hWnd, WM_SETICON, 1, reinterpret_cast<LPARAM>(big));
    HANDLE small = ::LoadImage(CPaintManagerUI::GetInstance(), MAKEINTRESOURCE(nRes), IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR);
    ::SendMessage(m_hWnd, WM_SETICON, 0, reinterpret_cast<LPARAM>(small));
}

LRESULT CWindowWnd::SendMessageW(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessage(m_hWnd, uMsg, wParam, lParam);
}

LRESULT CWindowWnd::PostMessageW(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return ::PostMessage(m_hWnd, uMsg, wParam, lParam);
}

void CWindowWnd::ResizeClient(int cx, int cy)
{
    RECT rc {};
    if (!::GetClientRect(m_hWnd, &rc))
        return;
    if (cx != -1)
        rc.right = cx;
    if (cy != -1)
        rc.bottom = cy;
    const DWORD style = static_cast<DWORD>(::GetWindowLong(m_hWnd, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLong(m_hWnd, GWL_EXSTYLE));
    if (!::AdjustWindowRectEx(&rc, style, FALSE, exStyle))  // our windows carry no menu bars
        return;
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

LRESULT CWindowWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    return ::CallWindowProc(m_OldWndProc, m_hWnd, uMsg, wParam, lParam);
}

void CWindowWnd::OnFinalMessage(HWND) {}

// WM_NCDESTROY: default handling first, then the object lets go of the window for good.
LRESULT CWindowWnd::FinalMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    const LRESULT lRes = ::CallWindowProc(m_OldWndProc, hWnd, uMsg, wParam, lParam);
    if (m_bSubclassed)
        Unsubclass();
    m_hWnd = nullptr;
    OnFinalMessage(hWnd);
    return lRes;
}

LRESULT CALLBACK CWindowWnd::__WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CWindowWnd* pThis = nullptr;
    if (uMsg == WM_NCCREATE) {
        auto* lpcs = reinterpret_cast<LPCREATESTRUCT>(lParam);
        pThis = static_cast<CWindowWnd*>(lpcs->lpCreateParams);
        pThis->m_hWnd = hWnd;
        ::SetWindowLongPtr(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pThis));
    } else {
        pThis = reinterpret_cast<CWindowWnd*>(::GetWindowLongPtr(hWnd, GWLP_USERDATA));
        if (uMsg == WM_NCDESTROY && pThis != nullptr) {
            ::SetWindowLongPtr(hWnd, GWLP_USERDATA, 0);
            return pThis->FinalMessage(hWnd, uMsg, wParam, lParam);
        }
    }
    if (pThis != nullptr)
        return pThis->HandleMessage(uMsg, wParam, lParam);
    return ::DefWindowProc(hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK CWindowWnd::__ControlProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CWindowWnd* pThis = nullptr;
    if (uMsg == WM_NCCREATE) {
        auto* lpcs = reinterpret_cast<LPCREATESTRUCT>(lParam);
        pThis = static_cast<CWindowWnd*>(lpcs->lpCreateParams);
        ::SetProp(hWnd, kObjectProperty, static_cast<HANDLE>(pThis));
        pThis->m_hWnd = hWnd;
    } else {
        pThis = static_cast<CWindowWnd*>(::GetProp(hWnd, kObjectProperty));
        if (uMsg == WM_NCDESTROY && pThis != nullptr) {
            ::RemoveProp(hWnd, kObjectProperty);
            return pThis->FinalMessage(hWnd, uMsg, wParam, lParam);
        }
    }
    if (pThis != nullptr)
        return pThis->HandleMessage(uMsg, wParam, lParam);
    return ::DefWindowProc(hWnd, uMsg, wParam, lParam);
}

// ---- UI__TraceMsg ---------------------------------------------------------------------------

const wchar_t* UI__TraceMsg(UINT uMsg)
{
#define UI_MSG_NAME(x) \
    case x:            \
        return L## #x;
    switch (uMsg) {
        UI_MSG_NAME(WM_SETCURSOR)
        UI_MSG_NAME(WM_NCHITTEST)
        UI_MSG_NAME(WM_NCPAINT)
        UI_MSG_NAME(WM_PAINT)
        UI_MSG_NAME(WM_ERASEBKGND)
        UI_MSG_NAME(WM_NCMOUSEMOVE)
        UI_MSG_NAME(WM_MOUSEMOVE)
        UI_MSG_NAME(WM_MOUSELEAVE)
        UI_MSG_NAME(WM_MOUSEHOVER)
        UI_MSG_NAME(WM_NOTIFY)
        UI_MSG_NAME(WM_COMMAND)
        UI_MSG_NAME(WM_MEASUREITEM)
        UI_MSG_NAME(WM_DRAWITEM)
        UI_MSG_NAME(WM_LBUTTONDOWN)
        UI_MSG_NAME(WM_LBUTTONUP)
        UI_MSG_NAME(WM_LBUTTONDBLCLK)
        UI_MSG_NAME(WM_RBUTTONDOWN)
        UI_MSG_NAME(WM_RBUTTONUP)
        UI_MSG_NAME(WM_RBUTTONDBLCLK)
        UI_MSG_NAME(WM_SETFOCUS)
        UI_MSG_NAME(WM_KILLFOCUS)
        UI_MSG_NAME(WM_MOVE)
        UI_MSG_NAME(WM_SIZE)
        UI_MSG_NAME(WM_SIZING)
        UI_MSG_NAME(WM_MOVING)
        UI_MSG_NAME(WM_GETMINMAXINFO)
        UI_MSG_NAME(WM_CAPTURECHANGED)
        UI_MSG_NAME(WM_WINDOWPOSCHANGED)
        UI_MSG_NAME(WM_WINDOWPOSCHANGING)
        UI_MSG_NAME(WM_NCCALCSIZE)
        UI_MSG_NAME(WM_NCCREATE)
        UI_MSG_NAME(WM_NCDESTROY)
        UI_MSG_NAME(WM_TIMER)
        UI_MSG_NAME(WM_KEYDOWN)
        UI_MSG_NAME(WM_KEYUP)
        UI_MSG_NAME(WM_CHAR)
        UI_MSG_NAME(WM_SYSKEYDOWN)
        UI_MSG_NAME(WM_SYSKEYUP)
        UI_MSG_NAME(WM_SYSCOMMAND)
        UI_MSG_NAME(WM_SYSCHAR)
        UI_MSG_NAME(WM_VSCROLL)
        UI_MSG_NAME(WM_HSCROLL)
        UI_MSG_NAME(WM_SHOWWINDOW)
        UI_MSG_NAME(WM_PARENTNOTIFY)
        UI_MSG_NAME(WM_CREATE)
        UI_MSG_NAME(WM_NCACTIVATE)
        UI_MSG_NAME(WM_ACTIVATE)
        UI_MSG_NAME(WM_ACTIVATEAPP)
        UI_MSG_NAME(WM_CLOSE)
        UI_MSG_NAME(WM_DESTROY)
        UI_MSG_NAME(WM_GETICON)
        UI_MSG_NAME(WM_GETTEXT)
        UI_MSG_NAME(WM_GETTEXTLENGTH)
    default:
        break;
    }
#undef UI_MSG_NAME
    static wchar_t szMsg[10];
    std::swprintf(szMsg, sizeof(szMsg) / sizeof(szMsg[0]), L"0x%04X", uMsg);
    return szMsg;
}

}  // namespace SkinUI
