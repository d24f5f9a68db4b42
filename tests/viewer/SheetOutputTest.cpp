// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Print, preview and page set-up as users meet them: the stock Qt dialogs (answered by the test the
// moment they show) and a real print queue of a private CUPS server that the test starts itself.
// What reaches the queue is read back from the server's spool with pdftotext.
#include "controls/sheet/SheetDocument.h"
#include "controls/sheet/qt/SheetPrinter.h"
#include "support/Shell.h"
#include "ui/qt/QtServices.h"
#include "viewer/qt/QtSheetOutput.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QRadioButton>
#include <QSpinBox>

namespace {

namespace fs = std::filesystem;

using vondrel::test::RunCommand;

std::string Quoted(const fs::path& path) {
    std::string quoted = "'";
    quoted.append(path.string());
    quoted.append("'");
    return quoted;
}

// A report-like sheet: a merged Chinese title, a header row and enough rows for several pages.
sheet::SheetDocument ReportSheet(int dataRows) {
    sheet::SheetDocument doc;
    EXPECT_TRUE(doc.Resize(4, 2 + dataRows));
    EXPECT_TRUE(doc.SetCellText(0, 0, "销售月报表"));
    EXPECT_TRUE(doc.MergeCells(0, 0, 3, 0));
    const std::array<const char*, 4> header{"日期", "客户", "数量", "金额"};
    for (int c = 0; c < 4; ++c) {
        EXPECT_TRUE(doc.SetCellText(c, 1, header[static_cast<std::size_t>(c)]));
    }
    for (int r = 0; r < dataRows; ++r) {
        EXPECT_TRUE(doc.SetCellText(0, 2 + r, "2024-03-05"));
        EXPECT_TRUE(doc.SetCellText(1, 2 + r, "华东一公司"));
        EXPECT_TRUE(doc.SetCellValue(2, 2 + r, vb::Variant(static_cast<double>(r + 1))));
        EXPECT_TRUE(doc.SetCellValue(3, 2 + r, vb::Variant(1234.5 * (r + 1))));
    }
    EXPECT_TRUE(doc.SetPrintArea(0, 0, 3, 1 + dataRows, 2, 0));
    EXPECT_TRUE(doc.SetPageLine("Qovira有限公司", "第&P页共&S页", "2024年3月5日"));
    return doc;
}

// The private print server, shared by the tests of this file.
class SheetOutput : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (geteuid() != 0) {
            s_startError = "not root";
            return; // the server needs root; the printing tests skip
        }
        s_dir = fs::temp_directory_path() / ("vondrel-cups-" + std::to_string(getpid()));
        const std::string output = RunCommand(
            std::string(VONDREL_SOURCE_DIR "/tests/support/cups-server.sh start ") + Quoted(s_dir) + " 2>&1");
        // The script's last line is the socket; anything before it is the tools' chatter.
        std::string path;
        std::istringstream lines(output);
        for (std::string line; std::getline(lines, line);) {
            if (line.starts_with("/")) {
                path = line;
            }
        }
        if (path.empty() || !fs::exists(path)) {
            s_startError = output;
            return;
        }
        // libcups, and Qt through it, find the server here; set before the first printer query.
        setenv("CUPS_SERVER", path.c_str(), 1);
        s_running = true;
    }
    static void TearDownTestSuite() {
        if (!s_dir.empty()) {
            RunCommand(std::string(VONDREL_SOURCE_DIR "/tests/support/cups-server.sh stop ") + Quoted(s_dir) +
                       " 2>&1");
        }
    }

    // Without CI a machine that cannot run the server (no root, no cups) skips the printing tests.
    static bool ServerMissing() {
        if (s_running) {
            return false;
        }
        // A machine that could run it (root) but did not is a fault CI must see.
        const char* ci = std::getenv("CI");
        if (ci && std::string(ci) == "true" && geteuid() == 0) {
            ADD_FAILURE() << "the test print server did not start: " << s_startError;
        }
        return true;
    }

    // The document of the queue's job number `job` as the application sent it, waited for.
    static fs::path SpooledDocument(int job) {
        char name[32];
        std::snprintf(name, sizeof name, "d%05d-001", job);
        const fs::path file = s_dir / "spool" / name;
        for (int k = 0; k < 200 && !fs::exists(file); ++k) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return file;
    }

    static int JobCount() {
        int jobs = 0;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(s_dir / "spool", ec)) {
            jobs += entry.path().filename().string().starts_with("c") ? 1 : 0;
        }
        return jobs;
    }

    static inline fs::path s_dir;
    static inline bool s_running = false;
    static inline std::string s_startError;
};

TEST_F(SheetOutput, PrintDialogSendsEveryPageToTheChosenQueue) {
    if (ServerMissing()) {
        GTEST_SKIP() << "no test print server (needs root and cups): " << s_startError;
    }
    sheet::SheetDocument doc = ReportSheet(120);
    doc.SetTitle("三月销售");
    const int pages = sheet::qt::PageCount(doc);
    ASSERT_GE(pages, 3) << "the sample must run over several pages";

    ui::qt::QtServices services;
    QV_GridPrint::QtSheetOutput output(services);
    QString printerName;
    QString jobName;
    bool sawPrintDialog = false;
    output.SetDialogObserver([&](QWidget* widget) {
        auto* dialog = qobject_cast<QPrintDialog*>(widget);
        sawPrintDialog = dialog != nullptr;
        if (dialog) {
            printerName = dialog->printer()->printerName();
            jobName = dialog->printer()->docName();
            dialog->grab().save(VONDREL_TEST_OUTPUT_DIR "/print-dialog.png");
            dialog->accept();
        } else if (auto* other = qobject_cast<QDialog*>(widget)) {
            other->reject();
        }
    });
    const int jobsBefore = JobCount();
    const QV_GridPrint::OutputOutcome outcome = output.PrintSheet(doc);

    ASSERT_EQ(outcome.result, QV_GridPrint::OutputResult::Done) << outcome.error;
    EXPECT_TRUE(sawPrintDialog);
    EXPECT_EQ(printerName.toStdString(), "VondrelPDF") << "the default queue is offered";
    const fs::path spooled = SpooledDocument(jobsBefore + 1);
    ASSERT_TRUE(fs::exists(spooled)) << "no job reached the queue";
    const std::string text = RunCommand("pdftotext -layout " + Quoted(spooled) + " - 2>/dev/null");
    for (int page = 1; page <= pages; ++page) {
        std::string line = "第";
        line.append(std::to_string(page)).append("页共").append(std::to_string(pages)).append("页");
        EXPECT_NE(text.find(line), std::string::npos) << "page line of page " << page;
    }
    EXPECT_NE(text.find("销售月报表"), std::string::npos) << "the title, extracted exactly";
    EXPECT_NE(text.find("华东一公司"), std::string::npos);
    const std::string info = RunCommand("pdfinfo " + Quoted(spooled) + " 2>/dev/null");
    const std::size_t at = info.find("Pages:");
    ASSERT_NE(at, std::string::npos) << info;
    EXPECT_EQ(std::atoi(info.c_str() + at + 6), pages) << "every page, once";
    // The job, a print to a file and the PDF go by the report's name; before, every one was "报表".
    EXPECT_EQ(jobName.toStdString(), "三月销售");
    EXPECT_NE(info.find("Title:           三月销售\n"), std::string::npos) << info;
}

TEST_F(SheetOutput, CancelledPrintDialogPrintsNothing) {
    if (ServerMissing()) {
        GTEST_SKIP() << "no test print server (needs root and cups): " << s_startError;
    }
    const sheet::SheetDocument doc = ReportSheet(10);
    ui::qt::QtServices services;
    QV_GridPrint::QtSheetOutput output(services);
    output.SetDialogObserver([](QWidget* widget) {
        if (auto* dialog = qobject_cast<QDialog*>(widget)) {
            dialog->reject();
        }
    });
    const int jobsBefore = JobCount();

    EXPECT_EQ(output.PrintSheet(doc).result, QV_GridPrint::OutputResult::Cancelled);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(JobCount(), jobsBefore);
}

TEST_F(SheetOutput, PreviewShowsThePagesOfTheDocument) {
    const sheet::SheetDocument doc = ReportSheet(120);
    ui::qt::QtServices services;
    QV_GridPrint::QtSheetOutput output(services);
    int previewPages = -1;
    QString title;
    QImage image;
    output.SetDialogObserver([&](QWidget* widget) {
        auto* dialog = qobject_cast<QPrintPreviewDialog*>(widget);
        ASSERT_NE(dialog, nullptr) << "a print preview is shown";
        title = dialog->windowTitle();
        auto* view = dialog->findChild<QPrintPreviewWidget*>();
        ASSERT_NE(view, nullptr);
        QApplication::processEvents();
        previewPages = view->pageCount();
        image = dialog->grab().toImage();
        dialog->close();
    });

    const QV_GridPrint::OutputOutcome outcome = output.PreviewSheet(doc);

    EXPECT_EQ(outcome.result, QV_GridPrint::OutputResult::Done) << outcome.error;
    EXPECT_EQ(title.toStdString(), "打印预览");
    EXPECT_EQ(previewPages, sheet::qt::PageCount(doc));
    ASSERT_FALSE(image.isNull());
    image.save(VONDREL_TEST_OUTPUT_DIR "/print-preview.png");
}

// The page set-up dialog edits the document's set-up; Cancel leaves it as it was.
TEST_F(SheetOutput, PageSetupDialogKeepsTheChoiceInTheDocument) {
    struct Case {
        const char* name;
        bool accept;
        bool expectLandscape;
        QV_GridPrint::OutputResult expect;
    };
    const std::array<Case, 2> cases{{
        {"accepted", true, true, QV_GridPrint::OutputResult::Done},
        {"cancelled", false, false, QV_GridPrint::OutputResult::Cancelled},
    }};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        sheet::SheetDocument doc = ReportSheet(5);
        sheet::PageSetup before = doc.GetPageSetup();
        before.scalePercent = 80;
        ASSERT_TRUE(doc.SetPageSetup(before));
        ui::qt::QtServices services;
        QV_GridPrint::QtSheetOutput output(services);
        QString title;
        output.SetDialogObserver([&](QWidget* widget) {
            auto* dialog = qobject_cast<QPageSetupDialog*>(widget);
            ASSERT_NE(dialog, nullptr) << "a page set-up dialog is shown";
            title = dialog->windowTitle();
            dialog->grab().save(VONDREL_TEST_OUTPUT_DIR "/page-setup-dialog.png");
            if (!test.accept) {
                dialog->reject();
                return;
            }
            auto* landscape = dialog->findChild<QRadioButton*>("landscape");
            ASSERT_NE(landscape, nullptr) << "the dialog offers the orientation";
            landscape->click();
            dialog->accept();
        });

        EXPECT_EQ(output.PageSetupDialog(doc).result, test.expect);
        EXPECT_EQ(title.toStdString(), "页面设置");
        EXPECT_EQ(doc.GetPageSetup().landscape, test.expectLandscape);
        EXPECT_EQ(doc.GetPageSetup().scalePercent, 80) << "what the dialog does not show is kept";
        EXPECT_EQ(doc.GetPageSetup().paper, before.paper);
    }
}

// The stock dialogs are Chinese in a process whose own locale is not (LANG=C, or a host in English):
// the page set-up measures in millimetres and the preview's zoom reads as Chinese. Without switching
// the default while the dialogs are built, an English host got inches ("英寸") in the page set-up.
TEST_F(SheetOutput, StockDialogsAreChineseInAnEnglishProcess) {
    const QLocale hostLocale;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    sheet::SheetDocument doc = ReportSheet(5);
    ui::qt::QtServices services;
    QV_GridPrint::QtSheetOutput output(services);
    QString units;
    QString dialogLocale;
    output.SetDialogObserver([&](QWidget* widget) {
        if (auto* combo = widget->findChild<QComboBox*>("unitCombo")) {
            units = combo->currentText();
        }
        dialogLocale = widget->locale().name();
        static_cast<QDialog*>(widget)->reject();
    });
    output.PageSetupDialog(doc);
    const QString hostAfter = QLocale().name();
    QLocale::setDefault(hostLocale);
    EXPECT_EQ(units.toStdString(), "毫米 (mm)");
    EXPECT_EQ(dialogLocale.toStdString(), "zh_CN");
    EXPECT_EQ(hostAfter.toStdString(), "en_US") << "the process keeps its own locale";
}

// The scaling the stock dialog lacks: a percentage, or fitting to pages wide by tall; the document
// keeps the choice and its pages follow it.
TEST_F(SheetOutput, PageSetupDialogScalesAndFitsToPages) {
    struct Case {
        const char* name;
        std::function<void(QWidget&)> choose;
        int scalePercent, fitWide, fitTall;
        std::function<bool(int pages, int pagesBefore)> pagesOk;
    };
    const auto spin = [](QWidget& dialog, const char* name, int value) {
        auto* box = dialog.findChild<QSpinBox*>(name);
        ASSERT_NE(box, nullptr) << name;
        box->setValue(value);
    };
    const auto radio = [](QWidget& dialog, const char* name) {
        auto* button = dialog.findChild<QRadioButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        button->click();
    };
    const Case cases[] = {
        {"fit to one page",
         [&](QWidget& d) {
             radio(d, "fitToPages");
             spin(d, "fitWide", 1);
             spin(d, "fitTall", 1);
         },
         100, 1, 1,
         [](int pages, int) {
             return pages == 1;
         }},
        {"one page wide, as long as it runs",
         [&](QWidget& d) {
             radio(d, "fitToPages");
             spin(d, "fitWide", 1);
             spin(d, "fitTall", 0);
         },
         100, 1, 0,
         [](int pages, int before) {
             return pages == before;
         }},
        {"half size",
         [&](QWidget& d) {
             radio(d, "scaleByPercent");
             spin(d, "scalePercent", 50);
         },
         50, 0, 0,
         [](int pages, int before) {
             return pages < before;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sheet::SheetDocument doc = ReportSheet(120);
        const int pagesBefore = sheet::qt::PageCount(doc);
        ASSERT_GE(pagesBefore, 3);
        ui::qt::QtServices services;
        QV_GridPrint::QtSheetOutput output(services);
        output.SetDialogObserver([&](QWidget* widget) {
            c.choose(*widget);
            static_cast<QDialog*>(widget)->accept();
        });
        EXPECT_EQ(output.PageSetupDialog(doc).result, QV_GridPrint::OutputResult::Done);
        const sheet::PageSetup setup = doc.GetPageSetup();
        EXPECT_EQ(setup.scalePercent, c.scalePercent);
        EXPECT_EQ(setup.fitWide, c.fitWide);
        EXPECT_EQ(setup.fitTall, c.fitTall);
        const int pages = sheet::qt::PageCount(doc);
        EXPECT_TRUE(c.pagesOk(pages, pagesBefore)) << pages << " pages, " << pagesBefore << " before";
    }
}

} // namespace
