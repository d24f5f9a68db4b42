// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Drawing a page plan. Texts of one face and colour gather into one glyph run, drawn straight from
// the face's glyphs without the text layout QPainter::drawText does for every call (which dominated
// the time of a long PDF); a PDF then sets the text state once per run instead of once per cell.
// A face that lacks a character, and a slanted face (synthesised), go through drawText instead.
// Lines of one pen are drawn in one call.
// The PDF engine writes every glyph's position as a decimal number and compresses the page, which
// took most of a long PDF's time: there glyphs sit on whole device units (a 1200th of an inch at
// export), whose short numbers repeat, so a page's content is a quarter smaller and compresses faster.
#include "controls/sheet/qt/ReportFonts.h"
#include "controls/sheet/qt/SheetPainter_p.h"
#include "vb/Colour.h"

#include <cmath>

#include <QGlyphRun>
#include <QPaintDevice>
#include <QPaintEngine>
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

void SheetPainter::UseDpi(int dpi) {
    if (m_measure == nullptr || dpi != m_dpi) {
        m_dpi = dpi;
        m_planner.reset();
        m_measure = std::make_unique<RawFontMeasure>(dpi);
        m_faces.clear();
    }
}

void SheetPainter::PaintPage(QPainter& painter, int index) {
    UseDpi(painter.device()->logicalDpiY());
    if (m_planner == nullptr) {
        m_planner = std::make_unique<PagePlanner>(m_doc, m_pages, *m_measure);
    }
    PaintPlan(painter, m_planner->Plan(index));
}

void SheetPainter::PaintPlan(QPainter& painter, const PagePlan& plan) {
    UseDpi(painter.device()->logicalDpiY());
    const QPaintEngine* engine = painter.paintEngine();
    m_wholeUnits = engine != nullptr && engine->type() == QPaintEngine::Pdf;
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
    const double baseline = m_wholeUnits ? std::round(run.baseline) : run.baseline;
    for (qsizetype at = 0; at < m_glyphs.size(); ++at) {
        m_runGlyphs.push_back(m_glyphs[at]);
        m_runPositions.push_back(QPointF(m_wholeUnits ? std::round(x) : x, baseline));
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

PlanAhead::PlanAhead(const SheetDocument& doc, const SheetPages& pages, int dpi, std::vector<int> wanted)
    : m_doc(doc), m_pages(pages), m_dpi(dpi), m_wanted(std::move(wanted)) {
    InstallReportFonts(); // here: application fonts are added on the thread that runs the application
    m_worker = std::thread([this] { Run(); });
}

PlanAhead::~PlanAhead() {
    {
        std::lock_guard lock(m_mutex);
        m_isStopping = true;
    }
    m_changed.notify_all();
    m_worker.join();
}

const PagePlan& PlanAhead::Next() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_ready.empty() || m_failure; });
    if (m_ready.empty()) {
        std::rethrow_exception(m_failure);
    }
    m_spare.push_back(std::move(m_current));
    m_current = std::move(m_ready.front());
    m_ready.pop_front();
    lock.unlock();
    m_changed.notify_all();
    return m_current;
}

void PlanAhead::Run() {
    try {
        RawFontMeasure measure(m_dpi);
        PagePlanner planner(m_doc, m_pages, measure);
        for (const int index : m_wanted) {
            const PagePlan& plan = planner.Plan(index);
            PagePlan slot;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [this] { return m_ready.size() < kDepth || m_isStopping; });
                if (m_isStopping) {
                    return;
                }
                if (!m_spare.empty()) {
                    slot = std::move(m_spare.back());
                    m_spare.pop_back();
                }
            }
            slot = plan; // into the buffers of a plan already painted
            {
                std::lock_guard lock(m_mutex);
                m_ready.push_back(std::move(slot));
            }
            m_changed.notify_all();
        }
    } catch (...) {
        {
            std::lock_guard lock(m_mutex);
            m_failure = std::current_exception();
        }
        m_changed.notify_all();
    }
}

} // namespace sheet::qt
