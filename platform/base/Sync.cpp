// Events and critical sections.

#include "platform/WinBase.h"
#include "platform/base/HandleTable.h"
#include "platform/base/LastError.h"

#include <mutex>

namespace {

class EventObject : public platform::KernelObject {
public:
    EventObject(bool manualReset, bool signaled) : m_manualReset(manualReset), m_signaled(signaled) { }
    bool IsWaitable() const override { return true; }
    bool IsSignaled() const override { return m_signaled; }
    void OnWaitSatisfied() override
    {
        if (!m_manualReset)
            m_signaled = false;
    }
    void Set(bool signaled)
    {
        std::lock_guard lock(platform::WaitLock());
        m_signaled = signaled;
        if (signaled)
            Signal();
    }

private:
    const bool m_manualReset;
    bool m_signaled;  // guarded by WaitLock()
};

BOOL SetEventState(HANDLE event, bool signaled)
{
    auto object = platform::LookupHandleAs<EventObject>(event);
    if (!object)
        return platform::FailWith(ERROR_INVALID_HANDLE);
    object->Set(signaled);
    return TRUE;
}

std::mutex& LockOf(LPCRITICAL_SECTION section)
{
    return *static_cast<std::mutex*>(section->Lock);
}

HANDLE OwnerOf(LPCRITICAL_SECTION section)
{
    return __atomic_load_n(&section->OwningThread, __ATOMIC_ACQUIRE);
}

void TakeOwnership(LPCRITICAL_SECTION section, HANDLE self)
{
    __atomic_store_n(&section->OwningThread, self, __ATOMIC_RELEASE);
    section->RecursionCount = 1;
    section->LockCount = 0;
}

HANDLE CallerAsOwner()
{
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(GetCurrentThreadId()));
}

}  // namespace

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCWSTR)
{
    return platform::InsertHandle(std::make_shared<EventObject>(manualReset != FALSE, initialState != FALSE));
}

BOOL SetEvent(HANDLE event)
{
    return SetEventState(event, true);
}

BOOL ResetEvent(HANDLE event)
{
    return SetEventState(event, false);
}

void InitializeCriticalSection(LPCRITICAL_SECTION section)
{
    InitializeCriticalSectionAndSpinCount(section, 0);
}

BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION section, DWORD spinCount)
{
    *section = CRITICAL_SECTION {};
    section->Lock = new std::mutex;
    section->LockCount = -1;
    section->SpinCount = spinCount;
    return TRUE;
}

void DeleteCriticalSection(LPCRITICAL_SECTION section)
{
    delete static_cast<std::mutex*>(section->Lock);
    *section = CRITICAL_SECTION {};
}

// Recursion is counted here on top of a plain mutex, so OwningThread always tells the owner.
void EnterCriticalSection(LPCRITICAL_SECTION section)
{
    const HANDLE self = CallerAsOwner();
    if (OwnerOf(section) == self) {
        ++section->RecursionCount;
        return;
    }
    LockOf(section).lock();
    TakeOwnership(section, self);
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section)
{
    const HANDLE self = CallerAsOwner();
    if (OwnerOf(section) == self) {
        ++section->RecursionCount;
        return TRUE;
    }
    if (!LockOf(section).try_lock())
        return FALSE;
    TakeOwnership(section, self);
    return TRUE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION section)
{
    if (OwnerOf(section) != CallerAsOwner())
        return;  // leaving a section one does not hold would corrupt it for its owner
    if (--section->RecursionCount > 0)
        return;
    section->LockCount = -1;
    __atomic_store_n(&section->OwningThread, nullptr, __ATOMIC_RELEASE);
    LockOf(section).unlock();
}
