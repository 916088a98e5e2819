#include "ui/controls/ButtonUI.h"
#include "ui/controls/ButtonExUI.h"
#include "ui/controls/FadeButtonUI.h"

#include <gtest/gtest.h>

#include "ControlTestSupport.h"
#include "ui/core/TabLayoutUI.h"

using namespace ctltest;

namespace {

// The blocks of images/states.png: normal red, hot green, pushed blue, focused yellow, disabled grey.
std::wstring Block(int index)
{
    const int x = index * 16;
    return L"file='images/states.png' source='" + std::to_wstring(x) + L",0," + std::to_wstring(x + 16) + L",16'";
}

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kYellow = 0xFFFF00, kGrey = 0x808080;

std::wstring StateImages()
{
    return L"normalimage=\"" + Block(0) + L"\" hotimage=\"" + Block(1) + L"\" pushedimage=\"" + Block(2)
           + L"\" focusedimage=\"" + Block(3) + L"\" disabledimage=\"" + Block(4) + L"\"";
}

}  // namespace

TEST_F(ControlTest, ButtonClicksOnlyWhenReleasedInside)
{
    SkinHost host(Skin(L"<Button name=\"b\" height=\"40\" text=\"Go\"/><Control/>"));
    ASSERT_TRUE(host.Open(200, 100));
    auto* button = host.Find<CButtonUI>(L"b");
    const POINT in = host.Centre(L"b"), out { 100, 80 };

    hl::MoveMouse(in.x, in.y);
    hl::PressButton(hl::Left, in.x, in.y);
    host.Settle();
    EXPECT_EQ(button->GetButtonState() & (ButtonStatePushed | ButtonStateCaptured),
              ButtonStatePushed | ButtonStateCaptured);
    hl::MoveMouse(out.x, out.y);
    host.Settle();
    EXPECT_EQ(button->GetButtonState() & ButtonStatePushed, 0u);  // still captured, no longer pushed
    hl::ReleaseButton(hl::Left, out.x, out.y);
    host.Settle();
    EXPECT_TRUE(host.log.empty());

    hl::PressButton(hl::Left, in.x, in.y);
    hl::MoveMouse(out.x, out.y);
    hl::MoveMouse(in.x, in.y);
    host.Settle();
    EXPECT_NE(button->GetButtonState() & ButtonStatePushed, 0u);  // back inside: pushed again
    hl::ReleaseButton(hl::Left, in.x, in.y);
    host.Settle();
    EXPECT_EQ(host.log, (std::vector<std::wstring> { L"click:b" }));
    EXPECT_EQ(button->GetButtonState() & (ButtonStatePushed | ButtonStateCaptured), 0u);

    // Disabling drops every state bit at once.
    hl::PressButton(hl::Left, in.x, in.y);
    host.Settle();
    button->SetEnabled(false);
    EXPECT_EQ(button->GetButtonState(), 0u);
    hl::ReleaseButton(hl::Left, in.x, in.y);
    host.Settle();
    EXPECT_EQ(host.log.size(), 1u);
}

// A press carries its own position: the control under it is clicked whether the pointer was last
// seen outside the window, over another control, or never seen at all.
TEST_F(ControlTest, PressWithoutAnEarlierMoveClicksTheButtonUnderIt)
{
    SkinHost host(Skin(L"<Button name=\"a\" height=\"30\" text=\"A\"/><Button name=\"b\" height=\"30\" "
                       L"text=\"B\"/><Control/>"));
    ASSERT_TRUE(host.Open(200, 100));
    const POINT a = host.Centre(L"a"), b = host.Centre(L"b");
    struct Case { const char* before; std::function<void()> move; };
    const Case cases[] = {
        { "pointer outside the window", [] { hl::LeaveScreen(); } },
        { "pointer over the other button", [a] { hl::MoveMouse(a.x, a.y); } },
        { "no pointer news at all", [] {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        c.move();
        host.Settle();
        host.log.clear();
        hl::PressButton(hl::Left, b.x, b.y);
        hl::ReleaseButton(hl::Left, b.x, b.y);
        host.Settle();
        EXPECT_EQ(host.log, (std::vector<std::wstring> { L"click:b" }));
    }
}

TEST_F(ControlTest, KeysClickAndSwitchTheBoundTabAfterTheClickHandler)
{
    SkinHost host(Skin(L"<Button name=\"b\" height=\"30\" bindtablayoutname=\"tabs\" bindtabindex=\"2\"/>"
                       L"<TabLayout name=\"tabs\"><Control name=\"p0\"/><Control name=\"p1\"/><Control name=\"p2\"/>"
                       L"</TabLayout>"));
    ASSERT_TRUE(host.Open(200, 100));
    host.ignored.push_back(L"tabselect");
    host.ignored.push_back(L"windowsize");
    auto* tabs = host.Find<CTabLayoutUI>(L"tabs");
    std::vector<int> seenInHandler;
    host.onNotify = [&](TNotifyUI& msg) {
        if (msg.sType == L"click")
            seenInHandler.push_back(tabs->GetCurSel());
    };
    for (const int vk : { VK_SPACE, VK_RETURN }) {
        tabs->SelectItem(0);  // also moves the focus into the tab layout
        host.Find(L"b")->SetFocus();
        hl::PressKey(vk);
        host.Settle();
        EXPECT_EQ(tabs->GetCurSel(), 2);
    }
    EXPECT_EQ(host.log, (std::vector<std::wstring> { L"click:b", L"click:b" }));
    EXPECT_EQ(seenInHandler, (std::vector<int> { 0, 0 }));  // the handler still sees the old page
    host.ClickAt(host.Centre(L"b"));
    EXPECT_EQ(tabs->GetCurSel(), 2);

    // A name that is no tab layout selects nothing.
    auto* button = host.Find<CButtonUI>(L"b");
    button->BindTabLayoutName(L"p0");
    button->BindTriggerTabSel(1);
    EXPECT_EQ(tabs->GetCurSel(), 2);
    button->RemoveBindTabIndex();
    EXPECT_EQ(button->GetBindTabLayoutIndex(), -1);
    EXPECT_TRUE(button->GetBindTabLayoutName().IsEmpty());
}

TEST_F(ControlTest, ButtonStateImagesFollowTheirPrecedenceAtEveryScale)
{
    for (const int dpi : { 96, 144 }) {
        SCOPED_TRACE(dpi);
        SkinHost host(Skin(L"<HorizontalLayout height=\"40\">"
                           L"<Button name=\"b\" width=\"40\" " + StateImages() + L"/><Control/>"
                           L"<Button name=\"plain\" width=\"40\" normalimage=\"" + Block(0) + L"\"/>"
                           L"</HorizontalLayout><Control/>"));
        ASSERT_TRUE(host.Open(300, 200, dpi));
        auto* button = host.Find<CButtonUI>(L"b");
        const POINT c = host.Centre(L"b");
        // A probe near the far corner checks the image was stretched over the scaled rectangle.
        const int edge = dpi * 40 / 96 - 2;
        auto probe = [&] {
            host.Settle();
            return std::array<uint32_t, 2> { Rgb(hl::PixelAt(c.x, c.y)), Rgb(hl::PixelAt(edge, edge)) };
        };
        using Pair = std::array<uint32_t, 2>;
        host.GetPaintManager().SetFocus(nullptr);  // the window focused its first button
        EXPECT_EQ(probe(), (Pair { kRed, kRed }));
        button->SetFocus();
        EXPECT_EQ(probe(), (Pair { kYellow, kYellow }));
        hl::MoveMouse(c.x, c.y);
        EXPECT_EQ(probe(), (Pair { kGreen, kGreen }));  // hot beats focused
        hl::PressButton(hl::Left, c.x, c.y);
        EXPECT_EQ(probe(), (Pair { kBlue, kBlue }));  // pushed beats hot
        hl::ReleaseButton(hl::Left, c.x, c.y);
        // A disabled window (under a modal dialog) paints its buttons at rest.
        ::EnableWindow(host.GetHWND(), FALSE);
        host.GetPaintManager().Invalidate();
        EXPECT_EQ(probe(), (Pair { kRed, kRed }));
        ::EnableWindow(host.GetHWND(), TRUE);
        button->SetEnabled(false);
        EXPECT_EQ(probe(), (Pair { kGrey, kGrey }));  // disabled beats everything
        // A state without its image falls back to the normal image.
        auto* plain = host.Find<CButtonUI>(L"plain");
        const POINT p = host.Centre(L"plain");
        hl::MoveMouse(p.x, p.y);
        host.Settle();
        EXPECT_NE(plain->GetButtonState() & ButtonStateHot, 0u);
        EXPECT_EQ(Rgb(hl::PixelAt(p.x, p.y)), kRed);
    }
}

TEST_F(ControlTest, ButtonCaptionColourFontAndHotText)
{
    CButtonUI button;
    button.ApplyAttributeList(L"focuedfont=\"4\" hotfont=\"2\" pushedfont=\"3\" hottextcolor=\"#FF010203\"");
    EXPECT_EQ(button.GetFocusedFont(), 4);
    button.SetAttribute(L"focusedfont", L"7");  // only the skins' spelling is a key
    EXPECT_EQ(button.GetFocusedFont(), 4);
    EXPECT_EQ(button.GetHotTextColor(), 0xFF010203u);
    EXPECT_EQ(button.GetTextStyle(), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EXPECT_EQ(button.GetControlFlags(), ControlFlagTabStop | ControlFlagSetCursor);

    CButtonExUI extended;
    EXPECT_EQ(extended.GetInterface(L"Button"), nullptr);
    EXPECT_EQ(extended.GetInterface(L"ButtonEx"), &extended);
    EXPECT_EQ(std::wstring(extended.GetClass()), L"ButtonExUI");
    CFadeButtonUI fade;
    EXPECT_EQ(fade.GetInterface(L"FadeButton"), &fade);
    EXPECT_EQ(fade.GetInterface(L"fadebutton"), nullptr);  // compared with case
    EXPECT_NE(fade.GetInterface(L"button"), nullptr);

    // Hovered: the hot text shows only when no hot colour applies.
    SkinHost host(L"<Window size=\"200,100\" defaultfontcolor=\"#FF00FF00\">"
                  L"<Font name=\"DejaVu Sans\" size=\"40\" default=\"true\"/>"
                  L"<VerticalLayout bkcolor=\"#FF000000\">"
                  L"<Button name=\"hot\" height=\"50\" text=\" \" hottext=\"\u2588\u2588\u2588\u2588\"/>"
                  L"<Button name=\"coloured\" height=\"50\" text=\"\u2588\u2588\u2588\u2588\" "
                  L"hottext=\"  \" hottextcolor=\"#FFFF0000\"/>"
                  L"</VerticalLayout></Window>");
    ASSERT_TRUE(host.Open(200, 100));
    EXPECT_EQ(Rgb(hl::PixelAt(100, 25)), 0u);
    hl::MoveMouse(100, 25);
    host.Settle();
    EXPECT_EQ(Rgb(hl::PixelAt(100, 25)), kGreen);
    hl::MoveMouse(100, 75);
    host.Settle();
    EXPECT_EQ(Rgb(hl::PixelAt(100, 75)), kRed);
}

TEST_F(ControlTest, ExtendedButtonWithNoTextAreaDrawsNothing)
{
    SkinHost host(Skin(L"<ButtonEx name=\"b\" height=\"20\" textpadding=\"0,15,0,15\" text=\"caption\" "
                       L"bkcolor=\"#FF0000FF\"/><ButtonEx name=\"c\" height=\"40\" text=\"&amp;#x2588;\" "
                       L"textcolor=\"#FFFF0000\"/><Control/>"));
    ASSERT_TRUE(host.Open(200, 100));
    EXPECT_EQ(Rgb(hl::PixelAt(100, 10)), kBlue);
    // The GDI path draws the referenced glyph alone, centred.
    EXPECT_EQ(Rgb(hl::PixelAt(100, 40)), kRed);
}

TEST_F(ControlTest, FadeButtonCrossFadesBetweenNormalAndHot)
{
    // Ticks and paints are driven by hand: pumped timers would follow the machine's clock.
    for (const int dpi : { 96, 144 }) {
        SCOPED_TRACE(dpi);
        SkinHost host(Skin(L"<FadeButton name=\"f\" height=\"40\" normalimage=\"" + Block(0) + L"\" hotimage=\""
                           + Block(1) + L"\"/><Control/>"));
        ASSERT_TRUE(host.Open(200, 100, dpi));
        auto* fade = host.Find<CFadeButtonUI>(L"f");
        const POINT c = host.Centre(L"f");
        Canvas canvas(200 * dpi / 96, 100 * dpi / 96);
        auto event = [&](int type) {
            TEventUI e;
            e.Type = type;
            e.ptMouse = c;
            fade->DoEvent(e);
        };
        auto ticks = [&](int id, int count) {
            for (int i = 0; i < count; ++i) {
                TEventUI tick = TimerEvent(static_cast<UINT>(id));
                fade->DoEvent(tick);
            }
        };
        canvas.Paint(fade);
        EXPECT_EQ(canvas.Pixel(c.x, c.y), kRed);

        event(UiEventMouseEnter);
        EXPECT_EQ(fade->IsAnimationRunning(CFadeButtonUI::kFadeInId), 1);
        canvas.Paint(fade);  // the first paint of a fade still shows where it starts
        EXPECT_EQ(canvas.Pixel(c.x, c.y), kRed);
        ticks(CFadeButtonUI::kFadeInId, 16);
        // Half-way in: alpha = frame * 255 / 30, a real blend of red and green.
        EXPECT_EQ(fade->GetFadeAlpha(), 15 * 255 / 30);
        canvas.Paint(fade);
        const uint32_t mid = canvas.Pixel(c.x, c.y);
        EXPECT_GT(mid >> 16, 0x20u) << std::hex << mid;
        EXPECT_GT((mid >> 8) & 0xFF, 0x60u) << std::hex << mid;

        // Leaving while the fade-in runs stops it and fades from the hot image back out.
        event(UiEventMouseLeave);
        EXPECT_EQ(fade->IsAnimationRunning(CFadeButtonUI::kFadeInId), 0);
        EXPECT_EQ(fade->IsAnimationRunning(CFadeButtonUI::kFadeOutId), 1);
        canvas.Paint(fade);
        EXPECT_EQ(canvas.Pixel(c.x, c.y), kGreen);
        ticks(CFadeButtonUI::kFadeOutId, 31);
        EXPECT_EQ(fade->IsAnimationRunning(CFadeButtonUI::kFadeOutId), 0);
        canvas.Paint(fade);
        EXPECT_EQ(canvas.Pixel(c.x, c.y), kRed);
    }
}

// Tab shows which button or option holds the focus with a ring just inside its edge; a click gives
// the focus without one.
TEST_F(ControlTest, KeyboardFocusShowsARingAndAClickDoesNot)
{
    SkinHost host(Skin(L"<Button name=\"first\" height=\"40\"/><Option name=\"second\" height=\"40\"/>"
                       L"<CheckBox name=\"third\" height=\"40\"/><Control/>"));
    ASSERT_TRUE(host.Open(300, 200));
    auto ringShows = [&](const wchar_t* name) {
        const RECT rc = host.Find(name)->GetPos();
        return Rgb(hl::PixelAt(rc.left + 1, (rc.top + rc.bottom) / 2)) != 0u;
    };
    auto tab = [&] {
        MSG msg { host.GetHWND(), WM_KEYDOWN, VK_TAB, 0, 0, {} };
        EXPECT_TRUE(CPaintManagerUI::TranslateMessage(&msg));
        SkinHost::Settle();
    };
    host.GetPaintManager().SetFocus(host.Find(L"third"));  // Tab goes round to the first
    for (const wchar_t* name : { L"first", L"second", L"third" }) {
        tab();
        ASSERT_EQ(host.GetPaintManager().GetFocus(), host.Find(name));
        EXPECT_TRUE(ringShows(name)) << "focused by Tab";
    }
    EXPECT_FALSE(ringShows(L"first")) << "only the focused control";
    host.Click(L"first");
    ASSERT_EQ(host.GetPaintManager().GetFocus(), host.Find(L"first"));
    EXPECT_FALSE(ringShows(L"first")) << "focused by a click";
}
