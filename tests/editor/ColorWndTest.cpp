// The colour picker from its real skin on the headless display: its 90 swatches, a pick handed to
// the main window, and the ways it closes without one.
#include "editor/dialogs/ColorWnd.h"

#include <gtest/gtest.h>

#include <vector>

#include "DialogTestSupport.h"
#include "editor/mainwnd/MainWnd.h"
#include "ui/controls/ButtonUI.h"

namespace hl = platform::headless;

namespace {

constexpr DWORD kUnpicked = 0xFF123456;

void CollectSwatches(SkinUI::CControlUI* control, std::vector<SkinUI::CControlUI*>& found)
{
    if (control->GetName() == L"color")
        found.push_back(control);
    auto* container = static_cast<SkinUI::CContainerUI*>(control->GetInterface(L"Container"));
    for (int i = 0; container && i < container->GetCount(); ++i)
        CollectSwatches(container->GetItemAt(i), found);
}

class ColorWndTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hl::Use());
        ASSERT_TRUE(InstallEditorSkins());
        m_target.SetBkColor(kUnpicked);
        m_main.m_pColorTarget = &m_target;  // the text-colour swatch that opened the picker
        m_savedSettings = WatermarkSettings;
        WatermarkSettings.textColor = static_cast<int>(kUnpicked);
    }
    void TearDown() override
    {
        hl::PumpMessages();
        WatermarkSettings = m_savedSettings;  // a process-wide record other tests read
    }

    // The popup as the commands open it: text colour (target 1), not modal.
    HWND Open(std::vector<SkinUI::CControlUI*>& swatches)
    {
        auto* popup = new CColorWnd(&m_main, 1);  // it deletes itself with its window
        const HWND window = popup->CreateOwned(nullptr);
        EXPECT_NE(window, nullptr);
        hl::PumpMessages();
        CollectSwatches(popup->GetPaintManager().GetRoot(), swatches);
        return window;
    }

    CMainWnd m_main;
    SkinUI::CButtonUI m_target;
    WatermarkStyle m_savedSettings;
};

}  // namespace

TEST_F(ColorWndTest, APickReachesTheOwnerAndClosesThePopup)
{
    std::vector<SkinUI::CControlUI*> swatches;
    const HWND window = Open(swatches);
    ASSERT_EQ(swatches.size(), 90u);
    EXPECT_EQ(swatches.front()->GetBkColor(), 0xFFF5F5F5u);
    EXPECT_EQ(swatches[12]->GetBkColor(), 0xFFFFD936u) << "the second row starts with yellow";
    EXPECT_EQ(swatches.back()->GetBkColor(), 0xFF7E526Cu);
    ClickControl(swatches.front());
    hl::PumpMessages();
    EXPECT_EQ(m_target.GetBkColor(), 0xFFF5F5F5u);
    EXPECT_EQ(static_cast<DWORD>(WatermarkSettings.textColor), 0xFFF5F5F5u);
    EXPECT_FALSE(::IsWindow(window));
}

TEST_F(ColorWndTest, EscapeAndFocusLossCloseWithoutAPick)
{
    std::vector<SkinUI::CControlUI*> swatches;
    HWND window = Open(swatches);
    // Keys reach a window's default-key handling through the framework's message loop.
    MSG escape { window, WM_KEYDOWN, VK_ESCAPE, 0, 0, {} };
    SkinUI::CPaintManagerUI::TranslateMessage(&escape);
    hl::PumpMessages();
    EXPECT_FALSE(::IsWindow(window));

    swatches.clear();
    window = Open(swatches);
    ASSERT_EQ(::GetFocus(), window);
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProc;
    wc.lpszClassName = L"ColourPickerNeighbour";
    ASSERT_TRUE(::RegisterClassEx(&wc) || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS);
    const HWND elsewhere = ::CreateWindowEx(0, L"ColourPickerNeighbour", L"", WS_POPUP | WS_VISIBLE, 1500, 900, 50, 50,
                                            nullptr, nullptr, nullptr, nullptr);
    hl::PumpMessages();
    hl::Click(1525, 925);  // the user clicks another window
    hl::PumpMessages();
    EXPECT_FALSE(::IsWindow(window));
    ::DestroyWindow(elsewhere);
    EXPECT_EQ(m_target.GetBkColor(), kUnpicked);
    EXPECT_EQ(static_cast<DWORD>(WatermarkSettings.textColor), kUnpicked);
}
