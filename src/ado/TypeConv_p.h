// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "vb/Variant.h"

#include <optional>
#include <string>
#include <string_view>

namespace ado::detail {

// Text forms that cross the database boundary. Databases speak ISO dates and plain decimals whatever
// the user's locale, so these never go through the display formats of the value layer.

// "yyyy-mm-dd", "yyyy-mm-dd hh:mm[:ss[.fff]]" (space or T), an optional zone suffix (+08, +08:00, Z)
// which is dropped (local wall-clock time is kept), or "hh:mm[:ss]" alone (a time of day on day 0).
// Returns the serial (days since 1899-12-30), nullopt when the text is not such a date.
std::optional<double> ParseIsoDateTime(std::string_view text);
// "yyyy-mm-dd" when the serial has no time part, else "yyyy-mm-dd hh:mm:ss" (nearest second).
std::string FormatIsoDateTime(double serial);
// Whole days since 1899-12-30 for a proleptic Gregorian date (no range check beyond what fits).
double DaysFromCivil(int year, int month, int day);

// A decimal number in plain database text ("-12.50", "1e3"); nullopt for anything else.
std::optional<double> ParseDecimal(std::string_view text);
// Plain decimal text (no exponent, up to 15 significant digits) for binding a number.
std::string FormatDecimal(double value);

// The text a value is bound as: numbers in plain decimal, Booleans "1"/"0" or "true"/"false"
// (boolWords), dates ISO, strings as they are. nullopt for Null and Empty (bound as SQL NULL).
std::optional<std::string> BindText(const vb::Variant& value, bool boolWords);

} // namespace ado::detail
