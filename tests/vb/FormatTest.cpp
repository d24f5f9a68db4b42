// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "vb/Format.h"

#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <new>

// Counts heap allocations so the test below can hold the formatter to its no-allocation contract.
static std::atomic<long> g_allocations{0};

// None of these is inlined: g++ would otherwise pair malloc/free with the call sites' new/delete and warn.
[[gnu::noinline]] void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* block) noexcept {
    std::free(block);
}
[[gnu::noinline]] void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace vb {
namespace {

struct Case {
    const char* name;
    Variant value;
    const char* format;
    const char* expected;
};

void ExpectFormats(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " [" + c.format + "]");
        EXPECT_EQ(Format(c.value, c.format), c.expected);
        // The parsed form must give the same text as the one-off call, also when appended after text.
        std::string buffer = "|";
        DisplayFormat(c.format).AppendTo(buffer, c.value);
        EXPECT_EQ(buffer, std::string("|") + c.expected);
    }
}

TEST(FormatTest, RoundsTheShortestDecimalHalvesAwayFromZero) {
    ExpectFormats({
        // The doubles of 589.005, 1.005 and 9.995 all lie just below the written value.
        {"binary just below the half", 589.005, "0.00", "589.01"},
        {"another just-below half", 1.005, "0.00", "1.01"},
        {"carry through nines", 9.995, "0.00", "10.00"},
        {"half to whole", 2.5, "0", "3"},
        {"negative half", -2.5, "0", "-3"},
        {"negative rounding to zero has no sign", -0.001, "0.00", "0.00"},
        {"negative half of last place", -0.005, "0.00", "-0.01"},
        {"binary noise is not shown", 0.1 + 0.2, "0.00000000000000000", "0.30000000000000000"},
        {"digits past fifteen are zeros", 123456789012345678.0, "0", "123456789012346000"},
        {"Single rounds on seven digits", Variant::Single(0.1f), "0.000000000", "0.100000000"},
        {"Currency exact half", Variant(Currency{25000}), "0", "3"},
        {"Long needs no rounding", Variant::Long(-1234567), "#,##0", "-1,234,567"},
    });
}

TEST(FormatTest, DigitPlaceholdersAndGrouping) {
    ExpectFormats({
        {"below a thousand", 999, "#,##0", "999"},
        {"a thousand", 1000, "#,##0", "1,000"},
        {"negative millions", -1234567, "#,##0", "-1,234,567"},
        {"zero keeps its 0", 0, "#,##0", "0"},
        {"small fraction rounds to 0", 0.4, "#,##0", "0"},
        {"grouping written off the usual place", 1234567.891, "#,###0.00", "1,234,567.89"},
        {"small with fixed decimals", 12.5, "#,###0.00", "12.50"},
        {"huge value", 1e20, "#,##0", "100,000,000,000,000,000,000"},
        {"extra digits go to the first placeholder", 123456, "0", "123456"},
        {"zero padding", 5, "000", "005"},
        {"zero padding is grouped", 5, "0,000", "0,005"},
        {"optional digit shows nothing for zero", 0, "#", ""},
        {"no integer placeholder shown", 0.5, "#.##", ".5"},
        {"point kept without decimals", 1, "0.##", "1."},
        {"optional decimal drops trailing zero", 1.5, "0.0#", "1.5"},
        {"optional decimal rounds", 1.456, "0.0#", "1.46"},
        {"point before any integer placeholder", 12.5, ".00", "12.50"},
        {"percent", 0.125, "0%", "13%"},
        {"percent with decimals", 0.5, "0.0%", "50.0%"},
        {"scaling comma", 1234567, "#,##0,", "1,235"},
        {"literal between digits", 5551234, "000-0000", "555-1234"},
        {"quoted and unquoted literals", 1234, "\"合计:\"#,##0 元", "合计:1,234 元"},
        {"escaped literal", 5, "\\$0", "$5"},
        {"numeric text", "1,234.5", "#,##0.00", "1,234.50"},
        {"True under a number format is -1", true, "0", "-1"},
    });
}

TEST(FormatTest, SectionsChooseByDisplayedValue) {
    const char* accounting = "#,##0.00;(#,##0.00);\"-\"";
    const char* blankZero = "#,##0.00;-#,##0.00; ";
    ExpectFormats({
        {"positive section", 1234.5, accounting, "1,234.50"},
        {"negative section writes its own sign", -1234.5, accounting, "(1,234.50)"},
        {"zero section", 0, accounting, "-"},
        {"residue that shows as zero takes the zero section", -0.001, accounting, "-"},
        {"positive residue too", 0.004, accounting, "-"},
        {"blank zero is a single space", 0, blankZero, " "},
        {"blank zero from summing noise", 0.1 + 0.2 - 0.3, blankZero, " "},
        {"negative with blank zero", -5, blankZero, "-5.00"},
        {"empty negative section uses positive with minus", -5, "#,##0;; ", "-5"},
        {"empty negative section, zero blank", 0, "#,##0;; ", " "},
        {"empty zero section uses positive", 0, "0.0;(0.0);", "0.0"},
        {"two sections: zero uses positive", 0, "0;(0)", "0"},
        {"negative section rounds by its own decimals", -1.26, "0.00;(0.0)", "(1.3)"},
        {"fourth section ignored", Variant::Null(), "0;-0;0;\"null\"", ""},
    });
}

// An integer column that blanks zeros without grouping gets ";; ". Without the fix the empty positive
// section printed nothing: 5 and 1234567 showed as "" and -3 as "-".
TEST(FormatTest, EmptyPositiveSectionShowsTheGeneralNumber) {
    ExpectFormats({
        {"positive", 5, ";; ", "5"},
        {"large", Variant::Long(1234567), ";; ", "1234567"},
        {"negative keeps its sign", -3, ";; ", "-3"},
        {"fraction unrounded", 0.3, ";; ", "0.3"},
        {"zero blank", 0, ";; ", " "},
        {"numeric text", "42", ";; ", "42"},
        {"negative section only", -7, ";-0;", "-7"},
        {"empty zero section falls back to general too", 0, ";;", "0"},
        {"Currency", Variant(Currency{12345}), ";; ", "1.2345"},
    });
}

TEST(FormatTest, TrueFalseFormats) {
    ExpectFormats({
        {"True shows first", true, "√; ", "√"},
        {"False shows second", false, "√; ", " "},
        {"flag stored as a number", 1, "√; ", "√"},
        {"zero flag", 0, "√; ", " "},
        {"negative flag", -1, "是;否", "是"},
        {"flag as text", "0", "是;否", "否"},
        {"non-number text passes", "n/a", "是;否", "n/a"},
    });
}

TEST(FormatTest, DatesAndGeneralText) {
    const Variant leapNoon(Date{45351.5});   // 2024-02-29 12:00:00
    const Variant evening(Date{45351.7625}); // 2024-02-29 18:18:00
    ExpectFormats({
        {"date", leapNoon, "yyyy-mm-dd", "2024-02-29"},
        {"date and time", leapNoon, "yyyy-mm-dd hh:mm:ss", "2024-02-29 12:00:00"},
        {"short parts", leapNoon, "yy/m/d", "24/2/29"},
        {"mm after hh is minutes", evening, "hh:mm", "18:18"},
        {"mm before ss is minutes", evening, "mm:ss", "18:00"},
        {"n is minutes", evening, "h:nn", "18:18"},
        {"twelve-hour clock", evening, "h:mm AM/PM", "6:18 PM"},
        {"lower-case marker", leapNoon, "hh am/pm", "12 pm"},
        {"day of year", leapNoon, "y", "60"},
        {"Chinese literals", evening, "yyyy年m月d日", "2024年2月29日"},
        {"ISO text with zone", "2024-02-29T08:30:00+08:00", "yyyy-mm-dd hh:nn", "2024-02-29 08:30"},
        {"serial as number", 45351, "yyyy-mm-dd", "2024-02-29"},
        {"before the epoch", Variant(Date{-1.25}), "yyyy-mm-dd hh:mm", "1899-12-29 06:00"},
        {"non-date text passes", "未定", "yyyy-mm-dd", "未定"},
        {"date under a number format is its serial", leapNoon, "0.0", "45351.5"},
        {"named date", leapNoon, "Short Date", "2024-02-29"},
        {"named number", 1234.5, "Standard", "1,234.50"},
        {"named percent", 0.1234, "percent", "12.34%"},
        {"general number", 0.1 + 0.2, "", "0.3"},
        {"general Boolean", true, "", "True"},
        {"general date", leapNoon, "", "2024-02-29 12:00:00"},
        {"general text", "abc", "", "abc"},
        {"Null", Variant::Null(), "0.00", ""},
        {"Empty", Variant(), "0.00", ""},
    });
}

// A grid formats every visible cell on each repaint; neither copying number values nor formatting
// them into a reused buffer may touch the heap.
TEST(FormatTest, TryParseRefusesTextThatIsNoFormat) {
    struct ParseCase {
        const char* name;
        const char* format;
        bool isAccepted;
    };
    const ParseCase cases[] = {
        {"grid money format", "#,###0.00;; ", true},
        {"check mark true/false", "√; ", true},
        {"quoted literal", "0\" kg\"", true},
        {"four sections, the last for Null", "0;-0;\"zero\";\"none\"", true},
        {"unclosed quote", "0.00\" yuan", false},
        {"escape with nothing after it", "0.00\\", false},
        {"five sections", "0;0;0;0;0", false},
        {"more decimals than a value carries", "0.0000000000000000000000000000000", false},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<DisplayFormat> parsed = DisplayFormat::TryParse(c.format);
        ASSERT_EQ(parsed.has_value(), c.isAccepted);
        if (parsed) {
            // What TryParse accepts reads exactly as the constructor reads it.
            EXPECT_EQ(parsed->Apply(-1234.5), DisplayFormat(c.format).Apply(-1234.5));
        }
    }
}

TEST(FormatTest, FormattingIntoAReusedBufferDoesNotAllocate) {
    const DisplayFormat money("#,##0.00;(#,##0.00); ");
    const DisplayFormat day("yyyy-mm-dd hh:mm");
    const Variant values[] = {
        1234567.891,           -0.001, Variant::Long(-42),    Variant(Currency{-123456789}),
        Variant::Single(2.5f), true,   Variant(Date{45351.5})};
    std::string buffer;
    buffer.reserve(256);
    const long before = g_allocations;
    for (int round = 0; round < 100; ++round) {
        for (const Variant& value : values) {
            const Variant copy = value;
            buffer.clear();
            money.AppendTo(buffer, copy);
            day.AppendTo(buffer, copy);
        }
    }
    EXPECT_EQ(g_allocations - before, 0);
    EXPECT_EQ(buffer, "45,351.502024-02-29 12:00"); // the last value, a Date, under both formats
}

} // namespace
} // namespace vb
