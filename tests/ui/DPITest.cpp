#include "ui/core/DPI.h"

#include "platform/headless/HeadlessScreen.h"

#include <gtest/gtest.h>

#include <array>

using SkinUI::CDPI;

namespace {

using Edges = std::array<LONG, 4>;

Edges EdgesOf(const RECT& r) { return { r.left, r.top, r.right, r.bottom }; }

CDPI AtDPI(UINT dpi)
{
    CDPI scaler;
    scaler.SetScale(dpi);
    return scaler;
}

TEST(CDPI, NewObjectIsAtOneHundredPercent)
{
    const CDPI scaler;
    EXPECT_EQ(scaler.GetScale(), 100u);
    EXPECT_EQ(scaler.GetDPI(), 96u);
    EXPECT_EQ(scaler.Scale(7), 7);
    EXPECT_EQ(scaler.ScaleBack(7), 7);
}

TEST(CDPI, ScalesLengthsRoundingToNearestWithoutLosingThem)
{
    struct Case { UINT dpi; UINT percent; int lengths[9]; };
    // lengths:                        0  1  -1  2  -2  3   7  10  -3
    const Case cases[] = {
        { 96, 100, { 0, 1, -1, 2, -2, 3, 7, 10, -3 } },
        { 120, 125, { 0, 1, -1, 3, -3, 4, 9, 13, -4 } },   // 1.25 -> 1, 2.5 -> 3
        { 144, 150, { 0, 2, -2, 3, -3, 5, 11, 15, -5 } },  // halves round away from zero
        { 168, 175, { 0, 2, -2, 4, -4, 5, 12, 18, -5 } },
        { 192, 200, { 0, 2, -2, 4, -4, 6, 14, 20, -6 } },
        { 24, 25, { 0, 1, -1, 1, -1, 1, 2, 3, -1 } },      // 0.25 would vanish: stays 1
    };
    const int lengths[9] = { 0, 1, -1, 2, -2, 3, 7, 10, -3 };
    for (const Case& c : cases) {
        const CDPI scaler = AtDPI(c.dpi);
        SCOPED_TRACE(testing::Message() << "dpi " << c.dpi);
        EXPECT_EQ(scaler.GetScale(), c.percent);
        EXPECT_EQ(scaler.GetDPI(), c.dpi);
        for (int i = 0; i < 9; ++i)
            EXPECT_EQ(scaler.Scale(lengths[i]), c.lengths[i]) << "length " << lengths[i];
    }
}

TEST(CDPI, ScalesRectanglesByOriginAndSize)
{
    struct Case { UINT dpi; RECT in, want; };
    const Case cases[] = {
        { 144, { 1, 1, 4, 4 }, { 2, 2, 7, 7 } },      // origin 1.5 -> 2, size 4.5 -> 5
        { 120, { 3, 3, 5, 5 }, { 4, 4, 7, 7 } },      // by edges the width would be 2, not 3
        { 144, { -3, 0, 3, 1 }, { -5, 0, 4, 2 } },
        { 24, { 0, 0, 1, 0 }, { 0, 0, 1, 0 } },       // a 1-pixel width survives, 0 stays 0
        { 192, { 10, 20, 110, 70 }, { 20, 40, 220, 140 } },
    };
    for (const Case& c : cases) {
        const CDPI scaler = AtDPI(c.dpi);
        SCOPED_TRACE(testing::Message() << "dpi " << c.dpi << " left " << c.in.left);
        EXPECT_EQ(EdgesOf(scaler.Scale(c.in)), EdgesOf(c.want));
        RECT inPlace = c.in;
        scaler.Scale(&inPlace);
        EXPECT_EQ(EdgesOf(inPlace), EdgesOf(c.want));
    }
    const CDPI scaler = AtDPI(144);
    const SIZE size = scaler.Scale(SIZE { 3, -1 });
    const POINT point = scaler.Scale(POINT { 1, 10 });
    EXPECT_EQ(size.cx, 5);
    EXPECT_EQ(size.cy, -2);
    EXPECT_EQ(point.x, 2);
    EXPECT_EQ(point.y, 15);
}

TEST(CDPI, ScalesBack)
{
    const CDPI scaler = AtDPI(144);
    EXPECT_EQ(scaler.ScaleBack(15), 10);
    EXPECT_EQ(scaler.ScaleBack(10), 7);
    EXPECT_EQ(scaler.ScaleBack(0), 0);
    RECT rc { 2, 2, 7, 7 };
    scaler.ScaleBack(&rc);
    EXPECT_EQ(EdgesOf(rc), (Edges { 1, 1, 4, 4 }));
}

// The awareness is process-wide: put it back whatever the test does.
struct AwarenessRestorer {
    ~AwarenessRestorer() { CDPI().SetDPIAwareness(PROCESS_PER_MONITOR_DPI_AWARE); }
};

TEST(CDPI, AwarenessDecidesTheEffectiveScale)
{
    AwarenessRestorer restore;
    CDPI scaler = AtDPI(144);

    ASSERT_TRUE(scaler.SetDPIAwareness(PROCESS_DPI_UNAWARE));
    EXPECT_EQ(scaler.GetScale(), 100u);
    EXPECT_EQ(scaler.GetDPI(), 96u);
    EXPECT_EQ(scaler.Scale(10), 10);
    EXPECT_EQ(scaler.ScaleBack(15), 15);
    EXPECT_EQ(EdgesOf(scaler.Scale(RECT { 1, 1, 4, 4 })), (Edges { 1, 1, 4, 4 }));

    // System aware: the scale of the first SetScale (the constructor's 96 DPI) for good.
    ASSERT_TRUE(scaler.SetDPIAwareness(PROCESS_SYSTEM_DPI_AWARE));
    EXPECT_EQ(scaler.GetScale(), 100u);
    EXPECT_EQ(scaler.Scale(10), 10);
    EXPECT_EQ(CDPI().GetDPIAwareness(), PROCESS_SYSTEM_DPI_AWARE) << "read back from the process";

    ASSERT_TRUE(scaler.SetDPIAwareness(PROCESS_PER_MONITOR_DPI_AWARE));
    EXPECT_EQ(scaler.GetScale(), 150u);
    EXPECT_EQ(scaler.Scale(10), 15);
}

TEST(CDPI, AsksThePlatformForTheMonitorsDPI)
{
    namespace screen = platform::headless;
    ASSERT_TRUE(screen::Use());
    screen::SetMonitors({ RECT { 0, 0, 1920, 1080 }, RECT { 1920, 0, 3840, 1080 } });
    screen::SetMonitorDpi(144, 1);
    EXPECT_EQ(CDPI::GetMainMonitorDPI(), 96u);
    EXPECT_EQ(CDPI::GetDPIOfMonitorNearestToPoint(POINT { 2500, 500 }), 144u);
    EXPECT_EQ(CDPI::GetDPIOfMonitorNearestToPoint(POINT { 9000, -50 }), 144u) << "off screen: the nearest";
    screen::SetMonitorDpi(120, 0);
    EXPECT_EQ(CDPI::GetMainMonitorDPI(), 120u);

    // A failed lookup is reported to the user and counts as 96 DPI.
    EXPECT_EQ(CDPI::GetDPIOfMonitor(nullptr), 96u);
    EXPECT_EQ(screen::LastMessageBoxText(), L"GetDpiForMonitor failed");
}

// The main window's tallest page is 1024 x 720 at 100 %; the scale is the smaller of the asked one
// and the one at which the window fits the work area (the screen less a 40-pixel taskbar).
TEST(DpiThatFits, NeverMakesTheWindowLargerThanTheWorkArea)
{
    const struct {
        UINT dpi;
        SIZE work;
        UINT fitting;
    } cases[] = {
        { 150, { 1600, 1000 }, 132 },  // 138 %: 1413 x 994
        { 150, { 1600, 960 }, 128 },   // 133 %: 1362 x 958
        { 96, { 1920, 1040 }, 96 },
        { 192, { 1920, 1040 }, 138 },  // 144 %: 1475 x 1037
        { 144, { 2560, 1400 }, 144 },  // fits as asked
        { 120, { 1024, 728 }, 96 },    // as wide as the window at 100 %
        { 96, { 800, 560 }, 74 },      // 77 %: 788 x 554
        { 96, { 320, 200 }, 48 },      // never below half size
    };
    for (const auto& c : cases) {
        const UINT fitting = SkinUI::DpiThatFits(c.dpi, { 1024, 720 }, c.work);
        EXPECT_EQ(fitting, c.fitting) << c.dpi << " DPI on " << c.work.cx << "x" << c.work.cy;
        const CDPI scaler = AtDPI(fitting);
        if (fitting > 48) {
            EXPECT_LE(scaler.Scale(1024), c.work.cx);
            EXPECT_LE(scaler.Scale(720), c.work.cy);
        }
    }
    EXPECT_EQ(SkinUI::DpiThatFits(144, { 0, 0 }, { 800, 600 }), 144u) << "no size yet: nothing to fit";
}

}  // namespace
