// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/sheet/NumFormatCode.h"

#include <gtest/gtest.h>

namespace sheet {
namespace {

std::string Values(const ParsedFormat& p) {
    const NumFormat& n = p.num;
    return std::to_string(n.grouping) + "," + (n.negativeRed ? "1" : "0") + "," + std::to_string(n.decimals) +
           "," + std::to_string(n.category) + "," + std::to_string(static_cast<long>(n.scale)) + "," +
           std::to_string(n.negativeForm) + "," + (n.currency ? "1" : "0") + (p.blankZero ? " blank" : "");
}

TEST(NumFormatCodeTest, CodesSpreadsheetProgramsWrite) {
    struct Case {
        const char* code;
        const char* expected; // the seven values, and " blank" when zeros show blank
    };
    const std::vector<Case> cases = {
        {"General", "0,0,0,0,0,0,0"},
        {"0", "0,0,0,-1,0,0,0"},
        {"#,##0.00", "1,0,2,-1,0,0,0"},
        {"#,##0.00;-#,##0.00;", "1,0,2,-1,0,0,0 blank"}, // empty zero section
        {"#,##0;-#,##0;\" \"", "1,0,0,-1,0,0,0 blank"},  // a quoted blank is still blank
        {"#,##0.00;-#,##0.00;0.00", "1,0,2,-1,0,0,0"},   // a real zero section shows zeros
        {"#,##0.00_ ;[Red]\\-#,##0.00\\ ",
         "1,1,2,-1,0,0,0"}, // padding and escapes as a Chinese locale writes
        {"[$¥-804]#,##0.00;[Red]([$¥-804]#,##0.00)", "1,1,2,-1,0,1,1"},
        {"0.0%", "0,0,1,1,0,0,0"},
        {"0.00E+00", "0,0,2,2,0,0,0"},
        {"#,##0,", "1,0,0,-1,1000,0,0"},
        {"0.00,,", "0,0,2,-1,1000000,0,0"},
        {"0.###", "0,0,-1,-1,0,0,0"},
        {"yyyy\"年\"m\"月\"d\"日\"", "0,0,0,3,0,0,0"},
        {"[$-F800]dddd, mmmm dd, yyyy", "0,0,0,3,0,0,0"},
        {"@", "0,0,0,4,0,0,0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(Values(FromFormatCode(c.code)), c.expected);
    }
}

TEST(NumFormatCodeTest, EveryWrittenCodeReadsBack) {
    // Each value on its own and in combination: the code written for a template must come back as
    // the same seven values and zero option, or an edit in a spreadsheet program would change it.
    // Only number categories use the other six values; a text format cannot blank zeros.
    for (std::int16_t category : {0, -1, 1, 2, 3, 4}) {
        for (std::int16_t decimals : {-1, 0, 2, 15}) {
            for (int bits = 0; bits < 32; ++bits) {
                NumFormat f;
                f.category = category;
                const bool numeric = category != 0 && category != 3 && category != 4;
                if (numeric) {
                    f.decimals = decimals;
                    f.grouping = bits & 1;
                    f.negativeRed = (bits & 2) != 0;
                    f.negativeForm = (bits & 4) != 0 ? 1 : 0;
                    f.currency = (bits & 8) != 0;
                    f.scale = (bits & 16) != 0 ? 1000 : 0;
                }
                for (const bool blankZero : {false, true}) {
                    const std::string code = ToFormatCode(f, blankZero);
                    SCOPED_TRACE(code);
                    const ParsedFormat back = FromFormatCode(code);
                    EXPECT_EQ(back.num, f);
                    EXPECT_EQ(back.blankZero, blankZero && category != 4);
                }
            }
        }
    }
    EXPECT_EQ(ToFormatCode(NumFormat{1, false, 2, -1, 0, 0, false}, true), "#,##0.00;-#,##0.00;");
}

} // namespace
} // namespace sheet
