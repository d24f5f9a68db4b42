// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/sheet/CllText_p.h"
#include "controls/sheet/XlsxCommon_p.h"
#include "vb/Colour.h"
#include "vb/Strings.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace sheet::xlsx {

std::string CleanUtf8(std::string_view text) {
    return vb::ToValidUtf8(text);
}

int BorderStyleFromName(std::string_view name) {
    for (int style = 1; style < kBorderStyleCount; ++style) {
        if (kBorderNames[style] == name) {
            return style;
        }
    }
    return 0;
}

std::uint32_t ColourFromXml(pugi::xml_node color) {
    const std::string_view rgb = color.attribute("rgb").value();
    unsigned value = 0;
    if (rgb.size() == 8 || rgb.size() == 6) {
        const auto [ptr, ec] = std::from_chars(rgb.data(), rgb.data() + rgb.size(), value, 16);
        if (ec == std::errc() && ptr == rgb.data() + rgb.size()) {
            return vb::RgbToBgr(value);
        }
        return 0;
    }
    // The legacy palette's first entries, the ones border dialogs offer: black, white, red, green, blue,
    // yellow, magenta, cyan (as BGR).
    static constexpr std::array<std::uint32_t, 8> kPalette = {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00,
                                                              0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00};
    const int indexed = color.attribute("indexed").as_int(-1);
    if (indexed >= 0 && indexed < 8) {
        return kPalette[static_cast<std::size_t>(indexed)];
    }
    if (indexed >= 8 && indexed < 16) {
        return kPalette[static_cast<std::size_t>(indexed - 8)];
    }
    return 0;
}

std::int32_t AlignFromNames(std::string_view h, std::string_view v) {
    std::int32_t flags = 0;
    if (h == "left" || h == "justify" || h == "fill") {
        flags |= kAlignLeft;
    } else if (h == "center" || h == "centerContinuous" || h == "distributed") {
        flags |= kAlignCentre;
    } else if (h == "right") {
        flags |= kAlignRight;
    }
    // Bottom is the default of both sides; it is stored as no flag so it reads back the same.
    if (v == "top") {
        flags |= kAlignTop;
    } else if (v == "center" || v == "justify" || v == "distributed") {
        flags |= kAlignMiddle;
    }
    return flags;
}

std::optional<int> OptionOfName(std::string_view name) {
    if (!name.starts_with(kOptionNamePrefix)) {
        return std::nullopt;
    }
    std::string_view rest = name.substr(kOptionNamePrefix.size());
    rest = rest.substr(0, rest.find('_'));
    const bool negative = rest.starts_with('m');
    rest.remove_prefix(negative ? 1 : 0);
    int value = 0;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (ec != std::errc() || end != rest.data() + rest.size() || rest.empty() || value > 32768 ||
        (!negative && value == 32768)) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::optional<Ref> ParseRef(std::string_view text) {
    Ref ref;
    std::size_t at = 0;
    int col = 0;
    while (at < text.size() && at < 3 && text[at] >= 'A' && text[at] <= 'Z') {
        col = col * 26 + (text[at] - 'A' + 1);
        ++at;
    }
    if (at > 0) {
        if (col > kMaxCols) {
            return std::nullopt;
        }
        ref.col = col - 1;
    }
    if (at < text.size()) {
        int row = 0;
        const auto [ptr, ec] = std::from_chars(text.data() + at, text.data() + text.size(), row);
        if (ec != std::errc() || ptr != text.data() + text.size() || row < 1 || row > kMaxRows) {
            return std::nullopt;
        }
        ref.row = row - 1;
    }
    if (ref.col < 0 && ref.row < 0) {
        return std::nullopt;
    }
    return ref;
}

namespace {
constexpr std::array<std::pair<Paper, int>, kPaperCount> kPaperCodes = {{{Paper::A4, 9},
                                                                         {Paper::A3, 8},
                                                                         {Paper::A5, 11},
                                                                         {Paper::B4, 12},
                                                                         {Paper::B5, 13},
                                                                         {Paper::Letter, 1},
                                                                         {Paper::Legal, 5}}};
} // namespace

Paper PaperFromCode(int code) {
    for (const auto& [paper, c] : kPaperCodes) {
        if (c == code) {
            return paper;
        }
    }
    return Paper::A4;
}

int PaperCode(Paper paper) {
    for (const auto& [p, code] : kPaperCodes) {
        if (p == paper) {
            return code;
        }
    }
    return 9;
}

PageLine PageLineFromFooter(std::string_view footer) {
    PageLine line;
    std::string* part = &line.centre; // text before any &L/&C/&R is centred
    for (std::size_t at = 0; at < footer.size(); ++at) {
        if (footer[at] != '&' || at + 1 >= footer.size()) {
            *part += footer[at];
            continue;
        }
        const char code = footer[++at];
        switch (code) {
        case 'L':
            part = &line.left;
            break;
        case 'C':
            part = &line.centre;
            break;
        case 'R':
            part = &line.right;
            break;
        case 'P':
            *part += "&P";
            break;
        case 'N':
            *part += "&S";
            break;
        case '&':
            *part += "&&";
            break;
        case '"': // a font name: skip to its closing quote
            while (at + 1 < footer.size() && footer[at + 1] != '"') {
                ++at;
            }
            ++at;
            break;
        default:
            while (at + 1 < footer.size() && footer[at] >= '0' && footer[at] <= '9' &&
                   footer[at + 1] >= '0' && footer[at + 1] <= '9') {
                ++at; // a font size
            }
            break;
        }
    }
    return line;
}

std::string FooterFromPageLine(const PageLine& line) {
    auto convert = [](const std::string& text) {
        std::string out;
        for (std::size_t at = 0; at < text.size(); ++at) {
            const char next = at + 1 < text.size() ? text[at + 1] : '\0';
            if (text[at] == '&' && (next == 'P' || next == 'p')) {
                out += "&P";
                ++at;
            } else if (text[at] == '&' && (next == 'S' || next == 's')) {
                out += "&N";
                ++at;
            } else if (text[at] == '&') {
                out += "&&";
                at += next == '&' ? 1 : 0;
            } else {
                out += text[at];
            }
        }
        return out;
    };
    std::string out;
    if (!line.left.empty()) {
        out += std::string("&L") + convert(line.left);
    }
    if (!line.centre.empty()) {
        out += std::string("&C") + convert(line.centre);
    }
    if (!line.right.empty()) {
        out += std::string("&R") + convert(line.right);
    }
    return out;
}

void SheetBuilder::Extend(int col, int row) {
    m_cols = std::max(m_cols, col + 1);
    m_rows = std::max(m_rows, row + 1);
}

void SheetBuilder::SetColWidths(int first, int last, int px, bool custom) {
    if (first < 0 || last < first || first >= kMaxCols) {
        return;
    }
    last = std::min(last, kMaxCols - 1);
    m_widths.push_back({{first, 0, last, 0}, std::clamp(px, 0, kMaxColWidthPx)});
    // Programs write a style for all the columns to the sheet's end; only a span of a sensible
    // width given by hand says the template reaches that far.
    if (custom && last < 1000) {
        m_cols = std::max(m_cols, last + 1);
    }
}

void SheetBuilder::SetCell(int col, int row, std::size_t xf, vb::Variant value) {
    Extend(col, row);
    if (value.IsString()) {
        value = vb::Variant(CleanUtf8(value.AsString()));
    }
    m_cells.push_back({col, row, xf, std::move(value)});
}

void SheetBuilder::AddMerge(const MergeRange& m) {
    Extend(m.c2, m.r2);
    m_merges.push_back(m);
}

void SheetBuilder::SetPrintArea(int c1, int r1, int c2, int r2) {
    if (c1 <= c2 && r1 <= r2) {
        Extend(c2, r2);
        m_print = {c1, r1, c2, r2, 0, 0};
    }
}

SheetDocument SheetBuilder::Finish() {
    for (const auto& [row, px] : m_heights) {
        if (px != m_defaultHeight) {
            Extend(0, row);
        }
    }
    m_cols = std::max(m_cols, m_titleCols);
    m_rows = std::max(m_rows, m_titleRows);
    SheetDocument doc;
    doc.Resize(m_cols, m_rows);
    for (int col = 0; col < m_cols; ++col) {
        doc.SetColWidth(col, m_defaultWidth);
    }
    for (const auto& [span, px] : m_widths) {
        for (int col = span.c1; col <= std::min(span.c2, m_cols - 1); ++col) {
            doc.SetColWidth(col, px);
        }
    }
    for (int row = 0; row < m_rows; ++row) {
        const auto it = m_heights.find(row);
        doc.SetRowHeight(row, it != m_heights.end() ? it->second : m_defaultHeight);
    }
    // The field row (above the first "end" in column A) styles data cells: its field names are texts,
    // but a "general" there is meant for the data, so it stays right as the grid reads it.
    int fieldRow = -1;
    std::vector<std::string> filled;
    for (const Pending& cell : m_cells) {
        if (cell.col == 0 && cell.value.IsString() && vb::LCase(cell.value.AsString()) == "end" &&
            (fieldRow < 0 || cell.row - 1 < fieldRow)) {
            fieldRow = cell.row - 1;
        }
    }
    for (const Pending& cell : m_cells) {
        CellStyle style = cell.xf < m_xfs.size() ? m_xfs[cell.xf] : CellStyle{};
        // A "general" text shows left-aligned in the program it was drawn in, and must print so: read
        // as right it printed cut at the left ("备注：本行没有字段" came out as "没有字段").
        if (cell.value.IsString() && cell.row != fieldRow && HasNoHorizontal(style.align)) {
            style.align |= kAlignLeft;
        }
        style.align = CellAlign::FromFlags(style.align).Flags();
        doc.SetCellStyle(cell.col, cell.row, style);
        doc.SetCellValue(cell.col, cell.row, cell.value);
        if (cell.xf < m_filled.size() && m_filled[cell.xf]) {
            filled.push_back(CellName(cell.col, cell.row));
        }
    }
    for (const MergeRange& m : m_merges) {
        doc.MergeCells(m.c1, m.r1, m.c2, m.r2);
    }
    // Over the stored cells of each named rectangle only: a cell with an option of its own is a styled
    // cell, and a name over whole columns must not walk a million rows of nothing.
    for (const auto& [area, value] : m_options) {
        const int lastRow = area.r2 < 0 ? m_rows - 1 : std::min(area.r2, m_rows - 1);
        for (int row = std::max(area.r1, 0); row <= lastRow; ++row) {
            const int lastCol =
                area.c2 < 0 ? doc.StoredColCount(row) - 1 : std::min(area.c2, doc.StoredColCount(row) - 1);
            for (int col = std::max(area.c1, 0); col <= lastCol; ++col) {
                doc.SetCellOption(col, row, value);
            }
        }
    }
    if (!filled.empty()) {
        // Named cell by cell, so the author can find them; a sheet painted all over is named in part.
        constexpr std::size_t kNamed = 20;
        std::string cells;
        for (std::size_t at = 0; at < std::min(filled.size(), kNamed); ++at) {
            cells += (at > 0 ? "、" : "") + filled[at];
        }
        if (filled.size() > kNamed) {
            cells += " 等 " + std::to_string(filled.size()) + " 个单元格";
        }
        m_dropped.push_back(cells + " 有填充颜色，模板不保存填充颜色，打印和导出时不会显示");
    }
    const PrintArea& p = m_print;
    if (p.IsSet() || m_titleRows > 0 || m_titleCols > 0) {
        if (p.IsSet()) {
            doc.SetPrintArea(p.c1, p.r1, p.c2, p.r2, m_titleRows, m_titleCols);
        } else {
            doc.SetPrintTitles(m_titleRows, m_titleCols);
        }
    }
    doc.SetPageSetup(m_page);
    doc.SetPageLine(m_line.left, m_line.centre, m_line.right);
    // A name no workbook could carry (a damaged package) is left out rather than refused. "Sheet1" is
    // what programs call a first sheet nobody named, and what our export writes for a sheet without a
    // name: it reads back as none, so a template's round trip adds nothing.
    if (m_name != "Sheet1") {
        doc.SetSheetName(CleanUtf8(m_name));
    }
    return doc;
}

} // namespace sheet::xlsx
