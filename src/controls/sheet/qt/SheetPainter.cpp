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
#include "controls/sheet/qt/ReportFonts.h"
#include "controls/sheet/qt/SheetPainter_p.h"

#include <algorithm>
#include <cmath>

#include <QPaintDevice>
#include <QPainter>
#include <QPen>

namespace sheet::qt {

namespace {

constexpr double kTextPaddingPx = 2;
constexpr double kPageLineFontPt = 9;

QColor FromBgr(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
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
    if (align & 1) {
        return Qt::AlignLeft;
    }
    if (align & 4) {
        return Qt::AlignHCenter;
    }
    return Qt::AlignRight;
}

int VerticalFlags(std::int32_t align) {
    if (align & 8) {
        return Qt::AlignTop;
    }
    if (align & 32) {
        return Qt::AlignVCenter;
    }
    return Qt::AlignBottom;
}

// Index of a sheet row/column in a laid-out band, or -1.
int IndexIn(const std::vector<SheetPainter::Line>& lines, int sheetIndex) {
    if (lines.empty() || sheetIndex < lines.front().sheetIndex || sheetIndex > lines.back().sheetIndex) {
        return -1;
    }
    return sheetIndex - lines.front().sheetIndex;
}

} // namespace

SheetPainter::SheetPainter(const SheetDocument& doc, const SheetPages& pages)
    : m_doc(doc), m_pages(pages), m_styles(doc.StyleCount()) {
    InstallReportFonts();
}

const SheetPainter::StyleCache& SheetPainter::CacheFor(std::uint32_t styleIndex) {
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
    for (const std::vector<Line>* rows : {&m_titleRows, &m_bodyRows}) {
        for (const std::vector<Line>* cols : {&m_titleCols, &m_bodyCols}) {
            if (!rows->empty() && !cols->empty()) {
                PaintBlock(painter, *rows, *cols, devPerPtX);
            }
        }
    }
    painter.restore();
    PaintPageLine(painter, page.number, devPerPtX, devPerPtY);
}

void SheetPainter::PaintBlock(QPainter& painter, const std::vector<Line>& rows, const std::vector<Line>& cols,
                              double devPerPt) {
    const double devPerPx = devPerPt * kPointsPerPixel * m_pages.Scale();
    const auto spanRect = [&](int c1, int r1, int c2, int r2) {
        const Line& left = cols[static_cast<std::size_t>(c1 - cols.front().sheetIndex)];
        const Line& right = cols[static_cast<std::size_t>(c2 - cols.front().sheetIndex)];
        const Line& top = rows[static_cast<std::size_t>(r1 - rows.front().sheetIndex)];
        const Line& bottom = rows[static_cast<std::size_t>(r2 - rows.front().sheetIndex)];
        return QRectF(QPointF(left.start, top.start),
                      QPointF(right.start + right.size, bottom.start + bottom.size));
    };

    // Texts first, lines over them, as a sheet program prints.
    for (const Line& row : rows) {
        if (row.size <= 0) {
            continue;
        }
        for (const Line& col : cols) {
            if (col.size <= 0) {
                continue;
            }
            int c1 = col.sheetIndex, r1 = row.sheetIndex, c2 = c1, r2 = r1;
            if (m_doc.GetMergeRange(col.sheetIndex, row.sheetIndex, c1, r1, c2, r2)) {
                const int firstCol = std::max(c1, cols.front().sheetIndex);
                const int firstRow = std::max(r1, rows.front().sheetIndex);
                // Painted at its first visible cell of the block only.
                bool isFirst = true;
                for (int at = firstCol; at < col.sheetIndex && isFirst; ++at) {
                    isFirst = cols[static_cast<std::size_t>(at - cols.front().sheetIndex)].size <= 0;
                }
                for (int at = firstRow; at < row.sheetIndex && isFirst; ++at) {
                    isFirst = rows[static_cast<std::size_t>(at - rows.front().sheetIndex)].size <= 0;
                }
                if (!isFirst) {
                    continue;
                }
                const QRectF rect = spanRect(firstCol, firstRow, std::min(c2, cols.back().sheetIndex),
                                             std::min(r2, rows.back().sheetIndex));
                PaintCellText(painter, c1, r1, rect, devPerPx);
            } else {
                QRectF rect(col.start, row.start, col.size, row.size);
                double number = 0;
                std::string_view text;
                // A left-aligned text runs on over empty neighbours, as in a sheet program, instead of
                // being cut at its own cell ("（本行没有字段…" in a narrow first column).
                if ((m_doc.StyleAt(col.sheetIndex, row.sheetIndex).align & 1) != 0 &&
                    m_doc.PeekCell(col.sheetIndex, row.sheetIndex, number, text) == 2) {
                    for (int next = IndexIn(cols, col.sheetIndex + 1);
                         next >= 0 && next < static_cast<int>(cols.size()); ++next) {
                        const Line& right = cols[static_cast<std::size_t>(next)];
                        int m1 = 0, m2 = 0, m3 = 0, m4 = 0;
                        if (m_doc.PeekCell(right.sheetIndex, row.sheetIndex, number, text) != 0 ||
                            m_doc.GetMergeRange(right.sheetIndex, row.sheetIndex, m1, m2, m3, m4)) {
                            break;
                        }
                        rect.setRight(right.start + right.size);
                    }
                }
                PaintCellText(painter, col.sheetIndex, row.sheetIndex, rect, devPerPx);
            }
        }
    }

    // Lines, one pen change per change of style.
    int penStyle = -1;
    std::uint32_t penColour = 0;
    double doubleGap = 0;
    const auto usePen = [&](const BorderLine& line) {
        if (line.style == penStyle && line.colour == penColour) {
            return;
        }
        double widthPt = 0.5;
        Qt::PenStyle dash = Qt::SolidLine;
        LineLook(line.style, widthPt, dash);
        QPen pen(FromBgr(line.colour), widthPt * devPerPt, dash, Qt::FlatCap, Qt::MiterJoin);
        painter.setPen(pen);
        penStyle = line.style;
        penColour = line.colour;
        doubleGap = line.style == 4 ? 0.75 * devPerPt : 0;
    };
    const auto draw = [&](const BorderLine& line, QPointF from, QPointF to, bool horizontal) {
        usePen(line);
        if (doubleGap > 0) {
            const QPointF shift = horizontal ? QPointF(0, doubleGap) : QPointF(doubleGap, 0);
            painter.drawLine(from - shift, to - shift);
            painter.drawLine(from + shift, to + shift);
        } else {
            painter.drawLine(from, to);
        }
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
}

void SheetPainter::PaintCellText(QPainter& painter, int col, int row, const QRectF& rect, double devPerPx) {
    double number = 0;
    std::string_view text;
    const int kind = m_doc.PeekCell(col, row, number, text);
    if (kind == 0) {
        return;
    }
    const std::uint32_t styleIndex = m_doc.StyleIndexAt(col, row);
    const StyleCache& cache = CacheFor(styleIndex);
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
    if (painter.font() != cache.font) {
        painter.setFont(cache.font);
    }
    const QColor colour = red ? QColor(Qt::red) : QColor(Qt::black);
    if (painter.pen().color() != colour || painter.pen().style() != Qt::SolidLine) {
        painter.setPen(colour);
    }
    const double pad = kTextPaddingPx * devPerPx;
    const QRectF inner = rect.adjusted(pad, 0, -pad, 0);
    painter.drawText(inner, HorizontalFlags(style.align) | VerticalFlags(style.align) | Qt::TextSingleLine,
                     QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
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
