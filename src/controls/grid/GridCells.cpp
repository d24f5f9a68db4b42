// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Cell values and styles. A value is the override written to the cell, else the source array's
// element, else Empty; it is formatted only when shown. Header rows show their values as general text:
// a column format is for the data below (a year in a caption must not become "2,024").
#include "controls/grid/GridErrors_p.h"
#include "controls/grid/GridModel.h"
#include "controls/grid/GridStores_p.h"
#include "vb/Conversion.h"

#include <algorithm>
#include <cmath>

namespace grid {

using detail::CellStyle;
using detail::Concat;
using detail::RaiseValue;

namespace {

constexpr std::uint32_t kDataBack = 0xFFFFFF;
constexpr std::uint32_t kHeaderBack = 0xE8E8E8; // BGR of a light grey
constexpr const char* kDefaultFace = "宋体";
constexpr float kDefaultSizePt = 9;

bool IsGeneralNumber(const vb::Variant& value) {
    return value.IsNumberType();
}

[[noreturn]] void RaiseSetting(int setting) {
    RaiseValue(Concat({"不支持的单元格属性编号 ", std::to_string(setting),
                       "（可用：0 文本、2 对齐、3 图片、6 背景色、11-15 字体、18 数值）。"}));
}

std::uint32_t ToBgr(const vb::Variant& value) {
    const std::optional<std::int32_t> number = vb::TryCLng(value);
    if (!number || *number < 0 || *number > 0xFFFFFF) {
        RaiseValue("颜色值无效：应为 0 到 16777215（&HFFFFFF）之间的 BGR 数值。");
    }
    return static_cast<std::uint32_t>(*number);
}

bool ToFlag(const vb::Variant& value) {
    const std::optional<bool> flag = vb::TryCBool(value);
    if (!flag) {
        RaiseValue("属性值应为 True 或 False。");
    }
    return *flag;
}

} // namespace

const GridModel::CellEntry* GridModel::EntryAt(int row, int col) const {
    if (m_cells.empty()) {
        return nullptr;
    }
    auto it = m_cells.find(Key(row, col));
    return it == m_cells.end() ? nullptr : &it->second;
}

vb::Variant GridModel::SourceValue(int row, int col) const {
    if (m_sources.empty()) {
        return {};
    }
    const auto it = std::upper_bound(m_pieceStarts.begin(), m_pieceStarts.end(), row);
    if (it == m_pieceStarts.begin()) {
        return {};
    }
    const std::size_t index = static_cast<std::size_t>(it - m_pieceStarts.begin() - 1);
    const RowPiece& piece = m_pieces[index];
    if (piece.source < 0) {
        return {};
    }
    const Source& source = m_sources[static_cast<std::size_t>(piece.source)];
    if (col >= source.cols) {
        return {};
    }
    return source.array->Get(source.lower0 + col,
                             source.lower1 + piece.firstRecord + (row - m_pieceStarts[index]));
}

vb::Variant GridModel::CellValue(int row, int col) const {
    if (row < 0 || row >= m_rowCount || col < 0 || col >= GridColCount()) {
        return {};
    }
    if (const CellEntry* entry = EntryAt(row, col); entry && entry->hasValue) {
        return entry->value;
    }
    return SourceValue(row, col);
}

const vb::DisplayFormat& GridModel::FormatFor(int row, int col, const CellEntry* entry) const {
    if (row < m_headerRows) {
        return m_formats[0];
    }
    if (entry && entry->formatId != 0) {
        return m_formats[entry->formatId];
    }
    return m_formats[m_columns[static_cast<std::size_t>(col)].formatId];
}

void GridModel::AppendCellText(int row, int col, std::string& out) const {
    const CellEntry* entry = EntryAt(row, col);
    const vb::DisplayFormat& format = FormatFor(row, col, entry);
    const std::size_t start = out.size();
    if (entry && entry->hasValue) {
        format.AppendTo(out, entry->value);
    } else {
        format.AppendTo(out, SourceValue(row, col));
    }
    // A section of one space is how a format says "show nothing" (zero, False). The cell then reads
    // as empty text, so callers that skip empty cells (the print transfer) skip it too.
    if (!format.IsGeneral() && out.size() == start + 1 && out[start] == ' ') {
        out.resize(start);
    }
}

std::string GridModel::CellTextAt(int row, int col) const {
    CheckRow(row);
    CheckCol(col);
    std::string text;
    AppendCellText(row, col, text);
    return text;
}

CellLook GridModel::CellLookAt(int row, int col) const {
    const detail::GridStores& s = *m_stores;
    CellStyle style;
    if (const std::uint32_t* id = s.colStyles[static_cast<std::size_t>(col)].Find(row)) {
        style = style.Overlay(s.styles.Get(*id));
    }
    if (const std::uint32_t* id = s.rowStyles.Find(row)) {
        style = style.Overlay(s.styles.Get(*id));
    }
    const CellEntry* entry = EntryAt(row, col);
    if (entry && entry->styleId != 0) {
        style = style.Overlay(s.styles.Get(entry->styleId));
    }
    CellLook look;
    const bool isHeader = row < m_headerRows;
    if (style.mask & detail::kFieldAlign) {
        look.alignCode = style.alignCode;
    } else if (!isHeader && m_columns[static_cast<std::size_t>(col)].alignCode >= 0) {
        look.alignCode = m_columns[static_cast<std::size_t>(col)].alignCode;
    } else {
        // General: numbers to the right, everything else to the left, both centred vertically.
        const vb::Variant value = entry && entry->hasValue ? entry->value : SourceValue(row, col);
        look.alignCode = IsGeneralNumber(value) ? 7 : 1;
    }
    look.backBgr = (style.mask & detail::kFieldBack) ? style.backBgr : isHeader ? kHeaderBack : kDataBack;
    look.faceName = (style.mask & detail::kFieldFace) ? std::string_view(s.styles.Face(style.faceId))
                                                      : std::string_view(kDefaultFace);
    look.sizePt = (style.mask & detail::kFieldSize) ? style.sizePt : kDefaultSizePt;
    look.isBold = style.isBold;
    look.isItalic = style.isItalic;
    look.isUnderline = style.isUnderline;
    if (style.pictureId != 0) {
        look.picture = &s.styles.Picture(style.pictureId);
    }
    return look;
}

// --- RangeProp ----------------------------------------------------------------------------------------

vb::Variant GridModel::RangeProp(int setting, int row1, int col1) const {
    return RangeProp(setting, row1, col1, row1, col1);
}

vb::Variant GridModel::RangeProp(int setting, int row1, int col1, int row2) const {
    return RangeProp(setting, row1, col1, row2, col1);
}

vb::Variant GridModel::RangeProp(int setting, int row1, int col1, int row2, int col2) const {
    CheckRect(row1, col1, row2, col2);
    const CellLook look = CellLookAt(row1, col1);
    switch (static_cast<CellSetting>(setting)) {
    case CellSetting::Text:
        return CellTextAt(row1, col1);
    case CellSetting::Align:
        return vb::Variant::Integer(static_cast<std::int16_t>(look.alignCode));
    case CellSetting::Picture:
        return look.picture ? *look.picture : vb::Variant();
    case CellSetting::BackColour:
        return vb::Variant::Long(static_cast<std::int32_t>(look.backBgr));
    case CellSetting::FaceName:
        return std::string(look.faceName);
    case CellSetting::FontSize:
        return static_cast<double>(look.sizePt);
    case CellSetting::Bold:
        return look.isBold;
    case CellSetting::Italic:
        return look.isItalic;
    case CellSetting::Underline:
        return look.isUnderline;
    case CellSetting::Value: {
        const vb::Variant value = CellValue(row1, col1);
        if (value.IsString()) {
            return vb::TryParseNumber(value.AsString()).value_or(0.0);
        }
        return value.NumberValue().value_or(0.0);
    }
    default:
        RaiseSetting(setting);
    }
}

void GridModel::SetRangeProp(int setting, int row1, int col1, const vb::Variant& value) {
    SetRangeProp(setting, row1, col1, row1, col1, value);
}

void GridModel::SetRangeProp(int setting, int row1, int col1, int row2, const vb::Variant& value) {
    SetRangeProp(setting, row1, col1, row2, col1, value);
}

void GridModel::SetRangeProp(int setting, int row1, int col1, int row2, int col2, const vb::Variant& value) {
    CheckRect(row1, col1, row2, col2);
    CellStyle delta;
    switch (static_cast<CellSetting>(setting)) {
    case CellSetting::Text:
        WriteValues(row1, col1, row2, col2, value);
        return;
    case CellSetting::Value: {
        const std::optional<double> number = vb::TryCDbl(value);
        if (!number) {
            RaiseValue("单元格数值必须是数字。");
        }
        WriteValues(row1, col1, row2, col2, *number);
        return;
    }
    case CellSetting::Align: {
        const std::optional<std::int32_t> code = vb::TryCLng(value);
        if (!code || *code < 0 || *code > 8) {
            RaiseValue("对齐方式应为 0 到 8 之间的整数。");
        }
        delta.mask = detail::kFieldAlign;
        delta.alignCode = static_cast<std::int8_t>(*code);
        break;
    }
    case CellSetting::Picture:
        delta.mask = detail::kFieldPicture;
        delta.pictureId = m_stores->styles.InternPicture(value);
        break;
    case CellSetting::BackColour:
        delta.mask = detail::kFieldBack;
        delta.backBgr = ToBgr(value);
        break;
    case CellSetting::FaceName: {
        const std::optional<std::string> face = vb::TryCStr(value);
        if (!face || face->empty()) {
            RaiseValue("字体名称不能为空。");
        }
        delta.mask = detail::kFieldFace;
        delta.faceId = m_stores->styles.InternFace(*face);
        break;
    }
    case CellSetting::FontSize: {
        const std::optional<double> size = vb::TryCDbl(value);
        if (!size || !(*size > 0) || *size > 400) {
            RaiseValue("字号应为大于 0、不超过 400 的磅值。");
        }
        delta.mask = detail::kFieldSize;
        delta.sizePt = static_cast<float>(*size);
        break;
    }
    case CellSetting::Bold:
        delta.mask = detail::kFieldBold;
        delta.isBold = ToFlag(value);
        break;
    case CellSetting::Italic:
        delta.mask = detail::kFieldItalic;
        delta.isItalic = ToFlag(value);
        break;
    case CellSetting::Underline:
        delta.mask = detail::kFieldUnderline;
        delta.isUnderline = ToFlag(value);
        break;
    default:
        RaiseSetting(setting);
    }
    WriteStyle(row1, col1, row2, col2, delta);
    AfterMutation();
    Changed(GridChange::Content);
}

void GridModel::WriteValues(int row1, int col1, int row2, int col2, const vb::Variant& value) {
    for (int row = row1; row <= row2; ++row) {
        for (int col = col1; col <= col2; ++col) {
            CellEntry& entry = m_cells[Key(row, col)];
            entry.value = value;
            entry.hasValue = true;
        }
    }
    if (row1 < m_headerRows) {
        InvalidateMerge();
    }
    AfterMutation();
    Changed(GridChange::Content);
}

void GridModel::WriteStyle(int row1, int col1, int row2, int col2, const CellStyle& delta) {
    detail::GridStores& s = *m_stores;
    const auto overlay = [&](const std::uint32_t* old) {
        return std::optional<std::uint32_t>(s.styles.Overlay(old ? *old : 0, delta));
    };
    const auto overlayCell = [&](int row, int col) {
        CellEntry& entry = m_cells[Key(row, col)];
        entry.styleId = s.styles.Overlay(entry.styleId, delta);
    };
    // The cells' own settings of this field inside the block give way to the newer block setting.
    const auto clearCells = [&] {
        for (auto it = m_cells.lower_bound(Key(row1, col1));
             it != m_cells.end() && (it->first >> 32) <= static_cast<std::uint64_t>(row2);) {
            const int col = static_cast<int>(static_cast<std::uint32_t>(it->first));
            if (col >= col1 && col <= col2 && it->second.styleId != 0) {
                it->second.styleId = s.styles.Without(it->second.styleId, delta.mask);
            }
            if (it->second.styleId == 0 && !it->second.hasValue && it->second.formatId == 0) {
                it = m_cells.erase(it);
            } else {
                ++it;
            }
        }
    };
    const bool isSingleCell = row1 == row2 && col1 == col2;
    const bool isWholeRows = col1 == 0 && col2 == GridColCount() - 1 && !isSingleCell;
    if (isSingleCell) {
        overlayCell(row1, col1);
    } else if (isWholeRows) {
        clearCells();
        s.rowStyles.Update(row1, row2, overlay);
    } else {
        clearCells();
        // Rows whose whole-row style sets this field would hide a column band; their cells take the
        // setting themselves.
        std::vector<std::pair<int, int>> rowRuns;
        s.rowStyles.ForEach(row1, row2, [&](int first, int last, std::uint32_t id) {
            if (s.styles.Get(id).mask & delta.mask) {
                rowRuns.emplace_back(first, last);
            }
        });
        for (int col = col1; col <= col2; ++col) {
            s.colStyles[static_cast<std::size_t>(col)].Update(row1, row2, overlay);
            for (const auto& [first, last] : rowRuns) {
                for (int row = first; row <= last; ++row) {
                    overlayCell(row, col);
                }
            }
        }
    }
}

} // namespace grid
