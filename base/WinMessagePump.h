#pragma once
// The common part of the pumps that wait on the platform's own events (window messages, I/O
// completions): one run state per nested Run, kept on the running thread's stack, and the delayed
// work time that bounds their waits. Stop ends the innermost run only, at its next test, never in
// the middle of a task. Everything but Wake runs on the pump's own thread; have-work changes only
// by atomic exchange, so at most one wake-up is in flight per pump.

#include <atomic>
#include <cstdint>

#include "base/MessagePump.h"

namespace tbase {

class Dispatcher;

class WinMessagePump : public MessagePump {
public:
    void Run(Delegate* delegate) override { RunState(delegate, nullptr); }
    void Stop() override;

protected:
    struct PumpRunState {
        int runDepth;
        bool stopRequested;
        Delegate* delegate;
        Dispatcher* dispatcher;
    };

    // Pushes a run state one deeper than the current one, runs PumpLoop, pops it.
    void RunState(Delegate* delegate, Dispatcher* dispatcher);
    virtual void PumpLoop() = 0;
    // Whole milliseconds until the delayed work time, -1 when there is none.
    int64_t MillisecondsUntilDue() const;
    bool StopRequested() const { return m_state->stopRequested; }

    int64_t m_delayedWorkTime { 0 };
    std::atomic<LONG> m_haveWork { 0 };  // 1 while a wake-up is in flight
    PumpRunState* m_state { nullptr };
};

}  // namespace tbase
