// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The demo report in the real window, as a user prints it: the parameter line drawn on the title
// band, and the print sheet rebuilt from the grid paginated into PDF and PNG pages that are read
// back with poppler (the repeated header, the page line with its page count and date, the footer).
#include "DemoWindow.h"
#include "controls/sheet/qt/SheetPrinter.h"
#include "support/PdfText.h"
#include "vb/DateTime.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

#include <QDialog>
#include <QImage>
#include <QToolBar>

namespace {

using vondrel::test::CountOf;
using vondrel::test::DemoWindow;

// Pixels of the banner's light text colour inside a rectangle of the window image.
int LightPixels(const QImage& image, const QRect& box) {
    int count = 0;
    for (int y = box.top(); y <= box.bottom() && y < image.height(); ++y) {
        for (int x = box.left(); x <= box.right() && x < image.width(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            count += colour.red() > 200 && colour.green() > 200 && colour.blue() > 200 ? 1 : 0;
        }
    }
    return count;
}

std::shared_ptr<ado::Recordset> Login() {
    auto rs = ado::Recordset::Create();
    rs->AppendField("FUsername", ado::adVarWChar, 20);
    rs->AppendField("FAcctName", ado::adVarWChar, 40);
    rs->AppendField("Flogindate", ado::adDate);
    rs->Open();
    rs->AddNew();
    rs->Fields("FUsername").SetValue(vb::Variant("张三"));
    rs->Fields("FAcctName").SetValue(vb::Variant("演示账套"));
    rs->Fields("Flogindate").SetValue(vb::Variant(vb::MakeDate({2024, 3, 5, 0, 0, 0})));
    return rs;
}

TEST(PrintPagesWindow, DemoReportPrintsItsHeaderAndPageLineOnEveryPage) {
    DemoWindow demo("SELECT finterid, fdate, fcustomer, fproduct, fqty, fprice, famount, fpaid FROM xs_sales "
                    "WHERE fdate BETWEEN '2024-03-01' AND '2024-03-31' ORDER BY fdate, finterid LIMIT 45");
    demo.script.fixedCols = 0;
    demo.script.params = {"2024-03-01/开始日期:2024-03-01", "2024-03-31/结束日期:2024-03-31",
                          "华北/地区:华北", "001/业务员:王芳", "RMB/币种:人民币"};
    demo.host.set_rsLogin(Login());

    const std::string out = VONDREL_TEST_OUTPUT_DIR;
    QImage window;
    int bandOffset = 0; // window pixels of inner-area position 0 as the band draws it
    std::vector<QV_GridPrint::ParaLabel> labels;
    sheet::SheetDocument printed;
    demo.window.SetShownObserver([&](QV_GridPrint::GridPrintWindow& shown) {
        QV_GridPrint::frmGridPrint& logic = *shown.Logic();
        shown.Dialog()->resize(1100, 700);
        window = shown.Dialog()->grab().toImage();
        bandOffset = shown.Dialog()->findChild<QToolBar*>()->height() - 40;
        labels = logic.lbpara;
        logic.SetTodayProvider([] { return vb::MakeDate({2024, 3, 5, 0, 0, 0}); });
        logic.SetCellDataFromVSF();
        printed = logic.PrintSheet();
        shown.Dialog()->close();
    });
    demo.window.ShowModal();
    EXPECT_TRUE(demo.services->TakeMessages().empty());

    // The parameter line: five labels, the first three in one column, the other two to its right, drawn
    // light on the dark banner where the logic placed them (twips / 15 = pixels), below the toolbar.
    ASSERT_EQ(labels.size(), 5U);
    ASSERT_FALSE(window.isNull());
    window.save(QString::fromStdString(out + "/report-window-parameters.png"));
    for (const QV_GridPrint::ParaLabel& label : labels) {
        SCOPED_TRACE(label.caption);
        const QRect box(label.leftTwips / 15, label.topTwips / 15 + bandOffset, label.widthTwips / 15,
                        label.heightTwips / 15);
        EXPECT_GT(LightPixels(window, box), 20) << "the caption is drawn";
    }
    EXPECT_EQ(LightPixels(window, QRect(9250 / 15, 1150 / 15 + bandOffset, 3000 / 15, 230 / 15)), 0)
        << "no sixth label in the second column";

    // Forty-five sales on A4 landscape take three pages; each repeats the title and header rows.
    ASSERT_EQ(sheet::qt::PageCount(printed), 3);
    ASSERT_TRUE(printed.SaveFile(out + "/demo-print-sheet.cll"));
    ASSERT_TRUE(printed.ExportExcel(out + "/demo-print-sheet.xls")) << printed.LastError().ToString();
    std::string error;
    const std::string pdf = out + "/demo-print-sheet.pdf";
    ASSERT_TRUE(sheet::qt::ExportPdf(printed, pdf, error)) << error;
    for (int page = 1; page <= 3; ++page) {
        SCOPED_TRACE(page);
        ASSERT_TRUE(sheet::qt::RenderPagePng(printed, page, 72,
                                             out + "/demo-print-page" + std::to_string(page) + ".png", error))
            << error;
        const std::string text = vondrel::test::PdfPageText(pdf, page, true);
        EXPECT_EQ(CountOf(text, "销售日报"), 1U);
        EXPECT_EQ(CountOf(text, "结束日期:2024-03-31"), 1U) << "the title field &P1";
        EXPECT_EQ(CountOf(text, "销售情况"), 1U) << "the header repeats";
        EXPECT_EQ(CountOf(text, "第" + std::to_string(page) + "页共3页"), 1U);
        EXPECT_EQ(CountOf(text, "Qovira有限公司"), 1U);
        EXPECT_EQ(CountOf(text, "2024年3月5日"), 1U);
        EXPECT_EQ(CountOf(text, "制表人："), page == 3 ? 1U : 0U)
            << "the footer rows follow the last data row";
        EXPECT_EQ(CountOf(text, "start"), 0U);
    }
}

} // namespace
