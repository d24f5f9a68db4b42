// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The database layer against what it wraps: opening a big static recordset and taking all of its rows
// must cost little more than the plainest loop over the same result with the database's own C API,
// and hold the rows in little more memory than the data itself.
//
//   bench_ado [--rows N] [--json FILE]     (PostgreSQL rows only when VONDREL_PG_CONNINFO is set)
#include "BenchSupport.h"
#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "vb/Array.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using vondrel::bench::Measure;
using vondrel::bench::Report;
using vondrel::bench::Sample;

// Column kinds of the ten columns, for the baseline loops: 'i' integer, 'd' decimal, 't' text, 'D' date.
constexpr const char kKinds[] = "iiittdddDD";

volatile std::size_t g_sink = 0; // keeps the baseline loops from being optimised away
// Results stay alive until the measured child exits: freeing them is not part of opening them.
std::vector<vb::Variant> g_kept;

// The plainest way to read every cell with SQLite's C API; also counts the data's raw bytes.
std::size_t SqliteBaseline(const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM bench_rows", -1, &stmt, nullptr);
    std::size_t raw = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int col = 0; col < 10; ++col) {
            switch (kKinds[col]) {
            case 'i':
                g_sink = g_sink + static_cast<std::size_t>(sqlite3_column_int64(stmt, col));
                raw += 8;
                break;
            case 'd':
                g_sink = g_sink + static_cast<std::size_t>(sqlite3_column_double(stmt, col));
                raw += 8;
                break;
            case 'D':
                g_sink = g_sink + (sqlite3_column_text(stmt, col) != nullptr);
                raw += 8; // a date is one 8-byte serial once read
                break;
            default:
                g_sink = g_sink + (sqlite3_column_text(stmt, col) != nullptr);
                raw += static_cast<std::size_t>(sqlite3_column_bytes(stmt, col));
                break;
            }
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return raw;
}

void PostgresBaseline(const std::string& conninfo, const std::string& table) {
    PGconn* conn = PQconnectdb(conninfo.c_str());
    PGresult* result = PQexec(conn, ("SELECT * FROM " + table).c_str());
    const int rows = PQntuples(result);
    const int cols = PQnfields(result);
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < cols; ++col) {
            if (!PQgetisnull(result, row, col)) {
                const char* text = PQgetvalue(result, row, col);
                // Numbers and dates have to be read to be used; text is used as it is.
                g_sink =
                    g_sink + (kKinds[col] == 't' ? static_cast<std::size_t>(PQgetlength(result, row, col))
                                                 : static_cast<std::size_t>(std::strtod(text, nullptr)));
            }
        }
    }
    PQclear(result);
    PQfinish(conn);
}

// Ours: open the static recordset and take every row with GetRows, as the report window does.
void OpenAndGetRows(const std::string& connectionString, const std::string& table, bool touchCells) {
    auto cnn = ado::Connection::Create();
    cnn->Open(connectionString);
    auto rs = ado::Recordset::Create();
    rs->Open("SELECT * FROM " + table, cnn);
    const vb::Variant rows = rs->GetRows();
    if (touchCells) {
        const vb::Array& array = *rows.AsArray();
        for (long row = 0; row <= array.UBound(2); ++row) {
            for (long col = 0; col <= array.UBound(1); ++col) {
                g_sink = g_sink + static_cast<std::size_t>(array.Get(col, row).Type());
            }
        }
    }
    g_sink = g_sink + rows.AsArray()->Count(2);
    g_kept.push_back(rows);
}

double CloneSeconds(const std::shared_ptr<ado::Recordset>& rs, int clones) {
    const auto start = std::chrono::steady_clock::now();
    for (int k = 0; k < clones; ++k) {
        g_sink = g_sink + static_cast<std::size_t>(rs->Clone()->RecordCount());
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void AddOpenRows(Report& report, const std::string& backend, const Sample& ours, const Sample& baseline,
                 std::size_t rawBytes, long rows) {
    report.AddRatio(backend + ": open " + std::to_string(rows) + " rows + GetRows (time)", ours.seconds,
                    baseline.seconds, "s", 1.5);
    report.AddRatio(backend + ": peak memory vs raw data bytes", static_cast<double>(ours.peakBytes),
                    static_cast<double>(rawBytes), "bytes", 2.0);
}

} // namespace

int main(int argc, char** argv) {
    long rows = 1000000;
    std::string json;
    if (!vondrel::bench::ParseArguments(argc, argv, "bench_ado", rows, json)) {
        return 2;
    }
    try {
        Report report;
        const std::string path = vondrel::bench::EnsureSalesDatabase(rows).string();
        std::size_t rawBytes = 0;
        Measure([&] { SqliteBaseline(path); }, 1); // warm the page cache for both sides
        rawBytes = SqliteBaseline(path);
        report.AddInfo("raw data bytes (" + std::to_string(rows) + " rows x 10 columns)",
                       vondrel::bench::HumanBytes(static_cast<double>(rawBytes)));
        const Sample sqliteBase = Measure([&] { SqliteBaseline(path); });
        const Sample sqliteOurs = Measure([&] { OpenAndGetRows(path, "bench_rows", false); });
        AddOpenRows(report, "SQLite", sqliteOurs, sqliteBase, rawBytes, rows);
        const Sample sqliteTouch = Measure([&] { OpenAndGetRows(path, "bench_rows", true); });
        report.AddRatio("SQLite: open + GetRows + read every cell as a Variant", sqliteTouch.seconds,
                        sqliteBase.seconds, "s", 0);

        {
            // Clone must not depend on the row count: compare a 1,000-row result with the big one.
            auto cnn = ado::Connection::Create();
            cnn->Open(path);
            auto big = ado::Recordset::Create();
            big->Open("SELECT * FROM bench_rows", cnn);
            auto small = ado::Recordset::Create();
            small->Open("SELECT * FROM bench_rows LIMIT 1000", cnn);
            // Rounds alternate between the two and the best round of each counts, so that load from
            // other processes hits both alike.
            const int clones = 20000;
            CloneSeconds(small, clones);
            double smallSeconds = 1e300;
            double bigSeconds = 1e300;
            for (int round = 0; round < 20; ++round) {
                double& best = round % 2 == 0 ? smallSeconds : bigSeconds;
                best = std::min(best, CloneSeconds(round % 2 == 0 ? small : big, clones));
            }
            report.AddRatio("Clone of " + std::to_string(rows) + " rows vs of 1,000 rows (time per clone)",
                            bigSeconds / clones, smallSeconds / clones, "s", 1.5);
        }

        if (const char* conninfo = std::getenv("VONDREL_PG_CONNINFO"); conninfo && *conninfo) {
            const std::string table = "bench_rows_" + std::to_string(rows);
            {
                auto cnn = ado::Connection::Create();
                cnn->Open(conninfo);
                cnn->Execute(vondrel::bench::FillTemplate(vondrel::bench::kPostgresSalesSql, rows, table));
            }
            Measure([&] { PostgresBaseline(conninfo, table); }, 1);
            const Sample pgBase = Measure([&] { PostgresBaseline(conninfo, table); });
            const Sample pgOurs = Measure([&] { OpenAndGetRows(conninfo, table, false); });
            AddOpenRows(report, "PostgreSQL", pgOurs, pgBase, rawBytes, rows);
        } else {
            report.AddInfo("PostgreSQL", "skipped (VONDREL_PG_CONNINFO not set)");
        }

        const bool met =
            report.Print("Database layer: static recordsets (best of 3, each run in a fresh process)");
        if (!json.empty()) {
            report.WriteJson(json);
        }
        return met ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_ado: %s\n", error.what());
        return 2;
    }
}
