// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The real report window under the offscreen platform over a real catalogue: a mouse double click
// drills into the child report, the toolbar goes back, the caption dialog and the selection dialog
// open modally over it and are answered with clicks, and the widths are saved when it closes.
#include "CatalogueWindow.h"
#include "QtTestApplication.h"
#include "controls/grid/qt/GridView.h"
#include "support/QtInput.h"
#include "viewer/qt/GridPrintWindow.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

namespace {

using QV_GridPrint::GridPrintWindow;
using Strings = std::vector<std::string>;

class DrillWindow : public vondrel::test::CatalogueWindow {
protected:
    void SetUp() override {
        CatalogueWindow::SetUp();
        m_registry.Register("Test.Scripted", [this] {
            return std::make_unique<vondrel::test::ScriptedReport>(m_script, m_log);
        });
    }

    static void Trigger(QDialog& dialog, const char* key) {
        for (QAction* action : dialog.findChild<QToolBar*>()->actions()) {
            if (action->objectName() == key) {
                action->trigger();
            }
        }
    }

    static void ClickCell(grid::GridView& view, int row, int col) {
        const std::optional<grid::PaintCell> cell = view.Layout().CellRect(view.Viewport(), row, col);
        ASSERT_TRUE(cell.has_value());
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                          QPoint(cell->x + cell->width / 2, cell->y + cell->height / 2));
    }

    // Clicks, then double clicks, the centre of a grid cell, as the user does with the mouse.
    static void DoubleClickCell(grid::GridView& view, int row, int col) {
        const std::optional<grid::PaintCell> cell = view.Layout().CellRect(view.Viewport(), row, col);
        ASSERT_TRUE(cell.has_value());
        const QPoint centre(cell->x + cell->width / 2, cell->y + cell->height / 2);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, centre);
    }

    // Answers the next modal dialog once it is up: the modal widget holding a child of that name.
    static void WhenModal(const char* childName, std::function<void(QWidget&)> answer) {
        const std::string name = childName;
        QTimer::singleShot(0, [name, answer] {
            QWidget* modal = nullptr;
            for (int tries = 0; tries < 100; ++tries) {
                modal = QApplication::activeModalWidget();
                if (modal && modal->findChild<QWidget*>(QString::fromStdString(name))) {
                    answer(*modal);
                    return;
                }
                QTest::qWait(10);
            }
            ADD_FAILURE() << "no modal dialog with " << name;
        });
    }

    // 选表, then the report of the first group with that name and 确认 in the selection dialog.
    static void OpenReport(QDialog& dialog, const QString& name) {
        WhenModal("vsf", [name](QWidget& modal) {
            auto* tree = modal.findChild<QTreeWidget*>("vsf");
            const QTreeWidgetItem* group = tree->topLevelItem(0);
            for (int item = 0; item < group->childCount(); ++item) {
                if (group->child(item)->text(0) == name) {
                    tree->setCurrentItem(group->child(item));
                }
            }
            QTest::mouseClick(modal.findChild<QPushButton*>("cmdOk"), Qt::LeftButton);
        });
        Trigger(dialog, "open");
    }

    bool Show(std::function<void(GridPrintWindow&)> observer) {
        m_host->SetReportWindowFactory([this, observer] {
            auto window = std::make_unique<GridPrintWindow>(m_registry);
            window->SetShownObserver(observer);
            return window;
        });
        return m_host->ShowReport(1);
    }
};

TEST_P(DrillWindow, DrillReturnDialogsAndWidthsInTheRealWindow) {
    m_db->Exec(
        "INSERT INTO QV_RptChangeColFormat (fuserid, fischange, frptid, fcol, fbegrow, fendrow, fwidth, "
        "fcaption) VALUES (7, 0, 1, 0, 2, 3, 70, '销售明细,编号')");
    std::vector<std::string> captions;
    std::string headerAfterEdit;
    QImage childImage;
    QImage captionDialogImage;
    const bool shown = Show([&](GridPrintWindow& window) {
        QDialog& dialog = *window.Dialog();
        auto* view = dialog.findChild<grid::GridView*>();
        DoubleClickCell(*view, 3, 1); // 李四
        captions.push_back(dialog.windowTitle().toStdString());
        childImage = dialog.grab().toImage();
        Trigger(dialog, "t_return");
        captions.push_back(dialog.windowTitle().toStdString());

        DoubleClickCell(*view, 3, 0); // drills again
        Trigger(dialog, "t_return");
        ClickCell(*view, 2, 0); // the rebuilt grid has no current cell; a click makes column 0 current
        // The caption dialog over column 0, answered with typing and a click on 确定.
        WhenModal("txtNewCaption", [&](QWidget& modal) {
            auto* newCaption = modal.findChild<QLineEdit*>("txtNewCaption");
            vondrel::test::TypeText(QStringLiteral("销售明细,序号"), newCaption);
            captionDialogImage = modal.grab().toImage();
            QTest::mouseClick(modal.findChild<QPushButton*>("cmdOk"), Qt::LeftButton);
        });
        Trigger(dialog, "t_coledit");
        headerAfterEdit = window.Logic()->Grid().CellTextAt(1, 0);

        // The selection dialog: down to 单据明细's neighbour 客户明细 and 确认.
        OpenReport(dialog, QStringLiteral("客户明细"));
        captions.push_back(dialog.windowTitle().toStdString());
        window.Logic()->Grid().SetColWidthTwips(2, 3000);
        Trigger(dialog, "exit");
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(captions, (std::vector<std::string>{"客户明细", "销售汇总", "客户明细"}));
    EXPECT_EQ(headerAfterEdit, "序号");
    ASSERT_FALSE(childImage.isNull());
    childImage.save(QString(VONDREL_TEST_OUTPUT_DIR) + "/drill-child-window.png");
    ASSERT_FALSE(captionDialogImage.isNull());
    captionDialogImage.save(QString(VONDREL_TEST_OUTPUT_DIR) + "/caption-dialog-over-window.png");
    // Closed on 客户明细 (report 2): its three columns saved for the user, the widened one at 200 px.
    EXPECT_EQ(
        Rows("SELECT fcol, fwidth FROM QV_RptChangeColFormat WHERE frptid = 2 AND fuserid = 7 ORDER BY fcol"),
        (Strings{"0|60", "1|120", "2|200"}));
    EXPECT_TRUE(Messages().empty());
}

// Where the user was: the first row and column on screen and the current cell.
struct GridSpot {
    int firstDataRow = -1;
    int leftCol = -1;
    int cursorRow = -1;
    int cursorCol = -1;
    friend bool operator==(const GridSpot&, const GridSpot&) = default;
};

void PrintTo(const GridSpot& spot, std::ostream* out) {
    *out << "top " << spot.firstDataRow << ", left " << spot.leftCol << ", cell " << spot.cursorRow << ","
         << spot.cursorCol;
}

GridSpot SpotOf(grid::GridView& view) {
    QApplication::processEvents(); // the view takes a place asked for once it has laid the rows out
    const grid::GridViewport viewport = view.Viewport();
    return {viewport.firstDataRow, view.Layout().LeftColumnAt(viewport.scrollX), view.Model().CursorRow(),
            view.Model().CursorCol()};
}

// The user scrolls down and right in a narrow window, drills with Enter and comes back with 返回:
// the parent is where it was left; the child, and a report chosen with 选表, open at their top.
// Without keeping the place the return showed the parent at its top with no current cell (top 0,
// left 1, cell -1,-1), the child opened scrolled down as far as the parent was, and so did the
// report chosen with 选表.
TEST_P(DrillWindow, ReturnPutsTheUserBackWhereTheDrillLeft) {
    for (int id = 5; id <= 84; ++id) {
        m_db->Exec("INSERT INTO sales VALUES (" + std::to_string(id) + ", '" + (id % 2 ? "李四" : "王五") +
                   "', " + std::to_string(id) + ", 'n')");
    }
    GridSpot parent, child, returned, chosen;
    int fixedColumnX = -1;
    QImage scrolledImage;
    const bool shown = Show([&](GridPrintWindow& window) {
        QDialog& dialog = *window.Dialog();
        dialog.resize(160, 420); // narrower than the report's columns
        auto* view = dialog.findChild<grid::GridView*>();
        ClickCell(*view, 3, 1);
        for (int page = 0; page < 3; ++page) {
            QTest::keyClick(view, Qt::Key_PageDown);
        }
        QTest::keyClick(view, Qt::Key_Right); // column 2, scrolled into the narrow window
        parent = SpotOf(*view);
        // The report's fixed column (its plug-in fixes one) stays at the left while the others scroll.
        const auto fixedCell = view->Layout().CellRect(view->Viewport(), parent.cursorRow, 0);
        fixedColumnX = fixedCell ? fixedCell->x : -1;
        scrolledImage = dialog.grab().toImage();
        QTest::keyClick(view, Qt::Key_Return); // drills, as a double click on the row does
        child = SpotOf(*view);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("客户明细"));
        // Scrolled in the child too: the return must not keep the child's place for the parent.
        QTest::keyClick(view, Qt::Key_PageDown);
        Trigger(dialog, "t_return");
        returned = SpotOf(*view);
        OpenReport(dialog, QStringLiteral("客户明细"));
        chosen = SpotOf(*view);
        Trigger(dialog, "exit");
    });
    EXPECT_TRUE(shown);
    // The window really was scrolled: rows below the first screen, column 2 at the left of the
    // scrolled columns (column 0 is the report's fixed column).
    EXPECT_GT(parent.firstDataRow, 10);
    EXPECT_EQ(parent.leftCol, 2);
    // Without freezing the fixed columns, column 0 was scrolled out of the window (-1).
    EXPECT_EQ(fixedColumnX, 0);
    ASSERT_FALSE(scrolledImage.isNull());
    scrolledImage.save(QString(VONDREL_TEST_OUTPUT_DIR) + "/scrolled-with-fixed-column.png");
    EXPECT_EQ(returned, parent);
    EXPECT_EQ(child.firstDataRow, 0);
    EXPECT_EQ(child.leftCol, 1);
    EXPECT_EQ(chosen.firstDataRow, 0);
    EXPECT_EQ(chosen.leftCol, 1);
    EXPECT_TRUE(Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Databases, DrillWindow, ::testing::Values(vondrel::test::Backend::Sqlite),
                         vondrel::test::BackendTestName);

} // namespace
