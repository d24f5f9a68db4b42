// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/grid/GridActions.h"

#include "vb/Conversion.h"
#include "vb/DateTime.h"
#include "vb/DecimalSum.h"
#include "vb/Format.h"

#include <algorithm>
#include <vector>

namespace grid {

namespace {

// The shown columns of [col1, col2].
std::vector<int> ShownColumns(const GridModel& grid, int col1, int col2) {
    std::vector<int> cols;
    for (int col = std::max(col1, 0); col <= std::min(col2, grid.GridColCount() - 1); ++col) {
        if (!grid.ColHiddenFlag(col)) {
            cols.push_back(col);
        }
    }
    return cols;
}

// The shortest text that reads back as the value, at most the significant digits the type holds
// exactly (15 for a Double, 7 for a Single): 0.1 + 0.2 copies as 0.3, a Single's 0.1 as 0.1, -0 as 0.
std::string RawNumber(double value, int digits) {
    return vb::NumberText(value, digits);
}

bool IsNumber(const vb::Variant& value) {
    switch (value.Type()) {
    case vb::VarType::Integer:
    case vb::VarType::Long:
    case vb::VarType::Single:
    case vb::VarType::Double:
    case vb::VarType::Currency:
        return true;
    default:
        return false;
    }
}

// The cell's value as a spreadsheet should take it, or its displayed text where that is the value.
std::string RawText(const GridModel& grid, int row, int col) {
    std::string shown = grid.CellTextAt(row, col);
    if (shown.empty()) {
        return shown; // a blanked zero, a False shown as nothing: the user sees an empty cell
    }
    const vb::Variant value = grid.CellValue(row, col);
    if (IsNumber(value)) {
        return RawNumber(*value.NumberValue(), value.Type() == vb::VarType::Single ? 7 : 15);
    }
    return value.Type() == vb::VarType::Date ? vb::FormatDate(value.AsDate()) : shown;
}

void AppendHtmlEscaped(std::string& out, std::string_view text) {
    for (char ch : text) {
        switch (ch) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\n':
            out += "<br>";
            break;
        default:
            out += ch;
        }
    }
}

// Tabs and line ends inside a cell would split it in a paste.
void AppendTextCell(std::string& out, std::string_view text) {
    for (char ch : text) {
        out += ch == '\t' || ch == '\n' || ch == '\r' ? ' ' : ch;
    }
}

} // namespace

CopiedCells CopyCells(const GridModel& grid, MergeSpan range, bool withHeader, bool withHtml) {
    CopiedCells copied;
    const int firstRow = std::max(range.row1, grid.HeaderRowCount());
    const int lastRow = std::min(range.row2, grid.GridRowCount() - 1);
    const std::vector<int> cols = ShownColumns(grid, range.col1, range.col2);
    if (range.row1 < 0 || range.col1 < 0 || cols.empty() || (firstRow > lastRow && !withHeader)) {
        return copied;
    }
    std::string html = "<html><head><meta charset=\"utf-8\"></head><body><table border=\"1\">\n";
    const auto appendRow = [&](int row, bool isHeader) {
        html += "<tr>";
        for (std::size_t index = 0; index < cols.size(); ++index) {
            const int col = cols[index];
            if (index > 0) {
                copied.text += '\t';
            }
            const MergeSpan* span = isHeader ? grid.MergedSpanAt(row, col) : nullptr;
            // A merged block shows once: in the text in its first shown cell, in the table as one cell.
            const bool isCovered = span && (row > span->row1 || (index > 0 && cols[index - 1] >= span->col1));
            if (isCovered) {
                continue;
            }
            const std::string text = isHeader ? grid.CellTextAt(row, col) : RawText(grid, row, col);
            AppendTextCell(copied.text, text);
            if (!withHtml) {
                continue;
            }
            html += isHeader ? "<th" : "<td";
            if (span) {
                const long colSpan = std::count_if(cols.begin(), cols.end(),
                                                   [&](int c) { return c >= span->col1 && c <= span->col2; });
                const int rowSpan = span->row2 - span->row1 + 1;
                if (rowSpan > 1) {
                    html += " rowspan=\"" + std::to_string(rowSpan) + '"';
                }
                if (colSpan > 1) {
                    html += " colspan=\"" + std::to_string(colSpan) + '"';
                }
            }
            html += '>';
            AppendHtmlEscaped(html, text);
            html += isHeader ? "</th>" : "</td>";
        }
        copied.text += '\n';
        html += "</tr>\n";
    };
    if (withHeader) {
        for (int row = 0; row < grid.HeaderRowCount(); ++row) {
            appendRow(row, true);
        }
    }
    for (int row = firstRow; row <= lastRow; ++row) {
        appendRow(row, false);
    }
    if (withHtml) {
        copied.html = std::move(html) + "</table></body></html>\n";
    }
    return copied;
}

std::optional<RangeNumbers> SumNumbers(const GridModel& grid, MergeSpan range, long cellLimit) {
    RangeNumbers numbers;
    const int firstRow = std::max(range.row1, grid.HeaderRowCount());
    const int lastRow = std::min(range.row2, grid.GridRowCount() - 1);
    const std::vector<int> cols = ShownColumns(grid, range.col1, range.col2);
    if (range.row1 < 0 || firstRow > lastRow) {
        return numbers;
    }
    if (static_cast<double>(lastRow - firstRow + 1) * static_cast<double>(cols.size()) >
        static_cast<double>(cellLimit)) {
        return std::nullopt;
    }
    // On decimals, as the totals row adds: a column of cents sums to the cent total, not to
    // 4570572.19999999.
    vb::DecimalSum sum;
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int col : cols) {
            ++numbers.cells;
            const vb::Variant value = grid.CellValue(row, col);
            if (IsNumber(value)) {
                ++numbers.numbers;
                sum.AddValue(value);
            }
        }
    }
    numbers.sum = sum.Value();
    return numbers;
}

int RecordRowCount(const GridModel& grid) {
    const int rows = grid.GridRowCount() - grid.HeaderRowCount();
    return grid.TotalsRow() >= grid.HeaderRowCount() ? rows - 1 : rows;
}

std::string StatusNumber(double value, int decimals) {
    // Rounded on the value's decimal form, halves away from zero, as every shown number is.
    std::string out =
        vb::Format(vb::Variant(value), decimals > 0 ? "#,##0." + std::string(decimals, '0') : "#,##0");
    if (const std::size_t point = out.find('.'); point != std::string::npos) {
        while (out.back() == '0') {
            out.pop_back();
        }
        if (out.back() == '.') {
            out.pop_back();
        }
    }
    return out == "-0" ? "0" : out;
}

int FitColumnWidthTwips(const GridModel& grid, int col, int firstRow, int lastRow,
                        const std::function<int(int row, int col, const std::string& text)>& textTwips) {
    if (col < 0 || col >= grid.GridColCount()) {
        return 0;
    }
    if (grid.ColHiddenFlag(col)) {
        return grid.ColWidthTwips(col);
    }
    constexpr int kMarginTwips = 180; // the cell's padding on both sides and a little air
    int widest = 0;
    for (int row = 0; row < grid.HeaderRowCount(); ++row) {
        const MergeSpan* span = grid.MergedSpanAt(row, col);
        if (span && span->col1 != span->col2) {
            continue;
        }
        widest = std::max(widest, textTwips(row, col, grid.CellTextAt(row, col)));
    }
    firstRow = std::max(firstRow, grid.HeaderRowCount());
    lastRow = std::min(lastRow, grid.GridRowCount() - 1);
    for (int row = firstRow; row <= lastRow; ++row) {
        widest = std::max(widest, textTwips(row, col, grid.CellTextAt(row, col)));
    }
    return widest + kMarginTwips;
}

} // namespace grid
