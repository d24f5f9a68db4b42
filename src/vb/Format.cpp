// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Design notes.
//  1. A format is parsed into sections of tokens once; Apply only walks tokens and appends. The only
//     allocation while applying is the growth of the caller's string (none with AppendTo into a
//     reused buffer): digits live in a fixed-size Decimal, dates in DateParts.
//  2. Rounding never touches the binary double: the value becomes its 15-significant-digit decimal
//     first (Decimal.cpp), and the section's decimals are cut from those digits, halves away from
//     zero. This is what makes 589.005 show as 589.01 and keeps display and totals in agreement.
//  3. Whether a section is a number or a date section is decided per section at parse time: any "0"
//     or "#" outside quotes makes it a number section, and then letters are plain text. Without that,
//     "0 m" (a unit) would turn its "m" into a month.
//  4. The section is chosen on the rounded value, not the raw one: -0.001 under "0.00;(0.00); " is
//     zero as displayed, so it shows the blank zero section instead of "(0.00)". Summed money columns
//     produce such residues all the time (0.1 + 0.2 - 0.3), and a report must not show them.
#include "vb/Format.h"

#include "vb/Conversion.h"
#include "vb/DateTime.h"
#include "vb/Decimal_p.h"

#include <cmath>

namespace vb {

namespace {

using detail::Decimal;

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// The named formats we know, in the house's own layouts (dates are always yyyy-mm-dd here).
std::string_view ExpandNamed(std::string_view format) {
    struct Named {
        std::string_view name;
        std::string_view pattern;
    };
    static constexpr Named kNamed[] = {
        {"General Number", ""},   {"General Date", ""},      {"Fixed", "0.00"},
        {"Standard", "#,##0.00"}, {"Percent", "0.00%"},      {"Short Date", "yyyy-mm-dd"},
        {"Short Time", "hh:mm"},  {"Long Time", "hh:mm:ss"},
    };
    for (const Named& named : kNamed) {
        if (EqualsNoCase(format, named.name)) {
            return named.pattern;
        }
    }
    return format;
}

// Splits at ";" outside quotes and escapes.
std::vector<std::string_view> SplitSections(std::string_view format) {
    std::vector<std::string_view> sections;
    std::size_t start = 0;
    bool inQuote = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c == '"') {
            inQuote = !inQuote;
        } else if (c == '\\' && !inQuote) {
            ++i;
        } else if (c == ';' && !inQuote) {
            sections.push_back(format.substr(start, i - start));
            start = i + 1;
        }
    }
    sections.push_back(format.substr(start));
    return sections;
}

bool HasDigitPlaceholder(std::string_view text) {
    bool inQuote = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            inQuote = !inQuote;
        } else if (c == '\\' && !inQuote) {
            ++i;
        } else if (!inQuote && (c == '0' || c == '#')) {
            return true;
        }
    }
    return false;
}

void AppendPadded(std::string& out, int value, int width) {
    char buffer[12];
    int length = 0;
    unsigned magnitude = static_cast<unsigned>(value < 0 ? -value : value);
    do {
        buffer[length++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    while (length < width) {
        buffer[length++] = '0';
    }
    while (length > 0) {
        out += buffer[--length];
    }
}

bool IsSerialInRange(double serial) {
    return serial > kMinDateSerial - 1 && serial < kMaxDateSerial + 1;
}

int DayOfYear(const DateParts& parts) {
    return static_cast<int>(DateSerial(parts.year, parts.month, parts.day) - DateSerial(parts.year, 1, 1)) +
           1;
}

} // namespace

DisplayFormat::DisplayFormat(std::string_view format) : m_text(format) {
    const std::string_view pattern = ExpandNamed(format);
    if (pattern.empty()) {
        return;
    }
    for (std::string_view text : SplitSections(pattern)) {
        // A fourth section (the platform's Null text) and beyond are ignored: Null shows "".
        if (m_sections.size() == 3) {
            break;
        }
        m_sections.push_back(ParseSection(text));
    }
    m_isDate = m_sections[0].hasDate;
    m_isTrueFalse = m_sections.size() == 2 && !m_sections[0].hasNumber && !m_sections[0].hasDate &&
                    !m_sections[1].hasNumber && !m_sections[1].hasDate;
}

std::optional<DisplayFormat> DisplayFormat::TryParse(std::string_view format) {
    // The constructor reads anything; these are the shapes where what it would read is not what the
    // author meant, so a caller that reports bad formats must refuse them.
    bool inQuote = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '"') {
            inQuote = !inQuote;
        } else if (format[i] == '\\' && !inQuote) {
            if (i + 1 == format.size()) {
                return std::nullopt;
            }
            ++i;
        }
    }
    if (inQuote || SplitSections(ExpandNamed(format)).size() > 4) {
        return std::nullopt;
    }
    DisplayFormat parsed(format);
    for (const Section& section : parsed.m_sections) {
        if (section.fractionDigits > 30) {
            return std::nullopt;
        }
    }
    return parsed;
}

DisplayFormat::Section DisplayFormat::ParseSection(std::string_view text) {
    Section section;
    section.isEmpty = text.empty();
    const auto addToken = [&](TokenKind kind, std::string_view source) {
        if (kind == TokenKind::Literal && !section.tokens.empty() &&
            section.tokens.back().kind == TokenKind::Literal &&
            section.tokens.back().offset + section.tokens.back().length == section.literals.size()) {
            section.tokens.back().length += static_cast<std::uint32_t>(source.size());
        } else {
            section.tokens.push_back({kind, static_cast<std::uint32_t>(section.literals.size()),
                                      static_cast<std::uint32_t>(source.size())});
        }
        section.literals.append(source);
    };
    const bool isNumber = HasDigitPlaceholder(text);
    bool inFraction = false;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"') {
            const std::size_t close = text.find('"', i + 1);
            const std::size_t end = close == std::string_view::npos ? text.size() : close;
            addToken(TokenKind::Literal, text.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        if (c == '\\') {
            // The escaped byte; the rest of a multi-byte character follows as ordinary literal bytes.
            if (i + 1 < text.size()) {
                addToken(TokenKind::Literal, text.substr(i + 1, 1));
            }
            i += 2;
            continue;
        }
        if (isNumber) {
            if (c == '0' || c == '#') {
                addToken(c == '0' ? TokenKind::Digit : TokenKind::OptionalDigit, {});
                ++(inFraction ? section.fractionDigits : section.integerDigits);
            } else if (c == '.' && !inFraction) {
                addToken(TokenKind::DecimalPoint, {});
                inFraction = true;
            } else if (c == ',' && !inFraction) {
                std::size_t run = 1;
                while (i + run < text.size() && text[i + run] == ',') {
                    ++run;
                }
                const char next = i + run < text.size() ? text[i + run] : '\0';
                if (next == '0' || next == '#') {
                    section.hasGrouping = true;
                } else if (section.integerDigits > 0) {
                    section.exponentShift -= 3 * static_cast<int>(run);
                } else {
                    addToken(TokenKind::Literal, text.substr(i, run));
                }
                i += run;
                continue;
            } else {
                if (c == '%') {
                    section.exponentShift += 2;
                }
                addToken(TokenKind::Literal, text.substr(i, 1));
            }
            ++i;
            continue;
        }
        const char lower = LowerAscii(c);
        if (lower == 'a' && EqualsNoCase(text.substr(i, 5), "am/pm")) {
            addToken(TokenKind::AmPm, text.substr(i, 5));
            section.hasAmPm = true;
            i += 5;
            continue;
        }
        if (lower == 'y' || lower == 'm' || lower == 'd' || lower == 'h' || lower == 'n' || lower == 's') {
            std::size_t run = 1;
            while (i + run < text.size() && LowerAscii(text[i + run]) == lower) {
                ++run;
            }
            TokenKind kind = TokenKind::Literal;
            switch (lower) {
            case 'y':
                kind = run >= 3 ? TokenKind::Year4 : run == 2 ? TokenKind::Year2 : TokenKind::DayOfYear;
                break;
            case 'm':
                kind = run == 2 ? TokenKind::Month2 : TokenKind::Month;
                break;
            case 'd':
                kind = run == 2 ? TokenKind::Day2 : TokenKind::Day;
                break;
            case 'h':
                kind = run >= 2 ? TokenKind::Hour2 : TokenKind::Hour;
                break;
            case 'n':
                kind = run >= 2 ? TokenKind::Minute2 : TokenKind::Minute;
                break;
            default:
                kind = run >= 2 ? TokenKind::Second2 : TokenKind::Second;
                break;
            }
            addToken(kind, text.substr(i, run));
            section.hasDate = true;
            i += run;
            continue;
        }
        addToken(TokenKind::Literal, text.substr(i, 1));
        ++i;
    }
    section.hasNumber = isNumber;
    // "m" next to a time part is minutes: after an hour ("hh:mm") or before a second ("mm:ss").
    const auto isDateToken = [](TokenKind kind) {
        return kind != TokenKind::Literal && kind != TokenKind::Digit && kind != TokenKind::OptionalDigit &&
               kind != TokenKind::DecimalPoint;
    };
    TokenKind previous = TokenKind::Literal;
    for (std::size_t index = 0; index < section.tokens.size(); ++index) {
        Token& token = section.tokens[index];
        if (!isDateToken(token.kind)) {
            continue;
        }
        if (token.kind == TokenKind::Month || token.kind == TokenKind::Month2) {
            TokenKind next = TokenKind::Literal;
            for (std::size_t ahead = index + 1; ahead < section.tokens.size(); ++ahead) {
                if (isDateToken(section.tokens[ahead].kind)) {
                    next = section.tokens[ahead].kind;
                    break;
                }
            }
            const bool afterHour = previous == TokenKind::Hour || previous == TokenKind::Hour2;
            const bool beforeSecond = next == TokenKind::Second || next == TokenKind::Second2;
            if (afterHour || beforeSecond) {
                token.kind = token.kind == TokenKind::Month2 ? TokenKind::Minute2 : TokenKind::Minute;
            }
        }
        previous = token.kind;
    }
    return section;
}

std::string DisplayFormat::Apply(const Variant& value) const {
    std::string out;
    AppendTo(out, value);
    return out;
}

void DisplayFormat::AppendTo(std::string& out, const Variant& value) const {
    const VarType type = value.Type();
    if (type == VarType::Empty || type == VarType::Null || type == VarType::Object ||
        type == VarType::Array) {
        return;
    }
    if (m_sections.empty()) {
        if (value.IsString()) {
            out += value.AsString();
        } else if (std::optional<std::string> text = TryCStr(value)) {
            out += *text;
        }
        return;
    }
    Decimal decimal;
    double number = 0;
    switch (type) {
    case VarType::String: {
        const std::string& text = value.AsString();
        if (m_isDate) {
            if (std::optional<Date> date = TryParseDate(text)) {
                AppendDate(out, date->serial);
                return;
            }
        }
        if (detail::ParseNumber(text, number) != detail::ParseStatus::Ok) {
            out += text;
            return;
        }
        detail::ToDecimal(number, 15, decimal);
        break;
    }
    case VarType::Integer:
    case VarType::Long:
    case VarType::Boolean:
        number = *value.NumberValue();
        detail::ToDecimal(static_cast<std::int64_t>(number), 0, decimal);
        if (type == VarType::Boolean && m_isTrueFalse) {
            AppendTrueFalse(out, value.AsBoolean());
            return;
        }
        break;
    case VarType::Currency:
        number = *value.NumberValue();
        detail::ToDecimal(value.AsCurrency().scaled, 4, decimal);
        break;
    default: {
        // Single, Double, Date.
        number = *value.NumberValue();
        if (!std::isfinite(number)) {
            out += NumberText(number);
            return;
        }
        detail::ToDecimal(number, type == VarType::Single ? 7 : 15, decimal);
        break;
    }
    }
    if (m_isTrueFalse) {
        AppendTrueFalse(out, number != 0);
    } else if (m_isDate) {
        AppendDate(out, number);
    } else {
        AppendNumber(out, decimal);
    }
}

void DisplayFormat::AppendTrueFalse(std::string& out, bool isTrue) const {
    AppendText(out, m_sections[isTrue ? 0 : 1]);
}

void DisplayFormat::AppendText(std::string& out, const Section& section) {
    for (const Token& token : section.tokens) {
        out.append(section.literals, token.offset, token.length);
    }
}

void DisplayFormat::AppendNumber(std::string& out, const Decimal& value) const {
    const auto roundFor = [&value](const Section& section) {
        Decimal rounded = value;
        if (!rounded.IsZero()) {
            rounded.pointPos += section.exponentShift;
        }
        detail::Round(rounded, section.fractionDigits, detail::RoundMode::HalfAwayFromZero);
        return rounded;
    };
    const Section& positive = m_sections[0];
    // An empty positive section ("; ;" sections only blank zeros) shows the general text, unrounded:
    // rounded by its zero placeholders it would turn 0.3 into the zero section.
    const Decimal rounded = positive.isEmpty ? value : roundFor(positive);
    if (rounded.IsZero()) {
        const bool hasZeroSection = m_sections.size() >= 3 && !m_sections[2].isEmpty;
        if (hasZeroSection || !positive.isEmpty) {
            AppendNumberSection(out, hasZeroSection ? m_sections[2] : positive, rounded, false);
        } else {
            out += '0';
        }
    } else if (value.negative && m_sections.size() >= 2 && !m_sections[1].isEmpty) {
        AppendNumberSection(out, m_sections[1], roundFor(m_sections[1]), false);
    } else if (positive.isEmpty) {
        char buffer[64];
        out.append(buffer, detail::WriteGeneral(value, 15, buffer));
    } else {
        AppendNumberSection(out, positive, rounded, value.negative);
    }
}

void DisplayFormat::AppendNumberSection(std::string& out, const Section& section, const Decimal& rounded,
                                        bool minus) {
    if (minus) {
        out += '-';
    }
    const int integerLength = rounded.IsZero() ? 0 : std::max(rounded.pointPos, 0);
    const int fractionPresent = rounded.IsZero() ? 0 : rounded.count - rounded.pointPos;
    const auto emitDigit = [&](int place) {
        out += rounded.DigitAt(place);
        if (section.hasGrouping && place > 0 && place % 3 == 0) {
            out += ',';
        }
    };
    int integerIndex = 0;
    int fractionIndex = 0;
    bool inFraction = false;
    for (const Token& token : section.tokens) {
        switch (token.kind) {
        case TokenKind::Digit:
        case TokenKind::OptionalDigit:
            if (!inFraction) {
                const int place = section.integerDigits - 1 - integerIndex;
                if (integerIndex++ == 0) {
                    // Digits beyond the placeholders all go to the first one.
                    for (int extra = integerLength - 1; extra > place; --extra) {
                        emitDigit(extra);
                    }
                }
                if (place < integerLength || token.kind == TokenKind::Digit) {
                    emitDigit(place);
                }
            } else {
                // "#" drops only trailing zeros: present digits after it are still shown.
                const int index = fractionIndex++;
                if (token.kind == TokenKind::Digit || index < fractionPresent) {
                    out += rounded.DigitAt(-(index + 1));
                }
            }
            break;
        case TokenKind::DecimalPoint:
            if (section.integerDigits == 0) {
                for (int place = integerLength - 1; place >= 0; --place) {
                    emitDigit(place);
                }
            }
            out += '.';
            inFraction = true;
            break;
        default:
            out.append(section.literals, token.offset, token.length);
            break;
        }
    }
}

void DisplayFormat::AppendDate(std::string& out, double serial) const {
    if (!IsSerialInRange(serial)) {
        out += NumberText(serial);
        return;
    }
    const Section& section = m_sections[0];
    const DateParts parts = SplitDate(Date{serial});
    for (const Token& token : section.tokens) {
        switch (token.kind) {
        case TokenKind::Year4:
            AppendPadded(out, parts.year, 4);
            break;
        case TokenKind::Year2:
            AppendPadded(out, parts.year % 100, 2);
            break;
        case TokenKind::DayOfYear:
            AppendPadded(out, DayOfYear(parts), 1);
            break;
        case TokenKind::Month:
        case TokenKind::Month2:
            AppendPadded(out, parts.month, token.kind == TokenKind::Month2 ? 2 : 1);
            break;
        case TokenKind::Day:
        case TokenKind::Day2:
            AppendPadded(out, parts.day, token.kind == TokenKind::Day2 ? 2 : 1);
            break;
        case TokenKind::Hour:
        case TokenKind::Hour2: {
            int hour = parts.hour;
            if (section.hasAmPm) {
                hour = hour % 12 == 0 ? 12 : hour % 12;
            }
            AppendPadded(out, hour, token.kind == TokenKind::Hour2 ? 2 : 1);
            break;
        }
        case TokenKind::Minute:
        case TokenKind::Minute2:
            AppendPadded(out, parts.minute, token.kind == TokenKind::Minute2 ? 2 : 1);
            break;
        case TokenKind::Second:
        case TokenKind::Second2:
            AppendPadded(out, parts.second, token.kind == TokenKind::Second2 ? 2 : 1);
            break;
        case TokenKind::AmPm: {
            // Written in the case the format uses: "AM/PM" or "am/pm".
            const bool isLower = section.literals[token.offset] == 'a';
            out += parts.hour < 12 ? (isLower ? "am" : "AM") : (isLower ? "pm" : "PM");
            break;
        }
        default:
            out.append(section.literals, token.offset, token.length);
            break;
        }
    }
}

std::string Format(const Variant& value, std::string_view format) {
    // Callers often format a run of values with one format; keep its parsed form per thread.
    thread_local std::string lastText;
    thread_local DisplayFormat lastFormat;
    if (format != lastText) {
        lastFormat = DisplayFormat(format);
        lastText = format;
    }
    return lastFormat.Apply(value);
}

} // namespace vb
