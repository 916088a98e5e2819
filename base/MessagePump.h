#pragma once
// A message pump is the waiting half of a message loop: it alternates between the loop's work
// (ready tasks, due delayed tasks, idle work) and the platform's own events, and sleeps when there
// is nothing to do. It calls back into its loop through MessagePump::Delegate.
//
// Wake may be called from any thread; everything else runs on the pump's own thread. Stop takes
// effect at the next test in the pump's loop, never in the middle of a task.

#include <cstdint>

#include "platform/WinBase.h"

namespace tbase {

class MessagePump {
public:
    class Delegate {
    public:
        virtual ~Delegate() = default;
        // Each returns true when it did something.
        virtual bool RunReadyTasks() = 0;
        // nextRunTime: microseconds on the tick clock of the earliest pending delayed task, 0 = none.
        virtual bool RunDueDelayedTask(int64_t& nextRunTime) = 0;
        virtual bool RunIdleTask() = 0;
    };

    virtual ~MessagePump() = default;
    virtual void Run(Delegate* delegate) = 0;
    virtual void Stop() = 0;
    virtual void Wake() = 0;
    // Only from the pump's own thread, through its loop.
    virtual void WakeAt(int64_t runTime) = 0;
};

// The longest finite wait or timer period in milliseconds; INFINITE is one more.
constexpr int64_t kLongestWaitMs = 0xFFFFFFFE;

// Whole milliseconds from now until runTime (microseconds), a fraction counting as a whole one so
// that a wait never ends before its run time: -1 without a run time (0), 0 when already due.
int64_t MillisecondsUntilDue(int64_t runTime, int64_t now);

// Waits on an event: the pump of threads without windows.
class DefaultMessagePump : public MessagePump {
public:
    DefaultMessagePump();
    ~DefaultMessagePump() override;
    DefaultMessagePump(const DefaultMessagePump&) = delete;
    DefaultMessagePump& operator=(const DefaultMessagePump&) = delete;

    void Run(Delegate* delegate) override;
    void Stop() override { m_stopRequested = true; }
    void Wake() override;
    void WakeAt(int64_t runTime) override { m_delayedWorkTime = runTime; }

private:
    void WaitForWork();

    HANDLE m_wakeEvent;
    bool m_stopRequested { false };
    int64_t m_delayedWorkTime { 0 };
};

}  // namespace tbase
