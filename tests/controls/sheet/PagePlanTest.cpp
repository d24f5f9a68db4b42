// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// What lands on a page, read from its plan: no painter, no PDF. Widths come from a measure of fixed
// advances (a Latin character half an em, any other a whole em) at 72 dpi, so device units are
// points and every position below can be worked out by hand: a 100 px column is 75 pt, a 20 px
// row 15 pt, and a text keeps 1.5 pt (2 px) from its cell's sides.
#include "controls/sheet/PagePlan.h"

#include "controls/sheet/CellText_p.h"
#include "controls/sheet/SheetSamples.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace sheet {
namespace {

class EmMeasure final : public TextMeasure {
public:
    double DevicePerPoint() const override { return 1; }
    FontMetrics Metrics(const PlanFont& font) override {
        return {0.8 * font.sizePt, 0.2 * font.sizePt, 0.1 * font.sizePt, 0.05 * font.sizePt};
    }
    void Advances(const PlanFont& font, std::string_view text, std::vector<double>& advances) override {
        advances.clear();
        for (std::size_t at = 0; at < text.size(); at += Utf8Length(static_cast<unsigned char>(text[at]))) {
            advances.push_back(static_cast<unsigned char>(text[at]) < 0x80 ? font.sizePt / 2 : font.sizePt);
        }
    }
};

constexpr PageFrame kFrame{300, 150 + kPageLineBandPt}; // four 100 px columns, ten 20 px rows

PagePlan Plan(const SheetDocument& doc, int page = 0) {
    EmMeasure measure;
    const SheetPages pages(doc, kFrame);
    return PlanPage(doc, pages, measure, page);
}

// The texts of a plan's cells, in painting order.
std::vector<std::string> Texts(const PagePlan& plan) {
    std::vector<std::string> texts;
    for (const TextRun& run : plan.runs) {
        if (!run.isPageLine) {
            texts.emplace_back(plan.TextOf(run));
        }
    }
    return texts;
}

const TextRun* RunOf(const PagePlan& plan, std::string_view text) {
    for (const TextRun& run : plan.runs) {
        if (plan.TextOf(run) == text) {
            return &run;
        }
    }
    return nullptr;
}

TEST(PagePlanTest, WholePageAsText) {
    SheetDocument doc = test::Blank(2, 2);
    doc.SetCellText(0, 0, "合计");
    doc.SetCellAlign(0, 0, kAlignLeft | kAlignMiddle);
    doc.SetCellValue(1, 0, vb::Variant(-12.5));
    doc.SetCellNumFormat(1, 0, NumFormat{1, true, 2, -1, 0, 0, false});
    doc.SetRangeBorder(0, 0, 1, 1, 0, 1, 0);
    doc.SetPageLine("", "第&P页共&S页", "");
    EXPECT_EQ(DumpPlan(Plan(doc)), "page 1\n"
                                   "font 0: 宋体 10.0pt\n"
                                   "font 1: 宋体 9.0pt\n"
                                   "text \"合计\" font 0 at 1.5,10.5 box 1.5,0.0-73.5,15.0 left\n"
                                   "text \"-12.50\" font 0 at 118.5,13.0 box 76.5,0.0-148.5,15.0 right red\n"
                                   "text \"第1页共1页\" font 1 at 127.5,166.2 box 0.0,150.0-300.0,168.0 "
                                   "centre page-line\n"
                                   "line 0.0,0.0-150.0,0.0 width 0.5 solid 000000\n"
                                   "line 0.0,15.0-150.0,15.0 width 0.5 solid 000000\n"
                                   "line 0.0,30.0-150.0,30.0 width 0.5 solid 000000\n"
                                   "line 0.0,0.0-0.0,30.0 width 0.5 solid 000000\n"
                                   "line 75.0,0.0-75.0,30.0 width 0.5 solid 000000\n"
                                   "line 150.0,0.0-150.0,30.0 width 0.5 solid 000000\n");
}

// An underline lies under its own text, from its first to its last shown character. Without the fix
// it was drawn from the glyph run's origin: a line at the page's left, under the first column, and
// none under the underlined cell.
TEST(PagePlanTest, UnderlineLiesUnderItsOwnText) {
    struct Case {
        const char* name;
        long styleCode;
        std::int32_t align;
        const char* text;
        double from, to; // expected underline, x
    };
    const Case cases[] = {
        {"left, code 3", 3, kAlignLeft, "ooo", 151.5, 166.5},
        {"right, code 5 (bold)", 5, 0, "ooo", 208.5, 223.5},
        {"centre, code 7 (bold italic)", 7, kAlignCentre, "oooo", 177.5, 197.5},
        {"italic and underlined, code 8", 8, kAlignLeft, "ooo", 151.5, 166.5},
        // 72 pt of room centred at 187.5: the 100 pt text starts at 137.5; characters 4 to 17 fit whole.
        {"a text cut at its cell: only under what shows", 3, kAlignCentre, "oooooooooooooooooooo", 152.5,
         222.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SheetDocument doc = test::Blank(4, 2);
        doc.SetCellText(0, 0, "ooo");
        doc.SetCellAlign(0, 0, kAlignLeft);
        doc.SetCellText(2, 0, c.text);
        doc.SetCellAlign(2, 0, c.align);
        doc.SetCellText(3, 0, "x"); // keeps a long text in its cell
        doc.SetCellText(1, 0, "x");
        ASSERT_TRUE(doc.SetCellFont(2, 0, 10, c.styleCode, "宋体"));
        const PagePlan plan = Plan(doc);
        std::vector<PlanLine> underlines;
        for (const PlanLine& line : plan.lines) {
            if (line.isUnderline) {
                underlines.push_back(line);
            }
        }
        ASSERT_EQ(underlines.size(), 1U) << DumpPlan(plan);
        EXPECT_DOUBLE_EQ(underlines[0].x1, c.from);
        EXPECT_DOUBLE_EQ(underlines[0].x2, c.to);
        // Under the baseline of row 0 (bottom-aligned: 15 - 2 descent), by the face's offset.
        EXPECT_DOUBLE_EQ(underlines[0].y1, 13 + 1);
        EXPECT_DOUBLE_EQ(underlines[0].y2, underlines[0].y1);
    }
}

// With repeated title columns the pages across still show one sheet: a merged block over the title
// columns and on into the body shows once, whole. Without the fix, on pages where the body does not
// follow the titles in the sheet, the block printed twice, each copy cut to its part
// ("月度销售趋势 月度销售趋势"; "地区:全部地区" as "地区:全").
TEST(PagePlanTest, BlockOverTitleColumnsAndBodyShowsOnceWhole) {
    struct Case {
        const char* name;
        int page;     // 0-based
        double right; // where the block's box ends: the page's last column
    };
    // Columns: A is the title column, B..G the body; three body columns fit beside A.
    const Case cases[] = {
        {"body follows the titles", 0, 300 - 1.5},
        {"page across: body starts at E", 1, 300 - 1.5},
        {"last page across: one body column", 2, 150 - 1.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SheetDocument doc = test::Blank(8, 4);
        doc.SetCellText(0, 0, "月度销售趋势");
        doc.SetCellAlign(0, 0, kAlignCentre);
        doc.MergeCells(0, 0, 7, 0);
        doc.SetCellText(0, 1, "地区:全部地区");
        doc.SetCellAlign(0, 1, kAlignLeft);
        doc.MergeCells(0, 1, 7, 1);
        doc.SetCellText(0, 3, "x");
        doc.SetCellText(7, 3, "x");
        ASSERT_TRUE(doc.SetPrintArea(0, 0, 7, 3, 2, 1));
        const PagePlan plan = Plan(doc, c.page);
        const std::vector<std::string> texts = Texts(plan);
        EXPECT_EQ(std::count(texts.begin(), texts.end(), "月度销售趋势"), 1) << DumpPlan(plan);
        EXPECT_EQ(std::count(texts.begin(), texts.end(), "地区:全部地区"), 1) << DumpPlan(plan);
        const TextRun* title = RunOf(plan, "月度销售趋势");
        ASSERT_NE(title, nullptr);
        EXPECT_DOUBLE_EQ(title->box.left, 1.5);
        EXPECT_DOUBLE_EQ(title->box.right, c.right);
    }
}

// Texts run on over empty neighbours instead of being cut at their own cell: a note imported from a
// "general" text cell (left) in a narrow first column, a right-aligned label over a number column
// that has room only in the margin. Without the fix "备注：本行没有字段" printed as "没有字段".
TEST(PagePlanTest, TextsRunOverEmptyNeighboursAndNumbersNever) {
    struct Case {
        const char* name;
        int col;
        std::int32_t align;
        bool isNumber;
        int filledNeighbour; // a column holding a value, or -1
        const char* shown;
        double boxLeft, boxRight;
    };
    const char* note = "备注：本行没有字段本行没有字段本行"; // 17 em of 10 pt: 170 pt
    const Case cases[] = {
        {"left text runs right over empty cells", 0, kAlignLeft, false, -1, note, 1.5, 298.5},
        {"left text stops at a filled cell", 0, kAlignLeft, false, 2, "备注：本行没有字段本行没有字", 1.5,
         148.5},
        {"right text runs left, and into the margin from the first column", 1, 0, false, -1,
         "备注：本行没有字段本行没有字段本行", 1.5 - 19 * kPointsPerMm, 148.5}, // the default left margin
        {"right text stops at a filled cell", 2, kAlignRight, false, 0, "本行没有字段本行没有字段本行", 76.5,
         223.5},
        {"centred text stays in its cell", 1, kAlignCentre, false, -1, "没有字段本行没", 76.5, 148.5},
        {"a number never runs over: ###", 1, kAlignLeft, true, -1, "##############", 76.5, 148.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SheetDocument doc = test::Blank(4, 1);
        if (c.isNumber) {
            doc.SetCellValue(c.col, 0, vb::Variant(1234567890123456.0));
        } else {
            doc.SetCellText(c.col, 0, note);
        }
        doc.SetCellAlign(c.col, 0, c.align);
        ASSERT_TRUE(doc.SetPrintArea(0, 0, 3, 0, 0, 0));
        if (c.filledNeighbour >= 0) {
            doc.SetCellText(c.filledNeighbour, 0, "x");
        }
        const PagePlan plan = Plan(doc);
        const TextRun* run = RunOf(plan, c.shown);
        ASSERT_NE(run, nullptr) << DumpPlan(plan);
        EXPECT_NEAR(run->box.left, c.boxLeft, 1e-9);
        EXPECT_DOUBLE_EQ(run->box.right, c.boxRight);
    }
}

TEST(PagePlanTest, GeneralAlignmentAndNumbersThatDoNotFit) {
    struct Case {
        const char* name;
        vb::Variant value;
        std::int32_t align;
        NumFormat format;
        const char* shown;
        double x; // where the shown text starts
    };
    const Case cases[] = {
        // Column B: 76.5 .. 148.5 inside its padding.
        {"a number without a horizontal bit sits right", vb::Variant(12.5), 0, {}, "12.5", 148.5 - 20},
        {"a text without a horizontal bit sits right",
         vb::Variant(std::string("备注")),
         kAlignBottom,
         {},
         "备注",
         148.5 - 20},
        {"left", vb::Variant(12.5), kAlignLeft, {}, "12.5", 76.5},
        {"centre", vb::Variant(12.5), kAlignCentre, {}, "12.5", 102.5},
        // 72 pt of room: "12,345,678,901,234.00" takes 105; 14 "#" of 5 pt fit.
        {"too wide with grouping",
         vb::Variant(12345678901234.0),
         0,
         {1, false, 2, -1, 0, 0, false},
         "##############",
         148.5 - 70},
        {"just fits",
         vb::Variant(12345678901.0),
         kAlignLeft,
         {0, false, 2, -1, 0, 0, false},
         "12345678901.00",
         76.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SheetDocument doc = test::Blank(3, 1);
        doc.SetCellValue(1, 0, c.value);
        doc.SetCellAlign(1, 0, c.align);
        doc.SetCellNumFormat(1, 0, c.format);
        doc.SetCellText(0, 0, "x");
        doc.SetCellText(2, 0, "x");
        const PagePlan plan = Plan(doc);
        const TextRun* run = RunOf(plan, c.shown);
        ASSERT_NE(run, nullptr) << DumpPlan(plan);
        EXPECT_DOUBLE_EQ(run->x, c.x);
    }
}

// Shared edges are drawn once and lines that continue each other are one line; a merged block has
// no inner edges; a double line is two.
TEST(PagePlanTest, LinesOfAGrid) {
    struct Case {
        const char* name;
        int style;
        bool merge;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"2 x 2 cells: three lines each way",
         1,
         false,
         {"0.0,0.0-150.0,0.0", "0.0,15.0-150.0,15.0", "0.0,30.0-150.0,30.0", "0.0,0.0-0.0,30.0",
          "75.0,0.0-75.0,30.0", "150.0,0.0-150.0,30.0"}},
        {"merged: the outline only",
         1,
         true,
         {"0.0,0.0-150.0,0.0", "0.0,30.0-150.0,30.0", "0.0,0.0-0.0,30.0", "150.0,0.0-150.0,30.0"}},
        {"double: two lines either side of each edge",
         4,
         true,
         {"0.0,-0.8-150.0,-0.8", "0.0,0.8-150.0,0.8", "0.0,29.2-150.0,29.2", "0.0,30.8-150.0,30.8",
          "-0.8,0.0--0.8,30.0", "0.8,0.0-0.8,30.0", "149.2,0.0-149.2,30.0", "150.8,0.0-150.8,30.0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SheetDocument doc = test::Blank(2, 2);
        if (c.merge) {
            doc.MergeCells(0, 0, 1, 1);
        }
        doc.SetRangeBorder(0, 0, 1, 1, 0, c.style, 0);
        const PagePlan plan = Plan(doc);
        std::vector<std::string> lines;
        char buffer[96];
        for (const PlanLine& line : plan.lines) {
            std::snprintf(buffer, sizeof buffer, "%.1f,%.1f-%.1f,%.1f", line.x1, line.y1, line.x2, line.y2);
            lines.emplace_back(buffer);
        }
        EXPECT_EQ(lines, c.lines);
    }
}

TEST(NumberTextTest, FormatsAsTheValuesSay) {
    struct Case {
        const char* name;
        double value;
        NumFormat format;
        bool blankZero;
        const char* expected;
        bool red;
    };
    const Case cases[] = {
        {"general shows the number as entered", 1234.5, {}, false, "1234.5", false},
        {"general without binary noise", 0.1 + 0.2, {}, false, "0.3", false},
        {"thousands and two decimals",
         1234567.005,
         {1, false, 2, -1, 0, 0, false},
         false,
         "1,234,567.01",
         false},
        {"halves away from zero on the decimal form",
         589.005,
         {0, false, 2, -1, 0, 0, false},
         false,
         "589.01",
         false},
        {"negative with minus sign", -1234.5, {1, false, 1, -1, 0, 0, false}, false, "-1,234.5", false},
        {"negative in parentheses and red",
         -1234.5,
         {1, true, 2, -1, 0, 1, false},
         false,
         "(1,234.50)",
         true},
        {"red only for negatives", 5, {0, true, 0, -1, 0, 0, false}, false, "5", false},
        {"percent", 0.1234, {0, false, 1, 1, 0, 0, false}, false, "12.3%", false},
        {"currency", 99.5, {1, false, 2, -1, 0, 0, true}, false, "¥99.50", false},
        {"scaled by a thousand", 1234567, {1, false, 1, -1, 1000, 0, false}, false, "1,234.6", false},
        {"scaled by a million", 9876543210, {0, false, 0, -1, 1000000, 0, false}, false, "9877", false},
        {"as many decimals as needed", 12.25, {0, false, -1, -1, 0, 0, false}, false, "12.25", false},
        {"as many decimals as needed, whole", 12, {0, false, -1, -1, 0, 0, false}, false, "12", false},
        {"zero blanked by the option", 0, {1, false, 2, -1, 0, 0, false}, true, "", false},
        {"zero shown without the option", 0, {1, false, 2, -1, 0, 0, false}, false, "0.00", false},
        {"a tiny negative rounds to zero: no sign, not red",
         -0.001,
         {0, true, 2, -1, 0, 0, false},
         false,
         "0.00",
         false},
        {"scientific", 12345, {0, false, 2, 2, 0, 0, false}, false, "1.23E+04", false},
        {"date serial (day 45357 counted from 1899-12-30)",
         45357,
         {0, false, 0, 3, 0, 0, false},
         false,
         "2024-03-06",
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string out = "|";
        bool red = !c.red;
        NumberText(c.format, c.blankZero).Append(out, c.value, red);
        EXPECT_EQ(out, std::string("|") + c.expected);
        EXPECT_EQ(red, c.red);
    }
}

} // namespace
} // namespace sheet
