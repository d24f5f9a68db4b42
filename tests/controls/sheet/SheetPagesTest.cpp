// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Pagination as text: each case lays a sheet on a page of known size and compares DumpPages.
// Unless a case says otherwise columns are 100 px and rows 20 px wide/high, and the page frame is
// 300 pt x (150 + page line band) pt: at 0.75 pt per pixel that is 400 px across (four columns) and
// 200 px down (ten rows).
#include "controls/sheet/SheetPages.h"

#include "controls/sheet/SheetSamples.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace sheet {
namespace {

constexpr PageFrame kFrame{300, 150 + kPageLineBandPt};

SheetDocument Grid(int cols, int rows) {
    SheetDocument doc = test::Blank(cols, rows);
    for (int row = 0; row < rows; ++row) {
        doc.SetCellText(0, row, "x");
    }
    doc.SetCellText(cols - 1, 0, "x");
    return doc;
}

struct Case {
    const char* name;
    int cols, rows;
    std::function<void(SheetDocument&)> setUp;
    const char* expected;
};

TEST(SheetPagesTest, PagesOfSheets) {
    const Case cases[] = {
        {"rows never cut; columns continue across before the next rows come", 6, 25, [](SheetDocument&) {},
         "page 1: rows 1-10 cols A-D\npage 2: rows 1-10 cols E-F\npage 3: rows 11-20 cols A-D\n"
         "page 4: rows 11-20 cols E-F\npage 5: rows 21-25 cols A-D\npage 6: rows 21-25 cols E-F\n"},
        // Row 9 of 50 px does not fit after 160 px (200 px room): it starts the next page whole.
        {"a taller row moves to the next page instead of being cut", 2, 12,
         [](SheetDocument& doc) { doc.SetRowHeight(8, 50); }, "page 1: rows 1-8\npage 2: rows 9-12\n"},
        // Titles take 2 rows (40 px) and one column (100 px): 8 body rows and 3 body columns fit.
        {"title rows and columns repeat and leave less room", 8, 20,
         [](SheetDocument& doc) { doc.SetPrintArea(0, 0, 7, 19, 2, 1); },
         "page 1: rows 3-10 cols B-D\npage 2: rows 3-10 cols E-G\npage 3: rows 3-10 cols H-H\n"
         "page 4: rows 11-18 cols B-D\npage 5: rows 11-18 cols E-G\npage 6: rows 11-18 cols H-H\n"
         "page 7: rows 19-20 cols B-D\npage 8: rows 19-20 cols E-G\npage 9: rows 19-20 cols H-H\n"},
        {"print range below the title rows starts there", 2, 30,
         [](SheetDocument& doc) { doc.SetPrintArea(0, 20, 1, 29, 1, 0); },
         "page 1: rows 21-29\npage 2: rows 30-30\n"},
        // Rows 9-11 merged: the break after row 10 would cut them, so page 1 ends at row 8.
        {"a merged block moves to the next page whole", 2, 20,
         [](SheetDocument& doc) { doc.MergeCells(0, 8, 1, 10); },
         "page 1: rows 1-8\npage 2: rows 9-18\npage 3: rows 19-20\n"},
        {"chained merges move the break before the first block", 2, 20,
         [](SheetDocument& doc) {
             doc.MergeCells(0, 8, 0, 10);
             doc.MergeCells(1, 6, 1, 8);
         },
         "page 1: rows 1-6\npage 2: rows 7-16\npage 3: rows 17-20\n"},
        // A break before row 11 cuts both blocks (rows 6-12 and 10-17): together they start at row 6
        // and end at row 17, 240 px that no page holds, so the break stays. Taking either block's
        // reach alone moved it up to row 6.
        {"blocks over overlapping rows are measured together", 2, 20,
         [](SheetDocument& doc) {
             doc.MergeCells(0, 5, 0, 11);
             doc.MergeCells(1, 9, 1, 16);
         },
         "page 1: rows 1-10\npage 2: rows 11-20\n"},
        // Rows 3-14 are taller than a page: keeping them whole is impossible, so they are cut.
        {"a merged block taller than a page is cut where the page ends", 2, 20,
         [](SheetDocument& doc) { doc.MergeCells(0, 2, 1, 13); }, "page 1: rows 1-10\npage 2: rows 11-20\n"},
        {"a merged block across a column break moves its columns to the next page", 6, 5,
         [](SheetDocument& doc) { doc.MergeCells(2, 0, 4, 0); },
         "page 1: rows 1-5 cols A-B\npage 2: rows 1-5 cols C-F\n"},
        // Zero-size lines take no room: 12 rows with two hidden fill one page.
        {"hidden rows and columns take no room", 5, 12,
         [](SheetDocument& doc) {
             doc.SetRowHeight(3, 0);
             doc.SetRowHeight(4, 0);
             doc.SetColWidth(1, 0);
         },
         "page 1: rows 1-12 cols A-E\n"},
        {"fit to one page wide shrinks instead of adding columns", 12, 10,
         [](SheetDocument& doc) {
             PageSetup setup;
             setup.fitWide = 1;
             doc.SetPageSetup(setup);
         },
         "page 1: rows 1-10 cols A-L\n"},
        {"fit to one page tall", 2, 35,
         [](SheetDocument& doc) {
             PageSetup setup;
             setup.fitTall = 1;
             doc.SetPageSetup(setup);
         },
         "page 1: rows 1-35\n"},
        {"half scale takes twice the rows", 2, 35,
         [](SheetDocument& doc) {
             PageSetup setup;
             setup.scalePercent = 50;
             doc.SetPageSetup(setup);
         },
         "page 1: rows 1-20\npage 2: rows 21-35\n"},
        {"without a print range the used part of the sheet prints", 9, 40,
         [](SheetDocument& doc) {
             doc = SheetDocument(); // a 9 x 40 sheet whose cells end at C14, borders at row 15
             doc.Resize(9, 40);
             doc.SetCellText(2, 13, "last");
             doc.SetRangeBorder(0, 14, 1, 14, 8, 1, 0);
         },
         "page 1: rows 1-10 cols A-C\npage 2: rows 11-15 cols A-C\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SheetDocument doc = Grid(c.cols, c.rows);
        c.setUp(doc);
        const SheetPages pages(doc, kFrame);
        EXPECT_TRUE(pages.CheckConsistency());
        std::string dump = DumpPages(pages);
        if (c.cols <= 2) { // single column band: keep the table short
            for (std::size_t at; (at = dump.find(" cols A-B")) != std::string::npos;) {
                dump.erase(at, 9);
            }
        }
        EXPECT_EQ(dump, c.expected);
    }
}

TEST(SheetPagesTest, TitlesRepeatAndFitScale) {
    SheetDocument doc = Grid(12, 10);
    PageSetup setup;
    setup.fitWide = 1;
    doc.SetPageSetup(setup);
    const SheetPages fitted(doc, kFrame);
    // 1200 px must go into 400 px: exactly a third, and no larger scale would do.
    EXPECT_NEAR(fitted.Scale(), 1.0 / 3.0, 1e-9);
    EXPECT_NEAR(fitted.ContentWidthPt(fitted.PageAt(0)), kFrame.widthPt, 1e-6);

    doc.SetPrintArea(0, 0, 11, 9, 2, 1);
    setup.fitWide = 0;
    doc.SetPageSetup(setup);
    const SheetPages titled(doc, kFrame);
    EXPECT_EQ(titled.TitleRows(), (Band{0, 1}));
    EXPECT_EQ(titled.TitleCols(), (Band{0, 0}));
    // Title rows + 8 body rows of 20 px at 0.75 pt: 150 pt; the page line band stays free.
    EXPECT_DOUBLE_EQ(titled.ContentHeightPt(titled.PageAt(0)), 150);
}

TEST(SheetPagesTest, PaperFrames) {
    struct FrameCase {
        const char* name;
        Paper paper;
        bool landscape;
        double widthPt, heightPt;
    };
    // Default margins 19 mm left/right, 25 mm top/bottom; 72/25.4 points per millimetre.
    const FrameCase cases[] = {
        {"A4 portrait", Paper::A4, false, (210 - 38) * kPointsPerMm, (297 - 50) * kPointsPerMm},
        {"A4 landscape turns the paper, not the margins", Paper::A4, true, (297 - 38) * kPointsPerMm,
         (210 - 50) * kPointsPerMm},
        {"A3 landscape", Paper::A3, true, (420 - 38) * kPointsPerMm, (297 - 50) * kPointsPerMm},
        {"Letter", Paper::Letter, false, (215.9 - 38) * kPointsPerMm, (279.4 - 50) * kPointsPerMm},
    };
    for (const FrameCase& c : cases) {
        SCOPED_TRACE(c.name);
        PageSetup setup;
        setup.paper = c.paper;
        setup.landscape = c.landscape;
        const PageFrame frame = FrameOf(setup);
        EXPECT_NEAR(frame.widthPt, c.widthPt, 1e-9);
        EXPECT_NEAR(frame.heightPt, c.heightPt, 1e-9);
    }

    // The same 30 columns take fewer pages across in landscape.
    SheetDocument doc = Grid(30, 10);
    PageSetup setup;
    const int portrait = SheetPages(doc, FrameOf(setup)).PageCount();
    setup.landscape = true;
    doc.SetPageSetup(setup);
    const int landscape = SheetPages(doc, FrameOf(setup)).PageCount();
    EXPECT_EQ(portrait, 5);  // 650 px across: 6 columns of 100 px a page
    EXPECT_EQ(landscape, 4); // 978 px across: 9 columns a page
}

TEST(SheetPagesTest, EmptySheetStillHasOnePage) {
    SheetDocument doc;
    doc.Resize(3, 3);
    const SheetPages pages(doc, kFrame);
    EXPECT_EQ(pages.PageCount(), 1);
    EXPECT_TRUE(pages.PageAt(0).rows.IsEmpty());
    EXPECT_TRUE(pages.CheckConsistency());
}

} // namespace
} // namespace sheet
