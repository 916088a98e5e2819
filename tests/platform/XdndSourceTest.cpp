// The sending side of X drag and drop, driven message by message: a second X client plays the drop
// target and answers the drag's Enter and Position with Status (refusing or accepting), asks for the
// data at the drop and finishes it, or goes away mid-drop. Runs on a private Xvfb server.

#include <gtest/gtest.h>
// After gtest: X11's macros (None, Bool ...) would clash with its names.
#include "platform/x11/XMessages.h"
#include "platform/x11/XdndSource.h"
#include "support/XvfbSession.h"

#include <X11/Xatom.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace {

using platform::XdndSource;

Atom AtomOf(Display* display, const char* name)
{
    return XInternAtom(display, name, False);
}

// Our side: the drag's own connection and its owner window; every event it receives goes to the
// source, as the backend's event thread hands them over.
struct OurSide {
    explicit OurSide(const std::string& display) : connection(XOpenDisplay(display.c_str()))
    {
        if (connection == nullptr)
            return;
        owner = XCreateSimpleWindow(connection, DefaultRootWindow(connection), -10, -10, 1, 1, 0, 0, 0);
        source = std::make_unique<XdndSource>(connection, owner, [](::Window) { return false; });
    }
    ~OurSide()
    {
        source.reset();
        if (connection != nullptr)
            XCloseDisplay(connection);
    }
    void Feed()
    {
        XSync(connection, False);
        while (XPending(connection)) {
            XEvent event;
            XNextEvent(connection, &event);
            if (event.type == ClientMessage)
                source->OnClientMessage(event.xclient);
            else if (event.type == SelectionRequest)
                source->OnSelectionRequest(event.xselectionrequest);
            else if (event.type == DestroyNotify)
                source->OnDestroyed(event.xdestroywindow.window);
        }
    }

    Display* connection;
    ::Window owner = 0;
    std::unique_ptr<XdndSource> source;
};

// The other program: one drop-aware window at (100,100) 200x150.
struct PeerTarget {
    explicit PeerTarget(const std::string& display) : connection(XOpenDisplay(display.c_str()))
    {
        if (connection == nullptr)
            return;
        window = XCreateSimpleWindow(connection, DefaultRootWindow(connection), 100, 100, 200, 150, 0, 0, 0);
        const long version = 5;
        XChangeProperty(connection, window, AtomOf(connection, "XdndAware"), XA_ATOM, 32, PropModeReplace,
            reinterpret_cast<const unsigned char*>(&version), 1);
        XSelectInput(connection, window, PropertyChangeMask);
        XMapWindow(connection, window);
        XSync(connection, False);
    }
    ~PeerTarget()
    {
        if (connection != nullptr)
            XCloseDisplay(connection);
    }

    // The next event of `type` (a client message of that name, or an X event type), waited for a
    // bounded time; false when none came.
    bool Next(const char* message, int eventType, XEvent& out)
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (std::chrono::steady_clock::now() < until) {
            XSync(connection, False);
            while (XPending(connection)) {
                XNextEvent(connection, &out);
                if (message != nullptr && out.type == ClientMessage
                    && out.xclient.message_type == AtomOf(connection, message))
                    return true;
                if (message == nullptr && out.type == eventType)
                    return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }
    void Answer(::Window source, const char* message, long l1, long l2, long l4 = 0)
    {
        platform::SendClientMessage(connection, source, source, AtomOf(connection, message),
                                    { static_cast<long>(window), l1, l2, 0, l4 });
        XSync(connection, False);
    }

    Display* connection;
    ::Window window = 0;
};

std::shared_ptr<platform::DragOffer> Offer()
{
    auto offer = std::make_shared<platform::DragOffer>();
    offer->types.emplace_back("image/png", "\x89PNG-bytes");
    offer->types.emplace_back("image/bmp", "BM-bytes");
    return offer;
}

class XdndSourceTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!xvfbtest::XvfbInstalled())
            GTEST_SKIP() << "Xvfb is not installed";
        m_server = std::make_unique<xvfbtest::XvfbSession>(90, 400);
        ASSERT_GE(m_server->Number(), 0) << "Xvfb did not start";
        m_ours = std::make_unique<OurSide>(m_server->Name());
        m_peer = std::make_unique<PeerTarget>(m_server->Name());
        ASSERT_NE(m_ours->connection, nullptr);
        ASSERT_NE(m_peer->connection, nullptr);
    }

    // Starts a drag over the peer's window and checks what the peer hears: Enter with our types, then
    // Position at the pointer; the source waits for the answer.
    void EnterPeer()
    {
        m_ours->source->Begin(Offer(), m_ours->owner);
        m_ours->source->Move({ 150, 160 }, MK_LBUTTON);
        XEvent event;
        ASSERT_TRUE(m_peer->Next("XdndEnter", 0, event));
        EXPECT_EQ(static_cast<::Window>(event.xclient.data.l[0]), m_ours->owner);
        EXPECT_EQ(event.xclient.data.l[1] >> 24, 5);
        EXPECT_EQ(static_cast<Atom>(event.xclient.data.l[3]), AtomOf(m_peer->connection, "image/bmp"));
        ASSERT_TRUE(m_peer->Next("XdndPosition", 0, event));
        EXPECT_EQ(event.xclient.data.l[2], (150L << 16) | 160);
        EXPECT_TRUE(m_ours->source->Poll().waiting);
    }
    void ReplyStatus(bool accept)
    {
        m_peer->Answer(m_ours->owner, "XdndStatus", accept ? 1 : 0, 0,
            accept ? static_cast<long>(AtomOf(m_peer->connection, "XdndActionCopy")) : 0);
        m_ours->Feed();
    }

    std::unique_ptr<xvfbtest::XvfbSession> m_server;
    std::unique_ptr<OurSide> m_ours;
    std::unique_ptr<PeerTarget> m_peer;
};

TEST_F(XdndSourceTest, RefusingTargetGetsLeaveAtTheReleaseAndNothingIsDropped)
{
    EnterPeer();
    ReplyStatus(false);
    platform::DragTransport::State status = m_ours->source->Poll();
    EXPECT_FALSE(status.waiting);
    EXPECT_EQ(status.effect, DROPEFFECT_NONE);
    m_ours->source->Drop();
    XEvent event;
    EXPECT_TRUE(m_peer->Next("XdndLeave", 0, event));
    status = m_ours->source->Poll();
    EXPECT_TRUE(status.ended);
    EXPECT_FALSE(status.dropped);
}

TEST_F(XdndSourceTest, AcceptingTargetFetchesTheOfferedTypeAndFinishes)
{
    EnterPeer();
    ReplyStatus(true);
    EXPECT_EQ(m_ours->source->Poll().effect, DROPEFFECT_COPY);
    m_ours->source->Drop();
    XEvent event;
    ASSERT_TRUE(m_peer->Next("XdndDrop", 0, event));
    EXPECT_FALSE(m_ours->source->Poll().ended) << "a drop waits for the target to finish";

    Display* peer = m_peer->connection;
    XConvertSelection(peer, AtomOf(peer, "XdndSelection"), AtomOf(peer, "image/bmp"), AtomOf(peer, "DATA"),
        m_peer->window, CurrentTime);
    XSync(peer, False);
    m_ours->Feed();
    ASSERT_TRUE(m_peer->Next(nullptr, SelectionNotify, event));
    ASSERT_EQ(event.xselection.property, AtomOf(peer, "DATA"));
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* bytes = nullptr;
    XGetWindowProperty(peer, m_peer->window, AtomOf(peer, "DATA"), 0, 1024, True, AnyPropertyType, &type, &format,
        &count, &after, &bytes);
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), count), "BM-bytes");
    XFree(bytes);

    m_peer->Answer(m_ours->owner, "XdndFinished", 1, static_cast<long>(AtomOf(peer, "XdndActionCopy")));
    m_ours->Feed();
    const platform::DragTransport::State status = m_ours->source->Poll();
    EXPECT_TRUE(status.ended);
    EXPECT_TRUE(status.dropped);
    EXPECT_EQ(status.effect, DROPEFFECT_COPY);
}

TEST_F(XdndSourceTest, TargetThatVanishesEndsTheDragAsNotDropped)
{
    struct Case {
        const char* name;
        bool dropFirst;
    };
    for (const Case c : { Case { "gone after the drop", true }, Case { "gone before the release", false } }) {
        SCOPED_TRACE(c.name);
        m_peer = std::make_unique<PeerTarget>(m_server->Name());
        EnterPeer();
        ReplyStatus(true);
        if (c.dropFirst) {
            m_ours->source->Drop();
            // The server reads the two connections in any order: the drop must reach the target before
            // it goes, or the drop is sent to a window that no longer exists.
            XSync(m_ours->connection, False);
        }
        XDestroyWindow(m_peer->connection, m_peer->window);
        XSync(m_peer->connection, False);
        m_ours->Feed();
        EXPECT_EQ(m_ours->source->Poll().effect, DROPEFFECT_NONE);
        if (!c.dropFirst)
            m_ours->source->Drop();
        const platform::DragTransport::State status = m_ours->source->Poll();
        EXPECT_TRUE(status.ended) << "no waiting for a target that is gone";
        EXPECT_FALSE(status.dropped);
    }
}

}  // namespace
