#include "base/TickClock.h"

namespace tbase {

TickClock::TickClock(Source source)
    : m_source(source)
{
}

int64_t TickClock::Read()
{
    AutoLock lock(m_lock);
    const DWORD reading = m_source();
    if (reading < m_lastReading)
        m_rollover += uint64_t { 1 } << 32;
    m_lastReading = reading;
    return static_cast<int64_t>(reading + m_rollover) * 1000;
}

void TickClock::SetSource(Source source)
{
    AutoLock lock(m_lock);
    m_source = source;
    m_lastReading = 0;
    m_rollover = 0;
}

TickClock& TickClock::Process()
{
    static TickClock clock(::timeGetTime);
    return clock;
}

}  // namespace tbase
