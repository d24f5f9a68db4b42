// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/SheetTypes.h"

#include <string>
#include <string_view>

namespace sheet {

// The seven numeric-format values and the zero option against spreadsheet format codes
// ("#,##0.00;-#,##0.00;"). ToFormatCode writes only codes FromFormatCode reads back to the same
// values, so a template survives being edited in a spreadsheet program.
struct ParsedFormat {
    NumFormat num;
    bool blankZero = false; // the code's zero section is empty or blank
    friend bool operator==(const ParsedFormat&, const ParsedFormat&) = default;
};

std::string ToFormatCode(const NumFormat& format, bool blankZero);
// Any code a spreadsheet program writes; what the seven values cannot say (colours other than red,
// literal texts, conditions) is dropped, and codes nothing matches read as general.
ParsedFormat FromFormatCode(std::string_view code);
// The code of a built-in format number of the .xlsx styles part; "" for numbers without one.
std::string_view BuiltinFormatCode(int id);

} // namespace sheet
