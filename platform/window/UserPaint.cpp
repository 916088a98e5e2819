// Painting: device contexts on a window's back buffer, the invalid area and WM_PAINT, window
// regions, and layered windows.

#include "platform/WinBase.h"
#include "platform/WinGdi.h"
#include "platform/gdi/CairoPtr.h"
#include "platform/gdi/SurfaceDC.h"
#include "platform/window/UserInternal.h"

#include <algorithm>
#include <map>

using platform::Window;
using platform::WindowManager;

namespace {

// A window DC handed out and not yet released or ended. A DC from GetDC covers the whole window
// and follows it when it moves or resizes; one from BeginPaint stays on its update area.
struct HeldDC {
    HWND hwnd = nullptr;
    bool follows = false;
};

// Window DCs with their window (guarded by the lock).
std::map<HDC, HeldDC>& WindowDCs()
{
    static std::map<HDC, HeldDC> dcs;
    return dcs;
}

// The area of the top-level buffer where `window`'s client area can be seen (lock held).
RECT VisibleInTop(WindowManager& wm, Window* window)
{
    const POINT offset = wm.OffsetInTop(window);
    RECT visible { offset.x, offset.y, offset.x + window->Width(), offset.y + window->Height() };
    for (Window* up = window->parent; up; up = up->parent) {
        const POINT o = wm.OffsetInTop(up);
        visible = platform::RectIntersect(visible, { o.x, o.y, o.x + up->Width(), o.y + up->Height() });
    }
    return visible;
}

// A DC for windows without pixels (no window, message-only windows): one small surface.
HDC ScratchDC()
{
    static cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    return platform::CreateSurfaceDC(surface, 0, 0, { 0, 0, 1, 1 });
}

HDC WindowDC(HWND hwnd, const RECT* onlyClient)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    if (!hwnd || hwnd == GetDesktopWindow())
        return ScratchDC();
    if (!window)
        return nullptr;
    Window* top = wm.TopLevelOf(window);
    if (!top->buffer) {
        HDC dc = ScratchDC();
        WindowDCs()[dc] = { hwnd, false };
        return dc;
    }
    const POINT offset = wm.OffsetInTop(window);
    RECT clip = VisibleInTop(wm, window);
    if (onlyClient)
        clip = platform::RectIntersect(clip, platform::RectOffset(*onlyClient, offset.x, offset.y));
    HDC dc = platform::CreateSurfaceDC(top->buffer->Surface(), offset.x, offset.y, clip);
    if (dc)
        WindowDCs()[dc] = { hwnd, !onlyClient };
    return dc;
}

// Shows on screen what was drawn through a window DC (lock held).
void PresentDrawn(WindowManager& wm, HWND hwnd, const RECT* area)
{
    Window* window = wm.Find(hwnd);
    if (!window)
        return;
    Window* top = wm.TopLevelOf(window);
    const POINT offset = wm.OffsetInTop(window);
    RECT dirty = VisibleInTop(wm, window);
    if (area)
        dirty = platform::RectIntersect(dirty, platform::RectOffset(*area, offset.x, offset.y));
    platform::PresentLocked(wm, top, dirty);
}

// Replaces the pixels of `target` (width x height) with those of `source` from `from` on.
void CopyPixels(cairo_surface_t* target, cairo_surface_t* source, POINT from, int width, int height)
{
    {
        const platform::CairoPtr<cairo_t> owned(cairo_create(target));
        cairo_t* cr = owned.get();
        cairo_rectangle(cr, 0, 0, width, height);
        cairo_clip(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_surface(cr, source, -from.x, -from.y);
        cairo_paint(cr);
    }
    cairo_surface_flush(target);
}

}  // namespace

namespace platform {

void PlaceWindowDCsLocked(WindowManager& wm)
{
    for (const auto& [dc, held] : WindowDCs()) {
        Window* window = held.follows ? wm.Find(held.hwnd) : nullptr;
        if (!window || !wm.TopLevelOf(window)->buffer)
            continue;
        const POINT offset = wm.OffsetInTop(window);
        platform::PlaceSurfaceDC(dc, offset.x, offset.y, VisibleInTop(wm, window));
    }
}

void PresentLocked(WindowManager& wm, Window* top, const RECT& dirty)
{
    if (!top || !top->buffer || !top->visible)
        return;
    const RECT area = RectIntersect(dirty, { 0, 0, top->Width(), top->Height() });
    if (!RectEmpty(area))
        wm.backend->Present(*top, area);
}

}  // namespace platform

HDC GetDC(HWND hwnd) { return WindowDC(hwnd, nullptr); }

HDC GetWindowDC(HWND hwnd) { return WindowDC(hwnd, nullptr); }

int ReleaseDC(HWND, HDC hdc)
{
    if (!hdc)
        return 0;
    WindowManager& wm = WindowManager::Get();
    {
        std::lock_guard guard(wm.lock);
        auto it = WindowDCs().find(hdc);
        if (it != WindowDCs().end()) {
            PresentDrawn(wm, it->second.hwnd, nullptr);
            WindowDCs().erase(it);
        }
    }
    platform::DeleteSurfaceDC(hdc);
    return 1;
}

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT ps)
{
    if (!ps)
        return nullptr;
    *ps = {};
    WindowManager& wm = WindowManager::Get();
    RECT update {};
    bool erase = false;
    {
        std::lock_guard guard(wm.lock);
        Window* window = wm.Find(hwnd);
        if (!window)
            return nullptr;
        update = window->update;
        erase = window->erase;
        window->update = {};
        window->erase = false;
    }
    HDC dc = WindowDC(hwnd, &update);
    if (!dc)
        return nullptr;
    ps->hdc = dc;
    ps->rcPaint = update;
    ps->fErase = erase && !SendMessage(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps)
{
    if (!ps || !ps->hdc)
        return FALSE;
    WindowManager& wm = WindowManager::Get();
    {
        std::lock_guard guard(wm.lock);
        WindowDCs().erase(ps->hdc);
        PresentDrawn(wm, hwnd, &ps->rcPaint);
    }
    platform::DeleteSurfaceDC(ps->hdc);
    return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    if (!hwnd || hwnd == GetDesktopWindow()) {
        for (Window* window : wm.topLevels)
            wm.Invalidate(window, nullptr, erase, true);
        return TRUE;
    }
    Window* window = wm.Find(hwnd);
    if (!window)
        return FALSE;
    wm.Invalidate(window, rect, erase, true);
    return TRUE;
}

BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase)
{
    if (!region)
        return InvalidateRect(hwnd, nullptr, erase);
    RECT box {};
    GetRgnBox(region, &box);
    return InvalidateRect(hwnd, &box, erase);
}

BOOL ValidateRect(HWND hwnd, const RECT* rect)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    if (!window)
        return FALSE;
    if (!rect) {
        window->update = {};
        window->erase = false;
        return TRUE;
    }
    // The invalid area is kept as one rectangle: a validation trims whole sides off it.
    RECT rest {};
    if (SubtractRect(&rest, &window->update, rect))
        window->update = rest;
    else if (platform::RectEmpty(rest))
        window->update = {};
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    if (!window)
        return FALSE;
    if (rect)
        *rect = window->update;
    return !platform::RectEmpty(window->update);
}

BOOL UpdateWindow(HWND hwnd)
{
    WindowManager& wm = WindowManager::Get();
    std::vector<HWND> pending;
    {
        std::lock_guard guard(wm.lock);
        Window* window = wm.Find(hwnd);
        if (!window)
            return FALSE;
        std::vector<Window*> walk { window };
        for (size_t i = 0; i < walk.size(); ++i) {
            if (!walk[i]->visible)
                continue;
            if (!platform::RectEmpty(walk[i]->update))
                pending.push_back(walk[i]->handle);
            walk.insert(walk.end(), walk[i]->children.begin(), walk[i]->children.end());
        }
    }
    for (HWND each : pending)
        if (GetUpdateRect(each, nullptr, FALSE))
            SendMessage(each, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, UINT flags)
{
    RECT box {};
    if (region && GetRgnBox(region, &box))
        rect = &box;
    if (flags & RDW_INVALIDATE)
        InvalidateRect(hwnd, rect, (flags & RDW_ERASE) != 0);
    if (flags & RDW_VALIDATE)
        ValidateRect(hwnd, rect);
    if (flags & (RDW_UPDATENOW | RDW_ERASENOW))
        UpdateWindow(hwnd);
    return TRUE;
}

int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    if (!window)
        return 0;
    if (window->region && window->region != region)
        DeleteObject(window->region);
    window->region = region;
    if (!window->parent && !window->messageOnly)
        wm.backend->TopLevelChanged(*window, platform::ChangeRegion);
    if (redraw)
        platform::PresentLocked(wm, wm.TopLevelOf(window), { 0, 0, window->Width(), window->Height() });
    return 1;
}

int GetWindowRgn(HWND hwnd, HRGN region)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    if (!window || !window->region || !region)
        return ERROR;
    return CombineRgn(region, window->region, nullptr, RGN_COPY);
}

BOOL UpdateLayeredWindow(HWND hwnd, HDC, POINT* dstPoint, SIZE* size, HDC srcDC, POINT* srcPoint, COLORREF,
                         BLENDFUNCTION* blend, DWORD flags)
{
    WindowManager& wm = WindowManager::Get();
    {
        std::lock_guard guard(wm.lock);
        Window* window = wm.Find(hwnd);
        if (!window || window->parent || !(window->exStyle & WS_EX_LAYERED) || (size && (size->cx < 0 || size->cy < 0))) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
    }
    if (dstPoint || size) {
        const UINT keep = (dstPoint ? 0 : SWP_NOMOVE) | (size ? 0 : SWP_NOSIZE);
        SetWindowPos(hwnd, nullptr, dstPoint ? dstPoint->x : 0, dstPoint ? dstPoint->y : 0, size ? size->cx : 0,
                     size ? size->cy : 0, keep | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    if (!window || !window->buffer)
        return FALSE;
    if (srcDC) {
        cairo_surface_t* source = platform::SurfaceOfDC(srcDC);
        if (!source)
            return FALSE;
        const POINT from = srcPoint ? *srcPoint : POINT {};
        window->buffer->Clear({ 0, 0, window->Width(), window->Height() });
        CopyPixels(window->buffer->Surface(), source, from, window->Width(), window->Height());
    }
    const bool perPixel = (flags & ULW_ALPHA) && blend && (blend->AlphaFormat & AC_SRC_ALPHA);
    window->constantAlpha = ((flags & ULW_ALPHA) && blend) ? blend->SourceConstantAlpha : 255;
    window->layer = perPixel ? platform::LayerMode::PerPixel : platform::LayerMode::ConstantAlpha;
    window->update = {};  // the picture is given, not painted
    wm.backend->TopLevelChanged(*window, platform::ChangeLayer);
    platform::PresentLocked(wm, window, { 0, 0, window->Width(), window->Height() });
    return TRUE;
}

BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF, BYTE alpha, DWORD flags)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    if (!window || window->parent || !(window->exStyle & WS_EX_LAYERED)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const bool wasGiven = window->layer == platform::LayerMode::PerPixel;
    window->layer = platform::LayerMode::ConstantAlpha;
    window->constantAlpha = (flags & LWA_ALPHA) ? alpha : 255;
    // The window is painted again in the usual way from now on.
    if (wasGiven)
        wm.Invalidate(window, nullptr, true, true);
    wm.backend->TopLevelChanged(*window, platform::ChangeLayer);
    platform::PresentLocked(wm, window, { 0, 0, window->Width(), window->Height() });
    return TRUE;
}

BOOL GetLayeredWindowAttributes(HWND hwnd, COLORREF* key, BYTE* alpha, DWORD* flags)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    if (!window || window->layer != platform::LayerMode::ConstantAlpha)
        return FALSE;
    if (key)
        *key = 0;
    if (alpha)
        *alpha = window->constantAlpha;
    if (flags)
        *flags = LWA_ALPHA;
    return TRUE;
}
