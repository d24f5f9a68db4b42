// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/sheet/SheetTypes.h"

#include "controls/sheet/SheetPages.h"

#include <array>

namespace sheet {

namespace {
constexpr double kMinPrintableMm = 20; // across and down, between the margins
// Style code -> flag bits, index = code. Code 0 is accepted as "none" because a caller that never set
// a font passes what it read back as zero.
constexpr std::array<int, 9> kFlagsOfCode = {0,
                                             kBold,
                                             kItalic,
                                             kUnderline,
                                             kBold | kItalic,
                                             kBold | kUnderline,
                                             0,
                                             kBold | kItalic | kUnderline,
                                             kItalic | kUnderline};
} // namespace

int FontFlagsFromCode(long code) {
    if (code < 0 || code >= static_cast<long>(kFlagsOfCode.size())) {
        return -1;
    }
    return kFlagsOfCode[static_cast<std::size_t>(code)];
}

long FontCodeFromFlags(int flags) {
    // 6 rather than 0 for "none": readers of the code test it against the documented list.
    for (long code = 1; code < static_cast<long>(kFlagsOfCode.size()); ++code) {
        if (kFlagsOfCode[static_cast<std::size_t>(code)] == (flags & 7)) {
            return code;
        }
    }
    return 6;
}

bool NumFormat::IsValid() const {
    return (grouping == 0 || grouping == 1) && decimals >= -1 && decimals <= 15 && category >= -1 &&
           category <= 4 && (scale == 0 || scale == 1000 || scale == 1000000) &&
           (negativeForm == 0 || negativeForm == 1);
}

bool PageSetup::IsValid() const {
    auto marginOk = [](double mm) {
        return mm >= 0 && mm <= 200;
    };
    if (!(static_cast<int>(paper) < kPaperCount && marginOk(marginLeftMm) && marginOk(marginTopMm) &&
          marginOk(marginRightMm) && marginOk(marginBottomMm) && scalePercent >= 10 && scalePercent <= 400 &&
          fitWide >= 0 && fitWide <= 100 && fitTall >= 0 && fitTall <= 100)) {
        return false;
    }
    // Margins that meet (each may be 200 mm, more than an A5 sheet) left pages holding only the page
    // line, one per row: a set-up must leave room to print in.
    double widthMm = 0, heightMm = 0;
    PaperSizeMm(paper, widthMm, heightMm);
    if (landscape) {
        std::swap(widthMm, heightMm);
    }
    return widthMm - marginLeftMm - marginRightMm >= kMinPrintableMm &&
           heightMm - marginTopMm - marginBottomMm >= kMinPrintableMm;
}

const char* PaperName(Paper paper) {
    static constexpr std::array<const char*, kPaperCount> kNames = {"A4", "A3",     "A5",   "B4",
                                                                    "B5", "Letter", "Legal"};
    return kNames[static_cast<std::size_t>(paper)];
}

std::string ExpandPageText(const std::string& text, int page, int pages) {
    std::string out;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '&' && at + 1 < text.size()) {
            const char code = text[at + 1];
            if (code == 'P' || code == 'p') {
                out += std::to_string(page);
                ++at;
                continue;
            }
            if (code == 'S' || code == 's') {
                out += std::to_string(pages);
                ++at;
                continue;
            }
            if (code == '&') {
                out += '&';
                ++at;
                continue;
            }
        }
        out += text[at];
    }
    return out;
}

std::string LoadError::ToString() const {
    std::string out = file;
    if (line > 0) {
        out += std::string(":") + std::to_string(line);
        if (column > 0) {
            out += std::string(":") + std::to_string(column);
        }
    }
    out += ": ";
    if (!cell.empty()) {
        out += std::string("单元格 ") + cell + "：";
    }
    out += message + " (" + code + ")";
    return out;
}

std::string ColumnName(int col) {
    char letters[8] = {};
    int at = 8;
    for (int n = col + 1; n > 0 && at > 0; n = (n - 1) / 26) {
        letters[--at] = static_cast<char>('A' + (n - 1) % 26);
    }
    return std::string(letters + at, letters + 8);
}

std::string CellName(int col, int row) {
    return ColumnName(col) + std::to_string(row + 1);
}

} // namespace sheet
