// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <sql.h>
#include <sqlext.h>
#include <string>
#include <string_view>
#include <vector>

// Statement text for SQLite reached through ODBC, where our own code does what the SQLite library
// does for the native driver: cutting a script into statements and naming procedure parameters.
// Header-only so the ado tests can check the scanners without a driver.
namespace ado::detail::odbc {

namespace sqltext_detail {

// Position just past the quoted run, comment or bracketed name starting at pos, or pos when none
// starts there. An unterminated one runs to the end: SQLite reports it, not us.
inline std::size_t SkipInert(std::string_view sql, std::size_t pos) {
    const char ch = sql[pos];
    if (ch == '\'' || ch == '"' || ch == '`') {
        std::size_t end = pos + 1;
        while (end < sql.size()) {
            if (sql[end] == ch) {
                if (end + 1 < sql.size() && sql[end + 1] == ch) {
                    end += 2; // a doubled quote is part of the text
                    continue;
                }
                return end + 1;
            }
            ++end;
        }
        return sql.size();
    }
    if (ch == '[') {
        const std::size_t close = sql.find(']', pos);
        return close == std::string_view::npos ? sql.size() : close + 1;
    }
    if (ch == '-' && pos + 1 < sql.size() && sql[pos + 1] == '-') {
        const std::size_t eol = sql.find('\n', pos);
        return eol == std::string_view::npos ? sql.size() : eol + 1;
    }
    if (ch == '/' && pos + 1 < sql.size() && sql[pos + 1] == '*') {
        const std::size_t close = sql.find("*/", pos + 2);
        return close == std::string_view::npos ? sql.size() : close + 2;
    }
    return pos;
}

inline bool IsNameChar(char ch) noexcept {
    const auto byte = static_cast<unsigned char>(ch);
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
           byte == '_' || byte >= 0x80;
}

} // namespace sqltext_detail

// The statements of a script, cut at each ';' outside literals, quoted names and comments, with the
// comments taken out and the ends trimmed; pieces left empty are dropped. Comments go because the
// SQLite ODBC driver scans statement text for quotes without knowing comments, so an apostrophe in
// "-- the database's own" would derail it. A trigger body (BEGIN ... ; ... END) is not recognised:
// scripts run through ODBC must create triggers one statement at a time.
inline std::vector<std::string> SplitSqliteScript(std::string_view sql) {
    std::vector<std::string> statements;
    std::string current;
    const auto finish = [&] {
        const std::size_t first = current.find_first_not_of(" \t\r\n");
        if (first != std::string::npos) {
            const std::size_t last = current.find_last_not_of(" \t\r\n");
            statements.push_back(current.substr(first, last - first + 1));
        }
        current.clear();
    };
    std::size_t pos = 0;
    while (pos < sql.size()) {
        const char ch = sql[pos];
        if (ch == ';') {
            finish();
            ++pos;
            continue;
        }
        const std::size_t skipped = sqltext_detail::SkipInert(sql, pos);
        if (skipped == pos) {
            current += ch;
            ++pos;
        } else if (ch == '-' || ch == '/') {
            current += ' '; // a comment still separates the words around it
            pos = skipped;
        } else {
            current.append(sql.substr(pos, skipped - pos));
            pos = skipped;
        }
    }
    finish();
    return statements;
}

// A procedure body statement with its named placeholders (":name", "@name", "$name") turned into
// ODBC's '?'; names receives each placeholder's name in order of appearance, without its sign.
inline std::string RewriteNamedPlaceholders(std::string_view sql, std::vector<std::string>& names) {
    names.clear();
    std::string out;
    out.reserve(sql.size());
    std::size_t pos = 0;
    while (pos < sql.size()) {
        const std::size_t skipped = sqltext_detail::SkipInert(sql, pos);
        if (skipped != pos) {
            out.append(sql.substr(pos, skipped - pos));
            pos = skipped;
            continue;
        }
        const char ch = sql[pos];
        const bool afterName = pos > 0 && sqltext_detail::IsNameChar(sql[pos - 1]);
        // "::" is no placeholder, and a sign inside a word (a$b) belongs to the word.
        if ((ch == ':' || ch == '@' || ch == '$') && !afterName && pos + 1 < sql.size() &&
            sqltext_detail::IsNameChar(sql[pos + 1]) && !(ch == ':' && pos > 0 && sql[pos - 1] == ':')) {
            std::size_t end = pos + 1;
            while (end < sql.size() && sqltext_detail::IsNameChar(sql[end])) {
                ++end;
            }
            names.emplace_back(sql.substr(pos + 1, end - pos - 1));
            out += '?';
            pos = end;
            continue;
        }
        out += ch;
        ++pos;
    }
    return out;
}

// The ODBC type a declared SQLite column type stands for, by SQLite's own reading of type names
// (the first rule that matches wins, as the native driver reads them), with its size and scale.
struct DeclaredType {
    SQLSMALLINT sqlType = SQL_WVARCHAR;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
};

inline DeclaredType TypeFromDeclaration(std::string_view declared) {
    std::string decl;
    for (const char ch : declared) {
        decl += (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
    }
    DeclaredType out;
    // "(18,2)" -> 18, 2
    const std::size_t open = decl.find('(');
    if (open != std::string::npos) {
        std::size_t pos = open + 1;
        std::size_t first = 0;
        while (pos < decl.size() && decl[pos] >= '0' && decl[pos] <= '9') {
            first = first * 10 + static_cast<std::size_t>(decl[pos++] - '0');
        }
        out.size = first;
        while (pos < decl.size() && (decl[pos] == ' ' || decl[pos] == ',')) {
            ++pos;
        }
        int second = 0;
        while (pos < decl.size() && decl[pos] >= '0' && decl[pos] <= '9') {
            second = second * 10 + (decl[pos++] - '0');
        }
        out.digits = static_cast<SQLSMALLINT>(second);
    }
    const auto has = [&decl](const char* word) {
        return decl.find(word) != std::string::npos;
    };
    if (decl.empty()) {
        out.sqlType = SQL_WVARCHAR;
    } else if (has("BIGINT") || has("INT8")) {
        out.sqlType = SQL_BIGINT;
    } else if (has("SMALLINT") || has("INT2")) {
        out.sqlType = SQL_SMALLINT;
    } else if (has("TINYINT")) {
        out.sqlType = SQL_TINYINT;
    } else if (has("BOOL") || decl == "BIT") {
        out.sqlType = SQL_BIT;
    } else if (has("INT")) {
        out.sqlType = SQL_INTEGER;
    } else if (has("DATETIME") || has("TIMESTAMP")) {
        out.sqlType = SQL_TYPE_TIMESTAMP;
    } else if (has("DATE")) {
        out.sqlType = SQL_TYPE_DATE;
    } else if (has("TIME")) {
        out.sqlType = SQL_TYPE_TIME;
    } else if (has("DEC") || has("NUMERIC") || has("MONEY")) {
        out.sqlType = SQL_NUMERIC;
    } else if (has("REAL") || has("FLOA") || has("DOUB")) {
        out.sqlType = SQL_DOUBLE;
    } else if (has("BLOB") || has("BINARY")) {
        out.sqlType = SQL_LONGVARBINARY;
    } else if (has("GUID") || has("UUID")) {
        out.sqlType = SQL_GUID;
    } else if (has("VARCHAR") || has("VARYING")) {
        out.sqlType = SQL_WVARCHAR;
    } else if (has("CHAR")) {
        out.sqlType = SQL_WCHAR;
    } else if (has("CLOB") || has("TEXT")) {
        out.sqlType = SQL_WLONGVARCHAR;
    } else {
        out.sqlType = SQL_NUMERIC;
    }
    return out;
}

} // namespace ado::detail::odbc
