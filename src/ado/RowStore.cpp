// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Design notes: the row store.
//  1. Rows are read once and kept column by column, each column in the narrowest storage its declared
//     type allows. A month-end report of a million rows then costs a few machine words per cell and no
//     heap block per cell; strings of a column live back to back in one arena.
//  2. A store is immutable once a driver sealed it, except for disconnected recordsets, whose columns
//     are Variant storage and which write through SetValue/AddEmptyRow. Clones share the store by
//     shared_ptr, so a clone costs nothing and sees the same rows.
//  3. SQLite lets any cell hold any type. A cell that does not fit its column's storage turns that
//     column into Variant storage (once, O(rows)); the values read back are unchanged either way.
#include "ado/RowStore_p.h"
#include "vb/Error.h"
#include "vb/Strings.h"

#include <algorithm>
#include <cmath>

namespace ado::detail {
namespace {

bool IsDateType(DataTypeEnum type) {
    return type == adDate || type == adDBDate || type == adDBTime || type == adDBTimeStamp;
}

// The Variant a stored integer stands for, by the field's declared type.
vb::Variant IntToVariant(DataTypeEnum type, std::int64_t value) {
    switch (type) {
    case adBoolean:
        return vb::Variant(value != 0);
    case adCurrency:
        return vb::Variant(vb::Currency{value});
    case adSmallInt:
    case adTinyInt:
    case adUnsignedTinyInt:
        if (value >= INT16_MIN && value <= INT16_MAX) {
            return vb::Variant::Integer(static_cast<std::int16_t>(value));
        }
        break;
    default:
        break;
    }
    if (value >= INT32_MIN && value <= INT32_MAX) {
        return vb::Variant::Long(static_cast<std::int32_t>(value));
    }
    // The value layer has no 64-bit integer: big keys come back as Double, exact up to 2^53.
    return vb::Variant(static_cast<double>(value));
}

vb::Variant RealToVariant(DataTypeEnum type, double value) {
    if (IsDateType(type)) {
        return vb::Variant(vb::Date{value});
    }
    if (type == adSingle) {
        return vb::Variant::Single(static_cast<float>(value));
    }
    return vb::Variant(value);
}

} // namespace

Storage StorageForType(DataTypeEnum type) noexcept {
    switch (type) {
    case adSmallInt:
    case adInteger:
    case adTinyInt:
    case adUnsignedTinyInt:
    case adUnsignedSmallInt:
    case adUnsignedInt:
    case adBigInt:
    case adUnsignedBigInt:
    case adBoolean:
    case adCurrency:
        return Storage::Int;
    case adSingle:
    case adDouble:
    case adDecimal:
    case adNumeric:
    case adDate:
    case adDBDate:
    case adDBTime:
    case adDBTimeStamp:
        return Storage::Real;
    case adVariant:
    case adEmpty:
        return Storage::Variant;
    default:
        return Storage::Text;
    }
}

bool IsBinaryType(DataTypeEnum type) noexcept {
    return type == adBinary || type == adVarBinary || type == adLongVarBinary;
}

// ---- Column ----

void Column::Reserve(std::size_t rows) {
    m_nullBits.reserve((rows + 63) / 64);
    switch (m_storage) {
    case Storage::Int:
        m_ints.reserve(rows);
        break;
    case Storage::Real:
        m_reals.reserve(rows);
        break;
    case Storage::Text:
        m_textEnds.reserve(rows);
        break;
    case Storage::Variant:
        m_variants.reserve(rows);
        break;
    }
}

void Column::PushNullBit(bool isNull) {
    if ((m_size & 63) == 0) {
        m_nullBits.push_back(0);
    }
    if (isNull) {
        m_nullBits.back() |= std::uint64_t{1} << (m_size & 63);
    }
    ++m_size;
}

void Column::AppendNull() {
    switch (m_storage) {
    case Storage::Int:
        m_ints.push_back(0);
        break;
    case Storage::Real:
        m_reals.push_back(0);
        break;
    case Storage::Text:
        AppendText({});
        m_nullBits.back() |= std::uint64_t{1} << ((m_size - 1) & 63);
        return;
    case Storage::Variant:
        m_variants.push_back(vb::Variant::Null());
        break;
    }
    PushNullBit(true);
}

void Column::AppendInt(std::int64_t value) {
    // Callers keep storage and value kind in step; a mismatch here is a driver bug.
    m_ints.push_back(value);
    PushNullBit(false);
}

void Column::AppendReal(double value) {
    m_reals.push_back(value);
    PushNullBit(false);
}

void Column::AppendText(std::string_view value) {
    // Text enters here from every driver. A database may hold bytes that are not UTF-8 in a text
    // column (SQLite never checks; a SQL_ASCII server neither); passed on raw, they made the JSON
    // export invalid and every other file format unreadable to strict readers. Repaired once here,
    // every grid, sheet and file downstream holds valid text.
    if (!m_holdsBytes && !vb::IsValidUtf8(value)) {
        AppendBytes(vb::ToValidUtf8(value));
    } else {
        AppendBytes(value);
    }
}

void Column::AppendBytes(std::string_view value) {
    if ((m_size & (ChunkedVector<std::uint32_t>::kChunk - 1)) == 0) {
        // A new chunk: size its arena like the previous one, which is the best guess for report data.
        const std::size_t guess = m_arenas.empty() ? 0 : m_arenas.back().size() + m_arenas.back().size() / 8;
        m_arenas.emplace_back().reserve(guess);
    }
    std::string& arena = m_arenas.back();
    if (arena.size() + value.size() > UINT32_MAX) {
        throw vb::Error(vb::kErrAdoProvider, "结果集的文本过大，无法读取（单列每 65536 行超过 4 GB）");
    }
    arena.append(value);
    m_textEnds.push_back(static_cast<std::uint32_t>(arena.size()));
    PushNullBit(false);
}

void Column::AppendVariant(vb::Variant value) {
    // Strings of mixed columns (SQLite lets any cell hold any type) are text like any other.
    if (!m_holdsBytes && value.IsString() && !vb::IsValidUtf8(value.AsString())) {
        value = vb::Variant(vb::ToValidUtf8(value.AsString()));
    }
    const bool isNull = value.IsNull();
    m_variants.push_back(std::move(value));
    PushNullBit(isNull);
}

std::string_view Column::TextAt(std::size_t row) const noexcept {
    constexpr std::size_t kMask = ChunkedVector<std::uint32_t>::kChunk - 1;
    const std::uint32_t begin = (row & kMask) == 0 ? 0 : m_textEnds[row - 1];
    return std::string_view(m_arenas[row >> ChunkedVector<std::uint32_t>::kShift])
        .substr(begin, m_textEnds[row] - begin);
}

void Column::TextRun(std::size_t firstRow, std::size_t count, vb::CellPeek* out) const noexcept {
    constexpr std::size_t kMask = ChunkedVector<std::uint32_t>::kChunk - 1;
    std::size_t row = firstRow;
    const std::size_t end = firstRow + count;
    while (row < end) {
        const std::size_t chunk = row >> ChunkedVector<std::uint32_t>::kShift;
        const std::size_t chunkEnd = std::min(end, (chunk + 1) << ChunkedVector<std::uint32_t>::kShift);
        const std::uint32_t* ends = &m_textEnds[row];
        const char* arena = m_arenas[chunk].data();
        std::uint32_t begin = (row & kMask) == 0 ? 0 : ends[-1];
        for (; row < chunkEnd; ++row, ++ends, ++out) {
            if (IsNull(row)) {
                *out = {vb::CellPeek::Kind::NotString, {}};
            } else {
                *out = {vb::CellPeek::Kind::String, std::string_view(arena + begin, *ends - begin)};
            }
            begin = *ends;
        }
    }
}

void Column::SetVariant(std::size_t row, vb::Variant value) {
    const std::uint64_t bit = std::uint64_t{1} << (row & 63);
    if (value.IsNull()) {
        m_nullBits[row >> 6] |= bit;
    } else {
        m_nullBits[row >> 6] &= ~bit;
    }
    m_variants[row] = std::move(value);
}

std::size_t Column::MemoryBytes() const noexcept {
    std::size_t bytes = m_nullBits.capacity() * sizeof(std::uint64_t) + m_ints.CapacityBytes() +
                        m_reals.CapacityBytes() + m_textEnds.CapacityBytes() + m_variants.CapacityBytes();
    for (const std::string& arena : m_arenas) {
        bytes += arena.capacity();
    }
    m_variants.ForEach([&bytes](const vb::Variant& cell) {
        if (cell.IsString()) {
            bytes += cell.AsString().capacity();
        }
    });
    return bytes;
}

bool Column::CheckConsistency() const {
    if (m_nullBits.size() != (m_size + 63) / 64) {
        return false;
    }
    switch (m_storage) {
    case Storage::Int:
        return m_ints.size() == m_size;
    case Storage::Real:
        return m_reals.size() == m_size;
    case Storage::Text: {
        if (m_textEnds.size() != m_size || m_arenas.size() != m_textEnds.ChunkCount()) {
            return false;
        }
        constexpr std::size_t kMask = ChunkedVector<std::uint32_t>::kChunk - 1;
        for (std::size_t row = 0; row < m_size; ++row) {
            const bool lastOfChunk = (row & kMask) == kMask || row + 1 == m_size;
            if (((row & kMask) != 0 && m_textEnds[row] < m_textEnds[row - 1]) ||
                (lastOfChunk &&
                 m_textEnds[row] != m_arenas[row >> ChunkedVector<std::uint32_t>::kShift].size())) {
                return false;
            }
        }
        return true;
    }
    case Storage::Variant:
        return m_variants.size() == m_size;
    }
    return false;
}

// ---- RowStore ----

RowStore::RowStore(std::vector<FieldInfo> fields, std::vector<Storage> storages)
    : m_fields(std::move(fields)) {
    m_columns.reserve(m_fields.size());
    for (std::size_t col = 0; col < m_fields.size(); ++col) {
        m_columns.emplace_back(col < storages.size() ? storages[col] : StorageForType(m_fields[col].type),
                               IsBinaryType(m_fields[col].type));
        // The first of two equal names wins, as a by-name lookup finds the first match.
        m_byLowerName.emplace(vb::LCase(m_fields[col].name), col);
    }
}

long RowStore::FindField(std::string_view name) const {
    auto found = m_byLowerName.find(vb::LCase(name));
    return found == m_byLowerName.end() ? -1 : static_cast<long>(found->second);
}

void RowStore::AppendValue(std::size_t col, const vb::Variant& value) {
    Column& column = m_columns[col];
    if (value.IsNull() || value.IsEmpty()) {
        if (value.IsEmpty() && column.storage() == Storage::Variant) {
            column.AppendVariant(value);
        } else {
            column.AppendNull();
        }
        return;
    }
    const DataTypeEnum type = m_fields[col].type;
    switch (column.storage()) {
    case Storage::Int:
        if (type == adBoolean && value.Type() == vb::VarType::Boolean) {
            column.AppendInt(value.AsBoolean() ? 1 : 0);
            return;
        }
        if (type == adCurrency && value.Type() == vb::VarType::Currency) {
            column.AppendInt(value.AsCurrency().scaled);
            return;
        }
        if (type != adBoolean && type != adCurrency &&
            (value.Type() == vb::VarType::Integer || value.Type() == vb::VarType::Long)) {
            column.AppendInt(*value.NumberValue());
            return;
        }
        if (type != adBoolean && type != adCurrency && value.Type() == vb::VarType::Double) {
            const double number = value.AsDouble();
            if (number == std::trunc(number) && std::fabs(number) < 9.2e18) {
                column.AppendInt(static_cast<std::int64_t>(number));
                return;
            }
        }
        break;
    case Storage::Real:
        if (IsDateType(type) ? value.Type() == vb::VarType::Date : value.IsNumberType()) {
            column.AppendReal(*value.NumberValue());
            return;
        }
        break;
    case Storage::Text:
        if (value.IsString()) {
            column.AppendText(value.AsString());
            return;
        }
        break;
    case Storage::Variant:
        column.AppendVariant(value);
        return;
    }
    // The value does not fit the narrow storage: keep every cell as a Variant from now on.
    std::vector<vb::Variant> cells;
    cells.reserve(column.size() + 1);
    for (std::size_t row = 0; row < column.size(); ++row) {
        cells.push_back(Value(col, row));
    }
    cells.push_back(value);
    const std::size_t oldSize = column.size();
    Column replacement(Storage::Variant, column.HoldsBytes());
    replacement.Reserve(oldSize + 1);
    for (std::size_t row = 0; row < cells.size(); ++row) {
        replacement.AppendVariant(std::move(cells[row]));
    }
    column = std::move(replacement);
}

void RowStore::SealRows() {
    std::size_t rows = m_columns.empty() ? 0 : m_columns.front().size();
    for (const Column& column : m_columns) {
        if (column.size() != rows) {
            throw vb::Error(vb::kErrAdoProvider, "内部错误：结果集各列的行数不一致");
        }
    }
    m_rowCount = rows;
}

void RowStore::AddEmptyRow() {
    for (Column& column : m_columns) {
        column.AppendVariant(vb::Variant());
    }
    ++m_rowCount;
}

void RowStore::SetValue(std::size_t col, std::size_t row, vb::Variant value) {
    Column& column = m_columns[col];
    if (column.storage() != Storage::Variant) {
        throw vb::Error(vb::kErrAdoNotAllowed, "当前记录集不允许修改字段值（只读）");
    }
    column.SetVariant(row, std::move(value));
}

vb::Variant RowStore::Value(std::size_t col, std::size_t row) const {
    const Column& column = m_columns[col];
    if (column.storage() == Storage::Variant) {
        return column.VariantAt(row);
    }
    if (column.IsNull(row)) {
        return vb::Variant::Null();
    }
    const DataTypeEnum type = m_fields[col].type;
    switch (column.storage()) {
    case Storage::Int:
        return IntToVariant(type, column.IntAt(row));
    case Storage::Real:
        return RealToVariant(type, column.RealAt(row));
    case Storage::Text:
        return vb::Variant(column.TextAt(row));
    case Storage::Variant:
        break;
    }
    return column.VariantAt(row);
}

void RowStore::ValueRun(std::size_t col, std::size_t firstRow, std::size_t count, vb::Variant* out) const {
    const Column& column = m_columns[col];
    const DataTypeEnum type = m_fields[col].type;
    const auto fill = [&](auto valueAt) {
        for (std::size_t k = 0; k < count; ++k) {
            const std::size_t row = firstRow + k;
            out[k] = column.IsNull(row) ? vb::Variant::Null() : valueAt(row);
        }
    };
    switch (column.storage()) {
    case Storage::Int:
        fill([&](std::size_t row) { return IntToVariant(type, column.IntAt(row)); });
        return;
    case Storage::Real:
        fill([&](std::size_t row) { return RealToVariant(type, column.RealAt(row)); });
        return;
    case Storage::Text:
    case Storage::Variant:
        break;
    }
    for (std::size_t k = 0; k < count; ++k) {
        out[k] = Value(col, firstRow + k);
    }
}

vb::CellPeek RowStore::Peek(std::size_t col, std::size_t row) const {
    const Column& column = m_columns[col];
    if (column.storage() == Storage::Variant) {
        const vb::Variant& value = column.VariantAt(row);
        return value.IsString() ? vb::CellPeek{vb::CellPeek::Kind::String, value.AsString()}
                                : vb::CellPeek{vb::CellPeek::Kind::NotString, {}};
    }
    if (column.storage() == Storage::Text && !column.IsNull(row)) {
        return {vb::CellPeek::Kind::String, column.TextAt(row)};
    }
    return {vb::CellPeek::Kind::NotString, {}};
}

void RowStore::PeekRun(std::size_t col, std::size_t firstRow, std::size_t count, vb::CellPeek* out) const {
    const Column& column = m_columns[col];
    switch (column.storage()) {
    case Storage::Text:
        column.TextRun(firstRow, count, out);
        return;
    case Storage::Int:
    case Storage::Real:
        std::fill(out, out + count, vb::CellPeek{vb::CellPeek::Kind::NotString, {}});
        return;
    case Storage::Variant:
        break;
    }
    for (std::size_t k = 0; k < count; ++k) {
        out[k] = Peek(col, firstRow + k);
    }
}

std::size_t RowStore::MemoryBytes() const noexcept {
    std::size_t bytes = sizeof(*this) + m_fields.capacity() * sizeof(FieldInfo);
    for (const Column& column : m_columns) {
        bytes += column.MemoryBytes();
    }
    return bytes;
}

bool RowStore::CheckConsistency() const {
    if (m_columns.size() != m_fields.size()) {
        return false;
    }
    return std::all_of(m_columns.begin(), m_columns.end(), [this](const Column& column) {
        return column.size() == m_rowCount && column.CheckConsistency();
    });
}

} // namespace ado::detail
