// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Bad catalogue data on both databases: every case ends in a clear Chinese message or none, the
// window either closes cleanly or still works (it exports the report), and nothing in the database
// changes that should not — text that looks like SQL stays text.
#include "ReliabilityFixture.h"

#include <filesystem>
#include <unistd.h>

namespace {

using vondrel::test::Backend;
using vondrel::test::HasChineseWords;

// Plain enumerations: the table below names their values bare.
enum Action { Open, Drill, DrillAndReturn, ResetColumns, Select, Navigate };
enum Outcome { Shown, Closed, Refused };

struct BadData {
    const char* name;
    int report;
    std::vector<const char*> loosen;                       // tables that must take bad values
    std::vector<std::pair<const char*, const char*>> text; // columns that must take any text
    const char* sqlite;                                    // the damage
    const char* postgres;                                  // nullptr: the same as on SQLite
    Action action;
    Outcome outcome;
    const char* message; // a part of the one message expected; "*" = any one message; "" = none
};

// clang-format off
const BadData kCases[] = {
    // qv_report
    {"MissingReportRow", 99, {}, {}, "", nullptr, Open, Refused, "报表参数设置有错误"},
    {"NullName", 1, {"qv_report"}, {}, "UPDATE qv_report SET qrptname = NULL WHERE qid = 1", nullptr, Open,
     Refused, "报表参数设置有错误"},
    {"NullGroup", 1, {"qv_report"}, {}, "UPDATE qv_report SET qrptgrpid = NULL WHERE qid = 1", nullptr, Open,
     Refused, "报表参数设置有错误"},
    {"NullHeadHeight", 1, {"qv_report"}, {}, "UPDATE qv_report SET qheadheight = NULL WHERE qid = 1", nullptr,
     Open, Shown, ""},
    {"TextHeadHeight", 1, {}, {{"qv_report", "qheadheight"}},
     "UPDATE qv_report SET qheadheight = 'tall' WHERE qid = 1", nullptr, Open, Shown, ""},
    {"TextGroup", 1, {}, {{"qv_report", "qrptgrpid"}}, "UPDATE qv_report SET qrptgrpid = 'one' WHERE qid = 1",
     nullptr, Select, Refused, "报表参数设置有错误"},
    {"NullClassName", 1, {}, {}, "UPDATE qv_report SET qclsname = NULL WHERE qid = 1", nullptr, Open, Refused,
     "报表参数设置有错误"},
    {"UnknownClassName", 1, {}, {}, "UPDATE qv_report SET qclsname = 'No.Such' WHERE qid = 1", nullptr, Open,
     Closed, "No.Such"},
    {"NullTemplateName", 1, {}, {}, "UPDATE qv_report SET qfmtfilename = NULL WHERE qid = 1", nullptr, Open,
     Refused, "报表参数设置有错误"},
    {"MissingTemplateFile", 1, {}, {}, "UPDATE qv_report SET qfmtfilename = 'nofile.cll' WHERE qid = 1",
     nullptr, Open, Closed, "报表格式文件不存在"},
    {"NullAutoMove", 3, {"qv_report"}, {}, "UPDATE qv_report SET qisautomove = NULL WHERE qid = 3", nullptr,
     Navigate, Shown, ""},
    {"QuotedName", 1, {}, {},
     "UPDATE qv_report SET qrptname = 'O''Brien\"; DROP TABLE qv_report; --' WHERE qid = 1", nullptr, Open,
     Shown, ""},
    // qv_sqlreport
    {"MissingSqlReportRow", 1, {}, {}, "DELETE FROM qv_sqlreport WHERE qid = 1", nullptr, Open, Closed, "*"},
    {"NullRowsQuery", 1, {"qv_sqlreport"}, {}, "UPDATE qv_sqlreport SET qsql = NULL WHERE qid = 1", nullptr,
     Open, Closed, "*"},
    {"BrokenRowsQuery", 1, {}, {}, "UPDATE qv_sqlreport SET qsql = 'SELECT FROM WHERE' WHERE qid = 1",
     nullptr, Open, Closed, "SQL 语句执行失败"},
    {"EmptyRowsQuery", 1, {}, {},
     "UPDATE qv_sqlreport SET qsql = 'SELECT fcode AS fcustcode, fname AS fcustname FROM xs_customer "
     "WHERE 1 = 0 AND :fdatefrom = :fdateto AND :fregionid = 0' WHERE qid = 1", nullptr, Open, Shown, ""},
    {"NullFixedCols", 1, {"qv_sqlreport"}, {}, "UPDATE qv_sqlreport SET qfixedcols = NULL WHERE qid = 1",
     nullptr, Open, Shown, ""},
    {"TextFixedCols", 1, {}, {{"qv_sqlreport", "qfixedcols"}},
     "UPDATE qv_sqlreport SET qfixedcols = 'three' WHERE qid = 1", nullptr, Open, Closed, "qfixedcols"},
    {"MissingBindField", 3, {}, {}, "UPDATE qv_sqlreport SET qbindfield = 'nosuch' WHERE qid = 3", nullptr,
     Navigate, Closed, "*"},
    {"BrokenMasterQuery", 3, {}, {}, "UPDATE qv_sqlreport SET qmainsql = 'SELECT nothing FROM' WHERE qid = 3",
     nullptr, Open, Closed, "SQL 语句执行失败"},
    {"NullAutoMoveFlag", 3, {"qv_sqlreport"}, {}, "UPDATE qv_sqlreport SET qautomove = NULL WHERE qid = 3",
     nullptr, Navigate, Shown, ""},
    // qv_sqlreportpara
    {"MissingParameterRows", 1, {}, {}, "DELETE FROM qv_sqlreportpara WHERE qid = 1", nullptr, Open, Closed,
     "*"},
    {"NullParameterName", 1, {"qv_sqlreportpara"}, {},
     "UPDATE qv_sqlreportpara SET qname = NULL WHERE qid = 1 AND qorder = 3", nullptr, Open, Closed, "*"},
    {"NullParameterType", 1, {"qv_sqlreportpara"}, {},
     "UPDATE qv_sqlreportpara SET qtype = NULL WHERE qid = 1 AND qorder = 1", nullptr, Open, Closed,
     "参数类型"},
    {"UnknownParameterType", 1, {}, {}, "UPDATE qv_sqlreportpara SET qtype = 'colour' WHERE qid = 1", nullptr,
     Open, Closed, "参数类型"},
    {"DateDefaultNotADate", 1, {}, {},
     "UPDATE qv_sqlreportpara SET qdefault = 'someday' WHERE qid = 1 AND qorder = 1", nullptr, Open, Closed,
     ""},
    {"BrokenListQuery", 1, {}, {},
     "UPDATE qv_sqlreportpara SET qlistsql = 'SELECT oops FROM' WHERE qid = 1 AND qorder = 3", nullptr, Open,
     Closed, "*"},
    {"DuplicateParameterOrder", 1, {"qv_sqlreportpara"}, {},
     "INSERT INTO qv_sqlreportpara (qid, qorder, qname, qcaption, qtype, qdefault) "
     "VALUES (1, 1, 'fdatefrom', '开始日期', 'date', '2024-03-01')", nullptr, Open, Closed, "重复"},
    {"QuotedParameterValue", 2, {}, {},
     "UPDATE qv_sqlreportpara SET qdefault = 'O''Brien\"; DROP TABLE xs_customer; --' WHERE qid = 2 AND "
     "qorder = 3", nullptr, Open, Shown, ""},
    // qv_rptdetail and the drill-down procedures
    {"NullDrillItems", 1, {"qv_rptdetail"}, {}, "UPDATE qv_rptdetail SET qrptpara = NULL", nullptr,
     DrillAndReturn, Shown, ""},
    {"DrillItemsWithoutFields", 1, {}, {}, "UPDATE qv_rptdetail SET qrptpara = ',,/:,'", nullptr,
     DrillAndReturn, Shown, "*"},
    {"DrillItemOfMissingField", 1, {}, {}, "UPDATE qv_rptdetail SET qrptpara = 'nosuch/客户:nosuch'", nullptr,
     DrillAndReturn, Shown, "*"},
    {"DrillToMissingReport", 1, {}, {}, "UPDATE qv_rptdetail SET qrptchildid = 99", nullptr, DrillAndReturn,
     Shown, "*"},
    {"TwoDrillLinks", 1, {}, {},
     "INSERT INTO qv_rptdetail (qrptparentid, qrptchildid, qrptpara) VALUES (1, 6, "
     "'fcustname/客户:fcustname')", nullptr, DrillAndReturn, Shown, ""},
    {"ChildProcedureMissing", 1, {}, {}, "UPDATE qv_report SET qstoreproc = 'sp_nosuch' WHERE qid = 2",
     nullptr, DrillAndReturn, Shown, "找不到存储过程"},
    {"ChildProcedureQuoted", 1, {}, {},
     "UPDATE qv_report SET qstoreproc = 'sp''; DROP TABLE qv_report; --' WHERE qid = 2", nullptr,
     DrillAndReturn, Shown, "找不到存储过程"},
    {"ChildProcedureFails", 1, {}, {},
     "INSERT INTO vondrel_procedures VALUES ('sp_fail', 'fdatefrom DATE, fdateto DATE, fcustomer "
     "VARCHAR(40)', "
     "'SELECT * FROM no_such_table'); UPDATE qv_report SET qstoreproc = 'sp_fail' WHERE qid = 2",
     "CREATE FUNCTION sp_fail(fdatefrom DATE, fdateto DATE, fcustomer VARCHAR) RETURNS TABLE(x INTEGER) "
     "LANGUAGE plpgsql AS $$ BEGIN RAISE EXCEPTION '报表数据出错'; END $$; "
     "UPDATE qv_report SET qstoreproc = 'sp_fail' WHERE qid = 2", DrillAndReturn, Shown, "执行失败"},
    {"ChildProcedureNoRows", 1, {}, {},
     "INSERT INTO vondrel_procedures VALUES ('sp_none', 'fdatefrom DATE, fdateto DATE, fcustomer "
     "VARCHAR(40)', "
     "'SELECT * FROM xs_customer WHERE 1 = 0'); UPDATE qv_report SET qstoreproc = 'sp_none' WHERE qid = 2",
     "CREATE FUNCTION sp_none(fdatefrom DATE, fdateto DATE, fcustomer VARCHAR) RETURNS TABLE(x INTEGER) "
     "LANGUAGE sql AS $$ SELECT 1 WHERE false $$; UPDATE qv_report SET qstoreproc = 'sp_none' WHERE qid = 2",
     DrillAndReturn, Shown, ""},
    {"ChildParameterCountWrong", 1, {}, {}, "DELETE FROM qv_rptpara WHERE qid = 2 AND qorder = 1", nullptr,
     DrillAndReturn, Shown, "参数个数不符"},
    {"NullChildParameterRow", 1, {"qv_rptpara"}, {},
     "UPDATE qv_rptpara SET qname = NULL, qorder = NULL, qcaption = NULL, qdatatype = NULL WHERE qid = 2",
     nullptr, DrillAndReturn, Shown, ""},
    {"ChildMasterProcedureMissing", 1, {}, {},
     "UPDATE qv_report SET qmainproc = 'sp_nosuch', qbindfield = 'fcustomer' WHERE qid = 2", nullptr,
     DrillAndReturn, Shown, "找不到存储过程"},
    {"ChildMasterProcedureNoRows", 1, {}, {},
     "INSERT INTO vondrel_procedures VALUES ('sp_nomaster', 'fdatefrom DATE, fdateto DATE', "
     "'SELECT fname AS fcustomer FROM xs_customer WHERE 1 = 0'); "
     "UPDATE qv_report SET qmainproc = 'sp_nomaster', qbindfield = 'fcustomer' WHERE qid = 2",
     "CREATE FUNCTION sp_nomaster(fdatefrom DATE, fdateto DATE) RETURNS TABLE(fcustomer VARCHAR) "
     "LANGUAGE sql AS $$ SELECT 'x'::varchar WHERE false $$; "
     "UPDATE qv_report SET qmainproc = 'sp_nomaster', qbindfield = 'fcustomer' WHERE qid = 2", DrillAndReturn,
     Shown, ""},
    // fchangecol and the column overrides
    {"ColumnProcedureMissing", 5, {}, {}, "UPDATE qv_report SET fchangecol = 'sp_nosuch' WHERE qid = 5",
     nullptr, ResetColumns, Shown, ""},
    {"ColumnProcedureQuoted", 5, {}, {},
     "UPDATE qv_report SET fchangecol = 'x''); DELETE FROM qv_report; --' WHERE qid = 5", nullptr,
     ResetColumns, Shown, ""},
    {"OverrideRowsNull", 1, {"QV_RptChangeColFormat"}, {},
     "INSERT INTO QV_RptChangeColFormat (fuserid, fischange, frptid, fcol, fbegrow, fendrow, fwidth, "
     "fcaption) VALUES (1, 0, 1, NULL, NULL, NULL, NULL, NULL), (1, 0, 1, 2, NULL, NULL, NULL, '地区'), "
     "(1, 0, 1, 3, 4, NULL, 80, '单据'), (NULL, NULL, 1, NULL, NULL, NULL, NULL, NULL)", nullptr, Open,
     Closed, "是空值"},
    // Rows a user's closes wrote never keep the report from opening: the first was written for
    // other header rows, the second sets the one level it has.
    {"OverrideCaptionShort", 1, {}, {},
     "INSERT INTO QV_RptChangeColFormat (fuserid, fischange, frptid, fcol, fbegrow, fendrow, fwidth, "
     "fcaption) VALUES (1, 0, 1, 4, 1, 5, 60, '短'), (1, 0, 1, 5, 4, 5, 60, '')", nullptr, Open, Shown, ""},
    {"OverrideWidthText", 1, {}, {{"QV_RptChangeColFormat", "fwidth"}},
     "INSERT INTO QV_RptChangeColFormat (fuserid, fischange, frptid, fcol, fbegrow, fendrow, fwidth, "
     "fcaption) VALUES (1, 0, 1, 4, 4, 4, 'wide', 'O''Brien\"; DROP TABLE qv_report; --')", nullptr, Open,
     Closed, "“wide”不是数字"},
    // qv_rptgrp and the report choice
    {"GroupRowMissing", 1, {}, {}, "DELETE FROM qv_rptgrp WHERE qrptgrpid = 1", nullptr, Select, Shown,
     "报表类别不存在"},
    {"GroupNameNull", 1, {"qv_rptgrp"}, {}, "UPDATE qv_rptgrp SET qrptgrpname = NULL", nullptr, Select, Shown,
     ""},
    {"DuplicateNamesInGroup", 1, {}, {}, "UPDATE qv_report SET qrptname = '销售日报' WHERE qid = 3", nullptr,
     Select, Shown, ""},
    // Quotes and SQL-like text in captions and in the values bound from the rows
    {"QuotedCaption", 1, {}, {},
     "INSERT INTO QV_RptChangeColFormat (fuserid, fischange, frptid, fcol, fbegrow, fendrow, fwidth, fcaption) "
     "VALUES (1, 0, 1, 5, 4, 5, 70, 'O''Brien\"; DROP TABLE qv_report; --,单据''')", nullptr, Open, Shown,
     ""},
    {"QuotedCustomerDrilled", 1, {}, {},
     "UPDATE xs_customer SET fname = 'O''Brien\"; DELETE FROM xs_invoice; --' "
     "WHERE fcode = (SELECT MIN(fcode) FROM xs_customer)", nullptr, DrillAndReturn, Shown, ""},
    {"QuotedMasterRecord", 3, {}, {},
     "UPDATE xs_customer SET fname = 'O''Brien\"; DELETE FROM xs_invoice; --'", nullptr, Navigate, Shown, ""},
};
// clang-format on

class CatalogueMatrix : public vondrel::test::DemoWindowFixture,
                        public ::testing::WithParamInterface<std::tuple<Backend, std::size_t>> {
protected:
    Backend DatabaseParam() const override { return std::get<0>(GetParam()); }

    // What must survive every case: the business tables and the catalogue's own tables.
    std::string Census() {
        return Scalar(
            "SELECT (SELECT COUNT(*) FROM xs_customer) || '/' || (SELECT COUNT(*) FROM xs_invoice) || "
            "'/' || (SELECT COUNT(*) FROM qv_report) || '/' || (SELECT COUNT(*) FROM qv_sqlreport)");
    }

    void Act(QV_GridPrint::frmGridPrint& window, Action action) {
        switch (action) {
        case Action::Open:
            break;
        case Action::Drill:
        case Action::DrillAndReturn: {
            const int row = window.iFixedRows + 2;
            window.Grid().UserClick(row, 1);
            window.Grid().UserDoubleClick(row, 1);
            // The way back is only offered once the child is shown.
            if (action == Action::DrillAndReturn && window.Caption() != m_host->rptName) {
                window.ToolbarClick("t_return");
            }
            break;
        }
        case Action::ResetColumns:
            window.ToolbarClick("t_csgs");
            break;
        case Action::Select:
            m_dialogs.onSelectReport = [](QV_GridPrint::select::frmSelectReport& dialog) {
                for (int row = 1; row < dialog.vsf.GridRowCount(); ++row) {
                    if (dialog.vsf.CellTextAt(row, 0) == "销售日报") {
                        dialog.vsf.SelectRange(row, 0, row, 0);
                        dialog.cmdOk_Click();
                        return;
                    }
                }
                dialog.cmdCancel_Click(); // not listed: the user leaves the dialog
            };
            window.ToolbarClick("open");
            break;
        case Action::Navigate:
            window.ToolbarClick("movenext");
            window.ToolbarClick("movelast");
            break;
        }
    }

    // Usable: the report as it now stands exports to a sheet file that is really there.
    void ExpectUsable(QV_GridPrint::frmGridPrint& window) {
        const std::filesystem::path folder =
            std::filesystem::temp_directory_path() / ("vondrel-matrix-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        const std::filesystem::path file = folder / "报表.xls";
        std::filesystem::remove(file);
        m_services->scripted.ScriptSaveFile(ui::SaveFileChoice{file.string(), 1});
        window.ToolbarClick("dc");
        const std::vector<std::string> messages = Messages();
        ASSERT_EQ(messages.size(), 1U) << "the export's own notice";
        EXPECT_NE(messages[0].find("成功"), std::string::npos) << messages[0];
        EXPECT_TRUE(std::filesystem::exists(file) && std::filesystem::file_size(file) > 0);
        std::filesystem::remove_all(folder);
    }
};

TEST_P(CatalogueMatrix, ClearMessageAndAUsableOrClosedWindow) {
    const BadData& data = kCases[std::get<1>(GetParam())];
    for (const char* table : data.loosen) {
        Loosen(table);
    }
    for (const auto& [table, column] : data.text) {
        MakeText(table, column);
    }
    const char* damage = IsSqlite() || !data.postgres ? data.sqlite : data.postgres;
    if (*damage) {
        m_db->Exec(damage);
    }
    const std::string census = Census();

    std::vector<std::string> whileOpen;
    bool stillOpen = false;
    const bool shown = Show(data.report, [&](QV_GridPrint::frmGridPrint& window) {
        Act(window, data.action);
        whileOpen = Messages();
        stillOpen = !window.IsCloseRequested() && window.bOK;
        if (stillOpen) {
            ExpectUsable(window);
        }
    });
    std::vector<std::string> messages = Messages();
    messages.insert(messages.begin(), whileOpen.begin(), whileOpen.end());
    for (const std::string& text : messages) {
        EXPECT_TRUE(HasChineseWords(text)) << text;
    }
    switch (data.outcome) {
    case Outcome::Refused:
        EXPECT_FALSE(shown);
        break;
    case Outcome::Closed:
        EXPECT_TRUE(shown);
        EXPECT_FALSE(m_loaded) << "the window should have closed";
        break;
    case Outcome::Shown:
        EXPECT_TRUE(shown);
        EXPECT_TRUE(m_loaded && stillOpen) << "the window should still be open";
        break;
    }
    const std::string expected = data.message;
    if (expected.empty()) {
        EXPECT_TRUE(messages.empty()) << ::testing::PrintToString(messages);
    } else {
        ASSERT_EQ(messages.size(), 1U) << ::testing::PrintToString(messages);
        if (expected != "*") {
            EXPECT_NE(messages[0].find(expected), std::string::npos) << messages[0];
        }
    }
    EXPECT_EQ(Census(), census) << "nothing may be dropped or deleted by the report";
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<Backend, std::size_t>>& info) {
    return vondrel::test::BackendName(std::get<0>(info.param)) + "_" + kCases[std::get<1>(info.param)].name;
}

INSTANTIATE_TEST_SUITE_P(Cases, CatalogueMatrix,
                         ::testing::Combine(::testing::Values(Backend::Sqlite, Backend::Postgres),
                                            ::testing::Range(std::size_t{0}, std::size(kCases))),
                         CaseName);

} // namespace

namespace {

class ReusedHost : public vondrel::test::DemoWindowFixture, public ::testing::WithParamInterface<Backend> {
protected:
    Backend DatabaseParam() const override { return GetParam(); }
};

// The host object outlives its reports. A Null in the next report's row must not bring back the
// previous report's name or group, through which the plug-in would show that report's rows under
// this report's template.
TEST_P(ReusedHost, NullNameOrGroupShowsNoOtherReport) {
    for (const char* column : {"qrptname", "qrptgrpid"}) {
        SCOPED_TRACE(column);
        ASSERT_TRUE(Show(2, [](QV_GridPrint::frmGridPrint&) {}));
        ASSERT_TRUE(m_loaded);
        Loosen("qv_report");
        m_db->Exec(std::string("UPDATE qv_report SET ").append(column).append(" = NULL WHERE qid = 1"));
        std::string caption;
        EXPECT_FALSE(Show(1, [&](QV_GridPrint::frmGridPrint& window) { caption = window.Caption(); }));
        EXPECT_EQ(caption, "") << "no window, least of all report 2's";
        const std::vector<std::string> messages = Messages();
        ASSERT_EQ(messages.size(), 1U) << ::testing::PrintToString(messages);
        EXPECT_NE(messages[0].find("报表参数设置有错误"), std::string::npos) << messages[0];
        m_db->Exec("UPDATE qv_report SET qrptname = '销售汇总', qrptgrpid = 1 WHERE qid = 1");
    }
}

INSTANTIATE_TEST_SUITE_P(Databases, ReusedHost, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         vondrel::test::BackendTestName);

} // namespace
