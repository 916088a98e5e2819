#include <gtest/gtest.h>

#include <string>
#include <unistd.h>
#include <vector>

#include "base/IOMessagePump.h"
#include "platform/IoCompletionPort.h"
#include "support/LoopDeadline.h"

namespace {

using tbase::IOContext;
using tbase::IOMessageLoop;
using tbase::LoopRunState;

// Every task, completion and observer call of one loop, in the order they happened.
struct Log : tbase::WinIOMessagePump::IOObserver {
    void BeforeCompletion() override { entries.push_back("before"); }
    void AfterCompletion() override { entries.push_back("after"); }
    std::vector<std::string> entries;
};

// Reads a pipe as its readiness completes, and has the loop write the next piece in a task.
class PipeReader : public tbase::IOHandler {
public:
    PipeReader(IOMessageLoop& loop, Log& log)
        : m_loop(loop)
        , m_log(log)
    {
        EXPECT_EQ(pipe(m_fds), 0);
        m_context.handler = this;
    }
    ~PipeReader() override
    {
        close(m_fds[0]);
        if (m_fds[1] >= 0)
            close(m_fds[1]);
    }

    void Start(std::vector<std::string> pieces)
    {
        m_pieces = std::move(pieces);
        ASSERT_TRUE(m_loop.IOPump()->WatchFileDescriptor(m_fds[0], &m_context));
        PostNextWrite();
    }

    void OnCompleted(IOContext* context, DWORD bytes, DWORD error) override
    {
        EXPECT_EQ(context, &m_context);
        if (error == ERROR_BROKEN_PIPE) {
            m_log.entries.push_back("closed");
            m_loop.IOPump()->StopWatching(m_fds[0]);
            m_loop.QuitWhenIdle();
            return;
        }
        std::string text(bytes, '\0');
        EXPECT_EQ(read(m_fds[0], text.data(), bytes), static_cast<ssize_t>(bytes));
        m_log.entries.push_back("read " + text);
        m_loop.IOPump()->WatchFileDescriptor(m_fds[0], &m_context);
        PostNextWrite();
    }

private:
    void PostNextWrite()
    {
        if (m_next == m_pieces.size()) {
            m_loop.Post([this] {
                m_log.entries.push_back("task close");
                close(m_fds[1]);
                m_fds[1] = -1;
            });
            return;
        }
        const std::string piece = m_pieces[m_next++];
        m_loop.Post([this, piece] {
            m_log.entries.push_back("task write " + piece);
            EXPECT_EQ(write(m_fds[1], piece.data(), piece.size()), static_cast<ssize_t>(piece.size()));
        });
    }

    IOMessageLoop& m_loop;
    Log& m_log;
    int m_fds[2] { -1, -1 };
    IOContext m_context;
    std::vector<std::string> m_pieces;
    size_t m_next { 0 };
};

TEST(IOMessagePump, PipeReadsArriveAsCompletionsBetweenTasksWithObserversAround)
{
    IOMessageLoop loop;
    LoopRunState run(loop);
    Log log;
    loop.IOPump()->AddIOObserver(&log);
    PipeReader reader(loop, log);
    reader.Start({ "ab", "cde" });
    // The log shows what ran, once Run has returned.
    looptest::LoopDeadline deadline("the pipe's tasks and completions, up to its close");
    loop.Run();

    EXPECT_EQ(log.entries, (std::vector<std::string> {
        "task write ab", "before", "read ab", "after",
        "task write cde", "before", "read cde", "after",
        "task close", "before", "closed", "after" }));
}

// Records the completions posted to it.
struct Recorder : tbase::IOHandler {
    void OnCompleted(IOContext* context, DWORD bytes, DWORD error) override
    {
        seen.push_back({ context, bytes, error });
    }
    struct Seen {
        IOContext* context;
        DWORD bytes, error;
        bool operator==(const Seen&) const = default;
    };
    std::vector<Seen> seen;
};

TEST(IOMessagePump, PostedPacketsReachTheirHandlerAndGivenUpContextsAreFreed)
{
    IOMessageLoop loop;
    LoopRunState run(loop);
    Recorder recorder;
    IOContext context;
    context.handler = &recorder;
    const HANDLE port = loop.IOPump()->Port();
    const ULONG_PTR key = reinterpret_cast<ULONG_PTR>(&recorder);
    ASSERT_TRUE(::PostQueuedCompletionStatus(port, 42, key, &context.overlapped));
    // Its issuer gave this one up: the pump frees it (the sanitizer build reports a leak if not).
    auto* abandoned = new IOContext;
    ASSERT_TRUE(::PostQueuedCompletionStatus(port, 9, key, &abandoned->overlapped));
    // The loop sleeps on the port until the delayed quit is due: the wait has a time-out.
    loop.PostDelayed([&loop] { loop.QuitWhenIdle(); }, 20 * 1000);
    looptest::LoopDeadline deadline("the delayed quit (20 ms)");
    loop.Run();

    EXPECT_EQ(recorder.seen, (std::vector<Recorder::Seen> { { &context, 42, ERROR_SUCCESS } }));
}

}  // namespace
