// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The search and the count run in slices of kSliceRows rows, each slice queued behind the events that
// arrived meanwhile. A new search (or a new text for the count) bumps a generation number; slices of
// an older generation find it changed and stop, so typing fast never leaves stale work running.
#include "controls/grid/qt/GridFindBar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>

namespace grid {

namespace {

// Rows per slice: with Chinese text most cells are passed by unread and a slice takes a few
// milliseconds; a number searched in every cell still keeps a slice well under a tenth of a second.
constexpr int kSliceRows = 50000;

} // namespace

struct GridFindBar::Private {
    explicit Private(GridView& gridView) : view(gridView) {}

    GridView& view;
    QLineEdit* text = nullptr;
    QCheckBox* matchCase = nullptr;
    QCheckBox* wholeCell = nullptr;
    QLabel* status = nullptr;
    int searchGeneration = 0;
    int countGeneration = 0;
    bool isSearching = false;
    bool isCounting = false;
    FindQuery searchQuery;
    bool isBackward = false;
    bool hasWrapped = false;
    FindQuery countQuery;
    long countTotal = 0;
    long count = -1;
    QString note;

    FindQuery Query() const {
        return {text->text().toStdString(), matchCase->isChecked(), wholeCell->isChecked()};
    }

    void ShowStatus() {
        QString line;
        if (isSearching) {
            line = QStringLiteral("正在查找…");
        } else if (!text->text().isEmpty() && count == 0) {
            line = QStringLiteral("找不到“%1”").arg(text->text());
        } else {
            line = note;
            if (isCounting) {
                line += QStringLiteral("正在统计…");
            } else if (count > 0) {
                line += QStringLiteral("共 %1 处").arg(count);
            }
        }
        status->setText(line);
    }
};

GridFindBar::GridFindBar(GridView& view, QWidget* parent)
    : QWidget(parent), d(std::make_unique<Private>(view)) {
    setObjectName("findBar");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 3, 6, 3);
    layout->addWidget(new QLabel(QStringLiteral("查找:"), this));
    d->text = new QLineEdit(this);
    d->text->setObjectName("findText");
    d->text->setClearButtonEnabled(true);
    d->text->setMinimumWidth(200);
    layout->addWidget(d->text);
    const auto addButton = [&](const char* name, const QString& caption, const QString& tip) {
        auto* button = new QToolButton(this);
        button->setObjectName(name);
        button->setText(caption);
        button->setToolTip(tip);
        layout->addWidget(button);
        return button;
    };
    QToolButton* previous =
        addButton("findPrevious", QStringLiteral("上一个"), QStringLiteral("上一个 (Shift+F3)"));
    QToolButton* next = addButton("findNext", QStringLiteral("下一个"), QStringLiteral("下一个 (F3)"));
    d->matchCase = new QCheckBox(QStringLiteral("区分大小写"), this);
    d->matchCase->setObjectName("findMatchCase");
    layout->addWidget(d->matchCase);
    d->wholeCell = new QCheckBox(QStringLiteral("全单元格匹配"), this);
    d->wholeCell->setObjectName("findWholeCell");
    layout->addWidget(d->wholeCell);
    d->status = new QLabel(this);
    d->status->setObjectName("findStatus");
    layout->addWidget(d->status, 1);
    QToolButton* close = addButton("findClose", QStringLiteral("×"), QStringLiteral("关闭查找 (Esc)"));

    QObject::connect(previous, &QToolButton::clicked, this, [this] { FindNext(true); });
    QObject::connect(next, &QToolButton::clicked, this, [this] { FindNext(false); });
    QObject::connect(close, &QToolButton::clicked, this, [this] {
        hide();
        d->view.setFocus();
    });
    // Any change of what is looked for counts the matches anew, a slice at a time.
    const auto recount = [this] {
        const int generation = ++d->countGeneration;
        // A search still going for the old text would put its note under the new one.
        ++d->searchGeneration;
        d->isSearching = false;
        d->note.clear();
        d->count = -1;
        d->countTotal = 0;
        d->countQuery = d->Query();
        d->isCounting = !d->countQuery.text.empty();
        if (d->isCounting) {
            CountSlice(generation, d->view.Model().HeaderRowCount());
        }
        d->ShowStatus();
    };
    QObject::connect(d->text, &QLineEdit::textChanged, this, recount);
    QObject::connect(d->matchCase, &QCheckBox::toggled, this, recount);
    QObject::connect(d->wholeCell, &QCheckBox::toggled, this, recount);
    setFocusProxy(d->text);
}

GridFindBar::~GridFindBar() = default;

void GridFindBar::Open() {
    show();
    d->text->setFocus(Qt::ShortcutFocusReason);
    d->text->selectAll();
}

QString GridFindBar::StatusText() const {
    return d->status->text();
}

bool GridFindBar::IsBusy() const {
    return d->isSearching || d->isCounting;
}

void GridFindBar::FindNext(bool isBackward) {
    if (!isVisible()) {
        Open();
    }
    d->searchQuery = d->Query();
    if (d->searchQuery.text.empty()) {
        return;
    }
    const GridModel& model = d->view.Model();
    d->isBackward = isBackward;
    d->hasWrapped = false;
    d->isSearching = true;
    d->note.clear();
    d->ShowStatus();
    const bool isOnData = model.CursorRow() >= model.HeaderRowCount();
    SearchSlice(++d->searchGeneration, isOnData ? CellPos{model.CursorRow(), model.CursorCol()} : CellPos{});
}

// One pass from the current cell to the end (the start, backwards), then, once, a pass over all rows.
void GridFindBar::SearchSlice(int generation, CellPos from) {
    if (generation != d->searchGeneration) {
        return;
    }
    GridModel& model = d->view.Model();
    const FindStep step = model.FindText(d->searchQuery, from, d->isBackward, kSliceRows);
    switch (step.state) {
    case FindStep::State::Continue:
        QTimer::singleShot(0, this, [this, generation, step] { SearchSlice(generation, step.cell); });
        return;
    case FindStep::State::NotFound:
        if (!d->hasWrapped) {
            d->hasWrapped = true;
            QTimer::singleShot(0, this, [this, generation] { SearchSlice(generation, CellPos{}); });
            return;
        }
        d->count = 0;
        break;
    case FindStep::State::Found:
        model.SelectRange(step.cell.row, step.cell.col, step.cell.row, step.cell.col);
        d->view.ShowCell(step.cell.row, step.cell.col);
        d->note = !d->hasWrapped  ? QString()
                  : d->isBackward ? QStringLiteral("已到开头，从末尾继续查找。")
                                  : QStringLiteral("已到末尾，从头继续查找。");
        break;
    }
    d->isSearching = false;
    d->ShowStatus();
}

void GridFindBar::CountSlice(int generation, int firstRow) {
    if (generation != d->countGeneration) {
        return;
    }
    const GridModel& model = d->view.Model();
    d->countTotal += model.CountMatches(d->countQuery, firstRow, kSliceRows);
    const int nextRow = firstRow + kSliceRows;
    if (nextRow < model.GridRowCount()) {
        QTimer::singleShot(0, this, [this, generation, nextRow] { CountSlice(generation, nextRow); });
        return;
    }
    d->count = d->countTotal;
    d->isCounting = false;
    d->ShowStatus();
}

void GridFindBar::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        FindNext(event->modifiers().testFlag(Qt::ShiftModifier));
        return;
    case Qt::Key_Escape:
        hide();
        d->view.setFocus();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace grid
