// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Per-user column overrides on real catalogues (SQLite and PostgreSQL): the rows applied to a template
// (fixed and variable columns, the merge left of the first variable column), applied to both sheets
// and the grid, the widths saved at close, the reset with its procedure, the unusable login user id,
// and the column-caption command with its dialog.
#include "columns/ColumnOverrides.h"

#include "columns/frmColEdit.h"
#include "drill/CatalogueWindow.h"
#include "vb/Error.h"

using QV_GridPrint::frmGridPrint;
using QV_GridPrint::columns::frmColEdit;
using vondrel::test::Backend;
using Strings = std::vector<std::string>;

namespace {

class Overrides : public vondrel::test::CatalogueWindow {
protected:
    // A click selects the whole row with the cursor in column 0; the arrow keys then reach the column.
    void SelectColumn(int col) {
        m_window->Grid().UserClick(3, 0);
        m_window->Grid().MoveCursor(0, col);
        ASSERT_EQ(m_window->Grid().CursorCol(), col);
    }
    void AddRow(const std::string& values) {
        m_db->Exec("INSERT INTO QV_RptChangeColFormat (fuserid, fischange, frptid, fcol, fbegrow, fendrow, "
                   "fwidth, fcaption, fdatafield, fistotal, fdatatype, fdataformat) VALUES (" +
                   values + ")");
    }
    // fuserid|frptid|fcol|fischange|fbegrow|fendrow|fwidth|fcaption|fdataformat, by user and column.
    Strings OverrideRows() const {
        return Rows(
            "SELECT fuserid, frptid, fcol, fischange, fbegrow, fendrow, fwidth, fcaption, fdataformat "
            "FROM QV_RptChangeColFormat ORDER BY frptid, fuserid, fcol");
    }
};

// A template of six columns: header rows 2 and 3, field row 4, "end" in 5, totals flags in 6.
sheet::SheetDocument SixColumnTemplate() {
    sheet::SheetDocument doc;
    bool ok = doc.Resize(6, 7) && doc.SetCellText(0, 0, "start") && doc.SetCellText(0, 5, "end");
    for (int col = 0; col < 6; ++col) {
        const std::string n = std::to_string(col);
        ok = ok && doc.SetCellText(col, 2, "上" + n) && doc.SetCellText(col, 3, "下" + n) &&
             doc.SetCellText(col, 4, "f" + n) && doc.SetColWidth(col, 50);
    }
    if (!ok) {
        throw std::runtime_error("template");
    }
    return doc;
}

std::string Text(const sheet::SheetDocument& doc, int col, int row) {
    const vb::Variant value = doc.CellValue(col, row);
    return value.IsNull() ? std::string() : vb::CStr(value);
}

// Column c of rows 2..6 as "上|下|field|end|totals" with its width.
std::string Column(const sheet::SheetDocument& doc, int col) {
    int width = 0;
    doc.GetColWidth(col, width);
    std::string line;
    for (int row = 2; row <= 6; ++row) {
        line.append(row > 2 ? "|" : "").append(Text(doc, col, row));
    }
    return line.append(" w=").append(std::to_string(width));
}

TEST_P(Overrides, VariableColumnsFiveAndSixAndAFixedColumn) {
    AddRow("7, 0, 1, 1, 2, 3, 100.5, '甲,O''乙', NULL, NULL, NULL, NULL");
    AddRow("7, 1, 1, 5, 2, 3, 80, '本月,数量', 'qty', 1, 0, 2");
    AddRow("7, 1, 1, 6, 2, 3, 120, '本月,备注', 'memo', NULL, 1, NULL");
    AddRow("8, 0, 1, 0, 2, 3, 300, '别人,的', NULL, NULL, NULL, NULL");
    AddRow("7, 0, 2, 0, 2, 3, 300, '别的,报表', NULL, NULL, NULL, NULL");
    sheet::SheetDocument doc = SixColumnTemplate();
    QV_GridPrint::columns::ApplyChangeFormat(*m_db->Connection(), vb::Variant(std::string("7")), 1, doc,
                                             {2, 3});
    ASSERT_EQ(doc.SheetColCount(), 8);
    // fcol 5 goes before old column 5; fcol 6 (not past the last index, 6) before it again, so old 5
    // ends at 7. Widths round halves to even (100.5 -> 100). Other users' and reports' rows stay out.
    const Strings expected = {"上0|下0|f0|end| w=50",   "甲|O'乙|f1|| w=100", "上2|下2|f2|| w=50",
                              "上3|下3|f3|| w=50",      "上4|下4|f4|| w=50",  "本月|数量|qty||y w=80",
                              "本月|备注|memo|| w=120", "上5|下5|f5|| w=50"};
    for (int col = 0; col < 8; ++col) {
        EXPECT_EQ(Column(doc, col), expected[static_cast<std::size_t>(col)]) << "column " << col;
    }
    EXPECT_EQ(doc.GetCellAlign(5, 2), 36);
    EXPECT_EQ(doc.GetCellAlign(6, 3), 36);
    EXPECT_EQ(doc.GetCellAlign(5, 4), 34) << "numeric field cell";
    EXPECT_EQ(doc.GetCellAlign(6, 4), 33) << "text field cell";
    EXPECT_EQ(doc.GetCellOption(5, 4), 0) << "zeros shown";
    sheet::NumFormat format;
    ASSERT_TRUE(doc.GetCellNumFormat(5, 4, format));
    EXPECT_EQ(format, (sheet::NumFormat{0, false, 2, -1, 0.0, 0, false}));
    int c1 = 0, r1 = 0, c2 = 0, r2 = 0;
    EXPECT_TRUE(doc.GetMergeRange(4, 2, c1, r1, c2, r2)) << "the column left of the first variable column";
    EXPECT_EQ((std::vector<int>{c1, r1, c2, r2}), (std::vector<int>{4, 2, 4, 3}));
}

TEST_P(Overrides, RowsThatDoNotFitTheTemplateAndFailuresThatEndTheLoad) {
    struct Case {
        const char* name;
        const char* row;
        std::string column5; // column 5 afterwards; "" when the load must fail
    } const cases[] = {
        // One header row: the field lands in the row below it, which is the field row; the inserted
        // column has nothing in the row above.
        {"single header row", "7, 1, 1, 5, 3, 3, 60, '数量', 'qty', NULL, 0, 0", "|数量|qty|| w=60"},
        // Rows a user stored must never keep the report from opening. Without the fix these failed
        // the load with "个人列设置的列标题…的级数少于表头行数".
        {"caption with fewer parts than rows", "7, 0, 1, 5, 2, 3, 60, '只有一级', NULL, NULL, NULL, NULL",
         "只有一级|下5|f5|| w=60"},
        {"empty caption over two rows", "7, 0, 1, 5, 2, 3, 60, '', NULL, NULL, NULL, NULL",
         "上5|下5|f5|| w=60"},
        {"empty top level kept", "7, 0, 1, 5, 2, 3, 60, ',下', NULL, NULL, NULL, NULL", "|下|f5|| w=60"},
        // Written for an older drawing whose header was rows 4 and 5: the width still fits the column,
        // the captions would land in the field row and below. Without the fix "新|标" overwrote the
        // field name and the end marker, and the report showed no data.
        {"header moved since the row was written", "7, 0, 1, 5, 4, 5, 60, '新,标', NULL, NULL, NULL, NULL",
         "上5|下5|f5|| w=60"},
        {"column the template no longer has", "7, 0, 1, 9, 2, 3, 60, '旧,列', NULL, NULL, NULL, NULL",
         "上5|下5|f5|| w=50"},
        {"Null width", "7, 0, 1, 5, 2, 3, NULL, 'a,b', NULL, NULL, NULL, NULL", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_db->Exec("DELETE FROM QV_RptChangeColFormat");
        AddRow(c.row);
        sheet::SheetDocument doc = SixColumnTemplate();
        const auto apply = [&] {
            QV_GridPrint::columns::ApplyChangeFormat(*m_db->Connection(), vb::Variant(7), 1, doc, {2, 3});
        };
        if (c.column5.empty()) {
            EXPECT_THROW(apply(), vb::Error);
        } else {
            apply();
            EXPECT_EQ(Column(doc, 5), c.column5);
        }
    }
}

TEST_P(Overrides, AppliedToBothSheetsAndTheGridHeader) {
    AddRow("7, 0, 1, 0, 2, 3, 70, '销售明细,序号', NULL, NULL, NULL, NULL");
    AddRow("7, 1, 1, 3, 2, 3, 90, '附加,编号二', 'id', 1, 0, 0");
    frmGridPrint& window = OpenWindow();
    for (const sheet::SheetDocument* doc : {&window.TemplateSheet(), &window.PrintSheet()}) {
        EXPECT_EQ(Text(*doc, 0, 3), "序号");
        EXPECT_EQ(Text(*doc, 3, 2), "附加");
        EXPECT_EQ(Text(*doc, 3, 3), "编号二");
        EXPECT_EQ(Text(*doc, 3, 4), "id");
        EXPECT_EQ(Text(*doc, 3, 6), "y");
        int c1 = 0, r1 = 0, c2 = 0, r2 = 0;
        EXPECT_TRUE(doc->GetMergeRange(2, 3, c1, r1, c2, r2));
        EXPECT_EQ((std::vector<int>{c1, r1, c2, r2}), (std::vector<int>{2, 2, 2, 3}))
            << "the merge left of the variable column replaces the template's merge over it";
    }
    const Strings rows = GridRows();
    EXPECT_EQ(rows[1].substr(0, rows[1].find('|')), "序号");
    EXPECT_EQ(rows[0].substr(rows[0].rfind('|') + 1), "附加");
    EXPECT_EQ(rows[1].substr(rows[1].rfind('|') + 1), "编号二");
    // The variable column's data, its zeros shown, and its total.
    EXPECT_EQ(rows[2].substr(rows[2].rfind('|') + 1), "1");
    EXPECT_EQ(rows.back(), "|合计|60.75|10");
    EXPECT_EQ(window.Grid().ColWidthTwips(0), 70 * 15);
    EXPECT_EQ(window.Grid().ColWidthTwips(3), 90 * 15);
    EXPECT_TRUE(Messages().empty());
}

TEST_P(Overrides, WidthsSavedOnCloseOneRowPerColumnAndFoundAfterReopening) {
    // A header text with a quote is saved as it is.
    sheet::SheetDocument doc;
    ASSERT_EQ(doc.OpenFile((m_folder / "sales.cll").string()), 1);
    ASSERT_TRUE(doc.SetCellText(1, 3, "客户's") && doc.SaveFile((m_folder / "sales.cll").string()));
    frmGridPrint& window = OpenWindow();
    window.Grid().SetColWidthTwips(0, 900);
    window.Grid().SetColWidthTwips(1, 1500);
    window.Grid().SetColHiddenFlag(1, true);
    window.Grid().SetColWidthTwips(2, 1522); // 101.47 pixels, written as the double it is
    window.Unload();
    EXPECT_EQ(OverrideRows(),
              (Strings{"7|1|0|0|2|3|60|销售明细,编号|NULL", "7|1|1|0|2|3|100|销售明细,客户's|NULL",
                       "7|1|2|0|2|3|101.466666666667|销售明细,金额|NULL"}));

    frmGridPrint& again = OpenWindow();
    EXPECT_EQ(again.Grid().ColWidthTwips(0), 900);
    EXPECT_EQ(again.Grid().ColWidthTwips(2), 101 * 15) << "whole pixels on the sheet";
    again.Grid().SetColWidthTwips(2, 2250);
    again.Unload();
    // Still one row per user, report and column; only the width changed.
    EXPECT_EQ(OverrideRows(),
              (Strings{"7|1|0|0|2|3|60|销售明细,编号|NULL", "7|1|1|0|2|3|100|销售明细,客户's|NULL",
                       "7|1|2|0|2|3|150|销售明细,金额|NULL"}));
    frmGridPrint& third = OpenWindow();
    EXPECT_EQ(third.Grid().ColWidthTwips(2), 2250);
    EXPECT_TRUE(Messages().empty());
}

TEST_P(Overrides, RowsOfAnEarlierDrawingAndEmptyLevelsSurviveTheNextClose) {
    // The template drawn anew: no merge over the top row, column 1 without a top caption.
    sheet::SheetDocument doc;
    ASSERT_TRUE(doc.Resize(3, 7) && doc.SetCellText(0, 0, "start") && doc.SetCellText(0, 5, "end"));
    ASSERT_TRUE(doc.SetCellText(0, 2, "销售") && doc.SetCellText(2, 2, "金额"));
    ASSERT_TRUE(doc.SetCellText(0, 3, "编号") && doc.SetCellText(1, 3, "客户") &&
                doc.SetCellText(2, 3, "元"));
    ASSERT_TRUE(doc.SetCellText(0, 4, "id") && doc.SetCellText(1, 4, "name") &&
                doc.SetCellText(2, 4, "amount"));
    ASSERT_TRUE(doc.SetColWidth(0, 60) && doc.SetColWidth(1, 120) && doc.SetColWidth(2, 100));
    ASSERT_TRUE(doc.SaveFile((m_folder / "sales.cll").string()));
    // Written when the header was rows 4 and 5, and for a fourth column the drawing no longer has.
    AddRow("7, 0, 1, 0, 4, 5, 80, '旧,标题', NULL, NULL, NULL, NULL");
    AddRow("7, 0, 1, 7, 2, 3, 90, '旧,列', NULL, NULL, NULL, NULL");
    frmGridPrint& window = OpenWindow();
    // Without the fix "旧" and "标题" overwrote the field row and the end marker: no data at all.
    EXPECT_EQ(GridRows()[0], "销售||金额");
    EXPECT_EQ(GridRows()[1], "编号|客户|元");
    EXPECT_EQ(GridRows().size(), 6U) << "two header rows and the four sales";
    EXPECT_EQ(window.Grid().ColWidthTwips(0), 80 * 15) << "the width still fits the column";
    window.Unload();
    // Rewritten for the drawing as it is; the empty top level is kept, so the caption reads back level
    // by level. Without the fix column 1 was saved as "客户" and the next open refused the report
    // with "个人列设置的列标题…的级数少于表头行数".
    EXPECT_EQ(OverrideRows(), (Strings{"7|1|0|0|2|3|80|销售,编号|NULL", "7|1|1|0|2|3|120|,客户|NULL",
                                       "7|1|2|0|2|3|100|金额,元|NULL", "7|1|7|0|2|3|90|旧,列|NULL"}));
    OpenWindow();
    EXPECT_EQ(GridRows()[0], "销售||金额");
    EXPECT_EQ(GridRows()[1], "编号|客户|元");
    EXPECT_TRUE(Messages().empty());
}

TEST_P(Overrides, EveryColumnIsTriedWhenSomeCannotBeSaved) {
    if (GetParam() != vondrel::test::Backend::Sqlite) {
        GTEST_SKIP() << "the refusing trigger is written for SQLite";
    }
    m_db->Exec("CREATE TRIGGER refuse_col1 BEFORE INSERT ON QV_RptChangeColFormat WHEN NEW.fcol = 1 "
               "BEGIN SELECT RAISE(ABORT, 'column 1 is locked'); END");
    frmGridPrint& window = OpenWindow();
    window.Unload();
    // Without the fix the save stopped at column 1 and column 2's width was lost.
    EXPECT_EQ(Rows("SELECT fcol FROM QV_RptChangeColFormat ORDER BY fcol"), (Strings{"0", "2"}));
    const std::vector<ui::Message> messages = Messages();
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_NE(messages[0].text.find("共 1 列没有保存"), std::string::npos) << messages[0].text;
    EXPECT_NE(messages[0].text.find("column 1 is locked"), std::string::npos) << messages[0].text;
}

TEST_P(Overrides, ALoginUserIdThatIsNoNumberIsNeverWrittenIntoStatements) {
    AddRow("7, 0, 1, 2, 2, 3, 150, '销售明细,金额（元）', NULL, NULL, NULL, NULL");
    SetUserId("7 or 1=1");
    frmGridPrint& window = OpenWindow();
    std::vector<ui::Message> messages = Messages();
    ASSERT_EQ(messages.size(), 1U) << "reported once, although both sheets were loaded";
    EXPECT_NE(messages[0].text.find("fuserid 不是数字（7 or 1=1）"), std::string::npos) << messages[0].text;
    EXPECT_EQ(GridRows()[1], "编号|客户|金额") << "no overrides applied";
    window.Unload();
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(OverrideRows(), (Strings{"7|1|2|0|2|3|150|销售明细,金额（元）|NULL"})) << "nothing saved";
}

// A host that gives no user (the numeric field left unset, or Null) keeps no personal settings and
// is told nothing: only a value that is there and is not a number is a fault worth a message.
TEST_P(Overrides, ALoginWithoutAUserIdKeepsNoSettingsSilently) {
    AddRow("7, 0, 1, 2, 2, 3, 150, '销售明细,金额（元）', NULL, NULL, NULL, NULL");
    for (const bool isNull : {false, true}) {
        SCOPED_TRACE(isNull ? "Null" : "unset");
        m_host->CreateRsLogin("FUsername S20,fuserid N");
        if (isNull) {
            m_host->rsLogin()->Fields("fuserid").SetValue(vb::Variant::Null());
        }
        frmGridPrint& window = OpenWindow();
        EXPECT_TRUE(Messages().empty());
        EXPECT_EQ(GridRows()[1], "编号|客户|金额") << "no overrides applied";
        window.Unload();
        EXPECT_TRUE(Messages().empty());
        EXPECT_EQ(OverrideRows(), (Strings{"7|1|2|0|2|3|150|销售明细,金额（元）|NULL"})) << "nothing saved";
    }
}

TEST_P(Overrides, ResetDeletesEveryUsersRowsAndRunsTheProcedure) {
    AddRow("7, 0, 1, 0, 2, 3, 150, '销售明细,号', NULL, NULL, NULL, NULL");
    AddRow("8, 0, 1, 1, 2, 3, 150, '销售明细,户', NULL, NULL, NULL, NULL");
    AddRow("7, 0, 2, 1, 2, 3, 150, '别的,报表', NULL, NULL, NULL, NULL");
    frmGridPrint& window = OpenWindow();
    window.ToolbarClick("t_csgs");
    EXPECT_EQ(Rows("SELECT args FROM proc_calls"), (Strings{"x0|x1|x2|7"})) << "parameters, then the user";
    EXPECT_EQ(OverrideRows(), (Strings{"7|1|3|1|2|3|90|附加,编号二|1", "7|2|1|0|2|3|150|别的,报表|NULL"}));
    // The rebuild applied the procedure's variable column, without asking for parameters.
    EXPECT_EQ(GridRows()[1].substr(GridRows()[1].rfind('|') + 1), "编号二");
    EXPECT_EQ(GridRows().back(), "|合计|60.75|10");
    EXPECT_EQ(m_log.front(), "new");
    EXPECT_EQ(std::count(m_log.begin(), m_log.end(), "SetPara"), 0);
    EXPECT_EQ(m_services->BusyDepth(), 0);
    EXPECT_GT(m_services->MaxBusyDepth(), 0);
    EXPECT_TRUE(Messages().empty());
}

TEST_P(Overrides, ResetOfAReportWithoutProcedure) {
    QV_GridPrint::modGridPrint::RptID = 3; // fchangecol is blank
    AddRow("7, 0, 3, 0, 2, 3, 150, '销售明细,号', NULL, NULL, NULL, NULL");
    OpenWindow().ToolbarClick("t_csgs");
    EXPECT_TRUE(Rows("SELECT args FROM proc_calls").empty());
    EXPECT_TRUE(OverrideRows().empty());
    EXPECT_EQ(GridRows()[1], "编号|客户|金额");
    EXPECT_TRUE(Messages().empty());
}

TEST_P(Overrides, CaptionCommandGateDialogAndUpdateForAllUsers) {
    frmGridPrint& window = OpenWindow();
    SelectColumn(2);
    window.ToolbarClick("t_coledit");
    EXPECT_EQ(m_dialogs.colEditShown, 0) << "no row for the column: nothing, silently";

    // Only another user has a row: the dialog opens, that row changes, this user's header does not.
    AddRow("8, 0, 1, 2, 2, 3, 150, '销售明细,金额', NULL, NULL, NULL, NULL");
    m_dialogs.onColEdit = [](frmColEdit& dialog) {
        EXPECT_EQ(dialog.txtOldCaption, "销售明细,金额");
        dialog.txtNewCaption = "销售明细,O'Neil's";
        dialog.cmdOk_Click();
    };
    window.ToolbarClick("t_coledit");
    EXPECT_EQ(m_dialogs.colEditShown, 1);
    EXPECT_EQ(OverrideRows(), (Strings{"8|1|2|0|2|3|150|销售明细,O'Neil's|0"}));
    EXPECT_EQ(GridRows()[1], "编号|客户|金额");
    EXPECT_EQ(m_log.front(), "new") << "rebuilt";

    // With this user's row too, the rebuild shows the caption typed.
    AddRow("7, 0, 1, 2, 2, 3, 150, '销售明细,金额', NULL, NULL, NULL, NULL");
    m_dialogs.onColEdit = [](frmColEdit& dialog) {
        dialog.txtNewCaption = "销售明细,金额（元）";
        ASSERT_TRUE(dialog.set_tnCount(3));
        dialog.cmdOk_Click();
    };
    SelectColumn(2);
    window.ToolbarClick("t_coledit");
    EXPECT_EQ(OverrideRows(),
              (Strings{"7|1|2|0|2|3|150|销售明细,金额（元）|3", "8|1|2|0|2|3|150|销售明细,金额（元）|3"}));
    EXPECT_EQ(GridRows()[1], "编号|客户|金额（元）");

    // Cancel stores nothing and does not rebuild.
    m_log.clear();
    m_dialogs.onColEdit = [](frmColEdit& dialog) {
        dialog.txtNewCaption = "x,y";
        dialog.cmdCancel_Click();
    };
    SelectColumn(2);
    window.ToolbarClick("t_coledit");
    EXPECT_EQ(OverrideRows()[0], "7|1|2|0|2|3|150|销售明细,金额（元）|3");
    EXPECT_TRUE(m_log.empty());
    EXPECT_TRUE(Messages().empty());
}

TEST_P(Overrides, DialogLevelRule) {
    const std::string empty = "对不起，新列标题不能为空！";
    const std::string levels = "对不起，新列标题级数与原来的列标题级数不一致！";
    struct Case {
        const char* name;
        Strings headers; // the column's header texts, top first
        std::string typed;
        std::optional<long> decimals;
        std::string message; // "" = stored
    } const cases[] = {
        {"two levels to two", {"A", "B"}, "X,Y", std::nullopt, ""},
        {"two levels to one", {"A", "B"}, "X", std::nullopt, levels},
        {"trailing comma leaves the second level empty", {"A", "B"}, "X,", 2, ""},
        {"single level", {"A"}, "新标题", std::nullopt, ""},
        {"single level given two", {"A"}, "X,Y", std::nullopt, levels},
        // Levels are counted as the close-time save writes them, an empty top text included.
        {"empty top text is a level", {"", "B"}, "X,Y", std::nullopt, ""},
        {"empty top text: one level is too few", {"", "B"}, "X", std::nullopt, levels},
        {"empty text below is a part", {"A", ""}, "X,Y", std::nullopt, ""},
        {"all headers empty: no parts", {"", ""}, "X", std::nullopt, levels},
        {"empty new caption", {"A", "B"}, "", std::nullopt, empty},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_db->Exec("DELETE FROM QV_RptChangeColFormat");
        AddRow("7, 0, 1, 0, 2, 3, 60, 'old', NULL, NULL, NULL, 5");
        grid::GridModel vsf;
        vsf.SetGridColCount(1);
        vsf.SetGridRowCount(static_cast<int>(c.headers.size()) + 1);
        vsf.SetHeaderRowCount(static_cast<int>(c.headers.size()));
        for (std::size_t row = 0; row < c.headers.size(); ++row) {
            vsf.SetRangeProp(0, static_cast<int>(row), 0, vb::Variant(c.headers[row]));
        }
        vsf.UserClick(static_cast<int>(c.headers.size()), 0);
        bool bColEdited = false;
        frmColEdit dialog({vsf, m_db->Connection(), 1, bColEdited}, *m_services);
        dialog.Form_Load();
        dialog.txtNewCaption = c.typed;
        ASSERT_TRUE(dialog.set_tnCount(c.decimals));
        dialog.cmdOk_Click();
        const std::vector<ui::Message> messages = Messages();
        if (c.message.empty()) {
            EXPECT_TRUE(messages.empty());
            EXPECT_TRUE(dialog.IsClosed());
            EXPECT_TRUE(bColEdited);
            EXPECT_EQ(Rows("SELECT fcaption, fdataformat FROM QV_RptChangeColFormat"),
                      (Strings{c.typed + "|" + std::to_string(c.decimals.value_or(0))}));
        } else {
            ASSERT_EQ(messages.size(), 1U);
            EXPECT_EQ(messages[0],
                      (ui::Message{c.message, "Qovira提示", ui::Buttons::Ok, ui::Icon::Information}));
            EXPECT_FALSE(dialog.IsClosed());
            EXPECT_FALSE(bColEdited);
            EXPECT_EQ(Rows("SELECT fcaption, fdataformat FROM QV_RptChangeColFormat"), (Strings{"old|5"}));
        }
    }
}

TEST(ColEditDecimals, RangeIsZeroToTen) {
    grid::GridModel vsf;
    bool bColEdited = false;
    vondrel::test::ScriptedServices services;
    frmColEdit dialog({vsf, nullptr, 1, bColEdited}, services);
    struct Case {
        std::optional<long> value;
        bool isTaken;
    } const cases[] = {{0, true}, {10, true}, {std::nullopt, true}, {11, false}, {-1, false}};
    ASSERT_TRUE(dialog.set_tnCount(4));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value.value_or(-99));
        const std::optional<long> before = dialog.tnCount();
        EXPECT_EQ(dialog.set_tnCount(c.value), c.isTaken);
        EXPECT_EQ(dialog.tnCount(), c.isTaken ? c.value : before) << "a refused value keeps the old one";
    }
}

INSTANTIATE_TEST_SUITE_P(Databases, Overrides, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         vondrel::test::BackendTestName);

} // namespace
