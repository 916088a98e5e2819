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
#include <optional>
#include <string>
#include <thread>

namespace {

constexpr int kLeft = 40, kTop = 30, kWidth = 200, kHeight = 120;

// A shown window of the named class, registered with `proc` on first use.
HWND ShowWindowOfClass(const wchar_t* cls, WNDPROC proc, DWORD exStyle, const wchar_t* title, DWORD style, RECT box,
                       HWND owner = nullptr)
{
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.lpszClassName = cls;
    RegisterClassEx(&wc);  // fails, harmlessly, when the class is already there
    return CreateWindowEx(exStyle, cls, title, style, box.left, box.top, box.right - box.left, box.bottom - box.top, owner,
                          nullptr, nullptr, nullptr);
}

// Reads until the answer is the wanted one or the time is up, and gives the last answer. The
// program's requests reach the server over another connection, so a change may show a moment late.
template <typename Read>
auto AwaitAnswer(Read read, decltype(read()) wanted, std::chrono::seconds limit)
{
    const auto until = std::chrono::steady_clock::now() + limit;
    auto answer = read();
    while (answer != wanted && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        answer = read();
    }
    return answer;
}

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
    HWND hwnd = ShowWindowOfClass(L"X11PatternWnd", PatternProc, 0, L"pattern", WS_POPUP | WS_VISIBLE,
                                  { kLeft, kTop, kLeft + kWidth, kTop + kHeight });
    ASSERT_NE(hwnd, nullptr);
    // Half-transparent red over the white strip, right of the text.
    HWND glass = ShowWindowOfClass(L"X11GlassWnd", GlassProc, WS_EX_LAYERED, nullptr, WS_POPUP | WS_VISIBLE,
                                   { kLeft + 160, kTop + 85, kLeft + 195, kTop + 115 }, hwnd);
    ASSERT_NE(glass, nullptr);
    ASSERT_TRUE(SetLayeredWindowAttributes(glass, 0, 128, LWA_ALPHA));
    xvfbtest::ScreenShot screen;
    ASSERT_TRUE(screen.Connected());
    auto grab = [&] { return screen.Grab(320, 200); };
    auto rgb = [&](int x, int y) { return screen.Rgb(x, y); };
    // The server, and the compositor, show the windows a moment later: look until they do.
    auto shown = [&] {
        return grab() && rgb(kLeft + 150, kTop + 40) == 0x0000FFu && rgb(kLeft + 175, kTop + 100) == 0xFF7F7Fu;
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
    // Red at half alpha over white: blended by the compositing manager, or by us without one.
    EXPECT_EQ(rgb(kLeft + 175, kTop + 100), 0xFF7F7Fu);
    // The caret is inverted into the pixels as they go to the server: once moved, nothing of it
    // may stay where it was.
    const auto becomes = [&](int x, int y, uint32_t want) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (grab() && rgb(x, y) != want && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return rgb(x, y) == want;
    };
    ASSERT_TRUE(CreateCaret(hwnd, nullptr, 2, 16));
    ShowCaret(hwnd);  // shown where it was created, before it is placed
    EXPECT_TRUE(becomes(kLeft, kTop + 2, 0x00FFFFu));
    SetCaretPos(60, 10);
    EXPECT_TRUE(becomes(kLeft + 60, kTop + 12, 0x00FFFFu));
    EXPECT_TRUE(becomes(kLeft, kTop + 2, 0xFF0000u));
    DestroyCaret();
    EXPECT_TRUE(becomes(kLeft + 60, kTop + 12, 0xFF0000u));
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
    const xvfbtest::TempHome home("quill-x11");
    ASSERT_TRUE(home.Made());
    // First with no compositing manager (the translucent window is blended by us), then with one.
    for (bool composited : { false, true }) {
        if (composited && !server.StartCompositor())
            break;
        SCOPED_TRACE(composited ? "composited" : "plain");
        int status = -1;
        ASSERT_TRUE(server.RunSelf("X11Window.PaintedPatternAndTextReadBackFromTheServer",
                                   { "QUILL_X11_CHILD=1", "HOME=" + home.Path(), "TMPDIR=" + home.Path() }, status));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the window side failed; status " << status;
    }
}

// What the desktop is asked for: true when the window carries no Motif hints (decorated), false
// when they ask for no decorations; nothing while the window is not found.
std::optional<bool> AskedForDecorations(Display* display, const char* title)
{
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return std::nullopt;
    std::optional<bool> found;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        if (!XFetchName(display, children[i], &name) || !name)
            continue;
        const bool match = std::string(name) == title;
        XFree(name);
        if (!match)
            continue;
        const Atom hints = XInternAtom(display, "_MOTIF_WM_HINTS", False);
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(display, children[i], hints, 0, 5, False, AnyPropertyType, &type, &format, &items, &after, &data);
        const long* values = reinterpret_cast<const long*>(data);
        found = !(data && items == 5 && (values[0] & 2) && values[2] == 0);
        if (data)
            XFree(data);
    }
    if (children)
        XFree(children);
    return found;
}

// The window side: a window that drops its caption after it exists (as skinned windows do in
// WM_CREATE) must lose the desktop's decorations, and get them back with its caption.
void CheckDecorationsFollowCaption()
{
    HWND hwnd = ShowWindowOfClass(L"X11DecorWnd", DefWindowProc, 0, L"decor", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  { 10, 10, 130, 90 });
    ASSERT_NE(hwnd, nullptr);
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    auto awaitAsked = [&](bool decorated) {
        return AwaitAnswer([&] { return AskedForDecorations(display, "decor"); }, decorated, std::chrono::seconds(5));
    };
    EXPECT_EQ(awaitAsked(true), std::optional<bool>(true));
    SetWindowLong(hwnd, GWL_STYLE, GetWindowLong(hwnd, GWL_STYLE) & ~WS_CAPTION);
    EXPECT_EQ(awaitAsked(false), std::optional<bool>(false));
    SetWindowLong(hwnd, GWL_STYLE, GetWindowLong(hwnd, GWL_STYLE) | WS_CAPTION);
    EXPECT_EQ(awaitAsked(true), std::optional<bool>(true));
    XCloseDisplay(display);
    DestroyWindow(hwnd);
}

// Whether another client could take the pointer now: false while this program holds it.
bool PointerFree(Display* display)
{
    XSync(display, False);
    const int result = XGrabPointer(display, DefaultRootWindow(display), False, ButtonPressMask, GrabModeAsync,
                                    GrabModeAsync, 0, 0, CurrentTime);
    if (result == GrabSuccess)
        XUngrabPointer(display, CurrentTime);
    XSync(display, False);
    return result == GrabSuccess;
}

bool AwaitPointerFree(Display* display, bool wanted)
{
    return AwaitAnswer([display] { return PointerFree(display); }, wanted, std::chrono::seconds(2));
}

// The window side: a shown popup that takes input holds the pointer (a press elsewhere closes
// it); a click-through one, such as a window's shadow, and a dialog that disables its owner (an
// export's progress may stay up for minutes) must leave it to other programs.
void CheckOnlyInputPopupsHoldThePointer()
{
    HWND owner = ShowWindowOfClass(L"X11GrabWnd", DefWindowProc, 0, L"owner", WS_POPUP | WS_VISIBLE, { 10, 10, 210, 160 });
    ASSERT_NE(owner, nullptr);
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    struct Case {
        const char* name;
        DWORD exStyle;
        bool ownerDisabled;
        bool holds;
    };
    const Case cases[] = {
        { "menu-like popup", WS_EX_TOOLWINDOW, false, true },
        { "shadow", WS_EX_LAYERED | WS_EX_TRANSPARENT, false, false },
        { "no-activate popup", WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, false, false },
        { "modal dialog", WS_EX_TOOLWINDOW, true, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND popup = ShowWindowOfClass(L"X11GrabWnd", DefWindowProc, c.exStyle, nullptr, WS_POPUP | WS_VISIBLE,
                                       { 30, 30, 70, 70 }, owner);
        ASSERT_NE(popup, nullptr);
        EnableWindow(owner, !c.ownerDisabled);
        EXPECT_EQ(AwaitPointerFree(display, !c.holds), !c.holds);
        EnableWindow(owner, TRUE);
        DestroyWindow(popup);
        EXPECT_TRUE(AwaitPointerFree(display, true)) << "let go when the popup goes";
    }
    XCloseDisplay(display);
    DestroyWindow(owner);
}

int g_activations = 0;

LRESULT CountingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE)
        ++g_activations;
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

void PumpFor(std::chrono::milliseconds span)
{
    const auto until = std::chrono::steady_clock::now() + span;
    while (std::chrono::steady_clock::now() < until) {
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// The window side: two activations in a row leave the server's focus reports of the first behind
// the second. Taken as fresh news, each would move the focus back and make new reports, and the
// windows would take turns for ever, eating every click on the way.
void CheckFocusReportsDoNotChaseOwnActivations()
{
    HWND first = ShowWindowOfClass(L"X11FocusWnd", CountingProc, 0, L"first", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                   { 10, 10, 160, 110 });
    HWND second = ShowWindowOfClass(L"X11FocusWnd", CountingProc, 0, L"second", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                    { 200, 10, 350, 110 });
    ASSERT_TRUE(first && second);
    PumpFor(std::chrono::milliseconds(300));
    for (int round = 0; round < 3; ++round) {
        SetActiveWindow(first);
        SetActiveWindow(second);
    }
    PumpFor(std::chrono::milliseconds(300));
    g_activations = 0;
    PumpFor(std::chrono::milliseconds(700));
    EXPECT_EQ(g_activations, 0) << "the windows still take the activation in turns";
    EXPECT_EQ(GetActiveWindow(), second);
    DestroyWindow(first);
    DestroyWindow(second);
}

// Runs the named test again as a child on a fresh Xvfb server (no compositor) and checks that its
// window side passed. Xvfb missing skips the test.
void RunWindowSideOnPrivateServer(const char* testName)
{
    if (!xvfbtest::XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    xvfbtest::XvfbSession server(90, 400);
    ASSERT_GE(server.Number(), 0) << "Xvfb did not start";
    const xvfbtest::TempHome home("quill-x11");
    ASSERT_TRUE(home.Made());
    int status = -1;
    ASSERT_TRUE(server.RunSelf(testName, { "QUILL_X11_CHILD=1", "HOME=" + home.Path(), "TMPDIR=" + home.Path() }, status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the window side failed; status " << status;
}

TEST(X11Window, OnlyPopupsThatTakeInputHoldThePointer)
{
    if (std::getenv("QUILL_X11_CHILD")) {
        CheckOnlyInputPopupsHoldThePointer();
        return;
    }
    RunWindowSideOnPrivateServer("X11Window.OnlyPopupsThatTakeInputHoldThePointer");
}

TEST(X11Window, DesktopDecorationsFollowTheCaptionStyle)
{
    if (std::getenv("QUILL_X11_CHILD")) {
        CheckDecorationsFollowCaption();
        return;
    }
    RunWindowSideOnPrivateServer("X11Window.DesktopDecorationsFollowTheCaptionStyle");
}

TEST(X11Window, FocusReportsDoNotChaseTheProgramsOwnActivations)
{
    if (std::getenv("QUILL_X11_CHILD")) {
        CheckFocusReportsDoNotChaseOwnActivations();
        return;
    }
    RunWindowSideOnPrivateServer("X11Window.FocusReportsDoNotChaseTheProgramsOwnActivations");
}

}  // namespace
