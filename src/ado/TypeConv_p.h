// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "vb/Variant.h"

#include <optional>
#include <string>
#include <string_view>

namespace ado::detail {

// Text forms that cross the database boundary. Databases speak ISO dates and plain decimals whatever
// the user's locale; the calendar itself is the value layer's (vb/DateTime.h).

// A date or date-time as databases write it ("yyyy-mm-dd", "yyyy-mm-dd hh:mm:ss[.fff][zone]", a bare
// time), as the serial; nullopt when the text is not one. Plain "yyyy-mm-dd" takes a fast path: every
// date cell of a big result comes through here.
std::optional<double> ParseIsoDateTime(std::string_view text);
// "yyyy-mm-dd" when the serial has no time part, else "yyyy-mm-dd hh:mm:ss" (always with the date,
// which a database needs to read it back as a timestamp).
std::string FormatIsoDateTime(double serial);

// A decimal number in plain database text ("-12.50", "1e3"); nullopt for anything else, including
// grouping separators, which no database writes.
std::optional<double> ParseDecimal(std::string_view text);

// The text a value is bound as: numbers in plain decimal, Booleans "1"/"0" or "true"/"false"
// (boolWords), dates ISO, strings as they are. nullopt for Null and Empty (bound as SQL NULL).
// Objects and arrays raise type mismatch.
std::optional<std::string> BindText(const vb::Variant& value, bool boolWords);

} // namespace ado::detail
