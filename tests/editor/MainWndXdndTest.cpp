// Files dragged from another program onto the real main window on a real X11 display: the drop
// comes in over XDND and reaches the showing page's list. The window side runs in a child process
// on a private Xvfb server, the drag source is a second X client in that process.
#include <gtest/gtest.h>

#include "IncomingFilesFixture.h"
// After gtest and the framework: X11's macros (None, Bool ...) would clash with their names.
#include "support/XdndDragSource.h"
#include "support/XvfbSession.h"

namespace {

// A file URI of a local path, every byte but the unreserved ones escaped.
std::string FileUri(const std::string& path)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 15];
        }
    }
    return uri;
}

void PumpFor(int ms)
{
    MSG msg;
    while (::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessage(&msg);
    }
    ::MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void DropOnTheMergePage()
{
    ::setenv("QUILL_BACKEND", "x11", 1);  // the editor tests' environment chose the headless one
    HRSRC resource = ::FindResource(nullptr, MAKEINTRESOURCE(132), L"ZIP");
    ASSERT_NE(resource, nullptr);
    SkinUI::CPaintManagerUI::SetResourceZip(::LockResource(::LoadResource(nullptr, resource)),
                                            ::SizeofResource(nullptr, resource));
    std::vector<std::wstring> notices;
    CMessageWnd::SetAnswerer([&](const CMessageWnd& box) {
        notices.push_back(box.GetMessageText());
        return 1;
    });
    const std::wstring clip = incoming::VideoWithSound("dropped clip.mp4", 1);
    ASSERT_FALSE(clip.empty());
    auto* window = new CMainWnd();
    window->m_strAppFolder = AnsiToWide(FreshFolder("program")) + L"/";
    window->m_strDataFolder = AnsiToWide(FreshFolder("data")) + L"/";
    ASSERT_NE(window->Create(nullptr, L"Tessaly", WS_VISIBLE | WS_OVERLAPPEDWINDOW, WS_EX_WINDOWEDGE), nullptr);
    ::SetWindowPos(window->GetHWND(), nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    CMainWnd& w = *window;
    incoming::ShowPageOf(w, w.m_pVideoMergeL);
    incoming::Select(w.m_ptabmerge);
    RECT rc {};
    ::GetWindowRect(w.GetHWND(), &rc);
    const int x = (rc.left + rc.right) / 2, y = (rc.top + rc.bottom) / 2;

    xvfbtest::DragSource source;
    ASSERT_TRUE(source.Connected());
    auto* rows = static_cast<SkinUI::IContainerUI*>(w.m_pVideoMergeL->GetInterface(L"IContainer"));
    ::Window target = 0;
    bool finished = false;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < until && (!finished || rows->GetCount() == 0 || w.RunningWorkers() > 0)) {
        PumpFor(20);
        if (target == 0 && (target = source.TargetAt(x, y)) != 0)
            source.Begin(target, x, y);
        if (target != 0 && !finished)
            finished = source.Step(target, FileUri(WideToUtf8(clip)) + "\r\n");
    }
    EXPECT_NE(target, 0u) << "the main window never became a drop target";
    EXPECT_TRUE(source.finishedAccepted);
    EXPECT_EQ(rows->GetCount(), 1) << "the dropped file did not reach the merge list";
    EXPECT_FALSE(w.m_pVideoMergeAddFile->IsVisible()) << "the list shows in place of its placeholder";
    EXPECT_TRUE(notices.empty());
    ::DestroyWindow(w.GetHWND());
    PumpFor(0);
    if (w.WaitForWorkers(20000))
        delete window;
    CMessageWnd::SetAnswerer({});
}

}  // namespace

TEST(MainWndXdnd, AFileDraggedFromAnotherProgramReachesTheMergeList)
{
    if (std::getenv("QUILL_X11_CHILD")) {
        DropOnTheMergePage();
        return;
    }
    if (!xvfbtest::XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    xvfbtest::XvfbSession server(120, 500);
    ASSERT_GE(server.Number(), 0) << "Xvfb did not start";
    const xvfbtest::TempHome home("quill-editor-xdnd");
    ASSERT_TRUE(home.Made());
    int status = -1;
    ASSERT_TRUE(server.RunSelf("MainWndXdnd.AFileDraggedFromAnotherProgramReachesTheMergeList",
                               { "QUILL_X11_CHILD=1", "HOME=" + home.Path(), "TMPDIR=" + home.Path() }, status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the window side failed; status " << status;
}
