// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace QV_GridPrint::columns {

class frmColEdit;

// The column dialog on screen ("列属性设置"): the three labelled boxes in a frame, OK above Cancel at
// its right. It shows the logic's state (Form_Load has run) and hands the user's input and buttons to
// it; the close box and Escape cancel. Child widgets carry the logic's names as object names.
class ColEditDialog final : public QDialog {
public:
    ColEditDialog(frmColEdit& logic, QWidget* parent = nullptr);

    void reject() override;

private:
    void Ok();

    frmColEdit& m_logic;
    QLineEdit* m_oldCaption;
    QLineEdit* m_newCaption;
    QLineEdit* m_count;
};

} // namespace QV_GridPrint::columns
