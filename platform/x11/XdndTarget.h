#pragma once
// The receiving side of the X drag-and-drop protocol (XDND version 5) for our top-level windows.
// Another program drags over one of them: we accept a file list (text/uri-list), a picture
// (image/bmp) or text, fetch the data at the drop and hand it back, to be delivered on the
// window's own thread (dropped files become WM_DROPFILES where files are accepted, anything else
// goes to the window's drop target).
//
// Rules: used only on the X11 backend's event thread with its X lock held; it never touches a
// window of ours. One drag at a time, as the protocol has it. Data that comes in pieces (INCR)
// is refused, and so is more than kMaxDropBytes.

#include "platform/window/DragDrop.h"

#include <X11/Xlib.h>

#include <memory>

namespace platform {

class XdndTarget {
public:
    static constexpr long kMaxDropBytes = 64L << 20;

    explicit XdndTarget(Display* display) : m_display(display) {}

    // Marks a top-level window as a drop target.
    void Advertise(::Window xid);
    // True when `event` was a drag-and-drop message (then answered here).
    bool OnClientMessage(const XClientMessageEvent& event);
    // True when `event` brings the data of the drop in progress; then `data` holds what was
    // dropped (null when nothing usable came) at the root point `at`, and the source was told.
    bool OnSelection(const XSelectionEvent& event, std::shared_ptr<const DroppedData>& data, POINT& at);

private:
    Atom AtomOf(const char* name) { return XInternAtom(m_display, name, False); }
    Atom ChooseType(const XClientMessageEvent& enter);
    void SendStatus(::Window target);
    void SendFinished(::Window target, bool accepted);
    std::shared_ptr<DroppedData> ReadDropped(::Window requestor, Atom property);
    void Reset();

    Display* m_display;
    ::Window m_source = 0;  // the program dragging, 0 between drags
    Atom m_type = 0;        // the offered type we take, 0 when none fits
    POINT m_at {};          // the pointer in root coordinates
    bool m_fetching = false;
};

}  // namespace platform
