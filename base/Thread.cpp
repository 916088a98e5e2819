#include "base/Thread.h"

#include "base/IOMessagePump.h"
#include "base/MessageLoop.h"
#include "base/ThreadLocalSlot.h"
#include "base/ThreadRegistry.h"
#include "base/UIMessagePump.h"

namespace tbase {

int OsThreadPriority(int level)
{
    switch (level) {
    case 1:
        return THREAD_PRIORITY_LOWEST;
    case 2:
        return THREAD_PRIORITY_BELOW_NORMAL;
    case 3:
        return THREAD_PRIORITY_HIGHEST;
    case 4:
        return THREAD_PRIORITY_TIME_CRITICAL;
    default:
        return THREAD_PRIORITY_BELOW_NORMAL;
    }
}

Thread::~Thread()
{
    JoinAndClose();
}

bool Thread::CreateOsThread()
{
    unsigned id = 0;
    const uintptr_t handle = ::_beginthreadex(nullptr, 0, Entry, this, 0, &id);
    if (handle <= 1) {
        m_threadHandle = nullptr;
        m_threadId = 0;
        return false;
    }
    m_threadHandle = reinterpret_cast<HANDLE>(handle);
    m_threadId = id;
    return true;
}

unsigned Thread::Entry(void* argument)
{
    if (!argument)
        return 0;
    Thread* thread = static_cast<Thread*>(argument);
    // Set here, before the body, so the thread never runs a step at a priority it did not ask for.
    if (thread->m_priority > 0)
        ::SetThreadPriority(::GetCurrentThread(), OsThreadPriority(thread->m_priority));
    thread->Run();
    return 0;
}

void Thread::JoinAndClose()
{
    if (!m_threadHandle)
        return;
    if (::WaitForSingleObject(m_threadHandle, INFINITE) == WAIT_FAILED)
        ::TerminateThread(m_threadHandle, 0);
    ::CloseHandle(m_threadHandle);
    m_threadHandle = nullptr;
    m_threadId = 0;
}

FrameworkThreadData* FrameworkThreadData::Current()
{
    return static_cast<FrameworkThreadData*>(ThreadDataSlot().Get());
}

FrameworkThread::FrameworkThread(const char* name)
    : m_startEvent(::CreateEvent(nullptr, FALSE, FALSE, nullptr))
    , m_name(name ? name : "")
{
}

FrameworkThread::~FrameworkThread()
{
    if (m_running) {
        m_destroying = true;
        RequestQuit();
        JoinAndClose();
    }
    if (m_startEvent)
        ::CloseHandle(m_startEvent);
}

bool FrameworkThread::Launch()
{
    if (m_messageLoop)
        return false;
    JoinAndClose();  // a thread whose loop has already stopped
    m_loopKind = kDefaultLoop;
    m_dispatcher = nullptr;
    if (!CreateOsThread())
        return false;
    ::WaitForSingleObject(m_startEvent, INFINITE);
    m_running = true;
    return true;
}

void FrameworkThread::RunHere(int loopKind, Dispatcher* dispatcher)
{
    m_loopKind = loopKind;
    m_dispatcher = dispatcher;
    m_running = true;
    Run();
}

void FrameworkThread::ThreadBody()
{
    // Only data made here is freed here: an enclosing body on this thread keeps its own.
    std::unique_ptr<FrameworkThreadData> ownData;
    if (!FrameworkThreadData::Current()) {
        ownData.reset(new FrameworkThreadData { this, nullptr });
        ThreadDataSlot().Set(ownData.get());
    }
    m_threadId = ::GetCurrentThreadId();

    std::unique_ptr<MessageLoop> loop = CreateLoop();
    m_messageLoop = loop.get();
    SetLoopProxy(loop->Proxy());
    if (ownData)
        ownData->loopProxy = loop->Proxy();
    OnLoopStarting();
    ::SetEvent(m_startEvent);
    {
        LoopRunState state(*loop, m_dispatcher);
        loop->Run();
    }
    if (!m_destroying)
        OnLoopFinished();
    if (ownData)
        ThreadRegistry::UnbindAll(*ownData);

    SetLoopProxy(nullptr);
    m_messageLoop = nullptr;
    loop.reset();
    if (m_loopKind == kCustomLoop)
        m_loopFactory.reset();
    m_threadId = 0;
    if (ownData)
        ThreadDataSlot().Set(nullptr);
}

std::unique_ptr<MessageLoop> FrameworkThread::CreateLoop()
{
    if (m_loopKind == kCustomLoop && m_loopFactory) {
        if (std::unique_ptr<MessageLoop> loop = m_loopFactory->CreateLoop())
            return loop;
    }
    if (m_loopKind == kUILoop)
        return std::make_unique<UIMessageLoop>();
    if (m_loopKind == kIOLoop)
        return std::make_unique<IOMessageLoop>();
    return std::make_unique<MessageLoop>();
}

void FrameworkThread::SetLoopProxy(std::shared_ptr<MessageLoopProxy> proxy)
{
    AutoLock lock(m_proxyLock);
    m_loopProxy = std::move(proxy);
}

void FrameworkThread::RequestQuit()
{
    std::shared_ptr<MessageLoopProxy> proxy;
    {
        AutoLock lock(m_proxyLock);
        proxy = m_loopProxy;
    }
    if (!proxy || m_quitRequested.exchange(true))
        return;
    proxy->PostNonNestableAndClose(ToWeakCallback(&FrameworkThread::QuitCurrentLoop));
}

void FrameworkThread::QuitCurrentLoop()
{
    if (MessageLoop* loop = MessageLoop::Current())
        loop->QuitWhenIdle();
}

void FrameworkThread::Halt()
{
    if (!m_running)
        return;
    RequestQuit();
    JoinAndClose();
    m_running = false;
    m_quitRequested = false;
}

}  // namespace tbase
