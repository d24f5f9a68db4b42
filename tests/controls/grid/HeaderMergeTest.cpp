// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "GridDump.h"
#include "controls/grid/GridModel.h"

#include <gtest/gtest.h>
#include <vector>

namespace grid::test {
namespace {

std::vector<std::string> SplitBar(const std::string& line) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (std::size_t at = line.find('|'); at != std::string::npos; at = line.find('|', start)) {
        cells.push_back(line.substr(start, at - start));
        start = at + 1;
    }
    cells.push_back(line.substr(start));
    return cells;
}

TEST(HeaderMergeTest, EqualNeighboursShowAsOneWhereBothAreFlagged) {
    struct Case {
        const char* name;
        std::vector<std::string> header; // rows of "a|b|c"
        std::string rowFlags;            // '1' per flagged row
        std::string colFlags;
        int mode;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"caption over three columns", {"编号|销售|销售|销售"}, "1", "1111", 5, "r0: 编号|销售|<|<\n"},
        {"caption over two rows", {"客户|数量", "客户|单价"}, "11", "11", 5, "r0: 客户|数量\nr1: ^|单价\n"},
        {"block of two rows and two columns",
         {"金额|金额|x", "金额|金额|y"},
         "11",
         "111",
         5,
         "r0: 金额|<|x\nr1: ^|<|y\n"},
        // A run below that is wider than the run above cannot join it: the result stays rectangular.
        {"runs of different widths stay apart",
         {"甲|甲|乙", "甲|甲|甲"},
         "11",
         "111",
         5,
         "r0: 甲|<|乙\nr1: 甲|<|<\n"},
        {"unflagged column breaks the run", {"甲|甲|甲"}, "1", "101", 5, "r0: 甲|甲|甲\n"},
        {"flagged column next to an unflagged one", {"甲|甲|甲"}, "1", "110", 5, "r0: 甲|<|甲\n"},
        {"unflagged row does not merge", {"甲|甲", "乙|乙"}, "01", "11", 5, "r0: 甲|甲\nr1: 乙|<\n"},
        {"rows join only where both rows are flagged",
         {"丙|x", "丙|y", "丙|z"},
         "110",
         "11",
         5,
         "r0: 丙|x\nr1: ^|y\nr2: 丙|z\n"},
        {"empty cells stay apart", {"|", "|"}, "11", "11", 5, "r0: |\nr1: |\n"},
        {"mode 0 merges nothing", {"甲|甲"}, "1", "11", 0, "r0: 甲|甲\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GridModel grid;
        const int rows = static_cast<int>(c.header.size());
        const int cols = static_cast<int>(SplitBar(c.header[0]).size());
        grid.SetGridColCount(cols);
        grid.SetGridRowCount(rows + 1);
        grid.SetHeaderRowCount(rows);
        grid.SetMergeMode(c.mode);
        for (int row = 0; row < rows; ++row) {
            grid.SetRowMergeFlag(row, c.rowFlags[static_cast<std::size_t>(row)] == '1');
            const std::vector<std::string> cells = SplitBar(c.header[static_cast<std::size_t>(row)]);
            for (int col = 0; col < cols; ++col) {
                grid.SetRangeProp(0, row, col, cells[static_cast<std::size_t>(col)]);
            }
        }
        for (int col = 0; col < cols; ++col) {
            grid.SetColMergeFlag(col, c.colFlags[static_cast<std::size_t>(col)] == '1');
        }
        // Data rows never merge, even with equal text under a flagged column.
        for (int col = 0; col < cols; ++col) {
            grid.SetRangeProp(0, rows, col, "同");
        }
        grid.SetRowMergeFlag(rows, true);
        EXPECT_EQ(DumpGrid(grid, 0, rows - 1), c.expected);
        EXPECT_EQ(grid.MergedSpanAt(rows, 1), nullptr);
        EXPECT_TRUE(grid.CheckConsistency());
    }
}

TEST(HeaderMergeTest, EditingAHeaderCellSplitsItsBlock) {
    GridModel grid;
    grid.SetGridColCount(3);
    grid.SetGridRowCount(1);
    grid.SetHeaderRowCount(1);
    grid.SetMergeMode(5);
    grid.SetRowMergeFlag(0, true);
    for (int col = 0; col < 3; ++col) {
        grid.SetColMergeFlag(col, true);
        grid.SetRangeProp(0, 0, col, "合并");
    }
    EXPECT_EQ(grid.MergedSpans(), (std::vector<MergeSpan>{{0, 0, 0, 2}}));
    grid.SetRangeProp(0, 0, 1, "中间");
    EXPECT_EQ(DumpGrid(grid), "r0: 合并|中间|合并\n");
}

} // namespace
} // namespace grid::test
