// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The demo's drill link on both databases: the link's items name fields of the parent's rows, the
// child has room for them, and the procedures both reports fetch through in that mode give rows —
// the child's only those of the customer clicked.
#include "CatalogueWindow.h"
#include "ado/Command.h"
#include "drill/DrillDown.h"

namespace {

using vondrel::test::Backend;

std::shared_ptr<ado::Recordset> Call(const std::shared_ptr<ado::Connection>& cnn, const std::string& name,
                                     const std::vector<std::string>& values) {
    auto command = ado::Command::Create();
    command->SetActiveConnection(cnn);
    command->CommandText = name;
    command->CommandType = ado::adCmdStoredProc;
    command->Parameters().Refresh();
    for (std::size_t index = 0; index < values.size(); ++index) {
        command->Parameters()(index + 1).Value = vb::Variant(values[index]);
    }
    return command->Execute();
}

class DemoDrill : public ::testing::TestWithParam<Backend> {};

TEST_P(DemoDrill, CustomerOfTheSummaryOpensItsDailySales) {
    vondrel::test::TestDatabase db(GetParam());
    VONDREL_REQUIRE_DATABASE(db);
    const std::string engine = vondrel::test::EngineOf(GetParam());
    for (const char* script : {"01-catalogue", "02-data", "03-reports", "04-drill"}) {
        db.Exec(vondrel::test::ReadSource("demo/" + engine + "/" + script + ".sql"));
    }
    const auto cnn = db.Connection();
    auto link = ado::Recordset::Create();
    link->Open("SELECT r.qstoreproc AS parentproc, c.qstoreproc AS childproc, d.qrptpara, "
               "(SELECT COUNT(*) FROM qv_rptpara p WHERE p.qid = d.qrptchildid) AS n "
               "FROM qv_rptdetail d JOIN qv_report r ON r.qid = d.qrptparentid "
               "JOIN qv_report c ON c.qid = d.qrptchildid WHERE d.qrptparentid = 1",
               cnn);
    ASSERT_FALSE(link->IsEOF());
    const auto items = QV_GridPrint::drill::ParseDrillItems(vb::CStr(link->Fields("qrptpara").Value()));
    ASSERT_EQ(items.size(), 1U);
    EXPECT_EQ(vb::CLng(link->Fields("n").Value()), 3) << "the period kept, then the customer";

    // The summary as the window fetches it after a return: the period and all regions, as text.
    const auto summary =
        Call(cnn, vb::CStr(link->Fields("parentproc").Value()), {"2024-03-01", "2024-03-31", "0"});
    ASSERT_GT(summary->RecordCount(), 10);
    ASSERT_TRUE(summary->HasField(items[0].valueField));
    ASSERT_TRUE(summary->HasField(items[0].textField));
    summary->MoveFirst();
    summary->Move(3);
    const std::string customer = vb::CStr(summary->Fields(items[0].valueField).Value());

    const auto daily =
        Call(cnn, vb::CStr(link->Fields("childproc").Value()), {"2024-03-01", "2024-03-31", customer});
    ASSERT_GT(daily->RecordCount(), 0);
    for (daily->MoveFirst(); !daily->IsEOF(); daily->MoveNext()) {
        EXPECT_NE(vb::CStr(daily->Fields("fcustomer").Value()).find(customer), std::string::npos);
        const std::string date = vb::CStr(daily->Fields("fdate").Value());
        EXPECT_TRUE(date.starts_with("2024-03") || date.starts_with("2024/3") || date.starts_with("2024/03"))
            << date;
    }
}

INSTANTIATE_TEST_SUITE_P(Databases, DemoDrill, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         vondrel::test::BackendTestName);

} // namespace
