// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/grid/qt/GridView.h"

#include "../GridDump.h"
#include "../ReportGrid.h"
#include "controls/grid/qt/GridFindBar.h"
#include "support/QtAppEnvironment.h"
#include "support/QtInput.h"

#include <cstdlib>
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

namespace grid::test {
namespace {

const auto* const g_environment =
    ::testing::AddGlobalTestEnvironment(new vondrel::test::QtAppEnvironment<QApplication>);

using vondrel::test::SendMouse;

void Click(GridView& view, QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    vondrel::test::ClickAt(view.viewport(), at, modifiers);
}

void Key(GridView& view, int key) {
    vondrel::test::PressKey(key, Qt::NoModifier, &view);
}

// The view as painted, in viewport coordinates.
QImage Grab(GridView& view) {
    QApplication::processEvents();
    return view.viewport()->grab().toImage();
}

int DarkPixels(const QImage& image, QRect rect) {
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            count += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
        }
    }
    return count;
}

// Header rows are 20 pixels high, data rows 22; columns 160, 100, 73, 80, 100, 53 pixels wide.
struct SalesView : ::testing::Test {
    SalesView() {
        SetUpSalesReport(grid);
        view.resize(640, 220);
        view.show();
        QApplication::processEvents();
    }
    GridModel grid;
    GridView view{grid};
};

TEST_F(SalesView, MergedHeaderBlocksPaintAsOneCell) {
    const QImage merged = Grab(view);
    if (const char* path = std::getenv("VONDREL_GRID_SHOT")) {
        view.grab().save(QString::fromLocal8Bit(path));
    }
    const QColor headerBack(0xE8, 0xE8, 0xE8);
    // x = 332 is the last pixel of column 2, where its right grid line goes. In row 0 it lies inside
    // the block 销售情况 over columns 2..5; in row 2 it is the edge of 数量 (merged over rows 1..2).
    EXPECT_EQ(QColor(merged.pixel(332, 10)), headerBack);
    EXPECT_NE(QColor(merged.pixel(332, 50)), headerBack);
    // The caption is drawn once, centred in the block: ink in the middle, none over column 2.
    EXPECT_GT(DarkPixels(merged, QRect(380, 3, 66, 14)), 20);
    EXPECT_EQ(DarkPixels(merged, QRect(262, 3, 68, 14)), 0);
    grid.SetMergeMode(0);
    const QImage unmerged = Grab(view);
    EXPECT_NE(QColor(unmerged.pixel(332, 10)), headerBack) << "without merging the column line shows";
    EXPECT_GT(DarkPixels(unmerged, QRect(262, 3, 68, 14)), 20) << "and each cell shows its own caption";
}

TEST_F(SalesView, DraggingAHeaderEdgeSetsTheColumnWidth) {
    SendMouse(view.viewport(), QEvent::MouseButtonPress, QPoint(160, 10));
    SendMouse(view.viewport(), QEvent::MouseMove, QPoint(185, 12));
    SendMouse(view.viewport(), QEvent::MouseMove, QPoint(200, 12));
    SendMouse(view.viewport(), QEvent::MouseButtonRelease, QPoint(200, 12));
    EXPECT_EQ(grid.ColWidthTwips(0), 200 * 15);
    EXPECT_EQ(view.Layout().ColumnX(1), 200);
    // The same press in a data row is a click, not a drag.
    SendMouse(view.viewport(), QEvent::MouseButtonPress, QPoint(200, 70));
    SendMouse(view.viewport(), QEvent::MouseMove, QPoint(240, 70));
    SendMouse(view.viewport(), QEvent::MouseButtonRelease, QPoint(240, 70));
    EXPECT_EQ(grid.ColWidthTwips(0), 200 * 15);
    EXPECT_EQ(grid.CursorRow(), 3);
    EXPECT_EQ(grid.CursorCol(), 1);
}

TEST_F(SalesView, ClicksSelectCellsAndDoubleClickReachesTheModel) {
    std::vector<int> doubleClickedRows;
    grid.SetDblClickHandler([&] { doubleClickedRows.push_back(grid.CursorRow()); });
    Click(view, QPoint(270, 90));                     // row 4, column 2
    Click(view, QPoint(420, 110), Qt::ShiftModifier); // row 5, column 4
    EXPECT_EQ(grid.Selection(), (MergeSpan{4, 2, 5, 4}));
    const QImage image = Grab(view);
    EXPECT_NE(QColor(image.pixel(340, 110)), QColor(Qt::white)) << "selected cells are tinted";
    EXPECT_EQ(QColor(image.pixel(340, 66)), QColor(Qt::white)) << "the row above is not";
    SendMouse(view.viewport(), QEvent::MouseButtonPress, QPoint(200, 70));
    SendMouse(view.viewport(), QEvent::MouseButtonRelease, QPoint(200, 70));
    SendMouse(view.viewport(), QEvent::MouseButtonDblClick, QPoint(200, 70));
    SendMouse(view.viewport(), QEvent::MouseButtonRelease, QPoint(200, 70));
    EXPECT_EQ(doubleClickedRows, std::vector<int>{3});
}

TEST(GridViewTest, KeysMoveTheCurrentCellAndKeepItOnScreen) {
    GridModel grid;
    grid.SetGridColCount(3);
    grid.SetGridRowCount(1001);
    grid.SetHeaderRowCount(1);
    GridView view(grid);
    view.resize(300, 200);
    view.show();
    QApplication::processEvents();
    grid.UserClick(1, 0);
    Key(view, Qt::Key_Down);
    Key(view, Qt::Key_Right);
    EXPECT_EQ(grid.CursorRow(), 2);
    EXPECT_EQ(grid.CursorCol(), 1);
    Key(view, Qt::Key_PageDown);
    Key(view, Qt::Key_PageDown);
    const int row = grid.CursorRow();
    const GridViewport viewport = view.Viewport();
    EXPECT_GT(row, 2);
    EXPECT_GE(row - 1, viewport.firstDataRow);
    EXPECT_LT(row - 1, viewport.firstDataRow + view.Layout().RowsPerPage(viewport));
    Key(view, Qt::Key_End);
    EXPECT_EQ(grid.CursorCol(), 2);
}

TEST(GridViewTest, TreeRowsShowTheirPictureIndentedByLevel) {
    GridModel grid;
    grid.SetGridColCount(1);
    grid.SetColWidthTwips(0, 3000);
    grid.InsertRowAt("销售报表", 0);
    grid.InsertRowAt("月度销售汇总", 1);
    const vb::Variant pictures[] = {
        vb::Variant(std::static_pointer_cast<vb::Object>(GridPicture::Folder())),
        vb::Variant(std::static_pointer_cast<vb::Object>(GridPicture::Document()))};
    for (int row = 0; row < 2; ++row) {
        grid.SetRowIsNode(row, true);
        grid.SetRowLevel(row, row + 1);
        grid.SetRangeProp(3, row, 0, pictures[row]);
        grid.SetRowHeightTwips(row, row == 0 ? 400 : 300);
    }
    grid.SetRangeProp(13, 0, 0, true);
    GridView view(grid);
    view.resize(260, 120);
    view.show();
    const QImage image = Grab(view);
    // The first pixel that is not background, scanning a row's middle line from the left.
    const auto firstInk = [&](int y) {
        for (int x = 0; x < image.width(); ++x) {
            if (QColor(image.pixel(x, y)) != QColor(Qt::white)) {
                return x;
            }
        }
        return -1;
    };
    const int groupLeft = firstInk(13);
    const int reportLeft = firstInk(26 + 10);
    ASSERT_GE(groupLeft, 0);
    EXPECT_EQ(reportLeft - groupLeft, 14) << "a second-level row is indented by one level";
    EXPECT_GT(DarkPixels(image, QRect(30, 2, 120, 22)), 20)
        << "the group caption is drawn beside its picture";
}

TEST_F(SalesView, EnterOnARowIsADoubleClickAndABorderDoubleClickFitsTheColumn) {
    std::vector<int> doubleClickedRows;
    grid.SetDblClickHandler([&] { doubleClickedRows.push_back(grid.CursorRow()); });
    Click(view, QPoint(200, 92)); // row 4
    Key(view, Qt::Key_Return);
    EXPECT_EQ(doubleClickedRows, std::vector<int>{4}) << "Enter drills as a double click does";

    // Column 0 narrowed to 40 pixels, then its right edge double-clicked in the header: the width
    // shows the widest text (华东商贸有限公司 at 10.5 pt) and no more than a margin beyond it.
    grid.SetColWidthTwips(0, 40 * 15);
    Grab(view);
    vondrel::test::DoubleClickAt(view.viewport(), QPoint(40, 50));
    const CellLook look = grid.CellLookAt(3, 0);
    const int textPx = QFontMetrics(GridView::CellFont(look.faceName, look.sizePt, false, false, false))
                           .horizontalAdvance(QStringLiteral("华东商贸有限公司"));
    const int widthPx = grid.ColWidthTwips(0) / 15;
    EXPECT_GE(widthPx, textPx);
    EXPECT_LE(widthPx, textPx + 15);
}

TEST(GridViewTest, AGridWithoutRecordsShowsItsEmptyText) {
    GridModel grid;
    SetUpSalesHeader(grid);
    GridView view(grid);
    view.resize(640, 200);
    view.show();
    const auto inked = [](const QImage& image) {
        return DarkPixels(image, QRect(0, 62, 600, 60));
    };
    const QImage plain = Grab(view);
    view.SetEmptyText(QStringLiteral("没有符合条件的数据"));
    EXPECT_GT(inked(Grab(view)), inked(plain) + 50) << "the text is drawn where the rows would be";
    grid.FillFromArray(vb::Variant(SalesRows()));
    const QImage withRows = Grab(view);
    view.SetEmptyText({});
    EXPECT_EQ(Grab(view), withRows) << "once there are rows the text is gone";
}

TEST(GridViewTest, TheFindBarSearchesALargeGridASliceAtATime) {
    // 150,000 rows, the text sought only in the last: the search must hand control back to the event
    // loop between slices (the window keeps answering) and still end on the last row.
    constexpr long kRecords = 150000;
    auto rows = std::make_shared<vb::Array>(std::vector<vb::Array::Bound>{{0, 1}, {0, kRecords - 1}});
    for (long record = 0; record < kRecords; ++record) {
        rows->Set(0, record, vb::Variant::Long(record));
        rows->Set(1, record, record == kRecords - 1 ? "末行客户" : "客户");
    }
    GridModel grid;
    grid.SetGridColCount(2);
    grid.SetGridRowCount(1);
    grid.SetHeaderRowCount(1);
    grid.FillFromArray(vb::Variant(rows));
    GridView view(grid);
    GridFindBar bar(view);
    view.resize(300, 200);
    view.show();
    bar.Open();
    vondrel::test::TypeText(QStringLiteral("末行"), bar.findChild<QWidget*>("findText"));
    bar.FindNext();
    EXPECT_TRUE(bar.IsBusy()) << "the first slice returned before the end";
    ASSERT_TRUE(vondrel::test::WaitUntil([&] { return !bar.IsBusy(); }));
    EXPECT_EQ(grid.CursorRow(), kRecords);
    EXPECT_EQ(grid.CursorCol(), 1);
    EXPECT_EQ(bar.StatusText().toStdString(), "共 1 处");
    EXPECT_GE(view.Viewport().firstDataRow, kRecords - view.Layout().RowsPerPage(view.Viewport()))
        << "the found cell is scrolled into view";
}

TEST(GridViewTest, AViewOutlivingItsModelPaintsBlankAndIgnoresInput) {
    // Windows own their state and their widgets separately; the widgets may be deleted last.
    auto grid = std::make_unique<GridModel>();
    SetUpSalesReport(*grid);
    GridView view(*grid);
    view.resize(300, 150);
    view.show();
    EXPECT_GT(DarkPixels(Grab(view), QRect(0, 0, 300, 100)), 100);
    grid.reset();
    Click(view, QPoint(20, 70));
    Key(view, Qt::Key_Down);
    view.viewport()->update();
    const QImage image = Grab(view);
    EXPECT_EQ(DarkPixels(image, image.rect()), 0);
}

} // namespace
} // namespace grid::test
