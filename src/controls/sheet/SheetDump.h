// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/SheetDocument.h"

#include <string>

namespace sheet {

// The cells of a rectangle as compact lines, one per row that holds anything:
//   r3 h=30: "销售日报"@1|12.5|@2
// Texts are quoted, numbers bare; @n names a style listed after the rows ("@1 宋体 12 b align=36 ..."),
// numbered by first use, so two documents with equal content dump equal whatever their style indexes.
// Merges inside the rectangle follow as "merge A1:C1".
std::string DumpSheet(const SheetDocument& doc, int c1, int r1, int c2, int r2);
// The whole document: size, widths, print area, page line and page set-up, then every cell.
std::string DumpSheet(const SheetDocument& doc);
// One style as the dump shows it.
std::string DescribeStyle(const CellStyle& style);

} // namespace sheet
