// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "sqlreport/qt/ParameterDialog.h"

#include "vb/Conversion.h"
#include "vb/DateTime.h"

#include <limits>

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace sqlreport::qt {
namespace {

QString ToQt(const std::string& text) {
    return QString::fromStdString(text);
}

// Number boxes are wide enough for money amounts with grouping; the form still checks the text.
constexpr double kDecimalLimit = 1e13;

QWidget* MakeEditor(const ParameterField& field, QWidget* parent) {
    switch (field.type) {
    case ParaType::Date: {
        auto* edit = new QDateEdit(parent);
        edit->setCalendarPopup(true);
        edit->setDisplayFormat("yyyy-MM-dd");
        const auto date = vb::TryParseDate(field.text);
        edit->setDate(date ? QDate(vb::Year(*date), vb::Month(*date), vb::Day(*date)) : QDate::currentDate());
        return edit;
    }
    case ParaType::Int: {
        auto* box = new QSpinBox(parent);
        // No grouping: whole-number parameters are years, counts and codes more often than amounts.
        box->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
        box->setValue(static_cast<int>(vb::TryParseNumber(field.text).value_or(0)));
        return box;
    }
    case ParaType::Decimal: {
        auto* box = new QDoubleSpinBox(parent);
        box->setRange(-kDecimalLimit, kDecimalLimit);
        box->setDecimals(2);
        box->setGroupSeparatorShown(true);
        box->setValue(vb::TryParseNumber(field.text).value_or(0));
        return box;
    }
    case ParaType::List: {
        auto* combo = new QComboBox(parent);
        for (const ListItem& item : field.items) {
            combo->addItem(ToQt(item.text), ToQt(ItemText(item.value)));
        }
        const int index = combo->findData(ToQt(field.text));
        combo->setCurrentIndex(index >= 0 ? index : 0);
        return combo;
    }
    case ParaType::Text:
        break;
    }
    auto* line = new QLineEdit(ToQt(field.text), parent);
    line->setMinimumWidth(200);
    return line;
}

std::string EditorText(const ParameterField& field, QWidget* editor) {
    switch (field.type) {
    case ParaType::Date:
        return static_cast<QDateEdit*>(editor)->date().toString("yyyy-MM-dd").toStdString();
    case ParaType::Int:
        return std::to_string(static_cast<QSpinBox*>(editor)->value());
    case ParaType::Decimal:
        return vb::NumberText(static_cast<QDoubleSpinBox*>(editor)->value());
    case ParaType::List:
        return static_cast<QComboBox*>(editor)->currentData().toString().toStdString();
    case ParaType::Text:
        break;
    }
    return static_cast<QLineEdit*>(editor)->text().toStdString();
}

} // namespace

ParameterDialog::ParameterDialog(const QString& title, const ParameterForm& form, QWidget* parent)
    : QDialog(parent), m_form(form) {
    setWindowTitle(title + "：报表参数");
    setMinimumWidth(340);
    auto* layout = new QVBoxLayout(this);
    auto* fields = new QFormLayout;
    for (const ParameterField& field : m_form.fields) {
        QWidget* editor = MakeEditor(field, this);
        editor->setObjectName(ToQt(field.name));
        fields->addRow(ToQt(field.caption) + "：", editor);
        m_editors.push_back(editor);
    }
    layout->addLayout(fields);
    m_problem = new QLabel(this);
    m_problem->setObjectName("problem");
    m_problem->setStyleSheet("color: #c00000;");
    m_problem->setWordWrap(true);
    m_problem->hide();
    layout->addWidget(m_problem);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText("确定");
    buttons->button(QDialogButtonBox::Cancel)->setText("取消");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QWidget* ParameterDialog::Editor(const std::string& name) const {
    for (std::size_t index = 0; index < m_form.fields.size(); ++index) {
        if (m_form.fields[index].name == name) {
            return m_editors[index];
        }
    }
    return nullptr;
}

QString ParameterDialog::Problem() const {
    return m_problem->isVisible() || !m_problem->text().isEmpty() ? m_problem->text() : QString();
}

void ParameterDialog::ReadEditors() {
    for (std::size_t index = 0; index < m_form.fields.size(); ++index) {
        m_form.fields[index].text = EditorText(m_form.fields[index], m_editors[index]);
    }
}

void ParameterDialog::accept() {
    ReadEditors();
    if (const auto problem = m_form.Validate()) {
        m_problem->setText(ToQt(problem->message));
        m_problem->show();
        m_editors[problem->field]->setFocus();
        return;
    }
    m_problem->clear();
    m_problem->hide();
    QDialog::accept();
}

} // namespace sqlreport::qt
