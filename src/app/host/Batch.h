// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace QV_GridPrint {
class clsGridPrint;
}
namespace sqlreport {
class ParameterPrompt;
}

namespace vondrel::host {

// What batch mode does once the report is loaded, without showing a window.
struct BatchRequest {
    // Run in order: a toolbar key of the report window, or "dblclick:ROW" (a double click on grid row
    // ROW, 0-based and counting the header rows, as the grid numbers them).
    std::vector<std::string> actions;
    std::string exportPath;
    std::string format; // xls, xlsx, cll, pdf, png or json
};

// The formats batch mode writes; "" when `format` is one of them, else a message naming it.
std::string CheckBatchFormat(const std::string& format);
// Checks one action; "" when it is well formed, else a message naming it.
std::string CheckBatchAction(const std::string& action);

// Opens report `reportId` headless in a host object that `prepareHost` gives its connection, login
// record and navigation setting, runs the actions and writes the export. `prompt` answers the
// parameter form of Vondrel.SqlReport reports (from the command line).
// Every message box the window would show is written to stderr with its title. Returns the exit
// status: 0 when the file was written, 1 otherwise (and then no file of that name was created).
// Column widths are never stored.
int RunBatch(const std::function<void(QV_GridPrint::clsGridPrint&)>& prepareHost, long reportId,
             const BatchRequest& request, const std::filesystem::path& appFolder,
             sqlreport::ParameterPrompt& prompt);

} // namespace vondrel::host
