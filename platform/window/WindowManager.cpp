#include "platform/window/WindowManager.h"

#include "platform/WinBase.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/x11/X11Backend.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {

bool RectEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT RectIntersect(const RECT& a, const RECT& b)
{
    RECT r { std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom) };
    return RectEmpty(r) ? RECT {} : r;
}

RECT RectUnion(const RECT& a, const RECT& b)
{
    if (RectEmpty(a))
        return b;
    if (RectEmpty(b))
        return a;
    return { std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom) };
}

RECT RectOffset(RECT r, int dx, int dy) { return { r.left + dx, r.top + dy, r.right + dx, r.bottom + dy }; }

namespace {

enum class Choice { Unset, Headless, X11 };
std::atomic<Choice> g_forced { Choice::Unset };

// Ends the thread's queue with the thread, so windows it leaves behind are forgotten and threads
// waiting on a send to it are answered.
struct QueueHolder {
    DWORD threadId = 0;
    ~QueueHolder()
    {
        if (threadId)
            WindowManager::Get().EndThread(threadId);
    }
};
thread_local QueueHolder t_queue;

void ChooseBackend(WindowManager& wm)
{
    const char* env = std::getenv("QUILL_BACKEND");
    const std::string choice = env ? env : "";
    const bool wantHeadless = g_forced == Choice::Headless || choice == "headless";
    if (!wantHeadless && (choice == "x11" || (choice.empty() && std::getenv("DISPLAY")))) {
        wm.backend = CreateX11Backend();
        if (wm.backend)
            return;
        std::fprintf(stderr, "Quillmoor: cannot open the X display \"%s\"; set DISPLAY to a running X server, "
                             "or QUILL_BACKEND=headless to run without one.\n", std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
        std::exit(1);
    }
    if (!wantHeadless) {
        std::fprintf(stderr, "Quillmoor: no display. Set DISPLAY to a running X server, or QUILL_BACKEND=headless "
                             "to run without one.\n");
        std::exit(1);
    }
    wm.backend = CreateHeadlessBackend();
    wm.headless = true;
}

}  // namespace

WindowManager& WindowManager::Get()
{
    // Never destroyed: threads may still end (and reach their queue holders) during exit.
    static WindowManager* s_manager = [] {
        auto* wm = new WindowManager();
        ChooseBackend(*wm);
        return wm;
    }();
    return *s_manager;
}

bool WindowManager::UseHeadless()
{
    Choice expected = Choice::Unset;
    g_forced.compare_exchange_strong(expected, Choice::Headless);
    return Get().headless;
}

Window* WindowManager::Find(HWND hwnd) const
{
    auto it = m_windows.find(reinterpret_cast<uintptr_t>(hwnd));
    if (it == m_windows.end() || it->second->destroyed)
        return nullptr;
    return it->second.get();
}

HWND WindowManager::Adopt(std::unique_ptr<Window> window)
{
    const uintptr_t value = m_nextHandle;
    m_nextHandle += 4;
    window->handle = reinterpret_cast<HWND>(value);
    HWND hwnd = window->handle;
    m_windows.emplace(value, std::move(window));
    return hwnd;
}

HWND WindowManager::ForeignHandle(unsigned long id)
{
    for (const auto& [value, known] : m_foreign)
        if (known == id)
            return reinterpret_cast<HWND>(value);
    const uintptr_t value = m_nextHandle;
    m_nextHandle += 4;
    m_foreign.emplace(value, id);
    return reinterpret_cast<HWND>(value);
}

unsigned long WindowManager::ForeignId(HWND hwnd) const
{
    auto it = m_foreign.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == m_foreign.end() ? 0 : it->second;
}

void WindowManager::Forget(Window& window)
{
    auto remove = [&](std::vector<Window*>& list) { list.erase(std::remove(list.begin(), list.end(), &window), list.end()); };
    remove(topLevels);
    remove(messageOnly);
    if (window.parent)
        remove(window.parent->children);
    for (Window* child : window.children)
        child->parent = nullptr;
    for (auto& [value, other] : m_windows)
        if (other->owner == &window)
            other->owner = nullptr;
    if (focus == window.handle)
        focus = nullptr;
    if (active == window.handle)
        active = nullptr;
    if (capture == window.handle)
        capture = nullptr;
    if (tracking.hwnd == window.handle)
        tracking = {};
    if (lastMouseWindow == window.handle)
        lastMouseWindow = nullptr;
    m_windows.erase(reinterpret_cast<uintptr_t>(window.handle));
}

Window* WindowManager::TopLevelOf(Window* window) const
{
    while (window && window->parent)
        window = window->parent;
    return window;
}

POINT WindowManager::OffsetInTop(const Window* window) const
{
    POINT p {};
    for (; window && window->parent; window = window->parent) {
        p.x += window->rect.left;
        p.y += window->rect.top;
    }
    return p;
}

POINT WindowManager::ClientOriginOnScreen(const Window* window) const
{
    POINT p {};
    for (; window; window = window->parent) {
        p.x += window->rect.left;
        p.y += window->rect.top;
    }
    return p;
}

bool WindowManager::IsVisibleOnScreen(const Window* window) const
{
    for (; window; window = window->parent)
        if (!window->visible || (window->style & WS_MINIMIZE))
            return false;
    return true;
}

void WindowManager::PlaceTopLevel(Window* window, Window* below)
{
    topLevels.erase(std::remove(topLevels.begin(), topLevels.end(), window), topLevels.end());
    if (below) {
        auto it = std::find(topLevels.begin(), topLevels.end(), below);
        if (it != topLevels.end()) {
            topLevels.insert(it + 1, window);
            return;
        }
    }
    // Top of its band: topmost windows stay above all others.
    auto it = topLevels.begin();
    if (!(window->exStyle & WS_EX_TOPMOST))
        while (it != topLevels.end() && ((*it)->exStyle & WS_EX_TOPMOST))
            ++it;
    topLevels.insert(it, window);
}

void WindowManager::RaiseTopLevel(Window* window, bool withOwned)
{
    PlaceTopLevel(window, nullptr);
    if (!withOwned)
        return;
    // Owned windows stay above their owner, in their present order; owned click-through windows
    // (a frame's shadow) stay right behind it instead.
    std::vector<Window*> owned, behind;
    for (Window* w : topLevels)
        if (w->owner == window)
            ((w->exStyle & WS_EX_TRANSPARENT) ? behind : owned).push_back(w);
    for (auto it = behind.rbegin(); it != behind.rend(); ++it)
        PlaceTopLevel(*it, window);
    for (auto it = owned.rbegin(); it != owned.rend(); ++it)
        RaiseTopLevel(*it, true);
}

std::shared_ptr<WindowClass> WindowManager::FindClass(LPCWSTR name, HINSTANCE instance) const
{
    std::shared_ptr<WindowClass> global;
    for (const auto& cls : classes) {
        const bool named = IS_INTRESOURCE(name) ? cls->atom == static_cast<ATOM>(reinterpret_cast<uintptr_t>(name))
                                                : wcscasecmp(cls->name.c_str(), name) == 0;
        if (!named)
            continue;
        if (cls->instance == instance)
            return cls;
        if (!global)
            global = cls;
    }
    return global;
}

std::shared_ptr<MessageQueue> WindowManager::CurrentQueue()
{
    const DWORD id = GetCurrentThreadId();
    std::lock_guard guard(lock);
    auto it = queues.find(id);
    if (it != queues.end())
        return it->second;
    auto queue = std::make_shared<MessageQueue>(id);
    queues.emplace(id, queue);
    t_queue.threadId = id;
    return queue;
}

std::shared_ptr<MessageQueue> WindowManager::QueueOf(DWORD threadId) const
{
    auto it = queues.find(threadId);
    return it == queues.end() ? nullptr : it->second;
}

void WindowManager::EndThread(DWORD threadId)
{
    std::lock_guard guard(lock);
    auto it = queues.find(threadId);
    if (it == queues.end())
        return;
    std::shared_ptr<MessageQueue> queue = it->second;
    queues.erase(it);
    queue->alive = false;
    for (SentMessage* sent : queue->incoming) {
        sent->done = true;
        if (sent->sender)
            sent->sender->wake.notify_all();
        if (!sent->replyWanted)
            delete sent;
    }
    queue->incoming.clear();
    // Windows the thread left behind disappear without messages: nothing can run their
    // procedures any more.
    std::vector<Window*> orphans;
    for (auto& [value, window] : m_windows)
        if (window->threadId == threadId && !window->destroyed)
            orphans.push_back(window.get());
    for (Window* window : orphans) {
        if (window->buffer || window->native)
            backend->TopLevelDestroyed(*window);
        window->destroyed = true;
    }
    for (Window* window : orphans)
        Forget(*window);
}

namespace {

uint64_t RealNs()
{
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

uint64_t WindowManager::NowNs() const
{
    const uint64_t held = heldAtNs.load();
    return (held ? held : RealNs()) + clockOffsetNs.load();
}

void WindowManager::Hold(bool hold)
{
    const uint64_t held = heldAtNs.load();
    if (hold == (held != 0))
        return;
    if (hold) {
        heldAtNs = RealNs();
        return;
    }
    // Leave out the real time that passed while held, so the clock goes on from where it stood.
    clockOffsetNs -= RealNs() - held;
    heldAtNs = 0;
    std::lock_guard guard(lock);
    WakeAll();
}

void WindowManager::Advance(uint64_t ms)
{
    clockOffsetNs += ms * kNsPerMs;
    std::lock_guard guard(lock);
    WakeAll();
}

void WindowManager::WakeAll()
{
    for (auto& [id, queue] : queues)
        queue->wake.notify_all();
}

std::vector<MonitorDesc> WindowManager::Monitors() const
{
    std::vector<MonitorDesc> monitors = monitorOverride.empty() ? backend->Monitors() : monitorOverride;
    if (monitors.empty())
        monitors.push_back({ { 0, 0, 1920, 1080 }, { 0, 0, 1920, 1080 }, 96 });
    return monitors;
}

int WindowManager::MonitorIndexAt(POINT point, bool nearest) const
{
    const std::vector<MonitorDesc> monitors = Monitors();
    long best = -1, bestDistance = 0;
    for (size_t i = 0; i < monitors.size(); ++i) {
        const RECT& r = monitors[i].rect;
        const long dx = point.x < r.left ? r.left - point.x : point.x >= r.right ? point.x - r.right + 1 : 0;
        const long dy = point.y < r.top ? r.top - point.y : point.y >= r.bottom ? point.y - r.bottom + 1 : 0;
        const long distance = dx * dx + dy * dy;
        if (distance == 0)
            return static_cast<int>(i);
        if (best < 0 || distance < bestDistance) {
            best = static_cast<long>(i);
            bestDistance = distance;
        }
    }
    return nearest ? static_cast<int>(best) : -1;
}

int WindowManager::MonitorIndexOfRect(const RECT& rect, bool nearest) const
{
    const std::vector<MonitorDesc> monitors = Monitors();
    int best = -1;
    long bestArea = 0;
    for (size_t i = 0; i < monitors.size(); ++i) {
        const RECT overlap = RectIntersect(rect, monitors[i].rect);
        const long area = static_cast<long>(overlap.right - overlap.left) * (overlap.bottom - overlap.top);
        if (area > bestArea) {
            best = static_cast<int>(i);
            bestArea = area;
        }
    }
    if (best >= 0 || !nearest)
        return best;
    return MonitorIndexAt({ (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2 }, true);
}

void WindowManager::Invalidate(Window* window, const RECT* rect, bool erase, bool children)
{
    const RECT client { 0, 0, window->Width(), window->Height() };
    const RECT area = rect ? RectIntersect(*rect, client) : client;
    if (RectEmpty(area))
        return;
    window->update = RectUnion(window->update, area);
    window->erase = window->erase || erase;
    if (window->queue)
        window->queue->wake.notify_all();
    if (!children)
        return;
    // Children drawn over the area are painted again after their parent.
    for (Window* child : window->children) {
        const RECT inChild = RectOffset(RectIntersect(area, child->rect), -child->rect.left, -child->rect.top);
        if (!RectEmpty(inChild))
            Invalidate(child, &inChild, erase, true);
    }
}

}  // namespace platform
