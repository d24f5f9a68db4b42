// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace sheet {
class SheetDocument;
}
namespace ui {
class Services;
}

namespace QV_GridPrint {

// The export dialog: its title and option flags; its file types are ExportFormats() (1 Excel
// workbook, 2 sheet document, then .xlsx and PDF).
inline constexpr const char* kExportTitle = "导出报表";
inline constexpr long kExportFlags = 2;

enum class ExportResult { Cancelled, Written, Failed };

// Asks for a file (the report name proposed) and writes the print sheet there with the chosen file
// type's writer, whatever the name's extension says; a name without an extension gets the type's.
// The busy cursor shows while writing.
//  - Cancel: nothing is written and nothing shown.
//  - Written: the file is complete, then "引出[rptName]成功" is shown (title "Qovira提示").
//  - Failed: no file of that name was created or changed; a message names the file and the reason.
// Never raises: a writer that throws is reported like one that fails.
ExportResult ExportPrintSheet(ui::Services& services, sheet::SheetDocument& clldata,
                              const std::string& rptName);

} // namespace QV_GridPrint
