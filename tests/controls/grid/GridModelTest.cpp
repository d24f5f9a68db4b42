// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/grid/GridModel.h"

#include "GridDump.h"
#include "ReportGrid.h"
#include "vb/Error.h"

#include <functional>
#include <gtest/gtest.h>

namespace grid::test {
namespace {

std::string Hex(long value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%06lX", value);
    return buffer;
}

// Per row: back colour of each column, and B/I/U for the first column's font flags.
std::string DumpLooks(const GridModel& grid) {
    std::string out;
    for (int row = 0; row < grid.GridRowCount(); ++row) {
        out.append("r").append(std::to_string(row)).append(":");
        for (int col = 0; col < grid.GridColCount(); ++col) {
            const CellLook look = grid.CellLookAt(row, col);
            out.append(" ").append(Hex(look.backBgr)).append(look.isBold ? "B" : "");
            out.append(look.isItalic ? "I" : "").append(look.isUnderline ? "U" : "");
        }
        out += '\n';
    }
    return out;
}

TEST(GridModelTest, SalesReportShowsHeaderFormattedDataAndTotals) {
    GridModel grid;
    SetUpSalesReport(grid);
    // Zero quantity and an unpaid row show blank; the price total is the last row's balance; the
    // amount total is the exact cent sum 15,000.40.
    EXPECT_EQ(DumpGrid(grid), "r0: 客户|日期|销售情况|<|<|<\n"
                              "r1: ^|^|数量|金额明细|<|已付\n"
                              "r2: ^|^|^|单价|金额|^\n"
                              "r3: 华东商贸有限公司|2024-03-05|1,200|12.50|15,000.10|√\n"
                              "r4: 北方百货|2024-03-06||0.10|0.20|\n"
                              "r5: 南方超市|2024-03-07|35|0.20|0.10|√\n"
                              "r6: 合计||1,235|0.20|15,000.40|\n");
    EXPECT_EQ(grid.TotalsRow(), 6);
    // Header grey, totals light yellow, the flagged row light cyan, amounts bold on data and totals.
    EXPECT_EQ(DumpLooks(grid), "r0: E8E8E8 E8E8E8 E8E8E8 E8E8E8 E8E8E8 E8E8E8\n"
                               "r1: E8E8E8 E8E8E8 E8E8E8 E8E8E8 E8E8E8 E8E8E8\n"
                               "r2: E8E8E8 E8E8E8 E8E8E8 E8E8E8 E8E8E8 E8E8E8\n"
                               "r3: FFFFFF FFFFFF FFFFFF FFFFFF FFFFFFB FFFFFF\n"
                               "r4: FFFFC0 FFFFC0 FFFFC0 FFFFC0 FFFFC0B FFFFC0\n"
                               "r5: FFFFFF FFFFFF FFFFFF FFFFFF FFFFFFB FFFFFF\n"
                               "r6: C0FFFF C0FFFF C0FFFF C0FFFF C0FFFFB C0FFFF\n");
    EXPECT_TRUE(grid.CheckConsistency());
}

// An array source that counts reads and records any outside its bounds.
class CountingSource final : public vb::ArraySource {
public:
    CountingSource(std::size_t cols, std::size_t rows) : m_cols(cols), m_rows(rows) {}
    vb::Variant Get(std::size_t col, std::size_t row) const override {
        ++reads;
        if (col >= m_cols || row >= m_rows) {
            ++outOfRange;
        }
        return col == 0 ? vb::Variant(Cat({"行", std::to_string(row)}))
                        : vb::Variant(static_cast<double>(row) / 100);
    }
    mutable long reads = 0;
    mutable long outOfRange = 0;

private:
    std::size_t m_cols;
    std::size_t m_rows;
};

TEST(GridModelTest, FillKeepsTheArrayAndReadsCellsOnlyWhenShown) {
    auto source = std::make_shared<CountingSource>(2, 1000000);
    GridModel grid;
    grid.SetGridColCount(3);
    grid.SetGridRowCount(1);
    grid.SetHeaderRowCount(1);
    grid.FillFromArray(vb::Variant(vb::Array::View(source, 2, 1000000)));
    EXPECT_EQ(source->reads, 0) << "the fill must not touch the cells";
    EXPECT_EQ(grid.GridRowCount(), 1000001);
    grid.SetColFormatText(1, "0.00");
    EXPECT_EQ(DumpGrid(grid, 999999, 1000000), "r999999: 行999998|9999.98|\nr1000000: 行999999|9999.99|\n");
    EXPECT_EQ(source->reads, 4) << "two rows of two source columns, column 2 is beyond the array";
    // Cutting the grid into the array's rows and adding rows back gives blank rows, not old records.
    grid.SetGridRowCount(3);
    grid.SetGridRowCount(5);
    EXPECT_EQ(DumpGrid(grid, 1), "r1: 行0|0.00|\nr2: 行1|0.01|\nr3: ||\nr4: ||\n");
    EXPECT_EQ(source->outOfRange, 0);
    EXPECT_TRUE(grid.CheckConsistency());
}

TEST(GridModelTest, BadInputRaisesAClearErrorAndChangesNothing) {
    struct Case {
        const char* name;
        std::function<void(GridModel&)> call;
        const char* description;
    };
    const std::vector<Case> cases = {
        {"row past the end", [](GridModel& g) { g.SetRowHeightTwips(7, 300); },
         "表格行号 7 超出范围（共 7 行，行号从 0 开始）。"},
        {"negative column", [](GridModel& g) { g.SetColWidthTwips(-1, 300); },
         "表格列号 -1 超出范围（共 6 列，列号从 0 开始）。"},
        {"negative row count", [](GridModel& g) { g.SetGridRowCount(-2); },
         "表格行数 -2 无效，应在 0 到 2147483632 之间。"},
        {"header taller than the grid", [](GridModel& g) { g.SetHeaderRowCount(8); },
         "表头行数 8 无效，应在 0 到 7 之间。"},
        {"format with an open quote", [](GridModel& g) { g.SetColFormatText(3, "#,##0.00\" 元"); },
         "无法识别的显示格式：\"#,##0.00\" 元\"。"},
        {"totals in a broken format", [](GridModel& g) { g.AddTotalRow(2, -1, 4, "0;0;0;0;0", 0xC0FFFF); },
         "无法识别的显示格式：\"0;0;0;0;0\"。"},
        {"one-dimensional array",
         [](GridModel& g) {
             g.FillFromArray(vb::Variant(vb::Array::FromValues({1, 2})));
         },
         "填充表格需要一个二维数组（列, 记录），给出的是 1 维数组。"},
        {"array wider than the grid",
         [](GridModel& g) {
             g.FillFromArray(
                 vb::Variant(std::make_shared<vb::Array>(std::vector<vb::Array::Bound>{{0, 6}, {0, 1}})));
         },
         "数组有 7 列，表格只有 6 列。"},
        {"not an array", [](GridModel& g) { g.FillFromArray(vb::Variant("行")); },
         "填充表格需要一个二维数组（列, 记录），给出的不是数组。"},
        {"unknown cell setting", [](GridModel& g) { g.SetRangeProp(7, 3, 0, "x"); },
         "不支持的单元格属性编号 7（可用：0 文本、2 对齐、3 图片、6 背景色、11-15 字体、18 数值）。"},
        {"colour beyond BGR", [](GridModel& g) { g.SetRangeProp(6, 3, 0, 3, 5, -1); },
         "颜色值无效：应为 0 到 16777215（&HFFFFFF）之间的 BGR 数值。"},
        {"rectangle corner outside", [](GridModel& g) { g.SetRangeProp(13, 3, 0, 9, 2, true); },
         "表格行号 9 超出范围（共 7 行，行号从 0 开始）。"},
        {"average instead of sum", [](GridModel& g) { g.AddTotalRow(5, -1, 2, "", 0xC0FFFF); },
         "不支持的汇总方式 5（只支持 2 求和）。"},
        {"alignment code 12", [](GridModel& g) { g.SetRangeProp(2, 3, 0, 12); },
         "对齐方式应为 0 到 8 之间的整数。"},
        {"merge mode 2", [](GridModel& g) { g.SetMergeMode(2); },
         "不支持的合并方式 2（只支持 0 不合并、5 合并表头）。"},
        {"unknown inert setting", [](GridModel& g) { g.SetInertSetting(42, 1); },
         "不支持的表格设置编号 42。"},
        {"insert past the end", [](GridModel& g) { g.InsertRowAt("行", 8); },
         "插入行的位置 8 无效，应在 0 到 7 之间。"},
        {"text read outside", [](GridModel& g) { g.CellTextAt(3, 6); },
         "表格列号 6 超出范围（共 6 列，列号从 0 开始）。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GridModel grid;
        SetUpSalesReport(grid);
        const std::string before = Cat({DumpGrid(grid), grid.ColFormatText(3)});
        try {
            c.call(grid);
            ADD_FAILURE() << "no error raised";
        } catch (const vb::Error& error) {
            EXPECT_EQ(error.Description(), c.description);
        }
        EXPECT_EQ(Cat({DumpGrid(grid), grid.ColFormatText(3)}), before);
        EXPECT_TRUE(grid.CheckConsistency());
    }
}

TEST(GridModelTest, RowCountChangesCutAndAddAtTheEnd) {
    struct Case {
        const char* name;
        std::function<void(GridModel&)> change;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"cutting drops the totals row and its values",
         [](GridModel& g) {
             g.SetGridRowCount(5);
             g.SetGridRowCount(7);
         },
         "r3: 华东商贸有限公司|2024-03-05|1,200|12.50|15,000.10|√\nr4: 北方百货|2024-03-06||0.10|0.20|\n"
         "r5: |||||\nr6: |||||\n"},
        {"a new totals row after a cut sums what is left",
         [](GridModel& g) {
             g.SetGridRowCount(5);
             g.AddTotalRow(2, -1, 4, "", 0xC0FFFF);
         },
         "r3: 华东商贸有限公司|2024-03-05|1,200|12.50|15,000.10|√\nr4: 北方百货|2024-03-06||0.10|0.20|\n"
         "r5: ||||15,000.30|\n"},
        {"an inserted row moves data, totals and overrides down",
         [](GridModel& g) { g.InsertRowAt("插入\t\t7", 4); },
         "r3: 华东商贸有限公司|2024-03-05|1,200|12.50|15,000.10|√\nr4: 插入||7|||\n"
         "r5: 北方百货|2024-03-06||0.10|0.20|\nr6: 南方超市|2024-03-07|35|0.20|0.10|√\n"
         "r7: 合计||1,235|0.20|15,000.40|\n"},
        {"a refill replaces every data row and the totals",
         [](GridModel& g) {
             auto rows = std::make_shared<vb::Array>(std::vector<vb::Array::Bound>{{0, 1}, {0, 0}});
             rows->Set(0, 0, "唯一");
             rows->Set(1, 0, 45000.0);
             g.FillFromArray(vb::Variant(rows));
         },
         "r3: 唯一|2023-03-15||||\n"},
        {"clearing keeps the rows and empties them",
         [](GridModel& g) {
             g.ClearGrid();
             g.SetGridRowCount(4);
         },
         "r3: |||||\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GridModel grid;
        SetUpSalesReport(grid);
        c.change(grid);
        EXPECT_EQ(DumpGrid(grid, 3), c.expected);
        EXPECT_TRUE(grid.CheckConsistency());
    }
}

TEST(GridModelTest, TotalsSumTheDataRowsIntoOneSharedRow) {
    struct Case {
        const char* name;
        std::vector<vb::Variant> values; // column 1 of the data rows
        const char* columnFormat;
        const char* totalsFormat;
        const char* expected; // the totals row
    };
    const std::vector<Case> cases = {
        // Adding the doubles gives 10000.000000018848: drift that reaches the 15 digits a format shows.
        {"a hundred thousand tenths stay exact", std::vector<vb::Variant>(100000, 0.1), "0.0000000000", "",
         "r100001: 合计|10000.0000000000\n"},
        {"cents of many rows", {19.99, 0.01, 80.0, 0.05}, "#,###0.00", "", "r5: 合计|100.05\n"},
        {"blanked zeros and text are skipped",
         {vb::Variant(""), vb::Variant("暂无"), vb::Variant("1,200.5")},
         "#,###0.00;; ",
         "",
         "r4: 合计|1,200.50\n"},
        {"the totals format wins over the column's",
         {vb::Variant::Long(1500), vb::Variant::Long(2500)},
         "",
         "#,##",
         "r3: 合计|4,000\n"},
        {"a zero total blanks under a blank-zero format", {1.5, -1.5}, "#,###0.00;; ", "", "r3: 合计|\n"},
        {"no data rows sum to zero", {}, "0.00", "", "r1: 合计|0.00\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GridModel grid;
        grid.SetGridColCount(2);
        grid.SetGridRowCount(1);
        grid.SetHeaderRowCount(1);
        grid.SetColFormatText(1, c.columnFormat);
        auto rows = std::make_shared<vb::Array>(
            std::vector<vb::Array::Bound>{{0, 1}, {0, static_cast<long>(c.values.size()) - 1}});
        for (std::size_t record = 0; record < c.values.size(); ++record) {
            rows->Set(1, static_cast<long>(record), c.values[record]);
        }
        grid.FillFromArray(vb::Variant(rows));
        grid.AddTotalRow(2, -1, 1, c.totalsFormat, 0xC0FFFF);
        grid.AddTotalRow(2, -1, 0, "", 0xC0FFFF); // a second call writes into the same row
        grid.SetRangeProp(0, grid.GridRowCount() - 1, 0, "合计");
        EXPECT_EQ(DumpGrid(grid, grid.GridRowCount() - 1), c.expected);
        EXPECT_EQ(grid.TotalsRow(), grid.GridRowCount() - 1);
        EXPECT_TRUE(grid.CheckConsistency());
    }
}

TEST(GridModelTest, TotalsReadEveryPieceWithTheCellsOwnValues) {
    // Totals read the data a run of rows at a time. Records 0..2999 hold their own index; a row
    // inserted in the middle splits them into two pieces and holds 7 of its own, and one record's
    // cell is overwritten with 100. Reading the second piece from the wrong record, missing the own
    // values or the blank piece, gives another total.
    GridModel grid;
    grid.SetGridColCount(2);
    grid.SetGridRowCount(1);
    grid.SetHeaderRowCount(1);
    auto rows = std::make_shared<vb::Array>(std::vector<vb::Array::Bound>{{0, 1}, {0, 2999}});
    for (long record = 0; record <= 2999; ++record) {
        rows->Set(1, record, vb::Variant::Long(static_cast<std::int32_t>(record)));
    }
    grid.FillFromArray(vb::Variant(rows));
    grid.InsertRowAt("插入\t7", 1501);                 // records 1500.. move one row down
    grid.SetRangeProp(0, 2502, 1, vb::Variant("100")); // record 2500
    grid.AddTotalRow(2, -1, 1, "0", 0xC0FFFF);
    EXPECT_EQ(DumpGrid(grid, grid.GridRowCount() - 1), "r3002: |4496107\n"); // 4498500 - 2400 + 7
    EXPECT_TRUE(grid.CheckConsistency());
}

TEST(GridModelTest, TheLatestStyleWriteShowsWhateverItsShape) {
    struct Case {
        const char* name;
        std::function<void(GridModel&)> writes;
        const char* expected; // back colours of rows 0..2, columns 0..2
    };
    const auto rect = [](GridModel& g, int r1, int c1, int r2, int c2, long colour) {
        g.SetRangeProp(6, r1, c1, r2, c2, vb::Variant::Long(static_cast<std::int32_t>(colour)));
    };
    const std::vector<Case> cases = {
        {"row after cell", [&](GridModel& g) { rect(g, 1, 1, 1, 1, 0x11), rect(g, 1, 0, 1, 2, 0x22); },
         "r0: FFFFFF FFFFFF FFFFFF\nr1: 000022 000022 000022\nr2: FFFFFF FFFFFF FFFFFF\n"},
        {"cell after row", [&](GridModel& g) { rect(g, 1, 0, 1, 2, 0x22), rect(g, 1, 1, 1, 1, 0x11); },
         "r0: FFFFFF FFFFFF FFFFFF\nr1: 000022 000011 000022\nr2: FFFFFF FFFFFF FFFFFF\n"},
        {"column band after rows",
         [&](GridModel& g) { rect(g, 0, 0, 2, 2, 0x22), rect(g, 0, 1, 2, 1, 0x33); },
         "r0: 000022 000033 000022\nr1: 000022 000033 000022\nr2: 000022 000033 000022\n"},
        {"rows after column band",
         [&](GridModel& g) { rect(g, 0, 1, 2, 1, 0x33), rect(g, 2, 0, 2, 2, 0x22); },
         "r0: FFFFFF 000033 FFFFFF\nr1: FFFFFF 000033 FFFFFF\nr2: 000022 000022 000022\n"},
        {"band over part of a row",
         [&](GridModel& g) { rect(g, 0, 0, 2, 2, 0x22), rect(g, 1, 0, 2, 1, 0x44); },
         "r0: 000022 000022 000022\nr1: 000044 000044 000022\nr2: 000044 000044 000022\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GridModel grid;
        grid.SetGridColCount(3);
        grid.SetGridRowCount(3);
        c.writes(grid);
        EXPECT_EQ(DumpLooks(grid), c.expected);
        EXPECT_TRUE(grid.CheckConsistency());
    }
}

TEST(GridModelTest, ClicksSelectAndRaiseEventsTheWindowHandles) {
    GridModel grid;
    SetUpSalesReport(grid);
    grid.SetColHiddenFlag(1, true);
    std::vector<std::string> events;
    // The window's click handler: select the whole row unless the row is coloured.
    grid.SetClickHandler([&] {
        const int row = grid.ClickRow();
        const int last = grid.GridColCount() - 1;
        const long back = grid.RangeProp(6, row, 0, row, last).AsLong();
        events.push_back(Cat({"click r", std::to_string(row)}));
        if (back != 0xC0FFFF && back != 0xFFFFC0) {
            grid.SelectRange(row, 0, row, last);
        }
    });
    grid.SetDblClickHandler([&] { events.push_back(Cat({"dblclick r", std::to_string(grid.CursorRow())})); });
    const auto state = [&] {
        const MergeSpan s = grid.Selection();
        return Cat({"sel ", std::to_string(s.row1), ",", std::to_string(s.col1), "-", std::to_string(s.row2),
                    ",", std::to_string(s.col2), " cur ", std::to_string(grid.CursorRow()), ",",
                    std::to_string(grid.CursorCol())});
    };
    grid.UserClick(3, 2);
    EXPECT_EQ(state(), "sel 3,0-3,5 cur 3,0");
    grid.UserClick(4, 2); // the light cyan row keeps only the clicked cell selected
    EXPECT_EQ(state(), "sel 4,2-4,2 cur 4,2");
    grid.UserDoubleClick(4, 2);
    grid.MoveCursor(0, -1); // column 1 is hidden: the cursor steps over it
    EXPECT_EQ(state(), "sel 4,0-4,0 cur 4,0");
    grid.MoveCursor(-5, 0); // stops at the first data row, never in the header
    EXPECT_EQ(state(), "sel 3,0-3,0 cur 3,0");
    grid.MoveCursor(2, 2, true); // two shown columns to the right of column 0 are 2 and 3
    EXPECT_EQ(state(), "sel 3,0-5,3 cur 5,3");
    grid.UserClick(9, 0); // outside: ignored
    EXPECT_EQ(events, (std::vector<std::string>{"click r3", "click r4", "dblclick r4"}));
}

} // namespace
} // namespace grid::test
