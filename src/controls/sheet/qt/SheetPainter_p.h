// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/PagePlan.h"
#include "controls/sheet/qt/RawFontMeasure.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
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
    // A plan made by a PlanAhead of the same document and pages: one painter draws the plans of one
    // planner (font numbers run on from plan to plan).
    void PaintPlan(QPainter& painter, const PagePlan& plan);

private:
    void UseDpi(int dpi);
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

// Plans pages on a second thread, a couple of pages ahead of the painter, so that planning the next
// page overlaps with the device writing this one (a PDF page spends most of its time compressed in
// the engine). The thread has its own faces: Qt keeps font engines per thread, so they are made,
// used and freed on the thread only. It reads the document and pages, which must not change meanwhile.
class PlanAhead {
public:
    PlanAhead(const SheetDocument& doc, const SheetPages& pages, int dpi, std::vector<int> wanted);
    // Stops the thread after the plan it is making, and joins it.
    ~PlanAhead();
    PlanAhead(const PlanAhead&) = delete;
    PlanAhead& operator=(const PlanAhead&) = delete;

    // The plan of the next wanted page, valid until the next call; throws what planning threw.
    const PagePlan& Next();

private:
    void Run();

    static constexpr std::size_t kDepth = 2; // plans ready at most: memory stays flat
    const SheetDocument& m_doc;
    const SheetPages& m_pages;
    const int m_dpi;
    const std::vector<int> m_wanted;
    std::mutex m_mutex; // guards what follows, up to m_worker
    std::condition_variable m_changed;
    std::deque<PagePlan> m_ready;
    std::vector<PagePlan> m_spare; // handed back, their buffers reused
    bool m_isStopping = false;
    std::exception_ptr m_failure;
    PagePlan m_current; // the painter's
    std::thread m_worker;
};

} // namespace sheet::qt
