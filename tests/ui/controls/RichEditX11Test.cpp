// A rich edit in a real X11 window on a private Xvfb server: clicked and typed into with real
// input (the XTEST extension), its text read back. The window side runs in a child process (this
// program again) so it gets the X11 display; the test ends only what it started.

#include "ui/controls/RichEditUI.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "../SkinTestSupport.h"
#include "ui/core/WindowImplBase.h"

// After gtest and the framework: X11's macros would clash with their names.
#include "support/XvfbSession.h"
#include "support/FakeInput.h"

#include <X11/keysym.h>

using namespace SkinUI;
using xvfbtest::FakeInput;
using xvfbtest::PumpUntil;

namespace {

class EditWindow : public WindowImplBase {
public:
    CRichEditUI* Edit() { return static_cast<CRichEditUI*>(m_pm.FindControl(L"edit")); }
    POINT EditCentre()
    {
        const RECT rc = Edit()->GetPos();
        POINT pt { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 };
        ::ClientToScreen(m_hWnd, &pt);
        return pt;
    }

protected:
    const wchar_t* GetWindowClassName() const override { return L"RichEditX11"; }
    CUIString GetSkinFileName() override
    {
        return L"<Window size=\"300,120\"><VerticalLayout bkcolor=\"#FFFFFFFF\" inset=\"10,10,10,10\">"
               L"<RichEdit name=\"edit\" bkcolor=\"#FFF0F0F0\" textcolor=\"#FF000000\"/></VerticalLayout></Window>";
    }
};

void TypeAndReadBack()
{
    FakeInput input;
    ASSERT_TRUE(input.Usable()) << "no XTEST: libXtst.so.6 or the server's extension is missing";
    EditWindow window;
    ASSERT_NE(window.Create(nullptr, L"rich edit on X11", WS_VISIBLE | WS_POPUP, 0), nullptr);
    ::SetWindowPos(window.GetHWND(), nullptr, 50, 50, 300, 120, SWP_NOZORDER);
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(window.GetHWND()) && window.Edit()->GetPos().right > 0; }));
    PumpUntil([] { return false; }, 300);  // let the server map and place it
    input.Click(window.EditCentre());
    ASSERT_TRUE(PumpUntil([&] { return window.Edit()->IsFocused(); })) << "the click never focused the edit";
    for (KeySym sym : { XK_h, XK_i, XK_space, XK_2 })
        input.Type(sym);
    EXPECT_TRUE(PumpUntil([&] { return window.Edit()->GetText() == L"hi 2"; }));
    input.Type(XK_BackSpace);
    EXPECT_TRUE(PumpUntil([&] { return window.Edit()->GetText() == L"hi "; }));
    ::DestroyWindow(window.GetHWND());
}

}  // namespace

TEST(RichEditX11, TypedKeysReachTheText)
{
    if (std::getenv("QUILL_RICHEDIT_X11_CHILD")) {
        ::setenv("QUILL_BACKEND", "x11", 1);
        TypeAndReadBack();
        return;
    }
    if (!xvfbtest::XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    xvfbtest::XvfbSession server(500, 800, "640x480x24");
    ASSERT_GE(server.Number(), 0) << "Xvfb did not start";
    const char* tmp = std::getenv("TMPDIR");
    std::string home = tmp && *tmp ? tmp : "/tmp";
    home.append("/quill-richedit-x11-XXXXXX");
    ASSERT_NE(mkdtemp(home.data()), nullptr);
    int status = -1;
    ASSERT_TRUE(server.RunSelf("RichEditX11.TypedKeysReachTheText",
                               { "QUILL_RICHEDIT_X11_CHILD=1", "HOME=" + home, "TMPDIR=" + home }, status));
    rmdir(home.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the window side failed; status " << status;
}
