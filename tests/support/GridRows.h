// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/grid/GridModel.h"

#include <string>
#include <vector>

namespace vondrel::test {

// The grid's texts as shown, one "a|b|c" line per row, header and totals rows included.
inline std::vector<std::string> GridRows(const grid::GridModel& grid) {
    std::vector<std::string> rows;
    for (int row = 0; row < grid.GridRowCount(); ++row) {
        std::string line;
        for (int col = 0; col < grid.GridColCount(); ++col) {
            line.append(col ? "|" : "").append(grid.CellTextAt(row, col));
        }
        rows.push_back(std::move(line));
    }
    return rows;
}

} // namespace vondrel::test
