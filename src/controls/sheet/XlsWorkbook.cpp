// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Design notes for the workbook writer (this file: the workbook globals; XlsSheet.cpp: worksheets).
//
// 1. No per-cell objects, and each cell's value read once: a referred row's values are converted
//    from the grid on reading, which is most of an export's time. A first pass over the styles only
//    finds those in use; the worksheets then stream their cell records into a spool file, taking
//    each distinct text into the shared string table as it comes (a copy, as the view of a referred
//    row's text lasts one read). The table must precede the worksheets in the stream, so the globals
//    are written once it is complete and the spooled worksheets are appended after them.
// 2. A worksheet holds at most 65,536 rows. Longer documents go on in further worksheets, each
//    starting with the print title rows again, so every worksheet prints with its header; merges,
//    the print area and the titles are cut to and placed in each worksheet's rows.
// 3. Worksheet offsets in BOUNDSHEET are known only once the globals end; the records are written
//    with zeros and patched in place (their size is fixed, so nothing moves).
#include "controls/sheet/TempFile_p.h"
#include "controls/sheet/XlsWorkbook_p.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace sheet::xls {

namespace {

constexpr std::size_t kSpoolBufferBytes = 256 * 1024;

constexpr std::size_t kMaxSheetNameChars = 31;
constexpr std::uint8_t kBuiltinPrintArea = 0x06;
constexpr std::uint8_t kBuiltinPrintTitles = 0x07;

std::u16string SheetName(const std::string& path, std::size_t index) {
    std::string base = std::filesystem::path(path).stem().string();
    for (char& c : base) {
        if (std::strchr("[]:*?/\\", c) != nullptr) {
            c = '_';
        }
    }
    while (!base.empty() && base.front() == '\'') {
        base.erase(0, 1);
    }
    if (base.empty()) {
        base = "报表";
    }
    const std::u16string suffix = index == 0 ? u"" : Utf16(" (" + std::to_string(index + 1) + ")");
    std::u16string name = Utf16(base, kMaxSheetNameChars - suffix.size());
    while (!name.empty() && name.back() == u'\'') {
        name.pop_back();
    }
    return name + suffix;
}

} // namespace

SpoolFile::SpoolFile(const std::string& path) {
    std::string name;
    m_fd = MakeTempBeside(path, name);
    if (m_fd < 0) {
        m_errno = errno;
        return;
    }
    // Unlinked at once: the bytes vanish with the descriptor on every way out, a crash included.
    ::unlink(name.c_str());
    m_buffer.reserve(kSpoolBufferBytes);
}

SpoolFile::~SpoolFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool SpoolFile::Flush() {
    if (m_errno == 0) {
        m_errno = WriteFully(m_fd, m_size - m_buffer.size(), m_buffer);
    }
    m_buffer.clear();
    return m_errno == 0;
}

bool SpoolFile::Write(std::string_view bytes) {
    if (m_errno != 0) {
        return false;
    }
    m_buffer.append(bytes);
    m_size += bytes.size();
    return m_buffer.size() < kSpoolBufferBytes || Flush();
}

bool SpoolFile::CopyTo(StreamSink& out) {
    if (!Flush()) {
        return false;
    }
    m_buffer.resize(kSpoolBufferBytes);
    for (std::uint64_t at = 0; at < m_size;) {
        const ssize_t n =
            ::pread(m_fd, m_buffer.data(),
                    static_cast<std::size_t>(std::min<std::uint64_t>(m_buffer.size(), m_size - at)),
                    static_cast<off_t>(at));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            m_errno = n < 0 ? errno : EIO;
            return false;
        }
        if (!out.Write(std::string_view(m_buffer.data(), static_cast<std::size_t>(n)))) {
            return false;
        }
        at += static_cast<std::uint64_t>(n);
    }
    m_buffer.clear();
    return true;
}

void WorkbookWriter::PlanChunks() {
    const int rows = m_doc.SheetRowCount();
    const int titles = m_doc.GetPrintArea().titleRows;
    // Title blocks as tall as half a worksheet would leave too little room to repeat them.
    const int repeat = titles > 0 && titles <= kMaxSheetRows / 2 ? titles : 0;
    m_chunks.push_back({0, std::min(rows, kMaxSheetRows) - 1, 0});
    for (int first = kMaxSheetRows; first < rows;) {
        const int last = std::min(rows, first + (kMaxSheetRows - repeat)) - 1;
        m_chunks.push_back({first, last, repeat});
        first = last + 1;
    }
}

std::vector<bool> WorkbookWriter::UsedStyles() const {
    std::vector<bool> used(m_doc.StyleCount(), false);
    for (int row = 0; row < m_doc.SheetRowCount(); ++row) {
        for (int col = 0; col < m_doc.StoredColCount(row); ++col) {
            used[m_doc.StyleIndexAt(col, row)] = true;
        }
    }
    return used;
}

std::uint32_t WorkbookWriter::StringIndex(std::string_view text) {
    ++m_sstTotal;
    if (const auto found = m_sstIndex.find(text); found != m_sstIndex.end()) {
        return found->second;
    }
    // The table keeps its own copy: the view of a referred row's text lasts one read.
    const std::string_view owned = m_sstTexts.emplace_back(text);
    const auto index = static_cast<std::uint32_t>(m_sstStrings.size());
    m_sstIndex.emplace(owned, index);
    m_sstStrings.push_back(owned);
    return index;
}

bool WorkbookWriter::Write() {
    PlanChunks();
    const XlsStyleTable styles(m_doc, UsedStyles());
    for (std::size_t index = 0; index < m_chunks.size() && m_sheetOut.Ok(); ++index) {
        m_sheetStart.push_back(m_sheetOut.Position());
        WriteSheet(index, styles);
    }
    if (!m_sheetOut.Ok()) {
        return false;
    }
    WriteGlobals(styles);
    const std::uint64_t sheetsAt = m_out.Position();
    for (std::size_t index = 0; index < m_chunks.size(); ++index) {
        std::string offset;
        Put32(offset, static_cast<std::uint32_t>(sheetsAt + m_sheetStart[index]));
        m_file.Patch(m_sheetOffsetAt[index], offset);
    }
    return m_out.Ok() && m_spool.CopyTo(m_file);
}

void WorkbookWriter::WriteGlobals(const XlsStyleTable& styles) {
    std::string body;
    Put16(body, 0x0600); // BIFF8
    Put16(body, 0x0005); // workbook globals
    Put16(body, 0x0DBB);
    Put16(body, 0x07CC);
    Put32(body, 0);
    Put32(body, 0x00000006);
    m_out.Record(kBof, body);
    body.clear();
    Put16(body, 1200); // texts are UTF-16
    m_out.Record(kCodePage, body);
    body.clear();
    for (const std::uint16_t v : {0x0000, 0x0000, 0x4000, 0x2000, 0x0038, 0x0000, 0x0000, 0x0001, 0x0258}) {
        Put16(body, v);
    }
    m_out.Record(kWindow1, body);
    body.clear();
    Put16(body, 0); // 1900 date system
    m_out.Record(kDateMode, body);
    body.clear();
    Put16(body, 1);
    m_out.Record(kPrecision, body);
    styles.Write(m_out);
    for (std::size_t index = 0; index < m_chunks.size(); ++index) {
        body.clear();
        Put32(body, 0); // patched when the worksheet starts
        Put8(body, 0);  // visible
        Put8(body, 0);  // worksheet
        PutString(body, SheetName(m_path, index), false);
        m_sheetOffsetAt.push_back(m_out.Position() + 4);
        m_out.Record(kBoundSheet, body);
    }
    WriteNames();
    WriteSst();
    m_out.Record(kEof, {});
}

std::string WorkbookWriter::AreaToken(int r1, int r2, int c1, int c2, std::uint16_t ixti) const {
    std::string token;
    Put8(token, 0x3B); // tArea3d, reference class
    Put16(token, ixti);
    Put16(token, static_cast<std::uint16_t>(r1));
    Put16(token, static_cast<std::uint16_t>(r2));
    Put16(token, static_cast<std::uint16_t>(c1)); // absolute: no relative bits
    Put16(token, static_cast<std::uint16_t>(c2));
    return token;
}

void WorkbookWriter::WriteName(std::uint8_t builtin, std::uint16_t sheet, const std::string& formula) {
    std::string body;
    Put16(body, 0x0020); // built-in name
    Put8(body, 0);
    Put8(body, 1); // a built-in name is one code
    Put16(body, static_cast<std::uint16_t>(formula.size()));
    Put16(body, 0);
    Put16(body, static_cast<std::uint16_t>(sheet + 1)); // local to the worksheet, 1-based
    Put32(body, 0);                                     // no menu, description, help or status texts
    Put8(body, 0);
    Put8(body, builtin);
    body += formula;
    m_out.Record(kName, body);
}

bool WorkbookWriter::PrintAreaOf(const Chunk& chunk, int& r1, int& r2) const {
    const PrintArea& p = m_doc.GetPrintArea();
    if (!p.IsSet() || p.r2 < chunk.first || p.r1 > chunk.last) {
        return false;
    }
    // Where the area began on an earlier worksheet it begins here below the repeated titles.
    r1 = p.r1 < chunk.first ? chunk.titleRows : chunk.titleRows + (p.r1 - chunk.first);
    r2 = chunk.titleRows + (std::min(p.r2, chunk.last) - chunk.first);
    return true;
}

void WorkbookWriter::WriteNames() {
    const PrintArea& p = m_doc.GetPrintArea();
    const int cols = std::max(m_doc.SheetColCount(), 1);
    const int titleRows = std::min(p.titleRows, kMaxSheetRows);
    const int titleCols = std::min(p.titleCols, kMaxSheetCols);
    bool any = titleRows > 0 || titleCols > 0;
    for (const Chunk& chunk : m_chunks) {
        int r1 = 0, r2 = 0;
        any = any || PrintAreaOf(chunk, r1, r2);
    }
    if (!any) {
        return;
    }
    const auto sheets = static_cast<std::uint16_t>(m_chunks.size());
    std::string body;
    Put16(body, sheets);
    Put16(body, 0x0401); // references inside this workbook
    m_out.Record(kSupBook, body);
    body.clear();
    Put16(body, sheets);
    for (std::uint16_t sheet = 0; sheet < sheets; ++sheet) {
        Put16(body, 0);
        Put16(body, sheet);
        Put16(body, sheet);
    }
    m_out.Record(kExternSheet, body);
    for (std::uint16_t sheet = 0; sheet < sheets; ++sheet) {
        int r1 = 0, r2 = 0;
        if (PrintAreaOf(m_chunks[sheet], r1, r2)) {
            WriteName(kBuiltinPrintArea, sheet,
                      AreaToken(r1, r2, p.c1, std::min(std::max(p.c2, p.c1), cols - 1), sheet));
        }
        const std::string rows = AreaToken(0, titleRows - 1, 0, kMaxSheetCols - 1, sheet);
        const std::string columns = AreaToken(0, kMaxSheetRows - 1, 0, titleCols - 1, sheet);
        if (titleRows > 0 && titleCols > 0) {
            // Two ranges: a union (tList) inside tMemFunc, which tells readers how long it is.
            std::string formula;
            Put8(formula, 0x29);
            Put16(formula, static_cast<std::uint16_t>(columns.size() + rows.size() + 1));
            formula += columns;
            formula += rows;
            Put8(formula, 0x10);
            WriteName(kBuiltinPrintTitles, sheet, formula);
        } else if (titleRows > 0 || titleCols > 0) {
            WriteName(kBuiltinPrintTitles, sheet, titleRows > 0 ? rows : columns);
        }
    }
}

void WorkbookWriter::WriteSst() {
    const auto unique = static_cast<std::uint32_t>(m_sstStrings.size());
    // EXTSST holds at most 128 buckets.
    const std::uint32_t bucketSize = std::max<std::uint32_t>(8, (unique + 127) / 128);
    m_out.BeginSst(m_sstTotal, unique, bucketSize);
    std::u16string wide;
    for (const std::string_view text : m_sstStrings) {
        wide.clear();
        AppendUtf16(wide, text, kMaxCellChars);
        m_out.AddSstString(wide);
    }
    m_out.EndSst();
    std::string body;
    Put16(body, static_cast<std::uint16_t>(bucketSize));
    for (const BiffStream::SstBucket& bucket : m_out.SstBuckets()) {
        Put32(body, bucket.streamPos);
        Put16(body, bucket.recordOffset);
        Put16(body, 0);
    }
    m_out.Record(kExtSst, body);
}

} // namespace sheet::xls
