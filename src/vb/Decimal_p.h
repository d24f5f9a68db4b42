// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

// Internal to vb: decimal digit strings shared by the conversions and the display formatter.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vb::detail {

enum class ParseStatus { Ok, NotNumber, OutOfRange };

// Reads a whole string as a number (Conversion.h's string rules). out is set only on Ok.
ParseStatus ParseNumber(std::string_view text, double& out);

// A finite value as 0.d1d2..dn x 10^pointPos: digits '1'..'9' first, no trailing zeros; zero has
// count 0. Fixed capacity so that formatting a cell never allocates for it.
struct Decimal {
    static constexpr int kCapacity = 40;
    char digits[kCapacity];
    int count = 0;
    int pointPos = 0;
    bool negative = false;

    bool IsZero() const { return count == 0; }
    // Digit at the given place: 0 is the units, 1 the tens, -1 the tenths.
    char DigitAt(int place) const {
        const int index = pointPos - 1 - place;
        return index >= 0 && index < count ? digits[index] : '0';
    }
};

// value rounded to maxDigits (1..17) significant digits, the same rounding the platform's text has.
void ToDecimal(double value, int maxDigits, Decimal& out);
// value / 10^scale exactly (scale 4 for Currency, 0 for whole numbers).
void ToDecimal(std::int64_t value, int scale, Decimal& out);

enum class RoundMode { HalfAwayFromZero, HalfToEven };
// Rounds to the given number of decimals (negative: to tens, hundreds...) on the decimal digits.
void Round(Decimal& value, int decimals, RoundMode mode);

// General text: fixed notation, or d.dddE+XX once the decimal exponent reaches sciFromExponent or
// falls below -5. Writes at most 64 characters, returns the length.
std::size_t WriteGeneral(const Decimal& value, int sciFromExponent, char* out);

} // namespace vb::detail
