// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The demo templates are made by the template tool from the .xlsx files kept beside them; these tests
// keep the two in step and walk the author's way: import, check, export, edit elsewhere, import again.
#include "app/template/TemplateCheck.h"
#include "controls/sheet/CllFile.h"
#include "controls/sheet/SheetDump.h"
#include "controls/sheet/SheetSamples.h"
#include "controls/sheet/SheetXlsx.h"

#include <gtest/gtest.h>

namespace sheet {
namespace {

const std::string kDemo = std::string(VONDREL_SOURCE_DIR) + "/demo/templates/";

TEST(DemoTemplateTest, CommittedTemplateIsTheImportOfItsWorkbook) {
    SheetDocument imported;
    LoadError error;
    ASSERT_TRUE(ImportXlsx(kDemo + "销售日报.xlsx", imported, error)) << error.ToString();
    test::TempDir dir;
    ASSERT_TRUE(WriteCllFile(imported, dir.File("t.cll"), error));
    EXPECT_EQ(test::ReadFile(dir.File("t.cll")), test::ReadFile(kDemo + "销售日报.cll"))
        << "run: vondrel-template import demo/templates/销售日报.xlsx -o demo/templates/销售日报.cll";
}

TEST(DemoTemplateTest, MergedChineseHeaderSurvivesImportCheckExportImport) {
    // The workbook stands in for one drawn in a spreadsheet program: a different writer (openpyxl)
    // made it, with a three-row merged Chinese header.
    test::TempDir dir;
    bool ok = false;
    const std::string out =
        test::RunPython(dir, test::ReadFile(kDemo + "make_xlsx.py"), dir.Path().string(), ok);
    ASSERT_TRUE(ok) << out;
    SheetDocument first;
    LoadError error;
    ASSERT_TRUE(ImportXlsx(dir.File("销售日报.xlsx"), first, error)) << error.ToString();

    const tmpl::CheckResult check = tmpl::CheckTemplate(first);
    ASSERT_EQ(check.findings.size(), 0u) << tmpl::FormatCheck(check);
    EXPECT_EQ(check.layout.headerFirst, 4);
    EXPECT_EQ(check.layout.headerLast, 6);

    ASSERT_TRUE(ExportXlsx(first, dir.File("edit.xlsx"), error)) << error.ToString();
    SheetDocument second;
    ASSERT_TRUE(ImportXlsx(dir.File("edit.xlsx"), second, error)) << error.ToString();
    EXPECT_EQ(DumpSheet(second, 0, 4, 7, 6), DumpSheet(first, 0, 4, 7, 6));
    EXPECT_EQ(DumpSheet(first, 0, 4, 7, 6),
              "r5 h=24: \"单号\"@1|\"日期\"@1|\"销售情况\"@1|@1|@1|@1|@1|@1\n"
              "r6 h=24: @1|@1|\"客户与商品\"@1|@1|\"数量与金额\"@1|@1|@1|\"收款\"@1\n"
              "r7 h=24: @1|@1|\"客户\"@1|\"商品\"@1|\"数量\"@1|\"单价\"@1|\"金额\"@1|@1\n"
              "@1 宋体 10 b align=36 L1 T1 R1 B1\n"
              "merge A5:A7\nmerge B5:B7\nmerge C5:H5\nmerge C6:D6\nmerge E6:G6\n"
              "merge H6:H7\n");
    EXPECT_EQ(DumpSheet(second), DumpSheet(first));
}

} // namespace
} // namespace sheet
