// Message queues: posting and sending across threads, quitting, timers, painting and a modal loop.

#include "platform/WinBase.h"
#include "platform/WinUser.h"
#include "platform/headless/HeadlessScreen.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

struct Seen {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
};
thread_local std::vector<Seen>* t_seen = nullptr;
thread_local RECT t_lastPaint {};

// Records every message of the thread's windows; validates on paint; answers WM_USER+1 with
// wParam * 2 and WM_USER+2 by sending WM_USER+1 to the window in lParam.
LRESULT RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (t_seen)
        t_seen->push_back({ hwnd, msg, wParam });
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        t_lastPaint = ps.rcPaint;
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_USER + 1:
        return static_cast<LRESULT>(wParam * 2);
    case WM_USER + 2:
        return SendMessage(reinterpret_cast<HWND>(lParam), WM_USER + 1, wParam, 0) + 1;
    default:
        return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

std::vector<UINT> Messages(const std::vector<Seen>& seen, UINT min, UINT max)
{
    std::vector<UINT> out;
    for (const Seen& s : seen)
        if (s.msg >= min && s.msg <= max)
            out.push_back(s.msg);
    return out;
}

class WindowMessages : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(platform::headless::Use());
        t_seen = &m_seen;
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = RecordingProc;
        wc.lpszClassName = L"MessagesWnd";
        RegisterClassEx(&wc);
    }
    void TearDown() override { t_seen = nullptr; }
    static HWND Make(DWORD style = WS_POPUP | WS_VISIBLE, HWND owner = nullptr)
    {
        return CreateWindowEx(0, L"MessagesWnd", nullptr, style, 0, 0, 200, 100, owner, nullptr, nullptr, nullptr);
    }
    std::vector<Seen> m_seen;
};

TEST_F(WindowMessages, PostsFromAnotherThreadArriveInOrderAndSendsWaitForTheAnswer)
{
    HWND hwnd = Make();
    platform::headless::PumpMessages();
    m_seen.clear();
    std::atomic<LRESULT> answer { 0 };
    std::thread worker([&] {
        for (WPARAM i = 0; i < 50; ++i)
            PostMessage(hwnd, WM_USER + 10, i, 0);
        answer = SendMessage(hwnd, WM_USER + 1, 21, 0);  // waits until the owner answers
        PostMessage(hwnd, WM_USER + 11, 0, 0);
    });
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0)) {
        DispatchMessage(&msg);
        if (msg.message == WM_USER + 11)
            break;
    }
    worker.join();
    EXPECT_EQ(answer.load(), 42);
    std::vector<WPARAM> order;
    for (const Seen& s : m_seen)
        if (s.msg == WM_USER + 10)
            order.push_back(s.wParam);
    ASSERT_EQ(order.size(), 50u);
    for (WPARAM i = 0; i < 50; ++i)
        EXPECT_EQ(order[i], i);
    // The send was answered after the posts before it were taken, before the post after it.
    const auto sent = std::find_if(m_seen.begin(), m_seen.end(), [](const Seen& s) { return s.msg == WM_USER + 1; });
    ASSERT_NE(sent, m_seen.end());
    EXPECT_EQ(std::count_if(sent, m_seen.end(), [](const Seen& s) { return s.msg == WM_USER + 11; }), 1);
    DestroyWindow(hwnd);
}

TEST_F(WindowMessages, ThreadsSendingToEachOtherDoNotDeadlock)
{
    HWND mine = Make();
    std::atomic<HWND> theirs { nullptr };
    std::atomic<bool> stop { false };
    std::thread worker([&] {
        std::vector<Seen> seen;
        t_seen = &seen;
        theirs = Make(WS_POPUP);
        MSG msg;
        while (!stop) {
            while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessage(&msg);
            MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        }
        DestroyWindow(theirs);
    });
    while (!theirs)
        std::this_thread::yield();
    // Their procedure sends back to us while we wait for its answer: we answer meanwhile.
    EXPECT_EQ(SendMessage(theirs, WM_USER + 2, 5, reinterpret_cast<LPARAM>(mine)), 11);
    EXPECT_EQ(Messages(m_seen, WM_USER + 1, WM_USER + 1).size(), 1u);
    stop = true;
    worker.join();
    DestroyWindow(mine);
}

TEST_F(WindowMessages, SendToAWindowWhoseThreadEndedReturnsZero)
{
    std::atomic<HWND> theirs { nullptr };
    std::thread worker([&] { theirs = Make(); });
    worker.join();
    EXPECT_FALSE(IsWindow(theirs));
    EXPECT_EQ(SendMessage(theirs, WM_USER + 1, 5, 0), 0);
}

TEST_F(WindowMessages, QuitComesAfterPostedMessagesAndCarriesItsCode)
{
    HWND hwnd = Make();
    platform::headless::PumpMessages();
    PostQuitMessage(7);
    PostMessage(hwnd, WM_USER + 3, 0, 0);
    MSG msg;
    ASSERT_TRUE(GetMessage(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_USER + 3u);
    EXPECT_FALSE(GetMessage(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));  // taken once only
    DestroyWindow(hwnd);
}

TEST_F(WindowMessages, TimerWithTheSameIdReplacesTheEarlierOne)
{
    HWND hwnd = Make();
    platform::headless::PumpMessages();
    ASSERT_TRUE(SetTimer(hwnd, 17, 10000, nullptr));
    ASSERT_TRUE(SetTimer(hwnd, 17, 30000, nullptr));  // replaces: due at 30 s, once
    m_seen.clear();
    platform::headless::Advance(20000);
    platform::headless::PumpMessages();
    EXPECT_TRUE(Messages(m_seen, WM_TIMER, WM_TIMER).empty());
    platform::headless::Advance(10000);
    platform::headless::PumpMessages();
    ASSERT_EQ(Messages(m_seen, WM_TIMER, WM_TIMER).size(), 1u);
    EXPECT_EQ(m_seen.back().wParam, 17u);
    // A period passes again: one more; killed: none.
    platform::headless::Advance(30000);
    platform::headless::PumpMessages();
    EXPECT_EQ(Messages(m_seen, WM_TIMER, WM_TIMER).size(), 2u);
    EXPECT_TRUE(KillTimer(hwnd, 17));
    EXPECT_FALSE(KillTimer(hwnd, 17));
    platform::headless::Advance(60000);
    platform::headless::PumpMessages();
    EXPECT_EQ(Messages(m_seen, WM_TIMER, WM_TIMER).size(), 2u);
    DestroyWindow(hwnd);
}

// Set (or set again by its own firing) at any moment within a millisecond, a timer still waits its
// whole period: the message is looked for as often as the machine allows.
TEST_F(WindowMessages, ATimerNeverFiresBeforeItsTime)
{
    using namespace std::chrono;
    HWND hwnd = Make();
    platform::headless::PumpMessages();
    constexpr UINT kPeriodMs = 12;  // above the shortest period a timer may have
    auto armedBy = steady_clock::now();  // no later than the timer was set or set again
    ASSERT_TRUE(SetTimer(hwnd, 5, kPeriodMs, nullptr));
    for (int firing = 1; firing <= 12; ++firing) {
        MSG msg {};
        const auto deadline = armedBy + seconds(10);
        auto lookedAt = steady_clock::now();
        while (!PeekMessage(&msg, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE) && lookedAt < deadline)
            lookedAt = steady_clock::now();
        const auto firedBy = steady_clock::now();
        ASSERT_EQ(msg.message, static_cast<UINT>(WM_TIMER)) << "firing " << firing << " never came";
        EXPECT_GE(firedBy - armedBy, milliseconds(kPeriodMs)) << "firing " << firing << " came early";
        armedBy = lookedAt;  // taking the message set the timer again
    }
    KillTimer(hwnd, 5);
    DestroyWindow(hwnd);
}

// Held, the clock leaves out real time: a timer waits for Advance however long the machine takes.
// Released, it runs on from where it stood rather than jumping by the time it was held.
TEST_F(WindowMessages, AHeldClockMovesOnlyByAdvanceAndRunsOnFromWhereItStood)
{
    namespace hl = platform::headless;
    using namespace std::chrono;
    HWND hwnd = Make();
    hl::PumpMessages();
    m_seen.clear();
    auto stamp = [&] {
        PostMessage(hwnd, WM_USER + 3, 0, 0);
        MSG msg {};
        EXPECT_TRUE(PeekMessage(&msg, hwnd, WM_USER + 3, WM_USER + 3, PM_REMOVE));
        return msg.time;
    };
    hl::HoldClock(true);
    ASSERT_TRUE(SetTimer(hwnd, 3, 50, nullptr));
    std::this_thread::sleep_for(milliseconds(100));
    hl::PumpMessages();
    EXPECT_TRUE(Messages(m_seen, WM_TIMER, WM_TIMER).empty());
    hl::Advance(50);
    hl::PumpMessages();
    EXPECT_EQ(Messages(m_seen, WM_TIMER, WM_TIMER).size(), 1u);
    KillTimer(hwnd, 3);

    const DWORD held = stamp();
    std::this_thread::sleep_for(milliseconds(100));
    const auto released = steady_clock::now();
    hl::HoldClock(false);
    const DWORD running = stamp();
    const auto gap = duration_cast<milliseconds>(steady_clock::now() - released).count();
    EXPECT_GE(running, held);
    EXPECT_LE(running - held, static_cast<DWORD>(gap + 1)) << "the held time was counted";
    DestroyWindow(hwnd);
}

TEST_F(WindowMessages, TimersOfADestroyedWindowStop)
{
    HWND hwnd = Make();
    SetTimer(hwnd, 1, 100, nullptr);
    DestroyWindow(hwnd);
    m_seen.clear();
    platform::headless::Advance(1000);
    EXPECT_EQ(platform::headless::PumpMessages(), 0);
}

TEST_F(WindowMessages, InvalidationsCoalesceIntoOnePaintAfterPostedMessages)
{
    HWND hwnd = Make();
    platform::headless::PumpMessages();
    m_seen.clear();
    RECT a { 10, 10, 20, 20 }, b { 50, 5, 60, 30 };
    InvalidateRect(hwnd, &a, FALSE);
    PostMessage(hwnd, WM_USER + 4, 0, 0);
    std::thread other([&] { InvalidateRect(hwnd, &b, FALSE); });  // safe from any thread
    other.join();
    RECT pending {};
    EXPECT_TRUE(GetUpdateRect(hwnd, &pending, FALSE));
    platform::headless::PumpMessages();
    EXPECT_EQ(Messages(m_seen, WM_PAINT, WM_PAINT).size(), 1u);
    EXPECT_EQ(m_seen.front().msg, WM_USER + 4u);  // paints wait until the queue is idle
    EXPECT_EQ(t_lastPaint.left, 10);
    EXPECT_EQ(t_lastPaint.top, 5);
    EXPECT_EQ(t_lastPaint.right, 60);
    EXPECT_EQ(t_lastPaint.bottom, 30);
    EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE));
    DestroyWindow(hwnd);
}

TEST_F(WindowMessages, HiddenWindowsAreNotPaintedUntilShown)
{
    HWND hwnd = Make(WS_POPUP);
    InvalidateRect(hwnd, nullptr, TRUE);
    m_seen.clear();
    platform::headless::PumpMessages();
    EXPECT_TRUE(Messages(m_seen, WM_PAINT, WM_PAINT).empty());
    ShowWindow(hwnd, SW_SHOWNA);
    platform::headless::PumpMessages();
    EXPECT_EQ(Messages(m_seen, WM_PAINT, WM_PAINT).size(), 1u);
    EXPECT_EQ(Messages(m_seen, WM_ERASEBKGND, WM_ERASEBKGND).size(), 1u);
    DestroyWindow(hwnd);
}

// The modal loop the framework's windows run (close with a result code, quit passed on).
int RunModal(HWND dialog)
{
    HWND owner = GetWindow(dialog, GW_OWNER);
    ShowWindow(dialog, SW_SHOWNORMAL);
    EnableWindow(owner, FALSE);
    int result = 0;
    MSG msg {};
    bool quit = true;
    while (IsWindow(dialog)) {
        if (!GetMessage(&msg, nullptr, 0, 0))
            break;
        if (msg.message == WM_CLOSE && msg.hwnd == dialog) {
            result = static_cast<int>(msg.wParam);
            EnableWindow(owner, TRUE);
            SetFocus(owner);
        }
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
    quit = msg.message == WM_QUIT;
    EnableWindow(owner, TRUE);
    SetFocus(owner);
    if (quit)
        PostQuitMessage(static_cast<int>(msg.wParam));
    return result;
}

TEST_F(WindowMessages, ModalLoopEndsOnAPostedCloseAndPassesQuitOn)
{
    HWND owner = Make();
    HWND dialog = Make(WS_POPUP, owner);
    PostMessage(dialog, WM_CLOSE, 2, 0);
    EXPECT_EQ(RunModal(dialog), 2);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(GetFocus(), owner);

    dialog = Make(WS_POPUP, owner);
    PostQuitMessage(9);
    EXPECT_EQ(RunModal(dialog), 0);
    EXPECT_TRUE(IsWindow(dialog));  // a quit leaves the window; the enclosing loop sees the quit
    MSG msg;
    EXPECT_FALSE(GetMessage(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.wParam, 9u);
    DestroyWindow(dialog);
    DestroyWindow(owner);
}

TEST_F(WindowMessages, ModalBoxOnAWorkerThreadKeepsItsDisabledOwnerAlive)
{
    HWND owner = Make();
    platform::headless::SetMessageBoxAnswer(IDNO);
    std::atomic<int> answer { 0 };
    std::thread job([&] { answer = MessageBox(owner, L"导出完成", L"Quillmoor", MB_YESNO); });
    // The owner's thread goes on serving its window meanwhile (the box disables it by sending).
    while (!answer) {
        platform::headless::PumpMessages();
        MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    job.join();
    EXPECT_EQ(answer.load(), IDNO);
    EXPECT_EQ(platform::headless::LastMessageBoxText(), L"导出完成");
    EXPECT_TRUE(IsWindowEnabled(owner));
    DestroyWindow(owner);
}

TEST_F(WindowMessages, MessageOnlyWindowWakesAWaitingThread)
{
    HWND pump = CreateWindowEx(0, L"MessagesWnd", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(pump, nullptr);
    std::thread other([&] { PostMessage(pump, WM_USER + 1, 0, 0); });
    EXPECT_EQ(MsgWaitForMultipleObjectsEx(0, nullptr, 5000, QS_ALLINPUT, MWMO_INPUTAVAILABLE), WAIT_OBJECT_0);
    other.join();
    EXPECT_NE(GetQueueStatus(QS_POSTMESSAGE) & QS_POSTMESSAGE, 0u);
    EXPECT_EQ(MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_TIMER, 0), WAIT_TIMEOUT);
    DestroyWindow(pump);
}

}  // namespace
