// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "vb/Strings.h"

#include "vb/Array.h"
#include "vb/Conversion.h"
#include "vb/Error.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace vb {

namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Bytes of the character starting at pos. A malformed sequence (bad lead, missing continuation) is
// taken one byte at a time, so every byte of broken text still belongs to exactly one character and
// positions stay consistent between Len, Mid and InStr.
std::size_t CharLength(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    }
    if (pos + length > text.size()) {
        return 1;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (!IsContinuation(static_cast<unsigned char>(text[pos + i]))) {
            return 1;
        }
    }
    return length;
}

// Byte offset of the character with the given 0-based index; text.size() when there are fewer.
std::size_t ByteOffset(std::string_view text, std::size_t charIndex) {
    std::size_t pos = 0;
    while (charIndex > 0 && pos < text.size()) {
        pos += CharLength(text, pos);
        --charIndex;
    }
    return pos;
}

std::size_t CharCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos)) {
        ++count;
    }
    return count;
}

std::size_t Find(std::string_view text, std::string_view find, std::size_t from, bool ignoreCase) {
    if (!ignoreCase) {
        return text.find(find, from);
    }
    if (find.size() > text.size()) {
        return std::string_view::npos;
    }
    for (std::size_t pos = from; pos + find.size() <= text.size(); ++pos) {
        std::size_t matched = 0;
        while (matched < find.size() && LowerAscii(text[pos + matched]) == LowerAscii(find[matched])) {
            ++matched;
        }
        if (matched == find.size()) {
            return pos;
        }
    }
    return std::string_view::npos;
}

} // namespace

std::vector<std::string> Split(std::string_view text, std::string_view delimiter, int limit) {
    std::vector<std::string> pieces;
    if (text.empty() || limit == 0) {
        return pieces;
    }
    if (delimiter.empty()) {
        pieces.emplace_back(text);
        return pieces;
    }
    std::size_t start = 0;
    while (limit < 0 || static_cast<int>(pieces.size()) < limit - 1) {
        const std::size_t found = text.find(delimiter, start);
        if (found == std::string_view::npos) {
            break;
        }
        pieces.emplace_back(text.substr(start, found - start));
        start = found + delimiter.size();
    }
    pieces.emplace_back(text.substr(start));
    return pieces;
}

std::shared_ptr<Array> SplitToArray(std::string_view text, std::string_view delimiter, int limit) {
    std::vector<std::string> pieces = Split(text, delimiter, limit);
    std::vector<Variant> values;
    values.reserve(pieces.size());
    for (std::string& piece : pieces) {
        values.emplace_back(std::move(piece));
    }
    return Array::FromValues(std::move(values));
}

std::string Join(const std::vector<std::string>& pieces, std::string_view delimiter) {
    std::string joined;
    for (std::size_t index = 0; index < pieces.size(); ++index) {
        if (index > 0) {
            joined += delimiter;
        }
        joined += pieces[index];
    }
    return joined;
}

std::string Join(const Array& pieces, std::string_view delimiter) {
    if (pieces.Dims() != 1) {
        RaiseInvalidCall();
    }
    std::string joined;
    for (long index = pieces.LBound(); index <= pieces.UBound(); ++index) {
        if (index > pieces.LBound()) {
            joined += delimiter;
        }
        joined += CStr(pieces.Get(index));
    }
    return joined;
}

std::string LTrim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::string RTrim(std::string_view text) {
    const std::size_t last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

std::string Trim(std::string_view text) {
    return LTrim(RTrim(text));
}

long InStr(std::string_view text, std::string_view find, long start, bool ignoreCase) {
    if (start < 1) {
        RaiseInvalidCall();
    }
    const std::size_t startIndex = static_cast<std::size_t>(start - 1);
    const std::size_t from = ByteOffset(text, startIndex);
    if (from >= text.size()) {
        return 0;
    }
    if (find.empty()) {
        return start;
    }
    const std::size_t found = Find(text, find, from, ignoreCase);
    if (found == std::string_view::npos) {
        return 0;
    }
    return static_cast<long>(startIndex + CharCount(text.substr(from, found - from))) + 1;
}

std::string Mid(std::string_view text, long start, long length) {
    if (start < 1 || length < -1) {
        RaiseInvalidCall();
    }
    const std::size_t from = ByteOffset(text, static_cast<std::size_t>(start - 1));
    if (length < 0) {
        return std::string(text.substr(from));
    }
    const std::string_view rest = text.substr(from);
    return std::string(rest.substr(0, ByteOffset(rest, static_cast<std::size_t>(length))));
}

std::string Left(std::string_view text, long n) {
    if (n < 0) {
        RaiseInvalidCall();
    }
    return std::string(text.substr(0, ByteOffset(text, static_cast<std::size_t>(n))));
}

std::string Right(std::string_view text, long n) {
    if (n < 0) {
        RaiseInvalidCall();
    }
    const std::size_t count = CharCount(text);
    const std::size_t skip = count > static_cast<std::size_t>(n) ? count - static_cast<std::size_t>(n) : 0;
    return std::string(text.substr(ByteOffset(text, skip)));
}

long Len(std::string_view text) {
    return static_cast<long>(CharCount(text));
}

std::string UCase(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), UpperAscii);
    return result;
}

std::string LCase(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), LowerAscii);
    return result;
}

std::string Replace(std::string_view text, std::string_view find, std::string_view replacement, long start,
                    long count, bool ignoreCase) {
    if (start < 1 || count < -1) {
        RaiseInvalidCall();
    }
    const std::string_view rest = text.substr(ByteOffset(text, static_cast<std::size_t>(start - 1)));
    if (find.empty() || count == 0) {
        return std::string(rest);
    }
    std::string result;
    result.reserve(rest.size());
    std::size_t pos = 0;
    for (long replaced = 0; count < 0 || replaced < count; ++replaced) {
        const std::size_t found = Find(rest, find, pos, ignoreCase);
        if (found == std::string_view::npos) {
            break;
        }
        result.append(rest.substr(pos, found - pos));
        result.append(replacement);
        pos = found + find.size();
    }
    result.append(rest.substr(pos));
    return result;
}

int CompareNoCase(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto left = static_cast<unsigned char>(LowerAscii(a[i]));
        const auto right = static_cast<unsigned char>(LowerAscii(b[i]));
        if (left != right) {
            return left < right ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

namespace {

// The Unicode standard's table of well-formed sequences: the second byte's range depends on the lead
// (E0: A0..BF excludes overlong forms, ED: 80..9F excludes surrogates, F0/F4 bound the planes).
// Written without decoding the code point: every text cell of a fetch passes through here.
inline std::size_t SequenceLength(const unsigned char* p, std::size_t left) {
    const unsigned lead = p[0];
    if (lead < 0x80) {
        return 1;
    }
    const auto cont = [&](std::size_t k) {
        return (p[k] & 0xC0u) == 0x80u;
    };
    if (lead < 0xC2) {
        return 0;
    }
    if (lead < 0xE0) {
        return left >= 2 && cont(1) ? 2 : 0;
    }
    if (lead < 0xF0) {
        if (left < 3 || !cont(1) || !cont(2) || (lead == 0xE0 && p[1] < 0xA0) ||
            (lead == 0xED && p[1] >= 0xA0)) {
            return 0;
        }
        return 3;
    }
    if (lead < 0xF5) {
        if (left < 4 || !cont(1) || !cont(2) || !cont(3) || (lead == 0xF0 && p[1] < 0x90) ||
            (lead == 0xF4 && p[1] >= 0x90)) {
            return 0;
        }
        return 4;
    }
    return 0;
}

} // namespace

std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
    return SequenceLength(reinterpret_cast<const unsigned char*>(text.data()) + at, text.size() - at);
}

bool IsValidUtf8(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    std::size_t at = 0;
    while (at < size) {
        const unsigned lead = p[at];
        if (lead < 0x80) {
            // Report data is mostly ASCII: after one ASCII byte, skip eight at a time.
            ++at;
            while (at + 8 <= size) {
                std::uint64_t word = 0;
                std::memcpy(&word, p + at, 8);
                if ((word & 0x8080808080808080ULL) != 0) {
                    break;
                }
                at += 8;
            }
            continue;
        }
        // Chinese text is three-byte sequences whose lead needs no range check on its second byte.
        if (((lead >= 0xE1 && lead <= 0xEC) || lead >= 0xEE) && lead <= 0xEF && at + 3 <= size &&
            (p[at + 1] & 0xC0u) == 0x80u && (p[at + 2] & 0xC0u) == 0x80u) {
            at += 3;
            continue;
        }
        const std::size_t len = SequenceLength(p + at, size - at);
        if (len == 0) {
            return false;
        }
        at += len;
    }
    return true;
}

std::string ToValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t len = Utf8SequenceLength(text, at);
        if (len == 0) {
            out += "\xEF\xBF\xBD";
            ++at;
        } else {
            out.append(text, at, len);
            at += len;
        }
    }
    return out;
}

void AppendQuoted(std::string& out, std::string_view text, const QuoteTable& table) {
    out += '"';
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char ch = text[at];
        const auto byte = static_cast<unsigned char>(ch);
        switch (ch) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            if (table.isUtf8Checked && byte >= 0x80) {
                const std::size_t len = Utf8SequenceLength(text, at);
                if (len > 0) {
                    out.append(text, at, len);
                    at += len - 1;
                    break;
                }
            }
            if (byte < 0x20 || (table.isUtf8Checked && byte >= 0x7F)) {
                out += table.bytePrefix;
                out += table.hexDigits[byte >> 4];
                out += table.hexDigits[byte & 15];
            } else {
                out += ch;
            }
        }
    }
    out += '"';
}

} // namespace vb
