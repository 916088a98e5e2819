#include "base/ThreadRegistry.h"

#include "base/Thread.h"

namespace tbase {

ThreadRegistry& ThreadRegistry::Instance()
{
    static ThreadRegistry registry;
    return registry;
}

bool ThreadRegistry::BindCurrentThread(int id)
{
    FrameworkThreadData* data = FrameworkThreadData::Current();
    if (id < 0 || !data)
        return false;
    ThreadRegistry& registry = Instance();
    AutoLock lock(registry.m_lock);
    auto [it, inserted] = registry.m_threads.emplace(id, data->frameworkThread);
    if (!inserted && it->second != data->frameworkThread)
        return false;
    ++data->bindCount;
    data->boundId = id;
    return true;
}

bool ThreadRegistry::UnbindCurrentThread()
{
    FrameworkThreadData* data = FrameworkThreadData::Current();
    if (!data || data->bindCount < 1)
        return false;
    if (--data->bindCount > 0)
        return true;
    // Every id of this thread goes, not only the last one bound: an entry left behind would point
    // at a thread object that may be gone by the next lookup.
    ThreadRegistry& registry = Instance();
    AutoLock lock(registry.m_lock);
    std::erase_if(registry.m_threads, [data](const auto& entry) { return entry.second == data->frameworkThread; });
    data->boundId = -1;
    return true;
}

std::shared_ptr<MessageLoopProxy> ThreadRegistry::FindLoopProxy(int id)
{
    ThreadRegistry& registry = Instance();
    AutoLock lock(registry.m_lock);
    auto it = registry.m_threads.find(id);
    if (it == registry.m_threads.end())
        return nullptr;
    MessageLoop* loop = it->second->GetMessageLoop();
    return loop ? loop->Proxy() : nullptr;
}

bool ThreadRegistry::PostToThread(int id, Task task)
{
    std::shared_ptr<MessageLoopProxy> proxy = FindLoopProxy(id);
    if (!proxy)
        return false;
    proxy->Post(std::move(task));
    return true;
}

}  // namespace tbase
