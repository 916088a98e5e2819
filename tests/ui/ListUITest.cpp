// The list, its rows and its header: selection bookkeeping, keys and wheel, columns, header drags
// at two DPIs, skin building and row painting, on one 20-row list in a 5-row viewport.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <thread>

#include "ListTestWindow.h"
#include "ui/controls/ListElementUI.h"
#include "ui/controls/ListHeaderUI.h"
#include "ui/controls/ListUI.h"
#include "ui/core/DPI.h"
#include "ui/core/RenderEngine.h"
#include "ui/core/ScrollBarUI.h"

using namespace SkinUI;
using namespace listtest;

namespace {

constexpr const wchar_t* kListSkin =
    L"<Window><VerticalLayout>"
    L"<List name=\"list\" float=\"true\" pos=\"0,0,300,100\" header=\"hidden\" vscrollbar=\"true\" />"
    L"</VerticalLayout></Window>";

// 20 rows of 20 px in a 100 px body: 5 rows show.
struct TwentyRows : testing::Test {
    SkinWindow window { kListSkin };
    CListUI* list = window.Find<CListUI>(L"list");

    void SetUp() override
    {
        ASSERT_NE(list, nullptr);
        for (int i = 0; i < 20; ++i)
            list->Add(MakeRow(i));
        window.Refresh();
    }
    virtual CControlUI* MakeRow(int i)
    {
        auto* row = new CListLabelElementUI();
        row->SetName((L"r" + std::to_wstring(i)).c_str());
        row->SetText((L"row " + std::to_wstring(i)).c_str());
        row->SetFixedHeight(20);
        return row;
    }
    CControlUI* Row(int i) { return list->GetItemAt(i); }
    IListItemUI* Item(int i) { return static_cast<IListItemUI*>(Row(i)->GetInterface(L"ListItem")); }
    void Disable(const std::set<int>& rows)
    {
        for (int i : rows)
            Row(i)->SetEnabled(false);
    }
    // The selected row lies wholly inside the body's view.
    void ExpectShown(int i)
    {
        RECT view = list->GetList()->GetPos();
        if (list->GetHorizontalScrollBar() != nullptr && list->GetHorizontalScrollBar()->IsVisible())
            view.bottom -= list->GetHorizontalScrollBar()->GetFixedHeight();
        const RECT rc = Row(i)->GetPos();
        EXPECT_GE(rc.top, view.top) << "row " << i;
        EXPECT_LE(rc.bottom, view.bottom) << "row " << i;
    }
    std::vector<int> Selected()
    {
        std::vector<int> out;
        for (int i = list->GetNextSelItem(-1), guard = 0; i != -1 && guard < 50; i = list->GetNextSelItem(i), ++guard)
            out.push_back(i);
        return out;
    }
};

}  // namespace

TEST_F(TwentyRows, SelectItemRecordsTheRowOnceAndReportsOnce)
{
    EXPECT_TRUE(list->SelectItem(3));
    EXPECT_EQ(window.log, std::vector<std::wstring>({ L"itemselect:list:3" }));
    EXPECT_EQ(list->GetSelectItemCount(), 1);
    EXPECT_EQ(Selected(), std::vector<int>({ 3 })) << "the walk ends";
    EXPECT_TRUE(Item(3)->IsSelected());

    EXPECT_TRUE(list->SelectItem(12));
    ExpectShown(12);
    EXPECT_FALSE(Item(3)->IsSelected());
    EXPECT_EQ(Selected(), std::vector<int>({ 12 }));

    EXPECT_FALSE(list->SelectItem(40)) << "no such row";
    EXPECT_EQ(list->GetCurSel(), -1) << "a failed SelectItem leaves nothing selected";
}

TEST_F(TwentyRows, RowsAddedAndRemovedAroundTheSelectionKeepItOnItsRow)
{
    struct Case {
        const char* what;
        int select;
        std::set<int> disabled;
        int remove;    // -1: none
        int insertAt;  // -1: none
        int want;
        bool reported;
    };
    const Case cases[] = {
        { "remove the selected row: the next takes over", 5, {}, 5, -1, 5, true },
        { "remove the selected row, next disabled: the one before", 5, { 6 }, 5, -1, 4, true },
        { "remove the selected last row: the one before", 19, {}, 19, -1, 18, true },
        { "remove a row before the selection", 5, {}, 2, -1, 4, false },
        { "remove a row after the selection", 5, {}, 9, -1, 5, false },
        { "insert a row before the selection", 5, {}, -1, 0, 6, false },
        { "insert a row at the selection", 5, {}, -1, 5, 6, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        list->RemoveAll();
        for (int i = 0; i < 20; ++i)
            list->Add(MakeRow(i));
        window.Refresh();
        Disable(c.disabled);
        ASSERT_TRUE(list->SelectItem(c.select));
        window.log.clear();
        if (c.remove >= 0) {
            EXPECT_TRUE(list->RemoveAt(c.remove));
        }
        if (c.insertAt >= 0) {
            EXPECT_TRUE(list->AddAt(MakeRow(99), c.insertAt));
        }
        EXPECT_EQ(list->GetCurSel(), c.want);
        EXPECT_EQ(Selected(), std::vector<int>({ c.want }));
        EXPECT_TRUE(Item(c.want)->IsSelected());
        EXPECT_EQ(Item(c.want)->GetIndex(), c.want);
        EXPECT_EQ(window.log.size(), c.reported ? 1u : 0u);
    }
    list->RemoveAll();
    EXPECT_EQ(list->GetSelectItemCount(), 0);
    EXPECT_EQ(list->GetCurSel(), -1);
    EXPECT_EQ(list->GetNextSelItem(-1), -1);
}

TEST_F(TwentyRows, MovingRowsKeepsTheSelectionOnItsRows)
{
    list->SetMultiSelect(true);
    ASSERT_TRUE(list->SelectMultiItem(2));
    ASSERT_TRUE(list->SelectMultiItem(7));
    CControlUI* moved = Row(2);
    EXPECT_TRUE(list->SetItemIndex(moved, 10));
    EXPECT_EQ(Row(10), moved);
    EXPECT_EQ(Item(10)->GetIndex(), 10);
    EXPECT_EQ(Selected(), std::vector<int>({ 10, 6 }));
    EXPECT_FALSE(list->SetItemIndex(Row(0), -1)) << "up from the first row";
    EXPECT_FALSE(list->SetItemIndex(Row(19), 20)) << "down from the last row";
    EXPECT_EQ(list->GetCount(), 20);
}

TEST_F(TwentyRows, MultiSelectWithCtrlClickAndSelectAll)
{
    list->SetMultiSelect(true);
    list->SelectItem(0);
    ClickAt(Centre(Row(0)->GetPos()));
    hl::KeyDown(VK_CONTROL);
    ClickAt(Centre(Row(2)->GetPos()));
    ClickAt(Centre(Row(4)->GetPos()));
    EXPECT_EQ(Selected(), std::vector<int>({ 0, 2, 4 }));
    ClickAt(Centre(Row(2)->GetPos()));
    EXPECT_EQ(Selected(), std::vector<int>({ 0, 4 })) << "Ctrl-click on a selected row takes it out";
    window.pm.SetFocus(list);
    hl::PressKey('A');
    hl::KeyUp(VK_CONTROL);
    Pump();
    EXPECT_EQ(list->GetSelectItemCount(), 20);
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(Item(i)->IsSelected()) << i;
}

TEST_F(TwentyRows, ShiftClickSelectsARangeOnContainerRowsOnly)
{
    list->SetMultiSelect(true);
    ASSERT_TRUE(list->SelectItem(1));
    hl::KeyDown(VK_SHIFT);
    ClickAt(Centre(Row(3)->GetPos()));
    hl::KeyUp(VK_SHIFT);
    Pump();
    EXPECT_EQ(Selected(), std::vector<int>({ 3 })) << "a label row selects only itself";

    list->RemoveAll();
    for (int i = 0; i < 6; ++i) {
        auto* row = new CListContainerElementUI();
        row->SetFixedHeight(20);
        list->Add(row);
    }
    window.Refresh();
    ASSERT_TRUE(list->SelectItem(1));
    hl::KeyDown(VK_SHIFT);
    ClickAt(Centre(Row(3)->GetPos()));
    hl::KeyUp(VK_SHIFT);
    Pump();
    EXPECT_EQ(Selected(), std::vector<int>({ 1, 2, 3 }));
    EXPECT_EQ(list->GetCurSel(), 1) << "the anchor stays";
}

TEST_F(TwentyRows, KeysStepOverDisabledRowsAndKeepTheSelection)
{
    struct Case {
        int start;
        int key;
        std::set<int> disabled;
        int want;
    };
    const Case cases[] = {
        { 2, VK_DOWN, { 3 }, 4 },      { 4, VK_UP, { 3 }, 2 },         { 2, VK_DOWN, { 3, 4, 5 }, 6 },
        { 19, VK_DOWN, {}, 19 },       { 0, VK_UP, {}, 0 },            { 17, VK_DOWN, { 18, 19 }, 17 },
        { 2, VK_UP, { 0, 1 }, 2 },     { 5, VK_END, { 19 }, 18 },      { 5, VK_HOME, { 0 }, 1 },
        { 0, VK_END, {}, 19 },         { 19, VK_HOME, {}, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "start " << c.start << " key " << c.key);
        for (int i = 0; i < 20; ++i)
            Row(i)->SetEnabled(c.disabled.count(i) == 0);
        ASSERT_TRUE(list->SelectItem(c.start));
        window.pm.SetFocus(list);
        window.log.clear();
        hl::PressKey(c.key);
        Pump();
        EXPECT_EQ(list->GetCurSel(), c.want);
        EXPECT_EQ(list->GetSelectItemCount(), 1);
        ExpectShown(c.want);
        const std::vector<std::wstring> report { L"itemselect:list:" + std::to_wstring(c.want) };
        EXPECT_EQ(window.log, c.want == c.start ? std::vector<std::wstring>() : report);
    }
}

TEST_F(TwentyRows, WheelMovesTheSelectionWithScrollSelectAndScrollsOtherwise)
{
    list->SetScrollSelect(true);
    Disable({ 3 });
    ASSERT_TRUE(list->SelectItem(2));
    const POINT at = Centre(list->GetPos());
    hl::Wheel(-WHEEL_DELTA, at.x, at.y);
    Pump();
    EXPECT_EQ(list->GetCurSel(), 4) << "down over the disabled row";
    hl::Wheel(WHEEL_DELTA, at.x, at.y);
    Pump();
    EXPECT_EQ(list->GetCurSel(), 2);

    list->SetMultiSelect(true);
    ASSERT_TRUE(list->SelectItem(2));
    list->SetScrollPos({ 0, 0 });
    hl::Wheel(-WHEEL_DELTA, at.x, at.y);
    Pump();
    EXPECT_EQ(list->GetCurSel(), 2) << "multi-select scrolls instead";
    EXPECT_GT(list->GetScrollPos().cy, 0);
}

TEST_F(TwentyRows, EnsureVisibleOfAMissingRowDoesNothing)
{
    ASSERT_TRUE(list->SelectItem(0));
    list->EnsureVisible(25);
    list->EnsureVisible(-3);
    EXPECT_EQ(list->GetScrollPos().cy, 0);
    list->EnsureVisible(19);
    ExpectShown(19);
}

// The editor's row builders run on workers: a list with a window takes row changes only on that
// window's thread, and a refused change leaves the rows as they were.
TEST_F(TwentyRows, RowChangesFromAnotherThreadAreRefused)
{
    auto* row = new CListLabelElementUI();
    bool added = true, removed = true, removedAt = true;
    std::thread worker([&] {
        added = list->Add(row);
        removed = list->Remove(Row(3));
        removedAt = list->RemoveAt(0);
        list->RemoveAll();
    });
    worker.join();
    EXPECT_FALSE(added);
    EXPECT_FALSE(removed);
    EXPECT_FALSE(removedAt);
    EXPECT_EQ(list->GetCount(), 20);
    EXPECT_TRUE(list->Add(row));  // the list owns it now
    EXPECT_EQ(list->GetCount(), 21);
}

TEST_F(TwentyRows, HidingTheSelectedRowClearsTheSelection)
{
    ASSERT_TRUE(list->SelectItem(4));
    Row(4)->SetVisible(false);
    EXPECT_EQ(list->GetCurSel(), -1);
    EXPECT_FALSE(Item(4)->IsSelected());
}

// ---- body layout ----

namespace {

class BodyReentryProbe : public CListBodyUI {
public:
    BodyReentryProbe() : CListBodyUI(nullptr) {}
    void SetPos(RECT rc, bool invalidate) override
    {
        ++depth;
        deepest = std::max(deepest, depth);
        CListBodyUI::SetPos(rc, invalidate);
        --depth;
    }
    int depth { 0 };
    int deepest { 0 };
};

CControlUI* RowOfHeight(int height)
{
    auto* row = new CControlUI();
    row->SetFixedHeight(height);
    return row;
}

}  // namespace

TEST(ListBody, ABarThatAppearsIsFittedBeforeTheRowsArePlacedWithoutReentry)
{
    CPaintManagerUI manager;
    BodyReentryProbe body;
    body.SetManager(&manager, nullptr, false);
    body.SetAttribute(L"vscrollbar", L"true");
    body.Add(RowOfHeight(80));  // the body owns its rows
    body.Add(RowOfHeight(80));
    auto* sharer = new CControlUI();
    sharer->SetMinHeight(30);  // measures no height: its share is cut to its minimum
    body.Add(sharer);

    body.SetPos(RECT { 0, 0, 200, 1000 }, false);
    ASSERT_FALSE(body.GetVerticalScrollBar()->IsVisible());
    body.deepest = 0;
    body.SetPos(RECT { 0, 0, 200, 100 }, false);  // the rows need 190 px: the bar appears
    const CScrollBarUI* bar = body.GetVerticalScrollBar();
    ASSERT_TRUE(bar->IsVisible());
    EXPECT_EQ(body.deepest, 1);
    EXPECT_EQ(bar->GetScrollRange(), 90);
    EXPECT_EQ(sharer->GetPos().top, 160);
    EXPECT_EQ(sharer->GetPos().bottom, 190);
    EXPECT_EQ(sharer->GetPos().right, 200 - bar->GetFixedWidth());
}

// ---- columns and header ----

namespace {

constexpr const wchar_t* kColumnSkin =
    L"<Window><VerticalLayout>"
    L"<List name=\"list\" float=\"true\" pos=\"0,0,300,200\" vscrollbar=\"true\" hscrollbar=\"true\" itemtextcolor=\"#FF000000\">"
    L"<ListHeader name=\"header\" height=\"24\">"
    L"<ListHeaderItem name=\"h0\" width=\"100\" text=\"Name\" />"
    L"<ListHeaderItem name=\"h1\" width=\"150\" text=\"Size\" />"
    L"<ListHeaderItem name=\"h2\" width=\"120\" text=\"Length\" />"
    L"</ListHeader>"
    L"<ListContainerElement name=\"row\" height=\"30\">"
    L"<Control name=\"c0\" /><Control name=\"c1\" /><Control name=\"c2\" /><Control name=\"c3\" width=\"10\" />"
    L"</ListContainerElement>"
    L"</List>"
    L"</VerticalLayout></Window>";

}  // namespace

TEST(ListColumns, RowsFollowAThreeItemHeaderAndScrollWithIt)
{
    SkinWindow window(kColumnSkin);
    auto* list = window.Find<CListUI>(L"list");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetHeader(), window.Find<CListHeaderUI>(L"header")) << "the skin's header replaced the default";
    EXPECT_EQ(list->GetCount(), 1) << "the header is not a row";
    const TListInfoUI* info = list->GetListInfo();
    ASSERT_EQ(info->nColumns, 3);
    for (int i = 0; i < 3; ++i) {
        const RECT h = list->GetHeader()->GetItemAt(i)->GetPos();
        EXPECT_EQ(info->rcColumn[i].left, h.left) << i;
        EXPECT_EQ(info->rcColumn[i].right, h.right) << i;
    }
    EXPECT_EQ(info->rcColumn[1].right - info->rcColumn[1].left, 150);
    auto* row = static_cast<CContainerUI*>(list->GetItemAt(0));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(row->GetItemAt(i)->GetPos().left, info->rcColumn[i].left) << i;
        EXPECT_EQ(row->GetItemAt(i)->GetPos().right, info->rcColumn[i].right) << i;
    }
    const RECT extra = row->GetItemAt(3)->GetPos();
    EXPECT_EQ(extra.right - extra.left, 10) << "a child beyond the header keeps the box's place";

    // 370 px of columns in a 300 px list: a horizontal scroll moves header and columns alike.
    ASSERT_TRUE(list->GetHorizontalScrollBar()->IsVisible());
    const RECT before = info->rcColumn[2];
    const RECT headerBefore = list->GetHeader()->GetItemAt(2)->GetPos();
    list->SetScrollPos({ 30, 0 });
    EXPECT_EQ(info->rcColumn[2].left, before.left - 30);
    EXPECT_EQ(list->GetHeader()->GetItemAt(2)->GetPos().left, headerBefore.left - 30);
    EXPECT_EQ(row->GetItemAt(2)->GetPos().left, before.left - 30);
}

TEST(ListColumns, AHiddenHeaderStillGivesColumnsAndFortyItemsGiveThirtyTwo)
{
    SkinWindow window(L"<Window><VerticalLayout>"
                      L"<List name=\"list\" header=\"hidden\" float=\"true\" pos=\"0,0,300,200\" />"
                      L"</VerticalLayout></Window>");
    auto* list = window.Find<CListUI>(L"list");
    ASSERT_NE(list, nullptr);
    for (int i = 0; i < 40; ++i) {
        auto* item = new CListHeaderItemUI();
        item->SetFixedWidth(20);
        EXPECT_TRUE(list->Add(item)) << "a header item added to the list goes into its header";
    }
    EXPECT_EQ(list->GetHeader()->GetCount(), 40);
    EXPECT_EQ(list->GetCount(), 0);
    window.Refresh();
    EXPECT_EQ(list->GetListInfo()->nColumns, 32);
    EXPECT_EQ(list->GetListInfo()->rcColumn[31].left, 31 * 20);
    EXPECT_EQ(list->GetListInfo()->rcColumn[31].right, 32 * 20);
}

TEST(ListHeader, ScaleHeaderSharesTheWidthLessTheListsBar)
{
    SkinWindow window(L"<Window><VerticalLayout>"
                      L"<List name=\"list\" float=\"true\" pos=\"0,0,400,200\" vscrollbar=\"true\">"
                      L"<ListHeader scaleheader=\"true\">"
                      L"<ListHeaderItem name=\"a\" scale=\"30\" /><ListHeaderItem name=\"b\" scale=\"70\" />"
                      L"</ListHeader></List>"
                      L"</VerticalLayout></Window>");
    auto* list = window.Find<CListUI>(L"list");
    ASSERT_NE(list, nullptr);
    list->GetVerticalScrollBar()->SetFixedWidth(17);
    list->NeedUpdate();
    window.Refresh();
    EXPECT_EQ(window.Find<CControlUI>(L"a")->GetWidth(), 114);
    EXPECT_EQ(window.Find<CControlUI>(L"b")->GetWidth(), 268);
}

namespace {

constexpr const wchar_t* kDragSkin =
    L"<Window><VerticalLayout>"
    L"<List name=\"list\" float=\"true\" pos=\"0,0,380,200\">"
    L"<ListHeader height=\"24\">"
    L"<ListHeaderItem name=\"h0\" width=\"100\" minwidth=\"40\" sepwidth=\"4\" />"
    L"<ListHeaderItem name=\"h1\" width=\"100\" sepwidth=\"-4\" />"
    L"<ListHeaderItem name=\"h2\" width=\"100\" sepwidth=\"0\" />"
    L"<ListHeaderItem name=\"h3\" width=\"60\" dragable=\"false\" />"
    L"</ListHeader></List>"
    L"</VerticalLayout></Window>";

}  // namespace

TEST(ListHeader, DraggingASeparatorFollowsTheMouseAtEveryScale)
{
    struct Case {
        const char* what;
        const wchar_t* item;
        int pressFromRight;  // device px left of the item's right edge (negative: right of its left edge)
        int dx;
        int wantGrowth;  // device px
        bool clicked;
    };
    const Case cases[] = {
        { "right separator, drag right", L"h0", 2, 30, 30, false },
        { "right separator, drag left", L"h0", 2, -30, -30, false },
        { "below the minimum: unchanged", L"h0", 2, -90, 0, false },
        { "left separator: dragging right narrows", L"h1", -2, 30, -30, false },
        { "no separator: a press within 4 px still drags", L"h2", 2, 30, 30, false },
        { "middle of the item: a click", L"h0", 50, 30, 0, true },
        { "strip of a non-draggable item: no click, no drag", L"h3", 2, 30, 0, false },
    };
    for (int dpi : { 96, 144 }) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.what << " at " << dpi);
            SkinWindow window(kDragSkin);
            if (dpi != 96) {
                window.pm.SetDPI(dpi);
                window.Refresh();
                window.log.clear();
            }
            CControlUI* item = window.Find<CControlUI>(c.item);
            ASSERT_NE(item, nullptr);
            const RECT rc = item->GetPos();
            const int before = rc.right - rc.left;
            const int x = c.pressFromRight >= 0 ? rc.right - c.pressFromRight : rc.left - c.pressFromRight;
            const int y = (rc.top + rc.bottom) / 2;
            hl::MoveMouse(x, y);
            hl::PressButton(hl::Left, x, y);
            Pump();
            hl::MoveMouse(x + c.dx, y);
            Pump();
            hl::ReleaseButton(hl::Left, x + c.dx, y);
            window.Refresh();
            EXPECT_EQ(item->GetWidth() - before, c.wantGrowth);
            const bool clicked = !window.log.empty() && window.log.front().rfind(L"headerclick", 0) == 0;
            EXPECT_EQ(clicked, c.clicked) << testing::PrintToString(window.log);
        }
    }
}

TEST(ListHeader, SeparatorImageStaysInsideItsItemAtOneAndAHalf)
{
    SkinWindow window(L"<Window><VerticalLayout bkcolor=\"#FFFFFFFF\">"
                      L"<List name=\"list\" float=\"true\" pos=\"0,0,300,100\">"
                      L"<ListHeader height=\"24\">"
                      L"<ListHeaderItem name=\"h0\" width=\"100\" sepwidth=\"4\" sepimage=\"file='sep.png'\" />"
                      L"<ListHeaderItem name=\"h1\" width=\"100\" />"
                      L"</ListHeader></List>"
                      L"</VerticalLayout></Window>");
    // A solid red separator image made in memory.
    BYTE* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HBITMAP bitmap = CRenderEngine::CreateARGB32Bitmap(screen, 4, 4, &bits);
    ::ReleaseDC(nullptr, screen);
    ASSERT_NE(bitmap, nullptr);
    for (int i = 0; i < 16; ++i)
        reinterpret_cast<DWORD*>(bits)[i] = 0xFFFF0000;
    window.pm.SetDPI(144);
    window.pm.AddImage(L"sep@150.png", bitmap, 4, 4, true);  // the window's table owns it
    window.Refresh();
    const RECT h0 = window.Find<CControlUI>(L"h0")->GetPos();
    EXPECT_EQ(h0.right - h0.left, 150);
    const int y = (h0.top + h0.bottom) / 2;
    EXPECT_EQ(hl::PixelAt(h0.right - 2, y) & 0xFFFFFF, 0xFF0000u) << "drawn at the item's right edge";
    EXPECT_NE(hl::PixelAt(h0.right + 2, y) & 0xFFFFFF, 0xFF0000u) << "not beyond it";
}

// ---- skins ----

TEST(ListSkin, AttributesAndRowSkinsWalkedByIndex)
{
    SkinWindow window(L"<Window><VerticalLayout>"
                      L"<List name=\"list\" float=\"true\" pos=\"0,0,300,200\" header=\"hidden\" multiselect=\"TRUE\">"
                      L"<ListLabelElement name=\"a\" text=\"a\" height=\"20\" />"
                      L"<ListLabelElement name=\"b\" text=\"b\" height=\"20\" selected=\"false\" />"
                      L"<ListContainerElement name=\"row\" height=\"40\">"
                      L"<Control name=\"Icon\" width=\"40\" />"
                      L"<HorizontalLayout name=\"HorVideo\"><Control name=\"Video_Time\" /></HorizontalLayout>"
                      L"<VerticalLayout name=\"VerInfo\"><Control name=\"resolution\" /><Control name=\"ProGress\" /></VerticalLayout>"
                      L"</ListContainerElement>"
                      L"</List>"
                      L"</VerticalLayout></Window>");
    auto* list = window.Find<CListUI>(L"list");
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(list->IsMultiSelect()) << "\"TRUE\" is not \"true\" for multiselect";
    EXPECT_EQ(list->GetCurSel(), 1) << "\"selected\" selects whatever its value";
    ASSERT_EQ(list->GetCount(), 3);
    auto* row = static_cast<CContainerUI*>(list->GetItemAt(2));
    ASSERT_EQ(row->GetCount(), 3);
    EXPECT_EQ(row->GetItemAt(1)->GetName(), L"HorVideo");
    EXPECT_EQ(row->GetItemAt(2)->GetName(), L"VerInfo");
    auto* info = static_cast<CContainerUI*>(row->GetItemAt(2));
    EXPECT_EQ(info->GetItemAt(1)->GetName(), L"ProGress");
    EXPECT_EQ(row->FindSubControl(L"Video_Time"), window.Find<CControlUI>(L"Video_Time"));
    const RECT rc = row->GetPos();
    EXPECT_EQ(rc.bottom - rc.top, 40);
    EXPECT_EQ(row->GetItemAt(0)->GetPos().left, rc.left) << "a hidden header leaves the box layout alone";
}

TEST(ListPaint, AlternateRowsLoseTheirColourButNotTheirStates)
{
    SkinWindow window(L"<Window><VerticalLayout bkcolor=\"#FFFFFFFF\">"
                      L"<List name=\"list\" float=\"true\" pos=\"0,0,300,200\" header=\"hidden\" itemaltbk=\"true\" "
                      L"itembkcolor=\"#FF00FF00\" itemselectedbkcolor=\"#FF0000FF\" itemdisabledbkcolor=\"#FF808080\" />"
                      L"</VerticalLayout></Window>");
    auto* list = window.Find<CListUI>(L"list");
    ASSERT_NE(list, nullptr);
    for (int i = 0; i < 6; ++i) {
        auto* row = new CListContainerElementUI();
        row->SetFixedHeight(20);
        list->Add(row);
    }
    list->GetItemAt(5)->SetEnabled(false);
    ASSERT_TRUE(list->SelectItem(3));
    window.Refresh();
    const auto colour = [&](int i) { return hl::PixelAt(150, list->GetItemAt(i)->GetPos().top + 10) & 0xFFFFFF; };
    EXPECT_EQ(colour(0), 0x00FF00u);
    EXPECT_EQ(colour(1), 0xFFFFFFu) << "odd row: no background";
    EXPECT_EQ(colour(2), 0x00FF00u);
    EXPECT_EQ(colour(3), 0x0000FFu) << "selected wins on an odd row";
    EXPECT_EQ(colour(5), 0x808080u) << "disabled wins on an odd row";
}
