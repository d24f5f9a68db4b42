// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "ado/TypeConv_p.h"
#include "vb/Conversion.h"
#include "vb/DateTime.h"
#include "vb/Error.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace ado::detail {
namespace {

int Digits(std::string_view text, std::size_t pos, std::size_t count) {
    int value = 0;
    for (std::size_t k = pos; k < pos + count; ++k) {
        const char c = text[k];
        if (c < '0' || c > '9') {
            return -1;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

bool IsValidDay(int year, int month, int day) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1) {
        return false;
    }
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + ((month == 2 && leap) ? 1 : 0);
}

} // namespace

std::optional<double> ParseIsoDateTime(std::string_view text) {
    if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
        const int year = Digits(text, 0, 4);
        const int month = Digits(text, 5, 2);
        const int day = Digits(text, 8, 2);
        // Years below 100 take the general path, which owns the rule for them.
        if (year >= 100 && IsValidDay(year, month, day)) {
            return vb::DateSerial(year, month, day);
        }
    }
    const std::optional<vb::Date> date = vb::TryParseDate(text);
    return date ? std::optional<double>(date->serial) : std::nullopt;
}

std::string FormatIsoDateTime(double serial) {
    const vb::DateParts parts = vb::SplitDate(vb::Date{serial});
    char buffer[64];
    if (parts.hour == 0 && parts.minute == 0 && parts.second == 0) {
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", parts.year, parts.month, parts.day);
    } else {
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", parts.year, parts.month,
                      parts.day, parts.hour, parts.minute, parts.second);
    }
    return buffer;
}

std::optional<double> ParseDecimal(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::string> BindText(const vb::Variant& value, bool boolWords) {
    switch (value.Type()) {
    case vb::VarType::Empty:
    case vb::VarType::Null:
        return std::nullopt;
    case vb::VarType::Boolean:
        return boolWords ? (value.AsBoolean() ? "true" : "false") : (value.AsBoolean() ? "1" : "0");
    case vb::VarType::Integer:
    case vb::VarType::Long:
    case vb::VarType::Single:
    case vb::VarType::Double:
    case vb::VarType::Currency:
        return vb::SqlNumberText(value);
    case vb::VarType::Date:
        return FormatIsoDateTime(value.AsDate().serial);
    case vb::VarType::String:
        return value.AsString();
    default:
        throw vb::Error(vb::kErrTypeMismatch, "类型不匹配：对象或数组不能作为 SQL 参数");
    }
}

} // namespace ado::detail
