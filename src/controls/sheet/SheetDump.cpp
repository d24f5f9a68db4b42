// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/sheet/SheetDump.h"

#include "vb/Conversion.h"

#include <algorithm>
#include <unordered_map>

namespace sheet {

namespace {
std::string Number(double value) {
    return vb::NumberText(value);
}
} // namespace

std::string DescribeStyle(const CellStyle& s) {
    std::string out = s.face + " " + Number(s.sizePt);
    if (s.font != 0) {
        out += " ";
        out += (s.font & kBold) ? "b" : "";
        out += (s.font & kItalic) ? "i" : "";
        out += (s.font & kUnderline) ? "u" : "";
    }
    if (s.align != 0) {
        out += std::string(" align=") + std::to_string(s.align);
    }
    if (!(s.num == NumFormat{})) {
        const NumFormat& n = s.num;
        out += std::string(" num=") + std::to_string(n.grouping) + "," + (n.negativeRed ? "1" : "0") + "," +
               std::to_string(n.decimals) + "," + std::to_string(n.category) + "," + Number(n.scale) + "," +
               std::to_string(n.negativeForm) + "," + (n.currency ? "1" : "0");
    }
    if (s.option != 0) {
        out += std::string(" option=") + std::to_string(s.option);
    }
    static constexpr const char* kEdge = "LTRB";
    for (std::size_t edge = 0; edge < 4; ++edge) {
        const BorderLine& b = s.borders[edge];
        if (b.style != 0) {
            out += " ";
            out += kEdge[edge];
            out += std::to_string(b.style);
            if (b.colour != 0) {
                out += std::string("/") + std::to_string(b.colour);
            }
        }
    }
    return out;
}

std::string DumpSheet(const SheetDocument& doc, int c1, int r1, int c2, int r2) {
    c2 = std::min(c2, doc.SheetColCount() - 1);
    r2 = std::min(r2, doc.SheetRowCount() - 1);
    std::string out;
    std::unordered_map<std::uint32_t, int> dumpIndex;
    std::vector<std::uint32_t> order;
    for (int row = std::max(r1, 0); row <= r2; ++row) {
        int last = std::min(c2, doc.StoredColCount(row) - 1);
        double number = 0;
        std::string_view text;
        while (last >= c1 && doc.StyleIndexAt(last, row) == 0 && doc.PeekCell(last, row, number, text) == 0) {
            --last;
        }
        int height = 0;
        doc.GetRowHeight(row, height);
        if (last < c1 && height == kDefaultRowHeightPx) {
            continue;
        }
        out += std::string("r") + std::to_string(row + 1);
        if (height != kDefaultRowHeightPx) {
            out += std::string(" h=") + std::to_string(height);
        }
        out += ":";
        for (int col = std::max(c1, 0); col <= last; ++col) {
            out += col > c1 ? "|" : " ";
            const int kind = doc.PeekCell(col, row, number, text);
            if (kind == 1) {
                out += Number(number);
            } else if (kind == 2) {
                out += std::string("\"") + std::string(text) + "\"";
            }
            const std::uint32_t style = doc.StyleIndexAt(col, row);
            if (style != 0) {
                auto [it, added] = dumpIndex.try_emplace(style, static_cast<int>(order.size()) + 1);
                if (added) {
                    order.push_back(style);
                }
                out += '@';
                out += std::to_string(it->second);
            }
        }
        out += "\n";
    }
    for (std::size_t idx = 0; idx < order.size(); ++idx) {
        out += std::string("@") + std::to_string(idx + 1) + " " +
               DescribeStyle(doc.StyleByIndex(order[idx])) + "\n";
    }
    const MergeRange rect{c1, r1, c2, r2};
    for (const MergeRange& m : doc.Merges()) {
        if (rect.Intersects(m)) {
            out += std::string("merge ") + CellName(m.c1, m.r1) + ":" + CellName(m.c2, m.r2) + "\n";
        }
    }
    return out;
}

std::string DumpSheet(const SheetDocument& doc) {
    std::string out = std::string("size ") + std::to_string(doc.SheetColCount()) + "x" +
                      std::to_string(doc.SheetRowCount()) + "\n";
    if (!doc.SheetName().empty()) {
        out += "name ";
        out += doc.SheetName();
        out += '\n';
    }
    std::string widths;
    for (int col = 0; col < doc.SheetColCount(); ++col) {
        int px = 0;
        doc.GetColWidth(col, px);
        if (px != kDefaultColWidthPx) {
            widths += std::string(" ") + ColumnName(col) + "=" + std::to_string(px);
        }
    }
    if (!widths.empty()) {
        out += std::string("widths") + widths + "\n";
    }
    const PrintArea& p = doc.GetPrintArea();
    if (p.IsSet() || p.titleRows != 0 || p.titleCols != 0) {
        out += std::string("print ") +
               (p.IsSet() ? CellName(p.c1, p.r1) + ":" + CellName(p.c2, p.r2) : std::string("-")) +
               " titles=" + std::to_string(p.titleRows) + "," + std::to_string(p.titleCols) + "\n";
    }
    const PageLine& line = doc.GetPageLine();
    if (!(line == PageLine{})) {
        out += std::string("pageline ") + line.left + "|" + line.centre + "|" + line.right + "\n";
    }
    const PageSetup& ps = doc.GetPageSetup();
    if (!(ps == PageSetup{})) {
        out += std::string("page ") + PaperName(ps.paper) + (ps.landscape ? " landscape" : " portrait") +
               " margins=" + Number(ps.marginLeftMm) + "," + Number(ps.marginTopMm) + "," +
               Number(ps.marginRightMm) + "," + Number(ps.marginBottomMm) +
               " scale=" + std::to_string(ps.scalePercent) + " fit=" + std::to_string(ps.fitWide) + "x" +
               std::to_string(ps.fitTall) + (ps.centreHorizontally ? " centre-h" : "") +
               (ps.centreVertically ? " centre-v" : "") + "\n";
    }
    if (doc.SheetColCount() > 0 && doc.SheetRowCount() > 0) {
        out += DumpSheet(doc, 0, 0, doc.SheetColCount() - 1, doc.SheetRowCount() - 1);
    }
    return out;
}

} // namespace sheet
