// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "catalogue/ReportDefinition.h"

#include "ado/Recordset.h"
#include "vb/Conversion.h"
#include "vb/Error.h"
#include "vb/Strings.h"

#include <algorithm>

namespace QV_GridPrint::catalogue {
namespace {

// One field read the way the language assigns it: a failure (no such field, no current record, a
// value the target type cannot hold) leaves nothing.
template <class T, class Convert>
std::optional<T> Read(const ado::Recordset& rs, const char* name, Convert convert) {
    try {
        return convert(rs.Fields(name).Value());
    } catch (const vb::Error&) {
        return std::nullopt;
    }
}

std::optional<std::string> Text(const ado::Recordset& rs, const char* name) {
    return Read<std::string>(rs, name, [](const vb::Variant& value) { return vb::CStr(value); });
}

std::optional<std::string> TextNullEmpty(const ado::Recordset& rs, const char* name) {
    return Read<std::string>(
        rs, name, [](const vb::Variant& value) { return value.IsNull() ? std::string() : vb::CStr(value); });
}

} // namespace

ReportRow ReadReportRow(const ado::Recordset& rs) {
    ReportRow row;
    row.qid = Read<std::int16_t>(rs, "qid", [](const vb::Variant& v) { return vb::CInt(v); });
    row.qrptname = Text(rs, "qrptname");
    row.qrptgrpid = Read<std::int16_t>(rs, "qrptgrpid", [](const vb::Variant& v) { return vb::CInt(v); });
    row.qfmtfilename = TextNullEmpty(rs, "qfmtfilename");
    row.qheadheight = Read<std::int32_t>(rs, "qheadheight",
                                         [](const vb::Variant& v) { return ClampHeadHeight(vb::CLng(v)); });
    row.qclsname = TextNullEmpty(rs, "qclsname");
    row.qstoreproc = Text(rs, "qstoreproc");
    row.qmainproc = Text(rs, "qmainproc");
    row.qbindfield = Text(rs, "qbindfield");
    row.qisautomove = Read<bool>(rs, "qisautomove", [](const vb::Variant& v) { return vb::CBool(v); });
    row.fchangecol = TextNullEmpty(rs, "fchangecol");
    return row;
}

bool IsValidDefinition(const std::string& fmtFileName, const std::string& clsName) {
    return !vb::Trim(fmtFileName).empty() && !vb::Trim(clsName).empty();
}

bool IsShowableRow(const ReportRow& row) {
    return row.qid && row.qrptname && row.qrptgrpid &&
           IsValidDefinition(row.qfmtfilename.value_or(""), row.qclsname.value_or(""));
}

std::int32_t ClampHeadHeight(std::int64_t twips) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(twips, 0, kMaxHeadHeightTwips));
}

} // namespace QV_GridPrint::catalogue
