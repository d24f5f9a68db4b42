// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Statement and name text as the PostgreSQL driver prepares it before anything reaches the server.
// Header-only so the ado tests can check the scanners without a server.
namespace ado::detail::pg {

namespace text_detail {

// Characters that continue an identifier; '$' does too, which is why "a$1$" is no dollar quote.
// Bytes >= 0x80 are parts of UTF-8 letters, which the server accepts in identifiers.
inline bool IsIdentChar(char ch) noexcept {
    const auto byte = static_cast<unsigned char>(ch);
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
           byte == '_' || byte == '$' || byte >= 0x80;
}

inline bool IsIdentStart(char ch) noexcept {
    const auto byte = static_cast<unsigned char>(ch);
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || byte == '_' || byte >= 0x80;
}

// Position just past a quoted run that opened at `open` (the quote itself); nullopt when the text ends
// inside it. A doubled quote is an escaped quote inside the same run.
inline std::optional<std::size_t> QuotedEnd(std::string_view sql, std::size_t open, bool backslashEscapes) {
    const char quote = sql[open];
    std::size_t pos = open + 1;
    while (pos < sql.size()) {
        const char ch = sql[pos];
        if (backslashEscapes && ch == '\\') {
            pos += 2;
            continue;
        }
        ++pos;
        if (ch == quote) {
            if (pos < sql.size() && sql[pos] == quote) {
                ++pos;
                continue;
            }
            return pos;
        }
    }
    return std::nullopt;
}

// Block comments nest in PostgreSQL, unlike in most dialects, so "/* /* */ ? */" is all comment.
inline std::size_t SkipBlockComment(std::string_view sql, std::size_t open) {
    std::size_t depth = 0;
    std::size_t pos = open;
    while (pos + 1 < sql.size()) {
        if (sql[pos] == '/' && sql[pos + 1] == '*') {
            ++depth;
            pos += 2;
        } else if (sql[pos] == '*' && sql[pos + 1] == '/') {
            pos += 2;
            if (--depth == 0) {
                return pos;
            }
        } else {
            ++pos;
        }
    }
    return sql.size();
}

// "$$" or "$tag$" opening a dollar-quoted string at `open`; nullopt when the '$' starts something else
// ("$1", or a '$' inside an identifier, which the caller has ruled out).
inline std::optional<std::string_view> DollarTag(std::string_view sql, std::size_t open) {
    std::size_t pos = open + 1;
    if (pos < sql.size() && IsIdentStart(sql[pos])) {
        while (pos < sql.size() && IsIdentChar(sql[pos]) && sql[pos] != '$') {
            ++pos;
        }
    }
    if (pos < sql.size() && sql[pos] == '$') {
        return sql.substr(open, pos - open + 1);
    }
    return std::nullopt;
}

} // namespace text_detail

// Rewrites the portable '?' placeholders to the server's $1, $2, ... in order of appearance. Question
// marks inside '...' and E'...' literals, "..." identifiers, $tag$...$tag$ bodies and -- or /* */
// comments are text, not placeholders. The server's own ?-operators (jsonb ?, ?|, ?&) cannot be told
// apart from placeholders, so statements that take parameters must spell those as functions.
// placeholderCount receives the number of placeholders replaced.
inline std::string RewritePlaceholders(std::string_view sql, std::size_t& placeholderCount) {
    using namespace text_detail;
    std::string out;
    out.reserve(sql.size() + 16);
    placeholderCount = 0;
    std::size_t pos = 0;
    while (pos < sql.size()) {
        const char ch = sql[pos];
        const bool afterIdent = pos > 0 && IsIdentChar(sql[pos - 1]);
        std::size_t next = pos + 1;
        if (ch == '\'') {
            // E'...' (or e'...') takes backslash escapes; the E must start its own token, else it is
            // the tail of a word and the quote opens an ordinary literal.
            const bool isEscapeString = pos > 0 && (sql[pos - 1] == 'E' || sql[pos - 1] == 'e') &&
                                        !(pos > 1 && IsIdentChar(sql[pos - 2]));
            // An unterminated literal swallows the rest: the server reports it, not us.
            next = QuotedEnd(sql, pos, isEscapeString).value_or(sql.size());
        } else if (ch == '"') {
            next = QuotedEnd(sql, pos, false).value_or(sql.size());
        } else if (ch == '-' && pos + 1 < sql.size() && sql[pos + 1] == '-') {
            const std::size_t eol = sql.find('\n', pos);
            next = eol == std::string_view::npos ? sql.size() : eol;
        } else if (ch == '/' && pos + 1 < sql.size() && sql[pos + 1] == '*') {
            next = SkipBlockComment(sql, pos);
        } else if (ch == '$' && !afterIdent) {
            if (const auto tag = DollarTag(sql, pos)) {
                const std::size_t close = sql.find(*tag, pos + tag->size());
                next = close == std::string_view::npos ? sql.size() : close + tag->size();
            }
        } else if (ch == '?') {
            out += '$';
            out += std::to_string(++placeholderCount);
            pos = next;
            continue;
        }
        out.append(sql.substr(pos, next - pos));
        pos = next;
    }
    return out;
}

// A routine name as the catalog stores it. schema is empty when the name was not qualified, so that
// the search path decides.
struct RoutineName {
    std::string schema;
    std::string name;
    friend bool operator==(const RoutineName&, const RoutineName&) = default;
};

// Splits "name", "schema.name" or "database.schema.name" (the database part is not checked: a
// connection only ever sees its own database) the way the server reads identifiers: "quoted" parts
// are taken as written ("" is a quote), unquoted ones lose surrounding blanks and fold ASCII letters to
// lower case. nullopt for anything else (empty parts, stray quotes, more than three parts).
inline std::optional<RoutineName> ParseRoutineName(std::string_view text) {
    std::string parts[3];
    std::size_t partCount = 0;
    std::size_t pos = 0;
    const auto skipBlanks = [&] {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) {
            ++pos;
        }
    };
    while (true) {
        if (partCount == 3) {
            return std::nullopt;
        }
        std::string& part = parts[partCount++];
        skipBlanks();
        if (pos < text.size() && text[pos] == '"') {
            const auto quotedEnd = text_detail::QuotedEnd(text, pos, false);
            if (!quotedEnd) {
                return std::nullopt;
            }
            const std::size_t end = *quotedEnd;
            for (std::size_t idx = pos + 1; idx + 1 < end; ++idx) {
                part += text[idx];
                if (text[idx] == '"') {
                    ++idx; // the second quote of a doubled pair
                }
            }
            pos = end;
            if (part.empty()) {
                return std::nullopt; // the server rejects "" as a zero-length identifier
            }
        } else {
            while (pos < text.size() && text[pos] != '.' && text[pos] != '"') {
                const char ch = text[pos++];
                part += (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
            }
            while (!part.empty() && (part.back() == ' ' || part.back() == '\t')) {
                part.pop_back();
            }
            // Unquoted, only identifier characters can belong to the name: anything else means the
            // caller passed a statement or an argument list, which no routine is called.
            if (part.empty() || !text_detail::IsIdentStart(part.front()) ||
                !std::all_of(part.begin(), part.end(), text_detail::IsIdentChar)) {
                return std::nullopt;
            }
        }
        skipBlanks();
        if (pos == text.size()) {
            break;
        }
        if (text[pos] != '.') {
            return std::nullopt;
        }
        ++pos;
    }
    RoutineName result;
    result.name = std::move(parts[partCount - 1]);
    if (partCount > 1) {
        result.schema = std::move(parts[partCount - 2]);
    }
    return result;
}

} // namespace ado::detail::pg
