// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "reportgrid/TemplateHeader.h"

#include "controls/grid/GridModel.h"
#include "controls/sheet/SheetDocument.h"
#include "vb/Conversion.h"
#include "vb/Error.h"
#include "vb/Strings.h"

#include <algorithm>

namespace QV_GridPrint {

std::string TemplateCellText(const sheet::SheetDocument& cll, int col, int row) {
    vb::Variant text;
    if (!cll.GetCellText(col, row, text) || text.IsNull()) {
        return {};
    }
    return vb::CStr(text);
}

FontStyleFlags StyleCodeFlags(long code) {
    // The sheet's own table, so that the grid shows a code as print and export do (8 included).
    const int bits = std::max(sheet::FontFlagsFromCode(code), 0);
    FontStyleFlags flags;
    flags.isBold = (bits & sheet::kBold) != 0;
    flags.isItalic = (bits & sheet::kItalic) != 0;
    flags.isUnderline = (bits & sheet::kUnderline) != 0;
    return flags;
}

int PixelsToTwips(int pixels, double twipsPerPixel) {
    return static_cast<int>(vb::RoundHalfEven(pixels * twipsPerPixel));
}

bool GetFixedRows(const sheet::SheetDocument& cll, TemplateRows& rows) {
    int headStart = rows.vHeadStart;
    for (int row = 0; row < cll.SheetRowCount(); ++row) {
        const std::string marker = vb::LCase(TemplateCellText(cll, 0, row));
        if (marker == "start") {
            headStart = row + 2;
        } else if (marker == "end") {
            rows.vHeadStart = headStart;
            rows.iHeadEnd = row - 2;
            rows.iFixedRows = rows.iHeadEnd - rows.vHeadStart + 1;
            return true;
        }
    }
    return false;
}

void SetVsHeadFont(const sheet::SheetDocument& cll, grid::GridModel& vsf, int iCll, int jCll, int iVS,
                   int jVS) {
    long size = 0;
    long style = 0;
    std::string face;
    if (!cll.GetCellFont(iCll, jCll, size, style, face)) {
        throw vb::Error(vb::kErrInvalidCall, "读取模板单元格字体失败（列 " + std::to_string(iCll) + "，行 " +
                                                 std::to_string(jCll) + "）");
    }
    vsf.SetRangeProp(grid::CellSetting::FaceName, iVS, jVS, vb::Variant(face));
    vsf.SetRangeProp(grid::CellSetting::FontSize, iVS, jVS, vb::Variant(static_cast<double>(size)));
    const FontStyleFlags flags = StyleCodeFlags(style);
    if (flags.isBold) {
        vsf.SetRangeProp(grid::CellSetting::Bold, iVS, jVS, vb::Variant(true));
    }
    if (flags.isItalic) {
        vsf.SetRangeProp(grid::CellSetting::Italic, iVS, jVS, vb::Variant(true));
    }
    if (flags.isUnderline) {
        vsf.SetRangeProp(grid::CellSetting::Underline, iVS, jVS, vb::Variant(true));
    }
}

long SetVSFHead(const sheet::SheetDocument& cll, grid::GridModel& vsf, const TemplateRows& rows,
                int iColCount, double twipsPerPixelX, double twipsPerPixelY) {
    if (rows.iFixedRows < 0) {
        throw vb::Error(vb::kErrInvalidCall,
                        "报表模板的表头标记有错误：“end”行应在“start”行下面至少三行（表头行数为 " +
                            std::to_string(rows.iFixedRows) + "）");
    }
    vsf.SetGridRowCount(rows.iFixedRows);
    vsf.SetGridColCount(0);
    vsf.SetGridColCount(iColCount);
    vsf.SetHeaderRowCount(rows.iFixedRows);
    vsf.SetHeaderColCount(0);
    vsf.SetMergeMode(5);
    for (int i = 0; i < rows.iFixedRows; ++i) {
        vsf.SetRowMergeFlag(i, true);
        int heightPx = 0;
        cll.GetRowHeight(rows.vHeadStart + i, heightPx);
        vsf.SetRowHeightTwips(i, PixelsToTwips(heightPx, twipsPerPixelY));
    }
    int fieldRowPx = 0;
    cll.GetRowHeight(rows.vHeadStart + rows.iFixedRows, fieldRowPx);
    const long dataRowTwips = PixelsToTwips(fieldRowPx, twipsPerPixelY);
    for (int col = 0; col < iColCount; ++col) {
        vsf.SetColMergeFlag(col, true);
        int widthPx = 0;
        cll.GetColWidth(col, widthPx);
        vsf.SetColWidthTwips(col, PixelsToTwips(widthPx, twipsPerPixelX));
    }
    for (int i = 0; i < rows.iFixedRows; ++i) {
        const int t = rows.vHeadStart + i;
        for (int j = 0; j < iColCount; ++j) {
            int c1 = j;
            int r1 = t;
            int c2 = j;
            int r2 = t;
            const bool isMerged = cll.GetMergeRange(j, t, c1, r1, c2, r2);
            if (isMerged && (j != c1 || t != r1)) {
                continue;
            }
            // A block reaching outside the header or the grid is clipped to what the grid has.
            const int lastRow = std::min(r2 - rows.vHeadStart, rows.iFixedRows - 1);
            const int lastCol = std::min(c2, iColCount - 1);
            vsf.SetRangeProp(grid::CellSetting::Text, r1 - rows.vHeadStart, c1, lastRow, lastCol,
                             vb::Variant(TemplateCellText(cll, j, t)));
            vsf.SetRangeProp(grid::CellSetting::Align, r1 - rows.vHeadStart, c1, vb::Variant(4));
            SetVsHeadFont(cll, vsf, j, t, r1 - rows.vHeadStart, c1);
        }
    }
    return dataRowTwips;
}

} // namespace QV_GridPrint
