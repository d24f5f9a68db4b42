// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "reportgrid/TotalsAndFonts.h"

#include "ado/Recordset.h"
#include "controls/grid/GridModel.h"
#include "reportgrid/TemplateHeader.h"
#include "vb/Conversion.h"
#include "vb/Error.h"

namespace QV_GridPrint {

void AddHJ(grid::GridModel& vsf, const ColumnTables& tables) {
    int captionColumn = -1;
    std::string caption;
    bool isAdded = false;
    for (std::size_t i = 0; i < tables.vTotalFlag.size(); ++i) {
        const std::string& flag = tables.vTotalFlag[i];
        const int col = static_cast<int>(i);
        if (flag == "y") {
            vb::SkipOnError([&] { vsf.AddTotalRow(2, -1, col, tables.vColFormat[i], kTotalsColour); });
            isAdded = true;
        } else if (flag == "bal") {
            vb::SkipOnError([&] {
                vsf.AddTotalRow(2, -1, col, tables.vColFormat[i], kTotalsColour);
                const int last = vsf.GridRowCount() - 1;
                vsf.SetRangeProp(grid::CellSetting::Text, last, col, last, col,
                                 vsf.RangeProp(grid::CellSetting::Value, last - 1, col, last - 1, col));
                vsf.SetColFormatText(col, tables.vColFormat[i]);
            });
            isAdded = true;
        } else if (!flag.empty() && captionColumn < 0) {
            captionColumn = col;
            caption = flag;
        }
    }
    if (isAdded) {
        const int last = vsf.GridRowCount() - 1;
        vb::SkipOnError([&] { vsf.SetRangeProp(grid::CellSetting::Text, last, 0, vb::Variant("")); });
        if (captionColumn >= 0) {
            vb::SkipOnError([&] {
                vsf.SetRangeProp(grid::CellSetting::Text, last, captionColumn, vb::Variant(caption));
            });
        }
    }
}

void SetVSFont(grid::GridModel& vsf, const ColumnTables& tables, int iColCount, int iFixedRows,
               long lDataRowTwips, const std::shared_ptr<ado::Recordset>& rsData) {
    const int rowCount = vsf.GridRowCount();
    if (rowCount <= iFixedRows) {
        return;
    }
    for (int col = 0; col < iColCount && col < static_cast<int>(tables.vColAttr.size()); ++col) {
        const ColumnAttr& attr = tables.vColAttr[static_cast<std::size_t>(col)];
        vsf.SetRangeProp(grid::CellSetting::FaceName, iFixedRows, col, rowCount - 1, col,
                         vb::Variant(attr.face));
        vsf.SetRangeProp(grid::CellSetting::FontSize, iFixedRows, col, rowCount - 1, col,
                         vb::Variant(static_cast<double>(attr.fontSize)));
        const FontStyleFlags flags = StyleCodeFlags(attr.styleCode);
        if (flags.isBold) {
            vsf.SetRangeProp(grid::CellSetting::Bold, iFixedRows, col, rowCount - 1, col, vb::Variant(true));
        }
        if (flags.isItalic) {
            vsf.SetRangeProp(grid::CellSetting::Italic, iFixedRows, col, rowCount - 1, col,
                             vb::Variant(true));
        }
        if (flags.isUnderline) {
            vsf.SetRangeProp(grid::CellSetting::Underline, iFixedRows, col, rowCount - 1, col,
                             vb::Variant(true));
        }
    }
    const bool hasFlag = rsData && rsData->HasField("finterid");
    const long recordCount = rsData ? rsData->RecordCount() : 0;
    auto clone = hasFlag ? rsData->Clone() : nullptr;
    for (int row = iFixedRows; row < rowCount; ++row) {
        vb::SkipOnError([&] { vsf.SetRowHeightTwips(row, static_cast<int>(lDataRowTwips)); });
        const long record = row - iFixedRows;
        if (!clone || record >= recordCount) {
            continue;
        }
        // Only a readable flag colours a row; the flag of an earlier row is never carried over.
        vb::SkipOnError([&] {
            clone->Move(record, ado::adBookmarkFirst);
            const vb::Variant flag = clone->Fields("finterid").Value();
            if (flag.IsNull()) {
                return;
            }
            const long value = vb::CLng(flag);
            if (value == 0) {
                vsf.SetRangeProp(grid::CellSetting::BackColour, row, 0, row, vsf.GridColCount() - 1,
                                 vb::Variant(static_cast<double>(kTotalsColour)));
            } else if (value == -1) {
                vsf.SetRangeProp(grid::CellSetting::BackColour, row, 0, row, vsf.GridColCount() - 1,
                                 vb::Variant(static_cast<double>(kFlaggedColour)));
            }
        });
    }
}

void SelectClickedRow(grid::GridModel& vsf) {
    vb::SkipOnError([&] {
        const int row = vsf.ClickRow();
        const int last = vsf.GridColCount() - 1;
        if (row < 0 || last < 0) {
            return;
        }
        const std::optional<double> colour =
            vsf.RangeProp(grid::CellSetting::BackColour, row, 0, row, last).NumberValue();
        const long back = colour ? static_cast<long>(*colour) : -1;
        if (back != kTotalsColour && back != kFlaggedColour) {
            // The row is the selection, but the clicked column stays the current one: the column
            // commands ("列标题") act on the column the user clicked.
            const int col = vsf.CursorRow() == row ? vsf.CursorCol() : -1;
            vsf.SelectRange(row, 0, row, last);
            if (col >= 0) {
                vsf.SetCursorCell(row, col);
            }
        }
    });
}

} // namespace QV_GridPrint
