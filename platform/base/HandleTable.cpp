#include "platform/base/HandleTable.h"

#include "platform/WinBase.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <unordered_map>

namespace platform {

class Waiter {
public:
    std::condition_variable wake;
};

// Registers a waiter with every object for the time of one wait; the caller holds WaitLock().
class WaitRegistration {
public:
    WaitRegistration(const std::vector<std::shared_ptr<KernelObject>>& objects, Waiter& waiter)
        : m_objects(objects), m_waiter(waiter)
    {
        for (const auto& object : m_objects)
            object->m_waiters.push_back(&m_waiter);
    }
    ~WaitRegistration()
    {
        for (const auto& object : m_objects) {
            auto& list = object->m_waiters;
            list.erase(std::find(list.begin(), list.end(), &m_waiter));
        }
    }
    WaitRegistration(const WaitRegistration&) = delete;
    WaitRegistration& operator=(const WaitRegistration&) = delete;

private:
    const std::vector<std::shared_ptr<KernelObject>>& m_objects;
    Waiter& m_waiter;
};

namespace {

struct Table {
    std::mutex lock;
    std::unordered_map<uintptr_t, std::shared_ptr<KernelObject>> entries;
    uintptr_t next = 0x100;
};

Table& Handles()
{
    static Table* table = new Table;  // never destroyed: threads may close handles during exit
    return *table;
}

// Under WaitLock(): the index of the object that satisfies the wait, or -1.
int SatisfiedIndex(const std::vector<std::shared_ptr<KernelObject>>& objects, bool waitAll)
{
    if (!waitAll) {
        for (size_t i = 0; i < objects.size(); ++i)
            if (objects[i]->IsSignaled())
                return static_cast<int>(i);
        return -1;
    }
    for (const auto& object : objects)
        if (!object->IsSignaled())
            return -1;
    return 0;
}

void Consume(const std::vector<std::shared_ptr<KernelObject>>& objects, bool waitAll, int index)
{
    if (!waitAll) {
        objects[index]->OnWaitSatisfied();
        return;
    }
    for (const auto& object : objects)
        object->OnWaitSatisfied();
}

}  // namespace

void KernelObject::Signal()
{
    for (Waiter* waiter : m_waiters)
        waiter->wake.notify_one();
}

std::mutex& WaitLock()
{
    static std::mutex* lock = new std::mutex;  // never destroyed, like the table
    return *lock;
}

HANDLE InsertHandle(std::shared_ptr<KernelObject> object)
{
    if (!object)
        return nullptr;
    Table& table = Handles();
    std::lock_guard lock(table.lock);
    const uintptr_t value = table.next;
    table.next += 4;
    table.entries.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle)
{
    Table& table = Handles();
    std::lock_guard lock(table.lock);
    auto found = table.entries.find(reinterpret_cast<uintptr_t>(handle));
    if (found == table.entries.end())
        return nullptr;
    return found->second;
}

bool RemoveHandle(HANDLE handle)
{
    std::shared_ptr<KernelObject> removed;  // destroyed outside the table lock
    Table& table = Handles();
    {
        std::lock_guard lock(table.lock);
        auto found = table.entries.find(reinterpret_cast<uintptr_t>(handle));
        if (found == table.entries.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
        removed = std::move(found->second);
        table.entries.erase(found);
    }
    return true;
}

DWORD WaitForObjects(const std::vector<std::shared_ptr<KernelObject>>& objects, bool waitAll, DWORD milliseconds)
{
    if (objects.empty() || objects.size() > MAXIMUM_WAIT_OBJECTS) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    for (const auto& object : objects) {
        if (!object || !object->IsWaitable()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
    }
    const bool polls = std::any_of(objects.begin(), objects.end(), [](const auto& o) { return o->NeedsPolling(); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    std::unique_lock lock(WaitLock());
    Waiter waiter;
    WaitRegistration registration(objects, waiter);
    for (;;) {
        const int index = SatisfiedIndex(objects, waitAll);
        if (index >= 0) {
            Consume(objects, waitAll, index);
            return WAIT_OBJECT_0 + static_cast<DWORD>(index);
        }
        if (milliseconds != INFINITE && std::chrono::steady_clock::now() >= deadline)
            return WAIT_TIMEOUT;
        auto until = milliseconds == INFINITE ? std::chrono::steady_clock::time_point::max() : deadline;
        if (polls)
            until = std::min(until, std::chrono::steady_clock::now() + std::chrono::milliseconds(10));
        if (until == std::chrono::steady_clock::time_point::max())
            waiter.wake.wait(lock);
        else
            waiter.wake.wait_until(lock, until);
    }
}

}  // namespace platform

BOOL CloseHandle(HANDLE handle)
{
    if (handle == GetCurrentThread() || handle == GetCurrentProcess())
        return TRUE;
    return platform::RemoveHandle(handle) ? TRUE : FALSE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    return platform::WaitForObjects({ platform::LookupHandle(handle) }, false, milliseconds);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds)
{
    if (handles == nullptr || count == 0 || count > MAXIMUM_WAIT_OBJECTS) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::vector<std::shared_ptr<platform::KernelObject>> objects;
    for (DWORD i = 0; i < count; ++i)
        objects.push_back(platform::LookupHandle(handles[i]));
    return platform::WaitForObjects(objects, waitAll != FALSE, milliseconds);
}
