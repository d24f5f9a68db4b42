// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vondrel::bench {

// One measured run: wall time and the peak resident memory the run added.
struct Sample {
    double seconds = 0;
    std::size_t peakBytes = 0;
};

// Runs `work` in a forked child (so peaks and caches of one run never leak into the next), `repeat`
// times, and returns the fastest run with the highest peak seen. The child resets the kernel's peak
// counter before the work, so peakBytes is what the work itself added on top of the process.
Sample Measure(const std::function<void()>& work, int repeat = 3);

// Called by a measured `work` once its set-up is done: the time and the peak start again from here, so
// a step that needs a window opened first (a drill from a report shown) is measured alone.
void RestartMeasure();

// A result table: each figure beside its baseline from the same run, the ratio, the target, met or not.
class Report {
public:
    void AddRatio(std::string name, double ours, double baseline, std::string unit, double targetRatio);
    void AddInfo(std::string name, std::string value);
    // Prints the table and returns true when every target was met.
    bool Print(const std::string& title) const;
    // Writes the rows as JSON (name, ours, baseline, ratio, target, met).
    void WriteJson(const std::string& path) const;

private:
    struct Row {
        std::string name;
        double ours = 0;
        double baseline = 0;
        std::string unit;
        double target = 0; // 0: information only
        std::string info;
    };
    std::vector<Row> m_rows;
};

std::string HumanBytes(double bytes);

// The command line every benchmark takes: [--rows N] [--json FILE]. Prints the usage and returns false
// on anything else.
bool ParseArguments(int argc, char** argv, const char* name, long& rows, std::string& json);

// The statement text with {rows} and {table} filled in.
std::string FillTemplate(std::string text, long rows, const std::string& table = {});

// The statements that (re)create the table {table} on PostgreSQL with the same {rows} rows as
// EnsureSalesDatabase makes (fill in with FillTemplate).
extern const char* const kPostgresSalesSql;

// An SQLite file in ./bench-data with `rows` rows of the table bench_rows: ten columns as a month-end
// sales report has them (keys and quantities, Chinese names, money, dates). Made once per row count
// and kept; a half-made file is never left behind.
std::filesystem::path EnsureSalesDatabase(long rows);

} // namespace vondrel::bench
