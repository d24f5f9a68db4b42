// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Every value shown to a user or rounded for display goes through a Decimal: the double is first
// turned into its correctly rounded 15-significant-digit decimal (the precision the platform shows),
// and all later rounding works on those digits. That is why 589.005, whose double lies just below
// 589.005, still rounds to 589.01: the digits are "589005", and the dropped digit is exactly 5.
#include "vb/Decimal_p.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <string>

namespace vb::detail {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

void StripTrailingZeros(Decimal& value) {
    while (value.count > 0 && value.digits[value.count - 1] == '0') {
        --value.count;
    }
    if (value.count == 0) {
        value.pointPos = 0;
        value.negative = false;
    }
}

void FromUnsigned(std::uint64_t magnitude, Decimal& out) {
    char reversed[24];
    int length = 0;
    while (magnitude != 0) {
        reversed[length++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    }
    for (int i = 0; i < length; ++i) {
        out.digits[i] = reversed[length - 1 - i];
    }
    out.count = length;
    out.pointPos = length;
}

constexpr double kPow10[] = {1e0, 1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,
                             1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17};

} // namespace

ParseStatus ParseNumber(std::string_view text, double& out) {
    std::size_t pos = 0;
    std::size_t end = text.size();
    while (pos < end && (text[pos] == ' ' || text[pos] == '\t')) {
        ++pos;
    }
    while (end > pos && (text[end - 1] == ' ' || text[end - 1] == '\t')) {
        --end;
    }
    // Grouping commas are dropped into a clean copy that from_chars can read. Numbers in cells are
    // short; the rare long one goes to the heap.
    char small[64];
    std::string large;
    char* clean = small;
    if (end - pos >= sizeof small) {
        large.resize(end - pos + 1);
        clean = large.data();
    }
    std::size_t length = 0;
    bool negative = false;
    if (pos < end && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    int mantissaDigits = 0;
    while (pos < end && (IsDigit(text[pos]) || text[pos] == ',')) {
        if (text[pos] != ',') {
            clean[length++] = text[pos];
            ++mantissaDigits;
        }
        ++pos;
    }
    if (pos < end && text[pos] == '.') {
        clean[length++] = '.';
        ++pos;
        while (pos < end && IsDigit(text[pos])) {
            clean[length++] = text[pos++];
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) {
        return ParseStatus::NotNumber;
    }
    if (pos < end && (text[pos] == 'e' || text[pos] == 'E')) {
        clean[length++] = 'e';
        ++pos;
        if (pos < end && (text[pos] == '+' || text[pos] == '-')) {
            if (text[pos] == '-') {
                clean[length++] = '-';
            }
            ++pos;
        }
        const std::size_t exponentStart = pos;
        while (pos < end && IsDigit(text[pos])) {
            clean[length++] = text[pos++];
        }
        if (pos == exponentStart) {
            return ParseStatus::NotNumber;
        }
    }
    if (pos != end) {
        return ParseStatus::NotNumber;
    }
    double value = 0;
    const auto result = std::from_chars(clean, clean + length, value);
    if (result.ec == std::errc::result_out_of_range) {
        // Underflow reads as zero, as the platform does; only a too-large magnitude fails.
        const auto exponentPos = std::string_view(clean, length).find('e');
        if (exponentPos != std::string_view::npos && clean[exponentPos + 1] == '-') {
            out = 0;
            return ParseStatus::Ok;
        }
        return ParseStatus::OutOfRange;
    }
    if (result.ec != std::errc{} || result.ptr != clean + length) {
        return ParseStatus::NotNumber;
    }
    out = negative ? -value : value;
    return ParseStatus::Ok;
}

void ToDecimal(double value, int maxDigits, Decimal& out) {
    assert(std::isfinite(value) && maxDigits >= 1 && maxDigits <= 17 && "callers screen non-finite values");
    out.count = 0;
    out.pointPos = 0;
    out.negative = std::signbit(value);
    const double magnitude = std::fabs(value);
    if (magnitude == 0) {
        out.negative = false;
        return;
    }
    // Whole numbers that fit the digit budget are by far the most common cell values; they need no
    // rounding, so skip the general conversion.
    if (magnitude < kPow10[maxDigits] && magnitude == std::trunc(magnitude)) {
        FromUnsigned(static_cast<std::uint64_t>(magnitude), out);
        StripTrailingZeros(out);
        return;
    }
    char buffer[48];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                      std::chars_format::scientific, maxDigits - 1);
    assert(result.ec == std::errc{} && "48 characters hold any 17-digit scientific form");
    const char* cursor = buffer;
    while (cursor != result.ptr && *cursor != 'e') {
        if (*cursor != '.') {
            out.digits[out.count++] = *cursor;
        }
        ++cursor;
    }
    ++cursor; // 'e'
    const bool exponentNegative = *cursor == '-';
    ++cursor; // sign, always written
    int exponent = 0;
    std::from_chars(cursor, result.ptr, exponent);
    out.pointPos = (exponentNegative ? -exponent : exponent) + 1;
    StripTrailingZeros(out);
}

void ToDecimal(std::int64_t value, int scale, Decimal& out) {
    out.negative = value < 0;
    const std::uint64_t magnitude =
        value < 0 ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
    out.count = 0;
    out.pointPos = 0;
    FromUnsigned(magnitude, out);
    out.pointPos -= scale;
    StripTrailingZeros(out);
}

void Round(Decimal& value, int decimals, RoundMode mode) {
    const int keep = value.pointPos + decimals; // digits that stay
    if (value.count <= keep) {
        return;
    }
    if (keep < 0) {
        // The first dropped digit is an implied leading zero: below half.
        value.count = 0;
        StripTrailingZeros(value);
        return;
    }
    const char first = value.digits[keep];
    bool up = first > '5' || (first == '5' && mode == RoundMode::HalfAwayFromZero);
    if (first == '5' && mode == RoundMode::HalfToEven) {
        // Trailing zeros are stripped, so anything after the 5 makes it more than half.
        const bool exactHalf = keep + 1 == value.count;
        const bool lastKeptOdd = keep > 0 && (value.digits[keep - 1] - '0') % 2 == 1;
        up = !exactHalf || lastKeptOdd;
    }
    value.count = keep;
    if (up) {
        int index = keep - 1;
        while (index >= 0 && value.digits[index] == '9') {
            value.digits[index] = '0';
            --index;
        }
        if (index >= 0) {
            ++value.digits[index];
        } else {
            // Carry out of the leading digit: 9.99 -> 10.0. The rest are zeros, stripped below.
            value.digits[0] = '1';
            value.count = 1;
            ++value.pointPos;
        }
    }
    StripTrailingZeros(value);
}

std::size_t WriteGeneral(const Decimal& value, int sciFromExponent, char* out) {
    char* cursor = out;
    if (value.IsZero()) {
        *cursor++ = '0';
        return 1;
    }
    if (value.negative) {
        *cursor++ = '-';
    }
    const int exponent = value.pointPos - 1;
    if (exponent >= sciFromExponent || exponent < -5) {
        *cursor++ = value.digits[0];
        if (value.count > 1) {
            *cursor++ = '.';
            for (int i = 1; i < value.count; ++i) {
                *cursor++ = value.digits[i];
            }
        }
        *cursor++ = 'E';
        *cursor++ = exponent < 0 ? '-' : '+';
        const int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude >= 100) {
            *cursor++ = static_cast<char>('0' + magnitude / 100);
        }
        *cursor++ = static_cast<char>('0' + magnitude / 10 % 10);
        *cursor++ = static_cast<char>('0' + magnitude % 10);
        return static_cast<std::size_t>(cursor - out);
    }
    if (value.pointPos <= 0) {
        *cursor++ = '0';
        *cursor++ = '.';
        for (int i = value.pointPos; i < 0; ++i) {
            *cursor++ = '0';
        }
        for (int i = 0; i < value.count; ++i) {
            *cursor++ = value.digits[i];
        }
        return static_cast<std::size_t>(cursor - out);
    }
    for (int place = value.pointPos - 1; place >= 0; --place) {
        *cursor++ = value.DigitAt(place);
    }
    if (value.count > value.pointPos) {
        *cursor++ = '.';
        for (int i = value.pointPos; i < value.count; ++i) {
            *cursor++ = value.digits[i];
        }
    }
    return static_cast<std::size_t>(cursor - out);
}

} // namespace vb::detail
