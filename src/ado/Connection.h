// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "ado/DataType.h"
#include "vb/Variant.h"

#include <memory>
#include <string>
#include <vector>

namespace ado {

class Recordset;
namespace detail {
class Driver;
}

// A connection to the host's database. Connection strings:
//   SQLite:     a file path ("/data/erp.db"), or "sqlite:<path>", or a "file:" URI;
//   PostgreSQL: "postgresql://…"/"postgres://…" URIs, or a libpq conninfo ("host=… dbname=…");
//   ODBC:       "DSN=…;UID=…;PWD=…" or "Driver={…};Server=…;…" (a ';' and a DSN, DRIVER or FILEDSN key),
//               or anything after an "odbc:" prefix, handed to the driver manager as it is (docs/odbc.md).
// Every failure throws vb::Error whose description is Chinese and keeps the database's own message.
class Connection : public vb::Object, public std::enable_shared_from_this<Connection> {
public:
    Connection();
    ~Connection() override;
    static std::shared_ptr<Connection> Create() { return std::make_shared<Connection>(); }

    void Open(const std::string& connectionString);
    void Close();
    ObjectStateEnum State() const noexcept;
    const std::string& ConnectionString() const noexcept { return m_connectionString; }
    // "sqlite", "postgresql" or "odbc"; empty while closed.
    std::string Dialect() const;

    // Runs a statement. Returns an open static recordset when the statement yields rows, else a closed one.
    // params are bound in order to the statement's placeholders (? or $n, see SqlText.h), never spliced.
    std::shared_ptr<Recordset> Execute(const std::string& commandText, long* recordsAffected = nullptr);
    std::shared_ptr<Recordset> Execute(const std::string& commandText, const std::vector<vb::Variant>& params,
                                       long* recordsAffected = nullptr);

    // Seconds a statement may run; 0 = no limit. Default 30, as hosts expect.
    int CommandTimeout() const noexcept { return m_commandTimeout; }
    void SetCommandTimeout(int seconds);

    // The open driver; throws the closed-object error when the connection is not open.
    detail::Driver& DriverRef() const;

private:
    std::unique_ptr<detail::Driver> m_driver;
    std::string m_connectionString;
    int m_commandTimeout = 30;
};

} // namespace ado
