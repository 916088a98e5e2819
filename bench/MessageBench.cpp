// Posted-message round trips between two threads' windows, against a bare mutex and condition
// variable ping-pong between two threads as the baseline of the same run. Report the ratio
// RoundTrip / PingPong (what the queues cost over the cheapest cross-thread hand-off).

#include "platform/WinUser.h"
#include "platform/headless/HeadlessScreen.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

constexpr UINT kPing = WM_USER + 1, kPong = WM_USER + 2, kStop = WM_USER + 3;

LRESULT EchoProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == kPing) {
        PostMessage(reinterpret_cast<HWND>(lParam), kPong, wParam, 0);
        return 0;
    }
    if (msg == WM_USER + 4)
        return static_cast<LRESULT>(wParam + 1);
    if (msg == kStop) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

void RegisterEcho()
{
    platform::headless::Use();
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = EchoProc;
    wc.lpszClassName = L"BenchEchoWnd";
    RegisterClassEx(&wc);
}

HWND MakeEcho() { return CreateWindowEx(0, L"BenchEchoWnd", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr); }

// A thread with an echo window running its message loop.
class EchoThread {
public:
    EchoThread()
    {
        m_thread = std::thread([this] {
            m_window = MakeEcho();
            MSG msg;
            while (GetMessage(&msg, nullptr, 0, 0))
                DispatchMessage(&msg);
            DestroyWindow(m_window);
        });
        while (!m_window)
            std::this_thread::yield();
    }
    ~EchoThread()
    {
        PostMessage(m_window, kStop, 0, 0);
        m_thread.join();
    }
    HWND Window() const { return m_window; }

private:
    std::atomic<HWND> m_window { nullptr };
    std::thread m_thread;
};

void BM_CondVarPingPong(benchmark::State& state)
{
    std::mutex lock;
    std::condition_variable changed;
    int turn = 0;  // 1: the other thread's turn; 2: stop
    std::thread other([&] {
        std::unique_lock guard(lock);
        for (;;) {
            changed.wait(guard, [&] { return turn != 0; });
            if (turn == 2)
                return;
            turn = 0;
            changed.notify_all();
        }
    });
    for (auto _ : state) {
        std::unique_lock guard(lock);
        turn = 1;
        changed.notify_all();
        changed.wait(guard, [&] { return turn == 0; });
    }
    {
        std::lock_guard guard(lock);
        turn = 2;
    }
    changed.notify_all();
    other.join();
}

void BM_PostedRoundTrip(benchmark::State& state)
{
    RegisterEcho();
    EchoThread echo;
    HWND mine = MakeEcho();
    MSG msg;
    for (auto _ : state) {
        PostMessage(echo.Window(), kPing, 0, reinterpret_cast<LPARAM>(mine));
        GetMessage(&msg, mine, kPong, kPong);
    }
    state.SetItemsProcessed(state.iterations());
    DestroyWindow(mine);
}

void BM_SendAcrossThreads(benchmark::State& state)
{
    RegisterEcho();
    EchoThread echo;
    for (auto _ : state)
        benchmark::DoNotOptimize(SendMessage(echo.Window(), WM_USER + 4, 1, 0));
    state.SetItemsProcessed(state.iterations());
}

void BM_PostAndDispatchOnOneThread(benchmark::State& state)
{
    RegisterEcho();
    HWND mine = MakeEcho();
    MSG msg;
    for (auto _ : state) {
        PostMessage(mine, WM_USER + 4, 1, 0);
        PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE);
        benchmark::DoNotOptimize(DispatchMessage(&msg));
    }
    state.SetItemsProcessed(state.iterations());
    DestroyWindow(mine);
}

}  // namespace

BENCHMARK(BM_CondVarPingPong)->UseRealTime();
BENCHMARK(BM_PostedRoundTrip)->UseRealTime();
BENCHMARK(BM_SendAcrossThreads)->UseRealTime();
BENCHMARK(BM_PostAndDispatchOnOneThread)->UseRealTime();
BENCHMARK_MAIN();
