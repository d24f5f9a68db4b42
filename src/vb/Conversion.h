// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "vb/Variant.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vb {

// The platform's conversion functions. Common rules:
//  - Empty converts to 0 / "" / False; Null raises invalid-use-of-Null (94); objects and arrays raise
//    type mismatch (13); a value outside the target's range raises overflow (6).
//  - Fractions become whole numbers by rounding halves to even (2.5 -> 2, 3.5 -> 4).
//  - Strings are read as numbers with surrounding spaces, a sign, one decimal point, an exponent and
//    grouping commas anywhere before the decimal point ("1,234.5", "1,2,3" = 123). Dates in strings
//    are not numbers. Hex ("&H") and currency symbols are not read.
//  - Booleans are -1 (True) and 0.
// Each TryX returns nullopt where X would raise (whatever the reason); X raises the precise error.

std::optional<std::int16_t> TryCInt(const Variant& value);
std::int16_t CInt(const Variant& value);
std::optional<std::int32_t> TryCLng(const Variant& value);
std::int32_t CLng(const Variant& value);
std::optional<float> TryCSng(const Variant& value);
float CSng(const Variant& value);
std::optional<double> TryCDbl(const Variant& value);
double CDbl(const Variant& value);
// Rounded to four decimals, halves to even.
std::optional<Currency> TryCCur(const Variant& value);
Currency CCur(const Variant& value);
// Numbers are serials; strings must be dates (see TryParseDate), numeric strings are not.
std::optional<Date> TryCDate(const Variant& value);
Date CDate(const Variant& value);
// Numbers: non-zero is True. Strings: "True"/"False" in any case, or a number.
std::optional<bool> TryCBool(const Variant& value);
bool CBool(const Variant& value);
// General text: Double with at most 15 significant digits ("0.3", "1E+20", "1E-06"), Single 7,
// Currency up to 4 decimals, Boolean "True"/"False", Date per FormatDate. Null raises 94.
std::optional<std::string> TryCStr(const Variant& value);
std::string CStr(const Variant& value);

// A number in text, by the rules above; nullopt for anything else, including out-of-range exponents.
std::optional<double> TryParseNumber(std::string_view text);
// Leading number of the text: blanks anywhere are skipped, reading stops at the first other character,
// commas are not separators ("1,234" is 1). "" and non-numbers give 0.
double Val(std::string_view text);

// Whether the value reads as a number: number sub-types, Boolean and Empty do; Null, Date, objects,
// arrays and strings that are not numbers ("", "abc") are not.
bool IsNumeric(const Variant& value);
// Date sub-type, or a string TryParseDate accepts.
bool IsDate(const Variant& value);
inline bool IsNull(const Variant& value) {
    return value.IsNull();
}
inline bool IsEmpty(const Variant& value) {
    return value.IsEmpty();
}

// Halves to even, independent of the floating-point environment's rounding mode.
double RoundHalfEven(double value);

// General text of a double with at most maxDigits significant digits (15 for Double, 7 for Single).
std::string NumberText(double value, int maxDigits = 15);

// Plain decimal text for an SQL statement: never an exponent, never a grouping comma, "." as the
// decimal point, the shortest text that reads back as the same double. Non-finite values raise overflow.
std::string SqlNumberText(double value);
std::string SqlNumberText(std::int64_t value);
// The same for a value that must be numeric (numbers, Boolean, numeric strings such as "1,234.5");
// anything else raises type mismatch, so no text that is not a number reaches a statement.
std::string SqlNumberText(const Variant& value);

} // namespace vb
