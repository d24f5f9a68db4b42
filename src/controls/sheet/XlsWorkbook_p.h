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

// Writes the whole workbook stream of a document: globals (XlsWorkbook.cpp), then one worksheet per
// chunk of rows (XlsSheet.cpp).
class WorkbookWriter {
public:
    // The worksheets are named after the file of `path`.
    WorkbookWriter(const SheetDocument& doc, CompoundFileWriter& file, const std::string& path)
        : m_doc(doc), m_file(file), m_out(file), m_path(path) {}
    // False when a write failed; the writer's errno says why.
    bool Write();

private:
    void PlanChunks();
    std::vector<bool> CollectStrings();
    std::uint32_t StringIndex(std::string_view text) const { return m_sstIndex.find(text)->second; }
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
    BiffStream m_out;
    const std::string& m_path;
    std::vector<Chunk> m_chunks;
    std::unordered_map<std::string_view, std::uint32_t> m_sstIndex;
    std::vector<std::string_view> m_sstStrings;
    std::deque<std::string> m_sstTexts; // what m_sstIndex and m_sstStrings view
    std::uint32_t m_sstTotal = 0;
    std::vector<std::uint64_t> m_sheetOffsetAt; // stream position of each BOUNDSHEET's offset field
};

} // namespace sheet::xls
