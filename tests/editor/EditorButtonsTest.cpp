// The animated editor controls on the headless display: the feature button's rise and sink, the
// tab column's underline at 100 and 150 %, the selected tab's full underline, and the enter/leave
// button. Steps are driven by timer ticks given to the control, and the window's clock is held, so
// its own timers never add a tick while a slow machine pumps: counts do not depend on the pace.
#include "editor/dialogs/EditorButtonsUI.h"

#include <gtest/gtest.h>

#include <cwchar>

#include "OverlayTestSupport.h"
#include "ui/controls/OptionUI.h"

using namespace overlaytest;

namespace {

SkinUI::CControlUI* MakeEditorControl(const wchar_t* tag)
{
    if (::wcscasecmp(tag, L"ButtonExtUI") == 0)
        return new CButtonExtUI();
    if (::wcscasecmp(tag, L"ButtonMouse") == 0)
        return new CButtonMouseUI();
    if (::wcscasecmp(tag, L"VerticalLayoutEx") == 0)
        return new CVerticalLayoutExUI();
    return nullptr;
}

const wchar_t* kSkin =
    L"<Window size=\"600,300\"><VerticalLayout bkcolor=\"#FF202020\">"
    L"<HorizontalLayout height=\"60\">"
    L"<VerticalLayoutEx name=\"tab1\" width=\"200\" childalign=\"center\">"
    L"<Option name=\"opt1\" group=\"caption\" height=\"53\"/><Label/>"
    L"<Label name=\"xxx\" height=\"3\" width=\"22\" bkcolor=\"#FF347AEB\" visible=\"false\"/></VerticalLayoutEx>"
    L"<VerticalLayoutEx name=\"tab2\" width=\"200\" childalign=\"center\">"
    L"<Option name=\"opt2\" group=\"caption\" height=\"53\"/><Label/>"
    L"<Label name=\"xxx\" height=\"3\" width=\"22\" bkcolor=\"#FF347AEB\" visible=\"false\"/></VerticalLayoutEx>"
    L"<VerticalLayoutEx name=\"bare\" width=\"100\"><Option name=\"opt3\" group=\"caption\" height=\"53\"/>"
    L"</VerticalLayoutEx>"
    L"</HorizontalLayout>"
    L"<HorizontalLayout height=\"100\" inset=\"20,20,20,20\">"
    L"<ButtonExtUI name=\"feature\" width=\"120\" height=\"60\"/>"
    L"<ButtonMouse name=\"mouse\" width=\"120\" height=\"60\"/></HorizontalLayout>"
    L"<Control/></VerticalLayout></Window>";

SkinUI::TEventUI Tick(UINT id)
{
    SkinUI::TEventUI event;
    event.Type = SkinUI::UiEventTimer;
    event.wParam = id;
    return event;
}

class EditorButtonsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hl::Use());
        ASSERT_TRUE(InstallEditorSkins());
        hl::SetMonitors({ { 0, 0, 1920, 1080 } });
        hl::HoldClock(true);
    }
    void TearDown() override { hl::HoldClock(false); }
    static POINT Centre(SkinUI::CControlUI* c)
    {
        const RECT rc = c->GetPos();
        return { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 };
    }
    static void Ticks(SkinUI::CControlUI* c, UINT id, int count)
    {
        for (int i = 0; i < count; ++i) {
            SkinUI::TEventUI tick = Tick(id);
            c->DoEvent(tick);
        }
    }
    static SkinUI::CControlUI* Line(SkinUI::CControlUI* column)
    {
        return static_cast<SkinUI::CContainerUI*>(column)->FindSubControl(L"xxx");
    }
    static int Width(SkinUI::CControlUI* c) { return c->GetPos().right - c->GetPos().left; }
};

}  // namespace

TEST_F(EditorButtonsTest, FeatureButtonRisesFourPixelsAndAlwaysSinksBackToRest)
{
    SkinHost host(kSkin, MakeEditorControl);
    ASSERT_TRUE(host.Open(600, 300));
    auto* button = host.Find<CButtonExtUI>(L"feature");
    const RECT rest = button->GetPos();
    const POINT in = Centre(button);

    hl::MoveMouse(in.x, in.y);
    host.Settle();
    EXPECT_TRUE(button->IsRising());
    Ticks(button, CButtonExtUI::kRaiseTimer, 10);  // held under the mouse: 4 up, no further
    EXPECT_EQ(button->GetPos().top, rest.top - 4);
    EXPECT_EQ(button->GetPos().bottom, rest.bottom - 4);

    // Leave half-way through the sink, come back, leave again: it ends exactly on its rest place.
    hl::MoveMouse(5, 290);
    host.Settle();
    EXPECT_TRUE(button->IsSinking());
    Ticks(button, CButtonExtUI::kSinkTimer, 1);
    hl::MoveMouse(in.x, in.y);
    host.Settle();
    EXPECT_FALSE(button->IsSinking());
    EXPECT_TRUE(::EqualRect(&button->GetRestRect(), &rest));
    Ticks(button, CButtonExtUI::kRaiseTimer, 2);
    hl::MoveMouse(5, 290);
    host.Settle();
    Ticks(button, CButtonExtUI::kSinkTimer, 10);
    EXPECT_FALSE(button->IsSinking());
    EXPECT_TRUE(::EqualRect(&button->GetPos(), &rest));
}

TEST_F(EditorButtonsTest, UnderlineGrowsAndShrinksInTenthSteps)
{
    struct Case {
        int dpi, rest, full, step;
    };
    for (const Case c : { Case { 96, 22, 142, 12 }, Case { 144, 33, 213, 18 } }) {
        SCOPED_TRACE(testing::Message() << "dpi " << c.dpi);
        SkinHost host(kSkin, MakeEditorControl);
        ASSERT_TRUE(host.Open(900, 400, c.dpi));
        auto* tab = host.Find<CVerticalLayoutExUI>(L"tab2");
        SkinUI::CControlUI* line = Line(tab);
        const POINT in = Centre(host.Find(L"opt2"));
        hl::MoveMouse(in.x, in.y);
        host.Settle();
        ASSERT_TRUE(line->IsVisible());
        const RECT column = tab->GetPos();
        int width = Width(line);
        EXPECT_EQ((width - c.rest) % (2 * c.step), 0) << width;
        while (width < c.full) {
            Ticks(tab, CVerticalLayoutExUI::kGrowTimer, 1);
            EXPECT_EQ(Width(line), width + 2 * c.step);
            width = Width(line);
        }
        EXPECT_EQ(width, c.full);
        EXPECT_NEAR(line->GetPos().left + line->GetPos().right, column.left + column.right, 1);  // centred
        EXPECT_EQ(line->GetPos().bottom, column.bottom);
        Ticks(tab, CVerticalLayoutExUI::kGrowTimer, 3);
        EXPECT_EQ(Width(line), c.full);
        EXPECT_FALSE(tab->IsGrowing());

        // Leaving narrows it back to the rest width and hides it.
        hl::MoveMouse(5, 390);
        host.Settle();
        Ticks(tab, CVerticalLayoutExUI::kShrinkTimer, 10);
        EXPECT_FALSE(line->IsVisible());
        EXPECT_FALSE(tab->IsShrinking());
    }
}

TEST_F(EditorButtonsTest, SelectedTabUnderlineSpansTheColumnAndABareColumnAnimatesNothing)
{
    SkinHost host(kSkin, MakeEditorControl);
    ASSERT_TRUE(host.Open(600, 300));
    host.Find<SkinUI::COptionUI>(L"opt1")->Selected(true);
    host.Manager().Invalidate();
    host.Settle();
    auto* tab = host.Find(L"tab1");
    SkinUI::CControlUI* line = Line(tab);
    EXPECT_TRUE(line->IsVisible());
    const RECT want { tab->GetPos().left, tab->GetPos().bottom - 3, tab->GetPos().right, tab->GetPos().bottom };
    EXPECT_TRUE(::EqualRect(&line->GetPos(), &want));
    EXPECT_EQ(hl::PixelAt((want.left + want.right) / 2, want.bottom - 2) & 0xFFFFFFu, 0x347AEBu);

    auto* bare = host.Find<CVerticalLayoutExUI>(L"bare");
    const POINT in = Centre(host.Find(L"opt3"));
    hl::MoveMouse(in.x, in.y);
    host.Settle();
    EXPECT_FALSE(bare->IsGrowing());
    hl::MoveMouse(5, 290);
    host.Settle();
    EXPECT_FALSE(bare->IsShrinking());
}

TEST_F(EditorButtonsTest, MouseButtonReportsEnterAndLeave)
{
    SkinHost host(kSkin, MakeEditorControl);
    ASSERT_TRUE(host.Open(600, 300));
    const POINT in = Centre(host.Find(L"mouse"));
    hl::MoveMouse(in.x, in.y);
    host.Settle();
    hl::MoveMouse(5, 290);
    host.Settle();
    EXPECT_EQ(host.log, (std::vector<std::wstring> { L"enterbutton:mouse", L"leavebutton:mouse" }));
}
