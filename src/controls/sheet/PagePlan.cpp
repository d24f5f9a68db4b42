// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Planning one page.
//
// 1. Units: the pagination works in points; here everything becomes device units of the measure
//    (1200 per inch for a PDF, the printer's own, a PNG's chosen dpi), so a page looks the same on
//    every device. Faces are sized in points times the page set-up's scale.
// 2. A page is its title rows then its body rows, by its title columns then its body columns, laid
//    out as one stretch of lines with their device offsets, also where the body does not follow the
//    titles in the sheet (the pages across). A merged block's rectangle is then two lookups, and a
//    block over the title columns and the body shows once, whole: planned per part it printed twice,
//    each copy cut to its part ("地区:全部地区" came out as "地区:全").
// 3. A merged block shows once, at its first shown cell on the page, with the text and style of its
//    top-left cell; its inner edges are not drawn.
// 4. A text shows the characters that fit its box whole; a number that does not fit shows "###"
//    (a cut number reads as another value). A left-aligned text runs on over empty neighbours to the
//    right, a right-aligned one to the left and, from the page's first column, into the margin.
// 5. Two neighbouring cells usually carry the same line on their shared edge (the document keeps
//    each cell's four edges); the right and bottom edges are skipped when the neighbour draws the
//    same line, and lines that continue each other are joined: half the lines, a fifth less PDF.
// 6. Nothing lands in the page line's band at the foot but the page line.
#include "controls/sheet/PagePlan_p.h"

namespace sheet {

namespace {

constexpr double kTextPaddingPx = 2;
constexpr double kPageLineFontPt = 9;
constexpr double kSlack = 0.5; // device units: rounding of advances and sums

} // namespace

std::uint32_t PagePlanner::Impl::FontIndex(const PlanFont& font) {
    const auto found = std::find(plan.fonts.begin(), plan.fonts.end(), font);
    if (found != plan.fonts.end()) {
        return static_cast<std::uint32_t>(found - plan.fonts.begin());
    }
    plan.fonts.push_back(font);
    return static_cast<std::uint32_t>(plan.fonts.size() - 1);
}

PagePlanner::Impl::StyleEntry& PagePlanner::Impl::EntryFor(std::uint32_t styleIndex) {
    if (styleIndex >= styles.size()) {
        styles.resize(styleIndex + 1);
    }
    std::optional<StyleEntry>& slot = styles[styleIndex];
    if (!slot) {
        const CellStyle& style = doc.StyleByIndex(styleIndex);
        const PlanFont font{style.face, std::max(1.0, style.sizePt * pages.Scale()),
                            (style.font & kBold) != 0, (style.font & kItalic) != 0};
        StyleEntry entry;
        entry.font = FontIndex(font);
        entry.metrics = measure.Metrics(font);
        measure.Advances(font, "#", advances);
        entry.hashWidth = advances.empty() ? 0 : advances.front();
        entry.isUnderlined = (style.font & kUnderline) != 0;
        entry.number.emplace(style.num, OptionBlanksZero(style.option));
        slot = std::move(entry);
    }
    return *slot;
}

void PagePlanner::Impl::Layout(Band band, double origin, double perPx, bool isRows,
                               std::vector<LaidLine>& out) const {
    out.clear();
    double at = origin;
    for (int index = band.first; index <= band.last; ++index) {
        int px = 0;
        if (isRows) {
            doc.GetRowHeight(index, px);
        } else {
            doc.GetColWidth(index, px);
        }
        out.push_back({index, at, px * perPx});
        at += px * perPx;
    }
}

void PagePlanner::Impl::AddText(std::string_view text, std::uint32_t font, const FontMetrics& metrics,
                                std::uint32_t colour, const PlanBox& box, CellAlign align, bool isNumber,
                                double hashWidth, bool isUnderlined, bool isPageLine) {
    measure.Advances(plan.fonts[font], text, advances);
    double width = 0;
    for (const double advance : advances) {
        width += advance;
    }
    const double boxWidth = box.right - box.left;
    if (isNumber && width > boxWidth + kSlack && hashWidth > 0) {
        // A cut number would show another value: "###" as a sheet program does, as many as fit.
        const int count = std::max(1, static_cast<int>(boxWidth / hashWidth));
        hashes.assign(static_cast<std::size_t>(count), '#');
        text = hashes;
        advances.assign(static_cast<std::size_t>(count), hashWidth);
        width = count * hashWidth;
    }
    double x = box.left;
    if (align.horizontal == HAlign::Centre) {
        x = (box.left + box.right) / 2 - width / 2;
    } else if (align.horizontal == HAlign::Right) {
        x = box.right - width;
    }
    double baseline = box.bottom - metrics.descent;
    if (align.vertical == VAlign::Top) {
        baseline = box.top + metrics.ascent;
    } else if (align.vertical == VAlign::Middle) {
        baseline = (box.top + box.bottom) / 2 + (metrics.ascent - metrics.descent) / 2;
    }
    // A text wider than its box loses the characters that would stick out, whole: a cut glyph reads
    // as another one, and every clip is a graphics state of its own in a PDF.
    PlanBox shown = box;
    shown.top = std::max(shown.top, area.top);
    shown.bottom = std::min(shown.bottom, area.bottom);
    shown.left = std::max(shown.left, area.left);
    shown.right = std::min(shown.right, area.right);
    if (shown.bottom <= shown.top) {
        return;
    }
    std::size_t firstByte = text.size(), endByte = 0;
    double inkLeft = 0, inkRight = 0, at = x;
    std::size_t byte = 0;
    for (const double advance : advances) {
        if (byte >= text.size()) {
            break;
        }
        const std::size_t next =
            std::min(text.size(), byte + Utf8Length(static_cast<unsigned char>(text[byte])));
        if (at + kSlack >= shown.left && at + advance <= shown.right + kSlack) {
            if (firstByte == text.size()) {
                firstByte = byte;
                inkLeft = at;
            }
            endByte = next;
            inkRight = at + advance;
        }
        at += advance;
        byte = next;
    }
    if (endByte <= firstByte) {
        return;
    }
    TextRun run;
    run.textStart = static_cast<std::uint32_t>(plan.texts.size());
    run.textSize = static_cast<std::uint32_t>(endByte - firstByte);
    plan.texts.append(text.substr(firstByte, endByte - firstByte));
    run.font = font;
    run.colour = colour;
    run.x = inkLeft;
    run.baseline = baseline;
    run.box = shown;
    run.clipToBox =
        baseline - metrics.ascent < shown.top - kSlack || baseline + metrics.descent > shown.bottom + kSlack;
    run.align = align.horizontal;
    run.isPageLine = isPageLine;
    plan.runs.push_back(run);
    // The underline belongs to this text, under the characters it shows.
    if (isUnderlined) {
        const double thickness = std::max(metrics.lineThickness, 1.0);
        const double y = baseline + std::max(metrics.underlineOffset, thickness);
        underlines.push_back({inkLeft, y, inkRight, y, thickness, LineDash::Solid, colour, true});
    }
}

void PagePlanner::Impl::PlanCellText(int col, int row, PlanBox rect) {
    double value = 0;
    std::string_view text;
    const int kind = doc.PeekCell(col, row, value, text);
    if (kind == 0) {
        return;
    }
    const std::uint32_t styleIndex = doc.StyleIndexAt(col, row);
    StyleEntry& entry = EntryFor(styleIndex);
    bool red = false;
    if (kind == 1) {
        cellText.clear();
        entry.number->Append(cellText, value, red);
        text = cellText;
    }
    if (text.empty()) {
        return;
    }
    const double pad = kTextPaddingPx * devPerPx;
    rect.left += pad;
    rect.right -= pad;
    AddText(text, entry.font, entry.metrics, red ? kPlanRed : kPlanBlack, rect,
            CellAlign::FromFlags(doc.StyleByIndex(styleIndex).align), kind == 1, entry.hashWidth,
            entry.isUnderlined, false);
}

void PagePlanner::Impl::PlanCells() {
    // The first and last laid-out line of a block on the page, shown or not (a block's rectangle runs
    // over the zero-size lines inside it as well).
    const auto span = [](const std::vector<LaidLine>& lines, int first, int last) {
        return std::pair<int, int>(FirstAtOrAfter(lines, first), FirstAtOrAfter(lines, last + 1) - 1);
    };
    const auto firstShown = [](const std::vector<LaidLine>& lines, int from, int to) {
        while (from <= to && lines[static_cast<std::size_t>(from)].size <= 0) {
            ++from;
        }
        return from;
    };
    const auto isFree = [this](int col, int row) {
        double value = 0;
        std::string_view text;
        int c1 = 0, r1 = 0, c2 = 0, r2 = 0;
        return doc.PeekCell(col, row, value, text) == 0 && !doc.GetMergeRange(col, row, c1, r1, c2, r2);
    };
    for (std::size_t rowPos = 0; rowPos < rows.size(); ++rowPos) {
        const LaidLine& row = rows[rowPos];
        if (row.size <= 0) {
            continue;
        }
        for (std::size_t colPos = 0; colPos < cols.size(); ++colPos) {
            const LaidLine& col = cols[colPos];
            if (col.size <= 0) {
                continue;
            }
            int c1 = col.sheetIndex, r1 = row.sheetIndex, c2 = c1, r2 = r1;
            if (doc.GetMergeRange(col.sheetIndex, row.sheetIndex, c1, r1, c2, r2)) {
                const auto [left, right] = span(cols, c1, c2);
                const auto [top, bottom] = span(rows, r1, r2);
                if (firstShown(cols, left, right) != static_cast<int>(colPos) ||
                    firstShown(rows, top, bottom) != static_cast<int>(rowPos)) {
                    continue;
                }
                const LaidLine& leftLine = cols[static_cast<std::size_t>(left)];
                const LaidLine& rightLine = cols[static_cast<std::size_t>(right)];
                const LaidLine& topLine = rows[static_cast<std::size_t>(top)];
                const LaidLine& bottomLine = rows[static_cast<std::size_t>(bottom)];
                PlanCellText(c1, r1,
                             {leftLine.start, topLine.start, rightLine.start + rightLine.size,
                              bottomLine.start + bottomLine.size});
                continue;
            }
            PlanBox rect{col.start, row.start, col.start + col.size, row.start + row.size};
            double value = 0;
            std::string_view text;
            const bool isText = doc.PeekCell(col.sheetIndex, row.sheetIndex, value, text) == 2;
            const HAlign horizontal =
                CellAlign::FromFlags(doc.StyleAt(col.sheetIndex, row.sheetIndex).align).horizontal;
            if (isText && horizontal == HAlign::Left) {
                // Runs on over empty neighbours, as in a sheet program, instead of being cut at its own
                // cell ("（本行没有字段…" in a narrow first column).
                for (std::size_t next = colPos + 1; next < cols.size(); ++next) {
                    if (!isFree(cols[next].sheetIndex, row.sheetIndex)) {
                        break;
                    }
                    rect.right = cols[next].start + cols[next].size;
                }
            } else if (isText && horizontal == HAlign::Right) {
                // The same leftwards; from the page's first column (a footer's "制表人：" over a narrow
                // number column) the margin takes the rest, since a label that lost its first
                // character reads as another word.
                bool isBlocked = false;
                for (int at = static_cast<int>(colPos) - 1; at >= 0 && !isBlocked; --at) {
                    const LaidLine& left = cols[static_cast<std::size_t>(at)];
                    isBlocked = !isFree(left.sheetIndex, row.sheetIndex);
                    if (!isBlocked) {
                        rect.left = left.start;
                    }
                }
                if (!isBlocked) {
                    rect.left = area.left;
                }
            }
            PlanCellText(col.sheetIndex, row.sheetIndex, rect);
        }
    }
}

void PagePlanner::Impl::PlanPageLine() {
    const PageLine& line = doc.GetPageLine();
    if (line.left.empty() && line.centre.empty() && line.right.empty()) {
        return;
    }
    const PlanFont font{"宋体", kPageLineFontPt, false, false};
    const std::uint32_t index = FontIndex(font);
    const FontMetrics metrics = measure.Metrics(font);
    const PageFrame& frame = pages.Frame();
    const PlanBox band{0, (frame.heightPt - kPageLineBandPt) * devPerPt, frame.widthPt * devPerPt,
                       frame.heightPt * devPerPt};
    const PlanBox kept = area;
    area = band;
    const int count = pages.PageCount();
    const struct {
        const std::string& text;
        HAlign align;
    } parts[] = {{line.left, HAlign::Left}, {line.centre, HAlign::Centre}, {line.right, HAlign::Right}};
    for (const auto& part : parts) {
        if (!part.text.empty()) {
            AddText(ExpandPageText(part.text, plan.number, count), index, metrics, kPlanBlack, band,
                    CellAlign{part.align, VAlign::Bottom}, false, 0, false, true);
        }
    }
    area = kept;
}

PagePlanner::PagePlanner(const SheetDocument& doc, const SheetPages& pages, TextMeasure& measure)
    : m_impl(std::make_unique<Impl>(doc, pages, measure)) {}

PagePlanner::~PagePlanner() = default;

const PagePlan& PagePlanner::Plan(int index) {
    Impl& d = *m_impl;
    const SheetPages::Page page = d.pages.PageAt(index);
    const PageSetup& setup = d.doc.GetPageSetup();
    const PageFrame& frame = d.pages.Frame();
    d.plan.number = page.number;
    d.plan.runs.clear();
    d.plan.lines.clear();
    d.plan.texts.clear();
    d.underlines.clear();
    // The left margin is room for a right-aligned label of the page's first column only.
    d.area = {-setup.marginLeftMm * kPointsPerMm * d.devPerPt, 0, frame.widthPt * d.devPerPt,
              (frame.heightPt - kPageLineBandPt) * d.devPerPt};
    d.devPerPx = d.devPerPt * kPointsPerPixel * d.pages.Scale();

    double leftPt = 0, topPt = 0;
    if (setup.centreHorizontally) {
        leftPt = std::max(0.0, (frame.widthPt - d.pages.ContentWidthPt(page)) / 2);
    }
    if (setup.centreVertically) {
        topPt = std::max(0.0, (frame.heightPt - kPageLineBandPt - d.pages.ContentHeightPt(page)) / 2);
    }
    d.Layout(d.pages.TitleRows(), topPt * d.devPerPt, d.devPerPx, true, d.titleRows);
    const double bodyTop =
        d.titleRows.empty() ? topPt * d.devPerPt : d.titleRows.back().start + d.titleRows.back().size;
    d.Layout(page.rows, bodyTop, d.devPerPx, true, d.bodyRows);
    d.Layout(d.pages.TitleCols(), leftPt * d.devPerPt, d.devPerPx, false, d.titleCols);
    const double bodyLeft =
        d.titleCols.empty() ? leftPt * d.devPerPt : d.titleCols.back().start + d.titleCols.back().size;
    d.Layout(page.cols, bodyLeft, d.devPerPx, false, d.bodyCols);
    d.rows.assign(d.titleRows.begin(), d.titleRows.end());
    d.rows.insert(d.rows.end(), d.bodyRows.begin(), d.bodyRows.end());
    d.cols.assign(d.titleCols.begin(), d.titleCols.end());
    d.cols.insert(d.cols.end(), d.bodyCols.begin(), d.bodyCols.end());
    if (!d.rows.empty() && !d.cols.empty()) {
        d.PlanCells();
        d.PlanBorders();
    }
    d.PlanPageLine();
    return d.plan;
}

PagePlan PlanPage(const SheetDocument& doc, const SheetPages& pages, TextMeasure& measure, int index) {
    PagePlanner planner(doc, pages, measure);
    return planner.Plan(index);
}

} // namespace sheet
