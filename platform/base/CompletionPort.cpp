// I/O completion ports: a queue of completion packets that threads take with a time-out. Packets
// come from PostQueuedCompletionStatus and from descriptors watched for readiness through epoll.
// A watch is one request: the descriptor completes once, when it has bytes to read or its other
// end has closed, and is watched again only when asked again (as an overlapped read is issued
// again after it completes). Posted packets come out first, in the order they were posted.

#include "platform/IoCompletionPort.h"
#include "platform/base/HandleTable.h"
#include "platform/base/LastError.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

struct Packet {
    DWORD bytes;
    ULONG_PTR key;
    LPOVERLAPPED overlapped;
    DWORD error;
};

using Clock = std::chrono::steady_clock;

class CompletionPort : public platform::KernelObject {
public:
    // Both descriptors are the port's: the epoll set and the eventfd that wakes it for posts.
    CompletionPort(int epollFd, int wakeFd)
        : m_epollFd(epollFd)
        , m_wakeFd(wakeFd)
    {
    }
    ~CompletionPort() override
    {
        close(m_wakeFd);
        close(m_epollFd);
    }
    CompletionPort(const CompletionPort&) = delete;
    CompletionPort& operator=(const CompletionPort&) = delete;

    void Post(const Packet& packet)
    {
        {
            std::lock_guard lock(m_lock);
            m_posted.push_back(packet);
        }
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(m_wakeFd, &one, sizeof one);  // only a full counter refuses: already awake
    }

    BOOL Watch(int fd, ULONG_PTR key, LPOVERLAPPED overlapped)
    {
        std::lock_guard lock(m_lock);
        epoll_event event {};
        event.events = EPOLLIN | EPOLLRDHUP | EPOLLONESHOT;
        event.data.fd = fd;
        // Re-arm a descriptor watched before; a new one (or a number reused by another file) is added.
        if (epoll_ctl(m_epollFd, EPOLL_CTL_MOD, fd, &event) != 0
            && (errno != ENOENT || epoll_ctl(m_epollFd, EPOLL_CTL_ADD, fd, &event) != 0))
            return errno == EPERM ? platform::FailWith(ERROR_NOT_SUPPORTED) : platform::FailWithErrno();
        m_watches[fd] = WatchRecord { key, overlapped };
        return TRUE;
    }

    BOOL Unwatch(int fd)
    {
        std::lock_guard lock(m_lock);
        if (m_watches.erase(fd) == 0)
            return platform::FailWith(ERROR_INVALID_PARAMETER);
        epoll_ctl(m_epollFd, EPOLL_CTL_DEL, fd, nullptr);  // gone already when the descriptor was closed
        return TRUE;
    }

    // The next packet, or nothing when the time-out passed first.
    std::optional<Packet> Take(DWORD milliseconds)
    {
        const std::optional<Clock::time_point> deadline = milliseconds == INFINITE
            ? std::nullopt
            : std::optional(Clock::now() + std::chrono::milliseconds(milliseconds));
        for (;;) {
            if (std::optional<Packet> posted = TakePosted())
                return posted;
            const int timeout = RemainingMs(deadline);
            epoll_event event {};
            const int count = epoll_wait(m_epollFd, &event, 1, timeout);
            if (count < 0 && errno != EINTR)
                return std::nullopt;
            if (count <= 0) {
                if (timeout == 0)
                    return std::nullopt;
                continue;
            }
            if (event.data.fd == m_wakeFd) {
                uint64_t posts = 0;
                [[maybe_unused]] const ssize_t got = read(m_wakeFd, &posts, sizeof posts);
                continue;
            }
            if (std::optional<Packet> ready = TakeReadiness(event))
                return ready;
        }
    }

private:
    struct WatchRecord {
        ULONG_PTR key;
        LPOVERLAPPED overlapped;
    };

    static int RemainingMs(const std::optional<Clock::time_point>& deadline)
    {
        if (!deadline)
            return -1;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
        return static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
    }

    std::optional<Packet> TakePosted()
    {
        std::lock_guard lock(m_lock);
        if (m_posted.empty())
            return std::nullopt;
        const Packet packet = m_posted.front();
        m_posted.pop_front();
        return packet;
    }

    std::optional<Packet> TakeReadiness(const epoll_event& event)
    {
        std::lock_guard lock(m_lock);
        const auto it = m_watches.find(event.data.fd);
        if (it == m_watches.end())
            return std::nullopt;  // unwatched while the wait was ending
        int available = 0;
        if (ioctl(event.data.fd, FIONREAD, &available) != 0 || available < 0)
            available = 0;
        const bool closed = (event.events & (EPOLLHUP | EPOLLRDHUP | EPOLLERR)) != 0;
        const DWORD error = available == 0 && closed ? ERROR_BROKEN_PIPE : ERROR_SUCCESS;
        return Packet { static_cast<DWORD>(available), it->second.key, it->second.overlapped, error };
    }

    const int m_epollFd;
    const int m_wakeFd;
    std::mutex m_lock;
    std::deque<Packet> m_posted;
    std::map<int, WatchRecord> m_watches;
};

}  // namespace

HANDLE CreateIoCompletionPort(HANDLE file, HANDLE existingPort, ULONG_PTR, DWORD)
{
    if (file != INVALID_HANDLE_VALUE || existingPort != nullptr) {
        // Overlapped I/O on handles does not exist here: descriptors are watched instead.
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    const int epollFd = epoll_create1(EPOLL_CLOEXEC);
    if (epollFd < 0) {
        platform::FailWithErrno();
        return nullptr;
    }
    const int wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    epoll_event event {};
    event.events = EPOLLIN;
    event.data.fd = wakeFd;
    if (wakeFd < 0 || epoll_ctl(epollFd, EPOLL_CTL_ADD, wakeFd, &event) != 0) {
        platform::FailWithErrno();
        if (wakeFd >= 0)
            close(wakeFd);
        close(epollFd);
        return nullptr;
    }
    return platform::InsertHandle(std::make_shared<CompletionPort>(epollFd, wakeFd));
}

BOOL PostQueuedCompletionStatus(HANDLE port, DWORD bytes, ULONG_PTR key, LPOVERLAPPED overlapped)
{
    auto object = platform::LookupHandleAs<CompletionPort>(port);
    if (!object)
        return platform::FailWith(ERROR_INVALID_HANDLE);
    object->Post(Packet { bytes, key, overlapped, ERROR_SUCCESS });
    return TRUE;
}

BOOL GetQueuedCompletionStatus(HANDLE port, LPDWORD bytes, PULONG_PTR key, LPOVERLAPPED* overlapped, DWORD milliseconds)
{
    if (!bytes || !key || !overlapped)
        return platform::FailWith(ERROR_INVALID_PARAMETER);
    *overlapped = nullptr;
    auto object = platform::LookupHandleAs<CompletionPort>(port);
    if (!object)
        return platform::FailWith(ERROR_INVALID_HANDLE);
    const std::optional<Packet> packet = object->Take(milliseconds);
    if (!packet)
        return platform::FailWith(WAIT_TIMEOUT);
    *bytes = packet->bytes;
    *key = packet->key;
    *overlapped = packet->overlapped;
    if (packet->error != ERROR_SUCCESS)
        return platform::FailWith(packet->error);
    return TRUE;
}

namespace platform {

BOOL WatchDescriptor(HANDLE port, int fd, ULONG_PTR key, LPOVERLAPPED overlapped)
{
    auto object = LookupHandleAs<CompletionPort>(port);
    if (!object)
        return FailWith(ERROR_INVALID_HANDLE);
    return object->Watch(fd, key, overlapped);
}

BOOL UnwatchDescriptor(HANDLE port, int fd)
{
    auto object = LookupHandleAs<CompletionPort>(port);
    if (!object)
        return FailWith(ERROR_INVALID_HANDLE);
    return object->Unwatch(fd);
}

}  // namespace platform
