// A desktop dialog (a real zenity message box) opened from one of our windows on a private Xvfb
// server, with and without a window manager: it comes up above its owner and the owner's overlay
// (a popup no window manager stacks), centred on the owner when no
// window manager places it, holds the keyboard focus, and a click on its button reaches it, also
// after a tooltip of the owner has shown and gone. The file chooser, which ignores the owner zenity
// is given, is attached all the same, and closes with the Escape key it holds. The window side runs in a child process (this
// program again); a watcher thread there looks at the server over its own connection.

#include "platform/CommCtrl.h"
#include "platform/CommDlg.h"
#include "platform/WinUser.h"

#include <gtest/gtest.h>
// After gtest: X11's macros (None, Bool ...) would clash with its names.
#include "support/XvfbSession.h"
#include "support/FakeInput.h"

#include <X11/Xatom.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace {

constexpr char kTitle[] = "Quill dialog check";
constexpr RECT kOwnerBox { 500, 320, 1100, 680 };

LRESULT OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) { return DefWindowProc(hwnd, msg, wParam, lParam); }

template <typename Condition>
bool Await(Condition condition, std::chrono::seconds limit = std::chrono::seconds(20))
{
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::string NameOf(Display* display, ::Window window)
{
    char* name = nullptr;
    std::string text;
    if (XFetchName(display, window, &name) && name)
        text = name;
    if (name)
        XFree(name);
    return text;
}

// The root's child that holds `window` (its frame under a window manager).
::Window TopOf(Display* display, ::Window window)
{
    for (;;) {
        ::Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, window, &root, &parent, &children, &count))
            return 0;
        if (children)
            XFree(children);
        if (parent == root)
            return window;
        window = parent;
    }
}

// The shown window titled `title`, searched two levels down (a frame holds its client).
::Window FindShown(Display* display, const char* title)
{
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return 0;
    ::Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        ::Window* inner = nullptr;
        unsigned innerCount = 0;
        ::Window r = 0, p = 0;
        std::vector<::Window> candidates { children[i] };
        if (XQueryTree(display, children[i], &r, &p, &inner, &innerCount) && inner) {
            candidates.insert(candidates.end(), inner, inner + innerCount);
            XFree(inner);
        }
        for (::Window w : candidates) {
            XWindowAttributes attributes {};
            if (!found && NameOf(display, w) == title && XGetWindowAttributes(display, w, &attributes)
                && attributes.map_state == IsViewable)
                found = w;
        }
    }
    if (children)
        XFree(children);
    return found;
}

// True when the root's child holding `upper` is stacked above the one holding `lower`.
bool StackedAbove(Display* display, ::Window upper, ::Window lower)
{
    const ::Window top = TopOf(display, upper), bottom = TopOf(display, lower);
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return false;
    int upperAt = -1, lowerAt = -1;
    for (unsigned i = 0; i < count; ++i) {  // bottom first
        if (children[i] == top)
            upperAt = static_cast<int>(i);
        if (children[i] == bottom)
            lowerAt = static_cast<int>(i);
    }
    if (children)
        XFree(children);
    return upperAt > lowerAt && lowerAt >= 0;
}

bool HoldsFocus(Display* display, ::Window window)
{
    ::Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    return focus == window || (focus > 1 && TopOf(display, focus) == TopOf(display, window));
}

RECT ScreenRect(Display* display, ::Window window)
{
    XWindowAttributes attributes {};
    XGetWindowAttributes(display, window, &attributes);
    int x = 0, y = 0;
    ::Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    return { x, y, x + attributes.width, y + attributes.height };
}

// What the watcher saw, checked by the window side once the dialog has ended.
struct Seen {
    bool dialogShown = false, tipGone = true, attached = false, above = false, aboveOverlay = false, focused = false,
         centred = true, clicked = false;
    RECT dialog {};
};

// Watches the server while the window side sits in the modal message box: waits for the dialog,
// lets the tip go as the pointer leaving would, checks stacking, focus and placement, then clicks
// the dialog's button. A dialog that never takes the click is closed by its connection so the
// box returns and the test fails instead of hanging.
void Watch(HWND tip, bool managed, bool chooser, const std::atomic<bool>& answered, Seen& seen)
{
    xvfbtest::FakeInput input;
    Display* display = input.display;
    if (!input.Usable())
        return;
    ::Window dialog = 0;
    seen.dialogShown = Await([&] { return (dialog = FindShown(display, kTitle)) != 0; });
    if (!seen.dialogShown)
        return;
    if (tip) {
        PostMessage(tip, TTM_TRACKACTIVATE, FALSE, 0);
        seen.tipGone = Await([&] { return !IsWindowVisible(tip); });
    }
    const ::Window ownerWindow = FindShown(display, "dialog owner"), overlay = FindShown(display, "dialog overlay");
    seen.attached = Await([&] {
        ::Window transientFor = 0;
        return XGetTransientForHint(display, dialog, &transientFor) && transientFor == ownerWindow;
    });
    seen.above = Await([&] { return StackedAbove(display, dialog, ownerWindow); });
    seen.aboveOverlay = Await([&] { return StackedAbove(display, dialog, overlay); });
    seen.focused = Await([&] { return HoldsFocus(display, dialog); });
    seen.dialog = ScreenRect(display, dialog);
    if (!managed) {
        const RECT& d = seen.dialog;
        seen.centred = std::abs((d.left + d.right) - (kOwnerBox.left + kOwnerBox.right)) <= 2
            && std::abs((d.top + d.bottom) - (kOwnerBox.top + kOwnerBox.bottom)) <= 2;
    }
    // The message box's only button, "OK", sits at its bottom right; the chooser takes Escape.
    if (chooser)
        input.Type("Escape");
    else
        input.Click({ seen.dialog.right - 45, seen.dialog.bottom - 28 });
    seen.clicked = Await([&] { return answered.load(); }, std::chrono::seconds(10));
    if (!seen.clicked) {
        XKillClient(display, dialog);
        XFlush(display);
    }
}

// The dialog's answer: IDOK for the message box's button, IDCANCEL for a chooser left with Escape.
int RunDialog(HWND owner, bool chooser)
{
    if (!chooser)
        return MessageBox(owner, L"Leave now?", L"Quill dialog check", MB_OK);
    wchar_t file[MAX_PATH] = {};
    OPENFILENAMEW ofn {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = L"Quill dialog check";
    return GetOpenFileName(&ofn) ? IDOK : IDCANCEL;
}

void OpenDialogFromWindow(bool withTip, bool chooser)
{
    const bool managed = std::getenv("QUILL_TEST_WM") != nullptr;
    InitCommonControls();
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = OwnerProc;
    wc.lpszClassName = L"DialogOwnerWnd";
    RegisterClassEx(&wc);
    HWND owner = CreateWindowEx(0, L"DialogOwnerWnd", L"dialog owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, kOwnerBox.left,
                                kOwnerBox.top, kOwnerBox.right - kOwnerBox.left, kOwnerBox.bottom - kOwnerBox.top, nullptr,
                                nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    // Over the owner's middle, where the dialog comes up, as the editor's video overlays lie.
    HWND overlay = CreateWindowEx(WS_EX_TOOLWINDOW, L"DialogOwnerWnd", L"dialog overlay", WS_POPUP | WS_VISIBLE,
                                  kOwnerBox.left + 50, kOwnerBox.top + 50, 400, 260, owner, nullptr, nullptr, nullptr);
    ASSERT_NE(overlay, nullptr);
    SetActiveWindow(owner);
    ASSERT_TRUE(xvfbtest::PumpUntil([&] { return GetActiveWindow() == owner; }));
    HWND tip = nullptr;
    if (withTip) {
        tip = CreateWindowEx(0, TOOLTIPS_CLASS, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, nullptr, nullptr);
        ASSERT_NE(tip, nullptr);
        TTTOOLINFOW tool {};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND;
        tool.hwnd = owner;
        tool.uId = reinterpret_cast<UINT_PTR>(owner);
        tool.lpszText = const_cast<LPWSTR>(L"Close the window");
        SendMessage(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        SendMessage(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(kOwnerBox.left + 200, kOwnerBox.top + 150));
        SendMessage(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
        ASSERT_TRUE(IsWindowVisible(tip));
    }
    std::atomic<bool> answered { false };
    Seen seen;
    std::thread watcher([&] { Watch(tip, managed, chooser, answered, seen); });
    const int answer = RunDialog(owner, chooser);
    answered = true;
    watcher.join();
    ASSERT_TRUE(seen.dialogShown) << "the dialog never came up";
    EXPECT_TRUE(seen.tipGone);
    EXPECT_TRUE(seen.attached) << "the dialog is not attached to its owner";
    EXPECT_TRUE(seen.above) << "the dialog is not above its owner";
    EXPECT_TRUE(seen.aboveOverlay) << "the dialog is not above its owner's overlay";
    EXPECT_TRUE(seen.focused) << "the dialog does not hold the keyboard focus";
    EXPECT_TRUE(seen.centred) << "the dialog is not centred on its owner: " << seen.dialog.left << "," << seen.dialog.top
                              << " " << seen.dialog.right << "," << seen.dialog.bottom;
    EXPECT_TRUE(seen.clicked) << "the click (or key) on the dialog was lost";
    EXPECT_EQ(answer, chooser ? IDCANCEL : IDOK);
    DestroyWindow(owner);
}

void RunOnPrivateServer(const char* testName, bool managed)
{
    if (!xvfbtest::XvfbInstalled() || !xvfbtest::Exists("/usr/bin/zenity"))
        GTEST_SKIP() << "Xvfb or zenity is not installed";
    xvfbtest::XvfbSession server(40, 400, "1600x1000x24");  // room for the file chooser centred on its owner
    ASSERT_GE(server.Number(), 0) << "Xvfb did not start";
    if (managed && !server.StartWindowManager())
        GTEST_SKIP() << "openbox is not installed";
    const xvfbtest::TempHome home("quill-dialog");
    ASSERT_TRUE(home.Made());
    std::vector<std::string> env { "QUILL_X11_CHILD=1", "HOME=" + home.Path(), "TMPDIR=" + home.Path(),
                                   "XDG_CONFIG_HOME=" + home.Path(), "XDG_CACHE_HOME=" + home.Path(),
                                   "XDG_DATA_HOME=" + home.Path(), "GTK_A11Y=none", "NO_AT_BRIDGE=1" };
    if (managed)
        env.push_back("QUILL_TEST_WM=1");
    int status = -1;
    ASSERT_TRUE(server.RunSelf(testName, env, status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the window side failed; status " << status;
    for (const auto& entry : std::filesystem::directory_iterator(home.Path()))
        std::filesystem::remove_all(entry.path());  // what GTK keeps for the user
}

struct DialogCase {
    const char* name;
    bool managed;
    bool withTip;
    bool chooser;
};

class X11Dialog : public testing::TestWithParam<DialogCase> {};

TEST_P(X11Dialog, ComesUpAboveItsOwnerWithTheFocusAndTakesTheClick)
{
    if (std::getenv("QUILL_X11_CHILD")) {
        OpenDialogFromWindow(GetParam().withTip, GetParam().chooser);
        return;
    }
    const std::string name = std::string("Windows/X11Dialog.ComesUpAboveItsOwnerWithTheFocusAndTakesTheClick/") + GetParam().name;
    RunOnPrivateServer(name.c_str(), GetParam().managed);
}

INSTANTIATE_TEST_SUITE_P(Windows, X11Dialog,
                         testing::Values(DialogCase { "NoWindowManager", false, false, false },
                                         DialogCase { "NoWindowManagerAfterTip", false, true, false },
                                         DialogCase { "Openbox", true, false, false },
                                         DialogCase { "OpenboxAfterTip", true, true, false },
                                         DialogCase { "FileChooser", false, false, true },
                                         DialogCase { "OpenboxFileChooser", true, false, true }),
                         [](const testing::TestParamInfo<DialogCase>& info) { return std::string(info.param.name); });

}  // namespace
