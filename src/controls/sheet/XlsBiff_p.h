// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/CompoundFile_p.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace sheet::xls {

// Record identifiers of the workbook stream, by their names in the format's documentation.
enum RecordId : std::uint16_t {
    kEof = 0x000A,
    kPrecision = 0x000E,
    kFooter = 0x0015,
    kExternSheet = 0x0017,
    kName = 0x0018,
    kDateMode = 0x0022,
    kLeftMargin = 0x0026,
    kRightMargin = 0x0027,
    kTopMargin = 0x0028,
    kBottomMargin = 0x0029,
    kPrintHeaders = 0x002A,
    kPrintGridlines = 0x002B,
    kFont = 0x0031,
    kContinue = 0x003C,
    kWindow1 = 0x003D,
    kCodePage = 0x0042,
    kDefColWidth = 0x0055,
    kColInfo = 0x007D,
    kGuts = 0x0080,
    kWsBool = 0x0081,
    kGridSet = 0x0082,
    kHCenter = 0x0083,
    kVCenter = 0x0084,
    kBoundSheet = 0x0085,
    kPalette = 0x0092,
    kSetup = 0x00A1,
    kXf = 0x00E0,
    kMergedCells = 0x00E5,
    kSst = 0x00FC,
    kLabelSst = 0x00FD,
    kExtSst = 0x00FF,
    kSupBook = 0x01AE,
    kDimensions = 0x0200,
    kBlank = 0x0201,
    kNumber = 0x0203,
    kRow = 0x0208,
    kWindow2 = 0x023E,
    kRk = 0x027E,
    kStyle = 0x0293,
    kDefaultRowHeight = 0x0225,
    kFormat = 0x041E,
    kBof = 0x0809,
};

// Longest record body; longer data goes on in CONTINUE records.
inline constexpr std::size_t kMaxRecordData = 8224;
// Longest text of a cell, in UTF-16 units; longer ones are cut.
inline constexpr std::size_t kMaxCellChars = 32767;

// Little-endian appenders for record bodies.
inline void Put8(std::string& out, std::uint8_t v) {
    out += static_cast<char>(v);
}
inline void Put16(std::string& out, std::uint16_t v) {
    const char b[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    out.append(b, 2);
}
inline void Put32(std::string& out, std::uint32_t v) {
    Put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    Put16(out, static_cast<std::uint16_t>(v >> 16));
}
inline void PutDouble(std::string& out, double v) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    Put32(out, static_cast<std::uint32_t>(bits));
    Put32(out, static_cast<std::uint32_t>(bits >> 32));
}

// UTF-8 to UTF-16, each byte that starts no valid sequence read as U+FFFD; at most maxUnits units
// (a surrogate pair is never split).
void AppendUtf16(std::u16string& out, std::string_view utf8, std::size_t maxUnits = std::u16string::npos);
std::u16string Utf16(std::string_view utf8, std::size_t maxUnits = std::u16string::npos);
// The format's Unicode string: length (1 or 2 bytes), a flags byte, then Latin-1 bytes when every
// unit fits in one byte, else UTF-16LE.
void PutString(std::string& out, std::u16string_view text, bool wideLength);

// The workbook stream as records. Every record size and CONTINUE rule is kept here and nowhere
// else; callers hand over bodies that fit one record, except the shared string table, which this
// class splits itself.
class BiffStream {
public:
    explicit BiffStream(StreamSink& out) : m_out(out) {}

    std::uint64_t Position() const { return m_out.Position(); }
    // False once any write failed; the failure is sticky.
    bool Ok() const { return m_ok; }
    bool Record(std::uint16_t id, std::string_view body);
    // The hot path for cell records: no allocation.
    bool Cell(std::uint16_t id, int row, int col, std::uint16_t xf, const void* tail, std::size_t tailSize);

    // One bucket of the index that EXTSST holds: where the bucket's first string starts.
    struct SstBucket {
        std::uint32_t streamPos;
        std::uint16_t recordOffset;
    };
    void BeginSst(std::uint32_t total, std::uint32_t unique, std::uint32_t bucketSize);
    void AddSstString(std::u16string_view text);
    bool EndSst();
    const std::vector<SstBucket>& SstBuckets() const { return m_buckets; }

private:
    void FlushSstRecord();

    StreamSink& m_out;
    std::string m_sst; // body of the SST or CONTINUE record being filled
    std::uint16_t m_sstId = kSst;
    std::uint32_t m_bucketSize = 8;
    std::uint32_t m_strings = 0;
    std::vector<SstBucket> m_buckets;
    bool m_ok = true;
};

} // namespace sheet::xls
