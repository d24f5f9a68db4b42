// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace sheet {
class SheetDocument;
}

namespace QV_GridPrint {

// Writes the print sheet to `path` through a temporary file beside it and a rename: on false no file
// of that name was created or changed, and `error` says why.
using SheetWriter = bool (*)(sheet::SheetDocument& doc, const std::string& path, std::string& error);

// A file type the print sheet exports to. The window's export dialog and batch mode share this one
// table, so a type written from either is the same file.
struct ExportFormat {
    const char* key;       // "xlsx": what batch mode is told
    const char* extension; // ".xlsx": given to a name chosen without one
    const char* label;     // "Excel 2007 工作簿(*.xlsx)": the dialog's caption of the type
    SheetWriter write;
};

// The dialog's file types in its order: file type N is entry N-1. The first two are the workbook and
// the sheet document every user knows; the later ones were added after them.
std::span<const ExportFormat> ExportFormats();
// The entry of file type `fileType` (1-based), or null.
const ExportFormat* ExportFormatOfType(int fileType);
// The file type (1-based) of `key`, or 0.
int ExportFileTypeOf(std::string_view key);
// The dialog's filter: "label|*.ext|label|*.ext...".
std::string ExportFilter();
// `path` with the format's extension added when its file name has none.
std::string WithExportExtension(const std::string& path, const ExportFormat& format);

} // namespace QV_GridPrint
