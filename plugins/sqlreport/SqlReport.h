// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "plugin/IReport.h"
#include "plugin/ParameterForm.h"
#include "plugin/ParameterPrompt.h"
#include "plugin/PluginContext.h"
#include "sqlreport/SqlReportDefinition.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace QV_GridPrint {
class PluginRegistrar;
}

namespace sqlreport {

using QV_GridPrint::ParameterPrompt;

inline constexpr const char* kProgId = "Vondrel.SqlReport";

// The generic report plug-in: everything a report needs comes from its rows in qv_sqlreport and
// qv_sqlreportpara (see docs/sqlreport.md). The report is found by the host's rptName and RptType.
//
// 1. The definition is read on first need after pGPrint is set (SetPara, or RPTCalc when the window
//    skips the dialog), inside the window's error handling, never in set_pGPrint.
// 2. Parameter texts live in the form; the last accepted texts of a report are remembered by the host
//    object (pGPrint), so a re-created instance that is not asked (RefetchData) computes with them.
// 3. The bind value is never a form field: it is rsMain's current record, read when the rows are
//    computed and when GetPara is asked, so the window's own moves of rsMain are followed.
class SqlReport final : public QV_GridPrint::IReport {
public:
    // fallback: the prompt used when the context gives none (the Qt dialogs in the plug-in library);
    // may be null, and asking then fails with a message. context.host: the host object the window
    // makes this instance for (may be null); only read to answer IsColsChange and SetFixedCols, which
    // the window asks before it sets pGPrint.
    explicit SqlReport(ParameterPrompt* fallback, const QV_GridPrint::PluginContext& context = {});

    bool SetPara() override;
    bool RPTCalc() override;
    vb::Variant GetPara() override;
    std::string SetBindField() override;
    bool IsAutoMove() override;
    bool MoveFirst() override;
    bool MoveNext() override;
    bool MovePrev() override;
    bool MoveLast() override;
    bool ShowBill() override;
    bool IsColsChange() override;
    bool SetCellFormat(sheet::SheetDocument& cll) override;
    std::int16_t SetFixedCols() override;

    // The form as the dialog would show it now (definition read, defaults and remembered texts in).
    const ParameterForm& Form();

private:
    void EnsureDefinition();
    // The definition for the early questions, read through the creator; nullopt when it cannot be.
    const SqlReportDefinition* EarlyDefinition();
    void BuildForm();
    std::map<std::string, vb::Variant> BoundValues();
    void EnsureMainList(const std::map<std::string, vb::Variant>& values);
    vb::Variant BindValue();
    ParameterPrompt& Prompt();
    bool Move(void (*step)(ado::Recordset&));

    ParameterPrompt* m_prompt;
    QV_GridPrint::clsGridPrint* m_creator;
    std::optional<SqlReportDefinition> m_def;
    ParameterForm m_form;
    bool m_formBuilt = false;
    std::shared_ptr<const sheet::SheetDocument> m_template; // the grid's template, for ShowBill
};

// Registers Vondrel.SqlReport with the prompt used when a host gives none.
void Register(QV_GridPrint::PluginRegistrar& registrar, ParameterPrompt* fallback);

} // namespace sqlreport
