#pragma once
// The process's window manager: handles, classes, the top-level z-order, per-thread queues,
// focus, activation, capture, key state, the clock and the backend.
//
// One lock (`lock`) guards all of it. Rules: never call a window procedure, a timer procedure or
// anything that may send a message while holding it; backends are called with it held and never
// call back. Windows are reached by handle through Find(), which returns null for a handle that
// is gone; handles are never reused within a run.

#include "platform/window/Backend.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Window.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace platform {

class WindowManager {
public:
    // The manager, with its backend chosen on first use (QUILL_BACKEND, DISPLAY). Without any
    // usable display the process ends with a message.
    static WindowManager& Get();
    // Selects the headless backend unless a backend is already running; true when headless is
    // the one in use.
    static bool UseHeadless();

    std::mutex lock;
    std::unique_ptr<Backend> backend;
    bool headless = false;

    // ---- Handles and windows (lock held) ----
    Window* Find(HWND hwnd) const;
    HWND Adopt(std::unique_ptr<Window> window);
    void Forget(Window& window);  // unlinks and frees the record
    std::vector<Window*> topLevels;  // z-order, top first (message-only windows excluded)
    std::vector<Window*> messageOnly;
    Window* TopLevelOf(Window* window) const;
    // Child-window position of `window` in its top-level window's coordinates.
    POINT OffsetInTop(const Window* window) const;
    POINT ClientOriginOnScreen(const Window* window) const;
    bool IsVisibleOnScreen(const Window* window) const;
    void RaiseTopLevel(Window* window, bool withOwned);
    void PlaceTopLevel(Window* window, Window* below);  // right under `below`; null: top of band
    // A handle standing for another program's top-level window (the desktop's id), the same each
    // time; and the id a handle stands for, 0 when it stands for none.
    HWND ForeignHandle(unsigned long id);
    unsigned long ForeignId(HWND hwnd) const;

    // ---- Classes (lock held) ----
    std::shared_ptr<WindowClass> FindClass(LPCWSTR name, HINSTANCE instance) const;
    std::vector<std::shared_ptr<WindowClass>> classes;
    ATOM nextAtom = 0xC000;

    // ---- Queues ----
    // The calling thread's queue, made on first use (takes the lock itself).
    std::shared_ptr<MessageQueue> CurrentQueue();
    std::shared_ptr<MessageQueue> QueueOf(DWORD threadId) const;  // lock held
    void EndThread(DWORD threadId);                                // lock taken
    std::map<DWORD, std::shared_ptr<MessageQueue>> queues;

    // ---- Input state (lock held) ----
    HWND focus = nullptr;
    HWND active = nullptr;
    HWND capture = nullptr;
    POINT cursor { -1, -1 };
    BYTE keys[256] {};
    HCURSOR cursorShape = nullptr;
    HWND lastMouseWindow = nullptr;  // the window the last mouse message went to
    // While a thread runs a drag out of one of its windows, its mouse and key input goes to the
    // drag instead of its windows (taken in order by the drag loop).
    DWORD dragThread = 0;
    std::vector<std::pair<RawInput, DWORD>> dragInput;  // with the button and key state after it
    struct Tracking {
        HWND hwnd = nullptr;
        DWORD flags = 0;
        DWORD hoverTime = 0;
        uint64_t hoverDue = 0;
        POINT hoverAnchor {};
    } tracking;

    // ---- Clock ----
    static constexpr uint64_t kNsPerMs = 1000 * 1000;
    uint64_t Now() const { return NowNs() / kNsPerMs; }  // milliseconds; tests move it forward
    // The same clock in nanoseconds, as fine as the system's. Timers fall due by it: on a coarser
    // clock, rounded down, a timer set late in a tick would fire up to a tick early.
    uint64_t NowNs() const;
    void Advance(uint64_t ms);
    // A held clock leaves out real time: it moves only by Advance, so a test can look at the
    // state before a timer is due however slow the machine is. Released, it runs on from there.
    void Hold(bool hold);
    std::atomic<uint64_t> clockOffsetNs { 0 };
    std::atomic<uint64_t> heldAtNs { 0 };  // the real time the clock was held at; 0 while it runs

    // ---- Monitors (lock held) ----
    std::vector<MonitorDesc> Monitors() const;
    int MonitorIndexAt(POINT point, bool nearest) const;
    int MonitorIndexOfRect(const RECT& rect, bool nearest) const;
    std::vector<MonitorDesc> monitorOverride;  // set by the headless screen's DPI and size hooks

    // ---- Delivery from backends (any thread; takes the lock) ----
    void DeliverInput(const RawInput& input);
    // The desktop moved or resized a top-level window, or asked to close it.
    void DeliverGeometry(HWND hwnd, const RECT& rect);
    void DeliverClose(HWND hwnd);
    void DeliverActivation(HWND hwnd, bool active);
    // The desktop minimised (from its task bar) or restored a top-level window.
    void DeliverIconic(HWND hwnd, bool iconic);
    // Another program dropped data on a top-level window; handed over on the window's thread.
    void DeliverDropped(HWND hwnd, POINT screen, std::shared_ptr<const DroppedData> data);

    // ---- Helpers (lock held) ----
    void Invalidate(Window* window, const RECT* rect, bool erase, bool children);
    void WakeQueue(MessageQueue& queue) { queue.wake.notify_all(); }
    void WakeAll();

private:
    WindowManager() = default;
    std::unordered_map<uintptr_t, std::unique_ptr<Window>> m_windows;
    uintptr_t m_nextHandle = 0x10010;
    std::map<uintptr_t, unsigned long> m_foreign;
};

// Lock-free helpers used across the implementation files.
bool RectEmpty(const RECT& r);
RECT RectIntersect(const RECT& a, const RECT& b);
RECT RectUnion(const RECT& a, const RECT& b);
RECT RectOffset(RECT r, int dx, int dy);

}  // namespace platform
