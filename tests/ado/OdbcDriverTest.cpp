// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The ODBC driver against real ODBC drivers (psqlODBC on the test server, the SQLite ODBC driver on a
// private file): what the contract suites cannot reach, the fetch paths (blocks of bound rows, long
// values read in pieces), text outside the BMP, timeouts and the exact error texts.
#include "ado/Command.h"
#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "support/DbFixture.h"
#include "support/RaisedError.h"
#include "vb/DateTime.h"
#include "vb/Error.h"

#include <gtest/gtest.h>

using vondrel::test::Backend;
using vondrel::test::ErrorOf;
using vondrel::test::TestDatabase;

namespace {

class OdbcDriver : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        m_db = std::make_unique<TestDatabase>(GetParam());
        VONDREL_REQUIRE_DATABASE(*m_db);
    }

    bool IsPostgres() const { return GetParam() == Backend::OdbcPostgres; }

    std::unique_ptr<TestDatabase> m_db;
};

TEST_P(OdbcDriver, ManyRowsCrossBlockBoundariesWithNullsAndText) {
    // Rows span the 512-row blocks (converted on a second thread while the next is fetched): a
    // partial last block, and an exact multiple whose last fetch brings no rows. Every seventh cell
    // is NULL so that nulls fall on block edges too.
    auto& cnn = *m_db->Connection();
    for (const long count : {1300L, 1024L}) {
        SCOPED_TRACE(count);
        m_db->Exec("DROP TABLE IF EXISTS big");
        m_db->Exec("CREATE TABLE big (id INTEGER, amount DECIMAL(12,2), name VARCHAR(30), day DATE)");
        const std::string n = std::to_string(count);
        const std::string series = IsPostgres() ? "SELECT g FROM generate_series(1, " + n + ") AS g"
                                                : "WITH RECURSIVE s(g) AS (SELECT 1 UNION ALL SELECT g + 1 "
                                                  "FROM s WHERE g < " +
                                                      n + ") SELECT g FROM s";
        cnn.Execute("INSERT INTO big SELECT g, CASE WHEN g % 7 = 0 THEN NULL ELSE g * 1.5 END, '客户' || g,"
                    " CASE WHEN g % 7 = 3 THEN NULL ELSE " +
                    std::string(IsPostgres() ? "DATE " : "") + "'2024-01-01' END FROM (" + series +
                    ") AS src");
        auto rs = cnn.Execute("SELECT id, amount, name, day FROM big ORDER BY id");
        ASSERT_EQ(rs->RecordCount(), count);
        long nullAmounts = 0;
        long nullDays = 0;
        double total = 0;
        std::string mismatch;
        for (long row = 1; !rs->IsEOF(); rs->MoveNext(), ++row) {
            const vb::Variant id = rs->Fields("id").Value();
            const vb::Variant amount = rs->Fields("amount").Value();
            if (id != vb::Variant::Long(row) ||
                rs->Fields("name").Value() != vb::Variant("客户" + std::to_string(row))) {
                mismatch += std::to_string(row) + " ";
            }
            amount.IsNull() ? ++nullAmounts : (total += amount.AsDouble(), 0);
            nullDays += rs->Fields("day").Value().IsNull() ? 1 : 0;
        }
        EXPECT_EQ(mismatch, "") << "rows out of place";
        const long sevens = count / 7;
        EXPECT_EQ(nullAmounts, sevens);
        EXPECT_EQ(nullDays, (count - 3) / 7 + 1) << "rows 3, 10, 17, ...";
        // Sum of 1.5 g over g not divisible by 7.
        EXPECT_DOUBLE_EQ(total, 1.5 * (count * (count + 1) / 2 - 7 * (sevens * (sevens + 1) / 2)));
    }
}

TEST_P(OdbcDriver, LongTextComesWholeAndUnchanged) {
    // Beyond the bound-column limit and the piece size, with characters that take a surrogate pair,
    // so that a pair falls across a piece boundary somewhere.
    std::string longText;
    for (int idx = 0; idx < 3000; ++idx) {
        longText += idx % 3 == 0 ? "𠀋" : "报表";
    }
    m_db->Exec("CREATE TABLE notes (id INTEGER, body TEXT, short VARCHAR(10))");
    auto& cnn = *m_db->Connection();
    cnn.Execute("INSERT INTO notes VALUES (?, ?, ?)",
                {vb::Variant(1), vb::Variant(longText), vb::Variant("𝄞音")});
    cnn.Execute("INSERT INTO notes VALUES (?, ?, ?)", {vb::Variant(2), vb::Variant(""), vb::Variant::Null()});
    auto rs = cnn.Execute("SELECT id, body, short FROM notes ORDER BY id");
    EXPECT_EQ(rs->Fields("body").Type(), ado::adLongVarWChar);
    EXPECT_EQ(rs->Fields("body").Value(), vb::Variant(longText));
    EXPECT_EQ(rs->Fields("short").Value(), vb::Variant("𝄞音"))
        << "a bounded column in the same row-by-row read";
    rs->MoveNext();
    EXPECT_EQ(rs->Fields("body").Value(), vb::Variant("")) << "empty is not Null";
    EXPECT_TRUE(rs->Fields("short").Value().IsNull());
}

TEST_P(OdbcDriver, ValuesBindInTheirOwnTypes) {
    m_db->Exec(
        "CREATE TABLE v (n INTEGER, x DOUBLE PRECISION, b BOOLEAN, d DATE, t TIMESTAMP, s VARCHAR(20))");
    auto& cnn = *m_db->Connection();
    const double day = vb::DateSerial(2024, 2, 29);
    cnn.Execute("INSERT INTO v VALUES (?, ?, ?, ?, ?, ?)",
                {vb::Variant::Integer(-7), vb::Variant(2.5), vb::Variant(true), vb::Variant(vb::Date{day}),
                 vb::Variant(vb::Date{day + 0.75}), vb::Variant("O'Brien")});
    struct Case {
        const char* name;
        const char* where;
        vb::Variant value;
    };
    const Case cases[] = {
        {"integer", "n = ?", vb::Variant::Long(-7)},
        {"double", "x = ?", vb::Variant(2.5)},
        {"boolean", "b = ?", vb::Variant(true)},
        {"date without time equals a DATE", "d = ?", vb::Variant(vb::Date{day})},
        {"timestamp keeps its time", "t = ?", vb::Variant(vb::Date{day + 0.75})},
        {"quote is data", "s = ?", vb::Variant("O'Brien")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto rs = cnn.Execute(std::string("SELECT count(*) AS n FROM v WHERE ") + c.where, {c.value});
        EXPECT_EQ(*rs->Fields("n").Value().NumberValue(), 1.0);
    }
    auto rs = cnn.Execute("SELECT t FROM v");
    EXPECT_NEAR(rs->Fields("t").Value().AsDate().serial, day + 0.75, 1e-6);
}

TEST_P(OdbcDriver, AScriptGivesTheRowsOfItsLastSelect) {
    // psqlODBC returns one result per statement (SQLMoreResults); the SQLite driver runs one
    // statement per call and the script is cut for it. Either way the last rows win.
    m_db->Exec("CREATE TABLE s (a INTEGER); INSERT INTO s VALUES (1); INSERT INTO s VALUES (2)");
    auto rs = m_db->Connection()->Execute(
        "SELECT a AS first FROM s; UPDATE s SET a = a * 10; SELECT a AS last FROM s"
        " ORDER BY a; DELETE FROM s WHERE a = 99");
    ASSERT_EQ(rs->State(), ado::adStateOpen);
    std::string seen;
    for (; !rs->IsEOF(); rs->MoveNext()) {
        seen += std::to_string(rs->Fields("last").Value().AsLong()) + " ";
    }
    EXPECT_EQ(seen, "10 20 ");
}

TEST_P(OdbcDriver, ErrorsKeepTheDriversTextAndTheConnectionStaysUsable) {
    auto& cnn = *m_db->Connection();
    const std::string missing = ErrorOf([&] { cnn.Execute("SELECT * FROM no_such_table_x"); }).description;
    EXPECT_EQ(missing.rfind("SQL 语句执行失败：", 0), 0U) << missing;
    EXPECT_NE(missing.find("no_such_table_x"), std::string::npos) << missing;

    EXPECT_EQ(ErrorOf([&] { cnn.Execute("SELECT ? AS a, ? AS b", {vb::Variant(1)}); }).description,
              "SQL 语句的参数个数不符：语句中有 2 个 ?，给出 1 个");
    auto rs = cnn.Execute("SELECT 1 AS one");
    EXPECT_EQ(*rs->Fields("one").Value().NumberValue(), 1.0);
}

TEST_P(OdbcDriver, ProcedureErrorsNameTheProcedure) {
    auto cmd = ado::Command::Create();
    cmd->SetActiveConnection(m_db->Connection());
    cmd->CommandType = ado::adCmdStoredProc;
    cmd->CommandText = "sp_no_such_thing";
    EXPECT_EQ(ErrorOf([&] { cmd->Parameters().Refresh(); }).description, "找不到存储过程：sp_no_such_thing");

    if (IsPostgres()) {
        m_db->Exec(
            "CREATE FUNCTION sp_two(a INTEGER, b VARCHAR) RETURNS INTEGER LANGUAGE sql AS $$ SELECT a $$;"
            "CREATE FUNCTION sp_x_y() RETURNS INTEGER LANGUAGE sql AS $$ SELECT 1 $$");
    } else {
        m_db->Exec("CREATE TABLE vondrel_procedures (name TEXT PRIMARY KEY, params TEXT, body TEXT);"
                   "INSERT INTO vondrel_procedures VALUES ('sp_two', 'a INTEGER, b DECIMAL(18,2)', 'SELECT "
                   ":a AS a');"
                   "INSERT INTO vondrel_procedures VALUES ('sp_x_y', '', 'SELECT :undeclared AS u')");
    }
    cmd->CommandText = "sp_two";
    cmd->Parameters().Refresh();
    ASSERT_EQ(cmd->Parameters().Count(), 3U);
    EXPECT_EQ(cmd->Parameters()(0).Name, "RETURN_VALUE");
    EXPECT_EQ(cmd->Parameters()(1).Type, ado::adInteger);
    EXPECT_EQ(cmd->Parameters()(2).Name, "b");
    cmd->Parameters().Append(
        ado::Parameter{"c", ado::adInteger, ado::adParamInput, 4, vb::Variant(1), "", false});
    EXPECT_EQ(ErrorOf([&] { cmd->Execute(); }).description,
              "存储过程 sp_two 的参数个数不符：需要 2 个，给出 3 个");

    // "_" is a pattern character to the catalog functions; it must not find "spXy" for "sp_x_y" or
    // the other way round.
    cmd->CommandText = "spxxy";
    cmd->Parameters().Clear();
    EXPECT_EQ(ErrorOf([&] { cmd->Parameters().Refresh(); }).description, "找不到存储过程：spxxy");
    if (IsPostgres()) {
        // The server folds an unquoted name to lower case; so does the look-up.
        cmd->CommandText = "SP_Two";
        cmd->Parameters().Refresh();
        EXPECT_EQ(cmd->Parameters().Count(), 3U);
    } else {
        cmd->CommandText = "sp_x_y";
        cmd->Parameters().Refresh();
        EXPECT_EQ(ErrorOf([&] { cmd->Execute(); }).description,
                  "存储过程 sp_x_y 的语句用到了未声明的参数：undeclared");
    }
}

INSTANTIATE_TEST_SUITE_P(Odbc, OdbcDriver, ::testing::Values(Backend::OdbcPostgres, Backend::OdbcSqlite),
                         vondrel::test::BackendTestName);

// psqlODBC turns the query timeout into the server's statement timeout; the cancellation must still
// read as a timeout, not as a failed statement. (The SQLite ODBC driver has no timer to interrupt a
// running statement with.)
TEST(OdbcPostgres, TimeoutCancelsALongStatement) {
    TestDatabase db(Backend::OdbcPostgres);
    VONDREL_REQUIRE_DATABASE(db);
    auto& cnn = *db.Connection();
    cnn.SetCommandTimeout(1);
    EXPECT_EQ(ErrorOf([&] { cnn.Execute("SELECT pg_sleep(5)"); }).description,
              "查询超时（超过 1 秒），已取消：SELECT pg_sleep(5)");
    cnn.SetCommandTimeout(0);
    EXPECT_EQ(cnn.Execute("SELECT 2 AS two")->Fields("two").Value().AsLong(), 2);
}

// Types the contract suites do not use, read through psqlODBC: a TIME arrives with today's date,
// which must not show; a GUID reads upper case in braces, as on the direct driver.
TEST(OdbcPostgres, TimesGuidsAndSinglesReadAsOnTheDirectDriver) {
    TestDatabase db(Backend::OdbcPostgres);
    VONDREL_REQUIRE_DATABASE(db);
    auto rs = db.Connection()->Execute(
        "SELECT TIME '18:00:00' AS tm, 'a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11'::uuid AS g,"
        " CAST(1.5 AS REAL) AS r, CAST('ab' AS CHAR(3)) AS c");
    struct Case {
        const char* field;
        ado::DataTypeEnum type;
        vb::Variant value;
    };
    const Case cases[] = {
        {"tm", ado::adDBTime, vb::Variant(vb::Date{0.75})},
        {"g", ado::adGUID, vb::Variant("{A0EEBC99-9C0B-4EF8-BB6D-6BB9BD380A11}")},
        {"r", ado::adSingle, vb::Variant::Single(1.5F)},
        {"c", ado::adWChar, vb::Variant("ab ")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        EXPECT_EQ(rs->Fields(c.field).Type(), c.type);
        EXPECT_EQ(rs->Fields(c.field).Value(), c.value);
    }
}

} // namespace
