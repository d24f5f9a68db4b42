// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Stored procedures as the report window calls them: a command naming the procedure, its parameter
// list refreshed from the database (entry 0 the return value), values set by position, one result.
#include "ado/Command.h"
#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "support/DbFixture.h"
#include "vb/Error.h"

#include <gtest/gtest.h>

using vondrel::test::Backend;
using vondrel::test::TestDatabase;

namespace {

constexpr const char* kTables = R"sql(
CREATE TABLE sales (id INTEGER, name VARCHAR(20), amount DECIMAL(18,2));
INSERT INTO sales VALUES (1, '张三', 10.5);
INSERT INTO sales VALUES (2, '李四', 20);
INSERT INTO sales VALUES (3, '张三', 30.25);
CREATE TABLE call_log (note TEXT);
)sql";

// The same three procedures in each database's own form.
constexpr const char* kSqliteProcedures = R"sql(
CREATE TABLE vondrel_procedures (name TEXT PRIMARY KEY, params TEXT, body TEXT);
INSERT INTO vondrel_procedures VALUES ('sp_sales_by_name', 'pname VARCHAR(20), pminid INTEGER',
  'SELECT id, name, amount FROM sales WHERE name = :pname AND id >= :pminid ORDER BY id');
INSERT INTO vondrel_procedures VALUES ('sp_log', 'pnote TEXT', 'INSERT INTO call_log(note) VALUES (:pnote)');
INSERT INTO vondrel_procedures VALUES ('sp_log_then_fail', 'pnote TEXT',
  'INSERT INTO call_log(note) VALUES (:pnote); SELECT * FROM no_such_table');
)sql";

constexpr const char* kPostgresProcedures = R"sql(
CREATE FUNCTION sp_sales_by_name(pname VARCHAR, pminid INTEGER)
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

    long LogRows() {
        auto rs = m_db->Connection()->Execute("SELECT count(*) AS n FROM call_log");
        return static_cast<long>(*rs->Fields("n").Value().NumberValue());
    }

    std::unique_ptr<TestDatabase> m_db;
};

TEST_P(ProcedureContract, RefreshListsTheReturnValueThenTheInputs) {
    auto cmd = Prepare("sp_sales_by_name");
    ASSERT_EQ(cmd->Parameters().Count(), 3U);
    EXPECT_EQ(cmd->Parameters()(0).Direction, ado::adParamReturnValue);
    EXPECT_EQ(cmd->Parameters()(1).Name, "pname");
    EXPECT_EQ(cmd->Parameters()(1).Direction, ado::adParamInput);
    EXPECT_EQ(cmd->Parameters()(1).Type, ado::adVarWChar);
    EXPECT_EQ(cmd->Parameters()(2).Name, "pminid");
    EXPECT_EQ(cmd->Parameters()(2).Type, ado::adInteger);
}

TEST_P(ProcedureContract, ParametersByPositionSelectTheRows) {
    struct Case {
        const char* name;
        vb::Variant pname;
        vb::Variant pminid;
        std::string expectedIds;
    };
    const Case cases[] = {
        {"both rows of one name", vb::Variant("张三"), vb::Variant(1), "1,3"},
        {"second value narrows", vb::Variant("张三"), vb::Variant(2), "3"},
        {"number given as text, as parameter items are", vb::Variant("张三"), vb::Variant("2"), "3"},
        {"quote in a value is data", vb::Variant("x' OR '1'='1"), vb::Variant(0), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto cmd = Prepare("sp_sales_by_name");
        cmd->Parameters()(1).Value = c.pname;
        cmd->Parameters()(2).Value = c.pminid;
        auto rs = cmd->Execute();
        ASSERT_EQ(rs->State(), ado::adStateOpen);
        std::string ids;
        for (; !rs->IsEOF(); rs->MoveNext()) {
            ids.append(ids.empty() ? "" : ",").append(std::to_string(rs->Fields("id").Value().AsLong()));
        }
        EXPECT_EQ(ids, c.expectedIds);
        EXPECT_EQ(rs->Fields("amount").Type(), ado::adNumeric);
    }
}

TEST_P(ProcedureContract, ProcedureWithoutRowsRunsAndGivesAClosedRecordset) {
    auto cmd = Prepare("sp_log");
    cmd->Parameters()(1).Value = vb::Variant("一次调用");
    EXPECT_EQ(cmd->Execute()->State(), ado::adStateClosed);
    EXPECT_EQ(LogRows(), 1);
}

TEST_P(ProcedureContract, FailingProcedureLeavesNoHalfWrittenRows) {
    auto cmd = Prepare("sp_log_then_fail");
    cmd->Parameters()(1).Value = vb::Variant("不应留下");
    EXPECT_THROW(cmd->Execute(), vb::Error);
    EXPECT_EQ(LogRows(), 0);
    // The connection stays usable after the failure.
    auto again = Prepare("sp_log");
    again->Parameters()(1).Value = vb::Variant("之后");
    again->Execute();
    EXPECT_EQ(LogRows(), 1);
}

TEST_P(ProcedureContract, UnknownProcedureAndWrongCountsAreClearErrors) {
    auto cmd = ado::Command::Create();
    cmd->SetActiveConnection(m_db->Connection());
    cmd->CommandText = "sp_does_not_exist";
    cmd->CommandType = ado::adCmdStoredProc;
    try {
        cmd->Parameters().Refresh();
        ADD_FAILURE() << "refreshed a procedure that does not exist";
    } catch (const vb::Error& error) {
        EXPECT_EQ(error.Description(), "找不到存储过程：sp_does_not_exist");
    }

    auto sales = Prepare("sp_sales_by_name");
    EXPECT_THROW(sales->Parameters()(3).Value = vb::Variant(1), vb::Error) << "no fourth entry";
    sales->Parameters().Append(
        ado::Parameter{"extra", ado::adInteger, ado::adParamInput, 4, vb::Variant(1), "integer"});
    try {
        sales->Execute();
        ADD_FAILURE() << "called with a parameter too many";
    } catch (const vb::Error& error) {
        EXPECT_NE(error.Description().find("参数个数不符"), std::string::npos) << error.Description();
    }
}

INSTANTIATE_TEST_SUITE_P(Databases, ProcedureContract, ::testing::ValuesIn(vondrel::test::kAllBackends),
                         vondrel::test::BackendTestName);

} // namespace
