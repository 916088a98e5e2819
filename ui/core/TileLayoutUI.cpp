#include "ui/core/TileLayoutUI.h"

#include <algorithm>

#include "ui/core/ScrollBarUI.h"

namespace SkinUI {

namespace {

bool Shown(const CScrollBarUI* bar)
{
    return bar != nullptr && bar->IsVisible();
}

int Clamp(int value, int minimum, int maximum)
{
    return std::min(std::max(value, minimum), maximum);
}

}  // namespace

CControlUI* CTileLayoutUI::CreateControl()
{
    return new CTileLayoutUI();
}

const wchar_t* CTileLayoutUI::GetClass() const
{
    return L"TileLayoutUI";
}

void* CTileLayoutUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && NameIs(pstrName, L"TileLayout"))
        return static_cast<CTileLayoutUI*>(this);
    return CContainerUI::GetInterface(pstrName);
}

void CTileLayoutUI::SetItemSize(SIZE szItem)
{
    if (m_szItem.cx == szItem.cx && m_szItem.cy == szItem.cy)
        return;
    m_szItem = szItem;
    NeedUpdate();
}

void CTileLayoutUI::SetColumns(int nCols)
{
    if (nCols <= 0)
        return;
    m_nColumns = nCols;
    NeedUpdate();
}

void CTileLayoutUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (NameIs(pstrName, L"itemsize")) {
        const RECT pair = ReadNumberList(pstrValue);
        SetItemSize({ pair.left, pair.top });
    } else if (NameIs(pstrName, L"columns")) {
        SetColumns(ReadInt(pstrValue));
    } else {
        CContainerUI::SetAttribute(pstrName, pstrValue);
    }
}

CTileLayoutUI::Grid CTileLayoutUI::MeasureGrid() const
{
    Grid grid {};
    grid.inner = GetInnerRect();
    grid.padding = GetChildPadding();
    const int innerWidth = grid.inner.right - grid.inner.left;
    const int itemWidth = ScaleValue(m_szItem.cx);
    grid.columns = m_nColumns;
    if (itemWidth > 0)
        grid.columns = std::max(1, innerWidth / itemWidth);
    const int range = Shown(m_pHorizontalScrollBar) ? m_pHorizontalScrollBar->GetScrollRange() : 0;
    grid.cellWidth = (innerWidth + range) / grid.columns;
    grid.scroll.x = Shown(m_pHorizontalScrollBar) ? m_pHorizontalScrollBar->GetScrollPos() : 0;
    grid.scroll.y = Shown(m_pVerticalScrollBar) ? m_pVerticalScrollBar->GetScrollPos() : 0;
    int placed = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        const CControlUI* child = GetItemAt(i);
        if (child->IsVisible() && !child->IsFloat() && placed++ % grid.columns == 0)
            grid.rowHeights.push_back(RowHeight(grid, i));
    }
    for (size_t row = 0; row < grid.rowHeights.size(); ++row)
        grid.needed.cy += grid.rowHeights[row] + (row > 0 ? grid.padding : 0);
    return grid;
}

// The width a child is offered inside its cell: its paddings off, and half the child padding at
// each side that faces another cell.
RECT CTileLayoutUI::CellSpan(const Grid& grid, const CControlUI* child, int column, int cellLeft) const
{
    const RECT padding = child->GetPadding();
    const int half = grid.padding / 2;
    RECT span { cellLeft + padding.left, 0, cellLeft + grid.cellWidth - padding.right, 0 };
    if (column > 0)
        span.left += half;
    if (column < grid.columns - 1)
        span.right -= half;
    return span;
}

// The tallest estimate of the row starting at firstIndex, clamped by the row's first child.
int CTileLayoutUI::RowHeight(const Grid& grid, int firstIndex) const
{
    const CControlUI* first = GetItemAt(firstIndex);
    int height = 0;
    int column = 0;
    for (int i = firstIndex; i < m_items.GetSize() && column < grid.columns; ++i) {
        CControlUI* child = GetItemAt(i);
        if (!child->IsVisible() || child->IsFloat())
            continue;
        const RECT span = CellSpan(grid, child, column, 0);
        const int width = Clamp(span.right - span.left, first->GetMinWidth(), first->GetMaxWidth());
        SIZE estimate = child->EstimateSize({ width, 9999 });
        estimate.cy = Clamp(estimate.cy, first->GetMinHeight(), first->GetMaxHeight());
        const RECT padding = child->GetPadding();
        height = std::max(height, static_cast<int>(estimate.cy + padding.top + padding.bottom));
        ++column;
    }
    return height;
}

void CTileLayoutUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    CControlUI::SetPos(rc, bNeedInvalidate);
    const Grid grid = MeasureUnderScrollBars([this] { return MeasureGrid(); });
    if (m_items.IsEmpty())
        return;
    m_nColumns = grid.columns;
    PlaceGrid(grid);
}

void CTileLayoutUI::PlaceGrid(const Grid& grid)
{
    const int rowLeft = grid.inner.left - grid.scroll.x;
    POINT cursor { rowLeft, grid.inner.top - grid.scroll.y };
    int placed = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (!child->IsVisible())
            continue;
        if (child->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        const int column = placed % grid.columns;
        const size_t row = static_cast<size_t>(placed / grid.columns);
        if (row >= grid.rowHeights.size())
            return;  // a child shown by a sibling's placement was not measured
        const int rowHeight = grid.rowHeights[row];
        RECT cell = CellSpan(grid, child, column, cursor.x);
        cell.top = cursor.y + child->GetPadding().top;
        cell.bottom = cursor.y + rowHeight;

        SIZE size = child->EstimateSize({ cell.right - cell.left, cell.bottom - cell.top });
        if (size.cx == 0)
            size.cx = cell.right - cell.left;
        if (size.cy == 0)
            size.cy = cell.bottom - cell.top;
        size.cx = Clamp(size.cx, child->GetMinWidth(), child->GetMaxWidth());
        size.cy = Clamp(size.cy, child->GetMinHeight(), child->GetMaxHeight());
        const int left = (cell.left + cell.right - size.cx) / 2;
        const int top = (cell.top + cell.bottom - size.cy) / 2;
        child->SetPos({ left, top, left + size.cx, top + size.cy }, true);

        if (column == grid.columns - 1) {
            cursor.x = rowLeft;
            cursor.y += rowHeight + grid.padding;
        } else {
            cursor.x += grid.cellWidth;
        }
        ++placed;
    }
}

}  // namespace SkinUI
