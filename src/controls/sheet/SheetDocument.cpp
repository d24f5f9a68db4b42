// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Storage of a sheet, and why it looks this way:
//  1. A print sheet of a big report has 100,000 rows of ten cells that share a handful of styles.
//     A cell is therefore 16 bytes: a style index, a length and a payload (a double, or an offset
//     into the document's text arena). No cell owns a heap object; a row owns one block of cells.
//  2. Rows store cells only up to their last non-default cell; a cell beyond is empty with style 0.
//  3. The text arena only grows while cells are overwritten; the bytes no cell refers to are counted
//     in m_garbage and the arena is compacted once they outweigh the live text. Live text plus
//     garbage always equals the arena's size (CheckConsistency checks it), which is what makes the
//     compaction decision right.
//  4. Structural edits (row count, inserted columns, merges, paste) keep merges, widths and the print
//     area in step; debug builds assert CheckConsistency after each of them.
//  5. A referred block (ReferRows) keeps no cells: reads ask its source, and every edit goes through
//     CellRef, EditStyle or the range edits, which store the rows they touch first. So an edit never
//     sees a half-referred row, and what a row shows does not change when it is stored. Edits that
//     move columns store every row (they are template edits, never made on a print sheet's body);
//     the frame drawn around a body is applied to its column styles, as it is the same on every row.
#include "controls/sheet/SheetDocument.h"

#include "controls/sheet/CllFile.h"
#include "controls/sheet/MergeIndex_p.h"
#include "controls/sheet/StylePool_p.h"
#include "vb/Conversion.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cassert>
#include <cmath>
#include <utility>

namespace sheet {

namespace {

constexpr std::size_t kCompactMinGarbage = 64 * 1024;

// The values of one referred row, converted once for every read of that row on this thread: writers
// and the page plan read a row's cells together, and some of them more than once (a text running on
// over empty neighbours, a string table collected before the cells are written). Per thread, so
// const reads stay safe from several threads.
struct RowValues {
    struct Value {
        int kind = 0;
        double number = 0;
        std::uint32_t textStart = 0;
        std::uint32_t textSize = 0;
    };
    std::uint64_t body = 0; // the block's id; 0 holds nothing
    int row = -1;
    std::vector<Value> values;
    std::string texts;
};
thread_local RowValues t_rowValues;
std::atomic<std::uint64_t> g_nextBodyId{1};

} // namespace

SheetDocument::Row::Row(const Row& other) : heightPx(other.heightPx), stored(other.stored) {
    Resize(other.m_count);
    std::copy_n(other.Data(), m_count, Data());
}

SheetDocument::Row& SheetDocument::Row::operator=(const Row& other) {
    if (this != &other) {
        Row copy(other);
        *this = std::move(copy);
    }
    return *this;
}

SheetDocument::Row::Row(Row&& other) noexcept
    : m_block(std::exchange(other.m_block, nullptr)), m_count(std::exchange(other.m_count, 0)),
      heightPx(other.heightPx), stored(other.stored) {}

SheetDocument::Row& SheetDocument::Row::operator=(Row&& other) noexcept {
    std::swap(m_block, other.m_block);
    std::swap(m_count, other.m_count);
    heightPx = other.heightPx;
    stored = other.stored;
    return *this;
}

void SheetDocument::Row::Reallocate(std::size_t capacity) {
    Cell* block = new Cell[capacity + 1];
    block[0].payload = capacity;
    std::copy_n(Data(), std::min<std::size_t>(m_count, capacity), block + 1);
    delete[] m_block;
    m_block = block;
}

void SheetDocument::Row::Resize(std::size_t count, const Cell& fill) {
    if (count > Capacity()) {
        // A row of nothing yet is sized exactly (a stored row, a copy); one that grows doubles.
        Reallocate(m_count == 0 ? count : std::max(count, 2 * Capacity()));
    }
    std::fill(Data() + std::min<std::size_t>(m_count, count), Data() + count, fill);
    m_count = static_cast<std::uint32_t>(count);
}

void SheetDocument::Row::Insert(std::size_t at, std::size_t count, const Cell& fill) {
    const std::size_t tail = m_count - at;
    Resize(m_count + count, fill);
    std::copy_backward(Data() + at, Data() + at + tail, Data() + m_count);
    std::fill_n(Data() + at, count, fill);
}

SheetDocument::SheetDocument()
    : m_styles(std::make_unique<StylePool>()), m_merges(std::make_unique<MergeIndex>()) {}
SheetDocument::~SheetDocument() = default;
SheetDocument::SheetDocument(SheetDocument&&) noexcept = default;
SheetDocument& SheetDocument::operator=(SheetDocument&&) noexcept = default;

SheetDocument::SheetDocument(const SheetDocument& other)
    : m_cols(other.m_cols), m_rows(other.m_rows), m_colWidths(other.m_colWidths),
      m_styles(std::make_unique<StylePool>(*other.m_styles)),
      m_merges(std::make_unique<MergeIndex>(*other.m_merges)), m_body(other.m_body), m_texts(other.m_texts),
      m_garbage(other.m_garbage), m_printArea(other.m_printArea), m_pageLine(other.m_pageLine),
      m_sheetName(other.m_sheetName), m_pageSetup(other.m_pageSetup), m_lastError(other.m_lastError),
      m_title(other.m_title) {
    // A copy may outlive what the original's referred rows come from (a window's grid): it holds
    // them itself.
    StoreAllRows();
}

SheetDocument& SheetDocument::operator=(const SheetDocument& other) {
    if (this != &other) {
        SheetDocument copy(other);
        *this = std::move(copy);
    }
    return *this;
}

void SheetDocument::AssertConsistent() const {
    // A failure here is a bug in a structural edit, never bad input: inputs are checked before.
    assert(CheckConsistency());
}

bool SheetDocument::ValidRect(int c1, int r1, int c2, int r2) const {
    return InSheet(c1, r1) && InSheet(c2, r2) && c1 <= c2 && r1 <= r2;
}

const SheetDocument::Cell* SheetDocument::FindCell(int col, int row) const {
    const Row& r = m_rows[static_cast<std::size_t>(row)];
    return static_cast<std::size_t>(col) < r.Size() ? &r[static_cast<std::size_t>(col)] : nullptr;
}

SheetDocument::Cell& SheetDocument::CellRef(int col, int row) {
    if (IsReferred(row)) {
        StoreRow(row);
    }
    Row& cells = m_rows[static_cast<std::size_t>(row)];
    if (static_cast<std::size_t>(col) >= cells.Size()) {
        cells.Resize(static_cast<std::size_t>(col) + 1);
    }
    return cells[static_cast<std::size_t>(col)];
}

bool SheetDocument::ReferRows(int first, int count, std::shared_ptr<const BodyRows> rows,
                              const std::vector<CellStyle>& colStyles) {
    if (rows == nullptr || first < 0 || count < 0 || count > SheetRowCount() - first ||
        colStyles.size() > static_cast<std::size_t>(m_cols)) {
        return false;
    }
    for (int row = first; row < first + count; ++row) {
        if (!m_rows[static_cast<std::size_t>(row)].Empty() || IsReferred(row)) {
            return false;
        }
    }
    StoreAllRows();
    Body body{first, count, std::move(rows), std::vector<std::uint32_t>(static_cast<std::size_t>(m_cols), 0),
              0,     0,     g_nextBodyId++};
    for (std::size_t col = 0; col < colStyles.size(); ++col) {
        body.styles[col] = m_styles->Intern(colStyles[col]);
    }
    body.valueCols = std::clamp(body.rows->ColCount(), 0, m_cols);
    m_body = std::move(body);
    UpdateBodyStoredCols();
    AssertConsistent();
    return true;
}

int SheetDocument::ReferredRowCount() const {
    int count = 0;
    for (int row = m_body.first; row < m_body.first + m_body.count; ++row) {
        count += IsReferred(row) ? 1 : 0;
    }
    return count;
}

void SheetDocument::UpdateBodyStoredCols() {
    int cols = m_body.valueCols;
    for (int col = m_cols - 1; col >= cols; --col) {
        if (m_body.styles[static_cast<std::size_t>(col)] != 0) {
            cols = col + 1;
            break;
        }
    }
    m_body.storedCols = cols;
}

int SheetDocument::BodyValue(int col, int row, double& number, std::string_view& text) const {
    if (col >= m_body.valueCols) {
        return 0;
    }
    RowValues& cache = t_rowValues;
    if (cache.body != m_body.id || cache.row != row) {
        cache.body = 0; // holds nothing should the source throw
        cache.values.assign(static_cast<std::size_t>(m_body.valueCols), {});
        cache.texts.clear();
        std::string scratch;
        for (int c = 0; c < m_body.valueCols; ++c) {
            RowValues::Value& value = cache.values[static_cast<std::size_t>(c)];
            scratch.clear();
            double read = 0;
            // As SetCellValue: what it would refuse or take as empty leaves the cell empty.
            switch (m_body.rows->Value(row - m_body.first, c, read, scratch)) {
            case 1:
                if (std::isfinite(read)) {
                    value.kind = 1;
                    value.number = read;
                }
                break;
            case 2:
                if (!scratch.empty() && scratch.size() <= kMaxCellTextBytes) {
                    value.kind = 2;
                    value.textStart = static_cast<std::uint32_t>(cache.texts.size());
                    value.textSize = static_cast<std::uint32_t>(scratch.size());
                    cache.texts += scratch;
                }
                break;
            default:
                break;
            }
        }
        cache.body = m_body.id;
        cache.row = row;
    }
    const RowValues::Value& value = cache.values[static_cast<std::size_t>(col)];
    if (value.kind == 1) {
        number = value.number;
    } else if (value.kind == 2) {
        text = std::string_view(cache.texts).substr(value.textStart, value.textSize);
    }
    return value.kind;
}

void SheetDocument::StoreRow(int row) {
    Row& r = m_rows[static_cast<std::size_t>(row)];
    r.stored = true;
    r.Resize(static_cast<std::size_t>(m_body.storedCols));
    std::string_view text;
    for (int col = 0; col < m_body.storedCols; ++col) {
        Cell& cell = r[static_cast<std::size_t>(col)];
        cell.style = m_body.styles[static_cast<std::size_t>(col)];
        double number = 0;
        const int kind = BodyValue(col, row, number, text);
        if (kind == 1) {
            cell.length = kNumber;
            cell.payload = std::bit_cast<std::uint64_t>(number);
        } else if (kind == 2) {
            SetText(cell, text);
        }
    }
    while (!r.Empty() && r.Back().style == 0 && r.Back().length == 0) {
        r.PopBack();
    }
}

void SheetDocument::StoreRows(int r1, int r2) {
    for (int row = std::max(r1, m_body.first); row <= r2 && row < m_body.first + m_body.count; ++row) {
        if (IsReferred(row)) {
            StoreRow(row);
        }
    }
}

void SheetDocument::StoreAllRows() {
    StoreRows(m_body.first, m_body.first + m_body.count - 1);
    for (int row = m_body.first; row < m_body.first + m_body.count; ++row) {
        m_rows[static_cast<std::size_t>(row)].stored = false;
    }
    m_body = {};
}

void SheetDocument::ClearValue(Cell& cell) {
    if (cell.length != 0 && cell.length != kNumber) {
        m_garbage += cell.length;
    }
    cell.length = 0;
    cell.payload = 0;
}

void SheetDocument::SetText(Cell& cell, std::string_view text) {
    ClearValue(cell);
    if (text.empty()) {
        return;
    }
    cell.payload = m_texts.size();
    cell.length = static_cast<std::uint32_t>(text.size());
    m_texts.append(text);
    if (m_garbage > kCompactMinGarbage && m_garbage > m_texts.size() / 2) {
        CompactTexts();
    }
}

std::string_view SheetDocument::TextOf(const Cell& cell) const {
    return std::string_view(m_texts).substr(cell.payload, cell.length);
}

void SheetDocument::CompactTexts() {
    std::string texts;
    texts.reserve(m_texts.size() - m_garbage);
    for (Row& row : m_rows) {
        for (Cell& cell : row.Cells()) {
            if (cell.length != 0 && cell.length != kNumber) {
                const std::size_t at = texts.size();
                texts.append(m_texts, cell.payload, cell.length);
                cell.payload = at;
            }
        }
    }
    m_texts = std::move(texts);
    m_garbage = 0;
}

bool SheetDocument::Resize(int cols, int rows) {
    if (cols < 0 || cols > kMaxCols || rows < 0 || rows > kMaxRows) {
        return false;
    }
    if (cols != m_cols) {
        StoreAllRows();
    }
    if (cols < m_cols) {
        for (Row& row : m_rows) {
            if (row.Size() > static_cast<std::size_t>(cols)) {
                for (Cell& cell : row.Cells().subspan(static_cast<std::size_t>(cols))) {
                    ClearValue(cell);
                }
                row.Resize(static_cast<std::size_t>(cols));
            }
        }
        std::vector<MergeRange> kept;
        for (const MergeRange& m : m_merges->All()) {
            if (m.c1 < cols) {
                kept.push_back({m.c1, m.r1, std::min(m.c2, cols - 1), m.r2});
            }
        }
        m_merges->Clear();
        for (const MergeRange& m : kept) {
            m_merges->Merge(m);
        }
        if (m_printArea.IsSet() && m_printArea.c1 >= cols) {
            m_printArea = {};
        } else if (m_printArea.IsSet()) {
            m_printArea.c2 = std::min(m_printArea.c2, cols - 1);
        }
        m_printArea.titleCols = std::min(m_printArea.titleCols, cols);
    }
    m_colWidths.resize(static_cast<std::size_t>(cols), kDefaultColWidthPx);
    m_cols = cols;
    return SetSheetRowCount(rows);
}

bool SheetDocument::SetSheetRowCount(int rows) {
    if (rows < 0 || rows > kMaxRows) {
        return false;
    }
    if (rows < SheetRowCount()) {
        for (auto it = m_rows.begin() + rows; it != m_rows.end(); ++it) {
            for (Cell& cell : it->Cells()) {
                ClearValue(cell);
            }
        }
        m_rows.resize(static_cast<std::size_t>(rows));
        m_body.count = std::clamp(rows - m_body.first, 0, m_body.count);
        if (m_body.count == 0) {
            m_body = {};
        }
        m_merges->TruncateRows(rows);
        if (m_printArea.IsSet() && m_printArea.r1 >= rows) {
            const int titleCols = m_printArea.titleCols;
            m_printArea = {};
            m_printArea.titleCols = titleCols;
        } else if (m_printArea.IsSet()) {
            m_printArea.r2 = std::min(m_printArea.r2, rows - 1);
        }
        m_printArea.titleRows = std::min(m_printArea.titleRows, rows);
        if (m_garbage > kCompactMinGarbage && m_garbage > m_texts.size() / 2) {
            CompactTexts();
        }
    } else {
        m_rows.resize(static_cast<std::size_t>(rows));
    }
    AssertConsistent();
    return true;
}

bool SheetDocument::SetColWidth(int col, int px) {
    if (col < 0 || col >= m_cols || px < 0 || px > kMaxColWidthPx) {
        return false;
    }
    m_colWidths[static_cast<std::size_t>(col)] = px;
    return true;
}

bool SheetDocument::SetRowHeight(int row, int px) {
    if (row < 0 || row >= SheetRowCount() || px < 0 || px > kMaxRowHeightPx) {
        return false;
    }
    m_rows[static_cast<std::size_t>(row)].heightPx = static_cast<std::uint16_t>(px);
    return true;
}

bool SheetDocument::GetColWidth(int col, int& px) const {
    if (col < 0 || col >= m_cols) {
        return false;
    }
    px = m_colWidths[static_cast<std::size_t>(col)];
    return true;
}

bool SheetDocument::GetRowHeight(int row, int& px) const {
    if (row < 0 || row >= SheetRowCount()) {
        return false;
    }
    px = m_rows[static_cast<std::size_t>(row)].heightPx;
    return true;
}

bool SheetDocument::GetCellText(int col, int row, vb::Variant& text) const {
    if (!InSheet(col, row)) {
        text = vb::Variant::Null();
        return false;
    }
    const vb::Variant value = CellValue(col, row);
    text = value.IsString() || value.IsNull() ? value : vb::Variant(vb::NumberText(value.AsDouble()));
    return true;
}

bool SheetDocument::SetCellText(int col, int row, std::string_view text) {
    if (!InSheet(col, row) || text.size() > kMaxCellTextBytes) {
        return false;
    }
    SetText(CellRef(col, row), text);
    return true;
}

bool SheetDocument::SetCellValue(int col, int row, const vb::Variant& value) {
    if (!InSheet(col, row)) {
        return false;
    }
    if (value.IsEmpty() || value.IsNull()) {
        ClearValue(CellRef(col, row));
        return true;
    }
    if (value.IsString()) {
        return SetCellText(col, row, value.AsString());
    }
    const std::optional<double> number = value.NumberValue();
    if (!number || !std::isfinite(*number)) {
        return false;
    }
    Cell& cell = CellRef(col, row);
    ClearValue(cell);
    cell.length = kNumber;
    cell.payload = std::bit_cast<std::uint64_t>(*number);
    return true;
}

vb::Variant SheetDocument::CellValue(int col, int row) const {
    if (InSheet(col, row) && IsReferred(row)) {
        double number = 0;
        std::string_view text;
        const int kind = BodyValue(col, row, number, text);
        return kind == 1 ? vb::Variant(number) : kind == 2 ? vb::Variant(text) : vb::Variant::Null();
    }
    const Cell* cell = InSheet(col, row) ? FindCell(col, row) : nullptr;
    if (cell == nullptr || cell->length == 0) {
        return vb::Variant::Null();
    }
    if (cell->length == kNumber) {
        return vb::Variant(std::bit_cast<double>(cell->payload));
    }
    return vb::Variant(TextOf(*cell));
}

int SheetDocument::PeekCell(int col, int row, double& number, std::string_view& text) const {
    if (InSheet(col, row) && IsReferred(row)) {
        return BodyValue(col, row, number, text);
    }
    const Cell* cell = InSheet(col, row) ? FindCell(col, row) : nullptr;
    if (cell == nullptr || cell->length == 0) {
        return 0;
    }
    if (cell->length == kNumber) {
        number = std::bit_cast<double>(cell->payload);
        return 1;
    }
    text = TextOf(*cell);
    return 2;
}

const CellStyle& SheetDocument::StyleAt(int col, int row) const {
    return m_styles->At(StyleIndexAt(col, row));
}

std::uint32_t SheetDocument::StyleIndexAt(int col, int row) const {
    if (InSheet(col, row) && IsReferred(row)) {
        return m_body.styles[static_cast<std::size_t>(col)];
    }
    const Cell* cell = InSheet(col, row) ? FindCell(col, row) : nullptr;
    return cell == nullptr ? 0 : cell->style;
}

const CellStyle& SheetDocument::StyleByIndex(std::uint32_t index) const {
    return m_styles->At(index);
}

std::size_t SheetDocument::StyleCount() const {
    return m_styles->Size();
}

bool SheetDocument::SetCellStyle(int col, int row, const CellStyle& style) {
    return EditStyle(col, row, [&style](CellStyle& s) {
        s = style;
        return true;
    });
}

bool SheetDocument::SetRangeStyle(int c1, int r1, int c2, int r2, const CellStyle& style) {
    if (!ValidRect(c1, r1, c2, r2)) {
        return false;
    }
    StoreRows(r1, r2);
    const std::uint32_t index = m_styles->Intern(style);
    for (int row = r1; row <= r2; ++row) {
        for (int col = c1; col <= c2; ++col) {
            // As SetCellStyle: a default style makes no cell where there is none.
            if (index != 0 || FindCell(col, row) != nullptr) {
                CellRef(col, row).style = index;
            }
        }
    }
    return true;
}

template <typename Fn> bool SheetDocument::EditStyle(int col, int row, Fn&& edit) {
    if (!InSheet(col, row)) {
        return false;
    }
    if (IsReferred(row)) {
        StoreRow(row);
    }
    CellStyle style = StyleAt(col, row);
    if (!edit(style)) {
        return false;
    }
    const std::uint32_t index = m_styles->Intern(style);
    if (index != 0 || FindCell(col, row) != nullptr) {
        CellRef(col, row).style = index;
    }
    return true;
}

long SheetDocument::GetCellAlign(int col, int row) const {
    return InSheet(col, row) ? StyleAt(col, row).align : 0;
}

bool SheetDocument::SetCellAlign(int col, int row, long flags) {
    if (flags < 0 || flags > 0xFFFF) {
        return false;
    }
    return EditStyle(col, row, [flags](CellStyle& s) {
        s.align = static_cast<std::int32_t>(flags);
        return true;
    });
}

bool SheetDocument::GetCellFont(int col, int row, long& size, long& style, std::string& face) const {
    if (!InSheet(col, row)) {
        return false;
    }
    const CellStyle& s = StyleAt(col, row);
    size = static_cast<long>(vb::RoundHalfEven(s.sizePt));
    style = FontCodeFromFlags(s.font);
    face = s.face;
    return true;
}

bool SheetDocument::SetCellFont(int col, int row, long size, long style, std::string_view face) {
    const int flags = FontFlagsFromCode(style);
    if (size < 1 || size > 409 || flags < 0 || face.empty() || face.size() > 255) {
        return false;
    }
    return EditStyle(col, row, [&](CellStyle& s) {
        s.sizePt = static_cast<float>(size);
        s.font = static_cast<std::uint8_t>(flags);
        s.face = face;
        return true;
    });
}

bool SheetDocument::GetCellNumFormat(int col, int row, NumFormat& format) const {
    if (!InSheet(col, row)) {
        return false;
    }
    format = StyleAt(col, row).num;
    return true;
}

bool SheetDocument::SetCellNumFormat(int col, int row, const NumFormat& format) {
    if (!format.IsValid()) {
        return false;
    }
    return EditStyle(col, row, [&format](CellStyle& s) {
        s.num = format;
        return true;
    });
}

bool SheetDocument::SetCellNumFormat(int col, int row, std::int16_t v1, bool v2, std::int16_t v3,
                                     std::int16_t v4, double v5, std::int16_t v6, bool v7) {
    return SetCellNumFormat(col, row, NumFormat{v1, v2, v3, v4, v5, v6, v7});
}

int SheetDocument::GetCellOption(int col, int row) const {
    return InSheet(col, row) ? StyleAt(col, row).option : 0;
}

bool SheetDocument::SetCellOption(int col, int row, int value) {
    if (value < INT16_MIN || value > INT16_MAX) {
        return false;
    }
    return EditStyle(col, row, [value](CellStyle& s) {
        s.option = static_cast<std::int16_t>(value);
        return true;
    });
}

bool SheetDocument::GetMergeRange(int col, int row, int& c1, int& r1, int& c2, int& r2) const {
    if (!InSheet(col, row)) {
        return false;
    }
    const MergeRange* m = m_merges->Find(col, row);
    const MergeRange block = m != nullptr ? *m : MergeRange{col, row, col, row};
    c1 = block.c1;
    r1 = block.r1;
    c2 = block.c2;
    r2 = block.r2;
    return m != nullptr;
}

bool SheetDocument::MergeCells(int c1, int r1, int c2, int r2) {
    if (!ValidRect(c1, r1, c2, r2)) {
        return false;
    }
    m_merges->Merge({c1, r1, c2, r2});
    AssertConsistent();
    return true;
}

const std::vector<MergeRange>& SheetDocument::Merges() const {
    return m_merges->All();
}

void SheetDocument::SetEdge(int col, int row, int edge, BorderLine line) {
    EditStyle(col, row, [edge, line](CellStyle& s) {
        s.borders[static_cast<std::size_t>(edge)] = line;
        return true;
    });
}

bool SheetDocument::SetRangeBorder(int c1, int r1, int c2, int r2, int part, int style, long colour) {
    if (!ValidRect(c1, r1, c2, r2) || part < 0 || part > 8 || style < 0 || style >= kBorderStyleCount ||
        colour < 0 || colour > 0xFFFFFF) {
        return false;
    }
    const BorderLine line{static_cast<std::uint8_t>(style),
                          style == 0 ? 0u : static_cast<std::uint32_t>(colour)};
    const bool outline = part == 0 || part == 1;
    const bool insideV = part == 0 || part == 2 || part == 3;
    const bool insideH = part == 0 || part == 2 || part == 4;
    // A cell's new style depends only on its old one and the edges it gets, and a print sheet's rows
    // repeat a handful of styles: each pair is interned once (a 100,000-row frame spent a third of the
    // print rebuild hashing styles, four times per cell). Styles interned here are never a cell's old
    // style, since every cell is visited once.
    std::vector<std::uint32_t> known(m_styles->Size() * 16); // new index + 1, 0 while unknown
    auto edgesOf = [&](int col, int row) {
        // Each cell holds its own four edges; an inside line is set on both cells that share it, so
        // either cell alone draws it and a later copy of one cell keeps the line.
        unsigned edges = 0;
        if (col == c1 ? (outline || part == 5) : insideV) {
            edges |= 1u << kLeft;
        }
        if (col == c2 ? (outline || part == 7) : insideV) {
            edges |= 1u << kRight;
        }
        if (row == r1 ? (outline || part == 6) : insideH) {
            edges |= 1u << kTop;
        }
        if (row == r2 ? (outline || part == 8) : insideH) {
            edges |= 1u << kBottom;
        }
        return edges;
    };
    auto framedIndex = [&](std::uint32_t old, unsigned edges) {
        std::uint32_t& index = known[std::size_t{old} * 16 + edges];
        if (index == 0) {
            CellStyle framed = m_styles->At(old);
            for (std::size_t edge = 0; edge < 4; ++edge) {
                if ((edges >> edge & 1u) != 0) {
                    framed.borders[edge] = line;
                }
            }
            index = m_styles->Intern(framed) + 1;
        }
        return index - 1;
    };
    // A referred block inside the rectangle, its first and last rows excepted, gets the same edges on
    // every row: its column styles take them once. A block the rectangle cuts is stored where it is
    // touched.
    const int bodyLast = m_body.first + m_body.count - 1;
    const bool frameAroundBody = m_body.count > 0 && r1 < m_body.first && bodyLast < r2;
    if (frameAroundBody) {
        for (int col = c1; col <= c2; ++col) {
            std::uint32_t& bodyStyle = m_body.styles[static_cast<std::size_t>(col)];
            if (const unsigned edges = edgesOf(col, m_body.first); edges != 0) {
                bodyStyle = framedIndex(bodyStyle, edges);
            }
        }
        UpdateBodyStoredCols();
    }
    for (int row = r1; row <= r2; ++row) {
        if (frameAroundBody && IsReferred(row)) {
            continue;
        }
        for (int col = c1; col <= c2; ++col) {
            const unsigned edges = edgesOf(col, row);
            if (edges == 0) {
                continue;
            }
            const std::uint32_t old = StyleIndexAt(col, row);
            const std::uint32_t index = framedIndex(old, edges);
            if (index != old) {
                CellRef(col, row).style = index;
            }
        }
    }
    return true;
}

bool SheetDocument::SetPrintArea(int c1, int r1, int c2, int r2, int titleRows, int titleCols) {
    if (!ValidRect(c1, r1, c2, r2) || titleRows < 0 || titleCols < 0 || titleRows > SheetRowCount() ||
        titleCols > m_cols) {
        return false;
    }
    m_printArea = {c1, r1, c2, r2, titleRows, titleCols};
    return true;
}

bool SheetDocument::SetPrintTitles(int titleRows, int titleCols) {
    if (titleRows < 0 || titleCols < 0 || titleRows > SheetRowCount() || titleCols > m_cols) {
        return false;
    }
    m_printArea.titleRows = titleRows;
    m_printArea.titleCols = titleCols;
    return true;
}

bool SheetDocument::SetPageLine(std::string_view left, std::string_view centre, std::string_view right) {
    if (left.size() > 4096 || centre.size() > 4096 || right.size() > 4096) {
        return false;
    }
    m_pageLine = {std::string(left), std::string(centre), std::string(right)};
    return true;
}

bool SheetDocument::SetPageSetup(const PageSetup& setup) {
    if (!setup.IsValid()) {
        return false;
    }
    m_pageSetup = setup;
    return true;
}

bool SheetDocument::SetSheetName(std::string_view name) {
    std::size_t characters = 0;
    for (const char c : name) {
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    if (characters > 31 || name.find_first_of("[]:*?/\\") != std::string_view::npos) {
        return false;
    }
    m_sheetName = std::string(name);
    return true;
}

bool SheetDocument::AppendCols(int count) {
    if (count < 1 || count > kMaxCols - m_cols) {
        return false;
    }
    StoreAllRows();
    const int width = m_cols > 0 ? m_colWidths.back() : kDefaultColWidthPx;
    for (Row& row : m_rows) {
        if (m_cols > 0 && row.Size() == static_cast<std::size_t>(m_cols) && row.Back().style != 0) {
            row.Resize(row.Size() + static_cast<std::size_t>(count), Cell{row.Back().style, 0, 0});
        }
    }
    m_colWidths.resize(m_colWidths.size() + static_cast<std::size_t>(count), width);
    m_cols += count;
    AssertConsistent();
    return true;
}

bool SheetDocument::InsertCols(int col, int count) {
    if (col < 0 || col > m_cols || count < 1 || count > kMaxCols - m_cols) {
        return false;
    }
    if (col == m_cols) {
        return AppendCols(count);
    }
    StoreAllRows();
    const std::size_t at = static_cast<std::size_t>(col);
    const std::size_t source = col > 0 ? at - 1 : at;
    for (Row& row : m_rows) {
        const std::uint32_t style = source < row.Size() ? row[source].style : 0;
        if (row.Size() > at) {
            row.Insert(at, static_cast<std::size_t>(count), Cell{style, 0, 0});
        } else if (style != 0) {
            row.Resize(at + static_cast<std::size_t>(count), Cell{style, 0, 0});
        }
    }
    m_colWidths.insert(m_colWidths.begin() + col, static_cast<std::size_t>(count), m_colWidths[source]);
    m_cols += count;
    m_merges->InsertCols(col, count);
    if (m_printArea.IsSet()) {
        if (m_printArea.c1 >= col) {
            m_printArea.c1 += count;
            m_printArea.c2 += count;
        } else if (m_printArea.c2 >= col) {
            m_printArea.c2 += count;
        }
    }
    if (col < m_printArea.titleCols) {
        m_printArea.titleCols += count;
    }
    AssertConsistent();
    return true;
}

bool SheetDocument::CheckConsistency() const {
    if (!m_styles->CheckConsistency() || !m_merges->CheckConsistency(m_cols, SheetRowCount()) ||
        m_colWidths.size() != static_cast<std::size_t>(m_cols) || m_cols < 0 || m_cols > kMaxCols ||
        SheetRowCount() > kMaxRows) {
        return false;
    }
    const Body& b = m_body;
    if (b.count > 0 && (b.rows == nullptr || b.first < 0 || b.count > SheetRowCount() - b.first ||
                        b.styles.size() != static_cast<std::size_t>(m_cols) || b.valueCols > m_cols ||
                        b.storedCols > m_cols ||
                        std::any_of(b.styles.begin(), b.styles.end(),
                                    [this](std::uint32_t s) { return s >= m_styles->Size(); }))) {
        return false;
    }
    for (int row = b.first; row < b.first + b.count; ++row) {
        if (IsReferred(row) && !m_rows[static_cast<std::size_t>(row)].Empty()) {
            return false;
        }
    }
    std::size_t liveText = 0;
    for (const Row& row : m_rows) {
        if (row.Size() > static_cast<std::size_t>(m_cols) || row.heightPx > kMaxRowHeightPx) {
            return false;
        }
        for (const Cell& cell : row.Cells()) {
            if (cell.style >= m_styles->Size()) {
                return false;
            }
            if (cell.length != 0 && cell.length != kNumber) {
                if (cell.payload > m_texts.size() || cell.length > m_texts.size() - cell.payload) {
                    return false;
                }
                liveText += cell.length;
            }
        }
    }
    if (liveText + m_garbage != m_texts.size()) {
        return false;
    }
    const PrintArea& p = m_printArea;
    if (p.IsSet() && !ValidRect(p.c1, p.r1, p.c2, p.r2)) {
        return false;
    }
    return p.titleRows >= 0 && p.titleRows <= SheetRowCount() && p.titleCols >= 0 && p.titleCols <= m_cols;
}

} // namespace sheet
