// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "hostobject/LoginRecord.h"

#include "ado/Recordset.h"
#include "vb/Conversion.h"
#include "vb/Strings.h"

#include <string>

namespace QV_GridPrint {
namespace {

void AppendField(ado::Recordset& rs, const std::string& name, const std::string& typeCode) {
    const std::string letter = vb::UCase(vb::Left(typeCode, 1));
    if (letter == "N") {
        rs.AppendField(name, ado::adCurrency, 0, ado::adFldUnspecified);
    } else if (letter == "B") {
        rs.AppendField(name, ado::adBoolean, 0, ado::adFldUnspecified);
    } else if (letter == "D") {
        rs.AppendField(name, ado::adDate, 0, ado::adFldUnspecified);
    } else if (letter == "S") {
        const std::int16_t size = vb::CInt(vb::Variant(vb::Val(vb::Mid(typeCode, 2, 10))));
        rs.AppendField(name, ado::adBSTR, size, ado::adFldUnspecified);
    } else {
        rs.AppendField(name, ado::adBSTR, 50, ado::adFldUnspecified);
    }
}

} // namespace

bool BuildLoginRecord(ado::Recordset& rs, std::string_view fieldList) {
    if (rs.State() == ado::adStateOpen) {
        rs.Close();
    }
    if (vb::Trim(fieldList).empty()) {
        return false;
    }
    // Positions are 1-based as InStr counts them; scan is the position of the last comma consumed.
    long scan = 0;
    long comma = -1;
    while (comma != 0) {
        comma = vb::InStr(fieldList, ",", scan + 1);
        std::string item;
        if (comma != 0) {
            item = vb::Mid(fieldList, scan + 1, comma - scan - 1);
            scan = comma;
        } else {
            item = vb::Mid(fieldList, scan + 1);
        }
        item = vb::Trim(item);
        const long space = vb::InStr(item, " ");
        if (space == 0) {
            return false;
        }
        AppendField(rs, vb::Left(item, space - 1), vb::Trim(vb::Mid(item, space + 1)));
    }
    rs.Open();
    rs.AddNew();
    return true;
}

void SetLoginFieldText(ado::Recordset& rs, const std::string& name, const std::string& text) {
    const ado::Field field = rs.Fields(name);
    const vb::Variant value(text);
    switch (field.Type()) {
    case ado::adCurrency:
        field.SetValue(vb::Variant(vb::CCur(value)));
        break;
    case ado::adBoolean:
        field.SetValue(vb::Variant(vb::CBool(value)));
        break;
    case ado::adDate:
        field.SetValue(vb::Variant(vb::CDate(value)));
        break;
    default:
        field.SetValue(value);
        break;
    }
}

} // namespace QV_GridPrint
