// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/SheetDocument.h"
#include "controls/sheet/XlsBiff_p.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sheet::xls {

// Index of the first cell XF: 0..14 are the style XFs every workbook must start with.
inline constexpr std::uint16_t kFirstCellXf = 15;
// Cell XFs beyond this share the default one; the format allows 4050 XFs in all.
inline constexpr std::size_t kMaxCellXfs = 4000;

// Line style of the format for each of our border styles 0..13.
std::uint8_t LineStyle(int ourStyle);

// The formatting records of the workbook globals, made from the document's interned styles: fonts,
// number formats and one XF per distinct style, with the colours the borders need.
class XlsStyleTable {
public:
    // `used` marks the interned styles some written cell has (style 0 is always made).
    XlsStyleTable(const SheetDocument& doc, const std::vector<bool>& used);
    // XF index for an interned style index of the document.
    std::uint16_t XfOf(std::uint32_t style) const {
        return style < m_xfOf.size() ? m_xfOf[style] : kFirstCellXf;
    }
    // True when an empty cell of this style still shows something (a border line).
    bool ShowsWhenEmpty(std::uint32_t style) const { return style < m_visible.size() && m_visible[style]; }
    // FONT, FORMAT, XF, STYLE and (when colours were added) PALETTE records, in that order.
    bool Write(BiffStream& out) const;

private:
    std::uint16_t FontIndex(const CellStyle& style);
    std::uint16_t FormatIndex(const CellStyle& style);
    std::uint8_t ColourIndex(std::uint32_t bgr);
    std::string XfBody(const CellStyle& style);

    std::vector<std::string> m_fonts; // FONT bodies; font 0 is the default style's
    std::vector<std::pair<std::uint16_t, std::u16string>> m_formats;
    std::vector<std::string> m_xfs; // cell XF bodies from kFirstCellXf on
    std::vector<std::uint16_t> m_xfOf;
    std::vector<bool> m_visible;
    std::array<std::uint32_t, 56> m_palette{}; // RGB of colour indexes 8..63
    std::array<bool, 56> m_paletteTaken{};
    bool m_paletteChanged = false;
};

} // namespace sheet::xls
