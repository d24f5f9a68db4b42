// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Vondrel.SqlReport driven as the report window drives it, over the demo database on both engines:
// the dialog's fields and defaults, the parameter items, the master list and its bind item, moving
// through it, values reaching the database only as bound values, the session memory and the messages
// for faulty definitions.
#include "DemoFixture.h"
#include "controls/sheet/SheetDocument.h"
#include "plugin/PluginRegistry.h"
#include "support/RaisedError.h"
#include "vb/Array.h"
#include "vb/Error.h"

namespace sqlreport::test {
namespace {

using vondrel::test::Backend;

std::vector<std::string> Items(const vb::Variant& para) {
    std::vector<std::string> items;
    const vb::Array& array = *para.AsArray();
    for (long k = array.LBound(); k <= array.UBound(); ++k) {
        items.push_back(vb::CStr(array.Get(k)));
    }
    return items;
}

class SqlReportOnDemo : public DemoDatabase {
protected:
    std::unique_ptr<SqlReport> NewReport(int id) {
        UseReport(id);
        auto report =
            std::make_unique<SqlReport>(nullptr, QV_GridPrint::PluginContext{m_host.get(), m_host->Prompt()});
        report->set_pGPrint(m_host.get());
        return report;
    }

    std::string CurrentMaster(SqlReport& report) {
        return vb::CStr(report.rsMain()->Fields("fcustname").Value());
    }
};

TEST_P(SqlReportOnDemo, DialogParameterItemsAndTheBindItemFollowTheMasterList) {
    auto report = NewReport(3);
    m_services->answers.push_back({true, {{"fdateto", "2024/2/29"}, {"fregionid", "华东"}}});
    ASSERT_TRUE(report->SetPara());
    // The dialog showed the defaults in qorder order; the region list's default is its value 3.
    EXPECT_EQ(m_services->shownForms,
              std::vector<std::string>{"客户往来账: fdatefrom=2024-01-01 fdateto=2024-03-31 fregionid=3"});
    EXPECT_EQ(report->SetBindField(), "fcustname");
    EXPECT_TRUE(report->IsAutoMove());
    ASSERT_TRUE(report->RPTCalc());
    // The first customer of 华东 by code is C041; the bind item carries its name as value and text.
    const std::vector<std::string> expected = {"2024-01-01/开始日期:2024-01-01",
                                               "2024-02-29/结束日期:2024-02-29", "3/地区:华东",
                                               "上海华联商厦/客户:上海华联商厦"};
    EXPECT_EQ(Items(report->GetPara()), expected);
    EXPECT_EQ(report->rsMain()->RecordCount(), 40) << "8 cities of 华东, 5 customers each";

    // The window moves the master list itself in auto-move mode; the rows and the bind item follow.
    auto rows = report->rs();
    EXPECT_EQ(vb::CStr(rows->Fields("fsummary").Value()), "期初余额");
    const std::string lastBalance = [&] {
        rows->MoveLast();
        return vb::NumberText(vb::CDbl(rows->Fields("fbalance").Value()));
    }();
    // The running balance ends where an independent computation of the customer's account ends.
    EXPECT_EQ(lastBalance, ScalarNumber("SELECT ROUND(" + BalanceSql("2024-02-29") +
                                        ", 2) FROM xs_customer c WHERE c.fcode = 'C041'"));
    report->rsMain()->MoveNext();
    ASSERT_TRUE(report->RPTCalc());
    EXPECT_EQ(Items(report->GetPara()).back(), "上海百货有限公司/客户:上海百货有限公司");
    EXPECT_NE(report->rs(), rows) << "recomputed";
}

TEST_P(SqlReportOnDemo, PluginNavigationStopsAtTheEnds) {
    auto report = NewReport(4); // the same ledger, moved by the plug-in (qautomove 0), region 华南
    ASSERT_TRUE(report->SetPara());
    EXPECT_FALSE(report->IsAutoMove());
    struct Step {
        const char* name;
        bool (SqlReport::*move)();
        const char* customer;
    };
    const Step steps[] = {
        {"next", &SqlReport::MoveNext, "广州百货有限公司"},
        {"last", &SqlReport::MoveLast, "厦门商贸有限公司"},
        {"next past the end", &SqlReport::MoveNext, "厦门商贸有限公司"},
        {"previous", &SqlReport::MovePrev, "厦门食品批发部"},
        {"first", &SqlReport::MoveFirst, "广州华联商厦"},
        {"previous before the start", &SqlReport::MovePrev, "广州华联商厦"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        EXPECT_TRUE(((*report).*step.move)());
        EXPECT_EQ(CurrentMaster(*report), step.customer);
        const std::string key = std::string(step.customer) + "/客户:" + step.customer;
        EXPECT_EQ(Items(report->GetPara()).back(), key);
        // The rows are the shown customer's: its first movement's document belongs to it.
        auto rows = report->rs()->Clone();
        rows->MoveFirst();
        rows->MoveNext();
        const std::string bill = vb::CStr(rows->Fields("fbillno").Value());
        EXPECT_EQ(
            Scalar(
                "SELECT c.fname FROM xs_customer c WHERE c.fcustid IN (SELECT fcustid FROM xs_invoice WHERE "
                "fbillno = '" +
                bill + "' UNION SELECT fcustid FROM xs_receipt WHERE fbillno = '" + bill + "')"),
            step.customer);
    }
}

TEST_P(SqlReportOnDemo, ParameterTextReachesTheDatabaseOnlyAsABoundValue) {
    m_db->Exec("INSERT INTO xs_customer VALUES (900, 'C900', '老王''s 食品店', 3, '上海', '王五', 1000, 0);\n"
               "INSERT INTO xs_invoice VALUES (90000, 'XS-Q', '2024-03-02', 900, '张伟', 1);\n"
               "INSERT INTO xs_invoiceentry VALUES (900000, 90000, 1, 1, 2, 10, 20, 2.6, 15);\n");
    struct Case {
        const char* name;
        const char* text;
        const char* rows;
    };
    const Case cases[] = {
        {"a quote inside the name", "王's 食", "1"},
        {"a statement in the value", "'; DELETE FROM xs_invoice; --", "0"},
        {"a condition that is always true", "' OR '1'='1", "0"},
        {"a parameter marker", ":fdatefrom", "0"},
        {"a question mark", "?", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_host->RememberedParameters().clear();
        auto report = NewReport(2);
        m_services->answers.push_back({true, {{"fcustomer", c.text}}});
        ASSERT_TRUE(report->SetPara());
        ASSERT_TRUE(report->RPTCalc());
        EXPECT_EQ(std::to_string(report->rs()->RecordCount()), c.rows);
        std::string item = c.text;
        item.append("/客户名称含:").append(c.text);
        EXPECT_EQ(Items(report->GetPara())[2], item);
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM xs_invoice"), "8001");
}

TEST_P(SqlReportOnDemo, CancelKeepsNothingAndAcceptedTextsOutliveTheInstance) {
    auto cancelled = NewReport(1);
    m_services->answers.push_back({false, {}});
    EXPECT_FALSE(cancelled->SetPara());

    auto first = NewReport(1);
    m_services->answers.push_back({true, {{"fdatefrom", "2024-02-01"}, {"fregionid", "6"}}});
    ASSERT_TRUE(first->SetPara());
    EXPECT_EQ(m_services->shownForms.back(), "销售汇总: fdatefrom=2024-03-01 fdateto=2024-03-31 fregionid=0")
        << "the cancelled dialog left the defaults";
    ASSERT_TRUE(first->RPTCalc());
    const std::vector<std::string> items = Items(first->GetPara());

    // A re-created instance that is not asked (the window's refetch) computes with the same values.
    auto refetched = NewReport(1);
    ASSERT_TRUE(refetched->RPTCalc());
    EXPECT_EQ(Items(refetched->GetPara()), items);
    EXPECT_EQ(refetched->rs()->RecordCount(), 10) << "the ten customers of 西南";
    // And the next dialog starts from them.
    auto asked = NewReport(1);
    ASSERT_TRUE(asked->SetPara());
    EXPECT_EQ(m_services->shownForms.back(), "销售汇总: fdatefrom=2024-02-01 fdateto=2024-03-31 fregionid=6");
}

// Two host objects in one process, each on its own database that has a report with the same id. The
// texts one accepts must not become the other's defaults: without keeping them per host object, the
// second dialog showed the first host's region 6.
TEST(SqlReportSessions, AcceptedTextsStayWithTheirHostObject) {
    struct Host {
        vondrel::test::TestDatabase db{Backend::Sqlite};
        std::shared_ptr<PromptServices> dialogs = std::make_shared<PromptServices>();
        std::unique_ptr<QV_GridPrint::clsGridPrint> object = MakeHost(dialogs);

        std::unique_ptr<SqlReport> Report() {
            auto rs = ado::Recordset::Create();
            rs->Open("SELECT qrptname, qrptgrpid FROM qv_report WHERE qid = 1", db.Connection());
            object->rptName = vb::CStr(rs->Fields("qrptname").Value());
            object->RptType = vb::CInt(rs->Fields("qrptgrpid").Value());
            auto report = std::make_unique<SqlReport>(
                nullptr, QV_GridPrint::PluginContext{object.get(), dialogs.get()});
            report->set_pGPrint(object.get());
            return report;
        }
    };
    Host first;
    Host second;
    for (Host* host : {&first, &second}) {
        VONDREL_REQUIRE_DATABASE(host->db);
        vondrel::test::LoadDemo(host->db, Backend::Sqlite, /*withDrill*/ false);
        host->object->set_cnn(host->db.Connection());
        vondrel::test::SignInDemoUser(*host->object);
    }
    first.dialogs->answers.push_back({true, {{"fregionid", "6"}}});
    ASSERT_TRUE(first.Report()->SetPara());
    ASSERT_TRUE(second.Report()->SetPara());
    EXPECT_EQ(second.dialogs->shownForms,
              std::vector<std::string>{"销售汇总: fdatefrom=2024-03-01 fdateto=2024-03-31 fregionid=0"});
    // The first host still has its own.
    ASSERT_TRUE(first.Report()->SetPara());
    EXPECT_EQ(first.dialogs->shownForms.back(),
              "销售汇总: fdatefrom=2024-03-01 fdateto=2024-03-31 fregionid=6");
}

TEST_P(SqlReportOnDemo, InvalidInputAndFaultyDefinitionsGiveClearMessages) {
    m_db->Exec(
        "INSERT INTO qv_report (qid, qrptname, qrptgrpid, qfmtfilename, qheadheight, qclsname) VALUES\n"
        "  (90, '无定义', 9, 'x.cll', 900, 'Vondrel.SqlReport'), (91, '类型错', 9, 'x.cll', 900, "
        "'Vondrel.SqlReport'),\n"
        "  (92, '无列表', 9, 'x.cll', 900, 'Vondrel.SqlReport'), (93, '参数错', 9, 'x.cll', 900, "
        "'Vondrel.SqlReport');\n"
        "INSERT INTO qv_sqlreport (qid, qsql) VALUES (91, 'SELECT 1 AS a'), (92, 'SELECT 1 AS a'),\n"
        "  (93, 'SELECT fname FROM xs_customer WHERE fcode = :fcode AND fregionid = :fregion');\n"
        "INSERT INTO qv_sqlreportpara (qid, qorder, qname, qcaption, qtype) VALUES (91, 1, 'x', '金额', "
        "'money'),\n"
        "  (92, 1, 'r', '地区', 'list'), (93, 1, 'fcode', '客户编号', 'text');\n");
    struct Case {
        const char* name;
        int id;
        const char* message;
    };
    const Case cases[] = {
        {"no row in qv_sqlreport", 90, "表 qv_sqlreport 中没有这个报表的定义（qid=90）。"},
        {"unknown type", 91,
         "表 qv_sqlreportpara 的参数类型“money”无效（qid=91，qorder=1），应为 date、int、decimal、text 或 "
         "list。"},
        {"list without query", 92, "列表参数“地区”没有列表查询 qlistsql（qid=92，qorder=1）。"},
        {"query names an undefined parameter", 93,
         "报表查询语句有错误：用到了参数 :fregion，但报表没有定义这个参数"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto report = NewReport(c.id);
        const auto open = [&] {
            report->SetPara();
            report->RPTCalc();
        };
        EXPECT_EQ(vondrel::test::ErrorOf(open).description, c.message);
    }

    // The dialog refuses an impossible date; the scripted one gives up, as a user who cancels.
    auto report = NewReport(1);
    m_services->answers.push_back({true, {{"fdateto", "2024-02-30"}}});
    EXPECT_FALSE(report->SetPara());
    EXPECT_EQ(m_services->problems,
              std::vector<std::string>{"“结束日期”不是有效的日期，请按“年-月-日”输入，例如 2024-03-01。"});
}

// The record view reads like the grid row it came from: the template's captions, the cells' texts.
// Without the template it listed the query's field names with raw values ("fcustname=南京华联商厦
// famount=9865" instead of "客户=南京华联商厦 金额=9,865.00").
TEST_P(SqlReportOnDemo, ShowBillShowsTheRecordAsTheGridShowsItsRow) {
    struct Case {
        const char* name;
        int id;
        const char* templateFile;
        long record;
        const char* expected;
    };
    const Case cases[] = {
        // The third receipt of the period; the amount in the column's "#,##0.00".
        {"one header level", 6, "收款明细.cll", 2,
         "收款明细 - 记录: 日期=2024-03-01 收款单号=SK202400495 客户=南京华联商厦 收款方式=现金 "
         "金额=9,865.00"},
        // Three header levels: a caption merged down over two rows (编号) shows once, and the
        // levels over it lead.
        {"three header levels", 1, "销售汇总.cll", 0,
         "销售汇总 - 记录: 客户·编号=C001 客户·名称=北京华联商厦 客户·地区=华北 本期销售·单数=6 "
         "本期销售·数量=611 本期销售·金额·不含税=51,365.99 本期销售·金额·税额=6,677.57 "
         "本期销售·金额·价税合计=58,043.56 往来款项·本期收款=29,640.00 往来款项·期末应收=75,308.34"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_services->shownRecords.clear();
        auto report = NewReport(c.id);
        ASSERT_TRUE(report->SetPara());
        ASSERT_TRUE(report->RPTCalc());
        // The window hands over the print sheet, then the template its grid is built from.
        sheet::SheetDocument printSheet;
        sheet::SheetDocument templateSheet;
        const std::string path = std::string(VONDREL_SOURCE_DIR) + "/demo/templates/" + c.templateFile;
        ASSERT_GT(printSheet.OpenFile(path), 0);
        ASSERT_GT(templateSheet.OpenFile(path), 0);
        ASSERT_TRUE(report->SetCellFormat(printSheet));
        ASSERT_TRUE(report->SetCellFormat(templateSheet));
        report->rs()->MoveFirst();
        report->rs()->Move(c.record);
        EXPECT_TRUE(report->ShowBill());
        ASSERT_EQ(m_services->shownRecords.size(), 1u);
        EXPECT_EQ(m_services->shownRecords[0], c.expected);
    }
}

// The window asks whether the columns vary and how many columns are fixed before it hands the
// plug-in its host; an instance made through the registry for a host answers from the definition.
TEST_P(SqlReportOnDemo, EarlyQuestionsAnswerFromTheDefinitionOfTheHostsReport) {
    struct Case {
        int colsChange;
        int fixedCols;
    };
    QV_GridPrint::PluginRegistry registry;
    sqlreport::Register(registry, nullptr);
    for (const Case test : {Case{0, 0}, Case{1, 2}, Case{0, 3}}) {
        SCOPED_TRACE(test.fixedCols);
        m_db->Exec("UPDATE qv_sqlreport SET qcolschange = " + std::to_string(test.colsChange) +
                   ", qfixedcols = " + std::to_string(test.fixedCols) + " WHERE qid = 2");
        UseReport(2);
        auto report = registry.Create("vondrel.sqlreport", {m_host.get()});
        ASSERT_NE(report, nullptr);
        EXPECT_EQ(report->IsColsChange(), test.colsChange == 1);
        EXPECT_EQ(report->SetFixedCols(), test.fixedCols);
        EXPECT_EQ(report->pGPrint(), nullptr) << "the host is handed over by the window, later";
    }
    // Without a host (an older caller) the answers stay "no".
    auto unhosted = registry.Create("Vondrel.SqlReport");
    ASSERT_NE(unhosted, nullptr);
    EXPECT_FALSE(unhosted->IsColsChange());
    EXPECT_EQ(unhosted->SetFixedCols(), 0);
}

INSTANTIATE_TEST_SUITE_P(Databases, SqlReportOnDemo, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         vondrel::test::BackendTestName);

} // namespace
} // namespace sqlreport::test
