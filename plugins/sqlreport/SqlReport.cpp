// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "sqlreport/SqlReport.h"

#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "controls/sheet/SheetDocument.h"
#include "hostobject/clsGridPrint.h"
#include "plugin/ParameterItem.h"
#include "plugin/PluginRegistry.h"
#include "reportgrid/RecordFields.h"
#include "sqlreport/NamedSql.h"
#include "ui/Services.h"
#include "vb/Array.h"
#include "vb/Conversion.h"
#include "vb/DateTime.h"
#include "vb/Error.h"
#include "vb/Strings.h"

namespace sqlreport {
namespace {

bool IsOpen(const std::shared_ptr<ado::Recordset>& rs) {
    return rs && rs->State() == ado::adStateOpen;
}

} // namespace

SqlReport::SqlReport(ParameterPrompt* fallback, const QV_GridPrint::PluginContext& context)
    : m_prompt(context.prompt ? context.prompt : fallback), m_creator(context.host) {}

void SqlReport::EnsureDefinition() {
    if (m_def) {
        return;
    }
    QV_GridPrint::clsGridPrint* host = pGPrint();
    if (!host || !host->cnn()) {
        throw vb::Error(vb::kErrObjectRequired, "报表插件还没有得到主程序的数据库连接。");
    }
    const int qid = FindReportId(host->cnn(), host->rptName, host->RptType);
    m_def = LoadDefinition(host->cnn(), qid);
}

void SqlReport::BuildForm() {
    EnsureDefinition();
    if (m_formBuilt) {
        return;
    }
    const vb::Date today = vb::Today();
    const auto& remembered = pGPrint()->RememberedParameters()[m_def->qid];
    m_form.fields.clear();
    for (const ParameterDefinition& para : m_def->parameters) {
        ParameterField field;
        field.name = para.name;
        field.caption = para.caption;
        field.type = para.type;
        if (para.type == ParaType::List) {
            auto rs = RunNamed(pGPrint()->cnn(), para.listSql, {});
            if (rs->FieldCount() < 2) {
                throw vb::Error(vb::kErrInvalidCall,
                                "列表参数“" + para.caption + "”的列表查询要返回两列：值和显示的文字。");
            }
            for (; !rs->IsEOF(); rs->MoveNext()) {
                const vb::Variant text = rs->Fields(std::size_t{1}).Value();
                field.items.push_back(
                    {rs->Fields(std::size_t{0}).Value(), text.IsNull() ? "" : vb::CStr(text)});
            }
        }
        const auto found = remembered.find(para.name);
        field.text = found != remembered.end() ? found->second
                                               : ParameterForm::DefaultText(field, para.qdefault, today);
        m_form.fields.push_back(std::move(field));
    }
    m_formBuilt = true;
}

const ParameterForm& SqlReport::Form() {
    BuildForm();
    return m_form;
}

ParameterPrompt& SqlReport::Prompt() {
    if (!m_prompt) {
        throw vb::Error(vb::kErrObjectRequired, "没有可以输入报表参数的对话框。");
    }
    return *m_prompt;
}

bool SqlReport::SetPara() {
    BuildForm();
    if (!m_form.fields.empty()) {
        ParameterForm edited = m_form;
        if (!Prompt().AskParameters(pGPrint()->rptName, edited)) {
            return false;
        }
        if (const auto problem = edited.Validate()) {
            // A prompt must not accept invalid input; if one does, the report is not computed with it.
            throw vb::Error(vb::kErrInvalidCall, problem->message);
        }
        m_form = std::move(edited);
    }
    auto& remembered = pGPrint()->RememberedParameters()[m_def->qid];
    for (const ParameterField& field : m_form.fields) {
        remembered[field.name] = field.text;
    }
    // A new master list for the new parameters; its first record is the one shown.
    set_rsMain(nullptr);
    EnsureMainList(BoundValues());
    return true;
}

std::map<std::string, vb::Variant> SqlReport::BoundValues() {
    BuildForm();
    if (const auto problem = m_form.Validate()) {
        throw vb::Error(vb::kErrInvalidCall, problem->message);
    }
    std::map<std::string, vb::Variant> values;
    for (std::size_t index = 0; index < m_form.fields.size(); ++index) {
        values[m_form.fields[index].name] = m_form.BoundValue(index);
    }
    return values;
}

void SqlReport::EnsureMainList(const std::map<std::string, vb::Variant>& values) {
    if (m_def->mainSql.empty() || IsOpen(rsMain())) {
        return;
    }
    auto main = RunNamed(pGPrint()->cnn(), m_def->mainSql, values);
    if (!main->HasField(m_def->bindField)) {
        throw vb::Error(vb::kErrInvalidCall,
                        "主列表查询 qmainsql 的结果里没有关联字段“" + m_def->bindField + "”。");
    }
    if (!main->IsEOF()) {
        main->MoveFirst();
    }
    set_rsMain(main);
}

vb::Variant SqlReport::BindValue() {
    const auto main = rsMain();
    if (!IsOpen(main) || main->IsEOF() || main->BOF()) {
        return vb::Variant::Null();
    }
    return main->Fields(m_def->bindField).Value();
}

bool SqlReport::RPTCalc() {
    std::map<std::string, vb::Variant> values = BoundValues();
    EnsureMainList(values);
    if (!m_def->bindField.empty()) {
        values[m_def->bindField] = BindValue();
    }
    ui::BusyScope busy(pGPrint()->Services());
    set_rs(RunNamed(pGPrint()->cnn(), m_def->sql, values));
    return true;
}

vb::Variant SqlReport::GetPara() {
    BuildForm();
    std::vector<vb::Variant> items;
    for (std::size_t index = 0; index < m_form.fields.size(); ++index) {
        items.emplace_back(QV_GridPrint::MakeParameterItem(
            m_form.ValueText(index), m_form.fields[index].caption + ":" + m_form.DisplayText(index)));
    }
    if (!m_def->bindField.empty()) {
        // A key may hold "/" (a customer named "上海/华联商厦"); the item says it unambiguously.
        const std::string key = ItemText(BindValue());
        items.emplace_back(QV_GridPrint::MakeParameterItem(key, m_def->bindCaption + ":" + key));
    }
    // A report without parameters still gives an (empty) array: the window takes anything else for a fault.
    return vb::Variant(vb::Array::FromValues(std::move(items)));
}

std::string SqlReport::SetBindField() {
    EnsureDefinition();
    return m_def->bindField;
}

bool SqlReport::IsAutoMove() {
    EnsureDefinition();
    return m_def->autoMove;
}

bool SqlReport::Move(void (*step)(ado::Recordset&)) {
    EnsureDefinition();
    const auto main = rsMain();
    if (!IsOpen(main) || main->RecordCount() < 1) {
        return false;
    }
    step(*main);
    // Stepping past either end stays on the end record, as the navigation buttons expect.
    if (main->IsEOF()) {
        main->MoveLast();
    } else if (main->BOF()) {
        main->MoveFirst();
    }
    return RPTCalc();
}

bool SqlReport::MoveFirst() {
    return Move([](ado::Recordset& rs) { rs.MoveFirst(); });
}

bool SqlReport::MoveNext() {
    return Move([](ado::Recordset& rs) { rs.MoveNext(); });
}

bool SqlReport::MovePrev() {
    return Move([](ado::Recordset& rs) { rs.MovePrevious(); });
}

bool SqlReport::MoveLast() {
    return Move([](ado::Recordset& rs) { rs.MoveLast(); });
}

bool SqlReport::ShowBill() {
    const auto data = rs();
    if (!IsOpen(data) || data->IsEOF() || data->BOF()) {
        return false;
    }
    std::vector<std::pair<std::string, std::string>> fields;
    if (m_template) {
        // The record as the grid shows its row: the columns' captions and display texts.
        for (QV_GridPrint::RecordField& field : QV_GridPrint::RecordFields(*m_template, *data)) {
            fields.emplace_back(std::move(field.caption), std::move(field.text));
        }
    } else {
        // No template was handed over (a window that skipped it): the fields as the query names them.
        for (std::size_t index = 0; index < data->FieldCount(); ++index) {
            const ado::Field field = data->Fields(index);
            fields.emplace_back(field.Name(), ItemText(field.Value()));
        }
    }
    const std::string title = pGPrint() ? pGPrint()->rptName + " - 记录" : std::string("记录");
    Prompt().ShowRecord(title, fields);
    return true;
}

// Both are asked before pGPrint is set: the definition is read through the host object the window
// made this instance for. A catalogue that cannot be read answers "no" here; the same fault is
// reported when the definition is needed for the rows.
const SqlReportDefinition* SqlReport::EarlyDefinition() {
    if (!m_def && m_creator && m_creator->cnn()) {
        try {
            const int qid = FindReportId(m_creator->cnn(), m_creator->rptName, m_creator->RptType);
            m_def = LoadDefinition(m_creator->cnn(), qid);
        } catch (const vb::Error&) {
            return nullptr;
        }
    }
    return m_def ? &*m_def : nullptr;
}

bool SqlReport::IsColsChange() {
    const SqlReportDefinition* def = EarlyDefinition();
    return def && def->colsChange;
}

std::int16_t SqlReport::SetFixedCols() {
    const SqlReportDefinition* def = EarlyDefinition();
    return def ? def->fixedCols : 0;
}

// The template is used as drawn; variable columns come from the catalogue's column rows. The sheet
// handed over last is the template the grid's header is built from (the window hands over the print
// sheet first): the record view lays a row out by it.
bool SqlReport::SetCellFormat(sheet::SheetDocument& cll) {
    m_template = std::make_shared<const sheet::SheetDocument>(cll);
    return true;
}

void Register(QV_GridPrint::PluginRegistrar& registrar, ParameterPrompt* fallback) {
    registrar.RegisterWithContext(kProgId, [fallback](const QV_GridPrint::PluginContext& context) {
        return std::make_unique<SqlReport>(fallback, context);
    });
}

} // namespace sqlreport
