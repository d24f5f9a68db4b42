// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "vb/DateTime.h"

#include "support/RaisedError.h"
#include "vb/Error.h"

#include <gtest/gtest.h>

namespace vb {
namespace {

TEST(DateTimeTest, SerialsRoundTripThroughParts) {
    struct Case {
        const char* name;
        DateParts parts;
        double serial;
    };
    const Case cases[] = {
        {"epoch", {1899, 12, 30, 0, 0, 0}, 0},
        // The platform counts a day 1900-02-29 that never was only before 1900-03-01; ours does not.
        {"1900-01-01", {1900, 1, 1, 0, 0, 0}, 2},
        {"leap day at noon", {2024, 2, 29, 12, 0, 0}, 45351.5},
        {"last second of a day", {1899, 12, 31, 23, 59, 59}, 1 + 86399.0 / 86400},
        {"before the epoch the time counts forward", {1899, 12, 29, 6, 0, 0}, -1.25},
        {"first supported day", {100, 1, 1, 0, 0, 0}, -657434},
        {"last supported day", {9999, 12, 31, 0, 0, 0}, 2958465},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_DOUBLE_EQ(MakeDate(c.parts).serial, c.serial);
        EXPECT_EQ(SplitDate(Date{c.serial}), c.parts);
    }
    // Rounding to the second can reach midnight: the day moves forward, also before the epoch.
    EXPECT_EQ(SplitDate(Date{45351.999999}), (DateParts{2024, 3, 1, 0, 0, 0}));
    EXPECT_EQ(SplitDate(Date{-1.9999999}), (DateParts{1899, 12, 30, 0, 0, 0}));
}

TEST(DateTimeTest, DateSerialRollsOver) {
    struct Case {
        const char* name;
        int year, month, day;
        DateParts expected;
    };
    const Case cases[] = {
        {"month 13", 2024, 13, 1, {2025, 1, 1}},
        {"month 0", 2024, 0, 1, {2023, 12, 1}},
        {"month -13", 2024, -13, 1, {2022, 11, 1}},
        {"day 0 is the last of the month before", 2024, 3, 0, {2024, 2, 29}},
        {"negative day", 2023, 1, -1, {2022, 12, 30}},
        {"day past month end", 2023, 2, 29, {2023, 3, 1}},
        {"two-digit year below 30", 24, 1, 1, {2024, 1, 1}},
        {"two-digit year from 30", 99, 1, 1, {1999, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SplitDate(Date{DateSerial(c.year, c.month, c.day)}), c.expected);
    }
    EXPECT_EQ(vondrel::test::ErrorOf([] { DateSerial(10000, 1, 1); }).number, kErrInvalidCall);
}

TEST(DateTimeTest, ParsesTheAcceptedLayouts) {
    struct Case {
        const char* name;
        const char* text;
        std::optional<double> expected;
    };
    const Case cases[] = {
        {"date", "2024-02-29", 45351},
        {"slashes and one-digit month", "2024/2/29", 45351},
        {"spaces and time without seconds", " 2024-02-29 12:00 ", 45351.5},
        {"ISO with zone: wall clock kept", "2024-02-29T12:00:00+08:00", 45351.5},
        {"ISO with Z", "2024-02-29T18:00:00Z", 45351.75},
        {"fractional seconds", "2024-02-29T12:00:00.5", 45351.5 + 0.5 / 86400},
        {"bare time", "18:00", 0.75},
        {"no such day", "2024-02-30", std::nullopt},
        {"not a leap year", "2023-02-29", std::nullopt},
        {"month 13", "2024-13-01", std::nullopt},
        {"hour 25", "2024-02-29T25:00", std::nullopt},
        {"mixed separators", "2024-02/29", std::nullopt},
        {"trailing text", "2024-1-1x", std::nullopt},
        {"hour only", "2024-02-29 12", std::nullopt},
        {"digits only are a number", "20240229", std::nullopt},
        {"empty", "", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<Date> parsed = TryParseDate(c.text);
        ASSERT_EQ(parsed.has_value(), c.expected.has_value());
        if (parsed) {
            EXPECT_DOUBLE_EQ(parsed->serial, *c.expected);
        }
    }
}

TEST(DateTimeTest, WeekdayCountsFromTheFirstDay) {
    struct Case {
        const char* name;
        double serial;
        int firstDay;
        int expected;
    };
    const Case cases[] = {
        {"epoch was a Saturday", 0, 1, 7}, {"2024-01-01 was a Monday", 45292, 1, 2},
        {"Monday first", 45292, 2, 1},     {"Sunday with Monday first", 45291, 2, 7},
        {"before the epoch", -1.5, 1, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Weekday(Date{c.serial}, c.firstDay), c.expected);
    }
}

} // namespace
} // namespace vb
