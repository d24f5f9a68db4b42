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
//  3. What a screen looks like is decided by GridRenderer in the model library, through the
//     GridPainter calls; this file only supplies a QPainter for them.
#include "controls/grid/qt/GridView.h"

#include "controls/grid/GridActions.h"
#include "controls/grid/qt/QtGridPainter_p.h"
#include "ui/qt/CjkFonts.h"

#include <string>
#include <unordered_map>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace grid {

namespace {

constexpr int kMinColumnPixels = 0;

} // namespace

struct GridView::Private {
    Private(GridModel& gridModel, double twipsPerPixel)
        : model(gridModel), modelLifetime(gridModel.Lifetime()), layout(gridModel, twipsPerPixel) {}

    GridModel& model;
    std::weak_ptr<const void> modelLifetime;
    GridLayout layout;
    bool isLayoutPending = false;
    int dragColumn = -1;
    int dragStartX = 0;
    int dragStartWidth = 0;
    bool isSelecting = false; // the left button went down on a data cell and is still down
    bool isStatusPending = false;
    QString emptyText;
    std::function<void()> onStatus;
    std::unordered_map<const GridPicture*, QImage> images;
};

GridView::GridView(GridModel& model, QWidget* parent)
    : QAbstractScrollArea(parent), d(std::make_unique<Private>(model, 1440.0 / std::max(logicalDpiX(), 1))) {
    ui::qt::InstallCjkFontSubstitutions();
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(1);
    model.SetChangeHandler([this](GridChange change) {
        switch (change) {
        case GridChange::Layout:
        case GridChange::Scroll: // taken once the grid is laid out, so the scroll bars' ranges are right
            // Setting a million row heights one by one must not re-measure a million times: the
            // work waits for the event loop, or for the first paint, click or key that needs it.
            if (!d->isLayoutPending) {
                d->isLayoutPending = true;
                QMetaObject::invokeMethod(
                    this, [this] { EnsureLayout(); }, Qt::QueuedConnection);
            }
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
        NotifyStatus();
        viewport()->update();
    });
}

GridView::~GridView() {
    if (!d->modelLifetime.expired()) {
        d->model.SetChangeHandler({});
    }
}

bool GridView::IsModelGone() const {
    return d->modelLifetime.expired();
}

GridModel& GridView::Model() const {
    return d->model;
}

const GridLayout& GridView::Layout() const {
    EnsureLayout();
    return d->layout;
}

void GridView::EnsureLayout() const {
    if (!d->isLayoutPending || IsModelGone()) {
        return;
    }
    d->isLayoutPending = false;
    d->layout.Update();
    auto* self = const_cast<GridView*>(this);
    self->UpdateScrollBars();
    if (d->model.IsScrollPending()) {
        self->TakeAskedScroll();
    }
}

void GridView::TakeAskedScroll() {
    const GridScroll place = d->model.ScrollPosition();
    verticalScrollBar()->setValue(place.firstDataRow);
    horizontalScrollBar()->setValue(d->layout.ScrollXForColumn(place.leftCol));
    // What the scroll bars allowed is where the grid now is.
    d->model.SetScrollFromView(ScrollPosition());
}

GridScroll GridView::ScrollPosition() const {
    return {verticalScrollBar()->value(), d->layout.LeftColumnAt(horizontalScrollBar()->value())};
}

GridViewport GridView::Viewport() const {
    return {verticalScrollBar()->value(), horizontalScrollBar()->value(), viewport()->width(),
            viewport()->height()};
}

void GridView::ScrollToDataRow(int firstDataRow) {
    verticalScrollBar()->setValue(firstDataRow);
}

void GridView::ShowCell(int row, int col) {
    if (IsModelGone()) {
        return;
    }
    EnsureLayout();
    const GridModel& model = d->model;
    const GridViewport view = Viewport();
    const int page = d->layout.RowsPerPage(view);
    const int dataRow = row - model.HeaderRowCount();
    if (dataRow >= 0 && dataRow < view.firstDataRow) {
        ScrollToDataRow(dataRow);
    } else if (dataRow >= view.firstDataRow + page) {
        ScrollToDataRow(dataRow - page + 1);
    }
    if (col >= d->layout.FixedColCount() && col >= 0 && col < model.GridColCount()) {
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

void GridView::KeepCursorInView() {
    ShowCell(d->model.CursorRow(), d->model.CursorCol());
}

void GridView::CopySelection(bool withHeader) {
    if (IsModelGone()) {
        return;
    }
    // A table of more cells than this is of no use to a paste and would double the memory: text only.
    constexpr double kHtmlCellLimit = 200000;
    const MergeSpan selection = d->model.Selection();
    const double cells = (selection.row2 - selection.row1 + 1.0) * (selection.col2 - selection.col1 + 1.0);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const CopiedCells copied = CopyCells(d->model, selection, withHeader, cells <= kHtmlCellLimit);
    if (!copied.text.empty()) {
        auto* mime = new QMimeData;
        mime->setText(QString::fromStdString(copied.text));
        if (!copied.html.empty()) {
            mime->setHtml(QString::fromStdString(copied.html));
        }
        QApplication::clipboard()->setMimeData(mime);
    }
    QApplication::restoreOverrideCursor();
}

void GridView::SelectAll() {
    if (IsModelGone()) {
        return;
    }
    GridModel& model = d->model;
    if (model.GridRowCount() > model.HeaderRowCount() && model.GridColCount() > 0) {
        model.SelectRange(model.HeaderRowCount(), 0, model.GridRowCount() - 1, model.GridColCount() - 1);
    }
}

void GridView::SetEmptyText(const QString& text) {
    d->emptyText = text;
    viewport()->update();
}

void GridView::SetStatusObserver(std::function<void()> observer) {
    d->onStatus = std::move(observer);
    NotifyStatus();
}

void GridView::NotifyStatus() {
    // A set-up writes a million rows one call at a time; the status is worked out once afterwards.
    if (!d->onStatus || d->isStatusPending) {
        return;
    }
    d->isStatusPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            d->isStatusPending = false;
            if (d->onStatus && !IsModelGone()) {
                d->onStatus();
            }
        },
        Qt::QueuedConnection);
}

void GridView::FitColumn(int col) {
    GridModel& model = d->model;
    const GridViewport view = Viewport();
    const int firstRow = model.HeaderRowCount() + view.firstDataRow;
    const int lastRow = firstRow + d->layout.RowsPerPage(view);
    const int twips =
        FitColumnWidthTwips(model, col, firstRow, lastRow, [&](int row, int column, const std::string& text) {
            const CellLook look = model.CellLookAt(row, column);
            const QFontMetrics metrics(
                CellFont(look.faceName, look.sizePt, look.isBold, look.isItalic, look.isUnderline));
            return d->layout.ToTwips(metrics.horizontalAdvance(QString::fromStdString(text)));
        });
    model.SetColWidthTwips(col, twips);
}

void GridView::contextMenuEvent(QContextMenuEvent* event) {
    if (IsModelGone()) {
        return;
    }
    QMenu menu(this);
    menu.setObjectName("gridMenu");
    const bool hasSelection = d->model.Selection().row1 >= 0;
    QAction* copy = menu.addAction(QStringLiteral("复制"), [this] { CopySelection(false); });
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(hasSelection);
    menu.addAction(QStringLiteral("复制(含表头)"), [this] { CopySelection(true); })->setEnabled(hasSelection);
    menu.addSeparator();
    menu.addAction(QStringLiteral("全选"), [this] { SelectAll(); })->setShortcut(QKeySequence::SelectAll);
    menu.exec(event->globalPos());
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
    QAbstractScrollArea::resizeEvent(event);
    if (IsModelGone()) {
        return;
    }
    EnsureLayout();
    d->layout.SetViewportWidth(viewport()->width());
    UpdateScrollBars();
    // The model's placement follows the widget when a layout, not the model, moved it.
    const GridLayout& layout = d->layout;
    d->model.SetPlacementFromView(layout.ToTwips(x()), layout.ToTwips(y()), layout.ToTwips(width()),
                                  layout.ToTwips(height()));
}

void GridView::UpdateScrollBars() {
    const GridViewport viewportNow = Viewport();
    const GridLayout& layout = d->layout;
    verticalScrollBar()->setRange(0, layout.MaxFirstDataRow(viewportNow));
    verticalScrollBar()->setPageStep(layout.RowsPerPage(viewportNow));
    horizontalScrollBar()->setRange(0, std::max(0, layout.ContentWidth() - viewportNow.width));
    horizontalScrollBar()->setPageStep(std::max(1, viewportNow.width - layout.FrozenWidth()));
    horizontalScrollBar()->setSingleStep(20);
}

void GridView::scrollContentsBy(int, int) {
    // A place asked for and not yet taken is not overwritten by the scroll bars' clamping while the
    // rows it belongs to are still being laid out.
    if (!IsModelGone() && !d->model.IsScrollPending()) {
        d->model.SetScrollFromView(ScrollPosition());
    }
    viewport()->update();
}

void GridView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    if (IsModelGone()) {
        painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
        return;
    }
    EnsureLayout();
    detail::QtGridPainter gridPainter(painter, d->images);
    GridRenderer::Paint(d->model, d->layout, Viewport(), gridPainter);
    if (!d->emptyText.isEmpty() && RecordRowCount(d->model) <= 0) {
        // Below the header, where the rows would be: a report without rows says so in its place.
        const int top = d->layout.HeaderHeight();
        painter.setClipping(false); // the cell painter leaves the last cell's clip behind
        QFont font = painter.font();
        font.setPointSizeF(11);
        painter.setFont(font);
        painter.setPen(QColor(0x55, 0x55, 0x55));
        painter.drawText(QRect(0, top + 12, viewport()->width(), 40), Qt::AlignHCenter | Qt::AlignTop,
                         d->emptyText);
    }
}

void GridView::mousePressEvent(QMouseEvent* event) {
    if (IsModelGone()) {
        return;
    }
    EnsureLayout();
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
        d->isSelecting = cell->row >= d->model.HeaderRowCount();
        d->model.UserClick(cell->row, cell->col, event->modifiers().testFlag(Qt::ShiftModifier));
    }
}

void GridView::mouseMoveEvent(QMouseEvent* event) {
    if (IsModelGone()) {
        return;
    }
    EnsureLayout();
    const QPoint at = event->position().toPoint();
    if (d->dragColumn >= 0) {
        const int widthPx = std::max(kMinColumnPixels, d->dragStartWidth + at.x() - d->dragStartX);
        d->model.SetColWidthTwips(d->dragColumn, d->layout.ToTwips(widthPx));
        return;
    }
    if (d->isSelecting && event->buttons().testFlag(Qt::LeftButton)) {
        // Dragging past the bottom or top edge scrolls a row at a time, as the arrow keys would.
        const GridViewport view = Viewport();
        const int y =
            std::clamp(at.y(), d->layout.HeaderHeight(), std::max(d->layout.HeaderHeight(), view.height - 1));
        const int x = std::clamp(at.x(), 0, std::max(0, view.width - 1));
        if (const std::optional<PaintCell> cell = d->layout.HitTest(view, x, y)) {
            d->model.UserDrag(cell->row, cell->col);
            KeepCursorInView();
        }
        return;
    }
    const bool isOverEdge = d->layout.ResizeColumnAt(Viewport(), at.x(), at.y()).has_value();
    viewport()->setCursor(isOverEdge ? Qt::SplitHCursor : Qt::ArrowCursor);
}

void GridView::mouseReleaseEvent(QMouseEvent*) {
    d->dragColumn = -1;
    d->isSelecting = false;
}

void GridView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (IsModelGone()) {
        return;
    }
    EnsureLayout();
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint at = event->position().toPoint();
    const GridViewport view = Viewport();
    if (const std::optional<int> col = d->layout.ResizeColumnAt(view, at.x(), at.y())) {
        d->dragColumn = -1;
        FitColumn(*col);
        return;
    }
    if (const std::optional<PaintCell> cell = d->layout.HitTest(view, at.x(), at.y())) {
        d->model.UserDoubleClick(cell->row, cell->col);
    }
}

void GridView::keyPressEvent(QKeyEvent* event) {
    if (IsModelGone()) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    EnsureLayout();
    GridModel& model = d->model;
    const bool isExtending = event->modifiers().testFlag(Qt::ShiftModifier);
    const bool isControl = event->modifiers().testFlag(Qt::ControlModifier);
    const int page = d->layout.RowsPerPage(Viewport());
    const int far = std::max(model.GridRowCount(), model.GridColCount()) + 1;
    if (event->matches(QKeySequence::Copy)) {
        CopySelection(false);
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        SelectAll();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter on a row does what a double click on it does (the report window drills down).
        if (model.CursorRow() >= model.HeaderRowCount()) {
            model.UserDoubleClick(model.CursorRow(), model.CursorCol());
        } else {
            QAbstractScrollArea::keyPressEvent(event);
        }
        return;
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
    KeepCursorInView();
}

} // namespace grid
