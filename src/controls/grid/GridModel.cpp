// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Design notes.
//  1. Rows are a list of pieces: runs of blank rows and runs of records of a source array. A fill is
//     one piece, so a million data rows cost nothing per row; adding or cutting rows at the end only
//     touches the last pieces, and an inserted row splits at most one piece.
//  2. Everything else keyed by row (cell overrides, row styles, heights, tree levels) is sparse or
//     kept in runs, and is cut with the rows. Inserting a row shifts those keys, which is the one
//     operation linear in what is stored; only the short report list inserts rows.
//  3. The merge index is derived from the header texts and flags. It is marked dirty by any change
//     that can alter it and rebuilt on the next read, so a header built cell by cell is indexed once.
//  4. Argument checks come before the first write, so a refused call leaves nothing half done.
#include "controls/grid/GridModel.h"

#include "controls/grid/GridErrors_p.h"
#include "controls/grid/GridStores_p.h"

#include <algorithm>
#include <cassert>

namespace grid {

using detail::Concat;
using detail::RaiseCol;
using detail::RaiseCount;
using detail::RaiseRow;
using detail::RaiseValue;

namespace {
constexpr int kMaxRows = 0x7FFFFFF0;
constexpr int kMaxCols = 16384;
constexpr int kMaxTwips = 1000000;
constexpr int kDefaultRowTwips = 285; // 19 pixels at 15 twips per pixel
} // namespace

GridModel::GridModel() : m_stores(std::make_unique<detail::GridStores>()), m_formats(1) {}

GridModel::~GridModel() = default;

void GridModel::SwapContents(GridModel& other) noexcept {
    using std::swap;
    swap(m_rowCount, other.m_rowCount);
    swap(m_headerRows, other.m_headerRows);
    swap(m_headerCols, other.m_headerCols);
    swap(m_mergeMode, other.m_mergeMode);
    swap(m_totalsRow, other.m_totalsRow);
    swap(m_columns, other.m_columns);
    swap(m_pieces, other.m_pieces);
    swap(m_pieceStarts, other.m_pieceStarts);
    swap(m_sources, other.m_sources);
    swap(m_cells, other.m_cells);
    swap(m_stores, other.m_stores);
    swap(m_formats, other.m_formats);
    swap(m_isMergeDirty, other.m_isMergeDirty);
    swap(m_selection, other.m_selection);
    swap(m_cursorRow, other.m_cursorRow);
    swap(m_cursorCol, other.m_cursorCol);
    swap(m_anchorRow, other.m_anchorRow);
    swap(m_anchorCol, other.m_anchorCol);
    swap(m_clickRow, other.m_clickRow);
    swap(m_scroll, other.m_scroll);
    // Each side now shows the other's rows: its view must move to the place that came with them.
    m_isScrollPending = other.m_isScrollPending = true;
    swap(m_inertSettings, other.m_inertSettings);
    Changed(GridChange::Layout);
    other.Changed(GridChange::Layout);
}

void GridModel::CheckRow(int row) const {
    if (row < 0 || row >= m_rowCount) {
        RaiseRow(row, m_rowCount);
    }
}

void GridModel::CheckCol(int col) const {
    if (col < 0 || col >= GridColCount()) {
        RaiseCol(col, GridColCount());
    }
}

void GridModel::CheckRect(int& row1, int& col1, int& row2, int& col2) const {
    CheckRow(row1);
    CheckRow(row2);
    CheckCol(col1);
    CheckCol(col2);
    if (row2 < row1) {
        std::swap(row1, row2);
    }
    if (col2 < col1) {
        std::swap(col1, col2);
    }
}

void GridModel::Changed(GridChange change) {
    if (m_onChange) {
        m_onChange(change);
    }
}

void GridModel::AfterMutation() {
#ifndef NDEBUG
    // The full check is linear in what is stored; after every write to a big grid it would make a
    // debug build quadratic. Small grids, which the tests build, are checked every time. Columns count
    // too, once per header row: the check walks every column's band and every header cell, and a
    // template may declare 16,384 columns.
    const detail::GridStores& s = *m_stores;
    const std::size_t columnCells =
        m_columns.size() * (static_cast<std::size_t>(std::max(m_headerRows, 0)) + 1);
    const bool isSmall =
        m_cells.size() + s.rowStyles.RunCount() + s.rowHeights.RunCount() + columnCells < 20000;
    assert((!isSmall || CheckConsistency()) && "a grid operation left its index structures out of step");
#endif
}

// --- Size ---------------------------------------------------------------------------------------

void GridModel::SetGridRowCount(int rows) {
    if (rows < 0 || rows > kMaxRows) {
        RaiseCount("表格行数", rows, kMaxRows);
    }
    SetRows(rows);
    AfterMutation();
    Changed(GridChange::Layout);
}

void GridModel::SetRows(int rows) {
    if (rows < m_rowCount) {
        TrimRows(rows);
    } else if (rows > m_rowCount) {
        const int added = rows - m_rowCount;
        if (!m_pieces.empty() && m_pieces.back().source < 0) {
            m_pieces.back().count += added;
        } else {
            m_pieceStarts.push_back(m_rowCount);
            m_pieces.push_back({added, -1, 0});
        }
        m_rowCount = rows;
    }
}

void GridModel::TrimRows(int rows) {
    while (!m_pieces.empty() && m_pieceStarts.back() >= rows) {
        m_pieces.pop_back();
        m_pieceStarts.pop_back();
    }
    if (!m_pieces.empty()) {
        m_pieces.back().count = rows - m_pieceStarts.back();
    }
    // Sources no piece reads any more are released, so a cut grid does not pin a big array.
    std::vector<bool> isUsed(m_sources.size(), false);
    for (const RowPiece& piece : m_pieces) {
        if (piece.source >= 0) {
            isUsed[static_cast<std::size_t>(piece.source)] = true;
        }
    }
    for (std::size_t index = 0; index < m_sources.size(); ++index) {
        if (!isUsed[index]) {
            m_sources[index].array.reset();
        }
    }
    m_cells.erase(m_cells.lower_bound(Key(rows, 0)), m_cells.end());
    detail::GridStores& s = *m_stores;
    s.rowStyles.TruncateFrom(rows);
    for (auto& band : s.colStyles) {
        band.TruncateFrom(rows);
    }
    s.rowHeights.TruncateFrom(rows);
    s.rowLevels.TruncateFrom(rows);
    s.nodeRows.TruncateFrom(rows);
    s.mergeRows.TruncateFrom(rows);
    m_rowCount = rows;
    if (m_totalsRow >= rows) {
        m_totalsRow = -1;
    }
    m_headerRows = std::min(m_headerRows, rows);
    if (m_cursorRow >= rows || m_selection.row2 >= rows) {
        ResetSelection();
    }
    InvalidateMerge();
}

void GridModel::RebuildPieceStarts() {
    m_pieceStarts.clear();
    int start = 0;
    for (const RowPiece& piece : m_pieces) {
        m_pieceStarts.push_back(start);
        start += piece.count;
    }
}

void GridModel::SetGridColCount(int cols) {
    if (cols < 0 || cols > kMaxCols) {
        RaiseCount("表格列数", cols, kMaxCols);
    }
    if (cols < GridColCount()) {
        std::erase_if(m_cells, [cols](const auto& cell) {
            return static_cast<int>(static_cast<std::uint32_t>(cell.first)) >= cols;
        });
    }
    m_columns.resize(static_cast<std::size_t>(cols));
    m_stores->colStyles.resize(static_cast<std::size_t>(cols));
    m_headerCols = std::min(m_headerCols, cols);
    if (m_cursorCol >= cols || m_selection.col2 >= cols) {
        ResetSelection();
    }
    InvalidateMerge();
    AfterMutation();
    Changed(GridChange::Layout);
}

void GridModel::SetHeaderRowCount(int rows) {
    if (rows < 0 || rows > m_rowCount) {
        RaiseCount("表头行数", rows, m_rowCount);
    }
    m_headerRows = rows;
    InvalidateMerge();
    Changed(GridChange::Layout);
}

void GridModel::SetHeaderColCount(int cols) {
    if (cols < 0 || cols > GridColCount()) {
        RaiseCount("固定列数", cols, GridColCount());
    }
    m_headerCols = cols;
    Changed(GridChange::Layout);
}

// --- Merging -------------------------------------------------------------------------------------

void GridModel::SetMergeMode(int mode) {
    if (mode != 0 && mode != 5) {
        RaiseValue(Concat({"不支持的合并方式 ", std::to_string(mode), "（只支持 0 不合并、5 合并表头）。"}));
    }
    m_mergeMode = mode;
    InvalidateMerge();
    Changed(GridChange::Content);
}

bool GridModel::RowMergeFlag(int row) const {
    CheckRow(row);
    return m_stores->mergeRows.Find(row) != nullptr;
}

void GridModel::SetRowMergeFlag(int row, bool isMerged) {
    CheckRow(row);
    m_stores->mergeRows.Update(
        row, row, [isMerged](const bool*) { return isMerged ? std::optional<bool>(true) : std::nullopt; });
    InvalidateMerge();
    Changed(GridChange::Content);
}

bool GridModel::ColMergeFlag(int col) const {
    CheckCol(col);
    return m_columns[static_cast<std::size_t>(col)].isMerged;
}

void GridModel::SetColMergeFlag(int col, bool isMerged) {
    CheckCol(col);
    m_columns[static_cast<std::size_t>(col)].isMerged = isMerged;
    InvalidateMerge();
    Changed(GridChange::Content);
}

void GridModel::EnsureMerge() const {
    if (!m_isMergeDirty) {
        return;
    }
    detail::HeaderMerge& merge = m_stores->merge;
    if (m_mergeMode != 5) {
        merge.Clear();
    } else {
        merge.Build(
            m_headerRows, GridColCount(), [this](int row, int col) { return CellTextAt(row, col); },
            [this](int row) { return m_stores->mergeRows.Find(row) != nullptr; },
            [this](int col) { return m_columns[static_cast<std::size_t>(col)].isMerged; });
    }
    m_isMergeDirty = false;
}

const MergeSpan* GridModel::MergedSpanAt(int row, int col) const {
    if (row >= m_headerRows || m_mergeMode == 0) {
        return nullptr;
    }
    EnsureMerge();
    return m_stores->merge.SpanAt(row, col);
}

std::vector<MergeSpan> GridModel::MergedSpans() const {
    EnsureMerge();
    return m_stores->merge.Spans();
}

// --- Sizes and columns -------------------------------------------------------------------------

int GridModel::RowHeightTwips(int row) const {
    CheckRow(row);
    const int* height = m_stores->rowHeights.Find(row);
    return height ? *height : kDefaultRowTwips;
}

void GridModel::SetRowHeightTwips(int row, int twips) {
    CheckRow(row);
    if (twips < 0 || twips > kMaxTwips) {
        RaiseCount("行高（缇）", twips, kMaxTwips);
    }
    m_stores->rowHeights.Update(row, row, [twips](const int*) {
        return twips == kDefaultRowTwips ? std::nullopt : std::optional<int>(twips);
    });
    Changed(GridChange::Layout);
}

int GridModel::ColWidthTwips(int col) const {
    CheckCol(col);
    return m_columns[static_cast<std::size_t>(col)].widthTwips;
}

void GridModel::SetColWidthTwips(int col, int twips) {
    CheckCol(col);
    if (twips < 0 || twips > kMaxTwips) {
        RaiseCount("列宽（缇）", twips, kMaxTwips);
    }
    m_columns[static_cast<std::size_t>(col)].widthTwips = twips;
    Changed(GridChange::Layout);
}

bool GridModel::ColHiddenFlag(int col) const {
    CheckCol(col);
    return m_columns[static_cast<std::size_t>(col)].isHidden;
}

void GridModel::SetColHiddenFlag(int col, bool isHidden) {
    CheckCol(col);
    m_columns[static_cast<std::size_t>(col)].isHidden = isHidden;
    Changed(GridChange::Layout);
}

int GridModel::ColAlignCode(int col) const {
    CheckCol(col);
    return m_columns[static_cast<std::size_t>(col)].alignCode;
}

void GridModel::SetColAlignCode(int col, int code) {
    CheckCol(col);
    if (code < 0 || code > 9) {
        RaiseCount("对齐方式", code, 9);
    }
    m_columns[static_cast<std::size_t>(col)].alignCode = code == 9 ? -1 : code;
    Changed(GridChange::Content);
}

const std::string& GridModel::ColFormatText(int col) const {
    CheckCol(col);
    return m_formats[m_columns[static_cast<std::size_t>(col)].formatId].Text();
}

void GridModel::SetColFormatText(int col, const std::string& format) {
    CheckCol(col);
    m_columns[static_cast<std::size_t>(col)].formatId = InternFormat(format);
    Changed(GridChange::Content);
}

std::uint32_t GridModel::InternFormat(const std::string& format) {
    if (format.empty()) {
        return 0;
    }
    for (std::size_t id = 1; id < m_formats.size(); ++id) {
        if (m_formats[id].Text() == format) {
            return static_cast<std::uint32_t>(id);
        }
    }
    std::optional<vb::DisplayFormat> parsed = vb::DisplayFormat::TryParse(format);
    if (!parsed) {
        RaiseValue(Concat({"无法识别的显示格式：\"", format, "\"。"}));
    }
    m_formats.push_back(std::move(*parsed));
    return static_cast<std::uint32_t>(m_formats.size() - 1);
}

// --- Tree ----------------------------------------------------------------------------------------------

bool GridModel::RowIsNode(int row) const {
    CheckRow(row);
    return m_stores->nodeRows.Find(row) != nullptr;
}

void GridModel::SetRowIsNode(int row, bool isNode) {
    CheckRow(row);
    m_stores->nodeRows.Update(
        row, row, [isNode](const bool*) { return isNode ? std::optional<bool>(true) : std::nullopt; });
    Changed(GridChange::Layout);
}

int GridModel::RowLevel(int row) const {
    CheckRow(row);
    const int* level = m_stores->rowLevels.Find(row);
    return level ? *level : 0;
}

void GridModel::SetRowLevel(int row, int level) {
    CheckRow(row);
    if (level < 0 || level > 16) {
        RaiseCount("大纲级别", level, 16);
    }
    m_stores->rowLevels.Update(
        row, row, [level](const int*) { return level == 0 ? std::nullopt : std::optional<int>(level); });
    Changed(GridChange::Layout);
}

// --- Consistency
// --------------------------------------------------------------------------------------------

bool GridModel::CheckConsistency() const {
    const detail::GridStores& s = *m_stores;
    if (m_pieces.size() != m_pieceStarts.size()) {
        return false;
    }
    int start = 0;
    for (std::size_t index = 0; index < m_pieces.size(); ++index) {
        const RowPiece& piece = m_pieces[index];
        if (m_pieceStarts[index] != start || piece.count <= 0) {
            return false;
        }
        if (piece.source >= 0) {
            const Source& source = m_sources[static_cast<std::size_t>(piece.source)];
            if (!source.array || piece.firstRecord < 0 ||
                piece.firstRecord + piece.count > static_cast<long>(source.array->Count(2))) {
                return false;
            }
        }
        start += piece.count;
    }
    if (start != m_rowCount || m_headerRows > m_rowCount || m_headerCols > GridColCount()) {
        return false;
    }
    if (!m_cells.empty() && static_cast<int>(m_cells.rbegin()->first >> 32) >= m_rowCount) {
        return false;
    }
    for (const auto& [key, entry] : m_cells) {
        if (static_cast<int>(static_cast<std::uint32_t>(key)) >= GridColCount() ||
            entry.styleId >= s.styles.StyleCount() || entry.formatId >= m_formats.size()) {
            return false;
        }
    }
    const auto withinRows = [this](const auto& map) {
        return map.CheckConsistency() && map.End() <= m_rowCount;
    };
    if (!withinRows(s.rowStyles) || !withinRows(s.rowHeights) || !withinRows(s.rowLevels) ||
        !withinRows(s.nodeRows) || !withinRows(s.mergeRows) || s.colStyles.size() != m_columns.size()) {
        return false;
    }
    for (const auto& band : s.colStyles) {
        if (!withinRows(band)) {
            return false;
        }
    }
    for (const Column& column : m_columns) {
        if (column.formatId >= m_formats.size()) {
            return false;
        }
    }
    if (m_totalsRow >= m_rowCount) {
        return false;
    }
    EnsureMerge();
    return s.styles.CheckConsistency() && s.merge.CheckConsistency();
}

} // namespace grid
