// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/grid/qt/GridView.h"
#include "controls/grid/qt/QtGridPainter_p.h"
#include "vb/Colour.h"

namespace grid::detail {

namespace {

QColor FromBgr(std::uint32_t bgr, int alpha = 255) {
    QColor colour(vb::BgrToRgb(bgr));
    colour.setAlpha(alpha);
    return colour;
}

QRect ToQRect(const PaintRect& rect) {
    return QRect(rect.x, rect.y, rect.width, rect.height);
}

Qt::Alignment ToQtAlignment(int alignCode) {
    const int horizontal = alignCode / 3;
    const int vertical = alignCode % 3;
    const Qt::Alignment h = horizontal == 0   ? Qt::AlignLeft
                            : horizontal == 1 ? Qt::AlignHCenter
                                              : Qt::AlignRight;
    const Qt::Alignment v = vertical == 0 ? Qt::AlignTop : vertical == 1 ? Qt::AlignVCenter : Qt::AlignBottom;
    return h | v;
}

} // namespace

void QtGridPainter::SetClip(const PaintRect& rect) {
    m_painter.setClipRect(ToQRect(rect));
}

void QtGridPainter::FillRect(const PaintRect& rect, std::uint32_t bgr, int alpha) {
    m_painter.fillRect(ToQRect(rect), FromBgr(bgr, alpha));
}

void QtGridPainter::DrawLine(int x1, int y1, int x2, int y2, std::uint32_t bgr) {
    m_painter.setPen(FromBgr(bgr));
    m_painter.drawLine(x1, y1, x2, y2);
}

void QtGridPainter::DrawFrame(const PaintRect& rect, std::uint32_t bgr, int widthPx) {
    m_painter.setPen(QPen(FromBgr(bgr), widthPx));
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawRect(ToQRect(rect));
}

void QtGridPainter::DrawPicture(int x, int y, const GridPicture& picture) {
    auto it = m_images.find(&picture);
    if (it == m_images.end()) {
        QImage image(picture.Width(), picture.Height(), QImage::Format_ARGB32);
        for (int row = 0; row < picture.Height(); ++row) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
            for (int col = 0; col < picture.Width(); ++col) {
                line[col] = picture.Argb()[static_cast<std::size_t>(row * picture.Width() + col)];
            }
        }
        it = m_images.emplace(&picture, std::move(image)).first;
    }
    m_painter.drawImage(QPoint(x, y), it->second);
}

void QtGridPainter::DrawText(const PaintRect& rect, int alignCode, const PaintFont& font,
                             std::string_view text) {
    m_painter.setFont(
        GridView::CellFont(font.faceName, font.sizePt, font.isBold, font.isItalic, font.isUnderline));
    m_painter.setPen(Qt::black);
    m_painter.drawText(ToQRect(rect), static_cast<int>(ToQtAlignment(alignCode)) | Qt::TextSingleLine,
                       QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

} // namespace grid::detail
