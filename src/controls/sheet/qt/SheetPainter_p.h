// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/SheetPages.h"
#include "controls/sheet/qt/CellText_p.h"

#include <optional>
#include <string>
#include <vector>

#include <QColor>
#include <QFont>
#include <QLineF>
#include <QRawFont>

class QPainter;

namespace sheet::qt {

// Paints pages of a paginated document. Fonts and number formats are built once per interned style
// and reused for every page, so painting a page costs its cells and nothing more.
class SheetPainter {
public:
    SheetPainter(const SheetDocument& doc, const SheetPages& pages);

    // Page `index` (0-based) with the painter's origin at the top-left of the printable frame.
    // Device units come from the painter's device (its logicalDpi), never from the screen.
    void PaintPage(QPainter& painter, int index);

    // One laid-out row or column of a page.
    struct Line {
        int sheetIndex;
        double start; // device units
        double size;
    };

private:
    struct StyleCache {
        QFont font;
        QRawFont raw; // the face at the device's pixel size, for texts drawn without shaping
        double rawDpi = 0;
        std::optional<NumberText> number;
    };
    // Lines of one pen, drawn in one call.
    struct LineBucket {
        BorderLine look;
        std::vector<QLineF> lines;
    };
    StyleCache& CacheFor(std::uint32_t styleIndex);
    void Layout(Band band, double origin, double devPerPx, bool rows, std::vector<Line>& out) const;
    void PaintBlock(QPainter& painter, const std::vector<Line>& rows, const std::vector<Line>& cols,
                    double devPerPt);
    void PaintCellText(QPainter& painter, int col, int row, const QRectF& rect, double devPerPx);
    bool DrawGlyphs(QPainter& painter, StyleCache& cache, const QColor& colour, const QString& text,
                    const QRectF& rect, int align, bool isNumber);
    // Glyphs of `text` in m_glyphs, their offsets in m_advances and widths in m_widths; false when
    // the face lacks a character.
    bool Shape(const QRawFont& raw, const QString& text);
    void FlushGlyphs(QPainter& painter);
    void AddLine(const BorderLine& look, QLineF line, double devPerPt);
    void PaintPageLine(QPainter& painter, int number, double devPerPtX, double devPerPtY);

    const SheetDocument& m_doc;
    const SheetPages& m_pages;
    std::vector<std::optional<StyleCache>> m_styles;
    std::vector<Line> m_titleRows, m_bodyRows, m_titleCols, m_bodyCols; // reused page after page
    std::vector<Line> m_allRows, m_allCols; // titles then body: the page's rows and columns in order
    std::string m_text;
    std::vector<LineBucket> m_buckets;
    std::vector<QLineF> m_merged;
    QList<quint32> m_glyphs;
    QList<QPointF> m_advances;
    std::vector<double> m_widths;
    // The glyph run being gathered (absolute positions in device units).
    QRawFont m_runFont;
    QColor m_runColour;
    QList<QLineF> m_runUnderlines; // under the underlined texts of the run, drawn with it
    double m_runUnderlineWidth = 1;
    QList<quint32> m_runGlyphs;
    QList<QPointF> m_runPositions;
};

} // namespace sheet::qt
