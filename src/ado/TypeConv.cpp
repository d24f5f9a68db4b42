// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "ado/TypeConv_p.h"
#include "vb/Error.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace ado::detail {
namespace {

bool ReadInt(std::string_view text, std::size_t& pos, std::size_t digits, int& out) {
    if (pos + digits > text.size()) {
        return false;
    }
    int value = 0;
    for (std::size_t k = 0; k < digits; ++k) {
        const char c = text[pos + k];
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    pos += digits;
    out = value;
    return true;
}

bool IsValidDate(int year, int month, int day) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1) {
        return false;
    }
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + ((month == 2 && leap) ? 1 : 0);
}

// Parses "hh:mm[:ss[.fff]]" at pos; returns the fraction of a day.
std::optional<double> ReadTime(std::string_view text, std::size_t& pos) {
    int hour = 0;
    int minute = 0;
    int second = 0;
    if (!ReadInt(text, pos, 2, hour) || pos >= text.size() || text[pos] != ':') {
        return std::nullopt;
    }
    ++pos;
    if (!ReadInt(text, pos, 2, minute)) {
        return std::nullopt;
    }
    double fraction = 0;
    if (pos < text.size() && text[pos] == ':') {
        ++pos;
        if (!ReadInt(text, pos, 2, second)) {
            return std::nullopt;
        }
        if (pos < text.size() && text[pos] == '.') {
            const std::size_t start = pos;
            ++pos;
            while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
                ++pos;
            }
            double parsed = 0;
            std::from_chars(text.data() + start, text.data() + pos, parsed);
            fraction = parsed;
        }
    }
    if (hour > 24 || minute > 59 || second > 60) {
        return std::nullopt;
    }
    return (hour * 3600.0 + minute * 60.0 + second + fraction) / 86400.0;
}

bool IsZoneSuffix(std::string_view rest) {
    if (rest == "Z") {
        return true;
    }
    if (rest.empty() || (rest[0] != '+' && rest[0] != '-')) {
        return false;
    }
    for (std::size_t k = 1; k < rest.size(); ++k) {
        if (!((rest[k] >= '0' && rest[k] <= '9') || rest[k] == ':')) {
            return false;
        }
    }
    return true;
}

} // namespace

double DaysFromCivil(int year, int month, int day) {
    // Days since 1970-01-01 by the era algorithm, then shifted to the 1899-12-30 epoch (25569 days earlier).
    year -= month <= 2 ? 1 : 0;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int yoe = year - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<double>(era) * 146097.0 + doe - 719468.0 + 25569.0;
}

std::optional<double> ParseIsoDateTime(std::string_view text) {
    // Fast path for the plain "yyyy-mm-dd" that date columns hold: every date cell of a big result
    // passes through here.
    if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
        std::size_t pos = 0;
        int year = 0;
        int month = 0;
        int day = 0;
        if (ReadInt(text, pos, 4, year) && ++pos && ReadInt(text, pos, 2, month) && ++pos &&
            ReadInt(text, pos, 2, day) && IsValidDate(year, month, day)) {
            return DaysFromCivil(year, month, day);
        }
        return std::nullopt;
    }
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    std::size_t pos = 0;
    if (text.size() >= 5 && text[2] == ':') {
        auto time = ReadTime(text, pos);
        if (time && pos == text.size()) {
            return time;
        }
        return std::nullopt;
    }
    int year = 0;
    int month = 0;
    int day = 0;
    if (!ReadInt(text, pos, 4, year) || pos >= text.size() || (text[pos] != '-' && text[pos] != '/')) {
        return std::nullopt;
    }
    const char sep = text[pos++];
    if (!ReadInt(text, pos, 2, month) || pos >= text.size() || text[pos] != sep) {
        return std::nullopt;
    }
    ++pos;
    if (!ReadInt(text, pos, 2, day) || !IsValidDate(year, month, day)) {
        return std::nullopt;
    }
    double serial = DaysFromCivil(year, month, day);
    if (pos == text.size()) {
        return serial;
    }
    if (text[pos] != ' ' && text[pos] != 'T') {
        return std::nullopt;
    }
    ++pos;
    auto time = ReadTime(text, pos);
    if (!time) {
        return std::nullopt;
    }
    if (pos != text.size() && !IsZoneSuffix(text.substr(pos))) {
        return std::nullopt;
    }
    // Serials before the epoch keep the time as a positive fraction counted forward from midnight,
    // so the day part is stored negative and the time is added to its absolute value.
    return serial < 0 ? serial - *time : serial + *time;
}

std::string FormatIsoDateTime(double serial) {
    double dayPart = std::trunc(serial);
    double timePart = std::fabs(serial - dayPart);
    long long seconds = std::llround(timePart * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        dayPart += serial < 0 ? -1 : 1;
    }
    // Civil from days (inverse of DaysFromCivil).
    const long long z = static_cast<long long>(dayPart) - 25569 + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const long long day = doy - (153 * mp + 2) / 5 + 1;
    const long long month = mp < 10 ? mp + 3 : mp - 9;
    const long long year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    char buffer[128];
    if (seconds == 0) {
        std::snprintf(buffer, sizeof buffer, "%04lld-%02lld-%02lld", year, month, day);
    } else {
        std::snprintf(buffer, sizeof buffer, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld", year, month, day,
                      seconds / 3600, seconds / 60 % 60, seconds % 60);
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

std::string FormatDecimal(double value) {
    if (!std::isfinite(value)) {
        return "NULL";
    }
    if (value == std::trunc(value) && std::fabs(value) < 1e18) {
        return std::to_string(static_cast<long long>(value));
    }
    // Shortest text that reads back as the same double, then expanded to plain decimal.
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (ec != std::errc()) {
        std::snprintf(buffer, sizeof buffer, "%.15f", value);
        return buffer;
    }
    return std::string(buffer, end);
}

std::optional<std::string> BindText(const vb::Variant& value, bool boolWords) {
    switch (value.Type()) {
    case vb::VarType::Empty:
    case vb::VarType::Null:
        return std::nullopt;
    case vb::VarType::Boolean:
        return boolWords ? (value.AsBoolean() ? "true" : "false") : (value.AsBoolean() ? "1" : "0");
    case vb::VarType::Integer:
        return std::to_string(value.AsInteger());
    case vb::VarType::Long:
        return std::to_string(value.AsLong());
    case vb::VarType::Single:
        return FormatDecimal(value.AsSingle());
    case vb::VarType::Double:
        return FormatDecimal(value.AsDouble());
    case vb::VarType::Currency: {
        const std::int64_t scaled = value.AsCurrency().scaled;
        const std::uint64_t magnitude =
            scaled < 0 ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "%s%llu.%04llu", scaled < 0 ? "-" : "",
                      static_cast<unsigned long long>(magnitude / 10000),
                      static_cast<unsigned long long>(magnitude % 10000));
        return std::string(buffer);
    }
    case vb::VarType::Date:
        return FormatIsoDateTime(value.AsDate().serial);
    case vb::VarType::String:
        return value.AsString();
    default:
        throw vb::Error(vb::kErrTypeMismatch, "类型不匹配：对象或数组不能作为 SQL 参数");
    }
}

} // namespace ado::detail
