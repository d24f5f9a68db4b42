// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "ado/Connection.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>

namespace vondrel::test {

// The real databases every database-facing suite runs against: SQLite and PostgreSQL through their
// own drivers, and the same two through ODBC (psqlODBC with the DSN `./dev test` writes, and the
// SQLite ODBC driver on a private file).
enum class Backend { Sqlite, Postgres, OdbcPostgres, OdbcSqlite };
// The backends a database suite is instantiated with.
inline constexpr Backend kAllBackends[] = {Backend::Sqlite, Backend::Postgres, Backend::OdbcPostgres,
                                           Backend::OdbcSqlite};
std::string BackendName(Backend backend);
// Names parameterised tests after the database they ran on.
std::string BackendTestName(const ::testing::TestParamInfo<Backend>& param);
// The database engine behind a backend: "sqlite" or "postgres", which picks the demo's SQL files
// and the form of stored procedures a test creates.
std::string EngineOf(Backend backend);

// A private database for one test: a fresh SQLite file in a temporary folder, or a fresh schema on the
// PostgreSQL server that `./dev test` starts (VONDREL_PG_CONNINFO natively, the DSN in
// VONDREL_ODBC_PG through ODBC). Everything is removed afterwards.
class TestDatabase {
public:
    explicit TestDatabase(Backend backend);
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    // False when the server or the ODBC driver is not there (the test then skips; under CI it has
    // already failed). UnavailableReason says which.
    bool IsAvailable() const noexcept { return m_available; }
    const std::string& UnavailableReason() const noexcept { return m_unavailableReason; }
    Backend backend() const noexcept { return m_backend; }
    // A connection string that opens this database (and, on PostgreSQL, this test's schema).
    const std::string& ConnectionString() const noexcept { return m_connectionString; }
    // A connection opened on it (one per TestDatabase, shared by callers).
    const std::shared_ptr<ado::Connection>& Connection() const noexcept { return m_connection; }
    // Runs a script of statements separated by ';' lines through the connection.
    void Exec(const std::string& sql) const;

private:
    Backend m_backend;
    bool m_available = false;
    std::string m_unavailableReason;
    std::filesystem::path m_folder;
    std::string m_schema;
    std::string m_serverConninfo;
    std::string m_connectionString;
    std::shared_ptr<ado::Connection> m_connection;
};

// The server's conninfo, or nullopt when none is configured. With CI=true a missing server is a
// failure of the calling test, never a silent skip.
std::optional<std::string> PostgresConninfo();
// The ODBC connection string of that server (VONDREL_ODBC_PG), with the same CI rule.
std::optional<std::string> OdbcPostgresConnectionString();
// The ODBC driver name (as odbcinst.ini registers it) for SQLite files.
std::string OdbcSqliteDriver();

// Skips the current test when the database is unavailable (fails it instead under CI).
#define VONDREL_REQUIRE_DATABASE(db)                                                                         \
    do {                                                                                                     \
        if (!(db).IsAvailable()) {                                                                           \
            GTEST_SKIP() << (db).UnavailableReason();                                                        \
        }                                                                                                    \
    } while (false)

} // namespace vondrel::test
