#pragma once
// The I/O pump and the loop that uses it.
//
// WinIOMessagePump waits on a completion port between the loop's tasks. A packet on the port is
// either the pump's own wake-up (key and overlapped pointer both the pump; at most one in flight)
// or a finished operation: key = its IOHandler, overlapped pointer = the OVERLAPPED that opens its
// IOContext. OnCompleted runs on the pump's thread, never during a task, with every I/O observer
// told before and after. A descriptor is watched for readiness with WatchFileDescriptor: each
// watch completes once (bytes readable, or ERROR_BROKEN_PIPE once the other end has closed and
// nothing is left), and the handler watches again when it wants more.
//
// Ownership: a context belongs to whoever issued the operation. An issuer that gives up on a
// pending operation clears the context's handler and lets go of it: the pump deletes it when the
// operation completes, so a context given up that way must have been made with new. Everything
// but Wake runs on the thread that made the pump.

#include <memory>

#include "base/MessageLoop.h"
#include "base/ObserverList.h"
#include "base/WinMessagePump.h"
#include "platform/IoCompletionPort.h"

namespace tbase {

struct IOContext;

class IOHandler {
public:
    virtual ~IOHandler() = default;
    // error is ERROR_SUCCESS or the system's error code; bytesTransferred is 0 on an error.
    virtual void OnCompleted(IOContext* context, DWORD bytesTransferred, DWORD error) = 0;
};

// The record behind one operation: the system's overlapped structure, then its handler.
struct IOContext {
    OVERLAPPED overlapped {};
    IOHandler* handler { nullptr };
};

class WinIOMessagePump : public WinMessagePump {
public:
    class IOObserver {
    public:
        virtual ~IOObserver() = default;
        virtual void BeforeCompletion() = 0;
        virtual void AfterCompletion() = 0;
    };

    WinIOMessagePump();
    ~WinIOMessagePump() override;
    WinIOMessagePump(const WinIOMessagePump&) = delete;
    WinIOMessagePump& operator=(const WinIOMessagePump&) = delete;

    void Wake() override;
    // The wait for a completion is bounded by the run time; nothing else to arm.
    void WakeAt(int64_t runTime) override { m_delayedWorkTime = runTime; }

    // Watches fd once; its readiness comes to context->handler as a completion. False, with the
    // system's error as the last error, when the descriptor cannot be watched (a regular file).
    bool WatchFileDescriptor(int fd, IOContext* context);
    bool StopWatching(int fd);

    // Where other code posts its completion packets.
    HANDLE Port() const { return m_port; }

    void AddIOObserver(IOObserver* observer) { m_observers.Add(observer); }
    void RemoveIOObserver(IOObserver* observer) { m_observers.Remove(observer); }

protected:
    void PumpLoop() override;

private:
    // Handles one packet; false when none came within the time-out (-1: no limit).
    bool WaitForCompletion(int64_t timeoutMs);
    LPOVERLAPPED WakeOverlapped() { return reinterpret_cast<LPOVERLAPPED>(this); }

    HANDLE m_port;
    ObserverList<IOObserver> m_observers;
};

// A loop pumped by a completion port.
class IOMessageLoop : public MessageLoop {
public:
    IOMessageLoop();

    WinIOMessagePump* IOPump() const { return m_ioPump; }

private:
    explicit IOMessageLoop(std::shared_ptr<WinIOMessagePump> pump);

    WinIOMessagePump* m_ioPump;
};

}  // namespace tbase
