// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Date serials, as the platform keeps them:
//  1. A serial is days since 1899-12-30 (serial 0); the fraction is the time of day.
//  2. Before the epoch the integer part still names the day and the fraction still counts forward
//     from that day's midnight, so -1.25 is 1899-12-29 06:00, not 1899-12-28 18:00. The serial line
//     is therefore not monotonic across 0; we only split and build serials, never compare them.
//  3. Splitting rounds to whole seconds; a time that rounds up to 24:00 moves to the next day.
//  4. Civil-date arithmetic is proleptic Gregorian on a day count, so month lengths and leap years
//     come from one place and DateSerial's rollover is plain arithmetic on that count.
#include "vb/DateTime.h"

#include "vb/Error.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace vb {

namespace {

constexpr long long kSecondsPerDay = 86400;

// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12, day may run past the month end).
constexpr long long DaysFromCivil(long long year, long long month, long long day) {
    year -= month <= 2 ? 1 : 0;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

constexpr long long kEpochDays = DaysFromCivil(1899, 12, 30);
constexpr long long kMinDay = -657434; // 0100-01-01
constexpr long long kMaxDay = 2958465; // 9999-12-31
static_assert(DaysFromCivil(100, 1, 1) - kEpochDays == kMinDay);
static_assert(DaysFromCivil(9999, 12, 31) - kEpochDays == kMaxDay);

void CivilFromDays(long long days, int& year, int& month, int& day) {
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long monthPrime = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * monthPrime + 2) / 5 + 1);
    month = static_cast<int>(monthPrime < 10 ? monthPrime + 3 : monthPrime - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

bool IsLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

bool IsValid(const DateParts& p) {
    return p.year >= 100 && p.year <= 9999 && p.month >= 1 && p.month <= 12 && p.day >= 1 &&
           p.day <= DaysInMonth(p.year, p.month) && p.hour >= 0 && p.hour <= 23 && p.minute >= 0 &&
           p.minute <= 59 && p.second >= 0 && p.second <= 59;
}

// Rule 2: a day before the epoch takes its time of day by subtracting.
double Combine(long long dayNumber, double dayFraction) {
    return dayNumber >= 0 ? static_cast<double>(dayNumber) + dayFraction
                          : static_cast<double>(dayNumber) - dayFraction;
}

long long DayNumber(const DateParts& p) {
    return DaysFromCivil(p.year, p.month, p.day) - kEpochDays;
}

// A small cursor over the text being parsed; every reader leaves the position unchanged on failure.
struct Cursor {
    std::string_view text;
    std::size_t pos = 0;

    bool AtEnd() const { return pos >= text.size(); }
    char Peek() const { return AtEnd() ? '\0' : text[pos]; }
    bool Accept(char c) {
        if (Peek() != c) {
            return false;
        }
        ++pos;
        return true;
    }
    bool Number(int minDigits, int maxDigits, int& value) {
        std::size_t end = pos;
        value = 0;
        while (end < text.size() && end - pos < static_cast<std::size_t>(maxDigits) && text[end] >= '0' &&
               text[end] <= '9') {
            value = value * 10 + (text[end] - '0');
            ++end;
        }
        if (end - pos < static_cast<std::size_t>(minDigits)) {
            return false;
        }
        pos = end;
        return true;
    }
};

bool ParseTime(Cursor& in, DateParts& parts, double& fraction) {
    if (!in.Number(1, 2, parts.hour) || !in.Accept(':') || !in.Number(1, 2, parts.minute)) {
        return false;
    }
    if (in.Accept(':')) {
        if (!in.Number(1, 2, parts.second)) {
            return false;
        }
        if (in.Accept('.')) {
            double scale = 0.1;
            const std::size_t start = in.pos;
            while (in.Peek() >= '0' && in.Peek() <= '9') {
                fraction += (in.Peek() - '0') * scale;
                scale /= 10;
                ++in.pos;
            }
            if (in.pos == start) {
                return false;
            }
        }
    }
    return true;
}

// The zone is checked for shape only and then dropped (see the header).
bool SkipZone(Cursor& in) {
    if (in.Accept('Z') || in.Accept('z')) {
        return true;
    }
    if (!in.Accept('+') && !in.Accept('-')) {
        return true;
    }
    int hours = 0;
    int minutes = 0;
    if (!in.Number(2, 2, hours)) {
        return false;
    }
    in.Accept(':');
    in.Number(2, 2, minutes);
    return hours <= 14 && minutes <= 59;
}

} // namespace

double DateSerial(int year, int month, int day) {
    long long fullYear = year;
    if (year >= 0 && year <= 29) {
        fullYear += 2000;
    } else if (year >= 30 && year <= 99) {
        fullYear += 1900;
    }
    // Floor division so that month 0 is December of the year before.
    const long long monthIndex = static_cast<long long>(month) - 1;
    const long long yearShift = monthIndex >= 0 ? monthIndex / 12 : -((-monthIndex + 11) / 12);
    fullYear += yearShift;
    const long long monthInYear = monthIndex - yearShift * 12 + 1;
    if (fullYear < 0 || fullYear > 20000) {
        RaiseInvalidCall();
    }
    const long long dayNumber = DaysFromCivil(fullYear, monthInYear, 1) - kEpochDays + (day - 1LL);
    if (dayNumber < kMinDay || dayNumber > kMaxDay) {
        RaiseInvalidCall();
    }
    return static_cast<double>(dayNumber);
}

double TimeSerial(int hour, int minute, int second) {
    const long long seconds = hour * 3600LL + minute * 60LL + second;
    return static_cast<double>(seconds) / kSecondsPerDay;
}

Date MakeDate(const DateParts& parts) {
    if (!IsValid(parts)) {
        RaiseInvalidCall();
    }
    const long long seconds = parts.hour * 3600LL + parts.minute * 60LL + parts.second;
    return Date{Combine(DayNumber(parts), static_cast<double>(seconds) / kSecondsPerDay)};
}

DateParts SplitDate(Date value) {
    const double serial = value.serial;
    if (!(serial > kMinDay - 1 && serial < kMaxDay + 1)) {
        RaiseOverflow();
    }
    const double dayPart = std::trunc(serial);
    long long dayNumber = static_cast<long long>(dayPart);
    long long seconds = std::llround(std::fabs(serial - dayPart) * kSecondsPerDay);
    if (seconds >= kSecondsPerDay) {
        seconds -= kSecondsPerDay;
        ++dayNumber;
    }
    if (dayNumber > kMaxDay) {
        RaiseOverflow();
    }
    DateParts parts;
    CivilFromDays(dayNumber + kEpochDays, parts.year, parts.month, parts.day);
    parts.hour = static_cast<int>(seconds / 3600);
    parts.minute = static_cast<int>(seconds / 60 % 60);
    parts.second = static_cast<int>(seconds % 60);
    return parts;
}

int Year(Date value) {
    return SplitDate(value).year;
}
int Month(Date value) {
    return SplitDate(value).month;
}
int Day(Date value) {
    return SplitDate(value).day;
}
int Hour(Date value) {
    return SplitDate(value).hour;
}
int Minute(Date value) {
    return SplitDate(value).minute;
}
int Second(Date value) {
    return SplitDate(value).second;
}

int Weekday(Date value, int firstDayOfWeek) {
    if (firstDayOfWeek == 0) {
        firstDayOfWeek = 1; // "use the system setting": Sunday, as the platform's default is
    }
    if (firstDayOfWeek < 1 || firstDayOfWeek > 7) {
        RaiseInvalidCall();
    }
    // Serial 0, 1899-12-30, was a Saturday: index 6 when Sunday is 0.
    const long long sundayBased = ((DayNumber(SplitDate(value)) + 6) % 7 + 7) % 7;
    return static_cast<int>((sundayBased - (firstDayOfWeek - 1) + 7) % 7) + 1;
}

Date Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return MakeDate({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                     local.tm_sec > 59 ? 59 : local.tm_sec});
}

Date Today() {
    return Date{std::trunc(Now().serial)};
}

std::optional<Date> TryParseDate(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    Cursor in{text};
    DateParts parts;
    double secondFraction = 0;
    bool hasDate = false;
    if (in.Number(4, 4, parts.year) && (in.Peek() == '-' || in.Peek() == '/')) {
        const char separator = in.Peek();
        ++in.pos;
        if (!in.Number(1, 2, parts.month) || !in.Accept(separator) || !in.Number(1, 2, parts.day)) {
            return std::nullopt;
        }
        hasDate = true;
        if (in.Accept('T') || in.Accept('t')) {
            if (!ParseTime(in, parts, secondFraction) || !SkipZone(in)) {
                return std::nullopt;
            }
        } else if (in.Accept(' ')) {
            while (in.Accept(' ')) {
            }
            if (!ParseTime(in, parts, secondFraction) || !SkipZone(in)) {
                return std::nullopt;
            }
        }
    } else {
        in.pos = 0;
        parts.year = 1899; // a bare time sits on day 0, as the platform stores times
        if (!ParseTime(in, parts, secondFraction)) {
            return std::nullopt;
        }
    }
    if (!in.AtEnd() || !IsValid(parts)) {
        return std::nullopt;
    }
    const long long seconds = parts.hour * 3600LL + parts.minute * 60LL + parts.second;
    const double fraction = (static_cast<double>(seconds) + secondFraction) / kSecondsPerDay;
    return Date{Combine(hasDate ? DayNumber(parts) : 0, fraction)};
}

Date ParseDate(std::string_view text) {
    std::optional<Date> date = TryParseDate(text);
    if (!date) {
        RaiseTypeMismatch();
    }
    return *date;
}

std::string FormatDate(Date value) {
    const DateParts p = SplitDate(value);
    const bool hasTime = p.hour != 0 || p.minute != 0 || p.second != 0;
    const bool isDayZero = p.year == 1899 && p.month == 12 && p.day == 30;
    char buffer[32];
    int length = 0;
    if (hasTime && isDayZero) {
        length = std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", p.hour, p.minute, p.second);
    } else if (hasTime) {
        length = std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day,
                               p.hour, p.minute, p.second);
    } else {
        length = std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", p.year, p.month, p.day);
    }
    return std::string(buffer, static_cast<std::size_t>(length));
}

} // namespace vb
