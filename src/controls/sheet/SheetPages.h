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
// Computed once in O(rows + columns + merged cells); nothing is kept per cell.
class SheetPages {
public:
    // Pages of the document's print range (the used sheet when unset) in `frame`, scaled or fitted
    // as the document's page set-up says.
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
    void Paginate(double scale);

    PageFrame m_frame;
    Band m_titleRows, m_titleCols, m_bodyRows, m_bodyCols;
    std::vector<int> m_rowHeightPx, m_colWidthPx;    // by sheet index, 0 for hidden
    std::vector<int> m_rowAnchor, m_colAnchor;       // earliest row/col a break before it must move to
    std::vector<int> m_rowAnchorEnd, m_colAnchorEnd; // last row/col of the blocks it would cut
    std::vector<Band> m_rowBands, m_colBands;
    double m_scale = 1;
};

// One line per page, "page 2: rows 41-80 cols C-F", for tests and diagnostics.
std::string DumpPages(const SheetPages& pages);

} // namespace sheet
