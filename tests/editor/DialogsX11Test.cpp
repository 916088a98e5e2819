// The export settings dialog and the message box in real X11 windows on a private Xvfb server,
// read back from the server at named controls. The windows live in a child process (this program
// again) so that it chooses the X11 display from its start.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "DialogTestSupport.h"
#include "EditorTestSupport.h"
#include "base/StringHelpers.h"
#include "editor/dialogs/MessageWnd.h"
#include "editor/dialogs/VideoPup.h"
#include "editor/mainwnd/MainWnd.h"
// After gtest and the framework: X11's macros (None, Bool ...) would clash with their names.
#include "support/XvfbSession.h"
#include "support/FakeInput.h"

namespace {

constexpr int kScreenWidth = 1024, kScreenHeight = 768;

struct Probe {
    const wchar_t* control;
    unsigned long rgb;
};

// Waits until every probe shows its colour at the middle of its control; reports the first miss.
void ExpectOnScreen(SkinUI::WindowImplBase& window, xvfbtest::ScreenShot& screen, const std::vector<Probe>& probes)
{
    for (const Probe& probe : probes) {
        SkinUI::CControlUI* control = window.GetPaintManager().FindControl(probe.control);
        ASSERT_NE(control, nullptr) << WideToUtf8(probe.control);
        unsigned long seen = 0;
        const bool shown = xvfbtest::PumpUntil([&] {
            const POINT at = ControlCentre(control);
            seen = screen.Grab(kScreenWidth, kScreenHeight) ? screen.Rgb(at.x, at.y) : 0xDEADBEEF;
            return seen == probe.rgb;
        });
        EXPECT_TRUE(shown) << WideToUtf8(probe.control) << " shows " << std::hex << seen;
    }
}

void ShowDialogsOnTheServer()
{
    ASSERT_TRUE(InstallEditorSkins());
    xvfbtest::ScreenShot screen;
    ASSERT_TRUE(screen.Connected());
    CMainWnd main;  // no window: the export settings the dialog fills
    main.m_strDataFolder = AnsiToWide(FreshFolder("x11data")) + L"/";
    main.m_strOutFolder = L"/home/u/Tessaly";
    main.m_exportInfo.name = L"片段";
    {
        CVideoPup settings(&main, L"");
        ASSERT_NE(settings.CreateOwned(nullptr), nullptr);
        ExpectOnScreen(settings, screen, { { L"Open", 0x3D8BFD }, { L"titlerow", 0x1C1E23 }, { L"Change", 0x272A31 } });
        ::PostMessage(settings.GetHWND(), WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_EQ(settings.ShowModal(), 2u);
    }
    auto* box = new CMessageWnd(L"您的视频文件已剪切完成，需要现在打开吗？", L"", L"", L"取消", L"打开", 1);
    ASSERT_NE(box->CreateOwned(nullptr), nullptr);
    ExpectOnScreen(*box, screen, { { L"btn_ok", 0x347AEB }, { L"btn_cancel", 0x347AEB }, { L"titlerow", 0x1C1E23 } });
    SkinUI::CControlUI* ok = box->GetPaintManager().FindControl(L"btn_ok");
    xvfbtest::FakeInput input;
    ASSERT_TRUE(input.Usable()) << "the XTEST extension is not there";
    input.Click(ControlCentre(ok));
    EXPECT_EQ(box->ShowModal(), 2u) << "a notice's OK answers 2";
    screen.Close();
}

}  // namespace

TEST(DialogsX11, ExportSettingsAndMessageBoxOnTheServer)
{
    if (std::getenv("QUILL_DIALOGS_X11_CHILD")) {
        // The editor tests' global set-up asks for the headless display; this process wants X11.
        ::setenv("QUILL_BACKEND", "x11", 1);
        ShowDialogsOnTheServer();
        return;
    }
    if (!xvfbtest::XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    xvfbtest::XvfbSession server(400, 650, "1024x768x24");
    ASSERT_GE(server.Number(), 0) << "Xvfb did not start";
    int status = -1;
    const std::string home = EditorScratchFolder();
    ASSERT_TRUE(server.RunSelf("DialogsX11.ExportSettingsAndMessageBoxOnTheServer",
                               { "QUILL_DIALOGS_X11_CHILD=1", "HOME=" + home, "TMPDIR=" + home,
                                 "XDG_DATA_HOME=" + home + "/data" },
                               status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the window side failed; status " << status;
}
