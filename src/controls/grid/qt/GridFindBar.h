// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/grid/qt/GridView.h"

#include <memory>

#include <QWidget>

namespace grid {

// The find bar over a grid: text, match case, whole cell, previous/next, and a line that says how
// many cells match, that the search went round the end, or that nothing matched. Enter finds the
// next match, Shift+Enter the previous one, Esc hides the bar. The search itself is the model's
// (GridModel::FindText); the bar runs it a slice of rows at a time from the event loop, so a report
// of a million rows never stops the window answering.
class GridFindBar : public QWidget {
public:
    explicit GridFindBar(GridView& view, QWidget* parent = nullptr);
    ~GridFindBar() override;

    // Shows the bar with the text selected and the cursor in it.
    void Open();
    // Looks for the next (previous) match from the grid's current cell, going round the end once.
    void FindNext(bool isBackward = false);
    // The line under the search ("共 3 处", "已到末尾，从头继续查找。共 3 处", "找不到“…”").
    QString StatusText() const;
    // True while a search or count is still going through the rows.
    bool IsBusy() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void SearchSlice(int generation, CellPos from);
    void CountSlice(int generation, int firstRow);

    struct Private;
    std::unique_ptr<Private> const d;
};

} // namespace grid
