// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT

// Values bound to ODBC statements and procedure calls.
#include "ado/TypeConv_p.h"
#include "ado/odbc/OdbcDriver_p.h"
#include "ado/odbc/OdbcTypes_p.h"
#include "vb/Conversion.h"
#include "vb/DateTime.h"

#include <algorithm>
#include <optional>
#include <string>

namespace ado::detail::odbc {
namespace {

// Text longer than this is bound as a long type, which drivers send without a length limit.
constexpr std::size_t kMaxShortText = 4000;

} // namespace

void PrepareValue(const vb::Variant& value, BoundValue& out) {
    switch (value.Type()) {
    case vb::VarType::Empty:
    case vb::VarType::Null:
        out.indicator = SQL_NULL_DATA;
        return;
    case vb::VarType::Integer:
    case vb::VarType::Long:
        out.valueType = SQL_C_SLONG;
        out.parameterType = SQL_INTEGER;
        out.columnSize = 10;
        out.integer = static_cast<std::int32_t>(*value.NumberValue());
        return;
    case vb::VarType::Boolean:
        out.valueType = SQL_C_BIT;
        out.parameterType = SQL_BIT;
        out.bit = value.AsBoolean() ? 1 : 0;
        return;
    case vb::VarType::Single:
    case vb::VarType::Double:
    case vb::VarType::Currency:
        out.valueType = SQL_C_DOUBLE;
        out.parameterType = SQL_DOUBLE;
        out.columnSize = 15;
        out.real = *value.NumberValue();
        return;
    case vb::VarType::Date: {
        const vb::DateParts parts = vb::SplitDate(value.AsDate());
        // A date without a time binds as a DATE, so that it equals a DATE column on databases that
        // compare dates as text.
        if (parts.hour == 0 && parts.minute == 0 && parts.second == 0) {
            out.valueType = SQL_C_TYPE_DATE;
            out.parameterType = SQL_TYPE_DATE;
            out.columnSize = 10;
            out.date = {static_cast<SQLSMALLINT>(parts.year), static_cast<SQLUSMALLINT>(parts.month),
                        static_cast<SQLUSMALLINT>(parts.day)};
        } else {
            out.valueType = SQL_C_TYPE_TIMESTAMP;
            out.parameterType = SQL_TYPE_TIMESTAMP;
            out.columnSize = 19;
            out.timestamp = {static_cast<SQLSMALLINT>(parts.year),
                             static_cast<SQLUSMALLINT>(parts.month),
                             static_cast<SQLUSMALLINT>(parts.day),
                             static_cast<SQLUSMALLINT>(parts.hour),
                             static_cast<SQLUSMALLINT>(parts.minute),
                             static_cast<SQLUSMALLINT>(parts.second),
                             0};
        }
        return;
    }
    default: {
        const std::optional<std::string> text = BindText(value, false);
        if (!text) {
            out.indicator = SQL_NULL_DATA;
            return;
        }
        out.text = ToUtf16(*text);
        out.indicator = static_cast<SQLLEN>(out.text.size() * sizeof(SQLWCHAR));
        out.columnSize = std::max<SQLULEN>(out.text.size(), 1);
        out.parameterType = out.text.size() > kMaxShortText ? SQL_WLONGVARCHAR : SQL_WVARCHAR;
        return;
    }
    }
}

vb::Variant CoerceToParameter(const vb::Variant& value, DataTypeEnum type) {
    if (value.IsNull() || value.Type() == vb::VarType::Empty) {
        return value;
    }
    std::optional<vb::Variant> converted;
    switch (type) {
    case adSmallInt:
    case adInteger:
    case adTinyInt:
    case adUnsignedTinyInt:
    case adUnsignedSmallInt:
        if (const auto number = vb::TryCLng(value)) {
            converted = vb::Variant::Long(*number);
        }
        break;
    case adBigInt:
    case adUnsignedInt:
    case adUnsignedBigInt:
    case adSingle:
    case adDouble:
    case adNumeric:
    case adDecimal:
    case adCurrency:
        if (const auto number = vb::TryCDbl(value)) {
            converted = vb::Variant(*number);
        }
        break;
    case adBoolean:
        if (const auto flag = vb::TryCBool(value)) {
            converted = vb::Variant(*flag);
        }
        break;
    case adDate:
    case adDBDate:
    case adDBTimeStamp:
    case adDBTime:
        if (const auto date = vb::TryCDate(value)) {
            converted = vb::Variant(*date);
        }
        break;
    case adChar:
    case adWChar:
    case adVarChar:
    case adVarWChar:
    case adLongVarChar:
    case adLongVarWChar:
    case adBSTR:
        if (const auto text = vb::TryCStr(value)) {
            converted = vb::Variant(*text);
        }
        break;
    default:
        break;
    }
    return converted ? *converted : value;
}

} // namespace ado::detail::odbc
