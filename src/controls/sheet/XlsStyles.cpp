// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Styles become the workbook's formatting records. The format numbers fonts with a gap (there is
// no font 4), needs fifteen style XFs before the first cell XF, and names colours by palette index,
// so this table owns all three translations and the rest of the writer only asks for XF numbers.
#include "controls/sheet/CellAlign.h"
#include "controls/sheet/NumFormatCode.h"
#include "controls/sheet/XlsStyles_p.h"
#include "vb/Colour.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace sheet::xls {

namespace {

// The format's built-in palette (indexes 8..63) as RGB.
constexpr std::array<std::uint32_t, 56> kDefaultPalette = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF, 0x800000, 0x008000,
    0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080, 0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF,
    0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF, 0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000,
    0x008080, 0x0000FF, 0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696, 0x003366, 0x339966,
    0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333};

// Ours: none, thin, dotted, dashed, double, hair, dash-dot, dash-dot-dot, medium dashed, thick,
// medium, medium dash-dot, medium dash-dot-dot, slanted dash-dot.
constexpr std::array<std::uint8_t, kBorderStyleCount> kLineStyles = {0,  1, 4, 3, 6,  7,  9,
                                                                     11, 8, 5, 2, 10, 12, 13};

constexpr std::size_t kMaxFonts = 500;
constexpr std::uint16_t kFirstCustomFormat = 164;
constexpr std::uint16_t kAutoColour = 0x7FFF;
constexpr std::uint16_t kFontNameChars = 31;

// Chinese faces need the GB2312 character set, or programs substitute a face without the glyphs.
std::uint8_t CharSet(std::string_view face) {
    static constexpr std::string_view kChineseLatinNames[] = {"SimSun", "NSimSun",  "SimHei",
                                                              "KaiTi",  "FangSong", "Microsoft YaHei"};
    const bool nonAscii = std::any_of(face.begin(), face.end(), [](char c) { return (c & 0x80) != 0; });
    const bool known = std::find(std::begin(kChineseLatinNames), std::end(kChineseLatinNames), face) !=
                       std::end(kChineseLatinNames);
    return nonAscii || known ? 0x86 : 0x00;
}

std::string FontBody(const CellStyle& s) {
    std::string body;
    Put16(body, static_cast<std::uint16_t>(std::lround(s.sizePt * 20)));
    // Bit 0 repeats the weight's boldness: older readers look only there.
    Put16(body, static_cast<std::uint16_t>(((s.font & kBold) != 0 ? 0x0001 : 0) |
                                           ((s.font & kItalic) != 0 ? 0x0002 : 0)));
    Put16(body, kAutoColour);
    Put16(body, (s.font & kBold) != 0 ? 700 : 400);
    Put16(body, 0); // neither super- nor subscript
    Put8(body, (s.font & kUnderline) != 0 ? 1 : 0);
    Put8(body, 0); // family unknown
    Put8(body, CharSet(s.face));
    Put8(body, 0);
    PutString(body, Utf16(s.face, kFontNameChars), false);
    return body;
}

std::string StyleXfBody(bool normal) {
    std::string body;
    Put16(body, 0);
    Put16(body, 0);
    Put16(body, 0xFFF5); // locked, a style XF, no parent
    Put8(body, 0x20);    // bottom aligned
    Put8(body, 0);
    Put8(body, 0);
    Put8(body, normal ? 0x00 : 0xF4);
    Put32(body, 0);
    Put32(body, 0);
    Put16(body, 0x20C0); // pattern colours: window text on window background
    return body;
}

} // namespace

std::uint8_t LineStyle(int ourStyle) {
    return ourStyle >= 0 && ourStyle < kBorderStyleCount ? kLineStyles[static_cast<std::size_t>(ourStyle)]
                                                         : 0;
}

XlsStyleTable::XlsStyleTable(const SheetDocument& doc, const std::vector<bool>& used) {
    m_palette = kDefaultPalette;
    m_fonts.push_back(FontBody(doc.StyleByIndex(0)));
    m_xfOf.assign(doc.StyleCount(), kFirstCellXf);
    m_visible.assign(doc.StyleCount(), false);
    std::map<std::string, std::uint16_t> xfIndex;
    for (std::uint32_t style = 0; style < doc.StyleCount(); ++style) {
        if (style != 0 && (style >= used.size() || !used[style])) {
            continue;
        }
        const CellStyle& s = doc.StyleByIndex(style);
        m_visible[style] =
            std::any_of(s.borders.begin(), s.borders.end(), [](const BorderLine& b) { return b.style != 0; });
        std::string body = XfBody(s);
        const auto found = xfIndex.find(body);
        if (found != xfIndex.end()) {
            m_xfOf[style] = found->second;
        } else if (m_xfs.size() < kMaxCellXfs) {
            const auto xf = static_cast<std::uint16_t>(kFirstCellXf + m_xfs.size());
            xfIndex.emplace(body, xf);
            m_xfs.push_back(std::move(body));
            m_xfOf[style] = xf;
        }
    }
}

std::uint16_t XlsStyleTable::FontIndex(const CellStyle& style) {
    const std::string body = FontBody(style);
    const auto found = std::find(m_fonts.begin(), m_fonts.end(), body);
    std::size_t index = static_cast<std::size_t>(found - m_fonts.begin());
    if (found == m_fonts.end()) {
        if (m_fonts.size() >= kMaxFonts) {
            return 0;
        }
        m_fonts.push_back(body);
    }
    // Fonts 0..3 are the default font written four times; the format has no font 4.
    return static_cast<std::uint16_t>(index == 0 ? 0 : index + 4);
}

std::uint16_t XlsStyleTable::FormatIndex(const CellStyle& style) {
    const std::string code = ToFormatCode(style.num, OptionBlanksZero(style.option));
    if (code == "General") {
        return 0;
    }
    std::u16string wide = Utf16(code, 255);
    for (const auto& [index, text] : m_formats) {
        if (text == wide) {
            return index;
        }
    }
    const auto index = static_cast<std::uint16_t>(kFirstCustomFormat + m_formats.size());
    m_formats.emplace_back(index, std::move(wide));
    return index;
}

std::uint8_t XlsStyleTable::ColourIndex(std::uint32_t bgr) {
    const std::uint32_t rgb = vb::BgrToRgb(bgr);
    for (std::size_t i = 0; i < m_palette.size(); ++i) {
        if (m_palette[i] == rgb) {
            m_paletteTaken[i] = true;
            return static_cast<std::uint8_t>(8 + i);
        }
    }
    // A colour the palette lacks replaces the last entry no border uses yet.
    for (std::size_t i = m_palette.size(); i-- > 0;) {
        if (!m_paletteTaken[i]) {
            m_palette[i] = rgb;
            m_paletteTaken[i] = true;
            m_paletteChanged = true;
            return static_cast<std::uint8_t>(8 + i);
        }
    }
    auto distance = [rgb](std::uint32_t other) {
        long d = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const long diff =
                static_cast<long>((rgb >> shift) & 0xFF) - static_cast<long>((other >> shift) & 0xFF);
            d += diff * diff;
        }
        return d;
    };
    const auto nearest =
        std::min_element(m_palette.begin(), m_palette.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return distance(a) < distance(b); });
    return static_cast<std::uint8_t>(8 + (nearest - m_palette.begin()));
}

std::string XlsStyleTable::XfBody(const CellStyle& s) {
    // Right is written as right, never as the format's "general": a general text opens left-aligned,
    // while the grid and the printout show it right-aligned.
    const CellAlign align = CellAlign::FromFlags(s.align);
    const std::uint8_t horizontal = align.horizontal == HAlign::Left     ? 1
                                    : align.horizontal == HAlign::Centre ? 2
                                                                         : 3;
    const std::uint8_t vertical = align.vertical == VAlign::Top      ? 0
                                  : align.vertical == VAlign::Middle ? 1
                                                                     : 2;
    std::array<std::uint8_t, 4> line{};
    std::array<std::uint8_t, 4> colour{};
    for (std::size_t edge = 0; edge < 4; ++edge) {
        line[edge] = LineStyle(s.borders[edge].style);
        colour[edge] = line[edge] != 0 ? ColourIndex(s.borders[edge].colour) : 0;
    }
    std::string body;
    Put16(body, FontIndex(s));
    Put16(body, FormatIndex(s));
    Put16(body, 0x0001); // locked, parent: the Normal style XF 0
    Put8(body, static_cast<std::uint8_t>(horizontal | (vertical << 4)));
    Put8(body, 0);
    Put8(body, 0);
    Put8(body, 0xFC); // number format, font, alignment, border, pattern and protection are this XF's own
    Put32(body, static_cast<std::uint32_t>(line[kLeft]) | (static_cast<std::uint32_t>(line[kRight]) << 4) |
                    (static_cast<std::uint32_t>(line[kTop]) << 8) |
                    (static_cast<std::uint32_t>(line[kBottom]) << 12) |
                    (static_cast<std::uint32_t>(colour[kLeft]) << 16) |
                    (static_cast<std::uint32_t>(colour[kRight]) << 23));
    Put32(body,
          static_cast<std::uint32_t>(colour[kTop]) | (static_cast<std::uint32_t>(colour[kBottom]) << 7));
    Put16(body, 0x20C0);
    return body;
}

bool XlsStyleTable::Write(BiffStream& out) const {
    bool ok = true;
    for (int copy = 0; copy < 4; ++copy) {
        ok = out.Record(kFont, m_fonts[0]) && ok;
    }
    for (std::size_t i = 1; i < m_fonts.size(); ++i) {
        ok = out.Record(kFont, m_fonts[i]) && ok;
    }
    for (const auto& [index, code] : m_formats) {
        std::string body;
        Put16(body, index);
        PutString(body, code, true);
        ok = out.Record(kFormat, body) && ok;
    }
    for (std::uint16_t xf = 0; xf < kFirstCellXf; ++xf) {
        ok = out.Record(kXf, StyleXfBody(xf == 0)) && ok;
    }
    for (const std::string& xf : m_xfs) {
        ok = out.Record(kXf, xf) && ok;
    }
    std::string normal;
    Put16(normal, 0x8000); // built-in style on XF 0
    Put8(normal, 0);       // Normal
    Put8(normal, 0xFF);
    ok = out.Record(kStyle, normal) && ok;
    if (m_paletteChanged) {
        std::string palette;
        Put16(palette, static_cast<std::uint16_t>(m_palette.size()));
        for (const std::uint32_t rgb : m_palette) {
            Put8(palette, static_cast<std::uint8_t>(rgb >> 16));
            Put8(palette, static_cast<std::uint8_t>(rgb >> 8));
            Put8(palette, static_cast<std::uint8_t>(rgb));
            Put8(palette, 0);
        }
        ok = out.Record(kPalette, palette) && ok;
    }
    return ok;
}

} // namespace sheet::xls
