// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

// A sales report set up the way the report window sets its grid up: a three-row merged Chinese
// header copied from a template, column formats, a fill from an array, totals and row colours.
// The model tests, the view tests and the screenshot all use it.

#include "controls/grid/GridModel.h"
#include "vb/Array.h"
#include "vb/DateTime.h"

#include <memory>
#include <string>
#include <vector>

namespace grid::test {

// Header texts as the template draws them: a caption written into every cell of its merged block.
inline const std::vector<std::vector<std::string>> kSalesHeader = {
    {"客户", "日期", "销售情况", "销售情况", "销售情况", "销售情况"},
    {"客户", "日期", "数量", "金额明细", "金额明细", "已付"},
    {"客户", "日期", "数量", "单价", "金额", "已付"},
};

inline std::shared_ptr<vb::Array> SalesRows() {
    struct Record {
        const char* customer;
        int day;
        int quantity;
        double price;
        double amount;
        bool isPaid;
    };
    const Record records[] = {
        {"华东商贸有限公司", 5, 1200, 12.5, 15000.1, true},
        {"北方百货", 6, 0, 0.1, 0.2, false},
        {"南方超市", 7, 35, 0.2, 0.1, true},
    };
    auto rows = std::make_shared<vb::Array>(std::vector<vb::Array::Bound>{{0, 5}, {0, 2}});
    long record = 0;
    for (const Record& r : records) {
        rows->Set(0, record, r.customer);
        rows->Set(1, record, vb::Date{vb::DateSerial(2024, 3, r.day)});
        rows->Set(2, record, vb::Variant::Long(r.quantity));
        rows->Set(3, record, r.price);
        rows->Set(4, record, r.amount);
        rows->Set(5, record, r.isPaid);
        ++record;
    }
    // Zeros of a blank-zero column are emptied in the array before the fill, as the window does.
    rows->Set(2, 1, "");
    return rows;
}

// Header, formats and widths, as the template gives them.
inline void SetUpSalesHeader(GridModel& grid) {
    const int headerRows = static_cast<int>(kSalesHeader.size());
    grid.SetGridRowCount(headerRows);
    grid.SetGridColCount(0);
    grid.SetGridColCount(6);
    grid.SetHeaderRowCount(headerRows);
    grid.SetHeaderColCount(0);
    grid.SetMergeMode(5);
    for (int row = 0; row < headerRows; ++row) {
        grid.SetRowMergeFlag(row, true);
        grid.SetRowHeightTwips(row, 300);
        for (int col = 0; col < 6; ++col) {
            grid.SetRangeProp(0, row, col,
                              kSalesHeader[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)]);
            grid.SetRangeProp(2, row, col, 4);
            grid.SetRangeProp(11, row, col, "黑体");
        }
    }
    const int widths[] = {2400, 1500, 1100, 1200, 1500, 800};
    for (int col = 0; col < 6; ++col) {
        grid.SetColMergeFlag(col, true);
        grid.SetColWidthTwips(col, widths[col]);
    }
    const char* formats[] = {"", "yyyy-mm-dd", "#,##;; ", "#,###0.00", "#,###0.00;; ", "√; "};
    const int aligns[] = {1, 4, 7, 7, 7, 4};
    for (int col = 0; col < 6; ++col) {
        grid.SetColAlignCode(col, aligns[col]);
        if (*formats[col] != '\0') {
            grid.SetColFormatText(col, formats[col]);
        }
    }
}

// The whole report: header, data, totals ("y" on quantity and amount, "bal" on price, caption 合计),
// fonts and heights of the data rows, and the flagged rows' colours.
inline void SetUpSalesReport(GridModel& grid) {
    SetUpSalesHeader(grid);
    grid.FillFromArray(vb::Variant(SalesRows()));
    grid.AddTotalRow(2, -1, 2, "#,##;; ", 0xC0FFFF);
    grid.AddTotalRow(2, -1, 3, "#,###0.00", 0xC0FFFF);
    const int last = grid.GridRowCount() - 1;
    grid.SetRangeProp(0, last, 3, last, 3, grid.RangeProp(18, last - 1, 3, last - 1, 3));
    grid.AddTotalRow(2, -1, 4, "#,###0.00;; ", 0xC0FFFF);
    grid.SetRangeProp(0, last, 0, "");
    grid.SetRangeProp(0, last, 0, "合计");
    for (int col = 0; col < 6; ++col) {
        grid.SetRangeProp(11, 3, col, last, "宋体"); // column defaults to col, as the window writes it
        grid.SetRangeProp(12, 3, col, last, col, 10.5);
    }
    grid.SetRangeProp(13, 3, 4, last, 4, true);
    for (int row = 3; row <= last; ++row) {
        grid.SetRowHeightTwips(row, 330);
    }
    grid.SetRangeProp(6, 4, 0, 4, 5, 0xFFFFC0);
}

} // namespace grid::test
