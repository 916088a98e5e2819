// A hand-built control tree painted by its window's paint manager in a real X11 window, read back
// from a private Xvfb server. The test starts its own Xvfb and ends it by its id; the window side
// runs in a child process (this program again) so that it chooses the X11 display from the start.

#include "tests/ui/PaintManagerTest.h"

#include <gtest/gtest.h>
// After gtest and the framework: X11's macros (None, Bool ...) would clash with their names.
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
#include <string>
#include <thread>
#include <vector>

extern char** environ;

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

    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    XImage* shot = nullptr;
    auto grab = [&] {
        if (shot)
            XDestroyImage(shot);
        shot = XGetImage(display, DefaultRootWindow(display), 0, 0, 320, 200, AllPlanes, ZPixmap);
        return shot != nullptr;
    };
    auto rgb = [&](int x, int y) { return XGetPixel(shot, kLeft + x, kTop + y) & 0xFFFFFF; };
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
    XDestroyImage(shot);
    XCloseDisplay(display);
    ::SetWindowLongPtr(hwnd, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd);
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
    if (args[0] != "/proc/self/exe")  // the server is quiet; the window side's report is kept
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

// Starts Xvfb on a free display number; the display number, or -1.
int StartXvfb(pid_t& pid)
{
    for (int n = 150 + static_cast<int>(getpid() % 50); n < 400; ++n) {
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

TEST(PaintManagerX11, ControlTreeReadBackFromTheServer)
{
    if (std::getenv("QUILL_PM_X11_CHILD")) {
        // Other suites' global set-up asks for the headless display; this process wants X11.
        ::setenv("QUILL_BACKEND", "x11", 1);
        PaintTreeAndCheckScreen();
        return;
    }
    if (!Exists("/usr/bin/Xvfb"))
        GTEST_SKIP() << "Xvfb is not installed";
    pid_t server = -1;
    const int display = StartXvfb(server);
    ASSERT_GE(display, 0) << "Xvfb did not start";
    const char* tmp = std::getenv("TMPDIR");
    std::string home = std::string(tmp && *tmp ? tmp : "/tmp") + "/quill-pm-x11-XXXXXX";
    ASSERT_NE(mkdtemp(home.data()), nullptr);
    const pid_t child = Spawn({ "/proc/self/exe", "--gtest_filter=PaintManagerX11.ControlTreeReadBackFromTheServer" },
                              { "QUILL_PM_X11_CHILD=1", "QUILL_BACKEND=x11", "DISPLAY=:" + std::to_string(display),
                                "HOME=" + home, "TMPDIR=" + home });
    int status = -1;
    if (child > 0)
        waitpid(child, &status, 0);
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    rmdir(home.c_str());
    ASSERT_GT(child, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the window side failed; status " << status;
}

}  // namespace
}  // namespace pmtest
