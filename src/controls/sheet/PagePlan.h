// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/CellAlign.h"
#include "controls/sheet/SheetPages.h"
#include "controls/sheet/SheetTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sheet {

// What lands on one printed page, decided without a painter: every text with its place and the box it
// stays in, every line (borders, underlines) with its pen. A backend (QPainter for printers, PDF and
// PNG) draws a plan as it is; tests read it as text. Positions are device units of the measure's
// resolution (the same across and down), from the top-left of the printable frame.

// A face as the page shows it. sizePt is on paper: the cell's size times the page scale.
struct PlanFont {
    std::string face;
    double sizePt = 10;
    bool bold = false;
    bool italic = false;
    friend bool operator==(const PlanFont&, const PlanFont&) = default;
};

// Vertical measures of a face at the measure's resolution, device units.
struct FontMetrics {
    double ascent = 0;
    double descent = 0;
    double underlineOffset = 0; // below the baseline
    double lineThickness = 1;
};

// Widths of texts on the device a plan is made for. They decide what the page shows: "###" for a
// number too wide for its cell, how many characters of a text fit, where a centred text starts.
class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    // Device units per point of the device measured for.
    virtual double DevicePerPoint() const = 0;
    virtual FontMetrics Metrics(const PlanFont& font) = 0;
    // One advance (device units) per code point of the UTF-8 `text`, in `advances` (replaced).
    virtual void Advances(const PlanFont& font, std::string_view text, std::vector<double>& advances) = 0;
};

enum class LineDash : std::uint8_t { Solid, Dot, Dash, DashDot, DashDotDot };

// A straight line: horizontal or vertical, its pen with it.
struct PlanLine {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    double width = 0; // device units
    LineDash dash = LineDash::Solid;
    std::uint32_t colour = 0; // BGR
    bool isUnderline = false; // else a cell border
};

struct PlanBox {
    double left = 0, top = 0, right = 0, bottom = 0;
};

// Bytes of the UTF-8 character that starts with `lead` (1 for a byte that starts none): plans and
// measures count characters the same way.
constexpr std::size_t Utf8Length(unsigned char lead) {
    return (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 1;
}

// One text as it shows: only the characters that fit whole, starting at x on the baseline.
struct TextRun {
    std::uint32_t textStart = 0, textSize = 0; // bytes of PagePlan::texts
    std::uint32_t font = 0;                    // index into PagePlan::fonts
    std::uint32_t colour = 0;                  // BGR
    double x = 0, baseline = 0;
    PlanBox box;                  // where the text may show: its cell, block or run over neighbours
    bool clipToBox = false;       // taller than its box: the backend cuts what sticks out
    HAlign align = HAlign::Right; // as its cell says (the place is already in x)
    bool isPageLine = false;      // one of the three parts of the page line
};

struct PagePlan {
    int number = 0;              // 1-based page number
    std::vector<PlanFont> fonts; // every face the plan's runs name, in the order first met
    std::vector<TextRun> runs;   // in painting order: cells row by row, then the page line
    std::vector<PlanLine> lines; // drawn over the texts; lines of one pen follow each other
    std::string texts;           // the runs' texts, end to end
    std::string_view TextOf(const TextRun& run) const {
        return std::string_view(texts).substr(run.textStart, run.textSize);
    }
};

// Plans the pages of one paginated document, page after page, reusing what it built (faces, number
// formats per interned style) so planning a page costs its cells.
class PagePlanner {
public:
    // `doc`, `pages` and `measure` must outlive the planner.
    PagePlanner(const SheetDocument& doc, const SheetPages& pages, TextMeasure& measure);
    ~PagePlanner();
    PagePlanner(const PagePlanner&) = delete;
    PagePlanner& operator=(const PagePlanner&) = delete;

    // Page `index` (0-based, < pages.PageCount()). Valid until the next call.
    const PagePlan& Plan(int index);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// One page planned on its own.
PagePlan PlanPage(const SheetDocument& doc, const SheetPages& pages, TextMeasure& measure, int index);

// The plan as lines of text for tests: fonts, then runs, then lines, positions to a tenth of a
// device unit, e.g.
//   text "合计" font 1 at 12.0,40.5 box 10.0,20.0-80.0,44.0 left
//   line 10.0,20.0-80.0,20.0 width 0.7 solid 000000
std::string DumpPlan(const PagePlan& plan);

} // namespace sheet
