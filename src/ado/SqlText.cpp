// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "ado/SqlText.h"

#include "ado/TypeConv_p.h"
#include "vb/Error.h"

#include <cmath>

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

bool IsPlainNumber(std::string_view text) {
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        ++pos;
    }
    std::size_t digits = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        ++pos;
        ++digits;
    }
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            ++pos;
            ++digits;
        }
    }
    return digits > 0 && pos == text.size();
}

std::string SqlNumber(const vb::Variant& value, std::string_view role) {
    if (value.IsString() && IsPlainNumber(value.AsString())) {
        return value.AsString();
    }
    if (value.IsNumberType() && value.Type() != vb::VarType::Currency) {
        const double number = *value.NumberValue();
        if (std::isfinite(number)) {
            return detail::FormatDecimal(number);
        }
    }
    if (value.Type() == vb::VarType::Currency) {
        return *detail::BindText(value, false);
    }
    std::string shown = value.IsString() ? value.AsString() : (value.IsNull() ? "Null" : "");
    throw vb::Error(vb::kErrTypeMismatch, std::string(role) + "必须是数字，不能写入 SQL 语句：" +
                                              (shown.empty() ? "（空）" : shown));
}

} // namespace ado
