// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace QV_GridPrint {
class frmGridPrint;
}

namespace vondrel::batch {

// The report as the window shows it, as one JSON object (docs/batch.md): caption and title, the
// parameter texts, the columns (width in twips, hidden flag), the header cells with their spans, the
// data rows as displayed texts with their back colours, and which row is the totals row.
std::string GridJson(QV_GridPrint::frmGridPrint& window);

// Text as a JSON string literal, quotes included.
std::string JsonString(const std::string& text);

} // namespace vondrel::batch
