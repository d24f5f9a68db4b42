// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "reportgrid/TotalsAndFonts.h"

#include "ado/Recordset.h"
#include "controls/grid/GridModel.h"
#include "vb/Array.h"

#include <gtest/gtest.h>

namespace {

using QV_GridPrint::ColumnTables;

// A grid of one header row and the given data rows (column, record), with column formats.
void Load(grid::GridModel& vsf, ColumnTables& tables, const std::vector<std::vector<vb::Variant>>& rows,
          std::vector<std::string> flags) {
    const int cols = static_cast<int>(flags.size());
    tables.Reset(cols);
    tables.vTotalFlag = std::move(flags);
    tables.vColFormat.assign(static_cast<std::size_t>(cols), "#,###0.00");
    vsf.SetGridRowCount(1);
    vsf.SetGridColCount(cols);
    vsf.SetHeaderRowCount(1);
    auto data = std::make_shared<vb::Array>(
        std::vector<vb::Array::Bound>{{0, cols - 1}, {0, static_cast<long>(rows.size()) - 1}});
    for (std::size_t row = 0; row < rows.size(); ++row) {
        for (int col = 0; col < cols; ++col) {
            data->Set(col, static_cast<long>(row), rows[row][static_cast<std::size_t>(col)]);
        }
    }
    for (int col = 0; col < cols; ++col) {
        vsf.SetColFormatText(col, "#,###0.00");
    }
    vsf.FillFromArray(vb::Variant(data));
}

std::string LastRow(grid::GridModel& vsf) {
    std::string text;
    for (int col = 0; col < vsf.GridColCount(); ++col) {
        text.append(col ? "|" : "").append(vsf.CellTextAt(vsf.GridRowCount() - 1, col));
    }
    return text;
}

TEST(Totals, FlagsDecideSumsBalancesAndTheCaption) {
    struct Case {
        const char* name;
        std::vector<std::string> flags;
        const char* lastRow; // "" rows: no totals row was added
        int rowCount;
    };
    const std::vector<std::vector<vb::Variant>> rows = {
        {vb::Variant("甲"), vb::Variant(0.1), vb::Variant(1.0), vb::Variant(100.0)},
        {vb::Variant("乙"), vb::Variant(0.2), vb::Variant(2.0), vb::Variant(80.5)},
    };
    const Case cases[] = {
        {"caption, nothing, two sums", {"合计", "", "y", "y"}, "合计||3.00|180.50", 4},
        {"sum of cents shows the exact cent total", {"小计", "y", "", ""}, "小计|0.30||", 4},
        {"balance takes the last data row's value", {"余额", "", "", "bal"}, "余额|||80.50", 4},
        {"sum without a caption leaves column 0 empty", {"", "y", "", ""}, "|0.30||", 4},
        {"a caption alone adds no row", {"合计", "", "", ""}, "乙|0.20|2.00|80.50", 3},
        {"bal before the caption is still a balance", {"", "bal", "合计", ""}, "|0.20|合计|", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        grid::GridModel vsf;
        ColumnTables tables;
        Load(vsf, tables, rows, c.flags);
        QV_GridPrint::AddHJ(vsf, tables);
        EXPECT_EQ(vsf.GridRowCount(), c.rowCount);
        EXPECT_EQ(LastRow(vsf), c.lastRow);
        if (c.rowCount == 4) {
            EXPECT_EQ(vsf.RangeProp(6, 3, 0).NumberValue(), static_cast<double>(QV_GridPrint::kTotalsColour));
        }
    }
}

TEST(Fonts, FlaggedRecordsAreColouredAndClicksSkipColouredRows) {
    ado::Recordset rs;
    rs.AppendField("finterid", ado::adInteger);
    rs.AppendField("amount", ado::adDouble);
    rs.Open();
    for (const vb::Variant& flag : {vb::Variant(0), vb::Variant(5), vb::Variant(-1), vb::Variant::Null()}) {
        rs.AddNew();
        rs.Fields("finterid").SetValue(flag);
        rs.Fields("amount").SetValue(vb::Variant(1.0));
    }
    auto data = std::shared_ptr<ado::Recordset>(rs.Clone());
    grid::GridModel vsf;
    ColumnTables tables;
    Load(vsf, tables,
         {{vb::Variant(0), vb::Variant(1.0)},
          {vb::Variant(5), vb::Variant(1.0)},
          {vb::Variant(-1), vb::Variant(1.0)},
          {vb::Variant::Null(), vb::Variant(1.0)}},
         {"", "y"});
    tables.vColAttr[0] = {0, 10, 0, "宋体", {}, 1};
    tables.vColAttr[1] = {0, 10, 5, "宋体", {}, 1};
    QV_GridPrint::AddHJ(vsf, tables);
    QV_GridPrint::SetVSFont(vsf, tables, 2, 1, 300, data);

    const auto colour = [&](int row) {
        return vsf.RangeProp(6, row, 1).NumberValue().value_or(-1);
    };
    EXPECT_EQ(colour(1), static_cast<double>(QV_GridPrint::kTotalsColour)) << "finterid 0";
    EXPECT_NE(colour(2), static_cast<double>(QV_GridPrint::kTotalsColour)) << "finterid 5 is not coloured";
    EXPECT_NE(colour(2), static_cast<double>(QV_GridPrint::kFlaggedColour));
    EXPECT_EQ(colour(3), static_cast<double>(QV_GridPrint::kFlaggedColour)) << "finterid -1";
    EXPECT_NE(colour(4), static_cast<double>(QV_GridPrint::kFlaggedColour)) << "Null does not repeat -1";
    EXPECT_EQ(vsf.RowHeightTwips(2), 300);
    EXPECT_EQ(vsf.RowHeightTwips(5), 300) << "the totals row too";
    EXPECT_EQ(vsf.RangeProp(13, 5, 1), vb::Variant(true)) << "style 5 is bold in the totals row";
    EXPECT_EQ(vsf.RangeProp(15, 2, 1), vb::Variant(true)) << "and underlined in the data rows";

    vsf.SetClickHandler([&] { QV_GridPrint::SelectClickedRow(vsf); });
    const auto selected = [&] {
        const grid::MergeSpan span = vsf.Selection();
        return std::to_string(span.row1) + "," + std::to_string(span.col1) + "-" + std::to_string(span.row2) +
               "," + std::to_string(span.col2);
    };
    vsf.UserClick(2, 1);
    EXPECT_EQ(selected(), "2,0-2,1") << "an ordinary data row is selected whole";
    vsf.UserClick(3, 1);
    EXPECT_EQ(selected(), "3,1-3,1") << "a coloured row is not turned into a row selection";
    vsf.UserClick(5, 1);
    EXPECT_EQ(selected(), "5,1-5,1") << "nor is the totals row";
}

} // namespace
