// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/grid/GridModel.h"

#include <optional>
#include <vector>

namespace grid {

// One cell (or merged block) to draw, in viewport pixels.
struct PaintCell {
    int row = 0;
    int col = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool isFrozen = false; // in the header rows or the fixed columns: not scrolled that way
    friend bool operator==(const PaintCell&, const PaintCell&) = default;
};

// Where a scroll position puts the grid: the first data row shown at the top of the data area and
// the horizontal offset of the scrolled columns, in pixels.
struct GridViewport {
    int firstDataRow = 0; // counted from the first row below the header
    int scrollX = 0;
    int width = 0;
    int height = 0;
};

// The grid's pixel geometry for a screen: column positions, frozen header rows and fixed columns, the
// cells a viewport shows, and hit testing. Pure arithmetic on the model, so painting, clicking and
// dragging are tested without a window.
//
// Scrolling is by whole data rows: the cost of laying out a screen depends on the screen, never on
// how far down it is (no sum over the heights of the rows above). Columns scroll by pixels.
class GridLayout {
public:
    explicit GridLayout(const GridModel& model, double twipsPerPixel = 15);

    // Re-reads column widths, hidden flags and header heights; call after a Layout change.
    void Update();
    // The viewport's width (0: not known). Fixed columns wider than two thirds of it are not kept
    // at the left, so a narrow window can still scroll to every column.
    void SetViewportWidth(int widthPx);
    // The columns kept at the left: the model's fixed columns, or none while they would fill the screen.
    int FixedColCount() const { return m_fixedCols; }
    double TwipsPerPixel() const noexcept { return m_twipsPerPixel; }
    int ToPixels(int twips) const;
    int ToTwips(int pixels) const;

    int ColumnX(int col) const { return m_columnX[static_cast<std::size_t>(col)]; } // content x
    int ColumnWidth(int col) const { return m_columnX[static_cast<std::size_t>(col) + 1] - ColumnX(col); }
    int ContentWidth() const { return m_columnX.back(); }
    int FrozenWidth() const { return m_frozenWidth; }
    int HeaderHeight() const { return m_headerHeight; }
    int RowHeight(int row) const;
    int DataRowCount() const;
    // Data rows that fit in the viewport below the header (at least 1 when there are any).
    int RowsPerPage(const GridViewport& viewport) const;
    // The largest firstDataRow that still fills the screen to its last row.
    int MaxFirstDataRow(const GridViewport& viewport) const;

    // The first scrolled column that shows at the left of the scrolled area at a horizontal offset, and
    // the offset that puts a column there (0 for a fixed column or one outside the grid). A column cut
    // by the edge counts as the one at the left, so going back to it shows it whole.
    int LeftColumnAt(int scrollX) const;
    int ScrollXForColumn(int col) const;

    // Calls fn(PaintCell) for every cell the viewport shows: merged header blocks once, covered cells
    // not at all, hidden columns never. Header cells come first, then data rows from the top.
    template <typename Fn> void ForEachVisibleCell(const GridViewport& viewport, Fn fn) const {
        for (const PaintCell& cell : VisibleCells(viewport)) {
            fn(cell);
        }
    }
    std::vector<PaintCell> VisibleCells(const GridViewport& viewport) const;
    // The cell under a viewport point; nullopt outside the cells.
    std::optional<PaintCell> HitTest(const GridViewport& viewport, int x, int y) const;
    // The column whose right edge is within a few pixels of x in the header rows, for resizing.
    std::optional<int> ResizeColumnAt(const GridViewport& viewport, int x, int y) const;
    // The cell's rectangle in the viewport, or nullopt when it is scrolled out of view.
    std::optional<PaintCell> CellRect(const GridViewport& viewport, int row, int col) const;

private:
    int ViewX(const GridViewport& viewport, int col) const;
    void AddRow(const GridViewport& viewport, int row, int y, int height, std::vector<PaintCell>& out) const;
    void FixColumns();

    const GridModel& m_model;
    double m_twipsPerPixel;
    std::vector<int> m_columnX; // content x of each column's left edge, plus the right end
    int m_frozenWidth = 0;
    int m_fixedCols = 0;
    int m_viewportWidth = 0;
    int m_headerHeight = 0;
};

} // namespace grid
