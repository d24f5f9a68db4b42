// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "hostobject/ReportWindow.h"
#include "plugin/PluginRegistry.h"

#include <memory>

class QDialog;

namespace QV_GridPrint {

class frmGridPrint;
class SheetOutput;

// The report window on screen: a modal dialog with the toolbar, the title band (banner, title,
// record selector) and the grid, all drawn from frmGridPrint, which holds every piece of state.
class GridPrintWindow final : public ReportWindow {
public:
    // Messages and screen units come from the host object's services. output: where print, preview
    // and page set-up go; null: Qt's print dialogs (QtSheetOutput).
    explicit GridPrintWindow(PluginRegistry& plugins, SheetOutput* output = nullptr);
    ~GridPrintWindow() override;

    void SetHost(clsGridPrint& host) override;
    // Loads the window (the logic's load step runs SetData) and runs it modally until it closes.
    void ShowModal() override;

    // For tests and screenshots: the dialog and the logic while the window exists.
    QDialog* Dialog() const;
    frmGridPrint* Logic() const;
    // Called once the window is shown and loaded, before the user can act (tests grab and close here).
    void SetShownObserver(std::function<void(GridPrintWindow&)> observer);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// Makes `host` open this window (its factory of ReportWindow.h), with plug-ins from `plugins`, which
// outlives the host object.
void UseQtReportWindow(clsGridPrint& host, PluginRegistry& plugins = PluginRegistry::Instance());

} // namespace QV_GridPrint
