// The watermark overlay as a real layered X11 window under a compositing manager, over a painted
// frame: read back from the server, the half-transparent picture watermark shows the frame
// through it, and the overlay's empty parts show the frame unchanged. The windows live in a child
// process (this program again) so that it chooses the X11 display from its start.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "DialogTestSupport.h"
#include "EditorTestSupport.h"
#include "base/StringHelpers.h"
#include "editor/dialogs/ChildWnd.h"
#include "editor/dialogs/OverlayShared.h"
#include "editor/mainwnd/MainWnd.h"
// After gtest and the framework: X11's macros (None, Bool ...) would clash with their names.
#include "support/XvfbSession.h"
#include "support/FakeInput.h"

namespace {

constexpr int kScreenWidth = 800, kScreenHeight = 600;
constexpr int kVideoX = 100, kVideoY = 80, kVideoW = 400, kVideoH = 240;

// An opaque window of one colour standing for the video frame under the overlay.
class Frame : public SkinUI::WindowImplBase {
protected:
    const wchar_t* GetWindowClassName() const override { return L"WatermarkX11Frame"; }
    SkinUI::CUIString GetSkinFileName() override
    {
        return L"<Window size=\"640,420\"><VerticalLayout bkcolor=\"#FF2040C0\"/></Window>";
    }
};

// Waits until the screen shows `want` (within 6 per channel) at (x, y); reports what it saw.
void ExpectOnScreen(xvfbtest::ScreenShot& screen, int x, int y, unsigned long want, const char* what)
{
    unsigned long seen = 0;
    const auto near = [&] {
        for (int shift : { 0, 8, 16 })
            if (std::abs(static_cast<int>((seen >> shift) & 0xFF) - static_cast<int>((want >> shift) & 0xFF)) > 6)
                return false;
        return true;
    };
    const bool shown = xvfbtest::PumpUntil([&] {
        seen = screen.Grab(kScreenWidth, kScreenHeight) ? screen.Rgb(x, y) : 0xDEADBEEF;
        return near();
    });
    EXPECT_TRUE(shown) << what << ": want " << std::hex << want << ", the screen shows " << seen;
}

void ShowOverlayOnTheServer()
{
    ASSERT_TRUE(InstallEditorSkins());
    xvfbtest::ScreenShot screen;
    ASSERT_TRUE(screen.Connected());
    CMainWnd main;  // no window: the watermark's settings and the overlay's pointer
    const std::string home = std::getenv("HOME");
    Gdiplus::Bitmap red(40, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            red.SetPixel(x, y, Gdiplus::Color(255, 255, 0, 0));
    const std::wstring picture = AnsiToWide(home + "/red.png");
    ASSERT_TRUE(SaveOverlayPng(red, picture));
    WatermarkSettings.picture = picture.c_str();
    WatermarkSettings.pictureAlpha = 128;
    VideoRectangle[0] = kVideoX;
    VideoRectangle[1] = kVideoY;
    VideoRectangle[2] = kVideoX + kVideoW;
    VideoRectangle[3] = kVideoY + kVideoH;

    Frame frame;
    ASSERT_NE(frame.Create(nullptr, L"frame", WS_POPUP | WS_VISIBLE, 0, 0, 0, 640, 420), nullptr);
    auto* overlay = new CChildWnd();  // deletes itself with its window
    main.m_pWatermarkWnd = overlay;
    ASSERT_NE(overlay->Create(frame.GetHWND(), L"", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW), nullptr);
    ::MoveWindow(overlay->GetHWND(), kVideoX, kVideoY, kVideoW, kVideoH, TRUE);
    overlay->ShowTextItem(false);
    overlay->SetPictureItemSize(200, 100);  // centred: the cell (100, 70)-(300, 170) of the overlay

    const int cx = kVideoX + 200, cy = kVideoY + 120;  // the middle of the picture
    ExpectOnScreen(screen, cx, cy, 0x902060, "red at alpha 128 over the frame");
    ExpectOnScreen(screen, kVideoX + 30, kVideoY + 30, 0x2040C0, "the overlay's empty part shows the frame");
    ExpectOnScreen(screen, kVideoX + 100 + 3, cy, 0x2040C0, "the picture item's unseen background");

    overlay->CloseOverlay();
    xvfbtest::PumpUntil([&] { return main.m_pWatermarkWnd == nullptr; });
    EXPECT_EQ(main.m_pWatermarkWnd, nullptr);
    ::DestroyWindow(frame.GetHWND());
    screen.Close();
}

}  // namespace

TEST(WatermarkOverlayX11, HalfTransparentPictureOverAPaintedFrame)
{
    if (std::getenv("QUILL_WATERMARK_X11_CHILD")) {
        // The editor tests' global set-up asks for the headless display; this process wants X11.
        ::setenv("QUILL_BACKEND", "x11", 1);
        ShowOverlayOnTheServer();
        return;
    }
    if (!xvfbtest::XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    xvfbtest::XvfbSession server(650, 900, "800x600x24");
    if (server.Number() < 0)
        GTEST_SKIP() << "Xvfb did not start";
    ASSERT_TRUE(server.StartCompositor()) << "xcompmgr (from the set-up script's packages) did not start";
    int status = -1;
    const std::string home = EditorScratchFolder();
    ASSERT_TRUE(server.RunSelf("WatermarkOverlayX11.HalfTransparentPictureOverAPaintedFrame",
                               { "QUILL_WATERMARK_X11_CHILD=1", "HOME=" + home, "TMPDIR=" + home,
                                 "XDG_DATA_HOME=" + home + "/data" },
                               status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the window side failed; status " << status;
}
