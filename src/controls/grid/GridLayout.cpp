// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Pixel sizes are twips divided by the twips per pixel, rounded halves to even, the same rounding the
// print transfer uses, so a column is as wide on screen as the report window later reports it.
#include "controls/grid/GridLayout.h"

#include "vb/Conversion.h"

#include <algorithm>

namespace grid {

namespace {
constexpr int kResizeGrip = 3; // pixels either side of a column edge that grab it
} // namespace

GridLayout::GridLayout(const GridModel& model, double twipsPerPixel)
    : m_model(model), m_twipsPerPixel(twipsPerPixel > 0 ? twipsPerPixel : 15) {
    Update();
}

int GridLayout::ToPixels(int twips) const {
    return static_cast<int>(vb::RoundHalfEven(twips / m_twipsPerPixel));
}

int GridLayout::ToTwips(int pixels) const {
    return static_cast<int>(vb::RoundHalfEven(pixels * m_twipsPerPixel));
}

void GridLayout::Update() {
    const int cols = m_model.GridColCount();
    m_columnX.assign(static_cast<std::size_t>(cols) + 1, 0);
    for (int col = 0; col < cols; ++col) {
        const int width = m_model.ColHiddenFlag(col) ? 0 : ToPixels(m_model.ColWidthTwips(col));
        m_columnX[static_cast<std::size_t>(col) + 1] = m_columnX[static_cast<std::size_t>(col)] + width;
    }
    FixColumns();
    m_headerHeight = 0;
    for (int row = 0; row < m_model.HeaderRowCount(); ++row) {
        m_headerHeight += RowHeight(row);
    }
}

void GridLayout::SetViewportWidth(int widthPx) {
    m_viewportWidth = std::max(widthPx, 0);
    FixColumns();
}

void GridLayout::FixColumns() {
    m_fixedCols = std::min(m_model.HeaderColCount(), static_cast<int>(m_columnX.size()) - 1);
    if (m_viewportWidth > 0 && m_columnX[static_cast<std::size_t>(m_fixedCols)] * 3 > m_viewportWidth * 2) {
        m_fixedCols = 0;
    }
    m_frozenWidth = m_columnX[static_cast<std::size_t>(m_fixedCols)];
}

int GridLayout::RowHeight(int row) const {
    return ToPixels(m_model.RowHeightTwips(row));
}

int GridLayout::DataRowCount() const {
    return m_model.GridRowCount() - m_model.HeaderRowCount();
}

int GridLayout::RowsPerPage(const GridViewport& viewport) const {
    int rows = 0;
    int y = m_headerHeight;
    for (int row = m_model.HeaderRowCount() + viewport.firstDataRow; row < m_model.GridRowCount(); ++row) {
        y += RowHeight(row);
        if (y > viewport.height) {
            break;
        }
        ++rows;
    }
    return std::max(rows, 1);
}

int GridLayout::MaxFirstDataRow(const GridViewport& viewport) const {
    // Walk up from the last row until the screen is full: the work is one screen of rows.
    int y = m_headerHeight;
    int first = DataRowCount();
    while (first > 0) {
        const int height = RowHeight(m_model.HeaderRowCount() + first - 1);
        if (y + height > viewport.height) {
            break;
        }
        y += height;
        --first;
    }
    return std::min(first, std::max(DataRowCount() - 1, 0));
}

int GridLayout::LeftColumnAt(int scrollX) const {
    const int cols = m_model.GridColCount();
    const int firstScrolled = std::min(m_fixedCols, cols);
    // The column whose right edge is the first one past the left edge of the scrolled area; hidden
    // columns have no width and are passed over.
    const auto right = std::upper_bound(m_columnX.begin() + firstScrolled + 1, m_columnX.end(),
                                        m_frozenWidth + std::max(scrollX, 0));
    if (right == m_columnX.end()) {
        return std::max(firstScrolled, cols - 1);
    }
    return static_cast<int>(right - m_columnX.begin()) - 1;
}

int GridLayout::ScrollXForColumn(int col) const {
    if (col < m_fixedCols || col >= m_model.GridColCount()) {
        return 0;
    }
    return std::max(ColumnX(col) - m_frozenWidth, 0);
}

int GridLayout::ViewX(const GridViewport& viewport, int col) const {
    return col < m_fixedCols ? ColumnX(col) : ColumnX(col) - viewport.scrollX;
}

void GridLayout::AddRow(const GridViewport& viewport, int row, int y, int height,
                        std::vector<PaintCell>& out) const {
    const bool isHeader = row < m_model.HeaderRowCount();
    const MergeSpan* drawnSpan = nullptr;
    for (int col = 0; col < m_model.GridColCount(); ++col) {
        const int width = ColumnWidth(col);
        if (width == 0) {
            continue;
        }
        const int x = ViewX(viewport, col);
        const bool isFixedCol = col < m_fixedCols;
        if (!isFixedCol && (x + width <= m_frozenWidth || x >= viewport.width)) {
            continue;
        }
        const MergeSpan* span = isHeader ? m_model.MergedSpanAt(row, col) : nullptr;
        if (!span) {
            out.push_back({row, col, x, y, width, height, isHeader || isFixedCol});
            continue;
        }
        // A block is drawn once, from its top row, at the first of its columns on screen; so it still
        // shows when its first column is scrolled off to the left.
        if (row != span->row1 || span == drawnSpan) {
            continue;
        }
        drawnSpan = span;
        PaintCell cell{span->row1, span->col1, ViewX(viewport, span->col1), y, 0, 0, true};
        cell.width = ColumnX(span->col2) + ColumnWidth(span->col2) - ColumnX(span->col1);
        for (int r = span->row1; r <= span->row2; ++r) {
            cell.height += RowHeight(r);
        }
        out.push_back(cell);
    }
}

std::vector<PaintCell> GridLayout::VisibleCells(const GridViewport& viewport) const {
    std::vector<PaintCell> cells;
    int y = 0;
    for (int row = 0; row < m_model.HeaderRowCount() && y < viewport.height; ++row) {
        const int height = RowHeight(row);
        AddRow(viewport, row, y, height, cells);
        y += height;
    }
    y = m_headerHeight;
    for (int row = m_model.HeaderRowCount() + std::max(viewport.firstDataRow, 0);
         row < m_model.GridRowCount() && y < viewport.height; ++row) {
        const int height = RowHeight(row);
        if (height > 0) {
            AddRow(viewport, row, y, height, cells);
        }
        y += height;
    }
    return cells;
}

std::optional<PaintCell> GridLayout::HitTest(const GridViewport& viewport, int x, int y) const {
    // Later cells lie over earlier ones only where fixed columns cover scrolled ones; test from the
    // end so the fixed column wins.
    const std::vector<PaintCell> cells = VisibleCells(viewport);
    for (auto it = cells.rbegin(); it != cells.rend(); ++it) {
        const bool isCovered = !it->isFrozen && x < m_frozenWidth;
        if (!isCovered && x >= it->x && x < it->x + it->width && y >= it->y && y < it->y + it->height) {
            return *it;
        }
    }
    return std::nullopt;
}

std::optional<int> GridLayout::ResizeColumnAt(const GridViewport& viewport, int x, int y) const {
    if (y < 0 || y >= m_headerHeight) {
        return std::nullopt;
    }
    // The last shown column whose right edge is near x: a column hidden right after it has the same
    // edge, and the one left of it is what the user sees and means.
    std::optional<int> found;
    for (int col = 0; col < m_model.GridColCount(); ++col) {
        if (ColumnWidth(col) == 0) {
            continue;
        }
        const int right = ViewX(viewport, col) + ColumnWidth(col);
        if (x >= right - kResizeGrip && x <= right + kResizeGrip) {
            found = col;
        }
    }
    return found;
}

std::optional<PaintCell> GridLayout::CellRect(const GridViewport& viewport, int row, int col) const {
    for (const PaintCell& cell : VisibleCells(viewport)) {
        if (cell.row == row && cell.col == col) {
            return cell;
        }
    }
    return std::nullopt;
}

} // namespace grid
