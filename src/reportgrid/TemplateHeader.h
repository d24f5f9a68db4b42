// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace grid {
class GridModel;
}
namespace sheet {
class SheetDocument;
}

// The grid's column header, copied from the report's template: the rows between the "start" and
// "end" markers of column 0, with their captions, merged blocks, sizes and fonts.
namespace QV_GridPrint {

// Where the template's parts lie (template rows). vHeadStart is s + 2, iHeadEnd is e - 2, the field
// row e - 1 = iHeadEnd + 1, the totals-flag row e + 1 = iHeadEnd + 3.
struct TemplateRows {
    int vHeadStart = 0;
    int iHeadEnd = 0;
    int iFixedRows = 0;
};

// Scans column 0 for the markers (any case; "end " with a space is not a marker). Without an "end"
// marker nothing changes and the result is false; without a "start" above it vHeadStart keeps its value.
bool GetFixedRows(const sheet::SheetDocument& cll, TemplateRows& rows);

// Builds the header of `vsf` from the template: row and column counts, merge flags, sizes (pixels to
// twips with the screen's factors, halves to even), captions over each merged block, fonts. Returns
// the field row's height in twips (the height of every data row). A negative header row count (an
// "end" less than three rows below "start") raises an error.
long SetVSFHead(const sheet::SheetDocument& cll, grid::GridModel& vsf, const TemplateRows& rows,
                int iColCount, double twipsPerPixelX, double twipsPerPixelY);

// Copies the font of template cell (iCll, jCll) to grid cell (iVS, jVS): face, size, and bold, italic,
// underline as the style code gives them (only the flags that hold are written).
void SetVsHeadFont(const sheet::SheetDocument& cll, grid::GridModel& vsf, int iCll, int jCll, int iVS,
                   int jVS);

// Flags of a template style code by the sheet's table (sheet::FontFlagsFromCode): bold for 1, 4, 5, 7;
// italic for 2, 4, 7, 8; underline for 3, 5, 7, 8; none for 6 and for codes outside the table.
struct FontStyleFlags {
    bool isBold = false;
    bool isItalic = false;
    bool isUnderline = false;
};
FontStyleFlags StyleCodeFlags(long code);

// Text of a template cell, "" for an empty cell or a position outside the sheet.
std::string TemplateCellText(const sheet::SheetDocument& cll, int col, int row);

// Pixels to twips, rounded to the nearest whole number with halves to even.
int PixelsToTwips(int pixels, double twipsPerPixel);

} // namespace QV_GridPrint
