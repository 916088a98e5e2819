#include "ui/core/WindowImplBase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SkinTestSupport.h"
#include "platform/headless/HeadlessScreen.h"
#include "ui/core/ContainerUI.h"
#include "ui/core/TabLayoutUI.h"
#include "ui/core/TileLayoutUI.h"

using namespace SkinUI;
namespace hl = platform::headless;

namespace {

class SkinWindow : public WindowImplBase {
public:
    explicit SkinWindow(const wchar_t* skin = L"main.xml") : m_skin(skin) {}

    std::vector<std::wstring> clicks;
    int okClicks { 0 };
    std::vector<std::wstring> tabSelects;

    void OnClick(TNotifyUI& msg) override
    {
        clicks.push_back(msg.pSender->GetName().GetData());
        WindowImplBase::OnClick(msg);
    }
    void OnOk(TNotifyUI&) { ++okClicks; }
    void OnTabSelect(TNotifyUI& msg)
    {
        tabSelects.push_back(std::to_wstring(msg.wParam) + L"<" + std::to_wstring(static_cast<int>(msg.lParam)));
    }
    CControlUI* Find(const wchar_t* name) { return m_pm.FindControl(name); }
    LRESULT HitTest(POINT client)
    {
        ::ClientToScreen(m_hWnd, &client);
        return SendMessageW(WM_NCHITTEST, 0, MAKELPARAM(client.x, client.y));
    }
    // A control's centre on the screen.
    POINT ScreenCentre(const wchar_t* name)
    {
        const RECT rc = Find(name)->GetPos();
        POINT pt { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 };
        ::ClientToScreen(m_hWnd, &pt);
        return pt;
    }

    UI_DECLARE_MESSAGE_MAP()

protected:
    const wchar_t* GetWindowClassName() const override { return L"SkinTestWindow"; }
    CUIString GetSkinFileName() override { return m_skin; }

private:
    const wchar_t* m_skin;
};

UI_BEGIN_MESSAGE_MAP(SkinWindow, WindowImplBase)
UI_ON_CLICK_CTRNAME(L"okbtn", SkinWindow::OnOk)
UI_ON_MSGTYPE(L"tabselect", SkinWindow::OnTabSelect)
UI_END_MESSAGE_MAP()

class WindowImplBaseTest : public testing::Test {
protected:
    void SetUp() override
    {
        skintest::UseHeadless();
        ASSERT_TRUE(skintest::InstallSkinArchive());
    }
    void Open(SkinWindow& window, int dpi = 96)
    {
        window.GetPaintManager().SetDPI(dpi);
        ASSERT_NE(window.Create(nullptr, L"skin test", WS_VISIBLE | WS_OVERLAPPEDWINDOW, WS_EX_WINDOWEDGE), nullptr);
        window.CenterWindow();
        hl::PumpMessages();
    }
};

void ExpectRect(SkinWindow& window, const wchar_t* name, RECT want, int scalePercent)
{
    SCOPED_TRACE(testing::Message() << "control " << std::string(name, name + std::wcslen(name)));
    CControlUI* control = window.Find(name);
    ASSERT_NE(control, nullptr);
    const RECT got = control->GetPos();
    EXPECT_EQ(got.left, want.left * scalePercent / 100);
    EXPECT_EQ(got.top, want.top * scalePercent / 100);
    EXPECT_EQ(got.right, want.right * scalePercent / 100);
    EXPECT_EQ(got.bottom, want.bottom * scalePercent / 100);
}

}  // namespace

TEST_F(WindowImplBaseTest, SkinIsLaidOutAtEveryScale)
{
    const struct {
        const wchar_t* name;
        RECT rc;
    } layout[] = {
        { L"title", { 0, 0, 400, 30 } },     { L"logo", { 0, 0, 100, 30 } },
        { L"closebtn", { 370, 0, 400, 30 } }, { L"okbtn", { 0, 30, 80, 54 } },  // default list, then style
        { L"tiles", { 0, 54, 400, 174 } },   { L"tabs", { 0, 174, 400, 234 } },
        { L"page1", { 0, 174, 400, 234 } },  { L"child", { 0, 234, 400, 264 } },
        { L"childcell", { 0, 234, 50, 264 } },
    };
    for (int scale : { 100, 150 }) {
        SCOPED_TRACE(testing::Message() << "scale " << scale);
        SkinWindow window;
        Open(window, 96 * scale / 100);
        RECT client {};
        ::GetClientRect(window.GetHWND(), &client);
        EXPECT_EQ(client.right, 400 * scale / 100);
        EXPECT_EQ(client.bottom, 300 * scale / 100);
        for (const auto& row : layout)
            ExpectRect(window, row.name, row.rc, scale);
        // Four 100-wide columns; six included cells fill one row and half of the next.
        auto* tiles = static_cast<CTileLayoutUI*>(window.Find(L"tiles"));
        EXPECT_EQ(tiles->GetColumns(), 4);
        ASSERT_EQ(tiles->GetCount(), 6);
        const RECT fifth = tiles->GetItemAt(4)->GetPos();
        EXPECT_EQ(fifth.left, 0);
        EXPECT_EQ(fifth.top, 94 * scale / 100);
        EXPECT_EQ(fifth.right, 100 * scale / 100);
        EXPECT_FALSE(window.Find(L"page0")->IsVisible());
        ::DestroyWindow(window.GetHWND());
    }
}

TEST_F(WindowImplBaseTest, InjectedClickReachesTheMessageMapAndCloseEndsTheModalRun)
{
    SkinWindow window;
    Open(window);
    POINT ok = window.ScreenCentre(L"okbtn");
    hl::Click(ok.x, ok.y);
    hl::PumpMessages();
    EXPECT_EQ(window.okClicks, 1);       // the exact row for "okbtn"
    EXPECT_TRUE(window.clicks.empty());  // ... wins over the any-sender "click" row

    auto* tabs = static_cast<CTabLayoutUI*>(window.Find(L"tabs"));
    EXPECT_TRUE(tabs->SelectItem(2));
    ASSERT_EQ(window.tabSelects.size(), 1u);
    EXPECT_EQ(window.tabSelects[0], L"2<1");

    POINT close = window.ScreenCentre(L"closebtn");
    hl::Click(close.x, close.y);
    EXPECT_EQ(window.ShowModal(), 1u);  // closebtn closes with result 1
    EXPECT_EQ(window.clicks, std::vector<std::wstring> { L"closebtn" });
    EXPECT_FALSE(::IsWindow(window.GetHWND()));
}

TEST_F(WindowImplBaseTest, HitTestFindsCaptionBordersAndButtons)
{
    SkinWindow window;
    Open(window);
    const struct {
        POINT pt;
        LRESULT want;
    } cases[] = {
        { { 50, 15 }, HTCAPTION },      // a plain control in a layout, inside the caption
        { { 200, 15 }, HTCAPTION },
        { { 385, 15 }, HTCLIENT },      // a button is not static
        { { 200, 100 }, HTCLIENT },     // below the caption
        { { 1, 1 }, HTTOPLEFT },        { { 398, 1 }, HTTOPRIGHT },   { { 200, 1 }, HTTOP },
        { { 1, 298 }, HTBOTTOMLEFT },   { { 398, 298 }, HTBOTTOMRIGHT }, { { 200, 298 }, HTBOTTOM },
        { { 1, 150 }, HTLEFT },         { { 398, 150 }, HTRIGHT },
        { { 4, 150 }, HTCLIENT },       // on the inner edge of the size box: inside
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pt.x << "," << c.pt.y);
        EXPECT_EQ(window.HitTest(c.pt), c.want);
    }
    // A caption reaching to the bottom makes every static point caption.
    RECT caption { 0, 0, 0, -1 };
    window.GetPaintManager().SetCaptionRect(caption);
    EXPECT_EQ(window.HitTest({ 200, 70 }), HTCLIENT);    // a cell: a tile layout is not a static class
    EXPECT_EQ(window.HitTest({ 200, 200 }), HTCAPTION);  // a tab page, its tab layout and the root
    EXPECT_EQ(window.HitTest({ 200, 250 }), HTCAPTION);  // the child layout's own tree
    ::DestroyWindow(window.GetHWND());
}

TEST_F(WindowImplBaseTest, MaximiseSwapsTheButtonsAndUsesTheWorkArea)
{
    SkinWindow window;
    Open(window);
    EXPECT_TRUE(window.Find(L"maxbtn")->IsVisible());
    EXPECT_FALSE(window.Find(L"restorebtn")->IsVisible());
    window.SendMessageW(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_TRUE(::IsZoomed(window.GetHWND()));
    EXPECT_FALSE(window.Find(L"maxbtn")->IsVisible());
    EXPECT_TRUE(window.Find(L"restorebtn")->IsVisible());
    RECT rc {};
    ::GetWindowRect(window.GetHWND(), &rc);
    EXPECT_EQ(rc.right - rc.left, 1920);
    EXPECT_EQ(rc.bottom - rc.top, 1080 - 40);
    EXPECT_EQ(window.HitTest({ 1, 1 }), HTCAPTION);  // no resize border when maximised: the logo drags
    window.SendMessageW(WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(window.Find(L"maxbtn")->IsVisible());
    EXPECT_FALSE(window.Find(L"restorebtn")->IsVisible());
    ::DestroyWindow(window.GetHWND());
}

TEST_F(WindowImplBaseTest, EscapeIsAnsweredButDoesNotClose)
{
    SkinWindow window;
    Open(window);
    bool handled = false;
    EXPECT_EQ(window.MessageHandler(WM_KEYDOWN, VK_ESCAPE, 0, handled), 1);
    EXPECT_EQ(window.MessageHandler(WM_KEYDOWN, VK_RETURN, 0, handled), 0);
    EXPECT_FALSE(handled);
    hl::PressKey(VK_ESCAPE);
    hl::PumpMessages();
    EXPECT_TRUE(::IsWindow(window.GetHWND()));
    ::DestroyWindow(window.GetHWND());
}

TEST_F(WindowImplBaseTest, MissingSkinShowsTheMessageAndExitsWithOne)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // the window system runs threads of its own
    EXPECT_EXIT(
        {
            SkinWindow window(L"no-such-skin.xml");
            window.Create(nullptr, L"broken", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0);
        },
        testing::ExitedWithCode(1), "no-such-skin.xml");
}

TEST_F(WindowImplBaseTest, DraggingTheCaptionMovesTheWindow)
{
    SkinWindow window;
    Open(window);
    RECT before {};
    ::GetWindowRect(window.GetHWND(), &before);
    const POINT grip = window.ScreenCentre(L"gap");
    hl::MoveMouse(grip.x, grip.y);
    hl::PressButton(hl::Left, grip.x, grip.y);
    hl::MoveMouse(grip.x + 30, grip.y + 10);
    hl::MoveMouse(grip.x + 60, grip.y + 30);
    hl::ReleaseButton(hl::Left, grip.x + 60, grip.y + 30);
    hl::PumpMessages();
    RECT after {};
    ::GetWindowRect(window.GetHWND(), &after);
    EXPECT_EQ(after.left - before.left, 60);
    EXPECT_EQ(after.top - before.top, 30);
    ::DestroyWindow(window.GetHWND());
}
