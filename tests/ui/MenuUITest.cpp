// Framework menus on the headless backend: the volume-popup shape opened above a point, sub-menus
// opened by hover and closed by hover, keys and owner destruction, the leaf click's record, and
// the rows (separator, widths, check states, keys over the separator).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ListTestWindow.h"
#include "ui/controls/MenuUI.h"
#include "ui/controls/MenuWnd.h"
#include "ui/controls/SliderUI.h"

using namespace SkinUI;
using namespace listtest;

namespace {

constexpr const wchar_t* kOwnerSkin = L"<Window><VerticalLayout name=\"main\" bkcolor=\"#FFFFFFFF\"/></Window>";

constexpr const wchar_t* kVolumeSkin =
    L"<Window><Menu name=\"body\" bkcolor=\"#FFFFFFFF\">"
    L"<MenuElement name=\"volume\" width=\"46\" height=\"112\"><Container>"
    L"<Slider name=\"vol\" float=\"true\" pos=\"16,0,30,100\" hor=\"false\" min=\"0\" max=\"100\" value=\"80\" thumbsize=\"12,12\"/>"
    L"</Container></MenuElement>"
    L"</Menu></Window>";

constexpr const wchar_t* kChainSkin =
    L"<Window><Menu name=\"body\" bkcolor=\"#FFFFFFFF\" itemtextpadding=\"30,0,0,0\">"
    L"<MenuElement name=\"open\" text=\"Open\" width=\"120\" height=\"24\" userdata=\"u-open\"/>"
    L"<MenuElement name=\"sep\" linetype=\"true\" linecolor=\"#FFFF0000\"/>"
    L"<MenuElement name=\"more\" text=\"More\" height=\"24\">"
    L"<MenuElement name=\"s1\" text=\"Sub one\" height=\"24\"/><MenuElement name=\"s2\" text=\"Sub two\" height=\"24\"/>"
    L"</MenuElement>"
    L"<MenuElement name=\"last\" text=\"Last\" height=\"24\" ischeck=\"true\"/>"
    L"</Menu></Window>";

HWND MenuWindowAt(int index)
{
    const CStdPtrArray& receivers = CMenuWnd::GetGlobalContextMenuObserver().Receivers();
    if (index >= receivers.GetSize())
        return nullptr;
    return dynamic_cast<CMenuWnd*>(static_cast<MenuMenuReceiverImplBase*>(receivers.GetAt(index)))->GetHWND();
}

int OpenMenus()
{
    return CMenuWnd::GetGlobalContextMenuObserver().Receivers().GetSize();
}

RECT WindowRect(HWND hwnd)
{
    RECT rc {};
    ::GetWindowRect(hwnd, &rc);
    return rc;
}

// Screen point of a control's centre in a menu window.
POINT ScreenCentre(CControlUI* control)
{
    POINT pt = Centre(control->GetPos());
    ::ClientToScreen(control->GetManager()->GetPaintWindow(), &pt);
    return pt;
}

// Keeps what the owner window receives of the menu-click message, and frees the record as the
// receiver must.
struct ClickCatcher : IMessageFilterUI {
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM, bool& bHandled) override
    {
        if (uMsg != kMenuClickMessage)
            return 0;
        std::unique_ptr<MenuClickRecord> record(reinterpret_cast<MenuClickRecord*>(wParam));
        ++count;
        last = *record;
        bHandled = true;
        return 0;
    }
    int count { 0 };
    MenuClickRecord last {};
};

struct Menus : testing::Test {
    SkinWindow window { kOwnerSkin, { 0, 0, 800, 600 } };
    CStdStringPtrMap checks;
    ClickCatcher catcher;

    void SetUp() override
    {
        hl::SetMonitors({ { 0, 0, 1280, 800 } }, 0);
        window.pm.AddMessageFilter(&catcher);
    }
    void TearDown() override
    {
        CMenuWnd::GetGlobalContextMenuObserver().RBroadcast({ 1, nullptr });
        Pump();
        EXPECT_EQ(OpenMenus(), 0);
        window.pm.RemoveMessageFilter(&catcher);
        CMenuWnd::DestroyMenu();
        CMenuWnd::GetGlobalContextMenuObserver().SetMenuCheckInfo(nullptr);
        hl::SetMonitors({ { 0, 0, 1920, 1080 } });  // the screen every other test expects
    }
    CMenuWnd* Open(const wchar_t* skin, POINT at, DWORD alignment = 6)
    {
        CMenuWnd* menu = CMenuWnd::CreateMenu(nullptr, skin, at, &window.pm, &checks, alignment);
        Pump();
        return menu;
    }
    static CMenuElementUI* Item(CMenuWnd* menu, const wchar_t* name)
    {
        return static_cast<CMenuElementUI*>(menu->GetManager()->FindControl(name));
    }
    static void Hover(CControlUI* control)
    {
        const POINT pt = ScreenCentre(control);
        hl::MoveMouse(pt.x, pt.y);
        Pump();
    }
};

TEST_F(Menus, VolumePopupOpensAboveItsPointAndForwardsTheSlider)
{
    const POINT at { 200, 500 };
    CMenuWnd* menu = Open(kVolumeSkin, at, 16);
    ASSERT_EQ(OpenMenus(), 1);
    const RECT rc = WindowRect(menu->GetHWND());
    EXPECT_EQ(rc.bottom, at.y);
    EXPECT_EQ(rc.left, at.x);
    EXPECT_EQ(rc.bottom - rc.top, 112);
    EXPECT_EQ(rc.right - rc.left, 46);

    // Dragging the slider's thumb down: its "valuechanged" reaches the owner's notifier at once.
    auto* slider = static_cast<CSliderUI*>(menu->GetManager()->FindControl(L"vol"));
    ASSERT_NE(slider, nullptr);
    window.log.clear();
    POINT thumb = ScreenCentre(slider);
    const RECT rcThumb = slider->GetThumbRect();
    thumb.y = rc.top + (rcThumb.top + rcThumb.bottom) / 2;
    hl::PressButton(hl::Left, thumb.x, thumb.y);
    hl::MoveMouse(thumb.x, thumb.y + 30);
    hl::ReleaseButton(hl::Left, thumb.x, thumb.y + 30);
    Pump();
    EXPECT_LT(slider->GetValue(), 80);
    ASSERT_FALSE(window.log.empty());
    EXPECT_EQ(window.log.back(), L"valuechanged:vol:0");

    // A click in the owner window takes the focus from the menu: it closes.
    ClickAt({ 600, 100 });
    EXPECT_EQ(OpenMenus(), 0);
    EXPECT_FALSE(::IsWindow(::FindWindow(L"SkinMenuWnd", nullptr)));
}

TEST_F(Menus, HoverOpensSubMenusBesideTheirRowAndAnotherRowClosesThem)
{
    struct Case { const char* what; POINT at; bool flipped; };
    for (const Case& c : { Case { "room on the right", { 100, 100 }, false }, Case { "at the right edge", { 1180, 100 }, true } }) {
        SCOPED_TRACE(c.what);
        CMenuWnd* root = Open(kChainSkin, c.at);
        ASSERT_EQ(OpenMenus(), 1);
        const RECT rcRoot = WindowRect(root->GetHWND());
        EXPECT_EQ(rcRoot.left, c.at.x);
        Hover(Item(root, L"more"));
        ASSERT_EQ(OpenMenus(), 2);
        const RECT rcSub = WindowRect(MenuWindowAt(1));
        if (c.flipped)
            EXPECT_EQ(rcSub.right, rcRoot.left);
        else
            EXPECT_EQ(rcSub.left, rcRoot.right);
        EXPECT_EQ(rcSub.top, Item(root, L"more")->GetPos().top + rcRoot.top);
        EXPECT_EQ(rcSub.bottom - rcSub.top, 48);
        CControlUI* s1 = Item(root, L"more")->GetItemAt(0);
        EXPECT_EQ(s1->GetManager(), Item(root, L"more")->GetMenuWnd()->GetManager()) << "lent to the sub-menu";

        Hover(Item(root, L"open"));
        EXPECT_EQ(OpenMenus(), 1) << "hovering a leaf closes the other row's sub-menu";
        EXPECT_EQ(s1->GetManager(), root->GetManager()) << "the items came home";
        EXPECT_FALSE(s1->IsVisible());
        CMenuWnd::GetGlobalContextMenuObserver().RBroadcast({ 1, nullptr });
        Pump();
    }
}

TEST_F(Menus, EscapeClosesOnlyTheMenuWithTheKeyboardAndTheParentTakesItsItemsBack)
{
    CMenuWnd* root = Open(kChainSkin, { 100, 100 });
    CMenuElementUI* more = Item(root, L"more");
    Hover(more);
    ASSERT_EQ(OpenMenus(), 2);
    ::SetFocus(MenuWindowAt(1));
    hl::PressKey(VK_ESCAPE);
    Pump();
    EXPECT_EQ(OpenMenus(), 1);
    EXPECT_EQ(more->GetMenuWnd(), nullptr);

    // Escape in the parent while its sub-menu is open: the platform destroys the sub-menu first,
    // without a WM_CLOSE, and its items still come home before its manager goes.
    Hover(Item(root, L"open"));
    Hover(more);
    ASSERT_EQ(OpenMenus(), 2);
    ::SetFocus(root->GetHWND());
    hl::PressKey(VK_ESCAPE);
    Pump();
    EXPECT_EQ(OpenMenus(), 0);
}

TEST_F(Menus, OwnerWindowDestroyedWhileASubMenuIsOpen)
{
    auto* owner = new SkinWindow(kOwnerSkin);
    CMenuWnd* root = CMenuWnd::CreateMenu(nullptr, kChainSkin, { 100, 100 }, &owner->pm, &checks);
    Pump();
    Hover(Item(root, L"more"));
    ASSERT_EQ(OpenMenus(), 2);
    delete owner;  // the menus are its owned windows: they go first, each one whole
    Pump();
    EXPECT_EQ(OpenMenus(), 0);
    CMenuWnd::GetGlobalContextMenuObserver().SetManger(&window.pm);
}

TEST_F(Menus, LeafClickPostsOneBoundedRecordTogglesItsCheckAndClosesEverything)
{
    CMenuWnd* root = Open(kChainSkin, { 100, 100 });
    Hover(Item(root, L"more"));
    ASSERT_EQ(OpenMenus(), 2);
    CMenuWnd* sub = Item(root, L"more")->GetMenuWnd();
    ASSERT_NE(sub, nullptr);
    CMenuElementUI* s2 = Item(sub, L"s2");
    ASSERT_NE(s2, nullptr);
    const std::wstring longName(300, L'n'), longData(1500, L'd');
    s2->SetName(longName.c_str());
    s2->SetUserData(longData.c_str());
    Hover(s2);
    const POINT pt = ScreenCentre(s2);
    hl::Advance(1000);
    hl::Click(pt.x, pt.y);
    Pump();

    EXPECT_EQ(OpenMenus(), 0);
    ASSERT_EQ(catcher.count, 1);
    EXPECT_EQ(std::wstring(catcher.last.szName), longName.substr(0, 255));
    EXPECT_EQ(std::wstring(catcher.last.szUserData), longData.substr(0, 1023));
    EXPECT_EQ(std::wstring(catcher.last.szText), L"Sub two");
    EXPECT_TRUE(catcher.last.bChecked) << "a plain leaf flips its stored flag too";
    EXPECT_EQ(CMenuWnd::GetClickedMenuName(), longName.c_str());
    auto* info = static_cast<MenuItemInfo*>(checks.Find(longName.c_str()));
    ASSERT_NE(info, nullptr);
    EXPECT_TRUE(info->bChecked);
    EXPECT_EQ(std::wstring(info->szName).size(), 255u);
}

TEST_F(Menus, RowsSeparatorWidthsChecksAndKeys)
{
    CMenuWnd* root = Open(kChainSkin, { 100, 100 });
    CMenuElementUI* sep = Item(root, L"sep");
    const RECT rcSep = sep->GetPos();
    EXPECT_EQ(rcSep.bottom - rcSep.top, 6);
    EXPECT_FALSE(sep->IsEnabled());
    for (const wchar_t* name : { L"open", L"more", L"last" })
        EXPECT_EQ(Item(root, name)->GetPos().right - Item(root, name)->GetPos().left, 120) << name << " as wide as the widest";

    // The separator's line in device pixels: from left + 29 to right - 7, at the middle.
    const RECT rcRoot = WindowRect(root->GetHWND());
    const int y = rcRoot.top + rcSep.top + 3;
    const auto red = [&](int x) { return (hl::PixelAt(rcRoot.left + x, y) & 0xFFFFFF) == 0xFF0000; };
    EXPECT_FALSE(red(rcSep.left + 28));
    EXPECT_TRUE(red(rcSep.left + 29));
    EXPECT_TRUE(red(rcSep.right - 8));
    EXPECT_FALSE(red(rcSep.right - 7));

    // "ischeck" only sets a name the map does not know yet.
    EXPECT_TRUE(Item(root, L"last")->GetChecked());
    Item(root, L"last")->SetChecked(false);
    CMenuWnd::GetGlobalContextMenuObserver().RBroadcast({ 1, nullptr });
    Pump();
    root = Open(kChainSkin, { 100, 100 });
    EXPECT_FALSE(Item(root, L"last")->GetChecked()) << "the stored state wins over the skin";

    // Hovering the separator selects nothing; Down from the row above steps over it.
    CMenuUI* body = root->GetMenuUI();
    Hover(Item(root, L"open"));
    EXPECT_EQ(body->GetCurSel(), 0);
    Hover(Item(root, L"sep"));
    EXPECT_NE(body->GetCurSel(), 1);
    Hover(Item(root, L"open"));
    ::SetFocus(root->GetHWND());
    hl::PressKey(VK_DOWN);
    Pump();
    EXPECT_EQ(body->GetCurSel(), 2);
}

TEST(MenuWnd, ASkinThatIsNoMenuClosesTheWindow)
{
    SkinWindow owner { kOwnerSkin };
    CMenuWnd::CreateMenu(nullptr, L"<Window><VerticalLayout/></Window>", { 10, 10 }, &owner.pm);
    Pump();
    EXPECT_EQ(OpenMenus(), 0);
    EXPECT_EQ(::FindWindow(L"SkinMenuWnd", nullptr), nullptr);
}

TEST(MenuText, CopiesAreCutAndTerminated)
{
    wchar_t field[4];
    for (wchar_t& c : field)
        c = L'x';
    CopyMenuText(field, 4, L"abcdef");
    EXPECT_EQ(std::wstring(field), L"abc");
    CopyMenuText(field, 4, nullptr);
    EXPECT_EQ(std::wstring(field), L"");
}

}  // namespace
