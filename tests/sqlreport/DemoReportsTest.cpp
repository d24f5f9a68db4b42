// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The demo's reports opened in the report window's logic with their real templates, on both engines:
// the merged header, formats, blank zeros, the hidden column, totals and balances checked against
// independent queries, flagged rows, the master list in both navigation modes, the monthly variable
// columns; and the plug-in library itself, loaded from the component's plugins/ folder.
#include "DemoFixture.h"
#include "controls/grid/GridDump.h"
#include "controls/sheet/CllFile.h"
#include "controls/sheet/SheetDump.h"
#include "controls/sheet/SheetXlsx.h"
#include "plugin/PluginRegistry.h"
#include "vb/Format.h"
#include "viewer/frmGridPrint.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace sqlreport::test {
namespace {

using grid::test::DumpGrid;
using vondrel::test::Backend;

class DemoReports : public DemoDatabase {
protected:
    QV_GridPrint::frmGridPrint& Open(int id) {
        UseReport(id);
        if (!m_registry.Has(kProgId)) {
            Register(m_registry, nullptr);
        }
        m_window = std::make_unique<QV_GridPrint::frmGridPrint>(*m_host, m_services->scripted,
                                                                m_services->scripted, m_registry);
        m_window->Load();
        EXPECT_TRUE(m_window->bOK);
        return *m_window;
    }

    std::string Row(int row) { return DumpGrid(m_window->Grid(), row, row); }
    int LastRow() { return m_window->Grid().GridRowCount() - 1; }
    static constexpr const char* kMoney = "#,##0.00";
    std::string Money(const std::string& sql) {
        return vb::Format(vb::Variant(vb::CDbl(Query(sql)->Fields(std::size_t{0}).Value())), kMoney);
    }

    void TearDown() override {
        m_window.reset();
        EXPECT_TRUE(m_services->scripted.TakeMessages().empty());
        DemoDatabase::TearDown();
    }

    QV_GridPrint::PluginRegistry m_registry;
    std::unique_ptr<QV_GridPrint::frmGridPrint> m_window;
};

TEST_P(DemoReports, SalesSummaryHeaderFormatsHiddenColumnAndTotals) {
    auto& window = Open(1);
    // Three merged header rows; 毛利 (fprofit) is not in the data, so its column is hidden (holding the
    // data's first field, as every column without a field of its own does).
    EXPECT_EQ(DumpGrid(window.Grid(), 0, 3),
              "r0: 客户|<|<|本期销售|<|<|<|<|往来款项|<|~毛利\n"
              "r1: 编号|名称|地区|单数|数量|金额|<|<|本期收款|期末应收|^\n"
              "r2: ^|^|^|^|^|不含税|税额|价税合计|^|^|^\n"
              "r3: C001|北京华联商厦|华北|6|611|51,365.99|6,677.57|58,043.56|29,640.00|75,308.34|~C001\n");
    EXPECT_TRUE(window.Grid().ColHiddenFlag(10));
    EXPECT_EQ(window.ParaText,
              (std::vector<std::string>{"开始日期:2024-03-01", "结束日期:2024-03-31", "地区:全部地区"}));
    // 120 customers and the totals row; its sums agree with the database's own.
    EXPECT_EQ(LastRow(), 3 + 120);
    const std::string period = "i.fstatus <> 2 AND i.fdate BETWEEN '2024-03-01' AND '2024-03-31'";
    const auto sum = [&](const std::string& lines, const char* format) {
        const std::string sql =
            "SELECT SUM(" + lines +
            ") FROM xs_invoice i JOIN xs_invoiceentry e ON e.finterid = i.finterid WHERE " + period;
        return vb::Format(vb::Variant(vb::CDbl(Query(sql)->Fields(std::size_t{0}).Value())), format);
    };
    EXPECT_EQ(
        Row(LastRow()),
        "r123: 合计|||" + Scalar("SELECT COUNT(*) FROM xs_invoice i WHERE " + period) + "|" +
            sum("e.fqty", "#,##0") + "|" + sum("e.famount", kMoney) + "|" + sum("e.ftax", kMoney) + "|" +
            sum("e.famount + e.ftax", kMoney) + "|" +
            Money("SELECT SUM(famount) FROM xs_receipt WHERE fdate BETWEEN '2024-03-01' AND '2024-03-31'") +
            "|" +
            Money("SELECT SUM(fopenbal) + (SELECT SUM(e.famount + e.ftax) FROM xs_invoice i JOIN "
                  "xs_invoiceentry e "
                  "ON e.finterid = i.finterid WHERE i.fstatus <> 2 AND i.fdate <= '2024-03-31') - (SELECT "
                  "SUM(famount) FROM xs_receipt WHERE fdate <= '2024-03-31') FROM xs_customer") +
            "|~0\n");
}

TEST_P(DemoReports, SalesSummaryBlanksZerosOfARegionWithoutReceipts) {
    // A customer who bought but paid nothing in the period shows blanks, not zeros, under 本期收款.
    m_db->Exec("DELETE FROM xs_receipt WHERE fcustid = 1");
    Open(1);
    EXPECT_EQ(
        Row(3),
        "r3: C001|北京华联商厦|华北|6|611|51,365.99|6,677.57|58,043.56||" +
            Money(
                "SELECT c.fopenbal + SUM(e.famount + e.ftax) FROM xs_customer c JOIN xs_invoice i ON "
                "i.fcustid = c.fcustid JOIN xs_invoiceentry e ON e.finterid = i.finterid WHERE c.fcustid = 1 "
                "AND i.fstatus <> 2 AND i.fdate <= '2024-03-31' GROUP BY c.fopenbal") +
            "|~C001\n");
}

TEST_P(DemoReports, SalesDailyFlagsUnauditedAndVoidedInvoices) {
    auto& window = Open(2);
    auto expected = Query("SELECT i.fstatus FROM xs_invoiceentry e JOIN xs_invoice i ON i.finterid = "
                          "e.finterid WHERE i.fdate BETWEEN "
                          "'2024-03-01' AND '2024-03-07' ORDER BY i.fdate, i.finterid, e.fseq");
    const int header = window.iFixedRows;
    ASSERT_EQ(LastRow() - header, expected->RecordCount()) << "one row per invoice line and the totals row";
    int yellow = 0;
    int cyan = 0;
    for (int row = header; !expected->IsEOF(); ++row, expected->MoveNext()) {
        const long status = vb::CLng(expected->Fields("fstatus").Value());
        const long colour = vb::CLng(window.Grid().RangeProp(6, row, 0));
        SCOPED_TRACE("row " + std::to_string(row));
        // Not yet audited (flag 0) light yellow, voided (flag -1) light cyan, others uncoloured.
        EXPECT_EQ(colour == 0xC0FFFF, status == 0);
        EXPECT_EQ(colour == 0xFFFFC0, status == 2);
        yellow += status == 0;
        cyan += status == 2;
    }
    EXPECT_GT(yellow, 0);
    EXPECT_GT(cyan, 0) << "the demo week holds both kinds";
}

TEST_P(DemoReports, LedgerStepsThroughCustomersInBothModes) {
    for (const int id : {3, 4}) {
        SCOPED_TRACE(id == 3 ? "the window moves the master list" : "the plug-in moves it");
        m_host->RememberedParameters().clear();
        auto& window = Open(id);
        EXPECT_EQ(window.bAutoMove, id == 3);
        ASSERT_TRUE(window.Selector().isVisible);
        const std::string first = id == 3 ? "上海华联商厦" : "广州华联商厦";
        EXPECT_EQ(window.Selector().text, first);
        EXPECT_EQ(window.ParaText.back(), "客户:" + first);
        window.ToolbarClick("movenext");
        const std::string second = id == 3 ? "上海百货有限公司" : "广州百货有限公司";
        EXPECT_EQ(window.ParaText.back(), "客户:" + second);
        // Only the window's own moves reposition the selector; after the plug-in's it keeps its text.
        EXPECT_EQ(window.Selector().text, id == 3 ? second : first);
        // The grid shows the second customer's account: the balance total is its last running balance.
        const int last = LastRow();
        EXPECT_EQ(window.Grid().CellTextAt(last, 2), "合计");
        EXPECT_EQ(window.Grid().CellTextAt(last, 5), window.Grid().CellTextAt(last - 1, 5));
        EXPECT_EQ(window.Grid().CellTextAt(last, 5),
                  Money("SELECT " + BalanceSql("2024-03-31") + " FROM xs_customer c WHERE c.fname = '" +
                        second + "'"));
        window.ToolbarClick("movelast");
        EXPECT_EQ(window.ParaText.back(), id == 3 ? "客户:合肥商贸有限公司" : "客户:厦门商贸有限公司");
    }
}

TEST_P(DemoReports, MonthlyColumnsComeFromTheColumnProcedure) {
    auto& window = Open(5);
    // User 1's twelve month columns follow 全年合计, under one heading.
    ASSERT_EQ(window.Grid().GridColCount(), 15);
    EXPECT_EQ(window.Grid().CellTextAt(0, 2), "全年合计");
    EXPECT_EQ(window.Grid().CellTextAt(1, 3), "1月");
    EXPECT_EQ(window.Grid().CellTextAt(1, 14), "12月");
    EXPECT_EQ(window.Grid().CellTextAt(0, 14), "各月销售额");
    // The procedure keeps the template's number format (0 decimal places), so the months show their
    // amounts grouped like 全年合计; with 2 the columns showed "706911.48".
    const std::string march = window.Grid().CellTextAt(LastRow(), 5);
    EXPECT_EQ(
        march,
        Money("SELECT SUM(e.famount) FROM xs_invoice i JOIN xs_invoiceentry e ON e.finterid = i.finterid "
              "WHERE i.fstatus <> 2 AND i.fdate BETWEEN '2024-03-01' AND '2024-03-31'"));

    // The reset runs the procedure with the report's parameters and the user: for a year without
    // sales it gives no month at all.
    m_db->Exec("UPDATE qv_sqlreportpara SET qdefault = '2023' WHERE qid = 5 AND qname = 'fyear'");
    m_host->RememberedParameters().clear();
    auto& other = Open(5);
    other.ToolbarClick("t_csgs");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM QV_RptChangeColFormat WHERE frptid = 5 AND fischange = 1"), "0");
    EXPECT_EQ(m_window->Grid().GridColCount(), 3);
    m_db->Exec("UPDATE qv_sqlreportpara SET qdefault = '2024' WHERE qid = 5 AND qname = 'fyear'");
    m_host->RememberedParameters().clear();
    Open(5).ToolbarClick("t_csgs");
    EXPECT_EQ(
        Scalar(
            "SELECT COUNT(*) FROM QV_RptChangeColFormat WHERE frptid = 5 AND fischange = 1 AND fuserid = 1"),
        "12");
    EXPECT_EQ(m_window->Grid().GridColCount(), 15);
}

// The library as the component finds it: copied into <folder>/plugins, loaded by the window, given
// this process's dialogs across the library boundary.
TEST_P(DemoReports, PluginLibraryFromTheComponentFolder) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("vondrel-sqlreport-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "plugins");
    std::filesystem::copy_file(VONDREL_SQLREPORT_PLUGIN, folder / "plugins" / "libVondrelSqlReport.so");
    std::filesystem::copy_file(std::string(VONDREL_SOURCE_DIR) + "/demo/templates/销售汇总.cll",
                               folder / "销售汇总.cll");
    m_services->scripted.SetApplicationFolder(folder);
    m_services->answers.push_back({true, {{"fregionid", "西南"}}});
    UseReport(1);
    QV_GridPrint::PluginRegistry registry; // nothing built in: only the library provides the ProgID
    m_window = std::make_unique<QV_GridPrint::frmGridPrint>(*m_host, m_services->scripted,
                                                            m_services->scripted, registry);
    m_window->Load();
    EXPECT_TRUE(m_window->bOK);
    EXPECT_EQ(m_services->shownForms.size(), 1u) << "the library found the scripted dialog";
    EXPECT_EQ(m_window->ParaText.back(), "地区:西南");
    EXPECT_EQ(LastRow(), 3 + 10);
    std::filesystem::remove_all(folder);
}

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The print sheet refers to the grid's data rows instead of copying them; every demo report's sheet
// must come out the same as the copied one, cell by cell, and write the same files. Without the
// frame given to the referred rows' column styles their inside lines were missing; without the
// last data row copied, the body's bottom edge fell on every row.
TEST_P(DemoReports, PrintSheetReferringToTheGridEqualsTheCopiedOne) {
    const std::string folder = ::testing::TempDir() + "/refer-" + std::to_string(getpid());
    std::filesystem::create_directories(folder);
    for (const int id : {1, 2, 3, 4, 5, 6}) {
        SCOPED_TRACE("report " + std::to_string(id));
        auto& window = Open(id);
        window.SetCellDataFromVSF(QV_GridPrint::PrintRows::Copied);
        sheet::SheetDocument copied = window.PrintSheet();
        window.SetCellDataFromVSF(QV_GridPrint::PrintRows::Referred);
        const sheet::SheetDocument& referred = window.PrintSheet();
        const int dataRows = window.Grid().GridRowCount() - window.Grid().HeaderRowCount();
        ASSERT_GT(dataRows, 2);
        EXPECT_EQ(copied.ReferredRowCount(), 0);
        EXPECT_EQ(referred.ReferredRowCount(), dataRows - 1) << "every data row but the last is referred";

        ASSERT_EQ(referred.SheetRowCount(), copied.SheetRowCount());
        ASSERT_EQ(referred.SheetColCount(), copied.SheetColCount());
        for (int row = 0; row < copied.SheetRowCount(); ++row) {
            int heightA = 0, heightB = 0;
            referred.GetRowHeight(row, heightA);
            copied.GetRowHeight(row, heightB);
            EXPECT_EQ(heightA, heightB) << "row " << row;
            EXPECT_EQ(referred.StoredColCount(row), copied.StoredColCount(row)) << "row " << row;
            for (int col = 0; col < copied.SheetColCount(); ++col) {
                SCOPED_TRACE("cell " + std::to_string(col) + "," + std::to_string(row));
                EXPECT_EQ(referred.CellValue(col, row), copied.CellValue(col, row));
                EXPECT_EQ(referred.StyleAt(col, row), copied.StyleAt(col, row));
                int a[4] = {}, b[4] = {};
                EXPECT_EQ(referred.GetMergeRange(col, row, a[0], a[1], a[2], a[3]),
                          copied.GetMergeRange(col, row, b[0], b[1], b[2], b[3]));
                EXPECT_TRUE(std::equal(a, a + 4, b));
            }
        }
        EXPECT_EQ(sheet::DumpSheet(referred), sheet::DumpSheet(copied));
        // The writers read the referred rows through the same accessors: the files say the same.
        sheet::LoadError error;
        ASSERT_TRUE(sheet::WriteCllFile(referred, folder + "/referred.cll", error)) << error.ToString();
        ASSERT_TRUE(sheet::WriteCllFile(copied, folder + "/copied.cll", error)) << error.ToString();
        EXPECT_EQ(FileBytes(folder + "/referred.cll"), FileBytes(folder + "/copied.cll"));
        ASSERT_TRUE(sheet::ExportXlsx(referred, folder + "/referred.xlsx", error)) << error.ToString();
        ASSERT_TRUE(sheet::ExportXlsx(copied, folder + "/copied.xlsx", error)) << error.ToString();
        sheet::SheetDocument readA, readB;
        ASSERT_TRUE(sheet::ImportXlsx(folder + "/referred.xlsx", readA, error)) << error.ToString();
        ASSERT_TRUE(sheet::ImportXlsx(folder + "/copied.xlsx", readB, error)) << error.ToString();
        EXPECT_EQ(sheet::DumpSheet(readA), sheet::DumpSheet(readB));
        EXPECT_EQ(referred.ReferredRowCount(), dataRows - 1) << "writing stored no row";
        // The window's own export as .xls (a rebuild that refers, then the writer, whose string table
        // must own its texts) against the copied sheet's.
        // The sheet is named after the file: one name in two folders.
        std::filesystem::create_directories(folder + "/referred");
        std::filesystem::create_directories(folder + "/copied");
        m_services->scripted.ScriptSaveFile(ui::SaveFileChoice{folder + "/referred/报表.xls", 1, true});
        window.ExportReport();
        ASSERT_EQ(window.LastExport(), QV_GridPrint::ExportResult::Written);
        EXPECT_EQ(m_services->scripted.TakeMessages().size(), 1u) << "the message that it was written";
        ASSERT_TRUE(copied.ExportExcel(folder + "/copied/报表.xls")) << copied.LastError().ToString();
        EXPECT_EQ(FileBytes(folder + "/referred/报表.xls"), FileBytes(folder + "/copied/报表.xls"));
    }
    std::filesystem::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(Databases, DemoReports, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         vondrel::test::BackendTestName);

} // namespace
} // namespace sqlreport::test
