// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "sqlreport/qt/ParameterDialog.h"

#include "ui/qt/ChineseLocale.h"
#include "vb/Conversion.h"
#include "vb/DateTime.h"

#include <algorithm>
#include <limits>

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace sqlreport::qt {
namespace {

QString ToQt(const std::string& text) {
    return QString::fromStdString(text);
}

// A date box that takes a whole date typed over its selected text: "2024-03-15", "2024/3/5",
// "2024.03.15" or "20240315". Qt's box edits one section at a time; typed over the selection, the
// digits went into the year and each separator jumped a section, so "2024-03-15" gave 2024-12-03.
// Once a digit replaces the whole text, the keys are collected here and the date is taken on Enter,
// Tab, a click elsewhere or any other key; a text that is no date leaves the date as it was, and
// Esc gives up the typing without closing the dialog.
class DateBox final : public QDateEdit {
public:
    using QDateEdit::QDateEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const QString key = event->text();
        const bool isDigit = key.size() == 1 && key[0].isDigit();
        const bool isSeparator = key == "-" || key == "/" || key == ".";
        if (!m_isTyping && isDigit && !lineEdit()->text().isEmpty() &&
            lineEdit()->selectedText() == lineEdit()->text()) {
            m_isTyping = true;
            m_typed.clear();
            m_before = date();
        }
        if (m_isTyping) {
            if (isDigit || isSeparator || event->key() == Qt::Key_Backspace) {
                if (event->key() == Qt::Key_Backspace) {
                    m_typed.chop(1);
                } else {
                    m_typed += key;
                }
                ShowText(m_typed);
                return;
            }
            if (event->key() == Qt::Key_Escape) {
                m_isTyping = false;
                setDate(m_before);
                ShowText(date().toString(displayFormat()));
                event->accept();
                return;
            }
            TakeTyped();
        }
        QDateEdit::keyPressEvent(event);
    }

    void focusOutEvent(QFocusEvent* event) override {
        if (m_isTyping) {
            TakeTyped();
        }
        QDateEdit::focusOutEvent(event);
    }

private:
    // The box's own text handling is kept out while the typed text is not yet a date.
    void ShowText(const QString& text) {
        const QSignalBlocker blocker(lineEdit());
        lineEdit()->setText(text);
    }

    void TakeTyped() {
        m_isTyping = false;
        std::string text = m_typed.toStdString();
        std::replace(text.begin(), text.end(), '.', '-');
        if (text.size() == 8 &&
            std::all_of(text.begin(), text.end(), [](char ch) { return ch >= '0' && ch <= '9'; })) {
            text = text.substr(0, 4) + "-" + text.substr(4, 2) + "-" + text.substr(6, 2);
        }
        // The box may have read a date from the text on the way (a day too many shows as the month's
        // last): the typed text alone decides, and the date before the typing is kept otherwise.
        const auto typed = vb::TryParseDate(text);
        setDate(typed && vb::Year(*typed) >= 1000
                    ? QDate(vb::Year(*typed), vb::Month(*typed), vb::Day(*typed))
                    : m_before);
        ShowText(date().toString(displayFormat()));
    }

    bool m_isTyping = false;
    QString m_typed;
    QDate m_before;
};

// Number boxes are wide enough for money amounts with grouping; the form still checks the text.
constexpr double kDecimalLimit = 1e13;

QWidget* MakeEditor(const ParameterField& field, QWidget* parent) {
    switch (field.type) {
    case ParaType::Date: {
        auto* edit = new DateBox(parent);
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
    ui::qt::UseChineseLocale(*this); // the date boxes' calendars too, whatever the process's locale
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
