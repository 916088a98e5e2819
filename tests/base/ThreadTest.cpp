#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "base/MessageLoop.h"
#include "base/Thread.h"
#include "base/ThreadRegistry.h"
#include "base/TickClock.h"
#include "platform/WinBase.h"

namespace {

using tbase::FrameworkThread;
using tbase::FrameworkThreadData;

// A thread that holds a registry id while its loop runs, the way the chores thread does.
class IdThread : public FrameworkThread {
public:
    IdThread(int id, const char* name)
        : FrameworkThread(name)
        , m_id(id)
    {
    }
    void OnLoopStarting() override { bound = ThreadRegistry::BindCurrentThread(m_id); }
    void OnLoopFinished() override { ThreadRegistry::UnbindCurrentThread(); }

    bool bound { false };

private:
    int m_id;
};

// Blocks its loop until opened, so tasks pile up behind it.
class Gate {
public:
    Gate() : m_event(::CreateEvent(nullptr, TRUE, FALSE, nullptr)) { }
    ~Gate() { ::CloseHandle(m_event); }
    void Open() { ::SetEvent(m_event); }
    void Wait() { ::WaitForSingleObject(m_event, INFINITE); }

private:
    HANDLE m_event;
};

// Runs a check on the thread's own loop and waits for its answer.
template<typename F>
auto RunOn(int id, F check)
{
    using Result = decltype(check());
    auto result = std::make_shared<Result>();
    auto done = std::make_shared<Gate>();
    EXPECT_TRUE(ThreadRegistry::PostToThread(id, [=] {
        *result = check();
        done->Open();
    }));
    done->Wait();
    return *result;
}

TEST(FrameworkThread, LaunchReturnsWithIdBoundAndTasksRunOnThatThread)
{
    IdThread chores(1, "Global Chores Thread");
    ASSERT_TRUE(chores.Launch());
    EXPECT_TRUE(chores.bound);
    EXPECT_TRUE(chores.IsRunning());
    EXPECT_FALSE(chores.Launch()) << "a second launch while the loop exists";

    const DWORD choresId = chores.GetThreadId();
    EXPECT_NE(choresId, 0u);
    EXPECT_NE(choresId, ::GetCurrentThreadId());
    EXPECT_EQ(RunOn(1, [] { return ::GetCurrentThreadId(); }), choresId);
    EXPECT_EQ(RunOn(1, [] { return FrameworkThreadData::Current()->frameworkThread; }), &chores);

    auto ran = std::make_shared<std::atomic<int>>(0);
    EXPECT_FALSE(ThreadRegistry::PostToThread(0, [ran] { ++*ran; }));
    EXPECT_FALSE(ThreadRegistry::PostToThread(2, [ran] { ++*ran; }));

    chores.Halt();
    EXPECT_FALSE(chores.IsRunning());
    EXPECT_EQ(chores.GetThreadId(), 0u);
    EXPECT_FALSE(ThreadRegistry::PostToThread(1, [ran] { ++*ran; }));
    EXPECT_EQ(*ran, 0);
    EXPECT_EQ(ran.use_count(), 1) << "dropped tasks are destroyed, not kept";

    // A halted thread starts again and takes its id back.
    ASSERT_TRUE(chores.Launch());
    EXPECT_EQ(RunOn(1, [] { return 42; }), 42);
    chores.Halt();
}

TEST(FrameworkThread, HaltRunsTheTasksQueuedBeforeItThenStops)
{
    IdThread chores(1, "Global Chores Thread");
    ASSERT_TRUE(chores.Launch());
    auto gate = std::make_shared<Gate>();
    std::vector<int> order;  // written only by the chores thread until Halt returns
    ASSERT_TRUE(ThreadRegistry::PostToThread(1, [gate] { gate->Wait(); }));
    for (int i = 0; i < 3; ++i)
        ThreadRegistry::PostToThread(1, [&order, i] { order.push_back(i); });

    // A delayed task far in the future is discarded, not waited for.
    auto delayedToken = std::make_shared<int>(0);
    auto delayedRan = std::make_shared<std::atomic<bool>>(false);
    ThreadRegistry::FindLoopProxy(1)->PostDelayed([delayedToken, delayedRan] { *delayedRan = true; },
                                                  3600LL * 1000 * 1000);
    std::weak_ptr<int> delayedAlive = delayedToken;
    delayedToken.reset();

    std::shared_ptr<tbase::MessageLoopProxy> proxy = ThreadRegistry::FindLoopProxy(1);
    ASSERT_TRUE(proxy);
    gate->Open();
    chores.Halt();

    EXPECT_EQ(order, (std::vector<int> { 0, 1, 2 }));
    EXPECT_FALSE(*delayedRan);
    EXPECT_TRUE(delayedAlive.expired()) << "a discarded delayed task is destroyed with its loop";
    // The proxy outlives its loop and refuses posts from then on.
    EXPECT_FALSE(proxy->Post([&order] { order.push_back(99); }));
    EXPECT_FALSE(proxy->PostNonNestableDelayed([&order] { order.push_back(99); }, 1000));
    EXPECT_FALSE(proxy->IsOnLoopThread());
    EXPECT_EQ(order.size(), 3u);
}

TEST(FrameworkThread, RunHereHaltedFromItsOwnStartupStopsAfterTheWorkAlreadyQueued)
{
    // The editor's main thread: it runs its whole life in OnLoopStarting, then halts itself.
    class MainThread : public FrameworkThread {
    public:
        MainThread() : FrameworkThread("MainThread") { }
        void OnLoopStarting() override
        {
            threadOfData = FrameworkThreadData::Current() ? FrameworkThreadData::Current()->frameworkThread : nullptr;
            GetMessageLoop()->Post([this] { ran.push_back(1); });
            Halt();
            haltedAtOnce = !IsRunning();
            GetMessageLoop()->Post([this] { ran.push_back(2); });
        }
        FrameworkThread* threadOfData { nullptr };
        bool haltedAtOnce { false };
        std::vector<int> ran;
    };

    MainThread main;
    main.RunHere(FrameworkThread::kDefaultLoop, nullptr);
    EXPECT_TRUE(main.haltedAtOnce);
    EXPECT_EQ(main.ran, (std::vector<int> { 1, 2 }));
    EXPECT_EQ(main.threadOfData, &main);
    EXPECT_EQ(FrameworkThreadData::Current(), nullptr) << "per-thread data lives only as long as the body";
    EXPECT_EQ(main.GetMessageLoop(), nullptr);
    EXPECT_EQ(tbase::MessageLoop::Current(), nullptr);
}

TEST(ThreadRegistry, BindRules)
{
    EXPECT_FALSE(ThreadRegistry::BindCurrentThread(5)) << "outside a framework thread";
    EXPECT_FALSE(ThreadRegistry::UnbindCurrentThread());

    IdThread holder(7, "holder");
    IdThread other(8, "other");
    ASSERT_TRUE(holder.Launch());
    ASSERT_TRUE(other.Launch());
    ASSERT_TRUE(holder.bound);

    EXPECT_FALSE(RunOn(8, [] { return ThreadRegistry::BindCurrentThread(7); })) << "held by another thread";
    EXPECT_FALSE(RunOn(8, [] { return ThreadRegistry::BindCurrentThread(-1); }));
    // A second bind of the same id counts: the first unbind keeps the entry, the second frees it.
    EXPECT_TRUE(RunOn(7, [] { return ThreadRegistry::BindCurrentThread(7); }));
    EXPECT_TRUE(RunOn(7, [] { return ThreadRegistry::UnbindCurrentThread(); }));
    EXPECT_TRUE(ThreadRegistry::FindLoopProxy(7));
    EXPECT_TRUE(RunOn(7, [] { return ThreadRegistry::UnbindCurrentThread(); }));
    EXPECT_FALSE(ThreadRegistry::FindLoopProxy(7));
    EXPECT_TRUE(RunOn(8, [] { return ThreadRegistry::BindCurrentThread(7); })) << "a freed id can be taken";
    EXPECT_EQ(ThreadRegistry::FindLoopProxy(7), ThreadRegistry::FindLoopProxy(8));

    // The last unbind frees every id of the thread, so none is left pointing at a thread object
    // that is about to go.
    EXPECT_TRUE(RunOn(8, [] { return ThreadRegistry::UnbindCurrentThread(); }));
    EXPECT_TRUE(RunOn(8, [] { return ThreadRegistry::UnbindCurrentThread(); }));
    EXPECT_FALSE(ThreadRegistry::FindLoopProxy(7));
    EXPECT_FALSE(ThreadRegistry::FindLoopProxy(8));

    holder.Halt();
    other.Halt();
}

TEST(ThreadRegistry, ThreadDestroyedWithoutHaltLeavesNothingBehind)
{
    std::shared_ptr<tbase::MessageLoopProxy> kept;
    {
        auto dropped = std::make_unique<IdThread>(4, "dropped");
        ASSERT_TRUE(dropped->Launch());
        ASSERT_TRUE(dropped->bound);
        kept = ThreadRegistry::FindLoopProxy(4);
        ASSERT_TRUE(kept);
        ThreadRegistry::PostToThread(4, [] { ::Sleep(20); });  // busy while it is destroyed
    }  // no Halt: the derived part goes first, then the thread is stopped
    EXPECT_FALSE(ThreadRegistry::FindLoopProxy(4));
    auto ran = std::make_shared<std::atomic<bool>>(false);
    EXPECT_FALSE(ThreadRegistry::PostToThread(4, [ran] { *ran = true; }));
    EXPECT_FALSE(kept->Post([ran] { *ran = true; })) << "the proxy outlives its loop and refuses";
    EXPECT_FALSE(*ran);

    IdThread next(4, "next");
    ASSERT_TRUE(next.Launch());
    EXPECT_TRUE(next.bound) << "the id was freed";
    next.Halt();
}

TEST(FrameworkThread, DelayedFloodStarvesNeitherImmediateNorDueTasksNorHalt)
{
    constexpr int64_t kSecondUs = 1000 * 1000;
    FrameworkThread worker("flooded");
    ASSERT_TRUE(worker.Launch());
    std::shared_ptr<tbase::MessageLoopProxy> proxy = worker.GetMessageLoop()->Proxy();

    // Written on the worker, read here only after Halt has returned (or through atomics).
    std::atomic<int> markersRun { 0 };
    std::atomic<bool> dueTaskRan { false };
    std::atomic<bool> stopProducing { false };
    int markersAccepted = 0;
    std::atomic<int> refused { 0 };
    proxy->PostDelayed([&] { dueTaskRan = true; }, 2000);

    std::thread producer([&] {
        for (int i = 0; !stopProducing; ++i) {
            if (!proxy->PostDelayed([] { }, 1000 + i % 2000)) {
                ++refused;
                continue;  // keep posting after the quit, as a careless producer would
            }
            if (i % 500 != 0)
                continue;
            markersAccepted += proxy->Post([&] { ++markersRun; });
        }
    });
    // Bounds for a loaded machine; each wait ends as soon as what it waits for has happened.
    const int64_t deadline = tbase::TickClock::Now() + 30 * kSecondUs;
    while ((markersRun < 200 || !dueTaskRan) && tbase::TickClock::Now() < deadline)
        ::Sleep(1);
    EXPECT_TRUE(dueTaskRan) << "a delayed task came due during the flood and never ran";
    EXPECT_GE(markersRun, 200) << "immediate tasks waited behind the delayed flood";

    HANDLE halted = ::CreateEvent(nullptr, TRUE, FALSE, nullptr);
    std::thread halter([&] {
        worker.Halt();
        ::SetEvent(halted);
    });
    // Halt runs the delayed tasks already due when the quit came; a slow (sanitizer) build may
    // have a long backlog of them, so the bound is generous. Without the mend it never returns.
    const bool haltReturned = ::WaitForSingleObject(halted, 60000) == WAIT_OBJECT_0;
    // The producer runs on against the closed loop until a post of it has been refused.
    for (const int64_t until = tbase::TickClock::Now() + 30 * kSecondUs; refused == 0 && tbase::TickClock::Now() < until;)
        ::Sleep(1);
    stopProducing = true;
    producer.join();
    halter.join();
    ::CloseHandle(halted);

    EXPECT_TRUE(haltReturned) << "Halt waited for the producer to stop";
    EXPECT_GT(refused.load(), 0) << "posts after the quit are refused";
    EXPECT_EQ(markersRun, markersAccepted) << "every marker accepted before the quit ran";
}

TEST(WeakCallback, DoesNotRunAfterItsOwnerIsDestroyedOnAnotherThread)
{
    struct Owner : tbase::SupportWeakCallback {
        std::atomic<int> calls { 0 };
    };
    IdThread chores(1, "Global Chores Thread");
    ASSERT_TRUE(chores.Launch());

    auto gate = std::make_shared<Gate>();
    auto doomed = std::make_unique<Owner>();
    Owner kept;
    auto doomedCalls = std::make_shared<std::atomic<int>>(0);
    ThreadRegistry::PostToThread(1, [gate] { gate->Wait(); });
    for (int i = 0; i < 50; ++i) {
        ThreadRegistry::PostToThread(1, doomed->ToWeakCallback([doomedCalls] { ++*doomedCalls; }));
        ThreadRegistry::PostToThread(1, tbase::WeakCallback(kept.SharedWeakFlag(), [&kept] { ++kept.calls; }));
    }
    doomed.reset();  // while all of its tasks wait in the queue
    gate->Open();
    chores.Halt();

    EXPECT_EQ(*doomedCalls, 0);
    EXPECT_EQ(kept.calls, 50);
}

// Reads its own priority as its body starts.
class PriorityProbe : public tbase::Thread {
public:
    void Run() override
    {
        seen = ::GetThreadPriority(::GetCurrentThread());
        raiseRefused = !::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL)
            && ::GetLastError() == ERROR_ACCESS_DENIED;
    }
    int Start(int level)
    {
        SetPriority(level);
        if (!CreateOsThread())
            return THREAD_PRIORITY_ERROR_RETURN;
        ::WaitForSingleObject(GetThreadHandle(), INFINITE);
        return seen;
    }

    int seen { THREAD_PRIORITY_ERROR_RETURN };
    bool raiseRefused { false };
};

TEST(Thread, CreatedThreadRunsAtThePriorityOfItsLevel)
{
    const int inherited = ::GetThreadPriority(::GetCurrentThread());
    PriorityProbe scratch;
    scratch.Start(0);
    const bool mayRaise = !scratch.raiseRefused;

    const struct { int level, priority; } cases[] = {
        { 0, inherited },  // never applied: the creator's priority
        { 1, THREAD_PRIORITY_LOWEST },
        { 2, THREAD_PRIORITY_BELOW_NORMAL },  // below normal, not normal
        { 3, THREAD_PRIORITY_HIGHEST },
        { 4, THREAD_PRIORITY_TIME_CRITICAL },
        { 5, THREAD_PRIORITY_BELOW_NORMAL },
    };
    int notRaised = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "level " << c.level);
        if (c.level > 0) {
            EXPECT_EQ(tbase::OsThreadPriority(c.level), c.priority);
        }
        if (c.priority > inherited && !mayRaise) {
            ++notRaised;
            continue;
        }
        PriorityProbe probe;
        EXPECT_EQ(probe.Start(c.level), c.priority);
    }
    if (notRaised > 0) {
        GTEST_SKIP() << notRaised << " raising levels not run: the system refuses this user a higher thread "
                     << "priority (it needs CAP_SYS_NICE or a higher RLIMIT_NICE)";
    }
}

}  // namespace
