// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// .xls export read back by independent readers: xlrd for values, styles, sizes, merges and names;
// LibreOffice for values and for what xlrd does not read (page set-up, footer, print titles, through
// a conversion to .xlsx read by openpyxl). Failures leave neither a half-written file nor a changed one.
#include "controls/sheet/SheetSamples.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace sheet {
namespace {

using test::FolderEntries;
using test::ReadFile;
using test::RunPython;
using test::TempDir;

// Prints what xlrd reads, one fact a line. argv: file, "all" or "ends" (values of the first three and
// the last row of each worksheet only), then cells ("A1") whose formatting to print. Numbers print as
// integers when whole, else as Python's shortest repr.
constexpr const char* kXlrdDump = R"py(
import sys, xlrd
def esc(t):
    return ''.join('\\\\' if ch == '\\' else '\\n' if ch == '\n' else '\\t' if ch == '\t'
                   else '\\x%02x' % ord(ch) if ord(ch) < 32 else ch for ch in t)
def num(v):
    return str(int(v)) if v.is_integer() and abs(v) < 1e15 else repr(v)
def ref(r, c):
    return xlrd.colname(c) + str(r + 1)
b = xlrd.open_workbook(sys.argv[1], formatting_info=True)
for s in b.sheets():
    print('sheet', s.name, s.nrows, s.ncols)
    rows = range(s.nrows) if sys.argv[2] == 'all' else sorted(set([0, 1, 2, s.nrows - 1]))
    for r in rows:
        for c in range(s.ncols):
            cell = s.cell(r, c)
            if cell.ctype == xlrd.XL_CELL_NUMBER:
                print('v', ref(r, c), 'n', num(cell.value))
            elif cell.ctype == xlrd.XL_CELL_TEXT:
                print('v', ref(r, c), 's', esc(cell.value))
    for c, info in sorted(s.colinfo_map.items()):
        print('col', xlrd.colname(c), info.width, 'hidden' if info.hidden else '')
    for r, info in sorted(s.rowinfo_map.items()):
        if info.height != 300:
            print('row', r + 1, info.height)
    for m in s.merged_cells:
        print('merge', ref(m[0], m[2]) + ':' + ref(m[1] - 1, m[3] - 1))
    for arg in sys.argv[3:]:
        r, c = int(arg[1:]) - 1, ord(arg[0]) - 65
        xf = b.xf_list[s.cell_xf_index(r, c)]
        f = b.font_list[xf.font_index]
        bd = xf.border
        edges = []
        for name in ('left', 'top', 'right', 'bottom'):
            style = getattr(bd, name + '_line_style')
            if style:
                edges.append('%s%d/%02X%02X%02X' % ((name[0].upper(), style) + b.colour_map[getattr(bd, name + '_colour_index')]))
        print('f', arg, f.name, f.height, 'b' if f.weight == 700 else '', 'i' if f.italic else '',
              'u' if f.underline_type else '', b.format_map[xf.format_key].format_str,
              'align=%d,%d' % (xf.alignment.hor_align, xf.alignment.vert_align), ' '.join(edges))
for n in b.name_obj_list:
    print('name', n.name, n.scope, n.result.text)
# The record framing itself: no record over the format's limit, nothing after the last EOF, every
# worksheet offset on a BOF record.
import struct, xlrd.compdoc
stream = xlrd.compdoc.CompDoc(open(sys.argv[1], 'rb').read()).get_named_stream('Workbook')
pos, recs = 0, []
while pos + 4 <= len(stream):
    rid, ln = struct.unpack('<HH', stream[pos:pos + 4])
    recs.append((pos, rid, ln))
    pos += 4 + ln
bofs = set(p for p, rid, ln in recs if rid == 0x809)
offsets = [struct.unpack('<I', stream[p + 4:p + 8])[0] for p, rid, ln in recs if rid == 0x85]
print('framing', 'fit' if all(ln <= 8224 for _, _, ln in recs) else 'too-long',
      'exact-end' if pos == len(stream) and recs[-1][1] == 0x0A else 'trailing-bytes',
      'eof=%d' % sum(1 for _, rid, _ in recs if rid == 0x0A),
      'sheets-at-bof' if all(o in bofs for o in offsets) else 'bad-offsets',
      'continue=%d' % sum(1 for _, rid, _ in recs if rid == 0x3C))
)py";

// The document's values as the dump above prints them.
std::string EscapedText(std::string_view text) {
    std::string out;
    for (const char ch : text) {
        if (ch == '\\') {
            out += "\\\\";
        } else if (ch == '\n') {
            out += "\\n";
        } else if (ch == '\t') {
            out += "\\t";
        } else if (static_cast<unsigned char>(ch) < 32) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", ch);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out;
}

std::string ValueLines(const SheetDocument& doc, int firstRow, int lastRow, int rowOffset) {
    std::string out;
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int col = 0; col < doc.SheetColCount(); ++col) {
            double number = 0;
            std::string_view text;
            const int kind = doc.PeekCell(col, row, number, text);
            if (kind == 0) {
                continue;
            }
            out += "v ";
            out += CellName(col, row + rowOffset);
            if (kind == 1) {
                char buf[32];
                out += " n ";
                if (number == std::floor(number) && std::fabs(number) < 1e15) {
                    out += std::to_string(static_cast<long long>(number));
                } else {
                    out.append(buf, std::to_chars(buf, buf + sizeof buf, number).ptr);
                }
            } else {
                out += " s ";
                out += EscapedText(text);
            }
            out += '\n';
        }
    }
    return out;
}

// Lines of `all` starting with any of the prefixes.
std::string Lines(const std::string& all, std::initializer_list<std::string_view> prefixes) {
    std::string out;
    std::size_t at = 0;
    while (at < all.size()) {
        const std::size_t end = all.find('\n', at);
        const std::string_view line(all.data() + at, (end == std::string::npos ? all.size() : end) - at);
        for (const std::string_view prefix : prefixes) {
            if (line.starts_with(prefix)) {
                out.append(line);
                out += '\n';
                break;
            }
        }
        at = end == std::string::npos ? all.size() : end + 1;
    }
    return out;
}

// "" when equal, else the first line that differs (shortened), so a failure prints a line, not megabytes.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
    std::size_t at = 0;
    int line = 1;
    while (at < expected.size() || at < actual.size()) {
        const std::size_t e = std::min(expected.find('\n', at), expected.size());
        const std::size_t a = std::min(actual.find('\n', at), actual.size());
        const std::string want = at < expected.size() ? expected.substr(at, e - at) : "<end>";
        const std::string got = at < actual.size() ? actual.substr(at, a - at) : "<end>";
        if (want != got || e != a) {
            return "line " + std::to_string(line) + ": expected " + want.substr(0, 120) + ", got " +
                   got.substr(0, 120);
        }
        at = e + 1;
        ++line;
    }
    return "";
}

// Rich() with what stresses the record layer: numbers of every RK form and ones RK cannot hold,
// thousands of distinct texts (the string table runs over many CONTINUE records), texts longer than
// one record in one- and two-byte form, a colour missing from the palette, and blanked zeros.
SheetDocument Workbook() {
    SheetDocument doc = test::Rich();
    const double numbers[] = {0,   -0.5, 12345.67, 123456789, 536870911, 536870912, -536870912,
                              1e9, 0.1,  1.0 / 3,  1e-300,    1e+16,     -2.75,     589.005};
    doc.SetSheetRowCount(10 + 3000);
    for (int i = 0; i < static_cast<int>(std::size(numbers)); ++i) {
        doc.SetCellValue(3, 8 + i, vb::Variant(numbers[i]));
    }
    for (int i = 0; i < 3000; ++i) {
        doc.SetCellText(0, 10 + i, "客户" + std::to_string(i) + "号");
    }
    std::string longLatin(9000, 'x');
    longLatin += "end";
    std::string longChinese;
    for (int i = 0; i < 5000; ++i) {
        longChinese += "表";
    }
    doc.SetCellText(1, 10, longLatin);
    doc.SetCellText(1, 11, longChinese + "尾");
    doc.SetCellText(2, 10, "𝒳 beyond the basic plane");
    doc.SetRangeBorder(4, 20, 4, 20, 6, 11, 0x563412); // BGR of #123456, not in the default palette
    doc.SetCellNumFormat(4, 21, NumFormat{1, false, 2, -1, 0, 0, false});
    doc.SetCellOption(4, 21, kOptionBlankZero);
    doc.SetCellValue(4, 21, vb::Variant(0.0));
    doc.SetCellFont(4, 22, 12, 7, "楷体");
    doc.SetCellAlign(4, 22, 2 | 8);
    doc.SetCellText(4, 22, "右上");
    return doc;
}

TEST(XlsExportTest, XlrdReadsValuesStylesSizesAndNames) {
    TempDir dir;
    SheetDocument doc = Workbook();
    const std::string path = dir.File("销售日报.xls");
    ASSERT_TRUE(doc.ExportExcel(path)) << doc.LastError().ToString();
    bool ok = false;
    const std::string seen =
        RunPython(dir, kXlrdDump, "'" + path + "' all A1 C3 A4 B5 E6 E8 E21 E22 E23", ok);
    ASSERT_TRUE(ok) << seen;
    // Every value exactly, the doubles to the last bit (the dump prints their shortest form).
    EXPECT_EQ(FirstDifference(ValueLines(doc, 0, doc.SheetRowCount() - 1, 0), Lines(seen, {"v "})), "");
    // Widths: pixels * 256 / 7 (72 px = 2633, 130 px = 4754); the hidden column keeps the default
    // width. 41 pixels are 615 twips. The style lines: fonts in twentieths of a point, the BIFF line
    // styles (1 thin, 2 medium, 9 dash-dot) and colours by RGB through the palette, horizontal 1
    // left / 2 centre / 3 right, vertical 0 top / 1 centre / 2 bottom. Cells without a horizontal flag
    // print right-aligned and are written as right: written as "general" (0), their texts opened
    // left-aligned in the spreadsheet program.
    // The string table is about 68 kB (3,000 names of 15 to 17 bytes, two texts of 9 and 10 kB): nine
    // records, the SST and eight CONTINUE. One EOF ends the globals, one the worksheet.
    EXPECT_EQ(Lines(seen, {"framing"}), "framing fit exact-end eof=2 sheets-at-bof continue=8\n");
    EXPECT_EQ(Lines(seen, {"sheet", "col", "row", "merge", "name", "f "}),
              "sheet 销售日报 3010 5\n"
              "col A 2633 \n"
              "col B 2633 hidden\n"
              "col C 2633 \n"
              "col D 2633 \n"
              "col E 4754 \n"
              "row 7 615\n"
              "merge A1:E1\n"
              "f A1 黑体 360 b   General align=2,1 \n"
              "f C3 宋体 200    \"¥\"#,##0.00,%;[Red](\"¥\"#,##0.00,%); align=3,2 \n"
              "f A4 宋体 200    General align=3,2 L2/000000 T2/000000 R1/00FF00 B1/00FF00\n"
              "f B5 宋体 200    General align=3,2 L1/00FF00 T1/00FF00 R1/00FF00 B1/00FF00\n"
              "f E6 宋体 200    General align=3,2 L1/00FF00 T1/00FF00 R2/000000 B2/000000\n"
              "f E8 Times New Roman 210  i u General align=3,2 \n"
              "f E21 宋体 200    General align=3,2 T10/123456\n"
              "f E22 宋体 200    #,##0.00;-#,##0.00; align=3,2 \n"
              "f E23 楷体 240 b i u General align=3,0 \n"
              "name Print_Area 0 销售日报!$A$1:$E$7\n"
              "name Print_Titles 0 销售日报!$A$1:$A$65536,销售日报!$A$1:$IV$2\n");
}

// A print sheet as the report window builds it: title, two header rows with merges, data rows in the
// data-row style, a totals row, borders, print range with titles, page line.
SheetDocument PrintSheet(int dataRows) {
    SheetDocument doc;
    doc.Resize(4, 3 + dataRows);
    doc.SetCellText(0, 0, "库存月报");
    doc.MergeCells(0, 0, 3, 0);
    doc.SetCellFont(0, 0, 16, 1, "黑体");
    doc.SetCellAlign(0, 0, 36);
    doc.SetCellText(0, 1, "仓库");
    doc.MergeCells(0, 1, 0, 2);
    doc.SetCellText(1, 1, "数量");
    doc.MergeCells(1, 1, 2, 1);
    doc.SetCellText(1, 2, "期初");
    doc.SetCellText(2, 2, "期末");
    doc.SetCellText(3, 1, "金额");
    doc.MergeCells(3, 1, 3, 2);
    for (int row = 3; row < 3 + dataRows; ++row) {
        const bool total = row == 2 + dataRows;
        doc.SetCellText(0, row, total ? "合计" : "第" + std::to_string(row - 2) + "仓");
        doc.SetCellValue(1, row, vb::Variant(static_cast<double>(row % 7)));
        doc.SetCellNumFormat(2, row, NumFormat{0, false, 0, -1, 0, 0, false});
        doc.SetCellOption(2, row, kOptionBlankZero);
        doc.SetCellValue(2, row, vb::Variant(static_cast<double>((row % 3) * 10)));
        doc.SetCellNumFormat(3, row, NumFormat{1, false, 2, -1, 0, 0, false});
        doc.SetCellValue(3, row, vb::Variant(row * 1234.5));
        doc.SetCellAlign(3, row, 2);
        doc.SetRowHeight(row, 18);
    }
    doc.SetRangeBorder(0, 1, 3, doc.SheetRowCount() - 1, 0, 1, 0);
    doc.SetRangeBorder(0, 1, 3, doc.SheetRowCount() - 1, 1, 10, 0);
    doc.SetColWidth(0, 100);
    doc.SetColWidth(2, 0);
    doc.SetPrintArea(0, 0, 3, doc.SheetRowCount() - 1, 3, 1);
    doc.SetPageLine("Qovira有限公司", "第&P页共&S页", "2024年3月5日");
    PageSetup ps;
    ps.paper = Paper::A3;
    ps.landscape = true;
    ps.marginLeftMm = 25.4;
    ps.fitWide = 1;
    ps.centreHorizontally = true;
    doc.SetPageSetup(ps);
    return doc;
}

// LibreOffice opens the workbook as a user would: its CSV shows the values as formatted (grouping,
// blanked zeros, the hidden column's values still there); its .xlsx re-save carries what xlrd does
// not read: page set-up, footer, print range and titles.
TEST(XlsExportTest, LibreOfficeOpensTheWorkbook) {
    if (std::system("command -v soffice > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "soffice (libreoffice-calc-nogui) is not installed";
    }
    TempDir dir;
    SheetDocument doc = PrintSheet(4);
    ASSERT_TRUE(doc.ExportExcel(dir.File("月报.xls"))) << doc.LastError().ToString();
    // A private profile: the user's own settings and a running office must not interfere.
    const std::string office = "cd '" + dir.Path().string() + "' && HOME='" + dir.Path().string() +
                               "' soffice --headless --convert-to ";
    ASSERT_EQ(std::system(
                  (office + "'csv:Text - txt - csv (StarCalc):44,34,76' 月报.xls > /dev/null 2>&1").c_str()),
              0);
    ASSERT_EQ(std::system((office + "xlsx 月报.xls > /dev/null 2>&1").c_str()), 0);
    // Zeros of column C are blank (3 % 3 and 6 % 3); column D groups thousands with two decimals.
    EXPECT_EQ(ReadFile(dir.File("月报.csv")), "库存月报,,,\n"
                                              "仓库,数量,,金额\n"
                                              ",期初,期末,\n"
                                              "第1仓,3,,\"3,703.50\"\n"
                                              "第2仓,4,10,\"4,938.00\"\n"
                                              "第3仓,5,20,\"6,172.50\"\n"
                                              "合计,6,,\"7,407.00\"\n");
    bool ok = false;
    const std::string seen = RunPython(dir, R"py(
import sys
from openpyxl import load_workbook
ws = load_workbook(sys.argv[1]).active
ps = ws.page_setup
print(ws.title, ws.print_area, ws.print_title_rows, ws.print_title_cols)
print(ws.oddFooter.left.text, ws.oddFooter.center.text, ws.oddFooter.right.text)
print(ps.paperSize, ps.orientation, ps.fitToWidth, ps.fitToHeight, ws.sheet_properties.pageSetUpPr.fitToPage)
print(ws.print_options.horizontalCentered, ws.print_options.verticalCentered, round(ws.page_margins.left, 3))
print(sorted(str(m) for m in ws.merged_cells.ranges), ws.column_dimensions["C"].hidden)
)py",
                                       dir.File("月报.xlsx"), ok);
    ASSERT_TRUE(ok) << seen;
    // A3 is paper 8; fit to one page wide, any number tall; 25.4 mm is one inch.
    EXPECT_EQ(seen, "月报 ['$A$1:$D$7'] $1:$3 $A:$A\n"
                    "Qovira有限公司 第&P页共&N页 2024年3月5日\n"
                    "8 landscape 1 0 True\n"
                    "True False 1.0\n"
                    "['A1:D1', 'A2:A3', 'B2:C2', 'D2:D3'] True\n");
}

// Past 65,536 rows the rows go on in further worksheets, each starting with the title rows (and
// their merges) again and printing with them. At this size the compound file needs more than the
// header's 109 allocation-table sectors.
TEST(XlsExportTest, RowsBeyondOneWorksheetGoOnInFurtherWorksheets) {
    TempDir dir;
    const int dataRows = 140000;
    SheetDocument doc = PrintSheet(dataRows);
    const std::string path = dir.File("库存.xls");
    ASSERT_TRUE(doc.ExportExcel(path)) << doc.LastError().ToString();
    ASSERT_GT(std::filesystem::file_size(path), 109u * 128 * 512) << "too small to need DIFAT sectors";
    bool ok = false;
    const std::string seen = RunPython(dir, kXlrdDump, "'" + path + "' ends", ok);
    ASSERT_TRUE(ok) << seen;
    // Sheet 1 holds document rows 1..65536; sheet 2 the 3 title rows, then rows 65537..131069
    // (65,533 of them); sheet 3 the titles and the remaining 140,003 - 131,069 = 8,934 rows.
    std::string expected =
        "sheet 库存 65536 4\n" + ValueLines(doc, 0, 2, 0) + ValueLines(doc, 65535, 65535, 0);
    for (const auto& [name, first, last] :
         {std::tuple{"库存 (2)", 65536, 131068}, std::tuple{"库存 (3)", 131069, 140002}}) {
        expected += std::string("sheet ") + name + " " + std::to_string(3 + last - first + 1) + " 4\n" +
                    ValueLines(doc, 0, 2, 0) + ValueLines(doc, last, last, 3 - first);
    }
    EXPECT_EQ(FirstDifference(expected, Lines(seen, {"sheet", "v "})), "");
    EXPECT_EQ(Lines(seen, {"merge", "name"}),
              "merge A1:D1\nmerge A2:A3\nmerge B2:C2\nmerge D2:D3\n"
              "merge A1:D1\nmerge A2:A3\nmerge B2:C2\nmerge D2:D3\n"
              "merge A1:D1\nmerge A2:A3\nmerge B2:C2\nmerge D2:D3\n"
              "name Print_Area 0 库存!$A$1:$D$65536\n"
              "name Print_Titles 0 库存!$A$1:$A$65536,库存!$A$1:$IV$3\n"
              "name Print_Area 1 '库存 (2)'!$A$4:$D$65536\n"
              "name Print_Titles 1 '库存 (2)'!$A$1:$A$65536,'库存 (2)'!$A$1:$IV$3\n"
              "name Print_Area 2 '库存 (3)'!$A$4:$D$8937\n"
              "name Print_Titles 2 '库存 (3)'!$A$1:$A$65536,'库存 (3)'!$A$1:$IV$3\n");
}

// Around the 4096-byte cutoff the stream moves from the mini stream to ordinary sectors; a text one
// character longer adds one byte, so a probe finds the lengths that put the stream on either side.
TEST(XlsExportTest, StreamsAroundTheMiniStreamCutoffReadBack) {
    TempDir dir;
    constexpr const char* kSizes = R"py(
import sys, xlrd, xlrd.compdoc
for path in sys.argv[1:]:
    data = open(path, 'rb').read()
    stream = xlrd.compdoc.CompDoc(data).get_named_stream('Workbook')
    print(len(stream), len(xlrd.open_workbook(file_contents=data).sheet_by_index(0).cell_value(0, 0)))
)py";
    auto exportText = [&](std::size_t length) {
        SheetDocument doc;
        doc.Resize(1, 1);
        doc.SetCellText(0, 0, std::string(length, 'a'));
        // Names of one length: the worksheet is named after the file.
        char name[32];
        std::snprintf(name, sizeof name, "%05zu.xls", length);
        const std::string path = dir.File(name);
        EXPECT_TRUE(doc.ExportExcel(path)) << doc.LastError().ToString();
        return path;
    };
    bool ok = false;
    const std::string probe = RunPython(dir, kSizes, exportText(100), ok);
    ASSERT_TRUE(ok) << probe;
    const std::size_t streamSize = std::stoul(probe);
    ASSERT_LT(streamSize, 4096u);
    const std::size_t atCutoff = 100 + 4096 - streamSize;
    std::string files, expected;
    for (std::size_t length = atCutoff - 2; length <= atCutoff + 2; ++length) {
        files += exportText(length) + " ";
        expected += std::to_string(4096 + length - atCutoff) + " " + std::to_string(length) + "\n";
    }
    const std::string seen = RunPython(dir, kSizes, files, ok);
    ASSERT_TRUE(ok) << seen;
    EXPECT_EQ(seen, expected);
}

// A cell holds at most 32,767 UTF-16 units in this format; longer texts are cut there, never inside a
// surrogate pair. The longest ones span eight string-table records.
TEST(XlsExportTest, TextsAreCutAtTheCellLimit) {
    TempDir dir;
    std::string wide;
    for (int i = 0; i < 20000; ++i) {
        wide += "长";
    }
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"at the limit", std::string(32767, 'a')},
        {"beyond it", std::string(40000, 'b')},
        {"a pair across it", std::string(32766, 'c') + "\xF0\x9D\x92\xB3"},
        {"two-byte beyond it", wide + wide},
    };
    SheetDocument doc;
    doc.Resize(1, static_cast<int>(cases.size()));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        doc.SetCellText(0, static_cast<int>(i), cases[i].second);
    }
    ASSERT_TRUE(doc.ExportExcel(dir.File("long.xls"))) << doc.LastError().ToString();
    bool ok = false;
    const std::string seen = RunPython(dir, R"py(
import sys, xlrd
s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)
for r in range(s.nrows):
    v = s.cell_value(r, 0)
    print(len(v.encode('utf-16-le')) // 2, v[0], v[-1])
)py",
                                       dir.File("long.xls"), ok);
    ASSERT_TRUE(ok) << seen;
    // The pair would need units 32,767 and 32,768: it is left out whole.
    EXPECT_EQ(seen, "32767 a a\n32767 b b\n32766 c c\n32767 长 长\n");
}

// A disk that fills up at any point of the write: in the cell records before the first flush, at the
// 1 MB flush, in the allocation tables, at the very last byte. Each time the export fails, leaves no
// temporary file, and the workbook that was there before is untouched.
TEST(XlsExportTest, WritesStoppedAnywhereLeaveTheEarlierFile) {
    TempDir dir;
    SheetDocument doc = PrintSheet(20000);
    const std::string path = dir.File("报表.xls");
    ASSERT_TRUE(doc.ExportExcel(path)) << doc.LastError().ToString();
    const auto fullSize = static_cast<rlim_t>(std::filesystem::file_size(path));
    ASSERT_GT(fullSize, rlim_t{1} << 20) << "too small to be flushed before the end";
    const std::string before = ReadFile(path);
    std::signal(SIGXFSZ, SIG_IGN); // the failed write must return an error, not end the process
    rlimit oldLimit{};
    ::getrlimit(RLIMIT_FSIZE, &oldLimit);
    for (const rlim_t limit :
         {rlim_t{1}, rlim_t{512}, rlim_t{4096}, (rlim_t{1} << 20) + 512, fullSize - 600, fullSize - 1}) {
        SCOPED_TRACE(limit);
        rlimit small = oldLimit;
        small.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &small);
        const bool written = doc.ExportExcel(path);
        ::setrlimit(RLIMIT_FSIZE, &oldLimit);
        EXPECT_FALSE(written);
        EXPECT_EQ(doc.LastError().code, "write-failed");
        EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"报表.xls"});
        EXPECT_TRUE(ReadFile(path) == before) << "the earlier workbook changed";
    }
    // Nothing sticks to the document: the next export with room succeeds.
    EXPECT_TRUE(doc.ExportExcel(path)) << doc.LastError().ToString();
}

struct FailureCase {
    const char* name;
    const char* code;
    const char* reason; // the end of the message
};

// Each failure: false, the reason in Chinese naming the file, no temporary file left, and what was
// there before (a workbook of the same name, a folder) unchanged.
TEST(XlsExportTest, FailuresLeaveNoFileAndSayWhy) {
    const bool root = ::geteuid() == 0;
    const std::vector<FailureCase> cases = {
        {"missing folder", "cannot-create", "文件夹不存在"},
        // root ignores permission bits: a read-only file system stands in for the folder then.
        {"read-only folder", "cannot-create", "没有写入权限"},
        {"target is a folder", "cannot-rename", "同名的文件夹已存在"},
        {"disk full midway", "write-failed", "文件过大"},
        {"too many columns", "too-many-columns", "Excel 97-2003 工作簿最多 256 列，本表有 300 列"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::filesystem::path folder = dir.Path();
        std::string path = dir.File("报表.xls");
        SheetDocument doc = PrintSheet(2000);
        const std::string before = "an earlier workbook";
        std::string name = c.name;
        if (name == "missing folder") {
            folder = dir.Path() / "无此文件夹";
            path = (folder / "报表.xls").string();
        } else if (name == "read-only folder" && root) {
            folder = "/sys";
            path = "/sys/报表.xls";
        } else if (name == "target is a folder") {
            std::filesystem::create_directory(path);
            std::ofstream(path + "/inside.txt") << before;
        } else {
            std::ofstream(path) << before;
        }
        if (name == "too many columns") {
            doc.Resize(300, 2);
        }
        const auto entriesBefore = FolderEntries(folder);
        if (name == "read-only folder" && !root) {
            std::filesystem::permissions(folder, std::filesystem::perms::owner_read |
                                                     std::filesystem::perms::owner_exec);
        }
        rlimit oldLimit{};
        if (name == "disk full midway") {
            // Writes past 20 kB fail as on a full disk; the signal would otherwise end the process.
            std::signal(SIGXFSZ, SIG_IGN);
            ::getrlimit(RLIMIT_FSIZE, &oldLimit);
            rlimit small = oldLimit;
            small.rlim_cur = 20000;
            ::setrlimit(RLIMIT_FSIZE, &small);
        }
        const bool written = doc.ExportExcel(path);
        if (name == "disk full midway") {
            ::setrlimit(RLIMIT_FSIZE, &oldLimit);
        }
        std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_all);
        EXPECT_FALSE(written);
        const LoadError& error = doc.LastError();
        EXPECT_EQ(error.file, path);
        EXPECT_EQ(error.code, c.code);
        EXPECT_NE(error.message.find("“" + path + "”"), std::string::npos) << error.message;
        EXPECT_TRUE(error.message.ends_with(c.reason)) << error.message;
        EXPECT_EQ(FolderEntries(folder), entriesBefore);
        if (name == "target is a folder") {
            EXPECT_EQ(ReadFile(path + "/inside.txt"), before);
        } else if (std::filesystem::exists(path) && folder == dir.Path()) {
            EXPECT_EQ(ReadFile(path), before);
        }
    }
}

} // namespace
} // namespace sheet
