// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/sheet/MergeIndex_p.h"

#include <algorithm>
#include <iterator>
#include <map>
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

void MergeIndex::AssignDisjoint(std::vector<MergeRange> blocks) {
    std::sort(blocks.begin(), blocks.end(), Before);
    m_blocks = std::move(blocks);
    Rebuild();
}

namespace {

// Whether any two of the first `count` blocks share a cell. A sweep down the rows keeps the blocks
// reaching the current row in a map by first column; while none overlap their column spans are
// disjoint, so only the span starting last at or before a block's right edge can meet it.
bool AnyOverlap(const std::vector<MergeRange>& blocks, std::size_t count) {
    std::vector<MergeRange> sorted(blocks.begin(), blocks.begin() + static_cast<std::ptrdiff_t>(count));
    std::sort(sorted.begin(), sorted.end(), [](const MergeRange& a, const MergeRange& b) {
        return std::pair(a.r1, a.c1) < std::pair(b.r1, b.c1);
    });
    std::map<int, MergeRange> active; // by c1
    std::multimap<int, int> endings;  // r2 -> c1 of an active block
    for (const MergeRange& block : sorted) {
        while (!endings.empty() && endings.begin()->first < block.r1) {
            active.erase(endings.begin()->second);
            endings.erase(endings.begin());
        }
        const auto after = active.upper_bound(block.c2);
        if (after != active.begin() && std::prev(after)->second.c2 >= block.c1) {
            return true;
        }
        active.emplace(block.c1, block);
        endings.emplace(block.r2, block.c1);
    }
    return false;
}

} // namespace

std::optional<std::pair<std::size_t, std::size_t>> FirstOverlap(const std::vector<MergeRange>& blocks) {
    if (!AnyOverlap(blocks, blocks.size())) {
        return std::nullopt;
    }
    // Overlap in a prefix stays in every longer one: the shortest overlapping prefix ends in the block
    // a line-by-line check would have stopped at.
    std::size_t low = 2, high = blocks.size();
    while (low < high) {
        const std::size_t mid = low + (high - low) / 2;
        if (AnyOverlap(blocks, mid)) {
            high = mid;
        } else {
            low = mid + 1;
        }
    }
    const std::size_t later = low - 1;
    for (std::size_t earlier = 0; earlier < later; ++earlier) {
        if (blocks[earlier].Intersects(blocks[later])) {
            return std::pair{later, earlier};
        }
    }
    return std::nullopt; // not reached: the prefix overlaps only through its last block
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
