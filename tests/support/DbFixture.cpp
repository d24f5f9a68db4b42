// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "support/DbFixture.h"

#include "ado/Recordset.h"
#include "vb/Error.h"

#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

namespace vondrel::test {
namespace {

std::string UniqueSuffix() {
    static std::atomic<int> counter{0};
    std::random_device random;
    return std::to_string(getpid()) + "_" + std::to_string(counter++) + "_" +
           std::to_string(random() % 100000);
}

bool InCi() {
    const char* ci = std::getenv("CI");
    return ci && std::string(ci) == "true";
}

} // namespace

std::string BackendName(Backend backend) {
    switch (backend) {
    case Backend::Sqlite:
        return "SQLite";
    case Backend::Postgres:
        return "PostgreSQL";
    case Backend::OdbcPostgres:
        return "OdbcPostgreSQL";
    case Backend::OdbcSqlite:
        return "OdbcSQLite";
    }
    return "unknown";
}

std::string BackendTestName(const ::testing::TestParamInfo<Backend>& param) {
    return BackendName(param.param);
}

std::string EngineOf(Backend backend) {
    return backend == Backend::Sqlite || backend == Backend::OdbcSqlite ? "sqlite" : "postgres";
}

std::optional<std::string> PostgresConninfo() {
    const char* conninfo = std::getenv("VONDREL_PG_CONNINFO");
    if (conninfo && *conninfo) {
        return std::string(conninfo);
    }
    if (InCi()) {
        ADD_FAILURE() << "CI=true but VONDREL_PG_CONNINFO is not set: the PostgreSQL tests cannot run";
    }
    return std::nullopt;
}

std::optional<std::string> OdbcPostgresConnectionString() {
    const char* dsn = std::getenv("VONDREL_ODBC_PG");
    if (dsn && *dsn) {
        return std::string(dsn);
    }
    if (InCi()) {
        ADD_FAILURE()
            << "CI=true but VONDREL_ODBC_PG is not set: the PostgreSQL tests through ODBC cannot run";
    }
    return std::nullopt;
}

std::string OdbcSqliteDriver() {
    const char* driver = std::getenv("VONDREL_ODBC_SQLITE_DRIVER");
    // The name Debian's libsqliteodbc registers in /etc/odbcinst.ini.
    return driver && *driver ? std::string(driver) : std::string("SQLite3");
}

TestDatabase::TestDatabase(Backend backend) : m_backend(backend) {
    m_connection = ado::Connection::Create();
    if (backend == Backend::Sqlite || backend == Backend::OdbcSqlite) {
        m_folder = std::filesystem::temp_directory_path() / ("vondrel-test-" + UniqueSuffix());
        std::filesystem::create_directories(m_folder);
        const std::filesystem::path file = m_folder / "test.db";
        // The driver opens existing files only, as a host's database always exists.
        std::FILE* created = std::fopen(file.c_str(), "wb");
        if (created) {
            std::fclose(created);
        }
        if (backend == Backend::Sqlite) {
            m_connectionString = file.string();
            m_connection->Open(m_connectionString);
            m_available = true;
            return;
        }
        m_connectionString = "Driver={" + OdbcSqliteDriver() + "};Database=" + file.string();
        try {
            m_connection->Open(m_connectionString);
        } catch (const vb::Error& error) {
            // The driver manager speaks for itself when the driver is missing; anything else is the
            // driver failing, which is a real failure.
            if (error.Description().find("[Driver Manager]") == std::string::npos || InCi()) {
                throw;
            }
            m_unavailableReason = "SQLite ODBC driver not usable: " + error.Description();
            return;
        }
        m_available = true;
        return;
    }
    const std::optional<std::string> server =
        backend == Backend::Postgres ? PostgresConninfo() : OdbcPostgresConnectionString();
    if (!server) {
        m_unavailableReason = backend == Backend::Postgres
                                  ? "no PostgreSQL server configured (VONDREL_PG_CONNINFO unset)"
                                  : "no PostgreSQL ODBC data source configured (VONDREL_ODBC_PG unset)";
        return;
    }
    m_serverConninfo = *server;
    m_schema = "t_" + UniqueSuffix();
    {
        auto admin = ado::Connection::Create();
        admin->Open(m_serverConninfo);
        admin->Execute("CREATE SCHEMA " + m_schema);
    }
    if (backend == Backend::Postgres) {
        m_connectionString = m_serverConninfo + " options='-c search_path=" + m_schema + "'";
    } else {
        // psqlODBC runs ConnSettings right after connecting, before any statement of ours.
        std::string base = m_serverConninfo;
        while (!base.empty() && base.back() == ';') {
            base.pop_back();
        }
        m_connectionString = base + ";ConnSettings={set search_path to " + m_schema + "}";
    }
    m_connection->Open(m_connectionString);
    m_available = true;
}

TestDatabase::~TestDatabase() {
    try {
        if (m_connection && m_connection->State() == ado::adStateOpen) {
            m_connection->Close();
        }
        if (!m_schema.empty()) {
            auto admin = ado::Connection::Create();
            admin->Open(m_serverConninfo);
            admin->Execute("DROP SCHEMA " + m_schema + " CASCADE");
        }
    } catch (const std::exception& error) {
        ADD_FAILURE() << "could not clean up the test database: " << error.what();
    }
    if (!m_folder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
}

void TestDatabase::Exec(const std::string& sql) const {
    m_connection->Execute(sql);
}

} // namespace vondrel::test
