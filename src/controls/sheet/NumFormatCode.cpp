// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/sheet/NumFormatCode.h"

#include <vector>

namespace sheet {

namespace {

// Splits at ';' outside quotes, brackets and backslash escapes.
std::vector<std::string> Sections(std::string_view code) {
    std::vector<std::string> out(1);
    bool quoted = false;
    int bracket = 0;
    for (std::size_t at = 0; at < code.size(); ++at) {
        const char ch = code[at];
        if (ch == '\\' && !quoted && at + 1 < code.size()) {
            out.back() += code.substr(at, 2);
            ++at;
            continue;
        }
        if (ch == '"') {
            quoted = !quoted;
        } else if (!quoted && ch == '[') {
            ++bracket;
        } else if (!quoted && ch == ']' && bracket > 0) {
            --bracket;
        } else if (!quoted && bracket == 0 && ch == ';') {
            out.emplace_back();
            continue;
        }
        out.back() += ch;
    }
    return out;
}

// The section without quoted literals, escapes and bracketed parts, in lower case; `literals` gets
// the quoted and escaped text, `brackets` the bracketed parts.
std::string Bare(std::string_view section, std::string& literals, std::string& brackets) {
    std::string out;
    for (std::size_t at = 0; at < section.size(); ++at) {
        const char ch = section[at];
        if (ch == '"') {
            const std::size_t end = section.find('"', at + 1);
            const std::size_t stop = end == std::string_view::npos ? section.size() : end;
            literals += section.substr(at + 1, stop - at - 1);
            at = stop;
        } else if (ch == '\\' && at + 1 < section.size()) {
            literals += section[++at];
        } else if (ch == '[') {
            const std::size_t end = section.find(']', at + 1);
            const std::size_t stop = end == std::string_view::npos ? section.size() : end;
            for (std::size_t k = at + 1; k < stop; ++k) {
                const char b = section[k];
                brackets += (b >= 'A' && b <= 'Z') ? static_cast<char>(b - 'A' + 'a') : b;
            }
            brackets += ']';
            at = stop;
        } else if (ch == '_' || ch == '*') {
            ++at; // padding to the width of the next character
        } else {
            out += (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
        }
    }
    return out;
}

bool HasCurrency(std::string_view text) {
    return text.find("¥") != std::string_view::npos || text.find("￥") != std::string_view::npos;
}

bool IsBlank(std::string_view section) {
    std::string literals, brackets;
    const std::string bare = Bare(section, literals, brackets);
    return bare.find_first_not_of(' ') == std::string::npos &&
           literals.find_first_not_of(' ') == std::string::npos;
}

} // namespace

std::string ToFormatCode(const NumFormat& f, bool blankZero) {
    std::string positive;
    if (f.category == 0) {
        positive = "General";
    } else if (f.category == 3) {
        positive = "yyyy-mm-dd";
    } else if (f.category == 4) {
        positive = "@";
    } else {
        positive = f.currency ? "\"¥\"" : "";
        positive += f.grouping == 1 ? "#,##0" : "0";
        if (f.decimals > 0) {
            positive += std::string(".") + std::string(static_cast<std::size_t>(f.decimals), '0');
        } else if (f.decimals < 0) {
            positive += ".###############";
        }
        positive += f.scale == 1000 ? "," : f.scale == 1000000 ? ",," : "";
        positive += f.category == 1 ? "%" : f.category == 2 ? "E+00" : "";
    }
    // A text format has no sections to blank zeros with; general and dates take a blank zero section
    // like numbers do.
    if (f.category == 4 || (!f.negativeRed && f.negativeForm == 0 && !blankZero)) {
        return positive;
    }
    std::string negative = f.negativeRed ? "[Red]" : "";
    negative += f.negativeForm == 1 ? std::string("(") + positive + ")" : std::string("-") + positive;
    return positive + ";" + negative + (blankZero ? ";" : "");
}

ParsedFormat FromFormatCode(std::string_view code) {
    ParsedFormat out;
    const std::vector<std::string> sections = Sections(code);
    out.blankZero = sections.size() >= 3 && IsBlank(sections[2]);
    std::string literals, brackets;
    const std::string bare = Bare(sections[0], literals, brackets);
    NumFormat& f = out.num;
    const bool hasDigits = bare.find_first_of("0#?") != std::string::npos;
    if (bare.find("general") != std::string::npos || bare.empty()) {
        f.category = 0;
        return out;
    }
    if (bare.find('@') != std::string::npos && !hasDigits) {
        f.category = 4;
        return out;
    }
    if (!hasDigits && bare.find_first_of("ymdhs") != std::string::npos) {
        f.category = 3;
        return out;
    }
    if (!hasDigits) {
        return out; // literal text only: nothing the seven values can say
    }
    f.category = bare.find('%') != std::string::npos ? 1 : bare.find('e') != std::string::npos ? 2 : -1;
    // In scientific codes the mantissa ends at the exponent; scaling commas follow the mantissa.
    const std::size_t exponent = f.category == 2 ? bare.find('e') : std::string::npos;
    const std::size_t lastDigit =
        bare.find_last_of("0#?", exponent == std::string::npos ? exponent : exponent - 1);
    const std::size_t firstDigit = bare.find_first_of("0#?");
    const std::size_t point = bare.find('.', firstDigit);
    const std::size_t intEnd = point == std::string::npos ? lastDigit + 1 : point;
    f.grouping = bare.substr(firstDigit, intEnd - firstDigit).find(',') != std::string::npos ? 1 : 0;
    if (point != std::string::npos && point < lastDigit + 1) {
        int zeros = 0, hashes = 0;
        for (std::size_t at = point + 1;
             at < bare.size() && (bare[at] == '0' || bare[at] == '#' || bare[at] == '?'); ++at) {
            (bare[at] == '0' ? zeros : hashes)++;
        }
        f.decimals = static_cast<std::int16_t>(zeros > 0 ? std::min(zeros, 15) : hashes > 0 ? -1 : 0);
    }
    int trailingCommas = 0;
    for (std::size_t at = lastDigit + 1; at < bare.size() && bare[at] == ','; ++at) {
        ++trailingCommas;
    }
    f.scale = trailingCommas == 1 ? 1000 : trailingCommas >= 2 ? 1000000 : 0;
    f.currency = HasCurrency(literals) || HasCurrency(brackets) || HasCurrency(bare);
    if (sections.size() >= 2) {
        std::string negLiterals, negBrackets;
        const std::string negBare = Bare(sections[1], negLiterals, negBrackets);
        f.negativeForm =
            negBare.find('(') != std::string::npos || negLiterals.find('(') != std::string::npos ? 1 : 0;
        f.negativeRed = negBrackets.find("red]") != std::string::npos;
    }
    return out;
}

std::string_view BuiltinFormatCode(int id) {
    switch (id) {
    case 0:
        return "General";
    case 1:
        return "0";
    case 2:
        return "0.00";
    case 3:
        return "#,##0";
    case 4:
        return "#,##0.00";
    case 9:
        return "0%";
    case 10:
        return "0.00%";
    case 11:
        return "0.00E+00";
    case 12:
        return "# ?/?";
    case 13:
        return "# ?\?/??";
    case 37:
        return "#,##0 ;(#,##0)";
    case 38:
        return "#,##0 ;[Red](#,##0)";
    case 39:
        return "#,##0.00;(#,##0.00)";
    case 40:
        return "#,##0.00;[Red](#,##0.00)";
    case 48:
        return "##0.0E+0";
    case 49:
        return "@";
    default:
        // 14..22, 27..36, 45..47 and 50..58 are dates and times in every locale.
        if ((id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
            (id >= 50 && id <= 58)) {
            return "yyyy-mm-dd";
        }
        return "";
    }
}

} // namespace sheet
