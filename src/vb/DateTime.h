// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "vb/Variant.h"

#include <optional>
#include <string>
#include <string_view>

namespace vb {

// A calendar date and time of day, as the parts a Date serial splits into. Seconds are whole:
// a serial is rounded to the nearest second when split, as the platform displays it.
struct DateParts {
    int year = 1899;
    int month = 12; // 1..12
    int day = 30;   // 1..31
    int hour = 0;   // 0..23
    int minute = 0;
    int second = 0;
    friend bool operator==(const DateParts&, const DateParts&) = default;
};

// Serial range the platform accepts: 100-01-01 to 9999-12-31 23:59:59.
inline constexpr double kMinDateSerial = -657434.0;
inline constexpr double kMaxDateSerial = 2958465.99999;

// Day serial of year/month/day. Month and day outside their ranges roll over (month 13 is January of
// the next year, day 0 the last day of the previous month); years 0..99 mean 2000..2029 and 1930..1999.
// Raises invalid-call when the result falls outside the supported range.
double DateSerial(int year, int month, int day);
// Fraction of a day; hours, minutes and seconds roll over like DateSerial's parts (may leave 0..1).
double TimeSerial(int hour, int minute, int second);
// Serial of the parts, without rollover; invalid parts (month 13, 25 o'clock) raise invalid-call.
Date MakeDate(const DateParts& parts);
// Parts of a serial. Before 1899-12-30 the serial's integer part is the day and its fraction still
// counts forward from midnight (-1.25 is 1899-12-29 06:00). Outside the supported range raises overflow.
DateParts SplitDate(Date value);

int Year(Date value);
int Month(Date value);
int Day(Date value);
int Hour(Date value);
int Minute(Date value);
int Second(Date value);
// Day of the week 1..7, counting from firstDayOfWeek (1 = Sunday, the platform's default, .. 7 = Saturday).
int Weekday(Date value, int firstDayOfWeek = 1);

// Local wall-clock time, to the second.
Date Now();
// Local date, no time part.
Date Today();

// Accepts "yyyy-mm-dd", "yyyy/mm/dd", either followed by " hh:mm[:ss]" or "Thh:mm[:ss[.fff]]" with an
// optional zone suffix ("Z", "+08:00", "-0500") that is dropped: the wall-clock time written is
// kept, not shifted. Also a bare "hh:mm[:ss]" time. Month, day and time fields may have one digit.
// Surrounding spaces are ignored; anything else (or an impossible date such as 02-30) gives nullopt.
std::optional<Date> TryParseDate(std::string_view text);
// TryParseDate, raising type mismatch when the text is not a date.
Date ParseDate(std::string_view text);

// "yyyy-mm-dd", or with " hh:mm:ss" when the serial has a time part; a pure time (day 0) is "hh:mm:ss".
// This is the general text of a Date (CStr). Other layouts go through Format().
std::string FormatDate(Date value);

} // namespace vb
