// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "ado/SqlText.h"

#include "vb/Conversion.h"
#include "vb/Error.h"

namespace ado {

std::string SqlQuote(std::string_view text) {
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted.push_back('\'');
    for (const char c : text) {
        if (c == '\'') {
            quoted.push_back('\'');
        }
        quoted.push_back(c);
    }
    quoted.push_back('\'');
    return quoted;
}

std::string SqlNumber(const vb::Variant& value, std::string_view role) {
    // Booleans are numbers to the language (-1/0) but never what a caller means by a key or a width.
    if (value.Type() != vb::VarType::Boolean) {
        try {
            return vb::SqlNumberText(value);
        } catch (const vb::Error&) {
            // Reported below with the value's role, which tells the user which setting is wrong.
        }
    }
    const std::string shown = value.IsString() ? value.AsString() : (value.IsNull() ? "Null" : "");
    throw vb::Error(vb::kErrTypeMismatch, std::string(role) + "必须是数字，不能写入 SQL 语句：" +
                                              (shown.empty() ? "（空）" : shown));
}

} // namespace ado
