// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// A short, deterministic run of the fuzz targets' checks over mutations of the demo template and its
// workbook, so every test run exercises the loaders with broken input; ./dev fuzz runs the real
// coverage-guided fuzzer for longer.
#include "FuzzTargets.h"
#include "controls/sheet/SheetSamples.h"

#include <gtest/gtest.h>
#include <random>

namespace sheet {
namespace {

std::string Mutate(std::string data, std::mt19937& rng) {
    auto pick = [&rng](std::size_t n) {
        return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
    };
    const int edits = 1 + static_cast<int>(pick(4));
    for (int edit = 0; edit < edits && !data.empty(); ++edit) {
        const std::size_t at = pick(data.size());
        switch (pick(5)) {
        case 0:
            data[at] = static_cast<char>(pick(256));
            break;
        case 1:
            data.erase(at, 1 + pick(16));
            break;
        case 2:
            data.insert(at, data.substr(pick(data.size()), 1 + pick(32)));
            break;
        case 3:
            data[at] = "\t\n\"\\=~0:,-9"[pick(11)];
            break;
        default:
            data.insert(at, std::to_string(static_cast<long>(pick(2000000000)) - 1000000000));
            break;
        }
    }
    return data;
}

void Replay(const std::string& seed, int runs, int (*target)(const std::uint8_t*, std::size_t)) {
    ASSERT_FALSE(seed.empty());
    std::mt19937 rng(20260101);
    for (int run = 0; run < runs; ++run) {
        const std::string input = Mutate(seed, rng);
        target(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
    }
}

TEST(FuzzReplayTest, CllReaderSurvivesMutations) {
    Replay(test::ReadFile(std::string(VONDREL_SOURCE_DIR) + "/demo/templates/销售日报.cll"), 3000,
           fuzz::FuzzCll);
}

TEST(FuzzReplayTest, XlsxImportSurvivesMutations) {
    Replay(test::ReadFile(std::string(VONDREL_SOURCE_DIR) + "/demo/templates/销售日报.xlsx"), 300,
           fuzz::FuzzXlsx);
}

} // namespace
} // namespace sheet
