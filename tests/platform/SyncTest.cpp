#include "platform/IoCompletionPort.h"
#include "platform/WinBase.h"
#include "platform/WinUser.h"
#include "platform/headless/HeadlessScreen.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <vector>

namespace {

struct HandleCloser {
    HANDLE handle;
    ~HandleCloser() { CloseHandle(handle); }
};

DWORD WINAPI SetEventLater(LPVOID event)
{
    Sleep(30);
    SetEvent(static_cast<HANDLE>(event));
    return 7;
}

unsigned EndsEarly(void* reached)
{
    static_cast<std::atomic<int>*>(reached)->store(1);
    _endthreadex(42);
}

}  // namespace

TEST(Events, AutoResetReleasesOneWaitManualStaysSet)
{
    HandleCloser autoEvent { CreateEvent(nullptr, FALSE, TRUE, nullptr) };
    HandleCloser manualEvent { CreateEvent(nullptr, TRUE, FALSE, nullptr) };
    ASSERT_NE(autoEvent.handle, nullptr);
    EXPECT_EQ(WaitForSingleObject(autoEvent.handle, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(autoEvent.handle, 0), WAIT_TIMEOUT) << "an auto-reset event resets on release";

    EXPECT_EQ(WaitForSingleObject(manualEvent.handle, 20), WAIT_TIMEOUT);
    SetEvent(manualEvent.handle);
    EXPECT_EQ(WaitForSingleObject(manualEvent.handle, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manualEvent.handle, 0), WAIT_OBJECT_0) << "a manual event stays set";
    ResetEvent(manualEvent.handle);
    EXPECT_EQ(WaitForSingleObject(manualEvent.handle, 0), WAIT_TIMEOUT);
}

TEST(Events, WaitWakesWhenAnotherThreadSets)
{
    HandleCloser event { CreateEvent(nullptr, FALSE, FALSE, nullptr) };
    DWORD id = 0;
    HandleCloser thread { CreateThread(nullptr, 0, SetEventLater, event.handle, 0, &id) };
    ASSERT_NE(thread.handle, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_NE(id, GetCurrentThreadId());
    EXPECT_EQ(WaitForSingleObject(event.handle, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(thread.handle, INFINITE), WAIT_OBJECT_0);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(thread.handle, &code));
    EXPECT_EQ(code, 7u);
}

TEST(Waits, AnyReportsTheFirstSignalledAllNeedsEvery)
{
    HandleCloser a { CreateEvent(nullptr, TRUE, FALSE, nullptr) };
    HandleCloser b { CreateEvent(nullptr, TRUE, TRUE, nullptr) };
    const HANDLE both[] = { a.handle, b.handle };
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 10), WAIT_TIMEOUT);
    SetEvent(a.handle);
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), WAIT_OBJECT_0);
}

// Nothing ends these waits early: each must last the whole time asked (the task loops count on it).
TEST(Waits, ATimedWaitLastsAtLeastTheTimeAsked)
{
    ASSERT_TRUE(platform::headless::Use());
    constexpr DWORD kAskedMs = 25;
    HandleCloser a { CreateEvent(nullptr, TRUE, FALSE, nullptr) };
    HandleCloser b { CreateEvent(nullptr, FALSE, FALSE, nullptr) };
    HandleCloser port { CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1) };
    const HANDLE both[] = { a.handle, b.handle };
    struct Case { const char* name; std::function<DWORD()> wait; DWORD expected; };
    const Case cases[] = {
        { "WaitForSingleObject", [&] { return WaitForSingleObject(a.handle, kAskedMs); }, WAIT_TIMEOUT },
        { "WaitForMultipleObjects, any", [&] { return WaitForMultipleObjects(2, both, FALSE, kAskedMs); }, WAIT_TIMEOUT },
        { "WaitForMultipleObjects, all", [&] { return WaitForMultipleObjects(2, both, TRUE, kAskedMs); }, WAIT_TIMEOUT },
        { "MsgWaitForMultipleObjectsEx, no handles", [&] { return MsgWaitForMultipleObjectsEx(0, nullptr, kAskedMs, QS_ALLINPUT, 0); }, WAIT_TIMEOUT },
        { "MsgWaitForMultipleObjectsEx, an event", [&] { return MsgWaitForMultipleObjectsEx(1, both, kAskedMs, QS_ALLINPUT, 0); }, WAIT_TIMEOUT },
        { "GetQueuedCompletionStatus", [&] {
              DWORD bytes = 0;
              ULONG_PTR key = 0;
              LPOVERLAPPED overlapped = nullptr;
              return static_cast<DWORD>(GetQueuedCompletionStatus(port.handle, &bytes, &key, &overlapped, kAskedMs));
          }, FALSE },
        { "Sleep", [] { Sleep(kAskedMs); return DWORD { 0 }; }, 0 },
    };
    for (const Case& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(c.wait(), c.expected) << c.name;
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kAskedMs)) << c.name << " ended early";
    }
}

TEST(Waits, BadHandlesFailInsteadOfHanging)
{
    HANDLE event = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    ASSERT_TRUE(CloseHandle(event));
    EXPECT_FALSE(CloseHandle(event)) << "a handle is closed once";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_FAILED);
    EXPECT_FALSE(SetEvent(event));
    EXPECT_EQ(WaitForMultipleObjects(0, nullptr, FALSE, 0), WAIT_FAILED);
}

TEST(Threads, EndThreadSetsTheExitCodeAndSignals)
{
    std::atomic<int> reached { 0 };
    unsigned id = 0;
    HandleCloser thread { reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, EndsEarly, &reached, 0, &id)) };
    ASSERT_NE(thread.handle, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread.handle, INFINITE), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(thread.handle, &code);
    EXPECT_EQ(code, 42u);
    EXPECT_EQ(reached.load(), 1);
    EXPECT_FALSE(TerminateThread(thread.handle, 0));
}

TEST(Threads, ThreadLocalSlotsArePerThread)
{
    const DWORD slot = TlsAlloc();
    ASSERT_NE(slot, TLS_OUT_OF_INDEXES);
    int mine = 1;
    ASSERT_TRUE(TlsSetValue(slot, &mine));
    std::atomic<void*> seenThere { &mine };
    struct Probe {
        DWORD slot;
        std::atomic<void*>* seen;
    } probe { slot, &seenThere };
    HandleCloser thread { CreateThread(nullptr, 0, [](LPVOID p) -> DWORD {
        auto* probe = static_cast<Probe*>(p);
        probe->seen->store(TlsGetValue(probe->slot));
        return 0;
    }, &probe, 0, nullptr) };
    WaitForSingleObject(thread.handle, INFINITE);
    EXPECT_EQ(seenThere.load(), nullptr);
    EXPECT_EQ(TlsGetValue(slot), &mine);
    EXPECT_TRUE(TlsFree(slot));
}

TEST(CriticalSection, RecursiveAndExclusive)
{
    CRITICAL_SECTION section;
    InitializeCriticalSectionAndSpinCount(&section, 2000);
    EnterCriticalSection(&section);
    EnterCriticalSection(&section);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(section.OwningThread), GetCurrentThreadId());
    LeaveCriticalSection(&section);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(section.OwningThread), GetCurrentThreadId()) << "still held once";
    LeaveCriticalSection(&section);
    EXPECT_EQ(section.OwningThread, nullptr);

    struct Shared {
        CRITICAL_SECTION* section;
        long counter = 0;
    } shared { &section };
    auto work = [](LPVOID p) -> DWORD {
        auto* s = static_cast<Shared*>(p);
        for (int i = 0; i < 20000; ++i) {
            EnterCriticalSection(s->section);
            EnterCriticalSection(s->section);
            ++s->counter;
            LeaveCriticalSection(s->section);
            LeaveCriticalSection(s->section);
        }
        return 0;
    };
    std::vector<HANDLE> threads;
    for (int i = 0; i < 4; ++i)
        threads.push_back(CreateThread(nullptr, 0, work, &shared, 0, nullptr));
    EXPECT_EQ(WaitForMultipleObjects(4, threads.data(), TRUE, INFINITE), WAIT_OBJECT_0);
    for (HANDLE t : threads)
        CloseHandle(t);
    EXPECT_EQ(shared.counter, 80000);
    DeleteCriticalSection(&section);
}

TEST(CriticalSection, TryEnterFailsWhileAnotherThreadHolds)
{
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    std::atomic<int> got { -1 };
    struct Probe {
        CRITICAL_SECTION* section;
        std::atomic<int>* got;
    } probe { &section, &got };
    HandleCloser thread { CreateThread(nullptr, 0, [](LPVOID p) -> DWORD {
        auto* probe = static_cast<Probe*>(p);
        probe->got->store(TryEnterCriticalSection(probe->section));
        return 0;
    }, &probe, 0, nullptr) };
    WaitForSingleObject(thread.handle, INFINITE);
    EXPECT_EQ(got.load(), FALSE);
    LeaveCriticalSection(&section);
    DeleteCriticalSection(&section);
}

TEST(Clock, TickCountsAdvanceAndAgree)
{
    const DWORD before = timeGetTime();
    Sleep(20);
    const DWORD elapsed = GetTickCount() - before;  // unsigned difference survives the wrap
    EXPECT_GE(elapsed, 20u);
    EXPECT_LT(elapsed, 10000u);
    // Both read the same clock: the 32-bit count lies between two 64-bit readings around it,
    // however long a loaded machine takes between them.
    const DWORD low = static_cast<DWORD>(GetTickCount64());
    const DWORD middle = timeGetTime();
    const DWORD high = static_cast<DWORD>(GetTickCount64());
    EXPECT_LE(middle - low, high - low) << "both read the same clock";
}
