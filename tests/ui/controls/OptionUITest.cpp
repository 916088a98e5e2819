#include "ui/controls/CheckBoxUI.h"
#include "ui/controls/OptionUI.h"

#include <gtest/gtest.h>

#include "ControlTestSupport.h"
#include "ui/core/ContainerUI.h"
#include "ui/core/TabLayoutUI.h"

using namespace ctltest;

namespace {

using Log = std::vector<std::wstring>;

std::wstring Block(int index)
{
    const int x = index * 16;
    return L"file='images/states.png' source='" + std::to_wstring(x) + L",0," + std::to_wstring(x + 16) + L",16'";
}

// Three grouped options split over two rows, an ungrouped option and a check box.
const std::wstring kGroups = Skin(
    L"<HorizontalLayout height=\"30\"><Option name=\"a\" group=\"g\" selected=\"true\"/><Option name=\"b\" "
    L"group=\"g\"/></HorizontalLayout>"
    L"<HorizontalLayout height=\"30\"><Option name=\"c\" group=\"g\"/><Option name=\"solo\"/>"
    L"<CheckBox name=\"cb\"/><CheckBox name=\"auto\" EnableAutoCheck=\"TRUE\"/></HorizontalLayout><Control/>");

}  // namespace

TEST_F(ControlTest, OptionClicksSendTheirSelectionInOrder)
{
    SkinHost host(kGroups);
    ASSERT_TRUE(host.Open(400, 200));
    const struct {
        const wchar_t* click;
        Log want;
    } steps[] = {
        { L"b", { L"click:b", L"unselected:a", L"selectchanged:b" } },
        { L"b", { L"click:b" } },  // already selected in its group
        { L"c", { L"click:c", L"unselected:b", L"selectchanged:c" } },  // the group spans containers
        { L"solo", { L"click:solo", L"selectchanged:solo" } },
        { L"solo", { L"click:solo", L"unselected:solo", L"selectchanged:solo" } },
        { L"cb", { L"click:cb", L"selectchanged:cb:1" } },
        { L"cb", { L"click:cb", L"selectchanged:cb" } },  // wParam 0, never "unselected"
        { L"auto", { L"selectchanged:auto:1", L"checkclick:auto" } },  // toggled on the press, no click
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(testing::Message() << "click " << std::string(step.click, step.click + wcslen(step.click)));
        host.log.clear();
        host.Click(step.click);
        EXPECT_EQ(host.log, step.want);
    }
    EXPECT_FALSE(host.Find<COptionUI>(L"a")->IsSelected());
    EXPECT_TRUE(host.Find<COptionUI>(L"c")->IsSelected());
    auto* autoCheck = host.Find<CCheckBoxUI>(L"auto");
    EXPECT_TRUE(autoCheck->GetCheck());
    EXPECT_EQ(autoCheck->GetButtonState() & ButtonStatePushed, 0u);
    EXPECT_EQ(host.GetPaintManager().GetOptionGroup(L"g")->GetSize(), 3);
}

TEST_F(ControlTest, OptionGroupIsWalkedOverACopy)
{
    SkinHost host(Skin(L"<Option name=\"a\" height=\"20\" group=\"g\" selected=\"true\"/>"
                       L"<Option name=\"b\" height=\"20\"/><Option name=\"c\" height=\"20\" selected=\"true\"/>"
                       L"<Control/>"));
    ASSERT_TRUE(host.Open(200, 200));
    auto* a = host.Find<COptionUI>(L"a");
    auto* b = host.Find<COptionUI>(L"b");
    auto* c = host.Find<COptionUI>(L"c");
    c->SetGroup(L"g");  // joining does not re-check the group: a and c are both selected
    b->SetGroup(L"g");  // the list is now a, c, b
    host.onNotify = [&](TNotifyUI& msg) {
        if (msg.sType == L"unselected" && msg.pSender == a)
            a->SetGroup(nullptr);  // shrinks the list under the walk
    };
    host.log.clear();
    host.Click(L"b");
    // a, ungrouped by then, reports its own change; c is still reached.
    EXPECT_EQ(host.log,
              (Log { L"click:b", L"unselected:a", L"selectchanged:a", L"unselected:c", L"selectchanged:b" }));
    EXPECT_FALSE(c->IsSelected());
    EXPECT_TRUE(a->GetGroup().IsEmpty());
    EXPECT_EQ(host.GetPaintManager().GetOptionGroup(L"g")->GetSize(), 2);
}

TEST_F(ControlTest, RemovedOptionLeavesItsGroup)
{
    SkinHost host(kGroups);
    ASSERT_TRUE(host.Open(400, 200));
    auto* row = static_cast<CContainerUI*>(host.Find(L"b")->GetParent());
    host.onNotify = [&](TNotifyUI& msg) {
        if (msg.sType == L"click" && msg.pSender->GetName() == L"b")
            row->Remove(msg.pSender);  // from its own click handler: destroyed later
    };
    host.Click(L"b");
    host.Settle();
    EXPECT_EQ(host.Find(L"b"), nullptr);
    EXPECT_EQ(host.GetPaintManager().GetOptionGroup(L"g")->GetSize(), 2);
    host.log.clear();
    host.Click(L"c");  // walks the group: a stale member would be touched here (ASan)
    EXPECT_EQ(host.log, (Log { L"click:c", L"selectchanged:c" }));
}

TEST_F(ControlTest, OptionInATabStripSwitchesItsPage)
{
    SkinHost host(Skin(L"<HorizontalLayout height=\"30\">"
                       L"<Option name=\"t0\" group=\"tabs\" selected=\"true\" bindtablayoutname=\"pages\" "
                       L"bindtabindex=\"0\"/>"
                       L"<Option name=\"t1\" group=\"tabs\" bindtablayoutname=\"pages\" bindtabindex=\"1\"/>"
                       L"</HorizontalLayout><TabLayout name=\"pages\"><Control/><Control/></TabLayout>"));
    ASSERT_TRUE(host.Open(200, 100));
    host.Click(L"t1");
    EXPECT_EQ(host.Find<CTabLayoutUI>(L"pages")->GetCurSel(), 1);
    EXPECT_TRUE(host.Find<COptionUI>(L"t1")->IsSelected());
    host.Click(L"t0");
    EXPECT_EQ(host.Find<CTabLayoutUI>(L"pages")->GetCurSel(), 0);
}

TEST_F(ControlTest, SelectedOptionPaintsOnlyItsSelectedImages)
{
    SkinHost host(Skin(L"<HorizontalLayout height=\"40\">"
                       L"<Option name=\"with\" width=\"40\" selected=\"true\" normalimage=\"" + Block(0)
                       + L"\" disabledimage=\"" + Block(4) + L"\" selectedimage=\"" + Block(5)
                       + L"\" selectedhotimage=\"" + Block(1) + L"\"/>"
                       L"<Option name=\"without\" width=\"40\" selected=\"true\" normalimage=\"" + Block(0)
                       + L"\"/><Control/></HorizontalLayout><Control/>"));
    ASSERT_TRUE(host.Open(200, 100));
    EXPECT_EQ(Rgb(hl::PixelAt(20, 20)), 0xFF00FFu);  // selected image
    EXPECT_EQ(Rgb(hl::PixelAt(60, 20)), 0u);         // no state image: the layout's black shows
    hl::MoveMouse(20, 20);
    host.Settle();
    EXPECT_EQ(Rgb(hl::PixelAt(20, 20)), 0x00FF00u);  // selected and hot
    host.Find(L"with")->SetEnabled(false);
    host.Settle();
    EXPECT_EQ(Rgb(hl::PixelAt(20, 20)), 0xFF00FFu);  // disabled, still drawn as selected
    EXPECT_EQ(host.Find<COptionUI>(L"with")->GetButtonState(), ButtonStateSelected);
}

TEST_F(ControlTest, OptionAndCheckBoxAnswerTheirNames)
{
    COptionUI option;
    CCheckBoxUI check;
    EXPECT_EQ(option.GetInterface(L"Option"), &option);
    EXPECT_NE(option.GetInterface(L"Button"), nullptr);
    EXPECT_EQ(option.GetInterface(L"CheckBox"), nullptr);
    EXPECT_EQ(check.GetInterface(L"CheckBox"), &check);
    EXPECT_NE(check.GetInterface(L"Option"), nullptr);
    EXPECT_EQ(std::wstring(check.GetClass()), L"CheckBoxUI");
    check.SetCheck(true);  // no manager: stores quietly
    EXPECT_TRUE(check.GetCheck());
    option.SetGroup(L"x");
    option.SetGroup(nullptr);
    EXPECT_TRUE(option.GetGroup().IsEmpty());
}
