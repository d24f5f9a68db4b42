// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Data rows: filling from an array, binding an object, totals, clearing and inserting rows.
#include "controls/grid/GridErrors_p.h"
#include "controls/grid/GridModel.h"
#include "controls/grid/GridStores_p.h"
#include "vb/Array.h"
#include "vb/DecimalSum.h"
#include "vb/Error.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace grid {

using detail::Concat;
using detail::RaiseValue;

namespace {

std::vector<std::string> SplitTabs(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at = text.find('\t'); at != std::string::npos; at = text.find('\t', start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

} // namespace

// Appends the rows of a source below what is left; callers have cut the old data rows first.
void GridModel::ReplaceDataRows(int source, long records) {
    if (records > 0) {
        m_pieceStarts.push_back(m_rowCount);
        m_pieces.push_back({static_cast<int>(records), source, 0});
        m_rowCount += static_cast<int>(records);
    }
}

void GridModel::FillFromArray(const vb::Variant& array) {
    if (!array.IsArray() || !array.AsArray()) {
        RaiseValue("填充表格需要一个二维数组（列, 记录），给出的不是数组。");
    }
    const std::shared_ptr<vb::Array>& rows = array.AsArray();
    if (rows->Dims() != 2) {
        RaiseValue(Concat(
            {"填充表格需要一个二维数组（列, 记录），给出的是 ", std::to_string(rows->Dims()), " 维数组。"}));
    }
    const std::size_t cols = rows->Count(1);
    const std::size_t records = rows->Count(2);
    if (cols > static_cast<std::size_t>(GridColCount())) {
        RaiseValue(Concat(
            {"数组有 ", std::to_string(cols), " 列，表格只有 ", std::to_string(GridColCount()), " 列。"}));
    }
    if (records > static_cast<std::size_t>(0x7FFFFFF0 - m_headerRows)) {
        RaiseValue("数组的记录数太多，表格放不下。");
    }
    // Everything below the header goes, with its overrides and styles, before the new rows come in.
    TrimRows(m_headerRows);
    // Sources no piece reads any more were released by the trim; drop them from the end.
    while (!m_sources.empty() && !m_sources.back().array) {
        m_sources.pop_back();
    }
    if (records > 0) {
        m_sources.push_back({rows, rows->LBound(1), rows->LBound(2), static_cast<int>(cols)});
        ReplaceDataRows(static_cast<int>(m_sources.size() - 1), static_cast<long>(records));
    }
    AfterMutation();
    Changed(GridChange::Layout);
}

void GridModel::AddTotalRow(int function, int groupOn, int col, const std::string& format, long colour) {
    CheckCol(col);
    if (function != 2) {
        RaiseValue(Concat({"不支持的汇总方式 ", std::to_string(function), "（只支持 2 求和）。"}));
    }
    if (groupOn != -1) {
        RaiseValue("不支持按列分组汇总（分组列应为 -1，即整表合计）。");
    }
    if (colour < 0 || colour > 0xFFFFFF) {
        RaiseValue("颜色值无效：应为 0 到 16777215（&HFFFFFF）之间的 BGR 数值。");
    }
    const std::uint32_t formatId = InternFormat(format);
    if (m_rowCount >= 0x7FFFFFF0) {
        RaiseValue("表格行数已达上限，无法添加合计行。");
    }
    if (m_totalsRow < 0) {
        SetRows(m_rowCount + 1);
        m_totalsRow = m_rowCount - 1;
    }
    // Sums run on decimals, so a column of cents adds up to the cent total the user checks by hand.
    // The column is read a run of rows at a time from the pieces' arrays, the cells' own values laid
    // over it: a million rows looked up cell by cell cost half a second.
    std::vector<std::pair<int, const vb::Variant*>> own; // by row, as m_cells orders them
    for (const auto& [key, cell] : m_cells) {
        const int row = static_cast<int>(key >> 32);
        if (static_cast<int>(static_cast<std::uint32_t>(key)) == col && cell.hasValue &&
            row >= m_headerRows && row < m_totalsRow) {
            own.emplace_back(row, &cell.value);
        }
    }
    auto nextOwn = own.begin();
    vb::DecimalSum sum;
    std::vector<vb::Variant> run(vb::kArrayRunRows);
    for (std::size_t index = 0; index < m_pieces.size(); ++index) {
        const RowPiece& piece = m_pieces[index];
        const int pieceEnd = std::min(m_pieceStarts[index] + piece.count, m_totalsRow);
        const Source* source =
            piece.source < 0 ? nullptr : &m_sources[static_cast<std::size_t>(piece.source)];
        for (int first = std::max(m_pieceStarts[index], m_headerRows); first < pieceEnd;) {
            const int count = std::min(pieceEnd - first, static_cast<int>(vb::kArrayRunRows));
            if (source && col < source->cols) {
                source->array->GetRun(source->lower0 + col,
                                      source->lower1 + piece.firstRecord + (first - m_pieceStarts[index]),
                                      static_cast<std::size_t>(count), run.data());
            } else {
                std::fill_n(run.begin(), count, vb::Variant());
            }
            for (; nextOwn != own.end() && nextOwn->first < first + count; ++nextOwn) {
                run[static_cast<std::size_t>(nextOwn->first - first)] = *nextOwn->second;
            }
            for (int k = 0; k < count; ++k) {
                sum.AddValue(run[static_cast<std::size_t>(k)]);
            }
            first += count;
        }
    }
    CellEntry& entry = m_cells[Key(m_totalsRow, col)];
    entry.value = sum.Value();
    entry.hasValue = true;
    entry.formatId = formatId;
    detail::CellStyle back;
    back.mask = detail::kFieldBack;
    back.backBgr = static_cast<std::uint32_t>(colour);
    WriteStyle(m_totalsRow, 0, m_totalsRow, GridColCount() - 1, back);
    AfterMutation();
    Changed(GridChange::Layout);
}

void GridModel::ClearGrid() {
    // Rows keep their count; array rows become blank rows.
    std::vector<RowPiece> pieces;
    if (m_rowCount > 0) {
        pieces.push_back({m_rowCount, -1, 0});
    }
    m_pieces = std::move(pieces);
    RebuildPieceStarts();
    m_sources.clear();
    m_cells.clear();
    detail::GridStores& s = *m_stores;
    s.styles.Clear();
    s.rowStyles.Clear();
    for (auto& band : s.colStyles) {
        band.Clear();
    }
    s.rowLevels.Clear();
    s.nodeRows.Clear();
    m_totalsRow = -1;
    InvalidateMerge();
    AfterMutation();
    Changed(GridChange::Layout);
}

void GridModel::DetachArray(const vb::Variant& nothing) {
    if (!nothing.IsNull() && !nothing.IsEmpty()) {
        RaiseValue("解除数据绑定时只能给 Null。");
    }
    for (RowPiece& piece : m_pieces) {
        piece.source = -1;
        piece.firstRecord = 0;
    }
    // Neighbouring blank pieces join, so the piece list stays as short as the rows' history allows.
    std::vector<RowPiece> joined;
    for (const RowPiece& piece : m_pieces) {
        if (!joined.empty()) {
            joined.back().count += piece.count;
        } else {
            joined.push_back(piece);
        }
    }
    m_pieces = std::move(joined);
    RebuildPieceStarts();
    m_sources.clear();
    AfterMutation();
    Changed(GridChange::Content);
}

void GridModel::SetDataBinding(const vb::Variant& object, const Binder& binder) {
    if (object.IsEmpty() || object.IsNull() || (object.IsObject() && !object.AsObject())) {
        TrimRows(m_headerRows);
        m_sources.clear();
        AfterMutation();
        Changed(GridChange::Layout);
        return;
    }
    if (!object.IsObject()) {
        RaiseValue("数据绑定需要一个记录集对象。");
    }
    const std::optional<BoundRows> bound = binder ? binder(*object.AsObject()) : std::nullopt;
    if (!bound || !bound->rows || bound->rows->Dims() != 2) {
        RaiseValue("这个对象不能绑定到表格（不是可读取行的记录集）。");
    }
    const int cols = static_cast<int>(bound->rows->Count(1));
    if (cols != GridColCount()) {
        SetGridColCount(cols);
    }
    FillFromArray(vb::Variant(bound->rows));
}

void GridModel::InsertRowAt(const std::string& text, int index) {
    if (index < 0 || index > m_rowCount) {
        detail::RaiseCount("插入行的位置", index, m_rowCount);
    }
    if (GridColCount() == 0) {
        RaiseValue("表格没有列，不能插入行。");
    }
    // Split the piece holding `index` and put a one-row blank piece between the halves.
    std::vector<RowPiece> pieces;
    pieces.reserve(m_pieces.size() + 2);
    bool isPlaced = false;
    for (std::size_t k = 0; k < m_pieces.size(); ++k) {
        const RowPiece& piece = m_pieces[k];
        const int start = m_pieceStarts[k];
        if (!isPlaced && index >= start && index < start + piece.count) {
            const int before = index - start;
            if (before > 0) {
                pieces.push_back({before, piece.source, piece.firstRecord});
            }
            pieces.push_back({1, -1, 0});
            pieces.push_back({piece.count - before, piece.source, piece.firstRecord + before});
            isPlaced = true;
        } else {
            pieces.push_back(piece);
        }
    }
    if (!isPlaced) {
        pieces.push_back({1, -1, 0});
    }
    m_pieces = std::move(pieces);
    RebuildPieceStarts();
    ++m_rowCount;

    std::map<std::uint64_t, CellEntry> shifted;
    for (auto& [key, entry] : m_cells) {
        const int row = static_cast<int>(key >> 32);
        const int col = static_cast<int>(static_cast<std::uint32_t>(key));
        shifted.emplace(Key(row >= index ? row + 1 : row, col), std::move(entry));
    }
    m_cells = std::move(shifted);
    detail::GridStores& s = *m_stores;
    s.rowStyles.Shift(index, 1);
    for (auto& band : s.colStyles) {
        band.Shift(index, 1);
    }
    s.rowHeights.Shift(index, 1);
    s.rowLevels.Shift(index, 1);
    s.nodeRows.Shift(index, 1);
    s.mergeRows.Shift(index, 1);
    if (m_totalsRow >= index) {
        ++m_totalsRow;
    }
    if (index < m_headerRows) {
        ++m_headerRows;
    }
    for (int* row : {&m_cursorRow, &m_anchorRow, &m_clickRow, &m_selection.row1, &m_selection.row2}) {
        if (*row >= index) {
            ++*row;
        }
    }
    const std::vector<std::string> parts = SplitTabs(text);
    for (std::size_t col = 0; col < parts.size() && col < static_cast<std::size_t>(GridColCount()); ++col) {
        CellEntry& entry = m_cells[Key(index, static_cast<int>(col))];
        entry.value = parts[col];
        entry.hasValue = true;
    }
    InvalidateMerge();
    AfterMutation();
    Changed(GridChange::Layout);
}

// --- GridPicture ----------------------------------------------------------------------------------------

GridPicture::GridPicture(int width, int height, std::vector<std::uint32_t> argb)
    : m_width(width), m_height(height), m_argb(std::move(argb)) {
    if (width <= 0 || height <= 0 ||
        m_argb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        RaiseValue("图片的像素数与宽高不符。");
    }
}

namespace {

// Pictures drawn from a few rows of characters, so they need no image files.
std::shared_ptr<GridPicture> FromSketch(const char* const* rows, int height,
                                        std::initializer_list<std::pair<char, std::uint32_t>> palette) {
    const int width = static_cast<int>(std::char_traits<char>::length(rows[0]));
    std::vector<std::uint32_t> argb;
    argb.reserve(static_cast<std::size_t>(width * height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint32_t pixel = 0;
            for (const auto& [key, colour] : palette) {
                if (rows[y][x] == key) {
                    pixel = colour;
                }
            }
            argb.push_back(pixel);
        }
    }
    return std::make_shared<GridPicture>(width, height, std::move(argb));
}

} // namespace

std::shared_ptr<GridPicture> GridPicture::Folder() {
    static const char* const kRows[] = {
        "                ", "  #####         ", " #ooooo#        ", " #oooooo####### ", " #oooooooooooo# ",
        " #############o#", " #yyyyyyyyyyy#o#", " #yyyyyyyyyyy#o#", " #yyyyyyyyyyy#o#", " #yyyyyyyyyyy#o#",
        " #yyyyyyyyyyy#o#", " #yyyyyyyyyyy## ", " ############## ", "                ",
    };
    return FromSketch(kRows, 14, {{'#', 0xFF8A6D1E}, {'o', 0xFFF5C542}, {'y', 0xFFFFD966}});
}

std::shared_ptr<GridPicture> GridPicture::Document() {
    static const char* const kRows[] = {
        "            ", " #######    ", " #wwwww##   ", " #wwwww#w#  ", " #wwwww#### ", " #w----www# ",
        " #wwwwwwww# ", " #w------w# ", " #wwwwwwww# ", " #w------w# ", " #wwwwwwww# ", " ########## ",
    };
    return FromSketch(kRows, 12, {{'#', 0xFF44546A}, {'w', 0xFFFFFFFF}, {'-', 0xFF5B9BD5}});
}

} // namespace grid
