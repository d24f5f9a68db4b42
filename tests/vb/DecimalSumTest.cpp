// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "vb/DecimalSum.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vb {
namespace {

struct Case {
    const char* name;
    std::vector<Variant> values;
    const char* expectedText;
    std::size_t expectedCount;
};

TEST(DecimalSumTest, SumsTheDisplayedDecimals) {
    const std::vector<Case> cases = {
        // A plain double loop gives 0.30000000000000004 here, which a 17-digit format would show.
        {"tenths that drift in binary", {0.1, 0.2}, "0.3", 2},
        {"cents cancelling out", {0.1, 0.2, -0.3}, "0", 3},
        {"money with grouping in text", {Variant("1,234.50"), 0.25, Variant::Long(3)}, "1237.75", 3},
        {"currency keeps four decimals", {Currency{12345}, Currency{1}}, "1.2346", 2},
        {"text, blanks and nulls are skipped",
         {Variant("abc"), Variant(""), Variant::Null(), Variant(), 2.5},
         "2.5",
         1},
        {"booleans and dates are not amounts", {true, Date{45000}, 1.0}, "1", 1},
        {"negative total", {-1.005, -2.0}, "-3.005", 2},
        {"large whole numbers", {1e15, 1e15, 1.0}, "2000000000000001", 3},
        // Up to four decimals and fifteen digits take a shortcut; these sit on both sides of its edges.
        {"five and six decimals", {0.00001, 1.234567}, "1.234577", 2},
        {"thirds at fifteen digits", {1.0 / 3, 2.0 / 3}, "1", 2},
        {"fifteen digits with a decimal", {12345678901234.5, 0.5}, "12345678901235", 2},
        {"sixteen digits round to fifteen", {1234567890123.4567, 0.0001}, "1234567890123.4601", 2},
        {"negative cents and a negative zero", {-0.01, -0.0, -99999999.99}, "-100000000", 3},
        {"money computed in binary", {37 * 1.37, 0.1 + 0.2, -0.7}, "50.29", 3},
        {"a 14th decimal is no noise", {0.30000000000001, 0.1}, "0.40000000000001", 2},
        {"noise beyond the fifteenth digit of a big amount", {123456789.12000002, 0.88}, "123456790", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DecimalSum sum;
        for (const Variant& value : c.values) {
            sum.AddValue(value);
        }
        EXPECT_EQ(sum.Text(), c.expectedText);
        EXPECT_EQ(sum.Count(), c.expectedCount);
        EXPECT_TRUE(sum.IsExact());
    }
}

TEST(DecimalSumTest, AMillionDimesShowTheExactTotal) {
    DecimalSum sum;
    double naive = 0;
    for (int row = 0; row < 1000000; ++row) {
        sum.Add(0.1);
        naive += 0.1;
    }
    EXPECT_EQ(sum.Text(), "100000");
    EXPECT_EQ(sum.Value(), 100000.0);
    EXPECT_NE(naive, 100000.0) << "the plain double loop no longer drifts, so this case proves nothing";
}

TEST(DecimalSumTest, LongMixedColumnsMatchIntegerArithmetic) {
    // Values of 0 to 5 decimals, both signs, doubles and currency, over more values than are held back
    // between settlements; reading the total midway must not disturb the rest. The reference adds
    // integers in units of 10^-5.
    static constexpr double kTens[] = {1, 10, 100, 1000, 10000, 100000};
    DecimalSum sum;
    std::int64_t units = 0;
    for (int row = 0; row < 20000; ++row) {
        const int tens = row % 6;
        const std::int64_t mantissa = ((row * 7919) % 1000003) * (row % 3 == 0 ? -1 : 1);
        if (row % 7 == 0) {
            sum.AddValue(Currency{mantissa}); // four decimals
            units += mantissa * 10;
        } else {
            sum.Add(static_cast<double>(mantissa) / kTens[tens]);
            units += mantissa * static_cast<std::int64_t>(kTens[5 - tens]);
        }
        if (row == 10000) {
            EXPECT_EQ(sum.Count(), 10001u);
            EXPECT_TRUE(sum.IsExact());
        }
    }
    const std::int64_t magnitude = units < 0 ? -units : units;
    std::string fraction = std::to_string(100000 + magnitude % 100000).substr(1);
    while (!fraction.empty() && fraction.back() == '0') {
        fraction.pop_back();
    }
    std::string expected = units < 0 ? "-" : "";
    expected += std::to_string(magnitude / 100000);
    if (!fraction.empty()) {
        expected += '.';
        expected += fraction;
    }
    EXPECT_EQ(sum.Text(), expected);
    EXPECT_EQ(sum.Count(), 20000u);
}

TEST(DecimalSumTest, FallsBackBeyondThirtySixDigits) {
    DecimalSum sum;
    sum.Add(1e30);
    sum.Add(1e-10);
    EXPECT_FALSE(sum.IsExact());
    EXPECT_DOUBLE_EQ(sum.Value(), 1e30);
}

} // namespace
} // namespace vb
