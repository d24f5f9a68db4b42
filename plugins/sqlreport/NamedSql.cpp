// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "sqlreport/NamedSql.h"

#include "ado/Command.h"
#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "vb/Error.h"
#include "vb/Strings.h"

namespace sqlreport {
namespace {

bool IsNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9');
}

[[noreturn]] void Refuse(const std::string& what) {
    throw vb::Error(vb::kErrInvalidCall, "报表查询语句有错误：" + what);
}

// Index just past the quoted run that starts at `start` (a doubled quote stays inside the run).
std::size_t SkipQuoted(const std::string& sql, std::size_t start, char quote) {
    for (std::size_t k = start + 1; k < sql.size(); ++k) {
        if (sql[k] == quote) {
            if (k + 1 < sql.size() && sql[k + 1] == quote) {
                ++k;
                continue;
            }
            return k + 1;
        }
    }
    Refuse(quote == '\'' ? "字符串没有结束的单引号" : "名称没有结束的双引号");
}

} // namespace

PositionalSql ToPositional(const std::string& sql) {
    PositionalSql out;
    out.text.reserve(sql.size());
    std::size_t k = 0;
    while (k < sql.size()) {
        const char c = sql[k];
        std::size_t end = k + 1;
        if (c == '\'' || c == '"') {
            end = SkipQuoted(sql, k, c);
        } else if (c == '-' && k + 1 < sql.size() && sql[k + 1] == '-') {
            end = sql.find('\n', k);
            end = end == std::string::npos ? sql.size() : end;
        } else if (c == '/' && k + 1 < sql.size() && sql[k + 1] == '*') {
            end = sql.find("*/", k + 2);
            if (end == std::string::npos) {
                Refuse("注释没有结束的 */");
            }
            end += 2;
        } else if (c == '?') {
            Refuse("查询中不能直接写“?”，参数请写成 :名称");
        } else if (c == ':' && k + 1 < sql.size() && sql[k + 1] == ':') {
            end = k + 2; // a cast, value::date
        } else if (c == ':' && k + 1 < sql.size() && IsNameStart(sql[k + 1]) &&
                   (k == 0 || !IsNameChar(sql[k - 1]))) {
            end = k + 1;
            while (end < sql.size() && IsNameChar(sql[end])) {
                ++end;
            }
            out.names.push_back(vb::LCase(sql.substr(k + 1, end - k - 1)));
            out.text += '?';
            k = end;
            continue;
        }
        out.text.append(sql, k, end - k);
        k = end;
    }
    return out;
}

std::shared_ptr<ado::Recordset> RunNamed(const std::shared_ptr<ado::Connection>& cnn, const std::string& sql,
                                         const std::map<std::string, vb::Variant>& values) {
    const PositionalSql positional = ToPositional(sql);
    auto command = ado::Command::Create();
    command->SetActiveConnection(cnn);
    command->CommandText = positional.text;
    command->CommandType = ado::adCmdText;
    command->CommandTimeout = 0;
    for (const std::string& name : positional.names) {
        const auto found = values.find(name);
        if (found == values.end()) {
            Refuse("用到了参数 :" + name + "，但报表没有定义这个参数");
        }
        ado::Parameter parameter;
        parameter.Name = name;
        parameter.Value = found->second;
        command->Parameters().Append(std::move(parameter));
    }
    auto rs = command->Execute();
    if (rs->State() != ado::adStateOpen) {
        Refuse("查询没有返回记录集");
    }
    return rs;
}

} // namespace sqlreport
