// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// What only the PostgreSQL driver does: '?' rewriting, routine names, the cell parsers (no server
// needed), and against the real server the type mapping, statement errors, routine description and
// the call forms. The behaviour shared with SQLite lives in the recordset contract suite.
#include "ado/Driver_p.h"
#include "ado/RowStore_p.h"
#include "ado/postgres/PgSqlText_p.h"
#include "ado/postgres/PgTypes_p.h"
#include "support/DbFixture.h"
#include "support/RaisedError.h"
#include "vb/Error.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

namespace {

using namespace ado::detail;
using namespace ado::detail::pg;
using vondrel::test::ErrorOf;

TEST(PgPlaceholders, RewritesOnlyQuestionMarksOutsideQuotesAndComments) {
    struct Case {
        const char* name;
        const char* sql;
        const char* expected;
        std::size_t count;
    };
    const Case cases[] = {
        {"plain", "SELECT ? + ?", "SELECT $1 + $2", 2},
        {"string literal", "SELECT '?', ?", "SELECT '?', $1", 1},
        {"doubled quote stays inside the literal", "SELECT 'it''s ?', ?", "SELECT 'it''s ?', $1", 1},
        {"escape string with backslash quote", R"(SELECT E'a\'?', ?)", R"(SELECT E'a\'?', $1)", 1},
        // Without the E the backslash is an ordinary character and the literal ends at the quote after it.
        {"ordinary literal ending in backslash", R"(SELECT 'a\', ?)", R"(SELECT 'a\', $1)", 1},
        {"word ending in e is no escape prefix", R"(SELECT name'\', ?)", R"(SELECT name'\', $1)", 1},
        {"quoted identifier", R"(SELECT "a?""b" FROM t WHERE x = ?)", R"(SELECT "a?""b" FROM t WHERE x = $1)",
         1},
        {"line comment", "SELECT ? -- why?\n, ?", "SELECT $1 -- why?\n, $2", 2},
        {"nested block comment", "SELECT /* a /* ? */ ? */ ?", "SELECT /* a /* ? */ ? */ $1", 1},
        {"dollar quoted body", "SELECT $$?$$, $fn$ ' ? $fn$, ?", "SELECT $$?$$, $fn$ ' ? $fn$, $1", 1},
        {"dollar inside an identifier", "SELECT a$b$, ?", "SELECT a$b$, $1", 1},
        {"unterminated literal swallows the rest", "SELECT ?, 'abc ?", "SELECT $1, 'abc ?", 1},
        {"utf-8 text around placeholders", "SELECT '名称?' || ?", "SELECT '名称?' || $1", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::size_t count = 99;
        EXPECT_EQ(RewritePlaceholders(c.sql, count), c.expected);
        EXPECT_EQ(count, c.count);
    }
}

TEST(PgRoutineName, FoldsUnquotedPartsAndKeepsQuotedOnes) {
    struct Case {
        const char* name;
        const char* text;
        std::optional<RoutineName> expected;
    };
    const Case cases[] = {
        {"unquoted folds to lower case", "Get_Sales", RoutineName{"", "get_sales"}},
        {"schema qualified", "Rpt.Get_Sales", RoutineName{"rpt", "get_sales"}},
        {"quoted keeps case and dots", R"("Rpt"."Get.Sales")", RoutineName{"Rpt", "Get.Sales"}},
        {"doubled quote inside quotes", R"("a""b")", RoutineName{"", "a\"b"}},
        {"blanks around parts", " rpt . f ", RoutineName{"rpt", "f"}},
        {"database part is dropped", "db.rpt.f", RoutineName{"rpt", "f"}},
        {"non-ASCII letters are not folded", "报表_Ä", RoutineName{"", "报表_Ä"}},
        {"empty", "", std::nullopt},
        {"empty part", "rpt..f", std::nullopt},
        {"four parts", "a.b.c.d", std::nullopt},
        {"unterminated quote", R"("abc)", std::nullopt},
        {"escaped quote at the end is still unterminated", R"("ab"")", std::nullopt},
        {"zero-length quoted identifier", R"("")", std::nullopt},
        {"text after a quoted part", R"("a"b)", std::nullopt},
        {"call syntax is not a name", "f(1); DROP TABLE t", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ParseRoutineName(c.text), c.expected);
    }
}

TEST(PgCellParsers, MoneyTimeBinaryAndGuidText) {
    struct MoneyCase {
        const char* text;
        std::optional<std::int64_t> scaled;
    };
    const MoneyCase moneyCases[] = {
        {"$1,234.56", 12345600},
        {"-$1,234.56", -12345600},
        {"($0.05)", -500},
        {"$92,233,720,368,547,758.07", std::nullopt}, // the money maximum does not fit Currency's scale
        {"$922,337,203,685,477.58", 9223372036854775800},
        {"1.234,56 €", std::nullopt}, // another monetary locale would be misread, so it is refused
        {"$", std::nullopt},
    };
    for (const MoneyCase& c : moneyCases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseMoneyCell(c.text), c.scaled);
    }

    struct TimeCase {
        const char* text;
        std::optional<double> serial;
    };
    const TimeCase timeCases[] = {
        {"12:00:00", 0.5},           {"06:00:00+05:30", 0.25}, {"18:00:00-08", 0.75},
        {"00:00:00.5", 0.5 / 86400}, {"24:00:00", 1.0},
    };
    for (const TimeCase& c : timeCases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseTimeOfDayCell(c.text), c.serial);
    }
    EXPECT_EQ(ParseDateTimeCell("infinity"), std::nullopt);
    EXPECT_EQ(ParseDateTimeCell("-infinity"), std::nullopt);
    EXPECT_EQ(ParseDateTimeCell("0044-03-15 BC"), std::nullopt);

    std::string bytes;
    EXPECT_TRUE(DecodeByteaCell(R"(\x00ff41)", bytes));
    EXPECT_EQ(bytes, std::string("\x00\xff"
                                 "A",
                                 3));
    EXPECT_FALSE(DecodeByteaCell(R"(\x0)", bytes));
    EXPECT_FALSE(DecodeByteaCell(R"(\x0g)", bytes));

    char guid[kGuidTextSize];
    ASSERT_TRUE(FormatGuidCell("a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11", guid));
    EXPECT_EQ(std::string_view(guid, kGuidTextSize), "{A0EEBC99-9C0B-4EF8-BB6D-6BB9BD380A11}");
}

// ---- against the server ----

// One cell as the driver stored it: the storage, then the value ("int 42", "real 0.5", "text abc").
std::string DumpCell(const RowStore& store, std::size_t col, std::size_t row) {
    const Column& column = store.ColumnAt(col);
    if (column.storage() != Storage::Variant && column.IsNull(row)) {
        return "null";
    }
    switch (column.storage()) {
    case Storage::Int:
        return "int " + std::to_string(column.IntAt(row));
    case Storage::Real: {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "real %.17g", column.RealAt(row));
        return buffer;
    }
    case Storage::Text:
        return "text " + std::string(column.TextAt(row));
    case Storage::Variant:
        break;
    }
    return "variant";
}

// "r0: int 1|text a" per row, rows separated by "; ".
std::string DumpRows(const RowStore& store) {
    std::string out;
    for (std::size_t row = 0; row < store.RowCount(); ++row) {
        out.append(row ? "; r" : "r").append(std::to_string(row)).append(":");
        for (std::size_t col = 0; col < store.FieldCount(); ++col) {
            out.append(col ? "|" : " ").append(DumpCell(store, col, row));
        }
    }
    return out;
}

// A driver on its own schema, first on the search path, dropped afterwards.
class PgDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto conninfo = vondrel::test::PostgresConninfo();
        if (!conninfo) {
            GTEST_SKIP() << "no PostgreSQL server configured (VONDREL_PG_CONNINFO unset)";
        }
        m_driver = OpenPostgresDriver(*conninfo);
        m_schema =
            "pgdrv_" + std::to_string(getpid()) + "_" + std::to_string(std::random_device{}() % 1000000);
        Exec("CREATE SCHEMA " + m_schema + "; SET search_path = " + m_schema + "; SET TimeZone = 'UTC'");
    }
    void TearDown() override {
        if (m_driver) {
            Exec("DROP SCHEMA " + m_schema + " CASCADE");
        }
    }
    StatementResult Exec(const std::string& sql, std::vector<vb::Variant> params = {}) {
        return m_driver->Run(sql, params);
    }
    std::string Select(const std::string& sql, std::vector<vb::Variant> params = {}) {
        const StatementResult result = Exec(sql, std::move(params));
        return result.store ? DumpRows(*result.store) : "no rows";
    }

    std::unique_ptr<Driver> m_driver;
    std::string m_schema;
};

TEST_F(PgDriverTest, MapsEachColumnTypeAndStoresItsCells) {
    struct Case {
        const char* expr;
        const char* field; // type code, defined size, precision, scale
        const char* cell;
    };
    const Case cases[] = {
        {"12::int2", "2 2 5 0", "int 12"},
        {"(-2147483648)::int4", "3 4 10 0", "int -2147483648"},
        {"9223372036854775807::int8", "20 8 19 0", "int 9223372036854775807"},
        {"4000000000::oid", "3 4 10 0", "int 4000000000"},
        // Shortest exact text: the float4 0.1 arrives as "0.1", not as its binary expansion.
        {"0.1::float4", "4 4 7 0", "real 0.10000000000000001"},
        {"1e300::float8", "5 8 15 0", "real 1.0000000000000001e+300"},
        {"'-Infinity'::float8", "5 8 15 0", "real -inf"},
        {"1234.5::numeric(12,2)", "131 19 12 2", "real 1234.5"},
        {"12300::numeric(5,-2)", "131 19 5 -2", "real 12300"},
        {"sum(x) FROM (VALUES (1.25::numeric(6,2))) v(x)", "131 19 0 0", "real 1.25"},
        {"(-1234.5)::money", "6 8 19 4", "int -12345000"},
        {"true", "11 2 0 0", "int 1"},
        {"false", "11 2 0 0", "int 0"},
        // 2024-02-29 is day 45351 after 1899-12-30.
        {"'2024-02-29'::date", "133 6 0 0", "real 45351"},
        {"'infinity'::date", "133 6 0 0", "null"},
        {"'2024-02-29 12:00:00'::timestamp", "135 16 0 0", "real 45351.5"},
        // The session's wall clock (UTC here): 20:00 at +08 is noon.
        {"'2024-02-29 20:00:00+08'::timestamptz", "135 16 0 0", "real 45351.5"},
        {"'1899-12-29 06:00:00'::timestamp", "135 16 0 0", "real -1.25"},
        {"'18:00:00'::time", "134 6 0 0", "real 0.75"},
        {"'06:00:00+05'::timetz", "134 6 0 0", "real 0.25"},
        {"'abc'::varchar(20)", "202 20 0 0", "text abc"},
        {"'ab'::char(5)", "130 5 0 0", "text ab   "},
        {"'长文本'::text", "203 1073741823 0 0", "text 长文本"},
        {"''::text", "203 1073741823 0 0", "text "},
        {"NULL::text", "203 1073741823 0 0", "null"},
        {"'pg_class'::name", "202 63 0 0", "text pg_class"},
        {"'x'::\"char\"", "129 1 0 0", "text x"},
        {"'\\x414243'::bytea", "205 2147483647 0 0", "text ABC"},
        {"'a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11'::uuid", "72 16 0 0",
         "text {A0EEBC99-9C0B-4EF8-BB6D-6BB9BD380A11}"},
        {"'{\"a\": 1}'::jsonb", "203 1073741823 0 0", "text {\"a\": 1}"},
        {"ARRAY[1,2]", "203 1073741823 0 0", "text {1,2}"},
        {"NULL::int4", "3 4 10 0", "null"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expr);
        const StatementResult result = Exec(std::string("SELECT ") + c.expr);
        ASSERT_TRUE(result.store);
        ASSERT_EQ(result.store->RowCount(), 1u);
        const FieldInfo& info = result.store->Info(0);
        EXPECT_EQ(std::to_string(info.type) + " " + std::to_string(info.definedSize) + " " +
                      std::to_string(info.precision) + " " + std::to_string(info.numericScale),
                  c.field);
        EXPECT_EQ(DumpCell(*result.store, 0, 0), c.cell);
        EXPECT_TRUE(result.store->CheckConsistency());
    }
}

TEST_F(PgDriverTest, BindsParametersAtRewrittenPlaceholders) {
    struct Case {
        const char* name;
        const char* sql;
        std::vector<vb::Variant> params;
        const char* expected;
    };
    const Case cases[] = {
        {"typed from use", "SELECT ?::int + 1 /* ? */ -- ?\n", {vb::Variant(41)}, "r0: int 42"},
        {"dollar body left alone", "SELECT $$?$$ || ?", {vb::Variant("x")}, "r0: text ?x"},
        {"no parameters leaves ? as text", "SELECT '?'::text, 1 AS \"?\"", {}, "r0: text ?|int 1"},
        {"native $n form with parameters",
         "SELECT $1::text || $2::text",
         {vb::Variant("a"), vb::Variant("b")},
         "r0: text ab"},
        {"Boolean as a word", "SELECT ?::boolean", {vb::Variant(true)}, "r0: int 1"},
        {"Null binds SQL NULL", "SELECT ?::int IS NULL", {vb::Variant::Null()}, "r0: int 1"},
        {"Date binds ISO", "SELECT ?::timestamp", {vb::Variant(vb::Date{45351.5})}, "r0: real 45351.5"},
        {"Chinese text", "SELECT length(?)", {vb::Variant("张三")}, "r0: int 2"},
        {"quote in a value is data",
         "SELECT ?",
         {vb::Variant("x'; DROP TABLE t; --")},
         "r0: text x'; DROP TABLE t; --"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Select(c.sql, c.params), c.expected);
    }
    EXPECT_EQ(ErrorOf([&] { Exec("SELECT ?, ?", {vb::Variant(1)}); }).Text(),
              "5 SQL 语句的参数个数不符：语句中有 2 个 ?，给出 1 个");
}

TEST_F(PgDriverTest, CountsChangedRowsAndKeepsTheServerErrorText) {
    struct Case {
        const char* sql;
        long affected;
        bool hasRows;
    };
    const Case cases[] = {
        {"CREATE TABLE t (id int PRIMARY KEY, name text)", -1, false},
        {"INSERT INTO t VALUES (1, 'a'), (2, 'b'), (3, 'c')", 3, false},
        {"UPDATE t SET name = 'x' WHERE id > 1", 2, false},
        {"DELETE FROM t WHERE id = 3 RETURNING id", 1, true},
        {"SELECT * FROM t", -1, true},
        {"SELECT * INTO t2 FROM t", 2, false},
        {"", -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        const StatementResult result = Exec(c.sql);
        EXPECT_EQ(result.recordsAffected, c.affected);
        EXPECT_EQ(result.store != nullptr, c.hasRows);
    }
    EXPECT_EQ(ErrorOf([&] { Exec("SELECT * FROM nope"); }).Text(),
              "-2147467259 SQL 语句执行失败：ERROR:  relation \"nope\" does not exist\n"
              "LINE 1: SELECT * FROM nope\n"
              "                      ^");
    EXPECT_EQ(
        ErrorOf([&] {
            Exec("INSERT INTO t VALUES (?, ?)", {vb::Variant(1), vb::Variant("dup")});
        }).Text(),
        "-2147467259 SQL 语句执行失败：ERROR:  duplicate key value violates unique constraint \"t_pkey\"\n"
        "DETAIL:  Key (id)=(1) already exists.");
    // A COPY would leave the connection waiting for data; the next statement must still run.
    EXPECT_EQ(ErrorOf([&] { Exec("COPY t FROM STDIN"); }).Text(),
              "-2147467259 SQL 语句执行失败：不支持 COPY 语句");
    EXPECT_EQ(Select("SELECT count(*) FROM t"), "r0: int 2");
}

TEST(PgDriverOpen, ReportsWhyTheConnectionFailed) {
    const std::string error =
        ErrorOf([] { OpenPostgresDriver("host=/nonexistent-dir port=1 connect_timeout=2"); }).Text();
    EXPECT_EQ(error.rfind("-2147467259 无法连接 PostgreSQL 数据库：connection to server on socket "
                          "\"/nonexistent-dir/.s.PGSQL.1\" failed: No such file or directory",
                          0),
              0u)
        << error;
    EXPECT_NE(error.back(), '\n');
}

constexpr const char* kRoutines = R"sql(
CREATE TABLE log (msg text);
CREATE FUNCTION add_one(a int) RETURNS int LANGUAGE sql AS 'SELECT a + 1';
CREATE FUNCTION pick(a int) RETURNS text LANGUAGE sql AS 'SELECT ''one''';
CREATE FUNCTION pick(a int, b text) RETURNS text LANGUAGE sql AS 'SELECT ''two:'' || b';
CREATE FUNCTION items(min_qty int) RETURNS TABLE(item text, qty int) LANGUAGE sql
    AS $$ SELECT * FROM (VALUES ('螺丝', 5), ('螺母', 10)) v(i, q) WHERE q >= min_qty ORDER BY q $$;
CREATE FUNCTION unnamed(int, text) RETURNS text LANGUAGE sql AS 'SELECT $2 || $1';
CREATE FUNCTION nothing(msg text) RETURNS void LANGUAGE sql AS 'INSERT INTO log VALUES (msg)';
CREATE FUNCTION "MixedCase"(x numeric) RETURNS numeric LANGUAGE sql AS 'SELECT x * 2';
CREATE FUNCTION sum_all(VARIADIC nums int[]) RETURNS bigint LANGUAGE sql AS 'SELECT sum(n) FROM unnest(nums) n';
CREATE FUNCTION split_out(s text, OUT head text, OUT tail text) LANGUAGE sql
    AS $$ SELECT left(s, 1), substr(s, 2) $$;
CREATE PROCEDURE bump(INOUT counter int, step int) LANGUAGE plpgsql AS $$ BEGIN counter := counter + step; END $$;
CREATE PROCEDURE log_it(msg text) LANGUAGE sql AS $$ INSERT INTO log VALUES (msg) $$;
CREATE PROCEDURE doubled(a int, OUT result int) LANGUAGE plpgsql AS $$ BEGIN result := a * 2; END $$;
CREATE FUNCTION greet(who text, greeting text DEFAULT '你好') RETURNS text LANGUAGE sql AS 'SELECT greeting || who';
CREATE FUNCTION greet(a text, b text, c text, d text) RETURNS text LANGUAGE sql AS 'SELECT ''four''';
CREATE PROCEDURE bump_by(INOUT counter int, step int DEFAULT 1) LANGUAGE plpgsql
    AS $$ BEGIN counter := counter + step; END $$;
)sql";

std::string DumpParams(const std::vector<ProcParam>& params) {
    std::string out;
    for (const ProcParam& param : params) {
        out += (out.empty() ? "" : "|") + param.name + " " + std::to_string(param.type) + " " +
               std::to_string(param.direction) + " " + param.sqlType;
    }
    return out;
}

TEST_F(PgDriverTest, DescribesAndCallsFunctionsAndProcedures) {
    Exec(kRoutines);
    struct Case {
        const char* name;
        std::vector<vb::Variant> values;
        const char* params; // name, type code, direction, type name
        const char* rows;
    };
    const Case cases[] = {
        {"add_one", {vb::Variant(41)}, "RETURN_VALUE 3 4 integer|a 3 1 integer", "r0: int 42"},
        {"ADD_ONE", {vb::Variant(1)}, "RETURN_VALUE 3 4 integer|a 3 1 integer", "r0: int 2"},
        // The overload with the most inputs is described.
        {"pick",
         {vb::Variant(1), vb::Variant("b")},
         "RETURN_VALUE 203 4 text|a 3 1 integer|b 203 1 text",
         "r0: text two:b"},
        {"items", {vb::Variant(6)}, "RETURN_VALUE 3 4 record|min_qty 3 1 integer", "r0: text 螺母|int 10"},
        {"unnamed",
         {vb::Variant(7), vb::Variant("n")},
         "RETURN_VALUE 203 4 text|p1 3 1 integer|p2 203 1 text",
         "r0: text n7"},
        {"nothing", {vb::Variant("x")}, "RETURN_VALUE 3 4 void|msg 203 1 text", "no rows"},
        {"\"MixedCase\"", {vb::Variant(1.25)}, "RETURN_VALUE 131 4 numeric|x 131 1 numeric", "r0: real 2.5"},
        {"sum_all", {vb::Variant("{1,2,3}")}, "RETURN_VALUE 20 4 bigint|nums 203 1 integer[]", "r0: int 6"},
        {"split_out", {vb::Variant("abc")}, "RETURN_VALUE 3 4 record|s 203 1 text", "r0: text a|text bc"},
        {"bump",
         {vb::Variant(10), vb::Variant(5)},
         "RETURN_VALUE 3 4 record|counter 3 3 integer|step 3 1 integer",
         "r0: int 15"},
        {"log_it", {vb::Variant("记录")}, "RETURN_VALUE 3 4 void|msg 203 1 text", "no rows"},
        {"doubled", {vb::Variant(21)}, "RETURN_VALUE 3 4 record|a 3 1 integer", "r0: int 42"},
    };
    const std::string qualified = m_schema + ".add_one";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<ProcParam> params = m_driver->DescribeProcedure(c.name);
        EXPECT_EQ(DumpParams(params), c.params);
        const StatementResult result = m_driver->CallProcedure(c.name, params, c.values);
        EXPECT_EQ(result.store ? DumpRows(*result.store) : "no rows", c.rows);
    }
    EXPECT_EQ(Select("SELECT msg FROM log ORDER BY msg"), "r0: text x; r1: text 记录");
    EXPECT_EQ(DumpParams(m_driver->DescribeProcedure(qualified)), "RETURN_VALUE 3 4 integer|a 3 1 integer");
}

TEST_F(PgDriverTest, CallPicksTheOverloadForTheValuesGiven) {
    Exec(kRoutines);
    const ProcParam ret{"RETURN_VALUE", ado::adInteger, ado::adParamReturnValue, 4, "text", false};
    const ProcParam a{"a", ado::adInteger, ado::adParamInput, 4, "integer", false};
    // A caller's own type text never reaches the statement: the cast comes from the catalog.
    const ProcParam hostile{"a", ado::adInteger, ado::adParamInput, 4, "int); DROP TABLE log; --", false};
    const std::vector<vb::Variant> one{vb::Variant(1)};
    EXPECT_EQ(DumpRows(*m_driver->CallProcedure("pick", {ret, a}, one).store), "r0: text one");
    EXPECT_EQ(DumpRows(*m_driver->CallProcedure("pick", {ret, hostile}, one).store), "r0: text one");
    // An overload whose defaults make up for the missing values beats the one with the most inputs,
    // which these values cannot call (it was chosen before, and the call refused).
    const std::vector<vb::Variant> who{vb::Variant("张三")};
    EXPECT_EQ(DumpRows(*m_driver->CallProcedure("greet", {ret, a}, who).store), "r0: text 你好张三");
    // A procedure's defaulted input is left out of CALL; the INOUT value comes back.
    const std::vector<vb::Variant> five{vb::Variant(5)};
    EXPECT_EQ(DumpRows(*m_driver->CallProcedure("bump_by", {ret, a}, five).store), "r0: int 6");
    EXPECT_EQ(Select("SELECT count(*) FROM log"), "r0: int 0");
}

TEST_F(PgDriverTest, RejectsUnknownRoutinesAndWrongCounts) {
    Exec(kRoutines);
    struct Case {
        const char* name;
        std::function<void()> action;
        const char* error;
    };
    const auto params = m_driver->DescribeProcedure("pick");
    const Case cases[] = {
        {"unknown name", [&] { m_driver->DescribeProcedure("nope"); }, "-2147467259 找不到存储过程：nope"},
        // A quoted name keeps its case, so it does not find the lower-case function.
        {"case of a quoted name", [&] { m_driver->DescribeProcedure("\"Add_One\""); },
         "-2147467259 找不到存储过程：\"Add_One\""},
        {"other schema", [&] { m_driver->DescribeProcedure("pg_catalog.add_one"); },
         "-2147467259 找不到存储过程：pg_catalog.add_one"},
        {"aggregates are not routines", [&] { m_driver->DescribeProcedure("pg_catalog.sum"); },
         "-2147467259 找不到存储过程：pg_catalog.sum"},
        {"text that is no name", [&] { m_driver->DescribeProcedure("add_one(1); DROP TABLE log"); },
         "-2147467259 找不到存储过程：add_one(1); DROP TABLE log"},
        {"too few values",
         [&] { m_driver->CallProcedure("pick", params, std::vector<vb::Variant>{vb::Variant(1)}); },
         "5 存储过程 pick 的参数个数不符：需要 2 个，给出 1 个"},
        {"more values than any overload takes",
         [&] {
             std::vector<ProcParam> three = params;
             three.push_back(three.back());
             m_driver->CallProcedure("pick", three, std::vector<vb::Variant>(3, vb::Variant(1)));
         },
         "5 存储过程 pick 的参数个数不符：需要 2 个，给出 3 个"},
        {"server error inside the call",
         [&] {
             m_driver->CallProcedure("add_one", m_driver->DescribeProcedure("add_one"),
                                     std::vector{vb::Variant("x")});
         },
         "-2147467259 SQL 语句执行失败：ERROR:  invalid input syntax for type integer: \"x\"\n"
         "CONTEXT:  unnamed portal parameter $1 = '...'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ErrorOf(c.action).Text(), c.error);
    }
    EXPECT_EQ(Select("SELECT count(*) FROM log"), "r0: int 0");
}

TEST_F(PgDriverTest, TimeoutCancelsLongStatementsUntilLifted) {
    m_driver->SetTimeout(1);
    EXPECT_EQ(ErrorOf([&] { Exec("SELECT pg_sleep(5)"); }).Text(),
              "-2147467259 SQL 语句执行失败：ERROR:  canceling statement due to statement timeout");
    m_driver->SetTimeout(0);
    EXPECT_EQ(Select("SHOW statement_timeout"), "r0: text 0");
}

} // namespace
