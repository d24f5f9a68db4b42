// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/SheetTypes.h"

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

namespace sheet {

// The merged blocks of a sheet, kept sorted by (r1, c1) with a running maximum of r2, so the block
// of a cell is found by walking back from the last block starting at or above its row only while a
// block could still reach down to it. Report sheets merge a few header cells and nothing in their
// thousands of data rows, so a lookup in the data area stops after one comparison.
//
// Invariants (CheckConsistency): blocks are sorted, disjoint, inside the sheet, at least two cells
// each; m_reach[i] is the largest r2 of blocks 0..i.
class MergeIndex {
public:
    const MergeRange* Find(int col, int row) const;
    // Dissolves every block overlapping `block`, then adds it when it covers two cells or more.
    void Merge(const MergeRange& block);
    void Clear();
    // Replaces every block with `blocks`, which the caller has checked are disjoint and of two cells or
    // more: one sort for a whole file's blocks, where a Merge per block would cost the index each time.
    void AssignDisjoint(std::vector<MergeRange> blocks);
    // Blocks right of col move by count; blocks spanning col widen.
    void InsertCols(int col, int count);
    // Clips blocks to the first `rows` rows; blocks left with one cell dissolve.
    void TruncateRows(int rows);
    const std::vector<MergeRange>& All() const { return m_blocks; }
    bool CheckConsistency(int cols, int rows) const;

private:
    void Rebuild();
    std::vector<MergeRange> m_blocks;
    std::vector<int> m_reach;
};

// The first block (in the given order) that shares a cell with an earlier one, and that earlier one,
// as indices (later, earlier); nullopt when all are disjoint. O(n log² n), so a file listing a million
// blocks is checked in moments and the fault named is the one a line-by-line check would name.
std::optional<std::pair<std::size_t, std::size_t>> FirstOverlap(const std::vector<MergeRange>& blocks);

} // namespace sheet
