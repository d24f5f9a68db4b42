// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "ado/Driver_p.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ado::detail {

// One parameter of a procedure kept in the vondrel_procedures table: its name, its declared type
// text as written ("" when the list gives none) and the SQL expression after DEFAULT, if any.
struct DeclaredParam {
    std::string name;
    std::string declaredType;
    std::optional<std::string> defaultExpression;
    friend bool operator==(const DeclaredParam&, const DeclaredParam&) = default;
};

// Splits the table's parameter list "name TYPE, name TYPE(18,2) DEFAULT 0, …" at the commas that
// separate parameters (not those inside parentheses or quotes), trimming blanks; empty items are
// skipped.
std::vector<DeclaredParam> ParseProcedureParams(std::string_view list);

// Entry 0 of every such procedure's parameter list: an integer return value, as callers expect.
ProcParam ReturnValueParam();

// "存储过程 name 的参数个数不符：需要 expected 个，给出 given 个", the one wording every driver uses.
[[noreturn]] void ThrowProcedureCountMismatch(std::string_view name, std::size_t expected, std::size_t given);

// Throws the count mismatch unless `given` values can call a procedure whose list is params (entry 0
// the return value): no more values than inputs, and every input left without a value has a default.
void CheckProcedureValueCount(std::string_view name, const std::vector<ProcParam>& params, std::size_t given);

// A procedure of the vondrel_procedures table, as both drivers that read SQLite files run it.
struct TableProcedure {
    std::string name;
    std::string body;
    std::vector<ProcParam> params;                    // entry 0 the return value
    std::vector<std::optional<std::string>> defaults; // per entry of params: its DEFAULT expression

    // Index in params of the parameter a placeholder names (without its ':', '@' or '$'); throws when
    // the list does not declare it.
    std::size_t IndexOf(std::string_view placeholder) const;
    // The statement whose only value is the default of params[index].
    std::string DefaultQuery(std::size_t index) const;
    // The error when that statement fails; reason is the database's own text.
    [[noreturn]] void ThrowBadDefault(std::size_t index, std::string_view reason) const;
};

// Builds a table row's procedure. describeType sets a parameter's type and size from its sqlType
// (the declared type without any DEFAULT part), the way the driver reads a column declared so.
TableProcedure MakeTableProcedure(std::string name, std::string_view paramList, std::string body,
                                  const std::function<void(ProcParam&)>& describeType);

} // namespace ado::detail
