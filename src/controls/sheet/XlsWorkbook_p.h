// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/CompoundFile_p.h"
#include "controls/sheet/SheetDocument.h"
#include "controls/sheet/XlsBiff_p.h"
#include "controls/sheet/XlsStyles_p.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace sheet::xls {

inline constexpr int kMaxSheetRows = 65536;
inline constexpr int kMaxSheetCols = 256;

// Rows [first, last] of the document, placed below `titleRows` repeated title rows.
struct Chunk {
    int first = 0;
    int last = -1;
    int titleRows = 0;
    int LocalRows() const { return titleRows + (last - first + 1); }
    int DocRow(int local) const { return local < titleRows ? local : first + (local - titleRows); }
};

// Bytes kept for later in an unlinked temporary file beside a path, then appended to a stream in
// the order written: however many there are, memory holds one buffer of them.
class SpoolFile final : public StreamSink {
public:
    explicit SpoolFile(const std::string& path);
    ~SpoolFile() override;
    SpoolFile(const SpoolFile&) = delete;
    SpoolFile& operator=(const SpoolFile&) = delete;

    bool Write(std::string_view bytes) override;
    std::uint64_t Position() const override { return m_size; }
    // Writes every byte spooled to `out`; false when a read or a write failed.
    bool CopyTo(StreamSink& out);
    // Why the spool failed, 0 when it did not.
    int Errno() const { return m_errno; }

private:
    bool Flush();

    int m_fd = -1;
    std::string m_buffer; // bytes not yet in the file
    std::uint64_t m_size = 0;
    int m_errno = 0;
};

// Writes the whole workbook stream of a document: globals (XlsWorkbook.cpp), then one worksheet per
// chunk of rows (XlsSheet.cpp). The worksheets are written first, to a spool: the shared strings
// they use are known only once every cell was read, and the globals holding them come first. So a
// referred row's values are converted once, not once for the strings and again for the cells.
class WorkbookWriter {
public:
    // The worksheets are named after the file of `path`; the spool lies beside it.
    WorkbookWriter(const SheetDocument& doc, CompoundFileWriter& file, const std::string& path)
        : m_doc(doc), m_file(file), m_out(file), m_spool(path), m_sheetOut(m_spool), m_path(path) {}
    // False when a write failed; Errno says why when the spool failed, the file's errno else.
    bool Write();
    int Errno() const { return m_spool.Errno(); }

private:
    void PlanChunks();
    std::vector<bool> UsedStyles() const;
    // The text's index in the shared string table, added when new; counts every use.
    std::uint32_t StringIndex(std::string_view text);
    void WriteGlobals(const XlsStyleTable& styles);
    void WriteNames();
    std::string AreaToken(int r1, int r2, int c1, int c2, std::uint16_t ixti) const;
    void WriteName(std::uint8_t builtin, std::uint16_t sheet, const std::string& formula);
    void WriteSst();
    void WriteSheet(std::size_t index, const XlsStyleTable& styles);
    void WritePageSetup();
    void WriteRows(const Chunk& chunk, const XlsStyleTable& styles);
    void WriteMerges(const Chunk& chunk);
    bool PrintAreaOf(const Chunk& chunk, int& r1, int& r2) const;

    const SheetDocument& m_doc;
    CompoundFileWriter& m_file;
    BiffStream m_out; // the workbook stream: globals, then the spooled worksheets
    SpoolFile m_spool;
    BiffStream m_sheetOut; // the worksheets, into the spool
    const std::string& m_path;
    std::vector<Chunk> m_chunks;
    std::unordered_map<std::string_view, std::uint32_t> m_sstIndex;
    std::vector<std::string_view> m_sstStrings;
    std::deque<std::string> m_sstTexts; // what m_sstIndex and m_sstStrings view
    std::uint32_t m_sstTotal = 0;
    std::vector<std::uint64_t> m_sheetOffsetAt; // stream position of each BOUNDSHEET's offset field
    std::vector<std::uint64_t> m_sheetStart;    // spool position of each worksheet's BOF
};

} // namespace sheet::xls
