#pragma once
// The process-wide map from small integer ids to framework threads, and posting by id.
//
// A framework thread binds an id from its own body (usually in OnLoopStarting) and unbinds it
// before its loop goes (OnLoopFinished); whatever the thread left bound is unbound by its body when
// the loop stops, before the loop is deleted. The registry holds the loop's proxy, never the
// thread object, so an entry cannot dangle: a proxy whose loop is gone refuses posts. A post to an
// id that no thread holds is dropped: the task is destroyed without running and the post returns
// false. Every map access holds the registry's lock; the lock is never held while a task runs.

#include <map>
#include <memory>

#include "base/Lock.h"
#include "base/MessageLoop.h"

namespace tbase {

class FrameworkThread;
struct FrameworkThreadData;

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
    friend class FrameworkThread;
    // Frees every id of the thread whose data this is; its body calls it when the loop has stopped.
    static void UnbindAll(FrameworkThreadData& data);
    static ThreadRegistry& Instance();

    Lock m_lock;
    std::map<int, std::shared_ptr<MessageLoopProxy>> m_threads;
};

}  // namespace tbase

using tbase::ThreadRegistry;
