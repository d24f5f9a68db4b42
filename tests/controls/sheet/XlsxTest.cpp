// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// .xlsx import of files written by an independent writer (openpyxl), export read back both by our
// import and by openpyxl, and the import's refusal of broken packages.
#include "controls/sheet/SheetDump.h"
#include "controls/sheet/SheetSamples.h"
#include "controls/sheet/SheetXlsx.h"

#include <array>
#include <fstream>
#include <gtest/gtest.h>

namespace sheet {
namespace {

using test::RunPython;
using test::TempDir;

constexpr const char* kWriteHeader = R"py(
import sys
from openpyxl import Workbook
from openpyxl.styles import Alignment, Border, Font, Side
from openpyxl.worksheet.properties import PageSetupProperties
wb = Workbook()
ws = wb.active
ws.title = "明细"
ws.merge_cells("A1:D1")
ws["A1"] = "库存月报"
ws["A1"].font = Font(name="黑体", size=16, bold=True, italic=True)
ws["A1"].alignment = Alignment(horizontal="center", vertical="center")
ws.merge_cells("A2:A3"); ws["A2"] = "仓库"
ws.merge_cells("B2:C2"); ws["B2"] = "数量"
ws["B3"] = "期初"; ws["C3"] = "期末"
ws["D2"] = 1234.5
ws["D2"].number_format = "#,##0.00;-#,##0.00;"
ws["D3"] = 0.25
ws["D3"].number_format = "0.0%"
ws["C4"] = -7
ws["C4"].number_format = '"¥"#,##0;[Red]\\(#,##0\\)'
ws["C4"].font = Font(name="宋体", size=10.5, underline="single")
ws["B4"] = True
side = Side(style="medium", color="FF0000FF")
ws["A4"].border = Border(left=side, bottom=Side(style="dashed"))
ws["A4"].alignment = Alignment(horizontal="left", vertical="top")
ws.column_dimensions["A"].width = 10
ws.column_dimensions["C"].hidden = True
ws.row_dimensions[1].height = 30
ws.print_title_rows = "1:3"
ws.print_area = "A1:D4"
ws.page_setup.paperSize = ws.PAPERSIZE_A3
ws.page_setup.orientation = "landscape"
ws.page_setup.fitToWidth = 1
ws.page_setup.fitToHeight = 0
ws.sheet_properties.pageSetUpPr = PageSetupProperties(fitToPage=True)
ws.print_options.verticalCentered = True
ws.page_margins.left = 0.25
ws.oddFooter.center.text = "第&P页 共&N页 R&&D"
wb.save(sys.argv[1])
)py";

TEST(XlsxTest, ImportsWhatAnotherWriterSaved) {
    TempDir dir;
    bool ok = false;
    const std::string out = RunPython(dir, kWriteHeader, dir.File("in.xlsx"), ok);
    ASSERT_TRUE(ok) << out;
    SheetDocument doc;
    LoadError error;
    ASSERT_TRUE(ImportXlsx(dir.File("in.xlsx"), doc, error)) << error.ToString();
    EXPECT_TRUE(doc.CheckConsistency());
    // Widths: 10 characters are 70 pixels by the 7-pixel digit rule, unset columns 64, hidden ones 0.
    // Heights: 30 points are 40 pixels. Margins: inches to millimetres, to a tenth. D2's empty zero
    // section blanks zeros (option 2); C4 is currency, red, in parentheses (escaped ones count too);
    // the medium blue left edge of A4 is style 10 in BGR; True reads as 1. Texts left at "general"
    // showed left-aligned where they were drawn and import so (align=1); the number next to them stays
    // right. Without that the captions printed right-aligned, cut at the left.
    EXPECT_EQ(DumpSheet(doc), "size 4x4\n"
                              "name 明细\n"
                              "widths A=70 B=64 C=0 D=64\n"
                              "print A1:D4 titles=3,0\n"
                              "pageline |第&P页 共&S页 R&&D|\n"
                              "page A3 landscape margins=6.4,25.4,19.1,25.4 scale=100 fit=1x0 centre-v\n"
                              "r1 h=40: \"库存月报\"@1\n"
                              "r2: \"仓库\"@2|\"数量\"@2||1234.5@3\n"
                              "r3: |\"期初\"@2|\"期末\"@2|0.25@4\n"
                              "r4: @5|1@6|-7@7\n"
                              "@1 黑体 16 bi align=36\n"
                              "@2 Calibri 11 align=1\n"
                              "@3 Calibri 11 num=1,0,2,-1,0,0,0 option=2\n"
                              "@4 Calibri 11 num=0,0,1,1,0,0,0\n"
                              "@5 Calibri 11 align=9 L10/16711680 B3\n"
                              "@6 Calibri 11\n"
                              "@7 宋体 10.5 u num=1,1,0,-1,0,1,1\n"
                              "merge A1:D1\nmerge A2:A3\nmerge B2:C2\n");
}

TEST(XlsxTest, ExportReadsBackTheSameDocument) {
    TempDir dir;
    const SheetDocument doc = test::Rich();
    LoadError error;
    ASSERT_TRUE(ExportXlsx(doc, dir.File("out.xlsx"), error)) << error.ToString();
    SheetDocument back;
    ASSERT_TRUE(ImportXlsx(dir.File("out.xlsx"), back, error)) << error.ToString();
    EXPECT_EQ(DumpSheet(back), DumpSheet(doc));

    // An independent reader sees the same merges, fonts, formats and sizes.
    bool ok = false;
    const std::string seen = RunPython(dir, R"py(
import sys
from openpyxl import load_workbook
ws = load_workbook(sys.argv[1]).active
print(sorted(str(m) for m in ws.merged_cells.ranges))
a1 = ws["A1"]
print(a1.value, a1.font.name, a1.font.sz, a1.font.b, a1.alignment.horizontal, a1.alignment.vertical)
print(ws["A2"].alignment.horizontal, ws["A2"].alignment.vertical)
print(repr(ws["C3"].value), ws["C3"].number_format)
print(ws.column_dimensions["B"].hidden, ws.column_dimensions["E"].width, ws.row_dimensions[7].height)
print(ws.print_title_rows, ws.print_title_cols, ws.print_area, ws.oddFooter.center.text)
)py",
                                       dir.File("out.xlsx"), ok);
    ASSERT_TRUE(ok) << seen;
    // 130 pixels are 18.57 characters (130 / 7, to 1/256); 41 pixels are 30.75 points.
    EXPECT_EQ(seen, "['A1:E1']\n"
                    "销售日报 黑体 18.0 True center center\n"
                    // A text without alignment flags prints right-aligned: so it opens (it was "general").
                    "right None\n"
                    "-1e+300 \"¥\"#,##0.00,%;[Red](\"¥\"#,##0.00,%);\n"
                    "True 18.5703125 30.75\n"
                    "$1:$2 $A:$A ['$A$1:$E$7'] 第&P页共&N页\n");
}

// The writer goes row by row and can declare a merged block only on its last row, where it writes the
// corner's format over that row's part: blocks ending on different rows, cells inside them in styles
// of their own, blocks reaching past a row's stored cells and over the sheet's last cell must all
// come back cell by cell. Declared on their first rows, the blocks pushed the rows below to disk
// before their own cells came, and those cells were lost.
TEST(XlsxTest, MergedBlocksEndingOnDifferentRowsKeepEveryCell) {
    TempDir dir;
    SheetDocument doc;
    doc.Resize(6, 6);
    doc.SetCellText(0, 0, "期间");
    doc.SetCellFont(0, 0, 12, 1, "黑体");
    doc.SetCellFont(0, 2, 9, 2, "宋体"); // last row of A1:A3, empty
    doc.SetCellText(1, 1, "数量");
    doc.SetCellFont(2, 1, 9, 1, "宋体"); // inside B2:C2, its only row
    doc.SetCellValue(3, 0, vb::Variant(1.5));
    doc.SetCellValue(3, 3, vb::Variant(5.0)); // last row of D1:E4, below its corner
    doc.SetCellAlign(4, 1, 36);
    doc.SetCellFont(5, 5, 9, 2, "宋体"); // the sheet's last cell, inside F5:F6
    for (const auto& [c1, r1, c2, r2] :
         {std::array{0, 0, 0, 2}, std::array{1, 1, 2, 1}, std::array{3, 0, 4, 3}, std::array{5, 4, 5, 5}}) {
        ASSERT_TRUE(doc.MergeCells(c1, r1, c2, r2));
    }
    LoadError error;
    ASSERT_TRUE(ExportXlsx(doc, dir.File("merged.xlsx"), error)) << error.ToString();
    SheetDocument back;
    ASSERT_TRUE(ImportXlsx(dir.File("merged.xlsx"), back, error)) << error.ToString();
    EXPECT_EQ(DumpSheet(back), DumpSheet(doc));
}

// Every cell option survives export and import. Without the names the number format was all that
// carried it: option 1 (a field cell whose zeros the grid blanks) came back as 0, and the report began
// to show zeros after the template's round trip through a spreadsheet program.
TEST(XlsxTest, CellOptionsSurviveTheRoundTrip) {
    TempDir dir;
    SheetDocument doc;
    doc.Resize(6, 44);
    const int options[] = {0, 1, 2, 3, -7, 1};
    for (int col = 0; col < 6; ++col) {
        doc.SetCellText(col, 1, std::string(1, static_cast<char>('a' + col)));
        doc.SetCellOption(col, 1, options[col]);
    }
    doc.SetCellOption(4, 2, 1); // an empty styled cell on another row
    // Twenty separate cells: more than one name's formula holds (the library keeps 127 bytes).
    for (int row = 4; row < 44; row += 2) {
        doc.SetCellOption(0, row, 3);
    }
    LoadError error;
    ASSERT_TRUE(ExportXlsx(doc, dir.File("options.xlsx"), error)) << error.ToString();
    SheetDocument back;
    ASSERT_TRUE(ImportXlsx(dir.File("options.xlsx"), back, error)) << error.ToString();
    EXPECT_EQ(DumpSheet(back), DumpSheet(doc));
    for (int col = 0; col < 6; ++col) {
        SCOPED_TRACE(col);
        EXPECT_EQ(back.GetCellOption(col, 1), options[col]);
    }
}

// Fills have no place in a template: the import names each filled cell instead of dropping it unsaid.
TEST(XlsxTest, FillsAreNamedCellByCell) {
    TempDir dir;
    bool ok = false;
    const std::string out = RunPython(dir, R"py(
import sys
from openpyxl import Workbook
from openpyxl.styles import PatternFill
wb = Workbook()
ws = wb.active
ws["A1"] = "标题"
ws["B2"] = 5
ws["B2"].fill = PatternFill("solid", fgColor="FFFF00")
ws["C3"].fill = PatternFill("solid", fgColor="00FF00")
wb.save(sys.argv[1])
)py",
                                      dir.File("fills.xlsx"), ok);
    ASSERT_TRUE(ok) << out;
    SheetDocument doc;
    LoadError error;
    std::vector<std::string> dropped;
    ASSERT_TRUE(ImportXlsx(dir.File("fills.xlsx"), doc, error, &dropped)) << error.ToString();
    EXPECT_EQ(dropped,
              std::vector<std::string>{"B2、C3 有填充颜色，模板不保存填充颜色，打印和导出时不会显示"});
}

struct BrokenCase {
    const char* name;
    const char* python; // writes the package to sys.argv[1]
    const char* code;
    const char* cell;
    const char* message;
};

TEST(XlsxTest, BrokenPackagesNameTheFault) {
    const char* kZip = "import sys, zipfile\nz = zipfile.ZipFile(sys.argv[1], 'w')\n";
    const char* kRels = "z.writestr('_rels/.rels', '<Relationships xmlns=\"x\"><Relationship Id=\"r\" "
                        "Type=\"x/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>')\n"
                        "z.writestr('xl/workbook.xml', '<workbook><sheets><sheet name=\"S\" r:id=\"s1\" "
                        "xmlns:r=\"r\"/></sheets></workbook>')\n"
                        "z.writestr('xl/_rels/workbook.xml.rels', '<Relationships><Relationship Id=\"s1\" "
                        "Type=\"x/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"s2\" "
                        "Type=\"x/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>')\n"
                        "z.writestr('xl/sharedStrings.xml', '<sst><si><t>a</t></si></sst>')\n";
    const std::vector<BrokenCase> cases = {
        {"a text file", "open(__import__('sys').argv[1], 'w').write('not a workbook')", "not-xlsx", "",
         "不是 .xlsx 工作簿（不是有效的 zip 压缩包）"},
        {"a zip without a workbook", "z.writestr('a.txt', 'x')", "missing-part", "",
         "工作簿缺少“xl/workbook.xml”"},
        {"a sheet that is not XML", "z.writestr('xl/worksheets/sheet1.xml', '<worksheet><sheetData>')",
         "bad-xml", "", ""},
        {"shared string past the end",
         "z.writestr('xl/worksheets/sheet1.xml', '<worksheet><sheetData><row r=\"2\"><c r=\"B2\" "
         "t=\"s\"><v>5</v></c></row></sheetData></worksheet>')",
         "bad-string-index", "B2", "共享字符串编号“5”不存在"},
        {"cell outside its row",
         "z.writestr('xl/worksheets/sheet1.xml', '<worksheet><sheetData><row r=\"2\"><c r=\"B3\">"
         "<v>1</v></c></row></sheetData></worksheet>')",
         "bad-cell-ref", "", "单元格引用“B3”无效或不在所在行"},
        {"a number that is none",
         "z.writestr('xl/worksheets/sheet1.xml', '<worksheet><sheetData><row r=\"1\"><c r=\"C1\">"
         "<v>1,5</v></c></row></sheetData></worksheet>')",
         "bad-number", "C1", "“1,5”不是有效的数值"},
        {"a merge beyond the sheet",
         "z.writestr('xl/worksheets/sheet1.xml', '<worksheet><sheetData/><mergeCells><mergeCell "
         "ref=\"A1:XFE2\"/></mergeCells></worksheet>')",
         "bad-merge", "", "合并区域“A1:XFE2”无效"},
    };
    for (const BrokenCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string script = std::string(c.python).starts_with("z.")
                                       ? std::string(kZip) +
                                             (std::string(c.python).find("workbook") == std::string::npos &&
                                                      std::string(c.name) != "a zip without a workbook"
                                                  ? kRels
                                                  : "") +
                                             c.python + "\nz.close()\n"
                                       : c.python;
        bool ok = false;
        const std::string out = RunPython(dir, script, dir.File("bad.xlsx"), ok);
        ASSERT_TRUE(ok) << out;
        SheetDocument doc;
        LoadError error;
        EXPECT_FALSE(ImportXlsx(dir.File("bad.xlsx"), doc, error));
        EXPECT_EQ(error.file, dir.File("bad.xlsx"));
        EXPECT_EQ(error.code, c.code);
        EXPECT_EQ(error.cell, c.cell);
        if (*c.message != '\0') {
            EXPECT_EQ(error.message, c.message);
        }
        EXPECT_EQ(doc.SheetColCount(), 0);
    }
}

TEST(XlsxTest, TextThatIsNotUtf8IsReplaced) {
    TempDir dir;
    bool ok = false;
    const std::string out = RunPython(dir, R"py(
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1], 'w')
z.writestr('xl/workbook.xml', '<workbook><sheets><sheet r:id="s1" xmlns:r="r"/></sheets></workbook>')
z.writestr('xl/_rels/workbook.xml.rels', '<Relationships><Relationship Id="s1" Type="x/worksheet" '
           'Target="sheet1.xml"/></Relationships>')
z.writestr('xl/sheet1.xml', b'<worksheet><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>a\xffb_xD800_</t>'
           b'</is></c></row></sheetData></worksheet>')
z.close()
)py",
                                      dir.File("bytes.xlsx"), ok);
    ASSERT_TRUE(ok) << out;
    SheetDocument doc;
    LoadError error;
    ASSERT_TRUE(ImportXlsx(dir.File("bytes.xlsx"), doc, error)) << error.ToString();
    // A stray byte and an escaped lone surrogate each become U+FFFD (three bytes for the surrogate).
    EXPECT_EQ(
        DumpSheet(doc),
        "size 1x1\nwidths A=64\n"
        "page A4 portrait margins=19.1,25.4,19.1,25.4 scale=100 fit=0x0\n" // a workbook's default margins
        "r1: \"a\uFFFDb\uFFFD\uFFFD\uFFFD\"@1\n"
        "@1 宋体 10 align=1\n"); // a text in no style shows left-aligned
}

TEST(XlsxTest, EveryTruncationOfAWorkbookIsRefused) {
    TempDir dir;
    LoadError error;
    SheetDocument small;
    small.Resize(2, 2);
    small.SetCellText(0, 0, "表头");
    small.MergeCells(0, 0, 1, 0);
    ASSERT_TRUE(ExportXlsx(small, dir.File("small.xlsx"), error));
    const std::string bytes = test::ReadFile(dir.File("small.xlsx"));
    ASSERT_GT(bytes.size(), 1000u);
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        SheetDocument doc;
        ASSERT_FALSE(ImportXlsxData(std::string_view(bytes).substr(0, cut), "cut.xlsx", doc, error)) << cut;
        ASSERT_FALSE(error.code.empty());
    }
    SheetDocument whole;
    ASSERT_TRUE(ImportXlsxData(bytes, "small.xlsx", whole, error)) << error.ToString();
    EXPECT_EQ(DumpSheet(whole), DumpSheet(small));
}

} // namespace
} // namespace sheet
