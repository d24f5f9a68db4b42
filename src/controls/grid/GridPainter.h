// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/grid/GridLayout.h"
#include "controls/grid/GridModel.h"

#include <cstdint>
#include <string_view>

namespace grid {

struct PaintRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct PaintFont {
    std::string_view faceName;
    float sizePt = 9;
    bool isBold = false;
    bool isItalic = false;
    bool isUnderline = false;
};

// The drawing calls a screen of the grid needs, in viewport pixels with BGR colours. The view
// implements it on a QPainter; tests record the calls and read them back as text.
class GridPainter {
public:
    virtual ~GridPainter() = default;
    virtual void SetClip(const PaintRect& rect) = 0;
    virtual void FillRect(const PaintRect& rect, std::uint32_t bgr, int alpha = 255) = 0;
    virtual void DrawLine(int x1, int y1, int x2, int y2, std::uint32_t bgr) = 0;
    virtual void DrawFrame(const PaintRect& rect, std::uint32_t bgr, int widthPx) = 0;
    virtual void DrawPicture(int x, int y, const GridPicture& picture) = 0;
    // Single-line text in rect, placed by an alignment code (3 x horizontal + vertical), clipped.
    virtual void DrawText(const PaintRect& rect, int alignCode, const PaintFont& font,
                          std::string_view text) = 0;
};

// Paints one screen of the grid: the cells GridLayout says are visible, scrolled cells first and the
// frozen header rows and fixed columns over them, each with its back colour, selection tint, picture,
// tree indent, text and grid lines, and a frame on the current cell.
class GridRenderer {
public:
    static constexpr std::uint32_t kSelectionBgr = 0xD77800; // a clear blue, laid over at kSelectionAlpha
    static constexpr int kSelectionAlpha = 90;
    static constexpr int kTextPadding = 3; // pixels between a cell's edge and its text
    static constexpr int kTreeIndent = 14; // pixels per outline level below the first

    static void Paint(const GridModel& model, const GridLayout& layout, const GridViewport& viewport,
                      GridPainter& painter);
};

} // namespace grid
