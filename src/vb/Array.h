// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "vb/Variant.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vb {

// Whether a cell holds a string, and its text when it does, read without copying: searching a million
// rows must not build a million Variants. The text is valid until the array or its source changes.
struct CellPeek {
    enum class Kind : std::uint8_t { Unknown, String, NotString };
    Kind kind = Kind::Unknown;
    std::string_view text;
};

// Read-only cells behind an Array, so that a large result (a recordset's GetRows) can be handed out
// without copying every cell into a Variant. Index order is (dim0, dim1) as the Array's.
class ArraySource {
public:
    virtual ~ArraySource() = default;
    virtual Variant Get(std::size_t index0, std::size_t index1) const = 0;
    // A look at a cell without making a Variant (see CellPeek); sources that cannot tell say Unknown.
    virtual CellPeek Peek(std::size_t index0, std::size_t index1) const;
    // Peek of `count` cells of column index0 from index1 on, into out[0..count).
    virtual void PeekRun(std::size_t index0, std::size_t index1, std::size_t count, CellPeek* out) const;
    // Get of `count` cells of column index0 from index1 on, into out[0..count): a pass over every row
    // (totals, blanked zeros) reads typed storage a run at a time instead of a call per cell.
    virtual void GetRun(std::size_t index0, std::size_t index1, std::size_t count, Variant* out) const;
    // True when no cell of column index0 is a string (a column of numbers or dates); false when
    // unsure.
    virtual bool HoldsNoStrings(std::size_t index0) const;
};

// Rows a pass over a whole column reads per GetRun: big enough that the call per run vanishes, small
// enough that the run's Variants stay in the cache.
inline constexpr std::size_t kArrayRunRows = 1024;

// A 1-D or 2-D array with explicit bounds (0-based unless told otherwise), element type Variant.
// Either dense (every element stored) or a view over an ArraySource with written elements kept
// beside it; both behave the same to callers. Out-of-bounds indexes raise subscript-out-of-range.
class Array {
public:
    struct Bound {
        long lower = 0;
        long upper = -1; // upper < lower: the dimension is empty
    };

    // A dense array of Empty elements. 1 or 2 bounds; more raise invalid-call.
    explicit Array(std::vector<Bound> bounds);
    // A 0-based 1-D array holding the given values.
    static std::shared_ptr<Array> FromValues(std::vector<Variant> values);
    // A view of count0 x count1 cells served by source; written elements shadow the source.
    static std::shared_ptr<Array> View(std::shared_ptr<const ArraySource> source, std::size_t count0,
                                       std::size_t count1);

    int Dims() const noexcept { return static_cast<int>(m_bounds.size()); }
    long LBound(int dimension = 1) const; // dimension 1-based, as the language counts
    long UBound(int dimension = 1) const;
    std::size_t Count(int dimension = 1) const;

    Variant Get(long index) const;
    Variant Get(long index0, long index1) const;
    // The cell at (index0, index1) of a 2-D array as CellPeek says; Unknown only where a view's source
    // cannot tell (the caller then reads it with Get). Bounds are checked as Get checks them.
    CellPeek Peek(long index0, long index1) const;
    // Peek of `count` elements (index0, index1 .. index1 + count - 1) into out[0..count), the
    // source read a run at a time. The whole run must lie within the bounds.
    void PeekRun(long index0, long index1, std::size_t count, CellPeek* out) const;
    // Get of `count` elements (index0, index1 .. index1 + count - 1) into out[0..count), the source
    // read a run at a time, written elements as Get sees them. The run must lie within the bounds.
    void GetRun(long index0, long index1, std::size_t count, Variant* out) const;
    // True when no element (index0, any) of a 2-D array is a string with text: a search for text can
    // pass the column by. Answers from the source and the written cells, never by reading each one;
    // false when unsure.
    bool HoldsNoText(long index0) const;
    void Set(long index, Variant value);
    void Set(long index0, long index1, Variant value);

    // ReDim Preserve of the last dimension (the platform's only allowed change), new elements Empty.
    void Resize(long newUpper);
    // A dense, independent copy (the language's array assignment).
    std::shared_ptr<Array> Copy() const;

    // Storage agrees with the bounds: dense size is the element count; a view keeps no written
    // cell and serves no source cell outside the bounds. Tests and debug builds check it.
    bool CheckConsistency() const;

private:
    struct NoStorage {};
    // Bounds only, no dense elements: a view must not allocate (and touch) a cell per element first.
    Array(std::vector<Bound> bounds, NoStorage);
    std::size_t Offset(long index0, long index1) const;
    std::size_t Size() const;
    Variant At(std::size_t offset) const;
    template <class Cell, class ReadSource, class FromVariant>
    void ReadRun(long index0, long index1, std::size_t count, Cell* out, const Cell& blank,
                 ReadSource readSource, FromVariant fromVariant) const;
    std::size_t LastIndexOf(std::size_t offset) const;

    std::vector<Bound> m_bounds;
    // Dense storage with the first index running fastest (offset = i0 + count0 * i1), so that
    // growing the last dimension, the only one ReDim Preserve may change, keeps every offset.
    std::vector<Variant> m_dense;
    std::shared_ptr<const ArraySource> m_source;        // view storage
    std::unordered_map<std::size_t, Variant> m_written; // view cells written after creation
    // One bit per offset ever written, so that reading the cells nobody wrote (nearly all of a fetched
    // report's) skips the hash look-up: totals over a million rows spent a fifth of their time there.
    // Bits may stay set after a resize drops their cell; the look-up then simply misses.
    std::vector<std::uint64_t> m_writtenBits;
    void MarkWritten(std::size_t offset);
    // Slices of the last dimension still served by the source: a shrink cuts it, a regrow must not
    // bring the source's old cells back, since ReDim Preserve gives new elements Empty.
    std::size_t m_sourceExtent = 0;
};

} // namespace vb
