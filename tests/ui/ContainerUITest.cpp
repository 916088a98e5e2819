// Containers: ownership of children, float placement, searches with their flags, scrolling and the
// container's own attributes.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "ui/core/BoxLayoutUI.h"
#include "ui/core/ContainerUI.h"
#include "ui/core/DPI.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/ScrollBarUI.h"
#include "ui/core/UIDefines.h"

using namespace SkinUI;

namespace {

// Counts destructions through the control's destroy delegates.
struct DestroyCounter {
    int count { 0 };
    CControlUI* Make()
    {
        auto* control = new CControlUI();
        control->DestroyDelegates += MakeDelegate(this, &DestroyCounter::OnDestroy);
        return control;
    }
    bool OnDestroy(void*)
    {
        ++count;
        return true;
    }
};

CControlUI* ByName(CControlUI* control, void* data)
{
    return control->GetName() == static_cast<const wchar_t*>(data) ? control : nullptr;
}

CControlUI* Any(CControlUI* control, void*)
{
    return control;
}

CControlUI* Named(const wchar_t* name, RECT pos = {})
{
    auto* control = new CControlUI();
    control->SetName(name);
    control->SetFloat(true);
    control->SetFixedXY(SIZE { pos.left, pos.top });
    control->SetFixedWidth(pos.right - pos.left);
    control->SetFixedHeight(pos.bottom - pos.top);
    return control;
}

}  // namespace

TEST(Container, OwnsAndRemovesChildren)
{
    DestroyCounter counter;
    CContainerUI box;
    CControlUI* a = counter.Make();
    CControlUI* b = counter.Make();
    CControlUI* c = counter.Make();
    EXPECT_FALSE(box.Add(nullptr));
    EXPECT_TRUE(box.Add(a));
    EXPECT_TRUE(box.Add(c));
    EXPECT_TRUE(box.AddAt(b, 1));
    CControlUI* refused = counter.Make();
    EXPECT_FALSE(box.AddAt(refused, 7)) << "an index past the end is refused";
    delete refused;  // never handed over
    counter.count = 0;
    ASSERT_EQ(box.GetCount(), 3);
    EXPECT_EQ(box.GetItemAt(1), b);
    EXPECT_EQ(box.GetItemAt(3), nullptr);
    EXPECT_EQ(box.GetItemAt(-1), nullptr);
    EXPECT_EQ(box.GetItemIndex(c), 2);

    EXPECT_TRUE(box.SetItemIndex(c, 0));
    EXPECT_EQ(box.GetItemAt(0), c);
    EXPECT_TRUE(box.SetItemIndex(c, 0)) << "its own index keeps the order";
    EXPECT_EQ(box.GetItemAt(1), a);
    EXPECT_FALSE(box.SetItemIndex(c, -1)) << "up from the first place";
    EXPECT_FALSE(box.SetItemIndex(b, 3)) << "down from the last place";
    ASSERT_EQ(box.GetCount(), 3) << "a refused move keeps the child";
    EXPECT_EQ(box.GetItemAt(0), c);
    EXPECT_EQ(box.GetItemAt(2), b);

    CControlUI stranger;
    EXPECT_FALSE(box.Remove(&stranger));
    EXPECT_FALSE(box.RemoveAt(5));
    EXPECT_EQ(counter.count, 0);

    box.SetAutoDestroy(false);
    EXPECT_TRUE(box.Remove(a));
    EXPECT_EQ(counter.count, 0) << "without auto destroy the caller keeps the child";
    delete a;
    EXPECT_EQ(counter.count, 1);

    box.SetAutoDestroy(true);
    EXPECT_TRUE(box.RemoveAt(0));
    EXPECT_EQ(counter.count, 2) << "without a manager a removed child is deleted at once";
    EXPECT_EQ(box.GetCount(), 1);
    box.RemoveAll();
    EXPECT_EQ(counter.count, 3);
    EXPECT_EQ(box.GetCount(), 0);
}

TEST(Container, DelayedDestructionWaitsForTheManager)
{
    DestroyCounter counter;
    {
        CPaintManagerUI manager;
        CContainerUI box;
        box.SetManager(&manager, nullptr, false);
        CControlUI* child = counter.Make();
        box.Add(child);
        EXPECT_EQ(child->GetManager(), &manager);
        EXPECT_EQ(child->GetParent(), &box);
        EXPECT_TRUE(box.Remove(child));
        EXPECT_EQ(counter.count, 0) << "the child survives its removal until deferred work";
        EXPECT_EQ(child->GetParent(), nullptr);
    }
    EXPECT_EQ(counter.count, 1);
}

// Layout, paint and deletion go down a tree one call per level: a tree built in code may nest
// as deep as a skin may, and no deeper, however it is built.
TEST(Container, NestingStopsAtTheLimitWithAClearRefusal)
{
    constexpr int kLimit = CContainerUI::kMaxNestingDepth;
    CPaintManagerUI manager;
    auto* root = new CVerticalLayoutUI;
    root->SetManager(&manager, nullptr, false);
    CContainerUI* deepest = root;
    for (int level = 2; level <= kLimit; ++level) {
        auto* next = new CVerticalLayoutUI;
        ASSERT_TRUE(deepest->Add(next)) << "level " << level;
        deepest = next;
    }
    auto* tooDeep = new CControlUI;
    tooDeep->SetName(L"one too many");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(deepest->Add(tooDeep));
    const std::string refusal = testing::internal::GetCapturedStderr();
    EXPECT_NE(refusal.find("\"one too many\" would nest controls more than 1000 levels deep"), std::string::npos) << refusal;
    EXPECT_EQ(deepest->GetCount(), 0);
    delete tooDeep;  // refused: still the caller's
    root->SetPos({ 0, 0, 100, 100 }, false);
    const RECT& placed = deepest->GetPos();
    EXPECT_EQ(placed.right - placed.left, 100) << "the deepest level is laid out";
    EXPECT_EQ(placed.bottom - placed.top, 100);
    EXPECT_EQ(CContainerUI::NestingDepth(root), kLimit);

    // Built from the bottom up, before any manager: the finished chain is refused whole.
    CContainerUI* chain = new CVerticalLayoutUI;
    for (int level = 2; level <= kLimit; ++level) {
        auto* outer = new CVerticalLayoutUI;
        ASSERT_TRUE(outer->Add(chain)) << "level " << level;
        chain = outer;
    }
    CContainerUI holder;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(holder.Add(chain));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("more than 1000 levels deep; not added"), std::string::npos);
    delete chain;

    // Built from the top down, before any manager, a container cannot see how deep it sits: the
    // window refuses the finished tree instead.
    auto* top = new CVerticalLayoutUI;
    CContainerUI* bottom = top;
    for (int level = 2; level <= kLimit + 1; ++level) {
        auto* next = new CVerticalLayoutUI;
        ASSERT_TRUE(bottom->Add(next)) << "level " << level;
        bottom = next;
    }
    CPaintManagerUI window;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(window.AttachDialog(top));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("more than 1000 levels deep; not attached"), std::string::npos);
    EXPECT_EQ(window.GetRoot(), nullptr);
    EXPECT_EQ(top->GetManager(), nullptr);
    delete top;
    delete root;
}

TEST(Container, HiddenContainerHidesNewChildrenUntilShown)
{
    CContainerUI box;
    box.SetVisible(false);
    auto* child = new CControlUI();
    box.Add(child);
    EXPECT_FALSE(child->IsVisible());
    box.SetVisible(true);
    EXPECT_TRUE(child->IsVisible());
}

TEST(Container, FloatPlacement)
{
    CContainerUI box;
    auto* centred = Named(L"centred", RECT { 0, 0, 100, 40 });
    centred->SetFloatAlign(0x1);
    auto* percent = Named(L"percent", RECT { -50, 10, 50, 30 });
    percent->SetFloatPercent(TPercentInfo { 0.5, 0, 0.5, 0 });
    auto* corner = Named(L"corner", RECT { 0, 0, 30, 30 });
    corner->SetFloatAlign(0x2 | 0x8);
    box.Add(centred);
    box.Add(percent);
    box.Add(corner);
    box.SetPos(RECT { 0, 0, 300, 200 }, false);
    EXPECT_EQ(centred->GetPos().left, 100);
    EXPECT_EQ(centred->GetPos().right, 200);
    EXPECT_EQ(centred->GetPos().top, 0);
    EXPECT_EQ(percent->GetPos().left, 100);
    EXPECT_EQ(percent->GetPos().right, 200);
    EXPECT_EQ(percent->GetPos().top, 10);
    EXPECT_EQ(percent->GetPos().bottom, 30);
    EXPECT_EQ(corner->GetPos().left, 270);
    EXPECT_EQ(corner->GetPos().top, 170);
}

TEST(Container, FindByNameAndPointHonoursTheFlags)
{
    // root (0,0,200,200, inset 20) holds a panel at (20,20,120,120) and a float badge at (0,0,30,30);
    // the panel holds "button" and "hidden".
    CContainerUI root;
    root.SetName(L"root");
    root.SetInset(RECT { 20, 20, 20, 20 });
    auto* panel = new CContainerUI();
    panel->SetName(L"panel");
    auto* button = Named(L"button", RECT { 10, 10, 50, 50 });
    auto* hidden = Named(L"hidden", RECT { 10, 10, 50, 50 });
    hidden->SetVisible(false);
    panel->Add(button);
    panel->Add(hidden);
    auto* badge = Named(L"badge", RECT { 0, 0, 30, 30 });
    auto* under = new CControlUI();  // a non-float child that also covers the inset area
    under->SetName(L"under");
    root.Add(panel);
    root.Add(badge);
    root.SetPos(RECT { 0, 0, 200, 200 }, false);
    panel->SetPos(RECT { 20, 20, 120, 120 }, false);
    hidden->SetPos(button->GetPos(), false);  // layouts skip hidden children; give it the same place
    root.Add(under);
    under->SetPos(RECT { 0, 150, 200, 200 }, false);

    const wchar_t* name = L"hidden";
    EXPECT_EQ(root.FindControl(ByName, const_cast<wchar_t*>(name), 0), hidden);
    EXPECT_EQ(root.FindControl(ByName, const_cast<wchar_t*>(name), FindVisible), nullptr);

    struct PointCase {
        POINT pt;
        UINT flags;
        const wchar_t* want;
    };
    const PointCase cases[] = {
        { { 35, 35 }, FindHitTest, L"button" },
        { { 35, 35 }, FindHitTest | FindTopFirst, L"hidden" },
        { { 35, 35 }, FindHitTest | FindVisible | FindTopFirst, L"button" },
        { { 35, 35 }, FindHitTest | FindMeFirst, L"root" },
        { { 10, 10 }, FindHitTest | FindVisible, L"badge" },     // a float child is found in the inset
        { { 100, 190 }, FindHitTest | FindVisible, L"root" },    // a flow child under the inset is passed over
        { { 100, 170 }, FindHitTest | FindVisible, L"under" },
        { { 250, 10 }, FindHitTest, nullptr },
    };
    for (const PointCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pt.x << "," << c.pt.y << " flags " << c.flags);
        POINT pt = c.pt;
        CControlUI* found = root.FindControl(Any, &pt, c.flags);
        if (c.want == nullptr)
            EXPECT_EQ(found, nullptr);
        else
            EXPECT_TRUE(found != nullptr && found->GetName() == c.want) << (found ? found->GetName().GetData() : L"null");
    }

    button->SetMouseEnabled(false);
    POINT pt { 35, 35 };
    EXPECT_EQ(root.FindControl(Any, &pt, FindHitTest | FindVisible), panel) << "a control without mouse input is passed";
    panel->SetMouseChildEnabled(false);
    button->SetMouseEnabled(true);
    EXPECT_EQ(root.FindControl(Any, &pt, FindHitTest | FindVisible), panel) << "mouse children off";
    EXPECT_EQ(root.FindControl(Any, &pt, FindVisible), button) << "without the hit test the deepest first child wins";
}

TEST(Container, InsetIsScaledForPlacementAndHitTestsAlike)
{
    // At 150 % an inset of 10 is 15 pixels: the child must start there, not at 10 where the paint
    // clip would cut its first 5 pixels off.
    CPaintManagerUI manager;
    manager.GetDPIObj()->SetScale(144);
    CContainerUI box;
    box.SetManager(&manager, nullptr, false);
    box.SetInset(RECT { 10, 10, 10, 10 });
    auto* child = new CControlUI();
    box.Add(child);
    box.SetPos(RECT { 0, 0, 100, 100 }, false);
    EXPECT_EQ(child->GetPos().left, 15);
    EXPECT_EQ(child->GetPos().top, 15);
    EXPECT_EQ(child->GetPos().right, 85);
    const RECT client = box.GetClientPos();
    EXPECT_EQ(client.left, 15);
    POINT edge { 15, 15 };
    EXPECT_EQ(box.FindControl(Any, &edge, FindHitTest | FindVisible), child);
}

TEST(Container, LineAndPageSteps)
{
    CContainerUI box;
    box.EnableScrollBar(true, true);
    auto* content = new CControlUI();
    box.Add(content);
    box.SetPos(RECT { 0, 0, 100, 100 }, false);
    CScrollBarUI* vbar = box.GetVerticalScrollBar();
    CScrollBarUI* hbar = box.GetHorizontalScrollBar();
    vbar->SetVisible(true);
    vbar->SetScrollRange(500);
    hbar->SetVisible(true);
    hbar->SetScrollRange(500);

    box.LineDown();
    EXPECT_EQ(box.GetScrollPos().cy, 8) << "no step size and no manager: 8 pixels";
    box.LineRight();
    EXPECT_EQ(box.GetScrollPos().cx, 8);
    box.PageDown();
    EXPECT_EQ(box.GetScrollPos().cy, 8 + 100 - 16) << "a page is the view less the horizontal bar";
    box.EndDown();
    EXPECT_EQ(box.GetScrollPos().cy, 500);
    box.HomeLeft();
    EXPECT_EQ(box.GetScrollPos().cx, 0);
    box.SetScrollStepSize(0);
    box.SetScrollStepSize(30);
    box.LineUp();
    EXPECT_EQ(box.GetScrollPos().cy, 470);
}

TEST(Container, ScrollBarAttributes)
{
    CContainerUI box;
    box.SetAttribute(L"hscrollbar", L"true");
    box.SetAttribute(L"vscrollbar", L"true");
    EXPECT_NE(box.GetHorizontalScrollBar(), nullptr) << "enabling one bar keeps the other";
    EXPECT_NE(box.GetVerticalScrollBar(), nullptr);
    box.SetAttribute(L"vscrollbar", L"false");
    EXPECT_EQ(box.GetVerticalScrollBar(), nullptr);
    box.SetAttribute(L"hscrollbarstyle", L"linesize=\"5\" showbutton1=\"false\"");
    ASSERT_NE(box.GetHorizontalScrollBar(), nullptr);
    EXPECT_EQ(box.GetHorizontalScrollBar()->GetLineSize(), 5);
    EXPECT_FALSE(box.GetHorizontalScrollBar()->GetShowButton1());
    EXPECT_TRUE(box.GetHorizontalScrollBar()->IsHorizontal());
    EXPECT_EQ(box.GetVerticalScrollBar(), nullptr) << "a style for one bar creates no other";

    box.SetAttribute(L"childalign", L"right");
    EXPECT_EQ(box.GetChildAlign(), 2u);
    box.SetAttribute(L"childalign", L"Center");
    EXPECT_EQ(box.GetChildAlign(), 2u) << "values compare with case";
    box.SetAttribute(L"CHILDALIGN", L"center");
    EXPECT_EQ(box.GetChildAlign(), 2u);
    EXPECT_STREQ(box.GetCustomAttribute(L"CHILDALIGN"), L"center") << "the key compares with case too";
    box.SetAttribute(L"childvalign", L"bottom");
    EXPECT_EQ(box.GetChildVAlign(), 8u);
    box.SetAttribute(L"inset", L"1,2,3,4");
    EXPECT_EQ(box.GetInset().bottom, 4);
}

namespace {

class NotifyLog : public INotifyUI {
public:
    void Notify(TNotifyUI& msg) override { entries.push_back({ std::wstring(msg.sType.GetData()), msg.wParam }); }
    std::vector<std::pair<std::wstring, WPARAM>> entries;
};

}  // namespace

TEST(Container, ScrollNotificationCountsLines)
{
    CPaintManagerUI manager;
    NotifyLog log;
    manager.AddNotifier(&log);
    CContainerUI box;
    box.SetManager(&manager, nullptr, false);
    box.EnableScrollBar(true, false);
    box.Add(new CControlUI());
    box.SetPos(RECT { 0, 0, 100, 100 }, false);
    CScrollBarUI* bar = box.GetVerticalScrollBar();
    bar->SetVisible(true);
    bar->SetScrollRange(300);

    box.SetScrollPos(SIZE { 0, 16 }, true);
    box.SetScrollPos(SIZE { 0, 16 }, true);  // unchanged: nothing moves, nothing is sent
    box.SetScrollPos(SIZE { 0, 0 }, true);
    bar->SetAttribute(L"linesize", L"0");
    box.SetScrollPos(SIZE { 0, 40 }, true);  // a line size of 0 counts single pixels
    bar->SetLineSize(-5);
    box.SetScrollPos(SIZE { 0, 41 }, false);
    const std::vector<std::pair<std::wstring, WPARAM>> want = { { L"scroll", 3 }, { L"scroll", 1 }, { L"scroll", 41 } };
    EXPECT_EQ(log.entries, want);
}

namespace {

class EventRecorder : public CContainerUI {
public:
    void DoEvent(tagTEventUI& event) override { seen.push_back(event.Type); }
    std::vector<int> seen;
};

}  // namespace

TEST(Container, WheelScrollsTheVisibleBarElseGoesUp)
{
    CPaintManagerUI manager;
    EventRecorder parent;
    parent.SetManager(&manager, nullptr, false);
    auto* box = new CContainerUI();
    parent.Add(box);
    box->EnableScrollBar(true, true);
    box->Add(new CControlUI());
    box->SetPos(RECT { 0, 0, 100, 100 }, false);
    CScrollBarUI* hbar = box->GetHorizontalScrollBar();
    hbar->SetVisible(true);
    hbar->SetScrollRange(100);
    box->GetVerticalScrollBar()->SetVisible(false);

    tagTEventUI wheel {};
    wheel.Type = UiEventScrollWheel;
    wheel.wParam = 1;  // down
    box->Event(wheel);
    EXPECT_EQ(box->GetScrollPos().cx, 8) << "the hidden vertical bar leaves the wheel to the horizontal one";
    EXPECT_TRUE(parent.seen.empty());

    hbar->SetVisible(false);
    box->Event(wheel);
    EXPECT_EQ(parent.seen, std::vector<int>({ UiEventScrollWheel })) << "no visible bar: the parent gets it";
}
