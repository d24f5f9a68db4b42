// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "GridDump.h"
#include "ReportGrid.h"
#include "controls/grid/GridPainter.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace grid::test {
namespace {

// Keeps the drawing calls as text lines, so a screen can be asserted like a dump.
class RecordingPainter final : public GridPainter {
public:
    void SetClip(const PaintRect& rect) override { lines.push_back(Cat({"clip ", Rect(rect)})); }
    void FillRect(const PaintRect& rect, std::uint32_t bgr, int alpha) override {
        lines.push_back(Cat({"fill ", Rect(rect), " ", Hex(bgr), alpha == 255 ? "" : " tint"}));
    }
    void DrawLine(int, int, int, int, std::uint32_t) override { ++lineCount; }
    void DrawFrame(const PaintRect& rect, std::uint32_t, int) override {
        lines.push_back(Cat({"frame ", Rect(rect)}));
    }
    void DrawPicture(int x, int y, const GridPicture& picture) override {
        lines.push_back(Cat({"picture ", std::to_string(x), ",", std::to_string(y), " ",
                             std::to_string(picture.Width()), "x", std::to_string(picture.Height())}));
    }
    void DrawText(const PaintRect& rect, int alignCode, const PaintFont& font,
                  std::string_view text) override {
        lines.push_back(Cat({"text ", Rect(rect), " a", std::to_string(alignCode), " ", font.faceName,
                             font.isBold ? " bold " : " ", text}));
    }

    // The recorded lines that start with prefix, joined one per line.
    std::string Only(std::string_view prefix) const {
        std::string out;
        for (const std::string& line : lines) {
            if (line.compare(0, prefix.size(), prefix) == 0) {
                out.append(line).append("\n");
            }
        }
        return out;
    }

    std::vector<std::string> lines;
    int lineCount = 0;

private:
    static std::string Rect(const PaintRect& r) {
        return Cat({std::to_string(r.x), ",", std::to_string(r.y), "+", std::to_string(r.width), "x",
                    std::to_string(r.height)});
    }
    static std::string Hex(std::uint32_t value) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%06X", value);
        return buffer;
    }
};

// Text sits 3 pixels inside its cell left and right and 1 pixel top and bottom.
TEST(GridRendererTest, HeaderTextsAreDrawnOncePerMergedBlockOverTheData) {
    GridModel grid;
    SetUpSalesReport(grid);
    const GridLayout layout(grid);
    RecordingPainter painter;
    GridRenderer::Paint(grid, layout, {0, 0, 640, 90}, painter);
    // Data rows (the second only partly on screen) are painted before the header, each area under
    // its own clip. Blank cells draw no text.
    EXPECT_EQ(painter.Only("text"), "text 3,61+154x20 a1 宋体 华东商贸有限公司\n"
                                    "text 163,61+94x20 a4 宋体 2024-03-05\n"
                                    "text 263,61+67x20 a7 宋体 1,200\n"
                                    "text 336,61+74x20 a7 宋体 12.50\n"
                                    "text 416,61+94x20 a7 宋体 bold 15,000.10\n"
                                    "text 516,61+47x20 a4 宋体 √\n"
                                    "text 3,83+154x20 a1 宋体 北方百货\n"
                                    "text 163,83+94x20 a4 宋体 2024-03-06\n"
                                    "text 336,83+74x20 a7 宋体 0.10\n"
                                    "text 416,83+94x20 a7 宋体 bold 0.20\n"
                                    "text 3,1+154x58 a4 黑体 客户\n"
                                    "text 163,1+94x58 a4 黑体 日期\n"
                                    "text 263,1+300x18 a4 黑体 销售情况\n"
                                    "text 263,21+67x38 a4 黑体 数量\n"
                                    "text 336,21+174x18 a4 黑体 金额明细\n"
                                    "text 516,21+47x38 a4 黑体 已付\n"
                                    "text 336,41+74x18 a4 黑体 单价\n"
                                    "text 416,41+94x18 a4 黑体 金额\n");
    EXPECT_EQ(painter.Only("clip"), "clip 0,0+640x90\nclip 0,60+640x30\nclip 0,0+640x60\n");
}

// A header block over the last fixed column and scrolled ones (销售情况 over columns 2-5, with three
// fixed columns): unscrolled it reads as one block, scrolled its fixed part stays and the rest moves
// with the columns. Without drawing the scrolled part, the fixed area's clip cut the caption down to
// column 2 even before any scrolling.
TEST(GridRendererTest, AHeaderBlockAcrossTheFixedColumnsScrollsWithTheScrolledOnes) {
    GridModel grid;
    SetUpSalesReport(grid);
    grid.SetHeaderColCount(3);
    const GridLayout layout(grid);
    for (const int scrollX : {0, 40}) {
        SCOPED_TRACE(scrollX);
        RecordingPainter painter;
        GridRenderer::Paint(grid, layout, {0, scrollX, 640, 60}, painter);
        std::string blocks;
        for (const std::string& line : painter.lines) {
            if (line.ends_with("销售情况")) {
                blocks.append(line).append("\n");
            }
        }
        // The scrolled area (clipped from x 333 on) first, then the fixed one.
        EXPECT_EQ(blocks, Cat({"text ", std::to_string(263 - scrollX), ",1+300x18 a4 黑体 销售情况\n",
                               "text 263,1+300x18 a4 黑体 销售情况\n"}));
    }
}

TEST(GridRendererTest, SelectionIsTintedAndTheCurrentCellFramed) {
    GridModel grid;
    SetUpSalesReport(grid);
    grid.SelectRange(5, 2, 4, 3); // corners in either order; the current cell is the first corner
    const GridLayout layout(grid);
    RecordingPainter painter;
    GridRenderer::Paint(grid, layout, {0, 0, 640, 200}, painter);
    EXPECT_EQ(painter.Only("frame"), "frame 261,105+71x20\n");
    std::string tints;
    for (const std::string& line : painter.lines) {
        if (line.size() > 5 && line.compare(line.size() - 5, 5, " tint") == 0) {
            tints.append(line).append("\n");
        }
    }
    EXPECT_EQ(tints, "fill 260,82+73x22 D77800 tint\nfill 333,82+80x22 D77800 tint\n"
                     "fill 260,104+73x22 D77800 tint\nfill 333,104+80x22 D77800 tint\n");
}

TEST(GridRendererTest, TreeRowsIndentTheirPictureAndText) {
    GridModel grid;
    grid.SetGridColCount(1);
    grid.SetColWidthTwips(0, 3000);
    grid.InsertRowAt("销售报表", 0);
    grid.InsertRowAt("月度销售汇总", 1);
    grid.SetRowLevel(0, 1);
    grid.SetRowLevel(1, 2);
    grid.SetRangeProp(3, 0, 0, vb::Variant(std::static_pointer_cast<vb::Object>(GridPicture::Folder())));
    grid.SetRangeProp(3, 1, 0, vb::Variant(std::static_pointer_cast<vb::Object>(GridPicture::Document())));
    grid.SetRangeProp(13, 0, 0, true);
    const GridLayout layout(grid);
    RecordingPainter painter;
    GridRenderer::Paint(grid, layout, {0, 0, 200, 60}, painter);
    EXPECT_EQ(painter.Only("picture"), "picture 3,2 16x14\npicture 17,22 12x12\n");
    EXPECT_EQ(painter.Only("text"), "text 22,1+175x17 a1 宋体 bold 销售报表\n"
                                    "text 32,20+165x17 a1 宋体 月度销售汇总\n");
}

} // namespace
} // namespace grid::test
