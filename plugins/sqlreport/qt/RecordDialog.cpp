// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "sqlreport/qt/RecordDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace sqlreport::qt {

RecordDialog::RecordDialog(const QString& title,
                           const std::vector<std::pair<std::string, std::string>>& fields, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    m_table = new QTableWidget(static_cast<int>(fields.size()), 2, this);
    m_table->setHorizontalHeaderLabels({"字段", "内容"});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (int row = 0; row < static_cast<int>(fields.size()); ++row) {
        const auto& [name, text] = fields[static_cast<std::size_t>(row)];
        m_table->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(name)));
        m_table->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(text)));
    }
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->resizeColumnToContents(0);
    layout->addWidget(m_table);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText("关闭");
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(420, 360);
}

} // namespace sqlreport::qt
