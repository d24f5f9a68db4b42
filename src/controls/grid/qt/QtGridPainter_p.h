// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

// Internal to the grid view: the grid's drawing calls on a QPainter.

#include "controls/grid/GridPainter.h"

#include <unordered_map>

#include <QImage>
#include <QPainter>

namespace grid::detail {

class QtGridPainter final : public GridPainter {
public:
    // images caches the pictures' QImages across paints; it is keyed by the picture objects, which
    // the model keeps alive while a cell shows them.
    QtGridPainter(QPainter& painter, std::unordered_map<const GridPicture*, QImage>& images)
        : m_painter(painter), m_images(images) {}

    void SetClip(const PaintRect& rect) override;
    void FillRect(const PaintRect& rect, std::uint32_t bgr, int alpha) override;
    void DrawLine(int x1, int y1, int x2, int y2, std::uint32_t bgr) override;
    void DrawFrame(const PaintRect& rect, std::uint32_t bgr, int widthPx) override;
    void DrawPicture(int x, int y, const GridPicture& picture) override;
    void DrawText(const PaintRect& rect, int alignCode, const PaintFont& font,
                  std::string_view text) override;

private:
    QPainter& m_painter;
    std::unordered_map<const GridPicture*, QImage>& m_images;
};

} // namespace grid::detail
