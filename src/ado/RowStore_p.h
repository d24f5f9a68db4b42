// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "ado/DataType.h"
#include "vb/Array.h"
#include "vb/Variant.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ado::detail {

// Description of one result column as the recordset reports it.
struct FieldInfo {
    std::string name;
    DataTypeEnum type = adVarWChar;
    long definedSize = 0;
    int precision = 0;
    int numericScale = 0;
    long attributes = adFldMayBeNull;
};

// How a column keeps its cells. A driver picks the narrowest storage from the declared type; a value
// that does not fit (SQLite lets any cell hold any type) turns the column into Variant storage.
enum class Storage : std::uint8_t {
    Int,     // std::int64_t: integers, Booleans (0/1), Currency (scaled by 10,000)
    Real,    // double: floating point, decimals, Date serials
    Text,    // UTF-8 bytes in one arena per column, end offsets per row
    Variant, // vb::Variant per cell: disconnected recordsets and mixed-type columns
};

// A growable array in fixed chunks of 64K entries. Appending never moves what is already stored:
// a million-row result grows without the copy (and the doubled peak) that one big vector would need
// each time it outgrows its capacity. The first chunk grows as a vector does, so the many small
// catalogue results stay small.
template <class T> class ChunkedVector {
public:
    static constexpr std::size_t kShift = 16;
    static constexpr std::size_t kChunk = std::size_t{1} << kShift;

    std::size_t size() const noexcept { return m_size; }
    void reserve(std::size_t count) {
        if (m_chunks.empty() && count > 0) {
            m_chunks.emplace_back().reserve(count < kChunk ? count : kChunk);
        }
    }
    void push_back(T value) {
        if (m_chunks.empty() || m_chunks.back().size() == kChunk) {
            AddChunk();
        }
        m_chunks.back().push_back(std::move(value));
        ++m_size;
    }
    const T& operator[](std::size_t index) const noexcept {
        return m_chunks[index >> kShift][index & (kChunk - 1)];
    }
    T& operator[](std::size_t index) noexcept { return m_chunks[index >> kShift][index & (kChunk - 1)]; }
    const T& back() const noexcept { return m_chunks.back().back(); }
    std::size_t ChunkCount() const noexcept { return m_chunks.size(); }
    std::size_t CapacityBytes() const noexcept {
        std::size_t bytes = m_chunks.capacity() * sizeof(std::vector<T>);
        for (const std::vector<T>& chunk : m_chunks) {
            bytes += chunk.capacity() * sizeof(T);
        }
        return bytes;
    }
    template <class F> void ForEach(F visit) const {
        for (const std::vector<T>& chunk : m_chunks) {
            for (const T& item : chunk) {
                visit(item);
            }
        }
    }

private:
    void AddChunk() {
        m_chunks.emplace_back();
        if (m_chunks.size() > 1) {
            m_chunks.back().reserve(kChunk);
        }
    }
    std::vector<std::vector<T>> m_chunks;
    std::size_t m_size = 0;
};

// One column of rows, stored once. Invariant: the store the storage kind uses has exactly `size()`
// entries; text ends are offsets into the arena of their own 64K-row chunk; nulls are a bit per row.
class Column {
public:
    // `holdsBytes`: a binary column, whose strings are raw bytes rather than text (see AppendText).
    explicit Column(Storage storage, bool holdsBytes = false)
        : m_storage(storage), m_holdsBytes(holdsBytes) {}

    Storage storage() const noexcept { return m_storage; }
    std::size_t size() const noexcept { return m_size; }
    bool IsNull(std::size_t row) const noexcept { return (m_nullBits[row >> 6] >> (row & 63)) & 1U; }

    void Reserve(std::size_t rows);
    void AppendNull();
    void AppendInt(std::int64_t value);
    void AppendReal(double value);
    // Text that is not valid UTF-8 is stored with U+FFFD for each bad byte (in Variants too);
    // a binary column keeps its bytes as they are.
    void AppendText(std::string_view value);
    // Text the caller has already found valid (a driver checks a whole block of cells at once).
    void AppendValidText(std::string_view value) { AppendBytes(value); }
    void AppendVariant(vb::Variant value);
    bool HoldsBytes() const noexcept { return m_holdsBytes; }

    std::int64_t IntAt(std::size_t row) const noexcept { return m_ints[row]; }
    double RealAt(std::size_t row) const noexcept { return m_reals[row]; }
    std::string_view TextAt(std::size_t row) const noexcept;
    // The texts of rows firstRow .. firstRow + count - 1 as peeks (a Null is not a string), a chunk at
    // a time: each row's text starts where the previous row's ended.
    void TextRun(std::size_t firstRow, std::size_t count, vb::CellPeek* out) const noexcept;
    const vb::Variant& VariantAt(std::size_t row) const noexcept { return m_variants[row]; }

    // Overwrites one cell; Variant storage only (disconnected recordsets).
    void SetVariant(std::size_t row, vb::Variant value);

    std::size_t MemoryBytes() const noexcept;
    bool CheckConsistency() const;

private:
    void PushNullBit(bool isNull);
    void AppendBytes(std::string_view value);

    Storage m_storage;
    bool m_holdsBytes;
    std::size_t m_size = 0;
    std::vector<std::uint64_t> m_nullBits;
    ChunkedVector<std::int64_t> m_ints;
    ChunkedVector<double> m_reals;
    ChunkedVector<std::uint32_t> m_textEnds; // end offset within the row's chunk arena
    std::vector<std::string> m_arenas;       // one per 64K-row chunk
    ChunkedVector<vb::Variant> m_variants;
};

// The rows of one result, column by column. Shared (read-only after the driver finished it) by a
// recordset and all of its clones; only disconnected recordsets write into it, through SetValue/AddRow.
class RowStore {
public:
    RowStore(std::vector<FieldInfo> fields, std::vector<Storage> storages);

    std::size_t FieldCount() const noexcept { return m_fields.size(); }
    std::size_t RowCount() const noexcept { return m_rowCount; }
    const FieldInfo& Info(std::size_t col) const { return m_fields[col]; }
    FieldInfo& MutableInfo(std::size_t col) { return m_fields[col]; }
    Column& ColumnAt(std::size_t col) { return m_columns[col]; }
    const Column& ColumnAt(std::size_t col) const { return m_columns[col]; }

    // Case-insensitive (ASCII) lookup; -1 when there is no such field.
    long FindField(std::string_view name) const;

    // Appends a value of any sub-type to a column, keeping narrow storage when the value fits it.
    void AppendValue(std::size_t col, const vb::Variant& value);
    // Declares the rows appended column by column complete. Throws when the columns disagree.
    void SealRows();
    // Disconnected recordsets: one more row, every cell Empty.
    void AddEmptyRow();
    void SetValue(std::size_t col, std::size_t row, vb::Variant value);

    // The cell as the platform's Variant of the field's type (Null for SQL NULL).
    vb::Variant Value(std::size_t col, std::size_t row) const;
    // Whether the cell is a string, and its text, without making a Variant.
    vb::CellPeek Peek(std::size_t col, std::size_t row) const;
    void PeekRun(std::size_t col, std::size_t firstRow, std::size_t count, vb::CellPeek* out) const;
    // Value of rows firstRow .. firstRow + count - 1 into out[0..count): the column's storage and type
    // are looked at once per run, numbers read straight from their typed chunks.
    void ValueRun(std::size_t col, std::size_t firstRow, std::size_t count, vb::Variant* out) const;

    std::size_t MemoryBytes() const noexcept;
    bool CheckConsistency() const;

private:
    std::vector<FieldInfo> m_fields;
    std::vector<Column> m_columns;
    std::unordered_map<std::string, std::size_t> m_byLowerName;
    std::size_t m_rowCount = 0;
};

// Whether a column of this type holds raw bytes (binary data) rather than text in its strings.
bool IsBinaryType(DataTypeEnum type) noexcept;

// The Variant sub-type a field of this type yields, and the storage a driver should use for it.
Storage StorageForType(DataTypeEnum type) noexcept;

} // namespace ado::detail
