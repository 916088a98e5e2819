#include "base/MessageLoop.h"

#include <algorithm>
#include <utility>

#include "base/ThreadLocalSlot.h"
#include "base/TickClock.h"

namespace tbase {

namespace {

// Heap order: the record that must run last sits lowest, so the earliest is on top.
bool RunsAfter(const TaskRecord& a, const TaskRecord& b)
{
    if (a.runTime != b.runTime)
        return a.runTime > b.runTime;
    return a.sequence > b.sequence;
}

constexpr int kMaxDiscardPasses = 100;
// How long one turn may run due delayed tasks before the pump's other work comes round.
constexpr int64_t kDelayedSliceUs = 2000;

}  // namespace

LoopRunState::LoopRunState(MessageLoop& loop, Dispatcher* dispatcher)
    : runDepth(loop.m_runState ? loop.m_runState->runDepth + 1 : 1)
    , dispatcher(dispatcher)
    , m_loop(loop)
    , m_previous(loop.m_runState)
{
    loop.m_runState = this;
}

LoopRunState::~LoopRunState()
{
    m_loop.m_runState = m_previous;
}

MessageLoop::MessageLoop()
    : MessageLoop(kDefaultLoop, std::make_shared<DefaultMessagePump>())
{
}

MessageLoop::MessageLoop(int kind, std::shared_ptr<MessagePump> pump)
    : m_kind(kind)
    , m_pump(std::move(pump))
{
    CurrentLoopSlot().Set(this);
    m_proxy = std::shared_ptr<MessageLoopProxy>(new MessageLoopProxy(this),
                                                [](MessageLoopProxy* proxy) { proxy->DestroyOnLoopThread(); });
}

MessageLoop::~MessageLoop()
{
    // Destroying a task may post new ones: a bounded number of passes.
    for (int pass = 0; pass < kMaxDiscardPasses; ++pass) {
        DiscardPendingTasks();
        if (m_work.empty())
            TakeIncoming();
        if (!DiscardPendingTasks())
            break;
    }
    m_destructionObservers.Notify([](DestructionObserver& o) { o.LoopDestroying(); });
    m_proxy->DetachLoop();
    m_proxy.reset();
    CurrentLoopSlot().Set(nullptr);
}

MessageLoop* MessageLoop::Current()
{
    return static_cast<MessageLoop*>(CurrentLoopSlot().Get());
}

void MessageLoop::Post(Task task)
{
    Enqueue(TaskRecord { 0, 0, true, std::move(task) });
}

void MessageLoop::PostDelayed(Task task, int64_t delay)
{
    Enqueue(TaskRecord { TickClock::Now() + delay, 0, true, std::move(task) });
}

void MessageLoop::PostNonNestable(Task task)
{
    Enqueue(TaskRecord { 0, 0, false, std::move(task) });
}

void MessageLoop::PostNonNestableDelayed(Task task, int64_t delay)
{
    Enqueue(TaskRecord { TickClock::Now() + delay, 0, false, std::move(task) });
}

void MessageLoop::Enqueue(TaskRecord record)
{
    std::shared_ptr<MessagePump> pump;
    {
        AutoLock lock(m_incomingLock);
        const bool wasEmpty = m_incoming.empty();
        m_incoming.push_back(std::move(record));
        if (!wasEmpty)
            return;  // a wake is already on its way
        pump = m_pump;
    }
    pump->Wake();
}

void MessageLoop::Run()
{
    RunPump();
}

void MessageLoop::RunPump()
{
    m_pump->Run(this);
}

void MessageLoop::QuitWhenIdle()
{
    if (m_runState)
        m_runState->quitReceived = true;
}

void MessageLoop::TakeIncoming()
{
    // Swap, don't copy: the lock is held for the exchange only.
    AutoLock lock(m_incomingLock);
    m_work.swap(m_incoming);
}

bool MessageLoop::RunReadyTasks()
{
    if (!m_nestableTasksAllowed)
        return false;
    // A false answer lets the pump sleep, and a post wakes it only when it finds the incoming
    // queue empty: so before answering false we must have looked at the incoming queue since the
    // pump last took a wake-up. The work queue may still hold the rest of an earlier batch (delayed
    // or non-nestable records); once that runs dry, take the incoming queue once more. No more
    // than that in one call, so a producer that keeps posting cannot hold the pump here.
    bool taken = false;
    for (;;) {
        if (m_work.empty()) {
            if (taken)
                return false;
            TakeIncoming();
            taken = true;
            if (m_work.empty())
                return false;
        }
        TaskRecord record = std::move(m_work.front());
        m_work.pop_front();
        if (record.runTime != 0) {
            AddDelayed(std::move(record));
            continue;
        }
        if (record.nestable || RunDepth() == 1) {
            RunOneTask(record);
            return true;
        }
        m_deferred.push_back(std::move(record));
    }
}

bool MessageLoop::InsertDelayed(TaskRecord record)
{
    record.sequence = m_nextSequence++;
    const int64_t sequence = record.sequence;
    m_delayed.push_back(std::move(record));
    std::push_heap(m_delayed.begin(), m_delayed.end(), RunsAfter);
    return m_delayed.front().sequence == sequence;
}

void MessageLoop::AddDelayed(TaskRecord record)
{
    if (InsertDelayed(std::move(record)))
        m_pump->WakeAt(m_delayed.front().runTime);
}

bool MessageLoop::RunDueDelayedTask(int64_t& nextRunTime)
{
    if (!m_nestableTasksAllowed || m_delayed.empty()) {
        m_recentTime = 0;
        nextRunTime = 0;
        return false;
    }
    m_recentTime = TickClock::Now();
    if (m_delayed.front().runTime > m_recentTime) {
        nextRunTime = m_delayed.front().runTime;
        return false;
    }
    // Every task due when the turn began, one after another: a producer of short delays must not
    // outrun a loop that runs one of them per turn. Tasks falling due meanwhile wait for the next
    // turn, and a slice of time bounds the run, so ready tasks and the pump's events interleave.
    const int64_t start = m_recentTime;
    bool ran = false;
    while (!m_delayed.empty() && m_delayed.front().runTime <= start) {
        std::pop_heap(m_delayed.begin(), m_delayed.end(), RunsAfter);
        TaskRecord record = std::move(m_delayed.back());
        m_delayed.pop_back();
        if (!m_delayed.empty())
            nextRunTime = m_delayed.front().runTime;
        if (!record.nestable && RunDepth() != 1) {
            m_deferred.push_back(std::move(record));
            continue;
        }
        RunOneTask(record);
        ran = true;
        if (TickClock::Now() - start >= kDelayedSliceUs)
            break;
    }
    return ran;
}

bool MessageLoop::RunIdleTask()
{
    if (RunDepth() == 1 && !m_deferred.empty()) {
        TaskRecord record = std::move(m_deferred.front());
        m_deferred.pop_front();
        RunOneTask(record);
        return true;
    }
    if (m_runState && m_runState->quitReceived)
        m_pump->Stop();
    return false;
}

void MessageLoop::RunOneTask(TaskRecord& record)
{
    m_nestableTasksAllowed = false;
    m_taskObservers.Notify([](TaskObserver& o) { o.BeforeTask(); });
    if (record.task)
        record.task();
    m_taskObservers.Notify([](TaskObserver& o) { o.AfterTask(); });
    m_nestableTasksAllowed = true;
    record.task = nullptr;
}

bool MessageLoop::DiscardPendingTasks()
{
    // Move each queue out before destroying it: a task's destructor may post to this loop.
    std::deque<TaskRecord> work;
    work.swap(m_work);
    for (TaskRecord& record : work)
        if (record.runTime != 0)
            InsertDelayed(std::move(record));
    work.clear();

    std::deque<TaskRecord> deferred;
    deferred.swap(m_deferred);
    deferred.clear();

    std::vector<TaskRecord> delayed;
    delayed.swap(m_delayed);
    const bool hadDelayed = !delayed.empty();
    delayed.clear();
    return hadDelayed;
}

bool MessageLoopProxy::PostRecord(Task task, int64_t delay, bool nestable)
{
    AutoLock lock(m_lock);
    if (!m_target || m_closed)
        return false;
    const int64_t runTime = delay == 0 ? 0 : TickClock::Now() + delay;
    m_target->Enqueue(TaskRecord { runTime, 0, nestable, std::move(task) });
    return true;
}

bool MessageLoopProxy::Post(Task task)
{
    return PostRecord(std::move(task), 0, true);
}

bool MessageLoopProxy::PostDelayed(Task task, int64_t delay)
{
    return PostRecord(std::move(task), delay, true);
}

bool MessageLoopProxy::PostNonNestable(Task task)
{
    return PostRecord(std::move(task), 0, false);
}

bool MessageLoopProxy::PostNonNestableDelayed(Task task, int64_t delay)
{
    return PostRecord(std::move(task), delay, false);
}

bool MessageLoopProxy::PostNonNestableAndClose(Task task)
{
    AutoLock lock(m_lock);
    const bool posted = PostRecord(std::move(task), 0, false);
    m_closed = true;
    return posted;
}

bool MessageLoopProxy::HasLoop()
{
    AutoLock lock(m_lock);
    return m_target != nullptr;
}

bool MessageLoopProxy::IsOnLoopThread()
{
    AutoLock lock(m_lock);
    return m_target && m_target == MessageLoop::Current();
}

void MessageLoopProxy::DetachLoop()
{
    AutoLock lock(m_lock);
    m_target = nullptr;
}

void MessageLoopProxy::DestroyOnLoopThread()
{
    bool handedOver = false;
    {
        AutoLock lock(m_lock);
        if (m_target && m_target != MessageLoop::Current()) {
            // The task owns the proxy, so it is deleted on the loop's thread whether the task runs
            // or is discarded with the loop. Taking the lock first waits until we have let go of it.
            std::shared_ptr<MessageLoopProxy> owner(this, [](MessageLoopProxy* proxy) {
                { AutoLock wait(proxy->m_lock); }
                delete proxy;
            });
            m_target->Enqueue(TaskRecord { 0, 0, false, [owner] {} });
            handedOver = true;
        }
    }
    if (!handedOver)
        delete this;
}

}  // namespace tbase
