// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "ado/Driver_p.h"

#include <string>
#include <string_view>
#include <vector>

namespace ado::detail {

// One parameter of a procedure kept in the vondrel_procedures table: its name and its declared type
// text as written ("" when the list gives none).
struct DeclaredParam {
    std::string name;
    std::string declaredType;
    friend bool operator==(const DeclaredParam&, const DeclaredParam&) = default;
};

// Splits the table's parameter list "name TYPE, name TYPE(18,2), …" at the commas that separate
// parameters (not those inside a type's parentheses), trimming blanks; empty items are skipped.
std::vector<DeclaredParam> ParseProcedureParams(std::string_view list);

// Entry 0 of every such procedure's parameter list: an integer return value, as callers expect.
ProcParam ReturnValueParam();

} // namespace ado::detail
