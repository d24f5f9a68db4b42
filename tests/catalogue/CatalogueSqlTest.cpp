// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "catalogue/CatalogueSql.h"

#include "catalogue/ModGridPrint.h"
#include "support/RaisedError.h"
#include "support/ScriptedServices.h"
#include "vb/Error.h"

#include <gtest/gtest.h>

namespace {

using namespace QV_GridPrint::catalogue;

TEST(CatalogueSql, StatementsKeepTheirFixedTextsAndWriteValuesSafely) {
    struct Case {
        const char* name;
        std::string actual;
        const char* expected;
    };
    const Case cases[] = {
        {"host look-up", SelectReportById(12), "select * from qv_report where qid=12"},
        {"negative id", SelectReportById(-3), "select * from qv_report where qid=-3"},
        {"drill look-up", SelectReportByIdForDrill(7), "SELECT * FROM QV_REPORT WHERE qid=7"},
        {"by group and name", SelectReportByGroupAndName(2, "销售日报"),
         "select * from qv_report where qrptgrpid=2 and qrptname='销售日报'"},
        {"a quote in a report name stays data", SelectReportByGroupAndName(2, "O'Neil's 报表"),
         "select * from qv_report where qrptgrpid=2 and qrptname='O''Neil''s 报表'"},
        {"names of a group", SelectReportNamesOfGroup(4),
         "SELECT qrptname FROM qv_REPORT WHERE qRPTGRPID=4 ORDER BY qRPTNAME "},
        {"group", SelectGroup(4), "select * from qv_rptgrp where qrptgrpid=4"},
        {"links of a parent", SelectDrillLinksOfParent(1), "select * from qv_rptdetail where qrptparentid=1"},
        {"links of a child", SelectDrillLinksOfChild(2), "select * from qv_rptdetail where qrptchildid=2"},
        {"parameter count", CountReportParameters(2), "select count(*) from qv_rptpara where qid=2"},
        {"caption gate", SelectOverridesOfColumn(3, 5),
         "select * from QV_RptChangeColFormat where frptid=3 and fcol=5"},
        {"user's overrides", SelectOverridesOfUser(vb::Variant(vb::Currency{70000}), 3),
         "select * from qv_rptchangecolformat where fuserid=7 and frptid=3 order by fcol"},
        {"user id given as numeric text", SelectOverridesOfUserColumn(vb::Variant("12"), 4, 3),
         "select * from QV_RptChangeColFormat where fuserid=12 and fcol=4 and frptid=3"},
        {"new row: whole width without a decimal point",
         InsertFixedColumnOverride(vb::Variant(7), 3, 2, 1, 3, 80.0, "产品,规格"),
         "insert into QV_RptChangeColFormat(fuserid,fischange,frptid,fcol,fbegrow,fendrow,fwidth,fcaption) "
         "values(7,0,3,2,1,3,80,'产品,规格')"},
        {"new row: width of 15 significant digits, caption quote doubled",
         InsertFixedColumnOverride(vb::Variant(7), 3, 2, 1, 1, 1000.0 / 15, "客户's"),
         "insert into QV_RptChangeColFormat(fuserid,fischange,frptid,fcol,fbegrow,fendrow,fwidth,fcaption) "
         "values(7,0,3,2,1,1,66.6666666666667,'客户''s')"},
        {"width update", UpdateOverrideWidth(96.5, vb::Variant(7), 3, 2),
         "update qv_rptchangecolformat set fwidth=96.5 where fuserid=7 and frptid=3 and fcol=2"},
        {"reset", DeleteOverridesOfReport(3), "delete from QV_RptChangeColFormat where frptid=3"},
        {"caption dialog", UpdateOverrideCaptionAndDecimals(2, "金额'元'", 3, 6),
         "update qv_rptchangecolformat set fdataformat=2,fcaption='金额''元''' where frptid=3 and fcol=6"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.actual, c.expected);
    }
}

TEST(CatalogueSql, AUserIdThatIsNotANumberNeverReachesTheStatement) {
    for (const vb::Variant& userId :
         {vb::Variant("1 or 1=1"), vb::Variant("张三"), vb::Variant(), vb::Variant::Null()}) {
        const vondrel::test::Raised error = vondrel::test::ErrorOf([&] { SelectOverridesOfUser(userId, 3); });
        EXPECT_EQ(error.number, vb::kErrTypeMismatch);
        EXPECT_EQ(error.description.rfind("登录记录的用户号 fuserid必须是数字", 0), 0U) << error.description;
    }
}

TEST(CatalogueSql, ErrorReporterUsesTheSoftwareNoticeTitle) {
    vondrel::test::ScriptedServices services;
    QV_GridPrint::modGridPrint::ShowErrMsg(services,
                                           vb::Error(vb::kErrAdoProvider, "SQL 语句执行失败：no such table"));
    const std::vector<ui::Message> expected = {
        {"SQL 语句执行失败：no such table", "Qovira软件提示", ui::Buttons::Ok, ui::Icon::None}};
    EXPECT_EQ(services.TakeMessages(), expected);
}

} // namespace
