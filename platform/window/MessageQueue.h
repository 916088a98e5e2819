#pragma once
// One thread's message queue. Created on the thread's first window-system call and ended with
// the thread; windows hold it so that other threads can post and send to it. All fields are
// guarded by the window manager's lock; `wake` is signalled whenever something arrives.

#include "platform/WinUser.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace platform {

struct DroppedData;

// Input as the backend reports it, turned into window messages only when the owning thread
// takes it, so that capture, hit-testing and key state are those of that moment.
struct RawInput {
    enum Kind {
        MouseMove, ButtonDown, ButtonUp, Wheel, KeyDown, KeyUp, Text, MouseLeft,
        // Changes the desktop made to a top-level window, applied on its thread.
        Geometry, CloseRequest, Activation, Iconic,
        Drop  // something another program dropped at `screen` on `top`, its data already fetched
    } kind = MouseMove;
    POINT screen {};
    int button = 0;  // 0 left, 1 right, 2 middle
    int delta = 0;   // wheel
    int vk = 0;
    bool repeat = false;
    std::wstring text;  // the characters a key produced, or a committed input-method string
    HWND top = nullptr;  // the top-level window concerned (desktop changes)
    RECT rect {};        // Geometry: the new window rectangle
    bool on = false;     // Activation: gained (true) or lost; Iconic: minimised (true) or restored
    std::shared_ptr<const DroppedData> drop;  // Drop
};

struct QueuedMessage {
    MSG msg {};
    bool raw = false;
    RawInput input;
};

struct SentMessage {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    LRESULT result = 0;
    bool done = false;
    bool replyWanted = true;  // false for SendNotifyMessage: nobody waits
    class MessageQueue* sender = nullptr;
};

struct TimerRecord {
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    UINT elapse = 0;
    uint64_t dueNs = 0;  // on the window manager's clock, in nanoseconds
    TIMERPROC proc = nullptr;
};

struct CaretRecord {
    HWND hwnd = nullptr;
    int width = 0, height = 0;
    POINT pos {};
    int hideCount = 1;  // shown when 0
};

class MessageQueue {
public:
    explicit MessageQueue(DWORD threadId) : threadId(threadId) {}

    DWORD threadId;
    bool alive = true;
    std::condition_variable wake;
    std::deque<QueuedMessage> posted;  // posted and input messages in arrival order
    std::deque<SentMessage*> incoming;
    bool quit = false;
    int quitCode = 0;
    std::vector<TimerRecord> timers;
    UINT_PTR nextThreadTimerId = 0x7FFF;
    CaretRecord caret;
    SentMessage* currentSend = nullptr;  // the sent message being answered (InSendMessage)

    DWORD lastTime = 0;    // GetMessageTime
    POINT lastPos {};      // GetMessagePos
    std::wstring keyText;  // the characters of the last key-down taken, for TranslateMessage
    bool keyWasSys = false;

    // Double-click detection (per thread, as the last click is).
    UINT lastClickMsg = 0;
    HWND lastClickWnd = nullptr;
    DWORD lastClickTime = 0;
    POINT lastClickPos {};
};

}  // namespace platform
