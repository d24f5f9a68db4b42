// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "ScriptedReport.h"
#include "ado/Connection.h"
#include "controls/grid/qt/GridView.h"
#include "hostobject/clsGridPrint.h"
#include "plugin/PluginRegistry.h"
#include "support/ScriptedServices.h"
#include "ui/qt/QtServices.h"
#include "viewer/frmGridPrint.h"
#include "viewer/qt/GridPrintWindow.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QDialog>

namespace vondrel::test {

// The real report window on the demo's 销售日报 template and database, with a scripted plug-in whose
// rows come from `rowsSql`.
struct DemoWindow {
    explicit DemoWindow(const std::string& rowsSql) {
        ui::qt::EnsureApplication();
        cnn->Open(VONDREL_DEMO_DB);
        script.rowsSql = rowsSql;
        registry.Register("Test.Demo",
                          [this] { return std::make_unique<vondrel::test::ScriptedReport>(script, log); });
        services->SetApplicationFolder(VONDREL_DEMO_TEMPLATES);
        host.set_cnn(cnn);
        host.rptName = "销售日报";
        host.FmtFileName = "销售日报.cll";
        host.ClsName = "Test.Demo";
        host.HeadHeight = 1500;
        window.SetHost(host);
    }

    // Shows the window and runs `use` once it is up; `use` ends by closing it.
    void Use(const std::function<void(QDialog&, grid::GridView&)>& use) {
        window.SetShownObserver([&](QV_GridPrint::GridPrintWindow& shown) {
            QDialog& dialog = *shown.Dialog();
            dialog.resize(1100, 700);
            // Under Xvfb there is no window manager to make the window active; keys go to the
            // active window's focus widget.
            QApplication::setActiveWindow(&dialog);
            QApplication::processEvents();
            // The grid classes have no meta-object of their own: found by name, not by type.
            auto* view = static_cast<grid::GridView*>(dialog.findChild<QWidget*>("grid"));
            view->setFocus();
            use(dialog, *view);
            if (dialog.isVisible()) {
                dialog.close();
            }
        });
        window.ShowModal();
    }

    QV_GridPrint::frmGridPrint& Logic() { return *window.Logic(); }

    std::shared_ptr<ado::Connection> cnn = ado::Connection::Create();
    QV_GridPrint::PluginRegistry registry;
    vondrel::test::ReportScript script;
    std::vector<std::string> log;
    std::shared_ptr<vondrel::test::ScriptedServices> services =
        std::make_shared<vondrel::test::ScriptedServices>();
    QV_GridPrint::clsGridPrint host{services};
    QV_GridPrint::GridPrintWindow window{registry, services.get()};
};

} // namespace vondrel::test
