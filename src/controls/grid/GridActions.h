// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/grid/GridModel.h"

#include <functional>
#include <optional>
#include <string>

namespace grid {

// What the grid's user commands compute from the model: copy, the sum of a selection, fitting a
// column. The view only carries the result to the clipboard, the status line or the column.

// A block of cells as a spreadsheet program takes it from the clipboard: tab-separated lines and an
// HTML table of the same cells.
struct CopiedCells {
    std::string text;
    std::string html;
};

// The data cells of `range` (clipped to the grid, header rows left out), shown columns only, with
// the header rows above them when withHeader. Values go out raw so that a paste keeps their type:
// numbers with no grouping or rounding ("15000.1" where the grid shows "15,000.10"), dates as
// yyyy-mm-dd, text and Booleans as shown; a cell that shows nothing copies as empty. Merged header
// blocks are one cell with rowspan/colspan in the HTML, their caption in the first cell of the text.
// An empty range (no selection) copies nothing. Without withHtml only the text is made (a range of
// millions of cells, where the table would double the memory for no use).
CopiedCells CopyCells(const GridModel& grid, MergeSpan range, bool withHeader, bool withHtml = true);

// The numbers among the shown cells of `range` (numeric values; dates, Booleans and text do not
// count), as spreadsheet programs sum a selection.
struct RangeNumbers {
    long cells = 0;   // shown cells of the range
    long numbers = 0; // of which numbers
    double sum = 0;
};
// Looks at no more than cellLimit cells; a larger range gives nullopt (too large to add up at once).
std::optional<RangeNumbers> SumNumbers(const GridModel& grid, MergeSpan range, long cellLimit);

// The rows below the header other than the totals row: the report's records.
int RecordRowCount(const GridModel& grid);

// A number as the status line shows it: grouped thousands, at most `decimals` decimals with trailing
// zeros dropped ("15,000.1", "-3", "0.3333").
std::string StatusNumber(double value, int decimals);

// The width (twips) that shows the column's widest text among rows firstRow..lastRow and the header
// rows (a caption merged over several columns does not count), measured by textTwips(row, col, text),
// plus a margin. Hidden or unknown columns give their current width.
int FitColumnWidthTwips(const GridModel& grid, int col, int firstRow, int lastRow,
                        const std::function<int(int row, int col, const std::string& text)>& textTwips);

} // namespace grid
