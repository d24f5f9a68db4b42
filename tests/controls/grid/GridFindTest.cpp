// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Find, copy and the selection's sum on the model. The search skips most cells unread (numbers
// cannot hold Chinese text, number columns hold no strings); every case here is checked against the
// plain way, reading every shown cell's text, so a skip that loses a match fails.
#include "GridDump.h"
#include "ReportGrid.h"
#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "controls/grid/GridActions.h"

#include <gtest/gtest.h>

namespace grid::test {
namespace {

// Every match the plain way: each shown cell of each data row, its displayed text, in row order.
std::vector<CellPos> PlainMatches(const GridModel& grid, const FindQuery& query) {
    const auto fold = [&](std::string text) {
        if (!query.isMatchCase) {
            for (char& ch : text) {
                ch = ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
            }
        }
        return text;
    };
    const std::string needle = fold(query.text);
    std::vector<CellPos> found;
    for (int row = grid.HeaderRowCount(); row < grid.GridRowCount(); ++row) {
        for (int col = 0; col < grid.GridColCount(); ++col) {
            const std::string text = fold(grid.CellTextAt(row, col));
            const bool isMatch = query.isWholeCell ? text == needle : text.find(needle) != std::string::npos;
            if (!grid.ColHiddenFlag(col) && !needle.empty() && isMatch) {
                found.push_back({row, col});
            }
        }
    }
    return found;
}

// Every match by the model's search, one row per call going forwards, then backwards.
std::vector<CellPos> SearchedMatches(const GridModel& grid, const FindQuery& query, bool isBackward) {
    std::vector<CellPos> found;
    CellPos from;
    for (int call = 0; call < 10000; ++call) {
        const FindStep step = grid.FindText(query, from, isBackward, 1);
        if (step.state == FindStep::State::NotFound) {
            break;
        }
        if (step.state == FindStep::State::Found) {
            found.push_back(step.cell);
        }
        from = step.cell;
    }
    if (isBackward) {
        std::reverse(found.begin(), found.end());
    }
    return found;
}

// A fetched report: numbers the database layer stores as numbers (passed by unread), text, a blanked
// zero written into the array as the window writes it, a format with a Chinese literal, dates stored
// as text under a date format (some of them words), a hidden column, and a totals row.
void SetUpFetchedReport(GridModel& grid) {
    auto cnn = ado::Connection::Create();
    cnn->Open(":memory:");
    auto rs = ado::Recordset::Create();
    rs->Open("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40) "
             "SELECT i AS fid, CASE WHEN i % 5 = 0 THEN 0 ELSE i * 3 END AS fqty, i * 12.5 AS famount, "
             "'客户' || (i % 7) || '号Trade' AS fname, "
             "CASE WHEN i % 6 = 0 THEN '未定' ELSE date('2024-01-01', '+' || i || ' days') END AS fday, "
             "'NOTE' || i AS fnote FROM n",
             cnn);
    const vb::Variant rows = rs->GetRows();
    ASSERT_TRUE(rows.AsArray()->HoldsNoText(0)) << "the number columns must take the unread path";
    for (long record = 4; record < 40; record += 5) {
        rows.AsArray()->Set(1, record, ""); // a blanked zero
    }
    grid.SetGridRowCount(1);
    grid.SetGridColCount(6);
    grid.SetHeaderRowCount(1);
    const char* captions[] = {"编号", "数量", "金额", "客户", "日期", "备注"};
    for (int col = 0; col < 6; ++col) {
        grid.SetRangeProp(0, 0, col, captions[col]);
    }
    grid.SetColFormatText(1, "#,##;; ");
    grid.SetColFormatText(2, "#,##0.00元");
    grid.SetColFormatText(4, "yyyy-mm-dd");
    grid.SetColHiddenFlag(5, true);
    grid.FillFromArray(rows);
    grid.AddTotalRow(2, -1, 2, "#,##0.00元", 0xC0FFFF);
    grid.SetRangeProp(0, grid.GridRowCount() - 1, 0, "合计");
}

TEST(GridFindTest, FindsWhatReadingEveryShownCellFinds) {
    GridModel sales;
    SetUpSalesReport(sales);
    GridModel fetched;
    SetUpFetchedReport(fetched);
    struct Case {
        const char* name;
        FindQuery query;
    };
    const Case cases[] = {
        {"Chinese in text cells", {"商贸"}},
        {"Chinese literal of a number format: number cells must be read", {"元"}},
        {"Chinese Boolean section (√)", {"√"}},
        {"digits in numbers and text", {"1"}},
        {"a grouped number as shown", {"1,2"}},
        {"a formatted date", {"2024-03-0"}},
        {"Chinese text in a date column", {"未定"}},
        {"Chinese text in a date column, whole cell", {"未定", false, true}},
        {"text of a hidden column is not found", {"NOTE"}},
        {"ASCII folded", {"trade"}},
        {"ASCII kept", {"trade", true}},
        {"whole cell", {"合计", false, true}},
        {"a blanked zero shows nothing", {"0", false, true}},
        {"the totals row", {"合计"}},
        {"header captions are not data", {"编号"}},
    };
    for (const Case& c : cases) {
        for (const GridModel* grid : {&sales, &fetched}) {
            SCOPED_TRACE(std::string(c.name) + (grid == &sales ? " (sales)" : " (fetched)"));
            const std::vector<CellPos> plain = PlainMatches(*grid, c.query);
            EXPECT_EQ(grid->CountMatches(c.query, 0, grid->GridRowCount()), static_cast<long>(plain.size()));
            EXPECT_EQ(SearchedMatches(*grid, c.query, false), plain);
            EXPECT_EQ(SearchedMatches(*grid, c.query, true), plain);
        }
    }
    EXPECT_GT(PlainMatches(fetched, {"元"}).size(), 40U) << "the literal case must have matches to lose";
}

TEST(GridFindTest, SearchStartsAfterTheGivenCellAndStopsAtTheEnd) {
    GridModel grid;
    SetUpSalesReport(grid);
    // 商 occurs in row 3 only (华东商贸有限公司); 百 in row 4.
    struct Case {
        const char* name;
        CellPos from;
        bool isBackward;
        FindStep expected;
    };
    const Case cases[] = {
        {"from outside the data: the first match", {-1, -1}, false, {FindStep::State::Found, {3, 0}}},
        {"the current cell itself is passed", {3, 0}, false, {FindStep::State::NotFound, {}}},
        {"backwards from the end", {-1, -1}, true, {FindStep::State::Found, {3, 0}}},
        {"backwards from the match itself", {3, 0}, true, {FindStep::State::NotFound, {}}},
        {"from a header row: the start", {1, 2}, false, {FindStep::State::Found, {3, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FindStep step = grid.FindText({"商"}, c.from, c.isBackward, 100);
        EXPECT_EQ(step.state, c.expected.state);
        if (c.expected.state == FindStep::State::Found) {
            EXPECT_EQ(step.cell, c.expected.cell);
        }
    }
}

TEST(GridFindTest, CopyTakesRawValuesAndTheMergedHeader) {
    GridModel grid;
    SetUpSalesReport(grid);
    grid.SetColHiddenFlag(1, true);
    struct Case {
        const char* name;
        MergeSpan range;
        bool withHeader;
        std::string text;
    };
    const Case cases[] = {
        {"a row: numbers raw, a blanked zero empty, a Boolean as shown, the hidden date left out",
         {4, 0, 4, 5},
         false,
         "北方百货\t\t0.1\t0.2\t\n"},
        {"a block with the header over it, merged blocks in their first cell",
         {3, 2, 3, 4},
         true,
         "销售情况\t\t\n数量\t金额明细\t\n\t单价\t金额\n1200\t12.5\t15000.1\n"},
        {"the totals row (the price is the last one, a balance)",
         {6, 2, 6, 4},
         false,
         "1235\t0.2\t15000.4\n"},
        {"no selection", {-1, -1, -1, -1}, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CopyCells(grid, c.range, c.withHeader).text, c.text);
    }
    EXPECT_EQ(CopyCells(grid, {3, 2, 3, 4}, true, false).html, "") << "text only when asked";
    const std::string html = CopyCells(grid, {3, 0, 3, 5}, true).html;
    // 客户 spans the three header rows; 销售情况 the four shown columns to its right (日期 is hidden);
    // 数量 two rows; 金额明细 two columns.
    EXPECT_NE(
        html.find(
            "<tr><th rowspan=\"3\">客户</th><th colspan=\"4\">销售情况</th></tr>\n"
            "<tr><th rowspan=\"2\">数量</th><th colspan=\"2\">金额明细</th><th rowspan=\"2\">已付</th></tr>\n"
            "<tr><th>单价</th><th>金额</th></tr>\n"
            "<tr><td>华东商贸有限公司</td><td>1200</td><td>12.5</td><td>15000.1</td><td>√</td></tr>"),
        std::string::npos)
        << html;
}

TEST(GridFindTest, TheSumOfASelectionCountsNumbersOnly) {
    GridModel grid;
    SetUpSalesReport(grid);
    struct Case {
        const char* name;
        MergeSpan range;
        long cells;
        long numbers;
        double sum;
    };
    const Case cases[] = {
        // Row 4's quantity is a blanked zero written as "" (text): it is not a number.
        {"the quantities", {3, 2, 5, 2}, 3, 2, 1235},
        {"a row: dates, text and Booleans do not count", {3, 0, 3, 5}, 6, 3, 1200 + 12.5 + 15000.1},
        {"the header is not data", {0, 2, 3, 2}, 1, 1, 1200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<RangeNumbers> numbers = SumNumbers(grid, c.range, 100);
        ASSERT_TRUE(numbers.has_value());
        EXPECT_EQ(numbers->cells, c.cells);
        EXPECT_EQ(numbers->numbers, c.numbers);
        EXPECT_DOUBLE_EQ(numbers->sum, c.sum);
    }
    EXPECT_FALSE(SumNumbers(grid, {3, 0, 6, 5}, 23).has_value()) << "24 cells are over a limit of 23";
}

} // namespace
} // namespace grid::test
