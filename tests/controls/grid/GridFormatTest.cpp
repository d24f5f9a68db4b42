// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/grid/GridActions.h"
#include "controls/grid/GridModel.h"
#include "vb/Conversion.h"
#include "vb/DateTime.h"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace grid::test {
namespace {

// Column formats as the window builds them from the template, applied when a data cell is shown.
TEST(GridFormatTest, ColumnFormatsShowDataCells) {
    struct Case {
        const char* name;
        const char* format;
        vb::Variant value;
        const char* expected;
    };
    const vb::Variant march5 = vb::Date{vb::DateSerial(2024, 3, 5)};
    const Case cases[] = {
        {"decimal with grouping", "#,###0.00", 1234567.5, "1,234,567.50"},
        {"decimal below one keeps its zero", "#,###0.00", 0.5, "0.50"},
        {"half cent rounds away from zero", "#,###0.00", 589.005, "589.01"},
        {"negative uses the positive section with a sign", "#,###0.00;; ", -1234.5, "-1,234.50"},
        // The third section of a single space blanks zero; the cell then reads as empty text, which
        // the print transfer skips.
        {"blank zero", "#,###0.00;; ", 0.0, ""},
        {"blank zero also for a value that rounds to zero", "#,###0.00;; ", 0.004, ""},
        {"zero shown without the zero section", "#,###0.00", 0.0, "0.00"},
        {"integer grouping", "#,##", vb::Variant::Long(1234567), "1,234,567"},
        {"integer grouping, zero blank", "#,##;; ", vb::Variant::Long(0), ""},
        {"single-precision value as integer", "#,##", vb::Variant::Single(2.5f), "3"},
        {"currency keeps its cents", "#,###0.00", vb::Currency{123456789}, "12,345.68"},
        {"numeric text is formatted as a number", "#,###0.00", "1,234.5", "1,234.50"},
        {"other text passes through", "#,###0.00", "暂无", "暂无"},
        {"blanked zero arrives as empty text", "#,###0.00;; ", "", ""},
        {"null shows nothing", "#,###0.00", vb::Variant::Null(), ""},
        {"date", "yyyy-mm-dd", march5, "2024-03-05"},
        {"date from text", "yyyy-mm-dd", "2024-03-05 14:30:00", "2024-03-05"},
        {"boolean true", "√; ", true, "√"},
        {"boolean false is blank", "√; ", false, ""},
        {"boolean from a bit column number", "√; ", vb::Variant::Integer(1), "√"},
        {"yes/no words", "是;否", false, "否"},
        {"general text of a drifting sum", "", 0.1 + 0.2, "0.3"},
        {"general text of a boolean", "", true, "True"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GridModel grid;
        grid.SetGridColCount(1);
        grid.SetGridRowCount(2);
        grid.SetHeaderRowCount(1);
        grid.SetColFormatText(0, c.format);
        grid.SetRangeProp(0, 1, 0, c.value);
        EXPECT_EQ(grid.CellTextAt(1, 0), c.expected);
        EXPECT_EQ(grid.RangeProp(0, 1, 0).AsString(), c.expected);
    }
}

TEST(GridFormatTest, FormatsApplyWhenShownAndNeverToHeaderRows) {
    GridModel grid;
    grid.SetGridColCount(1);
    grid.SetGridRowCount(2);
    grid.SetHeaderRowCount(1);
    grid.SetRangeProp(0, 0, 0, 2024.0); // a year as a caption
    grid.SetRangeProp(0, 1, 0, 1234.5);
    EXPECT_EQ(grid.CellTextAt(1, 0), "1234.5");
    grid.SetColFormatText(0, "#,###0.00");
    // The stored value did not change; only the way it is shown.
    EXPECT_EQ(grid.CellTextAt(1, 0), "1,234.50");
    EXPECT_EQ(grid.CellTextAt(0, 0), "2024");
    EXPECT_EQ(grid.RangeProp(18, 1, 0).AsDouble(), 1234.5);
}

// `count` amounts of whole cents from a fixed pseudo-random sequence, as a day's invoice lines.
std::vector<double> Cents(int count) {
    std::vector<double> amounts;
    std::uint32_t x = 1;
    for (int at = 0; at < count; ++at) {
        x = static_cast<std::uint32_t>((x * 1103515245ULL + 12345) % 2147483648ULL);
        amounts.push_back(static_cast<double>(x % 300000) / 100);
    }
    return amounts;
}

// A number without a format shows the shortest text that reads back as it, at most 15 significant
// digits, wherever it turns into text: the cell, the totals row, the status line's sum and the
// clipboard. Without the fix the selection's sum and the clipboard went by the doubles' own sums and
// digits: 500 amounts of cents added up to 706233.980000001 in the status line, and -0 copied as "-0".
TEST(GridFormatTest, GeneralNumbersShowTheirShortestText) {
    struct Case {
        const char* name;
        std::vector<double> parts; // the data rows; the totals row adds them up
        const char* cell;          // the first data row as shown
        const char* total;         // the totals row, the status line's sum
    };
    const Case cases[] = {
        {"0.1 + 0.2", {0.1, 0.2}, "0.1", "0.3"},
        // Added as doubles, the 500 amounts make 706233.980000001; in whole cents they make 70623398.
        {"500 invoice lines", Cents(500), "1275.9", "706233.98"},
        {"the sum of a drift", {0.1 + 0.2}, "0.3", "0.3"},
        {"past 15 digits: exponent", {1e16, 0}, "1E+16", "1E+16"},
        {"negative zero", {-0.0}, "0", "0"},
        {"tiny", {1e-7, 2e-7}, "1E-07", "3E-07"},
        {"small but plain", {0.000125}, "0.000125", "0.000125"},
        {"15 digits round", {2.0 / 3, 1.0 / 3}, "0.666666666666667", "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GridModel grid;
        const int rows = static_cast<int>(c.parts.size());
        grid.SetGridColCount(1);
        grid.SetGridRowCount(1 + rows);
        grid.SetHeaderRowCount(1);
        for (int row = 0; row < rows; ++row) {
            grid.SetRangeProp(0, 1 + row, 0, c.parts[static_cast<std::size_t>(row)]);
        }
        EXPECT_EQ(grid.CellTextAt(1, 0), c.cell);
        EXPECT_EQ(CopyCells(grid, {1, 0, 1, 0}, false, false).text, std::string(c.cell) + "\n");
        const std::optional<RangeNumbers> selected = SumNumbers(grid, {1, 0, rows, 0}, 1000);
        ASSERT_TRUE(selected.has_value());
        EXPECT_EQ(vb::NumberText(selected->sum), c.total);
        grid.AddTotalRow(2, -1, 0, "", 0xFFFFFF);
        EXPECT_EQ(grid.CellTextAt(1 + rows, 0), c.total);
        EXPECT_EQ(CopyCells(grid, {1 + rows, 0, 1 + rows, 0}, false, false).text,
                  std::string(c.total) + "\n");
    }
}

TEST(GridFormatTest, StatusNumbersRoundOnTheDecimalForm) {
    struct Case {
        double value;
        int decimals;
        const char* expected;
    };
    const Case cases[] = {
        {16212.6, 4, "16,212.6"},
        {-1.0 / 3, 4, "-0.3333"},
        {1.00005, 4, "1.0001"}, // below the half in binary
        {4570572.19999999, 4, "4,570,572.2"},
        {-0.00001, 4, "0"},
        {1234567, 0, "1,234,567"},
        {1234567, 4, "1,234,567"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(StatusNumber(c.value, c.decimals), c.expected);
    }
}

} // namespace
} // namespace grid::test
