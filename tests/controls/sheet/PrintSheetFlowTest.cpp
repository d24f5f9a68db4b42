// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The calls the report window makes on the print sheet, in its order, against the demo template:
// cut back to the header, add the data rows with the field row's styles, borders, print range,
// footer rows copied from the template sheet, page line. Running it twice must give the same sheet.
#include "controls/sheet/SheetDocument.h"
#include "controls/sheet/SheetDump.h"

#include <gtest/gtest.h>

namespace sheet {
namespace {

const std::string kTemplate = std::string(VONDREL_SOURCE_DIR) + "/demo/templates/销售日报.cll";

void Rebuild(const SheetDocument& cll, SheetDocument& print) {
    const int headEnd = 6, fieldRow = 7, headStart = 4;
    const std::vector<std::vector<const char*>> grid = {
        {"1", "2024-03-01", "北京华联商厦", "月饼礼盒", "0", "128", "", ""},
        {"2", "2024-03-01", "上海百联集团", "酱油1.9L", "12", "23.5", "282", "√"}};
    print.SetSheetRowCount(headEnd + 1);
    print.SetSheetRowCount(headEnd + 1 + static_cast<int>(grid.size()));
    for (int r = headEnd + 1; r < print.SheetRowCount(); ++r) {
        print.SetRowHeight(r, 24);
        for (int c = 0; c < cll.SheetColCount(); ++c) {
            long size = 0, style = 0;
            std::string face;
            NumFormat num;
            cll.GetCellFont(c, fieldRow, size, style, face);
            cll.GetCellNumFormat(c, fieldRow, num);
            print.SetCellAlign(c, r, cll.GetCellAlign(c, fieldRow));
            print.SetCellFont(c, r, size, style, face);
            print.SetCellNumFormat(c, r, num);
            print.SetCellOption(c, r, cll.GetCellOption(c, fieldRow) == 0 ? 1 : 0);
            const std::string text =
                grid[static_cast<std::size_t>(r - headEnd - 1)][static_cast<std::size_t>(c)];
            const bool numeric = c == 0 || (c >= 4 && c <= 6);
            if (!text.empty()) {
                print.SetCellValue(c, r, numeric ? vb::Variant(std::stod(text)) : vb::Variant(text));
            }
        }
    }
    const int last = print.SheetRowCount() - 1;
    print.SetRangeBorder(0, headStart, cll.SheetColCount() - 1, last, 0, 1, 0);
    print.SetRangeBorder(0, headStart, cll.SheetColCount() - 1, last, 1, 10, 0);
    print.SetPrintArea(0, 0, print.SheetColCount() - 1, last, headEnd + 1, 0);
    for (int r = headEnd + 4; r < cll.SheetRowCount(); ++r) {
        vb::Variant text;
        cll.GetCellText(1, r, text);
        if (text.IsString() && text.AsString().starts_with("&P")) {
            print.SetSheetRowCount(print.SheetRowCount() + 1);
            cll.CopyRange(0, r, cll.SheetColCount() - 1, r);
            print.PasteAt(0, print.SheetRowCount() - 1, true);
            print.SetCellText(1, print.SheetRowCount() - 1, "张三");
        }
    }
    print.SetPageLine("Qovira有限公司", "第&P页共&S页", "2024年3月5日");
}

TEST(PrintSheetFlowTest, RebuildFromTheGridTwice) {
    SheetDocument cll, print;
    ASSERT_EQ(cll.OpenFile(kTemplate), 1) << cll.LastError().ToString();
    ASSERT_EQ(print.OpenFile(kTemplate), 1);
    Rebuild(cll, print);
    const std::string once = DumpSheet(print);
    Rebuild(cll, print);
    EXPECT_EQ(DumpSheet(print), once);
    EXPECT_TRUE(print.CheckConsistency());
    // Data rows take the field row's styles; columns whose template blanks zeros get option 0, the
    // others 1 (zeros shown). The medium frame runs down columns A and H and along the last data row.
    // Only the two footer rows with fields follow, copied whole (G10 is left for the date field).
    EXPECT_EQ(
        DumpSheet(print, 0, 7, 7, 11),
        "r8 h=24: 1@1|\"2024-03-01\"@2|\"北京华联商厦\"@3|\"月饼礼盒\"@3|0@4|128@5|@6|@7\n"
        "r9 h=24: 2@8|\"2024-03-01\"@9|\"上海百联集团\"@10|\"酱油1.9L\"@10|12@11|23.5@12|282@13|\"√\"@14\n"
        "r10: \"制表人：\"@15|\"张三\"@16||||\"打印日期：\"@15|\"&PDATE\"@16\n"
        "r11: \"账套：\"@15|\"张三\"@16\n"
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
    EXPECT_EQ(print.SheetRowCount(), 11);
    EXPECT_EQ(print.GetPrintArea(), (PrintArea{0, 0, 7, 8, 7, 0}));
}

} // namespace
} // namespace sheet
