// Moving and sizing a top-level window several times in a row on a private Xvfb: the server's
// late reports of the earlier geometries must not pull the window back, while a move made by
// someone else (the desktop) is still followed. The window side runs in a child process (this
// program again) so it picks the X11 backend from its start; the test ends its Xvfb by id.

#include "platform/WinUser.h"

#include <gtest/gtest.h>
// After gtest: X11's macros (None, Bool ...) would clash with its names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

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

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv, bool quiet)
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
    if (quiet)
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

void End(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

// Starts Xvfb on a free display number; the display number, or -1.
int StartXvfb(pid_t& server)
{
    for (int n = 140 + static_cast<int>(getpid() % 50); n < 400; ++n) {
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
        if (Exists(socket) || Exists("/tmp/.X" + std::to_string(n) + "-lock"))
            continue;
        const pid_t pid = Spawn({ "Xvfb", ":" + std::to_string(n), "-screen", "0", "1920x1080x24", "-nolisten", "tcp" },
                                {}, true);
        if (pid < 0)
            return -1;
        for (int i = 0; i < 200; ++i) {
            if (waitpid(pid, nullptr, WNOHANG) == pid)
                break;  // lost a race for that number: try the next
            if (Exists(socket)) {
                server = pid;
                return n;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        End(pid);
    }
    return -1;
}

TEST(X11Geometry, LastRequestWinsOverLateReportsAndDesktopMovesAreFollowed)
{
    if (std::getenv("QUILL_X11_CHILD")) {
        MoveSeveralTimesAndCheck();
        return;
    }
    if (!Exists("/usr/bin/Xvfb"))
        GTEST_SKIP() << "Xvfb is not installed";
    pid_t server = -1;
    const int display = StartXvfb(server);
    ASSERT_GE(display, 0) << "Xvfb did not start";
    const char* tmp = std::getenv("TMPDIR");
    std::string home = std::string(tmp && *tmp ? tmp : "/tmp") + "/quill-x11geo-XXXXXX";
    ASSERT_NE(mkdtemp(home.data()), nullptr);
    const pid_t child = Spawn({ "/proc/self/exe", "--gtest_filter=X11Geometry.*" },
                              { "QUILL_X11_CHILD=1", "QUILL_BACKEND=x11", "DISPLAY=:" + std::to_string(display),
                                "HOME=" + home, "TMPDIR=" + home },
                              false);
    int status = -1;
    if (child > 0)
        waitpid(child, &status, 0);
    End(server);
    rmdir(home.c_str());
    ASSERT_GT(child, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the window side failed; status " << status;
}

}  // namespace
