// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "vb/Variant.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ado {
class Connection;
class Recordset;
} // namespace ado

namespace sqlreport {

// A report query with its :name parameters turned into positional placeholders, which every driver
// of the ado layer binds ("?"). Values never become part of the statement text.
struct PositionalSql {
    std::string text;               // the statement with one "?" per parameter use
    std::vector<std::string> names; // parameter name of each "?", in order, lower case; may repeat
};

// Finds :name outside string literals, quoted identifiers and comments; "::" (a PostgreSQL cast) is
// left alone. A "?" written in the query itself would shift every placeholder after it and is refused,
// as is an unterminated literal or comment (vb::Error with a Chinese description).
PositionalSql ToPositional(const std::string& sql);

// Runs a query with named values (keys in lower case). A name the query uses but `values` lacks is an
// error that names it; values the query does not use are ignored. Returns the open, static rows.
std::shared_ptr<ado::Recordset> RunNamed(const std::shared_ptr<ado::Connection>& cnn, const std::string& sql,
                                         const std::map<std::string, vb::Variant>& values);

} // namespace sqlreport
