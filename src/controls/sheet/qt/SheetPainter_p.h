// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/SheetPages.h"
#include "controls/sheet/qt/CellText_p.h"

#include <optional>
#include <string>
#include <vector>

#include <QFont>

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
        std::optional<NumberText> number;
    };
    const StyleCache& CacheFor(std::uint32_t styleIndex);
    void Layout(Band band, double origin, double devPerPx, bool rows, std::vector<Line>& out) const;
    void PaintBlock(QPainter& painter, const std::vector<Line>& rows, const std::vector<Line>& cols,
                    double devPerPt);
    void PaintCellText(QPainter& painter, int col, int row, const QRectF& rect, double devPerPx);
    void PaintPageLine(QPainter& painter, int number, double devPerPtX, double devPerPtY);

    const SheetDocument& m_doc;
    const SheetPages& m_pages;
    std::vector<std::optional<StyleCache>> m_styles;
    std::vector<Line> m_titleRows, m_bodyRows, m_titleCols, m_bodyCols; // reused page after page
    std::string m_text;
};

} // namespace sheet::qt
