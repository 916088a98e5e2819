#include "platform/x11/XdndSource.h"

#include "platform/x11/XMessages.h"

#include <X11/Xatom.h>

#include <vector>

namespace platform {

namespace {

constexpr long kXdndVersion = 5;
constexpr long kOldestVersion = 3;
constexpr int kDeepestWindow = 16;

}  // namespace

void XdndSource::Begin(std::shared_ptr<const DragOffer> offer, ::Window grab)
{
    m_offer = std::move(offer);
    m_active = true;
    m_target = 0;
    m_awaitingStatus = m_positionPending = m_accepted = m_dropSent = false;
    m_effect = DROPEFFECT_NONE;
    m_status = {};
    std::vector<Atom> types;
    for (const auto& [type, bytes] : m_offer->types)
        types.push_back(AtomOf(type.c_str()));
    XChangeProperty(m_display, m_owner, AtomOf("XdndTypeList"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(types.data()), static_cast<int>(types.size()));
    XSetSelectionOwner(m_display, AtomOf("XdndSelection"), m_owner, CurrentTime);
    // Without the grabs the press's own grab still reports the pointer until the release.
    XGrabPointer(m_display, grab, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                 GrabModeAsync, None, None, CurrentTime);
    XGrabKeyboard(m_display, grab, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    XFlush(m_display);
}

::Window XdndSource::AwareWindowAt(POINT root, long& version)
{
    const ::Window rootWindow = DefaultRootWindow(m_display);
    ::Window at = rootWindow;
    for (int depth = 0; depth < kDeepestWindow; ++depth) {
        int x = 0, y = 0;
        ::Window child = 0;
        if (!XTranslateCoordinates(m_display, rootWindow, at, root.x, root.y, &x, &y, &child) || child == 0)
            return 0;
        at = child;
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        const bool read = XGetWindowProperty(m_display, at, AtomOf("XdndAware"), 0, 1, False, XA_ATOM, &type, &format,
                                             &count, &after, &data) == Success;
        version = read && data != nullptr && count == 1 && format == 32 ? *reinterpret_cast<const long*>(data) : 0;
        if (data)
            XFree(data);
        if (version >= kOldestVersion)
            return at;
    }
    return 0;
}

void XdndSource::Move(POINT root, DWORD keyState)
{
    if (!m_active || m_status.ended || m_dropSent)
        return;
    m_at = root;
    m_keyState = keyState;
    long version = 0;
    const ::Window under = AwareWindowAt(root, version);
    if (under != m_target) {
        Leave();
        if (under != 0)
            Enter(under, version);
    }
    if (m_target == 0)
        return;
    if (m_awaitingStatus) {
        m_positionPending = true;  // sent when the target has answered the last one
        return;
    }
    SendPosition();
}

void XdndSource::Enter(::Window target, long version)
{
    m_target = target;
    m_version = version < kXdndVersion ? version : kXdndVersion;
    m_accepted = m_awaitingStatus = m_positionPending = false;
    m_effect = DROPEFFECT_NONE;
    Watch(target, true);
    long types[3] = {};
    for (size_t i = 0; i < 3 && i < m_offer->types.size(); ++i)
        types[i] = static_cast<long>(AtomOf(m_offer->types[i].first.c_str()));
    const long moreTypes = m_offer->types.size() > 3 ? 1 : 0;
    Send(target, "XdndEnter", (m_version << 24) | moreTypes, types[0], types[1], types[2]);
}

void XdndSource::Leave()
{
    if (m_target == 0)
        return;
    Send(m_target, "XdndLeave");
    Watch(m_target, false);
    m_target = 0;
    m_accepted = m_awaitingStatus = m_positionPending = false;
    m_effect = DROPEFFECT_NONE;
}

void XdndSource::SendPosition()
{
    const bool move = (m_keyState & MK_SHIFT) && !(m_keyState & MK_CONTROL);
    const Atom action = AtomOf(move ? "XdndActionMove" : "XdndActionCopy");
    Send(m_target, "XdndPosition", 0, (static_cast<long>(m_at.x) << 16) | (m_at.y & 0xFFFF), CurrentTime,
         static_cast<long>(action));
    m_awaitingStatus = true;
    m_positionPending = false;
    m_statusDue = std::chrono::steady_clock::now() + kStatusWait;
}

void XdndSource::Drop()
{
    if (!m_active || m_status.ended || m_dropSent)
        return;
    if (m_target == 0 || !m_accepted) {
        Cancel();
        return;
    }
    Send(m_target, "XdndDrop", 0, CurrentTime);
    m_dropSent = true;
    m_finishDue = std::chrono::steady_clock::now() + kFinishWait;
}

void XdndSource::Cancel()
{
    if (!m_active || m_status.ended)
        return;
    Leave();
    End(false, DROPEFFECT_NONE);
}

DragTransport::State XdndSource::Poll()
{
    const auto now = std::chrono::steady_clock::now();
    if (m_active && m_dropSent && !m_status.ended && now >= m_finishDue)
        End(false, DROPEFFECT_NONE);  // the target took the drop and never finished it
    if (!m_status.ended) {
        m_status.effect = m_accepted ? m_effect : DROPEFFECT_NONE;
        // A target that stays silent is taken as refusing.
        m_status.waiting = m_target != 0 && m_awaitingStatus && now < m_statusDue;
    }
    return m_status;
}

bool XdndSource::OnClientMessage(const XClientMessageEvent& event)
{
    const bool status = event.message_type == AtomOf("XdndStatus");
    const bool finished = event.message_type == AtomOf("XdndFinished");
    if (!status && !finished)
        return false;
    if (!m_active || m_status.ended || static_cast<::Window>(event.data.l[0]) != m_target || m_target == 0)
        return true;  // late news of a target the drag has left
    if (status) {
        m_awaitingStatus = false;
        m_accepted = (event.data.l[1] & 1) != 0;
        m_effect = m_accepted ? EffectOf(static_cast<Atom>(event.data.l[4])) : DROPEFFECT_NONE;
        if (m_positionPending && !m_dropSent)
            SendPosition();
        return true;
    }
    if (!m_dropSent)
        return true;
    const bool taken = m_version < 5 || (event.data.l[1] & 1) != 0;
    const DWORD effect = m_version >= 5 ? EffectOf(static_cast<Atom>(event.data.l[2])) : m_effect;
    Watch(m_target, false);
    m_target = 0;
    End(taken, taken ? effect : DROPEFFECT_NONE);
    return true;
}

bool XdndSource::OnSelectionRequest(const XSelectionRequestEvent& request)
{
    if (request.selection != AtomOf("XdndSelection"))
        return false;
    Atom answered = None;
    const Atom property = request.property != None ? request.property : request.target;
    if (m_offer && request.target == AtomOf("TARGETS")) {
        std::vector<Atom> types { AtomOf("TARGETS") };
        for (const auto& [type, bytes] : m_offer->types)
            types.push_back(AtomOf(type.c_str()));
        XChangeProperty(m_display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(types.data()), static_cast<int>(types.size()));
        answered = property;
    } else if (m_offer) {
        char* name = XGetAtomName(m_display, request.target);
        const std::string* bytes = name != nullptr ? m_offer->Find(name) : nullptr;
        if (name)
            XFree(name);
        // Data larger than one request would need the piecewise (INCR) transfer: refused.
        const long most = XExtendedMaxRequestSize(m_display) != 0 ? XExtendedMaxRequestSize(m_display)
                                                                  : XMaxRequestSize(m_display);
        if (bytes != nullptr && static_cast<long>(bytes->size()) < most * 4 - 1024) {
            XChangeProperty(m_display, request.requestor, property, request.target, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(bytes->data()), static_cast<int>(bytes->size()));
            answered = property;
        }
    }
    SendSelectionNotify(m_display, request, answered);
    return true;
}

void XdndSource::OnDestroyed(::Window window)
{
    if (!m_active || m_status.ended || window != m_target)
        return;
    m_target = 0;
    m_accepted = m_awaitingStatus = m_positionPending = false;
    m_effect = DROPEFFECT_NONE;
    if (m_dropSent)
        End(false, DROPEFFECT_NONE);
}

void XdndSource::Send(::Window to, const char* type, long l1, long l2, long l3, long l4)
{
    SendClientMessage(m_display, to, to, AtomOf(type), { static_cast<long>(m_owner), l1, l2, l3, l4 });
}

// Another program's target is watched for its end; our own windows already report theirs.
void XdndSource::Watch(::Window window, bool on)
{
    if (!m_ours(window))
        XSelectInput(m_display, window, on ? StructureNotifyMask : NoEventMask);
}

DWORD XdndSource::EffectOf(Atom action)
{
    if (action == AtomOf("XdndActionMove"))
        return DROPEFFECT_MOVE;
    if (action == AtomOf("XdndActionLink"))
        return DROPEFFECT_LINK;
    return DROPEFFECT_COPY;
}

void XdndSource::End(bool dropped, DWORD effect)
{
    m_status.ended = true;
    m_status.waiting = false;
    m_status.dropped = dropped;
    m_status.effect = effect;
    XUngrabPointer(m_display, CurrentTime);
    XUngrabKeyboard(m_display, CurrentTime);
    XFlush(m_display);
}

}  // namespace platform
