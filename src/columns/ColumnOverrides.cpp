// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Column overrides.
//
// Design notes.
//  1. fcol addresses the column layout after the variable columns to its left were inserted. The rows
//     come in ascending fcol and each insertion lands at the current row's column or to its right, so
//     applying them in order rebuilds exactly the layout the grid showed when the widths were saved.
//  2. begRow and endRow outlive the loop: the merge left of the first variable column spans the header
//     rows of the last row visited, which all rows of one template share.
//  3. The load is the only statement that carries the user id, and it is checked numeric before it is
//     written (the catalogue statements raise otherwise); a caption is quote-doubled, never spliced.
//  4. Reset ignores failures step by step, and the reset's refetch runs whatever happened before it. The
//     save tries every column and hands what failed to the window to say once: a closing window is
//     never stopped, and one column's failure never costs the widths of the others.
//  5. Nothing a user can store keeps a report from opening. Rows outlive template drawings: a fixed
//     row whose header rows are not the template's any more describes columns that moved, so its
//     caption is not applied (its width is, where the column still exists) and the next close
//     rewrites it for the template as it is. Captions keep their empty levels when saved, and a
//     caption with fewer levels than header rows sets the levels it has.
#include "columns/ColumnOverrides.h"

#include "ado/Command.h"
#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "catalogue/CatalogueSql.h"
#include "catalogue/ModGridPrint.h"
#include "catalogue/ReportDefinition.h"
#include "controls/grid/GridModel.h"
#include "controls/sheet/CellAlign.h"
#include "controls/sheet/SheetDocument.h"
#include "hostobject/clsGridPrint.h"
#include "ui/Services.h"
#include "vb/Conversion.h"
#include "vb/Error.h"
#include "vb/Strings.h"

#include <cmath>
#include <cstdint>

namespace QV_GridPrint::columns {
namespace {

// A test against a field that counts Null as not satisfied.
bool Equals(const vb::Variant& value, long expected) {
    const std::optional<std::int32_t> number = value.IsNull() ? std::nullopt : vb::TryCLng(value);
    return number && *number == expected;
}

// Writes the caption's levels into the header rows from begRow down; a Null caption writes nothing,
// and a caption with fewer levels leaves the rows below its last level as the template has them.
void WriteCaptionLevels(sheet::SheetDocument& sheet, int col, int begRow, int endRow,
                        const vb::Variant& caption, bool isCentred) {
    if (caption.IsNull() || caption.IsEmpty()) {
        return;
    }
    const std::vector<std::string> parts = vb::Split(vb::CStr(caption), ",");
    for (int row = begRow; row <= endRow && static_cast<std::size_t>(row - begRow) < parts.size(); ++row) {
        sheet.SetCellValue(col, row, vb::Variant(parts[static_cast<std::size_t>(row - begRow)]));
        if (isCentred) {
            sheet.SetCellAlign(col, row, ::sheet::kAlignCentre | ::sheet::kAlignMiddle);
        }
    }
}

// Widths are whole pixels on the sheet; halves go to the even neighbour.
int WholePixels(double width) {
    return static_cast<int>(vb::RoundHalfEven(width));
}

// A value a row cannot do without. Null, text that is no number, or a negative or huge number ends
// the load as any error there does, with a message naming the setting rather than a bare "invalid
// use of Null" or "type mismatch".
double Required(const ado::Recordset& rs, const char* field, double low, double high) {
    const vb::Variant value = rs.Fields(field).Value();
    const std::optional<double> number =
        value.IsNull() || value.IsEmpty() ? std::nullopt : vb::TryCDbl(value);
    if (number && *number >= low && *number <= high) {
        return *number;
    }
    std::string message = "个人列设置（QV_RptChangeColFormat）的 ";
    message.append(field);
    if (value.IsNull() || value.IsEmpty()) {
        message.append(" 是空值");
    } else {
        message.append("“").append(vb::CStr(value)).append(number ? "”是负数或太大" : "”不是数字");
    }
    message.append("，请修正或删除这一行");
    throw vb::Error(value.IsNull() ? vb::kErrInvalidUseOfNull : vb::kErrTypeMismatch, message);
}

} // namespace

std::optional<vb::Variant> OverrideUser::Get(clsGridPrint& host, ui::Services& services) {
    std::string shown;
    try {
        const auto login = host.rsLogin();
        // A host without a login row, or one whose login has no fuserid, keeps no personal settings.
        if (!login || login->State() != ado::adStateOpen || login->IsEOF() || login->BOF() ||
            !login->HasField("fuserid")) {
            return std::nullopt;
        }
        const vb::Variant value = login->Fields("fuserid").Value();
        // No user given (the field left empty or Null) is a host without personal settings, like
        // one without the field; only a value that is there and is not a number is a fault.
        if (value.IsEmpty() || value.IsNull()) {
            return std::nullopt;
        }
        if (vb::IsNumeric(value)) {
            return value;
        }
        shown = vb::CStr(value);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (!m_isReported) {
        m_isReported = true;
        services.ShowMessage({"登录记录中的用户号 fuserid 不是数字（" + shown +
                                  "），本次不读取也不保存个人的列宽和列标题设置。",
                              modGridPrint::kNoticeTitle, ui::Buttons::Ok, ui::Icon::Warning});
    }
    return std::nullopt;
}

void ApplyChangeFormat(ado::Connection& cnn, const vb::Variant& userId, std::int16_t reportId,
                       sheet::SheetDocument& sheet, const HeaderRows& header) {
    const auto rs = cnn.Execute(catalogue::SelectOverridesOfUser(userId, reportId));
    if (!rs || rs->State() != ado::adStateOpen || rs->RecordCount() < 1) {
        return;
    }
    std::int16_t begRow = 0;
    std::int16_t endRow = 0;
    for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext()) {
        const auto rowBeg = static_cast<std::int16_t>(Required(*rs, "fbegrow", 0, INT16_MAX));
        const auto rowEnd = static_cast<std::int16_t>(Required(*rs, "fendrow", 0, INT16_MAX));
        const bool isVariable = Equals(rs->Fields("fischange").Value(), 1);
        const int col = static_cast<int>(Required(*rs, "fcol", 0, INT16_MAX));
        const vb::Variant caption = rs->Fields("fcaption").Value();
        if (!isVariable) {
            // A column the template no longer has gets nothing; one whose header moved keeps only its
            // width, since its caption was written for other header rows.
            if (col >= sheet.SheetColCount()) {
                continue;
            }
            sheet.SetColWidth(col, WholePixels(Required(*rs, "fwidth", 0, 100000)));
            if (HeaderRows{rowBeg, rowEnd} != header) {
                continue;
            }
        }
        begRow = rowBeg;
        endRow = rowEnd;
        if (isVariable) {
            if (sheet.SheetColCount() - 1 < col) {
                sheet.AppendCols(1);
            } else {
                sheet.InsertCols(col, 1);
            }
            const vb::Variant field = rs->Fields("fdatafield").Value();
            if (begRow == endRow) {
                sheet.SetCellValue(col, begRow, caption);
                sheet.SetCellValue(col, begRow + 1, field);
                sheet.SetCellAlign(col, begRow, ::sheet::kAlignCentre | ::sheet::kAlignMiddle);
            } else {
                WriteCaptionLevels(sheet, col, begRow, endRow, caption, true);
                sheet.SetCellValue(col, endRow + 1, field);
            }
            if (Equals(rs->Fields("fistotal").Value(), 1)) {
                sheet.SetCellValue(col, endRow + 3, vb::Variant(std::string("y")));
            }
            const vb::Variant dataType = rs->Fields("fdatatype").Value();
            if (Equals(dataType, 0)) {
                sheet.SetCellAlign(col, endRow + 1, ::sheet::kAlignRight | ::sheet::kAlignMiddle);
                sheet.SetCellOption(col, endRow + 1, 0);
                const vb::Variant decimals = rs->Fields("fdataformat").Value();
                if (!decimals.IsNull() && !Equals(decimals, 0)) {
                    sheet.SetCellNumFormat(col, endRow + 1, 0, false, vb::CInt(decimals), -1, 0.0, 0, false);
                }
            } else {
                sheet.SetCellAlign(col, endRow + 1, ::sheet::kAlignLeft | ::sheet::kAlignMiddle);
            }
            sheet.SetColWidth(col, WholePixels(Required(*rs, "fwidth", 0, 100000)));
        } else if (begRow != endRow) {
            WriteCaptionLevels(sheet, col, begRow, endRow, caption, false);
        } else {
            sheet.SetCellValue(col, begRow, caption);
        }
    }
    for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext()) {
        if (Equals(rs->Fields("fischange").Value(), 1)) {
            const int first = vb::CLng(rs->Fields("fcol").Value());
            sheet.MergeCells(first - 1, begRow, first - 1, endRow);
            break;
        }
    }
}

std::string HeaderCaption(const grid::GridModel& grid, int col) {
    std::string caption;
    for (int row = 0; row < grid.HeaderRowCount(); ++row) {
        caption.append(row ? "," : "").append(grid.CellTextAt(row, col));
    }
    return caption;
}

std::optional<std::string> SaveColumnWidths(ado::Connection& cnn, const vb::Variant& userId,
                                            std::int16_t reportId, const grid::GridModel& grid,
                                            const HeaderRows& header, double twipsPerPixelX) {
    const auto begRow = static_cast<std::int16_t>(header.first);
    const auto endRow = static_cast<std::int16_t>(header.last);
    int failedCount = 0;
    std::string firstFailure;
    for (int col = 0; col < grid.GridColCount(); ++col) {
        try {
            const auto found = cnn.Execute(catalogue::SelectOverridesOfUserColumn(userId, col, reportId));
            const double widthPx = grid.ColWidthTwips(col) / twipsPerPixelX;
            if (!found || found->State() != ado::adStateOpen || found->IsEOF()) {
                cnn.Execute(catalogue::InsertFixedColumnOverride(userId, reportId, col, begRow, endRow,
                                                                 widthPx, HeaderCaption(grid, col)));
                continue;
            }
            const bool isStale = !Equals(found->Fields("fischange").Value(), 1) &&
                                 (!Equals(found->Fields("fbegrow").Value(), begRow) ||
                                  !Equals(found->Fields("fendrow").Value(), endRow));
            if (isStale) {
                cnn.Execute(catalogue::RewriteFixedColumnOverride(userId, reportId, col, begRow, endRow,
                                                                  widthPx, HeaderCaption(grid, col)));
            }
            cnn.Execute(catalogue::UpdateOverrideWidth(widthPx, userId, reportId, col));
        } catch (const std::exception& error) {
            if (failedCount++ == 0) {
                firstFailure = error.what();
            }
        }
    }
    if (failedCount == 0) {
        return std::nullopt;
    }
    return "共 " + std::to_string(failedCount) + " 列没有保存。" + firstFailure;
}

void ResetOverrides(const std::shared_ptr<ado::Connection>& cnn, std::int16_t reportId,
                    const std::vector<std::string>& paraValue, const vb::Variant& userId) {
    vb::SkipOnError([&] { cnn->Execute(catalogue::DeleteOverridesOfReport(reportId)); });
    std::string procedure;
    vb::SkipOnError([&] {
        const auto rs = cnn->Execute(catalogue::SelectReportById(reportId));
        if (rs && rs->State() == ado::adStateOpen && !rs->IsEOF()) {
            procedure = vb::Trim(catalogue::ReadReportRow(*rs).fchangecol.value_or(""));
        }
    });
    if (procedure.empty()) {
        return;
    }
    vb::SkipOnError([&] {
        auto command = ado::Command::Create();
        command->SetActiveConnection(cnn);
        command->CommandText = procedure;
        command->CommandTimeout = 0;
        command->CommandType = ado::adCmdStoredProc;
        command->Parameters().Refresh();
        for (std::size_t index = 0; index < paraValue.size(); ++index) {
            command->Parameters()(index + 1).Value = vb::Variant(paraValue[index]);
        }
        command->Parameters()(paraValue.size() + 1).Value = userId;
        command->Execute();
    });
}

bool HasColumnOverrides(ado::Connection& cnn, std::int16_t reportId, long column) {
    const auto rs = cnn.Execute(catalogue::SelectOverridesOfColumn(reportId, column));
    return rs && rs->State() == ado::adStateOpen && !rs->IsEOF();
}

} // namespace QV_GridPrint::columns
