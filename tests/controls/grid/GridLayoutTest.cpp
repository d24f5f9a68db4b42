// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/grid/GridLayout.h"

#include "GridDump.h"
#include "ReportGrid.h"

#include <gtest/gtest.h>

namespace grid::test {
namespace {

// "r0c2@260,0+306x20": the cell (or merged block) a screen shows, where and how big, in pixels.
std::string DumpCells(const GridLayout& layout, const GridViewport& viewport) {
    std::string out;
    for (const PaintCell& cell : layout.VisibleCells(viewport)) {
        out.append(Cat({"r", std::to_string(cell.row), "c", std::to_string(cell.col), "@",
                        std::to_string(cell.x), ",", std::to_string(cell.y), "+", std::to_string(cell.width),
                        "x", std::to_string(cell.height), " "}));
    }
    return out;
}

// Column widths 2400, 1500, 1100, 1200, 1500, 800 twips are 160, 100, 73, 80, 100, 53 pixels at 15
// twips per pixel; header rows are 20 pixels, data rows 22.
TEST(GridLayoutTest, AScreenShowsMergedBlocksOnceAndOnlyVisibleCells) {
    struct Case {
        const char* name;
        GridViewport viewport;
        const char* expected;
    };
    const Case cases[] = {
        {"top left, wide enough for all columns",
         {0, 0, 800, 110},
         "r0c0@0,0+160x60 r0c1@160,0+100x60 r0c2@260,0+306x20 r1c2@260,20+73x40 r1c3@333,20+180x20 "
         "r1c5@513,20+53x40 r2c3@333,40+80x20 r2c4@413,40+100x20 "
         "r3c0@0,60+160x22 r3c1@160,60+100x22 r3c2@260,60+73x22 r3c3@333,60+80x22 r3c4@413,60+100x22 "
         "r3c5@513,60+53x22 r4c0@0,82+160x22 r4c1@160,82+100x22 r4c2@260,82+73x22 r4c3@333,82+80x22 "
         "r4c4@413,82+100x22 r4c5@513,82+53x22 r5c0@0,104+160x22 r5c1@160,104+100x22 r5c2@260,104+73x22 "
         "r5c3@333,104+80x22 r5c4@413,104+100x22 r5c5@513,104+53x22 "},
        // The block over columns 2..5 still shows, from its own left edge, when scrolled; data starts
        // at the third data row; columns off either side are left out.
        {"scrolled right and down",
         {2, 200, 300, 100},
         "r0c1@-40,0+100x60 r0c2@60,0+306x20 r1c2@60,20+73x40 r1c3@133,20+180x20 r2c3@133,40+80x20 "
         "r2c4@213,40+100x20 r5c1@-40,60+100x22 r5c2@60,60+73x22 r5c3@133,60+80x22 r5c4@213,60+100x22 "
         "r6c1@-40,82+100x22 r6c2@60,82+73x22 r6c3@133,82+80x22 r6c4@213,82+100x22 "},
    };
    GridModel grid;
    SetUpSalesReport(grid);
    const GridLayout layout(grid);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DumpCells(layout, c.viewport), c.expected);
    }
}

TEST(GridLayoutTest, HitsAndColumnEdgesFollowHiddenColumns) {
    GridModel grid;
    SetUpSalesReport(grid);
    grid.SetColHiddenFlag(1, true);
    const GridLayout layout(grid);
    const GridViewport viewport{0, 0, 800, 200};
    struct Case {
        const char* name;
        int x;
        int y;
        const char* cell; // "r3c2", or "-" for none
        int resizeColumn; // -1: no edge there
    };
    const Case cases[] = {
        {"data cell right of the hidden column", 165, 70, "r3c2", -1},
        // Column 1 is hidden, so the edge at 160 pixels belongs to column 0, the one the user sees.
        {"header edge before the hidden column", 161, 10, "r0c2", 0},
        {"merged block", 300, 5, "r0c2", -1},
        {"same x in the data rows is no edge", 160, 70, "r3c2", -1},
        {"below the last row", 100, 190, "-", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<PaintCell> hit = layout.HitTest(viewport, c.x, c.y);
        EXPECT_EQ(hit ? Cat({"r", std::to_string(hit->row), "c", std::to_string(hit->col)}) : "-", c.cell);
        EXPECT_EQ(layout.ResizeColumnAt(viewport, c.x, c.y).value_or(-1), c.resizeColumn);
    }
}

// The column at the left of the scrolled area, and back: a window that puts the user back where they
// were scrolls so that the same column is first again. Column 0 is fixed (160 px, not scrolled) and
// column 3 hidden, so the content edges are 160, 260, 333, 333, 433, 486.
TEST(GridLayoutTest, LeftColumnOfAScrollPositionAndBack) {
    GridModel grid;
    SetUpSalesReport(grid);
    grid.SetHeaderColCount(1);
    grid.SetColHiddenFlag(3, true);
    const GridLayout layout(grid);
    struct Case {
        const char* name;
        int scrollX;
        int leftCol;
    };
    const Case cases[] = {
        {"not scrolled: the first column after the fixed one", 0, 1},
        {"a column cut by the edge is the one at the left", 50, 1},
        {"a column starting right at the edge", 100, 2},
        {"the hidden column is passed over", 173, 4},
        {"past the end: the last column", 10000, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(layout.LeftColumnAt(c.scrollX), c.leftCol);
    }
    // Scrolling to a column shows it whole at the left; fixed columns and columns outside the grid
    // ask for no scrolling.
    EXPECT_EQ(layout.ScrollXForColumn(2), 100);
    EXPECT_EQ(layout.ScrollXForColumn(4), 173);
    EXPECT_EQ(layout.ScrollXForColumn(0), 0);
    EXPECT_EQ(layout.ScrollXForColumn(6), 0);
}

// Fixed columns that would take most of a narrow window are let go, so every column can still be
// scrolled to; a wider window keeps them again. Without it a 200-pixel window showed the 160-pixel
// fixed column and 40 pixels of the rest.
TEST(GridLayoutTest, FixedColumnsThatWouldFillTheWindowScroll) {
    GridModel grid;
    SetUpSalesReport(grid);
    grid.SetHeaderColCount(1);
    GridLayout layout(grid);
    struct Case {
        const char* name;
        int viewportWidth;
        int fixedCols;
    };
    const Case cases[] = {
        {"width not known yet", 0, 1},
        {"160 of 200 pixels", 200, 0},
        {"160 of 240 pixels: exactly two thirds", 240, 1},
        {"wide window", 640, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        layout.SetViewportWidth(c.viewportWidth);
        EXPECT_EQ(layout.FixedColCount(), c.fixedCols);
        EXPECT_EQ(layout.FrozenWidth(), c.fixedCols == 1 ? 160 : 0);
        const std::optional<PaintCell> first =
            layout.CellRect({0, 200, std::max(c.viewportWidth, 1), 90}, 3, 0);
        EXPECT_EQ(first.has_value(), c.fixedCols == 1) << "column 0 scrolled out at a 200-pixel offset";
    }
}

TEST(GridLayoutTest, LastScreenOfAMillionRowsIsFull) {
    GridModel grid;
    grid.SetGridColCount(2);
    grid.SetGridRowCount(1000001);
    grid.SetHeaderRowCount(1);
    const GridLayout layout(grid);
    // 19-pixel rows below a 19-pixel header: 9 rows fill 190 pixels of a 200-pixel screen.
    const GridViewport viewport{0, 0, 300, 200};
    EXPECT_EQ(layout.RowsPerPage(viewport), 9);
    EXPECT_EQ(layout.MaxFirstDataRow(viewport), 999991);
    const GridViewport last{999991, 0, 300, 200};
    EXPECT_EQ(layout.VisibleCells(last).back().row, 1000000);
}

} // namespace
} // namespace grid::test
