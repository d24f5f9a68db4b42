// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/grid/GridTypes.h"
#include "vb/Array.h"
#include "vb/Format.h"
#include "vb/Variant.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace grid {

namespace detail {
struct CellStyle;
struct GridStores;
} // namespace detail

// The grid control's state and operations, without any window. Rows and columns are 0-based and count
// the header rows; sizes are twips; colours are BGR numbers 0..0xFFFFFF.
//
// Every operation checks its arguments first and raises vb::Error with a Chinese description on bad
// input (a row or column outside the grid, a negative count, a format that does not parse, an array of
// the wrong shape, an unknown setting); a refused call leaves the grid as it was.
//
// Data rows filled from an array keep the array itself (shared): cells are read from it, and formatted,
// only when asked for. Writing to that array afterwards shows in the grid.
class GridModel {
public:
    GridModel();
    ~GridModel();
    GridModel(const GridModel&) = delete;
    GridModel& operator=(const GridModel&) = delete;

    // --- Size -----------------------------------------------------------------------------------
    int GridRowCount() const noexcept { return m_rowCount; }
    void SetGridRowCount(int rows); // cuts or adds at the end, in time proportional to the change
    int GridColCount() const noexcept { return static_cast<int>(m_columns.size()); }
    void SetGridColCount(int cols);
    int HeaderRowCount() const noexcept { return m_headerRows; }
    void SetHeaderRowCount(int rows); // 0..GridRowCount
    int HeaderColCount() const noexcept { return m_headerCols; }
    void SetHeaderColCount(int cols); // 0..GridColCount; frozen at the left in the view

    // --- Header merging ---------------------------------------------------------------------------
    // 0: no merging; 5: header cells with equal text show as one where row and column are flagged.
    // Other modes are refused.
    int MergeMode() const noexcept { return m_mergeMode; }
    void SetMergeMode(int mode);
    bool RowMergeFlag(int row) const;
    void SetRowMergeFlag(int row, bool isMerged);
    bool ColMergeFlag(int col) const;
    void SetColMergeFlag(int col, bool isMerged);
    // The block holding a header cell, or nullptr when it shows alone. Valid until the next change.
    const MergeSpan* MergedSpanAt(int row, int col) const;
    std::vector<MergeSpan> MergedSpans() const;

    // --- Sizes and columns ------------------------------------------------------------------------
    int RowHeightTwips(int row) const;
    void SetRowHeightTwips(int row, int twips); // 0..1,000,000
    // Rows firstRow..lastRow all take the height, as one stored run and one layout change.
    void SetRowsHeightTwips(int firstRow, int lastRow, int twips);
    int ColWidthTwips(int col) const;
    void SetColWidthTwips(int col, int twips); // 0..1,000,000; a user's drag lands here too
    bool ColHiddenFlag(int col) const;
    void SetColHiddenFlag(int col, bool isHidden);
    int ColAlignCode(int col) const;         // -1: general (numbers right, text left, both centred)
    void SetColAlignCode(int col, int code); // 0..8, or 9 for general
    const std::string& ColFormatText(int col) const;
    void SetColFormatText(int col, const std::string& format); // "" = general text

    // --- Cells ---------------------------------------------------------------------------------------
    // Settings: 0 text, 2 alignment code, 3 picture, 6 back colour, 11 font name, 12 font size,
    // 13 bold, 14 italic, 15 underline, 18 numeric value. A put writes every cell of the rectangle
    // (row2, col2 default to row1, col1, either corner order); a get reads the first cell. Text reads
    // back as displayed (formatted); value 18 reads the number of the cell's value (0 when it has none).
    vb::Variant RangeProp(int setting, int row1, int col1) const;
    vb::Variant RangeProp(int setting, int row1, int col1, int row2) const;
    vb::Variant RangeProp(int setting, int row1, int col1, int row2, int col2) const;
    void SetRangeProp(int setting, int row1, int col1, const vb::Variant& value);
    void SetRangeProp(int setting, int row1, int col1, int row2, const vb::Variant& value);
    void SetRangeProp(int setting, int row1, int col1, int row2, int col2, const vb::Variant& value);
    // The same with the setting by name.
    template <class... Rest> vb::Variant RangeProp(CellSetting setting, Rest... rest) const {
        return RangeProp(static_cast<int>(setting), rest...);
    }
    template <class... Rest> void SetRangeProp(CellSetting setting, Rest&&... rest) {
        SetRangeProp(static_cast<int>(setting), std::forward<Rest>(rest)...);
    }
    std::string CellTextAt(int row, int col) const;
    // The displayed text appended to out; the allocation-free path painting uses. No range check.
    void AppendCellText(int row, int col, std::string& out) const;
    // The stored value before formatting. No range check beyond the grid (outside: Empty).
    vb::Variant CellValue(int row, int col) const;
    CellLook CellLookAt(int row, int col) const;

    // --- Data -------------------------------------------------------------------------------------------
    // Function 2 (sum) of column col over the data rows, with groupOn -1 (the whole grid), into one
    // totals row shared by every call and appended last, shown in `format` (the column's when empty)
    // on back colour `colour`. Other functions and grouping are refused.
    void AddTotalRow(int function, int groupOn, int col, const std::string& format, long colour);
    int TotalsRow() const noexcept { return m_totalsRow; } // -1: none
    // A 2-D array (column, record): one data row per record below the header rows, replacing the data
    // rows there were. More columns than the grid has, or any other shape, is refused.
    void FillFromArray(const vb::Variant& array);
    // Empties every cell and style (values, colours, fonts, pictures, tree levels, totals) and
    // releases the data; counts, sizes, formats and header flags stay.
    void ClearGrid();
    // Null releases the data array; its rows stay as empty rows.
    void DetachArray(const vb::Variant& nothing);
    // An object's rows as data rows (columns become its fields), read by `binder` (a recordset's:
    // RecordsetRows in RecordsetBinding.h), which answers nullopt for an object it cannot read; Empty,
    // Null or a null object unbinds, and needs no binder.
    using Binder = std::function<std::optional<BoundRows>(const vb::Object&)>;
    void SetDataBinding(const vb::Variant& object, const Binder& binder = {});
    // A row at index (0..GridRowCount) holding text in column 0, or tab-separated texts from column 0.
    void InsertRowAt(const std::string& text, int index);

    // --- Tree ---------------------------------------------------------------------------------------------
    bool RowIsNode(int row) const;
    void SetRowIsNode(int row, bool isNode);
    int RowLevel(int row) const;          // 0 when never set
    void SetRowLevel(int row, int level); // 0..16

    // --- Selection and events --------------------------------------------------------------------
    // The selection (normalised) and the current cell; -1 rows/cols while the grid is empty.
    MergeSpan Selection() const noexcept { return m_selection; }
    void SelectRange(int row1, int col1, int row2, int col2); // current cell moves to (row1, col1)
    // Moves the current cell, and the corner Shift extends from, leaving the selection as it is (a
    // click handler that selects the clicked row keeps the clicked column current).
    void SetCursorCell(int row, int col);
    int ClickRow() const noexcept { return m_clickRow; } // -1 before the first click
    int CursorRow() const noexcept { return m_cursorRow; }
    int CursorCol() const noexcept { return m_cursorCol; }
    void SetClickHandler(std::function<void()> handler) { m_onClick = std::move(handler); }
    void SetDblClickHandler(std::function<void()> handler) { m_onDblClick = std::move(handler); }
    // What a view reports: the press on a cell (sets ClickRow, current cell and selection, then
    // raises click) and the double click (raises double click). Out-of-range cells are ignored. A
    // press that extends the selection (Shift) and a drag over data cells only select, as Shift with
    // the arrow keys does: the click event would put back a selection of its own.
    void UserClick(int row, int col, bool isExtending = false);
    void UserDrag(int row, int col);
    void UserDoubleClick(int row, int col);
    // Keyboard: moves the current cell among data rows and shown columns; isExtending grows the
    // selection from its anchor instead of replacing it.
    void MoveCursor(int rowDelta, int colDelta, bool isExtending = false);

    // --- The user's place ----------------------------------------------------------------------------
    // Where a view shows the grid. The view reports the user's scrolling (SetScrollFromView, no change
    // raised); ScrollTo asks the view for a place (GridChange::Scroll), which it takes once it has laid
    // the grid out, as far as the rows and columns allow. Until then ScrollPosition is the place asked
    // for, so a grid without a view keeps it as well. Negative values count as 0.
    GridScroll ScrollPosition() const noexcept { return m_scroll; }
    void ScrollTo(GridScroll place);
    bool IsScrollPending() const noexcept { return m_isScrollPending; }
    void SetScrollFromView(GridScroll place);
    // Scroll position, selection and current cell; RestorePlace puts back the selection and current
    // cell where they still lie within the grid (else the grid keeps its own) and scrolls.
    GridPlace Place() const noexcept;
    void RestorePlace(const GridPlace& place);

    // --- Find ---------------------------------------------------------------------------------------
    // The first cell after `from` (before it, isBackward) in row-major order whose displayed text holds
    // the query, among the data rows and shown columns; header rows and hidden columns never match. A
    // `from` outside the data rows starts at the first (last) data cell. Looks at no more than
    // rowBudget rows (at least 1), so a window can stay responsive: Continue hands back where to go on
    // from. Never wraps.
    FindStep FindText(const FindQuery& query, CellPos from, bool isBackward, int rowBudget) const;
    // Matching cells in data rows [firstRow, firstRow + rowCount) (clipped to the data rows).
    long CountMatches(const FindQuery& query, int firstRow, int rowCount) const;

    // --- Repaint, placement and inert settings ------------------------------------------------------
    void Refresh();
    int Left() const noexcept { return m_left; }
    int Top() const noexcept { return m_top; }
    int Width() const noexcept { return m_width; }
    int Height() const noexcept { return m_height; }
    void Move(int left, int top, int width, int height); // twips, negative sizes refused
    // The view tells the model where it ended up (a layout moved it) without a Placement change.
    void SetPlacementFromView(int left, int top, int width, int height);
    // Settings 41, 66, 77 and 82 are kept and read back but change nothing; other ids are refused.
    long InertSetting(int id) const;
    void SetInertSetting(int id, long value);
    long InertSetting(KeptSetting id) const { return InertSetting(static_cast<int>(id)); }
    void SetInertSetting(KeptSetting id, long value) { SetInertSetting(static_cast<int>(id), value); }

    // Called after each change; a view repaints or re-measures. One observer.
    void SetChangeHandler(std::function<void(GridChange)> handler) { m_onChange = std::move(handler); }
    // Expires when the model is destroyed, so a view that outlives its model (widgets are deleted by
    // their parents, often after the window's state) stops touching it.
    std::weak_ptr<const void> Lifetime() const { return m_lifetime; }

    // Internal structures agree with each other and with the counts. Tests and debug builds check it.
    bool CheckConsistency() const;

    // Exchanges everything the grid shows (rows, columns, cells, styles, formats, merges, selection,
    // scroll position and settings) with `other`; the observers, the lifetime and the control's placement
    // stay with each object. A window keeps the grid of the report it shows while it builds another one, and
    // puts it back when that build fails. Both observers hear of a layout change.
    void SwapContents(GridModel& other) noexcept;

private:
    struct Column {
        int widthTwips = 1080;
        int alignCode = -1;
        std::uint32_t formatId = 0;
        bool isHidden = false;
        bool isMerged = false;
    };
    // A run of rows: blank (source -1) or records [firstRecord, firstRecord + count) of a source array.
    struct RowPiece {
        int count = 0;
        int source = -1;
        long firstRecord = 0;
    };
    struct Source {
        std::shared_ptr<vb::Array> array;
        long lower0 = 0;
        long lower1 = 0;
        int cols = 0;
    };
    struct CellEntry {
        vb::Variant value;
        bool hasValue = false;
        std::uint32_t styleId = 0;
        std::uint32_t formatId = 0; // 0: the column's format
    };
    static std::uint64_t Key(int row, int col) {
        return static_cast<std::uint64_t>(row) << 32 | static_cast<std::uint32_t>(col);
    }

    void CheckRow(int row) const;
    void CheckCol(int col) const;
    void CheckRect(int& row1, int& col1, int& row2, int& col2) const;
    void Changed(GridChange change);
    void AfterMutation();
    std::uint32_t InternFormat(const std::string& format);
    const vb::DisplayFormat& FormatFor(int row, int col, const CellEntry* entry) const;
    const CellEntry* EntryAt(int row, int col) const;
    vb::Variant SourceValue(int row, int col) const;
    void SetRows(int rows);
    void TrimRows(int rows);
    void ReplaceDataRows(int source, long records);
    void RebuildPieceStarts();
    void WriteStyle(int row1, int col1, int row2, int col2, const detail::CellStyle& delta);
    void WriteValues(int row1, int col1, int row2, int col2, const vb::Variant& value);
    void InvalidateMerge() { m_isMergeDirty = true; }
    void EnsureMerge() const;
    void ResetSelection();
    void MoveCurrentCell(int row, int col, bool isExtending);
    template <class Visit>
    void ScanRows(const FindQuery& query, int firstRow, int lastRow, Visit visit) const;

    int m_rowCount = 0;
    int m_headerRows = 0;
    int m_headerCols = 0;
    int m_mergeMode = 0;
    int m_totalsRow = -1;
    std::vector<Column> m_columns;
    std::vector<RowPiece> m_pieces;
    std::vector<int> m_pieceStarts; // first row of each piece
    std::vector<Source> m_sources;
    std::map<std::uint64_t, CellEntry> m_cells;   // sparse overrides, ordered by row then column
    std::unique_ptr<detail::GridStores> m_stores; // styles, row runs, merge index
    std::vector<vb::DisplayFormat> m_formats;     // interned; 0 is general text
    mutable bool m_isMergeDirty = true;

    MergeSpan m_selection{-1, -1, -1, -1};
    int m_cursorRow = -1;
    int m_cursorCol = -1;
    int m_anchorRow = -1;
    int m_anchorCol = -1;
    int m_clickRow = -1;
    GridScroll m_scroll;
    bool m_isScrollPending = false;
    int m_left = 0;
    int m_top = 0;
    int m_width = 0;
    int m_height = 0;
    std::map<int, long> m_inertSettings;
    std::function<void()> m_onClick;
    std::function<void()> m_onDblClick;
    std::function<void(GridChange)> m_onChange;
    std::shared_ptr<const int> m_lifetime = std::make_shared<const int>(0);
};

} // namespace grid
