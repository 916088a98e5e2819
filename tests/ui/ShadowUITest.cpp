// The window shadow on the headless screen: computed and image shadows read back as composed
// pixels beside an invisible frame, its settings' ranges, and how it follows the frame.
#include "ui/core/ShadowUI.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "RenderEngineTest.h"
#include "SkinTestSupport.h"
#include "platform/headless/HeadlessScreen.h"
#include "ui/core/ControlUI.h"
#include "ui/core/DialogBuilder.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"

using namespace SkinUI;
namespace hl = platform::headless;

namespace {

// A layered frame at alpha 0 with a rectangular region: the screen shows only its shadow, so the
// shadow's hole under the frame reads as the black desktop.
class Frame {
public:
    explicit Frame(RECT at)
    {
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = ::DefWindowProc;
        wc.lpszClassName = L"ShadowTestFrame";
        ::RegisterClassEx(&wc);
        const int w = at.right - at.left, h = at.bottom - at.top;
        m_hwnd = ::CreateWindowEx(WS_EX_LAYERED, L"ShadowTestFrame", L"frame", WS_POPUP, at.left, at.top, w, h,
                                  nullptr, nullptr, nullptr, nullptr);
        ::SetLayeredWindowAttributes(m_hwnd, 0, 0, LWA_ALPHA);
        ::SetWindowRgn(m_hwnd, ::CreateRectRgn(0, 0, w, h), FALSE);
    }
    ~Frame() { ::DestroyWindow(m_hwnd); }
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;
    HWND hwnd() const { return m_hwnd; }

private:
    HWND m_hwnd { nullptr };
};

// Shows the frame with its manager's shadow made by attaching a one-control tree.
void Attach(CPaintManagerUI& pm, HWND frame)
{
    if (pm.GetPaintWindow() == nullptr)
        pm.Init(frame);
    ::ShowWindow(frame, SW_SHOWNOACTIVATE);
    pm.AttachDialog(new CControlUI());  // the manager owns it
    hl::PumpMessages();
}

uint32_t Rgb(int x, int y)
{
    return hl::PixelAt(x, y) & 0x00FFFFFFu;
}

// 0x8F8F8F at alpha a, premultiplied, over the black desktop.
uint32_t Grey(int alpha)
{
    const uint32_t c = 0x8Fu * static_cast<uint32_t>(alpha) / 255;
    return (c << 16) | (c << 8) | c;
}

#define ExpectNear(got, want) \
    do { SCOPED_TRACE(__LINE__); ExpectNearAt(got, want); } while (0)

void ExpectNearAt(uint32_t got, uint32_t want)
{
    for (int shift : { 0, 8, 16 }) {
        const int g = static_cast<int>((got >> shift) & 0xFF), w = static_cast<int>((want >> shift) & 0xFF);
        EXPECT_NEAR(g, w, 1) << std::hex << "got " << got << " want " << want;
    }
}

class ShadowTest : public testing::Test {
protected:
    void SetUp() override { skintest::UseHeadless(); }
};

}  // namespace

TEST_F(ShadowTest, ComputedShadowFadesOutwardAndLeavesTheFrameClear)
{
    const RECT at { 300, 300, 500, 400 };
    Frame frame(at);
    CPaintManagerUI pm;
    CShadowUI* shadow = pm.GetShadow();
    shadow->ShowShadow(true);
    ASSERT_TRUE(shadow->SetSize(5));
    ASSERT_TRUE(shadow->SetSharpness(5));
    ASSERT_TRUE(shadow->SetDarkness(150));
    ASSERT_TRUE(shadow->SetColor(0x8F8F8F));
    Attach(pm, frame.hwnd());
    ASSERT_NE(shadow->GetShadowWindow(), nullptr);
    ASSERT_TRUE(::IsWindowVisible(shadow->GetShadowWindow()));

    // Each pixel k outside the outline: alpha (1 - k/6) x 150, cut toward zero; none from 6 on.
    for (int k = 1; k <= 8; ++k) {
        SCOPED_TRACE(k);
        const int alpha = k < 6 ? static_cast<int>((1.0 - k / 6.0) * 150) : 0;
        ExpectNear(Rgb(at.left - k, 350), Grey(alpha));    // left
        ExpectNear(Rgb(at.right - 1 + k, 350), Grey(alpha));  // right
        ExpectNear(Rgb(400, at.top - k), Grey(alpha));     // top
        ExpectNear(Rgb(400, at.bottom - 1 + k), Grey(alpha));  // bottom
    }
    for (POINT inside : { POINT { at.left, 350 }, POINT { 400, 350 }, POINT { at.right - 1, at.bottom - 1 } })
        EXPECT_EQ(Rgb(inside.x, inside.y), 0u) << "the frame's own area shows no shadow";
}

TEST_F(ShadowTest, ImageShadowIsANineGridBeyondEachEdgeWithAClearCentre)
{
    const RECT at { 200, 200, 400, 360 };
    Frame frame(at);
    CPaintManagerUI pm;
    pm.Init(frame.hwnd());  // before the image: binding a window starts the window's tables afresh
    // Shadow pictures carry alpha; an opaque one would be copied without it and show nothing.
    std::vector<uint32_t> red(64 * 64, rendertest::Rgba(255, 0, 0, 200));
    const std::vector<unsigned char> png = rendertest::EncodePng(64, 64, red);
    TImageInfo* image = CRenderEngine::LoadImageFromMemory(png.data(), png.size(), 0);
    ASSERT_NE(image, nullptr);
    ASSERT_NE(pm.AddImage(L"shadowtest.png", image->hBitmap, image->nX, image->nY, image->bAlpha), nullptr);
    image->hBitmap = nullptr;  // the manager owns the bitmap now
    CRenderEngine::FreeImage(image);
    CShadowUI* shadow = pm.GetShadow();
    shadow->ShowShadow(true);
    ASSERT_TRUE(shadow->SetImage(L"shadowtest.png"));
    ASSERT_TRUE(shadow->SetShadowCorner(RECT { 30, 30, 30, 30 }));
    ASSERT_TRUE(shadow->SetSize(25));
    ASSERT_TRUE(shadow->SetPosition(10, 10));  // offsets are ignored with an image
    Attach(pm, frame.hwnd());
    const uint32_t kRed = 0xC80000u;  // 255 at alpha 200, premultiplied, over black

    EXPECT_EQ(Rgb(at.left - 25, 280), kRed);
    EXPECT_EQ(Rgb(at.left - 26, 280), 0u);
    EXPECT_EQ(Rgb(at.right + 24, 280), kRed);
    EXPECT_EQ(Rgb(at.right + 25, 280), 0u);
    EXPECT_EQ(Rgb(300, at.top - 25), kRed);
    EXPECT_EQ(Rgb(300, at.bottom + 25), 0u);
    EXPECT_EQ(Rgb(at.left + 4, 280), kRed) << "the corners reach 30 pixels into the picture";
    EXPECT_EQ(Rgb(at.left + 5, 280), 0u) << "the centre is left out";
    EXPECT_EQ(Rgb(300, 280), 0u);
}

TEST(Shadow, SettersRefuseValuesOutOfRange)
{
    CShadowUI shadow;
    EXPECT_FALSE(shadow.SetSize(51));
    EXPECT_FALSE(shadow.SetSize(-51));
    EXPECT_TRUE(shadow.SetSize(-50));
    EXPECT_FALSE(shadow.SetSharpness(21));
    EXPECT_TRUE(shadow.SetSharpness(20));
    EXPECT_FALSE(shadow.SetDarkness(256));
    EXPECT_TRUE(shadow.SetPosition(-20, 20));
    EXPECT_FALSE(shadow.SetPosition(21, 0));
    EXPECT_FALSE(shadow.SetPosition(0, -21));
    EXPECT_FALSE(shadow.SetImage(L""));
    EXPECT_FALSE(shadow.SetImage(nullptr));
    EXPECT_FALSE(shadow.SetShadowCorner(RECT { 0, -1, 0, 0 }));

    CShadowUI copy;
    shadow.ShowShadow(true);
    ASSERT_TRUE(shadow.CopyShadow(&copy));
    EXPECT_TRUE(copy.IsShowShadow());
}

TEST_F(ShadowTest, BuilderAttributesConfigureTheShadow)
{
    Frame frame({ 100, 100, 300, 200 });
    CPaintManagerUI pm;
    pm.Init(frame.hwnd());
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"<Window showshadow=\"true\" shadowsize=\"5\" shadowsharpness=\"5\" "
                                      L"shadowdarkness=\"150\" shadowcolor=\"#FF8F8F8F\" shadowposition=\"0,0\">"
                                      L"<Control/></Window>", nullptr, nullptr, &pm);
    ASSERT_NE(root, nullptr);
    EXPECT_TRUE(pm.GetShadow()->IsShowShadow());
    ::ShowWindow(frame.hwnd(), SW_SHOWNOACTIVATE);
    pm.AttachDialog(root);
    hl::PumpMessages();
    ExpectNear(Rgb(99, 150), Grey(125));
}

TEST_F(ShadowTest, FollowsTheFrameAndHidesWhenMaximised)
{
    Frame frame({ 300, 300, 500, 400 });
    CPaintManagerUI pm;
    CShadowUI* shadow = pm.GetShadow();
    shadow->ShowShadow(true);
    shadow->SetSize(5);
    shadow->SetColor(0x8F8F8F);
    Attach(pm, frame.hwnd());
    HWND shadowWnd = shadow->GetShadowWindow();
    RECT rc {};

    ::SetWindowPos(frame.hwnd(), nullptr, 100, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    hl::PumpMessages();
    ::GetWindowRect(shadowWnd, &rc);
    EXPECT_EQ(rc.left, 95);
    EXPECT_EQ(rc.top, 115);
    ExpectNear(Rgb(99, 170), Grey(125));

    ::ShowWindow(frame.hwnd(), SW_MAXIMIZE);
    hl::PumpMessages();
    EXPECT_FALSE(::IsWindowVisible(shadowWnd));
    ::ShowWindow(frame.hwnd(), SW_RESTORE);
    hl::PumpMessages();
    EXPECT_TRUE(::IsWindowVisible(shadowWnd));
    ::GetWindowRect(frame.hwnd(), &rc);
    ExpectNear(Rgb(rc.left - 1, (rc.top + rc.bottom) / 2), Grey(125));

    shadow->DisableShadow(true);
    EXPECT_FALSE(::IsWindowVisible(shadowWnd));
    RECT before {};
    ::GetWindowRect(shadowWnd, &before);
    ::SetWindowPos(frame.hwnd(), nullptr, 400, 400, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    hl::PumpMessages();
    ::GetWindowRect(shadowWnd, &rc);
    EXPECT_EQ(rc.left, before.left) << "a disabled shadow lets the frame's messages pass untouched";
    shadow->DisableShadow(false);
    EXPECT_TRUE(::IsWindowVisible(shadowWnd));
    ::GetWindowRect(shadowWnd, &rc);
    EXPECT_EQ(rc.left, 395);
}

TEST_F(ShadowTest, NegativeSizesAndTinyFramesStayInsideTheBitmap)
{
    // Run under AddressSanitizer: spans that start left of the bitmap must not be written there.
    const struct {
        RECT at;
        int size, sharpness, x, y;
    } cases[] = {
        { { 100, 100, 101, 101 }, 5, 5, 0, 0 },
        { { 100, 100, 101, 101 }, -5, 0, 0, 0 },
        { { 100, 100, 140, 130 }, -3, 10, 20, -20 },
        { { 100, 100, 140, 130 }, -50, 20, -20, 20 },
        { { 100, 100, 140, 130 }, 50, 0, 20, 20 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        Frame frame(c.at);
        CPaintManagerUI pm;
        CShadowUI* shadow = pm.GetShadow();
        shadow->ShowShadow(true);
        shadow->SetSize(c.size);
        shadow->SetSharpness(static_cast<unsigned>(c.sharpness));
        shadow->SetPosition(c.x, c.y);
        Attach(pm, frame.hwnd());
        EXPECT_NE(shadow->GetShadowWindow(), nullptr);
    }
}

TEST_F(ShadowTest, FramesOnTwoThreadsKeepTheirOwnShadows)
{
    // Message boxes run on job threads: each frame's shadow must be found without shared state.
    const auto run = [](int left, RECT* seen) {
        Frame frame({ left, 100, left + 100, 200 });
        CPaintManagerUI pm;
        pm.GetShadow()->ShowShadow(true);
        pm.GetShadow()->SetSize(5);
        Attach(pm, frame.hwnd());
        for (int i = 0; i < 50; ++i) {
            ::SetWindowPos(frame.hwnd(), nullptr, left + i, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            hl::PumpMessages();
        }
        ::GetWindowRect(pm.GetShadow()->GetShadowWindow(), seen);
    };
    RECT first {}, second {};
    std::thread a(run, 100, &first), b(run, 600, &second);
    a.join();
    b.join();
    EXPECT_EQ(first.left, 100 + 49 - 5);
    EXPECT_EQ(second.left, 600 + 49 - 5);
}
