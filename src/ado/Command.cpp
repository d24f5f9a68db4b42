// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "ado/Command.h"

#include "ado/Connection.h"
#include "ado/Driver_p.h"
#include "ado/Recordset.h"
#include "vb/Error.h"
#include "vb/Strings.h"

namespace ado {
namespace {

[[noreturn]] void ThrowNoParameter(const std::string& what) {
    throw vb::Error(vb::kErrAdoNotFound, "在对应所需名称或序数的集合中，未找到参数：" + what);
}

// The driver's timeout is per connection; a command's own timeout applies while it runs.
class TimeoutScope {
public:
    TimeoutScope(Connection& connection, int seconds)
        : m_connection(connection), m_saved(connection.CommandTimeout()) {
        if (seconds != m_saved) {
            m_connection.DriverRef().SetTimeout(seconds);
            m_changed = true;
        }
    }
    ~TimeoutScope() {
        if (m_changed) {
            try {
                m_connection.DriverRef().SetTimeout(m_saved);
            } catch (...) {
                // The connection broke during the command; the caller already has that error.
            }
        }
    }
    TimeoutScope(const TimeoutScope&) = delete;
    TimeoutScope& operator=(const TimeoutScope&) = delete;

private:
    Connection& m_connection;
    int m_saved;
    bool m_changed = false;
};

// A caller that never set a value of a parameter with a default means "the database's default", which
// is what a procedure author who declared one expects; Null would be a value like any other.
bool IsLeftToItsDefault(const Parameter& parameter) {
    const bool isInput = parameter.Direction == adParamInput || parameter.Direction == adParamInputOutput;
    return isInput && parameter.HasDefault && parameter.Value.IsEmpty();
}

} // namespace

Parameter& Parameters::operator()(std::size_t index) {
    if (index >= m_items.size()) {
        ThrowNoParameter(std::to_string(index));
    }
    return m_items[index];
}

Parameter& Parameters::operator()(const std::string& name) {
    for (Parameter& parameter : m_items) {
        if (vb::EqualsNoCase(parameter.Name, name)) {
            return parameter;
        }
    }
    ThrowNoParameter(name);
}

void Parameters::Append(Parameter parameter) {
    m_items.push_back(std::move(parameter));
}

void Parameters::Refresh() {
    Command& command = *m_owner;
    if (!command.ActiveConnection()) {
        throw vb::Error(vb::kErrObjectRequired, "刷新参数需要先设置命令的连接。");
    }
    if (command.CommandType != adCmdStoredProc) {
        throw vb::Error(vb::kErrAdoNotAllowed, "只有存储过程命令才能从数据库刷新参数。");
    }
    std::vector<Parameter> items;
    for (const detail::ProcParam& described :
         command.ActiveConnection()->DriverRef().DescribeProcedure(command.CommandText)) {
        Parameter parameter;
        parameter.Name = described.name;
        parameter.Type = described.type;
        parameter.Direction = described.direction;
        parameter.Size = described.size;
        parameter.SqlType = described.sqlType;
        parameter.HasDefault = described.hasDefault;
        items.push_back(std::move(parameter));
    }
    m_items = std::move(items);
}

Command::Command() : m_parameters(*this) {}

void Command::SetActiveConnection(std::shared_ptr<Connection> connection) {
    m_connection = std::move(connection);
}

std::shared_ptr<Recordset> Command::Execute(long* recordsAffected) {
    if (!m_connection) {
        throw vb::Error(vb::kErrObjectRequired, "执行命令需要先设置命令的连接。");
    }
    if (CommandTimeout < 0) {
        throw vb::Error(vb::kErrInvalidCall, "超时秒数不能为负数。");
    }
    detail::Driver& driver = m_connection->DriverRef();
    TimeoutScope timeout(*m_connection, CommandTimeout);
    detail::StatementResult result;
    if (CommandType == adCmdStoredProc) {
        if (m_parameters.Count() == 0) {
            // Without Refresh the call has only what the caller appended; entry 0 is still the return value.
            m_parameters.Refresh();
        }
        std::vector<detail::ProcParam> described;
        std::vector<vb::Variant> values;
        for (std::size_t k = 0; k < m_parameters.Count(); ++k) {
            const Parameter& parameter = m_parameters(k);
            described.push_back({parameter.Name, parameter.Type, parameter.Direction, parameter.Size,
                                 parameter.SqlType, parameter.HasDefault});
            if (k > 0) {
                values.push_back(parameter.Value);
            }
        }
        // Values are passed by position, so only a tail can be left out; an Empty value that is not
        // in it goes as Null, as before.
        while (!values.empty() && IsLeftToItsDefault(m_parameters(values.size()))) {
            values.pop_back();
        }
        result = driver.CallProcedure(CommandText, described, values);
    } else {
        std::vector<vb::Variant> values;
        for (const Parameter& parameter : m_parameters.Items()) {
            values.push_back(parameter.Value);
        }
        result = driver.Run(CommandText, values);
    }
    if (recordsAffected) {
        *recordsAffected = result.recordsAffected;
    }
    auto recordset = Recordset::Create();
    if (result.store) {
        recordset->AttachRows(std::move(result.store), CommandText);
    }
    return recordset;
}

} // namespace ado
