// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "vb/Strings.h"

#include "support/RaisedError.h"
#include "vb/Array.h"
#include "vb/Error.h"

#include <gtest/gtest.h>
#include <iterator>
#include <random>

namespace vb {
namespace {

TEST(StringsTest, SplitEdgeCases) {
    struct Case {
        const char* name;
        const char* text;
        const char* delimiter;
        int limit;
        std::string expected; // pieces joined with "|"
        std::size_t count;
    };
    const Case cases[] = {
        {"empty text has no pieces", "", ",", -1, "", 0},
        {"no delimiter found", "a", ",", -1, "a", 1},
        {"empty piece in the middle", "a,,b", ",", -1, "a||b", 3},
        {"delimiter alone gives two empties", ",", ",", -1, "|", 2},
        {"limit keeps the rest", "a,b,c", ",", 2, "a|b,c", 2},
        {"limit zero", "a,b", ",", 0, "", 0},
        {"empty delimiter keeps the text", "a b", "", -1, "a b", 1},
        {"multi-byte delimiter and text", "甲||乙", "||", -1, "甲|乙", 2},
        {"default splits on spaces", "a b", " ", -1, "a|b", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string> pieces = Split(c.text, c.delimiter, c.limit);
        EXPECT_EQ(pieces.size(), c.count);
        EXPECT_EQ(Join(pieces, "|"), c.expected);
    }
    const auto none = SplitToArray("", ",");
    EXPECT_EQ(none->LBound(), 0);
    EXPECT_EQ(none->UBound(), -1);
    const auto two = SplitToArray("合计,1", ",");
    EXPECT_EQ(Join(*two, "/"), "合计/1");
}

TEST(StringsTest, PositionsCountCharacters) {
    struct Case {
        const char* name;
        std::string actual;
        std::string expected;
    };
    const std::string total = "合计金额";
    const Case cases[] = {
        {"Len of Chinese", std::to_string(Len("合计")), "2"},
        {"Len of mixed", std::to_string(Len("a合b")), "3"},
        {"Len of a stray byte", std::to_string(Len("\xff")), "1"},
        {"Len of a cut sequence counts each byte", std::to_string(Len("\xe5\x90")), "2"},
        {"Mid in the middle", Mid(total, 2, 2), "计金"},
        {"Mid to the end", Mid(total, 3), "金额"},
        {"Mid past the end", Mid("abc", 5), ""},
        {"Left", Left(total, 2), "合计"},
        {"Right", Right(total, 2), "金额"},
        {"Right longer than text", Right("ab", 5), "ab"},
        {"InStr after Chinese", std::to_string(InStr(total, "金")), "3"},
        {"InStr from a start", std::to_string(InStr("abcabc", "c", 4)), "6"},
        {"InStr missing", std::to_string(InStr("abc", "d")), "0"},
        {"InStr of empty gives start", std::to_string(InStr("abc", "", 2)), "2"},
        {"InStr start past the end", std::to_string(InStr("abc", "a", 9)), "0"},
        {"InStr binary by default", std::to_string(InStr("ABC", "b")), "0"},
        {"InStr ignoring case", std::to_string(InStr("ABC", "b", 1, true)), "2"},
        {"Replace all", Replace("a-b-c", "-", "+"), "a+b+c"},
        {"Replace once", Replace("a-b-c", "-", "+", 1, 1), "a+b-c"},
        {"Replace drops text before start", Replace("a-b-c", "-", "+", 3), "b+c"},
        {"Replace with nothing", Replace("aaa", "a", ""), ""},
        {"Replace ignoring case", Replace("A-a", "a", "x", 1, -1, true), "x-x"},
        {"Trim spaces only", Trim("  a b  "), "a b"},
        {"Trim keeps tabs", Trim("\ta "), "\ta"},
        {"LTrim", LTrim("  a "), "a "},
        {"RTrim", RTrim(" a  "), " a"},
        {"UCase leaves Chinese", UCase("abc合"), "ABC合"},
        {"LCase", LCase("AbC"), "abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.actual, c.expected);
    }
}

TEST(StringsTest, NameComparisonAndBadArguments) {
    EXPECT_EQ(CompareNoCase("Amount", "aMOUNT"), 0);
    EXPECT_LT(CompareNoCase("a", "B"), 0);
    EXPECT_GT(CompareNoCase("ab", "A"), 0);
    EXPECT_FALSE(EqualsNoCase("合计", "合計"));
    using vondrel::test::ErrorOf;
    EXPECT_EQ(ErrorOf([] { Mid("abc", 0); }).number, kErrInvalidCall);
    EXPECT_EQ(ErrorOf([] { Left("abc", -1); }).number, kErrInvalidCall);
    EXPECT_EQ(ErrorOf([] { InStr("abc", "a", 0); }).number, kErrInvalidCall);
}

// What strict readers (JSON, XML parsers) refuse must never pass as valid, and each refused byte
// becomes one U+FFFD so the rest of the text survives.
TEST(StringsTest, InvalidUtf8BecomesReplacementCharacters) {
    const std::string mark = "\xEF\xBF\xBD";
    struct Case {
        const char* name;
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"ASCII longer than a word", "plain ASCII text, 32 bytes long!", "plain ASCII text, 32 bytes long!"},
        {"Chinese and a four-byte character", "合计\xF0\x9F\x98\x80", "合计\xF0\x9F\x98\x80"},
        {"stray byte after ASCII", "abcdefgh\xFFij", "abcdefgh" + mark + "ij"},
        {"overlong slash", "\xC0\xAF", mark + mark},
        {"overlong three-byte form", "\xE0\x80\xAF", mark + mark + mark},
        {"surrogate", "\xED\xA0\x80", mark + mark + mark},
        {"past U+10FFFF", "\xF4\x90\x80\x80", mark + mark + mark + mark},
        {"cut short at the end", "合\xE8\xAE", "合" + mark + mark},
        {"continuation without lead", "\x80x", mark + "x"},
        {"Chinese lead before ASCII", "\xE5(\x97", mark + "(" + mark},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ToValidUtf8(c.text), c.expected);
        EXPECT_EQ(IsValidUtf8(c.text), c.text == c.expected);
        EXPECT_TRUE(IsValidUtf8(ToValidUtf8(c.text)));
        // Long text is checked sixteen bytes at a time: the same bytes at every place in a block,
        // followed by more text or ending it.
        for (std::size_t shift = 0; shift < 16; ++shift) {
            const std::string before = std::string(48 + shift, 'a') + "报表";
            EXPECT_EQ(IsValidUtf8(before + c.text + "x" + std::string(20, 'b')), c.text == c.expected)
                << shift;
            EXPECT_EQ(IsValidUtf8(before + c.text), c.text == c.expected) << shift;
        }
    }
}

TEST(StringsTest, LongTextIsJudgedAsTheRepairJudgesIt) {
    // Whole and broken sequences strung together at random (a fixed seed): the check sixteen bytes at
    // a time must agree with the repair, which goes a sequence at a time.
    const char* const pieces[] = {"a",
                                  "合",
                                  "\xC3\xA9",
                                  "\xF0\x9F\x98\x80",
                                  "\xEF\xBF\xBF",
                                  "\xE0\xA0\x80",
                                  "\xDF\xBF",
                                  "\xF4\x8F\xBF\xBF", // whole
                                  "\x80",
                                  "\xE8\xAE",
                                  "\xED\xA0\x80",
                                  "\xF4\x90\x80\x80",
                                  "\xC0\xAF",
                                  "\xE0\x80\xAF",
                                  "\xF0",
                                  "\xFF",
                                  "\xC2",
                                  "\xF5\x80\x80\x80"};
    constexpr std::size_t kWhole = 8;
    std::mt19937 random(7);
    int invalid = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string text;
        const int count = 20 + static_cast<int>(random() % 60);
        for (int k = 0; k < count; ++k) {
            // Mostly whole sequences, so that a broken one sits among valid text as it does in data.
            const std::size_t index =
                random() % 40 == 0 ? kWhole + random() % (std::size(pieces) - kWhole) : random() % kWhole;
            text += pieces[index];
        }
        const bool isValid = ToValidUtf8(text) == text;
        invalid += isValid ? 0 : 1;
        EXPECT_EQ(IsValidUtf8(text), isValid) << round;
    }
    EXPECT_GT(invalid, 1000) << "both kinds of text are tried";
    EXPECT_LT(invalid, 3000) << "both kinds of text are tried";
}

// JSON and the .cll files quote through one loop and differ only in their tables: JSON keeps every
// byte above the controls (its text is UTF-8 already), the .cll writer keeps its files valid UTF-8.
TEST(StringsTest, QuotedTextByTable) {
    static constexpr QuoteTable kJson{"\\u00", "0123456789ABCDEF", false};
    static constexpr QuoteTable kCll{"\\x", "0123456789abcdef", true};
    struct Case {
        const char* name;
        std::string text;
        std::string json;
        std::string cll;
    };
    const Case cases[] = {
        {"backslash escapes", "a\"b\\c\td\ne\rf", R"("a\"b\\c\td\ne\rf")", R"("a\"b\\c\td\ne\rf")"},
        {"other control byte", "x\x1Fy", R"("x\u001Fy")", R"("x\x1fy")"},
        {"Chinese stays as it is", "合计", "\"合计\"", "\"合计\""},
        {"DEL", "\x7F", "\"\x7F\"", R"("\x7f")"},
        {"a byte that is not UTF-8",
         "a\xFF"
         "b",
         "\"a\xFF"
         "b\"",
         R"("a\xffb")"},
        {"a cut-off sequence", "\xE5\x90", "\"\xE5\x90\"", R"("\xe5\x90")"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string json;
        AppendQuoted(json, c.text, kJson);
        EXPECT_EQ(json, c.json);
        std::string cll;
        AppendQuoted(cll, c.text, kCll);
        EXPECT_EQ(cll, c.cll);
    }
}

} // namespace
} // namespace vb
