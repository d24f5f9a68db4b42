// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "columns/qt/ColEditDialog.h"

#include "columns/frmColEdit.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace QV_GridPrint::columns {
namespace {

// Whole numbers 0..top or nothing: a keystroke that would leave the range is refused outright, so
// the box never holds a number the dialog would have to turn down at OK.
class DecimalsValidator final : public QIntValidator {
public:
    DecimalsValidator(int top, QObject* parent) : QIntValidator(0, top, parent) {}
    State validate(QString& input, int& pos) const override {
        if (input.isEmpty()) {
            return Acceptable;
        }
        return QIntValidator::validate(input, pos) == Acceptable ? Acceptable : Invalid;
    }
};

} // namespace

ColEditDialog::ColEditDialog(frmColEdit& logic, QWidget* parent) : QDialog(parent), m_logic(logic) {
    setWindowTitle(QStringLiteral("列属性设置"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* frame = new QGroupBox(this);
    auto* boxes = new QGridLayout(frame);
    m_oldCaption = new QLineEdit(QString::fromStdString(logic.txtOldCaption), frame);
    m_oldCaption->setObjectName("txtOldCaption");
    m_oldCaption->setReadOnly(true);
    m_newCaption = new QLineEdit(QString::fromStdString(logic.txtNewCaption), frame);
    m_newCaption->setObjectName("txtNewCaption");
    m_count = new QLineEdit(frame);
    m_count->setObjectName("tnCount");
    // A whole number of decimal places, or nothing at all (which stores 0).
    m_count->setValidator(new DecimalsValidator(static_cast<int>(frmColEdit::kMaxDecimals), m_count));
    m_count->setAlignment(Qt::AlignRight);
    m_count->setMaximumWidth(80);
    if (logic.tnCount()) {
        m_count->setText(QString::number(*logic.tnCount()));
    }
    const std::pair<const char*, QLineEdit*> rows[] = {
        {"原列标题：", m_oldCaption}, {"新列标题：", m_newCaption}, {"小数位数：", m_count}};
    int row = 0;
    for (const auto& [label, box] : rows) {
        auto* caption = new QLabel(QString::fromUtf8(label), frame);
        caption->setBuddy(box);
        boxes->addWidget(caption, row, 0);
        boxes->addWidget(box, row, 1, Qt::AlignLeft);
        box->setMinimumWidth(box == m_count ? 80 : 240);
        ++row;
    }

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName("cmdOk");
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName("cmdCancel");
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(frame, 1);
    layout->addLayout(buttons);

    setTabOrder(m_newCaption, m_count);
    setTabOrder(m_count, ok);
    setTabOrder(ok, cancel);
    setTabOrder(cancel, m_oldCaption);
    m_newCaption->setFocus();

    connect(ok, &QPushButton::clicked, this, [this] { Ok(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
}

void ColEditDialog::Ok() {
    m_logic.txtNewCaption = m_newCaption->text().toStdString();
    const QString count = m_count->text().trimmed();
    m_logic.set_tnCount(count.isEmpty() ? std::nullopt : std::optional<long>(count.toLong()));
    m_logic.cmdOk_Click();
    if (m_logic.IsClosed()) {
        accept();
    }
}

void ColEditDialog::reject() {
    m_logic.cmdCancel_Click();
    QDialog::reject();
}

} // namespace QV_GridPrint::columns
