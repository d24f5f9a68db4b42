// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/CllFile.h"
#include "controls/sheet/CllText_p.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sheet {

namespace cll {

template <typename T> std::optional<T> ParseInt(std::string_view s) {
    T value{};
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || ptr != s.data() + s.size() || s.empty()) {
        return std::nullopt;
    }
    return value;
}

inline std::optional<double> ParseDouble(std::string_view s) {
    double value = 0;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || ptr != s.data() + s.size() || s.empty() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// "B7" -> (1, 6); nullopt for anything else.
inline std::optional<std::pair<int, int>> ParseCellName(std::string_view s) {
    std::size_t at = 0;
    long col = 0;
    while (at < s.size() && s[at] >= 'A' && s[at] <= 'Z' && at < 4) {
        col = col * 26 + (s[at] - 'A' + 1);
        ++at;
    }
    if (at == 0 || at == s.size() || s[at] == '0') {
        return std::nullopt;
    }
    const auto row = ParseInt<long>(s.substr(at));
    if (!row || *row < 1 || *row > kMaxRows || col > kMaxCols) {
        return std::nullopt;
    }
    return std::pair{static_cast<int>(col - 1), static_cast<int>(*row - 1)};
}

} // namespace cll

// The reader's state over one file; CllReader.cpp holds the design notes.
class CllReader {
public:
    CllReader(std::string_view data, const std::string& file, LoadError& error)
        : m_data(data), m_file(file), m_error(error) {}

    bool Run(SheetDocument& doc);

private:
    bool NextLine();
    bool Fail(std::string code, std::string message, std::size_t column = 0, std::string cell = {});
    std::size_t Col(std::string_view within) const {
        return static_cast<std::size_t>(within.data() - m_line.data()) + 1;
    }
    // Splits the next space-separated word off m_rest; quoted words keep their quotes.
    std::string_view Word();
    bool Quoted(std::string_view token, std::string& out);
    bool Header(SheetDocument& doc);
    bool StyleLine(SheetDocument& doc);
    bool MergeLine(SheetDocument& doc);
    bool FlushMerges(SheetDocument& doc);
    bool PrintLine(SheetDocument& doc);
    bool PageLineLine(SheetDocument& doc);
    bool PageLine(SheetDocument& doc);
    bool NameLine(SheetDocument& doc);
    bool RowLine(SheetDocument& doc, int& lastRow);
    bool Range(std::string_view token, const SheetDocument& doc, MergeRange& out);

    std::string_view m_data;
    std::size_t m_pos = 0;
    int m_lineNo = 0;
    std::string_view m_line;
    std::string_view m_rest;
    const std::string& m_file;
    LoadError& m_error;
    std::vector<std::uint32_t> m_styleMap{0}; // file style number -> document style index
    // Merge lines read but not yet checked against each other: checked in one pass when the merge
    // section ends, as a check per line against every earlier block is quadratic in hostile files.
    struct PendingMerge {
        int line;
        std::size_t column;
        std::string_view token;
    };
    std::vector<MergeRange> m_merges;
    std::vector<PendingMerge> m_mergeLines;
};

} // namespace sheet
