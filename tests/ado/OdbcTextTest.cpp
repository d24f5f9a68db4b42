// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// What the ODBC driver decides without a data source: which connection strings are ODBC, the type
// codes of driver types, UTF-16 text, timestamps, and SQLite scripts and procedure bodies.
#include "ado/odbc/OdbcConnString_p.h"
#include "ado/odbc/OdbcDriver_p.h"
#include "ado/odbc/OdbcSqlText_p.h"
#include "ado/odbc/OdbcTypes_p.h"
#include "vb/DateTime.h"

#include <gtest/gtest.h>

namespace {

using namespace ado::detail::odbc;

TEST(OdbcConnectionString, OnlyTheOdbcFormIsTakenForOdbc) {
    struct Case {
        const char* name;
        const char* text;
        bool isOdbc;
    };
    const Case cases[] = {
        {"DSN with user", "DSN=erp;UID=sa", true},
        {"driver in braces with a ';' inside", "Driver={Odd;Name};Server=db1", true},
        {"keys in any case and blanks", " dsn = erp ; uid=x", true},
        {"DRIVER after other keys", "Server=db1;Port=1433;DRIVER={FreeTDS}", true},
        {"file DSN", "FILEDSN=/etc/erp.dsn;", true},
        {"DSN without ';' is no ODBC form", "DSN=erp", false},
        {"libpq conninfo", "host=/tmp port=5432 dbname=x", false},
        {"libpq conninfo with ';' in a value", "host=db options='-c a=b;c' dbname=x", false},
        {"SQLite path with ';'", "/data/a;b.db", false},
        {"DSN only inside a braced value", "Server={DSN=x};Port=1", false},
        {"key merely ending in DSN", "MYDSN=x;UID=y", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsOdbcConnectionString(c.text), c.isOdbc);
    }
}

TEST(OdbcConnectionString, PasswordsNeverReachAMessage) {
    struct Case {
        const char* name;
        const char* text;
        const char* masked;
    };
    const Case cases[] = {
        {"PWD", "DSN=erp;UID=sa;PWD=secret", "DSN=erp;UID=sa;PWD=***"},
        {"Password in any case, braced with ';'", "Driver={X};password={a;b};Server=s",
         "Driver={X};password=***;Server=s"},
        {"nothing to mask", "DSN=erp;UID=sa", "DSN=erp;UID=sa"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MaskPassword(c.text), c.masked);
    }
}

TEST(OdbcTypes, DriverTypesMapToThePlatformCodes) {
    struct Case {
        const char* name;
        SQLSMALLINT sqlType;
        SQLULEN size;
        SQLSMALLINT digits;
        ado::DataTypeEnum type;
        long definedSize;
        CellKind kind;
    };
    // Narrow character types read as the wide codes: every cell is read as Unicode, and the same
    // column must not change type between databases (the native drivers report VARCHAR(20) as
    // adVarWChar of size 20).
    const Case cases[] = {
        {"integer", SQL_INTEGER, 10, 0, ado::adInteger, 4, CellKind::Integer},
        {"smallint", SQL_SMALLINT, 5, 0, ado::adSmallInt, 2, CellKind::Integer},
        {"bigint", SQL_BIGINT, 19, 0, ado::adBigInt, 8, CellKind::Integer},
        {"real", SQL_REAL, 7, 0, ado::adSingle, 4, CellKind::Real},
        {"float", SQL_FLOAT, 15, 0, ado::adDouble, 8, CellKind::Real},
        {"double", SQL_DOUBLE, 15, 0, ado::adDouble, 8, CellKind::Real},
        {"decimal", SQL_DECIMAL, 18, 2, ado::adNumeric, 19, CellKind::Real},
        {"numeric", SQL_NUMERIC, 10, 4, ado::adNumeric, 19, CellKind::Real},
        {"date", SQL_TYPE_DATE, 10, 0, ado::adDBDate, 6, CellKind::Timestamp},
        {"timestamp", SQL_TYPE_TIMESTAMP, 26, 6, ado::adDBTimeStamp, 16, CellKind::Timestamp},
        {"time", SQL_TYPE_TIME, 8, 0, ado::adDBTime, 6, CellKind::Timestamp},
        {"bit", SQL_BIT, 1, 0, ado::adBoolean, 2, CellKind::Boolean},
        {"char(3)", SQL_CHAR, 3, 0, ado::adWChar, 3, CellKind::Text},
        {"varchar(20)", SQL_VARCHAR, 20, 0, ado::adVarWChar, 20, CellKind::Text},
        {"longvarchar", SQL_LONGVARCHAR, 8190, 0, ado::adLongVarWChar, kLongTextSize, CellKind::Text},
        {"wchar(2)", SQL_WCHAR, 2, 0, ado::adWChar, 2, CellKind::Text},
        {"wvarchar(40)", SQL_WVARCHAR, 40, 0, ado::adVarWChar, 40, CellKind::Text},
        {"wvarchar of unknown size", SQL_WVARCHAR, 0, 0, ado::adVarWChar, 255, CellKind::Text},
        {"wlongvarchar", SQL_WLONGVARCHAR, 1073741823, 0, ado::adLongVarWChar, kLongTextSize, CellKind::Text},
        {"guid", SQL_GUID, 36, 0, ado::adGUID, 16, CellKind::Text},
        {"varbinary(16)", SQL_VARBINARY, 16, 0, ado::adVarBinary, 16, CellKind::Binary},
        {"longvarbinary", SQL_LONGVARBINARY, 0, 0, ado::adLongVarBinary, kLongBinarySize, CellKind::Binary},
        {"interval is shown as text", SQL_INTERVAL_DAY, 0, 0, ado::adLongVarWChar, kLongTextSize,
         CellKind::Text},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ColumnType col = DescribeOdbcType(c.sqlType, c.size, c.digits);
        EXPECT_EQ(col.info.type, c.type);
        EXPECT_EQ(col.info.definedSize, c.definedSize);
        EXPECT_EQ(col.kind, c.kind);
        // The storage the row store picks for the code must be the one the fetch writes.
        const ado::detail::Storage expected =
            c.kind == CellKind::Integer || c.kind == CellKind::Boolean  ? ado::detail::Storage::Int
            : c.kind == CellKind::Real || c.kind == CellKind::Timestamp ? ado::detail::Storage::Real
                                                                        : ado::detail::Storage::Text;
        EXPECT_EQ(ado::detail::StorageForType(col.info.type), expected);
    }
    const ColumnType decimal = DescribeOdbcType(SQL_DECIMAL, 18, 2);
    EXPECT_EQ(decimal.info.precision, 18);
    EXPECT_EQ(decimal.info.numericScale, 2);
}

TEST(OdbcText, Utf16AndUtf8RoundTripAndRepairBrokenInput) {
    struct Case {
        const char* name;
        std::u16string utf16;
        std::string utf8;
    };
    const Case cases[] = {
        {"ASCII", u"SELECT 1", "SELECT 1"},
        {"Chinese", u"张三的销售日报", "张三的销售日报"},
        {"two-byte forms", u"Größe", "Größe"},
        {"outside the BMP takes a surrogate pair", u"𠀋𝄞", "𠀋𝄞"},
        {"empty", u"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ToUtf8(c.utf16), c.utf8);
        EXPECT_EQ(ToUtf16(c.utf8), c.utf16);
    }
    struct Broken {
        const char* name;
        std::string utf8;
        std::u16string expected;
    };
    const Broken broken[] = {
        {"truncated sequence at the end", std::string("a\xE5\xBC"), u"a\uFFFD\uFFFD"},
        {"stray continuation byte", std::string("\x80z"), u"\uFFFDz"},
        {"overlong slash", std::string("\xC0\xAF"), u"\uFFFD\uFFFD"},
        {"encoded surrogate", std::string("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD"},
    };
    for (const Broken& c : broken) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ToUtf16(c.utf8), c.expected);
    }
    const char16_t loneHigh[] = {u'a', 0xD83D, u'b'};
    EXPECT_EQ(ToUtf8(std::u16string_view(loneHigh, 3)), "a\xEF\xBF\xBD"
                                                        "b")
        << "a surrogate cut from its pair";
}

TEST(OdbcTypes, TimestampsBecomeDateSerials) {
    struct Case {
        const char* name;
        SQL_TIMESTAMP_STRUCT ts;
        std::optional<double> serial;
    };
    const Case cases[] = {
        {"a date", {2024, 3, 5, 0, 0, 0, 0}, vb::DateSerial(2024, 3, 5)},
        {"with time and fraction",
         {2024, 3, 5, 8, 30, 0, 500000000},
         vb::DateSerial(2024, 3, 5) + 30600.5 / 86400},
        {"noon of the epoch", {1899, 12, 30, 12, 0, 0, 0}, 0.5},
        // Before the epoch the fraction still counts forward from midnight: 06:00 of day -1 is -1.25.
        {"before the epoch", {1899, 12, 29, 6, 0, 0, 0}, -1.25},
        {"leap day", {2024, 2, 29, 0, 0, 0, 0}, vb::DateSerial(2024, 2, 29)},
        {"no 29 February in 2023", {2023, 2, 29, 0, 0, 0, 0}, std::nullopt},
        {"two-digit year has no serial", {50, 1, 1, 0, 0, 0, 0}, std::nullopt},
        {"hour 24", {2024, 1, 1, 24, 0, 0, 0}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<double> serial = TimestampSerial(c.ts);
        ASSERT_EQ(serial.has_value(), c.serial.has_value());
        if (serial) {
            EXPECT_NEAR(*serial, *c.serial, 1e-9);
        }
    }
    // A TIME column arrives with today's date; only the time of day counts.
    EXPECT_NEAR(*TimeOfDaySerial({2031, 7, 7, 18, 0, 0, 0}), 0.75, 1e-12);
}

TEST(OdbcSqliteText, ScriptsAreCutBetweenStatementsOnly) {
    struct Case {
        const char* name;
        const char* script;
        std::vector<std::string> statements;
    };
    const Case cases[] = {
        {"two statements",
         "CREATE TABLE t (a);\n INSERT INTO t VALUES (1);",
         {"CREATE TABLE t (a)", "INSERT INTO t VALUES (1)"}},
        {"';' in a literal and a doubled quote", "SELECT 'a;''b'; SELECT 2", {"SELECT 'a;''b'", "SELECT 2"}},
        {"';' in quoted names",
         "SELECT \"x;y\", [p;q], `r;s` FROM t",
         {"SELECT \"x;y\", [p;q], `r;s` FROM t"}},
        // Comments go: an apostrophe in one would open a literal to the driver.
        {"comments with ';' and quotes",
         "SELECT 1 -- it's a;b\n; /* c;'d */ SELECT/**/2",
         {"SELECT 1", "SELECT 2"}},
        {"only blanks and comments after the last ';'", "SELECT 1;\n  -- done\n", {"SELECT 1"}},
        {"comment markers inside a literal are text", "SELECT '--x', '/*y*/'", {"SELECT '--x', '/*y*/'"}},
        {"empty", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SplitSqliteScript(c.script), c.statements);
    }
}

TEST(OdbcSqliteText, NamedPlaceholdersBecomeQuestionMarksInOrder) {
    struct Case {
        const char* name;
        const char* body;
        const char* rewritten;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"each sign",
         "WHERE a = :p1 AND b = @p2 AND c = $p3",
         "WHERE a = ? AND b = ? AND c = ?",
         {"p1", "p2", "p3"}},
        {"the same name twice binds twice",
         "WHERE a >= :d AND b <= :d",
         "WHERE a >= ? AND b <= ?",
         {"d", "d"}},
        {"signs inside literals are text", "WHERE a = ':x' AND b = :y", "WHERE a = ':x' AND b = ?", {"y"}},
        {"a sign inside a word or '::' is no placeholder",
         "SELECT a$b, x::int, :z",
         "SELECT a$b, x::int, ?",
         {"z"}},
        {"Chinese parameter names", "WHERE 客户 = :客户", "WHERE 客户 = ?", {"客户"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> names;
        EXPECT_EQ(RewriteNamedPlaceholders(c.body, names), c.rewritten);
        EXPECT_EQ(names, c.names);
    }
}

TEST(OdbcSqliteText, DeclaredTypesAreReadAsTheNativeDriverReadsThem) {
    struct Case {
        const char* declared;
        SQLSMALLINT sqlType;
        SQLULEN size;
        SQLSMALLINT digits;
    };
    // The first matching rule wins, so "BIGINT" is not INTEGER and "DATETIME" is not DATE.
    const Case cases[] = {
        {"INTEGER", SQL_INTEGER, 0, 0},
        {"bigint", SQL_BIGINT, 0, 0},
        {"SMALLINT", SQL_SMALLINT, 0, 0},
        {"BOOLEAN", SQL_BIT, 0, 0},
        {"DATETIME", SQL_TYPE_TIMESTAMP, 0, 0},
        {"DATE", SQL_TYPE_DATE, 0, 0},
        {"TIME", SQL_TYPE_TIME, 0, 0},
        {"DECIMAL(18, 2)", SQL_NUMERIC, 18, 2},
        {"MONEY", SQL_NUMERIC, 0, 0},
        {"DOUBLE PRECISION", SQL_DOUBLE, 0, 0},
        {"VARCHAR(20)", SQL_WVARCHAR, 20, 0},
        {"NCHAR(4)", SQL_WCHAR, 4, 0},
        {"TEXT", SQL_WLONGVARCHAR, 0, 0},
        {"BLOB", SQL_LONGVARBINARY, 0, 0},
        {"", SQL_WVARCHAR, 0, 0},
        {"WHATEVER", SQL_NUMERIC, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.declared);
        const DeclaredType got = TypeFromDeclaration(c.declared);
        EXPECT_EQ(got.sqlType, c.sqlType);
        EXPECT_EQ(got.size, c.size);
        EXPECT_EQ(got.digits, c.digits);
    }
}

TEST(OdbcValues, ProcedureValuesTakeTheirParametersType) {
    struct Case {
        const char* name;
        vb::Variant value;
        ado::DataTypeEnum type;
        vb::Variant expected;
    };
    const Case cases[] = {
        {"number typed as text for an integer", vb::Variant("2"), ado::adInteger, vb::Variant::Long(2)},
        {"number for a text parameter", vb::Variant(5), ado::adVarWChar, vb::Variant("5")},
        {"date text for a date", vb::Variant("2024-03-05"), ado::adDBDate,
         vb::Variant(vb::Date{vb::DateSerial(2024, 3, 5)})},
        {"text for a decimal", vb::Variant("12.5"), ado::adNumeric, vb::Variant(12.5)},
        // The database reports what it cannot take, in its own words.
        {"what does not convert goes as it is", vb::Variant("abc"), ado::adInteger, vb::Variant("abc")},
        {"Null stays Null", vb::Variant::Null(), ado::adInteger, vb::Variant::Null()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CoerceToParameter(c.value, c.type), c.expected);
    }
}

TEST(OdbcValues, EachValueBindsInItsOwnType) {
    struct Case {
        const char* name;
        vb::Variant value;
        SQLSMALLINT valueType;
        SQLSMALLINT parameterType;
        SQLLEN indicator;
    };
    const double day = vb::DateSerial(2024, 2, 29);
    const Case cases[] = {
        {"Long", vb::Variant::Long(7), SQL_C_SLONG, SQL_INTEGER, 0},
        {"Double", vb::Variant(2.5), SQL_C_DOUBLE, SQL_DOUBLE, 0},
        {"Boolean", vb::Variant(true), SQL_C_BIT, SQL_BIT, 0},
        // A DATE column compared with a timestamp would never be equal on a database that compares
        // dates as text.
        {"date without a time", vb::Variant(vb::Date{day}), SQL_C_TYPE_DATE, SQL_TYPE_DATE, 0},
        {"date with a time", vb::Variant(vb::Date{day + 0.5}), SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 0},
        {"text counts bytes of UTF-16", vb::Variant("张三"), SQL_C_WCHAR, SQL_WVARCHAR, 4},
        {"long text", vb::Variant(std::string(5000, 'x')), SQL_C_WCHAR, SQL_WLONGVARCHAR, 10000},
        {"Null", vb::Variant::Null(), SQL_C_WCHAR, SQL_WVARCHAR, SQL_NULL_DATA},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BoundValue bound;
        PrepareValue(c.value, bound);
        EXPECT_EQ(bound.valueType, c.valueType);
        EXPECT_EQ(bound.parameterType, c.parameterType);
        EXPECT_EQ(bound.indicator, c.indicator);
    }
    BoundValue stamp;
    PrepareValue(vb::Variant(vb::Date{day + 0.75}), stamp);
    EXPECT_EQ(stamp.timestamp.hour, 18);
    EXPECT_EQ(stamp.timestamp.day, 29);
}

} // namespace
