// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "batch/GridJson_p.h"
#include "controls/grid/GridModel.h"
#include "vb/Strings.h"
#include "viewer/frmGridPrint.h"

#include <cstdio>

namespace vondrel::batch {
namespace {

std::string Hex(std::uint32_t bgr) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "\"#%06X\"", bgr & 0xFFFFFFu);
    return buffer;
}

void AppendStrings(std::string& out, const std::vector<std::string>& texts) {
    out += '[';
    for (std::size_t k = 0; k < texts.size(); ++k) {
        if (k > 0) {
            out += ',';
        }
        out += JsonString(texts[k]);
    }
    out += ']';
}

} // namespace

std::string JsonString(const std::string& text) {
    // UTF-8 passes through (JSON text is UTF-8); control characters become \u00XX.
    static constexpr vb::QuoteTable kJsonQuotes{"\\u00", "0123456789ABCDEF", false};
    std::string out;
    out.reserve(text.size() + 2);
    vb::AppendQuoted(out, text, kJsonQuotes);
    return out;
}

std::string GridJson(QV_GridPrint::frmGridPrint& window) {
    const grid::GridModel& vsf = window.Grid();
    std::string out = "{\n";
    out += "  \"caption\": " + JsonString(window.Caption()) + ",\n";
    out += "  \"title\": " + JsonString(window.Title().text) + ",\n";
    out += "  \"parameters\": ";
    AppendStrings(out, window.ParaText);
    out += ",\n";
    out += "  \"headerRows\": " + std::to_string(vsf.HeaderRowCount()) + ",\n";
    out += "  \"fixedCols\": " + std::to_string(vsf.HeaderColCount()) + ",\n";
    out += "  \"totalsRow\": " + std::to_string(vsf.TotalsRow()) + ",\n";

    out += "  \"columns\": [";
    for (int c = 0; c < vsf.GridColCount(); ++c) {
        out += c > 0 ? ",\n    " : "\n    ";
        out += "{\"width\": " + std::to_string(vsf.ColWidthTwips(c)) +
               ", \"hidden\": " + (vsf.ColHiddenFlag(c) ? "true" : "false") + "}";
    }
    out += "\n  ],\n";

    // Header cells: each merged block once, at its top-left cell, with its spans.
    out += "  \"header\": [";
    bool first = true;
    for (int r = 0; r < vsf.HeaderRowCount(); ++r) {
        for (int c = 0; c < vsf.GridColCount(); ++c) {
            int rowSpan = 1;
            int colSpan = 1;
            if (const grid::MergeSpan* span = vsf.MergedSpanAt(r, c)) {
                if (span->row1 != r || span->col1 != c) {
                    continue;
                }
                rowSpan = span->row2 - span->row1 + 1;
                colSpan = span->col2 - span->col1 + 1;
            }
            out += first ? "\n    " : ",\n    ";
            first = false;
            out += "{\"row\": " + std::to_string(r) + ", \"col\": " + std::to_string(c) +
                   ", \"rowSpan\": " + std::to_string(rowSpan) + ", \"colSpan\": " + std::to_string(colSpan) +
                   ", \"text\": " + JsonString(vsf.CellTextAt(r, c)) + "}";
        }
    }
    out += "\n  ],\n";

    // Data rows: texts as displayed, and the back colour of the row's first cell (flagged rows and
    // the totals row colour the whole row).
    out += "  \"rows\": [";
    std::string text;
    for (int r = vsf.HeaderRowCount(); r < vsf.GridRowCount(); ++r) {
        out += r > vsf.HeaderRowCount() ? ",\n    " : "\n    ";
        out += "{\"back\": ";
        out += vsf.GridColCount() > 0 ? Hex(vsf.CellLookAt(r, 0).backBgr) : std::string("null");
        out += ", \"cells\": [";
        for (int c = 0; c < vsf.GridColCount(); ++c) {
            if (c > 0) {
                out += ',';
            }
            text.clear();
            vsf.AppendCellText(r, c, text);
            out += JsonString(text);
        }
        out += "]}";
    }
    out += "\n  ]\n}\n";
    return out;
}

} // namespace vondrel::batch
