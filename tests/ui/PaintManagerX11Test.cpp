// A hand-built control tree painted by its window's paint manager in a real X11 window, read back
// from a private Xvfb server. The test starts its own Xvfb and ends it by its id; the window side
// runs in a child process (this program again) so that it chooses the X11 display from the start.

#include "tests/ui/PaintManagerTest.h"

#include <gtest/gtest.h>
// After gtest and the framework: X11's macros (None, Bool ...) would clash with their names.
#include "support/XvfbSession.h"

#include <chrono>
#include <cstdlib>
#include <string>

namespace pmtest {
namespace {

constexpr int kLeft = 40, kTop = 30, kWidth = 200, kHeight = 120;

LRESULT ScreenProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* manager = reinterpret_cast<CPaintManagerUI*>(::GetWindowLongPtr(hwnd, GWLP_USERDATA));
    LRESULT result = 0;
    if (manager && manager->MessageHandler(msg, wParam, lParam, result))
        return result;
    return ::DefWindowProc(hwnd, msg, wParam, lParam);
}

// The window side, in the child process: white root, a red and a blue control, read back.
void PaintTreeAndCheckScreen()
{
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ScreenProc;
    wc.lpszClassName = L"PaintManagerX11Wnd";
    ASSERT_TRUE(::RegisterClassEx(&wc));
    CPaintManagerUI manager;
    HWND hwnd = ::CreateWindowEx(0, L"PaintManagerX11Wnd", L"tree", WS_POPUP, kLeft, kTop, kWidth, kHeight, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    ::SetWindowLongPtr(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&manager));
    manager.Init(hwnd);
    Log log;
    auto* root = new Box;
    root->SetBkColor(0xFFFFFFFF);
    auto* red = new Leaf(&log, L"red", { 10, 10, 90, 60 });
    red->SetBkColor(0xFFFF0000);
    auto* blue = new Leaf(&log, L"blue", { 110, 10, 190, 60 });
    blue->SetBkColor(0xFF0000FF);
    root->Add(red);
    root->Add(blue);
    manager.AttachDialog(root);  // the manager owns the tree
    ::ShowWindow(hwnd, SW_SHOW);

    xvfbtest::ScreenShot screen;
    ASSERT_TRUE(screen.Connected());
    auto grab = [&] { return screen.Grab(320, 200); };
    auto rgb = [&](int x, int y) { return screen.Rgb(kLeft + x, kTop + y); };
    // The server shows the window a moment later: look until it does.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool ready = false;
    while (std::chrono::steady_clock::now() < until && !(ready = grab() && rgb(150, 35) == 0x0000FFu)) {
        Pump();
        ::MsgWaitForMultipleObjectsEx(0, nullptr, 50, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    ASSERT_TRUE(ready) << std::hex << "blue control shows " << rgb(150, 35) << ", red " << rgb(50, 35)
                       << ", root " << rgb(5, 5);
    EXPECT_EQ(rgb(50, 35), 0xFF0000u);
    EXPECT_EQ(rgb(150, 35), 0x0000FFu);
    EXPECT_EQ(rgb(89, 59), 0xFF0000u);    // each control fills exactly its rectangle
    EXPECT_EQ(rgb(90, 35), 0xFFFFFFu);
    EXPECT_EQ(rgb(100, 90), 0xFFFFFFu);   // the root's background between and below
    EXPECT_EQ(rgb(5, 5), 0xFFFFFFu);
    screen.Close();
    ::SetWindowLongPtr(hwnd, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd);
}

TEST(PaintManagerX11, ControlTreeReadBackFromTheServer)
{
    if (std::getenv("QUILL_PM_X11_CHILD")) {
        // Other suites' global set-up asks for the headless display; this process wants X11.
        ::setenv("QUILL_BACKEND", "x11", 1);
        PaintTreeAndCheckScreen();
        return;
    }
    if (!xvfbtest::XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    xvfbtest::XvfbSession server(150, 400);
    ASSERT_GE(server.Number(), 0) << "Xvfb did not start";
    const xvfbtest::TempHome home("quill-pm-x11");
    ASSERT_TRUE(home.Made());
    int status = -1;
    const bool ran = server.RunSelf("PaintManagerX11.ControlTreeReadBackFromTheServer",
                                    { "QUILL_PM_X11_CHILD=1", "HOME=" + home.Path(), "TMPDIR=" + home.Path() }, status);
    ASSERT_TRUE(ran);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the window side failed; status " << status;
}

}  // namespace
}  // namespace pmtest
