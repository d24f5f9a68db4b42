// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "ado/DataType.h"
#include "ado/RowStore_p.h"
#include "vb/Variant.h"

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ado::detail {

// One entry of a stored procedure's parameter list as the database describes it.
struct ProcParam {
    std::string name;
    DataTypeEnum type = adVariant;
    ParameterDirectionEnum direction = adParamInput;
    long size = 0;
    std::string sqlType;     // the database's own type name, used to cast values when calling
    bool hasDefault = false; // the database supplies a value when a call leaves this one out
};

// What a statement produced: rows (store != nullptr) and/or a count of rows changed (-1 unknown).
struct StatementResult {
    std::shared_ptr<RowStore> store;
    long recordsAffected = -1;
};

// One database connection of one kind. Every failure throws vb::Error with a Chinese description
// that keeps the database's own message. Drivers read whole results into a RowStore (static cursors).
class Driver {
public:
    virtual ~Driver() = default;

    // "sqlite", "postgresql" or "odbc": lets callers pick dialect details (e.g. procedure call syntax in
    // docs).
    virtual std::string Dialect() const = 0;

    // Runs one statement (SQLite: one or more separated by ';', the last one's rows are returned).
    // params bind to $1.. / ?1.. / :name placeholders in order; an empty span binds nothing.
    virtual StatementResult Run(std::string_view sql, std::span<const vb::Variant> params) = 0;

    // Parameter list of a stored procedure: entry 0 is the return value (adParamReturnValue), then the
    // inputs in declaration order. Throws when no procedure of that name exists.
    virtual std::vector<ProcParam> DescribeProcedure(std::string_view name) = 0;

    // Calls a procedure. params is the list from DescribeProcedure (entry 0 the return value),
    // values holds one value per entry after entry 0, or fewer when every entry left without a value
    // has a default (there the database's default is used). The result's store is the procedure's
    // rows, or nullptr when it returns none. Throws on a wrong parameter count
    // (ThrowProcedureCountMismatch), checked against params and against the database's own list.
    virtual StatementResult CallProcedure(std::string_view name, const std::vector<ProcParam>& params,
                                          std::span<const vb::Variant> values) = 0;

    // Seconds a statement may run before it is cancelled; 0 = no limit.
    virtual void SetTimeout(int seconds) = 0;
};

std::unique_ptr<Driver> OpenSqliteDriver(const std::string& path);
std::unique_ptr<Driver> OpenPostgresDriver(const std::string& conninfo);
// connectionString is handed to SQLDriverConnect as it is ("DSN=...;UID=..." or "Driver={...};...").
std::unique_ptr<Driver> OpenOdbcDriver(const std::string& connectionString);

} // namespace ado::detail
