// A button, an option, a slider and an edit in a real X11 window on a private Xvfb server, clicked
// and typed into through the XTEST extension as a user would, with the notifications they send
// and the pixels the server shows. The window side runs in a child process (this program again)
// so that it chooses the X11 display from its start.

#include "ui/controls/ButtonUI.h"
#include "ui/controls/EditUI.h"
#include "ui/controls/OptionUI.h"
#include "ui/controls/SliderUI.h"

#include <gtest/gtest.h>

#include "ControlTestSupport.h"

// After gtest and the framework: X11's macros (None, Bool ...) would clash with their names.
#include "support/XvfbSession.h"
#include "support/FakeInput.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>

using namespace ctltest;
using xvfbtest::FakeInput;
using xvfbtest::PumpUntil;

namespace {

constexpr int kLeft = 20, kTop = 20, kWidth = 300, kHeight = 200;

POINT OnScreen(POINT client)
{
    return { kLeft + client.x, kTop + client.y };
}

bool Logged(const SkinHost& host, const std::wstring& line)
{
    return std::find(host.log.begin(), host.log.end(), line) != host.log.end();
}

void ClickTypeAndCheckScreen()
{
    SkinHost host(L"<Window size=\"300,200\"><Font name=\"DejaVu Sans\" size=\"16\" default=\"true\"/>"
                  L"<VerticalLayout bkcolor=\"#FFFFFFFF\">"
                  L"<Button name=\"btn\" height=\"40\" bkcolor=\"#FF2060C0\" hotbkcolor=\"#FF2060C0\"/>"
                  L"<Option name=\"opt\" height=\"30\" bkcolor=\"#FF808080\" selectedbkcolor=\"#FF00A000\"/>"
                  L"<Slider name=\"sld\" height=\"20\" min=\"0\" max=\"100\" value=\"0\" bkcolor=\"#FF404040\" "
                  L"forecolor=\"#FFFF8000\" thumbsize=\"10,20\"/>"
                  L"<Edit name=\"ed\" height=\"40\" textcolor=\"#FF000000\"/><Control/>"
                  L"</VerticalLayout></Window>");
    ASSERT_NE(host.Create(nullptr, L"controls x11", WS_VISIBLE | WS_POPUP, 0), nullptr);
    ::SetWindowPos(host.GetHWND(), nullptr, kLeft, kTop, kWidth, kHeight, SWP_NOZORDER);
    ::ShowWindow(host.GetHWND(), SW_SHOW);
    xvfbtest::ScreenShot screen;
    ASSERT_TRUE(screen.Connected());
    auto rgbAt = [&](POINT client) {
        return screen.Grab(kLeft + kWidth, kTop + kHeight) ? screen.Rgb(kLeft + client.x, kTop + client.y) : 0xDEADBEEF;
    };
    // Laid out at the first paint: the places are known once the button shows.
    ASSERT_TRUE(PumpUntil([&] { return rgbAt(host.Centre(L"btn")) == 0x2060C0u; }))
        << std::hex << "button shows " << rgbAt(host.Centre(L"btn"));
    const POINT button = host.Centre(L"btn"), option = host.Centre(L"opt"), edit = host.Centre(L"ed");
    FakeInput input;
    ASSERT_TRUE(input.Usable()) << "the XTEST extension is not there";

    input.Click(OnScreen(button));
    EXPECT_TRUE(PumpUntil([&] { return Logged(host, L"click:btn"); }));

    EXPECT_EQ(rgbAt(option), 0x808080u);
    input.Click(OnScreen(option));
    EXPECT_TRUE(PumpUntil([&] { return Logged(host, L"selectchanged:opt"); }));
    EXPECT_TRUE(host.Find<COptionUI>(L"opt")->IsSelected());
    EXPECT_TRUE(PumpUntil([&] { return rgbAt(option) == 0x00A000u; })) << std::hex << "option shows " << rgbAt(option);

    auto* slider = host.Find<CSliderUI>(L"sld");
    const RECT track = slider->GetPos();
    input.Click(OnScreen({ track.left + (track.right - track.left) * 3 / 4, (track.top + track.bottom) / 2 }));
    EXPECT_TRUE(PumpUntil([&] { return slider->GetValue() > 50; })) << "value " << slider->GetValue();
    EXPECT_TRUE(PumpUntil([&] { return Logged(host, L"valuechanged:sld"); }));
    const POINT filled { track.left + (track.right - track.left) / 4, (track.top + track.bottom) / 2 };
    EXPECT_TRUE(PumpUntil([&] { return rgbAt(filled) == 0xFF8000u; })) << std::hex << "slider shows " << rgbAt(filled);

    auto* editControl = host.Find<CEditUI>(L"ed");
    input.Click(OnScreen(edit));
    ASSERT_TRUE(PumpUntil([&] { return ::FindWindowEx(host.GetHWND(), nullptr, L"EditWnd", nullptr) != nullptr; }));
    input.Type("4");
    input.Type("2");
    EXPECT_TRUE(PumpUntil([&] { return editControl->GetText() == L"42"; })) << "text " << testing::PrintToString(std::wstring(editControl->GetText().GetData()));
    input.Type("Return");
    EXPECT_TRUE(PumpUntil([&] { return Logged(host, L"return:ed"); }));
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), L"textchanged:ed"), 2);
    // The typed digits are on the screen: dark pixels in the edit's left part.
    const RECT box = editControl->GetPos();
    EXPECT_TRUE(PumpUntil([&] {
        if (!screen.Grab(kLeft + kWidth, kTop + kHeight))
            return false;
        for (int x = box.left + 2; x < box.left + 60; ++x)
            for (int y = box.top + 5; y < box.bottom - 5; ++y)
                if ((screen.Rgb(kLeft + x, kTop + y) & 0xFF) < 0x60)
                    return true;
        return false;
    })) << "no text in the edit";
    screen.Close();
    ::DestroyWindow(host.GetHWND());
    PumpUntil([] { return true; });
}

}  // namespace

TEST(ControlsX11, ClickedAndTypedIntoThroughTheServer)
{
    if (std::getenv("QUILL_CONTROLS_X11_CHILD")) {
        // Other suites' global set-up asks for the headless display; this process wants X11.
        ::setenv("QUILL_BACKEND", "x11", 1);
        ClickTypeAndCheckScreen();
        return;
    }
    if (!xvfbtest::XvfbInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    xvfbtest::XvfbSession server(150, 400, "400x300x24");
    ASSERT_GE(server.Number(), 0) << "Xvfb did not start";
    const xvfbtest::TempHome home("quill-controls-x11");
    ASSERT_TRUE(home.Made());
    int status = -1;
    const bool ran = server.RunSelf("ControlsX11.ClickedAndTypedIntoThroughTheServer",
                                    { "QUILL_CONTROLS_X11_CHILD=1", "HOME=" + home.Path(), "TMPDIR=" + home.Path() },
                                    status);
    ASSERT_TRUE(ran);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the window side failed; status " << status;
}
