#pragma once
// Weak callbacks: a task that holds its target weakly and dies silently with it.
//
// An owner derives from SupportWeakCallback and hands out its flag; a WeakCallback made from that
// flag runs its target only while the flag exists. The flag dies with the owner, so every callback
// made from it turns into a no-op from then on. The test happens when the callback starts and
// nothing keeps the owner alive during the call: run a weak callback on the owner's own thread.

#include <functional>
#include <memory>
#include <mutex>
#include <utility>

namespace tbase {

// An empty object whose lifetime is the signal.
class WeakFlag {};

class WeakCallback {
public:
    WeakCallback() = default;
    template<typename F>
    WeakCallback(std::weak_ptr<WeakFlag> flag, F&& target)
        : m_flag(std::move(flag))
        , m_target(std::forward<F>(target))
    {
    }

    void operator()() const
    {
        if (m_flag.expired() || !m_target)
            return;
        m_target();
    }

    bool Expired() const { return m_flag.expired(); }

private:
    std::weak_ptr<WeakFlag> m_flag;
    std::function<void()> m_target;
};

class SupportWeakCallback {
public:
    SupportWeakCallback() = default;
    // A copy is a different owner: it gets its own flag when it first needs one.
    SupportWeakCallback(const SupportWeakCallback&) { }
    SupportWeakCallback& operator=(const SupportWeakCallback&) { return *this; }
    virtual ~SupportWeakCallback() = default;

    // Creates the flag on first use. Callers keep only a weak reference to it.
    std::shared_ptr<WeakFlag> SharedWeakFlag()
    {
        std::lock_guard lock(m_flagLock);
        if (!m_flag)
            m_flag = std::make_shared<WeakFlag>();
        return m_flag;
    }

    template<typename F>
    WeakCallback ToWeakCallback(F&& target)
    {
        return WeakCallback(SharedWeakFlag(), std::forward<F>(target));
    }

private:
    // The flag may be asked for from several threads at once (a quit request from another thread).
    std::mutex m_flagLock;
    std::shared_ptr<WeakFlag> m_flag;
};

}  // namespace tbase
