// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

class QTreeWidget;

namespace QV_GridPrint::select {

class frmSelectReport;

// The report selection dialog on screen ("报表选择"): the prompt, a tab with the group's name over a
// frame holding the report tree (the logic's grid, group row bold with its picture, reports below),
// and "确认" / "取消". Choosing a row moves the logic's current row; the close box and Escape cancel.
class SelectReportDialog final : public QDialog {
public:
    // preselect: the report name to make current at first (the report shown), if the tree has it.
    SelectReportDialog(frmSelectReport& logic, const std::string& preselect, QWidget* parent = nullptr);

    void reject() override;
    QTreeWidget* Tree() const { return m_tree; }

private:
    void Ok();

    frmSelectReport& m_logic;
    QTreeWidget* m_tree;
};

} // namespace QV_GridPrint::select
