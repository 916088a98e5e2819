#pragma once
// A private Xvfb server for the tests that need a real X11 display: started on a free display
// number, optionally with xcompmgr, waited for, and ended by its id when the session goes. The
// window side of such a test runs in a child process (this program again) so that it chooses the
// X11 display from its start; ScreenShot reads the server's screen back.
//
// Include after gtest and the framework's headers: X11's macros (None, Bool ...) clash with their
// names.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace xvfbtest {

inline bool Exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// Starts a program found on PATH with extra environment entries before the inherited ones; its
// standard output goes to /dev/null when quiet, and its error output too for a server (one left
// behind by a crashed test would hold the test runner's output open until its time-out). The
// child's id, or -1.
inline pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv, bool quiet,
                   bool server = false)
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
    if (server)
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

// Ends a process this test started, by its id, and reaps it.
inline void End(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

inline bool XvfbInstalled()
{
    return Exists("/usr/bin/Xvfb");
}

class XvfbSession {
public:
    // Tries display numbers from first (plus a share of the process id, so parallel test programs
    // spread out) below last; the screen is width x height x depth, as Xvfb takes it.
    XvfbSession(int first, int last, const std::string& screen = "640x480x24")
    {
        for (int n = first + static_cast<int>(getpid() % 50); n < last && display_ < 0; ++n)
            TryDisplay(n, screen);
    }
    ~XvfbSession()
    {
        End(windowManager_);
        End(compositor_);
        End(server_);
        if (!wmHome_.empty())
            std::filesystem::remove_all(wmHome_);
    }
    XvfbSession(const XvfbSession&) = delete;
    XvfbSession& operator=(const XvfbSession&) = delete;

    // The display number, or -1 when no server started.
    int Number() const { return display_; }
    std::string Name() const { return Numbered(":", display_); }

    // Starts xcompmgr on the display when it is installed; true when it runs.
    bool StartCompositor()
    {
        if (!Exists("/usr/bin/xcompmgr"))
            return false;
        compositor_ = Spawn({ "xcompmgr", "-d", Name() }, {}, true, true);
        if (compositor_ > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return compositor_ > 0;
    }

    // Starts openbox on the display when it is installed, with a private HOME it may write its
    // cache into, and waits until it manages the screen; true when it does.
    bool StartWindowManager()
    {
        if (!Exists("/usr/bin/openbox"))
            return false;
        const char* tmp = std::getenv("TMPDIR");
        wmHome_ = std::string(tmp && *tmp ? tmp : "/tmp") + "/quill-openbox-XXXXXX";
        if (!mkdtemp(wmHome_.data())) {
            wmHome_.clear();
            return false;
        }
        windowManager_ = Spawn({ "openbox", "--sm-disable" },
                               { "DISPLAY=" + Name(), "HOME=" + wmHome_, "XDG_CONFIG_HOME=" + wmHome_, "XDG_CACHE_HOME=" + wmHome_,
                                 "XDG_DATA_HOME=" + wmHome_ },
                               true, true);
        Display* display = windowManager_ > 0 ? XOpenDisplay(Name().c_str()) : nullptr;
        bool managing = false;
        for (int i = 0; display && i < 400 && !managing; ++i) {
            managing = XGetSelectionOwner(display, XInternAtom(display, "WM_S0", False)) != 0;
            if (!managing)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (display)
            XCloseDisplay(display);
        return managing;
    }

    // Runs this program again for one test, with DISPLAY and the X11 backend set besides the given
    // environment, and waits for it. False when it could not be started; else its wait status.
    bool RunSelf(const std::string& testName, std::vector<std::string> env, int& status, bool quiet = false) const
    {
        env.push_back("QUILL_BACKEND=x11");
        env.push_back("DISPLAY=" + Name());
        const pid_t child = Spawn({ "/proc/self/exe", "--gtest_filter=" + testName }, env, quiet);
        if (child <= 0)
            return false;
        waitpid(child, &status, 0);
        return true;
    }

private:
    // prefix followed by n; appended rather than "literal" + string, which trips a false
    // -Wrestrict in GCC 12.
    static std::string Numbered(const char* prefix, int n)
    {
        std::string text(prefix);
        text += std::to_string(n);
        return text;
    }

    // The process id written in the display's lock file, or -1. Another test program's server on
    // the same number makes the socket appear before ours gives up, so the socket alone says
    // nothing about whose server answers there.
    static pid_t LockHolder(int n)
    {
        FILE* lock = std::fopen((Numbered("/tmp/.X", n) + "-lock").c_str(), "r");
        if (lock == nullptr)
            return -1;
        long holder = -1;
        if (std::fscanf(lock, "%ld", &holder) != 1)
            holder = -1;
        std::fclose(lock);
        return static_cast<pid_t>(holder);
    }

    void TryDisplay(int n, const std::string& screen)
    {
        const std::string socket = Numbered("/tmp/.X11-unix/X", n);
        if (Exists(socket) || Exists(Numbered("/tmp/.X", n) + "-lock"))
            return;
        const pid_t pid
            = Spawn({ "Xvfb", Numbered(":", n), "-screen", "0", screen, "-nolisten", "tcp" }, {}, true, true);
        if (pid < 0)
            return;
        for (int i = 0; i < 200; ++i) {
            if (waitpid(pid, nullptr, WNOHANG) == pid)
                return;  // lost a race for that number: try the next
            if (Exists(socket) && LockHolder(n) == pid) {
                server_ = pid;
                display_ = n;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        End(pid);
    }

    int display_ = -1;
    pid_t server_ = -1;
    pid_t compositor_ = -1;
    pid_t windowManager_ = -1;
    std::string wmHome_;
};

// A private folder under TMPDIR for a child's HOME and TMPDIR, removed (when left empty) at the end.
class TempHome {
public:
    explicit TempHome(const std::string& prefix)
    {
        const char* tmp = std::getenv("TMPDIR");
        path_ = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + prefix + "-XXXXXX";
        made_ = mkdtemp(path_.data()) != nullptr;
    }
    ~TempHome()
    {
        if (made_)
            rmdir(path_.c_str());
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    bool Made() const { return made_; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    bool made_ = false;
};

// The server's screen, read back from its root window (in the child, where DISPLAY is set).
class ScreenShot {
public:
    ScreenShot() : display_(XOpenDisplay(nullptr)) {}
    ~ScreenShot() { Close(); }
    ScreenShot(const ScreenShot&) = delete;
    ScreenShot& operator=(const ScreenShot&) = delete;

    bool Connected() const { return display_ != nullptr; }
    // Reads the top-left width x height of the screen again; false when the server gave nothing.
    bool Grab(int width, int height)
    {
        if (image_)
            XDestroyImage(image_);
        image_ = XGetImage(display_, DefaultRootWindow(display_), 0, 0, width, height, AllPlanes, ZPixmap);
        return image_ != nullptr;
    }
    unsigned long Rgb(int x, int y) const { return XGetPixel(image_, x, y) & 0xFFFFFF; }
    // Lets the picture and the connection go before the windows they show are destroyed.
    void Close()
    {
        if (image_)
            XDestroyImage(image_);
        image_ = nullptr;
        if (display_)
            XCloseDisplay(display_);
        display_ = nullptr;
    }

private:
    Display* display_;
    XImage* image_ = nullptr;
};

}  // namespace xvfbtest
