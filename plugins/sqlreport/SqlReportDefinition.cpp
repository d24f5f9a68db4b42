// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "sqlreport/SqlReportDefinition.h"

#include "ado/Recordset.h"
#include "sqlreport/NamedSql.h"
#include "vb/Conversion.h"
#include "vb/Error.h"
#include "vb/Strings.h"

#include <set>

namespace sqlreport {
namespace {

[[noreturn]] void Refuse(const std::string& message) {
    throw vb::Error(vb::kErrInvalidCall, message);
}

std::optional<std::string> TextOrNull(const ado::Recordset& rs, const char* field) {
    const vb::Variant value = rs.Fields(field).Value();
    if (value.IsNull() || value.IsEmpty()) {
        return std::nullopt;
    }
    return vb::CStr(value);
}

std::string Text(const ado::Recordset& rs, const char* field) {
    return vb::Trim(TextOrNull(rs, field).value_or(std::string()));
}

// table and where (its row) name the value when it is not a whole number.
long Number(const ado::Recordset& rs, const char* field, const char* table, const std::string& where) {
    const vb::Variant value = rs.Fields(field).Value();
    if (value.IsNull() || value.IsEmpty()) {
        return 0;
    }
    const std::optional<std::int32_t> number = vb::TryCLng(value);
    if (!number) {
        Refuse(std::string("表 ")
                   .append(table)
                   .append(" 的 ")
                   .append(field)
                   .append("“")
                   .append(vb::CStr(value))
                   .append("”不是整数")
                   .append(where)
                   .append("。"));
    }
    return *number;
}

bool IsPlainName(const std::string& name) {
    if (name.empty() || !(std::isalpha(static_cast<unsigned char>(name[0])) || name[0] == '_')) {
        return false;
    }
    for (const char c : name) {
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) {
            return false;
        }
    }
    return true;
}

} // namespace

int FindReportId(const std::shared_ptr<ado::Connection>& cnn, const std::string& rptName, int rptGroup) {
    auto rs =
        RunNamed(cnn, "SELECT qid FROM qv_report WHERE qrptname = :name AND qrptgrpid = :grp ORDER BY qid",
                 {{"name", vb::Variant(rptName)}, {"grp", vb::Variant::Long(rptGroup)}});
    if (rs->IsEOF()) {
        Refuse("报表目录 qv_report 中找不到报表“" + rptName + "”（类别 " + std::to_string(rptGroup) + "）。");
    }
    return vb::CLng(rs->Fields("qid").Value());
}

SqlReportDefinition LoadDefinition(const std::shared_ptr<ado::Connection>& cnn, int qid) {
    SqlReportDefinition def;
    def.qid = qid;
    const std::string where = "（qid=" + std::to_string(qid) + "）";
    auto rs = RunNamed(cnn, "SELECT * FROM qv_sqlreport WHERE qid = :qid", {{"qid", vb::Variant::Long(qid)}});
    if (rs->IsEOF()) {
        Refuse("表 qv_sqlreport 中没有这个报表的定义" + where + "。");
    }
    def.sql = Text(*rs, "qsql");
    if (def.sql.empty()) {
        Refuse("表 qv_sqlreport 的 qsql 是空的" + where + "，报表没有查询语句。");
    }
    def.mainSql = Text(*rs, "qmainsql");
    def.bindField = vb::LCase(Text(*rs, "qbindfield"));
    def.bindCaption = Text(*rs, "qbindcaption");
    def.autoMove = Number(*rs, "qautomove", "qv_sqlreport", where) != 0;
    def.colsChange = Number(*rs, "qcolschange", "qv_sqlreport", where) != 0;
    const long fixedCols = Number(*rs, "qfixedcols", "qv_sqlreport", where);
    def.fixedCols = static_cast<std::int16_t>(fixedCols < 0 ? 0 : fixedCols > 32767 ? 32767 : fixedCols);
    if (def.bindField.empty() != def.mainSql.empty()) {
        Refuse("表 qv_sqlreport 的 qmainsql 和 qbindfield 要么都填，要么都空" + where + "。");
    }
    if (!def.bindField.empty() && !IsPlainName(def.bindField)) {
        Refuse("表 qv_sqlreport 的 qbindfield“" + def.bindField + "”不是有效的字段名" + where + "。");
    }
    if (def.bindCaption.empty()) {
        def.bindCaption = def.bindField;
    }

    auto paras = RunNamed(cnn, "SELECT * FROM qv_sqlreportpara WHERE qid = :qid ORDER BY qorder",
                          {{"qid", vb::Variant::Long(qid)}});
    std::set<std::string> names;
    for (; !paras->IsEOF(); paras->MoveNext()) {
        ParameterDefinition para;
        para.order = static_cast<int>(Number(*paras, "qorder", "qv_sqlreportpara", where));
        para.name = vb::LCase(Text(*paras, "qname"));
        para.caption = Text(*paras, "qcaption");
        const std::string at =
            "（qid=" + std::to_string(qid) + "，qorder=" + std::to_string(para.order) + "）";
        if (!IsPlainName(para.name)) {
            Refuse("表 qv_sqlreportpara 的参数名“" + para.name + "”无效" + at +
                   "：只能用字母、数字和下划线。");
        }
        if (!names.insert(para.name).second || para.name == def.bindField) {
            Refuse("表 qv_sqlreportpara 的参数名“" + para.name + "”重复" + at + "。");
        }
        if (para.caption.empty()) {
            para.caption = para.name;
        }
        const std::string typeText = Text(*paras, "qtype");
        const std::optional<ParaType> type = ParseParaType(typeText);
        if (!type) {
            Refuse("表 qv_sqlreportpara 的参数类型“" + typeText + "”无效" + at +
                   "，应为 date、int、decimal、text 或 list。");
        }
        para.type = *type;
        para.qdefault = TextOrNull(*paras, "qdefault");
        para.listSql = Text(*paras, "qlistsql");
        if (para.type == ParaType::List && para.listSql.empty()) {
            Refuse("列表参数“" + para.caption + "”没有列表查询 qlistsql" + at + "。");
        }
        def.parameters.push_back(std::move(para));
    }
    return def;
}

} // namespace sqlreport
