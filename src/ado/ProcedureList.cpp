// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "ado/ProcedureList_p.h"
#include "vb/Error.h"
#include "vb/Strings.h"

#include <cctype>

namespace ado::detail {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

// Walks text calling at(k) for each character that is outside quotes ('…', "…") and parentheses; a
// doubled quote inside quotes reads as leaving and re-entering them, which keeps it inside.
template <class At> void ForEachTopLevel(std::string_view text, At at) {
    int depth = 0;
    char quote = 0;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char c = text[k];
        if (quote != 0) {
            quote = c == quote ? 0 : quote;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')' && depth > 0) {
            --depth;
        } else if (depth == 0 && !at(k)) {
            return;
        }
    }
}

// Where the word DEFAULT starts in "TYPE DEFAULT expression", or npos.
std::size_t FindDefaultKeyword(std::string_view text) {
    constexpr std::string_view kKeyword = "DEFAULT";
    std::size_t found = std::string_view::npos;
    ForEachTopLevel(text, [&](std::size_t k) {
        const bool startsWord = k == 0 || !IsWordChar(text[k - 1]);
        const std::size_t end = k + kKeyword.size();
        if (startsWord && vb::EqualsNoCase(text.substr(k, kKeyword.size()), kKeyword) &&
            (end == text.size() || !IsWordChar(text[end]))) {
            found = k;
            return false;
        }
        return true;
    });
    return found;
}

// Newlines and tabs separate as spaces do: lists are often written one parameter per line.
std::string OneLine(std::string_view text) {
    std::string line(TrimBlanks(text));
    for (char& c : line) {
        c = IsBlank(c) ? ' ' : c;
    }
    return line;
}

void AddItem(std::string_view item, std::vector<DeclaredParam>& out) {
    item = TrimBlanks(item);
    if (item.empty()) {
        return;
    }
    std::size_t nameEnd = 0;
    while (nameEnd < item.size() && !IsBlank(item[nameEnd])) {
        ++nameEnd;
    }
    DeclaredParam param;
    param.name = std::string(item.substr(0, nameEnd));
    // The expression is kept as written (a text literal in it may hold newlines); the type is one line.
    std::string_view rest = item.substr(nameEnd);
    if (const std::size_t keyword = FindDefaultKeyword(rest); keyword != std::string_view::npos) {
        param.defaultExpression = std::string(TrimBlanks(rest.substr(keyword + 7)));
        rest = rest.substr(0, keyword);
    }
    param.declaredType = OneLine(rest);
    out.push_back(std::move(param));
}

} // namespace

std::vector<DeclaredParam> ParseProcedureParams(std::string_view list) {
    std::vector<DeclaredParam> params;
    std::size_t start = 0;
    ForEachTopLevel(list, [&](std::size_t k) {
        if (list[k] == ',') {
            AddItem(list.substr(start, k - start), params);
            start = k + 1;
        }
        return true;
    });
    AddItem(list.substr(start), params);
    return params;
}

ProcParam ReturnValueParam() {
    ProcParam returnValue;
    returnValue.name = "RETURN_VALUE";
    returnValue.type = adInteger;
    returnValue.direction = adParamReturnValue;
    returnValue.size = 4;
    returnValue.sqlType = "INTEGER";
    return returnValue;
}

void ThrowProcedureCountMismatch(std::string_view name, std::size_t expected, std::size_t given) {
    throw vb::Error(vb::kErrInvalidCall, "存储过程 " + std::string(name) + " 的参数个数不符：需要 " +
                                             std::to_string(expected) + " 个，给出 " + std::to_string(given) +
                                             " 个");
}

void CheckProcedureValueCount(std::string_view name, const std::vector<ProcParam>& params,
                              std::size_t given) {
    const std::size_t inputs = params.empty() ? 0 : params.size() - 1;
    if (given > inputs) {
        ThrowProcedureCountMismatch(name, inputs, given);
    }
    // The values needed: up to the last input the database has no default for.
    std::size_t required = 0;
    for (std::size_t k = 1; k <= inputs; ++k) {
        required = params[k].hasDefault ? required : k;
    }
    if (given < required) {
        ThrowProcedureCountMismatch(name, required, given);
    }
}

std::size_t TableProcedure::IndexOf(std::string_view placeholder) const {
    for (std::size_t k = 1; k < params.size(); ++k) {
        if (vb::EqualsNoCase(params[k].name, placeholder)) {
            return k;
        }
    }
    throw vb::Error(vb::kErrAdoProvider,
                    "存储过程 " + name + " 的语句用到了未声明的参数：" + std::string(placeholder));
}

std::string TableProcedure::DefaultQuery(std::size_t index) const {
    // The parentheses make it one value: "1, 2" or a second statement is an error, not a surprise.
    return "SELECT (" + defaults.at(index).value_or("NULL") + ")";
}

void TableProcedure::ThrowBadDefault(std::size_t index, std::string_view reason) const {
    throw vb::Error(vb::kErrAdoProvider, "存储过程 " + name + " 的参数 " + params.at(index).name +
                                             " 的默认值无法计算：" + std::string(reason));
}

TableProcedure MakeTableProcedure(std::string name, std::string_view paramList, std::string body,
                                  const std::function<void(ProcParam&)>& describeType) {
    TableProcedure proc;
    proc.name = std::move(name);
    proc.body = std::move(body);
    proc.params.push_back(ReturnValueParam());
    proc.defaults.emplace_back();
    for (DeclaredParam& declared : ParseProcedureParams(paramList)) {
        ProcParam param;
        param.name = std::move(declared.name);
        param.sqlType = std::move(declared.declaredType);
        param.hasDefault = declared.defaultExpression.has_value();
        describeType(param);
        proc.params.push_back(std::move(param));
        proc.defaults.push_back(std::move(declared.defaultExpression));
    }
    return proc;
}

} // namespace ado::detail
