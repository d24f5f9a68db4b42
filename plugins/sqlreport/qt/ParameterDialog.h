// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "plugin/ParameterForm.h"

#include <QDialog>

class QLabel;
class QWidget;

namespace sqlreport::qt {

using QV_GridPrint::ItemText;
using QV_GridPrint::ListItem;
using QV_GridPrint::ParameterField;
using QV_GridPrint::ParameterForm;
using QV_GridPrint::ParaType;

// The parameter dialog: one editor per field of the form (a date picker, a whole-number or decimal
// box, a drop-down list, a line of text), the validation message under them, 确定 and 取消. It holds
// a copy of the form; OK writes the editors into it, validates, and closes only when nothing is wrong.
class ParameterDialog final : public QDialog {
public:
    ParameterDialog(const QString& title, const ParameterForm& form, QWidget* parent = nullptr);

    // The form with the editors' texts; valid when the dialog was accepted.
    const ParameterForm& Form() const { return m_form; }
    // The editor of a field (object name = the parameter name), for tests driving the dialog.
    QWidget* Editor(const std::string& name) const;
    // The validation message shown, "" when none.
    QString Problem() const;

    void accept() override;

private:
    void ReadEditors();

    ParameterForm m_form;
    std::vector<QWidget*> m_editors;
    QLabel* m_problem = nullptr;
};

} // namespace sqlreport::qt
