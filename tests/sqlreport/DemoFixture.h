// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "PromptServices.h"
#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "catalogue/ModGridPrint.h"
#include "hostobject/LoginRecord.h"
#include "hostobject/clsGridPrint.h"
#include "sqlreport/SqlReport.h"
#include "support/DbFixture.h"
#include "support/DemoDatabase.h"
#include "vb/Conversion.h"

#include <gtest/gtest.h>
#include <memory>

namespace sqlreport::test {

using vondrel::test::ReadSource;

// The whole demo (catalogue, business data, reports, with `m_withDrill` its drill link) in a fresh
// database of the engine the test names, a host object on it with the demo user (fuserid 1), and
// scripted dialogs.
class DemoSession : public ::testing::Test {
protected:
    virtual vondrel::test::Backend DatabaseParam() const = 0;

    void SetUp() override {
        m_db = std::make_unique<vondrel::test::TestDatabase>(DatabaseParam());
        VONDREL_REQUIRE_DATABASE(*m_db);
        vondrel::test::LoadDemo(*m_db, DatabaseParam(), m_withDrill);
        m_services->scripted.SetApplicationFolder(std::string(VONDREL_SOURCE_DIR) + "/demo/templates");
        m_host = MakeHost(m_services);
        m_host->set_cnn(m_db->Connection());
        vondrel::test::SignInDemoUser(*m_host);
        m_host->mMove = true;
        QV_GridPrint::modGridPrint::bMxMode = false;
    }

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

    // Customer c's balance at the end of `day`, computed apart from the reports: the opening balance,
    // plus the invoices not voided, less the receipts.
    static std::string BalanceSql(const std::string& day) {
        return "c.fopenbal + (SELECT SUM(e.famount + e.ftax) FROM xs_invoice i JOIN xs_invoiceentry e ON "
               "e.finterid = i.finterid WHERE i.fcustid = c.fcustid AND i.fstatus <> 2 AND i.fdate <= '" +
               day +
               "') - (SELECT SUM(r.famount) FROM xs_receipt r WHERE r.fcustid = c.fcustid AND r.fdate <= '" +
               day + "')";
    }

    std::string ScalarNumber(const std::string& sql) {
        return vb::NumberText(vb::CDbl(Query(sql)->Fields(std::size_t{0}).Value()));
    }

    bool m_withDrill = false;
    std::shared_ptr<PromptServices> m_services = std::make_shared<PromptServices>();
    std::unique_ptr<vondrel::test::TestDatabase> m_db;
    std::unique_ptr<QV_GridPrint::clsGridPrint> m_host;
};

// The demo on each engine, the test's parameter.
class DemoDatabase : public DemoSession, public ::testing::WithParamInterface<vondrel::test::Backend> {
protected:
    vondrel::test::Backend DatabaseParam() const override { return GetParam(); }
};

} // namespace sqlreport::test
