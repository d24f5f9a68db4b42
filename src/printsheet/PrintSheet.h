// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "printsheet/PageFields.h"
#include "printsheet/TemplateFile.h" // for the window, which opens the template before it builds this sheet
#include "reportgrid/ColumnFormats.h"
#include "vb/Variant.h"

#include <string>

namespace grid {
class GridModel;
}
namespace sheet {
class SheetDocument;
}

// The print sheet: the report window's second sheet document, rebuilt from what the grid shows
// before every print, preview and export.
namespace QV_GridPrint {

// The page line printed on every page: the company, "page &P of &S", and the day of the rebuild.
inline constexpr const char* kPageLineLeft = "Qovira有限公司";
inline constexpr const char* kPageLineCentre = "第&P页共&S页";
// The date as the page line writes it: 2024年3月5日 (no leading zeros).
std::string PageLineDate(vb::Date day);

// Everything the rebuild reads from the window. The template rows are those GetFixedRows found;
// twips per pixel are the screen's.
struct PrintSheetSource {
    const sheet::SheetDocument& cll;
    const grid::GridModel& vsf;
    const ColumnTables& columns;
    int vHeadStart = 0;
    int iHeadEnd = 0;
    int iFixedCols = 0;
    long lDataRowTwips = 0;
    double twipsPerPixelX = 15;
    double twipsPerPixelY = 15;
    PageFieldValues fields;
    vb::Date today;
};

// Column widths of the print sheet from the grid: twips to pixels (halves to even); a hidden column
// and one narrower than 10 pixels get width 0 (not printed); widths beyond the sheet's limit are
// clamped to it. Grid columns the print sheet does not have are skipped.
void SetCellColWidth(const grid::GridModel& vsf, sheet::SheetDocument& clldata, double twipsPerPixelX);

// Rebuilds `clldata` from the grid as it is now:
//  1. widths (SetCellColWidth) and the title fields (SetCellPara);
//  2. cut back to the template's header rows (0 .. iHeadEnd), then one row per grid row below the
//     grid's header, the totals row included, each with the field row's height and, per column, its
//     alignment, font, numeric format and zero option from `columns.vColAttr`;
//  3. values from the grid's displayed texts: a date column as yyyy-mm-dd, a numeric text in an
//     integer or decimal column as a number (thousands separators allowed), anything else as text;
//     blank texts (zeros the grid blanks among them) leave the cell empty;
//  4. thin lines in a medium frame from the first header row to the last data row over the
//     template's columns, the print area over the whole sheet with rows 0 .. iHeadEnd and the first
//     iFixedCols columns repeated on every page;
//  5. the footer rows with fields (SetCellDownPara) below the data; the print area is widened over
//     them, so they print after the last data row;
//  6. the page line (kPageLineLeft, kPageLineCentre, PageLineDate(today)).
// Page set-up is left alone, so the user's choice holds across rebuilds. Running it twice on the same
// grid gives the same sheet. A print sheet that would exceed the sheet's row limit raises vb::Error.
void SetCellDataFromVSF(const PrintSheetSource& source, sheet::SheetDocument& clldata);

} // namespace QV_GridPrint
