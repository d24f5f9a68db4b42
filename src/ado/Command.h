// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "ado/DataType.h"
#include "vb/Variant.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace ado {

class Connection;
class Recordset;

// One entry of a command's parameter list.
struct Parameter {
    std::string Name;
    DataTypeEnum Type = adVariant;
    ParameterDirectionEnum Direction = adParamInput;
    long Size = 0;
    vb::Variant Value;
    std::string SqlType;     // the database's type name, from Refresh
    bool HasDefault = false; // from Refresh: the database has a default value for it
};

// The parameter list: entry 0 is the return value after Refresh; index errors raise item-not-found.
class Parameters {
public:
    // Reads the procedure's parameters from the database (the command must name a procedure).
    void Refresh();
    std::size_t Count() const noexcept { return m_items.size(); }
    Parameter& operator()(std::size_t index);
    Parameter& operator()(const std::string& name);
    void Append(Parameter parameter);
    void Clear() { m_items.clear(); }
    const std::vector<Parameter>& Items() const noexcept { return m_items; }

private:
    friend class Command;
    explicit Parameters(class Command& owner) : m_owner(&owner) {}
    Command* m_owner;
    std::vector<Parameter> m_items;
};

// A statement or stored-procedure call on a connection.
class Command : public vb::Object {
public:
    Command();
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;
    static std::shared_ptr<Command> Create() { return std::make_shared<Command>(); }

    void SetActiveConnection(std::shared_ptr<Connection> connection);
    const std::shared_ptr<Connection>& ActiveConnection() const noexcept { return m_connection; }
    std::string CommandText;
    int CommandTimeout = 30; // seconds; 0 = no limit
    CommandTypeEnum CommandType = adCmdUnknown;
    ado::Parameters& Parameters() noexcept { return m_parameters; }

    // Runs the command. A stored procedure gets one value per parameter after entry 0 (inputs in order),
    // except that trailing inputs never given a value (Empty) whose HasDefault is set are left out of the
    // call, so the database supplies their defaults; a text command binds parameter values to its
    // placeholders. Returns the rows (open recordset) or a closed recordset when there are none.
    std::shared_ptr<Recordset> Execute(long* recordsAffected = nullptr);

private:
    std::shared_ptr<Connection> m_connection;
    ado::Parameters m_parameters;
};

} // namespace ado
