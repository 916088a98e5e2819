#include "ui/core/TileLayoutUI.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "ui/core/ScrollBarUI.h"

using namespace SkinUI;

namespace {

// Estimates half the width it is offered and a fixed height, and remembers the last offer.
class Probe : public CControlUI {
public:
    SIZE EstimateSize(SIZE available) override
    {
        offered = available;
        return { available.cx / 2, 80 };
    }
    SIZE offered {};
};

struct Grid {
    CTileLayoutUI tiles;
    std::vector<Probe*> cells;

    explicit Grid(int count)
    {
        for (int i = 0; i < count; ++i) {
            cells.push_back(new Probe());
            tiles.Add(cells.back());  // the layout owns it
        }
    }
};

}  // namespace

TEST(TileLayout, ColumnsFollowTheItemWidthAndPaddingSplitsBetweenCells)
{
    Grid grid(7);
    grid.tiles.SetAttribute(L"itemsize", L"100,80");
    grid.tiles.SetAttribute(L"childpadding", L"10");
    grid.tiles.SetPos({ 0, 0, 300, 400 });
    EXPECT_EQ(grid.tiles.GetColumns(), 3);
    const struct {
        int offered;  // width the cell offers for the estimate
        RECT pos;     // centred in its cell
    } want[] = {
        { 95, { 24, 0, 71, 80 } },     { 90, { 127, 0, 172, 80 } },  { 95, { 229, 0, 276, 80 } },
        { 95, { 24, 90, 71, 170 } },   { 90, { 127, 90, 172, 170 } }, { 95, { 229, 90, 276, 170 } },
        { 95, { 24, 180, 71, 260 } },
    };
    for (size_t i = 0; i < grid.cells.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "cell " << i);
        EXPECT_EQ(grid.cells[i]->offered.cx, want[i].offered);
        const RECT got = grid.cells[i]->GetPos();
        EXPECT_EQ(got.left, want[i].pos.left);
        EXPECT_EQ(got.top, want[i].pos.top);
        EXPECT_EQ(got.right, want[i].pos.right);
        EXPECT_EQ(got.bottom, want[i].pos.bottom);
    }
}

TEST(TileLayout, ColumnCountEdgeCases)
{
    Grid narrow(2);
    narrow.tiles.SetItemSize({ 100, 80 });
    narrow.tiles.SetPos({ 0, 0, 50, 400 });
    EXPECT_EQ(narrow.tiles.GetColumns(), 1);  // an item wider than the layout still gets a column
    EXPECT_EQ(narrow.cells[1]->GetPos().top, 80);

    Grid fixed(3);
    fixed.tiles.SetAttribute(L"columns", L"2");
    fixed.tiles.SetAttribute(L"columns", L"0");  // ignored
    fixed.tiles.SetPos({ 0, 0, 200, 400 });
    EXPECT_EQ(fixed.tiles.GetColumns(), 2);
    EXPECT_EQ(fixed.cells[1]->GetPos().left, 100 + 25);
    EXPECT_EQ(fixed.cells[2]->GetPos().top, 80);

    Grid empty(0);
    empty.tiles.SetPos({ 0, 0, 200, 400 });  // nothing to place, no division by a zero column width
    EXPECT_EQ(empty.tiles.GetColumns(), 1);
}

namespace {

// A tile layout that records how deep its own layout nests.
class ReentryProbe : public CTileLayoutUI {
public:
    void SetPos(RECT rc, bool invalidate) override
    {
        deepest = std::max(deepest, ++depth);
        CTileLayoutUI::SetPos(rc, invalidate);
        --depth;
    }
    int depth { 0 };
    int deepest { 0 };
};

}  // namespace

TEST(TileLayout, ScrollBarIsDecidedBeforeTheCellsArePlacedOnce)
{
    // Three columns need 260 pixels for a view of 100: the bar shows, takes its width from the
    // grid, and the cells are placed in the two columns that are left, in four rows, without the
    // layout re-entering itself.
    ReentryProbe tiles;
    std::vector<Probe*> cells;
    for (int i = 0; i < 7; ++i) {
        cells.push_back(new Probe());
        tiles.Add(cells.back());  // the layout owns it
    }
    tiles.SetAttribute(L"itemsize", L"100,80");
    tiles.SetAttribute(L"childpadding", L"10");
    tiles.SetAttribute(L"vscrollbar", L"true");
    tiles.SetPos({ 0, 0, 300, 100 }, true);
    const CScrollBarUI* bar = tiles.GetVerticalScrollBar();
    ASSERT_TRUE(bar->IsVisible());
    ASSERT_GT(bar->GetFixedWidth(), 0);
    EXPECT_EQ(tiles.deepest, 1);
    EXPECT_EQ(tiles.GetColumns(), 2);
    EXPECT_EQ(bar->GetScrollRange(), 4 * 80 + 3 * 10 - 100);
    EXPECT_EQ(cells[6]->GetPos().top, 3 * 90);
    EXPECT_EQ(bar->GetPos().left, 300 - bar->GetFixedWidth());
}
