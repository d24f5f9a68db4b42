// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Drawing a page plan. Texts of one face and colour gather into one glyph run, drawn straight from
// the face's glyphs without the text layout QPainter::drawText does for every call (which dominated
// the time of a long PDF); a PDF then sets the text state once per run instead of once per cell.
// A face that lacks a character, and a slanted face (synthesised), go through drawText instead.
// Lines of one pen are drawn in one call.
#include "controls/sheet/qt/SheetPainter_p.h"
#include "vb/Colour.h"

#include <QGlyphRun>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>

namespace sheet::qt {

namespace {

QColor FromBgr(std::uint32_t bgr) {
    return QColor(vb::BgrToRgb(bgr));
}

Qt::PenStyle PenStyleOf(LineDash dash) {
    switch (dash) {
    case LineDash::Dot:
        return Qt::DotLine;
    case LineDash::Dash:
        return Qt::DashLine;
    case LineDash::DashDot:
        return Qt::DashDotLine;
    case LineDash::DashDotDot:
        return Qt::DashDotDotLine;
    case LineDash::Solid:
        break;
    }
    return Qt::SolidLine;
}

} // namespace

SheetPainter::SheetPainter(const SheetDocument& doc, const SheetPages& pages) : m_doc(doc), m_pages(pages) {}

SheetPainter::~SheetPainter() = default;

void SheetPainter::PaintPage(QPainter& painter, int index) {
    const int dpi = painter.device()->logicalDpiY();
    if (m_planner == nullptr || dpi != m_dpi) {
        m_dpi = dpi;
        m_planner.reset();
        m_measure = std::make_unique<RawFontMeasure>(dpi);
        m_planner = std::make_unique<PagePlanner>(m_doc, m_pages, *m_measure);
        m_faces.clear();
    }
    const PagePlan& plan = m_planner->Plan(index);
    for (std::size_t at = m_faces.size(); at < plan.fonts.size(); ++at) {
        m_faces.push_back(&m_measure->FaceOf(plan.fonts[at]));
    }
    for (const TextRun& run : plan.runs) {
        DrawRun(painter, plan, run);
    }
    FlushGlyphs(painter);
    DrawLines(painter, plan);
}

void SheetPainter::DrawRun(QPainter& painter, const PagePlan& plan, const TextRun& run) {
    RawFontMeasure::Face& face = *m_faces[run.font];
    const std::string_view text = plan.TextOf(run);
    const QColor colour = FromBgr(run.colour);
    const QRectF box(QPointF(run.box.left, run.box.top), QPointF(run.box.right, run.box.bottom));
    if (face.font.italic() || !m_measure->Glyphs(face, text, m_glyphs, m_advances)) {
        FlushGlyphs(painter);
        painter.save();
        if (run.clipToBox) {
            painter.setClipRect(box, Qt::IntersectClip);
        }
        painter.setFont(face.font);
        painter.setPen(colour);
        painter.drawText(QPointF(run.x, run.baseline),
                         QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        painter.restore();
        return;
    }
    if (m_runFace != &face || m_runColour != colour || run.clipToBox) {
        FlushGlyphs(painter);
        m_runFace = &face;
        m_runColour = colour;
    }
    double x = run.x;
    for (qsizetype at = 0; at < m_glyphs.size(); ++at) {
        m_runGlyphs.push_back(m_glyphs[at]);
        m_runPositions.push_back(QPointF(x, run.baseline));
        x += m_advances[static_cast<std::size_t>(at)];
    }
    if (run.clipToBox) {
        painter.save();
        painter.setClipRect(box, Qt::IntersectClip);
        FlushGlyphs(painter);
        painter.restore();
    }
}

void SheetPainter::FlushGlyphs(QPainter& painter) {
    if (m_runGlyphs.isEmpty()) {
        return;
    }
    QGlyphRun run;
    run.setRawFont(m_runFace->raw);
    run.setGlyphIndexes(m_runGlyphs);
    run.setPositions(m_runPositions);
    painter.setPen(m_runColour);
    painter.drawGlyphRun(QPointF(0, 0), run);
    m_runGlyphs.clear();
    m_runPositions.clear();
}

void SheetPainter::DrawLines(QPainter& painter, const PagePlan& plan) {
    const auto samePen = [](const PlanLine& a, const PlanLine& b) {
        return a.width == b.width && a.dash == b.dash && a.colour == b.colour;
    };
    for (std::size_t from = 0; from < plan.lines.size();) {
        const PlanLine& first = plan.lines[from];
        m_penLines.clear();
        std::size_t to = from;
        for (; to < plan.lines.size() && samePen(plan.lines[to], first); ++to) {
            const PlanLine& line = plan.lines[to];
            m_penLines.emplace_back(line.x1, line.y1, line.x2, line.y2);
        }
        painter.setPen(
            QPen(FromBgr(first.colour), first.width, PenStyleOf(first.dash), Qt::FlatCap, Qt::MiterJoin));
        painter.drawLines(m_penLines.data(), static_cast<int>(m_penLines.size()));
        from = to;
    }
}

} // namespace sheet::qt
