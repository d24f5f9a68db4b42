// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/grid/HeaderMerge_p.h"

namespace grid::detail {

void HeaderMerge::Clear() {
    m_rows = 0;
    m_cols = 0;
    m_spans.clear();
    m_spanOf.clear();
}

void HeaderMerge::Build(int rows, int cols, const TextFn& text, const FlagFn& isRowFlagged,
                        const FlagFn& isColFlagged) {
    Clear();
    m_rows = rows;
    m_cols = cols;
    m_spanOf.assign(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols), -1);
    if (rows == 0 || cols == 0) {
        return;
    }
    std::vector<std::string> texts(m_spanOf.size());
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < cols; ++col) {
            texts[static_cast<std::size_t>(row * cols + col)] = text(row, col);
        }
    }
    const auto textAt = [&](int row, int col) -> const std::string& {
        return texts[static_cast<std::size_t>(row * cols + col)];
    };
    // Horizontal runs per row: runEnd[row * cols + c] is the last column of the run starting at c.
    std::vector<int> runEnd(m_spanOf.size(), -1);
    for (int row = 0; row < rows; ++row) {
        int col = 0;
        while (col < cols) {
            int last = col;
            if (isRowFlagged(row) && !textAt(row, col).empty()) {
                while (last + 1 < cols && isColFlagged(last) && isColFlagged(last + 1) &&
                       textAt(row, last + 1) == textAt(row, col)) {
                    ++last;
                }
            }
            runEnd[static_cast<std::size_t>(row * cols + col)] = last;
            col = last + 1;
        }
    }
    std::vector<bool> isTaken(m_spanOf.size(), false);
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < cols; ++col) {
            const int last = runEnd[static_cast<std::size_t>(row * cols + col)];
            if (last < 0 || isTaken[static_cast<std::size_t>(row * cols + col)]) {
                continue;
            }
            bool areColsFlagged = true;
            for (int c = col; c <= last; ++c) {
                areColsFlagged = areColsFlagged && isColFlagged(c);
            }
            int bottom = row;
            if (areColsFlagged && !textAt(row, col).empty()) {
                while (bottom + 1 < rows && isRowFlagged(bottom) && isRowFlagged(bottom + 1) &&
                       runEnd[static_cast<std::size_t>((bottom + 1) * cols + col)] == last &&
                       textAt(bottom + 1, col) == textAt(row, col)) {
                    ++bottom;
                }
            }
            if (bottom == row && last == col) {
                continue;
            }
            const int index = static_cast<int>(m_spans.size());
            m_spans.push_back({row, col, bottom, last});
            for (int r = row; r <= bottom; ++r) {
                for (int c = col; c <= last; ++c) {
                    m_spanOf[static_cast<std::size_t>(r * cols + c)] = index;
                    isTaken[static_cast<std::size_t>(r * cols + c)] = true;
                }
            }
        }
    }
}

const MergeSpan* HeaderMerge::SpanAt(int row, int col) const {
    if (row < 0 || row >= m_rows || col < 0 || col >= m_cols) {
        return nullptr;
    }
    const int index = m_spanOf[static_cast<std::size_t>(row * m_cols + col)];
    return index < 0 ? nullptr : &m_spans[static_cast<std::size_t>(index)];
}

bool HeaderMerge::CheckConsistency() const {
    std::vector<int> seen(m_spanOf.size(), -1);
    for (std::size_t index = 0; index < m_spans.size(); ++index) {
        const MergeSpan& span = m_spans[index];
        if (span.row1 < 0 || span.col1 < 0 || span.row2 >= m_rows || span.col2 >= m_cols ||
            span.row1 > span.row2 || span.col1 > span.col2 ||
            (span.row1 == span.row2 && span.col1 == span.col2)) {
            return false;
        }
        for (int r = span.row1; r <= span.row2; ++r) {
            for (int c = span.col1; c <= span.col2; ++c) {
                int& cell = seen[static_cast<std::size_t>(r * m_cols + c)];
                if (cell != -1) {
                    return false;
                }
                cell = static_cast<int>(index);
            }
        }
    }
    return seen == m_spanOf;
}

} // namespace grid::detail
