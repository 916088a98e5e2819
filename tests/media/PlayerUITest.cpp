// The player control and its output window without libVLC: binding, the window following the
// control's place and visibility, posting player events, and frames painted with their shape kept.

#include "media/PlayerOutputWindow.h"
#include "media/PlayerUI.h"
#include "media/VideoFrameStore.h"
#include "platform/WinUser.h"
#include "platform/headless/HeadlessScreen.h"

#include <gtest/gtest.h>

#include <memory>

namespace hl = platform::headless;

namespace {

constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF, kBlack = 0x000000;

class PlayerControl : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hl::Use());
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProc;
        wc.lpszClassName = L"PlayerControlHost";
        RegisterClassEx(&wc);
        m_host = CreateWindowEx(0, L"PlayerControlHost", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                                nullptr, nullptr);
        ASSERT_NE(m_host, nullptr);
        m_output = PlayerOutputWindow::Create(m_host);
        ASSERT_NE(m_output, nullptr);
    }
    void TearDown() override { DestroyWindow(m_host); }

    RECT PlaceInHost(HWND hwnd) const
    {
        RECT r {};
        GetWindowRect(hwnd, &r);
        MapWindowPoints(nullptr, m_host, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    HWND m_host { nullptr };
    HWND m_output { nullptr };
};

// Left half red, right half blue.
std::shared_ptr<VideoFrame> TwoColourFrame(int width, int height)
{
    auto frame = std::make_shared<VideoFrame>();
    frame->width = width;
    frame->height = height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            frame->pixels.push_back(x < width / 2 ? 0xFFFF0000u : 0xFF0000FFu);
    return frame;
}

TEST_F(PlayerControl, OutputWindowIsAHiddenDialogChildNamedForTheVideo)
{
    wchar_t text[64] = {};
    GetClassName(m_output, text, 64);
    EXPECT_STREQ(text, L"#32770");
    GetWindowText(m_output, text, 64);
    EXPECT_STREQ(text, L"WndMediaDisplay");
    EXPECT_EQ(GetParent(m_output), m_host);
    EXPECT_FALSE(IsWindowVisible(m_output));
    EXPECT_EQ(PlayerOutputWindow::Create(nullptr), nullptr);  // a child needs a parent
}

TEST_F(PlayerControl, BindsOnlyAWindowAndTheWindowFollowsTheControl)
{
    CPlayerUI control;
    EXPECT_EQ(control.BindOutputWindow(nullptr), 0);
    EXPECT_EQ(control.GetOutputWindow(), nullptr);
    EXPECT_FALSE(control.Player().SetOutputWindow(reinterpret_cast<HWND>(0x7777)));
    ASSERT_EQ(control.BindOutputWindow(m_output), 1);
    EXPECT_EQ(control.GetOutputWindow(), m_output);
    EXPECT_EQ(control.Player().GetOutputWindow(), m_output);

    for (RECT place : { RECT { 10, 20, 330, 260 }, RECT { 50, 0, 150, 100 } }) {
        control.SetPos(place, false);
        const RECT got = PlaceInHost(m_output);
        EXPECT_TRUE(EqualRect(&got, &place)) << got.left << "," << got.top << "," << got.right << "," << got.bottom;
        EXPECT_TRUE(EqualRect(&control.GetPos(), &place));
    }
    control.SetVisible(true);
    EXPECT_TRUE(IsWindowVisible(m_output));
    control.SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(m_output));
    EXPECT_FALSE(control.IsVisible());
    control.SetInternVisible(true);
    EXPECT_TRUE(IsWindowVisible(m_output));
    control.SetInternVisible(false);
    EXPECT_FALSE(IsWindowVisible(m_output));
}

TEST_F(PlayerControl, PlayerEventsArePostedToTheOutputWindowsParent)
{
    CPlayerUI control;
    CAVPlayer unbound;
    EXPECT_FALSE(CPlayerUI::PostPlayerEvent(nullptr, CPlayerUI::kMsgPlaying));
    EXPECT_FALSE(CPlayerUI::PostPlayerEvent(&unbound, CPlayerUI::kMsgPlaying));  // no output window
    ASSERT_EQ(control.BindOutputWindow(m_output), 1);
    ASSERT_TRUE(CPlayerUI::PostPlayerEvent(&control.Player(), CPlayerUI::kMsgPosition));
    MSG msg {};
    ASSERT_TRUE(PeekMessage(&msg, m_host, CPlayerUI::kMsgPlaying, CPlayerUI::kMsgEndReached, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
    EXPECT_EQ(msg.wParam, reinterpret_cast<WPARAM>(&control.Player()));
    EXPECT_EQ(msg.lParam, 0);
    // Without a parent there is nobody to tell.
    HWND alone = CreateWindowEx(0, L"PlayerControlHost", nullptr, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    CAVPlayer orphan;
    ASSERT_TRUE(orphan.SetOutputWindow(alone));
    EXPECT_FALSE(CPlayerUI::PostPlayerEvent(&orphan, CPlayerUI::kMsgEndReached));
    DestroyWindow(alone);
}

TEST(PlayerFrames, DecodedSizeFitsTheWindowWithTheShapeKept)
{
    const struct {
        unsigned width, height;
        RECT client;
        SIZE want;
    } cases[] = {
        { 1920, 1080, { 0, 0, 977, 360 }, { 640, 360 } },
        { 320, 240, { 0, 0, 977, 360 }, { 480, 360 } },  // smaller pictures are scaled up
        { 240, 320, { 0, 0, 320, 240 }, { 180, 240 } },
        { 320, 240, { 0, 0, 0, 0 }, { 320, 240 } },       // no window size yet: the picture's own
        { 0, 0, { 0, 0, 977, 360 }, { 0, 0 } },
    };
    for (const auto& c : cases) {
        const SIZE got = VideoFrameSource::FitIntoWindow(c.width, c.height, c.client);
        EXPECT_EQ(got.cx, c.want.cx) << c.width << "x" << c.height;
        EXPECT_EQ(got.cy, c.want.cy) << c.width << "x" << c.height;
    }
}

TEST(PlayerFrames, PictureIsCentredWithItsShapeKept)
{
    const struct {
        RECT client;
        double aspect;
        RECT want;
    } cases[] = {
        { { 0, 0, 400, 300 }, 16.0 / 9, { 0, 37, 400, 262 } },   // bars above and below
        { { 0, 0, 400, 300 }, 0.75, { 87, 0, 312, 300 } },       // bars left and right
        { { 10, 10, 330, 250 }, 4.0 / 3, { 10, 10, 330, 250 } },  // same shape: fills
        { { 0, 0, 400, 300 }, 0.0, { 0, 0, 400, 300 } },
        { { 0, 0, 400, 300 }, 1000.0, { 0, 149, 400, 150 } },    // never thinner than a pixel
    };
    for (const auto& c : cases) {
        const RECT got = PlayerOutputWindow::FitRect(c.client, c.aspect);
        EXPECT_TRUE(EqualRect(&got, &c.want))
            << c.aspect << ": " << got.left << "," << got.top << "," << got.right << "," << got.bottom;
    }
}

TEST_F(PlayerControl, OutputWindowPaintsTheLatestFrameWithBlackBars)
{
    auto store = std::make_shared<VideoFrameStore>();
    ASSERT_TRUE(PlayerOutputWindow::Attach(m_output, store));
    SetWindowPos(m_output, nullptr, 0, 0, 400, 300, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    hl::PumpMessages();
    EXPECT_EQ(hl::PixelAt(200, 150) & 0xFFFFFF, kBlack);  // nothing decoded yet

    store->Publish(TwoColourFrame(32, 18));  // 16:9 into 4:3, scaled up
    hl::PumpMessages();
    const struct {
        int x, y;
        uint32_t want;
    } probes[] = { { 100, 150, kRed }, { 300, 150, kBlue }, { 200, 20, kBlack }, { 200, 280, kBlack } };
    for (const auto& p : probes)
        EXPECT_EQ(hl::PixelAt(p.x, p.y) & 0xFFFFFF, p.want) << p.x << "," << p.y;

    store->SetDisplayAspect(1.0);  // shown square: bars beside it instead
    store->Publish(TwoColourFrame(32, 18));
    hl::PumpMessages();
    EXPECT_EQ(hl::PixelAt(30, 150) & 0xFFFFFF, kBlack);
    EXPECT_EQ(hl::PixelAt(100, 150) & 0xFFFFFF, kRed);
    EXPECT_EQ(hl::PixelAt(150, 20) & 0xFFFFFF, kRed);
    EXPECT_EQ(hl::PixelAt(250, 280) & 0xFFFFFF, kBlue);
    EXPECT_EQ(store->FramesPublished(), 2u);
}

}  // namespace
