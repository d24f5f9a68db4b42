// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The report window as a user works in it every day, on the demo's 销售日报 template and data:
// real mouse and key events into the real window (offscreen), with what the clipboard, the find bar
// and the status line then hold.
#include "DemoWindow.h"
#include "controls/grid/qt/GridFindBar.h"
#include "support/QtInput.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <unistd.h>

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

using vondrel::test::ClickAt;
using vondrel::test::DemoWindow;
using vondrel::test::PressKey;
using vondrel::test::TypeText;
using vondrel::test::WaitUntil;

// The demo report over fourteen sales, the fifth flagged as voided (-1).
constexpr const char* kRowsSql =
    "SELECT CASE WHEN finterid = 7 THEN -1 ELSE finterid END AS finterid, fdate, fcustomer, fproduct, "
    "fqty, fprice, famount, fpaid FROM xs_sales ORDER BY xs_sales.finterid LIMIT 14";

// The centre of a cell on screen, in the grid's viewport.
QPoint CellCentre(grid::GridView& view, int row, int col) {
    for (const grid::PaintCell& cell : view.Layout().VisibleCells(view.Viewport())) {
        if (cell.row == row && cell.col == col) {
            return {cell.x + cell.width / 2, cell.y + cell.height / 2};
        }
    }
    ADD_FAILURE() << "cell " << row << "," << col << " is not on screen";
    return {};
}

QString Label(QDialog& dialog, const char* name) {
    const auto* label = dialog.findChild<QLabel*>(name);
    return label ? label->text() : QString("<no label %1>").arg(name);
}

std::string Clipboard() {
    return QApplication::clipboard()->text().toStdString();
}

// Pictures for the user documentation (docs/report-window.md), when asked for: VONDREL_DOC_SHOTS
// names a folder. They were made under Xvfb:
//   xvfb-run -a env QT_QPA_PLATFORM=xcb VONDREL_DOC_SHOTS=docs/images test_viewer_qt
//   --gtest_filter='ReportWindowUse*'

void SaveShot(const QImage& image, const char* name) {
    if (const char* folder = std::getenv("VONDREL_DOC_SHOTS")) {
        image.save(QString::fromLocal8Bit(folder) + "/" + name);
    }
}

// The window as a screen shows it: layouts still pending (a status text just set, not yet given its
// width) are done first, or the picture shows the status line cut off.
void SaveShot(QWidget& window, const char* name) {
    if (std::getenv("VONDREL_DOC_SHOTS")) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        SaveShot(window.grab().toImage(), name);
    }
}

int CountOf(const std::vector<std::string>& log, const std::string& call) {
    return static_cast<int>(std::count(log.begin(), log.end(), call));
}

// A desktop icon theme in a folder of its own, with two icons drawn in one colour each: the print
// icon, and the return's only in the monochrome "-symbolic" form some themes (GNOME's) carry.
struct FixtureIconTheme {
    FixtureIconTheme() {
        const QString folder = QString::fromStdString(root.string()) + "/VondrelTest";
        QDir().mkpath(folder + "/32x32/actions");
        QFile index(folder + "/index.theme");
        index.open(QIODevice::WriteOnly);
        index.write("[Icon Theme]\nName=VondrelTest\nDirectories=32x32/actions\n\n"
                    "[32x32/actions]\nSize=32\nType=Fixed\n");
        index.close();
        const auto draw = [&](const char* name, QColor colour) {
            QImage image(32, 32, QImage::Format_ARGB32);
            image.fill(colour);
            image.save(folder + "/32x32/actions/" + name + ".png");
        };
        draw("document-print", QColor("#00a000"));
        draw("go-up-symbolic", QColor("#0000c0"));
        QIcon::setThemeSearchPaths({QString::fromStdString(root.string())});
        QIcon::setThemeName("VondrelTest");
    }
    ~FixtureIconTheme() {
        QIcon::setThemeName(previousName);
        QIcon::setThemeSearchPaths(previousPaths);
        std::filesystem::remove_all(root);
    }
    std::filesystem::path root =
        std::filesystem::temp_directory_path() / ("vondrel-icons-" + std::to_string(::getpid()));
    QString previousName = QIcon::themeName();
    QStringList previousPaths = QIcon::themeSearchPaths();
};

// The toolbar takes the desktop's icons where its theme has them, and the coloured badges elsewhere;
// captions stay. Without the theme every button showed its badge (print's blue #4a78b5).
TEST(ReportWindowUse, ToolbarTakesTheDesktopIconsAndFallsBackToBadges) {
    const FixtureIconTheme theme;
    DemoWindow demo(kRowsSql);
    std::map<std::string, QRgb> centres;
    std::map<std::string, QString> captions;
    demo.Use([&](QDialog& dialog, grid::GridView&) {
        for (QAction* action : dialog.findChild<QToolBar*>()->actions()) {
            if (!action->isSeparator()) {
                const QImage icon = action->icon().pixmap(32, 32).toImage();
                // Left of the badge's letter: its tile colour; anywhere on the fixture's: its one colour.
                centres[action->objectName().toStdString()] = icon.pixel(5, 16);
                captions[action->objectName().toStdString()] = action->text();
            }
        }
        SaveShot(dialog.grab().toImage(), "window-icons.png");
    });
    EXPECT_EQ(QColor(centres["print"]).name().toStdString(), "#00a000");
    EXPECT_EQ(QColor(centres["t_return"]).name().toStdString(), "#0000c0");
    EXPECT_EQ(QColor(centres["exit"]).name().toStdString(), "#b54a4a") << "not in the theme: the badge";
    EXPECT_EQ(captions["print"].toStdString(), "打印");
    EXPECT_EQ(captions["t_return"].toStdString(), "返回");
}

TEST(ReportWindowUse, EscKeepsTheWindowOpenAndTheToolbarKeysCloseIt) {
    DemoWindow demo(kRowsSql);
    bool isOpenAfterEsc = false;
    bool isOpenAfterCtrlW = true;
    demo.Use([&](QDialog& dialog, grid::GridView&) {
        PressKey(Qt::Key_Escape);
        QApplication::processEvents();
        // Without the fix the dialog's own Esc handling rejected it: the report closed (and stored its
        // column widths) under a user who only meant to leave a cell.
        isOpenAfterEsc = dialog.isVisible();
        PressKey(Qt::Key_W, Qt::ControlModifier);
        QApplication::processEvents();
        isOpenAfterCtrlW = dialog.isVisible();
    });
    EXPECT_TRUE(isOpenAfterEsc);
    EXPECT_FALSE(isOpenAfterCtrlW);
}

TEST(ReportWindowUse, ClickShiftArrowsDragCopyAndTheSumOfTheSelection) {
    DemoWindow demo(kRowsSql);
    demo.Use([&](QDialog& dialog, grid::GridView& view) {
        grid::GridModel& grid = view.Model();
        // A click on the quantity of the third sale: the row is the selection, the column stays current.
        // Without the fix the row selection moved the current column to 0, so 列标题 edited 单号.
        ClickAt(view.viewport(), CellCentre(view, 5, 4));
        EXPECT_EQ(grid.Selection(), (grid::MergeSpan{5, 0, 5, 7}));
        EXPECT_EQ(grid.CursorCol(), 4);
        PressKey(Qt::Key_C, Qt::ControlModifier);
        // Raw values: 23.8 and 618.8, not the grid's 23.80 and 618.80.
        EXPECT_EQ(Clipboard(), "6\t2024-01-01\t上海食品批发部\t火锅底料400g\t26\t23.8\t618.8\t1\n");

        // Shift+Down twice grows the selection from the clicked cell, as a drag over the same cells does.
        PressKey(Qt::Key_Down, Qt::ShiftModifier);
        PressKey(Qt::Key_Down, Qt::ShiftModifier);
        EXPECT_EQ(grid.Selection(), (grid::MergeSpan{5, 4, 7, 4}));
        ASSERT_TRUE(WaitUntil([&] { return !Label(dialog, "sumStatus").isEmpty(); }));
        EXPECT_EQ(Label(dialog, "sumStatus").toStdString(), "计数: 3    求和: 111    平均值: 37");
        EXPECT_EQ(Label(dialog, "rowStatus").toStdString(), "共 14 行");
        PressKey(Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(Clipboard(), "26\n37\n48\n");
        const QImage byKeys = view.viewport()->grab().toImage();
        SaveShot(dialog, "report-status.png");

        ClickAt(view.viewport(), CellCentre(view, 10, 1));
        vondrel::test::DragFromTo(view.viewport(), CellCentre(view, 5, 4), CellCentre(view, 7, 4));
        EXPECT_EQ(grid.Selection(), (grid::MergeSpan{5, 4, 7, 4}));
        EXPECT_EQ(view.viewport()->grab().toImage(), byKeys) << "the mouse highlights what the keys did";

        // Shift+click extends from the current cell instead of selecting the clicked row.
        ClickAt(view.viewport(), CellCentre(view, 9, 6), Qt::ShiftModifier);
        EXPECT_EQ(grid.Selection(), (grid::MergeSpan{5, 4, 9, 6}));
        PressKey(Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(Clipboard(),
                  "26\t23.8\t618.8\n37\t43.77\t1619.49\n48\t228.48\t10967.04\n3\t157.92\t473.76\n"
                  "14\t157.92\t2210.88\n");
    });
    EXPECT_TRUE(demo.services->TakeMessages().empty());
}

TEST(ReportWindowUse, ContextMenuCopiesWithTheMergedHeaderAndSelectsAll) {
    DemoWindow demo(kRowsSql);
    demo.Use([&](QDialog& dialog, grid::GridView& view) {
        grid::GridModel& grid = view.Model();
        ClickAt(view.viewport(), CellCentre(view, 3, 2));
        QStringList captions;
        const auto openMenuAndPick = [&](const QString& pick) {
            QTimer::singleShot(50, &dialog, [&, pick] {
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                if (!menu) {
                    return;
                }
                captions.clear();
                for (QAction* action : menu->actions()) {
                    if (!action->isSeparator()) {
                        captions << action->text();
                    }
                    if (action->text() == pick) {
                        // The window with the menu where it opened.
                        QImage shot = dialog.grab().toImage();
                        QPainter painter(&shot);
                        painter.drawImage(menu->pos() - dialog.mapToGlobal(QPoint(0, 0)),
                                          menu->grab().toImage());
                        painter.end();
                        SaveShot(shot, "report-menu.png");
                        action->trigger();
                    }
                }
                menu->close();
            });
            const QPoint at = CellCentre(view, 3, 2);
            QContextMenuEvent event(QContextMenuEvent::Mouse, at, view.viewport()->mapToGlobal(at));
            QApplication::sendEvent(view.viewport(), &event);
        };
        openMenuAndPick("复制(含表头)");
        EXPECT_EQ(captions.join('|').toStdString(), "复制|复制(含表头)|全选");
        // The merged header: one cell per block in the text, and rowspan/colspan in the table.
        EXPECT_EQ(Clipboard(), "单号\t日期\t销售情况\t\t\t\t\t\n"
                               "\t\t客户与商品\t\t数量与金额\t\t\t收款\n"
                               "\t\t客户\t商品\t数量\t单价\t金额\t\n"
                               "1\t2024-01-01\t深圳华联商厦\t五常大米5kg\t49\t68.5\t3356.5\t1\n");
        const std::string html = QApplication::clipboard()->mimeData()->html().toStdString();
        EXPECT_NE(html.find("<tr><th rowspan=\"3\">单号</th><th rowspan=\"3\">日期</th><th "
                            "colspan=\"6\">销售情况</th></tr>"),
                  std::string::npos)
            << html;
        EXPECT_NE(html.find("<td>49</td><td>68.5</td><td>3356.5</td>"), std::string::npos) << html;

        openMenuAndPick("全选");
        EXPECT_EQ(grid.Selection(), (grid::MergeSpan{3, 0, 17, 7}));
        ASSERT_TRUE(WaitUntil([&] { return Label(dialog, "sumStatus").startsWith("计数: 72"); }))
            << Label(dialog, "sumStatus").toStdString();
    });
}

TEST(ReportWindowUse, FindBarSearchesShownTextsAndGoesRoundTheEnd) {
    DemoWindow demo(kRowsSql);
    demo.Use([&](QDialog& dialog, grid::GridView& view) {
        grid::GridModel& grid = view.Model();
        auto* bar = static_cast<grid::GridFindBar*>(dialog.findChild<QWidget*>("findBar"));
        auto* text = dialog.findChild<QLineEdit*>("findText");
        ASSERT_TRUE(bar && text);
        EXPECT_FALSE(bar->isVisible());
        PressKey(Qt::Key_F, Qt::ControlModifier);
        EXPECT_TRUE(bar->isVisible());
        EXPECT_EQ(QApplication::focusWidget(), text);
        const auto status = [&] {
            EXPECT_TRUE(WaitUntil([&] { return !bar->IsBusy(); }));
            return bar->StatusText().toStdString();
        };
        const auto current = [&] {
            return grid::CellPos{grid.CursorRow(), grid.CursorCol()};
        };

        TypeText("五常");
        EXPECT_EQ(status(), "共 2 处");
        PressKey(Qt::Key_Return);
        EXPECT_EQ(status(), "共 2 处");
        EXPECT_EQ(current(), (grid::CellPos{3, 3}));
        PressKey(Qt::Key_Return);
        EXPECT_EQ(status(), "共 2 处");
        EXPECT_EQ(current(), (grid::CellPos{13, 3}));
        SaveShot(dialog, "report-find.png");
        PressKey(Qt::Key_Return);
        EXPECT_EQ(status(), "已到末尾，从头继续查找。共 2 处");
        EXPECT_EQ(current(), (grid::CellPos{3, 3}));
        PressKey(Qt::Key_Return, Qt::ShiftModifier);
        EXPECT_EQ(status(), "已到开头，从末尾继续查找。共 2 处");
        EXPECT_EQ(current(), (grid::CellPos{13, 3}));
        // F3 goes on from the grid too.
        view.setFocus();
        PressKey(Qt::Key_F3);
        EXPECT_EQ(status(), "已到末尾，从头继续查找。共 2 处");
        EXPECT_EQ(current(), (grid::CellPos{3, 3}));

        struct Case {
            const char* name;
            QString text;
            bool isMatchCase;
            bool isWholeCell;
            std::string status;
        };
        const Case cases[] = {
            {"the grid's text of a number, with its separator", "3,356", false, false, "共 1 处"},
            {"case folded", "ML", false, false, "共 3 处"},
            {"case kept", "ML", true, false, "找不到“ML”"},
            {"whole cell", "五常大米5kg", false, true, "共 2 处"},
            {"part of a cell is not the whole cell", "五常", false, true, "找不到“五常”"},
            {"the totals row's caption", "合计", false, false, "共 1 处"},
            {"header captions are not searched", "销售情况", false, false, "找不到“销售情况”"},
        };
        auto* matchCase = dialog.findChild<QAbstractButton*>("findMatchCase");
        auto* wholeCell = dialog.findChild<QAbstractButton*>("findWholeCell");
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            matchCase->setChecked(c.isMatchCase);
            wholeCell->setChecked(c.isWholeCell);
            text->setText(c.text);
            EXPECT_EQ(status(), c.status);
        }
        matchCase->setChecked(false);
        wholeCell->setChecked(false);
        // A hidden column is not searched.
        grid.SetColHiddenFlag(3, true);
        text->setText("五常");
        EXPECT_EQ(status(), "找不到“五常”");
        text->setFocus();
        PressKey(Qt::Key_Escape);
        EXPECT_FALSE(bar->isVisible());
        EXPECT_TRUE(dialog.isVisible()) << "Esc closes the find bar, not the report";
    });
}

TEST(ReportWindowUse, KeysMoveInTheGridAndReachEveryToolbarButton) {
    DemoWindow demo(kRowsSql);
    demo.Use([&](QDialog& dialog, grid::GridView& view) {
        grid::GridModel& grid = view.Model();
        std::map<std::string, QString> tips;
        for (QAction* action : dialog.findChild<QToolBar*>()->actions()) {
            tips[action->objectName().toStdString()] = action->toolTip();
        }
        EXPECT_EQ(tips["print"].toStdString(), "打印 (Ctrl+P)");
        EXPECT_EQ(tips["printpreview"].toStdString(), "预览 (Ctrl+Shift+P, F12)");
        EXPECT_EQ(tips["regetdata"].toStdString(), "重取 (F5)");
        EXPECT_EQ(tips["dc"].toStdString(), "导出 (Ctrl+E)");
        EXPECT_EQ(tips["exit"].toStdString(), "退出 (Ctrl+W, Alt+F4)");
        EXPECT_EQ(tips["t_coledit"].toStdString(), "可变列标题编辑");

        struct Case {
            const char* name;
            int key;
            Qt::KeyboardModifiers modifiers;
            grid::CellPos expected;
        };
        const Case cases[] = {
            {"Ctrl+End: the last row (the totals)", Qt::Key_End, Qt::ControlModifier, {17, 0}},
            {"End: the last column", Qt::Key_End, Qt::NoModifier, {17, 7}},
            {"Ctrl+Home: the first data row", Qt::Key_Home, Qt::ControlModifier, {3, 7}},
            {"Home: the first column", Qt::Key_Home, Qt::NoModifier, {3, 0}},
            {"PageDown: a screen down, at most to the last row", Qt::Key_PageDown, Qt::NoModifier, {17, 0}},
            {"PageUp: back to the top", Qt::Key_PageUp, Qt::NoModifier, {3, 0}},
        };
        ClickAt(view.viewport(), CellCentre(view, 4, 0));
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            PressKey(c.key, c.modifiers);
            EXPECT_EQ((grid::CellPos{grid.CursorRow(), grid.CursorCol()}), c.expected);
        }

        // The print keys reach the services as the buttons do; Ctrl+E asks for a file (cancelled here).
        demo.services->ScriptSaveFile(std::nullopt);
        PressKey(Qt::Key_P, Qt::ControlModifier);
        PressKey(Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        PressKey(Qt::Key_F12);
        PressKey(Qt::Key_E, Qt::ControlModifier);
        std::vector<int> kinds;
        for (const auto& call : demo.services->OutputCalls()) {
            kinds.push_back(call.kind);
        }
        using Call = vondrel::test::ScriptedServices::OutputCall;
        EXPECT_EQ(kinds, (std::vector<int>{Call::Print, Call::Preview, Call::Preview}));
        EXPECT_EQ(demo.services->SaveRequests().size(), 1U);

        const int asked = CountOf(demo.log, "SetPara");
        PressKey(Qt::Key_F5);
        EXPECT_EQ(CountOf(demo.log, "SetPara"), asked + 1) << "F5 fetches again with the parameter dialog";
        // Tab leaves the grid for the toolbar; Space presses the button that has the focus.
        view.setFocus();
        QToolButton* reached = nullptr;
        for (int press = 0; press < 40 && !reached; ++press) {
            PressKey(Qt::Key_Tab);
            auto* button = qobject_cast<QToolButton*>(QApplication::focusWidget());
            if (button && button->defaultAction() && button->defaultAction()->objectName() == "regetdata") {
                reached = button;
            }
        }
        ASSERT_NE(reached, nullptr) << "重取 is reached with Tab";
        PressKey(Qt::Key_Space);
        EXPECT_EQ(CountOf(demo.log, "SetPara"), asked + 2);
        EXPECT_TRUE(dialog.isVisible());
    });
}

TEST(ReportWindowUse, AReportWithoutRowsSaysSoInTheGrid) {
    DemoWindow demo("SELECT finterid, fdate, fcustomer, fproduct, fqty, fprice, famount, fpaid FROM xs_sales "
                    "WHERE finterid < 0");
    int inkBelowHeader = 0;
    QString rows;
    demo.Use([&](QDialog& dialog, grid::GridView& view) {
        ASSERT_TRUE(WaitUntil([&] { return !Label(dialog, "rowStatus").isEmpty(); }));
        rows = Label(dialog, "rowStatus");
        const QImage image = view.viewport()->grab().toImage();
        const int top = view.Layout().HeaderHeight() + 4;
        for (int y = top; y < top + 40; ++y) {
            for (int x = 0; x < image.width(); ++x) {
                inkBelowHeader += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
            }
        }
    });
    EXPECT_GT(inkBelowHeader, 50) << "没有符合条件的数据 is written where the rows would be";
    EXPECT_EQ(rows.toStdString(), "共 0 行");
    EXPECT_TRUE(demo.services->TakeMessages().empty()) << "no message box";
}

} // namespace
