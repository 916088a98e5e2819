// The player on a real X11 display: a private Xvfb server, a window with a player control playing
// a clip, and the server's screen read back where the video shows. The window side runs in a
// child process (this program again) so that it gets the X11 display from its start; the test
// starts Xvfb itself and ends it by its id.

#include "MediaTestSupport.h"
#include "media/PlayerOutputWindow.h"
#include "media/PlayerUI.h"
#include "platform/WinUser.h"

#include <gtest/gtest.h>
// After gtest: X11's macros (None, Bool ...) would clash with its names.
#include "support/XvfbSession.h"

#include <chrono>
#include <cstdlib>
#include <string>

namespace {

constexpr int kLeft = 40, kTop = 30, kWidth = 320, kHeight = 240;

void Pump(int ms)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    MSG msg;
    while (std::chrono::steady_clock::now() < until) {
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessage(&msg);
        MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

// The window side, in the child process: red over blue must show where the control is.
void PlayAndReadTheScreen()
{
    const std::string clip = mediatest::Folder() + "halves.mp4";
    ASSERT_TRUE(mediatest::Shell("ffmpeg -nostdin -loglevel error -y -f lavfi -i "
                                 "'color=c=red:size=320x240:rate=25,drawbox=x=0:y=120:w=320:h=120:color=blue:t=fill' "
                                 "-t 3 -c:v libx264 -preset ultrafast -pix_fmt yuv420p '" + clip + "'"));
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProc;
    wc.lpszClassName = L"X11PlayerHost";
    ASSERT_TRUE(RegisterClassEx(&wc));
    HWND host = CreateWindowEx(0, L"X11PlayerHost", L"player", WS_POPUP | WS_VISIBLE, kLeft, kTop, kWidth, kHeight,
                               nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    {
        CPlayerUI control;
        ASSERT_EQ(control.BindOutputWindow(PlayerOutputWindow::Create(host)), 1);
        control.SetPos({ 0, 0, kWidth, kHeight }, false);
        control.SetVisible(true);
        ASSERT_TRUE(control.Player().OpenAndPlay(clip, 0, "--no-audio", ""));
        for (int i = 0; i < 100 && control.Player().Frames()->FramesPublished() < 5; ++i)
            Pump(50);
        ASSERT_GE(control.Player().Frames()->FramesPublished(), 5u) << "no frames from libVLC";
        Pump(300);

        xvfbtest::ScreenShot screen;
        ASSERT_TRUE(screen.Connected());
        ASSERT_TRUE(screen.Grab(400, 300));
        auto near = [&](int x, int y, unsigned long want) {
            const unsigned long got = screen.Rgb(x, y);
            for (int shift : { 0, 8, 16 })
                if (std::abs(static_cast<int>((got >> shift) & 0xFF) - static_cast<int>((want >> shift) & 0xFF)) > 24)
                    return false;
            return true;
        };
        EXPECT_TRUE(near(kLeft + 160, kTop + 60, 0xFF0000)) << std::hex << screen.Rgb(kLeft + 160, kTop + 60);
        EXPECT_TRUE(near(kLeft + 160, kTop + 180, 0x0000FF)) << std::hex << screen.Rgb(kLeft + 160, kTop + 180);
        EXPECT_FALSE(near(kLeft + kWidth + 20, kTop + 60, 0xFF0000));  // nothing beyond the window
    }
    DestroyWindow(host);
}

TEST(PlayerX11, VideoShowsInARealWindow)
{
    if (std::getenv("QUILL_PLAYER_X11_CHILD")) {
        PlayAndReadTheScreen();
        return;
    }
    if (!xvfbtest::XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    xvfbtest::XvfbSession server(150, 450);
    ASSERT_GE(server.Number(), 0) << "Xvfb did not start";
    const std::string home = mediatest::Folder() + "x11";
    mkdir(home.c_str(), 0700);
    int status = -1;
    const bool ran = server.RunSelf("PlayerX11.VideoShowsInARealWindow",
                                    { "QUILL_PLAYER_X11_CHILD=1", "HOME=" + home, "TMPDIR=" + home }, status, true);
    ASSERT_TRUE(ran);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the window side failed; status " << status;
}

}  // namespace
