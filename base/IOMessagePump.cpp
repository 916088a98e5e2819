#include "base/IOMessagePump.h"

#include <algorithm>
#include <cstddef>

namespace tbase {

static_assert(offsetof(IOContext, overlapped) == 0, "a completion's overlapped pointer is its context");

WinIOMessagePump::WinIOMessagePump()
    : m_port(::CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1))
{
}

WinIOMessagePump::~WinIOMessagePump()
{
    if (m_port)
        ::CloseHandle(m_port);
}

void WinIOMessagePump::Wake()
{
    if (m_haveWork.exchange(1) != 0)
        return;  // one wake-up in flight is enough
    const ULONG_PTR key = reinterpret_cast<ULONG_PTR>(this);
    if (!::PostQueuedCompletionStatus(m_port, 0, key, WakeOverlapped()))
        m_haveWork.exchange(0);  // refused: let the next wake try again
}

bool WinIOMessagePump::WatchFileDescriptor(int fd, IOContext* context)
{
    return platform::WatchDescriptor(m_port, fd, reinterpret_cast<ULONG_PTR>(context->handler), &context->overlapped);
}

bool WinIOMessagePump::StopWatching(int fd)
{
    return platform::UnwatchDescriptor(m_port, fd);
}

void WinIOMessagePump::PumpLoop()
{
    Delegate* delegate = m_state->delegate;
    bool did = delegate->RunReadyTasks();
    while (!StopRequested()) {
        did |= WaitForCompletion(0);
        if (StopRequested())
            return;
        did |= delegate->RunDueDelayedTask(m_delayedWorkTime);
        if (StopRequested())
            return;
        if (!did) {
            did = delegate->RunIdleTask();
            if (StopRequested())
                return;
            if (!did) {
                WaitForCompletion(MillisecondsUntilDue());
                if (StopRequested())
                    return;
            }
        }
        did = delegate->RunReadyTasks();
    }
}

bool WinIOMessagePump::WaitForCompletion(int64_t timeoutMs)
{
    const DWORD timeout = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(std::min(timeoutMs, kLongestWaitMs));
    DWORD bytes = 0;
    ULONG_PTR key = 0;
    LPOVERLAPPED overlapped = nullptr;
    DWORD error = ERROR_SUCCESS;
    if (!::GetQueuedCompletionStatus(m_port, &bytes, &key, &overlapped, timeout)) {
        if (!overlapped)
            return false;  // timed out
        error = ::GetLastError();
        bytes = 0;
    }
    if (key == reinterpret_cast<ULONG_PTR>(this) && overlapped == WakeOverlapped()) {
        m_haveWork.exchange(0);
        return true;
    }
    if (!overlapped)
        return true;  // a packet without a context has no handler to go to
    IOContext* context = reinterpret_cast<IOContext*>(overlapped);
    if (!context->handler) {
        delete context;  // given up by its issuer
        return true;
    }
    m_observers.Notify([](IOObserver& o) { o.BeforeCompletion(); });
    reinterpret_cast<IOHandler*>(key)->OnCompleted(context, bytes, error);
    m_observers.Notify([](IOObserver& o) { o.AfterCompletion(); });
    return true;
}

IOMessageLoop::IOMessageLoop()
    : IOMessageLoop(std::make_shared<WinIOMessagePump>())
{
}

IOMessageLoop::IOMessageLoop(std::shared_ptr<WinIOMessagePump> pump)
    : MessageLoop(kIOLoop, pump)
    , m_ioPump(pump.get())
{
}

}  // namespace tbase
