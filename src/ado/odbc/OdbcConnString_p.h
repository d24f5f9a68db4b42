// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

// ODBC connection strings as the connection reads them before any driver is loaded. Free of the ODBC
// headers, whose macros have no business in the rest of the layer.
namespace ado::detail::odbc {

// Whether a connection string is in ODBC's "key=value;..." form naming a data source or a driver:
// a ';' somewhere and a DSN, DRIVER or FILEDSN key (any case).
inline bool IsOdbcConnectionString(std::string_view text) {
    if (text.find(';') == std::string_view::npos) {
        return false;
    }
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == ';')) {
            ++pos;
        }
        const std::size_t equals = text.find('=', pos);
        if (equals == std::string_view::npos) {
            return false;
        }
        std::string key;
        for (std::size_t idx = pos; idx < equals; ++idx) {
            const char ch = text[idx];
            if (ch != ' ') {
                key += (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
            }
        }
        if (key == "DSN" || key == "DRIVER" || key == "FILEDSN") {
            return true;
        }
        // Skip the value; a braced value may hold ';' (Driver={SQL Server};).
        pos = equals + 1;
        while (pos < text.size() && text[pos] == ' ') {
            ++pos;
        }
        if (pos < text.size() && text[pos] == '{') {
            const std::size_t close = text.find('}', pos);
            pos = close == std::string_view::npos ? text.size() : close + 1;
        }
        const std::size_t semicolon = text.find(';', pos);
        pos = semicolon == std::string_view::npos ? text.size() : semicolon + 1;
    }
    return false;
}

// Removes the password from a connection string before it reaches an error message or a log.
inline std::string MaskPassword(std::string_view text) {
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find(';', pos);
        const std::size_t equals = text.find('=', pos);
        std::size_t valueEnd = end;
        if (equals != std::string_view::npos && (end == std::string_view::npos || equals < end)) {
            std::size_t valueStart = equals + 1;
            if (valueStart < text.size() && text[valueStart] == '{') {
                const std::size_t close = text.find('}', valueStart);
                valueEnd = close == std::string_view::npos ? text.size() : close + 1;
                end = text.find(';', valueEnd);
            }
            std::string key;
            for (std::size_t idx = pos; idx < equals; ++idx) {
                const char ch = text[idx];
                if (ch != ' ') {
                    key += (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
                }
            }
            if (key == "PWD" || key == "PASSWORD") {
                out.append(text.substr(pos, equals + 1 - pos)).append("***");
            } else {
                out.append(text.substr(pos, (end == std::string_view::npos ? text.size() : end) - pos));
            }
        } else {
            out.append(text.substr(pos, (end == std::string_view::npos ? text.size() : end) - pos));
        }
        if (end == std::string_view::npos) {
            break;
        }
        out.push_back(';');
        pos = end + 1;
    }
    return out;
}

} // namespace ado::detail::odbc
