// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "vb/Array.h"

#include "vb/Error.h"

#include <algorithm>
#include <cassert>

namespace vb {

namespace {

std::size_t CountOf(const Array::Bound& bound) {
    return bound.upper < bound.lower ? 0 : static_cast<std::size_t>(bound.upper - bound.lower) + 1;
}

bool Contains(const Array::Bound& bound, long index) {
    return index >= bound.lower && index <= bound.upper;
}

} // namespace

Array::Array(std::vector<Bound> bounds) : Array(std::move(bounds), NoStorage{}) {
    m_dense.resize(Size());
}

Array::Array(std::vector<Bound> bounds, NoStorage) : m_bounds(std::move(bounds)) {
    if (m_bounds.empty() || m_bounds.size() > 2) {
        RaiseInvalidCall();
    }
}

std::shared_ptr<Array> Array::FromValues(std::vector<Variant> values) {
    auto array = std::make_shared<Array>(std::vector<Bound>{{0, static_cast<long>(values.size()) - 1}});
    array->m_dense = std::move(values);
    return array;
}

std::shared_ptr<Array> Array::View(std::shared_ptr<const ArraySource> source, std::size_t count0,
                                   std::size_t count1) {
    std::shared_ptr<Array> array(
        new Array(std::vector<Bound>{{0, static_cast<long>(count0) - 1}, {0, static_cast<long>(count1) - 1}},
                  NoStorage{}));
    array->m_source = std::move(source);
    array->m_sourceExtent = count1;
    return array;
}

long Array::LBound(int dimension) const {
    if (dimension < 1 || dimension > Dims()) {
        RaiseSubscript();
    }
    return m_bounds[static_cast<std::size_t>(dimension - 1)].lower;
}

long Array::UBound(int dimension) const {
    if (dimension < 1 || dimension > Dims()) {
        RaiseSubscript();
    }
    return m_bounds[static_cast<std::size_t>(dimension - 1)].upper;
}

std::size_t Array::Count(int dimension) const {
    if (dimension < 1 || dimension > Dims()) {
        RaiseSubscript();
    }
    return CountOf(m_bounds[static_cast<std::size_t>(dimension - 1)]);
}

std::size_t Array::Size() const {
    std::size_t size = 1;
    for (const Bound& bound : m_bounds) {
        size *= CountOf(bound);
    }
    return size;
}

// index1 is ignored for a 1-D array; the public overloads make sure the index count matches Dims().
std::size_t Array::Offset(long index0, long index1) const {
    if (!Contains(m_bounds[0], index0)) {
        RaiseSubscript();
    }
    std::size_t offset = static_cast<std::size_t>(index0 - m_bounds[0].lower);
    if (Dims() == 2) {
        if (!Contains(m_bounds[1], index1)) {
            RaiseSubscript();
        }
        offset += CountOf(m_bounds[0]) * static_cast<std::size_t>(index1 - m_bounds[1].lower);
    }
    return offset;
}

std::size_t Array::LastIndexOf(std::size_t offset) const {
    return Dims() == 2 ? offset / CountOf(m_bounds[0]) : offset;
}

Variant Array::At(std::size_t offset) const {
    if (!m_source) {
        return m_dense[offset];
    }
    if (const std::size_t word = offset / 64;
        word < m_writtenBits.size() && (m_writtenBits[word] >> (offset % 64) & 1) != 0) {
        if (auto it = m_written.find(offset); it != m_written.end()) {
            return it->second;
        }
    }
    const std::size_t last = LastIndexOf(offset);
    if (last >= m_sourceExtent) {
        return {};
    }
    if (Dims() == 2) {
        return m_source->Get(offset % CountOf(m_bounds[0]), last);
    }
    return m_source->Get(offset, 0);
}

void Array::MarkWritten(std::size_t offset) {
    const std::size_t word = offset / 64;
    if (word >= m_writtenBits.size()) {
        m_writtenBits.resize(std::max(word + 1, (Size() + 63) / 64));
    }
    m_writtenBits[word] |= std::uint64_t{1} << (offset % 64);
}

CellPeek ArraySource::Peek(std::size_t, std::size_t) const {
    return {};
}

void ArraySource::PeekRun(std::size_t index0, std::size_t index1, std::size_t count, CellPeek* out) const {
    for (std::size_t k = 0; k < count; ++k) {
        out[k] = Peek(index0, index1 + k);
    }
}

void ArraySource::GetRun(std::size_t index0, std::size_t index1, std::size_t count, Variant* out) const {
    for (std::size_t k = 0; k < count; ++k) {
        out[k] = Get(index0, index1 + k);
    }
}

bool ArraySource::HoldsNoStrings(std::size_t) const {
    return false;
}

bool Array::HoldsNoText(long index0) const {
    if (Dims() != 2 || !m_source || index0 < m_bounds[0].lower || index0 > m_bounds[0].upper) {
        return false;
    }
    const std::size_t column = static_cast<std::size_t>(index0 - m_bounds[0].lower);
    if (!m_source->HoldsNoStrings(column)) {
        return false;
    }
    // Written cells shadow the source; an empty string (a blanked zero) shows no text either.
    const std::size_t count0 = CountOf(m_bounds[0]);
    for (const auto& [offset, value] : m_written) {
        if (offset % count0 == column && value.IsString() && !value.AsString().empty()) {
            return false;
        }
    }
    return true;
}

namespace {
CellPeek PeekVariant(const Variant& value) {
    if (value.IsString()) {
        return {CellPeek::Kind::String, value.AsString()};
    }
    return {CellPeek::Kind::NotString, {}};
}
} // namespace

CellPeek Array::Peek(long index0, long index1) const {
    // Searches call this once per cell of a million rows: the indexes are split without the two
    // divisions Offset and LastIndexOf would cost.
    if (Dims() != 2 || !Contains(m_bounds[0], index0) || !Contains(m_bounds[1], index1)) {
        RaiseSubscript();
    }
    const std::size_t column = static_cast<std::size_t>(index0 - m_bounds[0].lower);
    const std::size_t slice = static_cast<std::size_t>(index1 - m_bounds[1].lower);
    const std::size_t offset = column + CountOf(m_bounds[0]) * slice;
    if (!m_source) {
        return PeekVariant(m_dense[offset]);
    }
    if (const std::size_t word = offset / 64;
        word < m_writtenBits.size() && (m_writtenBits[word] >> (offset % 64) & 1) != 0) {
        if (auto it = m_written.find(offset); it != m_written.end()) {
            return PeekVariant(it->second);
        }
    }
    if (slice >= m_sourceExtent) {
        return {CellPeek::Kind::NotString, {}};
    }
    return m_source->Peek(column, slice);
}

// The run PeekRun and GetRun read: dense elements, or the source's run with the cells past a
// regrowth blank and the written cells laid over it.
template <class Cell, class ReadSource, class FromVariant>
void Array::ReadRun(long index0, long index1, std::size_t count, Cell* out, const Cell& blank,
                    ReadSource readSource, FromVariant fromVariant) const {
    if (count == 0) {
        return;
    }
    if (Dims() != 2 || !Contains(m_bounds[0], index0) || !Contains(m_bounds[1], index1) ||
        !Contains(m_bounds[1], index1 + static_cast<long>(count) - 1)) {
        RaiseSubscript();
    }
    const std::size_t column = static_cast<std::size_t>(index0 - m_bounds[0].lower);
    const std::size_t slice = static_cast<std::size_t>(index1 - m_bounds[1].lower);
    const std::size_t count0 = CountOf(m_bounds[0]);
    if (!m_source) {
        for (std::size_t k = 0; k < count; ++k) {
            out[k] = fromVariant(m_dense[column + count0 * (slice + k)]);
        }
        return;
    }
    const std::size_t fromSource = slice >= m_sourceExtent ? 0 : std::min(count, m_sourceExtent - slice);
    readSource(column, slice, fromSource);
    std::fill(out + fromSource, out + count, blank);
    if (m_written.empty()) {
        return;
    }
    // Few written cells (a target, a correction): walk them; many (every blanked zero): test the bits.
    if (m_written.size() < count) {
        for (const auto& [offset, value] : m_written) {
            const std::size_t writtenSlice = offset / count0;
            if (offset % count0 == column && writtenSlice >= slice && writtenSlice < slice + count) {
                out[writtenSlice - slice] = fromVariant(value);
            }
        }
        return;
    }
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t offset = column + count0 * (slice + k);
        if (const std::size_t word = offset / 64;
            word < m_writtenBits.size() && (m_writtenBits[word] >> (offset % 64) & 1) != 0) {
            if (auto it = m_written.find(offset); it != m_written.end()) {
                out[k] = fromVariant(it->second);
            }
        }
    }
}

void Array::PeekRun(long index0, long index1, std::size_t count, CellPeek* out) const {
    ReadRun(
        index0, index1, count, out, CellPeek{CellPeek::Kind::NotString, {}},
        [&](std::size_t column, std::size_t slice, std::size_t n) {
            m_source->PeekRun(column, slice, n, out);
        },
        PeekVariant);
}

void Array::GetRun(long index0, long index1, std::size_t count, Variant* out) const {
    ReadRun(
        index0, index1, count, out, Variant(),
        [&](std::size_t column, std::size_t slice, std::size_t n) {
            m_source->GetRun(column, slice, n, out);
        },
        [](const Variant& value) -> const Variant& { return value; });
}

Variant Array::Get(long index) const {
    if (Dims() != 1) {
        RaiseSubscript();
    }
    return At(Offset(index, 0));
}

Variant Array::Get(long index0, long index1) const {
    if (Dims() != 2) {
        RaiseSubscript();
    }
    return At(Offset(index0, index1));
}

void Array::Set(long index, Variant value) {
    if (Dims() != 1) {
        RaiseSubscript();
    }
    const std::size_t offset = Offset(index, 0);
    if (m_source) {
        MarkWritten(offset);
        m_written[offset] = std::move(value);
    } else {
        m_dense[offset] = std::move(value);
    }
}

void Array::Set(long index0, long index1, Variant value) {
    if (Dims() != 2) {
        RaiseSubscript();
    }
    const std::size_t offset = Offset(index0, index1);
    if (m_source) {
        MarkWritten(offset);
        m_written[offset] = std::move(value);
    } else {
        m_dense[offset] = std::move(value);
    }
}

void Array::Resize(long newUpper) {
    Bound& last = m_bounds.back();
    // One below the lower bound is the empty array; anything lower is what the platform rejects.
    if (newUpper < last.lower - 1) {
        RaiseSubscript();
    }
    last.upper = newUpper;
    // The first index runs fastest, so the last dimension's slices are contiguous and a resize only
    // appends or cuts at the end; no element moves.
    if (!m_source) {
        m_dense.resize(Size());
    } else {
        const std::size_t newCount = CountOf(last);
        m_sourceExtent = std::min(m_sourceExtent, newCount);
        std::erase_if(m_written, [&](const auto& cell) { return LastIndexOf(cell.first) >= newCount; });
    }
    assert(CheckConsistency() && "resize left storage and bounds out of step");
}

std::shared_ptr<Array> Array::Copy() const {
    auto copy = std::make_shared<Array>(m_bounds);
    const std::size_t size = Size();
    for (std::size_t offset = 0; offset < size; ++offset) {
        copy->m_dense[offset] = At(offset);
    }
    return copy;
}

bool Array::CheckConsistency() const {
    if (m_bounds.empty() || m_bounds.size() > 2) {
        return false;
    }
    if (!m_source) {
        return m_dense.size() == Size() && m_written.empty();
    }
    const std::size_t size = Size();
    return m_dense.empty() && m_sourceExtent <= CountOf(m_bounds.back()) &&
           std::all_of(m_written.begin(), m_written.end(),
                       [&](const auto& cell) { return cell.first < size; });
}

} // namespace vb
