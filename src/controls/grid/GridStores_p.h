// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

// Internal to the grid: the index structures behind GridModel, kept out of its public header.

#include "controls/grid/HeaderMerge_p.h"
#include "controls/grid/RangeMap_p.h"
#include "controls/grid/StyleTable_p.h"

#include <cstdint>
#include <vector>

namespace grid::detail {

// Cell styles resolve column band, then whole row, then the cell's own (each field from the last of
// these that sets it). A write to a layer clears the field from the layers above it inside the
// written block, so the latest write always shows.
struct GridStores {
    StyleTable styles;
    RangeMap<std::uint32_t> rowStyles;              // whole rows
    std::vector<RangeMap<std::uint32_t>> colStyles; // per column, runs of rows
    RangeMap<int> rowHeights;                       // twips; default where unset
    RangeMap<int> rowLevels;
    RangeMap<bool> nodeRows;
    RangeMap<bool> mergeRows;
    HeaderMerge merge;
};

} // namespace grid::detail
