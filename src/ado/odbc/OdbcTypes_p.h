// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "ado/RowStore_p.h"
#include "vb/DateTime.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>
#include <string>
#include <string_view>

// What the ODBC driver decides without a data source: type mapping, text encodings and dates. Header-only so
// the ado tests can check it with no driver installed.
namespace ado::detail::odbc {

// How the cells of a result column are fetched.
enum class CellKind : std::uint8_t {
    Integer,   // SQL_C_SBIGINT into Int storage
    Boolean,   // SQL_C_SBIGINT (0/1) into Int storage
    Real,      // SQL_C_DOUBLE into Real storage
    Timestamp, // SQL_C_TYPE_TIMESTAMP, turned into a Date serial
    Text,      // SQL_C_WCHAR, turned into UTF-8
    Binary,    // SQL_C_BINARY, raw bytes in Text storage
};

struct ColumnType {
    FieldInfo info;
    CellKind kind = CellKind::Text;
};

// Sizes reported for unbounded types, as the other drivers report them.
inline constexpr long kLongTextSize = 1073741823;
inline constexpr long kLongBinarySize = 2147483647;

// Maps a column (or procedure parameter) as the driver describes it to a field. Character types map
// to the wide codes whatever the driver says: every cell is read through the wide API and kept as
// Unicode, so a narrow code would promise a single-byte text that the recordset never holds, and a
// report would see VARCHAR(20) as adVarChar on one database and adVarWChar on another. columnSize is
// in characters for text, digits for numbers; a driver that knows no size reports 0.
inline ColumnType DescribeOdbcType(SQLSMALLINT sqlType, SQLULEN columnSize, SQLSMALLINT decimalDigits) {
    ColumnType col;
    FieldInfo& info = col.info;
    const auto set = [&](DataTypeEnum type, CellKind kind, long definedSize) {
        info.type = type;
        col.kind = kind;
        info.definedSize = definedSize;
    };
    // A size beyond a long means "unbounded" to every driver that reports one.
    const long size = columnSize > 0 && columnSize < static_cast<SQLULEN>(kLongTextSize)
                          ? static_cast<long>(columnSize)
                          : 0;
    switch (sqlType) {
    case SQL_TINYINT:
        set(adUnsignedTinyInt, CellKind::Integer, 1);
        break;
    case SQL_SMALLINT:
        set(adSmallInt, CellKind::Integer, 2);
        break;
    case SQL_INTEGER:
        set(adInteger, CellKind::Integer, 4);
        break;
    case SQL_BIGINT:
        set(adBigInt, CellKind::Integer, 8);
        break;
    case SQL_BIT:
        set(adBoolean, CellKind::Boolean, 2);
        break;
    case SQL_REAL:
        set(adSingle, CellKind::Real, 4);
        info.precision = 7;
        break;
    case SQL_FLOAT:
    case SQL_DOUBLE:
        set(adDouble, CellKind::Real, 8);
        info.precision = 15;
        break;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        set(adNumeric, CellKind::Real, 19);
        info.precision = size > 0 ? static_cast<int>(size) : 18;
        info.numericScale = decimalDigits > 0 ? decimalDigits : 0;
        break;
    case SQL_TYPE_DATE:
    case SQL_DATE:
        set(adDBDate, CellKind::Timestamp, 6);
        break;
    case SQL_TYPE_TIME:
    case SQL_TIME:
        set(adDBTime, CellKind::Timestamp, 6);
        break;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
        set(adDBTimeStamp, CellKind::Timestamp, 16);
        break;
    case SQL_CHAR:
    case SQL_WCHAR:
        set(adWChar, CellKind::Text, size > 0 ? size : 1);
        break;
    case SQL_VARCHAR:
    case SQL_WVARCHAR:
        set(adVarWChar, CellKind::Text, size > 0 ? size : 255);
        break;
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR:
        set(adLongVarWChar, CellKind::Text, kLongTextSize);
        break;
    case SQL_GUID:
        set(adGUID, CellKind::Text, 16);
        break;
    case SQL_BINARY:
    case SQL_VARBINARY:
        set(adVarBinary, CellKind::Binary, size > 0 ? size : 255);
        break;
    case SQL_LONGVARBINARY:
        set(adLongVarBinary, CellKind::Binary, kLongBinarySize);
        break;
    default:
        // Intervals, driver-specific types: their text is what a report can show.
        set(adLongVarWChar, CellKind::Text, kLongTextSize);
        break;
    }
    return col;
}

// True when the cells of such a column have no useful upper size, so they are read in pieces.
inline bool IsLongType(DataTypeEnum type) noexcept {
    return type == adLongVarWChar || type == adLongVarBinary;
}

// ---- text ----

// Appends UTF-16 (what SQLWCHAR holds on unixODBC) as UTF-8. A lone surrogate becomes U+FFFD: a
// driver that cut a pair in two must not make the rest of the text unreadable.
inline void AppendUtf8(std::u16string_view in, std::string& out) {
    for (std::size_t pos = 0; pos < in.size(); ++pos) {
        std::uint32_t cp = in[pos];
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
            continue;
        }
        if (cp >= 0xD800 && cp <= 0xDBFF && pos + 1 < in.size() && in[pos + 1] >= 0xDC00 &&
            in[pos + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (in[pos + 1] - 0xDC00);
            ++pos;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        }
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

inline std::string ToUtf8(std::u16string_view in) {
    std::string out;
    out.reserve(in.size());
    AppendUtf8(in, out);
    return out;
}

// UTF-8 as UTF-16. Malformed bytes (a truncated sequence, a stray continuation byte) become U+FFFD
// each, so that what reaches the database is always well-formed.
inline std::u16string ToUtf16(std::string_view in) {
    std::u16string out;
    out.reserve(in.size());
    std::size_t pos = 0;
    while (pos < in.size()) {
        const auto lead = static_cast<unsigned char>(in[pos]);
        int extra = 0;
        std::uint32_t cp = 0;
        if (lead < 0x80) {
            out.push_back(lead);
            ++pos;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            cp = lead & 0x07;
        } else {
            out.push_back(u'\uFFFD');
            ++pos;
            continue;
        }
        bool isValid = pos + static_cast<std::size_t>(extra) < in.size();
        for (int idx = 1; isValid && idx <= extra; ++idx) {
            const auto next = static_cast<unsigned char>(in[pos + static_cast<std::size_t>(idx)]);
            isValid = (next & 0xC0) == 0x80;
            cp = (cp << 6) | (next & 0x3F);
        }
        // Overlong forms and surrogate code points are not characters.
        if (isValid && ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
                        (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)))) {
            isValid = false;
        }
        if (!isValid) {
            out.push_back(u'\uFFFD');
            ++pos;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        pos += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

// ---- dates ----

// A timestamp as the platform's Date serial; nullopt for what has no serial (years before 100, which
// a two-digit-year rule would misread, and invalid parts). Before 1899-12-30 the fraction still
// counts forward from midnight, so it is subtracted from the negative day.
inline std::optional<double> TimestampSerial(const SQL_TIMESTAMP_STRUCT& ts) {
    static constexpr int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int year = ts.year;
    const bool isLeap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (year < 100 || year > 9999 || ts.month < 1 || ts.month > 12 || ts.day < 1 ||
        ts.day > kDaysInMonth[ts.month - 1] + (ts.month == 2 && isLeap ? 1 : 0) || ts.hour > 23 ||
        ts.minute > 59 || ts.second > 59) {
        return std::nullopt;
    }
    const double day = vb::DateSerial(year, ts.month, ts.day);
    const double time = (ts.hour * 3600.0 + ts.minute * 60.0 + ts.second + ts.fraction / 1e9) / 86400.0;
    return day < 0 ? day - time : day + time;
}

// A time of day as the fraction of a day it is. A TIME column read as a timestamp carries the
// current date (the ODBC conversion rule), which a time field must not show.
inline std::optional<double> TimeOfDaySerial(const SQL_TIMESTAMP_STRUCT& ts) {
    if (ts.hour > 23 || ts.minute > 59 || ts.second > 59) {
        return std::nullopt;
    }
    return (ts.hour * 3600.0 + ts.minute * 60.0 + ts.second + ts.fraction / 1e9) / 86400.0;
}

} // namespace ado::detail::odbc
