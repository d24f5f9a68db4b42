// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The report selection dialog's logic on real catalogues (SQLite and PostgreSQL): the tree of the
// group's reports in name order, the choice written into the host object (a name with a quote too),
// the three messages, Cancel, and the window's "open" command around it.
#include "drill/CatalogueWindow.h"
#include "select/frmSelectReport.h"

using QV_GridPrint::select::frmSelectReport;
using vondrel::test::Backend;
using Strings = std::vector<std::string>;

namespace {

// Group 3 has three reports whose names sort alike under every collation.
constexpr const char* kGroupThree = R"sql(
INSERT INTO qv_rptgrp VALUES (3, '月度报表');
INSERT INTO qv_report VALUES (10, 'B月报', 3, 'b.cll', 900, 'Test.B', NULL, NULL, NULL, FALSE, NULL);
INSERT INTO qv_report VALUES (11, 'A日报', 3, 'a.cll', 700, 'Test.A', NULL, NULL, NULL, FALSE, NULL);
INSERT INTO qv_report VALUES (12, 'C''s报表', 3, 'sales.cll', 1500, 'Test.Scripted', NULL, NULL, NULL, FALSE, NULL);
)sql";

class SelectReport : public vondrel::test::CatalogueWindow {
protected:
    void SetUp() override {
        CatalogueWindow::SetUp();
        if (!IsSkipped()) {
            m_db->Exec(kGroupThree);
        }
    }

    // Each tree row as "text L<level> P<picture> h<height>[ b]".
    static Strings Tree(const grid::GridModel& vsf) {
        Strings rows;
        for (int row = 0; row < vsf.GridRowCount(); ++row) {
            std::string line = vsf.CellTextAt(row, 0);
            line.append(" L").append(std::to_string(vsf.RowLevel(row)));
            line.append(" P").append(vb::CStr(vsf.RangeProp(3, row, 0)));
            line.append(" h").append(std::to_string(vsf.RowHeightTwips(row)));
            line.append(vsf.RowIsNode(row) ? "" : " leaf");
            line.append(vb::CBool(vsf.RangeProp(13, row, 0)) ? " b" : "");
            rows.push_back(line);
        }
        return rows;
    }
};

TEST_P(SelectReport, TreeInNameOrderAndAChoiceWithAQuote) {
    m_host->RptType = 3;
    m_host->mOK = false;
    frmSelectReport dialog(*m_host, *m_services);
    dialog.Form_Load();
    EXPECT_EQ(Tree(dialog.vsf), (Strings{"月度报表 L1 P1 h400 b", "A日报 L2 P2 h300", "B月报 L2 P2 h300",
                                         "C's报表 L2 P2 h300"}));
    EXPECT_EQ(dialog.vsf.InertSetting(82), 5);
    EXPECT_EQ(dialog.vsf.InertSetting(41), 0);
    dialog.vsf.SelectRange(3, 0, 3, 0);
    dialog.cmdOk_Click();
    EXPECT_TRUE(dialog.IsClosed());
    EXPECT_TRUE(m_host->mOK);
    EXPECT_EQ(m_host->rptName, "C's报表");
    EXPECT_EQ(m_host->FmtFileName, "sales.cll");
    EXPECT_EQ(m_host->ClsName, "Test.Scripted");
    EXPECT_EQ(m_host->HeadHeight, 1500);
    EXPECT_EQ(QV_GridPrint::modGridPrint::RptID, 12);

    frmSelectReport again(*m_host, *m_services);
    again.Form_Load();
    again.vsf.SelectRange(1, 0, 1, 0);
    again.cmdOk_Click();
    EXPECT_EQ(m_host->rptName, "A日报");
    EXPECT_EQ(m_host->HeadHeight, 700);
    EXPECT_TRUE(Messages().empty());
}

TEST_P(SelectReport, MessagesLeaveTheDialogOpenAndTheDefinitionAlone) {
    const ui::Message choose{"请你所需的选择报表！", "Qovira软件提示", ui::Buttons::Ok};
    const ui::Message refused{"报表参数设置有错误，请查看qv_REPORT表中的对应字段内容！", "", ui::Buttons::Ok};
    struct Case {
        const char* name;
        std::int16_t group;
        int row;          // current row at OK; -1: OK is not pressed
        const char* drop; // a statement run between loading and OK
        ui::Message message;
        int treeRows;
    } const cases[] = {
        {"group that does not exist", 9, -1, "", {"报表类别不存在,按取消键退出！", "", ui::Buttons::Ok}, 0},
        {"the group row", 1, 0, "", choose, 5},
        {"group without reports", 2, 0, "", choose, 1},
        {"report gone since the list was read", 3, 1, "DELETE FROM qv_report WHERE qid = 11", choose, 4},
        {"report without template", 1, -2, "", refused, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_host->RptType = c.group;
        m_host->rptName = "销售汇总";
        m_host->mOK = true;
        QV_GridPrint::modGridPrint::RptID = 1;
        frmSelectReport dialog(*m_host, *m_services);
        dialog.Form_Load();
        EXPECT_EQ(dialog.vsf.GridRowCount(), c.treeRows);
        if (*c.drop) {
            m_db->Exec(c.drop);
        }
        if (c.row != -1) {
            // -2: the row of 空白报表, whose template name is blank.
            int row = c.row;
            for (int r = 0; c.row == -2 && r < dialog.vsf.GridRowCount(); ++r) {
                row = dialog.vsf.CellTextAt(r, 0) == "空白报表" ? r : row;
            }
            dialog.vsf.SelectRange(row, 0, row, 0);
            dialog.cmdOk_Click();
        }
        const std::vector<ui::Message> messages = Messages();
        ASSERT_EQ(messages.size(), 1U);
        EXPECT_EQ(messages[0], c.message);
        EXPECT_FALSE(dialog.IsClosed());
        EXPECT_EQ(m_host->rptName, "销售汇总");
        EXPECT_EQ(QV_GridPrint::modGridPrint::RptID, 1);
    }
}

TEST_P(SelectReport, OpenCommandCancelKeepsTheReportAndAChoiceRebuildsIt) {
    QV_GridPrint::frmGridPrint& window = OpenWindow();
    m_dialogs.onSelectReport = [](frmSelectReport& dialog) {
        dialog.cmdCancel_Click();
    };
    window.ToolbarClick("open");
    EXPECT_EQ(m_dialogs.selectShown, 1);
    EXPECT_FALSE(m_host->mOK);
    EXPECT_TRUE(m_log.empty()) << "cancelled: no rebuild";
    EXPECT_EQ(window.Caption(), "销售汇总");

    m_dialogs.onSelectReport = [](frmSelectReport& dialog) {
        for (int row = 1; row < dialog.vsf.GridRowCount(); ++row) {
            if (dialog.vsf.CellTextAt(row, 0) == "客户明细") {
                dialog.vsf.SelectRange(row, 0, row, 0);
            }
        }
        dialog.cmdOk_Click();
    };
    window.ToolbarClick("open");
    EXPECT_EQ(QV_GridPrint::modGridPrint::RptID, 2);
    EXPECT_EQ(window.Caption(), "客户明细");
    EXPECT_EQ(m_log.front(), "new");
    EXPECT_NE(std::find(m_log.begin(), m_log.end(), "SetPara"), m_log.end()) << "a chosen report asks anew";
    EXPECT_TRUE(Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Databases, SelectReport, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         vondrel::test::BackendTestName);

} // namespace
