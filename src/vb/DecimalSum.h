// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "vb/Variant.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vb {

// A running total that adds values as the decimals they display as, so that a column of cents sums to
// the exact cent total (0.1 + 0.2 is 0.3, not 0.30000000000000004). Each double counts as its
// 15-significant-digit decimal, the same digits the display formats show.
// Exact up to 36 significant digits with at most 18 decimals; beyond that the total continues in long
// double and IsExact() turns false.
class DecimalSum {
public:
    void Add(double value);                        // non-finite values are ignored
    void AddScaled(std::int64_t value, int scale); // value / 10^scale exactly (Currency: scale 4)
    // Adds numbers, Currency and numeric strings ("1,234.50"); returns false, adding nothing, for Empty,
    // Null, Boolean, Date, objects, arrays and text that is no number.
    bool AddValue(const Variant& value);

    double Value() const;     // the double nearest to the exact total
    std::string Text() const; // the exact total in plain decimal ("0.3", "-12.5"); general text once inexact
    std::size_t Count() const noexcept { return m_count; }
    bool IsExact() const;

private:
    __extension__ typedef __int128 Int128;
    static constexpr int kFastTens = 5;       // m / 10^k for k below this take the fast path
    static constexpr int kFastPending = 4096; // values of at most 15 digits: no int64 overflow
    bool AddFast(double value, int tens);
    void AddExact(Int128 mantissa, int exponent);
    void Pend(std::int64_t mantissa, int tens); // mantissa / 10^tens, |mantissa| < 10^15
    void Settle();                              // the pending fast sums into the exact total
    DecimalSum Settled() const;                 // a settled copy, for the const readers

    Int128 m_scaled = 0; // the total times 10^m_scale
    int m_scale = 0;
    bool m_isExact = true;
    long double m_approximate = 0; // kept alongside, taken over once the exact total would overflow
    std::size_t m_count = 0;
    // Values that were m / 10^k: their m summed per k, not yet in m_scaled or m_approximate.
    std::int64_t m_pending[kFastTens] = {};
    int m_pendingCount = 0;
    int m_lastTens = 0; // the k the last such value had: a column's values mostly share it
};

} // namespace vb
