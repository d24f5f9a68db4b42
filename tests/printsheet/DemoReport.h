// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "ado/Recordset.h"
#include "controls/grid/GridModel.h"
#include "controls/sheet/SheetDocument.h"
#include "printsheet/PrintSheet.h"
#include "reportgrid/ColumnFormats.h"
#include "reportgrid/TemplateHeader.h"
#include "reportgrid/TotalsAndFonts.h"
#include "vb/Array.h"
#include "vb/DateTime.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace vondrel::test {

inline const std::string kDemoTemplate = std::string(VONDREL_DEMO_TEMPLATES) + "/销售日报.cll";

// One sale of the demo template's columns; a Null amount is written as Null.
struct Sale {
    int id;
    const char* date;
    const char* customer;
    const char* product;
    int qty;
    double price;
    double amount;
    bool paid;
};

inline std::shared_ptr<ado::Recordset> SalesRecordset(const std::vector<Sale>& sales) {
    auto rs = ado::Recordset::Create();
    rs->AppendField("finterid", ado::adInteger);
    rs->AppendField("fdate", ado::adDate);
    rs->AppendField("fcustomer", ado::adVarWChar, 40);
    rs->AppendField("fproduct", ado::adVarWChar, 40);
    rs->AppendField("fqty", ado::adInteger);
    rs->AppendField("fprice", ado::adNumeric);
    rs->AppendField("famount", ado::adNumeric);
    rs->AppendField("fpaid", ado::adBoolean);
    rs->Open();
    for (const Sale& sale : sales) {
        rs->AddNew();
        rs->Fields("finterid").SetValue(vb::Variant(sale.id));
        rs->Fields("fdate").SetValue(vb::Variant(vb::ParseDate(sale.date)));
        rs->Fields("fcustomer").SetValue(vb::Variant(sale.customer));
        rs->Fields("fproduct").SetValue(vb::Variant(sale.product));
        rs->Fields("fqty").SetValue(vb::Variant(sale.qty));
        rs->Fields("fprice").SetValue(vb::Variant(sale.price));
        rs->Fields("famount").SetValue(vb::Variant(sale.amount));
        rs->Fields("fpaid").SetValue(vb::Variant(sale.paid));
    }
    return rs;
}

// The demo's 销售日报 template loaded into both sheets, and the grid built from it and the rows with
// the report grid's own steps, in the window's order: header, column formats, rows, blank zeros,
// totals, fonts.
struct DemoReport {
    sheet::SheetDocument cll;
    sheet::SheetDocument clldata;
    grid::GridModel vsf;
    QV_GridPrint::ColumnTables columns;
    QV_GridPrint::TemplateRows rows;
    long lDataRowTwips = 0;
    std::shared_ptr<ado::Recordset> rsData;

    explicit DemoReport(const std::vector<Sale>& sales, const std::string& file = kDemoTemplate) {
        if (cll.OpenFile(file) != 1 || clldata.OpenFile(file) != 1) {
            throw std::runtime_error("cannot open " + file + ": " + cll.LastError().ToString());
        }
        if (!QV_GridPrint::GetFixedRows(cll, rows)) {
            throw std::runtime_error("no header markers in " + file);
        }
        const int cols = cll.SheetColCount();
        columns.Reset(cols);
        lDataRowTwips = QV_GridPrint::SetVSFHead(cll, vsf, rows, cols, 15, 15);
        rsData = SalesRecordset(sales);
        vsf.SetGridRowCount(rows.iFixedRows);
        if (rsData->RecordCount() < 1) {
            return;
        }
        QV_GridPrint::SetColFormat(cll, vsf, *rsData, cols, rows.iHeadEnd + 1, rows.iHeadEnd + 3, columns);
        rsData->MoveFirst();
        const vb::Variant data = rsData->GetRows(ado::adGetRowsRest, {}, columns.vFields);
        QV_GridPrint::BlankZeroValues(*data.AsArray(), columns, cols);
        vsf.FillFromArray(data);
        QV_GridPrint::AddHJ(vsf, columns);
        QV_GridPrint::SetVSFont(vsf, columns, cols, rows.iFixedRows, lDataRowTwips, rsData);
    }

    QV_GridPrint::PrintSheetSource Source(const QV_GridPrint::PageFieldValues& fields,
                                          int fixedCols = 0) const {
        return {.cll = cll,
                .vsf = vsf,
                .columns = columns,
                .vHeadStart = rows.vHeadStart,
                .iHeadEnd = rows.iHeadEnd,
                .iFixedCols = fixedCols,
                .lDataRowTwips = lDataRowTwips,
                .twipsPerPixelX = 15,
                .twipsPerPixelY = 15,
                .fields = fields,
                .today = vb::MakeDate({2024, 3, 5, 0, 0, 0})};
    }
};

} // namespace vondrel::test
