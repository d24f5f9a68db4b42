// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "vb/Variant.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vb {

namespace detail {
struct Decimal;
}

// A display format parsed once and applied to many values (a grid column formats every cell with one).
//
// Numbers: "0" digit, "#" digit shown only when significant, "." decimal point, "," between digit
// placeholders groups thousands, "," right of the last integer placeholder divides by 1000, "%"
// multiplies by 100. Up to three sections "positive;negative;zero": a negative section writes its own
// sign; an empty or missing one means the positive section with a leading "-". Values are rounded on
// their 15-significant-digit decimal, halves away from zero (589.005 with "0.00" is "589.01"); a value
// that rounds to zero takes the zero section (else the positive one) and never shows "-0.00".
// Dates: yyyy yy y(day of year) m mm d dd h hh n nn s ss AM/PM am/pm; "m"/"mm" after an hour or before
// a second means minutes. Month and weekday names (mmm, ddd) are not supported and show as numbers.
// Literals: "quoted text", \x, and any other character. Named formats: General Number, General Date,
// Fixed, Standard, Percent, Short Date, Short Time, Long Time. Scientific ("0.00E+00"), "@" and "&"
// string placeholders are not supported (shown as literals).
// Two sections of text only ("√; ", "是;否") are a true/false format: True or non-zero shows the first,
// False or zero the second.
// Values: Null, Empty, objects and arrays show ""; strings that are numbers (or dates, for a date
// format) are formatted as such, other strings pass through unchanged; Booleans under a number format
// are -1/0. An empty format gives the general text (CStr).
class DisplayFormat {
public:
    DisplayFormat() = default; // general text
    explicit DisplayFormat(std::string_view format);
    // The parsed format, or nullopt for text that cannot be a format: an unclosed quote, a "\" with
    // nothing after it, more than four sections, or a section with more than 30 decimals.
    static std::optional<DisplayFormat> TryParse(std::string_view format);

    std::string Apply(const Variant& value) const;
    // Appends to out without any other allocation, so a caller reusing one buffer formats for free.
    void AppendTo(std::string& out, const Variant& value) const;

    const std::string& Text() const noexcept { return m_text; }
    bool IsGeneral() const noexcept { return m_sections.empty(); }
    bool IsDateFormat() const noexcept { return m_isDate; }

private:
    enum class TokenKind : std::uint8_t {
        Literal,
        Digit,         // 0
        OptionalDigit, // #
        DecimalPoint,
        Year4,
        Year2,
        DayOfYear,
        Month,
        Month2,
        Day,
        Day2,
        Hour,
        Hour2,
        Minute,
        Minute2,
        Second,
        Second2,
        AmPm,
    };
    // The text of a token (a literal, or a date token's source for where it is shown as text) is
    // literals[offset, offset + length).
    struct Token {
        TokenKind kind;
        std::uint32_t offset;
        std::uint32_t length;
    };
    struct Section {
        std::vector<Token> tokens;
        std::string literals;
        int integerDigits = 0;  // placeholders before the decimal point
        int fractionDigits = 0; // placeholders after it
        int exponentShift = 0;  // +2 per "%", -3 per scaling ","
        bool hasGrouping = false;
        bool hasNumber = false; // any digit placeholder or decimal point
        bool hasDate = false;   // any date token (only when there is no number)
        bool hasAmPm = false;
        bool isEmpty = true; // nothing between the semicolons
    };

    static Section ParseSection(std::string_view text);
    void AppendNumber(std::string& out, const detail::Decimal& value) const;
    void AppendDate(std::string& out, double serial) const;
    void AppendTrueFalse(std::string& out, bool isTrue) const;
    static void AppendNumberSection(std::string& out, const Section& section, const detail::Decimal& rounded,
                                    bool minus);
    static void AppendText(std::string& out, const Section& section);

    std::string m_text;
    std::vector<Section> m_sections; // empty: general text
    bool m_isDate = false;
    bool m_isTrueFalse = false;
};

// One-off formatting; repeated calls with the same format reuse its parsed form.
std::string Format(const Variant& value, std::string_view format);

} // namespace vb
