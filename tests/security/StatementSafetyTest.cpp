// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The catalogue statements that carry user or catalogue text, run on every database with text built
// to break out of a literal: the text must arrive in the row exactly as typed and nothing else may
// change. On PostgreSQL a backslash before the quote would escape it if the server read literals the
// old way, so the cases carry backslashes too.
#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "catalogue/CatalogueSql.h"
#include "support/DbFixture.h"
#include "vb/Conversion.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

using vondrel::test::Backend;
using vondrel::test::TestDatabase;
namespace catalogue = QV_GridPrint::catalogue;

constexpr const char* kSchema = R"sql(
CREATE TABLE qv_report (qid SMALLINT NOT NULL PRIMARY KEY, qrptname VARCHAR(100) NOT NULL,
  qrptgrpid SMALLINT NOT NULL);
INSERT INTO qv_report VALUES (3, 'O''Neil''s 报表', 2);
CREATE TABLE QV_RptChangeColFormat (fuserid INTEGER NOT NULL, fischange INTEGER NOT NULL DEFAULT 0,
  frptid SMALLINT NOT NULL, fcol INTEGER NOT NULL, fbegrow SMALLINT, fendrow SMALLINT,
  fwidth DOUBLE PRECISION, fcaption VARCHAR(200), fdatafield VARCHAR(50), fistotal INTEGER,
  fdatatype INTEGER, fdataformat INTEGER)
)sql";

long CountRows(ado::Connection& cnn, const std::string& table) {
    const auto rs = cnn.Execute("select count(*) from " + table);
    return vb::CLng(rs->Fields(std::size_t{0}).Value());
}

class StatementSafetyTest : public ::testing::TestWithParam<Backend> {};

TEST_P(StatementSafetyTest, HostileTextsArriveVerbatimAndChangeNothingElse) {
    TestDatabase db(GetParam());
    VONDREL_REQUIRE_DATABASE(db);
    db.Exec(kSchema);
    ado::Connection& cnn = *db.Connection();
    const std::string texts[] = {
        "x'); DELETE FROM qv_report; --",
        "a\\'; DROP TABLE qv_report; --",
        "' OR ''='",
        "金额'元'\\",
        "/* 注释 */ ;; %_ \"双引号\" `反引号`",
        "\\",
    };
    long col = 0;
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        ++col;
        // The column-width save writes the caption of a new row; the caption dialog rewrites it.
        cnn.Execute(catalogue::InsertFixedColumnOverride(vb::Variant(7), 3, col, 1, 2, 80.5, text));
        auto rs = cnn.Execute(catalogue::SelectOverridesOfUserColumn(vb::Variant(7), col, 3));
        ASSERT_FALSE(rs->IsEOF());
        EXPECT_EQ(vb::CStr(rs->Fields("fcaption").Value()), text);
        const std::string changed = text + "'改";
        cnn.Execute(catalogue::UpdateOverrideCaptionAndDecimals(2, changed, 3, col));
        rs = cnn.Execute(catalogue::SelectOverridesOfUserColumn(vb::Variant(7), col, 3));
        ASSERT_FALSE(rs->IsEOF());
        EXPECT_EQ(vb::CStr(rs->Fields("fcaption").Value()), changed);
        EXPECT_EQ(vb::CLng(rs->Fields("fdataformat").Value()), 2);
        // A report name from the selection list matches only itself.
        EXPECT_TRUE(cnn.Execute(catalogue::SelectReportByGroupAndName(2, text))->IsEOF());
    }
    EXPECT_FALSE(cnn.Execute(catalogue::SelectReportByGroupAndName(2, "O'Neil's 报表"))->IsEOF());
    EXPECT_EQ(CountRows(cnn, "qv_report"), 1);
    EXPECT_EQ(CountRows(cnn, "QV_RptChangeColFormat"), col) << "one row per caption, no more";
}

INSTANTIATE_TEST_SUITE_P(Databases, StatementSafetyTest, ::testing::ValuesIn(vondrel::test::kAllBackends),
                         vondrel::test::BackendTestName);

} // namespace
