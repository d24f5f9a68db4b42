// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "reportgrid/TemplateHeader.h"

#include "controls/grid/GridModel.h"
#include "controls/sheet/SheetDocument.h"
#include "vb/Error.h"

#include <gtest/gtest.h>

namespace {

using QV_GridPrint::TemplateRows;

sheet::SheetDocument WithMarkers(int rows, std::initializer_list<std::pair<int, const char*>> markers) {
    sheet::SheetDocument doc;
    doc.Resize(6, rows);
    for (const auto& [row, text] : markers) {
        doc.SetCellText(0, row, text);
    }
    return doc;
}

TEST(TemplateHeader, MarkersLocateTheHeaderRows) {
    struct Case {
        const char* name;
        sheet::SheetDocument doc;
        TemplateRows before;
        TemplateRows expected;
    };
    const Case cases[] = {
        {"start in row 3, end in row 8", WithMarkers(12, {{3, "start"}, {8, "end"}}), {}, {5, 6, 2}},
        {"end three rows below start: no header rows",
         WithMarkers(12, {{1, "start"}, {4, "end"}}),
         {},
         {3, 2, 0}},
        {"markers in capitals", WithMarkers(12, {{0, "START"}, {5, "End"}}), {}, {2, 3, 2}},
        {"end with a trailing space is not a marker",
         WithMarkers(12, {{0, "start"}, {5, "end "}, {7, "end"}}),
         {},
         {2, 5, 4}},
        {"no end: nothing changes", WithMarkers(12, {{0, "start"}}), {9, 9, 9}, {9, 9, 9}},
        {"no start: the earlier start is kept", WithMarkers(12, {{6, "end"}}), {1, 0, 0}, {1, 4, 4}},
        {"end less than three rows below start", WithMarkers(12, {{2, "start"}, {4, "end"}}), {}, {4, 2, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TemplateRows rows = c.before;
        QV_GridPrint::GetFixedRows(c.doc, rows);
        EXPECT_EQ(rows.vHeadStart, c.expected.vHeadStart);
        EXPECT_EQ(rows.iHeadEnd, c.expected.iHeadEnd);
        EXPECT_EQ(rows.iFixedRows, c.expected.iFixedRows);
    }
}

// Header rows 2 and 3 of a six-column template: "收入" merged over columns 2..4 of row 2, "备注"
// merged over rows 2..3 of column 5, two equal unmerged captions in row 3.
TEST(TemplateHeader, CaptionsMergesSizesAndFontsReachTheGrid) {
    sheet::SheetDocument doc;
    ASSERT_TRUE(doc.Resize(6, 7));
    doc.SetCellText(0, 0, "start");
    doc.SetCellText(0, 5, "end");
    doc.SetCellText(0, 2, "日期");
    doc.SetCellText(1, 2, "客户");
    doc.SetCellText(2, 2, "收入");
    doc.SetCellText(3, 2, "读不到");
    doc.MergeCells(2, 2, 4, 2);
    doc.SetCellText(5, 2, "备注");
    doc.MergeCells(5, 2, 5, 3);
    doc.SetCellText(2, 3, "现金");
    doc.SetCellText(3, 3, "现金");
    doc.SetCellText(4, 3, "转账");
    doc.SetCellFont(2, 2, 12, 4, "黑体");
    doc.SetCellFont(4, 3, 9, 7, "宋体");
    doc.SetRowHeight(2, 21);
    doc.SetRowHeight(4, 19);
    doc.SetColWidth(1, 101);

    grid::GridModel vsf;
    TemplateRows rows;
    QV_GridPrint::GetFixedRows(doc, rows);
    const long dataRowTwips = QV_GridPrint::SetVSFHead(doc, vsf, rows, 6, 15, 15);

    ASSERT_EQ(vsf.GridRowCount(), 2);
    ASSERT_EQ(vsf.GridColCount(), 6);
    EXPECT_EQ(vsf.HeaderRowCount(), 2);
    EXPECT_EQ(vsf.MergeMode(), 5);
    std::string texts;
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 6; ++col) {
            texts.append(vsf.CellTextAt(row, col)).append(col < 5 ? "|" : "\n");
        }
    }
    EXPECT_EQ(texts, "日期|客户|收入|收入|收入|备注\n||现金|现金|转账|备注\n")
        << "a block's caption fills every cell of it; the covered cell's own text is not read";
    EXPECT_EQ(vsf.RowHeightTwips(0), 315);
    EXPECT_EQ(dataRowTwips, 285) << "the field row's height";
    EXPECT_EQ(vsf.ColWidthTwips(1), 1515);
    EXPECT_EQ(vsf.RangeProp(2, 0, 2).NumberValue(), 4.0) << "captions centred";
    EXPECT_EQ(vsf.RangeProp(11, 0, 2), vb::Variant("黑体"));
    EXPECT_EQ(vsf.RangeProp(13, 0, 2), vb::Variant(true)) << "style 4 is bold";
    EXPECT_EQ(vsf.RangeProp(14, 0, 2), vb::Variant(true)) << "and italic";
    EXPECT_NE(vsf.RangeProp(15, 0, 2), vb::Variant(true)) << "but not underlined";
    EXPECT_EQ(vsf.RangeProp(15, 1, 4), vb::Variant(true)) << "style 7 is all three";
    ASSERT_NE(vsf.MergedSpanAt(0, 3), nullptr);

    rows.iFixedRows = -1;
    EXPECT_THROW(QV_GridPrint::SetVSFHead(doc, vsf, rows, 6, 15, 15), vb::Error);
}

TEST(TemplateHeader, StyleCodesAndPixelRounding) {
    struct Case {
        long code;
        bool bold, italic, underline;
    };
    // 8 is the sheet's italic + underline, styled in print: without the one shared table the grid
    // showed it plain. Codes outside the table are plain everywhere.
    const Case cases[] = {{0, false, false, false}, {1, true, false, false},  {2, false, true, false},
                          {3, false, false, true},  {4, true, true, false},   {5, true, false, true},
                          {6, false, false, false}, {7, true, true, true},    {8, false, true, true},
                          {9, false, false, false}, {-1, false, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        const auto flags = QV_GridPrint::StyleCodeFlags(c.code);
        EXPECT_EQ(flags.isBold, c.bold);
        EXPECT_EQ(flags.isItalic, c.italic);
        EXPECT_EQ(flags.isUnderline, c.underline);
    }
    // 1.5 twips per pixel on a 960-dpi device: halves go to the even neighbour.
    EXPECT_EQ(QV_GridPrint::PixelsToTwips(3, 1.5), 4);
    EXPECT_EQ(QV_GridPrint::PixelsToTwips(5, 1.5), 8);
    EXPECT_EQ(QV_GridPrint::PixelsToTwips(20, 15), 300);
}

} // namespace
