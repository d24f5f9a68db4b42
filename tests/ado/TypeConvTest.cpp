// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "ado/ProcedureList_p.h"
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
        {"0050-01-01", NAN, nullptr},
        {"1899-12-29 06:00:00", -1.25, "1899-12-29 06:00:00"},
        {"2024-3-5", 45356, "2024-03-05"},
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

TEST(TypeConv, ValuesAreBoundAsTheTextDatabasesRead) {
    struct Case {
        const char* name;
        vb::Variant value;
        bool boolWords;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"Null binds NULL", vb::Variant::Null(), false, std::nullopt},
        {"Empty binds NULL", vb::Variant(), false, std::nullopt},
        {"whole Double without a decimal point", vb::Variant(1500.0), false, "1500"},
        {"large Double never in exponent form", vb::Variant(1e20), false, "100000000000000000000"},
        {"small Double never in exponent form", vb::Variant(-0.000125), false, "-0.000125"},
        {"Currency keeps its four places exactly", vb::Variant(vb::Currency{-12345}), false, "-1.2345"},
        {"Boolean as a number for SQLite", vb::Variant(true), false, "1"},
        {"Boolean as a word for PostgreSQL", vb::Variant(false), true, "false"},
        {"date without time", vb::Variant(vb::Date{45356}), false, "2024-03-05"},
        {"date with time", vb::Variant(vb::Date{45356.75}), false, "2024-03-05 18:00:00"},
        {"time of day keeps the epoch date", vb::Variant(vb::Date{0.5}), false, "1899-12-30 12:00:00"},
        {"text as it is", vb::Variant("O'Brien"), false, "O'Brien"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ado::detail::BindText(c.value, c.boolWords), c.expected);
    }
}

TEST(ProcedureList, ParameterListsSplitBetweenParametersOnly) {
    using ado::detail::DeclaredParam;
    struct Case {
        const char* list;
        std::vector<DeclaredParam> expected;
    };
    const Case cases[] = {
        {"pbegin DATE, pend DATE", {{"pbegin", "DATE", {}}, {"pend", "DATE", {}}}},
        // Without the parenthesis rule the scale became a parameter named "2)".
        {"pamount DECIMAL(18,2), pname VARCHAR(20)",
         {{"pamount", "DECIMAL(18,2)", {}}, {"pname", "VARCHAR(20)", {}}}},
        {"pfrom\tTEXT,\n  pto  TEXT ", {{"pfrom", "TEXT", {}}, {"pto", "TEXT", {}}}},
        {"puser", {{"puser", "", {}}}},
        {" , pa INTEGER,,", {{"pa", "INTEGER", {}}}},
        {"", {}},
        // Defaults: the type is what stands before DEFAULT; commas and parentheses inside quotes or
        // a call's parentheses belong to the expression. Before defaults existed, "DEFAULT 30" was
        // part of the type and the quoted comma split the list.
        {"pname TEXT, pdays INTEGER DEFAULT 30", {{"pname", "TEXT", {}}, {"pdays", "INTEGER", "30"}}},
        {"pnote VARCHAR(20) default 'a, b (it''s'", {{"pnote", "VARCHAR(20)", "'a, b (it''s'"}}},
        {"pto DATE DEFAULT date('now', '+1 day'),\n pmode \"x,y\" DEFAULT 1",
         {{"pto", "DATE", "date('now', '+1 day')"}, {"pmode", "\"x,y\"", "1"}}},
        {"pa DEFAULT -1", {{"pa", "", "-1"}}},
        // DEFAULT only as a word of its own, and not as the parameter's name.
        {"default MYDEFAULT, pdefault INTEGER", {{"default", "MYDEFAULT", {}}, {"pdefault", "INTEGER", {}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        EXPECT_EQ(ado::detail::ParseProcedureParams(c.list), c.expected);
    }
}

} // namespace
