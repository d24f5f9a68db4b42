// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "viewer/qt/QtSheetOutput.h"

#include "controls/sheet/SheetDocument.h"
#include "controls/sheet/qt/SheetPrinter.h"
#include "ui/Services.h"
#include "ui/qt/ChineseLocale.h"

#include <algorithm>

#include <QApplication>
#include <QBoxLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>

namespace QV_GridPrint {

namespace {

// Print dialogs are modal over whatever window the user works in (the report window), so they
// centre on it and block it, rather than floating free.
QWidget* DialogParent() {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    return QApplication::activeWindow();
}

} // namespace

int QtSheetOutput::RunDialog(QDialog& dialog) {
    if (m_observer) {
        QTimer::singleShot(0, &dialog, [this, &dialog] { m_observer(&dialog); });
    }
    return dialog.exec();
}

// The dialogs start from the document's own page set-up, so what the user chose before (and what
// the template brought) is what the printer is given.
namespace {
void StartFromDocument(QPrinter& printer, const sheet::SheetDocument& doc) {
    printer.setPageLayout(sheet::qt::PageLayoutOf(doc.GetPageSetup()));
    // The print job's name; a print to a file proposes it as the file name and the PDF takes it as title.
    printer.setDocName(doc.Title().empty() ? QStringLiteral("报表") : QString::fromStdString(doc.Title()));
}
} // namespace

OutputOutcome QtSheetOutput::PrintSheet(const sheet::SheetDocument& doc) {
    const ui::qt::ChineseLocaleScope chinese;
    QPrinter printer(QPrinter::HighResolution);
    StartFromDocument(printer, doc);
    QPrintDialog dialog(&printer, DialogParent());
    dialog.setWindowTitle(QStringLiteral("打印"));
    dialog.setMinMax(1, std::max(1, sheet::qt::PageCount(doc)));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (RunDialog(dialog) != QDialog::Accepted) {
        return {OutputResult::Cancelled, {}};
    }
    ui::BusyScope busy(m_services);
    std::string error;
    if (!sheet::qt::PrintDocument(doc, printer, error)) {
        return {OutputResult::Failed, error};
    }
    return {};
}

OutputOutcome QtSheetOutput::PreviewSheet(const sheet::SheetDocument& doc) {
    const ui::qt::ChineseLocaleScope chinese;
    QPrinter printer(QPrinter::HighResolution);
    StartFromDocument(printer, doc);
    QPrintPreviewDialog dialog(&printer, DialogParent());
    dialog.setWindowTitle(QStringLiteral("打印预览"));
    dialog.setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    // Printing from the preview comes here too, with the printer the user picked in its dialog.
    std::string error;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
        std::string pageError;
        if (!sheet::qt::PrintDocument(doc, *target, pageError)) {
            error = pageError;
        }
    });
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        dialog.resize(screen->availableSize() * 0.85);
    }
    RunDialog(dialog);
    if (!error.empty()) {
        return {OutputResult::Failed, error};
    }
    return {};
}

namespace {

// What the stock page set-up lacks and printed reports need: a scale, or fitting the report to a
// number of pages across (and down; 0 pages down lets it run on). Added under the stock controls.
class ScalingBox final : public QGroupBox {
public:
    ScalingBox(const sheet::PageSetup& setup, QWidget* parent) : QGroupBox(QStringLiteral("缩放"), parent) {
        auto* layout = new QGridLayout(this);
        m_byPercent = new QRadioButton(QStringLiteral("缩放比例"), this);
        m_byPercent->setObjectName("scaleByPercent");
        m_percent = SpinBox("scalePercent", 10, 400, setup.scalePercent);
        m_percent->setSuffix(QStringLiteral("%"));
        m_toPages = new QRadioButton(QStringLiteral("调整为"), this);
        m_toPages->setObjectName("fitToPages");
        const bool isFitting = setup.fitWide > 0 || setup.fitTall > 0;
        m_wide = SpinBox("fitWide", 0, 100, isFitting ? setup.fitWide : 1);
        m_tall = SpinBox("fitTall", 0, 100, isFitting ? setup.fitTall : 0);
        m_tall->setSpecialValueText(QStringLiteral("不限"));
        m_wide->setSpecialValueText(QStringLiteral("不限"));
        layout->addWidget(m_byPercent, 0, 0);
        layout->addWidget(m_percent, 0, 1);
        layout->addWidget(m_toPages, 1, 0);
        layout->addWidget(m_wide, 1, 1);
        layout->addWidget(new QLabel(QStringLiteral("页宽"), this), 1, 2);
        layout->addWidget(m_tall, 1, 3);
        layout->addWidget(new QLabel(QStringLiteral("页高"), this), 1, 4);
        layout->setColumnStretch(5, 1);
        (isFitting ? m_toPages : m_byPercent)->setChecked(true);
    }

    // The set-up with this box's choice; fitting with no pages either way means the scale.
    sheet::PageSetup Apply(sheet::PageSetup setup) const {
        setup.scalePercent = m_percent->value();
        const bool isFitting = m_toPages->isChecked() && (m_wide->value() > 0 || m_tall->value() > 0);
        setup.fitWide = isFitting ? m_wide->value() : 0;
        setup.fitTall = isFitting ? m_tall->value() : 0;
        return setup;
    }

private:
    QSpinBox* SpinBox(const char* name, int low, int high, int value) {
        auto* box = new QSpinBox(this);
        box->setObjectName(name);
        box->setRange(low, high);
        box->setValue(std::clamp(value, low, high));
        return box;
    }

    QRadioButton* m_byPercent;
    QSpinBox* m_percent;
    QRadioButton* m_toPages;
    QSpinBox* m_wide;
    QSpinBox* m_tall;
};

} // namespace

OutputOutcome QtSheetOutput::PageSetupDialog(sheet::SheetDocument& doc) {
    const ui::qt::ChineseLocaleScope chinese;
    QPrinter printer(QPrinter::HighResolution);
    StartFromDocument(printer, doc);
    QPageSetupDialog dialog(&printer, DialogParent());
    dialog.setWindowTitle(QStringLiteral("页面设置"));
    auto* scaling = new ScalingBox(doc.GetPageSetup(), &dialog);
    // Above the dialog's buttons where its layout allows, else at its end.
    if (auto* box = qobject_cast<QBoxLayout*>(dialog.layout()); box && box->count() > 0) {
        box->insertWidget(box->count() - 1, scaling);
    } else if (dialog.layout()) {
        dialog.layout()->addWidget(scaling);
    }
    if (RunDialog(dialog) != QDialog::Accepted) {
        return {OutputResult::Cancelled, {}};
    }
    const sheet::PageSetup chosen =
        scaling->Apply(sheet::qt::PageSetupFrom(printer.pageLayout(), doc.GetPageSetup()));
    if (!doc.SetPageSetup(chosen)) {
        return {OutputResult::Failed, "所选的纸张或页边距无效"};
    }
    return {};
}

} // namespace QV_GridPrint
