#include "ui/controls/CountdownUI.h"
#include "ui/controls/GifAnimUI.h"
#include "ui/controls/RingUI.h"
#include "ui/controls/RollTextUI.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "ControlTestSupport.h"

using namespace ctltest;

namespace {

template <class Control>
void Tick(Control* control, UINT id, int count = 1)
{
    for (int i = 0; i < count; ++i) {
        TEventUI tick = TimerEvent(id);
        control->DoEvent(tick);
    }
}

}  // namespace

// Ticks and paints are driven by hand: pumped timers would follow the machine's clock.
TEST_F(ControlTest, GifWithoutDelaysShowsEachFrameFor100Ms)
{
    SkinHost host(Skin(L"<GifAnim name=\"g\" height=\"40\" bkimage=\"images/frames.gif\"/><Control/>"));
    host.ignored.push_back(L"windowsize");
    ASSERT_TRUE(host.Open(100, 100));
    auto* gif = host.Find<CGifAnimUI>(L"g");
    ASSERT_EQ(gif->GetFrameCount(), 3u);
    EXPECT_TRUE(gif->IsPlaying());
    EXPECT_EQ(gif->GetFrameDelay(), 100u);
    // Every paint shows the next frame.
    Canvas canvas(100, 100);
    std::vector<uint32_t> colours;
    for (int i = 0; i < 4; ++i) {
        canvas.Paint(gif);
        colours.push_back(canvas.Pixel(20, 20));
    }
    EXPECT_EQ(colours[3], colours[0]);
    EXPECT_NE(colours[0], colours[1]);
    EXPECT_NE(colours[1], colours[2]);
    EXPECT_NE(colours[0], colours[2]);
    for (uint32_t colour : colours)
        EXPECT_TRUE(colour == 0xFF0000u || colour == 0x00FF00u || colour == 0x0000FFu) << std::hex << colour;

    gif->SetVisible(false);
    EXPECT_FALSE(gif->IsPlaying());
    EXPECT_EQ(gif->GetFramePosition(), 0u);
    EXPECT_FALSE(host.GetPaintManager().KillTimer(gif, CGifAnimUI::kFrameTimerId));
    gif->SetVisible(true);
    EXPECT_TRUE(gif->IsPlaying());
    host.Settle();
    host.ClickAt({ 20, 20 });
    EXPECT_EQ(host.log, (std::vector<std::wstring> { L"click:g" }));
}

TEST_F(ControlTest, CountdownStepsThroughItsFolderAndStopsOnce)
{
    SkinHost host(Skin(L"<Countdown name=\"cd\" height=\"40\" imgdir=\"F\" framecount=\"5\" ellapse=\"10\" "
                       L"loop=\"false\"/><Countdown name=\"hidden\" visible=\"false\" imgdir=\"H\" framecount=\"2\" "
                       L"ellapse=\"10\"/><Control/>"));
    ASSERT_TRUE(host.Open(100, 100));
    auto* countdown = host.Find<CCountdownUI>(L"cd");
    EXPECT_EQ(countdown->GetInterface(L"Countdown"), countdown);
    EXPECT_EQ(countdown->GetInterface(L"Label"), nullptr);
    countdown->Start();
    std::vector<std::wstring> shown;
    for (int i = 0; i < 8; ++i) {
        Tick(countdown, 1);
        if (shown.empty() || shown.back() != countdown->GetCurrentImage().GetData())
            shown.push_back(countdown->GetCurrentImage().GetData());
    }
    EXPECT_EQ(shown, (std::vector<std::wstring> { L"F/0.png", L"F/1.png", L"F/2.png", L"F/3.png", L"F/4.png",
                                                  L"F/5.png" }));
    EXPECT_EQ(host.log.front(), L"animationstop:cd");
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), L"animationstop:cd"), 1);
    EXPECT_EQ(countdown->IsAnimationRunning(1), 0);

    auto* hidden = host.Find<CCountdownUI>(L"hidden");
    hidden->Start();
    EXPECT_FALSE(hidden->IsRunning());
    EXPECT_EQ(hidden->IsAnimationRunning(1), 0);
}

TEST_F(ControlTest, RingTurns36DegreesEvery100Ms)
{
    SkinHost host(Skin(L"<Ring name=\"r\" height=\"40\" bkimage=\"images/swatch.png\"/><Control/>"));
    ASSERT_TRUE(host.Open(100, 100));
    auto* ring = host.Find<CRingUI>(L"r");
    EXPECT_EQ(ring->GetInterface(L"ring"), nullptr);
    EXPECT_NE(ring->GetInterface(L"Label"), nullptr);
    const int before = static_cast<int>(ring->GetAngle());
    std::vector<int> angles;
    for (int i = 0; i < 11; ++i) {
        Tick(ring, CRingUI::kRingTimerId);
        angles.push_back(static_cast<int>(ring->GetAngle()));
    }
    // The timer ran since the first paint; wherever it was, the steps are 36 and wrap after 359.
    std::vector<int> want;
    for (int angle = before, i = 0; i < 11; ++i) {
        angle = (angle > 359 ? 0 : angle) + 36;
        want.push_back(angle);
    }
    EXPECT_EQ(angles, want);
    EXPECT_NE(std::find(angles.begin(), angles.end(), 360), angles.end());
    EXPECT_TRUE(host.GetPaintManager().KillTimer(ring, CRingUI::kRingTimerId));
}

TEST_F(ControlTest, RollingTextEntersFromTheRightAndWrapsOnceGone)
{
    SkinHost host(Skin(L"<RollText name=\"t\" height=\"30\" text=\"rolling\"/><Control/>"));
    ASSERT_TRUE(host.Open(200, 100));
    auto* roll = host.Find<CRollTextUI>(L"t");
    roll->BeginRoll(0, 10, 1);
    const RECT box = roll->GetPos();
    Canvas canvas(200, 100);
    canvas.Paint(roll);  // the first paint only measures
    std::vector<RECT> drawn;
    for (int i = 0; i < 80; ++i) {
        canvas.Paint(roll);
        drawn.push_back(roll->GetLastTextRect());
    }
    EXPECT_EQ(drawn[0].left, box.right);  // starts just beyond the right edge
    EXPECT_EQ(drawn[1].left, box.right - 5);
    size_t wrap = 0;
    for (size_t i = 1; i < drawn.size() && wrap == 0; ++i)
        wrap = drawn[i].left > drawn[i - 1].left ? i : 0;
    ASSERT_GE(wrap, 2u);
    // Wrapped once gone on the left, to within the last step.
    EXPECT_LT(drawn[wrap - 1].right, box.left + 5);
    EXPECT_GE(drawn[wrap - 2].right, box.left + 5);
    EXPECT_EQ(drawn[wrap].left, box.right);
    // The end of the time is reported; the text keeps rolling until told to stop.
    Tick(roll, CRollTextUI::kEndTimerId);
    EXPECT_EQ(host.log, (std::vector<std::wstring> { L"textrollend:t" }));
    EXPECT_TRUE(roll->IsRolling());
    roll->EndRoll();
    EXPECT_FALSE(roll->IsRolling());
}
