#pragma once
// A list of observer pointers that tolerates removal while it notifies: a removed entry is only
// nulled during a notification and compacted away (order kept) when the outermost one ends.

#include <algorithm>
#include <vector>

namespace tbase {

template<typename Observer>
class ObserverList {
public:
    void Add(Observer* observer)
    {
        if (observer && std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
            m_observers.push_back(observer);
    }

    void Remove(Observer* observer)
    {
        auto it = std::find(m_observers.begin(), m_observers.end(), observer);
        if (it == m_observers.end())
            return;
        if (m_notifyDepth > 0)
            *it = nullptr;
        else
            m_observers.erase(it);
    }

    template<typename F>
    void Notify(F&& call)
    {
        ++m_notifyDepth;
        // By index: an observer may add another while we walk.
        for (size_t i = 0; i < m_observers.size(); ++i)
            if (m_observers[i])
                call(*m_observers[i]);
        if (--m_notifyDepth == 0)
            std::erase(m_observers, nullptr);
    }

    bool Empty() const { return m_observers.empty(); }

private:
    std::vector<Observer*> m_observers;
    int m_notifyDepth { 0 };
};

}  // namespace tbase
