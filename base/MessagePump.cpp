#include "base/MessagePump.h"

#include <algorithm>

#include "base/TickClock.h"

namespace tbase {

int64_t MillisecondsUntilDue(int64_t runTime, int64_t now)
{
    if (runTime == 0)
        return -1;
    const int64_t remaining = runTime - now;
    if (remaining <= 0)
        return 0;
    return (remaining + 999) / 1000;
}

DefaultMessagePump::DefaultMessagePump()
    : m_wakeEvent(::CreateEvent(nullptr, FALSE, FALSE, nullptr))
{
}

DefaultMessagePump::~DefaultMessagePump()
{
    if (m_wakeEvent)
        ::CloseHandle(m_wakeEvent);
}

void DefaultMessagePump::Wake()
{
    ::SetEvent(m_wakeEvent);
}

void DefaultMessagePump::Run(Delegate* delegate)
{
    bool did = delegate->RunReadyTasks();
    while (!m_stopRequested) {
        did |= delegate->RunDueDelayedTask(m_delayedWorkTime);
        if (m_stopRequested)
            break;
        if (!did) {
            did = delegate->RunIdleTask();
            if (m_stopRequested)
                break;
            if (!did)
                WaitForWork();
        }
        did = delegate->RunReadyTasks();
    }
    m_stopRequested = false;
}

void DefaultMessagePump::WaitForWork()
{
    if (m_delayedWorkTime == 0) {
        ::WaitForSingleObject(m_wakeEvent, INFINITE);
        return;
    }
    const int64_t wait = MillisecondsUntilDue(m_delayedWorkTime, TickClock::Now());
    if (wait <= 0) {
        m_delayedWorkTime = 0;
        return;
    }
    ::WaitForSingleObject(m_wakeEvent, static_cast<DWORD>(std::min(wait, kLongestWaitMs)));
}

}  // namespace tbase
