// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "catalogue/ReportDefinition.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ado {
class Connection;
class Recordset;
} // namespace ado

// Drill-down and return as plans: what the report window switches to and with which parameters. The
// planning reads the catalogue and the clicked record and changes nothing; the window applies a plan
// in one place, and only a plan that was complete.
namespace QV_GridPrint::drill {

// One item of a link's qrptpara: value-field "/" label ":" text-field.
struct DrillItem {
    std::string valueField;
    std::string label;
    std::string textField;
    friend bool operator==(const DrillItem&, const DrillItem&) = default;
};

// Splits qrptpara at ","; an item without "/" or ":" raises vb::Error naming the item. An empty text
// has no items.
std::vector<DrillItem> ParseDrillItems(const std::string& qrptpara);

// The child's parameter list of n entries: the window's first n - p entries, then the p drill entries.
// Raises vb::Error when n < p, since the drill values would have no place.
std::vector<std::string> ChildParameters(const std::vector<std::string>& current,
                                         const std::vector<std::string>& drilled, long n);

// The window's parameters: current values and texts, and the one saved set.
struct Parameters {
    std::vector<std::string> ParaValue;
    std::vector<std::string> ParaText;
    std::vector<std::string> ParaValueSave;
    std::vector<std::string> ParaTextSave;
};

// A switch to another report: its catalogue row (already checked to be showable) and the parameters
// the window holds once it shows that report.
struct SwitchPlan {
    std::int16_t reportId = 0;
    catalogue::ReportRow definition;
    Parameters parameters;
};

// The drill from `record` (the clicked data row) of report `reportId`: nullopt when the report has no
// child (the plug-in's source document is shown instead). Malformed link data, a field the rows lack,
// a Null value field, a child with fewer parameters than drill items, and a child whose qv_report row
// is missing or not showable raise vb::Error; nothing is planned then.
std::optional<SwitchPlan> PlanDrill(ado::Connection& cnn, std::int16_t reportId, ado::Recordset& record,
                                    const Parameters& current);

// The return from report `reportId` to its parent, with the parent's parameters taken from the saved
// set (entries the saved set lacks stay empty; the saved set itself is kept). nullopt when the report
// is nobody's child. A failing look-up and a parent whose row is missing or not showable raise vb::Error.
std::optional<SwitchPlan> PlanReturn(ado::Connection& cnn, std::int16_t reportId, const Parameters& current);

// The message of a return from a report that is nobody's child.
inline constexpr const char* kNoParentMessage = "上级报表不存在，不能返回！";

} // namespace QV_GridPrint::drill
