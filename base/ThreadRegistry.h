#pragma once
// The process-wide map from small integer ids to framework threads, and posting by id.
//
// A framework thread binds an id from its own body (usually in OnLoopStarting) and unbinds it
// before its loop goes (OnLoopFinished). A post to an id that no thread holds is dropped: the task
// is destroyed without running and the post returns false. Every map access holds the registry's
// lock; the lock is never held while a task runs.

#include <map>
#include <memory>

#include "base/Lock.h"
#include "base/MessageLoop.h"

namespace tbase {

class FrameworkThread;

class ThreadRegistry {
public:
    // False for a negative id, outside a framework thread's body, or when another thread holds
    // the id. Binding the same id again from its thread counts one more bind.
    static bool BindCurrentThread(int id);
    // Undoes one bind; the last one frees the id.
    static bool UnbindCurrentThread();
    static std::shared_ptr<MessageLoopProxy> FindLoopProxy(int id);
    // An ordinary task; true when a thread held the id, whatever its proxy then did with the task.
    static bool PostToThread(int id, Task task);

private:
    static ThreadRegistry& Instance();

    Lock m_lock;
    std::map<int, FrameworkThread*> m_threads;
};

}  // namespace tbase

using tbase::ThreadRegistry;
