// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The record is put through the same steps that load the report's rows into the window's grid (header,
// column formats, blanked zeros, one data row), on a grid of its own, and read back from there: the
// texts then agree with the grid cells by construction, not by a second formatter kept in step.
#include "reportgrid/RecordFields.h"

#include "ado/Recordset.h"
#include "controls/grid/GridModel.h"
#include "controls/sheet/SheetDocument.h"
#include "reportgrid/ColumnFormats.h"
#include "reportgrid/TemplateHeader.h"
#include "vb/Error.h"
#include "vb/Strings.h"

namespace QV_GridPrint {
namespace {

// Sizes do not matter for texts; any screen factor will do.
constexpr double kTwipsPerPixel = 15;

bool IsBanner(const grid::GridModel& grid, int row, int col) {
    const grid::MergeSpan* span = grid.MergedSpanAt(row, col);
    if (!span) {
        return false;
    }
    int shownOutside = 0;
    int shownInside = 0;
    for (int other = 0; other < grid.GridColCount(); ++other) {
        if (!grid.ColHiddenFlag(other)) {
            ++(other >= span->col1 && other <= span->col2 ? shownInside : shownOutside);
        }
    }
    return shownOutside == 0 && shownInside > 1;
}

std::string ColumnCaption(const grid::GridModel& grid, int col) {
    std::vector<std::string> levels;
    std::string lastLevel;
    for (int row = 0; row < grid.HeaderRowCount(); ++row) {
        const std::string text = vb::Trim(grid.CellTextAt(row, col));
        if (text.empty() || text == lastLevel) {
            continue;
        }
        lastLevel = text;
        if (!IsBanner(grid, row, col)) {
            levels.push_back(text);
        }
    }
    if (levels.empty()) {
        return lastLevel; // only a banner (a one-column report), or nothing at all
    }
    std::string caption = levels.front();
    for (std::size_t index = 1; index < levels.size(); ++index) {
        caption.append("·").append(levels[index]);
    }
    return caption;
}

} // namespace

std::vector<RecordField> RecordFields(const sheet::SheetDocument& cll, const ado::Recordset& record) {
    TemplateRows rows;
    if (!GetFixedRows(cll, rows) || rows.iFixedRows < 0) {
        throw vb::Error(vb::kErrInvalidCall,
                        "报表格式文件没有表头标记（start、end），无法按报表的列显示这条记录");
    }
    const int iColCount = cll.SheetColCount();
    grid::GridModel grid;
    SetVSFHead(cll, grid, rows, iColCount, kTwipsPerPixel, kTwipsPerPixel);
    ColumnTables tables;
    tables.Reset(iColCount);
    SetColFormat(cll, grid, record, iColCount, rows.iHeadEnd + 1, rows.iHeadEnd + 3, tables);
    // A clone starts at the first record: it is put on the caller's, whose position stays as it was.
    const std::shared_ptr<ado::Recordset> current = record.Clone();
    current->SetBookmark(record.Bookmark());
    vb::Variant values = current->GetRows(1, {}, tables.vFields);
    BlankZeroValues(*values.AsArray(), tables, iColCount);
    grid.FillFromArray(values);
    std::vector<RecordField> fields;
    for (int col = 0; col < iColCount; ++col) {
        if (!grid.ColHiddenFlag(col)) {
            fields.push_back({ColumnCaption(grid, col), grid.CellTextAt(rows.iFixedRows, col)});
        }
    }
    return fields;
}

} // namespace QV_GridPrint
