#pragma once
// Threads of the tbase library.
//
// Thread is a plain operating-system thread whose body is Run. FrameworkThread owns one message
// loop and runs it either on a new thread (Launch) or on the calling thread (RunHere). Launch
// returns only once the new thread has built its loop and returned from OnLoopStarting, so a
// thread that binds an id there can be posted to by id as soon as Launch returns. Halt, from
// another thread, posts the quit request behind the tasks already queued and waits for the thread
// to end; posts through the loop's proxy after the quit request are refused, so producers that
// keep posting cannot hold the thread. On a thread run with RunHere Halt only posts the request.
// A halted thread may start again.
//
// Destroying a running thread stops it first: the quit request is posted, the thread is joined,
// and its body unbinds every id it still holds before its loop goes. A derived class's part is
// already gone by then, so its OnLoopFinished is not called on that path; a derived class that
// needs its OnLoopFinished to run halts the thread in its own destructor.

#include <atomic>
#include <memory>
#include <string>

#include "base/Lock.h"
#include "base/WeakCallback.h"
#include "platform/WinBase.h"

namespace tbase {

class Dispatcher;
class FrameworkThread;
class MessageLoop;
class MessageLoopProxy;

class Thread {
public:
    Thread() = default;
    // Waits for a running thread without a time limit.
    virtual ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    virtual void Run() { }

    // Starts the thread at once; false when no thread was obtained (id and handle stay 0).
    bool CreateOsThread();

    DWORD GetThreadId() const { return m_threadId; }
    HANDLE GetThreadHandle() const { return m_threadHandle; }
    // Before CreateOsThread. 0 leaves the system's default; see OsThreadPriority. The new thread
    // takes its priority itself before its body runs.
    void SetPriority(int level) { m_priority = level; }

protected:
    // Waits for the thread to end and forgets it.
    void JoinAndClose();

    std::atomic<DWORD> m_threadId { 0 };
    HANDLE m_threadHandle { nullptr };
    int m_priority { 0 };

private:
    static unsigned Entry(void* argument);
};

// The system priority for a priority level: 1 lowest, 2 below normal, 3 highest, 4 time-critical,
// higher levels below normal. Levels of 0 and below are never applied.
int OsThreadPriority(int level);

// Builds the loop of a thread started with loop kind 3.
class MessageLoopFactory {
public:
    virtual ~MessageLoopFactory() = default;
    virtual std::unique_ptr<MessageLoop> CreateLoop() = 0;
};

// Per-thread data: ties the thread that runs a framework thread's body to that framework thread.
// Lives exactly as long as the body; touched only by its own thread.
struct FrameworkThreadData {
    FrameworkThread* frameworkThread;
    std::shared_ptr<MessageLoopProxy> loopProxy;  // what the registry holds for this thread's ids
    int bindCount { 0 };
    int boundId { -1 };

    // The calling thread's data, or null outside a framework thread's body.
    static FrameworkThreadData* Current();
};

class FrameworkThread : public Thread, public virtual SupportWeakCallback {
public:
    enum LoopKind { kDefaultLoop = 0, kUILoop = 1, kIOLoop = 2, kCustomLoop = 3 };

    explicit FrameworkThread(const char* name);
    ~FrameworkThread() override;

    // The thread body.
    void Run() override { ThreadBody(); }
    virtual void OnLoopStarting() { }
    virtual void OnLoopFinished() { }

    bool Launch();
    void RunHere(int loopKind, Dispatcher* dispatcher);
    void RequestQuit();
    void Halt();

    // Only for loop kind 3, before RunHere.
    void SetLoopFactory(std::shared_ptr<MessageLoopFactory> factory) { m_loopFactory = std::move(factory); }

    bool IsRunning() const { return m_running; }
    MessageLoop* GetMessageLoop() const { return m_messageLoop; }
    const std::string& GetName() const { return m_name; }

private:
    void ThreadBody();
    std::unique_ptr<MessageLoop> CreateLoop();
    void SetLoopProxy(std::shared_ptr<MessageLoopProxy> proxy);
    static void QuitCurrentLoop();

    std::atomic<bool> m_running { false };
    std::atomic<bool> m_quitRequested { false };
    std::atomic<bool> m_destroying { false };  // the derived part is gone: call no more hooks
    int m_loopKind { kDefaultLoop };
    std::atomic<MessageLoop*> m_messageLoop { nullptr };
    // The quit request goes through the proxy: a loop that stops on its own (a WM_QUIT) may be
    // deleted on its thread while another thread halts it.
    Lock m_proxyLock;
    std::shared_ptr<MessageLoopProxy> m_loopProxy;
    std::shared_ptr<MessageLoopFactory> m_loopFactory;
    Dispatcher* m_dispatcher { nullptr };
    HANDLE m_startEvent;
    std::string m_name;
};

}  // namespace tbase
