// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/grid/RangeMap_p.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace grid::detail {
namespace {

std::string Dump(const RangeMap<int>& map) {
    std::string out;
    map.ForEach(0, 1 << 30, [&out](int first, int last, int value) {
        out.append("[").append(std::to_string(first)).append("-").append(std::to_string(last));
        out.append("]=").append(std::to_string(value)).append(" ");
    });
    return out;
}

TEST(RangeMapTest, RunsSplitJoinShiftAndCut) {
    struct Case {
        const char* name;
        std::function<void(RangeMap<int>&)> operations;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"a million single writes of one value stay one run",
         [](RangeMap<int>& m) {
             for (int row = 0; row < 1000000; ++row) {
                 m.Assign(row, row, 330);
             }
         },
         "[0-999999]=330 "},
        {"a write inside a run splits it in three",
         [](RangeMap<int>& m) { m.Assign(0, 9, 1), m.Assign(4, 5, 2); }, "[0-3]=1 [4-5]=2 [6-9]=1 "},
        {"rewriting the middle joins the run again",
         [](RangeMap<int>& m) { m.Assign(0, 9, 1), m.Assign(4, 5, 2), m.Assign(4, 5, 1); }, "[0-9]=1 "},
        {"update fills gaps and removes on nullopt",
         [](RangeMap<int>& m) {
             m.Assign(2, 3, 5);
             m.Update(0, 5, [](const int* old) { return old ? std::nullopt : std::optional<int>(7); });
         },
         "[0-1]=7 [4-5]=7 "},
        {"shift opens a gap inside a run", [](RangeMap<int>& m) { m.Assign(0, 4, 1), m.Shift(2, 3); },
         "[0-1]=1 [5-7]=1 "},
        {"cut inside a run keeps its head",
         [](RangeMap<int>& m) { m.Assign(0, 4, 1), m.Assign(6, 8, 2), m.TruncateFrom(3); }, "[0-2]=1 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RangeMap<int> map;
        c.operations(map);
        EXPECT_EQ(Dump(map), c.expected);
        EXPECT_TRUE(map.CheckConsistency());
    }
}

} // namespace
} // namespace grid::detail
