// Files dragged from another program: the text/uri-list reading, and a drop on a real X11 window
// from a second X client acting as the drag source (XDND), which must arrive as WM_DROPFILES on
// a window that accepts files. The window side runs in a child process on a private Xvfb.

#include "platform/WinUser.h"
#include "platform/window/DragDrop.h"

#include <gtest/gtest.h>
// After gtest: X11's macros (None, Bool ...) would clash with its names.
#include "support/XdndDragSource.h"
#include "support/XvfbSession.h"

#include <X11/Xatom.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

TEST(Xdnd, UriListsGiveLocalFilesOnly)
{
    char host[256] = {};
    gethostname(host, sizeof(host) - 1);
    struct Case {
        std::string list;
        std::vector<std::wstring> files;
    };
    const Case cases[] = {
        { "file:///tmp/a%20clip.mp4\r\nfile:///tmp/b.mkv\r\n", { L"/tmp/a clip.mp4", L"/tmp/b.mkv" } },
        { "# a comment\nfile://localhost/tmp/%E8%A7%86%E9%A2%91.mp4", { L"/tmp/\u89C6\u9891.mp4" } },
        { "file://" + std::string(host) + "/home/x.mp4\n", { L"/home/x.mp4" } },
        { "http://example.org/x.mp4\nfile://elsewhere.invalid/x.mp4\nfile:/nohost\n", {} },
        { "file:///bad%2\nfile:///nul%00byte\nfile:///ok%41\n", { L"/okA" } },  // bad escapes are refused
        { "", {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        EXPECT_EQ(platform::FilesFromUriList(c.list), c.files);
    }
}

std::vector<std::wstring> g_dropped;

LRESULT DropProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_DROPFILES)
        return DefWindowProc(hwnd, msg, wParam, lParam);
    auto drop = reinterpret_cast<HDROP>(wParam);
    const UINT count = DragQueryFile(drop, 0xFFFFFFFFu, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring name(DragQueryFile(drop, i, nullptr, 0), L'\0');
        DragQueryFile(drop, i, name.data(), static_cast<UINT>(name.size() + 1));
        g_dropped.push_back(name);
    }
    DragFinish(drop);
    return 0;
}

void DropOnWindowAcceptingFiles()
{
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DropProc;
    wc.lpszClassName = L"XdndDropWnd";
    ASSERT_TRUE(RegisterClassEx(&wc));
    HWND hwnd = CreateWindowEx(0, L"XdndDropWnd", L"drop", WS_POPUP | WS_VISIBLE, 40, 30, 200, 120, nullptr, nullptr,
                               nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    DragAcceptFiles(hwnd, TRUE);
    xvfbtest::DragSource source;
    ASSERT_TRUE(source.Connected());
    const std::string uris = "file:///tmp/a%20clip.mp4\r\nfile:///tmp/%E8%A7%86%E9%A2%91.mkv\r\n";
    ::Window target = 0;
    bool finished = false;
    MSG msg;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < until && (!finished || g_dropped.empty())) {
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessage(&msg);
        if (target == 0 && (target = source.TargetAt(100, 80)) != 0)
            source.Begin(target, 100, 80);
        if (target != 0 && !finished)
            finished = source.Step(target, uris);
        MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    EXPECT_NE(target, 0u) << "the window never became a drop target";
    EXPECT_TRUE(source.accepted);
    EXPECT_TRUE(finished);
    EXPECT_TRUE(source.finishedAccepted);
    EXPECT_EQ(g_dropped, (std::vector<std::wstring> { L"/tmp/a clip.mp4", L"/tmp/\u89C6\u9891.mkv" }));
    DestroyWindow(hwnd);
}

TEST(Xdnd, FilesDraggedFromAnotherClientArriveAsDroppedFiles)
{
    if (std::getenv("QUILL_X11_CHILD")) {
        DropOnWindowAcceptingFiles();
        return;
    }
    if (!xvfbtest::XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    xvfbtest::XvfbSession server(90, 400);
    ASSERT_GE(server.Number(), 0) << "Xvfb did not start";
    const xvfbtest::TempHome home("quill-xdnd");
    ASSERT_TRUE(home.Made());
    int status = -1;
    ASSERT_TRUE(server.RunSelf("Xdnd.FilesDraggedFromAnotherClientArriveAsDroppedFiles",
                               { "QUILL_X11_CHILD=1", "HOME=" + home.Path(), "TMPDIR=" + home.Path() }, status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the window side failed; status " << status;
}

}  // namespace
