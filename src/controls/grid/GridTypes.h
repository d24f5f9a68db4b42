// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "vb/Array.h"
#include "vb/Variant.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace grid {

// A block of cells, inclusive bounds, row1 <= row2 and col1 <= col2.
struct MergeSpan {
    int row1 = 0;
    int col1 = 0;
    int row2 = 0;
    int col2 = 0;
    bool Contains(int row, int col) const { return row >= row1 && row <= row2 && col >= col1 && col <= col2; }
    friend bool operator==(const MergeSpan&, const MergeSpan&) = default;
};

// A cell's place; row-major order (row, then column) is the order a search walks.
struct CellPos {
    int row = -1;
    int col = -1;
    friend bool operator==(const CellPos&, const CellPos&) = default;
};

// Where a view shows the grid: the first data row at the top of the data area (0 = the row below the
// header) and the first scrolled column at the left of the scrolled area (the fixed columns stay put).
struct GridScroll {
    int firstDataRow = 0;
    int leftCol = 0;
    friend bool operator==(const GridScroll&, const GridScroll&) = default;
};

// The user's place in a grid: where it is scrolled to, the selection and the current cell.
struct GridPlace {
    GridScroll scroll;
    MergeSpan selection{-1, -1, -1, -1};
    CellPos cursor;
    friend bool operator==(const GridPlace&, const GridPlace&) = default;
};

// What a search looks for in the displayed texts. Case folds ASCII letters only (Chinese has none);
// a whole-cell search compares the cell's entire text.
struct FindQuery {
    std::string text; // UTF-8; empty finds nothing
    bool isMatchCase = false;
    bool isWholeCell = false;
};

// One bounded stretch of a search: a match, nothing found up to `cell` yet (go on from there), or no
// match before the end (the start, going backwards) of the data rows.
struct FindStep {
    enum class State { Found, Continue, NotFound };
    State state = State::NotFound;
    CellPos cell;
};

// Everything a painter needs to draw one cell, resolved from cell, row, column and grid defaults.
struct CellLook {
    int alignCode = 4; // 3 x horizontal (0 left, 1 centre, 2 right) + vertical (0 top, 1 centre, 2 bottom)
    std::uint32_t backBgr = 0; // BGR
    std::string_view faceName; // valid until the model changes
    float sizePt = 9;
    bool isBold = false;
    bool isItalic = false;
    bool isUnderline = false;
    const vb::Variant* picture = nullptr; // nullptr: none; valid until the model changes
};

// The cell settings of RangeProp and SetRangeProp, by their contract numbers (the grid takes the bare
// numbers too, as the contract writes them).
enum class CellSetting : int {
    Text = 0,
    Align = 2, // alignment code 0..9
    Picture = 3,
    BackColour = 6, // BGR
    FaceName = 11,
    FontSize = 12, // points
    Bold = 13,
    Italic = 14,
    Underline = 15,
    Value = 18, // the number of the cell's value
};

// The settings the grid keeps and reads back with no effect on it (the contract leaves their effect
// open), named by the step of the system that puts them.
enum class KeptSetting : int {
    ChoiceTreeLines = 41, // the report choice's tree: 0
    ParameterLine = 66,   // the report window's laid-out parameter line: 3
    WindowLoad = 77,      // the report window as it loads: 0
    ChoiceTreeStyle = 82, // the report choice's tree: 5
};

// What changed, so a view knows whether to re-measure or only repaint.
enum class GridChange {
    Layout,    // counts, sizes, hidden columns, header rows, tree levels
    Content,   // texts, formats, styles, merges
    Selection, // selection or current cell
    Placement, // Move: the control's own position and size
    Scroll,    // ScrollTo: a view should show another place
};

// The rows a bound object lists: an array (field, record) and the field names.
struct BoundRows {
    std::shared_ptr<vb::Array> rows;
    std::vector<std::string> fieldNames;
};

// A small picture a cell can show left of its text (tree rows show one in column 0). Pixels are
// 0xAARRGGBB, row by row. Held in a Variant as an object.
class GridPicture : public vb::Object {
public:
    GridPicture(int width, int height, std::vector<std::uint32_t> argb);
    // The two the report list uses: a closed folder (a group) and a sheet of paper (a report).
    static std::shared_ptr<GridPicture> Folder();
    static std::shared_ptr<GridPicture> Document();

    int Width() const noexcept { return m_width; }
    int Height() const noexcept { return m_height; }
    const std::vector<std::uint32_t>& Argb() const noexcept { return m_argb; }

private:
    int m_width;
    int m_height;
    std::vector<std::uint32_t> m_argb;
};

} // namespace grid
