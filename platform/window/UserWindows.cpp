// Window classes, creation and destruction, window data, properties, text and the window tree.

#include "platform/WinBase.h"
#include "platform/WinGdi.h"
#include "platform/window/UserInternal.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

using platform::Window;
using platform::WindowClass;
using platform::WindowManager;

namespace {

constexpr int kDefaultX = 100, kDefaultY = 80, kDefaultWidth = 800, kDefaultHeight = 600;

HWND const kDesktop = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x10000));

// The last error of a failed call, set after the lock is released.
BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

ATOM Register(const WNDCLASSEXW& wc)
{
    if (!wc.lpszClassName || IS_INTRESOURCE(wc.lpszClassName) || !wc.lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WindowManager& wm = WindowManager::Get();
    std::unique_lock lock(wm.lock);
    for (const auto& cls : wm.classes) {
        if (wcscasecmp(cls->name.c_str(), wc.lpszClassName) == 0 && (cls->instance == wc.hInstance || cls->system)) {
            lock.unlock();
            SetLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
    }
    auto cls = std::make_shared<WindowClass>();
    cls->name = wc.lpszClassName;
    cls->style = wc.style;
    cls->proc = wc.lpfnWndProc;
    cls->classExtra = std::max(0, wc.cbClsExtra);
    cls->windowExtra = std::max(0, wc.cbWndExtra);
    cls->instance = wc.hInstance;
    cls->icon = wc.hIcon;
    cls->smallIcon = wc.hIconSm;
    cls->cursor = wc.hCursor;
    cls->background = wc.hbrBackground;
    cls->system = wc.hInstance == nullptr;
    cls->atom = wm.nextAtom++;
    wm.classes.push_back(cls);
    return cls->atom;
}

DWORD CurrentThread() { return GetCurrentThreadId(); }

}  // namespace

ATOM RegisterClassEx(const WNDCLASSEXW* wc)
{
    if (!wc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return Register(*wc);
}

ATOM RegisterClass(const WNDCLASSW* wc)
{
    if (!wc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WNDCLASSEXW ex { sizeof(WNDCLASSEXW), wc->style, wc->lpfnWndProc, wc->cbClsExtra, wc->cbWndExtra, wc->hInstance,
                     wc->hIcon, wc->hCursor, wc->hbrBackground, wc->lpszMenuName, wc->lpszClassName, nullptr };
    return Register(ex);
}

BOOL UnregisterClass(LPCWSTR className, HINSTANCE instance)
{
    WindowManager& wm = WindowManager::Get();
    std::unique_lock lock(wm.lock);
    std::shared_ptr<WindowClass> cls = wm.FindClass(className, instance);
    if (!cls || (cls->instance != instance && !cls->system)) {
        lock.unlock();
        return Fail(ERROR_CLASS_DOES_NOT_EXIST);
    }
    if (cls.use_count() > 2) {  // the list and `cls` itself: anything more is a window
        lock.unlock();
        return Fail(ERROR_CLASS_HAS_WINDOWS);
    }
    wm.classes.erase(std::find(wm.classes.begin(), wm.classes.end(), cls));
    return TRUE;
}

BOOL GetClassInfoEx(HINSTANCE instance, LPCWSTR className, WNDCLASSEXW* wc)
{
    if (!className || !wc)
        return Fail(ERROR_INVALID_PARAMETER);
    WindowManager& wm = WindowManager::Get();
    std::unique_lock lock(wm.lock);
    std::shared_ptr<WindowClass> cls = wm.FindClass(className, instance);
    if (!cls || (cls->instance != instance && !cls->system)) {
        lock.unlock();
        return Fail(ERROR_CLASS_DOES_NOT_EXIST);
    }
    *wc = { sizeof(WNDCLASSEXW), cls->style, cls->proc, cls->classExtra, cls->windowExtra, cls->instance, cls->icon,
            cls->cursor, cls->background, nullptr, className, cls->smallIcon };
    return TRUE;
}

int GetClassName(HWND hwnd, LPWSTR buffer, int size)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    if (!window || !buffer || size <= 0)
        return 0;
    const int n = std::min<int>(size - 1, static_cast<int>(window->cls->name.size()));
    std::wmemcpy(buffer, window->cls->name.c_str(), n);
    buffer[n] = 0;
    return n;
}

namespace {

struct CreateRequest {
    DWORD exStyle;
    DWORD style;
    int x, y, width, height;
    HWND parent;
    HMENU menu;
    HINSTANCE instance;
};

// Makes the record and links it into the tree; null when the class or parent is wrong.
HWND MakeWindow(WindowManager& wm, const std::shared_ptr<WindowClass>& cls, LPCWSTR title, const CreateRequest& req,
                DWORD& error)
{
    auto window = std::make_unique<Window>();
    window->cls = cls;
    window->proc = cls->proc;
    window->style = req.style & ~WS_VISIBLE;
    window->exStyle = req.exStyle;
    window->title = title ? title : L"";
    window->instance = req.instance;
    window->extra.assign(static_cast<size_t>(cls->windowExtra), 0);
    window->threadId = CurrentThread();
    window->queue = wm.QueueOf(window->threadId);
    window->messageOnly = req.parent == HWND_MESSAGE;
    Window* parent = window->messageOnly ? nullptr : wm.Find(req.parent);
    if (req.parent && !window->messageOnly && req.parent != kDesktop && !parent) {
        error = ERROR_INVALID_WINDOW_HANDLE;
        return nullptr;
    }
    if ((req.style & WS_CHILD) && !parent && !window->messageOnly) {
        error = ERROR_INVALID_PARAMETER;  // a child needs a parent
        return nullptr;
    }
    const bool child = (req.style & WS_CHILD) && parent;
    int x = req.x, y = req.y, width = req.width, height = req.height;
    if (x == CW_USEDEFAULT) {
        x = child ? 0 : kDefaultX;
        y = child ? 0 : kDefaultY;
    }
    if (width == CW_USEDEFAULT) {
        width = child ? 0 : kDefaultWidth;
        height = child ? 0 : kDefaultHeight;
    }
    window->rect = { x, y, x + std::max(0, width), y + std::max(0, height) };
    window->normalRect = window->rect;
    if (child) {
        window->parent = parent;
        window->id = reinterpret_cast<LONG_PTR>(req.menu);
        parent->children.insert(parent->children.begin(), window.get());
    } else if (parent) {
        window->owner = wm.TopLevelOf(parent);
    }
    Window* raw = window.get();
    HWND hwnd = wm.Adopt(std::move(window));
    if (raw->messageOnly) {
        wm.messageOnly.push_back(raw);
    } else if (!child) {
        wm.PlaceTopLevel(raw, nullptr);
        raw->buffer = std::make_unique<platform::BackBuffer>(raw->Width(), raw->Height());
        wm.backend->TopLevelCreated(*raw);
    }
    return hwnd;
}

}  // namespace

HWND CreateWindowEx(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y, int width, int height,
                    HWND parent, HMENU menu, HINSTANCE instance, LPVOID param)
{
    InitCommonControls();  // the system's own classes are there for every program
    WindowManager& wm = WindowManager::Get();
    wm.CurrentQueue();
    HWND hwnd = nullptr;
    {
        std::unique_lock lock(wm.lock);
        std::shared_ptr<WindowClass> cls = className ? wm.FindClass(className, instance) : nullptr;
        if (!cls) {
            lock.unlock();
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        DWORD error = 0;
        hwnd = MakeWindow(wm, cls, title, { exStyle, style, x, y, width, height, parent, menu, instance }, error);
        if (!hwnd) {
            lock.unlock();
            SetLastError(error);
            return nullptr;
        }
    }
    CREATESTRUCTW cs { param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style), title, className, exStyle };
    {
        std::lock_guard guard(wm.lock);
        if (Window* window = wm.Find(hwnd)) {
            cs.x = window->rect.left;
            cs.y = window->rect.top;
            cs.cx = window->Width();
            cs.cy = window->Height();
        }
    }
    if (!SendMessage(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        DestroyWindow(hwnd);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    RECT client {};
    GetWindowRect(hwnd, &client);
    SendMessage(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&client));
    if (SendMessage(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (!IsWindow(hwnd))
        return nullptr;
    RECT rect {};
    GetClientRect(hwnd, &rect);
    SendMessage(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(static_cast<WORD>(rect.right), static_cast<WORD>(rect.bottom)));
    {
        std::lock_guard guard(wm.lock);
        if (Window* window = wm.Find(hwnd))
            rect = window->rect;
    }
    SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(rect.left), static_cast<WORD>(rect.top)));
    if (style & WS_VISIBLE) {
        const bool noActivate = (style & WS_CHILD) || (exStyle & WS_EX_NOACTIVATE);
        ShowWindow(hwnd, noActivate ? SW_SHOWNA : SW_SHOW);
    }
    return IsWindow(hwnd) ? hwnd : nullptr;
}

namespace {

void CollectForDestroy(Window* window, std::vector<HWND>& order)
{
    order.push_back(window->handle);
    for (Window* child : window->children)
        CollectForDestroy(child, order);
}

}  // namespace

BOOL DestroyWindow(HWND hwnd)
{
    WindowManager& wm = WindowManager::Get();
    std::vector<HWND> owned;
    std::vector<HWND> tree;
    bool wasVisible = false;
    {
        std::unique_lock lock(wm.lock);
        Window* window = wm.Find(hwnd);
        if (!window) {
            lock.unlock();
            return Fail(ERROR_INVALID_WINDOW_HANDLE);
        }
        if (window->threadId != CurrentThread()) {
            lock.unlock();
            return Fail(ERROR_WINDOW_OF_OTHER_THREAD);
        }
        if (window->destroying)
            return TRUE;
        window->destroying = true;
        wasVisible = window->visible;
        for (Window* top : wm.topLevels)
            if (top->owner == window)
                owned.push_back(top->handle);
        CollectForDestroy(window, tree);
    }
    // Owned windows go first, then the window hides; WM_DESTROY runs parent first and
    // WM_NCDESTROY children first.
    for (HWND other : owned)
        DestroyWindow(other);
    if (wasVisible)
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (GetCapture() == hwnd)
        ReleaseCapture();
    for (HWND each : tree)
        SendMessage(each, WM_DESTROY, 0, 0);
    {
        std::lock_guard guard(wm.lock);
        for (HWND each : tree) {
            Window* window = wm.Find(each);
            if (!window)
                continue;
            // Focus inside a going window leaves it without sending to it any more.
            if (wm.focus == each)
                wm.focus = nullptr;
            auto& timers = window->queue->timers;
            timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const platform::TimerRecord& t) { return t.hwnd == each; }),
                         timers.end());
        }
    }
    for (auto it = tree.rbegin(); it != tree.rend(); ++it)
        SendMessage(*it, WM_NCDESTROY, 0, 0);
    {
        std::lock_guard guard(wm.lock);
        for (auto it = tree.rbegin(); it != tree.rend(); ++it) {
            Window* window = wm.Find(*it);
            if (!window)
                continue;
            if (window->buffer || window->native)
                wm.backend->TopLevelDestroyed(*window);
            if (window->region)
                DeleteObject(window->region);
            window->destroyed = true;
            if (!window->parent) {
                if (Window* top = wm.TopLevelOf(window); top == window && wm.active == *it)
                    wm.active = nullptr;
            }
            wm.Forget(*window);
        }
    }
    platform::DeactivateIfGone(hwnd);
    return TRUE;
}

BOOL IsWindow(HWND hwnd)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    return window != nullptr;
}

BOOL IsChild(HWND parent, HWND hwnd)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* ancestor = wm.Find(parent);
    Window* window = wm.Find(hwnd);
    if (!ancestor || !window)
        return FALSE;
    for (Window* w = window->parent; w; w = w->parent)
        if (w == ancestor)
            return TRUE;
    return FALSE;
}

HWND GetParent(HWND hwnd)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    if (!window)
        return nullptr;
    if (window->parent)
        return window->parent->handle;
    return (window->style & WS_POPUP) && window->owner ? window->owner->handle : nullptr;
}

HWND SetParent(HWND hwnd, HWND parent)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    Window* newParent = wm.Find(parent);
    if (!window || !window->parent || !newParent)
        return nullptr;  // only child windows move between parents here
    Window* old = window->parent;
    old->children.erase(std::remove(old->children.begin(), old->children.end(), window), old->children.end());
    window->parent = newParent;
    newParent->children.insert(newParent->children.begin(), window);
    wm.Invalidate(old, &window->rect, true, true);
    wm.Invalidate(window, nullptr, true, true);
    return old->handle;
}

HWND GetAncestor(HWND hwnd, UINT flags)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    if (!window)
        return nullptr;
    switch (flags) {
    case GA_PARENT:
        return window->parent ? window->parent->handle : kDesktop;
    case GA_ROOT:
        return wm.TopLevelOf(window)->handle;
    case GA_ROOTOWNER: {
        Window* root = wm.TopLevelOf(window);
        while (root->owner)
            root = root->owner;
        return root->handle;
    }
    default:
        return nullptr;
    }
}

HWND GetWindow(HWND hwnd, UINT cmd)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    if (!window)
        return nullptr;
    if (cmd == GW_OWNER)
        return window->owner ? window->owner->handle : nullptr;
    if (cmd == GW_CHILD)
        return window->children.empty() ? nullptr : window->children.front()->handle;
    const std::vector<Window*>& siblings = window->parent ? window->parent->children : wm.topLevels;
    if (siblings.empty())
        return nullptr;
    auto it = std::find(siblings.begin(), siblings.end(), window);
    switch (cmd) {
    case GW_HWNDFIRST:
        return siblings.front()->handle;
    case GW_HWNDLAST:
        return siblings.back()->handle;
    case GW_HWNDNEXT:
        return (it == siblings.end() || it + 1 == siblings.end()) ? nullptr : (*(it + 1))->handle;
    case GW_HWNDPREV:
        return (it == siblings.end() || it == siblings.begin()) ? nullptr : (*(it - 1))->handle;
    default:
        return nullptr;
    }
}

HWND GetTopWindow(HWND hwnd)
{
    if (!hwnd || hwnd == kDesktop) {
        WindowManager& wm = WindowManager::Get();
        std::lock_guard guard(wm.lock);
        return wm.topLevels.empty() ? nullptr : wm.topLevels.front()->handle;
    }
    return GetWindow(hwnd, GW_CHILD);
}

HWND GetDesktopWindow() { return kDesktop; }

DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD processId)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    if (!window)
        return 0;
    if (processId)
        *processId = GetCurrentProcessId();
    return window->threadId;
}

BOOL EnumWindows(WNDENUMPROC proc, LPARAM param)
{
    std::vector<HWND> handles;
    {
        WindowManager& wm = WindowManager::Get();
        std::lock_guard guard(wm.lock);
        for (Window* window : wm.topLevels)
            handles.push_back(window->handle);
    }
    for (HWND hwnd : handles)
        if (IsWindow(hwnd) && !proc(hwnd, param))
            return FALSE;
    return TRUE;
}

HWND FindWindowEx(HWND parent, HWND after, LPCWSTR className, LPCWSTR title)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    const std::vector<Window*>* list = &wm.topLevels;
    if (parent == HWND_MESSAGE) {
        list = &wm.messageOnly;
    } else if (parent && parent != kDesktop) {
        Window* p = wm.Find(parent);
        if (!p)
            return nullptr;
        list = &p->children;
    }
    bool started = after == nullptr;
    for (Window* window : *list) {
        if (!started) {
            started = window->handle == after;
            continue;
        }
        const bool classOk = !className
            || (IS_INTRESOURCE(className) ? window->cls->atom == static_cast<ATOM>(reinterpret_cast<uintptr_t>(className))
                                          : wcscasecmp(window->cls->name.c_str(), className) == 0);
        const bool titleOk = !title || window->title == title;
        if (classOk && titleOk)
            return window->handle;
    }
    return nullptr;
}

HWND FindWindow(LPCWSTR className, LPCWSTR title)
{
    if (HWND mine = FindWindowEx(nullptr, nullptr, className, title))
        return mine;
    return platform::FindForeignWindow(className, title);
}

LONG_PTR GetWindowLongPtr(HWND hwnd, int index)
{
    WindowManager& wm = WindowManager::Get();
    std::unique_lock lock(wm.lock);
    Window* window = wm.Find(hwnd);
    if (!window) {
        lock.unlock();
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (index) {
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(window->proc);
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(window->instance);
    case GWLP_HWNDPARENT:
        return reinterpret_cast<LONG_PTR>(window->parent ? window->parent->handle : window->owner ? window->owner->handle : nullptr);
    case GWLP_ID:
        return window->id;
    case GWL_STYLE:
        return static_cast<LONG_PTR>(window->style | (window->visible ? WS_VISIBLE : 0));
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(window->exStyle);
    case GWLP_USERDATA:
        return window->userData;
    default:
        break;
    }
    if (index < 0 || static_cast<size_t>(index) + sizeof(LONG_PTR) > window->extra.size()) {
        lock.unlock();
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    LONG_PTR value = 0;
    std::memcpy(&value, window->extra.data() + index, sizeof(value));
    return value;
}

namespace {

void ChangeStyle(HWND hwnd, int index, DWORD value)
{
    WindowManager& wm = WindowManager::Get();
    STYLESTRUCT change {};
    {
        std::lock_guard guard(wm.lock);
        Window* window = wm.Find(hwnd);
        if (!window)
            return;
        change.styleOld = index == GWL_STYLE ? (window->style | (window->visible ? WS_VISIBLE : 0)) : window->exStyle;
    }
    change.styleNew = value;
    SendMessage(hwnd, WM_STYLECHANGING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
    {
        std::lock_guard guard(wm.lock);
        Window* window = wm.Find(hwnd);
        if (!window)
            return;
        if (index == GWL_STYLE) {
            // Visibility changes only through ShowWindow and SetWindowPos.
            window->style = change.styleNew & ~WS_VISIBLE;
        } else {
            const bool wasLayered = window->exStyle & WS_EX_LAYERED;
            window->exStyle = change.styleNew;
            if (wasLayered && !(window->exStyle & WS_EX_LAYERED)) {
                window->layer = platform::LayerMode::None;
                window->constantAlpha = 255;
                wm.Invalidate(window, nullptr, true, true);
            }
        }
        if (!window->parent && !window->messageOnly)
            wm.backend->TopLevelChanged(*window, platform::ChangeStyle | platform::ChangeLayer);
    }
    SendMessage(hwnd, WM_STYLECHANGED, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
}

}  // namespace

LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value)
{
    if (index == GWL_STYLE || index == GWL_EXSTYLE) {
        const LONG_PTR old = GetWindowLongPtr(hwnd, index);
        if (IsWindow(hwnd))
            ChangeStyle(hwnd, index, static_cast<DWORD>(value));
        return old;
    }
    WindowManager& wm = WindowManager::Get();
    std::unique_lock lock(wm.lock);
    Window* window = wm.Find(hwnd);
    if (!window) {
        lock.unlock();
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    LONG_PTR old = 0;
    switch (index) {
    case GWLP_WNDPROC:
        old = reinterpret_cast<LONG_PTR>(window->proc);
        window->proc = reinterpret_cast<WNDPROC>(value);
        return old;
    case GWLP_HINSTANCE:
        old = reinterpret_cast<LONG_PTR>(window->instance);
        window->instance = reinterpret_cast<HINSTANCE>(value);
        return old;
    case GWLP_HWNDPARENT:
        // For a top-level window this sets the owner, as on Windows.
        old = reinterpret_cast<LONG_PTR>(window->owner ? window->owner->handle : nullptr);
        if (!window->parent)
            window->owner = wm.TopLevelOf(wm.Find(reinterpret_cast<HWND>(value)));
        return old;
    case GWLP_ID:
        old = window->id;
        window->id = value;
        return old;
    case GWLP_USERDATA:
        old = window->userData;
        window->userData = value;
        return old;
    default:
        break;
    }
    if (index < 0 || static_cast<size_t>(index) + sizeof(LONG_PTR) > window->extra.size()) {
        lock.unlock();
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::memcpy(&old, window->extra.data() + index, sizeof(old));
    std::memcpy(window->extra.data() + index, &value, sizeof(value));
    return old;
}

LONG GetWindowLong(HWND hwnd, int index) { return static_cast<LONG>(GetWindowLongPtr(hwnd, index)); }

LONG SetWindowLong(HWND hwnd, int index, LONG value)
{
    const LONG_PTR wide = (index == GWL_STYLE || index == GWL_EXSTYLE) ? static_cast<LONG_PTR>(static_cast<DWORD>(value)) : value;
    return static_cast<LONG>(SetWindowLongPtr(hwnd, index, wide));
}

BOOL SetProp(HWND hwnd, LPCWSTR name, HANDLE value)
{
    if (!name || IS_INTRESOURCE(name))
        return FALSE;
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    if (!window)
        return FALSE;
    window->props[name] = value;
    return TRUE;
}

namespace {

// Looks a named property of a window up under the manager's lock and hands it to use; nullptr
// for a missing window, an atom or absent name, or a property the window does not have.
template <class Use>
HANDLE WithProp(HWND hwnd, LPCWSTR name, Use use)
{
    if (!name || IS_INTRESOURCE(name))
        return nullptr;
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    Window* window = wm.Find(hwnd);
    if (!window)
        return nullptr;
    auto it = window->props.find(name);
    return it == window->props.end() ? nullptr : use(window->props, it);
}

}  // namespace

HANDLE GetProp(HWND hwnd, LPCWSTR name)
{
    return WithProp(hwnd, name, [](auto&, auto it) { return it->second; });
}

HANDLE RemoveProp(HWND hwnd, LPCWSTR name)
{
    return WithProp(hwnd, name, [](auto& props, auto it) {
        HANDLE value = it->second;
        props.erase(it);
        return value;
    });
}

BOOL SetWindowText(HWND hwnd, LPCWSTR text)
{
    if (!IsWindow(hwnd))
        return FALSE;
    return SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : L"")) ? TRUE : FALSE;
}

int GetWindowText(HWND hwnd, LPWSTR buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    buffer[0] = 0;
    return static_cast<int>(SendMessage(hwnd, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLength(HWND hwnd) { return static_cast<int>(SendMessage(hwnd, WM_GETTEXTLENGTH, 0, 0)); }

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}
