// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "vb/Variant.h"

#include <string>
#include <string_view>

namespace ado {

// Building statement texts from values. The catalogue's statements are fixed texts completed with
// values; these helpers make sure no value can change what the statement does.

// A string literal: the text between single quotes, every quote doubled ('it''s').
std::string SqlQuote(std::string_view text);

// A number written unquoted: plain decimal text of a number, or of a string that is a plain number
// ("12", "-3.5"; no separators, no exponent, no spaces inside). Anything else — including Null,
// Empty and text such as "1 or 1=1" — raises a type-mismatch error naming the value's role.
std::string SqlNumber(const vb::Variant& value, std::string_view role);

// True when text is a plain decimal number as SqlNumber accepts it.
bool IsPlainNumber(std::string_view text);

} // namespace ado
