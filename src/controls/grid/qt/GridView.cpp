// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Design notes.
//  1. The view asks GridLayout which cells a screen shows and paints those only; nothing here walks
//     all rows. Vertical scrolling is by data rows (the scroll bar's value is the first data row on
//     screen), so the screen at row 999,000 costs what the screen at row 0 costs.
//  2. Every user action becomes a model call (UserClick, UserDoubleClick, MoveCursor,
//     SetColWidthTwips), and the view repaints from the model's change notice. Nothing the user sees
//     is kept here beyond the scroll position and an ongoing column drag.
//  3. Paint order: data rows, then the header rows and fixed columns over them, so a scrolled cell
//     never draws over the frozen parts.
#include "controls/grid/qt/GridView.h"

#include "controls/grid/qt/CjkFonts_p.h"

#include <string>
#include <unordered_map>

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace grid {

namespace {

constexpr int kTextPadding = 3; // pixels between a cell's edge and its text
constexpr int kTreeIndent = 14; // pixels per outline level below the first
constexpr int kMinColumnPixels = 0;

QColor FromBgr(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
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

QImage ToImage(const GridPicture& picture) {
    QImage image(picture.Width(), picture.Height(), QImage::Format_ARGB32);
    for (int y = 0; y < picture.Height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < picture.Width(); ++x) {
            line[x] = picture.Argb()[static_cast<std::size_t>(y * picture.Width() + x)];
        }
    }
    return image;
}

} // namespace

struct GridView::Private {
    Private(GridModel& gridModel, double twipsPerPixel)
        : model(gridModel), layout(gridModel, twipsPerPixel) {}

    GridModel& model;
    GridLayout layout;
    std::string textBuffer; // reused for every cell's text
    int dragColumn = -1;
    int dragStartX = 0;
    int dragStartWidth = 0;
    std::unordered_map<const GridPicture*, QImage> images;
};

GridView::GridView(GridModel& model, QWidget* parent)
    : QAbstractScrollArea(parent), d(std::make_unique<Private>(model, 1440.0 / std::max(logicalDpiX(), 1))) {
    detail::InstallCjkSubstitutions();
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(1);
    model.SetChangeHandler([this](GridChange change) {
        switch (change) {
        case GridChange::Layout:
            d->layout.Update();
            resizeEvent(nullptr);
            break;
        case GridChange::Placement: {
            const GridLayout& layout = d->layout;
            setGeometry(layout.ToPixels(d->model.Left()), layout.ToPixels(d->model.Top()),
                        layout.ToPixels(d->model.Width()), layout.ToPixels(d->model.Height()));
            break;
        }
        default:
            break;
        }
        viewport()->update();
    });
}

GridView::~GridView() {
    d->model.SetChangeHandler({});
}

GridModel& GridView::Model() const {
    return d->model;
}

const GridLayout& GridView::Layout() const {
    return d->layout;
}

GridViewport GridView::Viewport() const {
    return {verticalScrollBar()->value(), horizontalScrollBar()->value(), viewport()->width(),
            viewport()->height()};
}

void GridView::ScrollToDataRow(int firstDataRow) {
    verticalScrollBar()->setValue(firstDataRow);
}

QFont GridView::CellFont(std::string_view faceName, float sizePt, bool isBold, bool isItalic,
                         bool isUnderline) {
    // Fonts are few (a report has a handful); building a QFont per cell would dominate painting.
    static std::unordered_map<std::string, QFont> cache;
    std::string key(faceName);
    key += '\x1f';
    key += std::to_string(static_cast<int>(sizePt * 10));
    key += isBold ? 'b' : '-';
    key += isItalic ? 'i' : '-';
    key += isUnderline ? 'u' : '-';
    auto it = cache.find(key);
    if (it == cache.end()) {
        QFont font(QString::fromUtf8(faceName.data(), static_cast<qsizetype>(faceName.size())));
        font.setPointSizeF(sizePt > 0 ? sizePt : 9);
        font.setBold(isBold);
        font.setItalic(isItalic);
        font.setUnderline(isUnderline);
        it = cache.emplace(std::move(key), font).first;
    }
    return it->second;
}

void GridView::resizeEvent(QResizeEvent* event) {
    if (event) {
        QAbstractScrollArea::resizeEvent(event);
    }
    const GridViewport viewportNow = Viewport();
    const GridLayout& layout = d->layout;
    verticalScrollBar()->setRange(0, layout.MaxFirstDataRow(viewportNow));
    verticalScrollBar()->setPageStep(layout.RowsPerPage(viewportNow));
    horizontalScrollBar()->setRange(0, std::max(0, layout.ContentWidth() - viewportNow.width));
    horizontalScrollBar()->setPageStep(std::max(1, viewportNow.width - layout.FrozenWidth()));
    horizontalScrollBar()->setSingleStep(20);
    // The model's placement follows the widget when a layout, not the model, moved it.
    d->model.SetPlacementFromView(layout.ToTwips(x()), layout.ToTwips(y()), layout.ToTwips(width()),
                                  layout.ToTwips(height()));
}

void GridView::scrollContentsBy(int, int) {
    viewport()->update();
}

void GridView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const GridViewport view = Viewport();
    const GridLayout& layout = d->layout;
    const GridModel& model = d->model;
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
    const MergeSpan selection = model.Selection();
    const QColor gridLine(0xC8, 0xC8, 0xC8);
    const QColor headerLine(0x90, 0x90, 0x90);
    QColor highlight = palette().color(QPalette::Highlight);
    highlight.setAlpha(90);

    const auto paintCell = [&](const PaintCell& cell) {
        const QRect rect(cell.x, cell.y, cell.width, cell.height);
        const CellLook look = model.CellLookAt(cell.row, cell.col);
        const bool isHeader = cell.row < model.HeaderRowCount();
        painter.fillRect(rect, FromBgr(look.backBgr));
        if (!isHeader && selection.row1 >= 0 && selection.Contains(cell.row, cell.col) &&
            !(selection.row1 == selection.row2 && selection.col1 == selection.col2)) {
            painter.fillRect(rect, highlight);
        }
        QRect textRect = rect.adjusted(kTextPadding, 1, -kTextPadding, -1);
        if (cell.col == 0) {
            const int level = model.RowLevel(cell.row);
            if (level > 1) {
                textRect.setLeft(textRect.left() + (level - 1) * kTreeIndent);
            }
        }
        if (look.picture && look.picture->IsObject()) {
            if (const auto* picture = dynamic_cast<const GridPicture*>(look.picture->AsObject().get())) {
                auto it = d->images.find(picture);
                if (it == d->images.end()) {
                    it = d->images.emplace(picture, ToImage(*picture)).first;
                }
                const QImage& image = it->second;
                const int top = rect.top() + (rect.height() - image.height()) / 2;
                painter.drawImage(QPoint(textRect.left(), top), image);
                textRect.setLeft(textRect.left() + image.width() + kTextPadding);
            }
        }
        d->textBuffer.clear();
        model.AppendCellText(cell.row, cell.col, d->textBuffer);
        if (!d->textBuffer.empty()) {
            painter.setFont(
                CellFont(look.faceName, look.sizePt, look.isBold, look.isItalic, look.isUnderline));
            painter.setPen(Qt::black);
            painter.drawText(
                textRect, static_cast<int>(ToQtAlignment(look.alignCode)) | Qt::TextSingleLine,
                QString::fromUtf8(d->textBuffer.data(), static_cast<qsizetype>(d->textBuffer.size())));
        }
        painter.setPen(isHeader ? headerLine : gridLine);
        painter.drawLine(rect.topRight(), rect.bottomRight());
        painter.drawLine(rect.bottomLeft(), rect.bottomRight());
        if (cell.row == model.CursorRow() && cell.col == model.CursorCol() && !isHeader) {
            painter.setPen(QPen(Qt::black, 2));
            painter.drawRect(rect.adjusted(1, 1, -1, -1));
        }
    };

    const std::vector<PaintCell> cells = layout.VisibleCells(view);
    const QRect scrolledData(layout.FrozenWidth(), layout.HeaderHeight(), view.width, view.height);
    // Scrolled data cells first, clipped to their area; then the frozen parts over them.
    painter.setClipRect(scrolledData);
    for (const PaintCell& cell : cells) {
        if (!cell.isFrozen) {
            paintCell(cell);
        }
    }
    painter.setClipRect(QRect(0, layout.HeaderHeight(), layout.FrozenWidth(), view.height));
    for (const PaintCell& cell : cells) {
        if (cell.isFrozen && cell.row >= model.HeaderRowCount()) {
            paintCell(cell);
        }
    }
    painter.setClipRect(QRect(layout.FrozenWidth(), 0, view.width, layout.HeaderHeight()));
    for (const PaintCell& cell : cells) {
        if (cell.row < model.HeaderRowCount() && cell.col >= model.HeaderColCount()) {
            paintCell(cell);
        }
    }
    painter.setClipRect(QRect(0, 0, layout.FrozenWidth(), layout.HeaderHeight()));
    for (const PaintCell& cell : cells) {
        if (cell.row < model.HeaderRowCount() && cell.col < model.HeaderColCount()) {
            paintCell(cell);
        }
    }
}

void GridView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const QPoint at = event->position().toPoint();
    const GridViewport view = Viewport();
    if (const std::optional<int> col = d->layout.ResizeColumnAt(view, at.x(), at.y())) {
        d->dragColumn = *col;
        d->dragStartX = at.x();
        d->dragStartWidth = d->layout.ColumnWidth(*col);
        return;
    }
    if (const std::optional<PaintCell> cell = d->layout.HitTest(view, at.x(), at.y())) {
        d->model.UserClick(cell->row, cell->col, event->modifiers().testFlag(Qt::ShiftModifier));
    }
}

void GridView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (d->dragColumn >= 0) {
        const int widthPx = std::max(kMinColumnPixels, d->dragStartWidth + at.x() - d->dragStartX);
        d->model.SetColWidthTwips(d->dragColumn, d->layout.ToTwips(widthPx));
        return;
    }
    const bool isOverEdge = d->layout.ResizeColumnAt(Viewport(), at.x(), at.y()).has_value();
    viewport()->setCursor(isOverEdge ? Qt::SplitHCursor : Qt::ArrowCursor);
}

void GridView::mouseReleaseEvent(QMouseEvent*) {
    d->dragColumn = -1;
}

void GridView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint at = event->position().toPoint();
    const GridViewport view = Viewport();
    if (d->layout.ResizeColumnAt(view, at.x(), at.y())) {
        return;
    }
    if (const std::optional<PaintCell> cell = d->layout.HitTest(view, at.x(), at.y())) {
        d->model.UserDoubleClick(cell->row, cell->col);
    }
}

void GridView::keyPressEvent(QKeyEvent* event) {
    GridModel& model = d->model;
    const bool isExtending = event->modifiers().testFlag(Qt::ShiftModifier);
    const bool isControl = event->modifiers().testFlag(Qt::ControlModifier);
    const int page = d->layout.RowsPerPage(Viewport());
    const int far = std::max(model.GridRowCount(), model.GridColCount()) + 1;
    switch (event->key()) {
    case Qt::Key_Up:
        model.MoveCursor(-1, 0, isExtending);
        break;
    case Qt::Key_Down:
        model.MoveCursor(1, 0, isExtending);
        break;
    case Qt::Key_Left:
        model.MoveCursor(0, -1, isExtending);
        break;
    case Qt::Key_Right:
        model.MoveCursor(0, 1, isExtending);
        break;
    case Qt::Key_PageUp:
        model.MoveCursor(-page, 0, isExtending);
        break;
    case Qt::Key_PageDown:
        model.MoveCursor(page, 0, isExtending);
        break;
    case Qt::Key_Home:
        model.MoveCursor(isControl ? -far : 0, isControl ? 0 : -far, isExtending);
        break;
    case Qt::Key_End:
        model.MoveCursor(isControl ? far : 0, isControl ? 0 : far, isExtending);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    // Keep the current cell on screen.
    const GridViewport view = Viewport();
    const int dataRow = model.CursorRow() - model.HeaderRowCount();
    if (dataRow < view.firstDataRow) {
        ScrollToDataRow(dataRow);
    } else if (dataRow >= view.firstDataRow + page) {
        ScrollToDataRow(dataRow - page + 1);
    }
    const int col = model.CursorCol();
    if (col >= model.HeaderColCount() && col >= 0) {
        const GridLayout& layout = d->layout;
        const int left = layout.ColumnX(col) - layout.FrozenWidth();
        const int right = layout.ColumnX(col) + layout.ColumnWidth(col);
        if (left < view.scrollX) {
            horizontalScrollBar()->setValue(left);
        } else if (right - view.scrollX > view.width) {
            horizontalScrollBar()->setValue(right - view.width);
        }
    }
}

} // namespace grid
