#pragma once
// The loops' time base: a millisecond count that keeps growing across the 49.7-day wrap of the
// system's 32-bit count, handed out in microseconds. One process-wide clock serves every loop;
// its source can be replaced so the wrap can be exercised without waiting for it.

#include <cstdint>

#include "base/Lock.h"

namespace tbase {

class TickClock {
public:
    using Source = DWORD (*)();

    explicit TickClock(Source source);

    // Microseconds; never smaller than an earlier reading as long as readings come at least once
    // per 49.7 days.
    int64_t Read();
    // Replaces the millisecond source and starts a new count from it: what the old source last
    // read never counts as a wrap of the new one, so a test's clock does not depend on what ran
    // before it. Only for tests, while no loop waits on delayed work.
    void SetSource(Source source);

    static TickClock& Process();
    static int64_t Now() { return Process().Read(); }

private:
    Lock m_lock;  // serialises readers: the wrap test and the update must be one step
    Source m_source;
    DWORD m_lastReading { 0 };
    uint64_t m_rollover { 0 };  // milliseconds
};

}  // namespace tbase
