// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

// Internal to the grid: which header cells show as one.

#include "controls/grid/GridTypes.h"

#include <functional>
#include <string>
#include <vector>

namespace grid::detail {

// The merged blocks of the header rows, computed from their texts and merge flags.
//
// A block is a rectangle of equal, non-empty texts. Rows are joined first: neighbours in one row merge
// when both columns and the row are flagged. A row's run then joins the run below it when that run has
// the same columns and text and both rows are flagged, so a caption written over a 2 x 3 template block
// shows as one 2 x 3 cell and never as an L-shape. Empty cells never merge: a header with gaps keeps
// its grid lines.
class HeaderMerge {
public:
    using TextFn = std::function<std::string(int row, int col)>;
    using FlagFn = std::function<bool(int index)>;

    void Build(int rows, int cols, const TextFn& text, const FlagFn& isRowFlagged,
               const FlagFn& isColFlagged);
    void Clear();

    // The block holding the cell, or nullptr when the cell shows alone.
    const MergeSpan* SpanAt(int row, int col) const;
    const std::vector<MergeSpan>& Spans() const noexcept { return m_spans; }

    // Blocks lie inside the header, do not overlap, hold more than one cell, and every cell maps to
    // the block that contains it.
    bool CheckConsistency() const;

private:
    int m_rows = 0;
    int m_cols = 0;
    std::vector<MergeSpan> m_spans;
    std::vector<int> m_spanOf; // row * cols + col -> index into m_spans, -1 alone
};

} // namespace grid::detail
