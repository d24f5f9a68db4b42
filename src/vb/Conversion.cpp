// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "vb/Conversion.h"

#include "vb/DateTime.h"
#include "vb/Decimal_p.h"
#include "vb/Error.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>

namespace vb {

namespace {

using detail::Decimal;

// Why a conversion failed; the Try functions fold all of these into nullopt.
enum class Failure { None, Null, TypeMismatch, Overflow };

[[noreturn]] void Raise(Failure failure) {
    switch (failure) {
    case Failure::Null:
        RaiseInvalidUseOfNull();
    case Failure::Overflow:
        RaiseOverflow();
    default:
        RaiseTypeMismatch();
    }
}

bool EqualsNoCaseAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

Failure NumberOf(const Variant& value, double& out) {
    switch (value.Type()) {
    case VarType::Empty:
        out = 0;
        return Failure::None;
    case VarType::Null:
        return Failure::Null;
    case VarType::String:
        switch (detail::ParseNumber(value.AsString(), out)) {
        case detail::ParseStatus::Ok:
            return Failure::None;
        case detail::ParseStatus::OutOfRange:
            return Failure::Overflow;
        default:
            return Failure::TypeMismatch;
        }
    default:
        if (std::optional<double> number = value.NumberValue()) {
            out = *number;
            return Failure::None;
        }
        return Failure::TypeMismatch;
    }
}

// Whole number in [low, high], halves to even. Currency is rounded on its exact scaled integer.
Failure WholeNumberOf(const Variant& value, double low, double high, std::int64_t& out) {
    if (value.Type() == VarType::Currency) {
        const std::int64_t scaled = value.AsCurrency().scaled;
        std::int64_t whole = scaled / 10000;
        const std::int64_t rest = scaled % 10000; // same sign as scaled
        const std::int64_t twice = 2 * (rest < 0 ? -rest : rest);
        if (twice > 10000 || (twice == 10000 && whole % 2 != 0)) {
            whole += scaled < 0 ? -1 : 1;
        }
        if (static_cast<double>(whole) < low || static_cast<double>(whole) > high) {
            return Failure::Overflow;
        }
        out = whole;
        return Failure::None;
    }
    double number = 0;
    if (const Failure failure = NumberOf(value, number); failure != Failure::None) {
        return failure;
    }
    const double rounded = RoundHalfEven(number);
    if (!(rounded >= low && rounded <= high)) {
        return Failure::Overflow;
    }
    out = static_cast<std::int64_t>(rounded);
    return Failure::None;
}

Failure SingleOf(const Variant& value, float& out) {
    if (value.Type() == VarType::Single) {
        out = value.AsSingle();
        return Failure::None;
    }
    double number = 0;
    if (const Failure failure = NumberOf(value, number); failure != Failure::None) {
        return failure;
    }
    if (std::fabs(number) > FLT_MAX) {
        return Failure::Overflow;
    }
    out = static_cast<float>(number);
    return Failure::None;
}

Failure CurrencyOf(const Variant& value, Currency& out) {
    switch (value.Type()) {
    case VarType::Currency:
        out = value.AsCurrency();
        return Failure::None;
    case VarType::Integer:
    case VarType::Long:
        out.scaled = static_cast<std::int64_t>(*value.NumberValue()) * 10000;
        return Failure::None;
    default:
        break;
    }
    double number = 0;
    if (const Failure failure = NumberOf(value, number); failure != Failure::None) {
        return failure;
    }
    if (!(std::fabs(number) < 922337203685477.5808)) {
        return Failure::Overflow;
    }
    // Rounded on the 15-digit decimal, not the binary double, so that "0.00005" (a hair above or
    // below in binary) is a true half and goes to even.
    Decimal decimal;
    detail::ToDecimal(number, 15, decimal);
    detail::Round(decimal, 4, detail::RoundMode::HalfToEven);
    std::int64_t scaled = 0;
    for (int place = decimal.pointPos - 1; place >= -4; --place) {
        scaled = scaled * 10 + (decimal.DigitAt(place) - '0');
    }
    out.scaled = decimal.negative ? -scaled : scaled;
    return Failure::None;
}

Failure DateOf(const Variant& value, Date& out) {
    switch (value.Type()) {
    case VarType::Date:
        out = value.AsDate();
        return Failure::None;
    case VarType::Null:
        return Failure::Null;
    case VarType::String:
        if (std::optional<Date> date = TryParseDate(value.AsString())) {
            out = *date;
            return Failure::None;
        }
        return Failure::TypeMismatch;
    default:
        break;
    }
    double number = 0;
    if (const Failure failure = NumberOf(value, number); failure != Failure::None) {
        return failure;
    }
    if (!(number > kMinDateSerial - 1 && number < kMaxDateSerial + 1)) {
        return Failure::Overflow;
    }
    out = Date{number};
    return Failure::None;
}

Failure BoolOf(const Variant& value, bool& out) {
    if (value.Type() == VarType::Boolean) {
        out = value.AsBoolean();
        return Failure::None;
    }
    if (value.IsString()) {
        const std::string_view text = TrimSpaces(value.AsString());
        if (EqualsNoCaseAscii(text, "True") || EqualsNoCaseAscii(text, "False")) {
            out = text.size() == 4;
            return Failure::None;
        }
    }
    double number = 0;
    if (const Failure failure = NumberOf(value, number); failure != Failure::None) {
        return failure;
    }
    out = number != 0;
    return Failure::None;
}

std::string GeneralText(const Decimal& decimal, int sciFromExponent) {
    char buffer[64];
    return std::string(buffer, detail::WriteGeneral(decimal, sciFromExponent, buffer));
}

Failure StringOf(const Variant& value, std::string& out) {
    Decimal decimal;
    switch (value.Type()) {
    case VarType::Empty:
        out.clear();
        return Failure::None;
    case VarType::Null:
        return Failure::Null;
    case VarType::String:
        out = value.AsString();
        return Failure::None;
    case VarType::Boolean:
        out = value.AsBoolean() ? "True" : "False";
        return Failure::None;
    case VarType::Integer:
    case VarType::Long:
        out = std::to_string(static_cast<long>(*value.NumberValue()));
        return Failure::None;
    case VarType::Single:
        out = NumberText(value.AsSingle(), 7);
        return Failure::None;
    case VarType::Double:
        out = NumberText(value.AsDouble(), 15);
        return Failure::None;
    case VarType::Currency:
        // At most 15 integer digits: never reaches an exponent.
        detail::ToDecimal(value.AsCurrency().scaled, 4, decimal);
        out = GeneralText(decimal, 100);
        return Failure::None;
    case VarType::Date:
        if (!(value.AsDate().serial > kMinDateSerial - 1 && value.AsDate().serial < kMaxDateSerial + 1)) {
            return Failure::Overflow;
        }
        out = FormatDate(value.AsDate());
        return Failure::None;
    default:
        return Failure::TypeMismatch;
    }
}

template <typename T, typename Convert> std::optional<T> Try(const Variant& value, Convert convert) {
    T out{};
    if (convert(value, out) != Failure::None) {
        return std::nullopt;
    }
    return out;
}

template <typename T, typename Convert> T OrRaise(const Variant& value, Convert convert) {
    T out{};
    if (const Failure failure = convert(value, out); failure != Failure::None) {
        Raise(failure);
    }
    return out;
}

Failure Int16Of(const Variant& value, std::int16_t& out) {
    std::int64_t whole = 0;
    const Failure failure = WholeNumberOf(value, -32768.0, 32767.0, whole);
    out = static_cast<std::int16_t>(whole);
    return failure;
}

Failure Int32Of(const Variant& value, std::int32_t& out) {
    std::int64_t whole = 0;
    const Failure failure = WholeNumberOf(value, -2147483648.0, 2147483647.0, whole);
    out = static_cast<std::int32_t>(whole);
    return failure;
}

} // namespace

std::optional<std::int16_t> TryCInt(const Variant& value) {
    return Try<std::int16_t>(value, Int16Of);
}
std::int16_t CInt(const Variant& value) {
    return OrRaise<std::int16_t>(value, Int16Of);
}
std::optional<std::int32_t> TryCLng(const Variant& value) {
    return Try<std::int32_t>(value, Int32Of);
}
std::int32_t CLng(const Variant& value) {
    return OrRaise<std::int32_t>(value, Int32Of);
}
std::optional<float> TryCSng(const Variant& value) {
    return Try<float>(value, SingleOf);
}
float CSng(const Variant& value) {
    return OrRaise<float>(value, SingleOf);
}
std::optional<double> TryCDbl(const Variant& value) {
    return Try<double>(value, NumberOf);
}
double CDbl(const Variant& value) {
    return OrRaise<double>(value, NumberOf);
}
std::optional<Currency> TryCCur(const Variant& value) {
    return Try<Currency>(value, CurrencyOf);
}
Currency CCur(const Variant& value) {
    return OrRaise<Currency>(value, CurrencyOf);
}
std::optional<Date> TryCDate(const Variant& value) {
    return Try<Date>(value, DateOf);
}
Date CDate(const Variant& value) {
    return OrRaise<Date>(value, DateOf);
}
std::optional<bool> TryCBool(const Variant& value) {
    return Try<bool>(value, BoolOf);
}
bool CBool(const Variant& value) {
    return OrRaise<bool>(value, BoolOf);
}
std::optional<std::string> TryCStr(const Variant& value) {
    return Try<std::string>(value, StringOf);
}
std::string CStr(const Variant& value) {
    return OrRaise<std::string>(value, StringOf);
}

std::optional<double> TryParseNumber(std::string_view text) {
    double value = 0;
    if (detail::ParseNumber(text, value) != detail::ParseStatus::Ok) {
        return std::nullopt;
    }
    return value;
}

double Val(std::string_view text) {
    std::string clean;
    clean.reserve(text.size());
    std::size_t pos = 0;
    const auto skipBlanks = [&] {
        while (pos < text.size() &&
               (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\n' || text[pos] == '\r')) {
            ++pos;
        }
    };
    const auto takeDigits = [&] {
        std::size_t taken = 0;
        for (skipBlanks(); pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; skipBlanks()) {
            clean += text[pos++];
            ++taken;
        }
        return taken;
    };
    skipBlanks();
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos++] == '-';
    }
    std::size_t digits = takeDigits();
    if (pos < text.size() && text[pos] == '.') {
        clean += text[pos++];
        digits += takeDigits();
    }
    if (digits == 0) {
        return 0;
    }
    // An exponent counts only when digits follow it; "12e" is 12.
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E' || text[pos] == 'd' || text[pos] == 'D')) {
        const std::size_t mark = clean.size();
        const std::size_t markPos = pos;
        clean += 'e';
        ++pos;
        skipBlanks();
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
            clean += text[pos++];
        }
        if (takeDigits() == 0) {
            clean.resize(mark);
            pos = markPos;
        }
    }
    double value = 0;
    const auto result = std::from_chars(clean.data(), clean.data() + clean.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        if (clean.find("e-") != std::string::npos) {
            return 0;
        }
        RaiseOverflow();
    }
    return negative ? -value : value;
}

bool IsNumeric(const Variant& value) {
    switch (value.Type()) {
    case VarType::Empty:
    case VarType::Boolean:
        return true;
    case VarType::String: {
        double number = 0;
        return detail::ParseNumber(value.AsString(), number) == detail::ParseStatus::Ok;
    }
    default:
        return value.IsNumberType();
    }
}

bool IsDate(const Variant& value) {
    if (value.Type() == VarType::Date) {
        return true;
    }
    return value.IsString() && TryParseDate(value.AsString()).has_value();
}

double RoundHalfEven(double value) {
    const double rounded = std::round(value);
    if (std::fabs(value - std::trunc(value)) == 0.5) {
        return 2.0 * std::round(value / 2.0);
    }
    return rounded;
}

std::string NumberText(double value, int maxDigits) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-Infinity" : "Infinity";
    }
    Decimal decimal;
    detail::ToDecimal(value, maxDigits, decimal);
    return GeneralText(decimal, maxDigits);
}

std::string SqlNumberText(double value) {
    if (!std::isfinite(value)) {
        RaiseOverflow();
    }
    if (value == 0) {
        return "0"; // also for -0, which some databases would keep as "-0"
    }
    // Fixed notation of the shortest round-trip digits: 1e300 needs ~300 characters.
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return std::string(buffer, result.ptr);
}

std::string SqlNumberText(std::int64_t value) {
    return std::to_string(value);
}

std::string SqlNumberText(const Variant& value) {
    switch (value.Type()) {
    case VarType::Integer:
    case VarType::Long:
        return SqlNumberText(static_cast<std::int64_t>(*value.NumberValue()));
    case VarType::Boolean:
        return value.AsBoolean() ? "-1" : "0";
    case VarType::Currency: {
        Decimal decimal;
        detail::ToDecimal(value.AsCurrency().scaled, 4, decimal);
        return GeneralText(decimal, 100);
    }
    case VarType::Single: {
        // The float's own shortest digits: widening to double first would write 0.1 as 0.100000001490116.
        const float single = value.AsSingle();
        if (!std::isfinite(single)) {
            RaiseOverflow();
        }
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, single, std::chars_format::fixed);
        return single == 0 ? "0" : std::string(buffer, result.ptr);
    }
    case VarType::Double:
        return SqlNumberText(value.AsDouble());
    case VarType::String: {
        double number = 0;
        if (detail::ParseNumber(value.AsString(), number) != detail::ParseStatus::Ok) {
            RaiseTypeMismatch();
        }
        return SqlNumberText(number);
    }
    default:
        // Empty and Null too: writing 0 for a parameter nobody set would filter silently.
        RaiseTypeMismatch();
    }
}

} // namespace vb
