// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Selection, the current cell, the user's clicks and keys, placement and the inert settings. The
// current cell only ever lands on data rows by the keyboard; a click on a header row reports its row
// (the window's click handler reads it) but leaves the selection alone.
#include "controls/grid/GridErrors_p.h"
#include "controls/grid/GridModel.h"

#include <algorithm>
#include <cstdlib>

namespace grid {

using detail::Concat;
using detail::RaiseValue;

// --- Selection and events ----------------------------------------------------------------------------

void GridModel::ResetSelection() {
    m_selection = {-1, -1, -1, -1};
    m_cursorRow = m_cursorCol = m_anchorRow = m_anchorCol = -1;
    if (m_clickRow >= m_rowCount) {
        m_clickRow = -1;
    }
}

void GridModel::SelectRange(int row1, int col1, int row2, int col2) {
    const int anchorRow = row1;
    const int anchorCol = col1;
    CheckRect(row1, col1, row2, col2);
    m_selection = {row1, col1, row2, col2};
    m_cursorRow = m_anchorRow = anchorRow;
    m_cursorCol = m_anchorCol = anchorCol;
    Changed(GridChange::Selection);
}

// The current cell moves to (row, col); the selection either grows from its anchor to there or
// starts anew at that cell.
void GridModel::MoveCurrentCell(int row, int col, bool isExtending) {
    if (isExtending && m_anchorRow >= 0) {
        m_selection = {std::min(m_anchorRow, row), std::min(m_anchorCol, col), std::max(m_anchorRow, row),
                       std::max(m_anchorCol, col)};
    } else {
        m_selection = {row, col, row, col};
        m_anchorRow = row;
        m_anchorCol = col;
    }
    m_cursorRow = row;
    m_cursorCol = col;
    Changed(GridChange::Selection);
}

void GridModel::SetCursorCell(int row, int col) {
    CheckRow(row);
    CheckCol(col);
    m_cursorRow = m_anchorRow = row;
    m_cursorCol = m_anchorCol = col;
    Changed(GridChange::Selection);
}

void GridModel::UserClick(int row, int col, bool isExtending) {
    if (row < 0 || row >= m_rowCount || col < 0 || col >= GridColCount()) {
        return;
    }
    m_clickRow = row;
    if (row >= m_headerRows) {
        const bool isOnlySelecting = isExtending && m_anchorRow >= 0;
        MoveCurrentCell(row, col, isExtending);
        if (isOnlySelecting) {
            return;
        }
    }
    if (m_onClick) {
        m_onClick();
    }
}

void GridModel::UserDrag(int row, int col) {
    if (row < m_headerRows || row >= m_rowCount || col < 0 || col >= GridColCount() || m_anchorRow < 0) {
        return;
    }
    if (row != m_cursorRow || col != m_cursorCol) {
        MoveCurrentCell(row, col, true);
    }
}

void GridModel::UserDoubleClick(int row, int col) {
    if (row < 0 || row >= m_rowCount || col < 0 || col >= GridColCount()) {
        return;
    }
    if (m_onDblClick) {
        m_onDblClick();
    }
}

void GridModel::MoveCursor(int rowDelta, int colDelta, bool isExtending) {
    if (m_rowCount <= m_headerRows || GridColCount() == 0) {
        return;
    }
    int row = m_cursorRow < 0 ? m_headerRows : m_cursorRow;
    int col = m_cursorCol < 0 ? 0 : m_cursorCol;
    row = std::clamp(row + rowDelta, m_headerRows, m_rowCount - 1);
    // Hidden columns are stepped over; if every column the way is hidden the cursor stays.
    const int step = colDelta < 0 ? -1 : 1;
    for (int remaining = std::abs(colDelta); remaining > 0; --remaining) {
        int next = col + step;
        while (next >= 0 && next < GridColCount() && m_columns[static_cast<std::size_t>(next)].isHidden) {
            next += step;
        }
        if (next < 0 || next >= GridColCount()) {
            break;
        }
        col = next;
    }
    MoveCurrentCell(row, col, isExtending);
}

// --- Repaint, placement, inert settings ----------------------------------------------------------------

void GridModel::Refresh() {
    Changed(GridChange::Content);
}

void GridModel::Move(int left, int top, int width, int height) {
    if (width < 0 || height < 0) {
        RaiseValue(Concat({"表格的宽度和高度不能为负数（宽 ", std::to_string(width), "，高 ",
                           std::to_string(height), "）。"}));
    }
    SetPlacementFromView(left, top, width, height);
    Changed(GridChange::Placement);
}

void GridModel::ScrollTo(GridScroll place) {
    m_scroll = {std::max(place.firstDataRow, 0), std::max(place.leftCol, 0)};
    m_isScrollPending = true;
    Changed(GridChange::Scroll);
}

void GridModel::SetScrollFromView(GridScroll place) {
    m_scroll = {std::max(place.firstDataRow, 0), std::max(place.leftCol, 0)};
    m_isScrollPending = false;
}

GridPlace GridModel::Place() const noexcept {
    return {m_scroll, m_selection, {m_cursorRow, m_cursorCol}};
}

void GridModel::RestorePlace(const GridPlace& place) {
    const auto isInside = [this](int row, int col) {
        return row >= 0 && row < m_rowCount && col >= 0 && col < GridColCount();
    };
    const MergeSpan& selection = place.selection;
    if (isInside(selection.row1, selection.col1) && isInside(selection.row2, selection.col2)) {
        SelectRange(selection.row1, selection.col1, selection.row2, selection.col2);
        if (isInside(place.cursor.row, place.cursor.col)) {
            SetCursorCell(place.cursor.row, place.cursor.col);
        }
    }
    ScrollTo(place.scroll);
}

void GridModel::SetPlacementFromView(int left, int top, int width, int height) {
    m_left = left;
    m_top = top;
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
}

long GridModel::InertSetting(int id) const {
    auto it = m_inertSettings.find(id);
    return it == m_inertSettings.end() ? 0 : it->second;
}

void GridModel::SetInertSetting(int id, long value) {
    if (id != 41 && id != 66 && id != 77 && id != 82) {
        RaiseValue(Concat({"不支持的表格设置编号 ", std::to_string(id), "。"}));
    }
    m_inertSettings[id] = value;
}

} // namespace grid
