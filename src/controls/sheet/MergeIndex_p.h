// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/SheetTypes.h"

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

} // namespace sheet
