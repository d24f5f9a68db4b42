// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/SheetDocument.h"

#include <filesystem>
#include <stdexcept>

namespace vondrel::test {

// The four sales the test reports show.
constexpr const char* kSalesSql = R"sql(
CREATE TABLE sales (id INTEGER, name VARCHAR(20), amount DECIMAL(18,2));
INSERT INTO sales VALUES (1, '张三', 10.5);
INSERT INTO sales VALUES (2, '李四', 20);
INSERT INTO sales VALUES (3, '张三', 30.25);
INSERT INTO sales VALUES (4, '王五', 0);
)sql";

// The template of the test reports over `sales`, `top` rows down and `below` empty rows longer: a
// two-row header ("销售明细" merged over the three columns, then one caption per column), the field
// row, the markers and the totals flags.
//   row 0 start | 2 header | 3 header | 4 fields: id name amount | 5 end | 6 totals: - 合计 y
inline sheet::SheetDocument SalesTemplate(int top = 0, int below = 0) {
    sheet::SheetDocument doc;
    bool ok = doc.Resize(3, top + 7 + below);
    ok = ok && doc.SetCellText(0, top, "start") && doc.SetCellText(0, top + 5, "end");
    ok = ok && doc.SetCellText(0, top + 2, "销售明细") && doc.MergeCells(0, top + 2, 2, top + 2);
    ok = ok && doc.SetCellText(0, top + 3, "编号") && doc.SetCellText(1, top + 3, "客户") &&
         doc.SetCellText(2, top + 3, "金额");
    ok = ok && doc.SetCellText(0, top + 4, "id") && doc.SetCellText(1, top + 4, "name") &&
         doc.SetCellText(2, top + 4, "amount");
    // Amounts with grouping and two decimals, zeros shown blank.
    ok = ok && doc.SetCellNumFormat(2, top + 4, 1, false, 2, -1, 0.0, 0, false) &&
         doc.SetCellOption(2, top + 4, 2);
    ok = ok && doc.SetCellText(1, top + 6, "合计") && doc.SetCellText(2, top + 6, "y");
    ok = ok && doc.SetColWidth(0, 60) && doc.SetColWidth(1, 120) && doc.SetColWidth(2, 100);
    if (!ok) {
        throw std::runtime_error("could not make the test template");
    }
    return doc;
}

inline void WriteSalesTemplate(const std::filesystem::path& file) {
    if (!SalesTemplate().SaveFile(file.string())) {
        throw std::runtime_error("could not write the test template " + file.string());
    }
}

// A template whose markers are wrong: "start" in row 0 and "end" in endRow (-1: no "end" at all).
inline void WriteTemplateWithMarkers(const std::filesystem::path& file, int endRow) {
    sheet::SheetDocument doc;
    bool ok = doc.Resize(3, 8) && doc.SetCellText(0, 0, "start");
    if (endRow >= 0) {
        ok = ok && doc.SetCellText(0, endRow, "end");
    }
    if (!ok || !doc.SaveFile(file.string())) {
        throw std::runtime_error("could not write the test template " + file.string());
    }
}

} // namespace vondrel::test
