// The headless screen: windows composed in z-order with their alpha and regions, child windows,
// the caret, size states, monitors and DPI.

#include "platform/WinBase.h"
#include "platform/WinGdi.h"
#include "platform/WinUser.h"
#include "platform/headless/HeadlessScreen.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace hl = platform::headless;

namespace {

std::vector<std::pair<HWND, UINT>> g_seen;
std::vector<WPARAM> g_dpiChanges;

// Fills its client area with the colour kept in its user data.
LRESULT FillProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    g_seen.emplace_back(hwnd, msg);
    if (msg == WM_DPICHANGED)
        g_dpiChanges.push_back(wParam);
    if (msg != WM_PAINT)
        return DefWindowProc(hwnd, msg, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtr(hwnd, GWLP_USERDATA)));
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    EndPaint(hwnd, &ps);
    return 0;
}

bool Near(uint32_t argb, int r, int g, int b)
{
    const int gotR = (argb >> 16) & 0xFF, gotG = (argb >> 8) & 0xFF, gotB = argb & 0xFF;
    return std::abs(gotR - r) <= 2 && std::abs(gotG - g) <= 2 && std::abs(gotB - b) <= 2;
}

MATCHER_P3(IsColour, r, g, b, "") { return Near(arg, r, g, b); }

class Composition : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hl::Use());
        hl::SetMonitors({ { 0, 0, 1920, 1080 } });
        g_seen.clear();
        g_dpiChanges.clear();
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = FillProc;
        wc.lpszClassName = L"FillWnd";
        RegisterClassEx(&wc);
    }
    void TearDown() override
    {
        for (HWND hwnd : m_windows)
            DestroyWindow(hwnd);
    }
    HWND Make(COLORREF colour, RECT r, DWORD exStyle = 0, DWORD style = WS_POPUP | WS_VISIBLE, HWND parent = nullptr)
    {
        HWND hwnd = CreateWindowEx(exStyle, L"FillWnd", nullptr, style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                   parent, nullptr, nullptr, nullptr);
        SetWindowLongPtr(hwnd, GWLP_USERDATA, static_cast<LONG_PTR>(colour));
        InvalidateRect(hwnd, nullptr, TRUE);
        if (!parent)
            m_windows.push_back(hwnd);
        return hwnd;
    }
    std::vector<HWND> m_windows;
};

TEST_F(Composition, OpaqueWindowsStackInZOrder)
{
    HWND red = Make(RGB(255, 0, 0), { 0, 0, 100, 100 });
    HWND blue = Make(RGB(0, 0, 255), { 50, 50, 150, 150 });
    hl::PumpMessages();
    EXPECT_THAT(hl::PixelAt(10, 10), IsColour(255, 0, 0));
    EXPECT_THAT(hl::PixelAt(75, 75), IsColour(0, 0, 255));  // the later window is on top
    EXPECT_THAT(hl::PixelAt(200, 200), IsColour(0, 0, 0));  // the desktop
    SetWindowPos(blue, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_THAT(hl::PixelAt(75, 75), IsColour(255, 0, 0));
    SetWindowPos(red, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(blue, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);  // still under the topmost one
    EXPECT_THAT(hl::PixelAt(75, 75), IsColour(255, 0, 0));
    ShowWindow(red, SW_HIDE);
    EXPECT_THAT(hl::PixelAt(75, 75), IsColour(0, 0, 255));
}

TEST_F(Composition, ConstantAlphaWindowBlendsOverTheOneBelow)
{
    Make(RGB(255, 255, 255), { 0, 0, 200, 200 });
    HWND glass = Make(RGB(255, 0, 0), { 50, 50, 150, 150 }, WS_EX_LAYERED);
    hl::PumpMessages();
    EXPECT_THAT(hl::PixelAt(100, 100), IsColour(255, 255, 255));  // layered, nothing given yet: not shown
    ASSERT_TRUE(SetLayeredWindowAttributes(glass, 0, 128, LWA_ALPHA));
    hl::PumpMessages();
    EXPECT_THAT(hl::PixelAt(100, 100), IsColour(255, 127, 127));
    EXPECT_THAT(hl::PixelAt(20, 20), IsColour(255, 255, 255));
}

TEST_F(Composition, PerPixelAlphaWindowComposesPremultipliedAndLetsTheMouseThroughWhereClear)
{
    HWND white = Make(RGB(255, 255, 255), { 0, 0, 200, 200 });
    // Owned by the white window, so it stays above it whichever is clicked.
    HWND layered = Make(0, { 0, 0, 100, 100 }, WS_EX_LAYERED, WS_POPUP | WS_VISIBLE, white);
    m_windows.insert(m_windows.begin(), layered);
    hl::PumpMessages();
    // A 100x100 picture: the left half 50 % green (premultiplied), the right half clear.
    BITMAPINFO info {};
    info.bmiHeader = { sizeof(BITMAPINFOHEADER), 100, -100, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    auto* pixels = static_cast<uint32_t*>(bits);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            pixels[y * 100 + x] = x < 50 ? 0x80008000u : 0u;
    HGDIOBJ old = SelectObject(memory, bitmap);
    POINT at { 20, 30 }, from { 0, 0 };
    SIZE size { 100, 100 };
    BLENDFUNCTION blend { AC_SRC_OVER, 0, 255, AC_SRC_ALPHA };
    ASSERT_TRUE(UpdateLayeredWindow(layered, nullptr, &at, &size, memory, &from, 0, &blend, ULW_ALPHA));
    EXPECT_THAT(hl::PixelAt(40, 60), IsColour(127, 255, 127));
    EXPECT_THAT(hl::PixelAt(100, 60), IsColour(255, 255, 255));  // clear pixels show the window below
    blend.SourceConstantAlpha = 128;  // the whole picture at half strength
    ASSERT_TRUE(UpdateLayeredWindow(layered, nullptr, nullptr, nullptr, memory, &from, 0, &blend, ULW_ALPHA));
    EXPECT_THAT(hl::PixelAt(40, 60), IsColour(191, 255, 191));
    g_seen.clear();
    hl::Click(100, 60);  // over a clear pixel
    hl::Click(40, 60);   // over a green one
    hl::PumpMessages();
    std::vector<HWND> clicked;
    for (const auto& [hwnd, msg] : g_seen)
        if (msg == WM_LBUTTONDOWN)
            clicked.push_back(hwnd);
    EXPECT_EQ(clicked, (std::vector<HWND> { white, layered }));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

TEST_F(Composition, WindowRegionCutsTheCorners)
{
    HWND round = Make(RGB(0, 255, 0), { 10, 10, 110, 110 });
    hl::PumpMessages();
    ASSERT_TRUE(SetWindowRgn(round, CreateRoundRectRgn(0, 0, 101, 101, 40, 40), TRUE));
    EXPECT_THAT(hl::PixelAt(11, 11), IsColour(0, 0, 0));
    EXPECT_THAT(hl::PixelAt(60, 60), IsColour(0, 255, 0));
    HRGN copy = CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(GetWindowRgn(round, copy), ERROR);
    EXPECT_FALSE(PtInRegion(copy, 1, 1));
    EXPECT_TRUE(PtInRegion(copy, 50, 50));
    DeleteObject(copy);
}

TEST_F(Composition, ChildWindowsDrawIntoTheirParentAtTheirPlace)
{
    HWND parent = Make(RGB(255, 255, 255), { 100, 100, 300, 300 });
    HWND child = Make(RGB(0, 0, 255), { 20, 30, 70, 80 }, 0, WS_CHILD | WS_VISIBLE, parent);
    hl::PumpMessages();
    EXPECT_THAT(hl::PixelAt(125, 135), IsColour(0, 0, 255));
    EXPECT_THAT(hl::PixelAt(115, 135), IsColour(255, 255, 255));
    POINT p { 0, 0 };
    ClientToScreen(child, &p);
    EXPECT_EQ(p.x, 120);
    EXPECT_EQ(p.y, 130);
    EXPECT_EQ(WindowFromPoint({ 125, 135 }), child);
    // Repainting the parent paints the child over it again.
    InvalidateRect(parent, nullptr, TRUE);
    hl::PumpMessages();
    EXPECT_THAT(hl::PixelAt(125, 135), IsColour(0, 0, 255));
    MoveWindow(child, 100, 100, 50, 50, TRUE);
    hl::PumpMessages();
    EXPECT_THAT(hl::PixelAt(125, 135), IsColour(255, 255, 255));
    EXPECT_THAT(hl::PixelAt(210, 210), IsColour(0, 0, 255));
}

TEST_F(Composition, CaretShowsInvertedWhileShown)
{
    HWND hwnd = Make(RGB(255, 255, 255), { 0, 0, 100, 100 });
    hl::PumpMessages();
    ASSERT_TRUE(CreateCaret(hwnd, nullptr, 2, 16));
    SetCaretPos(10, 10);
    EXPECT_THAT(hl::PixelAt(10, 12), IsColour(255, 255, 255));  // created hidden
    ShowCaret(hwnd);
    EXPECT_THAT(hl::PixelAt(10, 12), IsColour(0, 0, 0));
    SetCaretPos(40, 40);  // moved: nothing is left where it was
    EXPECT_THAT(hl::PixelAt(10, 12), IsColour(255, 255, 255));
    EXPECT_THAT(hl::PixelAt(40, 42), IsColour(0, 0, 0));
    HideCaret(hwnd);
    EXPECT_THAT(hl::PixelAt(40, 42), IsColour(255, 255, 255));
    ShowCaret(hwnd);
    ASSERT_TRUE(CreateCaret(hwnd, nullptr, 2, 16));  // a new caret takes the shown one away
    EXPECT_THAT(hl::PixelAt(40, 42), IsColour(255, 255, 255));
    DestroyCaret();
}

TEST_F(Composition, MaximiseMinimiseAndRestore)
{
    HWND hwnd = Make(RGB(255, 0, 0), { 100, 100, 300, 200 }, 0, WS_POPUP | WS_VISIBLE | WS_THICKFRAME);
    hl::PumpMessages();
    g_seen.clear();
    ShowWindow(hwnd, SW_MAXIMIZE);
    RECT r;
    GetWindowRect(hwnd, &r);
    EXPECT_TRUE(IsZoomed(hwnd));
    EXPECT_EQ(r.right - r.left, 1920);
    EXPECT_EQ(r.bottom - r.top, 1040);  // the work area leaves out the task bar
    ShowWindow(hwnd, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(hwnd));
    GetClientRect(hwnd, &r);
    EXPECT_TRUE(IsRectEmpty(&r));
    hl::PumpMessages();
    EXPECT_THAT(hl::PixelAt(150, 150), IsColour(0, 0, 0));  // not on screen
    ShowWindow(hwnd, SW_RESTORE);
    GetWindowRect(hwnd, &r);
    EXPECT_FALSE(IsIconic(hwnd) || IsZoomed(hwnd));
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.right, 300);
    int sizes = 0;
    for (const auto& [h, msg] : g_seen)
        sizes += h == hwnd && msg == WM_SIZE;
    EXPECT_EQ(sizes, 3);  // maximised, minimised, restored
    hl::PumpMessages();
    EXPECT_THAT(hl::PixelAt(150, 150), IsColour(255, 0, 0));
}

TEST_F(Composition, MonitorsWorkAreasAndDpiChanges)
{
    hl::SetMonitors({ { 0, 0, 1280, 800 }, { 1280, 0, 2560, 1024 } }, 30);
    HWND right = Make(RGB(1, 1, 1), { 1400, 100, 1600, 300 });
    MONITORINFO info { sizeof(info), {}, {}, 0 };
    HMONITOR second = MonitorFromPoint({ 1500, 10 }, MONITOR_DEFAULTTONULL);
    ASSERT_TRUE(GetMonitorInfo(second, &info));
    EXPECT_EQ(info.rcWork.bottom, 994);
    EXPECT_EQ(info.dwFlags & MONITORINFOF_PRIMARY, 0u);
    EXPECT_EQ(MonitorFromWindow(right, MONITOR_DEFAULTTONULL), second);
    EXPECT_EQ(MonitorFromPoint({ -50, -50 }, MONITOR_DEFAULTTONULL), nullptr);
    EXPECT_NE(MonitorFromPoint({ -50, -50 }, MONITOR_DEFAULTTONEAREST), nullptr);
    UINT x = 0, y = 0;
    ASSERT_EQ(GetDpiForMonitor(second, MDT_EFFECTIVE_DPI, &x, &y), S_OK);
    EXPECT_EQ(x, 96u);
    hl::SetMonitorDpi(144, 1);
    ASSERT_EQ(g_dpiChanges.size(), 1u);  // only the window on that monitor
    EXPECT_EQ(LOWORD(g_dpiChanges.front()), 144);
    GetDpiForMonitor(second, MDT_EFFECTIVE_DPI, &x, &y);
    EXPECT_EQ(x, 144u);
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
}

TEST_F(Composition, TooltipShowsItsTextAtThePointerAndLetsClicksThrough)
{
    HWND owner = Make(RGB(0, 0, 0), { 0, 0, 400, 300 });
    hl::MoveMouse(100, 100);
    hl::PumpMessages();
    HWND tip = CreateWindowEx(0, TOOLTIPS_CLASS, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, nullptr, nullptr);
    ASSERT_NE(tip, nullptr);
    m_windows.insert(m_windows.begin(), tip);
    EXPECT_EQ(SendMessage(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 500);
    wchar_t text[] = L"导出视频";
    TTTOOLINFOW tool { sizeof(tool), TTF_IDISHWND, owner, reinterpret_cast<UINT_PTR>(owner), { 0, 0, 400, 300 }, nullptr, text, 0, nullptr };
    SendMessage(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessage(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    hl::PumpMessages();
    ASSERT_TRUE(IsWindowVisible(tip));
    RECT box;
    GetWindowRect(tip, &box);
    EXPECT_EQ(box.left, 100);
    EXPECT_GT(box.top, 100);  // below the pointer
    EXPECT_GT(box.right - box.left, 20);
    EXPECT_THAT(hl::PixelAt(box.left + 2, box.top + 2), IsColour(255, 255, 225));
    int ink = 0;
    for (uint32_t p : hl::Capture(box))
        ink += (p & 0xFF) < 0x80;
    EXPECT_GT(ink, 10);  // the text's glyphs
    EXPECT_EQ(WindowFromPoint({ box.left + 2, box.top + 2 }), owner);  // clicks go through the tip
    EXPECT_EQ(GetActiveWindow(), owner);
    SendMessage(tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
    EXPECT_FALSE(IsWindowVisible(tip));
}

TEST_F(Composition, TooltipGoesWhenItsWindowLosesTheActivation)
{
    HWND owner = Make(RGB(0, 0, 0), { 0, 0, 400, 300 });
    SetActiveWindow(owner);
    HWND tip = CreateWindowEx(0, TOOLTIPS_CLASS, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, nullptr, nullptr);
    ASSERT_NE(tip, nullptr);
    m_windows.insert(m_windows.begin(), tip);
    wchar_t text[] = L"关闭";
    TTTOOLINFOW tool { sizeof(tool), TTF_IDISHWND, owner, reinterpret_cast<UINT_PTR>(owner), { 0, 0, 400, 300 }, nullptr, text, 0, nullptr };
    SendMessage(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessage(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    hl::PumpMessages();
    ASSERT_TRUE(IsWindowVisible(tip));
    // A window opened later (a message box, the history) takes the activation: the tip never
    // stays over it, though the pointer has not moved.
    HWND later = Make(RGB(0, 0, 255), { 50, 50, 350, 250 });
    SetActiveWindow(later);
    hl::PumpMessages();
    EXPECT_FALSE(IsWindowVisible(tip));
    // Back in its window, the next hover shows it again.
    SetActiveWindow(owner);
    SendMessage(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    hl::PumpMessages();
    EXPECT_TRUE(IsWindowVisible(tip));
}

TEST_F(Composition, ScreenSavesAsPng)
{
    Make(RGB(0, 128, 255), { 0, 0, 64, 64 });
    hl::PumpMessages();
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/quill-win-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const std::string path = pattern + "/screen.png";
    ASSERT_TRUE(hl::SavePng(path));
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    unsigned char magic[8] {};
    EXPECT_EQ(std::fread(magic, 1, 8, f), 8u);
    std::fclose(f);
    EXPECT_EQ(magic[1], 'P');
    std::remove(path.c_str());
    rmdir(pattern.c_str());
}

}  // namespace

namespace {

HDC g_keptDC = nullptr;

// Paints through a DC it took once from GetDC and keeps, as a painter with its own offscreen does.
LRESULT KeptDCProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_PAINT)
        return DefWindowProc(hwnd, msg, wParam, lParam);
    PAINTSTRUCT ps;
    BeginPaint(hwnd, &ps);
    HBRUSH brush = CreateSolidBrush(RGB(0, 255, 0));
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(g_keptDC, &client, brush);
    DeleteObject(brush);
    EndPaint(hwnd, &ps);
    return 0;
}

}  // namespace

TEST_F(Composition, KeptWindowDCFollowsTheWindowWhenItGrows)
{
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = KeptDCProc;
    wc.lpszClassName = L"KeptDCWnd";
    RegisterClassEx(&wc);
    HWND hwnd = CreateWindowEx(0, L"KeptDCWnd", nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 80, 60, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    m_windows.push_back(hwnd);
    g_keptDC = GetDC(hwnd);
    hl::PumpMessages();
    EXPECT_THAT(hl::PixelAt(70, 50), IsColour(0, 255, 0));
    SetWindowPos(hwnd, nullptr, 0, 0, 128, 80, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    hl::PumpMessages();
    for (const POINT pt : { POINT { 120, 20 }, POINT { 20, 75 }, POINT { 127, 79 } })
        EXPECT_THAT(hl::PixelAt(pt.x, pt.y), IsColour(0, 255, 0)) << pt.x << "," << pt.y;
    ReleaseDC(hwnd, g_keptDC);
}
