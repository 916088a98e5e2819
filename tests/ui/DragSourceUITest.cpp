// Dragging a drag-enabled control out of its window: its picture reaches another of our windows
// as a dropped bitmap, on the headless display and over the X11 drag-and-drop protocol on a
// private Xvfb server; Escape and a release over no window drop nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "SkinTestSupport.h"
#include "platform/WinBase.h"
#include "platform/headless/HeadlessScreen.h"
#include "ui/core/DialogBuilder.h"
#include "ui/core/PaintManagerUI.h"
// After gtest and the framework: X11's macros (None, Bool ...) would clash with their names.
#include "support/XvfbSession.h"
#include "support/FakeInput.h"

using namespace SkinUI;
namespace hl = platform::headless;

namespace {

// Window A holds a green drag-enabled control at client (10,10)-(50,40); window B only takes drops.
constexpr wchar_t kSourceSkin[] = LR"(<Window>
  <VerticalLayout bkcolor="#FFFFFFFF">
    <Control name="picture" drag="true" float="true" pos="10,10,50,40" bkcolor="#FF00C000"/>
  </VerticalLayout>
</Window>)";
constexpr wchar_t kTargetSkin[] = LR"(<Window><VerticalLayout bkcolor="#FF202020"/></Window>)";

constexpr RECT kSourceRect { 40, 40, 300, 200 };
constexpr RECT kTargetRect { 400, 40, 660, 200 };

struct Received {
    std::vector<HBITMAP> images;
};
Received* g_received = nullptr;

LRESULT CALLBACK DragProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == STM_SETIMAGE && g_received != nullptr) {
        g_received->images.push_back(reinterpret_cast<HBITMAP>(lParam));
        return lParam;  // kept: the test frees it
    }
    auto* manager = reinterpret_cast<CPaintManagerUI*>(::GetWindowLongPtr(hwnd, GWLP_USERDATA));
    LRESULT result = 0;
    if (manager != nullptr && manager->MessageHandler(msg, wParam, lParam, result))
        return result;
    return ::DefWindowProc(hwnd, msg, wParam, lParam);
}

// A top-level window run by a paint manager with a tree built from `skin`.
class SkinnedWindow {
public:
    SkinnedWindow(const wchar_t* skin, const RECT& rect)
    {
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DragProc;
        wc.lpszClassName = L"DragSourceTestWnd";
        ::RegisterClassEx(&wc);
        m_hwnd = ::CreateWindowEx(0, L"DragSourceTestWnd", nullptr, WS_POPUP | WS_VISIBLE, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, nullptr, nullptr);
        ::SetWindowLongPtr(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&m_manager));
        m_manager.Init(m_hwnd, L"drag");
        CDialogBuilder builder;
        m_manager.AttachDialog(builder.Create(skin, nullptr, nullptr, &m_manager));
    }
    ~SkinnedWindow()
    {
        ::SetWindowLongPtr(m_hwnd, GWLP_USERDATA, 0);
        ::DestroyWindow(m_hwnd);
    }
    SkinnedWindow(const SkinnedWindow&) = delete;
    SkinnedWindow& operator=(const SkinnedWindow&) = delete;
    CPaintManagerUI& Manager() { return m_manager; }
    HWND Handle() const { return m_hwnd; }

private:
    CPaintManagerUI m_manager;  // declared first: destroyed after the window
    HWND m_hwnd { nullptr };
};

struct Picture {
    int width { 0 }, height { 0 };
    uint32_t centre { 0 };
};

Picture Describe(HBITMAP bitmap)
{
    Picture picture;
    BITMAP info {};
    if (!::GetObject(bitmap, sizeof(info), &info))
        return picture;
    picture.width = info.bmWidth;
    picture.height = info.bmHeight;
    std::vector<uint32_t> pixels(static_cast<size_t>(info.bmWidth) * info.bmHeight);
    ::GetBitmapBits(bitmap, static_cast<LONG>(pixels.size() * 4), pixels.data());
    picture.centre = pixels[static_cast<size_t>(info.bmHeight / 2) * info.bmWidth + info.bmWidth / 2] & 0xFFFFFF;
    return picture;
}

POINT OnScreen(const RECT& window, int x, int y)
{
    return { window.left + x, window.top + y };
}

class DragSource : public testing::Test {
protected:
    void SetUp() override
    {
        skintest::UseHeadless();
        hl::SetMonitors({ { 0, 0, 1920, 1080 } });
        g_received = &m_received;
    }
    void TearDown() override
    {
        for (HBITMAP image : m_received.images)
            ::DeleteObject(image);
        g_received = nullptr;
    }
    Received m_received;
};

TEST_F(DragSource, ControlDraggedOntoAnotherWindowArrivesThereAsItsPicture)
{
    SkinnedWindow source(kSourceSkin, kSourceRect), target(kTargetSkin, kTargetRect);
    hl::PumpMessages();
    const POINT press = OnScreen(kSourceRect, 20, 20), over = OnScreen(kTargetRect, 100, 80);
    hl::MoveMouse(press.x, press.y);
    hl::PressButton(hl::Left, press.x, press.y);
    hl::MoveMouse(press.x + 6, press.y);
    hl::MoveMouse(over.x, over.y);
    hl::ReleaseButton(hl::Left, over.x, over.y);
    hl::PumpMessages();  // the whole drag runs inside: queue its input first

    ASSERT_EQ(m_received.images.size(), 1u);
    const Picture picture = Describe(m_received.images[0]);
    EXPECT_EQ(picture.width, 40);
    EXPECT_EQ(picture.height, 30);
    EXPECT_EQ(picture.centre, 0x00C000u);
}

TEST_F(DragSource, EscapeOrAReleaseOverNoWindowDropsNothing)
{
    struct Case {
        const char* name;
        bool escape;
        POINT release;
    };
    const Case cases[] = {
        { "escape over the target", true, OnScreen(kTargetRect, 100, 80) },
        { "released over the desktop", false, { 1000, 600 } },
    };
    SkinnedWindow source(kSourceSkin, kSourceRect), target(kTargetSkin, kTargetRect);
    hl::PumpMessages();
    ::SetActiveWindow(source.Handle());  // Escape goes to the focused window's thread
    ::SetFocus(source.Handle());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const POINT press = OnScreen(kSourceRect, 20, 20);
        hl::MoveMouse(press.x, press.y);
        hl::PressButton(hl::Left, press.x, press.y);
        hl::MoveMouse(press.x + 6, press.y);
        if (c.escape)
            hl::KeyDown(VK_ESCAPE);
        hl::MoveMouse(c.release.x, c.release.y);
        hl::ReleaseButton(hl::Left, c.release.x, c.release.y);
        if (c.escape)
            hl::KeyUp(VK_ESCAPE);
        hl::PumpMessages();
        EXPECT_TRUE(m_received.images.empty());
        hl::Advance(1000);
    }
    // The source window takes clicks again once a drag is over.
    const POINT press = OnScreen(kSourceRect, 20, 20), over = OnScreen(kTargetRect, 100, 80);
    hl::MoveMouse(press.x, press.y);
    hl::PressButton(hl::Left, press.x, press.y);
    hl::MoveMouse(over.x, over.y);
    hl::ReleaseButton(hl::Left, over.x, over.y);
    hl::PumpMessages();
    EXPECT_EQ(m_received.images.size(), 1u);
}

// The window side of the X11 test: the same drag made with real pointer input, so it goes out
// through the X drag-and-drop protocol and comes back in to window B.
void DragBetweenWindowsOverX11()
{
    Received received;
    g_received = &received;
    SkinnedWindow source(kSourceSkin, kSourceRect), target(kTargetSkin, kTargetRect);
    CControlUI* picture = source.Manager().FindControl(L"picture");
    ASSERT_NE(picture, nullptr);
    ASSERT_TRUE(xvfbtest::PumpUntil([&] { return picture->GetPos().right > 0; })) << "never painted";
    xvfbtest::FakeInput input;
    ASSERT_TRUE(input.Usable());
    std::thread hand([&input] {
        const POINT press = OnScreen(kSourceRect, 20, 20), over = OnScreen(kTargetRect, 100, 80);
        input.MoveTo(press);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        input.Press(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        input.MoveTo({ press.x + 6, press.y });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        input.MoveTo(over);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        input.MoveTo({ over.x + 4, over.y });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        input.Press(false);
    });
    const bool arrived = xvfbtest::PumpUntil([&] { return !received.images.empty(); });
    hand.join();
    g_received = nullptr;
    ASSERT_TRUE(arrived) << "no picture reached the target window";
    const Picture got = Describe(received.images[0]);
    EXPECT_EQ(got.width, 40);
    EXPECT_EQ(got.height, 30);
    EXPECT_EQ(got.centre, 0x00C000u);
    for (HBITMAP image : received.images)
        ::DeleteObject(image);
}

TEST(DragSourceX11, ControlDraggedBetweenTwoWindowsGoesThroughTheDesktopsProtocol)
{
    if (std::getenv("QUILL_X11_CHILD")) {
        ::setenv("QUILL_BACKEND", "x11", 1);  // the suite's global set-up asks for the headless display
        DragBetweenWindowsOverX11();
        return;
    }
    if (!xvfbtest::XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    xvfbtest::XvfbSession server(90, 400, "800x400x24");
    ASSERT_GE(server.Number(), 0) << "Xvfb did not start";
    const xvfbtest::TempHome home("quill-drag");
    ASSERT_TRUE(home.Made());
    int status = -1;
    ASSERT_TRUE(server.RunSelf("DragSourceX11.ControlDraggedBetweenTwoWindowsGoesThroughTheDesktopsProtocol",
                               { "QUILL_X11_CHILD=1", "HOME=" + home.Path(), "TMPDIR=" + home.Path() }, status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the window side failed; status " << status;
}

}  // namespace
