// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "viewer/SheetOutput.h"

#include <functional>

class QDialog;
class QWidget;

namespace ui {
class Services;
}

namespace QV_GridPrint {

// Print, preview and page set-up with Qt's print support: the stock dialogs (in Chinese), modal over
// the window the user works in, with a scaling box added to the page set-up.
class QtSheetOutput final : public SheetOutput {
public:
    // services: the busy cursor while pages go to the printer.
    explicit QtSheetOutput(ui::Services& services) : m_services(services) {}

    OutputOutcome PrintSheet(const sheet::SheetDocument& doc) override;
    OutputOutcome PreviewSheet(const sheet::SheetDocument& doc) override;
    OutputOutcome PageSetupDialog(sheet::SheetDocument& doc) override;

    // Called with every dialog right after it is shown (before the user can answer), as
    // ui::qt::QtServices::SetDialogObserver: tests answer the real dialogs from here.
    void SetDialogObserver(std::function<void(QWidget*)> observer) { m_observer = std::move(observer); }

private:
    int RunDialog(QDialog& dialog);

    ui::Services& m_services;
    std::function<void(QWidget*)> m_observer;
};

} // namespace QV_GridPrint
