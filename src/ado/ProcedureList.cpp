// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "ado/ProcedureList_p.h"
#include "vb/Strings.h"

namespace ado::detail {
namespace {

void AddItem(std::string_view item, std::vector<DeclaredParam>& out) {
    // Newlines and tabs separate as spaces do: lists are often written one parameter per line.
    std::string text(item);
    for (char& c : text) {
        if (c == '\n' || c == '\r' || c == '\t') {
            c = ' ';
        }
    }
    text = vb::Trim(text);
    if (text.empty()) {
        return;
    }
    const std::size_t space = text.find(' ');
    DeclaredParam param;
    param.name = text.substr(0, space);
    param.declaredType = space == std::string::npos ? std::string() : vb::Trim(text.substr(space + 1));
    out.push_back(std::move(param));
}

} // namespace

std::vector<DeclaredParam> ParseProcedureParams(std::string_view list) {
    std::vector<DeclaredParam> params;
    int depth = 0;
    std::size_t start = 0;
    for (std::size_t k = 0; k < list.size(); ++k) {
        if (list[k] == '(') {
            ++depth;
        } else if (list[k] == ')' && depth > 0) {
            --depth;
        } else if (list[k] == ',' && depth == 0) {
            AddItem(list.substr(start, k - start), params);
            start = k + 1;
        }
    }
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

} // namespace ado::detail
