// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "ado/DataType.h"
#include "ado/RowStore_p.h"
#include "ado/TypeConv_p.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

// How PostgreSQL result columns become recordset fields, and how one cell's text becomes a stored value.
// Header-only so that the ado tests can check the cell parsers without a server. Every parser takes the
// server's text output (session settings pinned at connect: DateStyle ISO, lc_monetary C) and never
// allocates; a cell that does not parse is stored as Null rather than failing the whole result.
namespace ado::detail::pg {

// Type OIDs are fixed for built-in types; these are the ones with a mapping of their own.
enum TypeOid : std::uint32_t {
    kOidBool = 16,
    kOidBytea = 17,
    kOidChar = 18,
    kOidName = 19,
    kOidInt8 = 20,
    kOidInt2 = 21,
    kOidInt4 = 23,
    kOidText = 25,
    kOidOid = 26,
    kOidFloat4 = 700,
    kOidFloat8 = 701,
    kOidMoney = 790,
    kOidBpchar = 1042,
    kOidVarchar = 1043,
    kOidDate = 1082,
    kOidTime = 1083,
    kOidTimestamp = 1114,
    kOidTimestamptz = 1184,
    kOidTimetz = 1266,
    kOidNumeric = 1700,
    kOidRecord = 2249,
    kOidVoid = 2278,
    kOidUuid = 2950,
};

// Which parser reads a column's cells, and therefore which storage it fills.
enum class CellKind : std::uint8_t { Integer, Boolean, Money, Real, DateTime, TimeOfDay, Text, Bytea, Guid };

inline Storage NaturalStorage(CellKind kind) noexcept {
    switch (kind) {
    case CellKind::Integer:
    case CellKind::Boolean:
    case CellKind::Money:
        return Storage::Int;
    case CellKind::Real:
    case CellKind::DateTime:
    case CellKind::TimeOfDay:
        return Storage::Real;
    case CellKind::Text:
    case CellKind::Bytea:
    case CellKind::Guid:
        break;
    }
    return Storage::Text;
}

// Sizes reported for unbounded values: characters for text (half the 32-bit range, as wide strings
// count two bytes a character), bytes for binary.
inline constexpr long kLongTextSize = 1073741823;
inline constexpr long kLongBinarySize = 2147483647;

// The varlena header the server adds to a character or numeric type modifier.
inline constexpr int kTypmodHeader = 4;

struct ColumnType {
    FieldInfo info;
    CellKind kind = CellKind::Text;
};

// A result column (or a parameter, with typmod -1) of the given type. Types without a mapping of
// their own (json, xml, arrays, intervals, ranges, enums ...) arrive as their text form; domains never
// show up here because the server reports a domain column as its base type.
inline ColumnType DescribeColumnType(std::uint32_t oid, int typmod) {
    ColumnType col;
    FieldInfo& info = col.info;
    const auto set = [&](DataTypeEnum type, CellKind kind, long size, int precision = 0, int scale = 0) {
        info.type = type;
        col.kind = kind;
        info.definedSize = size;
        info.precision = precision;
        info.numericScale = scale;
    };
    const long charLimit = typmod >= kTypmodHeader ? typmod - kTypmodHeader : kLongTextSize;
    switch (oid) {
    case kOidInt2:
        set(adSmallInt, CellKind::Integer, 2, 5);
        break;
    case kOidInt4:
    case kOidOid:
        set(adInteger, CellKind::Integer, 4, 10);
        break;
    case kOidInt8:
        set(adBigInt, CellKind::Integer, 8, 19);
        break;
    case kOidFloat4:
        set(adSingle, CellKind::Real, 4, 7);
        break;
    case kOidFloat8:
        set(adDouble, CellKind::Real, 8, 15);
        break;
    case kOidNumeric:
        set(adNumeric, CellKind::Real, 19);
        if (typmod >= kTypmodHeader) {
            // numeric(p,s) packs p in the high 16 bits and s, 11 bits wide and possibly negative, in the low.
            const int packed = typmod - kTypmodHeader;
            info.precision = (packed >> 16) & 0xffff;
            info.numericScale = ((packed & 0x7ff) ^ 1024) - 1024;
        }
        // Unconstrained numeric (also every sum() or avg() of one) has no fixed precision: 0 and 0 say so.
        break;
    case kOidMoney:
        set(adCurrency, CellKind::Money, 8, 19, 4);
        break;
    case kOidBool:
        set(adBoolean, CellKind::Boolean, 2);
        break;
    case kOidDate:
        set(adDBDate, CellKind::DateTime, 6);
        break;
    case kOidTime:
    case kOidTimetz:
        set(adDBTime, CellKind::TimeOfDay, 6);
        break;
    case kOidTimestamp:
    case kOidTimestamptz:
        set(adDBTimeStamp, CellKind::DateTime, 16);
        break;
    case kOidVarchar:
        set(adVarWChar, CellKind::Text, charLimit);
        break;
    case kOidBpchar:
        set(adWChar, CellKind::Text, charLimit);
        break;
    case kOidName:
        set(adVarWChar, CellKind::Text, 63); // identifier length limit of a default server build
        break;
    case kOidChar:
        set(adChar, CellKind::Text, 1);
        break;
    case kOidBytea:
        set(adLongVarBinary, CellKind::Bytea, kLongBinarySize);
        break;
    case kOidUuid:
        set(adGUID, CellKind::Guid, 16);
        break;
    default:
        set(adLongVarWChar, CellKind::Text, kLongTextSize);
        break;
    }
    return col;
}

// ---- cell parsers ----

inline std::optional<std::int64_t> ParseIntegerCell(std::string_view text) noexcept {
    // Up to 18 digits cannot overflow, so the common case is a plain digit loop, a good deal faster
    // than the general from_chars; longer text takes from_chars for its range check.
    const bool isNegative = !text.empty() && text.front() == '-';
    const std::string_view digits = text.substr(isNegative ? 1 : 0);
    if (!digits.empty() && digits.size() <= 18) {
        std::int64_t magnitude = 0;
        for (const char ch : digits) {
            if (ch < '0' || ch > '9') {
                return std::nullopt;
            }
            magnitude = magnitude * 10 + (ch - '0');
        }
        return isNegative ? -magnitude : magnitude;
    }
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// Floats and numerics: "Infinity" and "NaN" come through as such (from_chars reads them).
inline std::optional<double> ParseRealCell(std::string_view text) {
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc{} && end == text.data() + text.size()) {
        return value;
    }
    if (ec == std::errc::result_out_of_range) {
        // A numeric beyond the double range; the shared decimal reader decides what it becomes.
        return ParseDecimal(text);
    }
    return std::nullopt;
}

inline std::optional<std::int64_t> ParseBooleanCell(std::string_view text) noexcept {
    if (text == "t") {
        return 1;
    }
    if (text == "f") {
        return 0;
    }
    return std::nullopt;
}

// Money in the C monetary locale the session is pinned to: "$1,234.56", "-$1,234.56". Parentheses
// and a trailing sign are also read, in case a server forces another sign position. Returns the
// value times 10,000 (the platform's Currency), nullopt when it does not fit.
inline std::optional<std::int64_t> ParseMoneyCell(std::string_view text) noexcept {
    bool isNegative = false;
    bool hasDigits = false;
    bool inFraction = false;
    int fractionDigits = 0;
    std::int64_t scaled = 0;
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    for (const char ch : text) {
        if (ch >= '0' && ch <= '9') {
            if (inFraction && fractionDigits == 4) {
                continue; // the Currency scale keeps four decimals; the C locale gives two
            }
            if (scaled > (kMax - (ch - '0')) / 10) {
                return std::nullopt;
            }
            scaled = scaled * 10 + (ch - '0');
            hasDigits = true;
            fractionDigits += inFraction ? 1 : 0;
        } else if (ch == '.') {
            if (inFraction) {
                return std::nullopt;
            }
            inFraction = true;
        } else if (ch == '-' || ch == '(') {
            isNegative = true;
        } else if (ch != '$' && ch != ',' && ch != ' ' && ch != ')') {
            return std::nullopt;
        }
    }
    if (!hasDigits) {
        return std::nullopt;
    }
    for (; fractionDigits < 4; ++fractionDigits) {
        if (scaled > kMax / 10) {
            return std::nullopt;
        }
        scaled *= 10;
    }
    return isNegative ? -scaled : scaled;
}

// date, timestamp, timestamptz. "infinity" and "-infinity" have no Date serial and BC dates fall
// outside what reports show, so both become Null; a zone suffix is dropped (the session's wall clock).
inline std::optional<double> ParseDateTimeCell(std::string_view text) {
    if (text.empty() || text.back() == 'C' || text.back() == 'y') { // "... BC", "infinity"
        return std::nullopt;
    }
    return ParseIsoDateTime(text);
}

// time and timetz: "13:45:07", "13:45:07.25", "13:45:07+05:30" (zone dropped), "24:00:00" (= 1.0).
inline std::optional<double> ParseTimeOfDayCell(std::string_view text) {
    const std::size_t zone = text.find_first_of("+-", 1);
    const std::string_view clock = zone == std::string_view::npos ? text : text.substr(0, zone);
    // The end of the day is a valid time to the server but not to a calendar parser.
    if (clock == "24:00:00") {
        return 1.0;
    }
    return ParseIsoDateTime(clock);
}

// The hex output of bytea ("\x0aff") decoded to raw bytes in `out` (reused, so no allocation per cell
// once it has grown). false for anything else.
inline bool DecodeByteaCell(std::string_view text, std::string& out) {
    out.clear();
    if (text.size() < 2 || text[0] != '\\' || text[1] != 'x' || text.size() % 2 != 0) {
        return false;
    }
    const auto nibble = [](char ch) -> int {
        if (ch >= '0' && ch <= '9') {
            return ch - '0';
        }
        if (ch >= 'a' && ch <= 'f') {
            return ch - 'a' + 10;
        }
        if (ch >= 'A' && ch <= 'F') {
            return ch - 'A' + 10;
        }
        return -1;
    };
    out.reserve((text.size() - 2) / 2);
    for (std::size_t pos = 2; pos < text.size(); pos += 2) {
        const int high = nibble(text[pos]);
        const int low = nibble(text[pos + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        out.push_back(static_cast<char>(high * 16 + low));
    }
    return true;
}

// A GUID field reads as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case in braces, which is how
// host code compares them; the server accepts that form back as a uuid parameter.
inline constexpr std::size_t kGuidTextSize = 38;
inline bool FormatGuidCell(std::string_view text, char (&out)[kGuidTextSize]) noexcept {
    if (text.size() != kGuidTextSize - 2) {
        return false;
    }
    out[0] = '{';
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        const char ch = text[pos];
        out[pos + 1] = (ch >= 'a' && ch <= 'f') ? static_cast<char>(ch - 'a' + 'A') : ch;
    }
    out[kGuidTextSize - 1] = '}';
    return true;
}

} // namespace ado::detail::pg
