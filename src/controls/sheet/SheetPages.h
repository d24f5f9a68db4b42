// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/SheetDocument.h"

#include <string>
#include <vector>

namespace sheet {

// Page geometry is in points (1/72 inch). Sheet pixels are taken at 96 per inch, so one pixel is
// three quarters of a point before the page set-up's scaling.
inline constexpr double kPointsPerPixel = 72.0 / 96.0;
inline constexpr double kPointsPerMm = 72.0 / 25.4;
// Height kept free at the foot of every page's printable area for the page line.
inline constexpr double kPageLineBandPt = 18;

// Paper width and height in millimetres, portrait.
void PaperSizeMm(Paper paper, double& widthMm, double& heightMm);

// The printable area of a page: paper (turned for landscape) less the margins, in points.
struct PageFrame {
    double widthPt = 0;
    double heightPt = 0;
    friend bool operator==(const PageFrame&, const PageFrame&) = default;
};
PageFrame FrameOf(const PageSetup& setup);

// An inclusive run of sheet rows or columns; empty when last < first.
struct Band {
    int first = 0;
    int last = -1;
    bool IsEmpty() const { return last < first; }
    friend bool operator==(const Band&, const Band&) = default;
};

// How a document falls onto pages: the body of the print range cut into row bands and column bands,
// pages numbered across then down, with the title rows and columns above and left of every page.
// Computed once in O(rows + columns + merged blocks); nothing is kept per cell, row or column.
class SheetPages {
public:
    // Pages of the document's print range (the used sheet when unset) in `frame`, scaled or fitted
    // as the document's page set-up says. Row heights and column widths are read from `doc`, which
    // must outlive the pages and keep its sizes while they are used.
    SheetPages(const SheetDocument& doc, const PageFrame& frame);

    struct Page {
        int number = 0; // 1-based
        Band rows;      // body rows of this page (title rows come on top)
        Band cols;      // body columns (title columns come on the left)
    };
    int PageCount() const { return static_cast<int>(m_rowBands.size() * m_colBands.size()); }
    // Page `index` (0-based, < PageCount()).
    Page PageAt(int index) const;

    Band TitleRows() const { return m_titleRows; }
    Band TitleCols() const { return m_titleCols; }
    const std::vector<Band>& RowBands() const { return m_rowBands; }
    const std::vector<Band>& ColBands() const { return m_colBands; }
    // Factor from points at 100 % to points on paper (the set-up's percentage, or the fitted one).
    double Scale() const { return m_scale; }
    // Points on paper that the content of a page takes (titles included, before centring).
    double ContentWidthPt(const Page& page) const;
    double ContentHeightPt(const Page& page) const;
    const PageFrame& Frame() const { return m_frame; }

    bool CheckConsistency() const;

private:
    // Rows (columns) before which a break would cut merged blocks, in runs of lines that cut the
    // same: a few runs per block, none for a line that cuts nothing.
    struct AnchorRun {
        int first = 0, last = -1; // the run's lines
        int anchor = 0;           // earliest line a break before them must move to
        int end = -1;             // last line of the blocks it would cut
    };
    // The runs of the lines inside `spans`, one span per block: a line inside several takes the
    // earliest anchor and the last end among them.
    static std::vector<AnchorRun> AnchorRuns(std::vector<AnchorRun> spans);
    // The run holding line `at`; nullptr when a break before it cuts nothing.
    static const AnchorRun* RunAt(const std::vector<AnchorRun>& runs, int at);

    int SizePx(bool rows, int at) const; // 0 for hidden
    double SumPx(bool rows, Band band) const;
    std::vector<Band> Cut(bool rows, Band body, double room) const;
    void Paginate(double scale);

    const SheetDocument* m_doc;
    PageFrame m_frame;
    Band m_titleRows, m_titleCols, m_bodyRows, m_bodyCols;
    std::vector<AnchorRun> m_rowAnchors, m_colAnchors; // ascending, disjoint
    std::vector<Band> m_rowBands, m_colBands;
    double m_scale = 1;
};

// One line per page, "page 2: rows 41-80 cols C-F", for tests and diagnostics.
std::string DumpPages(const SheetPages& pages);

} // namespace sheet
