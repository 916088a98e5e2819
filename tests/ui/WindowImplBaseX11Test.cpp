// The test skin's window as a real X11 window on a private Xvfb server: shown, dragged by its
// caption with real pointer input (the XTEST extension), read back by pixels, saved as a
// screenshot and closed by a click on its close button. The window side runs in a child process
// (this program again) so it gets a window system of its own; the test ends only what it started.

#include "ui/core/WindowImplBase.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "SkinTestSupport.h"

// After gtest and the framework: X11's macros (None, Bool, Status ...) would clash with their names.
#include "support/XvfbSession.h"
#include "support/FakeInput.h"

using namespace SkinUI;
using xvfbtest::FakeInput;
using xvfbtest::PumpUntil;

namespace {

class X11SkinWindow : public WindowImplBase {
public:
    POINT ScreenPoint(const wchar_t* name, int dx = 0, int dy = 0)
    {
        const RECT rc = m_pm.FindControl(name)->GetPos();
        POINT pt { (rc.left + rc.right) / 2 + dx, (rc.top + rc.bottom) / 2 + dy };
        ::ClientToScreen(m_hWnd, &pt);
        return pt;
    }

protected:
    const wchar_t* GetWindowClassName() const override { return L"X11SkinWindow"; }
    CUIString GetSkinFileName() override { return L"main.xml"; }
};

// Where the X server itself has the window with this title, in screen coordinates.
bool ServerRect(Display* display, const char* title, RECT& rect)
{
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return false;
    bool found = false;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        if (!XFetchName(display, children[i], &name) || !name)
            continue;
        found = std::strcmp(name, title) == 0;
        XFree(name);
        XWindowAttributes at {};
        if (found && XGetWindowAttributes(display, children[i], &at))
            rect = { at.x, at.y, at.x + at.width, at.y + at.height };
    }
    if (children)
        XFree(children);
    return found;
}

uint32_t RootPixel(Display* display, int x, int y)
{
    if (x < 0 || y < 0 || x >= DisplayWidth(display, 0) || y >= DisplayHeight(display, 0))
        return 0xDEADBEEF;  // reading off the screen is an X error that ends the process
    XImage* shot = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!shot)
        return 0xDEADBEEF;
    const uint32_t rgb = static_cast<uint32_t>(XGetPixel(shot, 0, 0) & 0xFFFFFF);
    XDestroyImage(shot);
    return rgb;
}

// The whole screen as a binary PPM in the test's own temporary folder.
bool SaveScreenshot(Display* display, const std::string& path)
{
    const int width = DisplayWidth(display, 0), height = DisplayHeight(display, 0);
    XImage* shot = XGetImage(display, DefaultRootWindow(display), 0, 0, width, height, AllPlanes, ZPixmap);
    if (!shot)
        return false;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out) {
        std::fprintf(out, "P6\n%d %d\n255\n", width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const unsigned long p = XGetPixel(shot, x, y);
                const unsigned char rgb[3] = { static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 8),
                                               static_cast<unsigned char>(p) };
                std::fwrite(rgb, 1, 3, out);
            }
        std::fclose(out);
    }
    XDestroyImage(shot);
    return out != nullptr;
}

void GiveUp(HWND hwnd, UINT, UINT_PTR, DWORD)
{
    DestroyWindow(hwnd);  // the close click never came: end the modal run so the test can fail
}

// The window side, in the child process.
void DragPaintAndClose()
{
    FakeInput input;
    ASSERT_TRUE(input.Usable()) << "no XTEST: libXtst.so.6 or the server's extension is missing";
    ASSERT_TRUE(skintest::InstallSkinArchive());
    X11SkinWindow window;
    ASSERT_NE(window.Create(nullptr, L"skin on X11", WS_VISIBLE | WS_OVERLAPPEDWINDOW, WS_EX_WINDOWEDGE), nullptr);
    window.CenterWindow();
    const auto shows = [&](const wchar_t* control, uint32_t rgb) {
        const POINT pt = window.ScreenPoint(control);
        return RootPixel(input.display, pt.x, pt.y) == rgb;
    };
    ASSERT_TRUE(PumpUntil([&] { return shows(L"page1", 0x0000FF); })) << "the window never showed";
    // The press must land where the window is: wait until the server has it where we put it.
    SetWindowPos(window.GetHWND(), nullptr, 0, 0, 400, 300, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    window.CenterWindow();
    ASSERT_TRUE(PumpUntil([&] {
        RECT rc {}, server {};
        GetWindowRect(window.GetHWND(), &rc);
        return rc.right - rc.left == 400 && ServerRect(input.display, "skin on X11", server) && EqualRect(&rc, &server)
            && shows(L"page1", 0x0000FF);
    }));

    RECT before {};
    GetWindowRect(window.GetHWND(), &before);
    // The whole drag goes to the server first: the press starts a nested move loop that takes
    // the motion and the release from the queue.
    POINT grip = window.ScreenPoint(L"gap");  // a plain control in the caption
    input.MoveTo(grip);
    input.Press(true);
    for (int step = 1; step <= 6; ++step)
        input.MoveTo({ grip.x + step * 10, grip.y + step * 5 });
    input.Press(false);
    RECT after {};
    PumpUntil([&] {
        GetWindowRect(window.GetHWND(), &after);
        return after.left - before.left == 60 && after.top - before.top == 30 && shows(L"gap", 0x303030);
    });
    EXPECT_EQ(after.left - before.left, 60);
    EXPECT_EQ(after.top - before.top, 30);
    EXPECT_EQ(after.right - after.left, 400);

    const char* tmp = std::getenv("TMPDIR");
    ASSERT_TRUE(SaveScreenshot(input.display, std::string(tmp) + "/skin-window.ppm"));
    const struct {
        const wchar_t* control;
        uint32_t rgb;
    } colours[] = {
        { L"gap", 0x303030 }, { L"closebtn", 0xE81123 }, { L"okbtn", 0x00AA00 }, { L"page1", 0x0000FF },
        { L"logo", 0x0080FF },  // an image from the archive
    };
    for (const auto& c : colours) {
        const POINT pt = window.ScreenPoint(c.control);
        EXPECT_EQ(RootPixel(input.display, pt.x, pt.y), c.rgb) << "at " << pt.x << "," << pt.y;
    }

    POINT close = window.ScreenPoint(L"closebtn");
    input.MoveTo(close);
    input.Press(true);
    input.Press(false);
    SetTimer(window.GetHWND(), 77, 5000, GiveUp);
    EXPECT_EQ(window.ShowModal(), 1u);
    EXPECT_FALSE(IsWindow(window.GetHWND()));
}

}  // namespace

TEST(WindowImplBaseX11, SkinWindowIsDraggedPaintedAndClosed)
{
    if (std::getenv("QUILL_SKIN_X11_CHILD")) {
        ::setenv("QUILL_BACKEND", "x11", 1);  // other suites' global set-up asks for the headless display
        DragPaintAndClose();
        return;
    }
    if (!xvfbtest::XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    if (void* xtest = dlopen("libXtst.so.6", RTLD_NOW))
        dlclose(xtest);
    else
        GTEST_SKIP() << "libXtst.so.6 is not installed: no pointer input to drag with";
    xvfbtest::XvfbSession server(150, 450, "800x600x24");
    ASSERT_GE(server.Number(), 0) << "Xvfb did not start";
    const xvfbtest::TempHome home("quill-skin-x11");
    ASSERT_TRUE(home.Made());
    int status = -1;
    ASSERT_TRUE(server.RunSelf("WindowImplBaseX11.SkinWindowIsDraggedPaintedAndClosed",
                               { "QUILL_SKIN_X11_CHILD=1", "HOME=" + home.Path(), "TMPDIR=" + home.Path() }, status));
    const std::string shot = home.Path() + "/skin-window.ppm";
    const bool saved = xvfbtest::Exists(shot);
    std::remove(shot.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the window side failed; status " << status;
    EXPECT_TRUE(saved) << "no screenshot was saved";
}
