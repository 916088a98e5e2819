#pragma once
// The per-thread task runner. Other threads hand a loop tasks, immediately or after a delay, and
// it runs them one at a time on its own thread, in order, between the platform work its pump does.
//
// Rules: a loop lives on the thread that made it and is deleted there. Only the incoming queue is
// shared (under its own lock); the loop swaps it out whole, at most twice per turn of its pump, and
// runs the tasks unlocked, so a task may post freely and a thread that keeps posting cannot hold
// the loop away from its due delayed tasks, its pump's own events or its quit. The pump never
// sleeps on a post it was not told about: a loop answers "nothing ready" only after looking at the
// incoming queue. A turn runs the delayed tasks due when it began, for a bounded time. While a
// task runs no other task of the loop runs, even in a nested loop; a non-nestable task runs only
// at run depth 1. A loop stops only when it runs out of ready work after a quit request. Other
// threads should post through the MessageLoopProxy, which outlives the loop and then refuses posts.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "base/Lock.h"
#include "base/MessagePump.h"
#include "base/ObserverList.h"
#include "base/WeakCallback.h"

namespace tbase {

using Task = std::function<void()>;

class Dispatcher;
class MessageLoop;
class MessageLoopProxy;

struct TaskRecord {
    int64_t runTime { 0 };   // microseconds on the tick clock; 0 = immediate
    int64_t sequence { 0 };  // given when the record enters the delayed queue
    bool nestable { true };
    Task task;
};

// One active run of a loop, on the running thread's stack. Constructing it makes it the loop's
// innermost run (one deeper than the one before it); destroying it restores the previous one.
class LoopRunState {
public:
    explicit LoopRunState(MessageLoop& loop, Dispatcher* dispatcher = nullptr);
    ~LoopRunState();
    LoopRunState(const LoopRunState&) = delete;
    LoopRunState& operator=(const LoopRunState&) = delete;

    int runDepth;
    bool quitReceived { false };
    Dispatcher* dispatcher;

private:
    MessageLoop& m_loop;
    LoopRunState* m_previous;
};

class MessageLoop : public MessagePump::Delegate {
public:
    enum Kind { kDefaultLoop = 0, kUILoop = 1, kIOLoop = 2 };

    class TaskObserver {
    public:
        virtual ~TaskObserver() = default;
        virtual void BeforeTask() = 0;
        virtual void AfterTask() = 0;
    };
    class DestructionObserver {
    public:
        virtual ~DestructionObserver() = default;
        virtual void LoopDestroying() = 0;
    };

    // A loop with the default pump (an event wait), made current on the calling thread.
    MessageLoop();
    ~MessageLoop() override;
    MessageLoop(const MessageLoop&) = delete;
    MessageLoop& operator=(const MessageLoop&) = delete;

    // The calling thread's current loop, or null.
    static MessageLoop* Current();

    int GetKind() const { return m_kind; }
    // Any thread. Delays are microseconds.
    void Post(Task task);
    void PostDelayed(Task task, int64_t delay);
    void PostNonNestable(Task task);
    void PostNonNestableDelayed(Task task, int64_t delay);
    virtual void Enqueue(TaskRecord record);

    // Runs until the pump stops; push a LoopRunState first.
    void Run();
    // Marks the innermost run as quitting: it stops once it runs out of ready work.
    void QuitWhenIdle();

    LoopRunState* CurrentRunState() const { return m_runState; }
    std::shared_ptr<MessageLoopProxy> Proxy() const { return m_proxy; }
    const std::shared_ptr<MessagePump>& Pump() const { return m_pump; }

    void AddTaskObserver(TaskObserver* observer) { m_taskObservers.Add(observer); }
    void RemoveTaskObserver(TaskObserver* observer) { m_taskObservers.Remove(observer); }
    void AddDestructionObserver(DestructionObserver* observer) { m_destructionObservers.Add(observer); }
    void RemoveDestructionObserver(DestructionObserver* observer) { m_destructionObservers.Remove(observer); }

    // The pump's calls.
    bool RunReadyTasks() override;
    bool RunDueDelayedTask(int64_t& nextRunTime) override;
    bool RunIdleTask() override;

protected:
    MessageLoop(int kind, std::shared_ptr<MessagePump> pump);
    // How Run drives the pump; a UI loop hands a run's dispatcher to its pump.
    virtual void RunPump();

private:
    friend class LoopRunState;

    int RunDepth() const { return m_runState ? m_runState->runDepth : 1; }
    void TakeIncoming();
    // True when the record became the earliest delayed task.
    bool InsertDelayed(TaskRecord record);
    void AddDelayed(TaskRecord record);
    void RunOneTask(TaskRecord& record);
    bool DiscardPendingTasks();

    int m_kind;
    LoopRunState* m_runState { nullptr };
    std::shared_ptr<MessagePump> m_pump;
    bool m_nestableTasksAllowed { true };

    Lock m_incomingLock;
    std::deque<TaskRecord> m_incoming;  // the only member other threads touch

    std::deque<TaskRecord> m_work;
    std::deque<TaskRecord> m_deferred;
    std::vector<TaskRecord> m_delayed;  // a heap, earliest run time (then sequence) on top
    int64_t m_nextSequence { 0 };
    int64_t m_recentTime { 0 };

    ObserverList<TaskObserver> m_taskObservers;
    ObserverList<DestructionObserver> m_destructionObservers;
    std::shared_ptr<MessageLoopProxy> m_proxy;
};

// A thread-safe handle for posting to a loop without holding the loop. The loop holds the first
// reference; when the last one goes on another thread while the loop lives, the proxy is deleted on
// the loop's thread. Once the loop's quit request has gone through it, and after the loop is gone,
// every post returns false and drops its task.
class MessageLoopProxy : public SupportWeakCallback {
public:
    virtual ~MessageLoopProxy() = default;

    virtual bool Post(Task task);
    // A delay of 0 queues an immediate task.
    virtual bool PostDelayed(Task task, int64_t delay);
    virtual bool PostNonNestable(Task task);
    virtual bool PostNonNestableDelayed(Task task, int64_t delay);
    virtual bool IsOnLoopThread();
    virtual void DetachLoop();
    // Queues the loop's last task from outside (its quit request): every later post is refused.
    bool PostNonNestableAndClose(Task task);
    // Whether the loop still exists.
    bool HasLoop();
    // The release of the last reference.
    virtual void DestroyOnLoopThread();

private:
    friend class MessageLoop;
    explicit MessageLoopProxy(MessageLoop* loop)
        : m_target(loop)
    {
    }
    bool PostRecord(Task task, int64_t delay, bool nestable);

    Lock m_lock;  // held across a post, so the loop cannot be destroyed meanwhile
    MessageLoop* m_target;
    bool m_closed { false };
};

}  // namespace tbase
