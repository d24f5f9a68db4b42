// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Drill-down and return.
//
// Design notes.
//  1. There is no stack of visited reports. The way down is the first qv_rptdetail row whose parent is
//     the report shown; the way back is the first row whose child is the report shown. Going back twice
//     from a grandchild therefore walks the catalogue, not a history.
//  2. One saved parameter set (ParaValueSave/ParaTextSave). A drill saves the parameters it leaves; the
//     fetches that follow a drill or a return do not save, so a return restores what the last drill or
//     the last ordinary fetch left there.
//  3. Planning reads everything it will need (the items of qrptpara, the fields of the clicked record,
//     the child's parameter count, the target's catalogue row) before the window changes anything.
//     Malformed catalogue data is then a message over an unchanged report, never a half-switched
//     window whose parameters belong to one report and whose definition to another.
//  4. Every way to a report refuses the same rows: one without a readable name and group, or with a
//     blank template or class name. A missing row is refused too: switching the parameters to another
//     report while keeping the definition shown would fetch one report's rows with another's values.
#include "drill/DrillDown.h"

#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "catalogue/CatalogueSql.h"
#include "vb/Conversion.h"
#include "vb/Error.h"
#include "vb/Strings.h"

#include <algorithm>

namespace QV_GridPrint::drill {
namespace {

std::shared_ptr<ado::Recordset> Query(ado::Connection& cnn, const std::string& sql) {
    auto rs = cnn.Execute(sql);
    if (!rs || rs->State() != ado::adStateOpen) {
        throw vb::Error(vb::kErrAdoClosed, "查询没有返回记录集：" + sql);
    }
    return rs;
}

long ParameterCount(ado::Connection& cnn, std::int16_t reportId) {
    const auto rs = Query(cnn, catalogue::CountReportParameters(reportId));
    return rs->IsEOF() ? 0 : vb::CLng(rs->Fields(std::size_t{0}).Value());
}

catalogue::ReportRow ShowableRow(ado::Connection& cnn, std::int16_t reportId) {
    const auto rs = Query(cnn, catalogue::SelectReportByIdForDrill(reportId));
    if (rs->IsEOF()) {
        throw vb::Error(vb::kErrAdoNotFound,
                        "报表 " + std::to_string(reportId) + " 在 qv_report 中不存在，不能打开");
    }
    catalogue::ReportRow row = catalogue::ReadReportRow(*rs);
    if (!catalogue::IsShowableRow(row)) {
        throw vb::Error(vb::kErrInvalidCall, catalogue::kInvalidDefinitionMessage);
    }
    // The row asked for is the row taken, whatever else the id column holds.
    row.qid = reportId;
    return row;
}

// The value of a field of the clicked record as the parameter text; a field the rows lack is named.
vb::Variant FieldOf(const ado::Recordset& record, const std::string& field, const std::string& item) {
    if (!record.HasField(field)) {
        throw vb::Error(vb::kErrAdoNotFound,
                        "下钻参数“" + item + "”中的字段“" + field + "”在报表数据中不存在");
    }
    return record.Fields(field).Value();
}

std::string TextOrEmpty(const vb::Variant& value) {
    return value.IsNull() || value.IsEmpty() ? std::string() : vb::CStr(value);
}

} // namespace

std::vector<DrillItem> ParseDrillItems(const std::string& qrptpara) {
    std::vector<DrillItem> items;
    for (const std::string& item : vb::Split(qrptpara, ",")) {
        const std::vector<std::string> halves = vb::Split(item, "/");
        const std::vector<std::string> label =
            halves.size() < 2 ? std::vector<std::string>{} : vb::Split(halves[1], ":");
        if (halves.size() < 2 || label.size() < 2) {
            throw vb::Error(vb::kErrSubscript,
                            "下钻参数“" + item +
                                "”格式不正确，应为“取值字段/标签:显示字段”（qv_rptdetail.qrptpara）");
        }
        items.push_back({halves[0], label[0], label[1]});
    }
    return items;
}

std::vector<std::string> ChildParameters(const std::vector<std::string>& current,
                                         const std::vector<std::string>& drilled, long n) {
    const long p = static_cast<long>(drilled.size());
    if (n < p) {
        throw vb::Error(vb::kErrSubscript, "下级报表只有" + std::to_string(n) + "个参数（qv_rptpara），少于" +
                                               std::to_string(p) + "个下钻参数");
    }
    std::vector<std::string> result(static_cast<std::size_t>(n));
    for (long index = 0; index < n - p; ++index) {
        // The parent may have fewer parameters than the child keeps from it; those stay empty.
        if (index < static_cast<long>(current.size())) {
            result[static_cast<std::size_t>(index)] = current[static_cast<std::size_t>(index)];
        }
    }
    for (long index = 0; index < p; ++index) {
        result[static_cast<std::size_t>(n - p + index)] = drilled[static_cast<std::size_t>(index)];
    }
    return result;
}

std::optional<SwitchPlan> PlanDrill(ado::Connection& cnn, std::int16_t reportId, ado::Recordset& record,
                                    const Parameters& current) {
    const auto links = Query(cnn, catalogue::SelectDrillLinksOfParent(reportId));
    if (links->IsEOF()) {
        return std::nullopt;
    }
    // Null reads as an empty text (no items), not as a bare "invalid use of Null".
    const std::vector<DrillItem> items = ParseDrillItems(TextOrEmpty(links->Fields("qrptpara").Value()));
    std::vector<std::string> values;
    std::vector<std::string> texts;
    for (const DrillItem& item : items) {
        const std::string name = item.valueField + "/" + item.label + ":" + item.textField;
        const vb::Variant value = FieldOf(record, item.valueField, name);
        if (value.IsNull()) {
            throw vb::Error(vb::kErrInvalidUseOfNull,
                            "下钻参数“" + name + "”的取值字段“" + item.valueField + "”在所选行中为空");
        }
        values.push_back(vb::CStr(value));
        texts.push_back(item.label + ":" + TextOrEmpty(FieldOf(record, item.textField, name)));
    }
    const std::int16_t childId = vb::CInt(links->Fields("qrptchildid").Value());
    const long n = ParameterCount(cnn, childId);
    SwitchPlan plan;
    plan.reportId = childId;
    plan.parameters.ParaValue = ChildParameters(current.ParaValue, values, n);
    plan.parameters.ParaText = ChildParameters(current.ParaText, texts, n);
    plan.parameters.ParaValueSave = current.ParaValue;
    plan.parameters.ParaTextSave = current.ParaText;
    plan.definition = ShowableRow(cnn, childId);
    return plan;
}

std::optional<SwitchPlan> PlanReturn(ado::Connection& cnn, std::int16_t reportId, const Parameters& current) {
    const auto links = Query(cnn, catalogue::SelectDrillLinksOfChild(reportId));
    if (links->IsEOF()) {
        return std::nullopt;
    }
    SwitchPlan plan;
    plan.reportId = vb::CInt(links->Fields("qrptparentid").Value());
    const auto n = static_cast<std::size_t>(std::max(0L, ParameterCount(cnn, plan.reportId)));
    Parameters& parameters = plan.parameters;
    parameters.ParaValue.resize(n);
    parameters.ParaText.resize(n);
    for (std::size_t index = 0; index < n; ++index) {
        if (index < current.ParaValueSave.size()) {
            parameters.ParaValue[index] = current.ParaValueSave[index];
        }
        if (index < current.ParaTextSave.size()) {
            parameters.ParaText[index] = current.ParaTextSave[index];
        }
    }
    parameters.ParaValueSave = current.ParaValueSave;
    parameters.ParaTextSave = current.ParaTextSave;
    plan.definition = ShowableRow(cnn, plan.reportId);
    return plan;
}

} // namespace QV_GridPrint::drill
