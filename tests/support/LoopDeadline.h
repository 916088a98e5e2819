#pragma once
// A deadline for a test that waits on a message loop. A lost wake-up leaves a loop asleep with
// work queued, and nothing from outside can end a Run that never returns: so when the deadline
// passes first, the test program reports the test and what it was waiting for, then ends at once
// instead of hanging into the test time-out. Change what is awaited as a test moves on, so the
// report names the task that did not run.

#include "platform/WinBase.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace looptest {

// A manual-reset event for handing a moment from one thread to another. The wait is bounded by
// default only so that a lost wake-up fails the test fast instead of hanging it.
class Event {
public:
    Event() : m_handle(::CreateEvent(nullptr, TRUE, FALSE, nullptr)) { }
    ~Event() { ::CloseHandle(m_handle); }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    void Set() { ::SetEvent(m_handle); }
    bool Wait(DWORD ms = 5000) { return ::WaitForSingleObject(m_handle, ms) == WAIT_OBJECT_0; }

private:
    HANDLE m_handle;
};

class LoopDeadline {
public:
    explicit LoopDeadline(std::string awaited, std::chrono::seconds limit = std::chrono::seconds(5))
        : m_awaited(std::move(awaited))
        , m_watch([this, limit] { Watch(limit); })
    {
    }
    ~LoopDeadline()
    {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_changed.notify_all();
        m_watch.join();
    }
    LoopDeadline(const LoopDeadline&) = delete;
    LoopDeadline& operator=(const LoopDeadline&) = delete;

    // What the test waits for now; the limit starts again.
    void Await(std::string awaited)
    {
        {
            std::lock_guard lock(m_mutex);
            m_awaited = std::move(awaited);
            m_restarted = true;
        }
        m_changed.notify_all();
    }

private:
    void Watch(std::chrono::seconds limit)
    {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_restarted = false;
            if (m_changed.wait_for(lock, limit, [this] { return m_done || m_restarted; })) {
                if (m_done)
                    return;
                continue;
            }
            std::fprintf(stderr, "%s.%s: %s did not run within %lld s: a loop stopped turning\n",
                         test ? test->test_suite_name() : "?", test ? test->name() : "?", m_awaited.c_str(),
                         static_cast<long long>(limit.count()));
            std::fflush(stderr);
            std::_Exit(EXIT_FAILURE);
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::string m_awaited;
    bool m_done { false };
    bool m_restarted { false };
    std::thread m_watch;  // last: starts once the rest is built
};

}  // namespace looptest
