// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sheet::cll {

// Shared spellings of the .cll writer and reader: one table, so the two can never disagree.
inline constexpr std::string_view kMagic = "vondrel-cll";
inline constexpr int kVersion = 1;
inline constexpr std::string_view kOrientation[] = {"portrait", "landscape"};

// Length of the valid UTF-8 sequence starting at `at` (1..4), or 0 when the bytes there are none.
inline std::size_t Utf8SequenceLength(std::string_view s, std::size_t at) {
    const auto b = static_cast<unsigned char>(s[at]);
    if (b < 0x80) {
        return 1;
    }
    const std::size_t len = (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
    if (len == 0 || at + len > s.size()) {
        return 0;
    }
    unsigned cp = b & (0x7Fu >> len);
    for (std::size_t k = 1; k < len; ++k) {
        const auto c = static_cast<unsigned char>(s[at + k]);
        if ((c & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    static constexpr unsigned kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    return cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) ? 0 : len;
}

inline bool ValidUtf8(std::string_view s) {
    for (std::size_t at = 0; at < s.size();) {
        const std::size_t len = Utf8SequenceLength(s, at);
        if (len == 0) {
            return false;
        }
        at += len;
    }
    return true;
}

// Appends text between double quotes with \\ \" \t \n \r, and \xHH for other control bytes and for
// bytes that are not valid UTF-8: a cell may hold any bytes, the file stays valid UTF-8 text.
void AppendQuoted(std::string& out, std::string_view text);
// Appends the shortest text that reads back as exactly the same double.
void AppendNumber(std::string& out, double value);
// Colour as six hex digits.
void AppendHex6(std::string& out, unsigned value);

} // namespace sheet::cll
