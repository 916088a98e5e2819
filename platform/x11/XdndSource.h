#pragma once
// The sending side of the X drag-and-drop protocol (XDND version 5), for drags out of our own
// windows: the drop target under the pointer is the innermost window that carries XdndAware
// (another program's, or one of ours), told Enter, Position, Leave and Drop, and answering with
// Status and Finished; the dragged data is served as the XdndSelection from the offer's bytes.
//
// Rules: every call is made with the X11 backend's X lock held, by the drag loop (Begin, Move,
// Drop, Cancel, Poll) or by the event thread (the On* calls). One drag at a time. A drag always
// ends: a target that goes away, or never finishes a drop, ends it as not dropped.

#include "platform/window/DragDrop.h"

#include <X11/Xlib.h>

#include <chrono>
#include <functional>
#include <memory>

namespace platform {

class XdndSource {
public:
    static constexpr std::chrono::milliseconds kFinishWait { 3000 };
    static constexpr std::chrono::milliseconds kStatusWait { 1000 };

    // `owner` names the drag in the protocol and owns the selection; `ours` tells our own
    // top-level windows, whose event masks must not be touched.
    XdndSource(Display* display, ::Window owner, std::function<bool(::Window)> ours)
        : m_display(display), m_owner(owner), m_ours(std::move(ours))
    {
    }

    // Starts a drag of `offer`, with the pointer and keyboard grabbed for `grab`.
    void Begin(std::shared_ptr<const DragOffer> offer, ::Window grab);
    void Move(POINT root, DWORD keyState);
    void Drop();
    void Cancel();
    DragTransport::State Poll();

    // True when the event belonged to the drag (then handled here).
    bool OnClientMessage(const XClientMessageEvent& event);
    bool OnSelectionRequest(const XSelectionRequestEvent& request);
    void OnDestroyed(::Window window);

private:
    Atom AtomOf(const char* name) { return XInternAtom(m_display, name, False); }
    ::Window AwareWindowAt(POINT root, long& version);
    void Enter(::Window target, long version);
    void Leave();
    void SendPosition();
    void Send(::Window to, const char* type, long l1 = 0, long l2 = 0, long l3 = 0, long l4 = 0);
    void Watch(::Window window, bool on);
    DWORD EffectOf(Atom action);
    void End(bool dropped, DWORD effect);

    Display* m_display;
    ::Window m_owner;
    std::function<bool(::Window)> m_ours;
    std::shared_ptr<const DragOffer> m_offer;
    bool m_active = false;
    ::Window m_target = 0;  // the aware window under the pointer, 0 when none
    long m_version = 0;
    POINT m_at {};
    DWORD m_keyState = 0;
    bool m_awaitingStatus = false;
    bool m_positionPending = false;  // the pointer moved while a status was awaited
    bool m_accepted = false;
    DWORD m_effect = DROPEFFECT_NONE;
    bool m_dropSent = false;
    std::chrono::steady_clock::time_point m_statusDue {};
    std::chrono::steady_clock::time_point m_finishDue {};
    DragTransport::State m_status;
};

}  // namespace platform
