#include "platform/IoCompletionPort.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

struct Packet {
    BOOL ok;
    DWORD bytes, error;
    ULONG_PTR key;
    LPOVERLAPPED overlapped;
};

Packet Take(HANDLE port, DWORD milliseconds)
{
    Packet p {};
    p.ok = GetQueuedCompletionStatus(port, &p.bytes, &p.key, &p.overlapped, milliseconds);
    p.error = p.ok ? ERROR_SUCCESS : GetLastError();
    return p;
}

class CompletionPortTest : public testing::Test {
protected:
    void SetUp() override
    {
        port = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1);
        ASSERT_NE(port, nullptr);
        ASSERT_EQ(pipe(fds), 0);
    }
    void TearDown() override
    {
        CloseHandle(port);
        close(fds[0]);
        if (fds[1] >= 0)
            close(fds[1]);
    }

    HANDLE port { nullptr };
    int fds[2] { -1, -1 };
    OVERLAPPED first {}, second {};
};

TEST_F(CompletionPortTest, PostedPacketsComeOutInOrderAndAnEmptyPortTimesOut)
{
    ASSERT_TRUE(PostQueuedCompletionStatus(port, 5, 11, &first));
    ASSERT_TRUE(PostQueuedCompletionStatus(port, 0, 22, &second));
    const Packet a = Take(port, 0), b = Take(port, INFINITE), none = Take(port, 10);
    EXPECT_TRUE(a.ok && a.bytes == 5 && a.key == 11 && a.overlapped == &first);
    EXPECT_TRUE(b.ok && b.bytes == 0 && b.key == 22 && b.overlapped == &second);
    EXPECT_FALSE(none.ok);
    EXPECT_EQ(none.overlapped, nullptr);
    EXPECT_EQ(none.error, WAIT_TIMEOUT);

    // A wait without a limit ends when another thread posts.
    std::thread poster([this] {
        Sleep(20);
        PostQueuedCompletionStatus(port, 1, 33, &first);
    });
    const Packet late = Take(port, INFINITE);
    poster.join();
    EXPECT_TRUE(late.ok && late.key == 33);
}

TEST_F(CompletionPortTest, WatchedPipeCompletesOncePerWatchThenReportsItsClosedEnd)
{
    ASSERT_TRUE(platform::WatchDescriptor(port, fds[0], 7, &first));
    EXPECT_FALSE(Take(port, 0).ok) << "nothing to read yet";
    ASSERT_EQ(write(fds[1], "abc", 3), 3);
    const Packet ready = Take(port, INFINITE);
    EXPECT_TRUE(ready.ok);
    EXPECT_EQ(ready.bytes, 3u);
    EXPECT_EQ(ready.key, 7u);
    EXPECT_EQ(ready.overlapped, &first);
    EXPECT_EQ(Take(port, 10).error, WAIT_TIMEOUT) << "a watch completes once, though the bytes are still there";

    char buffer[8];
    ASSERT_EQ(read(fds[0], buffer, sizeof buffer), 3);
    ASSERT_TRUE(platform::WatchDescriptor(port, fds[0], 8, &second));
    close(fds[1]);
    fds[1] = -1;
    const Packet closed = Take(port, INFINITE);
    EXPECT_FALSE(closed.ok);
    EXPECT_EQ(closed.error, ERROR_BROKEN_PIPE);
    EXPECT_EQ(closed.key, 8u);
    EXPECT_EQ(closed.overlapped, &second);

    EXPECT_TRUE(platform::UnwatchDescriptor(port, fds[0]));
    EXPECT_FALSE(platform::UnwatchDescriptor(port, fds[0]));
}

TEST_F(CompletionPortTest, RefusesWhatItCannotDo)
{
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp ? tmp : "/tmp") + "/portXXXXXX";
    const int file = mkstemp(pattern.data());
    ASSERT_GE(file, 0) << pattern;
    EXPECT_FALSE(platform::WatchDescriptor(port, file, 1, &first));
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED) << "a regular file is always ready: nothing to watch";
    close(file);
    unlink(pattern.c_str());

    EXPECT_EQ(CreateIoCompletionPort(port, nullptr, 0, 1), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
    CloseHandle(port);
    EXPECT_FALSE(PostQueuedCompletionStatus(port, 0, 0, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    port = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1);
}

}  // namespace
