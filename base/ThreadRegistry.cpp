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
    if (id < 0 || !data || !data->loopProxy)
        return false;
    ThreadRegistry& registry = Instance();
    AutoLock lock(registry.m_lock);
    auto [it, inserted] = registry.m_threads.emplace(id, data->loopProxy);
    if (!inserted && it->second != data->loopProxy)
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
    if (--data->bindCount == 0)
        UnbindAll(*data);
    return true;
}

void ThreadRegistry::UnbindAll(FrameworkThreadData& data)
{
    // Every id of this thread goes, not only the last one bound.
    ThreadRegistry& registry = Instance();
    {
        AutoLock lock(registry.m_lock);
        std::erase_if(registry.m_threads, [&data](const auto& entry) { return entry.second == data.loopProxy; });
    }
    data.bindCount = 0;
    data.boundId = -1;
}

std::shared_ptr<MessageLoopProxy> ThreadRegistry::FindLoopProxy(int id)
{
    ThreadRegistry& registry = Instance();
    AutoLock lock(registry.m_lock);
    auto it = registry.m_threads.find(id);
    if (it == registry.m_threads.end() || !it->second->HasLoop())
        return nullptr;
    return it->second;
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
