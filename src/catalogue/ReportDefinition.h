// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ado {
class Recordset;
}

namespace QV_GridPrint::catalogue {

// The fields of one qv_report row as they could be read. A field that is missing from the row or
// cannot be converted to its type stays nullopt: callers that copy "field by field, skipping what
// fails" keep their previous value for it. qfmtfilename, qclsname and fchangecol read NULL as "";
// the other texts and the numbers treat NULL as unreadable.
struct ReportRow {
    std::optional<std::int16_t> qid;
    std::optional<std::string> qrptname;
    std::optional<std::int16_t> qrptgrpid;
    std::optional<std::string> qfmtfilename;
    std::optional<std::int32_t> qheadheight;
    std::optional<std::string> qclsname;
    std::optional<std::string> qstoreproc;
    std::optional<std::string> qmainproc;
    std::optional<std::string> qbindfield;
    std::optional<bool> qisautomove;
    std::optional<std::string> fchangecol;
};

// Reads the current record (field names in any case). A recordset at BOF/EOF gives an all-empty row.
ReportRow ReadReportRow(const ado::Recordset& rs);

// A definition can be shown only when both names are non-empty after trimming spaces.
bool IsValidDefinition(const std::string& fmtFileName, const std::string& clsName);
// A row every path that switches to a report accepts: readable name and group (a plug-in finds its
// definition by them) and a valid definition.
bool IsShowableRow(const ReportRow& row);

// The title band's height in twips, as the window may use it: 0 to 15,000 (about 26 cm). A negative
// value would push the title and the grid out of the window and overflow the title's position; a huge
// one would ask for a band far taller than any screen.
inline constexpr std::int32_t kMaxHeadHeightTwips = 15000;
std::int32_t ClampHeadHeight(std::int64_t twips);
inline constexpr const char* kInvalidDefinitionMessage =
    "报表参数设置有错误，请查看qv_REPORT表中的对应字段内容！";

} // namespace QV_GridPrint::catalogue
