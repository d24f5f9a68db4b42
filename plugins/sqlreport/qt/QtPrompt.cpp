// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "sqlreport/qt/QtPrompt.h"

#include "sqlreport/qt/ParameterDialog.h"
#include "sqlreport/qt/RecordDialog.h"

#include <QApplication>
#include <QTimer>

namespace sqlreport::qt {

int QtPrompt::Run(QDialog& dialog) {
    // The window shows the busy cursor while it fetches; a dialog waiting for the user must not.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    if (m_shown) {
        QTimer::singleShot(0, &dialog, [this, &dialog] { m_shown(dialog); });
    }
    const int result = dialog.exec();
    QApplication::restoreOverrideCursor();
    return result;
}

bool QtPrompt::AskParameters(const std::string& title, ParameterForm& form) {
    ParameterDialog dialog(QString::fromStdString(title), form, QApplication::activeWindow());
    if (Run(dialog) != QDialog::Accepted) {
        return false;
    }
    form = dialog.Form();
    return true;
}

void QtPrompt::ShowRecord(const std::string& title,
                          const std::vector<std::pair<std::string, std::string>>& fields) {
    RecordDialog dialog(QString::fromStdString(title), fields, QApplication::activeWindow());
    Run(dialog);
}

} // namespace sqlreport::qt
