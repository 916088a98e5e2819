#include "base/UIMessagePump.h"

#include <algorithm>
#include <mutex>


namespace tbase {

namespace {

constexpr wchar_t kWindowClass[] = L"KelvoraMessagePumpWindow";

// The platform has one module, the program, and no way to name it yet: a null instance stands for it.
HINSTANCE ProgramInstance()
{
    return nullptr;
}

// The class is shared by the pumps of every UI thread: it is registered with the first pump and
// unregistered with the last, so one thread's pump going away never strands another's window.
std::mutex g_classLock;
int g_classUsers = 0;

void UseWindowClass(WNDPROC procedure)
{
    std::lock_guard lock(g_classLock);
    if (g_classUsers++ > 0)
        return;
    WNDCLASSEX wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = procedure;
    wc.hInstance = ProgramInstance();
    wc.lpszClassName = kWindowClass;
    ::RegisterClassEx(&wc);  // may fail when already there: harmless
}

void ReleaseWindowClass()
{
    std::lock_guard lock(g_classLock);
    if (--g_classUsers == 0)
        ::UnregisterClass(kWindowClass, ProgramInstance());
}

}  // namespace

WinUIMessagePump::WinUIMessagePump()
{
    UseWindowClass(PumpWindowProc);
    m_window = ::CreateWindowEx(0, kWindowClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                ProgramInstance(), nullptr);
}

WinUIMessagePump::~WinUIMessagePump()
{
    if (m_window)
        ::DestroyWindow(m_window);
    ReleaseWindowClass();
}

void WinUIMessagePump::Wake()
{
    if (m_haveWork.exchange(1) != 0)
        return;  // one wake message in flight is enough
    if (PostWakeMessage())
        return;
    // The queue refused the message. Clear the flag so later wakes are not all swallowed, and let
    // the shortest timer pick up the work that this wake was for.
    m_haveWork.exchange(0);
    ::SetTimer(m_window, reinterpret_cast<UINT_PTR>(this), kShortestTimerMs, nullptr);
}

bool WinUIMessagePump::PostWakeMessage()
{
    return ::PostMessage(m_window, kWakeMessage, reinterpret_cast<WPARAM>(this), 0);
}

void WinUIMessagePump::WakeAt(int64_t runTime)
{
    m_delayedWorkTime = runTime;
    const int64_t due = MillisecondsUntilDue();
    const int64_t period = due < kShortestTimerMs ? kShortestTimerMs : std::min(due, kLongestWaitMs);
    ::SetTimer(m_window, reinterpret_cast<UINT_PTR>(this), static_cast<UINT>(period), nullptr);
}

void WinUIMessagePump::KillPumpTimer()
{
    ::KillTimer(m_window, reinterpret_cast<UINT_PTR>(this));
}

void WinUIMessagePump::PumpLoop()
{
    Delegate* delegate = m_state->delegate;
    for (;;) {
        bool more = (HIWORD(::GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) != 0;
        MSG message;
        if (::PeekMessage(&message, nullptr, 0, 0, PM_REMOVE))
            more = HandleOneMessage(message);
        if (StopRequested())
            return;
        more |= delegate->RunReadyTasks();
        if (StopRequested())
            return;
        more |= delegate->RunDueDelayedTask(m_delayedWorkTime);
        if (more && m_delayedWorkTime == 0)
            KillPumpTimer();
        if (StopRequested())
            return;
        if (more)
            continue;
        more = delegate->RunIdleTask();
        if (StopRequested())
            return;
        if (more)
            continue;
        WaitForInput();
    }
}

void WinUIMessagePump::WaitForInput()
{
    const int64_t due = MillisecondsUntilDue();
    const DWORD timeout = due < 0 ? INFINITE : static_cast<DWORD>(std::min(due, kLongestWaitMs));
    const DWORD result = ::MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (result != WAIT_OBJECT_0)
        return;
    // Mouse input that no message here can take belongs to another thread's window: wait for a
    // new message rather than spin on it.
    const DWORD status = HIWORD(::GetQueueStatus(QS_MOUSE));
    MSG message;
    if ((status & QS_MOUSE) && !::PeekMessage(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_NOREMOVE))
        ::WaitMessage();
}

bool WinUIMessagePump::HandleOneMessage(const MSG& message)
{
    if (message.message == WM_QUIT) {
        // Stop, and hand the quit on to any enclosing message loop.
        m_state->stopRequested = true;
        ::PostQuitMessage(static_cast<int>(message.wParam));
        return false;
    }
    if (message.message == kWakeMessage && message.hwnd == m_window)
        return TakeReplacementMessage();
    MSG copy = message;
    if (::CallMsgFilter(&copy, kMessageFilterCode))
        return true;
    BeforeMessage(message);
    if (!m_state->dispatcher) {
        ::TranslateMessage(&message);
        ::DispatchMessage(&message);
    } else if (!m_state->dispatcher->Dispatch(message)) {
        m_state->stopRequested = true;
    }
    AfterMessage(message);
    return true;
}

bool WinUIMessagePump::TakeReplacementMessage()
{
    // The wake message has left the queue: take the next message in its place, so that a steady
    // stream of wake-ups cannot starve window messages.
    MSG message;
    const bool taken = ::PeekMessage(&message, nullptr, 0, 0, PM_REMOVE);
    m_haveWork.exchange(0);
    if (!taken)
        return false;
    Wake();  // the loop's work may not be done
    return HandleOneMessage(message);
}

void WinUIMessagePump::BeforeMessage(const MSG& message)
{
    m_observers.Notify([&message](UIObserver& o) { o.BeforeMessage(message); });
}

void WinUIMessagePump::AfterMessage(const MSG& message)
{
    m_observers.Notify([&message](UIObserver& o) { o.AfterMessage(message); });
}

LRESULT CALLBACK WinUIMessagePump::PumpWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER)
        reinterpret_cast<WinUIMessagePump*>(wParam)->OnTimer();
    else if (message == kWakeMessage)
        reinterpret_cast<WinUIMessagePump*>(wParam)->OnWakeMessage();
    return ::DefWindowProc(window, message, wParam, lParam);
}

void WinUIMessagePump::OnTimer()
{
    KillPumpTimer();
    if (!m_state)
        return;  // not running: the work waits until the pump runs
    m_state->delegate->RunDueDelayedTask(m_delayedWorkTime);
    if (m_delayedWorkTime != 0)
        WakeAt(m_delayedWorkTime);
}

void WinUIMessagePump::OnWakeMessage()
{
    if (!m_state) {
        m_haveWork.exchange(0);
        return;
    }
    TakeReplacementMessage();
    if (m_state->delegate->RunReadyTasks())
        Wake();
}

UIMessageLoop::UIMessageLoop()
    : UIMessageLoop(std::make_shared<WinUIMessagePump>())
{
}

UIMessageLoop::UIMessageLoop(std::shared_ptr<WinUIMessagePump> pump)
    : MessageLoop(kUILoop, pump)
    , m_uiPump(pump.get())
{
}

void UIMessageLoop::RunPump()
{
    LoopRunState* state = CurrentRunState();
    if (state && state->dispatcher)
        m_uiPump->RunWithDispatcher(this, state->dispatcher);
    else
        m_uiPump->Run(this);
}

}  // namespace tbase
