// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The plug-in library's entry point, found by the component in its plugins/ folder.
#include "plugin/PluginRegistry.h"
#include "sqlreport/SqlReport.h"
#include "sqlreport/qt/QtPrompt.h"

extern "C" __attribute__((visibility("default"))) void
vondrel_register_plugins(QV_GridPrint::PluginRegistrar& registrar) {
    static sqlreport::qt::QtPrompt prompt;
    sqlreport::Register(registrar, &prompt);
}
