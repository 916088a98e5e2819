#pragma once
// The source side of an X drag and drop (XDND) for tests: a second connection to the server with a
// window of its own that owns the drag-and-drop selection and talks to the window under a point
// as another program dragging files would.
//
// Include after gtest and the framework's headers: X11's macros (None, Bool ...) clash with their
// names.

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include "platform/x11/XMessages.h"

#include <string>

namespace xvfbtest {

class DragSource {
public:
    DragSource() : m_display(XOpenDisplay(nullptr))
    {
        if (m_display)
            m_window = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 1, 1, 0, 0, 0);
    }
    ~DragSource()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }
    bool Connected() const { return m_display != nullptr; }
    Atom AtomOf(const char* name) { return XInternAtom(m_display, name, False); }

    // The drop-aware top-level window at a root point, or 0 while there is none yet.
    ::Window TargetAt(int x, int y)
    {
        int cx = 0, cy = 0;
        ::Window child = 0;
        XTranslateCoordinates(m_display, DefaultRootWindow(m_display), DefaultRootWindow(m_display), x, y, &cx, &cy,
                              &child);
        if (child == 0)
            return 0;
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(m_display, child, AtomOf("XdndAware"), 0, 1, False, XA_ATOM, &type, &format, &count, &after,
                           &data);
        const bool aware = data && count == 1;
        if (data)
            XFree(data);
        return aware ? child : 0;
    }
    void Send(::Window target, const char* message, long l1, long l2, long l3, long l4)
    {
        platform::SendClientMessage(m_display, target, target, AtomOf(message), { static_cast<long>(m_window), l1, l2, l3, l4 });
    }
    void Begin(::Window target, int x, int y)
    {
        XSetSelectionOwner(m_display, AtomOf("XdndSelection"), m_window, CurrentTime);
        Send(target, "XdndEnter", 5L << 24, static_cast<long>(AtomOf("text/uri-list")), 0, 0);
        Send(target, "XdndPosition", 0, (static_cast<long>(x) << 16) | y, CurrentTime,
             static_cast<long>(AtomOf("XdndActionCopy")));
    }
    // Answers the target's messages and its request for the data; true once it has finished.
    bool Step(::Window target, const std::string& uriList)
    {
        while (XPending(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type == ClientMessage && event.xclient.message_type == AtomOf("XdndStatus")) {
                accepted = (event.xclient.data.l[1] & 1) != 0;
                if (!dropSent) {
                    Send(target, "XdndDrop", 0, CurrentTime, 0, 0);
                    dropSent = true;
                }
            } else if (event.type == ClientMessage && event.xclient.message_type == AtomOf("XdndFinished")) {
                finishedAccepted = (event.xclient.data.l[1] & 1) != 0;
                return true;
            } else if (event.type == SelectionRequest) {
                const XSelectionRequestEvent& request = event.xselectionrequest;
                XChangeProperty(m_display, request.requestor, request.property, request.target, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(uriList.data()), static_cast<int>(uriList.size()));
                platform::SendSelectionNotify(m_display, request, request.property);
            }
        }
        return false;
    }

    bool accepted = false, dropSent = false, finishedAccepted = false;

private:
    Display* m_display;
    ::Window m_window = 0;
};

}  // namespace xvfbtest
