// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/sheet/SheetDocument.h"

#include "controls/sheet/SheetDump.h"

#include <array>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace sheet {
namespace {

// A 4 x 5 sheet with texts in the first row, numbers in the second and a merged title.
SheetDocument Sample() {
    SheetDocument doc;
    doc.Resize(4, 5);
    doc.SetCellText(0, 0, "销售日报");
    doc.MergeCells(0, 0, 3, 0);
    doc.SetCellValue(0, 1, vb::Variant(1.5));
    doc.SetCellValue(1, 1, vb::Variant(2));
    doc.SetCellText(2, 1, "客户");
    return doc;
}

struct Case {
    const char* name;
    std::function<bool(SheetDocument&)> op;
    bool expectedResult;
    const char* expectedDump; // DumpSheet of the whole document after the operation
};

void RunCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SheetDocument doc = Sample();
        const std::string before = DumpSheet(doc);
        EXPECT_EQ(c.op(doc), c.expectedResult);
        EXPECT_TRUE(doc.CheckConsistency());
        // A refused call must leave the document exactly as it was.
        EXPECT_EQ(DumpSheet(doc), c.expectedResult ? std::string(c.expectedDump) : before);
    }
}

TEST(SheetDocumentTest, ValuesAndTexts) {
    RunCases({
        {"text replaces a number", [](SheetDocument& d) { return d.SetCellText(0, 1, "x"); }, true,
         "size 4x5\nr1: \"销售日报\"\nr2: \"x\"|2|\"客户\"\nmerge A1:D1\n"},
        {"empty text empties the cell", [](SheetDocument& d) { return d.SetCellText(2, 1, ""); }, true,
         "size 4x5\nr1: \"销售日报\"\nr2: 1.5|2\nmerge A1:D1\n"},
        {"Null value empties the cell",
         [](SheetDocument& d) { return d.SetCellValue(0, 1, vb::Variant::Null()); }, true,
         "size 4x5\nr1: \"销售日报\"\nr2: |2|\"客户\"\nmerge A1:D1\n"},
        {"Currency is kept as a Double",
         [](SheetDocument& d) { return d.SetCellValue(3, 2, vb::Variant(vb::Currency{12345})); }, true,
         "size 4x5\nr1: \"销售日报\"\nr2: 1.5|2|\"客户\"\nr3: |||1.2345\nmerge A1:D1\n"},
        {"column outside the sheet", [](SheetDocument& d) { return d.SetCellText(4, 0, "x"); }, false, ""},
        {"negative row", [](SheetDocument& d) { return d.SetCellValue(0, -1, vb::Variant(1.0)); }, false, ""},
        {"an array is no cell value",
         [](SheetDocument& d) { return d.SetCellValue(0, 2, vb::Variant(std::shared_ptr<vb::Array>())); },
         false, ""},
    });
}

TEST(SheetDocumentTest, GetCellTextIsNullWhenEmpty) {
    const SheetDocument doc = Sample();
    struct Read {
        int col, row;
        const char* expected; // nullptr: Null
    };
    for (const Read& r : {Read{0, 0, "销售日报"}, Read{0, 1, "1.5"}, Read{1, 1, "2"}, Read{3, 3, nullptr},
                          Read{9, 0, nullptr}}) {
        SCOPED_TRACE(CellName(r.col, r.row));
        vb::Variant text;
        EXPECT_EQ(doc.GetCellText(r.col, r.row, text), r.col < 4);
        if (r.expected == nullptr) {
            EXPECT_TRUE(text.IsNull());
        } else {
            EXPECT_EQ(text.AsString(), r.expected);
        }
    }
}

TEST(SheetDocumentTest, StylesAndSizes) {
    RunCases({
        {"font with style code 4 is bold italic",
         [](SheetDocument& d) { return d.SetCellFont(1, 1, 12, 4, "黑体"); }, true,
         "size 4x5\nr1: \"销售日报\"\nr2: 1.5|2@1|\"客户\"\n@1 黑体 12 bi\nmerge A1:D1\n"},
        {"code 8 is ours for italic with underline",
         [](SheetDocument& d) { return d.SetCellFont(3, 4, 9, 8, "宋体"); }, true,
         "size 4x5\nr1: \"销售日报\"\nr2: 1.5|2|\"客户\"\nr5: |||@1\n@1 宋体 9 iu\nmerge A1:D1\n"},
        {"unknown style code", [](SheetDocument& d) { return d.SetCellFont(1, 1, 12, 9, "宋体"); }, false,
         ""},
        {"font without face", [](SheetDocument& d) { return d.SetCellFont(1, 1, 12, 1, ""); }, false, ""},
        {"alignment centre middle", [](SheetDocument& d) { return d.SetCellAlign(2, 1, 36); }, true,
         "size 4x5\nr1: \"销售日报\"\nr2: 1.5|2|\"客户\"@1\n@1 宋体 10 align=36\nmerge A1:D1\n"},
        {"number format as a column override sets it",
         [](SheetDocument& d) { return d.SetCellNumFormat(0, 1, 0, false, 2, -1, 0.0, 0, false); }, true,
         "size 4x5\nr1: \"销售日报\"\nr2: 1.5@1|2|\"客户\"\n@1 宋体 10 num=0,0,2,-1,0,0,0\nmerge A1:D1\n"},
        {"number format scale 10 is refused",
         [](SheetDocument& d) { return d.SetCellNumFormat(0, 1, 1, false, 2, -1, 10.0, 0, false); }, false,
         ""},
        {"option 2 blanks zeros", [](SheetDocument& d) { return d.SetCellOption(1, 1, 2); }, true,
         "size 4x5\nr1: \"销售日报\"\nr2: 1.5|2@1|\"客户\"\n@1 宋体 10 option=2\nmerge A1:D1\n"},
        {"width 0 hides a column", [](SheetDocument& d) { return d.SetColWidth(2, 0); }, true,
         "size 4x5\nwidths C=0\nr1: \"销售日报\"\nr2: 1.5|2|\"客户\"\nmerge A1:D1\n"},
        {"row height", [](SheetDocument& d) { return d.SetRowHeight(4, 31); }, true,
         "size 4x5\nr1: \"销售日报\"\nr2: 1.5|2|\"客户\"\nr5 h=31:\nmerge A1:D1\n"},
        {"width beyond the limit", [](SheetDocument& d) { return d.SetColWidth(0, 4001); }, false, ""},
        {"height of a row past the end", [](SheetDocument& d) { return d.SetRowHeight(5, 10); }, false, ""},
    });
}

TEST(SheetDocumentTest, ReadBackOfStyleGetters) {
    SheetDocument doc = Sample();
    doc.SetCellFont(1, 2, 14, 6, "楷体");
    long size = 0, style = 0;
    std::string face;
    ASSERT_TRUE(doc.GetCellFont(1, 2, size, style, face));
    // "none" reads back as 6, the code callers test for, not as the 0 a fresh cell was given.
    EXPECT_EQ(std::to_string(size) + " " + std::to_string(style) + " " + face, "14 6 楷体");
    ASSERT_TRUE(doc.GetCellFont(0, 0, size, style, face));
    EXPECT_EQ(std::to_string(size) + " " + std::to_string(style) + " " + face, "10 6 宋体");
    EXPECT_EQ(doc.GetCellOption(9, 9), 0);
    EXPECT_FALSE(doc.GetCellFont(4, 0, size, style, face));
}

TEST(SheetDocumentTest, MergesAndBorders) {
    RunCases({
        {"merge dissolves the blocks it overlaps", [](SheetDocument& d) { return d.MergeCells(2, 0, 3, 2); },
         true, "size 4x5\nr1: \"销售日报\"\nr2: 1.5|2|\"客户\"\nmerge C1:D3\n"},
        {"a single cell only dissolves", [](SheetDocument& d) { return d.MergeCells(1, 0, 1, 0); }, true,
         "size 4x5\nr1: \"销售日报\"\nr2: 1.5|2|\"客户\"\n"},
        {"merge corners reversed", [](SheetDocument& d) { return d.MergeCells(2, 2, 1, 1); }, false, ""},
        {"outline of a 2 x 2 block", [](SheetDocument& d) { return d.SetRangeBorder(1, 2, 2, 3, 1, 1, 255); },
         true,
         "size 4x5\nr1: \"销售日报\"\nr2: 1.5|2|\"客户\"\nr3: |@1|@2\nr4: |@3|@4\n@1 宋体 10 L1/255 T1/255\n"
         "@2 宋体 10 T1/255 R1/255\n@3 宋体 10 L1/255 B1/255\n@4 宋体 10 R1/255 B1/255\nmerge A1:D1\n"},
        {"inside lines set both cells of a shared edge",
         [](SheetDocument& d) { return d.SetRangeBorder(1, 2, 2, 2, 2, 10, 0); }, true,
         "size 4x5\nr1: \"销售日报\"\nr2: 1.5|2|\"客户\"\nr3: |@1|@2\n@1 宋体 10 R10\n@2 宋体 10 L10\nmerge "
         "A1:D1\n"},
        {"bottom edge only", [](SheetDocument& d) { return d.SetRangeBorder(0, 4, 1, 4, 8, 9, 0); }, true,
         "size 4x5\nr1: \"销售日报\"\nr2: 1.5|2|\"客户\"\nr5: @1|@1\n@1 宋体 10 B9\nmerge A1:D1\n"},
        {"unknown border part", [](SheetDocument& d) { return d.SetRangeBorder(0, 0, 1, 1, 9, 1, 0); }, false,
         ""},
        {"border style beyond 13", [](SheetDocument& d) { return d.SetRangeBorder(0, 0, 1, 1, 0, 14, 0); },
         false, ""},
    });
}

// A frame over cells of different styles: each keeps its own font, the lines go where the part says,
// and clearing the lines brings every cell back to the style it had, default cells to no style at all.
TEST(SheetDocumentTest, BordersOverMixedStylesAndBack) {
    SheetDocument doc;
    ASSERT_TRUE(doc.Resize(3, 6));
    for (int row = 0; row < 6; ++row) {
        ASSERT_TRUE(doc.SetCellFont(1, row, row % 2 == 0 ? 12 : 9, 1, "黑体"));
    }
    const std::uint32_t even = doc.StyleIndexAt(1, 0);
    const std::uint32_t odd = doc.StyleIndexAt(1, 1);
    ASSERT_TRUE(doc.SetRangeBorder(0, 0, 2, 5, 1, 10, 0xFF)); // medium outline
    ASSERT_TRUE(doc.SetRangeBorder(0, 0, 2, 5, 2, 1, 0));     // thin inside lines
    // Left, top, right, bottom line styles of each cell.
    const struct {
        int col, row;
        std::array<int, 4> expected;
    } cases[] = {{0, 0, {10, 10, 1, 1}}, {1, 0, {1, 10, 1, 1}}, {2, 0, {1, 10, 10, 1}},
                 {0, 3, {10, 1, 1, 1}},  {1, 3, {1, 1, 1, 1}},  {2, 3, {1, 1, 10, 1}},
                 {0, 5, {10, 1, 1, 10}}, {1, 5, {1, 1, 1, 10}}, {2, 5, {1, 1, 10, 10}}};
    for (const auto& c : cases) {
        std::array<int, 4> got{};
        for (std::size_t edge = 0; edge < 4; ++edge) {
            got[edge] = doc.StyleAt(c.col, c.row).borders[edge].style;
        }
        EXPECT_EQ(got, c.expected) << CellName(c.col, c.row);
    }
    for (int row = 0; row < 6; ++row) {
        long size = 0, style = 0;
        std::string face;
        ASSERT_TRUE(doc.GetCellFont(1, row, size, style, face));
        EXPECT_EQ(size, row % 2 == 0 ? 12 : 9) << row;
        EXPECT_EQ(face, "黑体");
    }
    EXPECT_EQ(doc.StyleIndexAt(1, 2), doc.StyleIndexAt(1, 4)) << "equal cells share one interned style";
    ASSERT_TRUE(doc.SetRangeBorder(0, 0, 2, 5, 0, 0, 0));
    for (int row = 0; row < 6; ++row) {
        EXPECT_EQ(doc.StyleIndexAt(0, row), 0U) << row;
        EXPECT_EQ(doc.StyleIndexAt(2, row), 0U) << row;
        EXPECT_EQ(doc.StyleIndexAt(1, row), row % 2 == 0 ? even : odd) << row;
    }
    EXPECT_TRUE(doc.CheckConsistency());
}

// A style given to a rectangle at once is what the same style given cell by cell leaves; outside
// the sheet nothing changes.
TEST(SheetDocumentTest, RangeStyleIsCellStyleOverTheRectangle) {
    SheetDocument byRange = Sample();
    SheetDocument byCell = Sample();
    CellStyle style;
    style.face = "黑体";
    style.sizePt = 12;
    style.align = 34;
    style.num.decimals = 2;
    ASSERT_TRUE(byRange.SetRangeStyle(1, 1, 2, 3, style));
    for (int row = 1; row <= 3; ++row) {
        for (int col = 1; col <= 2; ++col) {
            ASSERT_TRUE(byCell.SetCellStyle(col, row, style));
        }
    }
    EXPECT_EQ(DumpSheet(byRange), DumpSheet(byCell));
    ASSERT_TRUE(byRange.SetRangeStyle(0, 0, 3, 4, CellStyle{}));
    for (int row = 0; row < 5; ++row) {
        for (int col = 0; col < 4; ++col) {
            EXPECT_EQ(byRange.StyleIndexAt(col, row), 0U) << CellName(col, row);
        }
    }
    EXPECT_TRUE(byRange.CheckConsistency());
    const std::string before = DumpSheet(byRange);
    EXPECT_FALSE(byRange.SetRangeStyle(2, 0, 4, 1, style)) << "a column beyond the sheet";
    EXPECT_FALSE(byRange.SetRangeStyle(1, 3, 1, 2, style)) << "corners reversed";
    EXPECT_EQ(DumpSheet(byRange), before);
}

TEST(SheetDocumentTest, GetMergeRangeOfEveryCell) {
    SheetDocument doc = Sample();
    doc.MergeCells(1, 2, 2, 4);
    std::string blocks;
    for (int row = 0; row < 5; ++row) {
        for (int col = 0; col < 4; ++col) {
            int c1 = 0, r1 = 0, c2 = 0, r2 = 0;
            const bool merged = doc.GetMergeRange(col, row, c1, r1, c2, r2);
            blocks += (merged ? CellName(c1, r1) + ":" + CellName(c2, r2) : std::string("-")) +
                      (col < 3 ? " " : "\n");
            EXPECT_EQ(merged, c1 != c2 || r1 != r2);
        }
    }
    EXPECT_EQ(blocks, "A1:D1 A1:D1 A1:D1 A1:D1\n"
                      "- - - -\n"
                      "- B3:C5 B3:C5 -\n"
                      "- B3:C5 B3:C5 -\n"
                      "- B3:C5 B3:C5 -\n");
}

TEST(SheetDocumentTest, RowCountAndColumns) {
    RunCases({
        {"cutting rows clips merges and the print area",
         [](SheetDocument& d) {
             d.MergeCells(0, 2, 1, 4);
             d.SetPrintArea(0, 0, 3, 4, 3, 1);
             return d.SetSheetRowCount(3);
         },
         true,
         "size 4x3\nprint A1:D3 titles=3,1\nr1: \"销售日报\"\nr2: 1.5|2|\"客户\"\nmerge A1:D1\nmerge "
         "A3:B3\n"},
        {"a block cut to one cell dissolves",
         [](SheetDocument& d) {
             d.MergeCells(0, 2, 0, 3);
             return d.SetSheetRowCount(3);
         },
         true, "size 4x3\nr1: \"销售日报\"\nr2: 1.5|2|\"客户\"\nmerge A1:D1\n"},
        {"adding rows", [](SheetDocument& d) { return d.SetSheetRowCount(7); }, true,
         "size 4x7\nr1: \"销售日报\"\nr2: 1.5|2|\"客户\"\nmerge A1:D1\n"},
        {"insert before column 1 widens the title and shifts the rest",
         [](SheetDocument& d) {
             d.SetColWidth(0, 90);
             d.SetCellAlign(0, 1, 36);
             d.SetPrintArea(0, 0, 3, 4, 2, 1);
             return d.InsertCols(1, 2);
         },
         true,
         "size 6x5\nwidths A=90 B=90 C=90\nprint A1:F5 titles=2,1\nr1: \"销售日报\"\nr2: "
         "1.5@1|@1|@1|2|\"客户\"\n"
         "@1 宋体 10 align=36\nmerge A1:F1\n"},
        {"insert at column 0 moves the title block and the title columns",
         [](SheetDocument& d) {
             d.SetPrintArea(1, 0, 3, 4, 0, 2);
             return d.InsertCols(0, 1);
         },
         true, "size 5x5\nprint C1:E5 titles=0,3\nr1: |\"销售日报\"\nr2: |1.5|2|\"客户\"\nmerge B1:E1\n"},
        {"append takes the last column's style and width",
         [](SheetDocument& d) {
             d.SetColWidth(3, 50);
             d.SetCellFont(3, 1, 11, 1, "宋体");
             return d.AppendCols(2);
         },
         true,
         "size 6x5\nwidths D=50 E=50 F=50\nr1: \"销售日报\"\nr2: 1.5|2|\"客户\"|@1|@1|@1\n@1 宋体 11 "
         "b\nmerge A1:D1\n"},
        {"insert past the end", [](SheetDocument& d) { return d.InsertCols(5, 1); }, false, ""},
        {"zero columns", [](SheetDocument& d) { return d.AppendCols(0); }, false, ""},
        {"more rows than a sheet holds", [](SheetDocument& d) { return d.SetSheetRowCount(kMaxRows + 1); },
         false, ""},
    });
}

TEST(SheetDocumentTest, PrintAreaPageLineAndPageSetup) {
    PageSetup landscape;
    landscape.landscape = true;
    landscape.paper = Paper::A3;
    landscape.fitWide = 1;
    PageSetup badMargins;
    badMargins.marginLeftMm = -1;
    // Each margin in range, but together wider than A5 landscape is tall: nothing left to print on.
    PageSetup noRoom;
    noRoom.paper = Paper::A5;
    noRoom.landscape = true;
    noRoom.marginTopMm = 70;
    noRoom.marginBottomMm = 70;
    RunCases({
        {"print area with titles", [](SheetDocument& d) { return d.SetPrintArea(0, 0, 3, 4, 2, 1); }, true,
         "size 4x5\nprint A1:D5 titles=2,1\nr1: \"销售日报\"\nr2: 1.5|2|\"客户\"\nmerge A1:D1\n"},
        {"more title rows than rows", [](SheetDocument& d) { return d.SetPrintArea(0, 0, 3, 4, 6, 0); },
         false, ""},
        {"page line", [](SheetDocument& d) { return d.SetPageLine("Qovira有限公司", "第&P页共&S页", ""); },
         true,
         "size 4x5\npageline Qovira有限公司|第&P页共&S页|\nr1: \"销售日报\"\nr2: 1.5|2|\"客户\"\nmerge "
         "A1:D1\n"},
        {"page setup", [&](SheetDocument& d) { return d.SetPageSetup(landscape); }, true,
         "size 4x5\npage A3 landscape margins=19,25,19,25 scale=100 fit=1x0\nr1: \"销售日报\"\nr2: "
         "1.5|2|\"客户\"\n"
         "merge A1:D1\n"},
        {"negative margin", [&](SheetDocument& d) { return d.SetPageSetup(badMargins); }, false, ""},
        {"margins leaving no printable area", [&](SheetDocument& d) { return d.SetPageSetup(noRoom); }, false,
         ""},
    });
    EXPECT_EQ(ExpandPageText("第&P页共&S页 &&", 2, 7), "第2页共7页 &");
}

TEST(SheetDocumentTest, CopyAndPasteBetweenDocuments) {
    SheetDocument templ = Sample();
    templ.SetRowHeight(1, 33);
    templ.SetCellFont(2, 1, 9, 1, "宋体");
    templ.MergeCells(0, 1, 1, 1);
    SheetDocument print;
    print.Resize(4, 3);
    print.SetCellText(3, 2, "旧");

    ASSERT_TRUE(templ.CopyRange(0, 1, 3, 1)); // a whole footer row: its height travels with it
    ASSERT_TRUE(print.PasteAt(0, 2, true));
    EXPECT_TRUE(print.CheckConsistency());
    EXPECT_EQ(DumpSheet(print), "size 4x3\nr3 h=33: 1.5|2|\"客户\"@1\n@1 宋体 9 b\nmerge A3:B3\n");

    // Values only, and clipped at the sheet's edge.
    ASSERT_TRUE(templ.CopyRange(1, 0, 2, 1));
    ASSERT_TRUE(print.PasteAt(3, 0, false));
    EXPECT_EQ(DumpSheet(print, 3, 0, 3, 2), "r2: 2\nr3 h=33:\n");
    EXPECT_FALSE(print.PasteAt(4, 0, true));
}

TEST(SheetDocumentTest, OverwrittenTextsAreCompacted) {
    SheetDocument doc;
    doc.Resize(2, 2);
    const std::string big(1000, 'x');
    for (int round = 0; round < 500; ++round) {
        doc.SetCellText(round % 2, 1, big + std::to_string(round));
        ASSERT_TRUE(doc.CheckConsistency());
    }
    EXPECT_EQ(DumpSheet(doc, 0, 1, 1, 1).size(), 2 * 1005 + 6);
}

// Rows 2..5 of a 4 x 8 sheet given by a source: a text, a number (NaN on row 3, which a sheet cannot
// hold) and every other row a text in the third column; the fourth column is never asked.
class SampleRows final : public BodyRows {
public:
    int ColCount() const override { return 3; }
    int Value(int row, int col, double& number, std::string& text) const override {
        if (col == 0) {
            text = "行" + std::to_string(row);
            return 2;
        }
        if (col == 1) {
            number = row == 1 ? std::nan("") : row * 1.5;
            return 1;
        }
        text = row % 2 == 0 ? "x" : "";
        return 2;
    }
};

constexpr int kBodyFirst = 2;
constexpr int kBodyRows = 4;

// The same sheet twice: the body stored as ordinary cells, and referred to.
std::array<SheetDocument, 2> StoredAndReferred() {
    std::array<SheetDocument, 2> docs;
    std::vector<CellStyle> styles(3);
    styles[0].align = 36;
    styles[2].font = 1;
    const SampleRows rows;
    for (SheetDocument& doc : docs) {
        doc.Resize(4, 8);
        doc.SetCellText(0, 0, "标题");
        doc.SetCellText(0, 7, "制表人");
    }
    for (int row = 0; row < kBodyRows; ++row) {
        for (int col = 0; col < 3; ++col) {
            docs[0].SetCellStyle(col, kBodyFirst + row, styles[static_cast<std::size_t>(col)]);
            double number = 0;
            std::string text;
            const int kind = rows.Value(row, col, number, text);
            docs[0].SetCellValue(col, kBodyFirst + row, kind == 1 ? vb::Variant(number) : vb::Variant(text));
        }
    }
    EXPECT_TRUE(docs[1].ReferRows(kBodyFirst, kBodyRows, std::make_shared<SampleRows>(), styles));
    return docs;
}

// Every edit of a referred row must give what the same edit gives on stored cells, storing only the
// rows it touches (a frame around the whole body stores none: a print rebuild of a million rows
// frames its body). Without the edits storing first, a range style with the default style or a paste
// of an empty cell left the referred values in place.
TEST(SheetDocumentTest, ReferredRowsBehaveAsStoredOnes) {
    struct EditCase {
        const char* name;
        std::function<void(SheetDocument&)> edit;
        int referredAfter;
    };
    const std::vector<EditCase> cases = {
        {"readers only", [](SheetDocument&) {}, 4},
        {"a text into a referred row", [](SheetDocument& d) { d.SetCellText(1, 3, "新"); }, 3},
        {"an emptied cell", [](SheetDocument& d) { d.SetCellValue(0, 2, vb::Variant::Null()); }, 3},
        {"a cell's alignment", [](SheetDocument& d) { d.SetCellAlign(3, 4, 1); }, 3},
        {"the default style over rows 1..2", [](SheetDocument& d) { d.SetRangeStyle(0, 1, 3, 2, {}); }, 3},
        {"a frame around the body", [](SheetDocument& d) { d.SetRangeBorder(0, 1, 3, 6, 0, 1, 0); }, 4},
        {"a frame whose last row is the body's",
         [](SheetDocument& d) { d.SetRangeBorder(0, 1, 3, 5, 1, 10, 0); }, 0},
        {"a frame over part of the body", [](SheetDocument& d) { d.SetRangeBorder(1, 3, 2, 6, 0, 1, 0); }, 1},
        {"the sheet cut inside the body", [](SheetDocument& d) { d.SetSheetRowCount(4); }, 2},
        {"the sheet cut above the body", [](SheetDocument& d) { d.SetSheetRowCount(1); }, 0},
        {"a column inserted", [](SheetDocument& d) { d.InsertCols(1, 1); }, 0},
        {"columns appended", [](SheetDocument& d) { d.AppendCols(2); }, 0},
        {"an empty cell pasted with its format",
         [](SheetDocument& d) {
             d.CopyRange(1, 0, 2, 0);
             d.PasteAt(0, 4, true);
         },
         3},
        {"a merge", [](SheetDocument& d) { d.MergeCells(0, 2, 1, 3); }, 4},
        {"a copy", [](SheetDocument& d) { d = SheetDocument(d); }, 0},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto [stored, referred] = StoredAndReferred();
        c.edit(stored);
        c.edit(referred);
        EXPECT_TRUE(referred.CheckConsistency());
        EXPECT_EQ(referred.ReferredRowCount(), c.referredAfter);
        EXPECT_EQ(DumpSheet(referred), DumpSheet(stored));
        for (int row = 0; row < stored.SheetRowCount(); ++row) {
            EXPECT_EQ(referred.StoredColCount(row), stored.StoredColCount(row)) << "row " << row;
        }
    }
}

TEST(SheetDocumentTest, RowsThatHoldCellsAreNotReferred) {
    SheetDocument doc = Sample();
    EXPECT_FALSE(doc.ReferRows(1, 2, std::make_shared<SampleRows>(), {}));
    EXPECT_FALSE(doc.ReferRows(4, 2, std::make_shared<SampleRows>(), {})) << "beyond the last row";
    EXPECT_EQ(DumpSheet(doc), DumpSheet(Sample()));
    EXPECT_TRUE(doc.ReferRows(2, 3, std::make_shared<SampleRows>(), {}));
    EXPECT_EQ(doc.CellValue(0, 4), vb::Variant("行2"));
    EXPECT_FALSE(doc.ReferRows(3, 1, std::make_shared<SampleRows>(), {})) << "rows referred already";
    EXPECT_EQ(doc.ReferredRowCount(), 3);
}

} // namespace
} // namespace sheet
