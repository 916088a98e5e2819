// Other programs' top-level windows, as the window functions reach them: FindWindow finds them by
// class and title when none of ours matches, and IsIconic, ShowWindow and PostMessage pass on to
// the desktop what is asked of them. A second start of the editor finds the first this way.

#include "platform/WinUser.h"
#include "platform/window/UserInternal.h"

#include <string>

namespace platform {

HWND FindForeignWindow(LPCWSTR className, LPCWSTR title)
{
    if (!className || IS_INTRESOURCE(className) || !title)
        return nullptr;
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    const unsigned long id = wm.backend->FindForeignWindow(className, title);
    return id ? wm.ForeignHandle(id) : nullptr;
}

std::optional<BOOL> ForeignIsIconic(HWND hwnd)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    const unsigned long id = wm.ForeignId(hwnd);
    if (!id)
        return std::nullopt;
    return wm.backend->ForeignIsIconic(id) ? TRUE : FALSE;
}

std::optional<BOOL> ForeignShowWindow(HWND hwnd, int cmd)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    const unsigned long id = wm.ForeignId(hwnd);
    if (!id)
        return std::nullopt;
    return wm.backend->ShowForeignWindow(id, cmd) ? TRUE : FALSE;
}

std::optional<BOOL> ForeignPostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    const unsigned long id = wm.ForeignId(hwnd);
    if (!id)
        return std::nullopt;
    // Only the program's own messages without parameters travel: a parameter may be a pointer
    // in the other program's eyes.
    if (msg < WM_USER || msg > 0x7FFF || wParam != 0 || lParam != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return wm.backend->PostToForeignWindow(id, msg) ? TRUE : FALSE;
}

}  // namespace platform
