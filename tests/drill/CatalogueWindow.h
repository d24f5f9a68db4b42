// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

// A real catalogue (the demo's schema) with three linked reports over `sales`, their stored procedures
// on SQLite or PostgreSQL, a login record, and the report window's logic on report 1. Shared by the
// drill-down, column and selection tests.
//
//   1 销售汇总  params x0 x1 x2  -> child 2 through "name/客户:name,id/编号:id"
//   2 客户明细  3 params         -> child 3 through "amount/金额:amount"
//   3 单据明细  4 params
//   4 空白报表  no template (refused by the selection dialog); group 1 holds 1-4, group 2 has no reports

#include "ado/Recordset.h"
#include "catalogue/ModGridPrint.h"
#include "hostobject/clsGridPrint.h"
#include "plugin/PluginRegistry.h"
#include "support/DbFixture.h"
#include "support/DemoDatabase.h"
#include "support/GridRows.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedServices.h"
#include "vb/Conversion.h"
#include "viewer/SalesTemplate.h"
#include "viewer/ScriptedReport.h"
#include "viewer/frmGridPrint.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace vondrel::test {

inline constexpr const char* kCatalogueRows = R"sql(
CREATE TABLE sales (id INTEGER, name VARCHAR(20), amount DECIMAL(18,2), note VARCHAR(20));
INSERT INTO sales VALUES (1, '张三', 10.5, 'a'), (2, '李四', 20, NULL), (3, '张三', 30.25, 'c'),
  (4, '王五', 0, 'd');
INSERT INTO qv_rptgrp VALUES (1, '销售报表'), (2, '空的类别');
INSERT INTO qv_report VALUES
  (1, '销售汇总', 1, 'sales.cll', 1200, 'Test.Scripted', 'sp_parent', NULL, NULL, FALSE, 'sp_varcols'),
  (2, '客户明细', 1, 'sales.cll', 1300, 'Test.Scripted', 'sp_child', NULL, NULL, FALSE, NULL),
  (3, '单据明细', 1, 'sales.cll', 1400, 'Test.Scripted', 'sp_grand', NULL, NULL, FALSE, '  '),
  (4, '空白报表', 1, '  ', 1200, 'Test.Scripted', NULL, NULL, NULL, FALSE, NULL);
INSERT INTO qv_rptdetail VALUES (1, 2, 'name/客户:name,id/编号:id'), (2, 3, 'amount/金额:amount');
INSERT INTO qv_rptpara VALUES (1, 1, 'p0', '参数0', 'S', NULL), (1, 2, 'p1', '参数1', 'S', NULL),
  (1, 3, 'p2', '参数2', 'S', NULL), (2, 1, 'p0', '参数0', 'S', NULL), (2, 2, 'pname', '客户', 'S', NULL),
  (2, 3, 'pid', '编号', 'S', NULL), (3, 1, 'p0', '参数0', 'S', NULL), (3, 2, 'pname', '客户', 'S', NULL),
  (3, 3, 'pid', '编号', 'S', NULL), (3, 4, 'pamount', '金额', 'S', NULL);
)sql";

// sp_varcols is the reset's variable-column procedure: it records its arguments and adds one variable
// column (fcol 3, after the template's three) for the user it is given.
inline constexpr const char* kSqliteProcedures = R"sql(
CREATE TABLE proc_calls (args VARCHAR(200));
CREATE TABLE vondrel_procedures (name TEXT PRIMARY KEY, params TEXT, body TEXT);
INSERT INTO vondrel_procedures VALUES ('sp_parent', 'p0 TEXT, p1 TEXT, p2 TEXT',
  'SELECT id, name, amount, note FROM sales ORDER BY id');
INSERT INTO vondrel_procedures VALUES ('sp_child', 'p0 TEXT, pname TEXT, pid TEXT',
  'SELECT id, name, amount, note FROM sales WHERE name = :pname ORDER BY id');
INSERT INTO vondrel_procedures VALUES ('sp_grand', 'p0 TEXT, pname TEXT, pid TEXT, pamount TEXT',
  'SELECT id, name, amount, note FROM sales WHERE id = CAST(:pid AS INTEGER)');
INSERT INTO vondrel_procedures VALUES ('sp_varcols', 'p0 TEXT, p1 TEXT, p2 TEXT, puser INTEGER',
  'INSERT INTO proc_calls VALUES (:p0 || ''|'' || :p1 || ''|'' || :p2 || ''|'' || :puser);
   INSERT INTO QV_RptChangeColFormat (fuserid, fischange, frptid, fcol, fbegrow, fendrow, fwidth, fcaption,
     fdatafield, fistotal, fdatatype, fdataformat)
   VALUES (:puser, 1, 1, 3, 2, 3, 90, ''附加,编号二'', ''id'', 1, 0, 1)');
)sql";

inline constexpr const char* kPostgresProcedures = R"sql(
CREATE TABLE proc_calls (args VARCHAR(200));
CREATE FUNCTION sp_parent(p0 TEXT, p1 TEXT, p2 TEXT) RETURNS TABLE(id INTEGER, name VARCHAR(20),
  amount DECIMAL(18,2), note VARCHAR(20)) LANGUAGE sql AS
  $$ SELECT s.id, s.name, s.amount, s.note FROM sales s ORDER BY s.id $$;
CREATE FUNCTION sp_child(p0 TEXT, pname TEXT, pid TEXT) RETURNS TABLE(id INTEGER, name VARCHAR(20),
  amount DECIMAL(18,2), note VARCHAR(20)) LANGUAGE sql AS
  $$ SELECT s.id, s.name, s.amount, s.note FROM sales s WHERE s.name = pname ORDER BY s.id $$;
CREATE FUNCTION sp_grand(p0 TEXT, pname TEXT, pid TEXT, pamount TEXT) RETURNS TABLE(id INTEGER,
  name VARCHAR(20), amount DECIMAL(18,2), note VARCHAR(20)) LANGUAGE sql AS
  $$ SELECT s.id, s.name, s.amount, s.note FROM sales s WHERE s.id = CAST(pid AS INTEGER) $$;
CREATE PROCEDURE sp_varcols(p0 TEXT, p1 TEXT, p2 TEXT, puser INTEGER) LANGUAGE sql AS $$
  INSERT INTO proc_calls VALUES (p0 || '|' || p1 || '|' || p2 || '|' || puser);
  INSERT INTO QV_RptChangeColFormat (fuserid, fischange, frptid, fcol, fbegrow, fendrow, fwidth, fcaption,
    fdatafield, fistotal, fdatatype, fdataformat)
  VALUES (puser, 1, 1, 3, 2, 3, 90, '附加,编号二', 'id', 1, 0, 1) $$;
)sql";

class CatalogueWindow : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        m_db = std::make_unique<TestDatabase>(GetParam());
        VONDREL_REQUIRE_DATABASE(*m_db);
        const std::string engine = EngineOf(GetParam());
        m_db->Exec(ReadSource("demo/" + engine + "/01-catalogue.sql"));
        m_db->Exec(kCatalogueRows);
        m_db->Exec(engine == "sqlite" ? kSqliteProcedures : kPostgresProcedures);
        m_host = std::make_unique<QV_GridPrint::clsGridPrint>(m_services);
        m_host->set_cnn(m_db->Connection());
        SetUserId("7");
        m_folder = std::filesystem::temp_directory_path() /
                   ("vondrel-catalogue-" + std::to_string(::getpid()) + "-" + std::to_string(++s_serial));
        std::filesystem::create_directories(m_folder);
        WriteSalesTemplate(m_folder / "sales.cll");
        m_services->SetApplicationFolder(m_folder);
        // Report 1 as ShowReport leaves it.
        m_host->rptName = "销售汇总";
        m_host->RptType = 1;
        m_host->ClsName = "Test.Scripted";
        m_host->FmtFileName = "sales.cll";
        m_host->HeadHeight = 1200;
        m_host->mOK = true;
        QV_GridPrint::modGridPrint::RptID = 1;
        QV_GridPrint::modGridPrint::bMxMode = false;
        m_script.params = {"x0/T0", "x1/T1", "x2/T2"};
        m_script.rowsSql = "SELECT id, name, amount, note FROM sales ORDER BY id";
    }

    void TearDown() override {
        m_window.reset();
        if (!m_folder.empty()) {
            std::filesystem::remove_all(m_folder);
        }
    }

    void SetUserId(const std::string& userId) {
        m_host->CreateRsLogin("FUsername S20,fuserid S20");
        m_host->rsLogin()->Fields("FUsername").SetValue(vb::Variant(std::string("测试")));
        m_host->rsLogin()->Fields("fuserid").SetValue(vb::Variant(userId));
    }

    // A window on report 1, loaded (the plug-in's dialog gives x0 x1 x2).
    QV_GridPrint::frmGridPrint& OpenWindow() {
        m_registry.Register("Test.Scripted",
                            [this] { return std::make_unique<ScriptedReport>(m_script, m_log); });
        m_window =
            std::make_unique<QV_GridPrint::frmGridPrint>(*m_host, *m_services, *m_services, m_registry);
        m_window->SetModalDialogs(&m_dialogs);
        m_window->Load();
        m_log.clear();
        return *m_window;
    }

    std::vector<std::string> GridRows() const { return vondrel::test::GridRows(m_window->Grid()); }

    // Double clicks grid row `row` as the user does: the click makes it current, then the double click.
    void DoubleClick(int row) {
        m_window->Grid().UserClick(row, 1);
        m_window->Grid().UserDoubleClick(row, 1);
    }

    // The rows of a query as "a|b|c" lines.
    std::vector<std::string> Rows(const std::string& sql) const {
        std::vector<std::string> lines;
        auto rs = ado::Recordset::Create();
        rs->Open(sql, m_db->Connection());
        for (; !rs->IsEOF(); rs->MoveNext()) {
            std::string line;
            for (std::size_t index = 0; index < rs->FieldCount(); ++index) {
                const vb::Variant value = rs->Fields(index).Value();
                line.append(index ? "|" : "").append(value.IsNull() ? "NULL" : vb::CStr(value));
            }
            lines.push_back(line);
        }
        return lines;
    }

    std::vector<ui::Message> Messages() { return m_services->TakeMessages(); }

    std::shared_ptr<ScriptedServices> m_services = std::make_shared<ScriptedServices>();
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<QV_GridPrint::clsGridPrint> m_host;
    QV_GridPrint::PluginRegistry m_registry;
    ReportScript m_script;
    std::vector<std::string> m_log;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<QV_GridPrint::frmGridPrint> m_window;
    std::filesystem::path m_folder;
    static inline int s_serial = 0;
};

} // namespace vondrel::test
