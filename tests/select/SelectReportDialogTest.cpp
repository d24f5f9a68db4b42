// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The real report selection dialog under the offscreen platform, over a real catalogue: captions,
// the tree as the user sees it, a choice made with the keyboard, and the close box counting as Cancel.
#include "select/qt/SelectReportDialog.h"

#include "drill/CatalogueWindow.h"
#include "drill/QtTestApplication.h"
#include "select/frmSelectReport.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>

namespace {

using QV_GridPrint::select::frmSelectReport;
using QV_GridPrint::select::SelectReportDialog;

class SelectReportWindow : public vondrel::test::CatalogueWindow {};

QStringList TreeTexts(const QTreeWidget& tree) {
    QStringList texts;
    for (int top = 0; top < tree.topLevelItemCount(); ++top) {
        const QTreeWidgetItem* group = tree.topLevelItem(top);
        texts << group->text(0) + (group->font(0).bold() ? " b" : "");
        for (int child = 0; child < group->childCount(); ++child) {
            texts << "  " + group->child(child)->text(0);
        }
    }
    return texts;
}

TEST_P(SelectReportWindow, ShowsTheGroupAndTakesAKeyboardChoice) {
    frmSelectReport logic(*m_host, *m_services);
    logic.Form_Load();
    SelectReportDialog dialog(logic, m_host->rptName);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("报表选择"));
    EXPECT_EQ(dialog.findChild<QLabel*>("Label1")->text(), QStringLiteral("请选择所需的报表："));
    EXPECT_EQ(dialog.findChild<QTabBar*>("TabStrip1")->tabText(0), QStringLiteral("销售报表"));
    EXPECT_EQ(dialog.findChild<QPushButton*>("cmdOk")->text(), QStringLiteral("确认"));
    EXPECT_EQ(dialog.findChild<QPushButton*>("cmdCancel")->text(), QStringLiteral("取消"));
    QTreeWidget* tree = dialog.Tree();
    // The catalogue's own name order, whatever its collation: the tree follows the grid of the logic.
    QStringList expected{"销售报表 b"};
    for (int row = 1; row < logic.vsf.GridRowCount(); ++row) {
        expected << "  " + QString::fromStdString(logic.vsf.CellTextAt(row, 0));
    }
    EXPECT_EQ(TreeTexts(*tree), expected);
    EXPECT_EQ(expected.size(), 5);
    EXPECT_FALSE(tree->topLevelItem(0)->icon(0).isNull());
    EXPECT_FALSE(tree->topLevelItem(0)->child(0)->icon(0).isNull());
    // The report shown is current when the dialog opens.
    EXPECT_EQ(logic.vsf.CellTextAt(logic.vsf.CursorRow(), 0), "销售汇总");

    const QImage image = dialog.grab().toImage();
    ASSERT_TRUE(image.save(QString(VONDREL_TEST_OUTPUT_DIR) + "/select-report-dialog.png"));

    // Up to the group row and OK: refused, still open. Then down to 客户明细 and Enter.
    tree->setFocus();
    while (tree->currentItem() != tree->topLevelItem(0)) {
        QTest::keyClick(tree, Qt::Key_Up);
    }
    QTest::mouseClick(dialog.findChild<QPushButton*>("cmdOk"), Qt::LeftButton);
    ASSERT_EQ(m_services->TakeMessages().size(), 1U);
    EXPECT_TRUE(dialog.isVisible());
    while (tree->currentItem()->text(0) != QStringLiteral("客户明细")) {
        QTest::keyClick(tree, Qt::Key_Down);
    }
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(m_host->rptName, "客户明细");
    EXPECT_EQ(QV_GridPrint::modGridPrint::RptID, 2);
    EXPECT_TRUE(m_host->mOK);
}

TEST_P(SelectReportWindow, CloseBoxCountsAsCancel) {
    m_host->mOK = true; // as ShowReport leaves it
    frmSelectReport logic(*m_host, *m_services);
    logic.Form_Load();
    SelectReportDialog dialog(logic, m_host->rptName);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClick(dialog.Tree(), Qt::Key_Down);
    dialog.close();
    EXPECT_FALSE(m_host->mOK) << "the window must not rebuild as if a report had been chosen";
    EXPECT_EQ(m_host->rptName, "销售汇总");
    EXPECT_TRUE(m_services->TakeMessages().empty());
}

INSTANTIATE_TEST_SUITE_P(Databases, SelectReportWindow, ::testing::Values(vondrel::test::Backend::Sqlite),
                         vondrel::test::BackendTestName);

} // namespace
