// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "reportgrid/ColumnFormats.h"

#include "ado/Recordset.h"
#include "controls/grid/GridModel.h"
#include "controls/sheet/CellAlign.h"
#include "controls/sheet/SheetDocument.h"
#include "reportgrid/TemplateHeader.h"
#include "vb/Array.h"
#include "vb/Conversion.h"
#include "vb/Error.h"
#include "vb/Strings.h"

namespace QV_GridPrint {

void ColumnTables::Reset(int columnCount) {
    const auto count = static_cast<std::size_t>(std::max(columnCount, 0));
    vFields = vb::Variant(vb::Array::FromValues(std::vector<vb::Variant>(count)));
    vColType.assign(count, {});
    vColFormat.assign(count, {});
    vTotalFlag.assign(count, {});
    vColAttr.assign(count, {});
}

int AlignCodeFromFlags(long flags) {
    return sheet::CellAlign::FromFlags(flags).GridCode();
}

bool ColumnTypeAndFormat(int typeCode, const sheet::NumFormat& format, bool blanksZeros,
                         std::string& typeName, std::string& displayFormat) {
    const std::string thousands = format.grouping == 1 ? "#,##" : "";
    const std::string decimals =
        format.decimals > 0 ? "#0." + std::string(static_cast<std::size_t>(format.decimals), '0') : "";
    // The grouping prefix ends in "#", which shows nothing for zero: where no decimals part closes it
    // ("#,###0.00") it needs its own "0", or a grouped column that shows zeros would show 0 blank.
    const auto closed = [](const std::string& number) {
        return !number.empty() && number.back() == '#' ? number + "0" : number;
    };
    const std::string zeroSection = blanksZeros ? ";; " : "";
    switch (typeCode) {
    case 2:
    case 3:
    case 4:
    case 16:
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
        typeName = "integer";
        displayFormat = thousands.empty() && zeroSection.empty() ? "" : closed(thousands) + zeroSection;
        return true;
    case 5:
    case 6:
    case 14:
    case 131:
    case 139:
        typeName = "decimal";
        displayFormat = (thousands + decimals).empty() && zeroSection.empty()
                            ? ""
                            : closed(thousands + decimals) + zeroSection;
        return true;
    case 7:
    case 64:
    case 133:
    case 134:
    case 135:
    case 137:
        typeName = "date";
        displayFormat = "yyyy-mm-dd";
        return true;
    case 8:
    case 12:
    case 129:
    case 130:
    case 200:
    case 201:
    case 202:
    case 203:
        typeName = "string";
        displayFormat.clear();
        return true;
    case 11:
        typeName = "boolean";
        displayFormat = "√; ";
        return true;
    default:
        typeName = "string";
        displayFormat.clear();
        return false;
    }
}

void SetColFormat(const sheet::SheetDocument& cll, grid::GridModel& vsf, const ado::Recordset& rsData,
                  int iColCount, int fieldRow, int totalsRow, ColumnTables& tables) {
    if (static_cast<int>(tables.vColType.size()) != iColCount) {
        tables.Reset(iColCount);
    }
    vb::Array& fields = *tables.vFields.AsArray();
    std::string typeName;
    std::string displayFormat;
    for (int j = 0; j < iColCount; ++j) {
        const auto index = static_cast<std::size_t>(j);
        vsf.SetColAlignCode(j, AlignCodeFromFlags(cll.GetCellAlign(j, fieldRow)));
        const std::string fieldName = TemplateCellText(cll, j, fieldRow);
        tables.vTotalFlag[index] = vb::LCase(vb::Trim(TemplateCellText(cll, j, totalsRow)));
        sheet::NumFormat format;
        cll.GetCellNumFormat(j, fieldRow, format);
        const int option = cll.GetCellOption(j, fieldRow);
        const bool blanksZeros = option != 0;
        int typeCode = 8;
        if (!fieldName.empty() && rsData.HasField(fieldName)) {
            typeCode = rsData.Fields(fieldName).Type();
            fields.Set(j, vb::Variant(fieldName));
        } else {
            fields.Set(j, vb::Variant(0));
        }
        ColumnTypeAndFormat(typeCode, format, blanksZeros, typeName, displayFormat);
        tables.vColFormat[index] = displayFormat;
        if (!displayFormat.empty()) {
            vb::SkipOnError([&] { vsf.SetColFormatText(j, displayFormat); });
        }
        tables.vColType[index] = typeName;
        ColumnAttr& attr = tables.vColAttr[index];
        attr.align = cll.GetCellAlign(j, fieldRow);
        cll.GetCellFont(j, fieldRow, attr.fontSize, attr.styleCode, attr.face);
        attr.format = format;
        attr.zerosShown = option == 0 ? 1 : 0;
    }
    SetUnVisibleCol(vsf, tables);
}

void SetUnVisibleCol(grid::GridModel& vsf, const ColumnTables& tables) {
    const vb::Array& fields = *tables.vFields.AsArray();
    for (long k = fields.LBound(); k <= fields.UBound() && k < vsf.GridColCount(); ++k) {
        const vb::Variant field = fields.Get(k);
        if (!field.IsString()) {
            vsf.SetColHiddenFlag(static_cast<int>(k), true);
        }
    }
}

void BlankZeroValues(vb::Array& vData, const ColumnTables& tables, int iColCount) {
    if (vData.Dims() != 2) {
        return;
    }
    const long lastColumn = std::min<long>(vData.UBound(1), iColCount - 1);
    for (long col = 0; col <= lastColumn; ++col) {
        const auto index = static_cast<std::size_t>(col);
        const bool isNumeric = tables.vColType[index] == "integer" || tables.vColType[index] == "decimal";
        if (!isNumeric || tables.vColAttr[index].zerosShown != 0) {
            continue;
        }
        for (long row = vData.LBound(2); row <= vData.UBound(2); ++row) {
            const vb::Variant cell = vData.Get(col, row);
            const std::optional<double> number = cell.NumberValue();
            if (number && *number == 0 && cell.Type() != vb::VarType::Boolean) {
                vData.Set(col, row, vb::Variant(""));
            }
        }
    }
}

} // namespace QV_GridPrint
