#pragma once
// A process-wide thread-local pointer slot, allocated on first use without a lock and kept until
// the process ends (threads may still read it while static objects are being destroyed).
//
// Two slots exist: ThreadDataSlot holds the framework thread's per-thread data while its body
// runs, CurrentLoopSlot the calling thread's current message loop.

#include <atomic>

#include "platform/WinBase.h"

namespace tbase {

class ThreadLocalSlot {
public:
    constexpr ThreadLocalSlot() = default;
    ThreadLocalSlot(const ThreadLocalSlot&) = delete;
    ThreadLocalSlot& operator=(const ThreadLocalSlot&) = delete;

    void* Get();
    void Set(void* value);

private:
    DWORD Index();

    enum : int { kNotStarted = 0, kAllocating = 1, kReady = 2 };
    std::atomic<int> m_state { kNotStarted };
    DWORD m_index { 0 };  // written once before m_state turns kReady
};

ThreadLocalSlot& ThreadDataSlot();
ThreadLocalSlot& CurrentLoopSlot();

}  // namespace tbase
