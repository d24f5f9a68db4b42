// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <QDialog>

class QTableWidget;

namespace sqlreport::qt {

// One record's fields as a read-only two-column table (字段, 内容) with a 关闭 button.
class RecordDialog final : public QDialog {
public:
    RecordDialog(const QString& title, const std::vector<std::pair<std::string, std::string>>& fields,
                 QWidget* parent = nullptr);
    QTableWidget* Table() const { return m_table; }

private:
    QTableWidget* m_table = nullptr;
};

} // namespace sqlreport::qt
