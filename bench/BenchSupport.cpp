// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "BenchSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace vondrel::bench {
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

} // namespace

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
            {
                // Writing 5 resets VmHWM to the current RSS, so the peak below is the work's own.
                std::ofstream clear("/proc/self/clear_refs");
                clear << "5";
            }
            const std::size_t before = ReadStatusKb("VmRSS:");
            const auto start = std::chrono::steady_clock::now();
            work();
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            const std::size_t peak = ReadStatusKb("VmHWM:");
            Sample sample{seconds, (peak > before ? peak - before : 0) * 1024};
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

} // namespace vondrel::bench
