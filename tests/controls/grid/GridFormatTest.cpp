// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/grid/GridModel.h"
#include "vb/DateTime.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace grid::test
