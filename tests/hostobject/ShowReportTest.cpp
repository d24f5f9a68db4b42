// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The host object's ShowReport against real catalogues (the demo's own schema) on both databases: the
// definition read, the refusal of unusable definitions with its exact message, and the window shown
// once per call with pGPrint set before it loads.
#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "catalogue/ModGridPrint.h"
#include "hostobject/clsGridPrint.h"
#include "support/DbFixture.h"
#include "support/DemoDatabase.h"
#include "support/ScriptedServices.h"

#include <gtest/gtest.h>

using QV_GridPrint::clsGridPrint;
using vondrel::test::Backend;
using vondrel::test::ScriptedServices;
using vondrel::test::TestDatabase;

namespace {

// Ids 1..6: one usable report and every way a definition can be unusable.
constexpr const char* kReports = R"sql(
INSERT INTO qv_rptgrp VALUES (1, '销售报表');
INSERT INTO qv_report (qid, qrptname, qrptgrpid, qfmtfilename, qheadheight, qclsname) VALUES
  (1, '销售日报', 1, '销售日报.cll', 900, 'Vondrel.SqlReport'),
  (2, '无模板', 1, NULL, 0, 'Vondrel.SqlReport'),
  (3, '空模板', 1, '', 0, 'Vondrel.SqlReport'),
  (4, '空格类名', 1, 'a.cll', 0, '   '),
  (5, '无类名', 1, 'a.cll', 0, NULL),
  (6, '库存日报', 2, '库存日报.cll', 300, 'Vondrel.SqlReport');
)sql";

// Records what the host object did to its window.
struct WindowLog {
    int created = 0;
    int shown = 0;
    std::vector<std::string> loadedReports; // rptName as the window saw it when it loaded
};

class RecordingWindow final : public QV_GridPrint::ReportWindow {
public:
    explicit RecordingWindow(WindowLog& log) : m_log(log) { ++m_log.created; }
    void SetHost(clsGridPrint& host) override { m_host = &host; }
    void ShowModal() override {
        ++m_log.shown;
        // The window's load step reads the definition through pGPrint; it must be set by now.
        m_log.loadedReports.push_back(m_host ? m_host->rptName : "<pGPrint not set>");
    }

private:
    WindowLog& m_log;
    clsGridPrint* m_host = nullptr;
};

class ShowReport : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        m_db = std::make_unique<TestDatabase>(GetParam());
        VONDREL_REQUIRE_DATABASE(*m_db);
        m_db->Exec(
            vondrel::test::ReadSource("demo/" + vondrel::test::EngineOf(GetParam()) + "/01-catalogue.sql"));
        m_db->Exec(kReports);
    }

    std::unique_ptr<clsGridPrint> NewHost() {
        auto host = std::make_unique<clsGridPrint>(m_services);
        host->set_cnn(m_db->Connection());
        host->SetReportWindowFactory([this] { return std::make_unique<RecordingWindow>(m_windows); });
        return host;
    }

    std::vector<std::string> MessageTexts() {
        std::vector<std::string> texts;
        for (const ui::Message& message : m_services->TakeMessages()) {
            EXPECT_EQ(message.title, "") << "shown with the default title";
            EXPECT_EQ(message.buttons, ui::Buttons::Ok);
            texts.push_back(message.text);
        }
        return texts;
    }

    std::shared_ptr<ScriptedServices> m_services = std::make_shared<ScriptedServices>();
    std::unique_ptr<TestDatabase> m_db;
    WindowLog m_windows;
};

const std::vector<std::string> kRefused = {"报表参数设置有错误，请查看qv_REPORT表中的对应字段内容！"};

TEST_P(ShowReport, UsableDefinitionIsReadAndShownModally) {
    auto host = NewHost();
    EXPECT_TRUE(host->ShowReport(1));
    EXPECT_EQ(host->rptName, "销售日报");
    EXPECT_EQ(host->FmtFileName, "销售日报.cll");
    EXPECT_EQ(host->ClsName, "Vondrel.SqlReport");
    EXPECT_EQ(host->HeadHeight, 900);
    EXPECT_EQ(host->RptType, 1);
    EXPECT_TRUE(host->mOK);
    EXPECT_EQ(QV_GridPrint::modGridPrint::RptID, 1);
    EXPECT_EQ(m_windows.shown, 1);
    EXPECT_EQ(m_windows.loadedReports, std::vector<std::string>{"销售日报"});
    EXPECT_TRUE(MessageTexts().empty());
}

TEST_P(ShowReport, UnusableDefinitionsAreRefusedWithoutAWindow) {
    struct Case {
        const char* name;
        std::int16_t id;
    };
    const Case cases[] = {
        {"NULL template", 2},   {"empty template", 3},           {"class name of spaces", 4},
        {"NULL class name", 5}, {"id not in the catalogue", 99}, {"negative id", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto host = NewHost();
        EXPECT_FALSE(host->ShowReport(c.id));
        EXPECT_EQ(MessageTexts(), kRefused);
    }
    EXPECT_EQ(m_windows.created, 0);
}

TEST_P(ShowReport, UnknownIdOnAReusedHostDoesNotShowThePreviousReportAgain) {
    auto host = NewHost();
    ASSERT_TRUE(host->ShowReport(1));
    // Without the mend the variables still held report 1 and its window opened a second time.
    EXPECT_FALSE(host->ShowReport(77));
    EXPECT_EQ(MessageTexts(), kRefused);
    EXPECT_EQ(m_windows.shown, 1);
}

TEST_P(ShowReport, EachCallLoadsAFreshWindowWithTheDefinitionOfThatCall) {
    auto host = NewHost();
    EXPECT_TRUE(host->ShowReport(1));
    EXPECT_TRUE(host->ShowReport(6));
    EXPECT_TRUE(host->ShowReport(1));
    EXPECT_EQ(m_windows.created, 3);
    EXPECT_EQ(m_windows.loadedReports, (std::vector<std::string>{"销售日报", "库存日报", "销售日报"}));
    EXPECT_EQ(host->RptType, 1) << "the last call's definition stays";
    EXPECT_EQ(QV_GridPrint::modGridPrint::RptID, 1);
}

TEST_P(ShowReport, BrokenConnectionOrCatalogueIsRefusedNotThrown) {
    auto noConnection = std::make_unique<clsGridPrint>(m_services);
    EXPECT_FALSE(noConnection->ShowReport(1));
    EXPECT_EQ(MessageTexts(), kRefused);

    m_db->Exec("DROP TABLE qv_report");
    auto host = NewHost();
    EXPECT_FALSE(host->ShowReport(1));
    EXPECT_EQ(MessageTexts(), kRefused);
    EXPECT_EQ(m_windows.created, 0);
}

INSTANTIATE_TEST_SUITE_P(Databases, ShowReport, ::testing::ValuesIn(vondrel::test::kAllBackends),
                         vondrel::test::BackendTestName);

TEST(HostObject, LoginRecordIsCreatedOnFirstReadAndWithoutAWindowFactoryNothingOpens) {
    auto services = std::make_shared<ScriptedServices>();
    clsGridPrint host(services);
    const auto login = host.rsLogin();
    ASSERT_NE(login, nullptr) << "reading rsLogin before it was set gives an empty recordset";
    EXPECT_EQ(login->State(), ado::adStateClosed);
    EXPECT_EQ(host.rsLogin(), login) << "the same record on every read";
}

} // namespace
