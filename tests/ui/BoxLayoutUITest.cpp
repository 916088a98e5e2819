// Box layout rectangles for tables of fixed, minimum, maximum and shared sizes, on both axes and
// at 100, 125 and 150 percent. Each vertical case is also run mirrored through the horizontal box.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "ui/core/BoxLayoutUI.h"
#include "ui/core/DPI.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/ScrollBarUI.h"
#include "ui/core/UIDefines.h"

using namespace SkinUI;

namespace {

// A child along the stacking axis: fixed extent (0 shares), limits and the padding before/after.
struct Child {
    int fixed { 0 };
    int min { 0 };
    int max { 9999 };
    int padBefore { 0 };
    int padAfter { 0 };
    bool visible { true };
};

struct Span {
    int start;
    int end;
    bool operator==(const Span&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Span& s)
{
    return os << "[" << s.start << "," << s.end << ")";
}

// Builds a box of the given extent along its axis (the cross extent is 50), lays it out and returns
// each child's span on the stacking axis.
std::vector<Span> Stack(bool vertical, int extent, const std::vector<Child>& children, int childPadding = 0,
                        int inset = 0, UINT dpi = 0)
{
    CPaintManagerUI manager;
    std::unique_ptr<CContainerUI> box;
    if (vertical)
        box = std::make_unique<CVerticalLayoutUI>();
    else
        box = std::make_unique<CHorizontalLayoutUI>();
    if (dpi != 0) {
        manager.GetDPIObj()->SetScale(dpi);
        box->SetManager(&manager, nullptr, false);
    }
    box->SetChildPadding(childPadding);
    box->SetInset(RECT { inset, inset, inset, inset });
    std::vector<CControlUI*> made;
    for (const Child& c : children) {
        auto* control = new CControlUI();
        vertical ? control->SetFixedHeight(c.fixed) : control->SetFixedWidth(c.fixed);
        vertical ? control->SetMinHeight(c.min) : control->SetMinWidth(c.min);
        vertical ? control->SetMaxHeight(c.max) : control->SetMaxWidth(c.max);
        control->SetPadding(vertical ? RECT { 0, c.padBefore, 0, c.padAfter } : RECT { c.padBefore, 0, c.padAfter, 0 });
        control->SetVisible(c.visible);
        box->Add(control);  // the box owns it
        made.push_back(control);
    }
    box->SetPos(vertical ? RECT { 0, 0, 50, extent } : RECT { 0, 0, extent, 50 }, false);
    std::vector<Span> spans;
    for (CControlUI* control : made) {
        const RECT& rc = control->GetPos();
        spans.push_back(vertical ? Span { rc.top, rc.bottom } : Span { rc.left, rc.right });
    }
    return spans;
}

struct Case {
    const char* name;
    int extent;
    std::vector<Child> children;
    int childPadding;
    int inset;
    UINT dpi;
    std::vector<Span> want;
};

}  // namespace

TEST(BoxLayout, StackingTableOnBothAxes)
{
    const Case cases[] = {
        { "three sharers: the last takes the remainder", 100, { {}, {}, {} }, 0, 0, 0, { { 0, 33 }, { 33, 66 }, { 66, 100 } } },
        { "fixed then sharers", 100, { { 40 }, {}, {} }, 0, 0, 0, { { 0, 40 }, { 40, 70 }, { 70, 100 } } },
        { "a sharer capped by its max hands the rest to the last", 100, { { 0, 0, 20 }, {}, {} }, 0, 0, 0,
          { { 0, 20 }, { 20, 53 }, { 53, 100 } } },
        { "the last sharer capped too leaves space empty", 100, { {}, { 0, 0, 10 } }, 0, 0, 0, { { 0, 50 }, { 50, 60 } } },
        { "a sharer raised to its min squeezes the last", 100, { { 0, 60 }, {} }, 0, 0, 0, { { 0, 60 }, { 60, 100 } } },
        { "overfull: fixed kept, sharer gets 0", 100, { { 60 }, { 60 }, {} }, 0, 0, 0, { { 0, 60 }, { 60, 120 }, { 120, 120 } } },
        { "child padding between, not around", 100, { {}, {}, {} }, 10, 0, 0, { { 0, 26 }, { 36, 62 }, { 72, 100 } } },
        { "child paddings on both sides", 100, { { 20, 0, 9999, 5, 5 }, {} }, 0, 0, 0, { { 5, 25 }, { 30, 100 } } },
        { "an invisible child takes no space and no child padding", 100, { {}, { 0, 0, 9999, 0, 0, false }, {} }, 10, 0, 0,
          { { 0, 45 }, { 0, 0 }, { 55, 100 } } },
        { "inset on both ends", 100, { {}, {} }, 0, 10, 0, { { 10, 50 }, { 50, 90 } } },
        // At 125 %: fixed 40 -> 50, child padding 10 -> 13 (rounded half up), inset 8 -> 10.
        { "125 %: fixed, padding and inset scale", 125, { { 40 }, {} }, 10, 8, 120, { { 10, 60 }, { 73, 115 } } },
        // At 150 %: min 50 -> 75, padding 5 -> 8 (7.5 rounds up), inset 4 -> 6.
        { "150 %: min and paddings scale", 150, { { 0, 50, 9999, 5, 0 }, {} }, 0, 4, 144, { { 14, 89 }, { 89, 144 } } },
        { "150 %: three sharers still end exactly at the inner edge", 100, { {}, {}, {} }, 3, 3, 144,
          { { 5, 31 }, { 36, 62 }, { 67, 95 } } },
    };
    for (const Case& c : cases) {
        for (bool vertical : { true, false }) {
            SCOPED_TRACE(testing::Message() << c.name << (vertical ? " (vertical)" : " (horizontal)"));
            EXPECT_EQ(Stack(vertical, c.extent, c.children, c.childPadding, c.inset, c.dpi), c.want);
        }
    }
}

TEST(BoxLayout, CrossAxisSizeAndAlignment)
{
    struct AlignCase {
        const wchar_t* key;
        const wchar_t* value;
        int fixedCross;
        int padBefore, padAfter;
        int wantStart, wantEnd;
    };
    // The box's cross extent is 100 with an inset of 10: the inner span is [10, 90).
    const AlignCase cases[] = {
        { nullptr, nullptr, 0, 4, 6, 14, 84 },               // flexible: inner span less its paddings
        { nullptr, nullptr, 200, 4, 0, 14, 214 },            // fixed: kept even when wider than the box
        { L"childalign", L"center", 20, 4, 6, 40, 60 },      // centred: paddings ignored
        { L"childalign", L"right", 20, 4, 6, 64, 84 },
        { L"childalign", L"Center", 20, 4, 6, 14, 34 },      // values compare with case: stays left
    };
    for (const AlignCase& c : cases) {
        for (bool vertical : { true, false }) {
            SCOPED_TRACE(testing::Message() << (c.value ? "align" : "size") << " fixed=" << c.fixedCross
                                            << (vertical ? " vertical" : " horizontal"));
            std::unique_ptr<CContainerUI> box;
            if (vertical)
                box = std::make_unique<CVerticalLayoutUI>();
            else
                box = std::make_unique<CHorizontalLayoutUI>();
            if (c.key != nullptr)
                box->SetAttribute(vertical ? c.key : L"childvalign",
                                  vertical ? c.value : (std::wstring(c.value) == L"center" ? L"vcenter"
                                                       : std::wstring(c.value) == L"right" ? L"bottom" : L"Vcenter"));
            box->SetInset(RECT { 10, 10, 10, 10 });
            auto* child = new CControlUI();
            vertical ? child->SetFixedWidth(c.fixedCross) : child->SetFixedHeight(c.fixedCross);
            child->SetPadding(vertical ? RECT { c.padBefore, 0, c.padAfter, 0 } : RECT { 0, c.padBefore, 0, c.padAfter });
            box->Add(child);
            box->SetPos(RECT { 0, 0, 100, 100 }, false);
            const RECT& rc = child->GetPos();
            EXPECT_EQ(vertical ? rc.left : rc.top, c.wantStart);
            EXPECT_EQ(vertical ? rc.right : rc.bottom, c.wantEnd);
        }
    }
}

TEST(BoxLayout, ScrollBarFollowsContentAndShiftsTheStack)
{
    CVerticalLayoutUI box;
    box.SetAttribute(L"vscrollbar", L"true");
    auto* first = new CControlUI();
    first->SetFixedHeight(150);
    auto* second = new CControlUI();
    second->SetFixedHeight(100);
    box.Add(first);
    box.Add(second);
    box.SetPos(RECT { 0, 0, 80, 100 }, false);

    CScrollBarUI* bar = box.GetVerticalScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(bar->GetScrollRange(), 150);
    EXPECT_EQ(bar->GetPos().left, 80 - 16);
    EXPECT_EQ(first->GetPos().right, 80 - 16) << "children leave room for the bar";

    box.SetScrollPos(SIZE { 0, 40 }, false);
    EXPECT_EQ(first->GetPos().top, -40);
    box.SetPos(box.GetPos(), false);
    EXPECT_EQ(first->GetPos().top, -40) << "a new layout keeps the scroll position";
    EXPECT_EQ(second->GetPos().top, 110);

    box.SetScrollPos(SIZE { 0, 1000 }, false);
    EXPECT_EQ(bar->GetScrollPos(), 150) << "clamped to the range";

    second->SetVisible(false);
    box.SetPos(box.GetPos(), false);
    EXPECT_EQ(bar->GetScrollRange(), 50);
    first->SetFixedHeight(60);
    box.SetPos(box.GetPos(), false);
    EXPECT_FALSE(bar->IsVisible()) << "content that fits hides the bar";
    EXPECT_EQ(bar->GetScrollPos(), 0);
    EXPECT_EQ(bar->GetScrollRange(), 0);
    EXPECT_EQ(first->GetPos().top, 0);
    EXPECT_EQ(first->GetPos().right, 80);
}

TEST(BoxLayout, FloatChildTakesNoSpace)
{
    CHorizontalLayoutUI box;
    auto* flow = new CControlUI();
    auto* floating = new CControlUI();
    floating->SetAttribute(L"float", L"true");
    floating->SetAttribute(L"pos", L"10,5,40,25");
    box.Add(floating);
    box.Add(flow);
    box.SetPos(RECT { 100, 100, 300, 200 }, false);
    EXPECT_EQ(flow->GetPos().left, 100);
    EXPECT_EQ(flow->GetPos().right, 300);
    EXPECT_EQ(floating->GetPos().left, 110);
    EXPECT_EQ(floating->GetPos().top, 105);
    EXPECT_EQ(floating->GetPos().right, 140);
    EXPECT_EQ(floating->GetPos().bottom, 125);
}

namespace {

tagTEventUI MouseEvent(int type, int x, int y)
{
    tagTEventUI event {};
    event.Type = type;
    event.ptMouse = POINT { x, y };
    return event;
}

}  // namespace

TEST(BoxLayout, SeparatorDragAtTheTopEdgeStopsAtTheMinimum)
{
    CPaintManagerUI manager;
    CVerticalLayoutUI parent;
    auto* box = new CVerticalLayoutUI();
    auto* below = new CControlUI();
    parent.SetManager(&manager, nullptr, false);
    parent.Add(new CControlUI());
    parent.Add(box);
    parent.Add(below);
    box->SetAttribute(L"sepheight", L"-4");
    box->SetAttribute(L"sepimm", L"TRUE");
    box->SetFixedHeight(100);
    box->SetMinHeight(50);
    parent.SetPos(RECT { 0, 0, 100, 400 }, false);
    ASSERT_EQ(box->GetPos().top, 150);
    EXPECT_TRUE(box->IsSepImmMode());
    const RECT band = box->GetThumbRect(false);
    EXPECT_EQ(band.top, 150);
    EXPECT_EQ(band.bottom, 154);

    auto down = MouseEvent(UiEventButtonDown, 50, 151);
    box->Event(down);
    auto up20 = MouseEvent(UiEventMouseMove, 50, 131);
    box->Event(up20);
    EXPECT_EQ(box->GetFixedHeight(), 120) << "dragging the top edge up grows the box";
    EXPECT_EQ(box->GetPos().top, 130) << "immediate mode resizes at once";
    auto down90 = MouseEvent(UiEventMouseMove, 50, 221);
    box->Event(down90);
    EXPECT_EQ(box->GetFixedHeight(), 50) << "never below the minimum";
    auto further = MouseEvent(UiEventMouseMove, 50, 240);
    box->Event(further);
    EXPECT_EQ(box->GetFixedHeight(), 50) << "a move from the minimum onwards is ignored";
    auto release = MouseEvent(UiEventButtonUp, 50, 240);
    box->Event(release);
    parent.SetPos(parent.GetPos(), false);
    EXPECT_EQ(box->GetHeight(), 50);
    EXPECT_EQ(below->GetPos().top, box->GetPos().bottom);
}

TEST(BoxLayout, DeferredSeparatorDragPreviewsUntilRelease)
{
    CPaintManagerUI manager;
    manager.GetDPIObj()->SetScale(144);
    CHorizontalLayoutUI parent;
    auto* box = new CHorizontalLayoutUI();
    parent.SetManager(&manager, nullptr, false);
    parent.Add(box);
    parent.Add(new CControlUI());
    box->SetAttribute(L"sepwidth", L"6");
    box->SetAttribute(L"sepimm", L"1");
    box->SetFixedWidth(100);
    parent.SetPos(RECT { 0, 0, 600, 100 }, false);
    ASSERT_EQ(box->GetWidth(), 150);
    EXPECT_FALSE(box->IsSepImmMode());
    EXPECT_EQ(box->GetControlFlags(), static_cast<UINT>(ControlFlagSetCursor));

    auto down = MouseEvent(UiEventButtonDown, 147, 50);
    box->Event(down);
    auto move = MouseEvent(UiEventMouseMove, 177, 50);
    box->Event(move);
    EXPECT_TRUE(manager.IsPostPaint(box)) << "the preview is painted after the tree";
    EXPECT_EQ(box->GetWidth(), 150) << "deferred mode keeps the old rectangle during the drag";
    EXPECT_EQ(box->GetThumbRect(true).right, 180) << "the preview band follows the pointer";
    EXPECT_EQ(box->GetFixedWidth(), 180) << "the dragged extent is stored in skin units and reads back scaled";
    auto up = MouseEvent(UiEventButtonUp, 177, 50);
    box->Event(up);
    EXPECT_EQ(box->GetWidth(), 180);
    EXPECT_FALSE(manager.IsPostPaint(box));
}

TEST(BoxLayout, BothBarsReturningTogetherFitTheView)
{
    // Maximise (both bars go) then restore (both come back in one pass): the vertical bar must
    // sit inside the box above the horizontal one, and each range must leave room for the other.
    for (const int dpi : { 96, 120, 144 }) {
        SCOPED_TRACE(testing::Message() << "dpi " << dpi);
        CPaintManagerUI manager;
        manager.GetDPIObj()->SetScale(dpi);
        CVerticalLayoutUI box;
        box.SetManager(&manager, nullptr, false);
        box.SetAttribute(L"vscrollbar", L"true");
        box.SetAttribute(L"hscrollbar", L"true");
        auto* content = new CControlUI();
        content->SetFixedWidth(300);
        content->SetFixedHeight(300);
        box.Add(content);
        const int side = 300 * dpi / 96;

        box.SetPos(RECT { 0, 0, 2000, 2000 }, false);
        CScrollBarUI* vbar = box.GetVerticalScrollBar();
        CScrollBarUI* hbar = box.GetHorizontalScrollBar();
        ASSERT_FALSE(vbar->IsVisible());
        ASSERT_FALSE(hbar->IsVisible());

        box.SetPos(RECT { 0, 0, 200, 200 }, false);
        ASSERT_TRUE(vbar->IsVisible());
        ASSERT_TRUE(hbar->IsVisible());
        const int vw = vbar->GetFixedWidth(), hh = hbar->GetFixedHeight();
        EXPECT_EQ(vbar->GetPos().left, 200 - vw);
        EXPECT_EQ(vbar->GetPos().right, 200);
        EXPECT_EQ(vbar->GetPos().bottom, 200 - hh);
        EXPECT_EQ(hbar->GetPos().right, 200 - vw);
        EXPECT_EQ(hbar->GetPos().top, 200 - hh);
        EXPECT_EQ(vbar->GetScrollRange(), side - (200 - hh));
        EXPECT_EQ(hbar->GetScrollRange(), side - (200 - vw));
    }
}

TEST(ShareExtent, FixedKeepTheirsOthersSplitTheRest)
{
    struct Case {
        int available;
        std::vector<ExtentRequest> children;
        std::vector<int> want;
    };
    const Case cases[] = {
        { 100, { {}, {}, {} }, { 33, 33, 34 } },               // last sharer takes the remainder
        { 100, { { 40 }, {}, {} }, { 40, 30, 30 } },
        { 50, { { 40 }, { 40 } }, { 40, 40 } },               // overfull: fixed extents still kept
        { 10, { {}, {}, { 20 } }, { 0, 0, 20 } },              // nothing left: sharers get 0, never negative
        { 100, { { 5, 10, 50 }, { 80, 0, 50 }, {} }, { 10, 50, 40 } },  // fixed clamped, then shared
        { 100, { { 0, 0, 20 }, {}, {} }, { 20, 33, 47 } },     // a capped sharer leaves its rest to the last
        { 100, { {}, {}, { 0, 60, 9999 } }, { 33, 33, 60 } },  // the last sharer still meets its minimum
        { 100, {}, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "available=" << c.available << " children=" << c.children.size());
        EXPECT_EQ(ShareExtent(c.available, c.children), c.want);
    }
}

namespace {

// A child that counts its measures, and a box that records how deep its own layout nests.
class CountingChild : public CControlUI {
public:
    SIZE EstimateSize(SIZE available) override
    {
        ++estimates;
        return CControlUI::EstimateSize(available);
    }
    int estimates { 0 };
};

class ReentryProbe : public CVerticalLayoutUI {
public:
    void SetPos(RECT rc, bool invalidate) override
    {
        ++depth;
        deepest = std::max(deepest, depth);
        CVerticalLayoutUI::SetPos(rc, invalidate);
        --depth;
    }
    int depth { 0 };
    int deepest { 0 };
};

}  // namespace

TEST(BoxLayout, ScrollBarsAreDecidedBeforeThePlacementWithoutReentry)
{
    CPaintManagerUI manager;
    ReentryProbe box;
    box.SetManager(&manager, nullptr, false);
    box.SetAttribute(L"vscrollbar", L"true");
    auto* child = new CountingChild();
    child->SetFixedHeight(300);
    box.Add(child);  // the box owns it

    box.SetPos(RECT { 0, 0, 200, 1000 }, false);  // a new bar starts visible and goes here
    ASSERT_FALSE(box.GetVerticalScrollBar()->IsVisible());
    child->estimates = 0;
    box.SetPos(RECT { 0, 0, 200, 1000 }, false);
    EXPECT_EQ(child->estimates, 1);  // measured once when the bars stay as they are

    child->estimates = 0;
    box.deepest = 0;
    box.SetPos(RECT { 0, 0, 200, 100 }, false);  // the bar appears: measured again, placed once
    ASSERT_TRUE(box.GetVerticalScrollBar()->IsVisible());
    EXPECT_EQ(box.deepest, 1);
    EXPECT_EQ(child->estimates, 2);
    EXPECT_EQ(box.GetVerticalScrollBar()->GetScrollRange(), 200);
    const CScrollBarUI* bar = box.GetVerticalScrollBar();
    EXPECT_EQ(child->GetPos().right, 200 - bar->GetFixedWidth());
    EXPECT_EQ(child->GetPos().bottom - child->GetPos().top, 300);
}
