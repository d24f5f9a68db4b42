// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/grid/GridLayout.h"
#include "controls/grid/GridModel.h"

#include <memory>

#include <QAbstractScrollArea>

namespace grid {

// The grid on screen: paints only the cells a screen shows (header rows frozen at the top, fixed
// columns at the left, merged header blocks as one cell), lets the user drag column edges in the
// header, selects with the mouse and keyboard, and passes clicks and double clicks to the model's
// events. It keeps no data: everything is read from the model when painted.
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
    void scrollContentsBy(int dx, int dy) override;

private:
    void EnsureLayout() const;
    bool IsModelGone() const;
    void UpdateScrollBars();

    struct Private;
    std::unique_ptr<Private> const d;
};

} // namespace grid
