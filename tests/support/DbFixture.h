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

// The two real databases every database-facing suite runs against.
enum class Backend { Sqlite, Postgres };
std::string BackendName(Backend backend);
// Names parameterised tests after the database they ran on.
std::string BackendTestName(const ::testing::TestParamInfo<Backend>& param);

// A private database for one test: a fresh SQLite file in a temporary folder, or a fresh schema on the
// PostgreSQL server that `./dev test` starts (VONDREL_PG_CONNINFO). Everything is removed afterwards.
class TestDatabase {
public:
    explicit TestDatabase(Backend backend);
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    // False when PostgreSQL was asked for and no server is configured (the test then skips).
    bool IsAvailable() const noexcept { return m_available; }
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
    std::filesystem::path m_folder;
    std::string m_schema;
    std::string m_serverConninfo;
    std::string m_connectionString;
    std::shared_ptr<ado::Connection> m_connection;
};

// The server's conninfo, or nullopt when none is configured. With CI=true a missing server is a
// failure of the calling test, never a silent skip.
std::optional<std::string> PostgresConninfo();

// Skips the current test when the database is unavailable (fails it instead under CI).
#define VONDREL_REQUIRE_DATABASE(db)                                                                         \
    do {                                                                                                     \
        if (!(db).IsAvailable()) {                                                                           \
            GTEST_SKIP() << "no PostgreSQL server configured (VONDREL_PG_CONNINFO unset)";                   \
        }                                                                                                    \
    } while (false)

} // namespace vondrel::test
