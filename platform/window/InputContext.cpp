// The input-method calls. A window's input context is the window itself: ImmGetContext gives it
// while the window has one, ImmAssociateContext takes it away or gives it back, and the backend
// turns composed input off for the top-level window while the window that lost it has the focus.
// Headless, only the record changes.

#include "platform/RichEdit.h"
#include "platform/window/Backend.h"
#include "platform/window/WindowManager.h"

using platform::Window;
using platform::WindowManager;

namespace {

HWND WindowOf(HIMC himc)
{
    return reinterpret_cast<HWND>(himc);
}

}  // namespace

HIMC ImmGetContext(HWND hwnd)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    return window && !window->inputMethodOff ? reinterpret_cast<HIMC>(hwnd) : nullptr;
}

BOOL ImmReleaseContext(HWND hwnd, HIMC himc)
{
    return hwnd && WindowOf(himc) == hwnd;
}

BOOL ImmSetCompositionWindow(HIMC himc, const COMPOSITIONFORM* form)
{
    if (!form)
        return FALSE;
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(WindowOf(himc));
    if (!window || window->inputMethodOff)
        return FALSE;
    Window* top = wm.TopLevelOf(window);
    const POINT offset = wm.OffsetInTop(window);
    if (top && (form->dwStyle & CFS_POINT))
        wm.backend->SetInputSpot(*top, { offset.x + form->ptCurrentPos.x, offset.y + form->ptCurrentPos.y });
    return TRUE;
}

HIMC ImmAssociateContext(HWND hwnd, HIMC himc)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    if (!window)
        return nullptr;
    HIMC previous = window->inputMethodOff ? nullptr : reinterpret_cast<HIMC>(hwnd);
    window->inputMethodOff = himc == nullptr;
    if (Window* top = wm.TopLevelOf(window))
        wm.backend->SetInputMethod(*top, !window->inputMethodOff);
    return previous;
}
