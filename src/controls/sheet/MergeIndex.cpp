// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/sheet/MergeIndex_p.h"

#include <algorithm>
#include <tuple>

namespace sheet {

namespace {
bool Before(const MergeRange& a, const MergeRange& b) {
    return std::tie(a.r1, a.c1) < std::tie(b.r1, b.c1);
}
bool IsSingleCell(const MergeRange& m) {
    return m.c1 == m.c2 && m.r1 == m.r2;
}
} // namespace

const MergeRange* MergeIndex::Find(int col, int row) const {
    // First block starting below the row: everything before it starts at or above.
    auto end = std::upper_bound(m_blocks.begin(), m_blocks.end(), row,
                                [](int r, const MergeRange& m) { return r < m.r1; });
    for (auto idx = end - m_blocks.begin(); idx > 0; --idx) {
        if (m_reach[idx - 1] < row) {
            break;
        }
        const MergeRange& m = m_blocks[idx - 1];
        if (m.Contains(col, row)) {
            return &m;
        }
    }
    return nullptr;
}

void MergeIndex::Merge(const MergeRange& block) {
    std::erase_if(m_blocks, [&block](const MergeRange& m) { return m.Intersects(block); });
    if (!IsSingleCell(block)) {
        m_blocks.insert(std::upper_bound(m_blocks.begin(), m_blocks.end(), block, Before), block);
    }
    Rebuild();
}

void MergeIndex::Clear() {
    m_blocks.clear();
    m_reach.clear();
}

void MergeIndex::InsertCols(int col, int count) {
    for (MergeRange& m : m_blocks) {
        if (m.c1 >= col) {
            m.c1 += count;
            m.c2 += count;
        } else if (m.c2 >= col) {
            m.c2 += count;
        }
    }
    // Shifting keeps (r1, c1) order: blocks of one row starting right of col all move alike.
    Rebuild();
}

void MergeIndex::TruncateRows(int rows) {
    std::erase_if(m_blocks, [rows](const MergeRange& m) { return m.r1 >= rows; });
    for (MergeRange& m : m_blocks) {
        m.r2 = std::min(m.r2, rows - 1);
    }
    std::erase_if(m_blocks, IsSingleCell);
    Rebuild();
}

void MergeIndex::Rebuild() {
    m_reach.resize(m_blocks.size());
    int reach = -1;
    for (std::size_t idx = 0; idx < m_blocks.size(); ++idx) {
        reach = std::max(reach, m_blocks[idx].r2);
        m_reach[idx] = reach;
    }
}

bool MergeIndex::CheckConsistency(int cols, int rows) const {
    if (m_reach.size() != m_blocks.size()) {
        return false;
    }
    int reach = -1;
    for (std::size_t idx = 0; idx < m_blocks.size(); ++idx) {
        const MergeRange& m = m_blocks[idx];
        if (m.c1 < 0 || m.r1 < 0 || m.c1 > m.c2 || m.r1 > m.r2 || m.c2 >= cols || m.r2 >= rows ||
            IsSingleCell(m)) {
            return false;
        }
        if (idx > 0 && !Before(m_blocks[idx - 1], m)) {
            return false;
        }
        reach = std::max(reach, m.r2);
        if (m_reach[idx] != reach) {
            return false;
        }
        // Blocks are few; a quadratic overlap check keeps the checker obviously right.
        for (std::size_t other = idx + 1; other < m_blocks.size(); ++other) {
            if (m.Intersects(m_blocks[other])) {
                return false;
            }
        }
    }
    return true;
}

} // namespace sheet
