// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Stored procedures as the report window calls them: a command naming the procedure, its parameter
// list refreshed from the database (entry 0 the return value), values set by position, one result.
#include "ado/Command.h"
#include "ado/Connection.h"
#include "ado/Driver_p.h"
#include "ado/Recordset.h"
#include "support/DbFixture.h"
#include "support/RaisedError.h"
#include "vb/Conversion.h"
#include "vb/Error.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using vondrel::test::Backend;
using vondrel::test::ErrorOf;
using vondrel::test::TestDatabase;

namespace {

constexpr const char* kTables = R"sql(
CREATE TABLE sales (id INTEGER, name VARCHAR(20), amount DECIMAL(18,2));
INSERT INTO sales VALUES (1, '张三', 10.5);
INSERT INTO sales VALUES (2, '李四', 20);
INSERT INTO sales VALUES (3, '张三', 30.25);
CREATE TABLE call_log (note TEXT);
)sql";

// The same procedures in each database's own form; sp_sales_from's second parameter has a default.
constexpr const char* kSqliteProcedures = R"sql(
CREATE TABLE vondrel_procedures (name TEXT PRIMARY KEY, params TEXT, body TEXT);
INSERT INTO vondrel_procedures VALUES ('sp_sales_by_name', 'pname VARCHAR(20), pminid INTEGER',
  'SELECT id, name, amount FROM sales WHERE name = :pname AND id >= :pminid ORDER BY id');
INSERT INTO vondrel_procedures VALUES ('sp_sales_from', 'pname VARCHAR(20), pminid INTEGER DEFAULT 1 + 1',
  'SELECT id, name, amount FROM sales WHERE name = :pname AND id >= :pminid ORDER BY id');
INSERT INTO vondrel_procedures VALUES ('sp_log', 'pnote TEXT', 'INSERT INTO call_log(note) VALUES (:pnote)');
INSERT INTO vondrel_procedures VALUES ('sp_log_then_fail', 'pnote TEXT',
  'INSERT INTO call_log(note) VALUES (:pnote); SELECT * FROM no_such_table');
)sql";

constexpr const char* kPostgresProcedures = R"sql(
CREATE FUNCTION sp_sales_by_name(pname VARCHAR, pminid INTEGER)
  RETURNS TABLE(id INTEGER, name VARCHAR(20), amount DECIMAL(18,2)) LANGUAGE sql AS
  $$ SELECT s.id, s.name, s.amount FROM sales s WHERE s.name = pname AND s.id >= pminid ORDER BY s.id $$;
CREATE FUNCTION sp_sales_from(pname VARCHAR, pminid INTEGER DEFAULT 1 + 1)
  RETURNS TABLE(id INTEGER, name VARCHAR(20), amount DECIMAL(18,2)) LANGUAGE sql AS
  $$ SELECT s.id, s.name, s.amount FROM sales s WHERE s.name = pname AND s.id >= pminid ORDER BY s.id $$;
CREATE PROCEDURE sp_log(pnote TEXT) LANGUAGE sql AS $$ INSERT INTO call_log(note) VALUES (pnote) $$;
CREATE PROCEDURE sp_log_then_fail(pnote TEXT) LANGUAGE plpgsql AS
  $$ BEGIN INSERT INTO call_log(note) VALUES (pnote); PERFORM 1 / 0; END $$;
)sql";

class ProcedureContract : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        m_db = std::make_unique<TestDatabase>(GetParam());
        VONDREL_REQUIRE_DATABASE(*m_db);
        m_db->Exec(kTables);
        m_db->Exec(vondrel::test::EngineOf(GetParam()) == "sqlite" ? kSqliteProcedures : kPostgresProcedures);
    }

    std::shared_ptr<ado::Command> Prepare(const std::string& name) {
        auto cmd = ado::Command::Create();
        cmd->SetActiveConnection(m_db->Connection());
        cmd->CommandText = name;
        cmd->CommandTimeout = 0;
        cmd->CommandType = ado::adCmdStoredProc;
        cmd->Parameters().Refresh();
        return cmd;
    }

    static std::string Ids(ado::Recordset& rs) {
        std::string ids;
        for (; !rs.IsEOF(); rs.MoveNext()) {
            ids.append(ids.empty() ? "" : ",").append(std::to_string(rs.Fields("id").Value().AsLong()));
        }
        return ids;
    }

    long LogRows() {
        auto rs = m_db->Connection()->Execute("SELECT count(*) AS n FROM call_log");
        return static_cast<long>(*rs->Fields("n").Value().NumberValue());
    }

    std::unique_ptr<TestDatabase> m_db;
};

TEST_P(ProcedureContract, RefreshListsTheReturnValueThenTheInputs) {
    struct Case {
        const char* procedure;
        bool secondHasDefault;
    };
    for (const Case& c : {Case{"sp_sales_by_name", false}, Case{"sp_sales_from", true}}) {
        SCOPED_TRACE(c.procedure);
        auto cmd = Prepare(c.procedure);
        ASSERT_EQ(cmd->Parameters().Count(), 3U);
        EXPECT_EQ(cmd->Parameters()(0).Direction, ado::adParamReturnValue);
        EXPECT_FALSE(cmd->Parameters()(0).HasDefault);
        EXPECT_EQ(cmd->Parameters()(1).Name, "pname");
        EXPECT_EQ(cmd->Parameters()(1).Direction, ado::adParamInput);
        EXPECT_EQ(cmd->Parameters()(1).Type, ado::adVarWChar);
        EXPECT_FALSE(cmd->Parameters()(1).HasDefault);
        EXPECT_EQ(cmd->Parameters()(2).Name, "pminid");
        EXPECT_EQ(cmd->Parameters()(2).Type, ado::adInteger);
        EXPECT_EQ(cmd->Parameters()(2).HasDefault, c.secondHasDefault);
    }
}

// Values set by position select the rows; a parameter with a default may be left unset and the
// database's default is used. Before, every declared parameter had to be given, and one value for
// sp_sales_from was refused.
TEST_P(ProcedureContract, ParametersByPositionSelectTheRowsAndUnsetOnesTakeTheirDefaults) {
    struct Case {
        const char* name;
        const char* procedure;
        std::vector<vb::Variant> values; // set on parameters 1, 2, … in order; the rest stay unset
        std::string expectedIds;
    };
    const vb::Variant zhang("张三");
    const Case cases[] = {
        {"both rows of one name", "sp_sales_by_name", {zhang, vb::Variant(1)}, "1,3"},
        {"second value narrows", "sp_sales_by_name", {zhang, vb::Variant(2)}, "3"},
        {"number given as text, as parameter items are", "sp_sales_by_name", {zhang, vb::Variant("2")}, "3"},
        {"quote in a value is data", "sp_sales_by_name", {vb::Variant("x' OR '1'='1"), vb::Variant(0)}, ""},
        {"one value: the default 2 is the lowest id", "sp_sales_from", {zhang}, "3"},
        {"two values: the given one", "sp_sales_from", {zhang, vb::Variant(1)}, "1,3"},
        {"Null is a value, not a request for the default", "sp_sales_from", {zhang, vb::Variant::Null()}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto cmd = Prepare(c.procedure);
        for (std::size_t k = 0; k < c.values.size(); ++k) {
            cmd->Parameters()(k + 1).Value = c.values[k];
        }
        auto rs = cmd->Execute();
        ASSERT_EQ(rs->State(), ado::adStateOpen);
        EXPECT_EQ(Ids(*rs), c.expectedIds);
        EXPECT_EQ(rs->Fields("amount").Type(), ado::adNumeric);
    }
    // No value at all leaves pname, which has no default, unset: refused. (A command passes every
    // input up to the last one without a default, an unset one as Null, so this is the driver's call.)
    ado::detail::Driver& driver = m_db->Connection()->DriverRef();
    EXPECT_EQ(ErrorOf([&] {
                  driver.CallProcedure("sp_sales_from", driver.DescribeProcedure("sp_sales_from"), {});
              }).description,
              "存储过程 sp_sales_from 的参数个数不符：需要 1 个，给出 0 个");
}

TEST_P(ProcedureContract, FailingProcedureLeavesNoHalfWrittenRows) {
    auto cmd = Prepare("sp_log_then_fail");
    cmd->Parameters()(1).Value = vb::Variant("不应留下");
    EXPECT_THROW(cmd->Execute(), vb::Error);
    EXPECT_EQ(LogRows(), 0);
    // The connection stays usable after the failure; a procedure without rows gives a closed recordset.
    auto again = Prepare("sp_log");
    again->Parameters()(1).Value = vb::Variant("之后");
    EXPECT_EQ(again->Execute()->State(), ado::adStateClosed);
    EXPECT_EQ(LogRows(), 1);
}

TEST_P(ProcedureContract, UnknownProcedureAndWrongCountsAreClearErrors) {
    auto cmd = ado::Command::Create();
    cmd->SetActiveConnection(m_db->Connection());
    cmd->CommandText = "sp_does_not_exist";
    cmd->CommandType = ado::adCmdStoredProc;
    EXPECT_EQ(ErrorOf([&] { cmd->Parameters().Refresh(); }).description, "找不到存储过程：sp_does_not_exist");

    auto sales = Prepare("sp_sales_by_name");
    EXPECT_THROW(sales->Parameters()(3).Value = vb::Variant(1), vb::Error) << "no fourth entry";
    sales->Parameters().Append(
        ado::Parameter{"extra", ado::adInteger, ado::adParamInput, 4, vb::Variant(1), "integer", false});
    const std::string tooMany = ErrorOf([&] { sales->Execute(); }).description;
    EXPECT_NE(tooMany.find("参数个数不符"), std::string::npos) << tooMany;

    // A default the caller claims but the database does not have: the database's list decides.
    auto claimed = Prepare("sp_sales_by_name");
    claimed->Parameters()(1).Value = vb::Variant("张三");
    claimed->Parameters()(2).HasDefault = true;
    EXPECT_EQ(ErrorOf([&] { claimed->Execute(); }).description,
              "存储过程 sp_sales_by_name 的参数个数不符：需要 2 个，给出 1 个");
}

// The procedure table's DEFAULT is an SQL expression, computed at each call.
TEST_P(ProcedureContract, TableDefaultsAreSqlExpressionsOfTheFile) {
    if (vondrel::test::EngineOf(GetParam()) != "sqlite") {
        GTEST_SKIP() << "PostgreSQL keeps its own defaults";
    }
    m_db->Exec(R"sql(
INSERT INTO vondrel_procedures VALUES ('sp_defaults',
  'pid INTEGER, pnote VARCHAR(20) DEFAULT ''甲, 乙 (丙)'', ptop INTEGER DEFAULT (SELECT max(id) FROM sales)',
  'SELECT :pid AS pid, :pnote AS pnote, :ptop AS ptop');
INSERT INTO vondrel_procedures VALUES ('sp_bad_default', 'pid INTEGER DEFAULT no_such_fn(1)', 'SELECT :pid AS pid');
)sql");
    struct Case {
        std::vector<vb::Variant> values;
        std::string expected; // pid|pnote|ptop
    };
    const Case cases[] = {
        {{vb::Variant(7)}, "7|甲, 乙 (丙)|3"},
        {{vb::Variant(7), vb::Variant("给出")}, "7|给出|3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        auto cmd = Prepare("sp_defaults");
        // The declared type stays the type, without its DEFAULT part.
        EXPECT_EQ(cmd->Parameters()(2).SqlType, "VARCHAR(20)");
        EXPECT_EQ(cmd->Parameters()(2).Type, ado::adVarWChar);
        for (std::size_t k = 0; k < c.values.size(); ++k) {
            cmd->Parameters()(k + 1).Value = c.values[k];
        }
        auto rs = cmd->Execute();
        std::string row;
        for (const char* field : {"pid", "pnote", "ptop"}) {
            row.append(row.empty() ? "" : "|").append(vb::CStr(rs->Fields(field).Value()));
        }
        EXPECT_EQ(row, c.expected);
    }
    // A default that fails names the procedure and the parameter, with SQLite's reason.
    auto bad = Prepare("sp_bad_default");
    const std::string error = ErrorOf([&] { bad->Execute(); }).description;
    EXPECT_EQ(error.rfind("存储过程 sp_bad_default 的参数 pid 的默认值无法计算：", 0), 0U) << error;
    EXPECT_NE(error.find("no_such_fn"), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(Databases, ProcedureContract, ::testing::ValuesIn(vondrel::test::kAllBackends),
                         vondrel::test::BackendTestName);

} // namespace
