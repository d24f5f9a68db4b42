// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/SheetDocument.h"

#include <string>
#include <string_view>
#include <vector>

namespace sheet {

// Reads the first worksheet of an .xlsx workbook (as any spreadsheet program saves it) into `out`:
// values, merges, column widths, row heights, fonts, alignment, number formats (a blank zero section
// becomes cell option 2), borders, print area and titles, page set-up and the footer as page line.
// Cell options other than 0 and 2 come from the names ExportXlsx writes for them. `out` is replaced
// only on success; on failure `error` says what is wrong and where. `dropped`, when given, receives one
// line per kind of thing the document cannot hold (fills), naming the cells.
bool ImportXlsx(const std::string& path, SheetDocument& out, LoadError& error,
                std::vector<std::string>* dropped = nullptr);
bool ImportXlsxData(std::string_view bytes, const std::string& name, SheetDocument& out, LoadError& error,
                    std::vector<std::string>* dropped = nullptr);

// Writes the document as a one-sheet .xlsx workbook that ImportXlsx reads back to the same template
// (through a temporary file in the same folder, renamed over `path` on success).
bool ExportXlsx(const SheetDocument& doc, const std::string& path, LoadError& error);

} // namespace sheet
