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

// A number written unquoted: the plain decimal text of a number, or of a string that is numeric
// ("12", "-3.5", "1,234.5" is written 1234.5). Anything else — Null, Empty, Booleans, text such as
// "1 or 1=1" — raises a type-mismatch error whose description names the value's role.
std::string SqlNumber(const vb::Variant& value, std::string_view role);

} // namespace ado
