// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "vb/Strings.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace sheet::cll {

// Shared spellings of the .cll writer and reader: one table, so the two can never disagree.
inline constexpr std::string_view kMagic = "vondrel-cll";
inline constexpr int kVersion = 1;
inline constexpr std::string_view kOrientation[] = {"portrait", "landscape"};

// Appends text between double quotes with \\ \" \t \n \r, and \xHH for other control bytes and for
// bytes that are not valid UTF-8: a cell may hold any bytes, the file stays valid UTF-8 text.
void AppendQuoted(std::string& out, std::string_view text);
// Appends the shortest text that reads back as exactly the same double.
void AppendNumber(std::string& out, double value);
// Colour as six hex digits.
void AppendHex6(std::string& out, unsigned value);

} // namespace sheet::cll
