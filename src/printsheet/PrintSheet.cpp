// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Design notes.
//  1. The print sheet starts each rebuild from the template's header: everything below row iHeadEnd
//     is cut before the data rows are added, so repeated rebuilds never accumulate rows, and the
//     footer rows are always appended after the data.
//  2. New rows come in with the default style. A column's data-cell style is built once on a scratch
//     cell with the same four calls (alignment, font, numeric format, zero option) and then given to
//     the whole column in one call, interned once: the same result as four calls per cell, without
//     the cost on a report of a hundred thousand rows.
//  3. The print range covers the footer rows too, although they are appended after it was set: rows
//     outside it never reach the paper.
//  4. Page set-up is never touched here: what the user chose in the page set-up dialog holds until the
//     template is loaded into the print sheet again.
#include "printsheet/PrintSheet.h"

#include "controls/grid/GridModel.h"
#include "controls/sheet/SheetDocument.h"
#include "vb/Conversion.h"
#include "vb/DateTime.h"
#include "vb/Error.h"
#include "vb/Format.h"

#include <algorithm>
#include <cmath>

namespace QV_GridPrint {
namespace {

int TwipsToPixels(double twips, double twipsPerPixel) {
    if (twipsPerPixel <= 0) {
        return 0;
    }
    const double px = vb::RoundHalfEven(twips / twipsPerPixel);
    return px > 1e9 ? 1'000'000'000 : static_cast<int>(px);
}

// The data-cell style of one column, as the four style calls leave it on a fresh cell.
sheet::CellStyle DataCellStyle(const ColumnAttr& attr) {
    sheet::SheetDocument scratch;
    scratch.Resize(1, 1);
    scratch.SetCellAlign(0, 0, attr.align);
    scratch.SetCellFont(0, 0, attr.fontSize, attr.styleCode, attr.face);
    scratch.SetCellNumFormat(0, 0, attr.format);
    scratch.SetCellOption(0, 0, attr.zerosShown);
    return scratch.StyleAt(0, 0);
}

// The value a displayed grid text becomes in the print sheet, by the column's type.
vb::Variant PrintValue(const std::string& text, const std::string& colType) {
    if (colType == "date") {
        return vb::Variant(vb::Format(vb::Variant(text), "yyyy-mm-dd"));
    }
    if (colType == "integer" || colType == "decimal") {
        if (const std::optional<double> number = vb::TryParseNumber(text)) {
            return vb::Variant(*number);
        }
    }
    return vb::Variant(text);
}

void SetRowCount(sheet::SheetDocument& clldata, int rows) {
    if (!clldata.SetSheetRowCount(rows)) {
        throw vb::Error(vb::kErrInvalidCall, "报表有 " + std::to_string(rows) +
                                                 " 行，超出了打印表的行数上限 " +
                                                 std::to_string(sheet::kMaxRows) + "，无法打印或导出");
    }
}

// The grid shows equal neighbouring header captions as one cell (a variable column's top caption,
// repeated over each of its columns, is one heading over all of them); the print shows the header
// the same way. A grid block that would cut a merge of the template in two is left as it is.
void MergeHeaderAsGrid(const grid::GridModel& vsf, sheet::SheetDocument& clldata, int vHeadStart) {
    const int headerRows = vsf.HeaderRowCount();
    for (const grid::MergeSpan& span : vsf.MergedSpans()) {
        const sheet::MergeRange block{span.col1, vHeadStart + span.row1, span.col2, vHeadStart + span.row2};
        if (span.row2 >= headerRows || block.c2 >= clldata.SheetColCount() ||
            block.r2 >= clldata.SheetRowCount() || (block.c1 == block.c2 && block.r1 == block.r2)) {
            continue;
        }
        const std::vector<sheet::MergeRange>& merges = clldata.Merges();
        const bool cutsAMerge =
            std::any_of(merges.begin(), merges.end(), [&block](const sheet::MergeRange& m) {
                return m.Intersects(block) && !(block.Contains(m.c1, m.r1) && block.Contains(m.c2, m.r2));
            });
        if (!cutsAMerge && std::find(merges.begin(), merges.end(), block) == merges.end()) {
            clldata.MergeCells(block.c1, block.r1, block.c2, block.r2);
        }
    }
}

} // namespace

std::string PageLineDate(vb::Date day) {
    const vb::DateParts parts = vb::SplitDate(day);
    std::string text = std::to_string(parts.year);
    text.append("年").append(std::to_string(parts.month)).append("月");
    text.append(std::to_string(parts.day)).append("日");
    return text;
}

void SetCellColWidth(const grid::GridModel& vsf, sheet::SheetDocument& clldata, double twipsPerPixelX) {
    const int cols = std::min(vsf.GridColCount(), clldata.SheetColCount());
    for (int col = 0; col < cols; ++col) {
        int px = TwipsToPixels(vsf.ColWidthTwips(col), twipsPerPixelX);
        if (vsf.ColHiddenFlag(col) || px < 10) {
            px = 0;
        }
        clldata.SetColWidth(col, std::min(px, sheet::kMaxColWidthPx));
    }
}

void SetCellDataFromVSF(const PrintSheetSource& source, sheet::SheetDocument& clldata) {
    const grid::GridModel& vsf = source.vsf;
    SetCellColWidth(vsf, clldata, source.twipsPerPixelX);
    SetCellPara(source.cll, clldata, source.vHeadStart, source.fields);
    MergeHeaderAsGrid(vsf, clldata, source.vHeadStart);

    const int dataRows = std::max(0, vsf.GridRowCount() - vsf.HeaderRowCount());
    const int firstRow = source.iHeadEnd + 1;
    SetRowCount(clldata, firstRow);
    SetRowCount(clldata, firstRow + dataRows);

    if (dataRows > 0) {
        const int cols = vsf.GridColCount();
        const int heightPx =
            std::clamp(TwipsToPixels(static_cast<double>(source.lDataRowTwips), source.twipsPerPixelY), 0,
                       sheet::kMaxRowHeightPx);
        std::vector<sheet::CellStyle> styles;
        std::vector<std::string> types;
        for (int col = 0; col < cols; ++col) {
            const auto index = static_cast<std::size_t>(col);
            styles.push_back(index < source.columns.vColAttr.size()
                                 ? DataCellStyle(source.columns.vColAttr[index])
                                 : sheet::CellStyle{});
            types.push_back(index < source.columns.vColType.size() ? source.columns.vColType[index]
                                                                   : std::string());
        }
        const int lastDataRow = clldata.SheetRowCount() - 1;
        for (int col = 0; col < std::min(cols, clldata.SheetColCount()); ++col) {
            clldata.SetRangeStyle(col, firstRow, col, lastDataRow, styles[static_cast<std::size_t>(col)]);
        }
        std::string text;
        int gridRow = vsf.HeaderRowCount();
        for (int row = firstRow; row < clldata.SheetRowCount(); ++row, ++gridRow) {
            clldata.SetRowHeight(row, heightPx);
            for (int col = 0; col < cols; ++col) {
                const auto index = static_cast<std::size_t>(col);
                text.clear();
                vsf.AppendCellText(gridRow, col, text);
                if (!text.empty()) {
                    clldata.SetCellValue(col, row, PrintValue(text, types[index]));
                }
            }
        }
    }

    const int lastCol = source.cll.SheetColCount() - 1;
    const int lastRow = clldata.SheetRowCount() - 1;
    clldata.SetRangeBorder(0, source.vHeadStart, lastCol, lastRow, 0, 1, 0);
    clldata.SetRangeBorder(0, source.vHeadStart, lastCol, lastRow, 1, 10, 0);
    clldata.SetPrintArea(0, 0, clldata.SheetColCount() - 1, lastRow, firstRow,
                         std::clamp(source.iFixedCols, 0, clldata.SheetColCount()));
    SetCellDownPara(source.cll, clldata, source.iHeadEnd, source.fields);
    // The footer rows are appended after the print range was set over the data; left outside it they
    // would reach the exported file but never the paper, and their sign-off line ("制表人：…") is
    // printed for a reason. The range is widened over them, titles unchanged.
    const sheet::PrintArea area = clldata.GetPrintArea();
    if (area.IsSet() && clldata.SheetRowCount() - 1 > area.r2) {
        clldata.SetPrintArea(area.c1, area.r1, area.c2, clldata.SheetRowCount() - 1, area.titleRows,
                             area.titleCols);
    }
    clldata.SetPageLine(kPageLineLeft, kPageLineCentre, PageLineDate(source.today));
}

} // namespace QV_GridPrint
