// The combo box and its drop-down: where the list opens, what keys, wheel and mouse do open and
// closed, item bookkeeping, and the items' way home when the owner window goes while it is open.
#include <gtest/gtest.h>

#include <string>

#include "ListTestWindow.h"
#include "ui/controls/ComboUI.h"
#include "ui/controls/ListElementUI.h"
#include "ui/core/DPI.h"
#include "ui/core/RenderEngine.h"

using namespace SkinUI;
using namespace listtest;

namespace {

std::wstring ComboSkin(const std::wstring& attributes, int items, const std::wstring& pos = L"10,10,160,34")
{
    std::wstring xml = L"<Window><VerticalLayout><Combo name=\"combo\" float=\"true\" pos=\"" + pos + L"\" " + attributes + L">";
    for (int i = 0; i < items; ++i)
        xml += L"<ListLabelElement name=\"i" + std::to_wstring(i) + L"\" text=\"item " + std::to_wstring(i) + L"\" height=\"23\" />";
    return xml + L"</Combo></VerticalLayout></Window>";
}

HWND DropWindow()
{
    return ::FindWindow(L"ComboWnd", nullptr);
}

RECT DropRect()
{
    RECT rc {};
    ::GetWindowRect(DropWindow(), &rc);
    return rc;
}

struct Opened {
    SkinWindow window;
    CComboUI* combo;
    explicit Opened(const std::wstring& skin, RECT at = { 0, 0, 400, 300 }) : window(skin.c_str(), at)
    {
        combo = window.Find<CComboUI>(L"combo");
    }
    void Open()
    {
        ASSERT_NE(combo, nullptr);
        ASSERT_TRUE(combo->Activate());
        Pump();
        ASSERT_NE(DropWindow(), nullptr);
    }
};

}  // namespace

TEST(ComboDrop, OpensBelowOrAboveWithItsItemsHeight)
{
    hl::SetMonitors({ { 0, 0, 1920, 1080 } });
    struct Case {
        const char* what;
        std::wstring attributes;
        int items;
        RECT at;  // the owner window on the screen
        int wantHeight;
        bool above;
    };
    const Case cases[] = {
        { "no items", L"", 0, { 0, 0, 400, 300 }, 4, false },
        { "three items", L"", 3, { 0, 0, 400, 300 }, 73, false },
        { "twenty items: capped", L"", 20, { 0, 0, 400, 300 }, 150, false },
        { "up", L"up=\"true\"", 3, { 0, 200, 400, 500 }, 73, true },
        { "near the work area's bottom", L"", 3, { 0, 960, 400, 1030 }, 73, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Opened drop(ComboSkin(c.attributes, c.items), c.at);
        drop.Open();
        const RECT rc = DropRect();
        EXPECT_EQ(rc.bottom - rc.top, c.wantHeight);
        EXPECT_EQ(rc.left, c.at.left + 10);
        EXPECT_EQ(rc.right - rc.left, 150);
        if (c.above)
            EXPECT_EQ(rc.bottom, c.at.top + 10);
        else
            EXPECT_EQ(rc.top, c.at.top + 34);
        EXPECT_EQ(drop.window.log.back(), L"dropdown:combo:0");
    }
}

TEST(ComboDrop, OpensOnTheMonitorThatHoldsTheCombo)
{
    hl::SetMonitors({ { 0, 0, 1920, 1080 }, { 1920, 0, 3200, 800 } });
    // On the second monitor, 60 px above its work area's bottom (760): the list must go above.
    Opened drop(ComboSkin(L"", 3), { 2000, 690, 2400, 800 });
    drop.Open();
    const RECT rc = DropRect();
    EXPECT_EQ(rc.left, 2010);
    EXPECT_EQ(rc.bottom, 700) << "flipped by the second monitor's work area";
    hl::SetMonitors({ { 0, 0, 1920, 1080 } });
}

TEST(ComboDrop, KeysAndClicksInTheOpenList)
{
    Opened drop(ComboSkin(L"", 5));
    CComboUI* combo = drop.combo;
    ASSERT_TRUE(combo->SelectItem(1));
    drop.window.log.clear();
    ClickAt(Centre(combo->GetPos()));
    ASSERT_NE(DropWindow(), nullptr) << "a click opens it";
    hl::PressKey(VK_DOWN);
    Pump();
    EXPECT_EQ(combo->GetCurSel(), 2);
    hl::PressKey(VK_ESCAPE);
    Pump();
    EXPECT_EQ(DropWindow(), nullptr);
    EXPECT_EQ(combo->GetCurSel(), 1) << "Escape restores the selection it opened with";
    EXPECT_EQ(drop.window.log, std::vector<std::wstring>({ L"dropdown:combo:0", L"itemselect:combo:2", L"itemselect:combo:1" }));

    drop.window.log.clear();
    ClickAt(Centre(combo->GetPos()));
    ASSERT_NE(DropWindow(), nullptr);
    CControlUI* item3 = combo->GetItemAt(3);
    RECT rc = item3->GetPos();
    POINT origin {};
    ::ClientToScreen(DropWindow(), &origin);
    ClickAt({ origin.x + (rc.left + rc.right) / 2, origin.y + (rc.top + rc.bottom) / 2 });
    EXPECT_EQ(DropWindow(), nullptr) << "a click on an item closes the list";
    EXPECT_EQ(combo->GetCurSel(), 3);
    EXPECT_EQ(combo->GetText(), L"item 3");
    int selects = 0;
    for (const std::wstring& line : drop.window.log)
        selects += line.rfind(L"itemselect", 0) == 0;
    EXPECT_EQ(selects, 1) << "one \"itemselect\" per choice";
    for (int i = 0; i < combo->GetCount(); ++i) {
        CControlUI* item = combo->GetItemAt(i);
        EXPECT_EQ(item->GetParent(), combo) << i;
        EXPECT_EQ(item->GetManager(), &drop.window.pm) << i;
        EXPECT_TRUE(::IsRectEmpty(&item->GetPos())) << i;
    }

    ClickAt(Centre(combo->GetPos()));
    ASSERT_NE(DropWindow(), nullptr);
    hl::PressKey(VK_DOWN);
    hl::PressKey(VK_RETURN);
    Pump();
    EXPECT_EQ(DropWindow(), nullptr) << "Enter closes it";
    EXPECT_EQ(combo->GetCurSel(), 4);
}

TEST(ComboDrop, AClickOutsideTheProgramClosesIt)
{
    Opened drop(ComboSkin(L"", 3));
    drop.Open();
    ClickAt({ 1500, 900 });  // the desktop
    EXPECT_EQ(DropWindow(), nullptr);
    EXPECT_FALSE(drop.combo->IsDropOpen());
    EXPECT_EQ(drop.combo->GetItemAt(0)->GetManager(), &drop.window.pm);
}

TEST(ComboDrop, TheOwnerWindowGoingWhileOpenGivesTheItemsBack)
{
    auto* drop = new Opened(ComboSkin(L"", 3));
    drop->Open();
    CComboUI* combo = drop->combo;
    ::DestroyWindow(drop->window.hwnd);
    Pump();
    EXPECT_EQ(DropWindow(), nullptr);
    EXPECT_FALSE(combo->IsDropOpen());
    EXPECT_EQ(combo->GetItemAt(0)->GetManager(), &drop->window.pm);
    delete drop;  // deletes the combo and its items: no item may point at the popup's manager
}

TEST(ComboClosed, WheelKeysAndBookkeeping)
{
    Opened drop(ComboSkin(L"", 5));
    CComboUI* combo = drop.combo;
    combo->GetItemAt(2)->SetEnabled(false);
    ASSERT_TRUE(combo->SelectItem(1));
    const POINT at = Centre(combo->GetPos());
    hl::Wheel(-WHEEL_DELTA, at.x, at.y);
    Pump();
    EXPECT_EQ(combo->GetCurSel(), 3) << "the wheel steps over the disabled item";
    combo->SetScrollSelect(false);
    hl::Wheel(-WHEEL_DELTA, at.x, at.y);
    Pump();
    EXPECT_EQ(combo->GetCurSel(), 3) << "scrollselect off: nothing";

    drop.window.log.clear();
    EXPECT_TRUE(combo->RemoveAt(3));
    EXPECT_EQ(combo->GetCurSel(), 1) << "the nearest selectable item before";
    EXPECT_EQ(drop.window.log, std::vector<std::wstring>({ L"itemselect:combo:1" }));
    EXPECT_FALSE(combo->SelectItem(2)) << "a disabled item";
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_EQ(combo->GetText(), L"");

    auto* added = new CListLabelElementUI();
    added->SetText(L"first");
    ASSERT_TRUE(combo->SelectItem(1));
    EXPECT_TRUE(combo->AddAt(added, 0));
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_EQ(static_cast<IListItemUI*>(combo->GetItemAt(3)->GetInterface(L"ListItem"))->GetIndex(), 3);

    drop.window.Refresh();  // a new layout of the combo would close its list
    drop.window.pm.SetFocus(combo);
    hl::PressKey(VK_F4);
    Pump();
    EXPECT_NE(DropWindow(), nullptr) << "F4 opens it";
    EXPECT_TRUE(combo->RemoveAt(0)) << "changing the items closes the list first";
    EXPECT_EQ(DropWindow(), nullptr);
    EXPECT_EQ(combo->GetItemAt(0)->GetManager(), &drop.window.pm);
}

TEST(ComboBoxArrow, TheArrowCellSitsInsideTheRightEdgeAtEveryScale)
{
    for (int dpi : { 96, 144 }) {
        SCOPED_TRACE(dpi);
        SkinWindow window(L"<Window><VerticalLayout bkcolor=\"#FFFFFFFF\">"
                          L"<ComboBox name=\"combo\" float=\"true\" pos=\"10,10,160,34\" "
                          L"arrowimage=\"file='arrow.png' source='0,0,50,24'\" />"
                          L"</VerticalLayout></Window>");
        if (dpi != 96)
            window.pm.SetDPI(dpi);
        // Five cells (10 px at 100 %, 15 px in the 150 % image): normal red, the others green.
        const int cell = dpi == 96 ? 10 : 15, width = 5 * cell, height = dpi == 96 ? 24 : 36;
        BYTE* bits = nullptr;
        HDC screen = ::GetDC(nullptr);
        HBITMAP strip = CRenderEngine::CreateARGB32Bitmap(screen, width, height, &bits);
        ::ReleaseDC(nullptr, screen);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                reinterpret_cast<DWORD*>(bits)[y * width + x] = x < cell ? 0xFFFF0000 : 0xFF00FF00;
        window.pm.AddImage(dpi == 96 ? L"arrow.png" : L"arrow@150.png", strip, width, height, true);
        window.Refresh();
        CControlUI* combo = window.Find<CControlUI>(L"combo");
        const RECT rc = combo->GetPos();
        const int y = (rc.top + rc.bottom) / 2;
        const int arrow = dpi == 96 ? 10 : 15;
        EXPECT_EQ(hl::PixelAt(rc.right - 2, y) & 0xFFFFFF, 0xFF0000u) << "the normal cell at the right edge";
        EXPECT_EQ(hl::PixelAt(rc.right - arrow + 1, y) & 0xFFFFFF, 0xFF0000u);
        EXPECT_NE(hl::PixelAt(rc.right - arrow - 2, y) & 0xFFFFFF, 0xFF0000u) << "one cell wide";
    }
}
