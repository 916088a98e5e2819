// The main window's task queue: work that any thread hands to the UI thread, now or after a
// delay. Posting takes the lock only to add; the UI thread takes one due task at a time under the
// lock and runs it unlocked, so a task may post another.

#include <algorithm>
#include <chrono>
#include <memory>

#include "editor/mainwnd/MainWnd.h"
#include "platform/Windows.h"

namespace {

// Whole milliseconds until due, rounded up so a timer set for them never fires early; 0 when due.
DWORD TicksLeft(std::chrono::steady_clock::time_point due, std::chrono::steady_clock::time_point now)
{
    if (due <= now)
        return 0;
    return static_cast<DWORD>(std::chrono::ceil<std::chrono::milliseconds>(due - now).count());
}

}  // namespace

void CMainWnd::PostUiTask(int delayMs, std::function<void()> task)
{
    {
        std::lock_guard lock(m_uiTaskLock);
        m_vecUiTasks.push_back(
            { std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(0, delayMs)), std::move(task) });
    }
    if (m_hWnd)
        ::PostMessage(m_hWnd, kMsgUiTasks, 0, 0);
}

std::function<void()> CMainWnd::TakeDueUiTask(DWORD& nextWait)
{
    std::lock_guard lock(m_uiTaskLock);
    const auto now = std::chrono::steady_clock::now();
    std::function<void()> task;
    const auto due = std::find_if(m_vecUiTasks.begin(), m_vecUiTasks.end(),
                                  [now](const UiTask& t) { return TicksLeft(t.due, now) == 0; });
    if (due != m_vecUiTasks.end()) {
        task = std::move(due->run);
        m_vecUiTasks.erase(due);
    }
    nextWait = 0;
    for (const UiTask& t : m_vecUiTasks) {
        const DWORD left = TicksLeft(t.due, now);
        if (left > 0)
            nextWait = nextWait == 0 ? left : std::min(nextWait, left);
    }
    return task;
}

void CMainWnd::RunDueUiTasks()
{
    if (m_hWnd == nullptr || !::IsWindow(m_hWnd))
        return DropUiTasks();
    // No guard against nesting: a task that opens a modal box (an export's closing question) leaves
    // the box's loop to run the tasks behind it, so other jobs' progress keeps moving meanwhile.
    // A task may close the window, and the window's last message deletes this object.
    const std::weak_ptr<tbase::WeakFlag> alive = SharedWeakFlag();
    DWORD nextWait = 0;
    while (std::function<void()> task = TakeDueUiTask(nextWait)) {
        task();
        if (alive.expired())
            return;
        if (!::IsWindow(m_hWnd))
            return DropUiTasks();
    }
    if (nextWait > 0)
        ::SetTimer(m_hWnd, kTimerUiTasks, nextWait, nullptr);
}

void CMainWnd::DropUiTasks()
{
    std::lock_guard lock(m_uiTaskLock);
    m_vecUiTasks.clear();  // the window is gone, and its tasks with it
}
