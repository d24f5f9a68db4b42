// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/SheetTypes.h"
#include "vb/Variant.h"

#include <string>
#include <vector>

namespace ado {
class Recordset;
}
namespace grid {
class GridModel;
}
namespace sheet {
class SheetDocument;
}

namespace QV_GridPrint {

// The template attributes of one column's field-row cell, as the totals, fonts and print sheet read them.
struct ColumnAttr {
    long align = 0;          // alignment flags of the template
    long fontSize = 0;       // points
    long styleCode = 0;      // 1 bold … 7 all three (see StyleCodeFlags)
    std::string face;        // font face name
    sheet::NumFormat format; // the seven numeric-format values
    int zerosShown = 1;      // 1: the template shows zeros (cell option 0); 0: zeros are blanked
};

// The per-column tables of the report window, one entry per template column.
struct ColumnTables {
    vb::Variant vFields;                 // 0-based array: the field name, or the number 0 for no field
    std::vector<std::string> vColType;   // "integer", "decimal", "date", "string", "boolean"
    std::vector<std::string> vColFormat; // display format given to the grid ("" = none)
    std::vector<std::string> vTotalFlag; // totals-flag cell, trimmed and lower-cased
    std::vector<ColumnAttr> vColAttr;

    void Reset(int columnCount);
};

// Alignment code of the grid (3 x horizontal + vertical) for template alignment flags, read as
// sheet::CellAlign reads them for print and export.
int AlignCodeFromFlags(long flags);

// Type name and display format of a column by its field's type code, its numeric format and whether
// zeros are blanked. A type code outside the known groups is shown as text ("string", no format) and
// gives false.
bool ColumnTypeAndFormat(int typeCode, const sheet::NumFormat& format, bool blanksZeros,
                         std::string& typeName, std::string& displayFormat);

// Fills the tables from the template's field row and totals-flag row and the data's field types, sets
// the grid's alignment and formats, and hides the columns whose field the data lacks.
void SetColFormat(const sheet::SheetDocument& cll, grid::GridModel& vsf, const ado::Recordset& rsData,
                  int iColCount, int fieldRow, int totalsRow, ColumnTables& tables);

// Hides every column whose vFields entry is the number 0 (never un-hides).
void SetUnVisibleCol(grid::GridModel& vsf, const ColumnTables& tables);

// Replaces numeric zeros by "" in the columns that blank zeros (vData is (column, record)).
void BlankZeroValues(vb::Array& vData, const ColumnTables& tables, int iColCount);

} // namespace QV_GridPrint
