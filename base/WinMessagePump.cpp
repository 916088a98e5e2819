#include "base/WinMessagePump.h"

#include "base/TickClock.h"

namespace tbase {

void WinMessagePump::Stop()
{
    if (m_state)
        m_state->stopRequested = true;
}

void WinMessagePump::RunState(Delegate* delegate, Dispatcher* dispatcher)
{
    PumpRunState state { m_state ? m_state->runDepth + 1 : 1, false, delegate, dispatcher };
    PumpRunState* previous = m_state;
    m_state = &state;
    PumpLoop();
    m_state = previous;
}

int64_t WinMessagePump::MillisecondsUntilDue() const
{
    return tbase::MillisecondsUntilDue(m_delayedWorkTime, m_delayedWorkTime ? TickClock::Now() : 0);
}

}  // namespace tbase
