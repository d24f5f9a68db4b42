// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// One worksheet: page set-up, column widths, rows in blocks of 32 (ROW records, then the block's
// cells, as programs of the format write them), window settings and merges. Rows are local to the
// worksheet; Chunk maps them to the document's.
#include "controls/sheet/XlsWorkbook_p.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace sheet::xls {

namespace {

constexpr std::size_t kMaxFooterChars = 255;
constexpr std::size_t kMaxMergesPerRecord = 1026;
constexpr int kRowBlock = 32;
constexpr double kTwipsPerPx = 15; // 96 dpi
constexpr std::uint16_t kDefaultRowTwips = kDefaultRowHeightPx * 15;
// Column widths are 1/256 of the default font's digit width, 7 pixels, padding included.
constexpr double kPxPerChar = 7;

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

} // namespace

void WorkbookWriter::WritePageSetup() {
    const PageSetup& ps = m_doc.GetPageSetup();
    const bool fit = ps.fitWide > 0 || ps.fitTall > 0;
    std::string body;
    Put16(body, 0);
    m_sheetOut.Record(kPrintHeaders, body);
    m_sheetOut.Record(kPrintGridlines, body);
    body.clear();
    Put16(body, 1);
    m_sheetOut.Record(kGridSet, body);
    body.assign(8, '\0');
    m_sheetOut.Record(kGuts, body);
    body.clear();
    Put16(body, 0);
    Put16(body, kDefaultRowTwips);
    m_sheetOut.Record(kDefaultRowHeight, body);
    body.clear();
    Put16(body, static_cast<std::uint16_t>(0x04C1 | (fit ? 0x0100 : 0)));
    m_sheetOut.Record(kWsBool, body);
    const std::u16string footer = Utf16(FooterText(m_doc.GetPageLine()), kMaxFooterChars);
    body.clear();
    if (!footer.empty()) {
        PutString(body, footer, true);
    }
    m_sheetOut.Record(kFooter, body);
    body.clear();
    Put16(body, ps.centreHorizontally ? 1 : 0);
    m_sheetOut.Record(kHCenter, body);
    body.clear();
    Put16(body, ps.centreVertically ? 1 : 0);
    m_sheetOut.Record(kVCenter, body);
    const std::pair<std::uint16_t, double> margins[] = {{kLeftMargin, ps.marginLeftMm},
                                                        {kRightMargin, ps.marginRightMm},
                                                        {kTopMargin, ps.marginTopMm},
                                                        {kBottomMargin, ps.marginBottomMm}};
    for (const auto& [id, mm] : margins) {
        body.clear();
        PutDouble(body, mm / 25.4);
        m_sheetOut.Record(id, body);
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
    m_sheetOut.Record(kSetup, body);
}

void WorkbookWriter::WriteSheet(std::size_t index, const XlsStyleTable& styles) {
    const Chunk& chunk = m_chunks[index];
    std::string body;
    Put16(body, 0x0600);
    Put16(body, 0x0010); // worksheet
    Put16(body, 0x0DBB);
    Put16(body, 0x07CC);
    Put32(body, 0);
    Put32(body, 0x00000006);
    m_sheetOut.Record(kBof, body);
    WritePageSetup();

    body.clear();
    Put16(body, 8);
    m_sheetOut.Record(kDefColWidth, body);
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
        m_sheetOut.Record(kColInfo, body);
    }
    const int rows = chunk.LocalRows();
    body.clear();
    Put32(body, 0);
    Put32(body, static_cast<std::uint32_t>(cols > 0 ? rows : 0));
    Put16(body, 0);
    Put16(body, static_cast<std::uint16_t>(rows > 0 ? cols : 0));
    Put16(body, 0);
    m_sheetOut.Record(kDimensions, body);
    WriteRows(chunk, styles);

    body.clear();
    Put16(body, index == 0 ? 0x06B6 : 0x00B6); // the first worksheet is selected and active
    Put16(body, 0);
    Put16(body, 0);
    Put16(body, 0x40); // grid line colour: automatic
    for (int i = 0; i < 5; ++i) {
        Put16(body, 0);
    }
    m_sheetOut.Record(kWindow2, body);
    WriteMerges(chunk);
    m_sheetOut.Record(kEof, {});
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
            m_sheetOut.Record(kRow, body);
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
                        m_sheetOut.Cell(kRk, local, col, xf, &rk, sizeof rk); // little-endian host
                    } else {
                        m_sheetOut.Cell(kNumber, local, col, xf, &number, sizeof number);
                    }
                } else if (kind == 2) {
                    const std::uint32_t sst = StringIndex(text);
                    m_sheetOut.Cell(kLabelSst, local, col, xf, &sst, sizeof sst);
                } else if (styles.ShowsWhenEmpty(style)) {
                    m_sheetOut.Cell(kBlank, local, col, xf, nullptr, 0);
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
        m_sheetOut.Record(kMergedCells, body);
    }
}

} // namespace sheet::xls
