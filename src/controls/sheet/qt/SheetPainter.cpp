// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Painting one page.
//
// 1. Units: the pagination works in points; here everything becomes device units through the
//    device's own logicalDpi (1200 for a PDF, the printer's for a printer, the PNG's chosen dpi),
//    so a page looks the same on every device. Fonts are sized in points scaled by the page set-up
//    and resolved by QPainter against the same device.
// 2. A page is four blocks: title rows x title columns, title rows x body columns, body rows x
//    title columns, body rows x body columns. Each block is laid out as contiguous lines with their
//    device offsets, so a merged block's rectangle is two lookups.
// 3. A merged block is painted once per block it shows in, at its first cell inside that block, with
//    the text and style of its top-left cell; its inner edges are not drawn.
// 4. Two neighbouring cells usually carry the same line on their shared edge (the document keeps
//    each cell's four edges); the right and bottom edges are skipped when the neighbour draws the
//    same line, which halves the lines in a PDF.
#include "controls/sheet/CellAlign.h"
#include "controls/sheet/qt/ReportFonts.h"
#include "controls/sheet/qt/SheetPainter_p.h"
#include "vb/Colour.h"

#include <algorithm>
#include <cmath>

#include <QFontDatabase>
#include <QGlyphRun>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>

namespace sheet::qt {

namespace {

constexpr double kTextPaddingPx = 2;
constexpr double kPageLineFontPt = 9;

QColor FromBgr(std::uint32_t bgr) {
    return QColor(vb::BgrToRgb(bgr));
}

// Pen width in points and dash pattern of a border style (docs/sheet.md).
void LineLook(int style, double& widthPt, Qt::PenStyle& pen) {
    pen = Qt::SolidLine;
    switch (style) {
    case 2:
        widthPt = 0.75, pen = Qt::DotLine;
        return;
    case 3:
        widthPt = 0.75, pen = Qt::DashLine;
        return;
    case 5:
        widthPt = 0.25;
        return;
    case 6:
        widthPt = 0.75, pen = Qt::DashDotLine;
        return;
    case 7:
        widthPt = 0.75, pen = Qt::DashDotDotLine;
        return;
    case 8:
        widthPt = 1.5, pen = Qt::DashLine;
        return;
    case 9:
        widthPt = 2.25;
        return;
    case 10:
        widthPt = 1.5;
        return;
    case 11:
    case 13:
        widthPt = 1.5, pen = Qt::DashDotLine;
        return;
    case 12:
        widthPt = 1.5, pen = Qt::DashDotDotLine;
        return;
    default: // 1 thin, 4 double (two thin lines)
        widthPt = 0.5;
        return;
    }
}

int HorizontalFlags(std::int32_t align) {
    switch (CellAlign::FromFlags(align).horizontal) {
    case HAlign::Left:
        return Qt::AlignLeft;
    case HAlign::Centre:
        return Qt::AlignHCenter;
    case HAlign::Right:
        break;
    }
    return Qt::AlignRight;
}

int VerticalFlags(std::int32_t align) {
    switch (CellAlign::FromFlags(align).vertical) {
    case VAlign::Top:
        return Qt::AlignTop;
    case VAlign::Middle:
        return Qt::AlignVCenter;
    case VAlign::Bottom:
        break;
    }
    return Qt::AlignBottom;
}

// Joins segments that continue each other on one horizontal or vertical line: a row's bottom edge
// is one line, not one per cell, which shortens a PDF page's content (and its compression) by a fifth.
void MergeCollinear(std::vector<QLineF>& lines, std::vector<QLineF>& out) {
    out.clear();
    for (QLineF& line : lines) { // every segment runs left to right or top to bottom from here on
        if (line.x1() > line.x2() || line.y1() > line.y2()) {
            line = QLineF(line.p2(), line.p1());
        }
    }
    std::sort(lines.begin(), lines.end(), [](const QLineF& a, const QLineF& b) {
        const bool aH = a.dy() == 0, bH = b.dy() == 0;
        if (aH != bH) {
            return aH;
        }
        return aH ? std::pair(a.y1(), a.x1()) < std::pair(b.y1(), b.x1())
                  : std::pair(a.x1(), a.y1()) < std::pair(b.x1(), b.y1());
    });
    constexpr double kTouch = 0.01; // device units: positions come from the same sums
    for (const QLineF& line : lines) {
        if (!out.empty()) {
            QLineF& last = out.back();
            const bool bothH = last.dy() == 0 && line.dy() == 0 && last.y1() == line.y1();
            const bool bothV = last.dx() == 0 && line.dx() == 0 && last.x1() == line.x1();
            if (bothH && line.x1() <= last.x2() + kTouch) {
                last.setP2(QPointF(std::max(last.x2(), line.x2()), last.y2()));
                continue;
            }
            if (bothV && line.y1() <= last.y2() + kTouch) {
                last.setP2(QPointF(last.x2(), std::max(last.y2(), line.y2())));
                continue;
            }
        }
        out.push_back(line);
    }
}

// Position of the first laid-out row/column at or after a sheet index (lines.size() when none). A
// page's lines are the titles followed by the body, ascending but with a gap where the body does not
// follow the titles directly.
int FirstAtOrAfter(const std::vector<SheetPainter::Line>& lines, int sheetIndex) {
    const auto at =
        std::lower_bound(lines.begin(), lines.end(), sheetIndex,
                         [](const SheetPainter::Line& line, int index) { return line.sheetIndex < index; });
    return static_cast<int>(at - lines.begin());
}

// Position of a sheet row/column on the page, or -1.
int IndexIn(const std::vector<SheetPainter::Line>& lines, int sheetIndex) {
    const int at = FirstAtOrAfter(lines, sheetIndex);
    return at < static_cast<int>(lines.size()) && lines[static_cast<std::size_t>(at)].sheetIndex == sheetIndex
               ? at
               : -1;
}

} // namespace

SheetPainter::SheetPainter(const SheetDocument& doc, const SheetPages& pages)
    : m_doc(doc), m_pages(pages), m_styles(doc.StyleCount()) {
    InstallReportFonts();
}

SheetPainter::StyleCache& SheetPainter::CacheFor(std::uint32_t styleIndex) {
    if (styleIndex >= m_styles.size()) {
        m_styles.resize(styleIndex + 1);
    }
    std::optional<StyleCache>& slot = m_styles[styleIndex];
    if (!slot) {
        const CellStyle& style = m_doc.StyleByIndex(styleIndex);
        StyleCache cache;
        cache.font = QFont(QString::fromStdString(style.face));
        cache.font.setPointSizeF(std::max(1.0, style.sizePt * m_pages.Scale()));
        cache.font.setBold(style.font & kBold);
        cache.font.setItalic(style.font & kItalic);
        cache.font.setUnderline(style.font & kUnderline);
        // Glyph outlines at the device's resolution: hinting for a 96 dpi screen would move
        // characters on a 1200 dpi page.
        cache.font.setHintingPreference(QFont::PreferNoHinting);
        // Ligatures would put "ﬁ" (U+FB01) into the PDF text of every "fi" users search for.
        cache.font.setStyleStrategy(QFont::PreferNoShaping);
        cache.number.emplace(style.num, OptionBlanksZero(style.option));
        slot = std::move(cache);
    }
    return *slot;
}

void SheetPainter::Layout(Band band, double origin, double devPerPx, bool rows,
                          std::vector<Line>& out) const {
    out.clear();
    double at = origin;
    for (int index = band.first; index <= band.last; ++index) {
        int px = 0;
        if (rows) {
            m_doc.GetRowHeight(index, px);
        } else {
            m_doc.GetColWidth(index, px);
        }
        out.push_back({index, at, px * devPerPx});
        at += px * devPerPx;
    }
}

void SheetPainter::PaintPage(QPainter& painter, int index) {
    const QPaintDevice* device = painter.device();
    const double devPerPtX = device->logicalDpiX() / 72.0;
    const double devPerPtY = device->logicalDpiY() / 72.0;
    const SheetPages::Page page = m_pages.PageAt(index);
    const double scale = m_pages.Scale() * kPointsPerPixel;
    const PageSetup& setup = m_doc.GetPageSetup();
    const PageFrame& frame = m_pages.Frame();

    double leftPt = 0, topPt = 0;
    if (setup.centreHorizontally) {
        leftPt = std::max(0.0, (frame.widthPt - m_pages.ContentWidthPt(page)) / 2);
    }
    if (setup.centreVertically) {
        topPt = std::max(0.0, (frame.heightPt - kPageLineBandPt - m_pages.ContentHeightPt(page)) / 2);
    }
    Layout(m_pages.TitleRows(), topPt * devPerPtY, scale * devPerPtY, true, m_titleRows);
    const double bodyTop =
        m_titleRows.empty() ? topPt * devPerPtY : m_titleRows.back().start + m_titleRows.back().size;
    Layout(page.rows, bodyTop, scale * devPerPtY, true, m_bodyRows);
    Layout(m_pages.TitleCols(), leftPt * devPerPtX, scale * devPerPtX, false, m_titleCols);
    const double bodyLeft =
        m_titleCols.empty() ? leftPt * devPerPtX : m_titleCols.back().start + m_titleCols.back().size;
    Layout(page.cols, bodyLeft, scale * devPerPtX, false, m_bodyCols);

    painter.save();
    // Rows taller than the page are clipped at the page line band, never drawn over it.
    painter.setClipRect(
        QRectF(0, 0, frame.widthPt * devPerPtX, (frame.heightPt - kPageLineBandPt) * devPerPtY));
    // Titles and body are one stretch of the page, also where the body does not follow the titles in
    // the sheet (the second page across): a merged block over both (a title row across every column)
    // is painted once over what the page shows of it. Painted per part, it printed twice on such
    // pages, each copy cut to its part ("地区:全部地区" came out as "地区:全").
    const auto join = [](const std::vector<Line>& titles, const std::vector<Line>& body,
                         std::vector<Line>& all) {
        all.assign(titles.begin(), titles.end());
        all.insert(all.end(), body.begin(), body.end());
    };
    join(m_titleRows, m_bodyRows, m_allRows);
    join(m_titleCols, m_bodyCols, m_allCols);
    if (!m_allRows.empty() && !m_allCols.empty()) {
        PaintBlock(painter, m_allRows, m_allCols, devPerPtX);
    }
    painter.restore();
    PaintPageLine(painter, page.number, devPerPtX, devPerPtY);
}

void SheetPainter::PaintBlock(QPainter& painter, const std::vector<Line>& rows, const std::vector<Line>& cols,
                              double devPerPt) {
    const double devPerPx = devPerPt * kPointsPerPixel * m_pages.Scale();

    // The first and last laid-out line of a block on the page, shown or not (a block's rectangle runs
    // over the zero-size lines inside it as well).
    const auto span = [](const std::vector<Line>& lines, int first, int last) {
        return std::pair<int, int>(FirstAtOrAfter(lines, first), FirstAtOrAfter(lines, last + 1) - 1);
    };
    const auto firstShown = [](const std::vector<Line>& lines, int from, int to) {
        while (from <= to && lines[static_cast<std::size_t>(from)].size <= 0) {
            ++from;
        }
        return from;
    };

    // Texts first, lines over them, as a sheet program prints.
    for (std::size_t rowPos = 0; rowPos < rows.size(); ++rowPos) {
        const Line& row = rows[rowPos];
        if (row.size <= 0) {
            continue;
        }
        for (std::size_t colPos = 0; colPos < cols.size(); ++colPos) {
            const Line& col = cols[colPos];
            if (col.size <= 0) {
                continue;
            }
            int c1 = col.sheetIndex, r1 = row.sheetIndex, c2 = c1, r2 = r1;
            if (m_doc.GetMergeRange(col.sheetIndex, row.sheetIndex, c1, r1, c2, r2)) {
                const auto [left, right] = span(cols, c1, c2);
                const auto [top, bottom] = span(rows, r1, r2);
                // Painted once, at the block's first shown cell on the page.
                if (firstShown(cols, left, right) != static_cast<int>(colPos) ||
                    firstShown(rows, top, bottom) != static_cast<int>(rowPos)) {
                    continue;
                }
                const Line& leftLine = cols[static_cast<std::size_t>(left)];
                const Line& rightLine = cols[static_cast<std::size_t>(right)];
                const Line& topLine = rows[static_cast<std::size_t>(top)];
                const Line& bottomLine = rows[static_cast<std::size_t>(bottom)];
                const QRectF rect(
                    QPointF(leftLine.start, topLine.start),
                    QPointF(rightLine.start + rightLine.size, bottomLine.start + bottomLine.size));
                PaintCellText(painter, c1, r1, rect, devPerPx);
            } else {
                QRectF rect(col.start, row.start, col.size, row.size);
                double number = 0;
                std::string_view text;
                const HAlign horizontal =
                    CellAlign::FromFlags(m_doc.StyleAt(col.sheetIndex, row.sheetIndex).align).horizontal;
                const bool isText = m_doc.PeekCell(col.sheetIndex, row.sheetIndex, number, text) == 2;
                // A left-aligned text runs on over empty neighbours, as in a sheet program, instead of
                // being cut at its own cell ("（本行没有字段…" in a narrow first column).
                if (isText && horizontal == HAlign::Left) {
                    for (std::size_t next = colPos + 1; next < cols.size(); ++next) {
                        const Line& right = cols[next];
                        int m1 = 0, m2 = 0, m3 = 0, m4 = 0;
                        if (m_doc.PeekCell(right.sheetIndex, row.sheetIndex, number, text) != 0 ||
                            m_doc.GetMergeRange(right.sheetIndex, row.sheetIndex, m1, m2, m3, m4)) {
                            break;
                        }
                        rect.setRight(right.start + right.size);
                    }
                } else if (isText && horizontal == HAlign::Right) {
                    // A right-aligned text runs on leftwards the same way; in the page's first column
                    // (a footer's "制表人：" over a narrow number column) the margin takes the rest,
                    // since a label that lost its first character reads as another word.
                    bool isBlocked = false;
                    for (int at = static_cast<int>(colPos) - 1; at >= 0 && !isBlocked; --at) {
                        const Line& left = cols[static_cast<std::size_t>(at)];
                        int m1 = 0, m2 = 0, m3 = 0, m4 = 0;
                        isBlocked = m_doc.PeekCell(left.sheetIndex, row.sheetIndex, number, text) != 0 ||
                                    m_doc.GetMergeRange(left.sheetIndex, row.sheetIndex, m1, m2, m3, m4);
                        if (!isBlocked) {
                            rect.setLeft(left.start);
                        }
                    }
                    if (!isBlocked) {
                        rect.setLeft(0);
                    }
                }
                PaintCellText(painter, col.sheetIndex, row.sheetIndex, rect, devPerPx);
            }
        }
    }

    FlushGlyphs(painter);

    // Lines: collected per pen and drawn in one call each, which keeps a PDF page's content small.
    for (LineBucket& bucket : m_buckets) {
        bucket.lines.clear();
    }
    const auto draw = [&](const BorderLine& line, QPointF from, QPointF to, bool) {
        AddLine(line, QLineF(from, to), devPerPt);
    };
    for (const Line& row : rows) {
        if (row.size <= 0) {
            continue;
        }
        for (const Line& col : cols) {
            if (col.size <= 0) {
                continue;
            }
            const std::uint32_t styleIndex = m_doc.StyleIndexAt(col.sheetIndex, row.sheetIndex);
            if (styleIndex == 0) {
                continue;
            }
            const CellStyle& style = m_doc.StyleByIndex(styleIndex);
            const auto& b = style.borders;
            if (b[kLeft].style == 0 && b[kTop].style == 0 && b[kRight].style == 0 && b[kBottom].style == 0) {
                continue;
            }
            int c1 = col.sheetIndex, r1 = row.sheetIndex, c2 = c1, r2 = r1;
            m_doc.GetMergeRange(col.sheetIndex, row.sheetIndex, c1, r1, c2, r2);
            const double x1 = col.start, x2 = col.start + col.size, y1 = row.start, y2 = row.start + row.size;
            if (b[kTop].style != 0 && row.sheetIndex == r1) {
                draw(b[kTop], {x1, y1}, {x2, y1}, true);
            }
            if (b[kLeft].style != 0 && col.sheetIndex == c1) {
                draw(b[kLeft], {x1, y1}, {x1, y2}, false);
            }
            if (b[kBottom].style != 0 && row.sheetIndex == r2) {
                const int below = IndexIn(rows, row.sheetIndex + 1);
                const bool neighbourDraws =
                    below >= 0 && rows[static_cast<std::size_t>(below)].size > 0 &&
                    m_doc.StyleAt(col.sheetIndex, row.sheetIndex + 1).borders[kTop] == b[kBottom];
                if (!neighbourDraws) {
                    draw(b[kBottom], {x1, y2}, {x2, y2}, true);
                }
            }
            if (b[kRight].style != 0 && col.sheetIndex == c2) {
                const int right = IndexIn(cols, col.sheetIndex + 1);
                const bool neighbourDraws =
                    right >= 0 && cols[static_cast<std::size_t>(right)].size > 0 &&
                    m_doc.StyleAt(col.sheetIndex + 1, row.sheetIndex).borders[kLeft] == b[kRight];
                if (!neighbourDraws) {
                    draw(b[kRight], {x2, y1}, {x2, y2}, false);
                }
            }
        }
    }
    for (LineBucket& bucket : m_buckets) {
        if (bucket.lines.empty()) {
            continue;
        }
        double widthPt = 0.5;
        Qt::PenStyle dash = Qt::SolidLine;
        LineLook(bucket.look.style, widthPt, dash);
        painter.setPen(
            QPen(FromBgr(bucket.look.colour), widthPt * devPerPt, dash, Qt::FlatCap, Qt::MiterJoin));
        MergeCollinear(bucket.lines, m_merged);
        painter.drawLines(m_merged.data(), static_cast<int>(m_merged.size()));
    }
}

void SheetPainter::AddLine(const BorderLine& look, QLineF line, double devPerPt) {
    LineBucket* bucket = nullptr;
    for (LineBucket& candidate : m_buckets) {
        if (candidate.look == look) {
            bucket = &candidate;
        }
    }
    if (bucket == nullptr) {
        bucket = &m_buckets.emplace_back(LineBucket{look, {}});
    }
    if (look.style == 4) { // double: two thin lines either side of the edge
        const double gap = 0.75 * devPerPt;
        const QPointF shift = line.dy() == 0 ? QPointF(0, gap) : QPointF(gap, 0);
        bucket->lines.push_back(line.translated(-shift));
        bucket->lines.push_back(line.translated(shift));
    } else {
        bucket->lines.push_back(line);
    }
}

void SheetPainter::PaintCellText(QPainter& painter, int col, int row, const QRectF& rect, double devPerPx) {
    double number = 0;
    std::string_view text;
    const int kind = m_doc.PeekCell(col, row, number, text);
    if (kind == 0) {
        return;
    }
    const std::uint32_t styleIndex = m_doc.StyleIndexAt(col, row);
    StyleCache& cache = CacheFor(styleIndex);
    bool red = false;
    if (kind == 1) {
        m_text.clear();
        cache.number->Append(m_text, number, red);
        text = m_text;
    }
    if (text.empty()) {
        return;
    }
    const CellStyle& style = m_doc.StyleByIndex(styleIndex);
    const QColor colour = red ? QColor(Qt::red) : QColor(Qt::black);
    const double pad = kTextPaddingPx * devPerPx;
    const QRectF inner = rect.adjusted(pad, 0, -pad, 0);
    const QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const int align = HorizontalFlags(style.align) | VerticalFlags(style.align);
    if (!DrawGlyphs(painter, cache, colour, shown, inner, align, kind == 1)) {
        FlushGlyphs(painter);
        if (painter.font() != cache.font) {
            painter.setFont(cache.font);
        }
        painter.setPen(colour);
        painter.drawText(inner, align | Qt::TextSingleLine, shown);
    }
}

void SheetPainter::FlushGlyphs(QPainter& painter) {
    if (m_runGlyphs.isEmpty()) {
        return;
    }
    QGlyphRun run;
    run.setRawFont(m_runFont);
    run.setGlyphIndexes(m_runGlyphs);
    run.setPositions(m_runPositions);
    painter.setPen(m_runColour);
    painter.drawGlyphRun(QPointF(0, 0), run);
    if (!m_runUnderlines.isEmpty()) {
        painter.setPen(QPen(m_runColour, m_runUnderlineWidth, Qt::SolidLine, Qt::FlatCap));
        painter.drawLines(m_runUnderlines);
        m_runUnderlines.clear();
    }
    m_runGlyphs.clear();
    m_runPositions.clear();
}

// The fast path for the texts of a report (hanzi, digits, Latin in one face): glyphs straight from
// the face's character map, placed by their advances, clipped only when they do not fit. It skips
// the text layout QPainter::drawText does for every call, which dominated the time of a long PDF.
// Texts of one face and colour gather into one glyph run until FlushGlyphs: a PDF then sets the
// text state once per run instead of once per cell, a quarter less content to write and compress.
// False (nothing drawn) when the face lacks a character, so that drawText falls back to other faces.
bool SheetPainter::DrawGlyphs(QPainter& painter, StyleCache& cache, const QColor& colour, const QString& text,
                              const QRectF& rect, int align, bool isNumber) {
    const double dpi = painter.device()->logicalDpiY();
    if (cache.rawDpi != dpi) {
        cache.raw = QRawFont::fromFont(cache.font, QFontDatabase::SimplifiedChinese);
        if (cache.raw.isValid()) {
            cache.raw.setPixelSize(cache.font.pointSizeF() * dpi / 72.0);
        }
        cache.rawDpi = dpi;
    }
    if (!cache.raw.isValid() || cache.font.italic()) { // synthesised slant needs the full path
        return false;
    }
    if (!Shape(cache.raw, text)) {
        return false;
    }
    double width = m_glyphs.isEmpty() ? 0 : m_advances.back().x() + m_widths.back();
    if (width > rect.width() + 0.5 && isNumber) {
        // A cut number would show another value: "###" as a sheet program does, as many as fit.
        const double hashWidth = Shape(cache.raw, QStringLiteral("#")) ? m_widths.front() : 0;
        const int hashes = hashWidth > 0 ? std::max(1, static_cast<int>(rect.width() / hashWidth)) : 0;
        if (hashes == 0 || !Shape(cache.raw, QString(hashes, QLatin1Char('#')))) {
            return false;
        }
        width = m_advances.back().x() + m_widths.back();
    }
    double x = rect.left();
    if (align & Qt::AlignHCenter) {
        x = rect.center().x() - width / 2;
    } else if (align & Qt::AlignRight) {
        x = rect.right() - width;
    }
    const double ascent = cache.raw.ascent(), descent = cache.raw.descent();
    double baseline = rect.bottom() - descent;
    if (align & Qt::AlignTop) {
        baseline = rect.top() + ascent;
    } else if (align & Qt::AlignVCenter) {
        baseline = rect.center().y() + (ascent - descent) / 2;
    }
    // A text wider than its cell loses the glyphs that would stick out, whole, instead of being cut
    // by a clip path: every clip is a graphics state of its own in a PDF.
    const bool tallerThanCell = ascent + descent > rect.height() + 0.5;
    const bool sameRun = m_runFont == cache.raw && m_runColour == colour;
    if (!sameRun || tallerThanCell) {
        FlushGlyphs(painter);
        m_runFont = cache.raw;
        m_runColour = colour;
    }
    constexpr double kSlack = 0.5; // device units: rounding of advances
    double inkLeft = rect.right(), inkRight = rect.left();
    for (qsizetype at = 0; at < m_glyphs.size(); ++at) {
        const double left = x + m_advances[at].x();
        if (left + kSlack >= rect.left() && left + m_widths[at] <= rect.right() + kSlack) {
            m_runGlyphs.push_back(m_glyphs[at]);
            m_runPositions.push_back(QPointF(left, baseline));
            inkLeft = std::min(inkLeft, left);
            inkRight = std::max(inkRight, left + m_widths[at]);
        }
    }
    // The underline belongs to this text, under the glyphs it placed. A run's own underline is drawn
    // from the run's origin: runs are drawn at (0, 0) with absolute glyph positions, so it landed as a
    // stray line at the page's left edge and no cell showed its own.
    if (cache.font.underline() && inkRight > inkLeft) {
        const double thickness = std::max(cache.raw.lineThickness(), 1.0);
        const double below = std::max(cache.raw.underlinePosition(), thickness);
        m_runUnderlines.push_back(QLineF(inkLeft, baseline + below, inkRight, baseline + below));
        m_runUnderlineWidth = thickness;
    }
    if (tallerThanCell) {
        painter.save();
        painter.setClipRect(rect, Qt::IntersectClip);
        FlushGlyphs(painter);
        painter.restore();
    }
    return true;
}

bool SheetPainter::Shape(const QRawFont& raw, const QString& text) {
    m_glyphs.resize(text.size());
    int count = static_cast<int>(text.size());
    if (!raw.glyphIndexesForChars(text.constData(), static_cast<int>(text.size()), m_glyphs.data(), &count)) {
        return false;
    }
    m_glyphs.resize(count);
    for (const quint32 glyph : m_glyphs) {
        if (glyph == 0) {
            return false;
        }
    }
    m_advances.resize(count);
    m_widths.resize(static_cast<std::size_t>(count));
    if (!raw.advancesForGlyphIndexes(m_glyphs.data(), m_advances.data(), count)) {
        return false;
    }
    double at = 0;
    for (qsizetype index = 0; index < count; ++index) {
        m_widths[static_cast<std::size_t>(index)] = m_advances[index].x();
        m_advances[index] = QPointF(at, 0); // from here on: the glyph's offset on the baseline
        at += m_widths[static_cast<std::size_t>(index)];
    }
    return true;
}

void SheetPainter::PaintPageLine(QPainter& painter, int number, double devPerPtX, double devPerPtY) {
    const PageLine& line = m_doc.GetPageLine();
    if (line.left.empty() && line.centre.empty() && line.right.empty()) {
        return;
    }
    QFont font(QStringLiteral("宋体"));
    font.setPointSizeF(kPageLineFontPt);
    font.setHintingPreference(QFont::PreferNoHinting);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const PageFrame& frame = m_pages.Frame();
    const QRectF band(0, (frame.heightPt - kPageLineBandPt) * devPerPtY, frame.widthPt * devPerPtX,
                      kPageLineBandPt * devPerPtY);
    const int pages = m_pages.PageCount();
    const struct {
        const std::string& text;
        int align;
    } parts[] = {{line.left, Qt::AlignLeft}, {line.centre, Qt::AlignHCenter}, {line.right, Qt::AlignRight}};
    for (const auto& part : parts) {
        if (!part.text.empty()) {
            painter.drawText(band, part.align | Qt::AlignBottom | Qt::TextSingleLine,
                             QString::fromStdString(ExpandPageText(part.text, number, pages)));
        }
    }
}

} // namespace sheet::qt
