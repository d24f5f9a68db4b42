// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
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

} // namespace vondrel::bench
