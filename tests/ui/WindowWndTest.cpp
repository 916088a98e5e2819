#include "ui/core/WindowWnd.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SkinTestSupport.h"
#include "ui/core/ControlUI.h"

using namespace SkinUI;

namespace {

constexpr UINT kCloseWithResult = WM_APP + 5;   // wParam: result for Close
constexpr UINT kCloseBySystemMenu = WM_APP + 6;

class TestWnd : public CWindowWnd {
public:
    HWND owner { nullptr };
    bool ownerWasDisabled { false };
    int finalMessages { 0 };

protected:
    const wchar_t* GetWindowClassName() const override { return L"WindowWndTest"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (uMsg == kCloseWithResult) {
            ownerWasDisabled = owner != nullptr && !::IsWindowEnabled(owner);
            Close(static_cast<UINT>(wParam));
            return 0;
        }
        if (uMsg == kCloseBySystemMenu) {
            SendMessageW(WM_SYSCOMMAND, SC_CLOSE, 0);
            return 0;
        }
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }
    void OnFinalMessage(HWND) override { ++finalMessages; }
};

class WindowWndTest : public testing::Test {
protected:
    void SetUp() override { skintest::UseHeadless(); }
};

}  // namespace

TEST_F(WindowWndTest, ShowModalReturnsThePostedCloseResult)
{
    TestWnd dialog;
    ASSERT_NE(dialog.Create(nullptr, L"dialog", WS_POPUP, 0, 10, 10, 200, 100), nullptr);
    dialog.PostMessageW(kCloseWithResult, 2);
    EXPECT_EQ(dialog.ShowModal(), 2u);
    EXPECT_EQ(dialog.GetHWND(), nullptr);
    EXPECT_EQ(dialog.finalMessages, 1);

    TestWnd other;
    ASSERT_NE(other.Create(nullptr, L"other", WS_POPUP | WS_SYSMENU, 0, 10, 10, 200, 100), nullptr);
    other.PostMessageW(kCloseBySystemMenu);
    EXPECT_EQ(other.ShowModal(), 0u);  // a sent WM_CLOSE carries no result
    EXPECT_EQ(other.ShowModal(), 0u);  // no window: returns at once
}

TEST_F(WindowWndTest, ShowModalDisablesTheOwnerAndPassesQuitOn)
{
    skintest::PlainWindow owner;
    TestWnd dialog;
    dialog.owner = owner.hwnd();
    ASSERT_NE(dialog.Create(owner.hwnd(), L"owned", WS_POPUP, 0, 10, 10, 200, 100), nullptr);
    dialog.PostMessageW(kCloseWithResult, 5);
    EXPECT_EQ(dialog.ShowModal(), 5u);
    EXPECT_TRUE(dialog.ownerWasDisabled);
    EXPECT_TRUE(::IsWindowEnabled(owner.hwnd()));

    TestWnd quitting;
    ASSERT_NE(quitting.Create(owner.hwnd(), L"quit", WS_POPUP, 0, 10, 10, 200, 100), nullptr);
    ::PostQuitMessage(7);
    EXPECT_EQ(quitting.ShowModal(), 0u);
    EXPECT_TRUE(::IsWindow(quitting.GetHWND()));
    EXPECT_TRUE(::IsWindowEnabled(owner.hwnd()));
    MSG msg {};
    ASSERT_TRUE(::PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // re-posted for the outer loop
    EXPECT_EQ(msg.wParam, 7u);
    ::DestroyWindow(quitting.GetHWND());
}

TEST_F(WindowWndTest, CenterWindowStaysInTheWorkArea)
{
    const struct {
        int width, height;
        POINT want;
    } cases[] = {
        { 400, 300, { 760, 370 } },   // 1920 x 1040 work area
        { 2000, 1200, { 0, 0 } },     // larger than the work area: its left and top
    };
    for (const auto& c : cases) {
        TestWnd wnd;
        ASSERT_NE(wnd.Create(nullptr, L"centre", WS_POPUP, 0, 5, 5, c.width, c.height), nullptr);
        wnd.CenterWindow();
        RECT rc {};
        ::GetWindowRect(wnd.GetHWND(), &rc);
        EXPECT_EQ(rc.left, c.want.x);
        EXPECT_EQ(rc.top, c.want.y);
        EXPECT_EQ(rc.right - rc.left, c.width);
        ::DestroyWindow(wnd.GetHWND());
    }
    skintest::PlainWindow owner(200, 100);  // at 0,0
    TestWnd owned;
    ASSERT_NE(owned.Create(owner.hwnd(), L"owned", WS_POPUP, 0, 500, 500, 100, 60), nullptr);
    owned.CenterWindow();
    RECT rc {};
    ::GetWindowRect(owned.GetHWND(), &rc);
    EXPECT_EQ(rc.left, 50);
    EXPECT_EQ(rc.top, 20);
    ::DestroyWindow(owned.GetHWND());
}

TEST_F(WindowWndTest, ResizeClientKeepsTheDimensionGivenAsMinusOne)
{
    TestWnd wnd;
    ASSERT_NE(wnd.Create(nullptr, L"resize", WS_OVERLAPPEDWINDOW, 0, 0, 0, 500, 400), nullptr);
    RECT before {};
    ::GetClientRect(wnd.GetHWND(), &before);
    wnd.ResizeClient(-1, 300);
    RECT after {};
    ::GetClientRect(wnd.GetHWND(), &after);
    EXPECT_EQ(after.right, before.right);
    EXPECT_EQ(after.bottom, 300);
    ::DestroyWindow(wnd.GetHWND());
}

TEST_F(WindowWndTest, SubclassRoutesAnExistingWindowUntilUndone)
{
    skintest::PlainWindow plain;
    TestWnd wnd;
    ASSERT_EQ(wnd.Subclass(plain.hwnd()), plain.hwnd());
    ::SendMessage(plain.hwnd(), kCloseWithResult, 0, 0);  // reaches HandleMessage, which posts WM_CLOSE
    MSG msg {};
    EXPECT_TRUE(::PeekMessage(&msg, plain.hwnd(), WM_CLOSE, WM_CLOSE, PM_REMOVE));
    wnd.Unsubclass();
    ::SendMessage(plain.hwnd(), kCloseWithResult, 0, 0);
    EXPECT_FALSE(::PeekMessage(&msg, plain.hwnd(), WM_CLOSE, WM_CLOSE, PM_REMOVE));
}

// ---- message maps ----

namespace {

class Pump : public CNotifyPump {
public:
    std::vector<std::wstring> calls;
    void A(TNotifyUI&) { calls.push_back(L"A"); }
    void B(TNotifyUI&) { calls.push_back(L"B"); }
    void C(TNotifyUI&) { calls.push_back(L"C"); }
    void Params(WPARAM w, LPARAM l) { calls.push_back(L"P" + std::to_wstring(w) + L"," + std::to_wstring(l)); }
    UI_DECLARE_MESSAGE_MAP()
};

UI_BEGIN_MESSAGE_MAP(Pump, CNotifyPump)
UI_ON_MSGTYPE(L"click", Pump::A)
UI_ON_CLICK_CTRNAME(L"closebtn", Pump::B)
UI_ON_MSGTYPE(L"select", Pump::A)
UI_ON_MSGTYPE(L"select", Pump::C)
UI_ON_MSGTYPE_WL(L"value", Pump::Params)
UI_END_MESSAGE_MAP()

// Only a base map: the chain is followed.
class DerivedPump : public Pump {
public:
    UI_DECLARE_MESSAGE_MAP()
};

UI_BEGIN_MESSAGE_MAP(DerivedPump, Pump)
UI_ON_MSGTYPE(L"other", Pump::B)
UI_END_MESSAGE_MAP()

}  // namespace

TEST(NotifyPump, ExactSenderRowWinsElseTheLastAnySenderRow)
{
    CControlUI closeButton, otherButton;
    closeButton.SetName(L"closebtn");
    otherButton.SetName(L"okbtn");
    const struct {
        const wchar_t* type;
        CControlUI* sender;
        const wchar_t* want;
    } cases[] = {
        { L"click", &closeButton, L"B" },  { L"click", &otherButton, L"A" }, { L"select", &otherButton, L"C" },
        { L"value", &otherButton, L"P3,4" }, { L"Click", &otherButton, L"" },  // types are case-sensitive
        { L"click", nullptr, L"" },  // no sender matches no row
        { L"other", &otherButton, L"B" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::wstring(c.type).size());
        DerivedPump pump;
        TNotifyUI msg;
        msg.sType = c.type;
        msg.pSender = c.sender;
        msg.wParam = 3;
        msg.lParam = 4;
        pump.NotifyPump(msg);
        EXPECT_EQ(pump.calls.empty() ? std::wstring() : pump.calls.front(), c.want);
        EXPECT_LE(pump.calls.size(), 1u);
    }
}

TEST(NotifyPump, VirtualWindowsTakeTheirOwnNotifications)
{
    Pump main, page;
    EXPECT_TRUE(main.AddVirtualWnd(L"page", &page));
    EXPECT_FALSE(main.AddVirtualWnd(L"page", &main));
    CControlUI sender;
    sender.SetName(L"closebtn");
    TNotifyUI msg;
    msg.sType = L"click";
    msg.pSender = &sender;
    msg.sVirtualWnd = L"PAGE";
    main.NotifyPump(msg);
    EXPECT_EQ(page.calls, std::vector<std::wstring> { L"B" });
    EXPECT_TRUE(main.calls.empty());

    msg.sVirtualWnd = L"unregistered";
    main.NotifyPump(msg);
    EXPECT_EQ(main.calls, std::vector<std::wstring> { L"B" });
    EXPECT_TRUE(main.RemoveVirtualWnd(L"page"));
    EXPECT_FALSE(main.RemoveVirtualWnd(L"page"));
}

TEST(TraceMsg, NamesKnownMessagesAndFormatsOthers)
{
    const struct {
        UINT msg;
        const wchar_t* want;
    } cases[] = {
        { WM_PAINT, L"WM_PAINT" }, { WM_GETTEXTLENGTH, L"WM_GETTEXTLENGTH" }, { WM_NCHITTEST, L"WM_NCHITTEST" },
        { 0x8001, L"0x8001" },     { 0x12, L"0x0012" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::wstring(UI__TraceMsg(c.msg)), c.want);
}
