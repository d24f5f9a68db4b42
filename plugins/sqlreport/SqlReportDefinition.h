// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "plugin/ParameterForm.h"

#include <cctype>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ado {
class Connection;
}

namespace sqlreport {

// The parameter dialog's model belongs to the plug-in contract: hosts answer it as well.
using QV_GridPrint::ItemText;
using QV_GridPrint::ListItem;
using QV_GridPrint::ParameterField;
using QV_GridPrint::ParameterForm;
using QV_GridPrint::ParaType;
using QV_GridPrint::ParseParaType;

// A row of qv_sqlreportpara.
struct ParameterDefinition {
    int order = 0;
    std::string name; // lower case
    std::string caption;
    ParaType type = ParaType::Text;
    std::optional<std::string> qdefault;
    std::string listSql; // list parameters: value and text columns
};

// A report of the plug-in: its qv_sqlreport row and its parameter rows in qorder order.
struct SqlReportDefinition {
    int qid = 0;
    std::string sql;       // qsql
    std::string mainSql;   // qmainsql, "" when none
    std::string bindField; // qbindfield, "" when none
    std::string bindCaption;
    bool autoMove = false;
    bool colsChange = false;
    std::int16_t fixedCols = 0;
    std::vector<ParameterDefinition> parameters;
};

// The qid of the report the host shows, found by name within its group (qv_report keeps names unique
// per group). The plug-in is told no id: it sees the host object's definition only. vb::Error when the
// catalogue has no such report.
int FindReportId(const std::shared_ptr<ado::Connection>& cnn, const std::string& rptName, int rptGroup);

// Reads and checks the definition; vb::Error with a message naming the table and field at fault.
SqlReportDefinition LoadDefinition(const std::shared_ptr<ado::Connection>& cnn, int qid);

} // namespace sqlreport
