// Input: turning the backend's raw mouse and keyboard input into window messages on the owning
// thread; focus, activation, capture, mouse tracking, key state, cursors and the caret.

#include "platform/WinBase.h"
#include "platform/window/DragDrop.h"
#include "platform/window/UserInternal.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>

using platform::QueuedMessage;
using platform::RawInput;
using platform::Window;
using platform::WindowManager;

namespace platform {

WPARAM MouseKeyState(const WindowManager& wm)
{
    WPARAM state = 0;
    state |= (wm.keys[VK_LBUTTON] & 0x80) ? MK_LBUTTON : 0;
    state |= (wm.keys[VK_RBUTTON] & 0x80) ? MK_RBUTTON : 0;
    state |= (wm.keys[VK_MBUTTON] & 0x80) ? MK_MBUTTON : 0;
    state |= (wm.keys[VK_SHIFT] & 0x80) ? MK_SHIFT : 0;
    state |= (wm.keys[VK_CONTROL] & 0x80) ? MK_CONTROL : 0;
    return state;
}

}  // namespace platform

namespace {

// The focus, active or capture window, as the calling thread sees it: only one of its own.
HWND OwnThreadsWindow(HWND WindowManager::*slot)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(wm.*slot);
    return window && window->threadId == GetCurrentThreadId() ? wm.*slot : nullptr;
}

constexpr int kHoverSlop = 2;         // half the hover rectangle
constexpr int kDoubleClickSlop = 2;   // half the double-click rectangle
constexpr DWORD kDoubleClickMs = 500;
constexpr DWORD kDefaultHoverMs = 400;

LPARAM PointParam(POINT p) { return MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)); }

int ButtonKey(int button) { return button == 1 ? VK_RBUTTON : button == 2 ? VK_MBUTTON : VK_LBUTTON; }

UINT ClientButtonMessage(int button, bool down)
{
    static const UINT downs[] = { WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN };
    static const UINT ups[] = { WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP };
    const int index = button < 0 ? 0 : button > 2 ? 2 : button;
    return (down ? downs : ups)[index];
}

void SetKey(WindowManager& wm, int vk, bool down)
{
    BYTE& state = wm.keys[vk & 0xFF];
    if (down && !(state & 0x80))
        state ^= 1;  // the toggle bit flips on each press
    state = static_cast<BYTE>(down ? (state | 0x80) : (state & ~0x80));
    // The sided keys also move their shared key.
    if (vk == VK_LSHIFT || vk == VK_RSHIFT)
        SetKey(wm, VK_SHIFT, (wm.keys[VK_LSHIFT] | wm.keys[VK_RSHIFT]) & 0x80);
    if (vk == VK_LCONTROL || vk == VK_RCONTROL)
        SetKey(wm, VK_CONTROL, (wm.keys[VK_LCONTROL] | wm.keys[VK_RCONTROL]) & 0x80);
    if (vk == VK_LMENU || vk == VK_RMENU)
        SetKey(wm, VK_MENU, (wm.keys[VK_LMENU] | wm.keys[VK_RMENU]) & 0x80);
}

// Ends leave tracking once the mouse is no longer over the tracked window's client area.
void CheckLeave(WindowManager& wm, HWND over, bool client)
{
    WindowManager::Tracking& t = wm.tracking;
    if (!t.hwnd || !(t.flags & TME_LEAVE) || (t.hwnd == over && client))
        return;
    platform::PostLocked(wm, wm.Find(t.hwnd), WM_MOUSELEAVE, 0, 0);
    t.flags &= ~TME_LEAVE;
    if (!t.flags)
        t = {};
}

void FollowHover(WindowManager& wm, HWND over, POINT screen)
{
    WindowManager::Tracking& t = wm.tracking;
    if (t.hwnd != over || !(t.flags & TME_HOVER))
        return;
    if (std::abs(screen.x - t.hoverAnchor.x) > kHoverSlop || std::abs(screen.y - t.hoverAnchor.y) > kHoverSlop) {
        t.hoverAnchor = screen;
        t.hoverDue = wm.Now() + t.hoverTime;
    }
}

std::shared_ptr<platform::MessageQueue> QueueForInput(WindowManager& wm, const RawInput& input)
{
    if (wm.dragThread != 0 && input.kind <= RawInput::KeyUp)
        return wm.QueueOf(wm.dragThread);
    Window* target = nullptr;
    switch (input.kind) {
    case RawInput::KeyDown:
    case RawInput::KeyUp:
    case RawInput::Text:
        target = wm.Find(wm.focus);
        if (!target)
            target = wm.Find(wm.active);
        break;
    case RawInput::MouseLeft:
        target = wm.Find(wm.tracking.hwnd);
        break;
    case RawInput::Geometry:
    case RawInput::CloseRequest:
    case RawInput::Activation:
    case RawInput::Iconic:
    case RawInput::Drop:
        target = wm.Find(input.top);
        break;
    default:
        // Capture is decided when the thread takes the input, so input outside every window
        // goes where the mouse input before it went: a press there may be capturing it.
        target = wm.Find(wm.capture);
        if (!target)
            target = platform::TopLevelAt(wm, input.screen);
        if (!target)
            target = wm.Find(wm.lastMouseWindow);
        if (!target)
            target = wm.Find(wm.tracking.hwnd);
        if (!target)
            target = wm.Find(wm.active);
        break;
    }
    return target ? target->queue : nullptr;
}

bool IsMouse(RawInput::Kind kind) { return kind <= RawInput::Wheel; }

// A drag run by the calling thread takes its mouse and key input, with the state after it.
bool TakenByDrag(WindowManager& wm, const RawInput& input)
{
    if (wm.dragThread == 0 || wm.dragThread != GetCurrentThreadId())
        return false;
    wm.dragInput.emplace_back(input, static_cast<DWORD>(platform::MouseKeyState(wm)));
    return true;
}

std::vector<QueuedMessage> One(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, DWORD time, POINT pt)
{
    QueuedMessage q;
    q.msg = { hwnd, msg, wParam, lParam, time, pt };
    return { q };
}

struct MouseHook {
    HHOOK handle;
    HOOKPROC proc;
    DWORD threadId;
};
std::vector<MouseHook>& MouseHooks()  // guarded by the window manager's lock, newest first
{
    static std::vector<MouseHook> hooks;
    return hooks;
}

UINT RawMouseMessage(const RawInput& input)
{
    if (input.kind == RawInput::MouseMove)
        return WM_MOUSEMOVE;
    if (input.kind == RawInput::Wheel)
        return WM_MOUSEWHEEL;
    return ClientButtonMessage(input.button, input.kind == RawInput::ButtonDown);
}

// The calling thread's low-level mouse hooks see the input first; true when one swallowed it.
bool RunMouseHooks(const RawInput& input)
{
    HHOOK first = nullptr;
    HOOKPROC proc = nullptr;
    {
        WindowManager& wm = WindowManager::Get();
        std::lock_guard guard(wm.lock);
        for (const MouseHook& hook : MouseHooks()) {
            if (hook.threadId == GetCurrentThreadId()) {
                first = hook.handle;
                proc = hook.proc;
                break;
            }
        }
    }
    if (!first)
        return false;
    MSLLHOOKSTRUCT data { input.screen, input.kind == RawInput::Wheel ? static_cast<DWORD>(static_cast<WORD>(input.delta)) << 16 : 0u,
                          0, static_cast<DWORD>(WindowManager::Get().Now()), 0 };
    return proc(HC_ACTION, RawMouseMessage(input), reinterpret_cast<LPARAM>(&data)) != 0;
}

std::vector<QueuedMessage> ConvertMouse(platform::MessageQueue& queue, const RawInput& input)
{
    if (RunMouseHooks(input))
        return {};
    WindowManager& wm = WindowManager::Get();
    std::unique_lock lock(wm.lock);
    wm.cursor = input.screen;
    if (input.kind == RawInput::ButtonDown || input.kind == RawInput::ButtonUp)
        SetKey(wm, ButtonKey(input.button), input.kind == RawInput::ButtonDown);
    if (TakenByDrag(wm, input))
        return {};
    Window* target = wm.Find(wm.capture);
    const bool captured = target != nullptr;
    if (!target) {
        if (Window* top = platform::TopLevelAt(wm, input.screen))
            target = platform::ChildAt(top, { input.screen.x - top->rect.left, input.screen.y - top->rect.top });
    }
    if (!target) {
        CheckLeave(wm, nullptr, false);
        // A press on the desktop or another program: the program's active window loses the
        // activation, so an open popup (drop-down list, menu) hears of it and closes.
        const bool deactivates = input.kind == RawInput::ButtonDown && wm.active != nullptr;
        lock.unlock();
        if (deactivates)
            platform::ActivateWindow(nullptr, true);
        return {};
    }
    if (target->queue.get() != &queue) {
        QueuedMessage forward;
        forward.raw = true;
        forward.input = input;
        target->queue->posted.push_back(forward);
        target->queue->wake.notify_all();
        return {};
    }
    HWND hwnd = target->handle;
    Window* top = wm.TopLevelOf(target);
    HWND topHandle = top->handle;
    const bool disabled = (target->style & WS_DISABLED) || (top->style & WS_DISABLED);
    const bool needsActivation = input.kind == RawInput::ButtonDown && wm.active != topHandle && !(top->exStyle & WS_EX_NOACTIVATE);
    const bool dblClass = target->cls->style & CS_DBLCLKS;
    const POINT origin = wm.ClientOriginOnScreen(target);
    const DWORD now = static_cast<DWORD>(wm.Now());
    lock.unlock();

    if (disabled)
        return {};  // a window disabled by a modal loop takes no mouse input
    LRESULT hit = HTCLIENT;
    if (!captured)
        hit = SendMessage(hwnd, WM_NCHITTEST, 0, PointParam(input.screen));
    if (hit == HTNOWHERE || hit == HTTRANSPARENT || hit == HTERROR)
        return {};
    const UINT clientMsg = input.kind == RawInput::MouseMove ? WM_MOUSEMOVE
        : input.kind == RawInput::Wheel                    ? WM_MOUSEWHEEL
                                                           : ClientButtonMessage(input.button, input.kind == RawInput::ButtonDown);
    if (needsActivation) {
        const LRESULT answer = SendMessage(hwnd, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(topHandle),
                                           MAKELPARAM(static_cast<WORD>(hit), static_cast<WORD>(clientMsg)));
        if (answer != MA_NOACTIVATE && answer != 4 /* MA_NOACTIVATEANDEAT */)
            platform::ActivateWindow(topHandle, true);
        if (answer == MA_ACTIVATEANDEAT || answer == 4)
            return {};
    }
    if (input.kind != RawInput::ButtonUp && input.kind != RawInput::Wheel && !captured)
        SendMessage(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(static_cast<WORD>(hit), static_cast<WORD>(clientMsg)));

    lock.lock();
    const bool client = hit == HTCLIENT;
    CheckLeave(wm, hwnd, client);
    FollowHover(wm, hwnd, input.screen);
    wm.lastMouseWindow = hwnd;
    const WPARAM keys = platform::MouseKeyState(wm);
    const POINT local { input.screen.x - origin.x, input.screen.y - origin.y };
    if (input.kind == RawInput::Wheel)
        return One(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(static_cast<WORD>(keys), static_cast<WORD>(input.delta)), PointParam(input.screen),
                   now, input.screen);
    if (input.kind == RawInput::MouseMove)
        return client ? One(hwnd, WM_MOUSEMOVE, keys, PointParam(local), now, input.screen)
                      : One(hwnd, WM_NCMOUSEMOVE, static_cast<WPARAM>(hit), PointParam(input.screen), now, input.screen);
    UINT msg = clientMsg;
    if (input.kind == RawInput::ButtonDown) {
        const bool twice = msg == queue.lastClickMsg && hwnd == queue.lastClickWnd && now - queue.lastClickTime <= kDoubleClickMs
            && std::abs(input.screen.x - queue.lastClickPos.x) <= kDoubleClickSlop
            && std::abs(input.screen.y - queue.lastClickPos.y) <= kDoubleClickSlop;
        queue.lastClickMsg = msg;
        queue.lastClickWnd = hwnd;
        queue.lastClickTime = twice ? 0 : now;  // a third press starts a new pair
        queue.lastClickPos = input.screen;
        if (twice && (dblClass || !client))
            msg += 2;  // WM_xBUTTONDOWN + 2 = WM_xBUTTONDBLCLK
    }
    if (client)
        return One(hwnd, msg, keys, PointParam(local), now, input.screen);
    // Non-client: the same buttons in the WM_NC* range carry the hit-test code.
    return One(hwnd, msg - WM_LBUTTONDOWN + WM_NCLBUTTONDOWN, static_cast<WPARAM>(hit), PointParam(input.screen), now, input.screen);
}

std::vector<QueuedMessage> ConvertKey(platform::MessageQueue& queue, const RawInput& input)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    if (input.kind != RawInput::Text && wm.dragThread == GetCurrentThreadId()) {
        SetKey(wm, input.vk, input.kind == RawInput::KeyDown);
        TakenByDrag(wm, input);
        return {};
    }
    Window* target = wm.Find(wm.focus);
    if (!target)
        target = wm.Find(wm.active);
    if (!target)
        return {};
    // A window a modal dialog disabled takes no keys either: a key on it could start a second dialog.
    if ((target->style & WS_DISABLED) || (wm.TopLevelOf(target)->style & WS_DISABLED))
        return {};
    if (target->queue.get() != &queue) {
        QueuedMessage forward;
        forward.raw = true;
        forward.input = input;
        target->queue->posted.push_back(forward);
        target->queue->wake.notify_all();
        return {};
    }
    const DWORD now = static_cast<DWORD>(wm.Now());
    if (input.kind == RawInput::Text) {
        std::vector<QueuedMessage> out;
        for (wchar_t c : input.text) {
            auto one = One(target->handle, WM_IME_CHAR, static_cast<WPARAM>(c), 1, now, wm.cursor);
            out.push_back(one.front());
        }
        return out;
    }
    const bool down = input.kind == RawInput::KeyDown;
    SetKey(wm, input.vk, down);
    const bool alt = wm.keys[VK_MENU] & 0x80, ctrl = wm.keys[VK_CONTROL] & 0x80;
    const bool sys = (alt && !ctrl) || input.vk == VK_F10;
    LPARAM lParam = 1;
    lParam |= static_cast<LPARAM>(MapVirtualKey(static_cast<UINT>(input.vk), MAPVK_VK_TO_VSC) & 0xFF) << 16;
    lParam |= platform::IsExtendedKey(input.vk) ? (1L << 24) : 0;
    lParam |= alt ? (1L << 29) : 0;
    lParam |= (input.repeat || !down) ? (1L << 30) : 0;
    lParam |= down ? 0 : (1L << 31);
    const UINT msg = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
    std::vector<QueuedMessage> out = One(target->handle, msg, static_cast<WPARAM>(input.vk), lParam, now, wm.cursor);
    out.front().input.text = down ? input.text : std::wstring();
    return out;
}

std::vector<QueuedMessage> ConvertDesktop(platform::MessageQueue&, const RawInput& input)
{
    switch (input.kind) {
    case RawInput::Geometry:
        SetWindowPos(input.top, nullptr, input.rect.left, input.rect.top, input.rect.right - input.rect.left,
                     input.rect.bottom - input.rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
        return {};
    case RawInput::CloseRequest:
        return One(input.top, WM_SYSCOMMAND, SC_CLOSE, 0, static_cast<DWORD>(WindowManager::Get().Now()), {});
    case RawInput::Activation:
        if (input.on)
            platform::ActivateWindow(input.top, false);
        else if (GetActiveWindow() == input.top)
            platform::ActivateWindow(nullptr, false);
        return {};
    case RawInput::Iconic:
        if (input.on != static_cast<bool>(IsIconic(input.top)))
            ShowWindow(input.top, input.on ? SW_MINIMIZE : SW_RESTORE);
        return {};
    case RawInput::Drop:
        if (input.drop && IsWindow(input.top))
            platform::DeliverDrop(input.screen, 0, *input.drop);
        return {};
    default:
        return {};
    }
}

}  // namespace

namespace platform {

std::vector<QueuedMessage> ConvertInput(MessageQueue& queue, const RawInput& input)
{
    if (IsMouse(input.kind))
        return ConvertMouse(queue, input);
    if (input.kind == RawInput::MouseLeft) {
        WindowManager& wm = WindowManager::Get();
        std::lock_guard guard(wm.lock);
        if (!wm.capture)
            CheckLeave(wm, nullptr, false);
        return {};
    }
    if (input.kind >= RawInput::Geometry)
        return ConvertDesktop(queue, input);
    return ConvertKey(queue, input);
}

void WindowManager::DeliverInput(const RawInput& input)
{
    std::lock_guard guard(lock);
    if (IsMouse(input.kind))
        cursor = input.screen;
    std::shared_ptr<MessageQueue> queue = QueueForInput(*this, input);
    if (!queue || !queue->alive)
        return;
    // Moves pile up while a thread is busy: only the latest one matters.
    if (input.kind == RawInput::MouseMove && !queue->posted.empty() && queue->posted.back().raw
        && queue->posted.back().input.kind == RawInput::MouseMove) {
        queue->posted.back().input = input;
        return;
    }
    QueuedMessage item;
    item.raw = true;
    item.input = input;
    queue->posted.push_back(item);
    queue->wake.notify_all();
}

namespace {

// A change the desktop made to a top-level window.
RawInput DesktopChange(RawInput::Kind kind, HWND top)
{
    RawInput input;
    input.kind = kind;
    input.top = top;
    return input;
}

}  // namespace

void WindowManager::DeliverGeometry(HWND hwnd, const RECT& rect)
{
    RawInput input = DesktopChange(RawInput::Geometry, hwnd);
    input.rect = rect;
    DeliverInput(input);
}

void WindowManager::DeliverClose(HWND hwnd)
{
    DeliverInput(DesktopChange(RawInput::CloseRequest, hwnd));
}

void WindowManager::DeliverActivation(HWND hwnd, bool on)
{
    RawInput input = DesktopChange(RawInput::Activation, hwnd);
    input.on = on;
    DeliverInput(input);
}

void WindowManager::DeliverDropped(HWND hwnd, POINT screen, std::shared_ptr<const DroppedData> data)
{
    RawInput input = DesktopChange(RawInput::Drop, hwnd);
    input.screen = screen;
    input.drop = std::move(data);
    DeliverInput(input);
}

void WindowManager::DeliverIconic(HWND hwnd, bool iconic)
{
    RawInput input = DesktopChange(RawInput::Iconic, hwnd);
    input.on = iconic;
    DeliverInput(input);
}

namespace {

// The shown tooltip windows owned by `owner` (lock held).
std::vector<HWND> ShownTipsOf(WindowManager& wm, HWND owner)
{
    std::vector<HWND> tips;
    for (const Window* window : wm.topLevels)
        if (owner && window->visible && window->owner && window->owner->handle == owner
            && window->cls && wcscasecmp(window->cls->name.c_str(), TOOLTIPS_CLASS) == 0)
            tips.push_back(window->handle);
    return tips;
}

}  // namespace

void ActivateWindow(HWND hwnd, bool byMouse)
{
    WindowManager& wm = WindowManager::Get();
    HWND old = nullptr, next = nullptr;
    std::vector<HWND> tips;
    bool minimized = false;
    {
        std::lock_guard guard(wm.lock);
        Window* window = wm.Find(hwnd);
        Window* top = window ? wm.TopLevelOf(window) : nullptr;
        if (top && top->messageOnly)
            return;
        next = top ? top->handle : nullptr;
        old = wm.active;
        // Already active: nothing to tell anyone (the desktop reports activations we asked for).
        if (old == next)
            return;
        if (top) {
            wm.RaiseTopLevel(top, true);
            wm.backend->TopLevelChanged(*top, ChangeZOrder);
            wm.backend->Activate(*top);
            minimized = top->style & WS_MINIMIZE;
        }
        wm.active = next;
        tips = ShownTipsOf(wm, old);
    }
    // A tip explains a control of the window the user works in; it never outlives that.
    for (HWND tip : tips)
        PostMessage(tip, TTM_POP, 0, 0);
    if (old && IsWindow(old)) {
        // Another thread's window hears of it without this thread waiting for that one.
        const bool mine = GetWindowThreadProcessId(old, nullptr) == GetCurrentThreadId();
        auto tell = mine ? SendMessage : [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT { return SendNotifyMessage(h, m, w, l); };
        tell(old, WM_NCACTIVATE, FALSE, 0);
        tell(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(next));
    }
    if (next) {
        SendMessage(next, WM_NCACTIVATE, TRUE, 0);
        SendMessage(next, WM_ACTIVATE, MAKEWPARAM(byMouse ? WA_CLICKACTIVE : WA_ACTIVE, minimized ? 1 : 0),
                    reinterpret_cast<LPARAM>(old));
    } else {
        SetFocus(nullptr);
    }
}

void DeactivateIfGone(HWND hwnd)
{
    WindowManager& wm = WindowManager::Get();
    HWND next = nullptr;
    {
        std::lock_guard guard(wm.lock);
        Window* window = wm.Find(hwnd);
        const bool stillShown = window && window->visible;
        if (stillShown || (wm.active && wm.active != hwnd))
            return;
        if (wm.active == hwnd)
            wm.active = nullptr;
        if (window && window->owner && window->owner->visible && !(window->owner->style & WS_DISABLED))
            next = window->owner->handle;
    }
    if (next)
        ActivateWindow(next, false);
}

}  // namespace platform

HWND SetFocus(HWND hwnd)
{
    WindowManager& wm = WindowManager::Get();
    HWND top = nullptr, previous = nullptr;
    bool activate = false;
    {
        std::lock_guard guard(wm.lock);
        previous = wm.focus;
        if (hwnd) {
            Window* window = wm.Find(hwnd);
            if (!window || (window->style & WS_DISABLED) || window->messageOnly)
                return nullptr;
            top = wm.TopLevelOf(window)->handle;
        }
        if (hwnd && wm.focus == hwnd)
            return hwnd;
        activate = top && wm.active != top;
    }
    // Activating gives the top-level window the focus first (default WM_ACTIVATE handling).
    if (activate)
        platform::ActivateWindow(top, false);
    HWND old = nullptr;
    {
        std::lock_guard guard(wm.lock);
        old = wm.focus;
        if (old == hwnd)
            return previous;  // activation already moved the focus here
        wm.focus = hwnd;
    }
    if (old && IsWindow(old))
        SendMessage(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    if (hwnd && IsWindow(hwnd))
        SendMessage(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    return old;
}

HWND GetFocus()
{
    return OwnThreadsWindow(&WindowManager::focus);
}

HWND SetActiveWindow(HWND hwnd)
{
    HWND old = GetActiveWindow();
    platform::ActivateWindow(hwnd, false);
    return old;
}

HWND GetActiveWindow()
{
    return OwnThreadsWindow(&WindowManager::active);
}

BOOL SetForegroundWindow(HWND hwnd)
{
    if (!IsWindow(hwnd))
        return FALSE;
    platform::ActivateWindow(hwnd, false);
    return TRUE;
}

HWND GetForegroundWindow()
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    return wm.Find(wm.active) ? wm.active : nullptr;
}

HHOOK SetWindowsHookEx(int idHook, HOOKPROC proc, HINSTANCE, DWORD threadId)
{
    if (idHook != WH_MOUSE_LL || !proc || threadId != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    static uintptr_t next = 0x7000;
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    auto handle = reinterpret_cast<HHOOK>(++next);
    MouseHooks().insert(MouseHooks().begin(), { handle, proc, GetCurrentThreadId() });
    return handle;
}

BOOL UnhookWindowsHookEx(HHOOK hook)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    auto& hooks = MouseHooks();
    auto it = std::find_if(hooks.begin(), hooks.end(), [&](const MouseHook& h) { return h.handle == hook; });
    if (it == hooks.end())
        return FALSE;
    hooks.erase(it);
    return TRUE;
}

LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam)
{
    HOOKPROC next = nullptr;
    {
        WindowManager& wm = WindowManager::Get();
        std::lock_guard guard(wm.lock);
        auto& hooks = MouseHooks();
        auto it = std::find_if(hooks.begin(), hooks.end(), [&](const MouseHook& h) { return h.handle == hook; });
        for (it = it == hooks.end() ? it : it + 1; it != hooks.end() && !next; ++it)
            if (it->threadId == GetCurrentThreadId())
                next = it->proc;
    }
    return next ? next(code, wParam, lParam) : 0;
}

HWND SetCapture(HWND hwnd)
{
    WindowManager& wm = WindowManager::Get();
    HWND old = nullptr;
    {
        std::lock_guard guard(wm.lock);
        if (!wm.Find(hwnd))
            return nullptr;
        old = wm.capture;
        wm.capture = hwnd;
    }
    if (old && old != hwnd)
        SendMessage(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    return old;
}

BOOL ReleaseCapture()
{
    WindowManager& wm = WindowManager::Get();
    HWND old = nullptr;
    {
        std::lock_guard guard(wm.lock);
        old = wm.capture;
        wm.capture = nullptr;
    }
    if (old)
        SendMessage(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture()
{
    return OwnThreadsWindow(&WindowManager::capture);
}

BOOL TrackMouseEvent(LPTRACKMOUSEEVENT track)
{
    if (!track || track->cbSize < sizeof(TRACKMOUSEEVENT))
        return FALSE;
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    WindowManager::Tracking& t = wm.tracking;
    if (track->dwFlags & TME_QUERY) {
        track->hwndTrack = t.hwnd;
        track->dwFlags = t.flags;
        track->dwHoverTime = t.hoverTime;
        return TRUE;
    }
    Window* window = wm.Find(track->hwndTrack);
    if (!window)
        return FALSE;
    const DWORD kinds = track->dwFlags & (TME_HOVER | TME_LEAVE);
    if (track->dwFlags & TME_CANCEL) {
        if (t.hwnd == track->hwndTrack) {
            t.flags &= ~kinds;
            if (!t.flags)
                t = {};
        }
        return TRUE;
    }
    if (t.hwnd != track->hwndTrack)
        t = {};
    t.hwnd = track->hwndTrack;
    t.flags |= kinds;
    if (kinds & TME_HOVER) {
        t.hoverTime = track->dwHoverTime == HOVER_DEFAULT ? kDefaultHoverMs : track->dwHoverTime;
        t.hoverDue = wm.Now() + t.hoverTime;
        t.hoverAnchor = wm.cursor;
    }
    // Asking for a leave while the mouse is already elsewhere gets it at once.
    if (kinds & TME_LEAVE) {
        Window* top = platform::TopLevelAt(wm, wm.cursor);
        Window* over = top ? platform::ChildAt(top, { wm.cursor.x - top->rect.left, wm.cursor.y - top->rect.top }) : nullptr;
        if (over != window && wm.capture != t.hwnd)
            CheckLeave(wm, nullptr, false);
    }
    window->queue->wake.notify_all();
    return TRUE;
}

BOOL _TrackMouseEvent(LPTRACKMOUSEEVENT track) { return TrackMouseEvent(track); }

SHORT GetKeyState(int vk)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    const BYTE state = wm.keys[vk & 0xFF];
    return static_cast<SHORT>(((state & 0x80) ? 0xFF80 : 0) | (state & 1));
}

SHORT GetAsyncKeyState(int vk) { return static_cast<SHORT>(GetKeyState(vk) & 0x8000); }

BOOL GetCursorPos(LPPOINT point)
{
    if (!point)
        return FALSE;
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    *point = wm.cursor;
    return TRUE;
}

BOOL SetCursorPos(int x, int y)
{
    WindowManager& wm = WindowManager::Get();
    {
        std::lock_guard guard(wm.lock);
        if (!wm.backend->WarpPointer({ x, y }))
            return FALSE;
    }
    RawInput input;
    input.kind = RawInput::MouseMove;
    input.screen = { x, y };
    wm.DeliverInput(input);
    return TRUE;
}

UINT GetDoubleClickTime() { return kDoubleClickMs; }

HCURSOR LoadCursor(HINSTANCE instance, LPCWSTR name)
{
    const uintptr_t id = reinterpret_cast<uintptr_t>(name);
    if (instance || !IS_INTRESOURCE(name) || id < 32512 || id > 32651)
        return nullptr;
    return reinterpret_cast<HCURSOR>(id);
}

HCURSOR SetCursor(HCURSOR cursor)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    HCURSOR old = wm.cursorShape;
    wm.cursorShape = cursor;
    if (old != cursor) {
        Window* top = platform::TopLevelAt(wm, wm.cursor);
        wm.backend->SetCursorShape(top, static_cast<int>(reinterpret_cast<uintptr_t>(cursor)));
    }
    return old;
}

HCURSOR GetCursor()
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    return wm.cursorShape;
}

int ShowCursor(BOOL show)
{
    static std::atomic<int> count { 0 };
    return show ? ++count : --count;
}

// An icon holds every size its file has: the desktop picks the one it shows.
HANDLE LoadImage(HINSTANCE instance, LPCWSTR name, UINT type, int, int, UINT flags)
{
    if (type == IMAGE_BITMAP && (flags & LR_LOADFROMFILE))
        return platform::LoadBmpFile(name);
    if (type == IMAGE_ICON)
        return reinterpret_cast<HANDLE>(LoadIcon(instance, name));
    return type == IMAGE_CURSOR ? reinterpret_cast<HANDLE>(LoadCursor(instance, name)) : nullptr;
}
BOOL DestroyCursor(HCURSOR) { return TRUE; }

namespace {

// Shows the caret's change on screen (lock held).
void RedrawCaret(WindowManager& wm, const platform::CaretRecord& caret)
{
    Window* window = wm.Find(caret.hwnd);
    if (!window)
        return;
    Window* top = wm.TopLevelOf(window);
    const POINT offset = wm.OffsetInTop(window);
    const RECT area { offset.x + caret.pos.x, offset.y + caret.pos.y, offset.x + caret.pos.x + caret.width,
                      offset.y + caret.pos.y + caret.height };
    platform::PresentLocked(wm, top, area);
}

template <typename Change>
BOOL ChangeCaret(HWND hwnd, Change change)
{
    WindowManager& wm = WindowManager::Get();
    std::shared_ptr<platform::MessageQueue> queue = wm.CurrentQueue();
    std::lock_guard guard(wm.lock);
    platform::CaretRecord& caret = queue->caret;
    if (!caret.hwnd || (hwnd && caret.hwnd != hwnd))
        return FALSE;
    // The old place is shown again once the caret has left it: a screen that inverts the caret's
    // pixels as it presents would otherwise keep it drawn there.
    const platform::CaretRecord old = caret;
    change(caret);
    RedrawCaret(wm, old);
    RedrawCaret(wm, caret);
    return TRUE;
}

}  // namespace

BOOL CreateCaret(HWND hwnd, HBITMAP, int width, int height)
{
    WindowManager& wm = WindowManager::Get();
    std::shared_ptr<platform::MessageQueue> queue = wm.CurrentQueue();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    if (!window || window->queue != queue)
        return FALSE;
    const platform::CaretRecord old = queue->caret;
    queue->caret = { hwnd, width > 0 ? width : 1, height > 0 ? height : 16, {}, 1 };
    RedrawCaret(wm, old);
    return TRUE;
}

BOOL DestroyCaret()
{
    WindowManager& wm = WindowManager::Get();
    std::shared_ptr<platform::MessageQueue> queue = wm.CurrentQueue();
    std::lock_guard guard(wm.lock);
    if (!queue->caret.hwnd)
        return FALSE;
    platform::CaretRecord old = queue->caret;
    queue->caret = {};
    RedrawCaret(wm, old);
    return TRUE;
}

BOOL ShowCaret(HWND hwnd)
{
    return ChangeCaret(hwnd, [](platform::CaretRecord& c) { c.hideCount = std::max(0, c.hideCount - 1); });
}

BOOL HideCaret(HWND hwnd)
{
    return ChangeCaret(hwnd, [](platform::CaretRecord& c) { ++c.hideCount; });
}

BOOL SetCaretPos(int x, int y)
{
    return ChangeCaret(nullptr, [x, y](platform::CaretRecord& c) { c.pos = { x, y }; });
}

BOOL GetCaretPos(LPPOINT point)
{
    WindowManager& wm = WindowManager::Get();
    std::shared_ptr<platform::MessageQueue> queue = wm.CurrentQueue();
    std::lock_guard guard(wm.lock);
    if (!point || !queue->caret.hwnd)
        return FALSE;
    *point = queue->caret.pos;
    return TRUE;
}

UINT GetCaretBlinkTime() { return 530; }

namespace platform {

std::vector<RECT> CaretRects(WindowManager& wm, Window* top)
{
    std::vector<RECT> rects;
    for (const auto& [id, queue] : wm.queues) {
        const CaretRecord& caret = queue->caret;
        Window* window = wm.Find(caret.hwnd);
        if (!window || caret.hideCount > 0 || wm.TopLevelOf(window) != top || !wm.IsVisibleOnScreen(window))
            continue;
        const POINT offset = wm.OffsetInTop(window);
        const RECT bar { offset.x + caret.pos.x, offset.y + caret.pos.y, offset.x + caret.pos.x + caret.width,
                         offset.y + caret.pos.y + caret.height };
        const RECT inside = RectIntersect(bar, { offset.x, offset.y, offset.x + window->Width(), offset.y + window->Height() });
        if (!RectEmpty(inside))
            rects.push_back(inside);
    }
    return rects;
}

}  // namespace platform

namespace platform {

void MoveSizeLoop(HWND hwnd, int edge)
{
    WindowManager& wm = WindowManager::Get();
    RECT start {};
    POINT anchor {};
    MINMAXINFO limits {};
    {
        std::lock_guard guard(wm.lock);
        Window* window = wm.Find(hwnd);
        if (!window || window->parent || !(wm.keys[VK_LBUTTON] & 0x80) || (window->style & WS_MAXIMIZE && edge))
            return;
        if (wm.backend->BeginMoveSize(*window, edge, wm.cursor))
            return;  // the desktop moves it and reports the new geometry
        start = window->rect;
        anchor = wm.cursor;
    }
    SendMessage(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    SendMessage(hwnd, WM_ENTERSIZEMOVE, 0, 0);
    SetCapture(hwnd);
    MSG msg {};
    while (IsWindow(hwnd) && GetMessage(&msg, nullptr, 0, 0)) {
        if (msg.message == WM_LBUTTONUP || msg.message == WM_NCLBUTTONUP)
            break;
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            SetWindowPos(hwnd, nullptr, start.left, start.top, start.right - start.left, start.bottom - start.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            break;
        }
        if (msg.message != WM_MOUSEMOVE || msg.hwnd != hwnd) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
            continue;
        }
        const int dx = msg.pt.x - anchor.x, dy = msg.pt.y - anchor.y;
        RECT r = start;
        if (edge == 0) {
            r = platform::RectOffset(r, dx, dy);
        } else {
            const int minW = std::max(1, static_cast<int>(limits.ptMinTrackSize.x));
            const int minH = std::max(1, static_cast<int>(limits.ptMinTrackSize.y));
            if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT)
                r.left = std::min<LONG>(start.left + dx, r.right - minW);
            if (edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT)
                r.right = std::max<LONG>(start.right + dx, r.left + minW);
            if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT)
                r.top = std::min<LONG>(start.top + dy, r.bottom - minH);
            if (edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT)
                r.bottom = std::max<LONG>(start.bottom + dy, r.top + minH);
        }
        SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (msg.message == WM_QUIT)
        PostQuitMessage(static_cast<int>(msg.wParam));
    if (GetCapture() == hwnd)
        ReleaseCapture();
    SendMessage(hwnd, WM_EXITSIZEMOVE, 0, 0);
}

}  // namespace platform
