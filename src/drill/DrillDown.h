// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ado {
class Recordset;
}
namespace ui {
class Services;
}

namespace QV_GridPrint {

class clsGridPrint;
class IReport;

namespace drill {

// The parts of the report window that drill-down and return read and write. The window hands its own
// variables in; setData is its SetData.
struct DrillWindow {
    clsGridPrint& host;
    ui::Services& services;
    std::vector<std::string>& ParaValue;
    std::vector<std::string>& ParaText;
    std::vector<std::string>& ParaValueSave;
    std::vector<std::string>& ParaTextSave;
    std::string& strStoreProc;
    std::string& strMainProc;
    std::string& strMxBindField;
    bool& bAutoMove;
    bool& bIsDetail;
    std::function<void()> setData;
};

// One item of a link's qrptpara: value-field "/" label ":" text-field.
struct DrillItem {
    std::string valueField;
    std::string label;
    std::string textField;
    friend bool operator==(const DrillItem&, const DrillItem&) = default;
};

// Splits qrptpara at ","; an item without "/" or ":" raises vb::Error naming the item. An empty text
// has no items.
std::vector<DrillItem> ParseDrillItems(const std::string& qrptpara);

// The child's parameter list of n entries: the window's first n - p entries, then the p drill entries.
// Raises vb::Error when n < p, since the drill values would have no place.
std::vector<std::string> ChildParameters(const std::vector<std::string>& current,
                                         const std::vector<std::string>& drilled, long n);

// What a double click on the grid knows: the grid's row count and current row, the number of header
// rows, the window's data rows in grid order and the plug-in.
struct ClickedRow {
    int gridRowCount = 0;
    int cursorRow = -1;
    int iFixedRows = 0;
    std::shared_ptr<ado::Recordset> rsData;
    IReport* mRpt = nullptr;
};

// The double click: opens the child report of the clicked record, or the plug-in's source document
// (ShowBill, with the plug-in's rs positioned on the record) when the report has no child. Header rows,
// the last row (the totals row) and a grid of fewer than two rows are ignored. Malformed link data is
// reported in a message box before anything changes; the report stays as it was.
void GridDoubleClick(DrillWindow& window, const ClickedRow& clicked);

// Goes back to the parent of the report shown, with the parameters saved at the last drill. A report
// that is nobody's child gets "上级报表不存在，不能返回！". Failing steps are skipped. Always false.
bool ReturnParent(DrillWindow& window);

} // namespace drill
} // namespace QV_GridPrint
