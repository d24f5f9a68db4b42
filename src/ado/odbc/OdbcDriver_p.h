// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "ado/RowStore_p.h"
#include "vb/Variant.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>
#include <string>

// The pieces of the ODBC driver shared by its files: handles, diagnostics, reading a result and
// binding values.
namespace ado::detail::odbc {

// An ODBC handle, freed with its kind's call. Statements are closed first, so a half-read result
// never outlives the handle.
class Handle {
public:
    Handle(SQLSMALLINT type, SQLHANDLE parent);
    ~Handle();
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    SQLHANDLE Get() const noexcept { return m_handle; }

private:
    SQLSMALLINT m_type;
    SQLHANDLE m_handle = SQL_NULL_HANDLE;
};

// The diagnostic records of a handle: the first record's SQLSTATE, and every message, one a line.
struct Diagnostic {
    std::string state;
    std::string text;
};
// narrow: read through the narrow function, whose text is UTF-8 (see ReadOptions).
Diagnostic ReadDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, bool narrow);

// Called on a failed ODBC call with the handle that holds the diagnostics; never returns.
using StatementErrorFn = std::function<void(SQLSMALLINT handleType, SQLHANDLE handle)>;

// The declared type ("DECIMAL(18,2)") of a table's column, or "" when unknown.
using DeclaredTypeFn = std::function<std::string(const std::string& table, const std::string& column)>;

struct ReadOptions {
    // When set (SQLite, whose ODBC drivers report type names they do not know, such as DECIMAL(18,2),
    // as text and drop the scale), a table column's type comes from its declaration as the native
    // driver reads it, the driver's type code only for expressions.
    const DeclaredTypeFn* declaredType = nullptr;
    // Names and attributes through the narrow functions, as UTF-8. For drivers without wide
    // functions, whose narrow text the driver manager would otherwise convert in the process's
    // locale (plain ASCII in a process that never called setlocale).
    bool narrow = false;
};

// Reads the current result of an executed statement (colCount > 0 columns) to its end.
std::shared_ptr<RowStore> ReadRows(SQLHSTMT stmt, SQLSMALLINT colCount, const ReadOptions& options,
                                   const StatementErrorFn& fail);

// A value as SQLBindParameter takes it. Kept alive, and never moved, until the statement ran.
struct BoundValue {
    SQLSMALLINT valueType = SQL_C_WCHAR;
    SQLSMALLINT parameterType = SQL_WVARCHAR;
    SQLULEN columnSize = 1;
    SQLSMALLINT decimalDigits = 0;
    std::u16string text;
    std::int32_t integer = 0;
    double real = 0;
    unsigned char bit = 0;
    SQL_DATE_STRUCT date{};
    SQL_TIMESTAMP_STRUCT timestamp{};
    SQLLEN indicator = 0;

    SQLPOINTER Data() noexcept {
        switch (valueType) {
        case SQL_C_SLONG:
            return &integer;
        case SQL_C_DOUBLE:
            return &real;
        case SQL_C_BIT:
            return &bit;
        case SQL_C_TYPE_DATE:
            return &date;
        case SQL_C_TYPE_TIMESTAMP:
            return &timestamp;
        default:
            return text.data();
        }
    }
};

// Fills `out` for binding `value` in its own type: numbers as numbers, a date without a time as a
// DATE, with one as a TIMESTAMP, Booleans as bits, text as UTF-16; Null and Empty as SQL NULL.
void PrepareValue(const vb::Variant& value, BoundValue& out);

// The value converted to a parameter's declared type, as the platform converts it before a call; a
// value that does not convert goes as it is and the database judges it.
vb::Variant CoerceToParameter(const vb::Variant& value, DataTypeEnum type);

} // namespace ado::detail::odbc
