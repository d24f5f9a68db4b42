// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/SheetTypes.h"
#include "vb/Variant.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sheet {

class StylePool;
class MergeIndex;

// Rows a document shows without holding them. A print sheet's body is the report grid's rows, which
// already hold the data once: the sheet asks for a cell's value when a reader gets to it.
class BodyRows {
public:
    virtual ~BodyRows() = default;
    // Columns from 0 that may hold a value; every cell from here on is empty.
    virtual int ColCount() const = 0;
    // The value of a cell, row counted from the block's first row: 0 empty, 1 `number`, 2 `text`
    // (overwritten). Must answer for any row of the block and any column, whatever happened since.
    virtual int Value(int row, int col, double& number, std::string& text) const = 0;
};

// One sheet document: cells with values and interned styles, sizes in pixels, merges, print area,
// page line and page set-up. Rows and columns are 0-based. Every setter checks its arguments and
// returns false, leaving the document unchanged, when a position lies outside the sheet or a value is
// out of its range. Getters of a position outside the sheet return false / Null / 0.
class SheetDocument {
public:
    SheetDocument();
    ~SheetDocument();
    SheetDocument(const SheetDocument& other);
    SheetDocument& operator=(const SheetDocument& other);
    SheetDocument(SheetDocument&&) noexcept;
    SheetDocument& operator=(SheetDocument&&) noexcept;

    int SheetColCount() const { return m_cols; }
    int SheetRowCount() const { return static_cast<int>(m_rows.size()); }
    // Columns of a row that may hold something: every cell from here on is empty and in the default
    // style. Loops over content stop here, since a sheet may declare 16,384 columns and a million rows
    // while holding a handful of cells. 0 for a row outside the sheet.
    int StoredColCount(int row) const {
        if (row < 0 || row >= SheetRowCount()) {
            return 0;
        }
        return IsReferred(row)
                   ? m_body.storedCols
                   : std::min(static_cast<int>(m_rows[static_cast<std::size_t>(row)].Size()), m_cols);
    }
    // Shows rows [first, first + count), which must hold no cells, with the values of `rows` and per
    // column the style of `colStyles` (columns beyond it in the default style), without storing
    // them: a sheet of a million rows costs a few bytes a row. Readers see ordinary cells; an edit of
    // such a row stores it first, and so do structural edits of columns for every row. A block
    // shown before is stored first; a copy of the document stores them all. The source must answer
    // as long as the document (or one moved from it) refers to it. false, nothing changed, when the
    // rows hold cells (referred ones included).
    bool ReferRows(int first, int count, std::shared_ptr<const BodyRows> rows,
                   const std::vector<CellStyle>& colStyles);
    // Rows shown through ReferRows and not stored since.
    int ReferredRowCount() const;
    // Cuts rows at the end (their merges clipped, the print area clipped) or adds default rows.
    bool SetSheetRowCount(int rows);
    // Sizes a fresh document; what lay outside the new size is dropped.
    bool Resize(int cols, int rows);

    // Reads a .cll file into this document: 1 when loaded, 0 when not (the document is then unchanged
    // and LastError() says what was wrong and where).
    long OpenFile(const std::string& path);
    // Writes a .cll file through a temporary file in the same folder; false (LastError set) on failure.
    bool SaveFile(const std::string& path);
    const LoadError& LastError() const { return m_lastError; }
    // Writes an Excel 97-2003 workbook (.xls) through a temporary file in the same folder; false
    // (LastError set) on failure, and then no file of that name was created or changed.
    bool ExportExcel(const std::string& path);

    // The name the document goes by outside its file: a print job's name and a PDF's title. Not kept in
    // .cll files.
    const std::string& Title() const { return m_title; }
    void SetTitle(std::string title) { m_title = std::move(title); }

    bool SetColWidth(int col, int px); // 0 hides the column
    bool SetRowHeight(int row, int px);
    bool GetColWidth(int col, int& px) const;
    bool GetRowHeight(int row, int& px) const;

    // Text of the cell: Null when empty, the text of a string, the shortest decimal text of a number.
    bool GetCellText(int col, int row, vb::Variant& text) const;
    bool SetCellText(int col, int row, std::string_view text); // "" empties the cell
    // A string or any numeric sub-type (kept as Double); Empty, Null or "" empty the cell; others refused.
    bool SetCellValue(int col, int row, const vb::Variant& value);
    // Null, a Double or a String.
    vb::Variant CellValue(int col, int row) const;
    // Copy-free read for writers and dumps: 0 empty, 1 number, 2 text. The view lives until the next
    // edit or, for a referred row (ReferRows), until a cell of another referred row is read on the
    // same thread.
    int PeekCell(int col, int row, double& number, std::string_view& text) const;

    long GetCellAlign(int col, int row) const;
    bool SetCellAlign(int col, int row, long flags);
    bool GetCellFont(int col, int row, long& size, long& style, std::string& face) const;
    // size 1..409 points, style a code 0..8, face non-empty.
    bool SetCellFont(int col, int row, long size, long style, std::string_view face);
    bool GetCellNumFormat(int col, int row, NumFormat& format) const;
    bool SetCellNumFormat(int col, int row, const NumFormat& format);
    bool SetCellNumFormat(int col, int row, std::int16_t v1, bool v2, std::int16_t v3, std::int16_t v4,
                          double v5, std::int16_t v6, bool v7);
    int GetCellOption(int col, int row) const;
    bool SetCellOption(int col, int row, int value); // any 16-bit value

    // The block holding the cell (the cell itself when unmerged); true when the cell is merged.
    bool GetMergeRange(int col, int row, int& c1, int& r1, int& c2, int& r2) const;
    // One block over the rectangle; blocks it overlaps are dissolved first. A single cell only dissolves.
    bool MergeCells(int c1, int r1, int c2, int r2);
    // part: 0 every line, 1 outline, 2 inside lines, 3 inside vertical, 4 inside horizontal,
    // 5 left, 6 top, 7 right, 8 bottom edge of the rectangle. style 0..13 (0 removes), colour BGR.
    bool SetRangeBorder(int c1, int r1, int c2, int r2, int part, int style, long colour);
    bool SetPrintArea(int c1, int r1, int c2, int r2, int titleRows, int titleCols);
    // Title rows and columns alone, keeping the print range (or its absence).
    bool SetPrintTitles(int titleRows, int titleCols);
    bool SetPageLine(std::string_view left, std::string_view centre, std::string_view right);

    // Copies values and styles of the rectangle (and merges inside it, and row heights when whole rows
    // are taken) to a clipboard shared by every document of the process.
    bool CopyRange(int c1, int r1, int c2, int r2) const;
    // Pastes the clipboard with its top-left cell at (col, row); withFormat false pastes values only.
    // What falls outside the sheet is dropped; false when the clipboard is empty or nothing lands.
    bool PasteAt(int col, int row, bool withFormat);

    // Columns added at the right take the style and width of the last column, so appended header or
    // data columns look like their neighbours, as a sheet program fills them.
    bool AppendCols(int count);
    // Empty columns before col; they take the style and width of the column to their left (of col
    // itself when col is 0). Merges, the print area and title columns shift or widen around them.
    bool InsertCols(int col, int count);

    const PrintArea& GetPrintArea() const { return m_printArea; }
    const PageLine& GetPageLine() const { return m_pageLine; }
    const PageSetup& GetPageSetup() const { return m_pageSetup; }
    bool SetPageSetup(const PageSetup& setup);
    // The name of the sheet's tab in a workbook ("" none): kept so that a template taken out to a
    // spreadsheet program and back keeps it. 1..31 characters without []:*?/\, or "" to clear.
    const std::string& SheetName() const { return m_sheetName; }
    bool SetSheetName(std::string_view name);
    const std::vector<MergeRange>& Merges() const;

    // Whole-style access for file readers, importers and copy.
    const CellStyle& StyleAt(int col, int row) const;
    bool SetCellStyle(int col, int row, const CellStyle& style);
    // The same style for every cell of the rectangle, interned once (a print rebuild styles whole
    // columns of a hundred thousand rows).
    bool SetRangeStyle(int c1, int r1, int c2, int r2, const CellStyle& style);
    // Interned style index of the cell; indexes are only stable until the next save or copy.
    std::uint32_t StyleIndexAt(int col, int row) const;
    const CellStyle& StyleByIndex(std::uint32_t index) const;
    std::size_t StyleCount() const;

    bool CheckConsistency() const;

private:
    friend class CllReader;

    // 16 bytes, no heap object of its own: a text lives in the document's text arena.
    struct Cell {
        std::uint32_t style = 0;
        std::uint32_t length = 0; // 0 empty, kNumber a number, else text length in the arena
        std::uint64_t payload = 0;
    };
    static constexpr std::uint32_t kNumber = 0xFFFFFFFFu;
    // 16 bytes, as a print sheet of a million rows has a million of them while its body only refers
    // to the grid's rows. Trailing default cells are not stored. The cells live in one block whose
    // first slot holds the block's capacity: appends stay amortised, and a row sized at once (a stored
    // row, a copy) takes no more than its cells.
    class Row {
        Cell* m_block = nullptr; // nullptr, or capacity + 1 slots
        std::uint32_t m_count = 0;

    public:
        // Every setter checks the height against kMaxRowHeightPx before it lands here.
        std::uint16_t heightPx = kDefaultRowHeightPx;
        bool stored = false; // a row of the referred block that holds its own cells now

        Row() = default;
        ~Row() { delete[] m_block; }
        Row(const Row& other);
        Row& operator=(const Row& other);
        Row(Row&& other) noexcept;
        Row& operator=(Row&& other) noexcept;

        std::span<Cell> Cells() { return {Data(), m_count}; }
        std::span<const Cell> Cells() const { return {Data(), m_count}; }
        std::size_t Size() const { return m_count; }
        bool Empty() const { return m_count == 0; }
        Cell& operator[](std::size_t at) { return Data()[at]; }
        const Cell& operator[](std::size_t at) const { return Data()[at]; }
        Cell& Back() { return Data()[m_count - 1]; }
        // Cells added at the end are `fill`; cells cut are dropped (their texts are the caller's).
        void Resize(std::size_t count, const Cell& fill);
        void Resize(std::size_t count) { Resize(count, Cell()); }
        void PushBack(const Cell& cell) { Resize(m_count + 1u, cell); }
        void PopBack() { --m_count; }
        // `count` cells of `fill` before position `at` (<= Size()).
        void Insert(std::size_t at, std::size_t count, const Cell& fill);

    private:
        Cell* Data() const { return m_block == nullptr ? nullptr : m_block + 1; }
        std::size_t Capacity() const { return m_block == nullptr ? 0 : m_block[0].payload; }
        void Reallocate(std::size_t capacity);
    };
    static_assert(sizeof(Row) == 16);
    static_assert(kMaxRowHeightPx <= UINT16_MAX);
    // The referred block (ReferRows): rows [first, first + count) that are not `stored` take their
    // values from `rows` and their style index per column from `styles` (m_cols long).
    struct Body {
        int first = 0;
        int count = 0;
        std::shared_ptr<const BodyRows> rows;
        std::vector<std::uint32_t> styles;
        int valueCols = 0;    // columns that may hold a value
        int storedCols = 0;   // StoredColCount of a referred row
        std::uint64_t id = 0; // unique per ReferRows call, for the per-thread row of converted values
    };

    bool InSheet(int col, int row) const {
        return col >= 0 && row >= 0 && col < m_cols && row < SheetRowCount();
    }
    bool ValidRect(int c1, int r1, int c2, int r2) const;
    bool IsReferred(int row) const {
        return row >= m_body.first && row - m_body.first < m_body.count &&
               !m_rows[static_cast<std::size_t>(row)].stored;
    }
    // A referred cell's value; the text views a per-thread copy of the row that lasts until a cell of
    // another referred row is read on the same thread.
    int BodyValue(int col, int row, double& number, std::string_view& text) const;
    void StoreRow(int row);
    void StoreRows(int r1, int r2);
    void StoreAllRows();
    void UpdateBodyStoredCols();
    const Cell* FindCell(int col, int row) const;
    Cell& CellRef(int col, int row);
    void ClearValue(Cell& cell);
    void SetText(Cell& cell, std::string_view text);
    std::string_view TextOf(const Cell& cell) const;
    template <typename Fn> bool EditStyle(int col, int row, Fn&& edit);
    void SetEdge(int col, int row, int edge, BorderLine line);
    void CompactTexts();
    void AssertConsistent() const;

    int m_cols = 0;
    std::vector<Row> m_rows;
    std::vector<int> m_colWidths;
    std::unique_ptr<StylePool> m_styles;
    std::unique_ptr<MergeIndex> m_merges;
    Body m_body;
    std::string m_texts;       // text arena; overwritten texts leave garbage until compaction
    std::size_t m_garbage = 0; // bytes of m_texts no cell refers to
    PrintArea m_printArea;
    PageLine m_pageLine;
    std::string m_sheetName;
    PageSetup m_pageSetup;
    LoadError m_lastError;
    std::string m_title;
};

} // namespace sheet
