#pragma once
// CTileLayoutUI: children in a grid of equal columns, each centred in its cell. With an item size
// set, the column count follows from the layout's width; a width that fits no column still gives
// one column. Rows are as tall as their tallest child. The item size, inset and child padding are
// skin units, scaled by the window's DPI like the box layouts' sizes.

#include <vector>

#include "ui/core/ContainerUI.h"

namespace SkinUI {

class CTileLayoutUI : public CContainerUI {
public:
    CTileLayoutUI() = default;

    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue) override;

    SIZE GetItemSize() const { return m_szItem; }
    void SetItemSize(SIZE szItem);
    int GetColumns() const { return m_nColumns; }
    void SetColumns(int nCols);

private:
    // Everything the placement reads, measured once before any child is placed.
    struct Grid {
        RECT inner;
        int columns;
        int cellWidth;
        int padding;
        POINT scroll;                 // the bars' positions
        std::vector<int> rowHeights;  // one per row of visible, non-float children
        SIZE needed;
    };

    Grid MeasureGrid() const;
    int RowHeight(const Grid& grid, int firstIndex) const;
    RECT CellSpan(const Grid& grid, const CControlUI* child, int column, int cellLeft) const;
    void PlaceGrid(const Grid& grid);

    SIZE m_szItem {};
    int m_nColumns { 1 };
};

}  // namespace SkinUI
