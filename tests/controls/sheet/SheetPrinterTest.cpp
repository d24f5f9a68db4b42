// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Pages as the user gets them: PDFs read back with poppler (pdfinfo, pdftotext, pdffonts), PNGs
// read back with QImage, printing through a real QPrinter. The three-page report below is also
// left as PNGs in the test's build folder (sheet-pages/) for a person to look at.
#include "controls/sheet/qt/SheetPrinter.h"

#include "controls/sheet/CellAlign.h"
#include "controls/sheet/SheetSamples.h"
#include "controls/sheet/qt/ReportFonts.h"
#include "controls/sheet/qt/SheetPainter_p.h"
#include "support/PdfText.h"
#include "support/QtAppEnvironment.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/stat.h>

#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageRanges>
#include <QPainter>
#include <QPrinter>

namespace sheet::qt {
namespace {

using test::ReadFile;
using test::TempDir;
using vondrel::test::CountOf;
using vondrel::test::PdfPageCount;
using vondrel::test::PdfPageText;

// Every test of this program paints with Qt.
const auto* const g_environment =
    ::testing::AddGlobalTestEnvironment(new vondrel::test::QtAppEnvironment<QGuiApplication>);

constexpr int kDataRows = 100; // 40 rows a page under the four title rows: pages of 40, 40, 20

// Standard output of a shell command; `ok` false when it failed.
std::string RunShell(const std::string& command, bool* ok = nullptr) {
    return vondrel::test::RunCommand(command + " 2>/dev/null", ok);
}

// Where a word lies on a page, "xMin yMin" in points rounded to tenths; "" when it is not there.
std::string WordBox(const std::string& pdf, int page, const std::string& word) {
    const std::string boxes = RunShell("pdftotext -bbox -f " + std::to_string(page) + " -l " +
                                       std::to_string(page) + " '" + pdf + "' -");
    const std::size_t end = boxes.find(">" + word + "</word>");
    const std::size_t start = boxes.rfind("<word", end);
    if (end == std::string::npos || start == std::string::npos) {
        return {};
    }
    const std::string tag = boxes.substr(start, end - start);
    const auto attribute = [&tag](const char* name) {
        const std::size_t at = tag.find(std::string(name) + "=\"");
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.1f", std::stod(tag.substr(at + std::strlen(name) + 2)));
        return std::string(buffer);
    };
    return attribute("xMin") + " " + attribute("yMin");
}

// Code points of the CJK radical blocks in UTF-8 text: what stock Noto makes 月, 页, 一 extract as.
std::string RadicalsIn(const std::string& text) {
    std::string found;
    const QString wide = QString::fromStdString(text);
    for (const QChar ch : wide) {
        if (ch.unicode() >= 0x2E80 && ch.unicode() <= 0x2FDF) {
            found += QString(ch).toStdString();
        }
    }
    return found;
}

// Title, a three-row merged header, 100 data rows, a hidden column, borders, page line.
SheetDocument Report() {
    SheetDocument doc;
    doc.Resize(6, 4 + kDataRows);
    const int widths[] = {60, 150, 120, 80, 120, 0};
    for (int col = 0; col < 6; ++col) {
        doc.SetColWidth(col, widths[col]);
    }
    doc.SetRowHeight(0, 36);
    doc.SetCellText(0, 0, "人民日报社一月销售月报表");
    doc.MergeCells(0, 0, 5, 0);
    doc.SetCellFont(0, 0, 18, 1, "黑体");
    doc.SetCellAlign(0, 0, 36);
    const struct {
        int c1, r1, c2, r2;
        const char* text;
    } header[] = {
        {0, 1, 0, 3, "序号"},       {1, 1, 2, 1, "客户与商品"}, {1, 2, 1, 3, "客户"}, {2, 2, 2, 3, "商品"},
        {3, 1, 4, 1, "数量与金额"}, {3, 2, 4, 2, "本月"},       {3, 3, 3, 3, "数量"}, {4, 3, 4, 3, "金额"},
    };
    for (const auto& h : header) {
        doc.SetCellText(h.c1, h.r1, h.text);
        if (h.c1 != h.c2 || h.r1 != h.r2) {
            doc.MergeCells(h.c1, h.r1, h.c2, h.r2);
        }
    }
    for (int col = 0; col < 6; ++col) {
        for (int row = 1; row <= 3; ++row) {
            doc.SetCellFont(col, row, 10, 1, "宋体");
            doc.SetCellAlign(col, row, 36);
        }
    }
    const char* customers[] = {"人民日报社", "一月天贸易", "日月光百货", "大门车马行"};
    for (int at = 0; at < kDataRows; ++at) {
        const int row = 4 + at;
        doc.SetCellValue(0, row, vb::Variant(static_cast<double>(at + 1)));
        doc.SetCellAlign(0, row, 36);
        doc.SetCellText(1, row, customers[at % 4]);
        doc.SetCellAlign(1, row, 1 + 32);
        doc.SetCellText(2, row, "月饼礼盒" + std::to_string(at + 1) + "号");
        doc.SetCellAlign(2, row, 1 + 32);
        doc.SetCellValue(3, row, vb::Variant(1000.0 * (at + 1)));
        doc.SetCellNumFormat(3, row, NumFormat{1, false, 0, -1, 0, 0, false});
        const double amount = at == 0 ? 1234567.5 : at == 1 ? -1234 : at == 2 ? 0 : 100.25 * at;
        doc.SetCellValue(4, row, vb::Variant(amount));
        doc.SetCellNumFormat(4, row, NumFormat{1, true, 2, -1, 0, 1, false});
        doc.SetCellOption(4, row, kOptionBlankZero);
        doc.SetCellText(5, row, "隐藏列");
    }
    doc.SetRangeBorder(0, 1, 5, 3 + kDataRows, 0, 1, 0);
    doc.SetRangeBorder(0, 1, 5, 3 + kDataRows, 1, 10, 0);
    doc.SetPrintArea(0, 0, 5, 3 + kDataRows, 4, 0);
    doc.SetPageLine("Qovira有限公司", "第&P页共&S页", "2026年12月6日");
    return doc;
}

TEST(SheetPrinterTest, ReportFontsAreTheDerivedFaces) {
    // ./dev setup installs them; without them PDFs extract 月 as U+2F49 (checked below).
    EXPECT_EQ(ResolvedFamily("宋体"), "Vondrel Song");
    EXPECT_EQ(ResolvedFamily("SimSun"), "Vondrel Song");
    EXPECT_EQ(ResolvedFamily("黑体"), "Vondrel Hei");
    EXPECT_EQ(ResolvedFamily("微软雅黑"), "Vondrel Hei");
}

TEST(SheetPrinterTest, PdfPagesExtractAsWrittenWithHeadersAndPageLine) {
    TempDir dir;
    const std::string pdf = dir.File("月报.pdf");
    const SheetDocument doc = Report();
    ASSERT_EQ(PageCount(doc), 3);
    std::string error;
    ASSERT_TRUE(ExportPdf(doc, pdf, error)) << error;
    EXPECT_EQ(PdfPageCount(pdf), 3);

    const int lastRowOfPage[] = {40, 80, 100};
    for (int page = 1; page <= 3; ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        const std::string text = PdfPageText(pdf, page);
        EXPECT_NE(text.find("第" + std::to_string(page) + "页共3页"), std::string::npos) << text;
        for (const char* repeated : {"人民日报社一月销售月报表", "客户与商品", "数量与金额", "本月", "金额",
                                     "Qovira有限公司", "2026年12月6日"}) {
            EXPECT_NE(text.find(repeated), std::string::npos) << repeated;
        }
        // Rows never cut: each page ends on the last row that fits and the next starts after it.
        EXPECT_NE(text.find("月饼礼盒" + std::to_string(lastRowOfPage[page - 1]) + "号"), std::string::npos);
        if (page < 3) {
            EXPECT_EQ(text.find("月饼礼盒" + std::to_string(lastRowOfPage[page - 1] + 1) + "号"),
                      std::string::npos);
        }
        EXPECT_EQ(RadicalsIn(text), "");
        // Merged blocks print their text once, not once per covered cell.
        for (const char* merged : {"客户与商品", "序号", "本月"}) {
            EXPECT_EQ(CountOf(text, merged), 1u) << merged;
        }
        EXPECT_EQ(text.find("隐藏列"), std::string::npos) << "a zero-width column printed";
    }
    const std::string first = PdfPageText(pdf, 1);
    for (const char* shown :
         {"1,234,567.50", "(1,234.00)", "40,000", "人民日报社", "一月天贸易", "日月光百货", "大门车马行"}) {
        EXPECT_NE(first.find(shown), std::string::npos) << shown;
    }
    // Row 3's amount is zero under "blank zeros": the only way "0.00" could appear.
    EXPECT_EQ(first.find("0.00\n"), std::string::npos);

    // Every font embedded, and real bold: the header is bold Song, the title bold Hei.
    const std::string fonts = RunShell("pdffonts '" + pdf + "'");
    EXPECT_NE(fonts.find("VondrelSong-Bold"), std::string::npos) << fonts;
    EXPECT_NE(fonts.find("VondrelSong-Regular"), std::string::npos) << fonts;
    EXPECT_NE(fonts.find("VondrelHei-Bold"), std::string::npos) << fonts;
    std::size_t lineStart = fonts.find('\n', fonts.find("-----"));
    int fontRows = 0;
    while (lineStart != std::string::npos && lineStart + 1 < fonts.size()) {
        const std::size_t lineEnd = fonts.find('\n', lineStart + 1);
        const std::string line = fonts.substr(lineStart + 1, lineEnd - lineStart - 1);
        if (!line.empty()) {
            ++fontRows;
            EXPECT_NE(line.find(" yes "), std::string::npos) << "not embedded: " << line;
        }
        lineStart = lineEnd;
    }
    EXPECT_GE(fontRows, 3);
}

// With repeated title columns the pages still show one sheet: the merged title and header blocks
// running over the title columns and on into the body are printed once each, whole, not once per part.
// Without the fix, on the pages across (where the body does not follow the titles in the sheet) the
// title printed twice, each copy cut to its part: expected 1 "人民日报社一月销售月报表", got 0.
TEST(SheetPrinterTest, BlocksOverTitleColumnsAndBodyPrintOnce) {
    struct Case {
        const char* name;
        int bodyWidthPx; // of columns 2..4
        int pagesAcross;
    };
    const Case cases[] = {{"body follows the titles", 120, 1}, {"three pages across", 400, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string pdf = dir.File("titles.pdf");
        SheetDocument doc = Report();
        for (int col = 2; col <= 4; ++col) {
            doc.SetColWidth(col, c.bodyWidthPx);
        }
        ASSERT_TRUE(doc.SetPrintTitles(4, 2));
        std::string error;
        ASSERT_TRUE(ExportPdf(doc, pdf, error)) << error;
        EXPECT_EQ(PdfPageCount(pdf), 3 * c.pagesAcross);
        for (int page = 1; page <= PdfPageCount(pdf); ++page) {
            SCOPED_TRACE("page " + std::to_string(page));
            const std::string text = PdfPageText(pdf, page);
            // Over the title columns: on every page, whole.
            EXPECT_EQ(CountOf(text, "人民日报社一月销售月报表"), 1U);
            EXPECT_EQ(CountOf(text, "客户与商品"), 1U);
            EXPECT_EQ(CountOf(text, "序号"), 1U);
            // Over body columns only: on the pages that show them, once.
            EXPECT_LE(CountOf(text, "数量与金额"), 1U);
        }
    }
}

// Paper, orientation and margins of a case, the rest of `base` kept.
struct PaperCase {
    const char* name;
    Paper paper;
    bool landscape;
    double left, top, right, bottom;
    PageSetup Over(PageSetup base) const {
        base.paper = paper;
        base.landscape = landscape;
        base.marginLeftMm = left, base.marginTopMm = top, base.marginRightMm = right,
        base.marginBottomMm = bottom;
        return base;
    }
};

// One page of everything a PDF page draws differently from a painter: bold and regular Song and
// Hei, Kai (a TrueType collection), italic without an italic face, characters the face lacks
// (Armenian: drawn with the face Qt falls back to), underline, a red number, merged blocks, borders of
// every dash, and text too tall for its row (clipped).
SheetDocument Showcase(const PageSetup& setup) {
    SheetDocument doc;
    doc.Resize(6, 16);
    for (int col = 0; col < 6; ++col) {
        doc.SetColWidth(col, 100);
    }
    doc.SetCellText(0, 0, "月度销售报表（全部样式）");
    doc.MergeCells(0, 0, 5, 0);
    doc.SetCellFont(0, 0, 18, 1, "宋体");
    doc.SetCellAlign(0, 0, 36);
    doc.SetRowHeight(0, 40);
    const struct {
        const char* text;
        long size, style;
        const char* face;
    } texts[] = {
        {"宋体常规月页一人", 10, 6, "宋体"}, {"楷体常规字", 11, 6, "楷体"},
        {"斜体 Italic 月", 10, 2, "宋体"},   {"缺字Աբգ号", 10, 6, "宋体"},
        {"下划线 under", 10, 3, "黑体"},     {"黑体粗斜", 12, 4, "黑体"},
    };
    for (int col = 0; col < 6; ++col) {
        doc.SetCellText(col, 1, texts[col].text);
        doc.SetCellFont(col, 1, texts[col].size, texts[col].style, texts[col].face);
    }
    doc.SetCellValue(0, 2, vb::Variant(-1234.0));
    doc.SetCellNumFormat(0, 2, NumFormat{1, true, 2, -1, 0, 1, false});
    doc.SetCellText(1, 2, "合并块居中");
    doc.MergeCells(1, 2, 2, 4);
    doc.SetCellAlign(1, 2, 36);
    doc.SetCellText(3, 2, "高字");
    doc.SetCellFont(3, 2, 36, 1, "黑体");
    doc.SetRowHeight(2, 16);
    doc.SetCellText(4, 2, "Arial 12,345.60");
    doc.SetCellFont(4, 2, 10, 6, "Arial"); // not installed: a face that writes Chinese stands in
    // Every border style, one per cell, two rows of them.
    for (int style = 1; style <= 12; ++style) {
        const int col = (style - 1) % 6, row = 6 + 2 * ((style - 1) / 6);
        doc.SetRangeBorder(col, row, col, row, 1, style, style == 10 ? 0x0000FF : 0);
        doc.SetCellText(col, row, "线型" + std::to_string(style));
    }
    doc.SetRangeBorder(0, 10, 5, 15, 0, 13, 0x808000);
    doc.SetPageSetup(setup);
    return doc;
}

// Grey pixels that carry ink in `a` while `b` has none within a pixel of them: a missing, extra or
// misplaced glyph or line, not the half-pixel differences of two rasterisers.
int InkWithoutPartner(const QImage& a, const QImage& b) {
    int count = 0;
    for (int y = 1; y + 1 < a.height() && y + 1 < b.height(); ++y) {
        for (int x = 1; x + 1 < a.width() && x + 1 < b.width(); ++x) {
            if (qGray(a.pixel(x, y)) >= 128) {
                continue;
            }
            bool partner = false;
            for (int dy = -1; dy <= 1 && !partner; ++dy) {
                for (int dx = -1; dx <= 1 && !partner; ++dx) {
                    partner = qGray(b.pixel(x + dx, y + dy)) < 200;
                }
            }
            count += partner ? 0 : 1;
        }
    }
    return count;
}

// The PDF's first page as poppler draws it and the same plan painted by SheetPainter at the same
// resolution agree pixel for pixel, within a pixel: glyphs, fallback glyphs, slant, clipping, pens
// and dashes land where the plan puts them on any paper. A faithful page leaves no pixel without
// partner at 200 dpi; one missing 10 pt hanzi leaves 70, a dotted pen drawn 2 on 1 off 127, a
// slant the wrong way or a glyph width off by a 400th of a point thousands.
TEST(SheetPrinterTest, PdfPageLooksAsThePainterDrawsIt) {
    const PaperCase cases[] = {
        {"A4 portrait", Paper::A4, false, 19, 25, 19, 25},
        {"A3 landscape, uneven margins", Paper::A3, true, 31.5, 12, 8, 40},
    };
    constexpr int kDpi = 200;
    constexpr int kTolerance = 20;
    const std::filesystem::path out = std::filesystem::path(VONDREL_TEST_OUTPUT_DIR) / "sheet-pages";
    std::filesystem::create_directories(out);
    for (const PaperCase& c : cases) {
        SCOPED_TRACE(c.name);
        const SheetDocument doc = Showcase(c.Over(PageSetup{}));
        const std::string stem = (out / (std::string("showcase-") + (c.landscape ? "a3" : "a4"))).string();
        std::string error;
        ASSERT_TRUE(ExportPdf(doc, stem + ".pdf", error)) << error;
        bool ok = false;
        RunShell("pdftoppm -r " + std::to_string(kDpi) + " -f 1 -l 1 -singlefile -png '" + stem + ".pdf' '" +
                     stem + "-pdf'",
                 &ok);
        ASSERT_TRUE(ok);
        const QImage pdf =
            QImage(QString::fromStdString(stem + "-pdf.png")).convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(pdf.isNull());

        // The painter's page: planned at the PDF's 1200 dpi, drawn scaled down to the same pixels.
        const QPageLayout layout = PageLayoutOf(doc.GetPageSetup());
        const QRectF frame = layout.paintRect(QPageLayout::Point);
        const SheetPages pages(doc, PageFrame{frame.width(), frame.height()});
        QImage painted(pdf.size(), QImage::Format_RGB32);
        painted.setDotsPerMeterX(static_cast<int>(std::lround(1200 / 0.0254)));
        painted.setDotsPerMeterY(static_cast<int>(std::lround(1200 / 0.0254)));
        painted.fill(Qt::white);
        {
            QPainter painter(&painted);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            painter.scale(kDpi / 1200.0, kDpi / 1200.0);
            painter.translate(layout.paintRectPixels(1200).topLeft());
            SheetPainter(doc, pages).PaintPage(painter, 0);
        }
        painted.save(QString::fromStdString(stem + "-painter.png"));
        int ink = 0;
        for (int y = 0; y < pdf.height(); ++y) {
            for (int x = 0; x < pdf.width(); ++x) {
                ink += qGray(pdf.pixel(x, y)) < 128 ? 1 : 0;
            }
        }
        EXPECT_GT(ink, 3000);
        EXPECT_LE(InkWithoutPartner(pdf, painted), kTolerance)
            << "in the PDF only: see " << stem << "-pdf.png";
        EXPECT_LE(InkWithoutPartner(painted, pdf), kTolerance)
            << "in the painter's only: see " << stem << "-painter.png";

        // Exactly the text that was drawn, in faces that are all embedded as subsets.
        const std::string text = PdfPageText(stem + ".pdf", 1);
        for (const char* shown :
             {"月度销售报表（全部样式）", "宋体常规月页一人", "楷体常规字", "斜体 Italic 月", "缺字Աբգ号",
              "下划线 under", "黑体粗斜", "(1,234.00)", "合并块居中", "高字", "线型12"}) {
            EXPECT_NE(text.find(shown), std::string::npos) << shown << " in\n" << text;
        }
        EXPECT_EQ(RadicalsIn(text), "");
        const std::string fonts = RunShell("pdffonts '" + stem + ".pdf'");
        int faces = 0;
        for (std::size_t at = fonts.find('\n', fonts.find("-----"));
             at != std::string::npos && at + 1 < fonts.size(); at = fonts.find('\n', at + 1)) {
            const std::string line = fonts.substr(at + 1, fonts.find('\n', at + 1) - at - 1);
            if (!line.empty()) {
                ++faces;
                EXPECT_NE(line.find(" yes yes yes "), std::string::npos)
                    << "not embedded as a subset: " << line;
                EXPECT_EQ(line[6], '+') << line;
            }
        }
        EXPECT_GE(faces, 7) << fonts; // Song, Song bold, Kai, Hei, Hei bold, Arial's and the fallback face
    }
}

TEST(SheetPrinterTest, PngPagesForAPersonToLookAt) {
    const std::filesystem::path out = std::filesystem::path(VONDREL_TEST_OUTPUT_DIR) / "sheet-pages";
    std::filesystem::create_directories(out);
    const SheetDocument doc = Report();
    std::string error;
    for (int page = 1; page <= 3; ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        const std::string png = (out / ("report-page" + std::to_string(page) + ".png")).string();
        ASSERT_TRUE(RenderPagePng(doc, page, 100, png, error)) << error;
        QImage image(QString::fromStdString(png));
        // A4 at 100 dpi.
        EXPECT_EQ(image.width(), 827);
        EXPECT_EQ(image.height(), 1169);
        int red = 0, dark = 0;
        for (int y = 0; y < image.height(); y += 1) {
            for (int x = 0; x < image.width(); x += 1) {
                const QRgb rgb = image.pixel(x, y);
                red += qRed(rgb) > 200 && qGreen(rgb) < 90 && qBlue(rgb) < 90;
                dark += qGray(rgb) < 100;
            }
        }
        // Only page 1 holds the negative amount, drawn red; every page has lines and text.
        EXPECT_EQ(red > 0, page == 1) << red;
        EXPECT_GT(dark, 5000);
    }
    ASSERT_TRUE(ExportPdf(doc, (out / "report.pdf").string(), error)) << error;
    bool ok = false;
    RunShell("pdftoppm -r 80 -png '" + (out / "report.pdf").string() + "' '" + (out / "pdftoppm").string() +
                 "'",
             &ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(std::filesystem::exists(out / "pdftoppm-1.png"));
    EXPECT_TRUE(std::filesystem::exists(out / "pdftoppm-3.png"));
}

TEST(SheetPrinterTest, TooWideNumbersShowHashesAndTextsLoseWholeGlyphs) {
    TempDir dir;
    SheetDocument doc;
    doc.Resize(3, 1);
    doc.SetColWidth(0, 40);
    doc.SetColWidth(1, 60);
    doc.SetCellValue(0, 0, vb::Variant(1234567.5));
    doc.SetCellNumFormat(0, 0, NumFormat{1, false, 2, -1, 0, 0, false});
    doc.SetCellText(1, 0, "客户九号商贸有限公司");
    doc.SetCellAlign(1, 0, 1);
    doc.SetCellText(2, 0, "右邻");
    std::string error;
    ASSERT_TRUE(ExportPdf(doc, dir.File("narrow.pdf"), error)) << error;
    const std::string text = PdfPageText(dir.File("narrow.pdf"), 1);
    // A cut "1,234,567.50" would read as another number.
    EXPECT_NE(text.find("###"), std::string::npos) << text;
    EXPECT_EQ(text.find("567"), std::string::npos) << text;
    // 56 px of room at 10 pt: four hanzi of 10 pt (13.3 px) fit, the fifth would stick out.
    EXPECT_NE(text.find("客户九号"), std::string::npos) << text;
    EXPECT_EQ(text.find("商贸"), std::string::npos) << text;
    EXPECT_NE(text.find("右邻"), std::string::npos) << text;
}

TEST(SheetPrinterTest, PrinterPrintsItsPageRangeOnly) {
    TempDir dir;
    const SheetDocument doc = Report();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir.File("printed.pdf")));
    printer.setPageLayout(PageLayoutOf(doc.GetPageSetup()));
    QPageRanges ranges;
    ranges.addRange(2, 3);
    printer.setPageRanges(ranges);
    std::string error;
    ASSERT_TRUE(PrintDocument(doc, printer, error)) << error;
    EXPECT_EQ(PdfPageCount(dir.File("printed.pdf")), 2);
    // Numbers stay those of the whole report.
    EXPECT_NE(PdfPageText(dir.File("printed.pdf"), 1).find("第2页共3页"), std::string::npos);
    EXPECT_NE(PdfPageText(dir.File("printed.pdf"), 2).find("第3页共3页"), std::string::npos);

    // The printer's page lies where the PDF's does: same origin, same margins, same scale.
    ASSERT_TRUE(ExportPdf(doc, dir.File("exported.pdf"), error)) << error;
    const std::string pageLineBox = WordBox(dir.File("exported.pdf"), 2, "第2页共3页");
    ASSERT_NE(pageLineBox, "");
    EXPECT_EQ(WordBox(dir.File("printed.pdf"), 1, "第2页共3页"), pageLineBox);
    EXPECT_EQ(WordBox(dir.File("printed.pdf"), 2, "月饼礼盒100号"),
              WordBox(dir.File("exported.pdf"), 3, "月饼礼盒100号"));

    QPageRanges beyond;
    beyond.addPage(9);
    printer.setPageRanges(beyond);
    EXPECT_FALSE(PrintDocument(doc, printer, error));
    EXPECT_EQ(error, "所选的页码范围内没有可打印的页：报表共3页");
}

TEST(SheetPrinterTest, FailedWritesLeaveNoFile) {
    TempDir dir;
    const SheetDocument doc = Report();
    std::string error;
    // The target is a folder: the rename fails after the PDF was written to the temporary file.
    std::filesystem::create_directories(dir.File("taken"));
    EXPECT_FALSE(ExportPdf(doc, dir.File("taken"), error));
    EXPECT_NE(error.find(dir.File("taken")), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("taken")));
    EXPECT_FALSE(ExportPdf(doc, dir.File("missing/report.pdf"), error));
    EXPECT_NE(error.find("”：文件夹不存在"), std::string::npos) << error;
    EXPECT_FALSE(RenderPagePng(doc, 4, 100, dir.File("p4.png"), error));
    EXPECT_EQ(error, "第4页不存在：报表共3页");
    EXPECT_FALSE(RenderPagePng(doc, 1, 5000, dir.File("big.png"), error));
    EXPECT_EQ(error, "分辨率必须在10到1200之间");
    // Only the folder made above is left: no temporary file survived any failure.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);

    // A good write replaces an older file in one step.
    const std::string pdf = dir.File("report.pdf");
    std::FILE* old = std::fopen(pdf.c_str(), "wb");
    std::fputs("old", old);
    std::fclose(old);
    ASSERT_TRUE(ExportPdf(doc, pdf, error)) << error;
    EXPECT_EQ(ReadFile(pdf).substr(0, 5), "%PDF-");
    // Not the temporary file's private mode: others may read a report the user wrote.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat info {};
    ASSERT_EQ(::stat(pdf.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
}

TEST(SheetPrinterTest, PageLayoutRoundTrip) {
    const PaperCase cases[] = {
        {"A4 portrait default margins", Paper::A4, false, 19, 25, 19, 25},
        {"A3 landscape, uneven margins", Paper::A3, true, 10, 20, 30, 40},
        {"B5", Paper::B5, false, 5, 5, 5, 5},
        {"Legal landscape", Paper::Legal, true, 12.5, 0, 12.5, 0},
    };
    for (const PaperCase& c : cases) {
        SCOPED_TRACE(c.name);
        PageSetup base;
        base.scalePercent = 80;
        base.fitWide = 2;
        base.centreHorizontally = true;
        const PageSetup setup = c.Over(base);
        const QPageLayout layout = PageLayoutOf(setup);
        EXPECT_EQ(layout.orientation() == QPageLayout::Landscape, c.landscape);
        const PageSetup back = PageSetupFrom(layout, PageSetup{});
        EXPECT_EQ(back.paper, c.paper);
        EXPECT_EQ(back.landscape, c.landscape);
        EXPECT_NEAR(back.marginLeftMm, c.left, 1e-6);
        EXPECT_NEAR(back.marginTopMm, c.top, 1e-6);
        EXPECT_NEAR(back.marginRightMm, c.right, 1e-6);
        EXPECT_NEAR(back.marginBottomMm, c.bottom, 1e-6);
        // What the dialog does not show comes from the base.
        EXPECT_EQ(PageSetupFrom(layout, base), setup);
    }
}

} // namespace
} // namespace sheet::qt
