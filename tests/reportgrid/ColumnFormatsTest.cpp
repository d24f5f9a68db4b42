// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "reportgrid/ColumnFormats.h"

#include "vb/Array.h"
#include "vb/Format.h"

#include <gtest/gtest.h>

namespace {

TEST(ColumnFormats, AlignmentFlagsBecomeGridCodes) {
    struct Case {
        long flags;
        int code;
    };
    // horizontal 1 left, 4 centre, else right; vertical 8 top, 32 centre, else bottom
    const Case cases[] = {{4 + 32, 4}, {0, 8}, {1 + 8, 0}, {1 + 32, 1}, {4, 5}, {2 + 16, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_EQ(QV_GridPrint::AlignCodeFromFlags(c.flags), c.code);
    }
}

// Each column's format, and what it shows for 0, -3 and 1234567.5 (the grid's own texts). Without the
// fixes an integer column with blank zeros and no grouping (";; ") showed "|-|" (only the minus), and a
// grouped integer column ("#,##") showed 0 as empty although its template shows zeros.
TEST(ColumnFormats, TypeGroupsGiveTheDisplayFormats) {
    struct Case {
        const char* name;
        int type;
        std::int16_t grouping;
        std::int16_t decimals;
        bool blanksZeros;
        const char* typeName;
        const char* format;
        const char* shown; // 0|-3|1234567.5
    };
    const Case cases[] = {
        {"decimal, grouped, two decimals", 131, 1, 2, false, "decimal", "#,###0.00",
         "0.00|-3.00|1,234,567.50"},
        {"the same with zeros blank", 131, 1, 2, true, "decimal", "#,###0.00;; ", " |-3.00|1,234,567.50"},
        {"decimal without grouping", 5, 0, 3, false, "decimal", "#0.000", "0.000|-3.000|1234567.500"},
        {"decimal grouped without decimals", 5, 1, 0, false, "decimal", "#,##0", "0|-3|1,234,568"},
        {"integer without grouping, zeros shown: no format", 3, 0, 0, false, "integer", "", "0|-3|1234567.5"},
        {"integer grouped", 20, 1, 2, false, "integer", "#,##0", "0|-3|1,234,568"},
        {"integer grouped with zeros blank", 20, 1, 0, true, "integer", "#,##0;; ", " |-3|1,234,568"},
        {"integer with zeros blank", 2, 0, 0, true, "integer", ";; ", " |-3|1234567.5"},
        {"single precision counts as an integer", 4, 0, 2, false, "integer", "", "0|-3|1234567.5"},
        {"currency is a decimal", 6, 1, 2, false, "decimal", "#,###0.00", "0.00|-3.00|1,234,567.50"},
        {"date", 133, 1, 2, true, "date", "yyyy-mm-dd", "1899-12-30|1899-12-27|5280-02-15"},
        {"timestamp", 135, 0, 0, false, "date", "yyyy-mm-dd", "1899-12-30|1899-12-27|5280-02-15"},
        {"text", 202, 1, 2, true, "string", "", "0|-3|1234567.5"},
        {"bit", 11, 0, 0, false, "boolean", "√; ", " |√|√"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sheet::NumFormat format;
        format.grouping = c.grouping;
        format.decimals = c.decimals;
        std::string typeName;
        std::string displayFormat;
        ASSERT_TRUE(
            QV_GridPrint::ColumnTypeAndFormat(c.type, format, c.blanksZeros, typeName, displayFormat));
        EXPECT_EQ(typeName, c.typeName);
        EXPECT_EQ(displayFormat, c.format);
        const vb::DisplayFormat shown(displayFormat);
        EXPECT_EQ(shown.Apply(vb::Variant(0.0)) + "|" + shown.Apply(vb::Variant(-3.0)) + "|" +
                      shown.Apply(vb::Variant(1234567.5)),
                  c.shown);
    }
    std::string typeName = "decimal";
    std::string displayFormat = "#,##";
    EXPECT_FALSE(QV_GridPrint::ColumnTypeAndFormat(72, {}, false, typeName, displayFormat));
    EXPECT_EQ(typeName, "string") << "an unknown type (here a GUID) is shown as text";
    EXPECT_EQ(displayFormat, "");
}

TEST(ColumnFormats, ZerosBlankOnlyInNumericColumnsThatAskForIt) {
    QV_GridPrint::ColumnTables tables;
    tables.Reset(4);
    tables.vColType = {"decimal", "decimal", "string", "integer"};
    tables.vColAttr[0].zerosShown = 0;
    tables.vColAttr[1].zerosShown = 1;
    tables.vColAttr[2].zerosShown = 0;
    tables.vColAttr[3].zerosShown = 0;
    vb::Array data({{0, 3}, {0, 1}});
    const vb::Variant rows[2][4] = {
        {vb::Variant(0.0), vb::Variant(0.0), vb::Variant("0"), vb::Variant::Long(0)},
        {vb::Variant(2.5), vb::Variant::Null(), vb::Variant(0.0), vb::Variant::Null()}};
    for (long row = 0; row < 2; ++row) {
        for (long col = 0; col < 4; ++col) {
            data.Set(col, row, rows[row][col]);
        }
    }
    QV_GridPrint::BlankZeroValues(data, tables, 4);
    EXPECT_EQ(data.Get(0, 0), vb::Variant("")) << "decimal zero blanked";
    EXPECT_EQ(data.Get(1, 0), vb::Variant(0.0)) << "the template shows zeros there";
    EXPECT_EQ(data.Get(2, 0), vb::Variant("0")) << "text is left alone";
    EXPECT_EQ(data.Get(3, 0), vb::Variant("")) << "integer zero blanked";
    EXPECT_EQ(data.Get(0, 1), vb::Variant(2.5));
    EXPECT_TRUE(data.Get(3, 1).IsNull()) << "Null is left alone";
}

} // namespace
