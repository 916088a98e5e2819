// The manager's life, its message dispatch, mouse and keyboard routing, focus and Tab order.

#include "ui/core/PaintManagerUI.h"

#include <cwctype>

#include "platform/GdiPlus.h"
#include "platform/WinBase.h"
#include "ui/core/ControlUI.h"

namespace SkinUI {

CStdPtrArray CPaintManagerUI::m_aPreMessages;

namespace {

struct TabSearchState {
    CControlUI* pFocus;
    CControlUI* pLast;
    bool bForward;
    bool bNextIsIt;
};

struct ShortcutSearchState {
    wchar_t ch;
    bool bPickNext;
};

POINT PointFromLParam(LPARAM lParam)
{
    return { static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) };
}

LPARAM LParamFromPoint(POINT pt)
{
    return static_cast<LPARAM>(static_cast<DWORD>(MAKELONG(static_cast<WORD>(pt.x), static_cast<WORD>(pt.y))));
}

WORD MapKeyState()
{
    WORD state = 0;
    if (::GetKeyState(VK_CONTROL) < 0)
        state |= MK_CONTROL;
    if (::GetKeyState(VK_LBUTTON) < 0)
        state |= MK_LBUTTON;
    if (::GetKeyState(VK_RBUTTON) < 0)
        state |= MK_RBUTTON;
    if (::GetKeyState(VK_SHIFT) < 0)
        state |= MK_SHIFT;
    if (::GetKeyState(VK_MENU) < 0)
        state |= MK_ALT;
    return state;
}

bool ClassContains(CControlUI* pControl, const wchar_t* part)
{
    const wchar_t* cls = pControl->GetClass();
    return cls && wcsstr(cls, part) != nullptr;
}

bool RemoveFirst(CStdPtrArray& list, void* item)
{
    const int index = list.Find(item);
    return index >= 0 && list.Remove(index);
}

}  // namespace

CPaintManagerUI::CPaintManagerUI()
{
    if (!m_bSharedInitDone)
        InitSharedResources();
    m_ResInfo.m_dwDefaultDisabledColor = m_SharedResInfo.m_dwDefaultDisabledColor;
    m_ResInfo.m_dwDefaultFontColor = m_SharedResInfo.m_dwDefaultFontColor;
    m_ResInfo.m_dwDefaultLinkFontColor = m_SharedResInfo.m_dwDefaultLinkFontColor;
    m_ResInfo.m_dwDefaultLinkHoverFontColor = m_SharedResInfo.m_dwDefaultLinkHoverFontColor;
    m_ResInfo.m_dwDefaultSelectedBkColor = m_SharedResInfo.m_dwDefaultSelectedBkColor;
    Gdiplus::GdiplusStartupInput input {};
    input.GdiplusVersion = 1;
    Gdiplus::GdiplusStartup(&m_gdiplusToken, &input, nullptr);
}

CPaintManagerUI::~CPaintManagerUI()
{
    for (int i = 0; i < m_aDelayedCleanup.GetSize(); ++i)
        delete static_cast<CControlUI*>(m_aDelayedCleanup[i]);
    m_aDelayedCleanup.Empty();
    for (int i = 0; i < m_aAsyncNotify.GetSize(); ++i)
        delete static_cast<TNotifyUI*>(m_aAsyncNotify[i]);
    m_aAsyncNotify.Empty();
    m_mNameHash.Resize(0);
    CControlUI* root = m_pRoot;
    m_pRoot = nullptr;
    delete root;  // the manager owns its tree
    ClearWindowTables();
    RemoveAllTimers();
    RemoveAllDrawInfos();
    if (m_ResInfo.m_DefaultFontInfo.hFont)
        ::DeleteObject(m_ResInfo.m_DefaultFontInfo.hFont);
    if (m_hwndTooltip)
        ::DestroyWindow(m_hwndTooltip);
    for (int i = 0; i < m_aFonts.GetSize(); ++i)
        ::RemoveFontMemResourceEx(m_aFonts[i]);
    DropOffscreen();
    if (m_hDcPaint)
        ::ReleaseDC(m_hWndPaint, m_hDcPaint);
    RemoveFirst(m_aPreMessages, this);
    if (m_hDragBitmap)
        ::DeleteObject(m_hDragBitmap);
    if (m_hWndPaint && ::IsWindow(m_hWndPaint))
        ::RevokeDragDrop(m_hWndPaint);
    Gdiplus::GdiplusShutdown(m_gdiplusToken);
    delete m_pDPI;
}

SIZE CPaintManagerUI::GetClientSize() const
{
    RECT rc {};
    ::GetClientRect(m_hWndPaint, &rc);
    return { rc.right - rc.left, rc.bottom - rc.top };
}

void CPaintManagerUI::SetInitSize(int cx, int cy)
{
    m_szInitWindowSize = { cx, cy };
    if (m_pRoot || !m_hWndPaint)
        return;
    ::SetWindowPos(m_hWndPaint, nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

void CPaintManagerUI::DeletePtr(void* ptr)
{
    ::operator delete(ptr);
}

void CPaintManagerUI::SendEvent(CControlUI* pControl, int type, POINT pt, WPARAM wParam, LPARAM lParam,
                                WORD keyState)
{
    TEventUI event;
    event.Type = type;
    event.pSender = pControl;
    event.dwTimestamp = ::GetTickCount();
    event.ptMouse = pt;
    event.wKeyState = keyState;
    event.wParam = wParam;
    event.lParam = lParam;
    pControl->Event(event);
}

void CPaintManagerUI::SendKeyEvent(CControlUI* pControl, int type, WPARAM wParam, LPARAM lParam)
{
    TEventUI event;
    event.Type = type;
    event.pSender = pControl;
    event.dwTimestamp = ::GetTickCount();
    event.ptMouse = m_ptLastMousePos;
    event.chKey = static_cast<WCHAR>(wParam);
    event.wKeyState = MapKeyState();
    event.wParam = wParam;
    event.lParam = lParam;
    pControl->Event(event);
}

// ---- Filters, accelerators, notifiers ----

bool CPaintManagerUI::AddMessageFilter(IMessageFilterUI* pFilter)
{
    return m_aMessageFilters.Add(pFilter);
}

bool CPaintManagerUI::RemoveMessageFilter(IMessageFilterUI* pFilter)
{
    return RemoveFirst(m_aMessageFilters, pFilter);
}

bool CPaintManagerUI::AddPreMessageFilter(IMessageFilterUI* pFilter)
{
    return m_aPreMessageFilters.Add(pFilter);
}

bool CPaintManagerUI::RemovePreMessageFilter(IMessageFilterUI* pFilter)
{
    return RemoveFirst(m_aPreMessageFilters, pFilter);
}

bool CPaintManagerUI::AddTranslateAccelerator(ITranslateAccelerator* pTranslateAccelerator)
{
    return m_aTranslateAccelerator.Add(pTranslateAccelerator);
}

bool CPaintManagerUI::RemoveTranslateAccelerator(ITranslateAccelerator* pTranslateAccelerator)
{
    return RemoveFirst(m_aTranslateAccelerator, pTranslateAccelerator);
}

bool CPaintManagerUI::AddNotifier(INotifyUI* pControl)
{
    return m_aNotifiers.Add(pControl);
}

bool CPaintManagerUI::RemoveNotifier(INotifyUI* pControl)
{
    return RemoveFirst(m_aNotifiers, pControl);
}

bool CPaintManagerUI::TranslateAcceleratorW(MSG* pMsg)
{
    for (int i = 0; i < m_aTranslateAccelerator.GetSize(); ++i) {
        if (static_cast<ITranslateAccelerator*>(m_aTranslateAccelerator[i])->TranslateAcceleratorW(pMsg) == 0)
            return true;
    }
    return false;
}

// ---- Message loop ----

bool CPaintManagerUI::TranslateMessage(const MSG* pMsg)
{
    const bool child = (::GetWindowLongPtr(pMsg->hwnd, GWL_STYLE) & WS_CHILD) != 0;
    LRESULT lRes = 0;
    if (child) {
        for (int i = 0; i < m_aPreMessages.GetSize(); ++i) {
            auto* manager = static_cast<CPaintManagerUI*>(m_aPreMessages[i]);
            for (HWND parent = ::GetParent(pMsg->hwnd); parent; parent = ::GetParent(parent)) {
                const HWND window = manager->GetPaintWindow();
                if (window != pMsg->hwnd && window != parent)
                    continue;
                if (manager->TranslateAcceleratorW(const_cast<MSG*>(pMsg)))
                    return true;
                manager->PreMessageHandler(pMsg->message, pMsg->wParam, pMsg->lParam, lRes);
            }
        }
        return false;
    }
    for (int i = 0; i < m_aPreMessages.GetSize(); ++i) {
        auto* manager = static_cast<CPaintManagerUI*>(m_aPreMessages[i]);
        if (manager->GetPaintWindow() != pMsg->hwnd)
            continue;
        return manager->TranslateAcceleratorW(const_cast<MSG*>(pMsg)) ||
               manager->PreMessageHandler(pMsg->message, pMsg->wParam, pMsg->lParam, lRes);
    }
    return false;
}

void CPaintManagerUI::MessageLoop()
{
    MSG msg {};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (TranslateMessage(&msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

bool CPaintManagerUI::PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& /*lRes*/)
{
    for (int i = 0; i < m_aPreMessageFilters.GetSize(); ++i) {
        bool handled = false;
        static_cast<IMessageFilterUI*>(m_aPreMessageFilters[i])->MessageHandler(uMsg, wParam, lParam, handled);
        if (handled)
            return true;
    }
    switch (uMsg) {
    case WM_KEYDOWN: {
        if (wParam != VK_TAB)
            return false;
        // A rich edit keeps the Tab it wants; a web view always keeps it.
        if (m_pFocus && m_pFocus->IsVisible() && m_pFocus->IsEnabled() &&
            ((ClassContains(m_pFocus, L"RichEditUI") && m_pFocus->IsWantTab()) || ClassContains(m_pFocus, L"WkeWebkitUI")))
            return false;
        m_bFocusFromKeyboard = true;
        SetNextTabControl(::GetKeyState(VK_SHIFT) >= 0);
        return true;
    }
    case WM_SYSKEYDOWN: {
        if (!m_pFocus)
            return false;
        TEventUI event;
        event.Type = UiEventSysKey;
        event.chKey = static_cast<WCHAR>(wParam);
        event.ptMouse = m_ptLastMousePos;
        event.wKeyState = MapKeyState();
        event.dwTimestamp = ::GetTickCount();
        m_pFocus->Event(event);
        return false;
    }
    case WM_SYSCHAR: {
        if (!m_pRoot)
            return false;
        ShortcutSearchState fs { static_cast<wchar_t>(std::towupper(static_cast<wint_t>(wParam))), false };
        CControlUI* control = m_pRoot->FindControl(__FindControlFromShortcut, &fs,
                                                   FindEnabled | FindMeFirst | FindTopFirst);
        if (!control)
            return false;
        control->SetFocus();
        control->Activate();
        return true;
    }
    default:
        return false;
    }
}

// ---- The window's messages ----

bool CPaintManagerUI::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes)
{
    if (!m_hWndPaint)
        return false;
    for (int i = 0; i < m_aMessageFilters.GetSize(); ++i) {
        bool handled = false;
        const LRESULT result =
            static_cast<IMessageFilterUI*>(m_aMessageFilters[i])->MessageHandler(uMsg, wParam, lParam, handled);
        if (handled) {
            lRes = result;
            return true;
        }
    }
    switch (uMsg) {
    case DeferredWorkMessage:
        DoDeferredWork();
        return false;
    case WM_CLOSE:
        OnClose();
        return false;
    case WM_ERASEBKGND:
        lRes = 1;
        return true;
    case WM_PAINT:
        OnPaint();
        return true;
    case WM_PRINTCLIENT:
        OnPrintClient(wParam, lParam);
        return false;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        if (!info)
            return false;
        if (m_szMinWindow.cx > 0)
            info->ptMinTrackSize.x = m_szMinWindow.cx;
        if (m_szMinWindow.cy > 0)
            info->ptMinTrackSize.y = m_szMinWindow.cy;
        if (m_szMaxWindow.cx > 0)
            info->ptMaxTrackSize.x = info->ptMaxSize.x = m_szMaxWindow.cx;
        if (m_szMaxWindow.cy > 0)
            info->ptMaxTrackSize.y = info->ptMaxSize.y = m_szMaxWindow.cy;
        return false;
    }
    case WM_MOVE:
        m_rectDump.Update(*this);
        return false;
    case WM_SHOWWINDOW:
        if (wParam == FALSE)
            m_rectDump.Remove();
        return false;
    case WM_SIZE:
        if (m_pFocus)
            SendEvent(m_pFocus, UiEventWindowSize, {}, 0, 0, 0);
        if (m_pRoot)
            m_pRoot->NeedUpdate();
        return true;
    case WM_TIMER:
        OnTimer(wParam);
        return false;
    case WM_SETFOCUS:
        if (m_pFocus)
            SendEvent(m_pFocus, UiEventSetFocus, {}, wParam, lParam, 0);
        return false;
    case WM_SETCURSOR: {
        if (LOWORD(lParam) != HTCLIENT)
            return false;
        if (m_bMouseCapture)
            return true;
        POINT pt {};
        ::GetCursorPos(&pt);
        ::ScreenToClient(m_hWndPaint, &pt);
        CControlUI* control = FindControl(pt);
        if (!control || (control->GetControlFlags() & ControlFlagSetCursor) == 0)
            return false;
        SendEvent(control, UiEventSetCursor, pt, wParam, lParam, MapKeyState());
        return true;
    }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!header)
            return false;
        lRes = ::SendMessage(header->hwndFrom, OCM__BASE + uMsg, wParam, lParam);
        return true;
    }
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        if (lParam == 0)
            return false;
        lRes = ::SendMessage(reinterpret_cast<HWND>(lParam), OCM__BASE + uMsg, wParam, lParam);
        return lRes != 0;
    case WM_KEYDOWN:
        if (m_pFocus) {
            SendKeyEvent(m_pFocus, UiEventKeyDown, wParam, lParam);
            m_pEventKey = m_pFocus;
        }
        return false;
    case WM_KEYUP:
        if (m_pEventKey) {
            CControlUI* control = m_pEventKey;
            m_pEventKey = nullptr;
            SendKeyEvent(control, UiEventKeyUp, wParam, lParam);
        }
        return false;
    case WM_CHAR:
        if (m_pFocus)
            SendKeyEvent(m_pFocus, UiEventChar, wParam, lParam);
        return false;
    default:
        return HandleMouseMessage(uMsg, wParam, lParam, lRes);
    }
}

bool CPaintManagerUI::HandleMouseMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& /*lRes*/)
{
    switch (uMsg) {
    case WM_MOUSEMOVE:
        OnMouseMove(wParam, lParam);
        return false;
    case WM_MOUSEHOVER:
        return OnMouseHover(wParam, lParam);
    case WM_MOUSELEAVE:
        OnMouseLeave();
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        m_bFocusFromKeyboard = false;
        OnButtonPress(uMsg, wParam, lParam);
        return false;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        OnButtonRelease(uMsg, wParam, lParam);
        return false;
    case WM_CONTEXTMENU:
        OnContextMenu(wParam, lParam);
        return false;
    case WM_MOUSEWHEEL:
        OnMouseWheel(wParam, lParam);
        return false;
    default:
        return false;
    }
}

void CPaintManagerUI::OnClose()
{
    const WORD keyState = MapKeyState();
    if (m_pEventHover) {
        CControlUI* hover = m_pEventHover;
        SendEvent(hover, UiEventMouseLeave, m_ptLastMousePos, 0, 0, keyState);
    }
    if (m_pEventClick) {
        CControlUI* pressed = m_pEventClick;
        SendEvent(pressed, UiEventButtonUp, m_ptLastMousePos, 0, 0, keyState);
    }
    SetFocus(nullptr);
    if (::GetActiveWindow() == m_hWndPaint) {
        const HWND owner = ::GetWindow(m_hWndPaint, GW_OWNER);
        if (owner)
            ::SetFocus(owner);
    }
    if (m_hwndTooltip) {
        ::DestroyWindow(m_hwndTooltip);
        m_hwndTooltip = nullptr;
    }
}

void CPaintManagerUI::OnTimer(WPARAM wParam)
{
    if (wParam == CaretTimerId) {
        if (m_bCaretActive || m_bCaretShowing) {
            Invalidate(m_rtCaret);
            m_bCaretShowing = !m_bCaretShowing;
        }
        return;
    }
    for (int i = 0; i < m_aTimers.GetSize(); ++i) {
        const auto* timer = static_cast<const TimerRecord*>(m_aTimers[i]);
        if (timer->hWnd != m_hWndPaint || timer->uWinTimer != LOWORD(wParam) || timer->bKilled)
            continue;
        TEventUI event;
        event.Type = UiEventTimer;
        event.pSender = timer->pSender;
        event.dwTimestamp = ::GetTickCount();
        event.ptMouse = m_ptLastMousePos;
        event.wKeyState = MapKeyState();
        event.wParam = timer->nLocalID;
        event.lParam = 0;
        timer->pSender->Event(event);
        return;
    }
}

CControlUI* CPaintManagerUI::PressTarget(POINT pt) const
{
    CControlUI* control = FindControl(pt);
    if (!control || control->GetManager() != this)
        return nullptr;
    return control;
}

void CPaintManagerUI::OnButtonPress(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    ::SetFocus(m_hWndPaint);
    const POINT pt = PointFromLParam(lParam);
    m_ptLastMousePos = pt;
    if (uMsg == WM_LBUTTONDBLCLK)
        SetCapture();
    CControlUI* control = PressTarget(pt);
    if (!control)
        return;
    const WORD keyState = static_cast<WORD>(wParam);
    if (uMsg == WM_LBUTTONDBLCLK) {
        m_pEventClick = control;
        SendEvent(control, UiEventDblClick, pt, wParam, lParam, keyState);
        return;
    }
    if (uMsg == WM_LBUTTONDOWN) {
        PrepareDrag(control);
        SetCapture();
        m_pEventClick = control;
        control->SetFocus();
        if (m_pEventClick == control)
            SendEvent(control, UiEventButtonDown, pt, wParam, lParam, keyState);
        return;
    }
    control->SetFocus();
    SetCapture();
    m_pEventClick = control;
    SendEvent(control, uMsg == WM_RBUTTONDOWN ? UiEventRButtonDown : UiEventMButtonDown, pt, wParam, lParam,
              keyState);
}

void CPaintManagerUI::OnButtonRelease(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    const POINT pt = PointFromLParam(lParam);
    m_ptLastMousePos = pt;
    ReleaseCapture();
    const WORD keyState = static_cast<WORD>(wParam);
    if (uMsg == WM_LBUTTONUP) {
        CControlUI* pressed = m_pEventClick;
        if (!pressed)
            return;
        m_pEventClick = nullptr;
        SendEvent(pressed, UiEventButtonUp, pt, wParam, lParam, keyState);
        return;
    }
    CControlUI* control = FindControl(pt);
    m_pEventClick = control;
    if (!control)
        return;
    SendEvent(control, uMsg == WM_RBUTTONUP ? UiEventRButtonUp : UiEventMButtonUp, pt, wParam, lParam, keyState);
}

void CPaintManagerUI::OnContextMenu(WPARAM wParam, LPARAM lParam)
{
    POINT pt = PointFromLParam(lParam);
    ::ScreenToClient(m_hWndPaint, &pt);
    m_ptLastMousePos = pt;
    CControlUI* pressed = m_pEventClick;
    if (!pressed)
        return;
    ReleaseCapture();
    m_pEventClick = nullptr;
    SendEvent(pressed, UiEventContextMenu, pt, wParam, reinterpret_cast<LPARAM>(pressed),
              static_cast<WORD>(wParam));
}

void CPaintManagerUI::OnMouseWheel(WPARAM wParam, LPARAM lParam)
{
    POINT pt = PointFromLParam(lParam);
    ::ScreenToClient(m_hWndPaint, &pt);
    m_ptLastMousePos = pt;
    CControlUI* control = PressTarget(pt);
    if (!control)
        return;
    const WPARAM down = GET_WHEEL_DELTA_WPARAM(wParam) < 0 ? 1 : 0;
    SendEvent(control, UiEventScrollWheel, pt, down, lParam, MapKeyState());
    // Hover states follow the content that scrolled under the pointer.
    ::SendMessage(m_hWndPaint, WM_MOUSEMOVE, 0, LParamFromPoint(m_ptLastMousePos));
}

void CPaintManagerUI::OnMouseMove(WPARAM wParam, LPARAM lParam)
{
    if (!m_bMouseTracking) {
        TRACKMOUSEEVENT tme {};
        tme.cbSize = sizeof(tme);
        tme.dwFlags = TME_HOVER | TME_LEAVE;
        tme.hwndTrack = m_hWndPaint;
        tme.dwHoverTime = m_hwndTooltip
            ? static_cast<DWORD>(::SendMessage(m_hwndTooltip, TTM_GETDELAYTIME, TTDT_INITIAL, 0))
            : 10;
        ::TrackMouseEvent(&tme);
        m_bMouseTracking = true;
    }
    const POINT pt = PointFromLParam(lParam);
    const bool moved = pt.x != m_ptLastMousePos.x || pt.y != m_ptLastMousePos.y;
    m_ptLastMousePos = pt;
    CControlUI* control = FindControl(pt);
    if (control && control->GetManager() != this)
        return;
    if (moved && m_bDragPending && wParam == MK_LBUTTON) {
        StartDrag();
        return;
    }
    if (control != m_pEventHover && m_pEventHover) {
        CControlUI* old = m_pEventHover;
        m_pEventHover = nullptr;
        SendEvent(old, UiEventMouseLeave, pt, wParam, lParam, 0);
        DeactivateTooltip();
        // A leave handler may have removed controls: look again.
        control = FindControl(pt);
        if (control && control->GetManager() != this)
            return;
    }
    if (control != m_pEventHover && control) {
        m_pEventHover = control;
        SendEvent(control, UiEventMouseEnter, pt, wParam, lParam, 0);
    }
    CControlUI* target = m_pEventClick ? m_pEventClick : m_pEventHover;
    if (target)
        SendEvent(target, UiEventMouseMove, pt, wParam, lParam, 0);
}

bool CPaintManagerUI::OnMouseHover(WPARAM wParam, LPARAM lParam)
{
    m_bMouseTracking = false;
    const POINT pt = PointFromLParam(lParam);
    CControlUI* control = FindControl(pt);
    if (!control)
        return false;
    if (m_pEventHover)
        SendEvent(m_pEventHover, UiEventMouseHover, pt, wParam, lParam, MapKeyState());
    control = FindControl(pt);
    if (control)
        ShowTooltip(control);
    return true;
}

void CPaintManagerUI::ShowTooltip(CControlUI* pControl)
{
    m_sToolTipText = pControl->GetToolTip();
    if (m_sToolTipText.IsEmpty())
        return;
    m_ToolTip = {};
    m_ToolTip.cbSize = 48;
    m_ToolTip.uFlags = TTF_IDISHWND;
    m_ToolTip.hwnd = m_hWndPaint;
    m_ToolTip.uId = reinterpret_cast<UINT_PTR>(m_hWndPaint);
    m_ToolTip.hinst = m_hInstance;
    m_ToolTip.lpszText = const_cast<LPWSTR>(m_sToolTipText.GetData());
    m_ToolTip.rect = pControl->GetPos();
    const LPARAM info = reinterpret_cast<LPARAM>(&m_ToolTip);
    if (!m_hwndTooltip) {
        m_hwndTooltip = ::CreateWindowEx(0, TOOLTIPS_CLASS, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWndPaint,
                                         nullptr, m_hInstance, nullptr);
        if (!m_hwndTooltip)
            return;
        ::SendMessage(m_hwndTooltip, TTM_ADDTOOLW, 0, info);
        ::SendMessage(m_hwndTooltip, TTM_SETMAXTIPWIDTH, 0, pControl->GetToolTipWidth());
    }
    if (::IsWindowVisible(m_hwndTooltip))
        return;
    ::SendMessage(m_hwndTooltip, TTM_SETTOOLINFOW, 0, info);
    ::SendMessage(m_hwndTooltip, TTM_TRACKACTIVATE, TRUE, info);
}

void CPaintManagerUI::DeactivateTooltip()
{
    if (m_hwndTooltip)
        ::SendMessage(m_hwndTooltip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&m_ToolTip));
}

void CPaintManagerUI::OnMouseLeave()
{
    DeactivateTooltip();
    if (!m_bMouseTracking)
        return;
    POINT pt {};
    ::GetCursorPos(&pt);
    RECT rc {};
    ::GetWindowRect(m_hWndPaint, &rc);
    const bool inside = !::IsIconic(m_hWndPaint) && ::GetActiveWindow() == m_hWndPaint && ::PtInRect(&rc, pt) &&
                        ::SendMessage(m_hWndPaint, WM_NCHITTEST, 0, LParamFromPoint(pt)) == HTCLIENT;
    if (inside) {
        ::ScreenToClient(m_hWndPaint, &pt);
        ::SendMessage(m_hWndPaint, WM_MOUSEMOVE, 0, LParamFromPoint(pt));
    } else {
        ::SendMessage(m_hWndPaint, WM_MOUSEMOVE, 0, static_cast<LPARAM>(-1));
    }
    m_bMouseTracking = false;
}

// ---- Focus and capture ----

void CPaintManagerUI::SetCapture()
{
    ::SetCapture(m_hWndPaint);
    m_bMouseCapture = true;
}

void CPaintManagerUI::ReleaseCapture()
{
    ::ReleaseCapture();
    m_bMouseCapture = false;
    m_bDragPending = false;
}

void CPaintManagerUI::SetFocus(CControlUI* pControl)
{
    if (::GetFocus() != m_hWndPaint && pControl != m_pFocus)
        ::SetFocus(m_hWndPaint);
    if (pControl == m_pFocus)
        return;
    if (m_pFocus) {
        CControlUI* old = m_pFocus;
        TEventUI event;
        event.Type = UiEventKillFocus;
        event.pSender = pControl;  // the control that gains the focus
        event.dwTimestamp = ::GetTickCount();
        old->Event(event);
        if (m_pFocus == old) {
            SendNotify(old, L"killfocus");
            m_pFocus = nullptr;
        }
    }
    if (!pControl)
        return;
    if (pControl->GetManager() != this || !pControl->IsVisible() || !pControl->IsEnabled())
        return;
    m_pFocus = pControl;
    TEventUI event;
    event.Type = UiEventSetFocus;
    event.pSender = pControl;
    event.dwTimestamp = ::GetTickCount();
    pControl->Event(event);
    if (m_pFocus == pControl)
        SendNotify(pControl, L"setfocus");
}

void CPaintManagerUI::SetFocusNeeded(CControlUI* pControl)
{
    ::SetFocus(m_hWndPaint);
    if (!pControl)
        return;
    if (m_pFocus) {
        CControlUI* old = m_pFocus;
        TEventUI event;
        event.Type = UiEventKillFocus;
        event.pSender = pControl;
        event.dwTimestamp = ::GetTickCount();
        old->Event(event);
        if (m_pFocus == old)
            SendNotify(old, L"killfocus");
        m_pFocus = nullptr;
    }
    TabSearchState info { pControl, nullptr, false, false };
    m_pFocus = m_pRoot ? m_pRoot->FindControl(__FindControlFromTab, &info, FindVisible | FindEnabled | FindMeFirst)
                       : nullptr;
    m_bFocusNeeded = true;
    if (m_pRoot)
        m_pRoot->NeedUpdate();
}

bool CPaintManagerUI::SetNextTabControl(bool bForward)
{
    if (m_bUpdateNeeded && bForward) {
        m_bFocusNeeded = true;
        ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
        return true;
    }
    if (!m_pRoot)
        return true;
    const UINT flags = FindVisible | FindEnabled | FindMeFirst;
    TabSearchState info1 { m_pFocus, nullptr, bForward, false };
    CControlUI* control = m_pRoot->FindControl(__FindControlFromTab, &info1, flags);
    if (!control) {
        if (bForward) {
            TabSearchState info2 { nullptr, nullptr, true, false };
            control = m_pRoot->FindControl(__FindControlFromTab, &info2, flags);
        } else {
            control = info1.pLast;
        }
    }
    if (control)
        SetFocus(control);
    m_bFocusNeeded = false;
    return true;
}

CControlUI* CPaintManagerUI::__FindControlFromTab(CControlUI* pThis, void* pData)
{
    auto* info = static_cast<TabSearchState*>(pData);
    if (pThis == info->pFocus) {
        if (info->bForward)
            info->bNextIsIt = true;
        return info->bForward ? nullptr : info->pLast;
    }
    if ((pThis->GetControlFlags() & ControlFlagTabStop) == 0)
        return nullptr;
    info->pLast = pThis;
    if (info->bNextIsIt || !info->pFocus)
        return pThis;
    return nullptr;
}

CControlUI* CPaintManagerUI::__FindControlFromShortcut(CControlUI* pThis, void* pData)
{
    if (!pThis->IsVisible())
        return nullptr;
    auto* fs = static_cast<ShortcutSearchState*>(pData);
    if (static_cast<wchar_t>(std::towupper(static_cast<wint_t>(pThis->GetShortcut()))) == fs->ch)
        fs->bPickNext = true;
    if (ClassContains(pThis, L"LabelUI"))
        return nullptr;
    return fs->bPickNext ? pThis : nullptr;
}

}  // namespace SkinUI
