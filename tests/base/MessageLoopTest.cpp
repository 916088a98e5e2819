#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "base/MessageLoop.h"
#include "base/TickClock.h"
#include "support/LoopDeadline.h"

namespace {

using tbase::LoopRunState;
using tbase::MessageLoop;
using tbase::TickClock;

constexpr int64_t kMs = 1000;  // microseconds

std::atomic<DWORD> g_fakeMs { 0 };
DWORD FakeMs() { return g_fakeMs; }

// Puts the process clock on a hand-driven millisecond count for one test.
class FakeClock {
public:
    explicit FakeClock(DWORD startMs)
    {
        g_fakeMs = startMs;
        TickClock::Process().SetSource(FakeMs);
    }
    ~FakeClock() { TickClock::Process().SetSource(::timeGetTime); }
    void Set(DWORD ms) { g_fakeMs = ms; }
};

// Drives a loop's queues by hand, as its pump would, with every task appending to one log.
class LoopDriver {
public:
    tbase::Task Note(std::string name)
    {
        return [this, name] { log.push_back(name); };
    }
    // Due delayed tasks until none is due; returns the next run time.
    int64_t RunDue()
    {
        int64_t next = 0;
        while (loop.RunDueDelayedTask(next)) { }
        return next;
    }

    MessageLoop loop;
    std::vector<std::string> log;
};

TEST(MessageLoop, DelayedTasksRunByDueTimeThenPostingOrder)
{
    FakeClock clock(1000);
    LoopDriver d;
    LoopRunState run(d.loop);
    d.loop.PostDelayed(d.Note("c30"), 30 * kMs);
    d.loop.PostDelayed(d.Note("a10"), 10 * kMs);
    d.loop.PostDelayed(d.Note("b10"), 10 * kMs);  // same run time: posting order decides
    d.loop.PostNonNestableDelayed(d.Note("d20"), 20 * kMs);
    d.loop.Post(d.Note("now"));

    EXPECT_TRUE(d.loop.RunReadyTasks());
    EXPECT_EQ(d.log, (std::vector<std::string> { "now" })) << "immediate work first";
    EXPECT_FALSE(d.loop.RunReadyTasks());

    EXPECT_EQ(d.RunDue(), (1000 + 10) * kMs) << "nothing due yet";
    clock.Set(1020);
    d.loop.PostDelayed(d.Note("e5"), 5 * kMs);  // posted later, due earlier than c30
    d.loop.RunReadyTasks();
    EXPECT_EQ(d.RunDue(), (1020 + 5) * kMs);
    clock.Set(1100);
    EXPECT_EQ(d.RunDue(), 0);
    EXPECT_EQ(d.log, (std::vector<std::string> { "now", "a10", "b10", "d20", "e5", "c30" }));
}

TEST(MessageLoop, ATurnRunsTheDelayedTasksDueAtItsStartForABoundedTime)
{
    FakeClock clock(1000);
    LoopDriver d;
    LoopRunState run(d.loop);
    auto noteAndSetClock = [&d, &clock](std::string name, DWORD ms) -> tbase::Task {
        return [&d, &clock, name, ms] {
            d.log.push_back(name);
            clock.Set(ms);
        };
    };
    d.loop.PostDelayed(d.Note("a10"), 10 * kMs);
    d.loop.PostDelayed(noteAndSetClock("b10", 1021), 10 * kMs);  // d21 falls due meanwhile
    d.loop.PostDelayed(d.Note("c15"), 15 * kMs);
    d.loop.PostDelayed(noteAndSetClock("d21", 1103), 21 * kMs);  // uses up the turn's time
    d.loop.PostDelayed(d.Note("e40"), 40 * kMs);
    d.loop.PostDelayed(d.Note("f50"), 50 * kMs);
    d.loop.RunReadyTasks();
    int64_t next = 0;

    clock.Set(1020);
    EXPECT_TRUE(d.loop.RunDueDelayedTask(next));
    EXPECT_EQ(d.log, (std::vector<std::string> { "a10", "b10", "c15" })) << "one turn, every task due at its start";
    EXPECT_EQ(next, 1021 * kMs);

    clock.Set(1100);
    EXPECT_TRUE(d.loop.RunDueDelayedTask(next));
    EXPECT_EQ(d.log.back(), "d21") << "the turn ends when its time is up, with e40 and f50 still due";
    EXPECT_EQ(next, 1040 * kMs);
    EXPECT_TRUE(d.loop.RunDueDelayedTask(next));
    EXPECT_FALSE(d.loop.RunDueDelayedTask(next));
    EXPECT_EQ(next, 0);
    EXPECT_EQ(d.log, (std::vector<std::string> { "a10", "b10", "c15", "d21", "e40", "f50" }));
}

TEST(MessageLoop, DelayedTaskComesDueAcrossTheMillisecondWrap)
{
    FakeClock clock(0xFFFFFFFFu - 4);  // 5 ms before the 32-bit count wraps
    LoopDriver d;
    LoopRunState run(d.loop);
    d.loop.PostDelayed(d.Note("late"), 10 * kMs);
    d.loop.RunReadyTasks();

    clock.Set(2);  // wrapped: 7 ms later, 3 ms short
    EXPECT_EQ(d.RunDue(), (int64_t { 0xFFFFFFFF } - 4 + 10) * kMs);
    EXPECT_TRUE(d.log.empty());
    clock.Set(5);
    d.RunDue();
    EXPECT_EQ(d.log, (std::vector<std::string> { "late" }));
}

TEST(TickClock, StaysMonotonicAcrossTheWrap)
{
    static DWORD reading;
    TickClock clock([] { return reading; });
    const struct { DWORD ms; int64_t expected; } steps[] = {
        { 0xFFFFFF00u, int64_t { 0xFFFFFF00 } * kMs },
        { 0xFFFFFFFFu, int64_t { 0xFFFFFFFF } * kMs },
        { 0xFFFFFFFFu, int64_t { 0xFFFFFFFF } * kMs },  // no time passed: no wrap either
        { 3u, (int64_t { 1 } << 32 | 3) * kMs },
        { 70000u, ((int64_t { 1 } << 32) + 70000) * kMs },
        { 1u, ((int64_t { 2 } << 32) + 1) * kMs },  // and the next wrap
    };
    for (const auto& step : steps) {
        reading = step.ms;
        EXPECT_EQ(clock.Read(), step.expected) << "reading " << step.ms;
    }
    // A new source starts a new count: its small first reading is not a wrap of the old one.
    clock.SetSource([] { return DWORD { 5 }; });
    EXPECT_EQ(clock.Read(), 5 * kMs);
}

TEST(MessageLoop, NonNestableTasksWaitForTheOutermostRun)
{
    LoopDriver d;
    LoopRunState outer(d.loop);
    {
        LoopRunState nested(d.loop);  // e.g. a modal loop from a message handler
        EXPECT_EQ(nested.runDepth, 2);
        d.loop.PostNonNestable(d.Note("quit-like"));
        d.loop.Post(d.Note("nestable"));
        d.loop.PostNonNestable(d.Note("second"));
        EXPECT_TRUE(d.loop.RunReadyTasks());
        EXPECT_FALSE(d.loop.RunReadyTasks());
        EXPECT_FALSE(d.loop.RunIdleTask()) << "deferred work never runs nested";
        EXPECT_EQ(d.log, (std::vector<std::string> { "nestable" }));
    }
    EXPECT_TRUE(d.loop.RunIdleTask());
    EXPECT_TRUE(d.loop.RunIdleTask());
    EXPECT_FALSE(d.loop.RunIdleTask());
    EXPECT_EQ(d.log, (std::vector<std::string> { "nestable", "quit-like", "second" }));
}

TEST(MessageLoop, NoTaskRunsWhileAnotherRuns)
{
    FakeClock clock(500);
    LoopDriver d;
    LoopRunState run(d.loop);
    d.loop.Post([&d] {
        // A nested run inside a task finds every queue closed.
        LoopRunState nested(d.loop);
        int64_t next = 0;
        d.log.push_back(d.loop.RunReadyTasks() || d.loop.RunDueDelayedTask(next) || d.loop.RunIdleTask()
                            ? "nested ran"
                            : "nested idle");
    });
    d.loop.Post(d.Note("second"));
    d.loop.PostDelayed(d.Note("delayed"), 0);
    EXPECT_TRUE(d.loop.RunReadyTasks());
    EXPECT_TRUE(d.loop.RunReadyTasks());
    EXPECT_FALSE(d.loop.RunReadyTasks());  // files the delayed one
    EXPECT_EQ(d.RunDue(), 0);
    EXPECT_EQ(d.log, (std::vector<std::string> { "nested idle", "second", "delayed" }));
}

TEST(MessageLoop, QuitStopsOnlyWhenIdleAndRunReturns)
{
    MessageLoop loop;
    std::vector<int> ran;
    LoopRunState run(loop);
    looptest::LoopDeadline deadline("task 1 of 4");
    loop.Post([&] { ran.push_back(1); loop.QuitWhenIdle(); deadline.Await("task 2 of 4"); });
    loop.Post([&] { ran.push_back(2); deadline.Await("task 3 of 4"); });
    loop.PostNonNestable([&] {
        ran.push_back(3);
        deadline.Await("task 4 of 4 (posted by task 3), then the stop");
        loop.Post([&] { ran.push_back(4); });
    });
    loop.Run();
    EXPECT_EQ(ran, (std::vector<int> { 1, 2, 3, 4 }));
}

TEST(MessageLoop, DestroyingTheLoopDestroysQueuedTasksUnrunEvenWhenTheyPostMore)
{
    // Each destroyed task posts the next one, three deep: all are destroyed, none runs.
    struct Chain {
        Chain(MessageLoop* loop, int depth, std::shared_ptr<std::vector<int>> destroyed)
            : loop(loop), depth(depth), destroyed(std::move(destroyed)) { }
        Chain(const Chain&) = delete;
        ~Chain()
        {
            destroyed->push_back(depth);
            if (depth < 3) {
                auto next = std::make_shared<Chain>(loop, depth + 1, destroyed);
                loop->Post([next] { next->destroyed->push_back(-1); });
            }
        }
        MessageLoop* loop;
        int depth;
        std::shared_ptr<std::vector<int>> destroyed;
    };
    auto destroyed = std::make_shared<std::vector<int>>();
    std::shared_ptr<tbase::MessageLoopProxy> proxy;
    {
        auto loop = std::make_unique<MessageLoop>();
        proxy = loop->Proxy();
        EXPECT_TRUE(proxy->IsOnLoopThread());
        auto first = std::make_shared<Chain>(loop.get(), 1, destroyed);
        loop->PostNonNestable([first] { first->destroyed->push_back(-1); });
        loop->PostDelayed([first] { first->destroyed->push_back(-1); }, 1000 * kMs);
        first.reset();
    }
    EXPECT_EQ(*destroyed, (std::vector<int> { 1, 2, 3 }));
    EXPECT_FALSE(proxy->Post([] { }));
    EXPECT_EQ(MessageLoop::Current(), nullptr);
}

TEST(MessageLoop, TaskObserversSurroundEachTask)
{
    struct Recorder : MessageLoop::TaskObserver {
        std::vector<std::string>* log;
        void BeforeTask() override { log->push_back("before"); }
        void AfterTask() override { log->push_back("after"); }
    };
    LoopDriver d;
    LoopRunState run(d.loop);
    Recorder recorder;
    recorder.log = &d.log;
    d.loop.AddTaskObserver(&recorder);
    d.loop.Post(d.Note("task"));
    d.loop.Post(nullptr);  // no callable: skipped, observers still told
    d.loop.RunReadyTasks();
    d.loop.RunReadyTasks();
    d.loop.RemoveTaskObserver(&recorder);
    d.loop.Post(d.Note("unobserved"));
    d.loop.RunReadyTasks();
    EXPECT_EQ(d.log, (std::vector<std::string> { "before", "task", "after", "before", "after", "unobserved" }));
}

}  // namespace
