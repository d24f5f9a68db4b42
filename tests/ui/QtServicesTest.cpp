// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The real window-system services under the offscreen platform: the message boxes users see, with
// their Chinese texts, titles and buttons, grabbed as images.
#include "ui/qt/QtServices.h"

#include "ado/Connection.h"
#include "hostobject/clsGridPrint.h"
#include "support/DbFixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>

namespace {

// What the observer saw of the dialog before it answered it.
struct SeenBox {
    QString text;
    QString title;
    QStringList buttons;
    QImage image;
};

SeenBox AnswerWithOk(QWidget* dialog) {
    SeenBox seen;
    auto* box = qobject_cast<QMessageBox*>(dialog);
    if (!box) {
        ADD_FAILURE() << "the dialog shown is not a message box";
        return seen;
    }
    seen.text = box->text();
    seen.title = box->windowTitle();
    for (QAbstractButton* button : box->buttons()) {
        seen.buttons << button->text();
    }
    seen.image = box->grab().toImage();
    box->button(QMessageBox::Ok)->click();
    return seen;
}

// Pixels that differ from the top-left (background) pixel: a box with real glyphs has many.
int InkedPixels(const QImage& image) {
    const QRgb background = image.pixel(0, 0);
    int inked = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            inked += image.pixel(x, y) != background ? 1 : 0;
        }
    }
    return inked;
}

TEST(QtServices, RefusedReportShowsARealChineseMessageBox) {
    vondrel::test::TestDatabase db(vondrel::test::Backend::Sqlite);
    db.Exec("CREATE TABLE qv_report (qid SMALLINT, qrptname VARCHAR(100), qrptgrpid SMALLINT, qfmtfilename "
            "VARCHAR(200),"
            " qheadheight INTEGER, qclsname VARCHAR(100));"
            "INSERT INTO qv_report VALUES (9, '缺少模板的报表', 1, NULL, 0, 'Vondrel.SqlReport');");
    auto services = std::make_shared<ui::qt::QtServices>();
    SeenBox seen;
    services->SetDialogObserver([&seen](QWidget* dialog) { seen = AnswerWithOk(dialog); });
    QV_GridPrint::clsGridPrint host(services);
    host.set_cnn(db.Connection());

    EXPECT_FALSE(host.ShowReport(9));

    EXPECT_EQ(seen.text.toStdString(), "报表参数设置有错误，请查看qv_REPORT表中的对应字段内容！");
    EXPECT_EQ(seen.title.toStdString(), "Vondrel") << "the default title";
    EXPECT_EQ(seen.buttons, QStringList{"确定"}) << "one OK button, labelled in Chinese";
    ASSERT_FALSE(seen.image.isNull());
    EXPECT_GT(InkedPixels(seen.image), 500) << "the text was drawn";
    seen.image.save(VONDREL_TEST_OUTPUT_DIR "/refused-report.png");
}

// The save dialog lists each file type's pattern once and starts on the requested type. Before, a label
// that names its pattern got it again: "Excel文件(*.xls) (*.xls)".
TEST(QtServices, SaveDialogListsEachPatternOnce) {
    ui::qt::QtServices services;
    QStringList filters;
    QString selected;
    services.SetDialogObserver([&](QWidget* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        if (!files) {
            ADD_FAILURE() << "the dialog shown is not a file dialog";
            return;
        }
        filters = files->nameFilters();
        selected = files->selectedNameFilter();
        files->reject();
    });
    ui::SaveFileRequest request;
    request.title = "导出报表";
    request.filter = "Excel文件(*.xls)|*.xls|PDF 文件(*.pdf)|*.pdf|文本|*.txt;*.csv";
    request.fileName = "销售日报";
    request.filterIndex = 2;
    EXPECT_FALSE(services.AskSaveFile(request));
    EXPECT_EQ(filters, (QStringList{"Excel文件(*.xls)", "PDF 文件(*.pdf)", "文本 (*.txt *.csv)"}));
    EXPECT_EQ(selected, "PDF 文件(*.pdf)");

    // A name typed without an extension comes back with the chosen type's, so that the dialog's own
    // question about replacing a file asks about the file that will be written.
    const QString folder = QDir::tempPath();
    services.SetDialogObserver([&](QWidget* dialog) {
        if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
            files->selectFile(folder + "/三月");
            QMetaObject::invokeMethod(files, "accept"); // a protected slot, as the Save button runs it
        }
    });
    const std::optional<ui::SaveFileChoice> choice = services.AskSaveFile(request);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->path, (folder + "/三月.pdf").toStdString());
    EXPECT_EQ(choice->filterIndex, 2);
}

TEST(QtServices, BusyCursorNestsAndScreenUnitsFollowTheScreen) {
    ui::qt::QtServices services;
    services.SetBusy(true);
    services.SetBusy(true);
    services.SetBusy(false);
    ASSERT_NE(QApplication::overrideCursor(), nullptr) << "still busy after one of two busy calls ended";
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    services.SetBusy(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    services.SetBusy(false); // one too many must not pop a cursor someone else set
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // The offscreen and Xvfb screens are 96 dpi: 1440 / 96 twips per pixel.
    EXPECT_DOUBLE_EQ(services.TwipsPerPixelX(), 15.0);
    EXPECT_DOUBLE_EQ(services.TwipsPerPixelY(), 15.0);
}

} // namespace
