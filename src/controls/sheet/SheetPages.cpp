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
//    The anchor of row r is the smallest first row of the blocks a break before r would cut (r itself
//    when none) and its end their largest last row. They are kept as runs of rows with the same
//    anchor and end, so moving a break is a binary search through a few runs per merged block, never
//    a search through the merges nor a table as long as the sheet.
// 7. Sizes are read from the document when needed: a print sheet of a million rows gets no second
//    table of its heights.
// 5. Pages go across then down: page = rowBand * colBands + colBand.
// 6. Fitting to N pages wide / M tall computes the scale that makes the sizes fit and then shrinks it
//    a little at a time while whole-row breaking still needs more bands; never above 100 %.
#include "controls/sheet/SheetPages.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <iterator>
#include <set>
#include <utility>

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

SheetPages::SheetPages(const SheetDocument& doc, const PageFrame& frame) : m_doc(&doc), m_frame(frame) {
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

    // Only blocks inside the body matter: title blocks never meet a break.
    std::vector<AnchorRun> rowSpans, colSpans;
    for (const MergeRange& merge : doc.Merges()) {
        if (merge.c2 >= m_bodyCols.first && merge.c1 <= m_bodyCols.last && merge.r2 >= m_bodyRows.first &&
            merge.r1 <= m_bodyRows.last) {
            const AnchorRun rows{std::max(merge.r1 + 1, m_bodyRows.first),
                                 std::min(merge.r2, m_bodyRows.last), std::max(merge.r1, m_bodyRows.first),
                                 std::min(merge.r2, m_bodyRows.last)};
            const AnchorRun cols{std::max(merge.c1 + 1, m_bodyCols.first),
                                 std::min(merge.c2, m_bodyCols.last), std::max(merge.c1, m_bodyCols.first),
                                 std::min(merge.c2, m_bodyCols.last)};
            for (const auto& [span, spans] : {std::pair{rows, &rowSpans}, std::pair{cols, &colSpans}}) {
                if (span.first <= span.last) {
                    spans->push_back(span);
                }
            }
        }
    }
    m_rowAnchors = AnchorRuns(std::move(rowSpans));
    m_colAnchors = AnchorRuns(std::move(colSpans));

    const PageSetup& setup = doc.GetPageSetup();
    const bool fitting = setup.fitWide > 0 || setup.fitTall > 0;
    if (!fitting) {
        Paginate(std::clamp(setup.scalePercent / 100.0, kMinScale, kMaxScale));
        return;
    }
    const double titleW = SumPx(false, m_titleCols), titleH = SumPx(true, m_titleRows);
    const double bodyW = SumPx(false, m_bodyCols), bodyH = SumPx(true, m_bodyRows);
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

int SheetPages::SizePx(bool rows, int at) const {
    int px = 0;
    if (rows) {
        m_doc->GetRowHeight(at, px);
    } else {
        m_doc->GetColWidth(at, px);
    }
    return px;
}

double SheetPages::SumPx(bool rows, Band band) const {
    double sum = 0;
    for (int at = band.first; at <= band.last; ++at) {
        sum += SizePx(rows, at);
    }
    return sum;
}

std::vector<SheetPages::AnchorRun> SheetPages::AnchorRuns(std::vector<AnchorRun> spans) {
    // A sweep over the spans' edges: between two edges the same spans hold every line.
    std::vector<int> edges;
    for (const AnchorRun& span : spans) {
        edges.push_back(span.first);
        edges.push_back(span.last + 1);
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    std::vector<AnchorRun> byLast = spans;
    std::sort(spans.begin(), spans.end(),
              [](const AnchorRun& a, const AnchorRun& b) { return a.first < b.first; });
    std::sort(byLast.begin(), byLast.end(),
              [](const AnchorRun& a, const AnchorRun& b) { return a.last < b.last; });
    std::multiset<int> anchors, ends; // of the spans holding the current lines
    std::vector<AnchorRun> runs;
    std::size_t entered = 0, left = 0;
    for (std::size_t k = 0; k + 1 < edges.size(); ++k) {
        const int at = edges[k];
        for (; left < byLast.size() && byLast[left].last < at; ++left) {
            anchors.erase(anchors.find(byLast[left].anchor));
            ends.erase(ends.find(byLast[left].end));
        }
        for (; entered < spans.size() && spans[entered].first == at; ++entered) {
            anchors.insert(spans[entered].anchor);
            ends.insert(spans[entered].end);
        }
        if (anchors.empty()) {
            continue;
        }
        const AnchorRun run{at, edges[k + 1] - 1, *anchors.begin(), *ends.rbegin()};
        if (!runs.empty() && runs.back().last + 1 == run.first && runs.back().anchor == run.anchor &&
            runs.back().end == run.end) {
            runs.back().last = run.last;
        } else {
            runs.push_back(run);
        }
    }
    return runs;
}

const SheetPages::AnchorRun* SheetPages::RunAt(const std::vector<AnchorRun>& runs, int at) {
    const auto after = std::upper_bound(runs.begin(), runs.end(), at,
                                        [](int line, const AnchorRun& run) { return line < run.first; });
    return after == runs.begin() || std::prev(after)->last < at ? nullptr : &*std::prev(after);
}

// Cuts [body.first, body.last] into bands of at most `room` pixels (rule 3 and 4).
std::vector<Band> SheetPages::Cut(bool rows, Band body, double room) const {
    const std::vector<AnchorRun>& anchors = rows ? m_rowAnchors : m_colAnchors;
    std::vector<Band> bands;
    int start = body.first;
    while (start <= body.last) {
        double used = 0;
        int next = start;
        // At least one visible line per band, else a row taller than the page would loop forever.
        bool hasVisible = false;
        while (next <= body.last) {
            const int size = SizePx(rows, next);
            if (hasVisible && size > 0 && used + size > room) {
                break;
            }
            used += size;
            hasVisible = hasVisible || size > 0;
            ++next;
        }
        if (next <= body.last) {
            int moved = next;
            for (const AnchorRun* run = RunAt(anchors, moved); run != nullptr && run->anchor < moved;
                 run = RunAt(anchors, moved)) {
                // Rule 4: a block that began at the band's start, or that no page could hold, is cut
                // where the page ends.
                if (run->anchor <= start || SumPx(rows, {run->anchor, run->end}) > room) {
                    moved = next;
                    break;
                }
                moved = run->anchor;
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

void SheetPages::Paginate(double scale) {
    m_scale = scale;
    const double pxPerPt = 1.0 / (kPointsPerPixel * scale);
    const double roomW = m_frame.widthPt * pxPerPt - SumPx(false, m_titleCols);
    const double roomH =
        std::max(0.0, m_frame.heightPt - kPageLineBandPt) * pxPerPt - SumPx(true, m_titleRows);
    m_rowBands = Cut(true, m_bodyRows, roomH);
    m_colBands = Cut(false, m_bodyCols, roomW);
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
    return (SumPx(false, m_titleCols) + SumPx(false, page.cols)) * kPointsPerPixel * m_scale;
}

double SheetPages::ContentHeightPt(const Page& page) const {
    return (SumPx(true, m_titleRows) + SumPx(true, page.rows)) * kPointsPerPixel * m_scale;
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
