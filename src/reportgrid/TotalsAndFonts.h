// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "reportgrid/ColumnFormats.h"

#include <memory>

namespace ado {
class Recordset;
}
namespace grid {
class GridModel;
}

namespace QV_GridPrint {

// Back colours (BGR): the totals row and records flagged finterid = 0 are light yellow, records
// flagged finterid = -1 light cyan. A click never turns such a row into the selection.
inline constexpr long kTotalsColour = 0xC0FFFF;
inline constexpr long kFlaggedColour = 0xFFFFC0;

// The totals row from the totals flags: "y" sums the column, "bal" shows the last data row's value,
// the first other text is the row's caption. No "y" or "bal" column: no totals row. ("bal" always
// means a balance, also before the caption column.)
void AddHJ(grid::GridModel& vsf, const ColumnTables& tables);

// Data rows (and the totals row) take the field row's font per column and its height; records whose
// finterid is 0 or -1 are coloured. A record whose flag cannot be read (no such field, Null, the totals
// row) is not coloured.
void SetVSFont(grid::GridModel& vsf, const ColumnTables& tables, int iColCount, int iFixedRows,
               long lDataRowTwips, const std::shared_ptr<ado::Recordset>& rsData);

// The click rule: the clicked row becomes the selection unless it is coloured (totals or flagged).
void SelectClickedRow(grid::GridModel& vsf);

} // namespace QV_GridPrint
