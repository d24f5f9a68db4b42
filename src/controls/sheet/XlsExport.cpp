// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/sheet/SheetDocument.h"

namespace sheet {

// Placeholder until the workbook writer lands: refuses, so no caller reports a file as written.
bool SheetDocument::ExportExcel(const std::string& path) {
    m_lastError = {};
    m_lastError.file = path;
    m_lastError.code = "not-available";
    m_lastError.message = "Excel 导出不可用";
    return false;
}

} // namespace sheet
