// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once
//
// The planner's working state, shared by PagePlan.cpp (cells and texts), PageLines.cpp (borders and
// underlines) and PlanDump.cpp.

#include "controls/sheet/CellText_p.h"
#include "controls/sheet/PagePlan.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace sheet {

inline constexpr std::uint32_t kPlanRed = 0x0000FF;   // BGR
inline constexpr std::uint32_t kPlanBlack = 0x000000; // BGR

// One laid-out row or column of a page.
struct LaidLine {
    int sheetIndex;
    double start; // device units
    double size;
};

// Position of the first laid-out row/column at or after a sheet index (lines.size() when none). A
// page's lines are the titles followed by the body, ascending but with a gap where the body does not
// follow the titles directly.
inline int FirstAtOrAfter(const std::vector<LaidLine>& lines, int sheetIndex) {
    const auto at = std::lower_bound(lines.begin(), lines.end(), sheetIndex,
                                     [](const LaidLine& line, int index) { return line.sheetIndex < index; });
    return static_cast<int>(at - lines.begin());
}

// Position of a sheet row/column on the page, or -1.
inline int IndexIn(const std::vector<LaidLine>& lines, int sheetIndex) {
    const int at = FirstAtOrAfter(lines, sheetIndex);
    return at < static_cast<int>(lines.size()) && lines[static_cast<std::size_t>(at)].sheetIndex == sheetIndex
               ? at
               : -1;
}

struct PagePlanner::Impl {
    // What every cell of one interned style shares.
    struct StyleEntry {
        std::uint32_t font = 0;
        FontMetrics metrics;
        double hashWidth = 0;
        bool isUnderlined = false;
        std::optional<NumberText> number;
    };
    struct Pen {
        BorderLine look;
        std::vector<PlanLine> lines;
    };

    Impl(const SheetDocument& d, const SheetPages& p, TextMeasure& m)
        : doc(d), pages(p), measure(m), devPerPt(m.DevicePerPoint()) {}

    std::uint32_t FontIndex(const PlanFont& font);
    StyleEntry& EntryFor(std::uint32_t styleIndex);
    void Layout(Band band, double origin, double devPerPx, bool rows, std::vector<LaidLine>& out) const;
    void PlanCells();
    void PlanCellText(int col, int row, PlanBox rect);
    void AddText(std::string_view text, std::uint32_t font, const FontMetrics& metrics, std::uint32_t colour,
                 const PlanBox& box, CellAlign align, bool isNumber, double hashWidth, bool isUnderlined,
                 bool isPageLine);
    void PlanBorders();
    void AddBorder(const BorderLine& look, PlanLine line);
    void PlanPageLine();

    const SheetDocument& doc;
    const SheetPages& pages;
    TextMeasure& measure;
    const double devPerPt;
    double devPerPx = 1;
    PlanBox area; // where cells may show: the frame less the page line's band, and the left margin
    std::vector<std::optional<StyleEntry>> styles;
    PagePlan plan;
    std::vector<LaidLine> titleRows, bodyRows, titleCols, bodyCols, rows, cols; // reused page after page
    std::vector<double> advances;
    std::string cellText, hashes; // a number as it shows; the "###" that stands for it
    std::vector<Pen> pens;
    std::vector<PlanLine> underlines;
};

} // namespace sheet
