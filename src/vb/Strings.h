// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vb {

class Array;

// The platform's string functions on UTF-8 text. Positions and lengths count characters (code points),
// not bytes, so Len("合计") is 2; a byte that is not valid UTF-8 counts as one character. Positions are
// 1-based. Comparisons are binary unless told otherwise; case folding is ASCII only.

// Pieces between delimiters. "" gives no pieces; an empty delimiter gives the whole text as one piece;
// limit >= 0 caps the count, the last piece keeping the rest (limit 0 gives none).
std::vector<std::string> Split(std::string_view text, std::string_view delimiter = " ", int limit = -1);
// Split as a 0-based 1-D Array of String (UBound -1 when empty), as the language returns it.
std::shared_ptr<Array> SplitToArray(std::string_view text, std::string_view delimiter = " ", int limit = -1);
std::string Join(const std::vector<std::string>& pieces, std::string_view delimiter = " ");
// Joins a 1-D Array's elements by their general text (CStr); Null elements raise invalid-use-of-Null.
std::string Join(const Array& pieces, std::string_view delimiter = " ");

// Spaces only (not tabs, not the ideographic space), as the platform trims.
std::string LTrim(std::string_view text);
std::string RTrim(std::string_view text);
std::string Trim(std::string_view text);

// Position of find in text at or after start, 0 when absent; find "" gives start (0 past the end).
// start < 1 raises invalid-call.
long InStr(std::string_view text, std::string_view find, long start = 1, bool ignoreCase = false);
// length characters from start (-1: all the rest). start < 1 or
// length < -1 raise invalid-call; a start past the end gives "".
std::string Mid(std::string_view text, long start, long length = -1);
// n < 0 raises invalid-call; n past the end gives the whole text.
std::string Left(std::string_view text, long n);
std::string Right(std::string_view text, long n);
long Len(std::string_view text);

std::string UCase(std::string_view text);
std::string LCase(std::string_view text);

// Replaces up to count (-1: all) occurrences. As the platform does, the result starts at start: the
// characters before it are dropped. An empty find returns the text from start unchanged.
std::string Replace(std::string_view text, std::string_view find, std::string_view replacement,
                    long start = 1, long count = -1, bool ignoreCase = false);

// Length of the valid UTF-8 sequence at byte `at` (1..4), or 0 when the bytes there start none: a
// bad lead byte, a sequence cut short, an overlong form, a surrogate or a code point past U+10FFFF.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);
bool IsValidUtf8(std::string_view text);
// `text` with each byte that starts no valid UTF-8 sequence replaced by U+FFFD, so every reader of
// what is made from it (JSON, XML, the sheet's files) gets valid text; valid text comes back as is.
std::string ToValidUtf8(std::string_view text);

// Field and object names compare case-insensitively (ASCII folding); <0, 0, >0 like strcmp.
int CompareNoCase(std::string_view a, std::string_view b);
bool EqualsNoCase(std::string_view a, std::string_view b);

// How AppendQuoted writes the bytes that cannot stand for themselves. Every table escapes \ \" tab,
// LF and CR with a backslash; other control bytes become bytePrefix and two hex digits.
struct QuoteTable {
    std::string_view bytePrefix; // "\\u00" (JSON), "\\x"
    const char* hexDigits;       // 16 digits, upper or lower case
    // Also escape DEL and every byte that is not part of valid UTF-8, so that the quoted text is valid
    // UTF-8 whatever the input held; otherwise such bytes pass through.
    bool isUtf8Checked;
};
// Appends text between double quotes, escaped by `table`.
void AppendQuoted(std::string& out, std::string_view text, const QuoteTable& table);

} // namespace vb
