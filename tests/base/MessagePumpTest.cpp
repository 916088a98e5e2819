#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/IOMessagePump.h"
#include "base/MessageLoop.h"
#include "base/MessagePump.h"
#include "base/Thread.h"
#include "base/TickClock.h"
#include "base/UIMessagePump.h"
#include "platform/WinUser.h"
#include "support/LoopDeadline.h"

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
    looptest::LoopDeadline deadline("delayed task 1 (4 ms)");
    const int64_t start = tbase::TickClock::Now();
    const struct { int id; int64_t delay; } posts[] = { { 3, 30000 }, { 1, 4000 }, { 2, 12000 } };
    for (const auto& p : posts)
        loop.PostDelayed([&ran, &loop, &deadline, p, start] {
            ran.push_back({ p.id, tbase::TickClock::Now(), start + p.delay });
            deadline.Await(ran.size() == 3 ? "the stop after the last delayed task" : "delayed task " + std::to_string(ran.size() + 1));
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

constexpr UINT kEnterMessage = WM_APP + 7;

using looptest::Event;

// What the loop thread runs when the platform event of a LoopThread arrives.
std::function<void()> g_onEnter;

LRESULT CALLBACK EnterWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kEnterMessage && g_onEnter)
        g_onEnter();
    return ::DefWindowProc(window, message, wParam, lParam);
}

struct EnterHandler : tbase::IOHandler {
    void OnCompleted(tbase::IOContext*, DWORD, DWORD) override
    {
        if (g_onEnter)
            g_onEnter();
    }
};

// A UI or I/O loop on a thread of its own, with a platform event (a window message, a completion)
// that runs g_onEnter outside any task. Stop ends it even when its wake-ups are lost: platform
// events always reach the pump.
class LoopThread : public tbase::FrameworkThread {
public:
    explicit LoopThread(int kind)
        : FrameworkThread("wake test")
        , m_kind(kind)
    {
        ::setenv("QUILL_BACKEND", "headless", 1);
        m_thread = std::thread([this] { RunHere(m_kind, nullptr); });
        m_started.Wait(INFINITE);
    }
    ~LoopThread() override { Stop(); }

    void OnLoopStarting() override
    {
        proxy = GetMessageLoop()->Proxy();
        if (m_kind == kUILoop) {
            WNDCLASSEX wc {};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = EnterWindowProc;
            wc.lpszClassName = L"WakeTestWindow";
            ::RegisterClassEx(&wc);
            m_window = ::CreateWindowEx(0, L"WakeTestWindow", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        } else {
            m_port = static_cast<tbase::IOMessageLoop*>(GetMessageLoop())->IOPump()->Port();
        }
        m_started.Set();
    }
    void OnLoopFinished() override
    {
        if (m_window)
            ::DestroyWindow(m_window);
        m_finished.Set();
    }

    void Enter()
    {
        if (m_window)
            ::PostMessage(m_window, kEnterMessage, 0, 0);
        else
            ::PostQueuedCompletionStatus(m_port, 0, reinterpret_cast<ULONG_PTR>(&m_handler), &m_context.overlapped);
    }

    void Stop()
    {
        if (!m_thread.joinable())
            return;
        RequestQuit();
        for (int nudge = 0; nudge < 1000 && !m_finished.Wait(10); ++nudge) {
            if (m_window)
                ::PostMessage(m_window, WM_NULL, 0, 0);
            else
                ::PostQueuedCompletionStatus(m_port, 0, 0, nullptr);
        }
        m_thread.join();
    }

    std::shared_ptr<tbase::MessageLoopProxy> proxy;

private:
    int m_kind;
    Event m_started, m_finished;
    HWND m_window { nullptr };
    HANDLE m_port { nullptr };
    EnterHandler m_handler;
    tbase::IOContext m_context { {}, &m_handler };
    std::thread m_thread;
};

// A task posts a second one and leaves a non-nestable and a far delayed task queued behind it;
// the second posts (or has another thread post) a third while the wake for the second is still
// on its way. The pump takes that wake with work of the earlier batch still queued: the third
// must run all the same, long before the delayed task would have woken the loop.
TEST(MessagePump, APostIsNeverLeftWithoutAWakeWhileThePumpSleeps)
{
    constexpr int64_t kFarUs = 120 * 1000 * 1000;
    constexpr DWORD kBoundMs = 5000;
    struct Case { int kind; bool nested, fromOtherThread; };
    const Case cases[] = {
        { tbase::FrameworkThread::kUILoop, false, false }, { tbase::FrameworkThread::kUILoop, false, true },
        { tbase::FrameworkThread::kUILoop, true, false },  { tbase::FrameworkThread::kUILoop, true, true },
        { tbase::FrameworkThread::kIOLoop, false, false }, { tbase::FrameworkThread::kIOLoop, false, true },
        { tbase::FrameworkThread::kIOLoop, true, false },  { tbase::FrameworkThread::kIOLoop, true, true },
    };
    for (const Case& c : cases) {
        const std::string name = std::string(c.kind == tbase::FrameworkThread::kUILoop ? "UI" : "I/O")
            + (c.nested ? " loop, nested run" : " loop") + (c.fromOtherThread ? ", posted from another thread" : ", posted from a task");
        SCOPED_TRACE(name);
        LoopThread loop(c.kind);
        Event postNow, posted, third, nonNestable, nestedEnded;
        // The third task ends the nested run it was posted into.
        const tbase::Task thirdTask = [&, c] {
            third.Set();
            if (c.nested)
                tbase::MessageLoop::Current()->QuitWhenIdle();
        };
        const tbase::Task first = [&, c] {
            tbase::MessageLoop* current = tbase::MessageLoop::Current();
            current->Post([&, c] {
                if (!c.fromOtherThread) {
                    tbase::MessageLoop::Current()->Post(thirdTask);
                    return;
                }
                postNow.Set();
                posted.Wait(kBoundMs);
            });
            current->PostNonNestable([&] { nonNestable.Set(); });
            current->PostDelayed([] { }, kFarUs);
        };
        g_onEnter = [&] {
            tbase::MessageLoop* current = tbase::MessageLoop::Current();
            tbase::LoopRunState nested(*current);
            current->Post(first);
            current->Run();
            nestedEnded.Set();
        };
        std::thread poster([&, c] {
            if (!postNow.Wait(kBoundMs) || !c.fromOtherThread)
                return;  // released at the end of the case: nothing to post
            loop.proxy->Post(thirdTask);
            posted.Set();
        });
        if (c.nested)
            loop.Enter();
        else
            loop.proxy->Post(first);

        const bool thirdRan = third.Wait(kBoundMs);
        EXPECT_TRUE(thirdRan) << "the task posted last did not run";
        if (thirdRan) {
            EXPECT_TRUE(nonNestable.Wait(kBoundMs)) << "the non-nestable task did not run";
            EXPECT_TRUE(!c.nested || nestedEnded.Wait(kBoundMs)) << "the nested run did not end";
        }
        postNow.Set();
        poster.join();
        loop.Stop();
        g_onEnter = nullptr;
    }
}

}  // namespace
