#include "base/ThreadLocalSlot.h"

namespace tbase {

DWORD ThreadLocalSlot::Index()
{
    if (m_state.load(std::memory_order_acquire) == kReady)
        return m_index;
    int expected = kNotStarted;
    if (m_state.compare_exchange_strong(expected, kAllocating, std::memory_order_acq_rel)) {
        m_index = ::TlsAlloc();
        m_state.store(kReady, std::memory_order_release);
        return m_index;
    }
    // Another thread is allocating: give it the processor until it is done.
    while (m_state.load(std::memory_order_acquire) != kReady)
        ::Sleep(0);
    return m_index;
}

void* ThreadLocalSlot::Get()
{
    return ::TlsGetValue(Index());
}

void ThreadLocalSlot::Set(void* value)
{
    ::TlsSetValue(Index(), value);
}

// Constant-initialised and trivially destructible: valid from before main until the process ends.
ThreadLocalSlot& ThreadDataSlot()
{
    static constinit ThreadLocalSlot slot;
    return slot;
}

ThreadLocalSlot& CurrentLoopSlot()
{
    static constinit ThreadLocalSlot slot;
    return slot;
}

}  // namespace tbase
