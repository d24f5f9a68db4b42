// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "ado/Connection.h"

#include "ado/Driver_p.h"
#include "ado/Recordset.h"
#include "ado/odbc/OdbcConnString_p.h"
#include "vb/Error.h"
#include "vb/Strings.h"

namespace ado {
namespace {

enum class Backend { Sqlite, Postgres, Odbc };

struct Target {
    Backend backend;
    std::string address;
};

// Tells a SQLite path from a PostgreSQL address and an ODBC connection string. A libpq conninfo is
// "key=value" pairs separated by blanks; ODBC's pairs are separated by ';' and name a DSN or a
// driver, keys libpq does not have. A path never has an '=' before its first '/' in practice, and
// anything else is taken for a file.
Target ParseConnectionString(const std::string& text) {
    if (text.size() >= 5 && vb::EqualsNoCase(std::string_view(text).substr(0, 5), "odbc:")) {
        return {Backend::Odbc, text.substr(5)};
    }
    if (detail::odbc::IsOdbcConnectionString(text)) {
        return {Backend::Odbc, text};
    }
    if (text.starts_with("postgresql://") || text.starts_with("postgres://")) {
        return {Backend::Postgres, text};
    }
    if (text.starts_with("sqlite:")) {
        return {Backend::Sqlite, text.substr(7)};
    }
    if (text.starts_with("file:")) {
        return {Backend::Sqlite, text};
    }
    const std::size_t equals = text.find('=');
    const std::size_t slash = text.find('/');
    if (equals != std::string::npos && (slash == std::string::npos || equals < slash)) {
        return {Backend::Postgres, text};
    }
    return {Backend::Sqlite, text};
}

} // namespace

Connection::Connection() = default;
Connection::~Connection() = default;

void Connection::Open(const std::string& connectionString) {
    if (m_driver) {
        throw vb::Error(vb::kErrAdoNotAllowed, "对象打开时，不允许操作。");
    }
    std::string trimmed = connectionString;
    while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\n')) {
        trimmed.pop_back();
    }
    while (!trimmed.empty() && trimmed.front() == ' ') {
        trimmed.erase(trimmed.begin());
    }
    if (trimmed.empty()) {
        throw vb::Error(vb::kErrAdoProvider, "连接字符串为空，无法打开数据库连接。");
    }
    const Target target = ParseConnectionString(trimmed);
    switch (target.backend) {
    case Backend::Postgres:
        m_driver = detail::OpenPostgresDriver(target.address);
        break;
    case Backend::Odbc:
        m_driver = detail::OpenOdbcDriver(target.address);
        break;
    case Backend::Sqlite:
        m_driver = detail::OpenSqliteDriver(target.address);
        break;
    }
    m_driver->SetTimeout(m_commandTimeout);
    m_connectionString = connectionString;
}

void Connection::Close() {
    if (!m_driver) {
        throw vb::Error(vb::kErrAdoClosed, "对象关闭时，不允许操作。");
    }
    m_driver.reset();
}

ObjectStateEnum Connection::State() const noexcept {
    return m_driver ? adStateOpen : adStateClosed;
}

std::string Connection::Dialect() const {
    return m_driver ? m_driver->Dialect() : std::string();
}

detail::Driver& Connection::DriverRef() const {
    if (!m_driver) {
        throw vb::Error(vb::kErrAdoClosed, "对象关闭时，不允许操作。");
    }
    return *m_driver;
}

std::shared_ptr<Recordset> Connection::Execute(const std::string& commandText, long* recordsAffected) {
    return Execute(commandText, {}, recordsAffected);
}

std::shared_ptr<Recordset> Connection::Execute(const std::string& commandText,
                                               const std::vector<vb::Variant>& params,
                                               long* recordsAffected) {
    detail::StatementResult result = DriverRef().Run(commandText, params);
    if (recordsAffected) {
        *recordsAffected = result.recordsAffected;
    }
    auto recordset = Recordset::Create();
    if (result.store) {
        recordset->AttachRows(std::move(result.store), commandText);
    }
    return recordset;
}

void Connection::SetCommandTimeout(int seconds) {
    if (seconds < 0) {
        throw vb::Error(vb::kErrInvalidCall, "超时秒数不能为负数。");
    }
    m_commandTimeout = seconds;
    if (m_driver) {
        m_driver->SetTimeout(seconds);
    }
}

} // namespace ado
