// Message queues: posting, sending, getting and dispatching messages, timers and waits.

#include "platform/WinBase.h"
#include "platform/window/UserInternal.h"

#include <algorithm>
#include <chrono>

using platform::MessageQueue;
using platform::QueuedMessage;
using platform::SentMessage;
using platform::Window;
using platform::WindowManager;

namespace platform {

LRESULT CallProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WindowManager& wm = WindowManager::Get();
    WNDPROC proc = nullptr;
    {
        std::lock_guard guard(wm.lock);
        Window* window = wm.Find(hwnd);
        if (window)
            proc = window->proc;
    }
    return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}

bool PostLocked(WindowManager& wm, Window* window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!window || !window->queue || !window->queue->alive)
        return false;
    QueuedMessage queued;
    queued.msg = { window->handle, msg, wParam, lParam, static_cast<DWORD>(wm.Now()), wm.cursor };
    window->queue->posted.push_back(std::move(queued));
    window->queue->wake.notify_all();
    return true;
}

}  // namespace platform

namespace {

bool IsDescendant(const Window* ancestor, const Window* window)
{
    for (; window; window = window->parent)
        if (window == ancestor)
            return true;
    return false;
}

bool Matches(WindowManager& wm, const MSG& msg, HWND filter, UINT min, UINT max)
{
    if (filter == reinterpret_cast<HWND>(static_cast<intptr_t>(-1))) {
        if (msg.hwnd)
            return false;
    } else if (filter && msg.hwnd != filter && !IsDescendant(wm.Find(filter), wm.Find(msg.hwnd))) {
        return false;
    }
    return (min == 0 && max == 0) || (msg.message >= min && msg.message <= max);
}

bool InRange(UINT msg, UINT min, UINT max) { return (min == 0 && max == 0) || (msg >= min && msg <= max); }

// Answers the first message sent to this thread; the lock is released while the procedure runs.
void AnswerOneSend(MessageQueue& queue, std::unique_lock<std::mutex>& lock)
{
    SentMessage* sent = queue.incoming.front();
    queue.incoming.pop_front();
    SentMessage* outer = queue.currentSend;
    queue.currentSend = sent;
    lock.unlock();
    const LRESULT result = platform::CallProcedure(sent->hwnd, sent->message, sent->wParam, sent->lParam);
    lock.lock();
    queue.currentSend = outer;
    sent->result = result;
    sent->done = true;
    if (!sent->replyWanted) {
        delete sent;
        return;
    }
    if (sent->sender)
        sent->sender->wake.notify_all();
}

// The first window of this thread, parents before children, that needs painting.
Window* FindPaintable(const std::vector<Window*>& windows, const MessageQueue& queue, HWND filter, WindowManager& wm)
{
    for (Window* window : windows) {
        if (!window->visible)
            continue;
        const bool mine = window->queue.get() == &queue;
        const bool wanted = !filter || window->handle == filter || IsDescendant(wm.Find(filter), window);
        if (mine && wanted && !(window->style & WS_MINIMIZE) && !platform::RectEmpty(window->update))
            return window;
        if (Window* child = FindPaintable(window->children, queue, filter, wm))
            return child;
    }
    return nullptr;
}

void NoteTaken(MessageQueue& queue, const QueuedMessage& taken)
{
    queue.lastTime = taken.msg.time;
    queue.lastPos = taken.msg.pt;
    if (taken.msg.message == WM_KEYDOWN || taken.msg.message == WM_SYSKEYDOWN) {
        queue.keyText = taken.input.text;
        queue.keyWasSys = taken.msg.message == WM_SYSKEYDOWN;
    }
}

enum class Fetch { Message, Quit, Nothing };

// The heart of GetMessage and PeekMessage: sent messages, posted and input messages, WM_QUIT,
// WM_PAINT, WM_TIMER, in that order.
Fetch FetchMessage(MSG* out, HWND filter, UINT min, UINT max, bool remove, bool wait, DWORD timeoutMs = INFINITE)
{
    WindowManager& wm = WindowManager::Get();
    std::shared_ptr<MessageQueue> queue = wm.CurrentQueue();
    const auto start = std::chrono::steady_clock::now();
    std::unique_lock lock(wm.lock);
    for (;;) {
        if (!queue->incoming.empty()) {
            AnswerOneSend(*queue, lock);
            continue;
        }
        bool converted = false;
        for (size_t i = 0; i < queue->posted.size(); ++i) {
            QueuedMessage& item = queue->posted[i];
            if (item.raw) {
                const platform::RawInput input = item.input;
                queue->posted.erase(queue->posted.begin() + static_cast<long>(i));
                lock.unlock();
                std::vector<QueuedMessage> made = platform::ConvertInput(*queue, input);
                lock.lock();
                const size_t at = std::min(i, queue->posted.size());
                queue->posted.insert(queue->posted.begin() + static_cast<long>(at), made.begin(), made.end());
                converted = true;
                break;
            }
            if (!Matches(wm, item.msg, filter, min, max))
                continue;
            *out = item.msg;
            if (remove) {
                NoteTaken(*queue, item);
                queue->posted.erase(queue->posted.begin() + static_cast<long>(i));
            }
            return out->message == WM_QUIT ? Fetch::Quit : Fetch::Message;
        }
        if (converted)
            continue;
        if (queue->quit) {
            *out = { nullptr, WM_QUIT, static_cast<WPARAM>(queue->quitCode), 0, static_cast<DWORD>(wm.Now()), wm.cursor };
            if (remove)
                queue->quit = false;
            return Fetch::Quit;
        }
        const uint64_t nowNs = wm.NowNs();
        const uint64_t now = nowNs / WindowManager::kNsPerMs;
        if (InRange(WM_PAINT, min, max)) {
            Window* paint = FindPaintable(wm.topLevels, *queue, filter, wm);
            if (!paint)
                paint = FindPaintable(wm.messageOnly, *queue, filter, wm);
            if (paint) {
                *out = { paint->handle, WM_PAINT, 0, 0, static_cast<DWORD>(now), wm.cursor };
                return Fetch::Message;
            }
        }
        uint64_t deadlineNs = UINT64_MAX;
        if (InRange(WM_TIMER, min, max)) {
            for (platform::TimerRecord& timer : queue->timers) {
                const MSG candidate { timer.hwnd, WM_TIMER, timer.id, reinterpret_cast<LPARAM>(timer.proc),
                                      static_cast<DWORD>(now), wm.cursor };
                if (timer.dueNs > nowNs) {
                    deadlineNs = std::min(deadlineNs, timer.dueNs);
                    continue;
                }
                if (!Matches(wm, candidate, filter, min, max))
                    continue;
                *out = candidate;
                if (remove)
                    timer.dueNs = nowNs + uint64_t { timer.elapse } * WindowManager::kNsPerMs;
                return Fetch::Message;
            }
        }
        WindowManager::Tracking& tracking = wm.tracking;
        Window* tracked = wm.Find(tracking.hwnd);
        if (tracked && tracked->queue == queue && (tracking.flags & TME_HOVER)) {
            if (tracking.hoverDue <= now) {
                tracking.flags &= ~TME_HOVER;
                const POINT origin = wm.ClientOriginOnScreen(tracked);
                const POINT client { wm.cursor.x - origin.x, wm.cursor.y - origin.y };
                platform::PostLocked(wm, tracked, WM_MOUSEHOVER, platform::MouseKeyState(wm),
                                     MAKELPARAM(static_cast<WORD>(client.x), static_cast<WORD>(client.y)));
                continue;
            }
            deadlineNs = std::min(deadlineNs, tracking.hoverDue * WindowManager::kNsPerMs);
        }
        if (!wait)
            return Fetch::Nothing;
        auto until = std::chrono::steady_clock::time_point::max();
        if (deadlineNs != UINT64_MAX)
            until = std::chrono::steady_clock::now() + std::chrono::nanoseconds(deadlineNs - std::min(deadlineNs, wm.NowNs()));
        if (timeoutMs != INFINITE)
            until = std::min(until, start + std::chrono::milliseconds(timeoutMs));
        if (until == std::chrono::steady_clock::time_point::max())
            queue->wake.wait(lock);
        else if (queue->wake.wait_until(lock, until) == std::cv_status::timeout && timeoutMs != INFINITE
                 && std::chrono::steady_clock::now() >= start + std::chrono::milliseconds(timeoutMs))
            return Fetch::Nothing;
    }
}

DWORD StatusBits(WindowManager& wm, MessageQueue& queue)
{
    DWORD bits = 0;
    for (const QueuedMessage& item : queue.posted) {
        const UINT msg = item.msg.message;
        if (item.raw && item.input.kind >= platform::RawInput::Geometry)
            bits |= QS_POSTMESSAGE;
        else if (item.raw)
            bits |= (item.input.kind >= platform::RawInput::KeyDown && item.input.kind <= platform::RawInput::Text) ? QS_KEY : QS_MOUSEBUTTON;
        else if (msg == WM_MOUSEMOVE)
            bits |= QS_MOUSEMOVE;
        else if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST)
            bits |= QS_MOUSEBUTTON;
        else if (msg >= WM_KEYFIRST && msg <= WM_KEYLAST)
            bits |= QS_KEY;
        else
            bits |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
    }
    if (queue.quit)
        bits |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
    if (!queue.incoming.empty())
        bits |= QS_SENDMESSAGE;
    const uint64_t nowNs = wm.NowNs();
    for (const platform::TimerRecord& timer : queue.timers)
        if (timer.dueNs <= nowNs)
            bits |= QS_TIMER;
    if (FindPaintable(wm.topLevels, queue, nullptr, wm) || FindPaintable(wm.messageOnly, queue, nullptr, wm))
        bits |= QS_PAINT;
    return bits;
}

}  // namespace

BOOL GetMessage(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    MSG local;
    if (!msg)
        msg = &local;
    return FetchMessage(msg, hwnd, filterMin, filterMax, true, true) == Fetch::Quit ? FALSE : TRUE;
}

BOOL PeekMessage(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    MSG local;
    if (!msg)
        msg = &local;
    return FetchMessage(msg, hwnd, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0, false) == Fetch::Nothing ? FALSE : TRUE;
}

BOOL TranslateMessage(const MSG* msg)
{
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN))
        return FALSE;
    WindowManager& wm = WindowManager::Get();
    std::shared_ptr<MessageQueue> queue = wm.CurrentQueue();
    std::lock_guard guard(wm.lock);
    if (queue->keyText.empty())
        return FALSE;
    const UINT charMsg = queue->keyWasSys ? WM_SYSCHAR : WM_CHAR;
    Window* window = wm.Find(msg->hwnd);
    if (!window)
        return FALSE;
    // The characters are posted messages, which come before input still waiting: they go next.
    std::vector<QueuedMessage> chars;
    for (wchar_t c : queue->keyText) {
        QueuedMessage item;
        item.msg = { msg->hwnd, charMsg, static_cast<WPARAM>(c), msg->lParam & 0xFFFFFF, msg->time, msg->pt };
        chars.push_back(item);
    }
    window->queue->posted.insert(window->queue->posted.begin(), chars.begin(), chars.end());
    queue->keyText.clear();
    return TRUE;
}

LRESULT DispatchMessage(const MSG* msg)
{
    if (!msg)
        return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    if (!msg->hwnd)
        return 0;
    WindowManager& wm = WindowManager::Get();
    WNDPROC proc = nullptr;
    {
        std::lock_guard guard(wm.lock);
        Window* window = wm.Find(msg->hwnd);
        if (!window || window->threadId != GetCurrentThreadId())
            return 0;
        proc = window->proc;
    }
    return proc ? proc(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
}

BOOL WaitMessage()
{
    return MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) != WAIT_FAILED;
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds, DWORD wakeMask)
{
    return MsgWaitForMultipleObjectsEx(count, handles, milliseconds, wakeMask, waitAll ? MWMO_WAITALL : 0);
}

DWORD MsgWaitForMultipleObjectsEx(DWORD count, const HANDLE* handles, DWORD milliseconds, DWORD wakeMask, DWORD flags)
{
    if (count > MAXIMUM_WAIT_OBJECTS || (count && !handles))
        return WAIT_FAILED;
    WindowManager& wm = WindowManager::Get();
    std::shared_ptr<MessageQueue> queue = wm.CurrentQueue();
    const auto start = std::chrono::steady_clock::now();
    std::unique_lock lock(wm.lock);
    for (;;) {
        if (count) {
            // Kernel objects cannot wake the queue, so they are polled between short waits.
            lock.unlock();
            const DWORD got = (flags & MWMO_WAITALL) ? WaitForMultipleObjects(count, handles, TRUE, 0)
                                                    : WaitForMultipleObjects(count, handles, FALSE, 0);
            lock.lock();
            if (got < WAIT_OBJECT_0 + count)
                return got;
        }
        if (StatusBits(wm, *queue) & wakeMask)
            return WAIT_OBJECT_0 + count;
        // Due timers and hover need no wake-up from outside: look again by then.
        uint64_t deadlineNs = UINT64_MAX;
        for (const platform::TimerRecord& timer : queue->timers)
            deadlineNs = std::min(deadlineNs, timer.dueNs);
        auto until = start + std::chrono::milliseconds(milliseconds == INFINITE ? 0 : milliseconds);
        if (milliseconds == INFINITE)
            until = std::chrono::steady_clock::time_point::max();
        if (deadlineNs != UINT64_MAX)
            until = std::min(until, std::chrono::steady_clock::now() + std::chrono::nanoseconds(deadlineNs - std::min(deadlineNs, wm.NowNs())));
        if (count)
            until = std::min(until, std::chrono::steady_clock::now() + std::chrono::milliseconds(5));
        if (milliseconds != INFINITE && std::chrono::steady_clock::now() >= start + std::chrono::milliseconds(milliseconds))
            return WAIT_TIMEOUT;
        if (until == std::chrono::steady_clock::time_point::max())
            queue->wake.wait(lock);
        else
            queue->wake.wait_until(lock, until);
        // Sent messages are answered while waiting, as Windows does for a thread in a wait.
        while (!queue->incoming.empty() && !(wakeMask & QS_SENDMESSAGE))
            AnswerOneSend(*queue, lock);
    }
}

DWORD GetQueueStatus(UINT flags)
{
    WindowManager& wm = WindowManager::Get();
    std::shared_ptr<MessageQueue> queue = wm.CurrentQueue();
    std::lock_guard guard(wm.lock);
    const DWORD bits = StatusBits(wm, *queue) & flags;
    return (bits << 16) | bits;
}

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!hwnd)
        return PostThreadMessage(GetCurrentThreadId(), msg, wParam, lParam);
    if (const auto foreign = platform::ForeignPostMessage(hwnd, msg, wParam, lParam))
        return *foreign;
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    if (hwnd == HWND_BROADCAST) {
        for (Window* window : wm.topLevels)
            platform::PostLocked(wm, window, msg, wParam, lParam);
        return TRUE;
    }
    if (!platform::PostLocked(wm, wm.Find(hwnd), msg, wParam, lParam)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL PostThreadMessage(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WindowManager& wm = WindowManager::Get();
    if (threadId == GetCurrentThreadId())
        wm.CurrentQueue();
    std::lock_guard guard(wm.lock);
    std::shared_ptr<MessageQueue> queue = wm.QueueOf(threadId);
    if (!queue || !queue->alive) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    QueuedMessage queued;
    queued.msg = { nullptr, msg, wParam, lParam, static_cast<DWORD>(wm.Now()), wm.cursor };
    queue->posted.push_back(std::move(queued));
    queue->wake.notify_all();
    return TRUE;
}

namespace {

LRESULT SendAcross(WindowManager& wm, std::unique_lock<std::mutex>& lock, MessageQueue& me, Window* target, UINT msg,
                   WPARAM wParam, LPARAM lParam)
{
    SentMessage sent;
    sent.hwnd = target->handle;
    sent.message = msg;
    sent.wParam = wParam;
    sent.lParam = lParam;
    sent.sender = &me;
    std::shared_ptr<MessageQueue> theirs = target->queue;
    theirs->incoming.push_back(&sent);
    theirs->wake.notify_all();
    // While waiting, answer what others send us: two threads sending to each other both go on.
    while (!sent.done) {
        if (!me.incoming.empty()) {
            AnswerOneSend(me, lock);
            continue;
        }
        me.wake.wait(lock);
    }
    (void)wm;
    return sent.result;
}

}  // namespace

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WindowManager& wm = WindowManager::Get();
    std::shared_ptr<MessageQueue> me = wm.CurrentQueue();
    std::unique_lock lock(wm.lock);
    Window* target = wm.Find(hwnd);
    if (!target) {
        lock.unlock();
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (target->queue == me) {
        WNDPROC proc = target->proc;
        lock.unlock();
        return proc ? proc(hwnd, msg, wParam, lParam) : 0;
    }
    if (!target->queue || !target->queue->alive)
        return 0;
    return SendAcross(wm, lock, *me, target, msg, wParam, lParam);
}

BOOL SendNotifyMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WindowManager& wm = WindowManager::Get();
    std::shared_ptr<MessageQueue> me = wm.CurrentQueue();
    std::unique_lock lock(wm.lock);
    Window* target = wm.Find(hwnd);
    if (!target)
        return FALSE;
    if (target->queue == me) {
        lock.unlock();
        SendMessage(hwnd, msg, wParam, lParam);
        return TRUE;
    }
    auto* sent = new SentMessage { hwnd, msg, wParam, lParam, 0, false, false, nullptr };
    target->queue->incoming.push_back(sent);
    target->queue->wake.notify_all();
    return TRUE;
}

void PostQuitMessage(int exitCode)
{
    WindowManager& wm = WindowManager::Get();
    std::shared_ptr<MessageQueue> queue = wm.CurrentQueue();
    std::lock_guard guard(wm.lock);
    queue->quit = true;
    queue->quitCode = exitCode;
    queue->wake.notify_all();
}

BOOL InSendMessage()
{
    WindowManager& wm = WindowManager::Get();
    std::shared_ptr<MessageQueue> queue = wm.CurrentQueue();
    std::lock_guard guard(wm.lock);
    return queue->currentSend != nullptr;
}

BOOL CallMsgFilter(LPMSG, int) { return FALSE; }

DWORD GetMessageTime()
{
    WindowManager& wm = WindowManager::Get();
    std::shared_ptr<MessageQueue> queue = wm.CurrentQueue();
    std::lock_guard guard(wm.lock);
    return queue->lastTime;
}

DWORD GetMessagePos()
{
    WindowManager& wm = WindowManager::Get();
    std::shared_ptr<MessageQueue> queue = wm.CurrentQueue();
    std::lock_guard guard(wm.lock);
    return static_cast<DWORD>(MAKELONG(static_cast<WORD>(queue->lastPos.x), static_cast<WORD>(queue->lastPos.y)));
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    WindowManager& wm = WindowManager::Get();
    std::shared_ptr<MessageQueue> queue = wm.CurrentQueue();
    std::lock_guard guard(wm.lock);
    std::shared_ptr<MessageQueue> owner = queue;
    if (hwnd) {
        Window* window = wm.Find(hwnd);
        if (!window) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        owner = window->queue;
    } else {
        id = ++queue->nextThreadTimerId;
    }
    elapse = std::max(elapse, USER_TIMER_MINIMUM);
    const uint64_t due = wm.NowNs() + uint64_t { elapse } * WindowManager::kNsPerMs;
    for (platform::TimerRecord& timer : owner->timers) {
        if (timer.hwnd == hwnd && timer.id == id) {
            timer = { hwnd, id, elapse, due, proc };
            owner->wake.notify_all();
            return id ? id : 1;
        }
    }
    owner->timers.push_back({ hwnd, id, elapse, due, proc });
    owner->wake.notify_all();
    return id ? id : 1;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id)
{
    WindowManager& wm = WindowManager::Get();
    std::shared_ptr<MessageQueue> queue = wm.CurrentQueue();
    std::lock_guard guard(wm.lock);
    std::shared_ptr<MessageQueue> owner = queue;
    if (hwnd) {
        Window* window = wm.Find(hwnd);
        if (!window)
            return FALSE;
        owner = window->queue;
    }
    auto& timers = owner->timers;
    auto it = std::find_if(timers.begin(), timers.end(), [&](const platform::TimerRecord& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == timers.end())
        return FALSE;
    timers.erase(it);
    // A WM_TIMER already taken out stays; none is generated any more.
    return TRUE;
}
