// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/CellAlign.h"
#include "controls/sheet/SheetDocument.h"

#include <algorithm>
#include <map>
#include <optional>
#include <pugixml.hpp>
#include <string_view>
#include <vector>

namespace sheet::xlsx {

// The spellings .xlsx uses for what the sheet holds, shared by import and export so that every value
// the export writes is one the import maps back.

// Border line names in the order of our style numbers 1..13.
inline constexpr std::string_view kBorderNames[] = {
    "",       "thin",          "dotted",           "dashed",       "double",
    "hair",   "dashDot",       "dashDotDot",       "mediumDashed", "thick",
    "medium", "mediumDashDot", "mediumDashDotDot", "slantDashDot"};
int BorderStyleFromName(std::string_view name);
// Text as UTF-8, each byte that starts no valid sequence replaced by U+FFFD: parts of a damaged
// package may carry anything, and the document holds text.
std::string CleanUtf8(std::string_view text);
// A <color> element as a BGR number: rgb, the legacy indexed palette's first colours; theme and
// automatic colours read as black.
std::uint32_t ColourFromXml(pugi::xml_node color);
// Alignment flags of an xf's <alignment>; an explicit right keeps kAlignRight here so that the
// builder can tell it from "general" (no horizontal bit) before it stores the canonical flags.
std::int32_t AlignFromNames(std::string_view horizontal, std::string_view vertical);

struct Ref {
    int col = -1, row = -1; // -1: not given ("A" or "5" alone)
};
// "B7", "B", "7" (no '$'); nullopt for anything else or beyond the sheet limits.
std::optional<Ref> ParseRef(std::string_view text);

Paper PaperFromCode(int code);
int PaperCode(Paper paper);

// Cell options other than "show zeros" (0) and "blank zeros" (2) have no number format of their own:
// they travel as workbook names over the cells that have them, "Vondrel_Option_1" for option 1,
// "Vondrel_Option_m3" for -3, and "…_1_2", "…_1_3" when one name would grow too long for a formula.
inline constexpr std::string_view kOptionNamePrefix = "Vondrel_Option_";
// The option a name carries, or nullopt when it is not one of ours.
std::optional<int> OptionOfName(std::string_view name);

// Footer text "&L…&C…&R…" with &P and &N against the page line with &P and &S.
PageLine PageLineFromFooter(std::string_view footer);
std::string FooterFromPageLine(const PageLine& line);

// Collects what the worksheet says and makes the document at the end, when its extent is known.
class SheetBuilder {
public:
    explicit SheetBuilder(const std::vector<CellStyle>& xfs) : m_xfs(xfs) {}
    void SetDefaultRowHeightPx(int px) { m_defaultHeight = std::clamp(px, 0, kMaxRowHeightPx); }
    void SetDefaultColWidthPx(int px) { m_defaultWidth = std::clamp(px, 0, kMaxColWidthPx); }
    void SetColWidths(int first, int last, int px, bool custom);
    void SetRowHeight(int row, int px) { m_heights[row] = std::clamp(px, 0, kMaxRowHeightPx); }
    void SetCell(int col, int row, std::size_t xf, vb::Variant value);
    void AddMerge(const MergeRange& m);
    void SetPrintArea(int c1, int r1, int c2, int r2);
    void SetTitleRows(int rows) { m_titleRows = rows; }
    void SetTitleCols(int cols) { m_titleCols = cols; }
    void SetPageSetup(const PageSetup& ps) { m_page = ps; }
    void SetSheetName(std::string name) { m_name = std::move(name); }
    // Cell option `value` for the stored cells of a rectangle (-1 bounds: whole rows or columns).
    void SetOption(int c1, int r1, int c2, int r2, int value) {
        m_options.push_back({{c1, r1, c2, r2}, value});
    }
    // Which cell styles (by xf) have a fill, which a template cannot hold.
    void SetFilled(std::vector<bool> filled) { m_filled = std::move(filled); }
    // What the document could not keep, one line per kind, cell by cell; set by Finish.
    const std::vector<std::string>& Dropped() const { return m_dropped; }
    void SetPageLine(const PageLine& line) {
        m_line = {CleanUtf8(line.left), CleanUtf8(line.centre), CleanUtf8(line.right)};
    }
    SheetDocument Finish();

private:
    void Extend(int col, int row);
    struct Pending {
        int col, row;
        std::size_t xf;
        vb::Variant value;
    };
    const std::vector<CellStyle>& m_xfs;
    int m_cols = 0, m_rows = 0;
    int m_defaultHeight = kDefaultRowHeightPx, m_defaultWidth = 64;
    std::vector<std::pair<MergeRange, int>> m_widths; // column spans (c1..c2) and their width
    std::map<int, int> m_heights;
    std::vector<Pending> m_cells;
    std::vector<MergeRange> m_merges;
    std::vector<std::pair<MergeRange, int>> m_options;
    std::vector<bool> m_filled;
    std::vector<std::string> m_dropped;
    PrintArea m_print;
    int m_titleRows = 0, m_titleCols = 0;
    PageSetup m_page;
    PageLine m_line;
    std::string m_name;
};

} // namespace sheet::xlsx
