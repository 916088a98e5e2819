#pragma once
// A critical section owned by one object, and the scope that holds it. The section is recursive
// and spins briefly before it sleeps, which suits the short queue swaps it guards.

#include "platform/WinBase.h"

namespace tbase {

class Lock {
public:
    explicit Lock(DWORD spinCount = 2000) { ::InitializeCriticalSectionAndSpinCount(&m_section, spinCount); }
    ~Lock() { ::DeleteCriticalSection(&m_section); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    void Acquire() { ::EnterCriticalSection(&m_section); }
    void Release() { ::LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION m_section;
};

class AutoLock {
public:
    explicit AutoLock(Lock& lock)
        : m_lock(lock)
    {
        m_lock.Acquire();
    }
    ~AutoLock() { m_lock.Release(); }
    AutoLock(const AutoLock&) = delete;
    AutoLock& operator=(const AutoLock&) = delete;

private:
    Lock& m_lock;
};

}  // namespace tbase
