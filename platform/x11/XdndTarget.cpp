#include "platform/x11/XdndTarget.h"

#include "platform/x11/XMessages.h"

#include "platform/WinBase.h"

#include <X11/Xatom.h>

#include <string>
#include <vector>

namespace platform {

namespace {

constexpr long kXdndVersion = 5;

// The types we take, best first.
constexpr const char* kTypes[] = { "text/uri-list", "image/bmp", "text/plain;charset=utf-8", "UTF8_STRING" };

}  // namespace

void XdndTarget::Advertise(::Window xid)
{
    const long version = kXdndVersion;
    XChangeProperty(m_display, xid, AtomOf("XdndAware"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&version), 1);
}

Atom XdndTarget::ChooseType(const XClientMessageEvent& enter)
{
    std::vector<Atom> offered;
    if (enter.data.l[1] & 1) {  // more than three types: the list is on the source window
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(m_display, m_source, AtomOf("XdndTypeList"), 0, 1024, False, XA_ATOM, &type, &format,
                               &count, &after, &data) == Success && data && format == 32) {
            const auto* atoms = reinterpret_cast<const Atom*>(data);
            offered.assign(atoms, atoms + count);
        }
        if (data)
            XFree(data);
    } else {
        for (int i = 2; i < 5; ++i)
            if (enter.data.l[i])
                offered.push_back(static_cast<Atom>(enter.data.l[i]));
    }
    for (const char* name : kTypes) {
        const Atom wanted = AtomOf(name);
        for (Atom a : offered)
            if (a == wanted)
                return wanted;
    }
    return 0;
}

bool XdndTarget::OnClientMessage(const XClientMessageEvent& event)
{
    const Atom type = event.message_type;
    const auto source = static_cast<::Window>(event.data.l[0]);
    if (type == AtomOf("XdndEnter")) {
        Reset();
        m_source = source;
        m_type = ChooseType(event);
        return true;
    }
    if (type == AtomOf("XdndPosition")) {
        if (source != m_source)
            return true;
        m_at = { static_cast<LONG>((event.data.l[2] >> 16) & 0xFFFF), static_cast<LONG>(event.data.l[2] & 0xFFFF) };
        SendStatus(event.window);
        return true;
    }
    if (type == AtomOf("XdndLeave")) {
        if (source == m_source)
            Reset();
        return true;
    }
    if (type == AtomOf("XdndDrop")) {
        if (source != m_source)
            return true;
        if (m_type == 0) {
            SendFinished(event.window, false);
            Reset();
            return true;
        }
        m_fetching = true;
        XConvertSelection(m_display, AtomOf("XdndSelection"), m_type, AtomOf("QUILL_XDND"), event.window,
                          static_cast<Time>(event.data.l[2]));
        XFlush(m_display);
        return true;
    }
    return false;
}

bool XdndTarget::OnSelection(const XSelectionEvent& event, std::shared_ptr<const DroppedData>& data, POINT& at)
{
    if (!m_fetching || event.selection != AtomOf("XdndSelection"))
        return false;
    std::shared_ptr<DroppedData> dropped = event.property != 0 ? ReadDropped(event.requestor, event.property) : nullptr;
    const bool usable = dropped && (!dropped->files.empty() || !dropped->bmp.empty() || !dropped->text.empty());
    SendFinished(event.requestor, usable);
    data = usable ? dropped : nullptr;
    at = m_at;
    Reset();
    return true;
}

std::shared_ptr<DroppedData> XdndTarget::ReadDropped(::Window requestor, Atom property)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* bytes = nullptr;
    const int status = XGetWindowProperty(m_display, requestor, property, 0, kMaxDropBytes / 4, True, AnyPropertyType,
                                          &type, &format, &count, &after, &bytes);
    std::shared_ptr<DroppedData> data;
    if (status == Success && bytes && format == 8 && after == 0 && type != AtomOf("INCR")) {
        char* typeName = XGetAtomName(m_display, m_type);
        const std::string_view raw(reinterpret_cast<const char*>(bytes), count);
        data = std::make_shared<DroppedData>(DroppedFromBytes(typeName != nullptr ? typeName : "", raw));
        if (typeName)
            XFree(typeName);
    }
    if (bytes)
        XFree(bytes);
    return data;
}

void XdndTarget::SendStatus(::Window target)
{
    const long action = m_type != 0 ? static_cast<long>(AtomOf("XdndActionCopy")) : 0;
    // Bit 0: the drop is taken; bit 1: keep sending positions.
    SendClientMessage(m_display, m_source, m_source, AtomOf("XdndStatus"),
                      { static_cast<long>(target), (m_type != 0 ? 1 : 0) | 2, 0, 0, action });
}

void XdndTarget::SendFinished(::Window target, bool accepted)
{
    const long action = accepted ? static_cast<long>(AtomOf("XdndActionCopy")) : 0;
    SendClientMessage(m_display, m_source, m_source, AtomOf("XdndFinished"),
                      { static_cast<long>(target), accepted ? 1 : 0, action, 0, 0 });
}

void XdndTarget::Reset()
{
    m_source = 0;
    m_type = 0;
    m_fetching = false;
}

}  // namespace platform
