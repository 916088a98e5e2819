// The default answers to window messages, as the framework relies on them: closing destroys,
// a right-button release asks for a context menu, system commands minimise, maximise, restore,
// close, move and size, and a press on a caption or border starts moving or sizing.

#include "platform/window/Icon.h"
#include "platform/window/UserInternal.h"

#include <algorithm>
#include <cwchar>

using platform::Window;
using platform::WindowManager;

namespace {

HWND ParentOf(HWND hwnd)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    return window && window->parent ? window->parent->handle : nullptr;
}

// Keeps the window's big or small icon and shows it on the desktop; the previous one is returned.
LRESULT SetIcon(HWND hwnd, WPARAM kind, LPARAM icon)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    if (!window || window->parent)
        return 0;
    HICON& slot = window->icons[kind == ICON_BIG ? ICON_BIG : ICON_SMALL];
    const HICON old = slot;
    slot = reinterpret_cast<HICON>(icon);
    const HICON shown = window->icons[ICON_BIG] ? window->icons[ICON_BIG] : window->icons[ICON_SMALL];
    const auto pixels = platform::IconPixels(shown);
    wm.backend->SetProgramIcon(pixels ? *pixels : std::vector<unsigned long> {});
    return reinterpret_cast<LRESULT>(old);
}

LRESULT GetText(HWND hwnd, WPARAM size, LPARAM buffer)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    auto* out = reinterpret_cast<wchar_t*>(buffer);
    if (!window || !out || size == 0)
        return 0;
    const size_t n = std::min<size_t>(size - 1, window->title.size());
    std::wmemcpy(out, window->title.c_str(), n);
    out[n] = 0;
    return static_cast<LRESULT>(n);
}

LRESULT SetText(HWND hwnd, LPARAM text)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    if (!window)
        return FALSE;
    window->title = text ? reinterpret_cast<const wchar_t*>(text) : L"";
    if (!window->parent && !window->messageOnly)
        wm.backend->TopLevelChanged(*window, platform::ChangeTitle);
    return TRUE;
}

LRESULT TextLength(HWND hwnd)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    return window ? static_cast<LRESULT>(window->title.size()) : 0;
}

// Hit-test codes of the borders, in the order of the WMSZ_ edges.
int EdgeOfHitTest(LRESULT hit)
{
    switch (hit) {
    case HTLEFT: return WMSZ_LEFT;
    case HTRIGHT: return WMSZ_RIGHT;
    case HTTOP: return WMSZ_TOP;
    case HTTOPLEFT: return WMSZ_TOPLEFT;
    case HTTOPRIGHT: return WMSZ_TOPRIGHT;
    case HTBOTTOM: return WMSZ_BOTTOM;
    case HTBOTTOMLEFT: return WMSZ_BOTTOMLEFT;
    case HTBOTTOMRIGHT: return WMSZ_BOTTOMRIGHT;
    default: return 0;
    }
}

LRESULT SysCommand(HWND hwnd, WPARAM wParam)
{
    const WPARAM command = wParam & 0xFFF0;
    switch (command) {
    case SC_CLOSE:
        return SendMessage(hwnd, WM_CLOSE, 0, 0);
    case SC_MINIMIZE:
        ShowWindow(hwnd, SW_MINIMIZE);
        return 0;
    case SC_MAXIMIZE:
        ShowWindow(hwnd, SW_MAXIMIZE);
        return 0;
    case SC_RESTORE:
        ShowWindow(hwnd, SW_RESTORE);
        return 0;
    case SC_MOVE:
        platform::MoveSizeLoop(hwnd, 0);
        return 0;
    case SC_SIZE:
        platform::MoveSizeLoop(hwnd, static_cast<int>(wParam & 0xF));
        return 0;
    default:
        return 0;
    }
}

LRESULT SetCursorDefault(HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    // A parent gets the first say over its children's cursor.
    if (HWND parent = ParentOf(hwnd); parent && SendMessage(parent, WM_SETCURSOR, wParam, lParam))
        return TRUE;
    const int hit = static_cast<SHORT>(LOWORD(static_cast<uintptr_t>(lParam)));
    LPCWSTR shape = IDC_ARROW;
    switch (hit) {
    case HTCLIENT: {
        WindowManager& wm = WindowManager::Get();
        HCURSOR classCursor = nullptr;
        {
            std::lock_guard guard(wm.lock);
            if (Window* window = wm.Find(hwnd))
                classCursor = window->cls->cursor;
        }
        if (!classCursor)
            return FALSE;
        SetCursor(classCursor);
        return TRUE;
    }
    case HTLEFT: case HTRIGHT: shape = IDC_SIZEWE; break;
    case HTTOP: case HTBOTTOM: shape = IDC_SIZENS; break;
    case HTTOPLEFT: case HTBOTTOMRIGHT: shape = IDC_SIZENWSE; break;
    case HTTOPRIGHT: case HTBOTTOMLEFT: shape = IDC_SIZENESW; break;
    default: break;
    }
    SetCursor(LoadCursor(nullptr, shape));
    return FALSE;
}

void DefaultPaint(HWND hwnd)
{
    PAINTSTRUCT ps;
    if (BeginPaint(hwnd, &ps))
        EndPaint(hwnd, &ps);
}

}  // namespace

LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_NCCREATE: {
        auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (cs && cs->lpszName)
            SetText(hwnd, reinterpret_cast<LPARAM>(cs->lpszName));
        return TRUE;
    }
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_SETTEXT:
        return SetText(hwnd, lParam);
    case WM_GETTEXT:
        return GetText(hwnd, wParam, lParam);
    case WM_GETTEXTLENGTH:
        return TextLength(hwnd);
    case WM_PAINT:
        DefaultPaint(hwnd);
        return 0;
    case WM_NCHITTEST:
        return HTCLIENT;
    case WM_NCACTIVATE:
        return TRUE;
    case WM_ACTIVATE:
        // An activated window takes the keyboard focus unless it already holds it inside.
        if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) {
            HWND focus = GetFocus();
            if (focus != hwnd && !IsChild(hwnd, focus))
                SetFocus(hwnd);
        }
        return 0;
    case WM_MOUSEACTIVATE:
        if (HWND parent = ParentOf(hwnd)) {
            const LRESULT answer = SendMessage(parent, WM_MOUSEACTIVATE, wParam, lParam);
            if (answer)
                return answer;
        }
        return MA_ACTIVATE;
    case WM_SETCURSOR:
        return SetCursorDefault(hwnd, wParam, lParam);
    case WM_RBUTTONUP: {
        POINT pt { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
        ClientToScreen(hwnd, &pt);
        SendMessage(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd),
                    MAKELPARAM(static_cast<WORD>(pt.x), static_cast<WORD>(pt.y)));
        return 0;
    }
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
        if (HWND parent = ParentOf(hwnd))
            return SendMessage(parent, msg, wParam, lParam);
        return 0;
    case WM_SYSCOMMAND:
        return SysCommand(hwnd, wParam);
    case WM_NCLBUTTONDOWN: {
        const LRESULT hit = static_cast<LRESULT>(wParam);
        if (hit == HTCAPTION)
            SendMessage(hwnd, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, lParam);
        else if (const int edge = EdgeOfHitTest(hit))
            SendMessage(hwnd, WM_SYSCOMMAND, SC_SIZE | static_cast<WPARAM>(edge), lParam);
        return 0;
    }
    case WM_NCLBUTTONDBLCLK:
        if (static_cast<LRESULT>(wParam) == HTCAPTION)
            SendMessage(hwnd, WM_SYSCOMMAND, IsZoomed(hwnd) ? SC_RESTORE : SC_MAXIMIZE, lParam);
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4 && (lParam & (static_cast<LPARAM>(KF_ALTDOWN) << 16)))
            SendMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_IME_CHAR:
        // A program that does not take input-method characters gets them as WM_CHAR.
        PostMessage(hwnd, WM_CHAR, wParam, lParam);
        return 0;
    case WM_WINDOWPOSCHANGED: {
        auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (!pos)
            return 0;
        if (!(pos->flags & SWP_NOMOVE)) {
            RECT r {};
            GetWindowRect(hwnd, &r);
            POINT origin { r.left, r.top };
            if (HWND parent = ParentOf(hwnd))
                ScreenToClient(parent, &origin);
            SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(origin.x), static_cast<WORD>(origin.y)));
        }
        if (!(pos->flags & SWP_NOSIZE)) {
            RECT client {};
            GetClientRect(hwnd, &client);
            const WPARAM kind = IsIconic(hwnd) ? SIZE_MINIMIZED : IsZoomed(hwnd) ? SIZE_MAXIMIZED : SIZE_RESTORED;
            SendMessage(hwnd, WM_SIZE, kind, MAKELPARAM(static_cast<WORD>(client.right), static_cast<WORD>(client.bottom)));
        }
        return 0;
    }
    case WM_PRINT:
        if (lParam & PRF_CLIENT)
            SendMessage(hwnd, WM_PRINTCLIENT, wParam, lParam);
        return 0;
    case WM_SETICON:
        return SetIcon(hwnd, wParam, lParam);
    case WM_ERASEBKGND:
    case WM_NCCALCSIZE:
    case WM_NCPAINT:
    case WM_GETICON:
    default:
        return 0;
    }
}
