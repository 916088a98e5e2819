#pragma once
// The one table of kernel-object handles. Each object type of the layer derives from KernelObject
// and is put in the table by InsertHandle; CloseHandle removes the entry, and the object lives on
// while a running operation (a thread body, a wait, a process watcher) still holds it.
//
// Waiting: every state a wait can see (IsSignaled) is read and changed under WaitLock(). An object
// whose state changes calls Signal() with that lock held, which wakes exactly the threads waiting
// on it. Other parts of the platform (the window system's queues, the single-instance mutex) may
// derive their own waitable objects from KernelObject.

#include "platform/WinTypes.h"

#include <memory>
#include <mutex>
#include <vector>

namespace platform {

class Waiter;

class KernelObject {
public:
    virtual ~KernelObject() = default;

    // Called under WaitLock(). A waitable object answers whether a wait on it is satisfied now.
    virtual bool IsWaitable() const { return false; }
    virtual bool IsSignaled() const { return false; }
    // Called under WaitLock() when a wait has been satisfied by this object (auto-reset events
    // reset themselves here).
    virtual void OnWaitSatisfied() { }
    // An object whose state changes without a Signal() (a process this program did not start)
    // is looked at again every few milliseconds while a wait includes it.
    virtual bool NeedsPolling() const { return false; }

    // Wakes the threads waiting on this object; the caller holds WaitLock().
    void Signal();

private:
    friend class WaitRegistration;
    std::vector<Waiter*> m_waiters;  // guarded by WaitLock()
};

std::mutex& WaitLock();

HANDLE InsertHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> LookupHandle(HANDLE handle);
// Removes the entry; false (and ERROR_INVALID_HANDLE) when there is none.
bool RemoveHandle(HANDLE handle);

template <class T>
std::shared_ptr<T> LookupHandleAs(HANDLE handle)
{
    return std::dynamic_pointer_cast<T>(LookupHandle(handle));
}

// Waits for one (or all) of the objects; returns the WAIT_* result. Used by the Win32 waits and by
// other parts of the layer that wait on objects of their own.
DWORD WaitForObjects(const std::vector<std::shared_ptr<KernelObject>>& objects, bool waitAll, DWORD milliseconds);

}  // namespace platform
