// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The demo as a user meets it, on both databases: 销售汇总 through the generic plug-in, a double click
// on a customer opens that customer's 销售日报 over the same period, and "返回" brings the summary back.
#include "plugin/PluginRegistry.h"
#include "sqlreport/DemoFixture.h"
#include "viewer/frmGridPrint.h"

namespace {

using vondrel::test::Backend;

class DemoDrillWindow : public sqlreport::test::DemoDatabase {
protected:
    DemoDrillWindow() { m_withDrill = true; }
    void TearDown() override {
        m_window.reset();
        DemoDatabase::TearDown();
    }

    std::vector<std::string> Column(int col) {
        std::vector<std::string> texts;
        grid::GridModel& grid = m_window->Grid();
        for (int row = m_window->iFixedRows; row < grid.GridRowCount() - 1; ++row) {
            texts.push_back(grid.CellTextAt(row, col));
        }
        return texts;
    }

    QV_GridPrint::PluginRegistry m_registry;
    std::unique_ptr<QV_GridPrint::frmGridPrint> m_window;
};

TEST_P(DemoDrillWindow, CustomerOfTheSummaryAndBack) {
    UseReport(1);
    sqlreport::Register(m_registry, nullptr);
    m_window = std::make_unique<QV_GridPrint::frmGridPrint>(*m_host, m_services->scripted,
                                                            m_services->scripted, m_registry);
    m_window->Load();
    ASSERT_TRUE(m_window->bOK);
    const std::vector<std::string> summaryNames = Column(1);
    const std::vector<std::string> period = {m_window->ParaValue[0], m_window->ParaValue[1]};
    ASSERT_GT(summaryNames.size(), 5U);

    const int row = m_window->iFixedRows + 2;
    const std::string customer = m_window->Grid().CellTextAt(row, 1);
    m_window->Grid().UserClick(row, 1);
    m_window->Grid().UserDoubleClick(row, 1);
    EXPECT_EQ(m_window->Caption(), "销售日报");
    EXPECT_EQ(m_window->ParaValue, (std::vector<std::string>{period[0], period[1], customer}));
    EXPECT_EQ(m_window->ParaText.back(), "客户:" + customer);
    const std::vector<std::string> daily = Column(2); // 客户 of each sale
    ASSERT_FALSE(daily.empty());
    for (const std::string& name : daily) {
        EXPECT_NE(name.find(customer), std::string::npos) << name;
    }

    m_window->ToolbarClick("t_return");
    EXPECT_EQ(m_window->Caption(), "销售汇总");
    EXPECT_EQ(Column(1), summaryNames) << "the same customers over the same period";
    EXPECT_TRUE(m_services->scripted.TakeMessages().empty());
}

INSTANTIATE_TEST_SUITE_P(Databases, DemoDrillWindow, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         vondrel::test::BackendTestName);

} // namespace
