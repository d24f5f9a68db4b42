// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// A C++ host built with the component's CMake targets (Vondrel::batch, Vondrel::viewer_qt,
// Vondrel::ui_qt): exports report 1, and with --show shows it.
//   embed-cpp <database> <export file> <component folder> [--show]
#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "batch/ReportExport.h"
#include "hostobject/LoginRecord.h"
#include "hostobject/clsGridPrint.h"
#include "ui/qt/QtServices.h"
#include "vb/Error.h"
#include "viewer/qt/GridPrintWindow.h"

#include <iostream>
#include <memory>
#include <string>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::cerr << "usage: embed-cpp <database> <export file> <component folder> [--show]\n";
        return 2;
    }
    try {
        // [embedding: create]
        const std::filesystem::path folder = argv[3]; // templates and plugins/
        auto services = std::make_shared<ui::qt::QtServices>(folder); // makes the QApplication if none
        QV_GridPrint::clsGridPrint report(services);
        QV_GridPrint::UseQtReportWindow(report); // ShowReport opens the Qt window
        auto cnn = ado::Connection::Create();
        cnn->Open(argv[1]); // throws vb::Error with the reason
        report.set_cnn(cnn);
        report.CreateRsLogin("FUsername S20,FAcctName S40,Flogindate D,fuserid N");
        QV_GridPrint::SetLoginFieldText(*report.rsLogin(), "FUsername", "张三");
        QV_GridPrint::SetLoginFieldText(*report.rsLogin(), "fuserid", "1");
        report.let_MoveBotton(true);
        // [/embedding]

        // [embedding: export]
        vondrel::batch::ExportRequest request;
        request.path = argv[2]; // format from the extension
        request.parameters = {{"fdatefrom", "2024-03-01"}, {"fdateto", "2024-03-31"}};
        const auto sameHost = [&](QV_GridPrint::clsGridPrint& exporting) {
            exporting.set_cnn(report.cnn());
            exporting.set_rsLogin(report.rsLogin());
            exporting.ShareRememberedParameters(report); // its dialog's last values
        };
        const vondrel::batch::ExportResult result = vondrel::batch::ExportReport(sameHost, 1, request, folder);
        for (const vondrel::batch::ExportMessage& message : result.messages) {
            std::cerr << message.text << "\n";
        }
        // [/embedding]
        if (argc > 4 && std::string(argv[4]) == "--show") {
            // [embedding: show]
            const bool shown = report.ShowReport(1); // returns when the user closes the window
            // [/embedding]
            return shown ? 0 : 1;
        }
        return result.isWritten ? 0 : 1;
    } catch (const vb::Error& error) {
        std::cerr << error.Description() << "\n";
        return 1;
    }
}
