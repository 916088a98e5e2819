// Work that other threads hand to the UI thread. Tasks run in the order they were posted, one at a
// time: a task that runs a modal loop (a notice) holds the rest back until it returns, so the
// nested loop never runs a later task first.

#include "editor/mainwnd/MainWnd.h"
#include "platform/Windows.h"

void CMainWnd::PostUiTask(std::function<void()> task)
{
    {
        std::lock_guard lock(m_uiTaskLock);
        m_uiTasks.push_back(std::move(task));
    }
    ::PostMessage(m_hWnd, kMsgRunUiTasks, 0, 0);  // fails once the window is gone: the task is dropped
}

void CMainWnd::RunUiTasks()
{
    if (m_bRunningUiTasks)
        return;  // the outer run goes on with the queue when its task returns
    m_bRunningUiTasks = true;
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(m_uiTaskLock);
            if (m_uiTasks.empty())
                break;
            task = std::move(m_uiTasks.front());
            m_uiTasks.pop_front();
        }
        task();
    }
    m_bRunningUiTasks = false;
}
