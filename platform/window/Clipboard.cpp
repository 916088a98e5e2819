// The clipboard: text only, kept by the window manager and shared with the desktop through the
// backend (X11's CLIPBOARD selection).

#include "platform/WinBase.h"
#include "platform/window/UserInternal.h"

#include <cwchar>

using platform::WindowManager;

namespace {

struct ClipboardState {
    DWORD openedBy = 0;  // thread id; 0 when closed
    HWND owner = nullptr;
    bool hasText = false;
    std::wstring text;
    std::wstring handedWide;  // what GetClipboardData handed out, kept alive until the next change
    std::string handedNarrow;
};

ClipboardState& State()  // guarded by the window manager's lock
{
    static ClipboardState state;
    return state;
}

// Takes the desktop's text when another program holds the clipboard (lock held).
void Refresh(WindowManager& wm, ClipboardState& state)
{
    std::wstring foreign;
    if (wm.backend->ForeignClipboardText(foreign)) {
        state.text = foreign;
        state.hasText = true;
    }
}

}  // namespace

BOOL OpenClipboard(HWND owner)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    ClipboardState& state = State();
    const DWORD me = GetCurrentThreadId();
    if (state.openedBy && state.openedBy != me)
        return FALSE;
    state.openedBy = me;
    state.owner = owner;
    return TRUE;
}

BOOL CloseClipboard()
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    ClipboardState& state = State();
    if (state.openedBy != GetCurrentThreadId())
        return FALSE;
    state.openedBy = 0;
    return TRUE;
}

BOOL EmptyClipboard()
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    ClipboardState& state = State();
    if (state.openedBy != GetCurrentThreadId())
        return FALSE;
    state.hasText = false;
    state.text.clear();
    wm.backend->SetClipboardText(L"");
    return TRUE;
}

BOOL IsClipboardFormatAvailable(UINT format)
{
    if (format != CF_UNICODETEXT && format != CF_TEXT)
        return FALSE;
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Refresh(wm, State());
    return State().hasText;
}

HANDLE SetClipboardData(UINT format, HANDLE data)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    ClipboardState& state = State();
    if (state.openedBy != GetCurrentThreadId() || !data || (format != CF_UNICODETEXT && format != CF_TEXT))
        return nullptr;
    state.text = format == CF_UNICODETEXT ? std::wstring(static_cast<const wchar_t*>(data))
                                          : platform::Utf8ToWide(static_cast<const char*>(data));
    state.hasText = true;
    wm.backend->SetClipboardText(state.text);
    return data;
}

HANDLE GetClipboardData(UINT format)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    ClipboardState& state = State();
    if (state.openedBy != GetCurrentThreadId() || (format != CF_UNICODETEXT && format != CF_TEXT))
        return nullptr;
    Refresh(wm, state);
    if (!state.hasText)
        return nullptr;
    if (format == CF_TEXT) {
        state.handedNarrow = platform::WideToUtf8(state.text);
        return state.handedNarrow.data();
    }
    state.handedWide = state.text;
    return state.handedWide.data();
}
