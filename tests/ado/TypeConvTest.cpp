// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "ado/TypeConv_p.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

TEST(TypeConv, IsoDatesBecomeSerialsAndBack) {
    struct Case {
        const char* text;
        double serial;       // NAN: not a date
        const char* printed; // FormatIsoDateTime(serial)
    };
    const Case cases[] = {
        {"1899-12-30", 0, "1899-12-30"},
        {"1900-03-01", 61, "1900-03-01"},
        {"2024-02-29", 45351, "2024-02-29"},
        {"2024-03-05 08:30:00", 45356 + 8.5 / 24, "2024-03-05 08:30:00"},
        {"2024-03-05T08:30:00.250+08:00", 45356 + (8.5 * 3600 + 0.25) / 86400, "2024-03-05 08:30:00"},
        {"2024/03/05", 45356, "2024-03-05"},
        {"12:00", 0.5, "1899-12-30 12:00:00"},
        {"1899-12-29 06:00:00", -1.25, "1899-12-29 06:00:00"},
        {"2023-02-29", NAN, nullptr},
        {"2024-13-01", NAN, nullptr},
        {"2024-03-05 25:00", NAN, nullptr},
        {"20240305", NAN, nullptr},
        {"张三", NAN, nullptr},
        {"", NAN, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<double> serial = ado::detail::ParseIsoDateTime(c.text);
        if (std::isnan(c.serial)) {
            EXPECT_FALSE(serial.has_value());
            continue;
        }
        ASSERT_TRUE(serial.has_value());
        EXPECT_NEAR(*serial, c.serial, 1e-9);
        EXPECT_EQ(ado::detail::FormatIsoDateTime(*serial), c.printed);
    }
}

TEST(TypeConv, BoundNumbersAreAlwaysPlainDecimals) {
    struct Case {
        double value;
        const char* expected;
    };
    const Case cases[] = {{0, "0"},
                          {-12, "-12"},
                          {0.1, "0.1"},
                          {1234.5, "1234.5"},
                          {1e20, "100000000000000000000"},
                          {-0.000125, "-0.000125"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(ado::detail::FormatDecimal(c.value), c.expected);
    }
}

} // namespace
