// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "ado/SqlText.h"

#include "support/RaisedError.h"
#include "vb/Error.h"

#include <gtest/gtest.h>

namespace {

TEST(SqlText, QuotingDoublesEveryQuote) {
    struct Case {
        const char* input;
        const char* expected;
    };
    const Case cases[] = {
        {"", "''"},
        {"合计", "'合计'"},
        {"O'Brien", "'O''Brien'"},
        {"'); DROP TABLE qv_report; --", "'''); DROP TABLE qv_report; --'"},
        {"''", "''''''"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(ado::SqlQuote(c.input), c.expected);
    }
}

TEST(SqlText, NumbersAreCheckedBeforeTheyAreWrittenUnquoted) {
    struct Case {
        const char* name;
        vb::Variant value;
        const char* expected; // nullptr: refused
    };
    const Case cases[] = {
        {"Long", vb::Variant(42), "42"},
        {"negative Integer", vb::Variant::Integer(-7), "-7"},
        {"whole Double has no decimal point", vb::Variant(1500.0), "1500"},
        {"fractional Double", vb::Variant(87.5), "87.5"},
        {"numeric text from a parameter item", vb::Variant("12"), "12"},
        {"decimal text", vb::Variant("-3.25"), "-3.25"},
        {"injection attempt", vb::Variant("1 or 1=1"), nullptr},
        {"text with a separator is re-written plain", vb::Variant("1,000"), "1000"},
        {"text with an exponent is re-written plain", vb::Variant("1e3"), "1000"},
        {"Boolean", vb::Variant(true), nullptr},
        {"empty text", vb::Variant(""), nullptr},
        {"Null", vb::Variant::Null(), nullptr},
        {"Empty", vb::Variant(), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.expected) {
            EXPECT_EQ(ado::SqlNumber(c.value, "用户号"), c.expected);
        } else {
            const vondrel::test::Raised error =
                vondrel::test::ErrorOf([&] { ado::SqlNumber(c.value, "用户号"); });
            EXPECT_EQ(error.number, vb::kErrTypeMismatch);
            EXPECT_EQ(error.description.rfind("用户号必须是数字", 0), 0U) << error.description;
        }
    }
}

} // namespace
