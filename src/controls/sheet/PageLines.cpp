// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The lines of a page: cell borders with their pens, each shared edge once, segments that continue
// each other joined, and the underlines the texts asked for.
#include "controls/sheet/PagePlan_p.h"

namespace sheet {

namespace {

// Pen width in points and dash pattern of a border style (docs/sheet.md).
void LineLook(int style, double& widthPt, LineDash& dash) {
    dash = LineDash::Solid;
    switch (style) {
    case 2:
        widthPt = 0.75, dash = LineDash::Dot;
        return;
    case 3:
        widthPt = 0.75, dash = LineDash::Dash;
        return;
    case 5:
        widthPt = 0.25;
        return;
    case 6:
        widthPt = 0.75, dash = LineDash::DashDot;
        return;
    case 7:
        widthPt = 0.75, dash = LineDash::DashDotDot;
        return;
    case 8:
        widthPt = 1.5, dash = LineDash::Dash;
        return;
    case 9:
        widthPt = 2.25;
        return;
    case 10:
        widthPt = 1.5;
        return;
    case 11:
    case 13:
        widthPt = 1.5, dash = LineDash::DashDot;
        return;
    case 12:
        widthPt = 1.5, dash = LineDash::DashDotDot;
        return;
    default: // 1 thin, 4 double (two thin lines)
        widthPt = 0.5;
        return;
    }
}

bool IsHorizontal(const PlanLine& line) {
    return line.y1 == line.y2;
}

// Joins segments that continue each other on one horizontal or vertical line: a row's bottom edge
// is one line, not one per cell.
void MergeCollinear(std::vector<PlanLine>& lines, std::vector<PlanLine>& out) {
    for (PlanLine& line : lines) { // every segment runs left to right or top to bottom from here on
        if (line.x1 > line.x2 || line.y1 > line.y2) {
            std::swap(line.x1, line.x2);
            std::swap(line.y1, line.y2);
        }
    }
    std::sort(lines.begin(), lines.end(), [](const PlanLine& a, const PlanLine& b) {
        const bool aH = IsHorizontal(a), bH = IsHorizontal(b);
        if (aH != bH) {
            return aH;
        }
        return aH ? std::pair(a.y1, a.x1) < std::pair(b.y1, b.x1)
                  : std::pair(a.x1, a.y1) < std::pair(b.x1, b.y1);
    });
    const std::size_t first = out.size();
    for (const PlanLine& line : lines) {
        if (out.size() > first) {
            PlanLine& last = out.back();
            const bool bothH = IsHorizontal(last) && IsHorizontal(line) && last.y1 == line.y1;
            const bool bothV = !IsHorizontal(last) && !IsHorizontal(line) && last.x1 == line.x1;
            if (bothH && line.x1 <= last.x2 + 0.01) {
                last.x2 = std::max(last.x2, line.x2);
                continue;
            }
            if (bothV && line.y1 <= last.y2 + 0.01) {
                last.y2 = std::max(last.y2, line.y2);
                continue;
            }
        }
        out.push_back(line);
    }
}

} // namespace

void PagePlanner::Impl::AddBorder(const BorderLine& look, PlanLine line) {
    Pen* pen = nullptr;
    for (Pen& candidate : pens) {
        if (candidate.look == look) {
            pen = &candidate;
        }
    }
    if (pen == nullptr) {
        pen = &pens.emplace_back(Pen{look, {}});
    }
    double widthPt = 0.5;
    LineLook(look.style, widthPt, line.dash);
    line.width = widthPt * devPerPt;
    line.colour = look.colour;
    if (look.style == 4) { // double: two thin lines either side of the edge
        const double gap = 0.75 * devPerPt;
        const bool horizontal = IsHorizontal(line);
        PlanLine before = line, after = line;
        (horizontal ? before.y1 : before.x1) -= gap;
        (horizontal ? before.y2 : before.x2) -= gap;
        (horizontal ? after.y1 : after.x1) += gap;
        (horizontal ? after.y2 : after.x2) += gap;
        pen->lines.push_back(before);
        pen->lines.push_back(after);
    } else {
        pen->lines.push_back(line);
    }
}

void PagePlanner::Impl::PlanBorders() {
    for (Pen& pen : pens) {
        pen.lines.clear();
    }
    for (const LaidLine& row : rows) {
        if (row.size <= 0) {
            continue;
        }
        for (const LaidLine& col : cols) {
            if (col.size <= 0) {
                continue;
            }
            const std::uint32_t styleIndex = doc.StyleIndexAt(col.sheetIndex, row.sheetIndex);
            if (styleIndex == 0) {
                continue;
            }
            const auto& b = doc.StyleByIndex(styleIndex).borders;
            if (b[kLeft].style == 0 && b[kTop].style == 0 && b[kRight].style == 0 && b[kBottom].style == 0) {
                continue;
            }
            int c1 = col.sheetIndex, r1 = row.sheetIndex, c2 = c1, r2 = r1;
            doc.GetMergeRange(col.sheetIndex, row.sheetIndex, c1, r1, c2, r2);
            const double x1 = col.start, x2 = col.start + col.size, y1 = row.start, y2 = row.start + row.size;
            if (b[kTop].style != 0 && row.sheetIndex == r1) {
                AddBorder(b[kTop], {x1, y1, x2, y1});
            }
            if (b[kLeft].style != 0 && col.sheetIndex == c1) {
                AddBorder(b[kLeft], {x1, y1, x1, y2});
            }
            if (b[kBottom].style != 0 && row.sheetIndex == r2) {
                const int below = IndexIn(rows, row.sheetIndex + 1);
                const bool neighbourDraws =
                    below >= 0 && rows[static_cast<std::size_t>(below)].size > 0 &&
                    doc.StyleAt(col.sheetIndex, row.sheetIndex + 1).borders[kTop] == b[kBottom];
                if (!neighbourDraws) {
                    AddBorder(b[kBottom], {x1, y2, x2, y2});
                }
            }
            if (b[kRight].style != 0 && col.sheetIndex == c2) {
                const int right = IndexIn(cols, col.sheetIndex + 1);
                const bool neighbourDraws =
                    right >= 0 && cols[static_cast<std::size_t>(right)].size > 0 &&
                    doc.StyleAt(col.sheetIndex + 1, row.sheetIndex).borders[kLeft] == b[kRight];
                if (!neighbourDraws) {
                    AddBorder(b[kRight], {x2, y1, x2, y2});
                }
            }
        }
    }
    plan.lines.insert(plan.lines.end(), underlines.begin(), underlines.end());
    for (Pen& pen : pens) {
        const std::size_t from = plan.lines.size();
        MergeCollinear(pen.lines, plan.lines);
        // Rows taller than the page stop at the page line's band.
        const auto end = std::remove_if(plan.lines.begin() + static_cast<std::ptrdiff_t>(from),
                                        plan.lines.end(), [this](PlanLine& line) {
                                            line.y2 = std::min(line.y2, area.bottom + line.width);
                                            return line.y1 > line.y2;
                                        });
        plan.lines.erase(end, plan.lines.end());
    }
}

} // namespace sheet
