// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "BenchSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sqlite3.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace vondrel::bench {
namespace {

// Ten columns as a month-end sales report has them: keys and quantities, Chinese names, money, dates.
constexpr const char* kSqliteCreate = R"sql(
CREATE TABLE bench_rows (fid INTEGER, fqty INTEGER, fstore SMALLINT, fcustomer VARCHAR(40), fproduct VARCHAR(40),
                         fprice DECIMAL(18,2), famount DECIMAL(18,2), ftax DECIMAL(18,2), fdate DATE, fdue DATE);
WITH RECURSIVE seq(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM seq WHERE i < {rows})
INSERT INTO bench_rows
SELECT i, i % 100, i % 7, '客户' || (i % 997) || '号商贸有限公司', '产品' || (i % 113) || '型号',
       (i % 1000) / 100.0 + 1, (i % 100) * ((i % 1000) / 100.0 + 1), (i % 100) * 0.13,
       date('2024-01-01', '+' || (i % 365) || ' days'), date('2024-02-01', '+' || (i % 365) || ' days')
FROM seq;
)sql";

} // namespace

const char* const kPostgresSalesSql = R"sql(
DROP TABLE IF EXISTS {table};
CREATE TABLE {table} (fid INTEGER, fqty INTEGER, fstore SMALLINT, fcustomer VARCHAR(40), fproduct VARCHAR(40),
                 fprice DECIMAL(18,2), famount DECIMAL(18,2), ftax DECIMAL(18,2), fdate DATE, fdue DATE);
INSERT INTO {table}
SELECT i, i % 100, i % 7, '客户' || (i % 997) || '号商贸有限公司', '产品' || (i % 113) || '型号',
       (i % 1000) / 100.0 + 1, (i % 100) * ((i % 1000) / 100.0 + 1), (i % 100) * 0.13,
       date '2024-01-01' + (i % 365), date '2024-02-01' + (i % 365)
FROM generate_series(1, {rows}) AS i;
)sql";

namespace {

std::size_t ReadStatusKb(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t keyLength = std::strlen(key);
    while (std::getline(status, line)) {
        if (line.compare(0, keyLength, key) == 0) {
            return std::stoul(line.substr(keyLength + 1));
        }
    }
    return 0;
}

// The measured child's start, which RestartMeasure moves; unused in the parent.
std::chrono::steady_clock::time_point g_start;
std::size_t g_rssBefore = 0;

void StartMeasure() {
    {
        // Writing 5 resets VmHWM to the current RSS, so the peak below is the work's own.
        std::ofstream clear("/proc/self/clear_refs");
        clear << "5";
    }
    g_rssBefore = ReadStatusKb("VmRSS:");
    g_start = std::chrono::steady_clock::now();
}

} // namespace

void RestartMeasure() {
    StartMeasure();
}

Sample Measure(const std::function<void()>& work, int repeat) {
    Sample best{1e300, 0};
    for (int run = 0; run < repeat; ++run) {
        int pipeFds[2];
        if (pipe(pipeFds) != 0) {
            throw std::runtime_error("pipe failed");
        }
        const pid_t child = fork();
        if (child == 0) {
            close(pipeFds[0]);
            StartMeasure();
            work();
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - g_start).count();
            const std::size_t peak = ReadStatusKb("VmHWM:");
            Sample sample{seconds, (peak > g_rssBefore ? peak - g_rssBefore : 0) * 1024};
            if (write(pipeFds[1], &sample, sizeof sample) != static_cast<ssize_t>(sizeof sample)) {
                _exit(2);
            }
            _exit(0);
        }
        close(pipeFds[1]);
        Sample sample;
        const ssize_t got = read(pipeFds[0], &sample, sizeof sample);
        close(pipeFds[0]);
        int status = 0;
        waitpid(child, &status, 0);
        if (got != static_cast<ssize_t>(sizeof sample) || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            throw std::runtime_error("a measured run failed");
        }
        best.seconds = std::min(best.seconds, sample.seconds);
        best.peakBytes = std::max(best.peakBytes, sample.peakBytes);
    }
    return best;
}

std::string HumanBytes(double bytes) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f MB", bytes / 1e6);
    return buffer;
}

void Report::AddRatio(std::string name, double ours, double baseline, std::string unit, double targetRatio) {
    m_rows.push_back({std::move(name), ours, baseline, std::move(unit), targetRatio, {}});
}

void Report::AddInfo(std::string name, std::string value) {
    m_rows.push_back({std::move(name), 0, 0, {}, 0, std::move(value)});
}

bool Report::Print(const std::string& title) const {
    bool allMet = true;
    std::printf("\n%s\n", title.c_str());
    std::printf("%-58s %14s %14s %8s %8s %5s\n", "measure", "ours", "baseline", "ratio", "target", "met");
    for (const Row& row : m_rows) {
        if (!row.info.empty()) {
            std::printf("%-58s %s\n", row.name.c_str(), row.info.c_str());
            continue;
        }
        const double ratio = row.baseline > 0 ? row.ours / row.baseline : 0;
        const bool met = row.target <= 0 || ratio <= row.target;
        allMet = allMet && met;
        const auto show = [&](double value) {
            char buffer[32];
            if (row.unit == "bytes") {
                return HumanBytes(value);
            }
            std::snprintf(buffer, sizeof buffer, "%.4f %s", value, row.unit.c_str());
            return std::string(buffer);
        };
        std::printf("%-58s %14s %14s %7.2fx %7.2fx %5s\n", row.name.c_str(), show(row.ours).c_str(),
                    show(row.baseline).c_str(), ratio, row.target, met ? "yes" : "NO");
    }
    return allMet;
}

void Report::WriteJson(const std::string& path) const {
    std::ofstream out(path);
    out << "[\n";
    for (std::size_t k = 0; k < m_rows.size(); ++k) {
        const Row& row = m_rows[k];
        const double ratio = row.baseline > 0 ? row.ours / row.baseline : 0;
        out << "  {\"name\": \"" << row.name << "\", \"ours\": " << row.ours
            << ", \"baseline\": " << row.baseline << ", \"unit\": \"" << row.unit
            << "\", \"ratio\": " << ratio << ", \"target\": " << row.target
            << ", \"met\": " << ((row.target <= 0 || ratio <= row.target) ? "true" : "false")
            << ", \"info\": \"" << row.info << "\"}" << (k + 1 < m_rows.size() ? "," : "") << "\n";
    }
    out << "]\n";
}

bool ParseArguments(int argc, char** argv, const char* name, long& rows, std::string& json) {
    for (int k = 1; k < argc; ++k) {
        if (std::strcmp(argv[k], "--rows") == 0 && k + 1 < argc) {
            rows = std::atol(argv[++k]);
        } else if (std::strcmp(argv[k], "--json") == 0 && k + 1 < argc) {
            json = argv[++k];
        } else {
            std::fprintf(stderr, "usage: %s [--rows N] [--json FILE]\n", name);
            return false;
        }
    }
    return rows > 0;
}

std::string FillTemplate(std::string text, long rows, const std::string& table) {
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"{rows}", std::to_string(rows)},
                                     std::pair<std::string, std::string>{"{table}", table}}) {
        for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at)) {
            text.replace(at, key.size(), value);
        }
    }
    return text;
}

std::filesystem::path EnsureSalesDatabase(long rows) {
    const std::filesystem::path folder = std::filesystem::path("bench-data");
    std::filesystem::create_directories(folder);
    const std::filesystem::path file = folder / ("rows-" + std::to_string(rows) + ".db");
    if (std::filesystem::exists(file)) {
        return file;
    }
    const std::filesystem::path partial = file.string() + ".tmp";
    std::filesystem::remove(partial);
    sqlite3* db = nullptr;
    sqlite3_open(partial.c_str(), &db);
    char* error = nullptr;
    const std::string sql = FillTemplate(kSqliteCreate, rows);
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : "?";
        sqlite3_free(error);
        sqlite3_close(db);
        throw std::runtime_error("creating the SQLite data failed: " + message);
    }
    sqlite3_close(db);
    std::filesystem::rename(partial, file);
    return file;
}

} // namespace vondrel::bench
