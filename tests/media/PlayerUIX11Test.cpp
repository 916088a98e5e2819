// The player on a real X11 display: a private Xvfb server, a window with a player control playing
// a clip, and the server's screen read back where the video shows. The window side runs in a
// child process (this program again) so that it gets the X11 display from its start; the test
// starts Xvfb itself and ends it by its id.

#include "MediaTestSupport.h"
#include "media/PlayerOutputWindow.h"
#include "media/PlayerUI.h"
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
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

constexpr int kLeft = 40, kTop = 30, kWidth = 320, kHeight = 240;

bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

void Pump(int ms)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    MSG msg;
    while (std::chrono::steady_clock::now() < until) {
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessage(&msg);
        MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

// The window side, in the child process: red over blue must show where the control is.
void PlayAndReadTheScreen()
{
    const std::string clip = mediatest::Folder() + "halves.mp4";
    ASSERT_TRUE(mediatest::Shell("ffmpeg -nostdin -loglevel error -y -f lavfi -i "
                                 "'color=c=red:size=320x240:rate=25,drawbox=x=0:y=120:w=320:h=120:color=blue:t=fill' "
                                 "-t 3 -c:v libx264 -preset ultrafast -pix_fmt yuv420p '" + clip + "'"));
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProc;
    wc.lpszClassName = L"X11PlayerHost";
    ASSERT_TRUE(RegisterClassEx(&wc));
    HWND host = CreateWindowEx(0, L"X11PlayerHost", L"player", WS_POPUP | WS_VISIBLE, kLeft, kTop, kWidth, kHeight,
                               nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(host, nullptr);
    {
        CPlayerUI control;
        ASSERT_EQ(control.BindOutputWindow(PlayerOutputWindow::Create(host)), 1);
        control.SetPos({ 0, 0, kWidth, kHeight }, false);
        control.SetVisible(true);
        ASSERT_TRUE(control.Player().OpenAndPlay(clip, 0, "--no-audio", ""));
        for (int i = 0; i < 100 && control.Player().Frames()->FramesPublished() < 5; ++i)
            Pump(50);
        ASSERT_GE(control.Player().Frames()->FramesPublished(), 5u) << "no frames from libVLC";
        Pump(300);

        Display* display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        XImage* shot = XGetImage(display, DefaultRootWindow(display), 0, 0, 400, 300, AllPlanes, ZPixmap);
        ASSERT_NE(shot, nullptr);
        auto near = [&](int x, int y, unsigned long want) {
            const unsigned long got = XGetPixel(shot, x, y) & 0xFFFFFF;
            for (int shift : { 0, 8, 16 })
                if (std::abs(static_cast<int>((got >> shift) & 0xFF) - static_cast<int>((want >> shift) & 0xFF)) > 24)
                    return false;
            return true;
        };
        EXPECT_TRUE(near(kLeft + 160, kTop + 60, 0xFF0000)) << std::hex << XGetPixel(shot, kLeft + 160, kTop + 60);
        EXPECT_TRUE(near(kLeft + 160, kTop + 180, 0x0000FF)) << std::hex << XGetPixel(shot, kLeft + 160, kTop + 180);
        EXPECT_FALSE(near(kLeft + kWidth + 20, kTop + 60, 0xFF0000));  // nothing beyond the window
        XDestroyImage(shot);
        XCloseDisplay(display);
    }
    DestroyWindow(host);
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
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

// Starts Xvfb on a free display number; the number, or -1.
int StartXvfb(pid_t& pid)
{
    for (int n = 150 + static_cast<int>(getpid() % 50); n < 450; ++n) {
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
        if (Exists(socket) || Exists("/tmp/.X" + std::to_string(n) + "-lock"))
            continue;
        pid = Spawn({ "Xvfb", ":" + std::to_string(n), "-screen", "0", "640x480x24", "-nolisten", "tcp" }, {});
        if (pid < 0)
            return -1;
        for (int i = 0; i < 200; ++i) {
            if (waitpid(pid, nullptr, WNOHANG) == pid)
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

TEST(PlayerX11, VideoShowsInARealWindow)
{
    if (std::getenv("QUILL_PLAYER_X11_CHILD")) {
        PlayAndReadTheScreen();
        return;
    }
    if (!Exists("/usr/bin/Xvfb"))
        GTEST_SKIP() << "Xvfb is not installed";
    pid_t server = -1;
    const int display = StartXvfb(server);
    ASSERT_GE(display, 0) << "Xvfb did not start";
    const std::string home = mediatest::Folder() + "x11";
    mkdir(home.c_str(), 0700);
    const pid_t child = Spawn({ "/proc/self/exe", "--gtest_filter=PlayerX11.VideoShowsInARealWindow" },
                              { "QUILL_PLAYER_X11_CHILD=1", "QUILL_BACKEND=x11", "DISPLAY=:" + std::to_string(display),
                                "HOME=" + home, "TMPDIR=" + home });
    int status = -1;
    if (child > 0)
        waitpid(child, &status, 0);
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    ASSERT_GT(child, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the window side failed; status " << status;
}

}  // namespace
