#pragma once
// The UI message pump and the loop that uses it.
//
// WinUIMessagePump pumps the thread's window messages between the loop's tasks. Other threads wake
// it with one WM_USER+1 message to its message-only window (at most one in flight); delayed work
// arms a timer on that window whose period is never below 10 ms. A WM_QUIT it takes stops it and
// is posted again, so every enclosing message loop sees it too. A pump that is not running (its
// thread sits in somebody else's modal loop) swallows its wake-ups and timers; the tasks wait
// until it runs. Everything but Wake runs on the thread that made the pump.

#include <atomic>
#include <memory>

#include "base/MessageLoop.h"
#include "base/ObserverList.h"
#include "base/WinMessagePump.h"
#include "platform/WinUser.h"

namespace tbase {

// Takes over dispatching window messages for one run of a UI loop; false stops that run.
class Dispatcher {
public:
    virtual ~Dispatcher() = default;
    virtual bool Dispatch(const MSG& message) = 0;
};

class WinUIMessagePump : public WinMessagePump {
public:
    class UIObserver {
    public:
        virtual ~UIObserver() = default;
        virtual void BeforeMessage(const MSG& message) = 0;
        virtual void AfterMessage(const MSG& message) = 0;
    };

    static constexpr UINT kWakeMessage = WM_USER + 1;
    static constexpr int kMessageFilterCode = 0x5001;
    static constexpr UINT kShortestTimerMs = 10;

    WinUIMessagePump();
    ~WinUIMessagePump() override;
    WinUIMessagePump(const WinUIMessagePump&) = delete;
    WinUIMessagePump& operator=(const WinUIMessagePump&) = delete;

    void RunWithDispatcher(Delegate* delegate, Dispatcher* dispatcher) { RunState(delegate, dispatcher); }
    void Wake() override;
    void WakeAt(int64_t runTime) override;

    void AddUIObserver(UIObserver* observer) { m_observers.Add(observer); }
    void RemoveUIObserver(UIObserver* observer) { m_observers.Remove(observer); }
    HWND MessageWindow() const { return m_window; }

protected:
    void PumpLoop() override;
    virtual void BeforeMessage(const MSG& message);
    virtual void AfterMessage(const MSG& message);
    // Posts the wake message; false when the queue refused it.
    virtual bool PostWakeMessage();

private:
    static LRESULT CALLBACK PumpWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnWakeMessage();
    void OnTimer();
    bool HandleOneMessage(const MSG& message);
    bool TakeReplacementMessage();
    void WaitForInput();
    void KillPumpTimer();

    HWND m_window { nullptr };
    ObserverList<UIObserver> m_observers;
};

// A loop pumped by the thread's window messages.
class UIMessageLoop : public MessageLoop {
public:
    UIMessageLoop();
    explicit UIMessageLoop(std::shared_ptr<WinUIMessagePump> pump);

    WinUIMessagePump* UIPump() const { return m_uiPump; }

protected:
    void RunPump() override;

private:
    WinUIMessagePump* m_uiPump;
};

}  // namespace tbase
