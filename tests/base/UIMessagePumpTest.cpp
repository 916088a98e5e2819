#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "base/MessageLoop.h"
#include "base/Thread.h"
#include "base/ThreadRegistry.h"
#include "base/TickClock.h"
#include "base/UIMessagePump.h"
#include "platform/WinBase.h"
#include "platform/WinUser.h"
#include "support/LoopDeadline.h"

namespace {

using tbase::FrameworkThread;
using tbase::MessageLoop;
using tbase::WinUIMessagePump;

constexpr int kUiThreadId = 3;
constexpr UINT kTestMessage = WM_APP + 1;
constexpr UINT kNestMessage = WM_APP + 2;
constexpr UINT kStopMessage = WM_APP + 3;

using looptest::Event;

// What the UI thread saw, written only on that thread and read after it has ended.
struct Log {
    std::vector<int> entries;
    void Add(int entry) { entries.push_back(entry); }
};

Log* g_windowLog = nullptr;

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kTestMessage && g_windowLog)
        g_windowLog->Add(static_cast<int>(wParam));
    if (message == kNestMessage) {
        // A modal run from a message handler: one level deeper, outside any task.
        MessageLoop* loop = MessageLoop::Current();
        tbase::LoopRunState nested(*loop);
        g_windowLog->Add(1000 + nested.runDepth);
        loop->Run();
        g_windowLog->Add(2000);
    }
    return ::DefWindowProc(window, message, wParam, lParam);
}

// A UI thread with one ordinary window, reachable by id, run on a thread of its own.
class UiThread : public FrameworkThread {
public:
    explicit UiThread(tbase::Dispatcher* dispatcher = nullptr)
        : FrameworkThread("UI test thread")
    {
        ::setenv("QUILL_BACKEND", "headless", 1);
        m_thread = std::thread([this, dispatcher] { RunHere(kUILoop, dispatcher); });
        ready.Wait();
    }
    ~UiThread() override { Join("the thread's end"); }
    // Waits for the thread to end; a loop that stops turning first fails fast, naming `awaited`.
    void Join(const char* awaited)
    {
        looptest::LoopDeadline deadline(awaited);
        if (m_thread.joinable())
            m_thread.join();
    }

    void OnLoopStarting() override
    {
        WNDCLASSEX wc {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = TestWindowProc;
        wc.lpszClassName = L"LoopTestWindow";
        ::RegisterClassEx(&wc);
        window = ::CreateWindowEx(0, L"LoopTestWindow", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        auto* loop = static_cast<tbase::UIMessageLoop*>(GetMessageLoop());
        messageWindow = loop->UIPump()->MessageWindow();
        ThreadRegistry::BindCurrentThread(kUiThreadId);
        ready.Set();
    }
    void OnLoopFinished() override
    {
        ThreadRegistry::UnbindCurrentThread();
        MSG message;
        if (::PeekMessage(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
            quitLeftInQueue = static_cast<int>(message.wParam);
        ::DestroyWindow(window);
    }

    Event ready;
    HWND window { nullptr };
    HWND messageWindow { nullptr };
    int quitLeftInQueue { -1 };

private:
    std::thread m_thread;
};

TEST(WinUIMessagePump, DispatchesWindowMessagesAndTasksTogetherAndHonoursQuit)
{
    Log log;
    g_windowLog = &log;
    UiThread ui;
    ASSERT_TRUE(ui.window);

    wchar_t className[64] = {};
    ::GetClassName(ui.messageWindow, className, 64);
    EXPECT_STREQ(className, L"KelvoraMessagePumpWindow");

    // From this thread, while the UI thread sleeps: messages and tasks interleaved.
    for (int i = 1; i <= 20; ++i) {
        ::PostMessage(ui.window, kTestMessage, i, 0);
        ThreadRegistry::PostToThread(kUiThreadId, [&log, i] { log.Add(100 + i); });
    }
    const int64_t postedAt = tbase::TickClock::Now();
    ThreadRegistry::FindLoopProxy(kUiThreadId)->PostDelayed([&log, postedAt] {
        log.Add(tbase::TickClock::Now() - postedAt >= 30000 ? 500 : -500);
        ::PostQuitMessage(7);
        log.Add(600);  // the task finishes; the pump stops at its next test
    }, 30000);
    ui.Join("the 20 tasks and the delayed quit (30 ms)");
    g_windowLog = nullptr;

    // Each stream keeps its own order; the delayed task comes last, not before its time (-500).
    std::vector<int> messages, tasks, delayed;
    for (int entry : log.entries)
        (entry >= 1 && entry <= 20 ? messages : entry > 100 && entry <= 120 ? tasks : delayed).push_back(entry);
    std::vector<int> wantMessages, wantTasks;
    for (int i = 1; i <= 20; ++i) {
        wantMessages.push_back(i);
        wantTasks.push_back(100 + i);
    }
    EXPECT_EQ(messages, wantMessages);
    EXPECT_EQ(tasks, wantTasks);
    EXPECT_EQ(delayed, (std::vector<int> { 500, 600 }));
    ASSERT_FALSE(log.entries.empty());
    EXPECT_EQ(log.entries.back(), 600);
    EXPECT_EQ(ui.quitLeftInQueue, 7) << "a WM_QUIT the pump takes is posted again";
    EXPECT_FALSE(ThreadRegistry::PostToThread(kUiThreadId, [] { }));
}

TEST(WinUIMessagePump, NonNestableTaskWaitsOutANestedRunFromAMessageHandler)
{
    Log log;
    g_windowLog = &log;
    UiThread ui;
    auto proxy = ThreadRegistry::FindLoopProxy(kUiThreadId);
    Event nestedRunning;
    // The handler starts the nested run; a task then tells us it is running there.
    ::PostMessage(ui.window, kNestMessage, 0, 0);
    proxy->Post([&] { nestedRunning.Set(); });
    ASSERT_TRUE(nestedRunning.Wait());
    proxy->PostNonNestable([&log] {
        log.Add(3);
        ::PostQuitMessage(0);
    });
    proxy->Post([&log] {
        log.Add(MessageLoop::Current()->CurrentRunState()->runDepth == 2 ? 2 : -2);
        MessageLoop::Current()->QuitWhenIdle();  // ends the nested run
    });
    ui.Join("the nested run's quit task, then the non-nestable quit task");
    g_windowLog = nullptr;
    EXPECT_EQ(log.entries, (std::vector<int> { 1002, 2, 2000, 3 }));
}

TEST(WinUIMessagePump, ADispatcherTakesTheMessagesAndCanStopTheRun)
{
    struct StopOn : tbase::Dispatcher {
        std::vector<UINT> seen;
        bool Dispatch(const MSG& message) override
        {
            if (message.message == kTestMessage || message.message == kStopMessage)
                seen.push_back(message.message);
            return message.message != kStopMessage;
        }
    } dispatcher;
    Log log;
    g_windowLog = &log;
    UiThread ui(&dispatcher);
    ::PostMessage(ui.window, kTestMessage, 1, 0);
    ::PostMessage(ui.window, kStopMessage, 0, 0);
    ui.Join("the stop message to the dispatcher");
    g_windowLog = nullptr;
    EXPECT_EQ(dispatcher.seen, (std::vector<UINT> { kTestMessage, kStopMessage }));
    EXPECT_TRUE(log.entries.empty()) << "the window procedure is not called beside the dispatcher";
}

// A pump whose first wake message is refused, as by a full queue.
class RefusingPump : public WinUIMessagePump {
protected:
    bool PostWakeMessage() override { return m_refused++ > 0 && WinUIMessagePump::PostWakeMessage(); }

private:
    int m_refused { 0 };
};

TEST(WinUIMessagePump, AFailedWakeDoesNotStrandTheTaskOrBlockLaterWakes)
{
    struct Factory : tbase::MessageLoopFactory {
        std::unique_ptr<MessageLoop> CreateLoop() override
        {
            return std::make_unique<tbase::UIMessageLoop>(std::make_shared<RefusingPump>());
        }
    };
    class RefusingUiThread : public FrameworkThread {
    public:
        RefusingUiThread() : FrameworkThread("refusing UI thread")
        {
            ::setenv("QUILL_BACKEND", "headless", 1);
            SetLoopFactory(std::make_shared<Factory>());
            m_thread = std::thread([this] { RunHere(kCustomLoop, nullptr); });
            ready.Wait();
        }
        ~RefusingUiThread() override
        {
            looptest::LoopDeadline deadline("the quit task");
            m_thread.join();
        }
        void OnLoopStarting() override
        {
            proxy = GetMessageLoop()->Proxy();
            ready.Set();
        }
        Event ready;
        std::shared_ptr<tbase::MessageLoopProxy> proxy;

    private:
        std::thread m_thread;
    } ui;

    Event first, second;
    ui.proxy->Post([&] { first.Set(); });
    EXPECT_TRUE(first.Wait()) << "the task behind the refused wake never ran";
    ui.proxy->Post([&] { second.Set(); });
    EXPECT_TRUE(second.Wait()) << "a refused wake blocked the next one";
    ui.proxy->Post([] { ::PostQuitMessage(0); });
}

}  // namespace
