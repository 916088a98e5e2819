// The real program on a real X11 display: it is copied into a program folder of its own (so that
// no updater is started beside it), run under a private Xvfb server with a scratch HOME, and its
// main window is read back and probed inside the rectangles of named controls.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "EditorTestSupport.h"
#include "platform/WinTypes.h"
#include "support/XvfbSession.h"

namespace {

constexpr int kScreenWidth = 1600, kScreenHeight = 1000;

struct Colour {
    int r, g, b;
};

Colour Split(unsigned long rgb)
{
    return { static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF), static_cast<int>(rgb & 0xFF) };
}

bool Near(unsigned long rgb, Colour want, int tolerance = 8)
{
    const Colour got = Split(rgb);
    return std::abs(got.r - want.r) <= tolerance && std::abs(got.g - want.g) <= tolerance
        && std::abs(got.b - want.b) <= tolerance;
}

constexpr Colour kTitleBar { 0x1C, 0x1E, 0x23 };

// The window's top-left corner on the screen: the first title-bar pixel down the middle column,
// then the first lit pixel along that row.
bool FindWindow(xvfbtest::ScreenShot& shot, POINT& corner)
{
    if (!shot.Grab(kScreenWidth, kScreenHeight))
        return false;
    for (int y = 0; y < kScreenHeight; ++y) {
        if (!Near(shot.Rgb(kScreenWidth / 2, y), kTitleBar, 2))
            continue;
        for (int x = 0; x < kScreenWidth; ++x)
            if (shot.Rgb(x, y + 20) != 0) {
                corner = { x, y };
                return true;
            }
    }
    return false;
}

}  // namespace

// The sizes in the desktop icon property (_NET_WM_ICON) of the window titled `title`; empty
// while there is no such window or it has no icon.
std::vector<std::pair<long, long>> IconSizesOf(Display* display, const char* title)
{
    std::vector<std::pair<long, long>> sizes;
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return sizes;
    for (unsigned i = 0; i < count && sizes.empty(); ++i) {
        char* name = nullptr;
        const bool named = XFetchName(display, children[i], &name) && name && std::string(name) == title;
        if (name)
            XFree(name);
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        if (!named || XGetWindowProperty(display, children[i], XInternAtom(display, "_NET_WM_ICON", False), 0, 1 << 20, False,
                                         AnyPropertyType, &type, &format, &items, &after, &data) != Success)
            continue;
        const auto* values = reinterpret_cast<const long*>(data);
        for (unsigned long at = 0; data && format == 32 && at + 2 <= items; at += 2 + values[at] * values[at + 1])
            sizes.emplace_back(values[at], values[at + 1]);
        if (data)
            XFree(data);
    }
    if (children)
        XFree(children);
    return sizes;
}

TEST(MainWndX11, RealProgramShowsTheFullMainWindow)
{
    if (!xvfbtest::XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    xvfbtest::XvfbSession server(200, 500, "1600x1000x24");
    ASSERT_GE(server.Number(), 0) << "Xvfb did not start";
    const std::string program = FreshFolder("x11-program"), home = FreshFolder("x11-home");
    for (const char* file : { "Quillmoor", "libSkinUI.so" })
        std::filesystem::copy_file(std::string(QUILL_BINARY_DIR "/bin/") + file, program + "/" + file);
    const pid_t editor = xvfbtest::Spawn({ program + "/Quillmoor" },
                                         { "DISPLAY=" + server.Name(), "QUILL_BACKEND=x11", "HOME=" + home,
                                           "TMPDIR=" + home, "XDG_DATA_HOME=" + home + "/data" },
                                         true);
    ASSERT_GT(editor, 0);
    ::setenv("DISPLAY", server.Name().c_str(), 1);
    xvfbtest::ScreenShot shot;
    ::unsetenv("DISPLAY");
    ASSERT_TRUE(shot.Connected());
    POINT corner {};
    bool found = false;
    for (int i = 0; i < 150 && !found; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        found = FindWindow(shot, corner);
    }
    ASSERT_TRUE(found) << "no main window on the screen";

    // Probes in window client pixels at 100 %, inside named controls of "main.xml".
    struct Probe { const char* control; int x, y; Colour want; };
    const Probe probes[] = {
        { "titlebar", 600, 20, kTitleBar },
        { "mainwnd (home page)", 600, 60, { 0x17, 0x18, 0x1C } },
        { "mainkong (home strip)", 600, 660, { 0x17, 0x18, 0x1C } },
        { "VideoCut's tile", 200, 280, { 0x20, 0x22, 0x28 } },
        { "VideoCut's tile accent", 80, 292, { 0x3D, 0x8B, 0xFD } },
        { "videoadjustment's tile", 600, 440, { 0x20, 0x22, 0x28 } },
        { "beside the last tile", 900, 440, { 0x17, 0x18, 0x1C } },
    };
    // The first paint can take seconds on a loaded machine: look again until it shows or the
    // time is up, then report every probe of the last look.
    const auto shows = [&] {
        if (!shot.Grab(kScreenWidth, kScreenHeight))
            return false;
        for (const Probe& p : probes)
            if (!Near(shot.Rgb(corner.x + p.x, corner.y + p.y), p.want))
                return false;
        return true;
    };
    for (const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
         !shows() && std::chrono::steady_clock::now() < until;)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(shot.Grab(kScreenWidth, kScreenHeight));
    for (const Probe& p : probes) {
        const unsigned long rgb = shot.Rgb(corner.x + p.x, corner.y + p.y);
        EXPECT_TRUE(Near(rgb, p.want)) << p.control << ": got " << std::hex << rgb;
    }
    // The window is the editor's 1024 pixels wide: dark up to its right edge, the desktop beyond.
    EXPECT_NE(shot.Rgb(corner.x + 1020, corner.y + 300), 0ul);
    EXPECT_EQ(shot.Rgb(corner.x + 1030, corner.y + 300), 0ul);
    // The desktop shows the program's icon for the window, at every size the icon file holds.
    Display* display = XOpenDisplay(server.Name().c_str());
    ASSERT_NE(display, nullptr);
    const std::vector<std::pair<long, long>> sizes = IconSizesOf(display, "Tessaly");
    XCloseDisplay(display);
    const std::vector<std::pair<long, long>> expected { { 16, 16 }, { 24, 24 }, { 32, 32 }, { 48, 48 },
                                                        { 64, 64 }, { 128, 128 }, { 256, 256 } };
    EXPECT_EQ(sizes, expected);
    shot.Close();
    xvfbtest::End(editor);
}
