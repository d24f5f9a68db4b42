// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/grid/GridPainter.h"

#include <string>

namespace grid {

namespace {

constexpr std::uint32_t kGridLineBgr = 0xC8C8C8;
constexpr std::uint32_t kHeaderLineBgr = 0x909090;
constexpr std::uint32_t kCursorBgr = 0x000000;
constexpr std::uint32_t kBlankBgr = 0xFFFFFF;

void PaintCellAt(const GridModel& model, const PaintCell& cell, GridPainter& painter, std::string& text) {
    const PaintRect rect{cell.x, cell.y, cell.width, cell.height};
    const CellLook look = model.CellLookAt(cell.row, cell.col);
    const bool isHeader = cell.row < model.HeaderRowCount();
    painter.FillRect(rect, look.backBgr);
    const MergeSpan selection = model.Selection();
    // A single selected cell shows by the current-cell frame alone; ranges are tinted.
    const bool isRange = selection.row1 != selection.row2 || selection.col1 != selection.col2;
    if (!isHeader && selection.row1 >= 0 && isRange && selection.Contains(cell.row, cell.col)) {
        painter.FillRect(rect, GridRenderer::kSelectionBgr, GridRenderer::kSelectionAlpha);
    }
    PaintRect textRect{rect.x + GridRenderer::kTextPadding, rect.y + 1,
                       rect.width - 2 * GridRenderer::kTextPadding, rect.height - 2};
    if (cell.col == 0) {
        const int level = model.RowLevel(cell.row);
        if (level > 1) {
            const int indent = (level - 1) * GridRenderer::kTreeIndent;
            textRect.x += indent;
            textRect.width -= indent;
        }
    }
    if (look.picture && look.picture->IsObject()) {
        if (const auto* picture = dynamic_cast<const GridPicture*>(look.picture->AsObject().get())) {
            painter.DrawPicture(textRect.x, rect.y + (rect.height - picture->Height()) / 2, *picture);
            textRect.x += picture->Width() + GridRenderer::kTextPadding;
            textRect.width -= picture->Width() + GridRenderer::kTextPadding;
        }
    }
    text.clear();
    model.AppendCellText(cell.row, cell.col, text);
    if (!text.empty()) {
        const PaintFont font{look.faceName, look.sizePt, look.isBold, look.isItalic, look.isUnderline};
        painter.DrawText(textRect, look.alignCode, font, text);
    }
    const std::uint32_t line = isHeader ? kHeaderLineBgr : kGridLineBgr;
    const int right = rect.x + rect.width - 1;
    const int bottom = rect.y + rect.height - 1;
    painter.DrawLine(right, rect.y, right, bottom, line);
    painter.DrawLine(rect.x, bottom, right, bottom, line);
    if (!isHeader && cell.row == model.CursorRow() && cell.col == model.CursorCol()) {
        painter.DrawFrame({rect.x + 1, rect.y + 1, rect.width - 2, rect.height - 2}, kCursorBgr, 2);
    }
}

} // namespace

void GridRenderer::Paint(const GridModel& model, const GridLayout& layout, const GridViewport& viewport,
                         GridPainter& painter) {
    painter.SetClip({0, 0, viewport.width, viewport.height});
    painter.FillRect({0, 0, viewport.width, viewport.height}, kBlankBgr);
    const std::vector<PaintCell> cells = layout.VisibleCells(viewport);
    const int frozenWidth = layout.FrozenWidth();
    const int headerHeight = layout.HeaderHeight();
    const int headerRows = model.HeaderRowCount();
    const int fixedCols = layout.FixedColCount();
    std::string text; // one buffer for every cell's text
    // Four areas, each clipped, scrolled first: a scrolled cell never draws over a frozen one.
    struct Area {
        PaintRect clip;
        bool isHeaderRow;
        bool isFixedCol;
    };
    const Area areas[] = {
        {{frozenWidth, headerHeight, viewport.width - frozenWidth, viewport.height - headerHeight},
         false,
         false},
        {{0, headerHeight, frozenWidth, viewport.height - headerHeight}, false, true},
        {{frozenWidth, 0, viewport.width - frozenWidth, headerHeight}, true, false},
        {{0, 0, frozenWidth, headerHeight}, true, true},
    };
    for (const Area& area : areas) {
        if (area.clip.width <= 0 || area.clip.height <= 0) {
            continue;
        }
        painter.SetClip(area.clip);
        for (const PaintCell& cell : cells) {
            if ((cell.row < headerRows) != area.isHeaderRow) {
                continue;
            }
            const bool isFixedCol = cell.col < fixedCols;
            if (isFixedCol == area.isFixedCol) {
                PaintCellAt(model, cell, painter, text);
            } else if (isFixedCol && cell.x + cell.width > frozenWidth) {
                // A header block reaching from the fixed columns into the scrolled ones: its part over
                // the scrolled columns moves with them, so unscrolled it reads as one block.
                PaintCell scrolled = cell;
                scrolled.x -= viewport.scrollX;
                PaintCellAt(model, scrolled, painter, text);
            }
        }
    }
}

} // namespace grid
