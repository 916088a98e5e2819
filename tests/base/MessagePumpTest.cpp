#include <gtest/gtest.h>

#include <vector>

#include "base/MessageLoop.h"
#include "base/MessagePump.h"
#include "base/TickClock.h"

namespace {

using tbase::MillisecondsUntilDue;

TEST(MessagePump, WaitsAreWholeMillisecondsRoundedUp)
{
    const struct { int64_t runTime, now, expected; } cases[] = {
        { 0, 5000, -1 },           // no delayed work: wait without a limit
        { 11500, 10000, 2 },       // 1500 us away waits 2 ms, never less
        { 11000, 10000, 1 },
        { 10001, 10000, 1 },
        { 10000, 10000, 0 },       // due now
        { 9000, 10000, 0 },        // overdue
    };
    for (const auto& c : cases)
        EXPECT_EQ(MillisecondsUntilDue(c.runTime, c.now), c.expected) << c.runTime << " at " << c.now;
}

TEST(DefaultMessagePump, SleepsUntilTheEarliestDelayedTaskAndNeverWakesItEarly)
{
    tbase::MessageLoop loop;
    tbase::LoopRunState run(loop);
    struct Ran { int id; int64_t at, due; };
    std::vector<Ran> ran;
    const int64_t start = tbase::TickClock::Now();
    const struct { int id; int64_t delay; } posts[] = { { 3, 30000 }, { 1, 4000 }, { 2, 12000 } };
    for (const auto& p : posts)
        loop.PostDelayed([&ran, &loop, p, start] {
            ran.push_back({ p.id, tbase::TickClock::Now(), start + p.delay });
            if (ran.size() == 3)
                loop.QuitWhenIdle();
        }, p.delay);
    loop.Run();

    ASSERT_EQ(ran.size(), 3u);
    for (size_t i = 0; i < ran.size(); ++i) {
        EXPECT_EQ(ran[i].id, static_cast<int>(i + 1));
        EXPECT_GE(ran[i].at, ran[i].due) << "task " << ran[i].id << " ran before its time";
    }
}

}  // namespace
