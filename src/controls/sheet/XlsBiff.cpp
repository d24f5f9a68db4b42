// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The shared string table is the one structure of the workbook stream that outgrows a record. Its
// splitting rules, as readers enforce them:
// 1. A string's header (character count and flags) never straddles two records: when fewer than
//    header + one character fit, the string starts in the next CONTINUE record.
// 2. A string's characters may straddle records; the continuation then starts with a fresh flags
//    byte, and a two-byte character is never cut in half.
// 3. EXTSST points at the first string of every bucket by stream offset and by offset inside its
//    record (counting the record header), so positions are taken before the header is written out.
#include "controls/sheet/XlsBiff_p.h"

#include <algorithm>
#include <cassert>

namespace sheet::xls {

void AppendUtf16(std::u16string& out, std::string_view utf8, std::size_t maxUnits) {
    const std::size_t start = out.size();
    std::size_t at = 0;
    while (at < utf8.size()) {
        const auto b0 = static_cast<unsigned char>(utf8[at]);
        char32_t cp = 0xFFFD;
        std::size_t len = 1;
        auto cont = [&](std::size_t k) {
            return at + k < utf8.size() && (static_cast<unsigned char>(utf8[at + k]) & 0xC0) == 0x80;
        };
        auto bits = [&](std::size_t k) {
            return static_cast<char32_t>(utf8[at + k] & 0x3F);
        };
        if (b0 < 0x80) {
            cp = b0;
        } else if (b0 >= 0xC2 && b0 < 0xE0 && cont(1)) {
            cp = (static_cast<char32_t>(b0 & 0x1F) << 6) | bits(1);
            len = 2;
        } else if (b0 >= 0xE0 && b0 < 0xF0 && cont(1) && cont(2)) {
            const char32_t v = (static_cast<char32_t>(b0 & 0x0F) << 12) | (bits(1) << 6) | bits(2);
            if (v >= 0x800 && (v < 0xD800 || v > 0xDFFF)) {
                cp = v;
                len = 3;
            }
        } else if (b0 >= 0xF0 && b0 < 0xF5 && cont(1) && cont(2) && cont(3)) {
            const char32_t v =
                (static_cast<char32_t>(b0 & 0x07) << 18) | (bits(1) << 12) | (bits(2) << 6) | bits(3);
            if (v >= 0x10000 && v <= 0x10FFFF) {
                cp = v;
                len = 4;
            }
        }
        const std::size_t units = cp >= 0x10000 ? 2 : 1;
        if (out.size() - start + units > maxUnits) {
            break;
        }
        if (units == 2) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        at += len;
    }
}

std::u16string Utf16(std::string_view utf8, std::size_t maxUnits) {
    std::u16string out;
    AppendUtf16(out, utf8, maxUnits);
    return out;
}

namespace {

bool FitsLatin1(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(), [](char16_t ch) { return ch < 0x100; });
}

void PutChars(std::string& out, std::u16string_view text, bool latin1) {
    for (const char16_t ch : text) {
        if (latin1) {
            out += static_cast<char>(ch);
        } else {
            Put16(out, static_cast<std::uint16_t>(ch));
        }
    }
}

} // namespace

void PutString(std::string& out, std::u16string_view text, bool wideLength) {
    const bool latin1 = FitsLatin1(text);
    if (wideLength) {
        Put16(out, static_cast<std::uint16_t>(text.size()));
    } else {
        Put8(out, static_cast<std::uint8_t>(text.size()));
    }
    Put8(out, latin1 ? 0 : 1);
    PutChars(out, text, latin1);
}

bool BiffStream::Record(std::uint16_t id, std::string_view body) {
    // A body that does not fit is a layout error of the caller: every caller splits its data.
    assert(body.size() <= kMaxRecordData);
    char header[4] = {static_cast<char>(id & 0xFF), static_cast<char>(id >> 8),
                      static_cast<char>(body.size() & 0xFF), static_cast<char>(body.size() >> 8)};
    m_ok = m_out.Write(std::string_view(header, 4)) && m_out.Write(body) && m_ok;
    return m_ok;
}

bool BiffStream::Cell(std::uint16_t id, int row, int col, std::uint16_t xf, const void* tail,
                      std::size_t tailSize) {
    char rec[4 + 6 + 8];
    const std::size_t bodySize = 6 + tailSize;
    rec[0] = static_cast<char>(id & 0xFF);
    rec[1] = static_cast<char>(id >> 8);
    rec[2] = static_cast<char>(bodySize);
    rec[3] = 0;
    rec[4] = static_cast<char>(row & 0xFF);
    rec[5] = static_cast<char>((row >> 8) & 0xFF);
    rec[6] = static_cast<char>(col & 0xFF);
    rec[7] = static_cast<char>((col >> 8) & 0xFF);
    rec[8] = static_cast<char>(xf & 0xFF);
    rec[9] = static_cast<char>(xf >> 8);
    if (tailSize > 0) { // a blank cell has no tail, and memcpy from null is undefined even for 0 bytes
        std::memcpy(rec + 10, tail, tailSize);
    }
    m_ok = m_out.Write(std::string_view(rec, 4 + bodySize)) && m_ok;
    return m_ok;
}

void BiffStream::BeginSst(std::uint32_t total, std::uint32_t unique, std::uint32_t bucketSize) {
    m_sst.clear();
    m_sstId = kSst;
    m_bucketSize = std::max<std::uint32_t>(bucketSize, 1);
    m_strings = 0;
    m_buckets.clear();
    Put32(m_sst, total);
    Put32(m_sst, unique);
}

void BiffStream::FlushSstRecord() {
    Record(m_sstId, m_sst);
    m_sst.clear();
    m_sstId = kContinue;
}

void BiffStream::AddSstString(std::u16string_view text) {
    const bool latin1 = FitsLatin1(text);
    const std::size_t charSize = latin1 ? 1 : 2;
    if (m_sst.size() + 3 + charSize > kMaxRecordData) {
        FlushSstRecord();
    }
    if (m_strings % m_bucketSize == 0) {
        m_buckets.push_back({static_cast<std::uint32_t>(Position() + 4 + m_sst.size()),
                             static_cast<std::uint16_t>(4 + m_sst.size())});
    }
    ++m_strings;
    Put16(m_sst, static_cast<std::uint16_t>(text.size()));
    Put8(m_sst, latin1 ? 0 : 1);
    while (true) {
        const std::size_t room = (kMaxRecordData - m_sst.size()) / charSize;
        const std::size_t take = std::min(room, text.size());
        PutChars(m_sst, text.substr(0, take), latin1);
        text.remove_prefix(take);
        if (text.empty()) {
            break;
        }
        FlushSstRecord();
        Put8(m_sst, latin1 ? 0 : 1);
    }
}

bool BiffStream::EndSst() {
    FlushSstRecord();
    return m_ok;
}

} // namespace sheet::xls
