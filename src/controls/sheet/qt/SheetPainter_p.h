// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/PagePlan.h"
#include "controls/sheet/qt/RawFontMeasure.h"

#include <memory>
#include <vector>

#include <QColor>
#include <QLineF>
#include <QPointF>

class QPainter;

namespace sheet::qt {

// Draws the pages of a paginated document as their plans say: the planner decides what lands where,
// this only turns runs and lines into QPainter calls. Faces and plans are built once for the device
// and reused page after page, so painting a page costs its cells and nothing more.
class SheetPainter {
public:
    SheetPainter(const SheetDocument& doc, const SheetPages& pages);
    ~SheetPainter();

    // Page `index` (0-based) with the painter's origin at the top-left of the printable frame.
    // Device units come from the painter's device (its logicalDpi), never from the screen.
    void PaintPage(QPainter& painter, int index);

private:
    void DrawRun(QPainter& painter, const PagePlan& plan, const TextRun& run);
    void DrawLines(QPainter& painter, const PagePlan& plan);
    void FlushGlyphs(QPainter& painter);

    const SheetDocument& m_doc;
    const SheetPages& m_pages;
    int m_dpi = 0;
    bool m_wholeUnits = false; // glyphs on whole device units (PDF)
    std::unique_ptr<RawFontMeasure> m_measure;
    std::unique_ptr<PagePlanner> m_planner;
    std::vector<RawFontMeasure::Face*> m_faces; // by the plans' font index
    QList<quint32> m_glyphs;
    std::vector<double> m_advances;
    std::vector<QLineF> m_penLines;
    // The glyph run being gathered (absolute positions in device units).
    RawFontMeasure::Face* m_runFace = nullptr;
    QColor m_runColour;
    QList<quint32> m_runGlyphs;
    QList<QPointF> m_runPositions;
};

} // namespace sheet::qt
