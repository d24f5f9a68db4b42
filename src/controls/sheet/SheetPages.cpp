// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Pagination of the print sheet.
//
// 1. What prints: the print range (the used part of the sheet when none is set) less the title rows
//    and columns, which are the first titleRows rows / titleCols columns of the sheet and repeat on
//    every page. Body rows start at max(print range top, titleRows) so a title row never prints
//    twice on page 1.
// 2. Rows and columns of zero size take no room and never start a band of their own content; they
//    stay inside band ranges so that band ranges stay contiguous and merged blocks can be measured
//    by prefix sums.
// 3. A band holds as many whole rows (columns) as fit in the room left by the titles. A row is never
//    cut; one row taller than the page gets a page of its own and is clipped by the painter.
// 4. A break that would cut a merged block moves up to the block's first row (column), unless the
//    block started on the page itself: a block taller than a page has to be cut somewhere.
//    m_rowAnchor[r] is the smallest first row of the blocks a break before r would cut (r itself when
//    none) and m_rowAnchorEnd[r] their largest last row, so moving a break is a few array reads,
//    never a search through the merges.
// 5. Pages go across then down: page = rowBand * colBands + colBand.
// 6. Fitting to N pages wide / M tall computes the scale that makes the sizes fit and then shrinks it
//    a little at a time while whole-row breaking still needs more bands; never above 100 %.
#include "controls/sheet/SheetPages.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace sheet {

namespace {

constexpr double kMinScale = 0.1;
constexpr double kMaxScale = 4.0;

// The last row and column holding a value, a border or a merged block; -1 when none.
void UsedExtent(const SheetDocument& doc, int& lastCol, int& lastRow) {
    lastCol = -1;
    lastRow = -1;
    double number = 0;
    std::string_view text;
    for (int row = 0; row < doc.SheetRowCount(); ++row) {
        for (int col = 0; col < doc.StoredColCount(row); ++col) {
            bool used = doc.PeekCell(col, row, number, text) != 0;
            if (!used && doc.StyleIndexAt(col, row) != 0) {
                const CellStyle& style = doc.StyleAt(col, row);
                used = std::any_of(style.borders.begin(), style.borders.end(),
                                   [](const BorderLine& line) { return line.style != 0; });
            }
            if (used) {
                lastRow = row;
                lastCol = std::max(lastCol, col);
            }
        }
    }
    for (const MergeRange& merge : doc.Merges()) {
        lastCol = std::max(lastCol, merge.c2);
        lastRow = std::max(lastRow, merge.r2);
    }
}

// Cuts [body.first, body.last] into bands of at most `room` pixels (rule 3 and 4).
double SumPx(const std::vector<int>& sizePx, Band band) {
    double sum = 0;
    for (int at = band.first; at <= band.last; ++at) {
        sum += sizePx[static_cast<std::size_t>(at)];
    }
    return sum;
}

std::vector<Band> Cut(Band body, const std::vector<int>& sizePx, const std::vector<int>& anchor,
                      const std::vector<int>& anchorEnd, double room) {
    std::vector<Band> bands;
    int start = body.first;
    while (start <= body.last) {
        double used = 0;
        int next = start;
        // At least one visible line per band, else a row taller than the page would loop forever.
        bool hasVisible = false;
        while (next <= body.last) {
            const int size = sizePx[static_cast<std::size_t>(next)];
            if (hasVisible && size > 0 && used + size > room) {
                break;
            }
            used += size;
            hasVisible = hasVisible || size > 0;
            ++next;
        }
        if (next <= body.last) {
            int moved = next;
            while (anchor[static_cast<std::size_t>(moved)] < moved) {
                const int blockFirst = anchor[static_cast<std::size_t>(moved)];
                const int blockLast = anchorEnd[static_cast<std::size_t>(moved)];
                // Rule 4: a block that began at the band's start, or that no page could hold, is cut
                // where the page ends.
                if (blockFirst <= start || SumPx(sizePx, {blockFirst, blockLast}) > room) {
                    moved = next;
                    break;
                }
                moved = blockFirst;
            }
            next = moved;
        }
        bands.push_back({start, next - 1});
        start = next;
    }
    if (bands.empty()) {
        bands.push_back({body.first, body.first - 1});
    }
    return bands;
}

} // namespace

void PaperSizeMm(Paper paper, double& widthMm, double& heightMm) {
    switch (paper) {
    case Paper::A3:
        widthMm = 297, heightMm = 420;
        return;
    case Paper::A5:
        widthMm = 148, heightMm = 210;
        return;
    case Paper::B4:
        widthMm = 250, heightMm = 353;
        return;
    case Paper::B5:
        widthMm = 176, heightMm = 250;
        return;
    case Paper::Letter:
        widthMm = 215.9, heightMm = 279.4;
        return;
    case Paper::Legal:
        widthMm = 215.9, heightMm = 355.6;
        return;
    case Paper::A4:
        break;
    }
    widthMm = 210, heightMm = 297;
}

PageFrame FrameOf(const PageSetup& setup) {
    double widthMm = 0, heightMm = 0;
    PaperSizeMm(setup.paper, widthMm, heightMm);
    if (setup.landscape) {
        std::swap(widthMm, heightMm);
    }
    PageFrame frame;
    frame.widthPt = std::max(0.0, (widthMm - setup.marginLeftMm - setup.marginRightMm) * kPointsPerMm);
    frame.heightPt = std::max(0.0, (heightMm - setup.marginTopMm - setup.marginBottomMm) * kPointsPerMm);
    return frame;
}

SheetPages::SheetPages(const SheetDocument& doc, const PageFrame& frame) : m_frame(frame) {
    const PrintArea& area = doc.GetPrintArea();
    int lastCol = -1, lastRow = -1;
    int firstCol = 0, firstRow = 0;
    if (area.IsSet()) {
        firstCol = area.c1, firstRow = area.r1;
        lastCol = std::min(area.c2, doc.SheetColCount() - 1);
        lastRow = std::min(area.r2, doc.SheetRowCount() - 1);
    } else {
        UsedExtent(doc, lastCol, lastRow);
    }
    const int titleRows = std::min(area.titleRows, doc.SheetRowCount());
    const int titleCols = std::min(area.titleCols, doc.SheetColCount());
    m_titleRows = {0, titleRows - 1};
    m_titleCols = {0, titleCols - 1};
    m_bodyRows = {std::max(firstRow, titleRows), lastRow};
    m_bodyCols = {std::max(firstCol, titleCols), lastCol};

    const int rowEnd = std::max(m_bodyRows.last, m_titleRows.last) + 1;
    const int colEnd = std::max(m_bodyCols.last, m_titleCols.last) + 1;
    m_rowHeightPx.assign(static_cast<std::size_t>(std::max(rowEnd, 0)), 0);
    m_colWidthPx.assign(static_cast<std::size_t>(std::max(colEnd, 0)), 0);
    for (int row = 0; row < rowEnd; ++row) {
        doc.GetRowHeight(row, m_rowHeightPx[static_cast<std::size_t>(row)]);
    }
    for (int col = 0; col < colEnd; ++col) {
        doc.GetColWidth(col, m_colWidthPx[static_cast<std::size_t>(col)]);
    }

    m_rowAnchor.resize(m_rowHeightPx.size());
    m_colAnchor.resize(m_colWidthPx.size());
    m_rowAnchorEnd.assign(m_rowHeightPx.size(), -1);
    m_colAnchorEnd.assign(m_colWidthPx.size(), -1);
    for (std::size_t at = 0; at < m_rowAnchor.size(); ++at) {
        m_rowAnchor[at] = static_cast<int>(at);
    }
    for (std::size_t at = 0; at < m_colAnchor.size(); ++at) {
        m_colAnchor[at] = static_cast<int>(at);
    }
    // Only blocks inside the body matter: title blocks never meet a break.
    for (const MergeRange& merge : doc.Merges()) {
        if (merge.c2 >= m_bodyCols.first && merge.c1 <= m_bodyCols.last && merge.r2 >= m_bodyRows.first &&
            merge.r1 <= m_bodyRows.last) {
            for (int row = std::max(merge.r1 + 1, m_bodyRows.first);
                 row <= std::min(merge.r2, m_bodyRows.last); ++row) {
                int& anchor = m_rowAnchor[static_cast<std::size_t>(row)];
                anchor = std::min(anchor, std::max(merge.r1, m_bodyRows.first));
                int& end = m_rowAnchorEnd[static_cast<std::size_t>(row)];
                end = std::max(end, std::min(merge.r2, m_bodyRows.last));
            }
            for (int col = std::max(merge.c1 + 1, m_bodyCols.first);
                 col <= std::min(merge.c2, m_bodyCols.last); ++col) {
                int& anchor = m_colAnchor[static_cast<std::size_t>(col)];
                anchor = std::min(anchor, std::max(merge.c1, m_bodyCols.first));
                int& end = m_colAnchorEnd[static_cast<std::size_t>(col)];
                end = std::max(end, std::min(merge.c2, m_bodyCols.last));
            }
        }
    }

    const PageSetup& setup = doc.GetPageSetup();
    const bool fitting = setup.fitWide > 0 || setup.fitTall > 0;
    if (!fitting) {
        Paginate(std::clamp(setup.scalePercent / 100.0, kMinScale, kMaxScale));
        return;
    }
    const double titleW = SumPx(m_colWidthPx, m_titleCols), titleH = SumPx(m_rowHeightPx, m_titleRows);
    const double bodyW = SumPx(m_colWidthPx, m_bodyCols), bodyH = SumPx(m_rowHeightPx, m_bodyRows);
    const double roomW = m_frame.widthPt / kPointsPerPixel;
    const double roomH = std::max(0.0, m_frame.heightPt - kPageLineBandPt) / kPointsPerPixel;
    double scale = 1;
    if (setup.fitWide > 0 && bodyW > 0) {
        scale = std::min(scale, roomW * setup.fitWide / (bodyW + titleW * setup.fitWide));
    }
    if (setup.fitTall > 0 && bodyH > 0) {
        scale = std::min(scale, roomH * setup.fitTall / (bodyH + titleH * setup.fitTall));
    }
    scale = std::clamp(scale, kMinScale, 1.0);
    // Whole rows and kept merges waste some room, so the first estimate may need a little more.
    for (int attempt = 0; attempt < 40; ++attempt) {
        Paginate(scale);
        const bool wideOk = setup.fitWide <= 0 || static_cast<int>(m_colBands.size()) <= setup.fitWide;
        const bool tallOk = setup.fitTall <= 0 || static_cast<int>(m_rowBands.size()) <= setup.fitTall;
        if ((wideOk && tallOk) || scale <= kMinScale) {
            break;
        }
        scale = std::max(kMinScale, scale * 0.97);
    }
}

void SheetPages::Paginate(double scale) {
    m_scale = scale;
    const double pxPerPt = 1.0 / (kPointsPerPixel * scale);
    const double roomW = m_frame.widthPt * pxPerPt - SumPx(m_colWidthPx, m_titleCols);
    const double roomH =
        std::max(0.0, m_frame.heightPt - kPageLineBandPt) * pxPerPt - SumPx(m_rowHeightPx, m_titleRows);
    m_rowBands = Cut(m_bodyRows, m_rowHeightPx, m_rowAnchor, m_rowAnchorEnd, roomH);
    m_colBands = Cut(m_bodyCols, m_colWidthPx, m_colAnchor, m_colAnchorEnd, roomW);
    assert(CheckConsistency()); // a band list that skips or repeats lines would lose or double data
}

SheetPages::Page SheetPages::PageAt(int index) const {
    const int across = static_cast<int>(m_colBands.size());
    Page page;
    page.number = index + 1;
    page.rows = m_rowBands[static_cast<std::size_t>(index / across)];
    page.cols = m_colBands[static_cast<std::size_t>(index % across)];
    return page;
}

double SheetPages::ContentWidthPt(const Page& page) const {
    return (SumPx(m_colWidthPx, m_titleCols) + SumPx(m_colWidthPx, page.cols)) * kPointsPerPixel * m_scale;
}

double SheetPages::ContentHeightPt(const Page& page) const {
    return (SumPx(m_rowHeightPx, m_titleRows) + SumPx(m_rowHeightPx, page.rows)) * kPointsPerPixel * m_scale;
}

bool SheetPages::CheckConsistency() const {
    const auto contiguous = [](const std::vector<Band>& bands, Band body) {
        if (bands.empty()) {
            return false;
        }
        if (body.IsEmpty()) {
            return bands.size() == 1 && bands[0].IsEmpty();
        }
        int expected = body.first;
        for (const Band& band : bands) {
            if (band.first != expected || band.IsEmpty()) {
                return false;
            }
            expected = band.last + 1;
        }
        return expected == body.last + 1;
    };
    return contiguous(m_rowBands, m_bodyRows) && contiguous(m_colBands, m_bodyCols) && m_scale > 0;
}

std::string DumpPages(const SheetPages& pages) {
    std::string out;
    const auto appendBand = [&out](const char* what, Band band, bool columns) {
        out += what;
        if (band.IsEmpty()) {
            out += " -";
            return;
        }
        out += ' ';
        out += columns ? ColumnName(band.first) : std::to_string(band.first + 1);
        out += '-';
        out += columns ? ColumnName(band.last) : std::to_string(band.last + 1);
    };
    for (int index = 0; index < pages.PageCount(); ++index) {
        const SheetPages::Page page = pages.PageAt(index);
        out += "page ";
        out += std::to_string(page.number);
        out += ':';
        appendBand(" rows", page.rows, false);
        appendBand(" cols", page.cols, true);
        out += '\n';
    }
    return out;
}

} // namespace sheet
