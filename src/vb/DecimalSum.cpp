// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The total is one 128-bit integer scaled by a power of ten that only grows (to the most decimals seen
// so far). Adding a value with more decimals rescales the total once; adding one with fewer scales the
// value up. Both stay exact while the total is below 10^36, which holds for any money column: a
// million rows of 15-digit amounts need 21 digits.
#include "vb/DecimalSum.h"

#include "vb/Conversion.h"
#include "vb/Decimal_p.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace vb {

namespace {

__extension__ typedef __int128 Int128;

constexpr int kMaxScale = 18;

// 10^0 .. 10^36, and 10^36 / 10^k: a million-row total looked these up per value (a loop of 128-bit
// multiplications and a 128-bit division each) for a third of its time.
struct Powers {
    Int128 pow10[37];
    Int128 limitOver[37];
    constexpr Powers() : pow10(), limitOver() {
        Int128 power = 1;
        for (int k = 0; k <= 36; ++k) {
            pow10[k] = power;
            power *= 10;
        }
        for (int k = 0; k <= 36; ++k) {
            limitOver[k] = pow10[36] / pow10[k];
        }
    }
};
constexpr Powers kTens;

Int128 Pow10(int exponent) {
    return kTens.pow10[exponent];
}

// 10^36: well inside the 1.7e38 an Int128 holds, so one more addition never overflows.
constexpr Int128 kLimit = kTens.pow10[36];

Int128 Magnitude(Int128 value) {
    return value < 0 ? -value : value;
}

} // namespace

// Money has a few decimals: when value lies within a quarter of its 15th significant digit of some
// m / 10^k (k < kFastTens, m of at most 15 digits), m / 10^k is exactly the decimal the 15-digit
// conversion would give, found at a fraction of its cost. Doubles computed from money
// (37 * 1.37 = 50.690000000000005) qualify as well. The quarter is a safe margin: a 15th digit is
// worth more than |value| / 10^15. A k above the smallest that fits gives the same decimal.
bool DecimalSum::AddFast(double value, int tens) {
    static constexpr double kPowers[kFastTens] = {1, 10, 100, 1000, 10000};
    const double scaled = value * kPowers[tens];
    if (!(std::fabs(scaled) < 1e15)) {
        return false;
    }
    // Round to nearest, ties to even, as nearbyint does in the default mode, without its call: below
    // 2^51 adding 1.5 * 2^52 leaves no fraction bits.
    constexpr double kRound = 6755399441055744.0;
    const double rounded = (scaled + kRound) - kRound;
    if (!(std::fabs(std::fma(value, kPowers[tens], -rounded)) <=
          std::fabs(value) * 0.25e-15 * kPowers[tens])) {
        return false;
    }
    Pend(static_cast<std::int64_t>(rounded), tens);
    return true;
}

void DecimalSum::Add(double value) {
    if (!std::isfinite(value)) {
        return;
    }
    ++m_count;
    if (AddFast(value, m_lastTens)) {
        return;
    }
    for (int tens = 0; tens < kFastTens; ++tens) {
        if (tens != m_lastTens && AddFast(value, tens)) {
            m_lastTens = tens;
            return;
        }
    }
    m_approximate += static_cast<long double>(value);
    detail::Decimal decimal;
    detail::ToDecimal(value, 15, decimal);
    if (decimal.IsZero()) {
        return;
    }
    Int128 mantissa = 0;
    for (int index = 0; index < decimal.count; ++index) {
        mantissa = mantissa * 10 + (decimal.digits[index] - '0');
    }
    AddExact(decimal.negative ? -mantissa : mantissa, decimal.pointPos - decimal.count);
}

void DecimalSum::AddScaled(std::int64_t value, int scale) {
    ++m_count;
    if (scale >= 0 && scale < kFastTens && value < 1'000'000'000'000'000 && value > -1'000'000'000'000'000) {
        Pend(value, scale);
        return;
    }
    m_approximate += static_cast<long double>(value) / std::pow(10.0L, scale);
    AddExact(value, -scale);
}

void DecimalSum::Pend(std::int64_t mantissa, int tens) {
    m_pending[tens] += mantissa;
    if (++m_pendingCount == kFastPending) {
        Settle();
    }
}

void DecimalSum::Settle() {
    for (int tens = 0; tens < kFastTens; ++tens) {
        if (m_pending[tens] != 0) {
            m_approximate +=
                static_cast<long double>(m_pending[tens]) / static_cast<long double>(Pow10(tens));
            AddExact(m_pending[tens], -tens);
            m_pending[tens] = 0;
        }
    }
    m_pendingCount = 0;
}

DecimalSum DecimalSum::Settled() const {
    DecimalSum copy = *this;
    copy.Settle();
    return copy;
}

bool DecimalSum::IsExact() const {
    return m_pendingCount == 0 ? m_isExact : Settled().m_isExact;
}

bool DecimalSum::AddValue(const Variant& value) {
    switch (value.Type()) {
    case VarType::Integer:
    case VarType::Long:
        AddScaled(static_cast<std::int64_t>(*value.NumberValue()), 0);
        return true;
    case VarType::Currency:
        AddScaled(value.AsCurrency().scaled, 4);
        return true;
    case VarType::Single:
    case VarType::Double:
        Add(*value.NumberValue());
        return true;
    case VarType::String:
        if (std::optional<double> number = TryParseNumber(value.AsString())) {
            Add(*number);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void DecimalSum::AddExact(Int128 mantissa, int exponent) {
    if (!m_isExact) {
        return;
    }
    if (exponent < 0 && -exponent > m_scale) {
        const int newScale = -exponent;
        if (newScale > kMaxScale || Magnitude(m_scaled) >= kTens.limitOver[newScale - m_scale]) {
            m_isExact = false;
            return;
        }
        m_scaled *= Pow10(newScale - m_scale);
        m_scale = newScale;
    }
    const int shift = exponent + m_scale; // >= 0 now
    if (shift > 36 || Magnitude(mantissa) >= kTens.limitOver[shift]) {
        m_isExact = false;
        return;
    }
    m_scaled += mantissa * Pow10(shift);
    if (Magnitude(m_scaled) >= kLimit) {
        m_isExact = false;
    }
}

std::string DecimalSum::Text() const {
    if (m_pendingCount != 0) {
        return Settled().Text();
    }
    if (!m_isExact) {
        return NumberText(static_cast<double>(m_approximate));
    }
    Int128 magnitude = Magnitude(m_scaled);
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(magnitude % 10)));
        magnitude /= 10;
    } while (magnitude != 0);
    if (static_cast<int>(digits.size()) <= m_scale) {
        digits.insert(0, static_cast<std::size_t>(m_scale) - digits.size() + 1, '0');
    }
    if (m_scale > 0) {
        digits.insert(digits.size() - static_cast<std::size_t>(m_scale), 1, '.');
        while (digits.back() == '0') {
            digits.pop_back();
        }
        if (digits.back() == '.') {
            digits.pop_back();
        }
    }
    return m_scaled < 0 ? "-" + digits : digits;
}

double DecimalSum::Value() const {
    if (m_pendingCount != 0) {
        return Settled().Value();
    }
    if (!m_isExact) {
        return static_cast<double>(m_approximate);
    }
    // from_chars rounds correctly, so the exact decimal becomes the double that displays as it.
    const std::string text = Text();
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

} // namespace vb
