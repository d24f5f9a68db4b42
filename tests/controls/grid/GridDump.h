// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/grid/GridModel.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace grid::test {

// Joins by appending: g++ 12 at -O3 warns falsely on chains of `"text" + std::string`.
inline std::string Cat(std::initializer_list<std::string_view> parts) {
    std::string out;
    for (std::string_view part : parts) {
        out.append(part);
    }
    return out;
}

// The grid as the user reads it, one line per row: "r3: 合计|1,234.50|". A cell covered by a merged
// block to its left shows "<", one covered from above "^"; a hidden column's text is prefixed "~".
inline std::string DumpGrid(const GridModel& grid, int firstRow = 0, int lastRow = -1) {
    if (lastRow < 0) {
        lastRow = grid.GridRowCount() - 1;
    }
    std::string out;
    for (int row = firstRow; row <= lastRow; ++row) {
        out.append("r").append(std::to_string(row)).append(": ");
        for (int col = 0; col < grid.GridColCount(); ++col) {
            if (col > 0) {
                out += '|';
            }
            const MergeSpan* span = grid.MergedSpanAt(row, col);
            if (span && col > span->col1) {
                out += '<';
            } else if (span && row > span->row1) {
                out += '^';
            } else {
                out.append(grid.ColHiddenFlag(col) ? "~" : "").append(grid.CellTextAt(row, col));
            }
        }
        out += '\n';
    }
    return out;
}

} // namespace grid::test
