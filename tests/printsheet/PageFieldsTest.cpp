// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Page fields against real sheet documents: what each field key prints, the title fields and the
// blanked "start" marker, the footer rows copied below the data, and the parameter line's labels.
#include "printsheet/PageFields.h"

#include "DemoReport.h"
#include "ado/Recordset.h"
#include "controls/sheet/SheetDocument.h"
#include "controls/sheet/SheetDump.h"
#include "vb/DateTime.h"

#include <array>
#include <gtest/gtest.h>
#include <optional>

namespace {

using QV_GridPrint::FieldText;
using QV_GridPrint::LoginFields;
using QV_GridPrint::PageFieldValues;
using QV_GridPrint::ParaLabel;

std::shared_ptr<ado::Recordset> LoginRecord(const vb::Variant& user, const vb::Variant& acct,
                                            const vb::Variant& date) {
    auto rs = ado::Recordset::Create();
    rs->AppendField("FUsername", ado::adVarWChar, 20);
    rs->AppendField("FAcctName", ado::adVarWChar, 40);
    rs->AppendField("Flogindate", ado::adDate);
    rs->AppendField("fuserid", ado::adInteger);
    rs->Open();
    rs->AddNew();
    rs->Fields("FUsername").SetValue(user);
    rs->Fields("FAcctName").SetValue(acct);
    rs->Fields("Flogindate").SetValue(date);
    rs->Fields("fuserid").SetValue(vb::Variant(1));
    return rs;
}

PageFieldValues ThreeParameters() {
    const auto login = LoginRecord(vb::Variant("张三"), vb::Variant::Null(),
                                   vb::Variant(vb::MakeDate({2024, 3, 5, 0, 0, 0})));
    return {{"开始日期:2024-03-01", "结束日期:2024-03-31", "客户:北京华联商厦"},
            QV_GridPrint::ReadLoginFields(login.get())};
}

TEST(PageFields, KeysPrintParametersLoginFieldsOrTheCellsOwnText) {
    struct Case {
        const char* name;
        const char* cell;
        const char* printed;
    };
    // Parameters are 0-based: &P1 is the second one.
    const Case cases[] = {
        {"numeric key", "&P1", "结束日期:2024-03-31"},
        {"lower-case p and a blank before the number", "&p 1", "结束日期:2024-03-31"},
        {"leading zero", "&P01", "结束日期:2024-03-31"},
        {"blanks on both sides", "&P  2  ", "客户:北京华联商厦"},
        {"first parameter", "&P0", "开始日期:2024-03-01"},
        {"a half rounds to the even 0", "&P0.5", "开始日期:2024-03-01"},
        {"1.5 rounds to the even 2", "&P1.5", "客户:北京华联商厦"},
        {"2.5 rounds to the even 2", "&P2.5", "客户:北京华联商厦"},
        {"thousands separator read as a number (1,0 is 10): out of range", "&P1,0", "&P1,0"},
        {"past the last parameter: the cell's own text", "&P3", "&P3"},
        {"negative: its own text", "&P-1", "&P-1"},
        {"huge number does not wrap into a valid index", "&P1E300", "&P1E300"},
        {"user name", "&PUSER", "张三"},
        {"keys are upper-cased and trimmed", "&p user ", "张三"},
        {"a Null account prints as empty text", "&PACCT", ""},
        {"login date as the date's text", "&PDATE", "2024-03-05"},
        {"unknown key: its own text", "&PX", "&PX"},
        {"no key at all", "&P", "&P"},
        {"not a field cell: another letter", "&Q1", "&Q1"},
        {"not a field cell: text before the marker", "页码&P1", "页码&P1"},
    };
    const PageFieldValues values = ThreeParameters();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FieldText(c.cell, values), c.printed);
    }
}

TEST(PageFields, LoginFieldsTheHostDidNotProvidePrintEmpty) {
    struct Case {
        const char* name;
        std::shared_ptr<ado::Recordset> record;
        const char* user;
        const char* acct;
    };
    auto withoutAccount = ado::Recordset::Create();
    withoutAccount->AppendField("FUsername", ado::adVarWChar, 20);
    withoutAccount->Open();
    withoutAccount->AddNew();
    withoutAccount->Fields("FUsername").SetValue(vb::Variant("李四"));
    auto emptyRecord = ado::Recordset::Create();
    emptyRecord->AppendField("FUsername", ado::adVarWChar, 20);
    emptyRecord->Open();
    const Case cases[] = {
        {"no login record", nullptr, "", ""},
        {"a closed record", ado::Recordset::Create(), "", ""},
        {"an open record without rows", emptyRecord, "", ""},
        {"a record without the account field", withoutAccount, "李四", ""},
        {"Null user and date", LoginRecord(vb::Variant::Null(), vb::Variant("演示账套"), vb::Variant::Null()),
         "", "演示账套"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PageFieldValues values{{}, QV_GridPrint::ReadLoginFields(c.record.get())};
        EXPECT_EQ(FieldText("&PUSER", values), c.user);
        EXPECT_EQ(FieldText("&PACCT", values), c.acct);
        EXPECT_EQ(FieldText("&PDATE", values), "");
    }
}

TEST(PageFields, TitleFieldsAreFilledAndTheStartMarkerBlanked) {
    sheet::SheetDocument cll;
    ASSERT_EQ(cll.OpenFile(vondrel::test::kDemoTemplate), 1) << cll.LastError().ToString();
    sheet::SheetDocument clldata(cll);
    // Marker in capitals and a field in a title row's second column; neither is in the demo template.
    ASSERT_TRUE(cll.SetCellText(5, 1, "START") && clldata.SetCellText(5, 1, "START"));
    ASSERT_TRUE(cll.SetCellText(1, 3, "&PUSER"));
    QV_GridPrint::SetCellPara(cll, clldata, 4, ThreeParameters());
    // Row 2 held "&P1" in A and "单位：元" in G; row 3 the "start" marker, blanked but keeping its style;
    // the header (row 5 on) is not touched.
    EXPECT_EQ(sheet::DumpSheet(clldata, 0, 0, 7, 3), "r1 h=36: \"销售日报\"@1\n"
                                                     "r2: \"结束日期:2024-03-31\"@2||||||\"单位：元\"@3\n"
                                                     "r3: @4\n"
                                                     "r4 h=8: |\"张三\"\n"
                                                     "@1 黑体 18 b align=36\n"
                                                     "@2 宋体 10 align=33\n"
                                                     "@3 宋体 10 align=32\n"
                                                     "@4 Calibri 11 align=1\n"
                                                     "merge A1:H1\n"
                                                     "merge A2:D2\n");
    EXPECT_EQ(sheet::DumpSheet(clldata, 0, 4, 7, 12), sheet::DumpSheet(cll, 0, 4, 7, 12));
}

TEST(PageFields, FooterRowsWithFieldsAreCopiedWholeInTemplateOrder) {
    // Template: header markers, then footer rows after the totals-flag row (row 4):
    //   5 plain text only   6 field and plain texts, merged, styled   7 plain   8 two fields   9 empty
    sheet::SheetDocument cll;
    ASSERT_TRUE(cll.Resize(4, 10));
    ASSERT_TRUE(cll.SetCellText(0, 0, "start") && cll.SetCellText(0, 3, "end"));
    ASSERT_TRUE(cll.SetCellText(0, 4, "合计") && cll.SetCellText(2, 4, "y"));
    ASSERT_TRUE(cll.SetCellText(0, 5, "备注：本行不打印"));
    ASSERT_TRUE(cll.SetCellText(0, 6, "制表人：") && cll.SetCellText(1, 6, "&PUSER") &&
                cll.SetCellText(3, 6, "审核："));
    ASSERT_TRUE(cll.MergeCells(1, 6, 2, 6) && cll.SetCellFont(1, 6, 12, 1, "楷体") &&
                cll.SetRowHeight(6, 30));
    ASSERT_TRUE(cll.SetCellText(0, 7, "第二个备注"));
    ASSERT_TRUE(cll.SetCellText(0, 8, "&P0") && cll.SetCellText(3, 8, "&PDATE"));
    sheet::SheetDocument clldata;
    ASSERT_TRUE(clldata.Resize(4, 2));
    ASSERT_TRUE(clldata.SetCellText(0, 1, "数据"));

    QV_GridPrint::SetCellDownPara(cll, clldata, 1, ThreeParameters());
    // Row 3 keeps its height, merge and fonts; unstyled cells show no style.
    EXPECT_EQ(sheet::DumpSheet(clldata, 0, 0, 3, clldata.SheetRowCount() - 1),
              "r2: \"数据\"\n"
              "r3 h=30: \"制表人：\"|\"张三\"@1||\"审核：\"\n"
              "r4: \"开始日期:2024-03-01\"|||\"2024-03-05\"\n"
              "@1 楷体 12 b\n"
              "merge B3:C3\n");
    EXPECT_EQ(clldata.SheetRowCount(), 4) << "two footer rows with fields, appended in template order";
    EXPECT_TRUE(clldata.CheckConsistency());
}

// The parameter line: labels in two columns, flowing around the record selector of a bound report.
TEST(PageFields, ParameterLabelsStandInTwoColumnsAroundTheRecordSelector) {
    // Without the rule the fourth label stood at 9250, 650, under the selector of a bound report.
    const QV_GridPrint::TwipsRect selector{8400, 720, 3000, 375};
    struct Case {
        const char* name;
        std::optional<QV_GridPrint::TwipsRect> selector;
        std::size_t labels;
        std::vector<std::array<int, 3>> expected; // left, top, width of each label
    } const cases[] = {
        // Three in the first column, the rest in the second, 250 twips apart.
        {"no selector",
         std::nullopt,
         7,
         {{6000, 650, 3000},
          {6000, 900, 3000},
          {6000, 1150, 3000},
          {9250, 650, 3000},
          {9250, 900, 3000},
          {9250, 1150, 3000},
          {9250, 1400, 3000}}},
        {"the first column ends at the selector, the fourth label goes below it",
         selector,
         4,
         {{6000, 650, 2400}, {6000, 900, 2400}, {6000, 1150, 3000}, {9250, 1095, 3000}}},
        {"the second column moves down as a whole",
         selector,
         6,
         {{6000, 650, 2400},
          {6000, 900, 2400},
          {6000, 1150, 3000},
          {9250, 1095, 3000},
          {9250, 1345, 3000},
          {9250, 1595, 3000}}},
        {"a selector clear of the labels moves none",
         QV_GridPrint::TwipsRect{0, 0, 3000, 375},
         4,
         {{6000, 650, 3000}, {6000, 900, 3000}, {6000, 1150, 3000}, {9250, 650, 3000}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> captions;
        for (std::size_t k = 0; k < c.labels; ++k) {
            captions.push_back("地区" + std::to_string(k) + ":全部地区");
        }
        std::vector<ParaLabel> lbpara(1);
        QV_GridPrint::LayoutParaLabels(captions, lbpara, c.selector);
        ASSERT_EQ(lbpara.size(), c.expected.size());
        for (std::size_t k = 0; k < lbpara.size(); ++k) {
            SCOPED_TRACE(k);
            EXPECT_EQ(lbpara[k].caption, captions[k]);
            EXPECT_EQ(lbpara[k].leftTwips, c.expected[k][0]);
            EXPECT_EQ(lbpara[k].topTwips, c.expected[k][1]);
            EXPECT_EQ(lbpara[k].widthTwips, c.expected[k][2]);
            EXPECT_EQ(lbpara[k].heightTwips, 230);
            EXPECT_EQ(lbpara[k].colour, 0x80000005L) << "the window-background system colour";
            EXPECT_TRUE(lbpara[k].isVisible);
        }
    }
    // A later fetch with fewer parameters removes the labels it no longer needs; one without any keeps
    // label 0 but blank, never showing the previous report's parameter.
    std::vector<ParaLabel> lbpara(1);
    QV_GridPrint::LayoutParaLabels({"一", "二", "三"}, lbpara);
    QV_GridPrint::LayoutParaLabels({"甲", "乙"}, lbpara);
    ASSERT_EQ(lbpara.size(), 2U);
    EXPECT_EQ(lbpara[1].caption, "乙");
    QV_GridPrint::LayoutParaLabels({}, lbpara);
    ASSERT_EQ(lbpara.size(), 1U);
    EXPECT_EQ(lbpara[0].caption, "");
}

} // namespace
