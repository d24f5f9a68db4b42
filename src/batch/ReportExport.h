// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "plugin/PluginRegistry.h"

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace QV_GridPrint {
class clsGridPrint;
} // namespace QV_GridPrint

namespace vondrel::batch {

// The formats a report exports to without a window, in the order messages list them: those of the
// window's export dialog ("xls", "cll", "xlsx", "pdf", written as the window writes them), then "png"
// (the first page at 150 dpi) and "json" (the grid as shown, docs/batch.md).
const std::vector<std::string>& ExportFormats();
// The format a file name's extension names, in lower case ("" without an extension).
std::string FormatOfPath(const std::filesystem::path& path);
// "" when `format` is one of ExportFormats(), else a message naming it and the known ones.
std::string CheckFormat(const std::string& format);
// "" when an action is well formed (a toolbar key, or "dblclick:ROW" with ROW a row number), else a
// message naming it. Whether the window has that button, enabled, is known only once it is loaded.
std::string CheckAction(const std::string& action);

struct ExportRequest {
    std::string path;
    std::string format; // one of ExportFormats(); "" = FormatOfPath(path)
    // Run in order once the report is loaded: a toolbar key of the report window, or "dblclick:ROW"
    // (a double click on grid row ROW, 0-based and counting the header rows, as the grid numbers them).
    std::vector<std::string> actions;
    // Answers to the parameter dialog of Vondrel.SqlReport reports (name, value text); parameters not
    // given keep their defaults. No dialog is ever shown.
    std::vector<std::pair<std::string, std::string>> parameters;
};

// A message the run put up: a message box of the window (with its title), or a note of the export's
// own (empty title) such as a refused action or parameter.
struct ExportMessage {
    std::string title;
    std::string text;
};

struct ExportResult {
    // True if and only if the file at the requested path was written by this run. When false, no file
    // of that name was created or changed.
    bool isWritten = false;
    // Every message, in order; when the file was not written they say why.
    std::vector<ExportMessage> messages;
};

// Opens report `reportId` without showing a window, in a host object that `prepareHost` gives its
// connection, login record and navigation setting; runs the actions, then writes the file as the
// window's own export would (xls, cll: the toolbar's export routine). Templates come from
// `componentFolder`, the report's plug-in from `plugins` (the process's registry unless given). A message box
// before the export, an action the window does not offer or has disabled, a refused parameter: the run stops
// and writes nothing. Column widths are never stored. Never throws. Needs a QGuiApplication (the PDF and PNG
// painters); creates an offscreen one when the process has no Qt application.
ExportResult ExportReport(const std::function<void(QV_GridPrint::clsGridPrint&)>& prepareHost, long reportId,
                          const ExportRequest& request, const std::filesystem::path& componentFolder,
                          QV_GridPrint::PluginRegistry& plugins = QV_GridPrint::PluginRegistry::Instance());

} // namespace vondrel::batch
