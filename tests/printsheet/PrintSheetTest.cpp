// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The print sheet rebuilt from a real grid over the demo template: widths, values by column type,
// the totals row, borders, print area, footer rows, page line, and the same sheet on every run.
#include "printsheet/PrintSheet.h"

#include "DemoReport.h"
#include "controls/sheet/SheetDump.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <tuple>
#include <unistd.h>

namespace {

using vondrel::test::DemoReport;
using vondrel::test::Sale;

const std::vector<Sale> kSales = {
    {1, "2024-03-01", "北京华联商厦", "月饼礼盒", 1234, 128.5, 158569, true},
    {2, "2024-03-02", "上海百联集团", "酱油1.9L", 0, 23.5, 0, false},
    {3, "2024-03-05", "广州友谊商店", "茶叶", 12, 0, 282, true},
};

QV_GridPrint::PageFieldValues Fields() {
    QV_GridPrint::PageFieldValues values;
    values.ParaText = {"开始日期:2024-03-01", "结束日期:2024-03-31"};
    values.login.FUsername = vb::Variant("张三");
    values.login.FAcctName = vb::Variant("演示账套");
    values.login.Flogindate = vb::Variant("2024-03-05");
    return values;
}

std::string FileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TEST(PrintSheet, ColumnWidthsFollowTheGrid) {
    struct Case {
        const char* name;
        int twips;
        bool isHidden;
        int px;
    };
    // Ten twips per pixel here, so halves occur: 105 twips are 10.5 pixels.
    const Case cases[] = {
        {"plain width", 1200, false, 120},
        {"a half rounds down to even", 105, false, 10},
        {"a half rounds up to even", 115, false, 12},
        {"below ten pixels", 94, false, 0},
        {"exactly ten pixels", 100, false, 10},
        {"hidden", 1200, true, 0},
        {"wider than a sheet column may be", 90000, false, sheet::kMaxColWidthPx},
    };
    grid::GridModel vsf;
    const int cols = static_cast<int>(std::size(cases));
    vsf.SetGridColCount(cols + 1); // one grid column more than the sheet has: skipped
    sheet::SheetDocument clldata;
    ASSERT_TRUE(clldata.Resize(cols, 1));
    for (int col = 0; col < cols; ++col) {
        vsf.SetColWidthTwips(col, cases[col].twips);
        vsf.SetColHiddenFlag(col, cases[col].isHidden);
    }
    QV_GridPrint::SetCellColWidth(vsf, clldata, 10);
    for (int col = 0; col < cols; ++col) {
        SCOPED_TRACE(cases[col].name);
        int px = -1;
        ASSERT_TRUE(clldata.GetColWidth(col, px));
        EXPECT_EQ(px, cases[col].px);
    }
}

TEST(PrintSheet, PageLineDateHasNoLeadingZeros) {
    struct Case {
        vb::DateParts day;
        const char* text;
    };
    const Case cases[] = {{{2024, 3, 5, 0, 0, 0}, "2024年3月5日"},
                          {{2024, 12, 31, 23, 59, 59}, "2024年12月31日"},
                          {{1999, 1, 10, 0, 0, 0}, "1999年1月10日"}};
    for (const Case& c : cases) {
        EXPECT_EQ(QV_GridPrint::PageLineDate(vb::MakeDate(c.day)), c.text);
    }
}

TEST(PrintSheet, RebuildFromTheDemoReport) {
    DemoReport report(kSales);
    // A user dragged the product column narrow and the plug-in's text replaced an amount: the grid
    // shows text in a decimal column.
    report.vsf.SetColWidthTwips(3, 120);
    report.vsf.SetRangeProp(0, 4, 6, vb::Variant("待定"));
    QV_GridPrint::SetCellDataFromVSF(report.Source(Fields(), 1), report.clldata);
    const sheet::SheetDocument& print = report.clldata;

    // Rows 0..6 are the template's title and header; three data rows and the totals row follow, then
    // the two footer rows that hold fields. The totals-flag row and the footer row without fields are
    // gone, and so is the "end" marker.
    EXPECT_EQ(print.SheetRowCount(), 7 + 4 + 2);
    // By column: integer ids and quantities as numbers (1,234 read back as 1234, a blanked zero left
    // empty), dates as yyyy-mm-dd text, decimals as numbers unless the text is not numeric, the check
    // mark as text. The totals row has the data-row styles; the medium frame closes under it.
    EXPECT_EQ(
        sheet::DumpSheet(print, 0, 7, 7, 12),
        "r8 h=24: 1@1|\"2024-03-01\"@2|\"北京华联商厦\"@3|\"月饼礼盒\"@3|1234@4|128.5@5|158569@6|\"√\"@7\n"
        "r9 h=24: 2@1|\"2024-03-02\"@2|\"上海百联集团\"@3|\"酱油1.9L\"@3|@4|23.5@5|\"待定\"@6|@7\n"
        "r10 h=24: 3@1|\"2024-03-05\"@2|\"广州友谊商店\"@3|\"茶叶\"@3|12@4|0@5|282@6|\"√\"@7\n"
        "r11 h=24: \"合计\"@8|@9|@10|@10|1246@11|@12|158851@13|@14\n"
        "r12: \"制表人：\"@15|\"张三\"@16||||\"打印日期：\"@15|\"2024-03-05\"@16\n"
        "r13: \"账套：\"@15|\"演示账套\"@16\n"
        "@1 宋体 10 align=36 num=0,0,0,-1,0,0,0 option=1 L10 T1 R1 B1\n"
        "@2 宋体 10 align=36 num=0,0,0,3,0,0,0 option=1 L1 T1 R1 B1\n"
        "@3 宋体 10 align=33 option=1 L1 T1 R1 B1\n"
        "@4 宋体 10 align=32 num=1,0,0,-1,0,0,0 L1 T1 R1 B1\n"
        "@5 宋体 10 align=32 num=1,0,2,-1,0,0,0 option=1 L1 T1 R1 B1\n"
        "@6 宋体 10 align=32 num=1,0,2,-1,0,0,0 L1 T1 R1 B1\n"
        "@7 宋体 10 align=36 option=1 L1 T1 R10 B1\n"
        "@8 宋体 10 align=36 num=0,0,0,-1,0,0,0 option=1 L10 T1 R1 B10\n"
        "@9 宋体 10 align=36 num=0,0,0,3,0,0,0 option=1 L1 T1 R1 B10\n"
        "@10 宋体 10 align=33 option=1 L1 T1 R1 B10\n"
        "@11 宋体 10 align=32 num=1,0,0,-1,0,0,0 L1 T1 R1 B10\n"
        "@12 宋体 10 align=32 num=1,0,2,-1,0,0,0 option=1 L1 T1 R1 B10\n"
        "@13 宋体 10 align=32 num=1,0,2,-1,0,0,0 L1 T1 R1 B10\n"
        "@14 宋体 10 align=36 option=1 L1 T1 R10 B10\n"
        "@15 宋体 10 align=32\n"
        "@16 宋体 10 align=33\n");
    // The print range covers the footer rows; rows 0..6 and the fixed column A repeat on every page.
    EXPECT_EQ(print.GetPrintArea(), (sheet::PrintArea{0, 0, 7, 12, 7, 1}));
    EXPECT_EQ(print.GetPageLine(), (sheet::PageLine{"Qovira有限公司", "第&P页共&S页", "2024年3月5日"}));
    int px = -1;
    ASSERT_TRUE(print.GetColWidth(3, px));
    EXPECT_EQ(px, 0) << "8 pixels wide in the grid: not printed";
    ASSERT_TRUE(print.GetColWidth(2, px));
    EXPECT_EQ(px, 126);
    EXPECT_TRUE(print.CheckConsistency());
}

TEST(PrintSheet, EqualHeaderCaptionsPrintAsOneCellLikeTheGrid) {
    // Variable columns repeat their top caption over each column; the grid shows it once. Without the
    // rule the print repeated "金额" over every column.
    struct Case {
        const char* name;
        std::vector<int> columns; // header row 2 (template row 7) of these columns reads "金额"
        std::vector<sheet::MergeRange> added;
    } const cases[] = {
        {"the template's header as it is", {}, {}},
        {"three equal neighbours", {4, 5}, {{4, 6, 6, 6}}},
        {"equal but apart", {2}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DemoReport report(kSales);
        for (const int col : c.columns) {
            report.vsf.SetRangeProp(0, 2, col, vb::Variant("金额"));
            ASSERT_TRUE(report.clldata.SetCellText(col, 6, "金额"));
        }
        std::vector<sheet::MergeRange> expected = report.cll.Merges();
        expected.insert(expected.end(), c.added.begin(), c.added.end());
        QV_GridPrint::SetCellDataFromVSF(report.Source(Fields()), report.clldata);
        std::vector<sheet::MergeRange> merges = report.clldata.Merges();
        const auto order = [](const sheet::MergeRange& a, const sheet::MergeRange& b) {
            return std::tie(a.r1, a.c1) < std::tie(b.r1, b.c1);
        };
        std::sort(expected.begin(), expected.end(), order);
        std::sort(merges.begin(), merges.end(), order);
        EXPECT_EQ(merges, expected);
        EXPECT_TRUE(report.clldata.CheckConsistency());
    }
}

TEST(PrintSheet, TwoRunsGiveTheSameSheetAndFile) {
    DemoReport report(kSales);
    const QV_GridPrint::PrintSheetSource source = report.Source(Fields());
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("vondrel-printsheet-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    QV_GridPrint::SetCellDataFromVSF(source, report.clldata);
    const std::string once = sheet::DumpSheet(report.clldata);
    ASSERT_TRUE(report.clldata.SaveFile((folder / "once.cll").string()));
    QV_GridPrint::SetCellDataFromVSF(source, report.clldata);
    EXPECT_EQ(sheet::DumpSheet(report.clldata), once);
    ASSERT_TRUE(report.clldata.SaveFile((folder / "twice.cll").string()));
    EXPECT_EQ(FileBytes(folder / "twice.cll"), FileBytes(folder / "once.cll"));
    std::filesystem::remove_all(folder);
}

TEST(PrintSheet, WithoutDataRowsFootersFollowTheHeader) {
    DemoReport report({});
    QV_GridPrint::SetCellDataFromVSF(report.Source(Fields()), report.clldata);
    const sheet::SheetDocument& print = report.clldata;
    EXPECT_EQ(print.SheetRowCount(), 7 + 2);
    // The frame runs round the header rows alone (T10 on the first, B10 on the last).
    EXPECT_EQ(sheet::DumpSheet(print, 0, 4, 7, 8),
              "r5 h=24: \"单号\"@1|\"日期\"@2|\"销售情况\"@2|@2|@2|@2|@2|@3\n"
              "r6 h=24: @4|@5|\"客户与商品\"@5|@5|\"数量与金额\"@5|@5|@5|\"收款\"@6\n"
              "r7 h=24: @7|@8|\"客户\"@8|\"商品\"@8|\"数量\"@8|\"单价\"@8|\"金额\"@8|@9\n"
              "r8: \"制表人：\"@10|\"张三\"@11||||\"打印日期：\"@10|\"2024-03-05\"@11\n"
              "r9: \"账套：\"@10|\"演示账套\"@11\n"
              "@1 宋体 10 b align=36 L10 T10 R1 B1\n"
              "@2 宋体 10 b align=36 L1 T10 R1 B1\n"
              "@3 宋体 10 b align=36 L1 T10 R10 B1\n"
              "@4 宋体 10 b align=36 L10 T1 R1 B1\n"
              "@5 宋体 10 b align=36 L1 T1 R1 B1\n"
              "@6 宋体 10 b align=36 L1 T1 R10 B1\n"
              "@7 宋体 10 b align=36 L10 T1 R1 B10\n"
              "@8 宋体 10 b align=36 L1 T1 R1 B10\n"
              "@9 宋体 10 b align=36 L1 T1 R10 B10\n"
              "@10 宋体 10 align=32\n"
              "@11 宋体 10 align=33\n"
              "merge A5:A7\n"
              "merge B5:B7\n"
              "merge C5:H5\n"
              "merge C6:D6\n"
              "merge E6:G6\n"
              "merge H6:H7\n");
    EXPECT_EQ(print.GetPrintArea(), (sheet::PrintArea{0, 0, 7, 8, 7, 0}));
}

} // namespace
