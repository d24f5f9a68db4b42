// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The real report window under the offscreen platform, with a scripted plug-in over a real database:
// shown through the host object as a host would, looked at, and closed from its own toolbar.
#include "viewer/qt/GridPrintWindow.h"

#include "DemoWindow.h"
#include "SalesTemplate.h"
#include "ScriptedReport.h"
#include "hostobject/clsGridPrint.h"
#include "plugin/PluginRegistry.h"
#include "support/DbFixture.h"
#include "support/ScriptedServices.h"
#include "ui/qt/QtServices.h"
#include "viewer/frmGridPrint.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QImage>
#include <QToolBar>

namespace {

using vondrel::test::ReportScript;
using vondrel::test::ScriptedReport;

struct Seen {
    QString caption;
    QStringList toolbar;
    bool selectorVisible = false;
    QString selectorText;
    int selectorEntries = 0;
    QImage image;
};

TEST(GridPrintWindow, ShowsTheReportAndClosesFromItsToolbar) {
    ui::qt::EnsureApplication();
    vondrel::test::TestDatabase db(vondrel::test::Backend::Sqlite);
    db.Exec(vondrel::test::kSalesSql);
    db.Exec("CREATE TABLE qv_report (qid SMALLINT, qrptname VARCHAR(100), qrptgrpid SMALLINT, qfmtfilename "
            "VARCHAR(200),"
            " qheadheight INTEGER, qclsname VARCHAR(100));"
            "INSERT INTO qv_report VALUES (1, '销售日报', 1, 'sales.cll', 1500, 'Test.Window');");

    std::vector<std::string> log;
    ReportScript script;
    script.bindField = "name";
    script.autoMove = true;
    QV_GridPrint::PluginRegistry registry;
    registry.Register("Test.Window", [&] { return std::make_unique<ScriptedReport>(script, log); });

    auto services = std::make_shared<vondrel::test::ScriptedServices>();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("vondrel-window-qt-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    vondrel::test::WriteSalesTemplate(folder / "sales.cll");
    services->SetApplicationFolder(folder);
    QV_GridPrint::clsGridPrint host(services);
    host.set_cnn(db.Connection());
    host.let_MoveBotton(true);
    Seen seen;
    host.SetReportWindowFactory([&] {
        auto window = std::make_unique<QV_GridPrint::GridPrintWindow>(registry);
        window->SetShownObserver([&seen](QV_GridPrint::GridPrintWindow& shown) {
            QDialog* dialog = shown.Dialog();
            seen.caption = dialog->windowTitle();
            for (QAction* action : dialog->findChild<QToolBar*>()->actions()) {
                if (!action->isSeparator()) {
                    seen.toolbar << action->text() + (action->isEnabled() ? "" : "-");
                }
            }
            const auto* selector = dialog->findChild<QComboBox*>("TL1");
            seen.selectorVisible = selector->isVisible();
            seen.selectorText = selector->currentText();
            seen.selectorEntries = selector->count();
            seen.image = dialog->grab().toImage();
            // The user leaves with the toolbar's own button.
            for (QAction* action : dialog->findChild<QToolBar*>()->actions()) {
                if (action->objectName() == "exit") {
                    action->trigger();
                }
            }
        });
        return window;
    });

    EXPECT_TRUE(host.ShowReport(1));

    EXPECT_EQ(seen.caption.toStdString(), "销售日报");
    EXPECT_EQ(seen.toolbar.join(' ').toStdString(),
              "打印 预览 设置 纸张 第一 向前 向后 最后 重取 选表 导出 返回 列标题 重设 退出");
    EXPECT_TRUE(seen.selectorVisible);
    EXPECT_EQ(seen.selectorEntries, 3) << "one entry per master record";
    EXPECT_FALSE(seen.selectorText.isEmpty());
    ASSERT_FALSE(seen.image.isNull());
    seen.image.save(VONDREL_TEST_OUTPUT_DIR "/report-window.png");
    EXPECT_TRUE(services->TakeMessages().empty());
    std::filesystem::remove_all(folder);
}

// The demo's 销售日报 template (drawn in a spreadsheet, imported with vondrel-template) over the demo
// data: three merged header rows, formats, blank zeros, sums and a balance, flagged rows.
TEST(GridPrintWindow, DemoReportWithItsTemplate) {
    // Records flagged by the data: every seventh as 0 (checked), every eleventh as -1 (voided).
    vondrel::test::DemoWindow demo(
        "SELECT CASE WHEN finterid % 7 = 0 THEN 0 WHEN finterid % 11 = 0 THEN -1 ELSE finterid END "
        "AS finterid, fdate, fcustomer, fproduct, fqty, fprice, famount, fpaid FROM xs_sales "
        "ORDER BY fdate, finterid LIMIT 14");
    int headerRows = -1;
    int totalsRow = -1;
    QImage image;
    demo.window.SetShownObserver([&](QV_GridPrint::GridPrintWindow& shown) {
        headerRows = shown.Logic()->iFixedRows;
        totalsRow = shown.Logic()->Grid().TotalsRow();
        shown.Dialog()->resize(1100, 800);
        image = shown.Dialog()->grab().toImage();
        shown.Dialog()->close();
    });
    demo.window.ShowModal();
    EXPECT_EQ(headerRows, 3);
    EXPECT_EQ(totalsRow, 3 + 14) << "the totals row follows the fourteen records";
    ASSERT_FALSE(image.isNull());
    image.save(VONDREL_TEST_OUTPUT_DIR "/demo-report.png");
    EXPECT_TRUE(demo.services->TakeMessages().empty());
}

} // namespace
