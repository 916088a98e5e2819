// The X11 display on a private Xvfb server: a window painted with a known pattern and text, and a
// half-transparent layered window over it, are read back from the server's screen. The test
// starts its own Xvfb (and xcompmgr, which composes the alpha) and ends them by their ids; the
// window side runs in a child process (this program again) so it gets a fresh window manager.

#include "platform/WinGdi.h"
#include "platform/WinUser.h"

#include <gtest/gtest.h>
// After gtest: X11's macros (None, Bool ...) would clash with its names.
#include "support/XvfbSession.h"

#include <chrono>
#include <cstdlib>
#include <string>

namespace {

constexpr int kLeft = 40, kTop = 30, kWidth = 200, kHeight = 120;

LRESULT GlassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_PAINT)
        return DefWindowProc(hwnd, msg, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, red);
    DeleteObject(red);
    EndPaint(hwnd, &ps);
    return 0;
}

LRESULT PatternProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_PAINT)
        return DefWindowProc(hwnd, msg, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    const struct {
        RECT rect;
        COLORREF colour;
    } fills[] = { { { 0, 0, 100, 80 }, RGB(255, 0, 0) }, { { 100, 0, 200, 80 }, RGB(0, 0, 255) },
                  { { 0, 80, 200, 120 }, RGB(255, 255, 255) } };
    for (const auto& fill : fills) {
        HBRUSH brush = CreateSolidBrush(fill.colour);
        FillRect(dc, &fill.rect, brush);
        DeleteObject(brush);
    }
    RECT text { 0, 80, 200, 120 };
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    DrawText(dc, L"汉字 Quill", -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EndPaint(hwnd, &ps);
    return 0;
}

// The window side, in the child process.
void ShowPatternAndCheckScreen()
{
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = PatternProc;
    wc.lpszClassName = L"X11PatternWnd";
    ASSERT_TRUE(RegisterClassEx(&wc));
    HWND hwnd = CreateWindowEx(0, L"X11PatternWnd", L"pattern", WS_POPUP | WS_VISIBLE, kLeft, kTop, kWidth, kHeight,
                               nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    wc.lpfnWndProc = GlassProc;
    wc.lpszClassName = L"X11GlassWnd";
    ASSERT_TRUE(RegisterClassEx(&wc));
    // Half-transparent red over the white strip, right of the text.
    HWND glass = CreateWindowEx(WS_EX_LAYERED, L"X11GlassWnd", nullptr, WS_POPUP | WS_VISIBLE, kLeft + 160, kTop + 85, 35, 30,
                                hwnd, nullptr, nullptr, nullptr);
    ASSERT_NE(glass, nullptr);
    ASSERT_TRUE(SetLayeredWindowAttributes(glass, 0, 128, LWA_ALPHA));
    xvfbtest::ScreenShot screen;
    ASSERT_TRUE(screen.Connected());
    const bool composited = std::getenv("QUILL_X11_COMPOSITED") != nullptr;
    auto grab = [&] { return screen.Grab(320, 200); };
    auto rgb = [&](int x, int y) { return screen.Rgb(x, y); };
    // The server, and the compositor, show the windows a moment later: look until they do.
    auto shown = [&] {
        return grab() && rgb(kLeft + 150, kTop + 40) == 0x0000FFu
            && (!composited || rgb(kLeft + 175, kTop + 100) == 0xFF7F7Fu);
    };
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    MSG msg;
    bool ready = false;
    while (std::chrono::steady_clock::now() < until && !(ready = shown())) {
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessage(&msg);
        MsgWaitForMultipleObjectsEx(0, nullptr, 50, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    // The checks read the picture that showed everything (a compositor repaints in steps).
    ASSERT_TRUE(ready || grab());
    EXPECT_EQ(rgb(kLeft + 10, kTop + 10), 0xFF0000u);
    EXPECT_EQ(rgb(kLeft + 150, kTop + 40), 0x0000FFu);
    EXPECT_EQ(rgb(kLeft + 2, kTop + 117), 0xFFFFFFu);
    EXPECT_NE(rgb(kLeft + kWidth + 5, kTop + 10), 0xFF0000u);  // nothing beyond the window
    int dark = 0;
    for (int y = kTop + 80; y < kTop + 120; ++y)
        for (int x = kLeft; x < kLeft + kWidth; ++x)
            dark += (rgb(x, y) & 0xFF) < 0x80;
    EXPECT_GT(dark, 40);  // the text's glyphs
    if (composited) {
        EXPECT_EQ(rgb(kLeft + 175, kTop + 100), 0xFF7F7Fu);  // red at half alpha over white
    }
    screen.Close();
    DestroyWindow(hwnd);
}

TEST(X11Window, PaintedPatternAndTextReadBackFromTheServer)
{
    if (std::getenv("QUILL_X11_CHILD")) {
        ShowPatternAndCheckScreen();
        return;
    }
    if (!xvfbtest::XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    xvfbtest::XvfbSession server(90, 400);
    ASSERT_GE(server.Number(), 0) << "Xvfb did not start";
    const bool composited = server.StartCompositor();
    const xvfbtest::TempHome home("quill-x11");
    ASSERT_TRUE(home.Made());
    int status = -1;
    const bool ran = server.RunSelf("X11Window.PaintedPatternAndTextReadBackFromTheServer",
                                    { "QUILL_X11_CHILD=1", "HOME=" + home.Path(), "TMPDIR=" + home.Path(),
                                      composited ? "QUILL_X11_COMPOSITED=1" : "QUILL_X11_PLAIN=1" },
                                    status);
    ASSERT_TRUE(ran);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the window side failed; status " << status;
}

}  // namespace
