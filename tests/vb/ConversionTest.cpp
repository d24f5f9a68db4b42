// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "vb/Conversion.h"

#include "support/RaisedError.h"
#include "vb/Error.h"

#include <functional>
#include <gtest/gtest.h>
#include <limits>

namespace vb {
namespace {

using vondrel::test::ErrorOf;

Variant Cur(std::int64_t scaled) {
    return Variant(Currency{scaled});
}

TEST(ConversionTest, WholeNumbersRoundHalvesToEven) {
    struct Case {
        const char* name;
        Variant input;
        int expected;
    };
    const Case cases[] = {
        {"fraction above half", "2.6", 3},
        {"half to even below", 2.5, 2},
        {"half to even above", 3.5, 4},
        {"negative half to even", -2.5, -2},
        {"negative half away from odd", -3.5, -4},
        {"half of zero", "0.5", 0},
        // Not a half: the double of 2.5000000001 is above, so no tie-breaking applies.
        {"just above half", 2.5000000001, 3},
        {"currency half uses exact scaled value", Cur(25000), 2},
        {"currency odd half", Cur(35000), 4},
        {"currency negative", Cur(-15001), -2},
        {"grouped string", " 1,234 ", 1234},
        {"exponent string", "-1.5e1", -15},
        {"True is minus one", true, -1},
        {"Empty is zero", Variant(), 0},
        {"lowest value after rounding", -32768.5, -32768},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CInt(c.input), c.expected);
        EXPECT_EQ(CLng(c.input), c.expected);
    }
}

TEST(ConversionTest, FailuresRaiseThePlatformError) {
    struct Case {
        const char* name;
        std::function<void()> call;
        long expected;
    };
    const Case cases[] = {
        {"CInt rounds past its range", [] { CInt(32767.5); }, kErrOverflow},
        {"CInt of a large Long", [] { CInt(Variant::Long(40000)); }, kErrOverflow},
        {"CLng past 32 bits", [] { CLng(2147483648.0); }, kErrOverflow},
        {"CSng past float range", [] { CSng(1e39); }, kErrOverflow},
        {"CDbl exponent too large", [] { CDbl("1e400"); }, kErrOverflow},
        {"CCur past its range", [] { CCur(1e15); }, kErrOverflow},
        {"CDate past year 9999", [] { CDate(3e6); }, kErrOverflow},
        {"CInt of Null", [] { CInt(Variant::Null()); }, kErrInvalidUseOfNull},
        {"CStr of Null", [] { CStr(Variant::Null()); }, kErrInvalidUseOfNull},
        {"CInt of text", [] { CInt("abc"); }, kErrTypeMismatch},
        {"CDbl of empty text", [] { CDbl(""); }, kErrTypeMismatch},
        {"CDbl of a date string", [] { CDbl("2024-01-05"); }, kErrTypeMismatch},
        {"comma after the decimal point", [] { CDbl("1.2,3"); }, kErrTypeMismatch},
        {"CDate of an impossible date", [] { CDate("2024-02-30"); }, kErrTypeMismatch},
        {"CBool of other words", [] { CBool("yes"); }, kErrTypeMismatch},
        {"CLng of an array", [] { CLng(Variant(std::shared_ptr<Array>())); }, kErrTypeMismatch},
        {"tiny exponent underflows to zero", [] { CDbl("1e-400"); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ErrorOf(c.call).number, c.expected);
    }
    EXPECT_FALSE(TryCInt(32767.5).has_value());
    EXPECT_FALSE(TryCStr(Variant::Null()).has_value());
}

TEST(ConversionTest, IsNumericReadsGroupedText) {
    struct Case {
        const char* name;
        Variant input;
        bool expected;
    };
    const Case cases[] = {
        {"grouped with decimals", "1,234.50", true},
        {"commas anywhere before the point", "1,2,3", true},
        {"surrounding spaces and sign", "  -12.5  ", true},
        {"leading point", ".5", true},
        {"exponent", "1E+3", true},
        {"empty text", "", false},
        {"spaces only", "   ", false},
        {"word", "abc", false},
        {"comma alone", ",", false},
        {"point alone", ".", false},
        {"exponent without digits", "1e", false},
        {"trailing text", "12abc", false},
        {"two signs", "+-1", false},
        {"Empty", Variant(), true},
        {"Null", Variant::Null(), false},
        {"Boolean", true, true},
        {"Currency", Cur(1), true},
        {"Date", Variant(Date{45000}), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsNumeric(c.input), c.expected);
    }
    EXPECT_DOUBLE_EQ(CDbl("1,2,3"), 123.0);
}

TEST(ConversionTest, CStrGivesGeneralText) {
    struct Case {
        const char* name;
        Variant input;
        const char* expected;
    };
    const Case cases[] = {
        // 0.30000000000000004 has 17 digits; at 15 the noise goes.
        {"sum with binary noise", 0.1 + 0.2, "0.3"},
        {"third", 1.0 / 3.0, "0.333333333333333"},
        {"whole number without point", 1234.0, "1234"},
        {"trailing zeros dropped", 1234.50, "1234.5"},
        {"negative", -0.75, "-0.75"},
        {"negative zero", -0.0, "0"},
        {"fifteen digits stay fixed", 123456789012345.0, "123456789012345"},
        {"1E15 switches to scientific", 1e15, "1E+15"},
        {"large", 1e20, "1E+20"},
        {"eighteen digits rounded to fifteen", 123456789012345678.0, "1.23456789012346E+17"},
        {"rounding carries into the exponent", 999999999999999.9, "1E+15"},
        {"1E-5 stays fixed", 0.00001, "0.00001"},
        {"below 1E-5 is scientific", 0.000001, "1E-06"},
        {"scientific with fraction", 2.5e-7, "2.5E-07"},
        {"three exponent digits", 1.5e300, "1.5E+300"},
        {"Single has seven digits", Variant::Single(0.1f), "0.1"},
        {"Single past seven digits", Variant::Single(16777216.0f), "1.677722E+07"},
        {"Currency trims zeros", Cur(12345000), "1234.5"},
        {"Currency smallest unit", Cur(-5), "-0.0005"},
        {"Integer", Variant::Integer(-7), "-7"},
        {"True", true, "True"},
        {"False", false, "False"},
        {"date only", Variant(Date{45351}), "2024-02-29"},
        {"date and time", Variant(Date{45351.5}), "2024-02-29 12:00:00"},
        {"time only", Variant(Date{0.75}), "18:00:00"},
        {"Empty", Variant(), ""},
        {"String unchanged", " a ", " a "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CStr(c.input), c.expected);
    }
}

TEST(ConversionTest, CurrencyRoundsItsDecimalDigits) {
    struct Case {
        const char* name;
        Variant input;
        std::int64_t expected;
    };
    const Case cases[] = {
        {"decimal 0.1 is exact", 0.1, 1000},
        {"half of the last unit to even (down)", "0.00005", 0},
        {"half of the last unit to even (up)", "0.00015", 2},
        {"more than half", 1.23456, 12346},
        {"negative", -2.5, -25000},
        {"Long", Variant::Long(-3), -30000},
        {"grouped string", "1,234.5", 12345000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CCur(c.input).scaled, c.expected);
    }
}

TEST(ConversionTest, BooleansAndVal) {
    EXPECT_TRUE(CBool(" true "));
    EXPECT_FALSE(CBool("FALSE"));
    EXPECT_TRUE(CBool("-0.5"));
    EXPECT_FALSE(CBool(Variant()));
    struct Case {
        const char* name;
        const char* input;
        double expected;
    };
    const Case cases[] = {
        {"blanks anywhere", " 1 2 3", 123},
        {"stops at a comma", "1,234", 1},
        {"stops at letters", "12abc", 12},
        {"exponent with D", "1.5D2", 150},
        {"dangling exponent", "12e", 12},
        {"no digits", "abc", 0},
        {"empty", "", 0},
        {"sign and point", "-.5", -0.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_DOUBLE_EQ(Val(c.input), c.expected);
    }
}

TEST(ConversionTest, SqlNumberTextIsPlainDecimal) {
    struct Case {
        const char* name;
        Variant input;
        const char* expected;
    };
    const Case cases[] = {
        {"large never uses an exponent", 1e20, "100000000000000000000"},
        {"small never uses an exponent", 1e-7, "0.0000001"},
        {"shortest round trip", 0.1, "0.1"},
        {"binary noise is kept, the value is exact", 0.1 + 0.2, "0.30000000000000004"},
        {"negative zero", -0.0, "0"},
        {"grouped text", "1,234.5", "1234.5"},
        {"Single by its own digits", Variant::Single(0.1f), "0.1"},
        {"Currency", Cur(12345), "1.2345"},
        {"Long", Variant::Long(-2147483647 - 1), "-2147483648"},
        {"True", true, "-1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SqlNumberText(c.input), c.expected);
    }
    EXPECT_EQ(ErrorOf([] { SqlNumberText(Variant("1; DROP TABLE t")); }).number, kErrTypeMismatch);
    EXPECT_EQ(ErrorOf([] { SqlNumberText(Variant()); }).number, kErrTypeMismatch);
    EXPECT_EQ(ErrorOf([] { SqlNumberText(std::numeric_limits<double>::infinity()); }).number, kErrOverflow);
}

} // namespace
} // namespace vb
