// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "columns/frmColEdit.h"
#include "select/frmSelectReport.h"
#include "viewer/frmGridPrint.h"

#include <functional>

namespace vondrel::test {

// The modal dialogs of the report window, answered by the test: each handler gets the dialog's logic
// and plays the user's part on it. Without a handler a dialog is closed with its close box, which
// sets nothing.
class ScriptedDialogs final : public QV_GridPrint::ModalDialogs {
public:
    std::function<void(QV_GridPrint::columns::frmColEdit&)> onColEdit;
    std::function<void(QV_GridPrint::select::frmSelectReport&)> onSelectReport;
    int colEditShown = 0;
    int selectShown = 0;

    void ShowColEdit(QV_GridPrint::columns::frmColEdit& dialog) override {
        ++colEditShown;
        if (onColEdit) {
            onColEdit(dialog);
        }
    }
    void ShowSelectReport(QV_GridPrint::select::frmSelectReport& dialog) override {
        ++selectShown;
        if (onSelectReport) {
            onSelectReport(dialog);
        }
    }
};

} // namespace vondrel::test
