// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Design notes for the workbook writer.
//
// 1. Two passes over the cells, no per-cell objects: the first collects the distinct texts (views
//    into the document's own text arena, valid because the document is const throughout) and the
//    styles in use; the second streams the cell records. The shared string table must precede the
//    worksheets, which is why the texts are known first.
// 2. A worksheet holds at most 65,536 rows. Longer documents go on in further worksheets, each
//    starting with the print title rows again, so every worksheet prints with its header; merges,
//    the print area and the titles are cut to and placed in each worksheet's rows.
// 3. Worksheet offsets in BOUNDSHEET are known only when each worksheet starts; the records are
//    written with zeros and patched in place (their size is fixed, so nothing moves).
// 4. The stream goes to a temporary file beside the target and is renamed over it only when every
//    byte and the container's tables are written; any failure unlinks the temporary file.
#include "controls/sheet/CompoundFile_p.h"
#include "controls/sheet/SheetDocument.h"
#include "controls/sheet/TempFile_p.h"
#include "controls/sheet/XlsBiff_p.h"
#include "controls/sheet/XlsStyles_p.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace sheet {

namespace {

using namespace xls;

constexpr int kMaxSheetRows = 65536;
constexpr int kMaxSheetCols = 256;
constexpr std::size_t kMaxSheetNameChars = 31;
constexpr std::size_t kMaxFooterChars = 255;
constexpr std::size_t kMaxMergesPerRecord = 1026;
constexpr int kRowBlock = 32;
constexpr double kTwipsPerPx = 15; // 96 dpi
constexpr std::uint16_t kDefaultRowTwips = kDefaultRowHeightPx * 15;
// Column widths are 1/256 of the default font's digit width, 7 pixels, padding included.
constexpr double kPxPerChar = 7;
constexpr std::uint8_t kBuiltinPrintArea = 0x06;
constexpr std::uint8_t kBuiltinPrintTitles = 0x07;

// Rows [first, last] of the document, placed below `titleRows` repeated title rows.
struct Chunk {
    int first = 0;
    int last = -1;
    int titleRows = 0;
    int LocalRows() const { return titleRows + (last - first + 1); }
    int DocRow(int local) const { return local < titleRows ? local : first + (local - titleRows); }
};

int PaperCode(Paper paper) {
    switch (paper) {
    case Paper::A3:
        return 8;
    case Paper::A5:
        return 11;
    case Paper::B4:
        return 12;
    case Paper::B5:
        return 13;
    case Paper::Letter:
        return 1;
    case Paper::Legal:
        return 5;
    case Paper::A4:
        break;
    }
    return 9;
}

// The page line's codes in footer syntax: &P stays, our page count &S is &N, a lone & doubles.
std::string FooterText(const PageLine& line) {
    auto convert = [](std::string& out, const std::string& text) {
        for (std::size_t at = 0; at < text.size(); ++at) {
            const char next = at + 1 < text.size() ? text[at + 1] : '\0';
            if (text[at] != '&') {
                out += text[at];
            } else if (next == 'P' || next == 'p') {
                out += "&P";
                ++at;
            } else if (next == 'S' || next == 's') {
                out += "&N";
                ++at;
            } else {
                out += "&&";
                at += next == '&' ? 1 : 0;
            }
        }
    };
    std::string out;
    const std::pair<const char*, const std::string*> parts[] = {
        {"&L", &line.left}, {"&C", &line.centre}, {"&R", &line.right}};
    for (const auto& [code, text] : parts) {
        if (!text->empty()) {
            out += code;
            convert(out, *text);
        }
    }
    return out;
}

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

// RK packs integers of 30 bits and doubles whose low 34 bits are zero, each optionally times 100;
// anything else needs a full NUMBER record.
bool ToRk(double value, std::uint32_t& rk) {
    auto asInt = [](double v, std::uint32_t flags, std::uint32_t& out) {
        if (v >= -536870912.0 && v <= 536870911.0 && v == std::floor(v)) {
            out = (static_cast<std::uint32_t>(static_cast<std::int32_t>(v)) << 2) | flags;
            return true;
        }
        return false;
    };
    if (asInt(value, 2, rk)) {
        return true;
    }
    const double scaled = value * 100;
    if (asInt(scaled, 3, rk) && static_cast<double>(static_cast<std::int32_t>(scaled)) / 100 == value) {
        return true;
    }
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    if ((bits & 0x3FFFFFFFFull) == 0) {
        rk = static_cast<std::uint32_t>(bits >> 32);
        return true;
    }
    return false;
}

class WorkbookWriter {
public:
    WorkbookWriter(const SheetDocument& doc, CompoundFileWriter& file, const std::string& path)
        : m_doc(doc), m_file(file), m_out(file), m_path(path) {}
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
    std::uint32_t m_sstTotal = 0;
    std::vector<std::uint64_t> m_sheetOffsetAt; // stream position of each BOUNDSHEET's offset field
};

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

std::vector<bool> WorkbookWriter::CollectStrings() {
    std::vector<bool> used(m_doc.StyleCount(), false);
    std::uint32_t titleTexts = 0;
    for (int row = 0; row < m_doc.SheetRowCount(); ++row) {
        for (int col = 0; col < m_doc.SheetColCount(); ++col) {
            double number = 0;
            std::string_view text;
            const int kind = m_doc.PeekCell(col, row, number, text);
            used[m_doc.StyleIndexAt(col, row)] = true;
            if (kind != 2) {
                continue;
            }
            ++m_sstTotal;
            titleTexts += row < (m_chunks.size() > 1 ? m_chunks[1].titleRows : 0) ? 1 : 0;
            const auto [it, added] =
                m_sstIndex.try_emplace(text, static_cast<std::uint32_t>(m_sstStrings.size()));
            if (added) {
                m_sstStrings.push_back(text);
            }
        }
    }
    m_sstTotal += titleTexts * static_cast<std::uint32_t>(m_chunks.size() - 1);
    return used;
}

bool WorkbookWriter::Write() {
    PlanChunks();
    const std::vector<bool> used = CollectStrings();
    const XlsStyleTable styles(m_doc, used);
    WriteGlobals(styles);
    for (std::size_t index = 0; index < m_chunks.size(); ++index) {
        WriteSheet(index, styles);
    }
    return m_out.Record(kEof, {}); // false when any write failed: errors are sticky
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

void WorkbookWriter::WritePageSetup() {
    const PageSetup& ps = m_doc.GetPageSetup();
    const bool fit = ps.fitWide > 0 || ps.fitTall > 0;
    std::string body;
    Put16(body, 0);
    m_out.Record(kPrintHeaders, body);
    m_out.Record(kPrintGridlines, body);
    body.clear();
    Put16(body, 1);
    m_out.Record(kGridSet, body);
    body.assign(8, '\0');
    m_out.Record(kGuts, body);
    body.clear();
    Put16(body, 0);
    Put16(body, kDefaultRowTwips);
    m_out.Record(kDefaultRowHeight, body);
    body.clear();
    Put16(body, static_cast<std::uint16_t>(0x04C1 | (fit ? 0x0100 : 0)));
    m_out.Record(kWsBool, body);
    const std::u16string footer = Utf16(FooterText(m_doc.GetPageLine()), kMaxFooterChars);
    body.clear();
    if (!footer.empty()) {
        PutString(body, footer, true);
    }
    m_out.Record(kFooter, body);
    body.clear();
    Put16(body, ps.centreHorizontally ? 1 : 0);
    m_out.Record(kHCenter, body);
    body.clear();
    Put16(body, ps.centreVertically ? 1 : 0);
    m_out.Record(kVCenter, body);
    const std::pair<std::uint16_t, double> margins[] = {{kLeftMargin, ps.marginLeftMm},
                                                        {kRightMargin, ps.marginRightMm},
                                                        {kTopMargin, ps.marginTopMm},
                                                        {kBottomMargin, ps.marginBottomMm}};
    for (const auto& [id, mm] : margins) {
        body.clear();
        PutDouble(body, mm / 25.4);
        m_out.Record(id, body);
    }
    body.clear();
    Put16(body, static_cast<std::uint16_t>(PaperCode(ps.paper)));
    Put16(body, static_cast<std::uint16_t>(ps.scalePercent));
    Put16(body, 1); // first page number
    Put16(body, static_cast<std::uint16_t>(ps.fitWide));
    Put16(body, static_cast<std::uint16_t>(ps.fitTall));
    Put16(body, ps.landscape ? 0x0000 : 0x0002);
    Put16(body, 600);
    Put16(body, 600);
    PutDouble(body, 0.5); // header and footer distances from the edge, inches
    PutDouble(body, 0.5);
    Put16(body, 1); // copies
    m_out.Record(kSetup, body);
}

void WorkbookWriter::WriteSheet(std::size_t index, const XlsStyleTable& styles) {
    const Chunk& chunk = m_chunks[index];
    std::string body;
    Put32(body, static_cast<std::uint32_t>(m_out.Position()));
    m_file.Patch(m_sheetOffsetAt[index], body);
    body.clear();
    Put16(body, 0x0600);
    Put16(body, 0x0010); // worksheet
    Put16(body, 0x0DBB);
    Put16(body, 0x07CC);
    Put32(body, 0);
    Put32(body, 0x00000006);
    m_out.Record(kBof, body);
    WritePageSetup();

    body.clear();
    Put16(body, 8);
    m_out.Record(kDefColWidth, body);
    const int cols = m_doc.SheetColCount();
    for (int col = 0; col < cols; ++col) {
        int px = 0;
        m_doc.GetColWidth(col, px);
        // A hidden column keeps the default width, so unhiding it in a spreadsheet program shows it.
        const double widthPx = px == 0 ? kDefaultColWidthPx : px;
        body.clear();
        Put16(body, static_cast<std::uint16_t>(col));
        Put16(body, static_cast<std::uint16_t>(col));
        Put16(body, static_cast<std::uint16_t>(std::lround(widthPx * 256 / kPxPerChar)));
        Put16(body, kFirstCellXf);
        Put16(body, static_cast<std::uint16_t>(0x0002 | (px == 0 ? 0x0001 : 0))); // user-set, hidden
        Put16(body, 0);
        m_out.Record(kColInfo, body);
    }
    const int rows = chunk.LocalRows();
    body.clear();
    Put32(body, 0);
    Put32(body, static_cast<std::uint32_t>(cols > 0 ? rows : 0));
    Put16(body, 0);
    Put16(body, static_cast<std::uint16_t>(rows > 0 ? cols : 0));
    Put16(body, 0);
    m_out.Record(kDimensions, body);
    WriteRows(chunk, styles);

    body.clear();
    Put16(body, index == 0 ? 0x06B6 : 0x00B6); // the first worksheet is selected and active
    Put16(body, 0);
    Put16(body, 0);
    Put16(body, 0x40); // grid line colour: automatic
    for (int i = 0; i < 5; ++i) {
        Put16(body, 0);
    }
    m_out.Record(kWindow2, body);
    WriteMerges(chunk);
    m_out.Record(kEof, {});
}

void WorkbookWriter::WriteRows(const Chunk& chunk, const XlsStyleTable& styles) {
    const int rows = chunk.LocalRows();
    const int cols = m_doc.SheetColCount();
    std::string rowRecords;
    for (int blockStart = 0; blockStart < rows; blockStart += kRowBlock) {
        const int blockEnd = std::min(rows, blockStart + kRowBlock);
        rowRecords.clear();
        for (int local = blockStart; local < blockEnd; ++local) {
            int px = 0;
            m_doc.GetRowHeight(chunk.DocRow(local), px);
            std::uint16_t flags = 0x0100;
            if (px != kDefaultRowHeightPx) {
                flags |= 0x0040; // height set by the user, not from the fonts
            }
            if (px == 0) {
                flags |= 0x0020; // hidden
            }
            std::string body;
            Put16(body, static_cast<std::uint16_t>(local));
            Put16(body, 0);
            Put16(body, static_cast<std::uint16_t>(cols));
            Put16(body, static_cast<std::uint16_t>(
                            std::lround((px == 0 ? kDefaultRowHeightPx : px) * kTwipsPerPx)));
            Put32(body, 0);
            Put16(body, flags);
            Put16(body, kFirstCellXf);
            m_out.Record(kRow, body);
        }
        for (int local = blockStart; local < blockEnd; ++local) {
            const int row = chunk.DocRow(local);
            for (int col = 0; col < cols; ++col) {
                double number = 0;
                std::string_view text;
                const int kind = m_doc.PeekCell(col, row, number, text);
                const std::uint32_t style = m_doc.StyleIndexAt(col, row);
                const std::uint16_t xf = styles.XfOf(style);
                if (kind == 1) {
                    std::uint32_t rk = 0;
                    if (ToRk(number, rk)) {
                        m_out.Cell(kRk, local, col, xf, &rk, sizeof rk); // little-endian host
                    } else {
                        m_out.Cell(kNumber, local, col, xf, &number, sizeof number);
                    }
                } else if (kind == 2) {
                    const std::uint32_t sst = StringIndex(text);
                    m_out.Cell(kLabelSst, local, col, xf, &sst, sizeof sst);
                } else if (styles.ShowsWhenEmpty(style)) {
                    m_out.Cell(kBlank, local, col, xf, nullptr, 0);
                }
            }
        }
    }
}

void WorkbookWriter::WriteMerges(const Chunk& chunk) {
    std::vector<MergeRange> local;
    auto add = [&local](int c1, int r1, int c2, int r2) {
        if (r1 <= r2 && (r1 != r2 || c1 != c2)) {
            local.push_back({c1, r1, c2, r2});
        }
    };
    for (const MergeRange& m : m_doc.Merges()) {
        if (chunk.titleRows > 0 && m.r1 < chunk.titleRows) {
            add(m.c1, m.r1, m.c2, std::min(m.r2, chunk.titleRows - 1));
        }
        if (m.r2 >= chunk.first && m.r1 <= chunk.last) {
            add(m.c1, chunk.titleRows + (std::max(m.r1, chunk.first) - chunk.first), m.c2,
                chunk.titleRows + (std::min(m.r2, chunk.last) - chunk.first));
        }
    }
    for (std::size_t start = 0; start < local.size(); start += kMaxMergesPerRecord) {
        const std::size_t count = std::min(kMaxMergesPerRecord, local.size() - start);
        std::string body;
        Put16(body, static_cast<std::uint16_t>(count));
        for (std::size_t i = start; i < start + count; ++i) {
            Put16(body, static_cast<std::uint16_t>(local[i].r1));
            Put16(body, static_cast<std::uint16_t>(local[i].r2));
            Put16(body, static_cast<std::uint16_t>(local[i].c1));
            Put16(body, static_cast<std::uint16_t>(local[i].c2));
        }
        m_out.Record(kMergedCells, body);
    }
}

// Reasons in the user's language for what usually goes wrong; anything rarer keeps the system's text.
std::string Reason(int err) {
    switch (err) {
    case ENOENT:
        return "文件夹不存在";
    case ENOTDIR:
        return "路径中有一项不是文件夹";
    case EACCES:
    case EPERM:
        return "没有写入权限";
    case EROFS:
        return "磁盘只读";
    case ENOSPC:
    case EDQUOT:
        return "磁盘已满";
    case EFBIG:
        return "文件过大";
    case EISDIR:
        return "同名的文件夹已存在";
    default:
        return std::strerror(err);
    }
}

LoadError Failure(const std::string& path, const char* code, const char* what, int err) {
    LoadError error;
    error.file = path;
    error.code = code;
    error.message = what;
    error.message += "“";
    error.message += path;
    error.message += "”：";
    error.message += Reason(err);
    return error;
}

} // namespace

bool SheetDocument::ExportExcel(const std::string& path) {
    m_lastError = {};
    if (m_cols > kMaxSheetCols) {
        m_lastError.file = path;
        m_lastError.code = "too-many-columns";
        m_lastError.message = "无法导出“";
        m_lastError.message += path;
        m_lastError.message += "”：Excel 97-2003 工作簿最多 256 列，本表有 ";
        m_lastError.message += std::to_string(m_cols);
        m_lastError.message += " 列";
        return false;
    }
    std::string tmp = TempPatternBeside(path);
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0) {
        m_lastError = Failure(path, "cannot-create", "无法创建文件", errno);
        return false;
    }
    // mkstemp makes the file private to the user; an exported workbook is an ordinary document.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0644 & ~mask);
    CompoundFileWriter file(fd, u"Workbook");
    bool ok = WorkbookWriter(*this, file, path).Write() && file.Finish();
    int err = file.Errno();
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(tmp.c_str());
        m_lastError = Failure(path, "write-failed", "写入文件失败", err != 0 ? err : EIO);
        return false;
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        err = errno;
        ::unlink(tmp.c_str());
        m_lastError = Failure(path, "cannot-rename", "无法替换文件", err);
        return false;
    }
    return true;
}

} // namespace sheet
