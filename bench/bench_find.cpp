// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Find in a report of a million rows: looking for the text of the last row must cost no more than
// 1.5 times a plain loop over the same column strings (every text cell the search has to read, held
// as std::string, compared in the same row order). Numbers are the grid's own texts, but a search
// for Chinese text has no need to format them; this is what keeps it in the same league.
//
//   bench_find [--rows N] [--json FILE]
#include "BenchSupport.h"
#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "controls/grid/GridModel.h"
#include "vb/Array.h"
#include "vb/Conversion.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

using vondrel::bench::Report;
using Clock = std::chrono::steady_clock;

volatile long g_sink = 0; // keeps the measured loops from being optimised away

// Formats as the report window gives the template's columns (see bench_grid).
constexpr const char* kFormats[] = {
    "", "#,##;; ", "", "", "", "#,###0.00", "#,###0.00;; ", "#,###0.00;; ", "yyyy-mm-dd", "yyyy-mm-dd"};

template <class F> double BestSeconds(int runs, F work) {
    double best = 1e300;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    long rows = 1000000;
    std::string json;
    if (!vondrel::bench::ParseArguments(argc, argv, "bench_find", rows, json)) {
        return 2;
    }
    try {
        Report report;
        auto cnn = ado::Connection::Create();
        cnn->Open(vondrel::bench::EnsureSalesDatabase(rows).string());
        auto rs = ado::Recordset::Create();
        rs->Open("SELECT * FROM bench_rows", cnn);
        const vb::Variant data = rs->GetRows();
        const std::shared_ptr<vb::Array>& array = data.AsArray();
        const long last = static_cast<long>(array->Count(2)) - 1;
        // Customers repeat every 997 rows; the last row gets one of its own, as a search's target.
        const std::string target = "末行客户有限公司";
        array->Set(3, last, target);

        grid::GridModel grid;
        grid.SetGridRowCount(1);
        grid.SetGridColCount(10);
        grid.SetHeaderRowCount(1);
        for (int col = 0; col < 10; ++col) {
            grid.SetColFormatText(col, kFormats[col]);
        }
        grid.FillFromArray(data);

        // The baseline: the strings of every column that holds text, row by row.
        std::vector<std::vector<std::string>> columns;
        for (int col = 0; col < 10; ++col) {
            if (!array->HoldsNoText(col)) {
                std::vector<std::string> texts;
                texts.reserve(static_cast<std::size_t>(last + 1));
                for (long record = 0; record <= last; ++record) {
                    texts.push_back(vb::CStr(array->Get(col, record)));
                }
                columns.push_back(std::move(texts));
            }
        }
        const auto plainLoop = [&] {
            for (long record = 0; record <= last; ++record) {
                for (const std::vector<std::string>& texts : columns) {
                    if (std::string_view(texts[static_cast<std::size_t>(record)]).find(target) !=
                        std::string_view::npos) {
                        g_sink = g_sink + record;
                        return;
                    }
                }
            }
        };
        grid::FindStep step;
        const auto search = [&] {
            step = grid.FindText({target}, grid::CellPos{}, false, INT_MAX);
        };
        // Rounds alternate between the two and the best of each counts, so load from other processes
        // hits both alike.
        double loopSeconds = 1e300;
        double findSeconds = 1e300;
        for (int round = 0; round < 20; ++round) {
            loopSeconds = std::min(loopSeconds, BestSeconds(1, plainLoop));
            findSeconds = std::min(findSeconds, BestSeconds(1, search));
        }
        if (step.state != grid::FindStep::State::Found || step.cell.row != grid.GridRowCount() - 1) {
            std::fprintf(stderr, "bench_find: the last row's text was not found in the last row\n");
            return 2;
        }
        report.AddInfo("text columns the search reads", std::to_string(columns.size()));
        report.AddRatio("find the last row's text in " + std::to_string(rows) +
                            " rows vs a loop over the strings",
                        findSeconds, loopSeconds, "s", 1.5);
        // A number is searched in every formatted cell: no target, for the record.
        const double numberSeconds =
            BestSeconds(1, [&] { g_sink = g_sink + grid.CountMatches({"999,999"}, 0, INT_MAX); });
        report.AddRatio("  counting a number (every cell formatted) vs the loop", numberSeconds, loopSeconds,
                        "s", 0);

        const bool met = report.Print("Find in the grid (one run, ratios against its own baseline)");
        if (!json.empty()) {
            report.WriteJson(json);
        }
        return met ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_find: %s\n", error.what());
        return 2;
    }
}
