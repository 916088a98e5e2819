#include "ui/core/TabLayoutUI.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SkinTestSupport.h"
#include "ui/core/DialogBuilder.h"

using namespace SkinUI;

namespace {

CControlUI* Page(const wchar_t* name, bool visible = true)
{
    auto* page = new CControlUI();
    page->SetName(name);
    page->SetVisible(visible);
    return page;
}

class Recorder : public INotifyUI {
public:
    void Notify(TNotifyUI& msg) override
    {
        if (msg.sType == L"tabselect")
            seen.push_back(std::to_wstring(msg.wParam) + L"<" + std::to_wstring(static_cast<int>(msg.lParam)));
    }
    std::vector<std::wstring> seen;
};

// A tab layout at (0,0)-(400,300) in a window of its own, with three pages.
template <class Layout>
struct Hosted {
    skintest::PlainWindow window;
    CPaintManagerUI pm;
    Recorder recorder;
    Layout* tabs = new Layout();

    Hosted()
    {
        pm.Init(window.hwnd());
        pm.AddNotifier(&recorder);
        for (const wchar_t* name : { L"p0", L"p1", L"p2" })
            tabs->Add(Page(name));
        pm.AttachDialog(tabs);  // the manager owns the tree
        tabs->SetPos({ 0, 0, 400, 300 });
    }
};

}  // namespace

TEST(TabLayout, AddingInsertingAndRemovingKeepOnePageSelected)
{
    CTabLayoutUI tabs;
    CControlUI* a = Page(L"a");
    tabs.Add(a);
    tabs.Add(Page(L"b"));
    tabs.Add(Page(L"c", false));
    EXPECT_EQ(tabs.GetCurSel(), 0);
    EXPECT_FALSE(tabs.GetItemAt(1)->IsVisible());
    tabs.AddAt(Page(L"d"), 0);
    EXPECT_EQ(tabs.GetCurSel(), 1);  // a moved up with the insert
    EXPECT_FALSE(tabs.GetItemAt(0)->IsVisible());
    EXPECT_TRUE(a->IsVisible());

    EXPECT_TRUE(tabs.SelectItem(3));
    EXPECT_TRUE(tabs.Remove(tabs.GetItemAt(0)));  // before the selection: it moves down
    EXPECT_EQ(tabs.GetCurSel(), 2);
    EXPECT_TRUE(tabs.Remove(tabs.GetItemAt(2)));  // the selected one: page 0 takes over
    EXPECT_EQ(tabs.GetCurSel(), 0);
    EXPECT_TRUE(tabs.GetItemAt(0)->IsVisible());
    EXPECT_FALSE(tabs.Remove(nullptr));
    tabs.RemoveAll();
    EXPECT_EQ(tabs.GetCurSel(), -1);
}

TEST(TabLayout, SelectingReportsTabselectOnce)
{
    Hosted<CTabLayoutUI> host;
    EXPECT_TRUE(host.tabs->SelectItem(0));  // already selected: nothing sent
    EXPECT_FALSE(host.tabs->SelectItem(3));
    EXPECT_FALSE(host.tabs->SelectItem(-1));
    CControlUI stranger;
    EXPECT_FALSE(host.tabs->SelectItem(&stranger));
    EXPECT_TRUE(host.tabs->SelectItem(2));
    EXPECT_TRUE(host.tabs->SelectItem(host.tabs->GetItemAt(1)));
    EXPECT_EQ(host.recorder.seen, (std::vector<std::wstring> { L"2<0", L"1<2" }));
    EXPECT_TRUE(host.tabs->GetItemAt(1)->IsVisible());
    EXPECT_FALSE(host.tabs->GetItemAt(2)->IsVisible());
    const RECT page = host.tabs->GetItemAt(1)->GetPos();
    EXPECT_EQ(page.right, 400);
    EXPECT_EQ(page.bottom, 300);
}

// A builder lends a control its manager only while applying its attributes, and "selectedid"
// focuses the page it shows. The manager must not keep that page as its focus: the second
// top-level control here is deleted by the builder, with no manager left to tell.
TEST(TabLayout, SelectingWhileBuiltLeavesNoFocusBehind)
{
    const wchar_t* skins[] = {
        L"<Window><TabLayout selectedid=\"1\"><Control/><Control/></TabLayout></Window>",
        L"<Window><Control/><TabLayout selectedid=\"1\"><Control/><Control/></TabLayout></Window>",
    };
    for (const wchar_t* skin : skins) {
        SCOPED_TRACE(testing::Message() << skin);
        skintest::PlainWindow window;
        CPaintManagerUI pm;
        pm.Init(window.hwnd());
        CDialogBuilder builder;
        CControlUI* root = builder.Create(skin, nullptr, nullptr, &pm);
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(pm.GetFocus(), nullptr);
        pm.AttachDialog(root);  // would deliver "killfocus" to a deleted page (ASan)
        EXPECT_EQ(pm.GetRoot(), root);
    }
}

TEST(AnimationTabLayout, HigherPageSlidesInFromTheRight)
{
    Hosted<CAnimationTabLayoutUI> host;
    EXPECT_TRUE(host.tabs->SelectItem(1));
    EXPECT_EQ(host.recorder.seen, std::vector<std::wstring> { L"1<0" });
    EXPECT_FALSE(host.tabs->GetItemAt(1)->IsVisible());  // until the first step
    TEventUI tick;
    tick.Type = UiEventTimer;
    tick.wParam = 1;
    std::vector<int> lefts;
    for (int frame = 0; frame <= 15; ++frame) {
        host.tabs->DoEvent(tick);
        lefts.push_back(host.tabs->GetPos().left);
    }
    EXPECT_TRUE(host.tabs->GetItemAt(1)->IsVisible());
    EXPECT_EQ(lefts[0], 348 - 26);   // 400 - 52, then 400 / 15 per frame
    EXPECT_EQ(lefts[14], 348 - 15 * 26);
    EXPECT_EQ(lefts[15], 0);         // the last frame snaps to rest
    EXPECT_FALSE(host.tabs->IsAnimating());
    EXPECT_EQ(host.tabs->GetPos().right, 400);
}

TEST(AnimationTabLayout, VerticalSlideComesFromBelow)
{
    Hosted<CAnimationTabLayoutUI> host;
    host.tabs->SetAttribute(L"ANIMATION_DIRECTION", L"VERTICAL");
    EXPECT_TRUE(host.tabs->SelectItem(2));
    TEventUI tick;
    tick.Type = UiEventTimer;
    tick.wParam = 1;
    host.tabs->DoEvent(tick);
    EXPECT_EQ(host.tabs->GetPos().top, 300 - 20);
    EXPECT_EQ(host.tabs->GetPos().left, 0);
    // A lower page while sliding: a new slide from a full height above the resting place, which
    // stays where the layout belongs although the first slide was cut short.
    EXPECT_TRUE(host.tabs->SelectItem(0));
    host.tabs->DoEvent(tick);
    EXPECT_EQ(host.tabs->GetPos().top, -300 + 20);
    for (int frame = 1; frame <= 15; ++frame)
        host.tabs->DoEvent(tick);
    EXPECT_EQ(host.tabs->GetPos().top, 0);
    EXPECT_EQ(host.tabs->GetPos().bottom, 300);
}
