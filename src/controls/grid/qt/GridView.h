// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/grid/GridLayout.h"
#include "controls/grid/GridModel.h"

#include <functional>
#include <memory>

#include <QAbstractScrollArea>

namespace grid {

// The grid on screen: paints only the cells a screen shows (header rows frozen at the top, fixed
// columns at the left, merged header blocks as one cell), lets the user drag column edges in the
// header (a double click on an edge fits the column), selects with the mouse and keyboard, copies
// (Ctrl+C and a context menu), and passes clicks, double clicks and Enter to the model's events. It
// keeps no data: everything is read from the model when painted, and where it is scrolled to is
// reported to the model (and taken from it when the model asks for a place).
//
// The view is the model's one change observer while both exist. A view that outlives its model
// (its parent deletes it after the window's state is gone) paints blank and ignores input.
class GridView : public QAbstractScrollArea {
public:
    explicit GridView(GridModel& model, QWidget* parent = nullptr);
    ~GridView() override;

    GridModel& Model() const;
    const GridLayout& Layout() const;
    // The current scroll position and viewport size, as the layout takes them.
    GridViewport Viewport() const;
    // Scrolls so that data row `firstDataRow` (0 = the first row below the header) is at the top.
    void ScrollToDataRow(int firstDataRow);
    // Scrolls as little as needed to show the cell (a data row and a shown column).
    void ShowCell(int row, int col);
    // Copies the selection to the clipboard as text and HTML (see CopyCells).
    void CopySelection(bool withHeader);
    // Selects every data cell.
    void SelectAll();
    // Shown over the empty data area when the grid has no records ("" shows nothing).
    void SetEmptyText(const QString& text);
    // Called (once per burst, from the event loop) after the selection, the rows or the texts changed.
    void SetStatusObserver(std::function<void()> observer);
    // The font a cell with these settings is drawn in (face names go through CJK substitution).
    static QFont CellFont(std::string_view faceName, float sizePt, bool isBold, bool isItalic,
                          bool isUnderline);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void EnsureLayout() const;
    bool IsModelGone() const;
    void UpdateScrollBars();
    void NotifyStatus();
    void FitColumn(int col);
    void KeepCursorInView();
    void TakeAskedScroll();
    GridScroll ScrollPosition() const;

    struct Private;
    std::unique_ptr<Private> const d;
};

} // namespace grid
