// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/sheet/PagePlan_p.h"

#include <cstdio>

namespace sheet {

namespace {

const char* DashName(LineDash dash) {
    switch (dash) {
    case LineDash::Dot:
        return "dot";
    case LineDash::Dash:
        return "dash";
    case LineDash::DashDot:
        return "dashdot";
    case LineDash::DashDotDot:
        return "dashdotdot";
    case LineDash::Solid:
        break;
    }
    return "solid";
}

const char* AlignName(HAlign align) {
    return align == HAlign::Left ? "left" : align == HAlign::Centre ? "centre" : "right";
}

} // namespace

std::string DumpPlan(const PagePlan& plan) {
    std::string out;
    char buffer[256];
    out += "page " + std::to_string(plan.number) + "\n";
    for (std::size_t at = 0; at < plan.fonts.size(); ++at) {
        const PlanFont& font = plan.fonts[at];
        std::snprintf(buffer, sizeof buffer, "font %zu: %s %.1fpt%s%s\n", at, font.face.c_str(), font.sizePt,
                      font.bold ? " bold" : "", font.italic ? " italic" : "");
        out += buffer;
    }
    for (const TextRun& run : plan.runs) {
        std::snprintf(buffer, sizeof buffer, "\" font %u at %.1f,%.1f box %.1f,%.1f-%.1f,%.1f %s%s%s%s\n",
                      run.font, run.x, run.baseline, run.box.left, run.box.top, run.box.right, run.box.bottom,
                      AlignName(run.align), run.colour == kPlanRed ? " red" : "",
                      run.clipToBox ? " clipped" : "", run.isPageLine ? " page-line" : "");
        out += "text \"";
        out += plan.TextOf(run);
        out += buffer;
    }
    for (const PlanLine& line : plan.lines) {
        std::snprintf(buffer, sizeof buffer, "%s %.1f,%.1f-%.1f,%.1f width %.1f %s %06X\n",
                      line.isUnderline ? "underline" : "line", line.x1, line.y1, line.x2, line.y2, line.width,
                      DashName(line.dash), line.colour);
        out += buffer;
    }
    return out;
}

} // namespace sheet
