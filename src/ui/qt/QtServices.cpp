// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "ui/qt/QtServices.h"

#include "ui/qt/ChineseLocale.h"
#include "ui/qt/CjkFonts.h"

#include <algorithm>

#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QTranslator>

namespace ui::qt {
namespace {

QString ToQt(const std::string& text) {
    return QString::fromStdString(text);
}

// "Excel 文件|*.xls|Cell 文件|*.cll" -> "Excel 文件 (*.xls);;Cell 文件 (*.cll)"
QString ToQtFilter(const std::string& filter) {
    const QStringList parts = ToQt(filter).split('|');
    QStringList entries;
    for (qsizetype k = 0; k + 1 < parts.size(); k += 2) {
        // "Excel文件(*.xls)" names its pattern already; Qt reads the patterns from the last brackets.
        const QString patterns = QString(parts[k + 1]).replace(';', ' ');
        entries << (parts[k].endsWith("(" + patterns + ")") ? parts[k] : parts[k] + " (" + patterns + ")");
    }
    return entries.join(";;");
}

QMessageBox::Icon ToQt(Icon icon) {
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQt(Buttons buttons) {
    switch (buttons) {
    case Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Buttons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    case Buttons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

Answer FromQt(int button) {
    switch (button) {
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Retry:
        return Answer::Retry;
    default:
        return Answer::Ok;
    }
}

} // namespace

void EnsureApplication() {
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "vondrel";
        static char* argv[] = {name, nullptr};
        // Never destroyed: at static destruction Qt's post routines would run after parts of Qt Gui
        // (the print and font plug-ins) are gone, and crash the host's exit. The process's end
        // releases it; the pointer keeps it reachable for leak checkers.
        static QApplication* application = new QApplication(argc, argv);
        (void)application;
    }
    InstallCjkFontSubstitutions();
    static bool translated = false;
    if (!translated) {
        translated = true;
        static QTranslator translator;
        if (translator.load(ChineseLocale(), "qtbase", "_",
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(&translator);
        }
    }
}

namespace {

bool IsDisplayConfigured() {
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

std::string EnsureApplicationForExport() {
    if (QCoreApplication* existing = QCoreApplication::instance()) {
        // Fonts and painting need at least a QGuiApplication; a console application has neither.
        if (!qobject_cast<QGuiApplication*>(existing)) {
            return "宿主程序的 Qt 应用程序是 QCoreApplication，不能绘制报表（需要 QGuiApplication 或 "
                   "QApplication）";
        }
    } else if (!IsDisplayConfigured()) {
        // Without a display Qt would abort while starting; an export needs none.
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    EnsureApplication();
    return {};
}

std::string EnsureApplicationForWindows() {
    if (QCoreApplication* existing = QCoreApplication::instance()) {
        if (!qobject_cast<QApplication*>(existing)) {
            return "宿主程序的 Qt 应用程序不是 QApplication，不能显示报表窗口";
        }
        // Widgets live on the thread of the application; made elsewhere they take the host down.
        if (existing->thread() != QThread::currentThread()) {
            return "报表窗口只能在宿主程序的界面线程（创建 QApplication 的线程）中显示";
        }
    } else if (!IsDisplayConfigured()) {
        // Qt would abort the whole host process while starting without a display.
        return "没有可用的图形显示（DISPLAY、WAYLAND_DISPLAY 和 QT_QPA_PLATFORM "
               "都没有设置），不能显示报表窗口";
    }
    EnsureApplication();
    return {};
}

QtServices::QtServices(std::filesystem::path folder) : m_folder(std::move(folder)) {
    EnsureApplication();
    if (m_folder.empty()) {
        m_folder = QCoreApplication::applicationDirPath().toStdString();
    }
}

Answer QtServices::ShowMessage(const Message& message) {
    const ChineseLocaleScope chinese;
    QMessageBox box(ToQt(message.icon),
                    ToQt(message.title.empty() ? std::string(kDefaultTitle) : message.title),
                    ToQt(message.text), ToQt(message.buttons));
    // A busy cursor must not hide the fact that the box waits for the user.
    const bool wasBusy = m_busyDepth > 0;
    if (wasBusy) {
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    if (m_observer) {
        QTimer::singleShot(0, &box, [this, &box] { m_observer(&box); });
    }
    const int answer = box.exec();
    if (wasBusy) {
        QApplication::restoreOverrideCursor();
    }
    return FromQt(answer);
}

std::optional<SaveFileChoice> QtServices::AskSaveFile(const SaveFileRequest& request) {
    const ChineseLocaleScope chinese;
    QFileDialog dialog(nullptr, ToQt(request.title), {}, ToQtFilter(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.selectFile(ToQt(request.fileName));
    const QStringList filters = dialog.nameFilters();
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size()) {
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    }
    // A name typed without an extension gets the chosen type's before the dialog asks whether to
    // replace a file, so the question is about the file that will be written.
    const auto suffixOf = [](const QString& filter) {
        static const QRegularExpression single(QStringLiteral(R"(\(\*\.(\w+)\)$)"));
        const QRegularExpressionMatch match = single.match(filter);
        return match.hasMatch() ? match.captured(1) : QString();
    };
    dialog.setDefaultSuffix(suffixOf(dialog.selectedNameFilter()));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog, suffixOf](const QString& filter) { dialog.setDefaultSuffix(suffixOf(filter)); });
    if (m_observer) {
        QTimer::singleShot(0, &dialog, [this, &dialog] { m_observer(&dialog); });
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    SaveFileChoice choice;
    choice.path = dialog.selectedFiles().front().toStdString();
    choice.filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return choice;
}

void QtServices::SetBusy(bool busy) {
    if (busy) {
        if (m_busyDepth++ == 0) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        }
    } else if (m_busyDepth > 0 && --m_busyDepth == 0) {
        QApplication::restoreOverrideCursor();
    }
}

double QtServices::TwipsPerPixelX() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? 1440.0 / screen->logicalDotsPerInchX() : 15.0;
}

double QtServices::TwipsPerPixelY() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? 1440.0 / screen->logicalDotsPerInchY() : 15.0;
}

std::filesystem::path QtServices::ApplicationFolder() const {
    return m_folder;
}

} // namespace ui::qt
