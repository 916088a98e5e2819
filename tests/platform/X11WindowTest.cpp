// The X11 display on a private Xvfb server: a window painted with a known pattern and text, and a
// half-transparent layered window over it, are read back from the server's screen. The test
// starts its own Xvfb (and xcompmgr, which composes the alpha) and ends them by their ids; the
// window side runs in a child process (this program again) so it gets a fresh window manager.

#include "platform/WinGdi.h"
#include "platform/WinUser.h"

#include <gtest/gtest.h>
// After gtest: X11's macros (None, Bool ...) would clash with its names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <spawn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

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
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const bool composited = std::getenv("QUILL_X11_COMPOSITED") != nullptr;
    XImage* shot = nullptr;
    auto grab = [&] {
        if (shot)
            XDestroyImage(shot);
        shot = XGetImage(display, DefaultRootWindow(display), 0, 0, 320, 200, AllPlanes, ZPixmap);
        return shot != nullptr;
    };
    // The server, and the compositor, show the windows a moment later: look until they do.
    auto shown = [&] {
        return grab() && (XGetPixel(shot, kLeft + 150, kTop + 40) & 0xFFFFFF) == 0x0000FFu
            && (!composited || (XGetPixel(shot, kLeft + 175, kTop + 100) & 0xFFFFFF) == 0xFF7F7Fu);
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
    auto rgb = [&](int x, int y) { return XGetPixel(shot, x, y) & 0xFFFFFF; };
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
    XDestroyImage(shot);
    XCloseDisplay(display);
    DestroyWindow(hwnd);
}

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> envStore(extraEnv);
    for (char** e = environ; *e; ++e)
        envStore.emplace_back(*e);
    std::vector<char*> envp;
    for (std::string& e : envStore)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (args[0] != "/proc/self/exe")  // the servers are quiet; the window side's report is kept
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

// Starts Xvfb on a free display number; the display number, or -1.
int StartXvfb(pid_t& pid)
{
    for (int n = 90 + static_cast<int>(getpid() % 50); n < 400; ++n) {
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
        if (Exists(socket) || Exists("/tmp/.X" + std::to_string(n) + "-lock"))
            continue;
        pid = Spawn({ "Xvfb", ":" + std::to_string(n), "-screen", "0", "640x480x24", "-nolisten", "tcp" }, {});
        if (pid < 0)
            return -1;
        for (int i = 0; i < 200; ++i) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid)
                break;  // lost a race for that number: try the next
            if (Exists(socket))
                return n;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    return -1;
}

TEST(X11Window, PaintedPatternAndTextReadBackFromTheServer)
{
    if (std::getenv("QUILL_X11_CHILD")) {
        ShowPatternAndCheckScreen();
        return;
    }
    if (!Exists("/usr/bin/Xvfb"))
        GTEST_SKIP() << "Xvfb is not installed";
    pid_t server = -1;
    const int display = StartXvfb(server);
    ASSERT_GE(display, 0) << "Xvfb did not start";
    const std::string displayName = ":" + std::to_string(display);
    const pid_t compositor = Exists("/usr/bin/xcompmgr") ? Spawn({ "xcompmgr", "-d", displayName }, {}) : -1;
    if (compositor > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const char* tmp = std::getenv("TMPDIR");
    std::string home = std::string(tmp && *tmp ? tmp : "/tmp") + "/quill-x11-XXXXXX";
    ASSERT_NE(mkdtemp(home.data()), nullptr);
    const pid_t child = Spawn({ "/proc/self/exe", "--gtest_filter=X11Window.PaintedPatternAndTextReadBackFromTheServer" },
                              { "QUILL_X11_CHILD=1", "QUILL_BACKEND=x11", "DISPLAY=" + displayName, "HOME=" + home,
                                "TMPDIR=" + home, compositor > 0 ? "QUILL_X11_COMPOSITED=1" : "QUILL_X11_PLAIN=1" });
    int status = -1;
    if (child > 0)
        waitpid(child, &status, 0);
    if (compositor > 0) {
        kill(compositor, SIGTERM);
        waitpid(compositor, nullptr, 0);
    }
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    rmdir(home.c_str());
    ASSERT_GT(child, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the window side failed; status " << status;
}

}  // namespace
