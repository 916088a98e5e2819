// Threads, thread ids, thread-local storage, sleeping, the millisecond clock and the processor count.

#include "platform/WinBase.h"
#include "platform/base/HandleTable.h"
#include "platform/base/LastError.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

namespace {

// Windows priority levels and the nice values that stand for them, highest nice first.
struct PriorityLevel {
    int priority;
    int nice;
};
constexpr PriorityLevel kPriorityLevels[] = {
    { THREAD_PRIORITY_IDLE, 19 },
    { THREAD_PRIORITY_LOWEST, 10 },
    { THREAD_PRIORITY_BELOW_NORMAL, 5 },
    { THREAD_PRIORITY_NORMAL, 0 },
    { THREAD_PRIORITY_ABOVE_NORMAL, -5 },
    { THREAD_PRIORITY_HIGHEST, -10 },
    { THREAD_PRIORITY_TIME_CRITICAL, -20 },
};

template <typename Key>
const PriorityLevel& NearestLevel(int value, Key key)
{
    const PriorityLevel* best = &kPriorityLevels[0];
    for (const PriorityLevel& level : kPriorityLevels)
        if (std::abs(key(level) - value) < std::abs(key(*best) - value))
            best = &level;
    return *best;
}

BOOL ApplyPriority(pid_t tid, int priority)
{
    const int nice = NearestLevel(priority, [](const PriorityLevel& l) { return l.priority; }).nice;
    if (setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice) == 0)
        return TRUE;
    return platform::FailWith(errno == EPERM || errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_INVALID_HANDLE);
}

int ReadPriority(pid_t tid)
{
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
    if (nice == -1 && errno != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return THREAD_PRIORITY_ERROR_RETURN;
    }
    return NearestLevel(nice, [](const PriorityLevel& l) { return l.nice; }).priority;
}

std::atomic<DWORD> g_nextThreadId { 1 };
thread_local DWORD t_threadId = 0;

// A thread is signalled once its body has returned or it called _endthreadex.
class ThreadObject : public platform::KernelObject {
public:
    // Made on the creating thread, whose priority the new thread inherits.
    explicit ThreadObject(DWORD id) : m_id(id), m_inheritedPriority(ReadPriority(gettid())) { }
    bool IsWaitable() const override { return true; }
    bool IsSignaled() const override { return m_finished; }

    void Finish(DWORD exitCode)
    {
        std::lock_guard lock(platform::WaitLock());
        if (m_finished)
            return;
        m_exitCode = exitCode;
        m_finished = true;
        Signal();
    }
    DWORD ExitCode() const
    {
        std::lock_guard lock(platform::WaitLock());
        return m_finished ? m_exitCode : STILL_ACTIVE;
    }
    DWORD Id() const { return m_id; }

    // On the new thread before its body: from now on its priority is set on the thread itself.
    void Begin(pid_t tid)
    {
        std::lock_guard lock(m_priorityLock);
        m_tid = tid;
        if (m_pendingPriority)
            ApplyPriority(tid, *m_pendingPriority);
    }
    BOOL SetPriority(int priority)
    {
        std::lock_guard lock(m_priorityLock);
        if (m_tid == 0) {
            m_pendingPriority = priority;
            return TRUE;
        }
        return ApplyPriority(m_tid, priority);
    }
    int GetPriority()
    {
        std::lock_guard lock(m_priorityLock);
        if (ExitCode() != STILL_ACTIVE)
            return THREAD_PRIORITY_ERROR_RETURN;
        if (m_tid == 0)
            return m_pendingPriority.value_or(m_inheritedPriority);
        return ReadPriority(m_tid);
    }

private:
    const DWORD m_id;
    std::mutex m_priorityLock;
    pid_t m_tid = 0;  // the kernel's id of the thread once it runs
    std::optional<int> m_pendingPriority;
    const int m_inheritedPriority;
    bool m_finished = false;  // guarded by WaitLock()
    DWORD m_exitCode = STILL_ACTIVE;
};

// The running thread's own object, so _endthreadex can mark it finished.
thread_local std::shared_ptr<ThreadObject> t_self;

struct StartRecord {
    std::shared_ptr<ThreadObject> self;
    std::function<DWORD()> body;
};

void* ThreadMain(void* argument)
{
    std::unique_ptr<StartRecord> record(static_cast<StartRecord*>(argument));
    t_threadId = record->self->Id();
    t_self = record->self;
    t_self->Begin(gettid());
    const DWORD exitCode = record->body();
    t_self->Finish(exitCode);
    t_self.reset();
    return nullptr;
}

HANDLE StartThread(SIZE_T stackSize, DWORD flags, std::function<DWORD()> body, DWORD* threadId)
{
    if (flags & CREATE_SUSPENDED) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    auto self = std::make_shared<ThreadObject>(g_nextThreadId.fetch_add(1));
    auto record = std::make_unique<StartRecord>(StartRecord { self, std::move(body) });
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    if (stackSize >= static_cast<SIZE_T>(PTHREAD_STACK_MIN))
        pthread_attr_setstacksize(&attributes, stackSize);
    pthread_t thread;
    const int error = pthread_create(&thread, &attributes, ThreadMain, record.get());
    pthread_attr_destroy(&attributes);
    if (error != 0) {
        SetLastError(platform::ErrorFromErrno(error));
        return nullptr;
    }
    record.release();  // the thread owns it now
    if (threadId)
        *threadId = self->Id();
    return platform::InsertHandle(self);
}

[[noreturn]] void EndCallingThread(DWORD exitCode)
{
    if (t_self) {
        t_self->Finish(exitCode);
        t_self.reset();
    }
    pthread_exit(nullptr);
}

timespec MonotonicNow()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now;
}

}  // namespace

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T stackSize, LPTHREAD_START_ROUTINE start, LPVOID parameter,
    DWORD flags, LPDWORD threadId)
{
    if (start == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return StartThread(stackSize, flags, [start, parameter] { return start(parameter); }, threadId);
}

uintptr_t _beginthreadex(void*, unsigned stackSize, unsigned (*start)(void*), void* argument, unsigned flags,
    unsigned* threadId)
{
    if (start == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    DWORD id = 0;
    HANDLE handle = StartThread(stackSize, flags, [start, argument] { return start(argument); }, &id);
    if (handle && threadId)
        *threadId = id;
    return reinterpret_cast<uintptr_t>(handle);
}

void _endthreadex(unsigned exitCode)
{
    EndCallingThread(exitCode);
}

void ExitThread(DWORD exitCode)
{
    EndCallingThread(exitCode);
}

BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode)
{
    auto object = platform::LookupHandleAs<ThreadObject>(thread);
    if (!object || exitCode == nullptr)
        return platform::FailWith(ERROR_INVALID_HANDLE);
    *exitCode = object->ExitCode();
    return TRUE;
}

BOOL SetThreadPriority(HANDLE thread, int priority)
{
    if (thread == GetCurrentThread())
        return ApplyPriority(gettid(), priority);
    auto object = platform::LookupHandleAs<ThreadObject>(thread);
    if (!object)
        return platform::FailWith(ERROR_INVALID_HANDLE);
    return object->SetPriority(priority);
}

int GetThreadPriority(HANDLE thread)
{
    if (thread == GetCurrentThread())
        return ReadPriority(gettid());
    auto object = platform::LookupHandleAs<ThreadObject>(thread);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return THREAD_PRIORITY_ERROR_RETURN;
    }
    return object->GetPriority();
}

BOOL TerminateThread(HANDLE, DWORD)
{
    return platform::FailWith(ERROR_NOT_SUPPORTED);
}

DWORD GetCurrentThreadId()
{
    if (t_threadId == 0)
        t_threadId = g_nextThreadId.fetch_add(1);
    return t_threadId;
}

DWORD GetCurrentProcessId()
{
    return static_cast<DWORD>(getpid());
}

HANDLE GetCurrentThread()
{
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-2));
}

HANDLE GetCurrentProcess()
{
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
}

void Sleep(DWORD milliseconds)
{
    if (milliseconds == 0) {
        sched_yield();
        return;
    }
    if (milliseconds == INFINITE) {
        for (;;)
            pause();
    }
    timespec remaining { static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L };
    while (nanosleep(&remaining, &remaining) != 0) { }
}

DWORD TlsAlloc()
{
    pthread_key_t key;
    if (pthread_key_create(&key, nullptr) != 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return TLS_OUT_OF_INDEXES;
    }
    return static_cast<DWORD>(key);
}

BOOL TlsFree(DWORD index)
{
    if (index == TLS_OUT_OF_INDEXES || pthread_key_delete(static_cast<pthread_key_t>(index)) != 0)
        return platform::FailWith(ERROR_INVALID_PARAMETER);
    return TRUE;
}

LPVOID TlsGetValue(DWORD index)
{
    SetLastError(ERROR_SUCCESS);  // callers tell a stored null from a failure by the last error
    return pthread_getspecific(static_cast<pthread_key_t>(index));
}

BOOL TlsSetValue(DWORD index, LPVOID value)
{
    if (index == TLS_OUT_OF_INDEXES || pthread_setspecific(static_cast<pthread_key_t>(index), value) != 0)
        return platform::FailWith(ERROR_INVALID_PARAMETER);
    return TRUE;
}

ULONGLONG GetTickCount64()
{
    const timespec now = MonotonicNow();
    return static_cast<ULONGLONG>(now.tv_sec) * 1000u + static_cast<ULONGLONG>(now.tv_nsec / 1000000);
}

DWORD GetTickCount()
{
    return static_cast<DWORD>(GetTickCount64());
}

DWORD timeGetTime()
{
    return static_cast<DWORD>(GetTickCount64());
}

void GetSystemInfo(LPSYSTEM_INFO info)
{
    if (info == nullptr)
        return;
    *info = SYSTEM_INFO {};
    const long processors = sysconf(_SC_NPROCESSORS_ONLN);
    const long pageSize = sysconf(_SC_PAGESIZE);
    info->wProcessorArchitecture = 9;  // x64
    info->dwPageSize = static_cast<DWORD>(pageSize > 0 ? pageSize : 4096);
    info->dwAllocationGranularity = 65536;
    info->dwNumberOfProcessors = static_cast<DWORD>(processors > 0 ? processors : 1);
    info->dwActiveProcessorMask = info->dwNumberOfProcessors >= 64 ? ~DWORD_PTR(0) : (DWORD_PTR(1) << info->dwNumberOfProcessors) - 1;
}
