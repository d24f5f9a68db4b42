// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "PromptServices.h"
#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "catalogue/ModGridPrint.h"
#include "host/LoginRecord.h"
#include "host/clsGridPrint.h"
#include "sqlreport/SqlReport.h"
#include "support/DbFixture.h"
#include "vb/Conversion.h"

#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

namespace sqlreport::test {

inline std::string ReadSource(const std::string& relative) {
    std::ifstream in(std::string(VONDREL_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The whole demo (catalogue, business data, reports) in a fresh database of each engine, a host
// object on it with the demo user (fuserid 1), and scripted dialogs.
class DemoDatabase : public ::testing::TestWithParam<vondrel::test::Backend> {
protected:
    void SetUp() override {
        m_db = std::make_unique<vondrel::test::TestDatabase>(GetParam());
        VONDREL_REQUIRE_DATABASE(*m_db);
        const std::string engine = vondrel::test::EngineOf(GetParam());
        for (const char* script : {"/01-catalogue.sql", "/02-data.sql", "/03-reports.sql"}) {
            m_db->Exec(ReadSource("demo/" + engine + script));
        }
        m_services->scripted.SetApplicationFolder(std::string(VONDREL_SOURCE_DIR) + "/demo/templates");
        m_host = std::make_unique<QV_GridPrint::clsGridPrint>(m_services);
        m_host->set_cnn(m_db->Connection());
        ASSERT_TRUE(m_host->CreateRsLogin("FUsername S20,FAcctName S40,Flogindate D,fuserid N"));
        QV_GridPrint::SetLoginFieldText(*m_host->rsLogin(), "FUsername", "张三");
        QV_GridPrint::SetLoginFieldText(*m_host->rsLogin(), "FAcctName", "演示账套");
        QV_GridPrint::SetLoginFieldText(*m_host->rsLogin(), "Flogindate", "2024-04-01");
        QV_GridPrint::SetLoginFieldText(*m_host->rsLogin(), "fuserid", "1");
        m_host->mMove = true;
        SqlReport::ForgetSessionValues();
        QV_GridPrint::modGridPrint::bMxMode = false;
    }

    void TearDown() override { SqlReport::ForgetSessionValues(); }

    // The host's definition as ShowReport leaves it for report `id`.
    void UseReport(int id) {
        auto rs = Query("SELECT * FROM qv_report WHERE qid = " + std::to_string(id));
        ASSERT_FALSE(rs->IsEOF()) << "no report " << id;
        m_host->rptName = vb::CStr(rs->Fields("qrptname").Value());
        m_host->RptType = vb::CInt(rs->Fields("qrptgrpid").Value());
        m_host->FmtFileName = vb::CStr(rs->Fields("qfmtfilename").Value());
        m_host->ClsName = vb::CStr(rs->Fields("qclsname").Value());
        m_host->HeadHeight = vb::CLng(rs->Fields("qheadheight").Value());
        QV_GridPrint::modGridPrint::RptID = static_cast<std::int16_t>(id);
    }

    std::shared_ptr<ado::Recordset> Query(const std::string& sql) {
        auto rs = ado::Recordset::Create();
        rs->Open(sql, m_db->Connection());
        return rs;
    }

    std::string Scalar(const std::string& sql) {
        auto rs = Query(sql);
        const vb::Variant value = rs->Fields(std::size_t{0}).Value();
        return value.IsNull() ? "NULL" : vb::CStr(value);
    }

    std::string ScalarNumber(const std::string& sql) {
        return vb::NumberText(vb::CDbl(Query(sql)->Fields(std::size_t{0}).Value()));
    }

    std::shared_ptr<PromptServices> m_services = std::make_shared<PromptServices>();
    std::unique_ptr<vondrel::test::TestDatabase> m_db;
    std::unique_ptr<QV_GridPrint::clsGridPrint> m_host;
};

} // namespace sqlreport::test
