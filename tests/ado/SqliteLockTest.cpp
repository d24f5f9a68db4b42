// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// An SQLite file another program is writing: opening it waits for the writer's lock as statements
// do, instead of failing with "database is locked" (a host opening the report database while the
// previous report window saves its column widths).
#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "vb/Conversion.h"
#include "vb/Error.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <thread>
#include <unistd.h>

namespace {

TEST(SqliteLock, OpeningWaitsForAnotherConnectionsWriteLock) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("vondrel-lock-" + std::to_string(getpid()) + ".db");
    std::filesystem::remove(path);
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "CREATE TABLE t (x INTEGER); INSERT INTO t VALUES (7);", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    // An exclusive transaction keeps every other connection out, readers included, until it ends.
    ASSERT_EQ(sqlite3_exec(writer, "BEGIN EXCLUSIVE; INSERT INTO t VALUES (8);", nullptr, nullptr, nullptr),
              SQLITE_OK);
    std::thread release([writer] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        sqlite3_exec(writer, "COMMIT", nullptr, nullptr, nullptr);
    });

    auto connection = ado::Connection::Create();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NO_THROW(connection->Open(path.string()));
    const auto waited = std::chrono::steady_clock::now() - start;
    release.join();
    EXPECT_GE(waited, std::chrono::milliseconds(300)) << "the open waited for the lock";
    auto rs = ado::Recordset::Create();
    rs->Open("SELECT COUNT(*) AS n FROM t", connection);
    EXPECT_EQ(vb::CLng(rs->Fields("n").Value()), 2) << "and then saw the writer's committed row";

    rs.reset();
    connection.reset();
    sqlite3_close(writer);
    std::filesystem::remove(path);
}

} // namespace
