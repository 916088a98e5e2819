// Showing, moving, sizing and stacking windows; coordinates; monitors, DPI and system metrics.

#include "platform/WinBase.h"
#include "platform/WinGdi.h"
#include "platform/gdi/Region.h"
#include "platform/window/UserInternal.h"

#include <algorithm>
#include <cstdlib>

using platform::Window;
using platform::WindowManager;

namespace platform {

Window* TopLevelAt(WindowManager& wm, POINT screen)
{
    for (Window* window : wm.topLevels) {
        if (!window->visible || (window->style & WS_MINIMIZE) || (window->exStyle & WS_EX_TRANSPARENT))
            continue;
        if (screen.x < window->rect.left || screen.x >= window->rect.right || screen.y < window->rect.top
            || screen.y >= window->rect.bottom)
            continue;
        const int x = screen.x - window->rect.left, y = screen.y - window->rect.top;
        if (window->region && !PtInRegion(window->region, x, y))
            continue;
        // A per-pixel layered window lets the mouse through where it is fully transparent.
        if (window->layer == LayerMode::PerPixel && window->buffer && window->buffer->Data()) {
            const unsigned char* px = window->buffer->Data() + static_cast<size_t>(y) * window->buffer->Stride() + x * 4;
            if (px[3] == 0)
                continue;
        }
        return window;
    }
    return nullptr;
}

Window* ChildAt(Window* window, POINT client)
{
    for (Window* child : window->children) {
        if (!child->visible || (child->exStyle & WS_EX_TRANSPARENT))
            continue;
        if (client.x >= child->rect.left && client.x < child->rect.right && client.y >= child->rect.top
            && client.y < child->rect.bottom)
            return ChildAt(child, { client.x - child->rect.left, client.y - child->rect.top });
    }
    return window;
}

}  // namespace platform

namespace {

HMONITOR MonitorHandle(int index) { return index < 0 ? nullptr : reinterpret_cast<HMONITOR>(static_cast<uintptr_t>(index + 1)); }
int MonitorIndex(HMONITOR monitor) { return static_cast<int>(reinterpret_cast<uintptr_t>(monitor)) - 1; }

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void Restack(WindowManager& wm, Window* window, HWND after)
{
    if (!window->parent) {
        if (after == HWND_TOPMOST) {
            window->exStyle |= WS_EX_TOPMOST;
            wm.RaiseTopLevel(window, true);
        } else if (after == HWND_NOTOPMOST) {
            window->exStyle &= ~WS_EX_TOPMOST;
            wm.RaiseTopLevel(window, true);
        } else if (after == HWND_TOP) {
            wm.RaiseTopLevel(window, true);
        } else if (after == HWND_BOTTOM) {
            wm.topLevels.erase(std::remove(wm.topLevels.begin(), wm.topLevels.end(), window), wm.topLevels.end());
            wm.topLevels.push_back(window);
        } else if (Window* below = wm.Find(after); below && !below->parent && below != window) {
            wm.PlaceTopLevel(window, below);
        }
        return;
    }
    auto& siblings = window->parent->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
    auto at = siblings.begin();
    if (after == HWND_BOTTOM)
        at = siblings.end();
    else if (Window* below = wm.Find(after); below && below->parent == window->parent)
        at = std::find(siblings.begin(), siblings.end(), below) + 1;
    siblings.insert(at, window);
    wm.Invalidate(window, nullptr, true, true);
}

struct PosResult {
    bool found = false, moved = false, sized = false, shown = false, hidden = false, restacked = false, top = false;
};

PosResult ApplyPosLocked(WindowManager& wm, const WINDOWPOS& pos, UINT flags)
{
    PosResult r;
    Window* window = wm.Find(pos.hwnd);
    if (!window)
        return r;
    r.found = true;
    r.top = !window->parent && !window->messageOnly;
    const RECT old = window->rect;
    RECT next = old;
    if (!(flags & SWP_NOMOVE))
        next = platform::RectOffset(next, pos.x - old.left, pos.y - old.top);
    if (!(flags & SWP_NOSIZE)) {
        next.right = next.left + std::max(0, pos.cx);
        next.bottom = next.top + std::max(0, pos.cy);
    }
    r.moved = next.left != old.left || next.top != old.top;
    r.sized = (flags & platform::kSwpForceSize) || next.right - next.left != old.right - old.left
        || next.bottom - next.top != old.bottom - old.top;
    window->rect = next;
    if (!(window->style & (WS_MINIMIZE | WS_MAXIMIZE)))
        window->normalRect = next;
    if (r.top && window->buffer && !window->buffer->Fits(window->Width(), window->Height()))
        window->buffer = std::make_unique<platform::BackBuffer>(window->Width(), window->Height());
    if ((flags & SWP_SHOWWINDOW) && !window->visible) {
        window->visible = r.shown = true;
        if (r.top && !(flags & SWP_NOZORDER))
            wm.RaiseTopLevel(window, true);
    }
    if ((flags & SWP_HIDEWINDOW) && window->visible) {
        window->visible = false;
        r.hidden = true;
    }
    if (!(flags & SWP_NOZORDER) && !r.shown) {
        Restack(wm, window, pos.hwndInsertAfter);
        r.restacked = true;
    }
    const bool redrawAll = r.shown || (r.sized && (window->cls->style & (CS_HREDRAW | CS_VREDRAW)));
    if (redrawAll || (flags & SWP_FRAMECHANGED))
        wm.Invalidate(window, nullptr, true, true);
    else if (r.sized) {
        // Only what the window gained needs painting.
        const RECT right { old.right - old.left, 0, window->Width(), window->Height() };
        const RECT bottom { 0, old.bottom - old.top, window->Width(), window->Height() };
        wm.Invalidate(window, &right, true, true);
        wm.Invalidate(window, &bottom, true, true);
    }
    if (r.sized || (r.moved && window->parent))
        platform::PlaceWindowDCsLocked(wm);
    if (window->parent && (r.moved || r.sized || r.shown || r.hidden)) {
        wm.Invalidate(window->parent, &old, true, false);
        wm.Invalidate(window->parent, &window->rect, true, true);
        if (r.moved && !redrawAll)
            wm.Invalidate(window, nullptr, true, true);
    }
    if (r.top) {
        unsigned what = 0;
        what |= (r.moved || r.sized) ? unsigned(platform::ChangeGeometry) : 0u;
        what |= (r.shown || r.hidden) ? unsigned(platform::ChangeVisibility) : 0u;
        what |= (r.restacked || r.shown) ? unsigned(platform::ChangeZOrder) : 0u;
        if (what)
            wm.backend->TopLevelChanged(*window, what);
        // Without a compositing manager a translucent window carries what lay below it: it is
        // presented again where it now lies.
        if ((window->exStyle & WS_EX_LAYERED) && window->layer != platform::LayerMode::None && (r.moved || r.sized))
            platform::PresentLocked(wm, window, { 0, 0, window->Width(), window->Height() });
    }
    return r;
}

}  // namespace

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    WindowManager& wm = WindowManager::Get();
    WINDOWPOS pos { hwnd, insertAfter, x, y, cx, cy, flags & ~platform::kSwpForceSize };
    {
        std::unique_lock lock(wm.lock);
        Window* window = wm.Find(hwnd);
        if (!window) {
            lock.unlock();
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        if (flags & SWP_NOMOVE) {
            pos.x = window->rect.left;
            pos.y = window->rect.top;
        }
        if (flags & SWP_NOSIZE) {
            pos.cx = window->Width();
            pos.cy = window->Height();
        }
    }
    if (!(flags & SWP_NOSENDCHANGING))
        SendMessage(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    PosResult r;
    {
        std::lock_guard guard(wm.lock);
        r = ApplyPosLocked(wm, pos, flags);
    }
    if (!r.found)
        return FALSE;
    if (flags & SWP_FRAMECHANGED) {
        NCCALCSIZE_PARAMS params {};
        GetWindowRect(hwnd, &params.rgrc[0]);
        params.lppos = &pos;
        SendMessage(hwnd, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params));
    }
    if (r.top && !(flags & SWP_NOACTIVATE) && IsWindowVisible(hwnd) && (r.shown || r.restacked))
        platform::ActivateWindow(hwnd, false);
    if (r.moved || r.sized || r.shown || r.hidden || r.restacked || (flags & SWP_FRAMECHANGED)) {
        pos.flags = flags & ~(platform::kSwpForceSize | SWP_NOMOVE | SWP_NOSIZE);
        if (!r.moved)
            pos.flags |= SWP_NOMOVE;
        if (!r.sized)
            pos.flags |= SWP_NOSIZE;
        SendMessage(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    }
    if (r.hidden)
        platform::DeactivateIfGone(hwnd);
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint)
{
    return SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND hwnd) { return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

namespace {

RECT MaximizedRect(HWND hwnd)
{
    WindowManager& wm = WindowManager::Get();
    MONITORINFO info { sizeof(info), {}, {}, 0 };
    GetMonitorInfo(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &info);
    MINMAXINFO mmi {};
    mmi.ptMaxPosition = { info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top };
    mmi.ptMaxSize = { info.rcWork.right - info.rcWork.left, info.rcWork.bottom - info.rcWork.top };
    mmi.ptMaxTrackSize = { GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN) };
    SendMessage(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    (void)wm;
    // The position is relative to the window's monitor, as for a window on the primary one.
    const int x = info.rcMonitor.left + mmi.ptMaxPosition.x, y = info.rcMonitor.top + mmi.ptMaxPosition.y;
    return { x, y, x + mmi.ptMaxSize.x, y + mmi.ptMaxSize.y };
}

// Sets or clears WS_MINIMIZE / WS_MAXIMIZE; returns the rectangle to restore to.
RECT SetSizeState(HWND hwnd, DWORD set)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    if (!window)
        return {};
    if (!(window->style & (WS_MINIMIZE | WS_MAXIMIZE)))
        window->normalRect = window->rect;
    window->style = (window->style & ~(WS_MINIMIZE | WS_MAXIMIZE)) | set;
    if (!window->parent && !window->messageOnly)
        wm.backend->TopLevelChanged(*window, platform::ChangeStyle);
    return window->normalRect;
}

DWORD SizeState(HWND hwnd)
{
    return static_cast<DWORD>(GetWindowLongPtr(hwnd, GWL_STYLE)) & (WS_MINIMIZE | WS_MAXIMIZE);
}

void ActivateNextAfter(HWND hwnd)
{
    WindowManager& wm = WindowManager::Get();
    HWND next = nullptr;
    {
        std::lock_guard guard(wm.lock);
        if (wm.active != hwnd)
            return;
        Window* window = wm.Find(hwnd);
        if (window && window->owner && window->owner->visible)
            next = window->owner->handle;
        for (Window* other : wm.topLevels)
            if (!next && other->visible && other->handle != hwnd && !(other->style & WS_MINIMIZE))
                next = other->handle;
    }
    platform::ActivateWindow(next, false);
}

}  // namespace

BOOL ShowWindow(HWND hwnd, int cmd)
{
    if (const auto foreign = platform::ForeignShowWindow(hwnd, cmd))
        return *foreign;
    if (!IsWindow(hwnd))
        return FALSE;
    const BOOL wasVisible = IsWindowVisible(hwnd) || (GetWindowLongPtr(hwnd, GWL_STYLE) & WS_VISIBLE);
    const DWORD state = SizeState(hwnd);
    UINT flags = SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE;
    RECT rect {};
    bool activate = false;
    switch (cmd) {
    case SW_HIDE:
        if (!wasVisible)
            return FALSE;
        SendMessage(hwnd, WM_SHOWWINDOW, FALSE, 0);
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, flags | SWP_HIDEWINDOW | SWP_NOACTIVATE);
        return wasVisible;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
    case SW_FORCEMINIMIZE:
        if (!(state & WS_MINIMIZE)) {
            SetSizeState(hwnd, WS_MINIMIZE);
            flags |= platform::kSwpForceSize;
        }
        break;
    case SW_MAXIMIZE:
        if (!(state & WS_MAXIMIZE)) {
            SetSizeState(hwnd, WS_MAXIMIZE);
            rect = MaximizedRect(hwnd);
            flags = (flags & ~(SWP_NOMOVE | SWP_NOSIZE)) | SWP_FRAMECHANGED | platform::kSwpForceSize;
        }
        activate = true;
        break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
    case SW_SHOWNOACTIVATE:
        if (state) {
            rect = SetSizeState(hwnd, 0);
            flags = (flags & ~(SWP_NOMOVE | SWP_NOSIZE)) | SWP_FRAMECHANGED | platform::kSwpForceSize;
        }
        activate = cmd != SW_SHOWNOACTIVATE;
        break;
    case SW_SHOW:
        activate = true;
        break;
    default:  // SW_SHOWNA
        break;
    }
    if (!wasVisible)
        SendMessage(hwnd, WM_SHOWWINDOW, TRUE, 0);
    SetWindowPos(hwnd, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 flags | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    const bool minimized = SizeState(hwnd) & WS_MINIMIZE;
    if (minimized)
        ActivateNextAfter(hwnd);
    else if (activate && !(GetWindowLongPtr(hwnd, GWL_STYLE) & WS_CHILD))
        platform::ActivateWindow(hwnd, false);
    return wasVisible;
}

BOOL IsWindowVisible(HWND hwnd)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    for (; window; window = window->parent)
        if (!window->visible)
            return FALSE;
    return wm.Find(hwnd) != nullptr;
}

BOOL IsIconic(HWND hwnd)
{
    if (const auto foreign = platform::ForeignIsIconic(hwnd))
        return *foreign;
    return (SizeState(hwnd) & WS_MINIMIZE) != 0;
}
BOOL IsZoomed(HWND hwnd) { return (SizeState(hwnd) & WS_MAXIMIZE) != 0; }

BOOL EnableWindow(HWND hwnd, BOOL enable)
{
    WindowManager& wm = WindowManager::Get();
    bool wasDisabled = false, changed = false, loseFocus = false;
    {
        std::lock_guard guard(wm.lock);
        Window* window = wm.Find(hwnd);
        if (!window)
            return FALSE;
        wasDisabled = window->style & WS_DISABLED;
        changed = wasDisabled == static_cast<bool>(enable);
        if (enable)
            window->style &= ~WS_DISABLED;
        else
            window->style |= WS_DISABLED;
        if (changed && !window->parent && window->native)
            wm.backend->TopLevelChanged(*window, platform::ChangeStyle);  // whether its popups may hold the pointer
        Window* focus = wm.Find(wm.focus);
        for (Window* w = focus; w && !enable; w = w->parent)
            loseFocus = loseFocus || w == window;
    }
    if (loseFocus)
        SetFocus(nullptr);
    if (changed)
        SendMessage(hwnd, WM_ENABLE, enable, 0);
    return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    return window && !(window->style & WS_DISABLED);
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect)
{
    if (!rect)
        return FALSE;
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    if (hwnd == GetDesktopWindow()) {
        *rect = wm.Monitors().front().rect;
        return TRUE;
    }
    Window* window = wm.Find(hwnd);
    if (!window)
        return FALSE;
    const POINT origin = wm.ClientOriginOnScreen(window);
    *rect = { origin.x, origin.y, origin.x + window->Width(), origin.y + window->Height() };
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect)
{
    if (!rect)
        return FALSE;
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    if (hwnd == GetDesktopWindow()) {
        const RECT screen = wm.Monitors().front().rect;
        *rect = { 0, 0, screen.right - screen.left, screen.bottom - screen.top };
        return TRUE;
    }
    Window* window = wm.Find(hwnd);
    if (!window)
        return FALSE;
    // A minimised window has no client area.
    *rect = (window->style & WS_MINIMIZE) ? RECT {} : RECT { 0, 0, window->Width(), window->Height() };
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT point)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    if (!window || !point)
        return FALSE;
    const POINT origin = wm.ClientOriginOnScreen(window);
    point->x += origin.x;
    point->y += origin.y;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT point)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    if (!window || !point)
        return FALSE;
    const POINT origin = wm.ClientOriginOnScreen(window);
    point->x -= origin.x;
    point->y -= origin.y;
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* a = wm.Find(from);
    Window* b = wm.Find(to);
    const POINT oa = a ? wm.ClientOriginOnScreen(a) : POINT {};
    const POINT ob = b ? wm.ClientOriginOnScreen(b) : POINT {};
    const int dx = oa.x - ob.x, dy = oa.y - ob.y;
    for (UINT i = 0; points && i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD, BOOL, DWORD) { return rect ? TRUE : FALSE; }
BOOL AdjustWindowRect(LPRECT rect, DWORD, BOOL) { return rect ? TRUE : FALSE; }

HWND WindowFromPoint(POINT point)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* top = platform::TopLevelAt(wm, point);
    if (!top)
        return nullptr;
    return platform::ChildAt(top, { point.x - top->rect.left, point.y - top->rect.top })->handle;
}

HWND ChildWindowFromPoint(HWND parent, POINT point)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(parent);
    if (!window || point.x < 0 || point.y < 0 || point.x >= window->Width() || point.y >= window->Height())
        return nullptr;
    for (Window* child : window->children)
        if (point.x >= child->rect.left && point.x < child->rect.right && point.y >= child->rect.top && point.y < child->rect.bottom)
            return child->handle;
    return parent;
}

BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    if (!window || !placement)
        return FALSE;
    placement->flags = 0;
    placement->showCmd = (window->style & WS_MINIMIZE) ? SW_SHOWMINIMIZED
        : (window->style & WS_MAXIMIZE)                 ? SW_SHOWMAXIMIZED
        : window->visible                               ? SW_SHOWNORMAL
                                                        : SW_HIDE;
    placement->ptMinPosition = { -1, -1 };
    placement->ptMaxPosition = { -1, -1 };
    placement->rcNormalPosition = window->normalRect;
    return TRUE;
}

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom)
{
    if (!rect)
        return FALSE;
    *rect = { left, top, right, bottom };
    return TRUE;
}

BOOL SetRectEmpty(LPRECT rect) { return SetRect(rect, 0, 0, 0, 0); }

BOOL CopyRect(LPRECT dst, const RECT* src)
{
    if (!dst || !src)
        return FALSE;
    *dst = *src;
    return TRUE;
}

BOOL IsRectEmpty(const RECT* rect) { return !rect || platform::RectEmpty(*rect); }

BOOL EqualRect(const RECT* a, const RECT* b) { return a && b && SameRect(*a, *b); }

BOOL PtInRect(const RECT* rect, POINT p)
{
    return rect && p.x >= rect->left && p.x < rect->right && p.y >= rect->top && p.y < rect->bottom;
}

BOOL OffsetRect(LPRECT rect, int dx, int dy)
{
    if (!rect)
        return FALSE;
    *rect = platform::RectOffset(*rect, dx, dy);
    return TRUE;
}

BOOL InflateRect(LPRECT rect, int dx, int dy)
{
    if (!rect)
        return FALSE;
    *rect = { rect->left - dx, rect->top - dy, rect->right + dx, rect->bottom + dy };
    return TRUE;
}

BOOL IntersectRect(LPRECT dst, const RECT* a, const RECT* b)
{
    if (!dst || !a || !b)
        return FALSE;
    *dst = platform::RectIntersect(*a, *b);
    return !platform::RectEmpty(*dst);
}

BOOL UnionRect(LPRECT dst, const RECT* a, const RECT* b)
{
    if (!dst || !a || !b)
        return FALSE;
    *dst = platform::RectUnion(*a, *b);
    return !platform::RectEmpty(*dst);
}

BOOL SubtractRect(LPRECT dst, const RECT* a, const RECT* b)
{
    if (!dst || !a || !b)
        return FALSE;
    *dst = *a;
    const RECT cut = platform::RectIntersect(*a, *b);
    // Only a cut across a whole side leaves a rectangle.
    if (cut.top == a->top && cut.bottom == a->bottom) {
        if (cut.left == a->left)
            dst->left = cut.right;
        else if (cut.right == a->right)
            dst->right = cut.left;
    } else if (cut.left == a->left && cut.right == a->right) {
        if (cut.top == a->top)
            dst->top = cut.bottom;
        else if (cut.bottom == a->bottom)
            dst->bottom = cut.top;
    }
    return !platform::RectEmpty(*dst);
}

HMONITOR MonitorFromPoint(POINT point, DWORD flags)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    const int index = wm.MonitorIndexAt(point, flags == MONITOR_DEFAULTTONEAREST);
    return MonitorHandle(index < 0 && flags == MONITOR_DEFAULTTOPRIMARY ? 0 : index);
}

HMONITOR MonitorFromRect(const RECT* rect, DWORD flags)
{
    if (!rect)
        return nullptr;
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    const int index = wm.MonitorIndexOfRect(*rect, flags == MONITOR_DEFAULTTONEAREST);
    return MonitorHandle(index < 0 && flags == MONITOR_DEFAULTTOPRIMARY ? 0 : index);
}

HMONITOR MonitorFromWindow(HWND hwnd, DWORD flags)
{
    RECT rect {};
    if (!GetWindowRect(GetAncestor(hwnd, GA_ROOT), &rect))
        return flags == MONITOR_DEFAULTTONULL ? nullptr : MonitorHandle(0);
    if (IsIconic(hwnd)) {
        WindowManager& wm = WindowManager::Get();
        std::lock_guard guard(wm.lock);
        if (Window* window = wm.Find(GetAncestor(hwnd, GA_ROOT)))
            rect = window->normalRect;
    }
    return MonitorFromRect(&rect, flags);
}

BOOL GetMonitorInfo(HMONITOR monitor, LPMONITORINFO info)
{
    if (!info)
        return FALSE;
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    const std::vector<platform::MonitorDesc> monitors = wm.Monitors();
    const int index = MonitorIndex(monitor);
    if (index < 0 || index >= static_cast<int>(monitors.size()))
        return FALSE;
    info->rcMonitor = monitors[static_cast<size_t>(index)].rect;
    info->rcWork = monitors[static_cast<size_t>(index)].work;
    info->dwFlags = index == 0 ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
}

HRESULT GetDpiForMonitor(HMONITOR monitor, MONITOR_DPI_TYPE, UINT* dpiX, UINT* dpiY)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    const std::vector<platform::MonitorDesc> monitors = wm.Monitors();
    const int index = MonitorIndex(monitor);
    if (index < 0 || index >= static_cast<int>(monitors.size()) || !dpiX || !dpiY)
        return E_INVALIDARG;
    *dpiX = *dpiY = monitors[static_cast<size_t>(index)].dpi;
    return S_OK;
}

namespace {
std::atomic<int> g_awareness { PROCESS_PER_MONITOR_DPI_AWARE };
}

HRESULT GetProcessDpiAwareness(HANDLE, PROCESS_DPI_AWARENESS* awareness)
{
    if (!awareness)
        return E_INVALIDARG;
    *awareness = static_cast<PROCESS_DPI_AWARENESS>(g_awareness.load());
    return S_OK;
}

HRESULT SetProcessDpiAwareness(PROCESS_DPI_AWARENESS awareness)
{
    g_awareness = awareness;
    return S_OK;
}

UINT GetDpiForWindow(HWND hwnd)
{
    UINT x = 96, y = 96;
    GetDpiForMonitor(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), MDT_EFFECTIVE_DPI, &x, &y);
    return x;
}

int GetSystemMetrics(int index)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    const std::vector<platform::MonitorDesc> monitors = wm.Monitors();
    RECT all {};
    for (const platform::MonitorDesc& m : monitors)
        all = platform::RectUnion(all, m.rect);
    const RECT& primary = monitors.front().rect;
    const RECT& work = monitors.front().work;
    switch (index) {
    case SM_CXSCREEN: return primary.right - primary.left;
    case SM_CYSCREEN: return primary.bottom - primary.top;
    case SM_CXFULLSCREEN: case SM_CXMAXIMIZED: return work.right - work.left;
    case SM_CYFULLSCREEN: case SM_CYMAXIMIZED: return work.bottom - work.top;
    case SM_XVIRTUALSCREEN: return all.left;
    case SM_YVIRTUALSCREEN: return all.top;
    case SM_CXVIRTUALSCREEN: return all.right - all.left;
    case SM_CYVIRTUALSCREEN: return all.bottom - all.top;
    case SM_CMONITORS: return static_cast<int>(monitors.size());
    case SM_CXVSCROLL: case SM_CYHSCROLL: return 17;
    case SM_CYCAPTION: return 23;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXFRAME: case SM_CYFRAME: return 4;
    case SM_CXICON: case SM_CYICON: case SM_CXCURSOR: case SM_CYCURSOR: return 32;
    case SM_CXSMICON: case SM_CYSMICON: return 16;
    case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: case SM_CXDRAG: case SM_CYDRAG: return 4;
    default: return 0;
    }
}

BOOL SystemParametersInfo(UINT action, UINT, PVOID value, UINT)
{
    if (action != SPI_GETWORKAREA || !value)
        return FALSE;
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    *static_cast<RECT*>(value) = wm.Monitors().front().work;
    return TRUE;
}
