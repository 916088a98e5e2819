#pragma once
// The two small X messages every protocol here sends: a 32-bit client message (drag and drop,
// the window manager's move and size), and the answer to a selection request.

#include <X11/Xlib.h>

#include <array>

namespace platform {

// Sends `type` about `window` with five longs to `to`, selected by `mask` (none: to the client
// that made `to`), and flushes.
inline void SendClientMessage(Display* display, ::Window to, ::Window window, Atom type, const std::array<long, 5>& data,
                              long mask = NoEventMask)
{
    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.display = display;
    event.xclient.window = window;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    for (size_t i = 0; i < data.size(); ++i)
        event.xclient.data.l[i] = data[i];
    XSendEvent(display, to, False, mask, &event);
    XFlush(display);
}

// Tells the requestor its selection request is answered in `property`, or refused with None.
inline void SendSelectionNotify(Display* display, const XSelectionRequestEvent& request, Atom property)
{
    XSelectionEvent reply {};
    reply.type = SelectionNotify;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.time = request.time;
    reply.property = property;
    XSendEvent(display, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
    XFlush(display);
}

}  // namespace platform
