// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace sheet {

// Limits of one sheet. Files and calls naming more are refused, so a hostile file can never make the
// document allocate more than its own size justifies.
inline constexpr int kMaxRows = 1'048'576;
inline constexpr int kMaxCols = 16'384;
inline constexpr int kMaxColWidthPx = 4'000;
inline constexpr int kMaxRowHeightPx = 2'000;
inline constexpr std::size_t kMaxCellTextBytes = 1'000'000;
inline constexpr int kDefaultColWidthPx = 72;
inline constexpr int kDefaultRowHeightPx = 20;

// Font style codes as callers pass them (docs/sheet.md). Italic with underline has no code of the
// callers' own; 8 is ours so that every combination round-trips.
enum FontFlag : std::uint8_t { kBold = 1, kItalic = 2, kUnderline = 4 };
// Flags of a style code; nullopt-like -1 for a code outside 0..8 (0 counts as none).
int FontFlagsFromCode(long code);
long FontCodeFromFlags(int flags);

// The seven numeric-format values, in the callers' order and types.
struct NumFormat {
    std::int16_t grouping = 0;     // 1: thousands separators; 0: none
    bool negativeRed = false;      // negative numbers drawn in red
    std::int16_t decimals = 0;     // fixed decimals 0..15, or -1: as many as the value needs
    std::int16_t category = 0;     // 0 general, -1 number, 1 percent, 2 scientific, 3 date, 4 text
    double scale = 0;              // 0 none, 1000 or 1000000: the value is shown divided by it
    std::int16_t negativeForm = 0; // 0 minus sign, 1 parentheses
    bool currency = false;         // "¥" before the number
    bool IsValid() const;
    friend bool operator==(const NumFormat&, const NumFormat&) = default;
};

// Cell option: whether zero values show. 0 and 1 show them (1 is what a print rebuild passes for
// "the template shows zeros"), 2 blanks them; other values blank them too.
inline constexpr int kOptionShowZero = 0;
inline constexpr int kOptionShowZeroExplicit = 1;
inline constexpr int kOptionBlankZero = 2;
inline bool OptionBlanksZero(int option) {
    return option != 0 && option != 1;
}

// Border line styles 0..13 (docs/sheet.md); colours are BGR numbers.
inline constexpr int kBorderStyleCount = 14;
enum Edge : int { kLeft = 0, kTop = 1, kRight = 2, kBottom = 3 };
struct BorderLine {
    std::uint8_t style = 0; // 0: no line
    std::uint32_t colour = 0;
    friend bool operator==(const BorderLine&, const BorderLine&) = default;
};

// Everything a cell shows apart from its value. Interned per document: cells hold an index.
struct CellStyle {
    std::string face = "宋体";
    float sizePt = 10;     // points; halves and tenths survive files and imports
    std::uint8_t font = 0; // FontFlag bits
    std::int32_t align = 0;
    NumFormat num;
    std::int16_t option = 0;
    std::array<BorderLine, 4> borders{}; // by Edge
    friend bool operator==(const CellStyle&, const CellStyle&) = default;
};

// A merged block, inclusive, 0-based. A block always covers at least two cells.
struct MergeRange {
    int c1 = 0, r1 = 0, c2 = 0, r2 = 0;
    bool Contains(int col, int row) const { return col >= c1 && col <= c2 && row >= r1 && row <= r2; }
    bool Intersects(const MergeRange& o) const {
        return c1 <= o.c2 && o.c1 <= c2 && r1 <= o.r2 && o.r1 <= r2;
    }
    friend bool operator==(const MergeRange&, const MergeRange&) = default;
};

// The print range with the rows and columns repeated on every page (the first titleRows rows and
// titleCols columns of the sheet). Unset (c1 < 0) prints the whole sheet.
struct PrintArea {
    int c1 = -1, r1 = -1, c2 = -1, r2 = -1;
    int titleRows = 0, titleCols = 0;
    bool IsSet() const { return c1 >= 0; }
    friend bool operator==(const PrintArea&, const PrintArea&) = default;
};

// Text line printed at the foot of every page; "&P" page number, "&S" page count, "&&" an ampersand.
struct PageLine {
    std::string left, centre, right;
    friend bool operator==(const PageLine&, const PageLine&) = default;
};
// One part of the page line with its codes replaced.
std::string ExpandPageText(const std::string& text, int page, int pages);

enum class Paper : std::uint8_t { A4, A3, A5, B4, B5, Letter, Legal };
inline constexpr int kPaperCount = 7;
const char* PaperName(Paper paper);

struct PageSetup {
    Paper paper = Paper::A4;
    bool landscape = false;
    double marginLeftMm = 19, marginTopMm = 25, marginRightMm = 19, marginBottomMm = 25;
    int scalePercent = 100; // 10..400; ignored while fitting
    int fitWide = 0;        // pages across to fit to; 0 with fitTall 0: no fitting
    int fitTall = 0;
    bool centreHorizontally = false;
    bool centreVertically = false;
    bool IsValid() const;
    friend bool operator==(const PageSetup&, const PageSetup&) = default;
};

// Where and why a file could not be read. line/column are 1-based; 0 when not known.
struct LoadError {
    std::string file;
    int line = 0;
    int column = 0;
    std::string cell; // "B7" when the fault lies in one cell
    std::string code; // stable short name: "not-cll", "truncated", "bad-number", ...
    std::string message;
    bool IsSet() const { return !code.empty(); }
    std::string ToString() const; // "file:line:column: [cell B7] message (code)"
};

// Spreadsheet names: column 0 is "A", cell (0, 0) is "A1".
std::string ColumnName(int col);
std::string CellName(int col, int row);

} // namespace sheet
