// Moving and sizing a top-level window several times in a row on a private Xvfb: the server's
// late reports of the earlier geometries must not pull the window back, while a move made by
// someone else (the desktop) is still followed. The window side runs in a child process (this
// program again) so it picks the X11 backend from its start; the test ends its Xvfb by id.

#include "platform/WinUser.h"

#include <gtest/gtest.h>
// After gtest: X11's macros (None, Bool ...) would clash with its names.
#include "support/XvfbSession.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr wchar_t kClass[] = L"X11GeometryWnd";
constexpr char kTitle[] = "geometry-under-test";
const RECT kSteps[] = { { 0, 0, 800, 600 }, { 10, 20, 410, 320 }, { 0, 0, 1280, 800 }, { 320, 140, 1600, 940 } };
const RECT kDesktopMove { 50, 60, 350, 260 };

int g_strayMoves = 0;  // geometry changes that were neither the last request nor the desktop's move

bool Same(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

LRESULT GeometryProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_WINDOWPOSCHANGED) {
        RECT now;
        GetWindowRect(hwnd, &now);
        if (!Same(now, kSteps[std::size(kSteps) - 1]) && !Same(now, kDesktopMove))
            ++g_strayMoves;
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

::Window FindByTitle(Display* display)
{
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    ::Window found = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            if (std::strcmp(name, kTitle) == 0)
                found = children[i];
            XFree(name);
        }
    }
    if (children)
        XFree(children);
    return found;
}

RECT ServerGeometry(Display* display, ::Window xid)
{
    ::Window root = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    XGetGeometry(display, xid, &root, &x, &y, &width, &height, &border, &depth);
    return { x, y, x + static_cast<int>(width), y + static_cast<int>(height) };
}

// Pumps the window's messages until `done` holds or ten seconds pass.
bool PumpUntil(const std::function<bool()>& done)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    MSG msg;
    while (std::chrono::steady_clock::now() < until) {
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessage(&msg);
        if (done())
            return true;
        MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    return false;
}

// The window side, in the child process.
void MoveSeveralTimesAndCheck()
{
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = GeometryProc;
    wc.lpszClassName = kClass;
    ASSERT_TRUE(RegisterClassEx(&wc));
    const RECT& first = kSteps[0];
    HWND hwnd = CreateWindowEx(0, kClass, L"geometry-under-test", WS_POPUP | WS_VISIBLE, first.left, first.top,
                               first.right - first.left, first.bottom - first.top, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    ::Window xid = 0;
    ASSERT_TRUE(PumpUntil([&] { return (xid = FindByTitle(display)) != 0; }));
    // As a window does while it is created and centred: no messages handled in between.
    for (const RECT& step : kSteps)
        SetWindowPos(hwnd, nullptr, step.left, step.top, step.right - step.left, step.bottom - step.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    g_strayMoves = 0;
    const RECT& last = kSteps[std::size(kSteps) - 1];
    RECT now {};
    EXPECT_TRUE(PumpUntil([&] { return Same(ServerGeometry(display, xid), last); }));
    // The desktop moves it: its report comes after every echo of ours, so once the window follows
    // it, all of those were handled.
    XMoveResizeWindow(display, xid, kDesktopMove.left, kDesktopMove.top, kDesktopMove.right - kDesktopMove.left,
                      kDesktopMove.bottom - kDesktopMove.top);
    XFlush(display);
    EXPECT_TRUE(PumpUntil([&] { return GetWindowRect(hwnd, &now) && Same(now, kDesktopMove); }))
        << "window at " << now.left << "," << now.top << " " << now.right - now.left << "x" << now.bottom - now.top;
    EXPECT_EQ(g_strayMoves, 0) << "the server's reports of earlier requests moved the window";
    const RECT server = ServerGeometry(display, xid);
    EXPECT_TRUE(Same(server, kDesktopMove)) << "server has " << server.left << "," << server.top << " "
                                            << server.right - server.left << "x" << server.bottom - server.top;
    XCloseDisplay(display);
    DestroyWindow(hwnd);
}

TEST(X11Geometry, LastRequestWinsOverLateReportsAndDesktopMovesAreFollowed)
{
    if (std::getenv("QUILL_X11_CHILD")) {
        MoveSeveralTimesAndCheck();
        return;
    }
    if (!xvfbtest::XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    xvfbtest::XvfbSession xvfb(140, 400, "1920x1080x24");
    ASSERT_GE(xvfb.Number(), 0) << "Xvfb did not start";
    xvfbtest::TempHome home("quill-x11geo");
    ASSERT_TRUE(home.Made());
    int status = -1;
    ASSERT_TRUE(xvfb.RunSelf("X11Geometry.*", { "QUILL_X11_CHILD=1", "HOME=" + home.Path(), "TMPDIR=" + home.Path() },
                             status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the window side failed; status " << status;
}

}  // namespace
