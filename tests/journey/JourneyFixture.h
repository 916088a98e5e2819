#pragma once
// A user's journey through the real program: build/bin/Quillmoor started as a child process on a
// private Xvfb screen (1600x1000, 100 %) with openbox, in a brand-new home (no ~/.local, no XDG
// variables, TMPDIR inside the test's folder), driven only by X input (XTEST) at the places a user
// would click. Those places come from the program's own dump of its visible named controls
// (QUILL_CONTROL_RECTS, see ui/core/ControlRectDump.h); file choosers are the real zenity dialogs,
// answered by typing the path as a user would. Every wait is for a condition, with a generous
// deadline.

#include <gtest/gtest.h>

#include "media/MediaTestSupport.h"
#include "platform/WinUser.h"
// X11 after the framework's headers: its macros clash with their names.
#include "support/XvfbSession.h"
#include "support/FakeInput.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <sys/prctl.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>

namespace journey {

namespace fs = std::filesystem;

// One visible window of the program as it last dumped it.
struct WindowDump {
    std::string title;
    RECT frame {};
    std::multimap<std::string, RECT> controls;  // a list's rows repeat their names
};

inline POINT Centre(const RECT& rect)
{
    return { (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2 };
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The process ids of a process's children whose command is `command` (any when empty).
inline std::vector<pid_t> ChildrenOf(pid_t parent, const std::string& command = {})
{
    std::vector<pid_t> found;
    std::error_code ignored;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(parent) + "/task", ignored)) {
        std::ifstream children(task.path() / "children");
        pid_t pid = 0;
        while (children >> pid) {
            std::string comm = ReadFile("/proc/" + std::to_string(pid) + "/comm");
            while (!comm.empty() && comm.back() == '\n')
                comm.pop_back();
            if (command.empty() || comm == command)
                found.push_back(pid);
        }
    }
    return found;
}

template <class Done>
bool WaitUntil(Done done, int ms = 60000)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

class Journey : public ::testing::Test {
protected:
    static constexpr int kScreenWidth = 1600, kScreenHeight = 1000;

    void SetUp() override
    {
        if (!xvfbtest::XvfbInstalled() || !xvfbtest::Exists("/usr/bin/openbox"))
            GTEST_SKIP() << "Xvfb and openbox are needed";
        // The encoders the program leaves behind come to us, where the quit journey looks for them.
        prctl(PR_SET_CHILD_SUBREAPER, 1);
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        m_folder = mediatest::Folder() + name + "/";
        m_home = m_folder + "home";
        m_rects = m_folder + "rects";
        fs::create_directories(m_home);
        fs::create_directories(m_folder + "tmp");
        fs::create_directories(m_rects);
        m_server = std::make_unique<xvfbtest::XvfbSession>(100, 400, "1600x1000x24");
        ASSERT_GE(m_server->Number(), 0) << "no Xvfb display";
        setenv("DISPLAY", m_server->Name().c_str(), 1);
        m_input = std::make_unique<xvfbtest::FakeInput>();
        ASSERT_TRUE(m_input->Usable()) << "XTEST is needed";
        m_windowManager = xvfbtest::Spawn({ "openbox", "--sm-disable" }, {}, true, true);
        const Atom managerSelection = XInternAtom(m_input->display, "WM_S0", False);
        ASSERT_TRUE(WaitUntil([&] { return XGetSelectionOwner(m_input->display, managerSelection) != 0; }))
            << "openbox did not take the screen";
    }

    void TearDown() override
    {
        if (HasFailure())
            Report();
        EndProcess(m_program);
        // What the program left behind came to us: its encoders and dialogs.
        for (const char* command : { "ffmpeg", "zenity" })
            for (pid_t left : ChildrenOf(getpid(), command))
                EndProcess(left);
        m_input.reset();
        xvfbtest::End(m_windowManager);
        m_server.reset();
    }

    // Starts the program as a user would, in the fresh home; `encoderFolder`, when given, comes
    // first on PATH (an "ffmpeg" of the test's own there).
    void StartProgram(const std::string& encoderFolder = {})
    {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string entry(*e);
            const std::string key = entry.substr(0, entry.find('='));
            if (key.rfind("XDG_", 0) == 0 || key.rfind("QUILL_", 0) == 0 || key == "HOME" || key == "TMPDIR"
                || key == "DISPLAY" || key == "PATH")
                continue;
            env.push_back(entry);
        }
        const char* path = std::getenv("PATH");
        env.push_back("PATH=" + (encoderFolder.empty() ? "" : encoderFolder + ":") + (path ? path : "/usr/bin:/bin"));
        env.push_back("HOME=" + m_home);
        env.push_back("TMPDIR=" + m_folder + "tmp");
        env.push_back("DISPLAY=" + m_server->Name());
        env.push_back("QUILL_CONTROL_RECTS=" + m_rects);
        const std::string program = std::string(QUILL_BINARY_DIR) + "/bin/Quillmoor";
        std::vector<char*> argv { const_cast<char*>(program.c_str()), nullptr };
        std::vector<char*> envp;
        for (std::string& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string log = m_folder + "program.log";
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        posix_spawn_file_actions_addchdir_np(&actions, m_folder.c_str());
        const int rc = posix_spawn(&m_program, program.c_str(), &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        ASSERT_EQ(rc, 0) << "cannot start " << program;
        WaitControl("VideoCut");
    }

    std::vector<WindowDump> Windows() const
    {
        std::vector<WindowDump> windows;
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator(m_rects, ignored)) {
            if (entry.path().extension() != ".rects")
                continue;
            std::istringstream lines(ReadFile(entry.path()));
            WindowDump window;
            std::string line;
            while (std::getline(lines, line)) {
                const size_t tab = line.rfind('\t');
                if (tab == std::string::npos)
                    continue;
                RECT rect {};
                std::istringstream(line.substr(tab + 1)) >> rect.left >> rect.top >> rect.right >> rect.bottom;
                const std::string name = line.substr(0, tab);
                if (name.rfind("window\t", 0) == 0) {
                    window.title = name.substr(7);
                    window.frame = rect;
                } else {
                    window.controls.emplace(name, rect);
                }
            }
            windows.push_back(std::move(window));
        }
        return windows;
    }

    bool FindControl(const std::string& name, RECT& rect) const
    {
        for (const WindowDump& window : Windows()) {
            const auto found = window.controls.find(name);
            if (found != window.controls.end() && !::IsRectEmpty(&found->second)) {
                rect = found->second;
                return true;
            }
        }
        return false;
    }

    // How many visible controls of the program are named `name`.
    int CountNamed(const std::string& name) const
    {
        int count = 0;
        for (const WindowDump& window : Windows())
            count += static_cast<int>(window.controls.count(name));
        return count;
    }

    // True when the named control shows a picture (many colours), not just its background: a row
    // of a list that names none of its parts.
    bool ShowsPicture(const std::string& name) const { return ColoursIn(name).size() > 8; }

    // True when the named control shows the skin's accent blue (a ticked box, a chosen option).
    bool ShowsAccent(const std::string& name) const
    {
        const std::set<unsigned long> colours = ColoursIn(name);
        return std::any_of(colours.begin(), colours.end(), [](unsigned long rgb) {
            const unsigned long red = rgb >> 16, green = (rgb >> 8) & 0xFF, blue = rgb & 0xFF;
            return blue > 200 && red < 100 && green > 90 && green < 170;
        });
    }

    std::set<unsigned long> ColoursIn(const std::string& name) const
    {
        std::set<unsigned long> colours;
        RECT rect {};
        xvfbtest::ScreenShot screen;
        if (!FindControl(name, rect) || !screen.Connected() || !screen.Grab(kScreenWidth, kScreenHeight))
            return colours;
        for (int y = rect.top + 1; y < rect.bottom - 1; y += 2)
            for (int x = rect.left + 1; x < rect.right - 1; x += 2)
                colours.insert(screen.Rgb(x, y));
        return colours;
    }

    // Where the named control is once it shows; an empty rectangle (and a failure) when it never does.
    RECT WaitControl(const std::string& name, int ms = 60000)
    {
        RECT rect {};
        if (HasFailure())
            return rect;  // one failed step is enough: the journey stops there
        EXPECT_TRUE(WaitUntil([&] { return FindControl(name, rect); }, ms)) << "\"" << name << "\" never showed";
        return rect;
    }

    void Click(POINT at)
    {
        m_input->MoveTo(at);
        m_input->Press(true);
        m_input->Press(false);
    }

    void Click(const std::string& name)
    {
        const RECT rect = WaitControl(name);
        if (!::IsRectEmpty(&rect))
            Click(Centre(rect));
    }

    // Clicks the named control until `done` holds, as a user clicks again when the first click
    // only brought the window to the front or came before the control took the mouse.
    template <class Done>
    void ClickUntil(const std::string& name, Done done, const std::string& expected)
    {
        for (int attempt = 0; attempt < 5; ++attempt) {
            if (HasFailure())
                return;
            Click(name);
            if (WaitUntil(done, 5000))
                return;
        }
        ADD_FAILURE() << "clicking \"" << name << "\" never brought " << expected;
    }

    void ClickFor(const std::string& name, const std::string& shows)
    {
        RECT rect {};
        ClickUntil(name, [&] { return FindControl(shows, rect); }, "\"" + shows + "\"");
    }

    // Presses at `from`, moves in steps to `to` and lets go, as a hand drags.
    void Drag(POINT from, POINT to)
    {
        m_input->MoveTo(from);
        m_input->Press(true);
        for (int step = 1; step <= 8; ++step) {
            m_input->MoveTo({ from.x + (to.x - from.x) * step / 8, from.y + (to.y - from.y) * step / 8 });
            XSync(m_input->display, False);
            std::this_thread::sleep_for(std::chrono::milliseconds(15));  // a hand's pace, not a wait
        }
        m_input->Press(false);
    }

    void Key(KeySym sym, bool shift = false, bool control = false)
    {
        const unsigned int code = XKeysymToKeycode(m_input->display, sym);
        const unsigned int shiftCode = XKeysymToKeycode(m_input->display, XK_Shift_L);
        const unsigned int controlCode = XKeysymToKeycode(m_input->display, XK_Control_L);
        if (shift)
            m_input->key(m_input->display, shiftCode, 1, 0);
        if (control)
            m_input->key(m_input->display, controlCode, 1, 0);
        m_input->key(m_input->display, code, 1, 0);
        m_input->key(m_input->display, code, 0, 0);
        XSync(m_input->display, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(15));  // a hand's pace, not a wait
        if (control)
            m_input->key(m_input->display, controlCode, 0, 0);
        if (shift)
            m_input->key(m_input->display, shiftCode, 0, 0);
        XSync(m_input->display, False);
    }

    void Type(const std::string& text)
    {
        for (char c : text) {
            const std::string single(1, c);
            KeySym sym = XStringToKeysym(single.c_str());
            if (c == '/') sym = XK_slash;
            if (c == '.') sym = XK_period;
            if (c == '-') sym = XK_minus;
            if (c == '_') sym = XK_underscore;
            if (c == ' ') sym = XK_space;
            const KeyCode code = XKeysymToKeycode(m_input->display, sym);
            Key(sym, XkbKeycodeToKeysym(m_input->display, code, 0, 0) != sym);
        }
    }

    // The title (_NET_WM_NAME, UTF-8) of the top-level window that has the keyboard focus.
    std::string FocusedTitle()
    {
        Display* display = m_input->display;
        const Atom nameAtom = XInternAtom(display, "_NET_WM_NAME", False);
        const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
        ::Window focus = 0;
        int revert = 0;
        XGetInputFocus(display, &focus, &revert);
        while (focus != 0 && focus != PointerRoot) {
            Atom type = 0;
            int format = 0;
            unsigned long count = 0, after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(display, focus, nameAtom, 0, 1024, False, utf8, &type, &format, &count, &after, &data)
                    == Success
                && data) {
                const std::string title(reinterpret_cast<char*>(data), count);
                XFree(data);
                return title;
            }
            ::Window root = 0, parent = 0, *children = nullptr;
            unsigned int childCount = 0;
            if (!XQueryTree(display, focus, &root, &parent, &children, &childCount))
                break;
            if (children)
                XFree(children);
            focus = parent == root ? 0 : parent;
        }
        return {};
    }

    // Answers the program's open-file dialog (real zenity) as a user does: once it has the
    // keyboard, Ctrl+L puts the caret in its location field (selecting what is there), the path is
    // typed at a hand's pace and Enter pressed. GTK shows that field a moment after the key, and
    // keys that come before it are lost, so a dialog still there after Enter is tried again.
    void ChooseFile(const std::string& path)
    {
        const DesktopDialog dialog = WaitDesktopDialog();
        for (int attempt = 0; attempt < 8 && !dialog.Gone(m_program); ++attempt) {
            if (!WaitUntil([&] { return FocusedTitle() == dialog.title || dialog.Gone(m_program); }, 10000)) {
                Key(XK_Escape);  // a message of the dialog's own (a path it could not show) is in front
                continue;
            }
            Key(XK_l, false, true);
            Type(path);
            Key(XK_Return);
            WaitUntil([&] { return dialog.Gone(m_program); }, 3000);
        }
        ASSERT_TRUE(dialog.Gone(m_program)) << "the file dialog did not take " << path;
    }

    // Answers the program's question box (zenity) with its first button, Enter, once it has the
    // keyboard; true when it has gone.
    bool AnswerQuestion()
    {
        const DesktopDialog dialog = WaitDesktopDialog();
        if (dialog.pid == 0 || !WaitUntil([&] { return FocusedTitle() == dialog.title; }))
            return false;
        Key(XK_Return);
        return WaitUntil([&] { return dialog.Gone(m_program); });
    }

    struct DesktopDialog {
        pid_t pid = 0;
        std::string title;
        bool Gone(pid_t program) const
        {
            const std::vector<pid_t> dialogs = ChildrenOf(program, "zenity");
            return std::find(dialogs.begin(), dialogs.end(), pid) == dialogs.end();
        }
    };

    // The desktop dialog (zenity) the program shows, once it runs.
    DesktopDialog WaitDesktopDialog()
    {
        DesktopDialog dialog;
        if (HasFailure())
            return dialog;
        EXPECT_TRUE(WaitUntil([&] {
            const std::vector<pid_t> found = ChildrenOf(m_program, "zenity");
            dialog.pid = found.empty() ? 0 : found.front();
            return dialog.pid != 0;
        })) << "no desktop dialog came up";
        std::istringstream arguments(ReadFile("/proc/" + std::to_string(dialog.pid) + "/cmdline"));
        for (std::string argument; std::getline(arguments, argument, '\0');)
            if (argument.rfind("--title=", 0) == 0)
                dialog.title = argument.substr(8);
        return dialog;
    }

    // Opens a page from the start screen and loads `file` with the page's add button.
    void OpenPage(const std::string& card, const std::string& addButton, const std::string& file)
    {
        ClickFor(card, addButton);  // the first click may come while the new window is still placed
        Click(addButton);
        ChooseFile(file);
    }

    // Confirms the export dialog and, where the program asks whether to open the result, says no.
    void ConfirmExport(bool answersCompletion = true)
    {
        Click("Open");
        if (answersCompletion)
            Click("btn_cancel");
    }

    // True once `path` exists and no encoder of the program runs any more.
    bool WaitOutput(const std::string& path)
    {
        return WaitUntil([&] { return fs::exists(path) && ChildrenOf(m_program, "ffmpeg").empty(); });
    }

    // The files in the output folder whose names end with `ending`.
    std::vector<std::string> OutputFiles(const std::string& ending = {}) const
    {
        std::vector<std::string> found;
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator(OutputFolder(), ignored)) {
            const std::string path = entry.path().string();
            if (path.size() >= ending.size() && path.compare(path.size() - ending.size(), ending.size(), ending) == 0)
                found.push_back(path);
        }
        return found;
    }

    std::string OutputFolder() const { return m_home + "/Desktop/Tessaly/"; }
    std::string HistoryPath() const { return m_home + "/.local/share/Quillmoor/Config/History.xml"; }

    // What a user cares about after any journey: every window of the program on the screen, and
    // the history naming the export when `historyNames` is set.
    void ExpectOnScreenAndRemembered(const std::string& historyNames = {})
    {
        const std::vector<WindowDump> windows = Windows();
        EXPECT_FALSE(windows.empty()) << "no window of the program is mapped";
        for (const WindowDump& window : windows) {
            SCOPED_TRACE(window.title);
            EXPECT_GE(window.frame.left, 0);
            EXPECT_GE(window.frame.top, 0);
            EXPECT_LE(window.frame.right, kScreenWidth);
            EXPECT_LE(window.frame.bottom, kScreenHeight);
        }
        if (historyNames.empty())
            return;
        EXPECT_TRUE(WaitUntil([&] { return ReadFile(HistoryPath()).find(historyNames) != std::string::npos; }, 10000))
            << HistoryPath() << " does not name " << historyNames;
    }

    // What the program showed and said, for a failed journey.
    void Report() const
    {
        for (const WindowDump& window : Windows()) {
            std::string names;
            for (const auto& [name, rect] : window.controls)
                names += name + " ";
            std::fprintf(stderr, "window \"%s\" (%d,%d)-(%d,%d): %s\n", window.title.c_str(), int(window.frame.left),
                         int(window.frame.top), int(window.frame.right), int(window.frame.bottom), names.c_str());
        }
        for (const std::string& file : OutputFiles())
            std::fprintf(stderr, "output: %s\n", file.c_str());
        std::fprintf(stderr, "program log:\n%s\n", ReadFile(m_folder + "program.log").c_str());
    }

    // Ends a process this test started (or that was left to it): politely, then by force.
    static void EndProcess(pid_t& pid)
    {
        if (pid <= 0)
            return;
        kill(pid, SIGTERM);
        if (!WaitUntil([&] { return waitpid(pid, nullptr, WNOHANG) == pid; }, 5000)) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        pid = -1;
    }
    static void EndProcess(pid_t&& pid) { EndProcess(pid); }

    std::string m_folder, m_home, m_rects;
    std::unique_ptr<xvfbtest::XvfbSession> m_server;
    std::unique_ptr<xvfbtest::FakeInput> m_input;
    pid_t m_windowManager = -1;
    pid_t m_program = -1;
};

}  // namespace journey
