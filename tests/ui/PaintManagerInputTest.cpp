// Input sequences through a window's paint manager to the events and notifications they give,
// in order: presses and clicks, hover, wheel, keys, Tab and shortcuts, deferred work and timers.

#include "tests/ui/PaintManagerTest.h"

#include <gmock/gmock.h>

namespace pmtest {
namespace {

using testing::ElementsAre;

LPARAM At(int x, int y)
{
    return MAKELPARAM(x, y);
}

class PaintManagerInput : public ManagedWindow {
protected:
    void SetUp() override
    {
        ManagedWindow::SetUp();
        m_a = AddLeaf(L"A", { 10, 10, 60, 40 });
        m_b = AddLeaf(L"B", { 70, 10, 120, 40 });
        m_label = AddLeaf(L"L", { 130, 10, 190, 40 }, 0, L"LabelUI");
        m_label->SetShortcut(L'x');
        m_c = AddLeaf(L"C", { 130, 50, 190, 90 });
        Attach();
    }
    void MoveTo(int x, int y)
    {
        const POINT pt = Screen(x, y);
        hl::MoveMouse(pt.x, pt.y);
        Pump();
    }
    Leaf *m_a = nullptr, *m_b = nullptr, *m_label = nullptr, *m_c = nullptr;
};

TEST_F(PaintManagerInput, FirstPaintFocusesTheFirstTabStop)
{
    EXPECT_EQ(m_manager->GetFocus(), m_a);
}

TEST_F(PaintManagerInput, ClickFocusesBeforeThePressAndClicksAfterTheCaptureIsReleased)
{
    MoveTo(80, 20);
    m_log.clear();
    bool capturedAtClick = true;
    m_notifier.onNotify = [&](TNotifyUI& msg) {
        if (msg.sType == L"click")
            capturedAtClick = m_manager->IsCaptured() || ::GetCapture() != nullptr;
    };
    const POINT pt = Screen(80, 20);
    hl::PressButton(hl::Left, pt.x, pt.y);
    Pump();
    EXPECT_TRUE(m_manager->IsCaptured());
    hl::ReleaseButton(hl::Left, pt.x, pt.y);
    Pump();
    EXPECT_THAT(m_log, ElementsAre(L"A:killfocus", L"notify:killfocus:A", L"B:setfocus", L"notify:setfocus:B",
                                   L"B:down", L"B:up", L"notify:click:B"));
    EXPECT_FALSE(capturedAtClick);
    EXPECT_FALSE(m_manager->IsCaptured());
}

TEST_F(PaintManagerInput, ReleaseOutsideStillReachesThePressedControlWithoutClick)
{
    MoveTo(80, 20);
    m_b->logMoves = true;
    m_a->logMoves = true;
    const POINT down = Screen(80, 20), up = Screen(20, 20);
    hl::PressButton(hl::Left, down.x, down.y);
    Pump();
    m_log.clear();
    hl::MoveMouse(up.x, up.y);
    Pump();
    hl::ReleaseButton(hl::Left, up.x, up.y);
    Pump();
    // The hover follows the mouse, but moves go to the pressed control until the release.
    EXPECT_THAT(m_log, ElementsAre(L"B:leave", L"A:enter", L"B:move", L"B:up"));
}

TEST_F(PaintManagerInput, PressOnNothingOrOnAnotherWindowsControlIsNotHandled)
{
    CPaintManagerUI other;
    Leaf* foreign = AddLeaf(L"F", { 10, 50, 60, 90 });
    foreign->SetManager(&other, m_box, false);
    foreign->SetPos(foreign->Home(), false);
    for (const LPARAM at : { At(250, 50), At(20, 60) }) {
        ::SendMessage(m_hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessage(m_hwnd, WM_LBUTTONUP, 0, at);
    }
    EXPECT_THAT(m_log, ElementsAre());
    EXPECT_EQ(m_manager->GetFocus(), m_a);
    foreign->SetManager(m_manager, m_box, false);
}

// A control that cannot take the focus never gets it: the old focus is given up as for any change,
// but no "setfocus" follows and the window is left without a focus.
TEST_F(PaintManagerInput, SetFocusRefusesHiddenDisabledAndForeignControls)
{
    CPaintManagerUI other;
    Leaf* foreign = AddLeaf(L"F", { 10, 50, 60, 90 });
    foreign->SetManager(&other, m_box, false);
    struct Case { const char* what; Leaf* control; std::function<void(bool)> make; };
    const Case cases[] = {
        { "hidden", m_b, [this](bool on) { m_b->SetVisible(!on); } },
        { "disabled", m_c, [this](bool on) { m_c->SetEnabled(!on); } },
        { "another window's", foreign, [](bool) { } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_manager->SetFocus(m_a);
        ASSERT_EQ(m_manager->GetFocus(), m_a);
        c.make(true);
        m_log.clear();
        m_manager->SetFocus(c.control);
        EXPECT_THAT(m_log, ElementsAre(L"A:killfocus", L"notify:killfocus:A"));
        EXPECT_EQ(m_manager->GetFocus(), nullptr);
        EXPECT_FALSE(c.control->IsFocused());
        c.make(false);
    }
    foreign->SetManager(m_manager, m_box, false);
}

TEST_F(PaintManagerInput, DoubleClickKeepsTheFocusButPressesTheControl)
{
    ::SendMessage(m_hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, At(80, 20));
    ::SendMessage(m_hwnd, WM_LBUTTONUP, 0, At(80, 20));
    EXPECT_THAT(m_log, ElementsAre(L"B:dblclick", L"B:up", L"notify:click:B"));
    EXPECT_EQ(m_manager->GetFocus(), m_a);
}

TEST_F(PaintManagerInput, RightClickGoesDownUpAndContextMenuToTheControlUnderTheMouse)
{
    MoveTo(80, 20);
    m_log.clear();
    const POINT pt = Screen(80, 20);
    hl::Click(pt.x, pt.y, hl::Right);
    Pump();
    EXPECT_THAT(m_log, ElementsAre(L"A:killfocus", L"notify:killfocus:A", L"B:setfocus", L"notify:setfocus:B",
                                   L"B:rdown", L"B:rup", L"B:contextmenu"));

    // A release over another control goes to that one, which stays the pressed control and so
    // gets the context menu that follows.
    m_log.clear();
    ::SendMessage(m_hwnd, WM_RBUTTONDOWN, MK_RBUTTON, At(80, 20));
    ::SendMessage(m_hwnd, WM_RBUTTONUP, 0, At(20, 20));
    EXPECT_THAT(m_log, ElementsAre(L"B:rdown", L"A:rup", L"A:contextmenu"));
}

TEST_F(PaintManagerInput, HoverMovesAndEndsWhenThePointerLeaves)
{
    MoveTo(20, 20);
    MoveTo(25, 25);
    MoveTo(80, 20);
    hl::LeaveScreen();
    Pump();
    EXPECT_THAT(m_log, ElementsAre(L"A:enter", L"A:leave", L"B:enter", L"B:leave"));
}

TEST_F(PaintManagerInput, HoverShowsTheControlsTooltipUntilTheMouseMovesOn)
{
    m_b->SetToolTip(L"Bee");
    MoveTo(80, 20);
    hl::Advance(20);
    Pump();
    EXPECT_THAT(m_log, ElementsAre(L"B:enter", L"B:hover"));
    ASSERT_NE(m_manager->GetTooltipWindow(), nullptr);
    EXPECT_TRUE(::IsWindowVisible(m_manager->GetTooltipWindow()));
    MoveTo(20, 20);
    EXPECT_FALSE(::IsWindowVisible(m_manager->GetTooltipWindow()));
}

TEST_F(PaintManagerInput, WheelTellsTheDirectionThenMovesTheHover)
{
    struct Case {
        int delta;
        WPARAM wantDown;
    };
    for (const Case c : { Case { -120, 1 }, Case { 120, 0 } }) {
        SCOPED_TRACE(c.delta);
        MoveTo(80, 20);
        m_log.clear();
        m_b->logMoves = true;
        WPARAM seen = 99;
        m_b->onEvent = [&](TEventUI& event) {
            if (event.Type == UiEventScrollWheel)
                seen = event.wParam;
        };
        const POINT pt = Screen(80, 20);
        hl::Wheel(c.delta, pt.x, pt.y);
        Pump();
        EXPECT_THAT(m_log, ElementsAre(L"B:wheel", L"B:move"));
        EXPECT_EQ(seen, c.wantDown);
    }
}

TEST_F(PaintManagerInput, KeyUpGoesToTheControlFocusedAfterKeyDown)
{
    m_a->onEvent = [&](TEventUI& event) {
        if (event.Type == UiEventKeyDown)
            m_manager->SetFocus(m_b);
    };
    hl::PressKey('K');
    Pump();
    EXPECT_THAT(m_log, ElementsAre(L"A:keydown", L"A:killfocus", L"notify:killfocus:A", L"B:setfocus",
                                   L"notify:setfocus:B", L"B:char", L"B:keyup"));
}

TEST_F(PaintManagerInput, TabWalksTheTabStopsAndWrapsBothWays)
{
    struct Step {
        bool shift;
        CControlUI* from;
        CControlUI* want;
    };
    const Step steps[] = {
        { false, m_a, m_b },
        { false, m_b, m_c },
        { false, m_c, m_a },     // wraps to the first
        { true, m_a, m_c },      // backward from the first wraps to the last
        { true, m_c, m_b },
        { false, nullptr, m_a }, // no focus: the first tab stop either way
        { true, nullptr, m_a },
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << "shift=" << step.shift << " from "
                                        << (step.from ? step.from->GetName().GetData() : L"none"));
        m_manager->SetFocus(step.from);
        if (step.shift)
            hl::KeyDown(VK_SHIFT);
        hl::PressKey(VK_TAB);
        Pump();
        if (step.shift)
            hl::KeyUp(VK_SHIFT);
        Pump();
        EXPECT_EQ(m_manager->GetFocus(), step.want);
    }
}

TEST_F(PaintManagerInput, FocusNeededArrivesAtTheNextPaintWithItsEvents)
{
    m_manager->SetFocusNeeded(m_c);
    EXPECT_THAT(m_log, ElementsAre(L"A:killfocus", L"notify:killfocus:A"));
    m_log.clear();
    Pump();
    EXPECT_EQ(m_manager->GetFocus(), m_c);
    // The focus rests silently on the tab stop before C until the paint moves it on; the root's
    // new layout reports a resize.
    EXPECT_THAT(m_log, ElementsAre(L"B:killfocus", L"notify:killfocus:B", L"C:setfocus", L"notify:setfocus:C",
                                   L"notify:windowsize:"));
}

TEST_F(PaintManagerInput, TabWhileALayoutIsPendingMovesAtTheNextPaint)
{
    m_manager->NeedUpdate();
    MSG msg { m_hwnd, WM_KEYDOWN, VK_TAB, 0, 0, {} };
    EXPECT_TRUE(CPaintManagerUI::TranslateMessage(&msg));
    EXPECT_EQ(m_manager->GetFocus(), m_a);
    Pump();
    EXPECT_EQ(m_manager->GetFocus(), m_b);
}

TEST_F(PaintManagerInput, TabInAControlThatKeepsItIsNotConsumed)
{
    auto* web = AddLeaf(L"W", { 10, 50, 60, 90 }, ControlFlagTabStop, L"WkeWebkitUI");
    m_manager->InitControls(web, m_box);
    m_manager->SetFocus(web);
    MSG msg { m_hwnd, WM_KEYDOWN, VK_TAB, 0, 0, {} };
    EXPECT_FALSE(CPaintManagerUI::TranslateMessage(&msg));
    EXPECT_EQ(m_manager->GetFocus(), web);
}

TEST_F(PaintManagerInput, AltShortcutOfALabelActivatesTheNextControl)
{
    ::PostMessage(m_hwnd, WM_SYSCHAR, L'X', 0);
    Pump();
    EXPECT_EQ(m_manager->GetFocus(), m_b);
    EXPECT_THAT(m_log, testing::Contains(L"notify:click:B"));
}

TEST_F(PaintManagerInput, DeferredWorkDeletesFirstThenDeliversQueuedNotificationsInOrder)
{
    m_notifier.onNotify = [&](TNotifyUI& msg) {
        if (msg.sType != L"click")
            return;
        // The button removes itself from inside its own click.
        m_manager->SendNotify(m_b, L"first", 0, 0, true);
        m_manager->SendNotify(m_b, L"second", 0, 0, true);
        m_box->Drop(m_b);
        m_manager->AddDelayedCleanup(m_b);
    };
    bool deleted = false;
    ::SendMessage(m_hwnd, WM_LBUTTONDOWN, MK_LBUTTON, At(80, 20));
    ::SendMessage(m_hwnd, WM_LBUTTONUP, 0, At(80, 20));
    m_log.clear();
    m_notifier.onNotify = [&](TNotifyUI& msg) {
        if (msg.sType == L"first")
            deleted = m_manager->FindControl(L"B") == nullptr;
    };
    Pump();
    EXPECT_THAT(m_log, ElementsAre(L"notify:first:(none)", L"notify:second:(none)"));
    EXPECT_TRUE(deleted);
    EXPECT_EQ(m_manager->GetFocus(), nullptr);  // the focused button is gone
}

TEST_F(PaintManagerInput, ControlTimersRunAndANewTimerNeverTakesALiveId)
{
    EXPECT_TRUE(m_manager->SetTimer(m_a, 1, 50));
    EXPECT_FALSE(m_manager->SetTimer(m_a, 1, 50));
    EXPECT_TRUE(m_manager->KillTimer(m_a, 1));
    EXPECT_FALSE(m_manager->KillTimer(m_a, 1));
    EXPECT_TRUE(m_manager->SetTimer(m_a, 1, 50));

    // Cycle the window timer ids all the way round while A's timer keeps its id.
    for (int i = 0; i < 239; ++i) {
        ASSERT_TRUE(m_manager->SetTimer(m_c, 7, 100000));
        m_manager->KillTimer(m_c);
    }
    ASSERT_TRUE(m_manager->SetTimer(m_b, 2, 50));
    hl::Advance(60);
    Pump();
    EXPECT_THAT(m_log, testing::Contains(L"A:timer"));
    EXPECT_THAT(m_log, testing::Contains(L"B:timer"));
    m_manager->KillTimer(m_a);
    m_manager->KillTimer(m_b);
}

TEST_F(PaintManagerInput, AttachingANewTreeFreesTheOldOneAtTheDeferredWork)
{
    auto* next = new Box;
    auto* leaf = new Leaf(&m_log, L"N", { 0, 0, 10, 10 });
    next->Add(leaf);
    m_manager->AttachDialog(next);
    m_box = next;
    EXPECT_EQ(m_manager->FindControl(L"A"), m_a);  // the old tree lives on until the deferred work
    Pump();
    EXPECT_EQ(m_manager->FindControl(L"A"), nullptr);
    EXPECT_EQ(m_manager->FindControl(L"N"), leaf);
}

LRESULT g_childAnswer = 0;

LRESULT ChildProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == OCM_COMMAND || msg == OCM_NOTIFY)
        return g_childAnswer;
    return ::DefWindowProc(hwnd, msg, wParam, lParam);
}

TEST_F(PaintManagerInput, ReflectedCommandsCountAsHandledOnlyWhenTheChildAnswers)
{
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ChildProc;
    wc.lpszClassName = L"PaintManagerChildWnd";
    ::RegisterClassEx(&wc);
    HWND child = ::CreateWindowEx(0, L"PaintManagerChildWnd", nullptr, WS_CHILD, 0, 0, 10, 10, m_hwnd, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    NMHDR header { child, 0, 0 };
    for (const LRESULT answer : { LRESULT { 0 }, LRESULT { 7 } }) {
        g_childAnswer = answer;
        LRESULT result = -1;
        EXPECT_EQ(m_manager->MessageHandler(WM_COMMAND, 0, reinterpret_cast<LPARAM>(child), result), answer != 0);
        EXPECT_EQ(result, answer);
        EXPECT_TRUE(m_manager->MessageHandler(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header), result));
        EXPECT_EQ(result, answer);
    }
    LRESULT result = 0;
    EXPECT_FALSE(m_manager->MessageHandler(WM_COMMAND, 0, 0, result));
    ::DestroyWindow(child);
}

}  // namespace
}  // namespace pmtest
