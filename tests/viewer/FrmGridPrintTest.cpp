// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The report window's logic with scripted plug-ins over real databases: the order of plug-in calls on
// every path, the messages, the window closing itself after a failed set-up, navigation at both ends
// of the master list, the selector following it, and the child-report path through stored procedures.
#include "viewer/frmGridPrint.h"

#include "ReportWindowFixture.h"
#include "SalesTemplate.h"
#include "support/GridRows.h"

#include <gtest/gtest.h>

using QV_GridPrint::frmGridPrint;
using vondrel::test::Backend;
using vondrel::test::ReportScript;

namespace {

constexpr const char* kSqliteProcedures = R"sql(
CREATE TABLE vondrel_procedures (name TEXT PRIMARY KEY, params TEXT, body TEXT);
INSERT INTO vondrel_procedures VALUES ('sp_names', 'pfrom TEXT, pto TEXT',
  'SELECT DISTINCT name FROM sales ORDER BY name');
INSERT INTO vondrel_procedures VALUES ('sp_detail', 'pfrom TEXT, pto TEXT, pname VARCHAR(20)',
  'SELECT id, name, amount FROM sales WHERE name = :pname ORDER BY id');
)sql";

constexpr const char* kPostgresProcedures = R"sql(
CREATE FUNCTION sp_names(pfrom TEXT, pto TEXT) RETURNS TABLE(name VARCHAR(20)) LANGUAGE sql AS
  $$ SELECT DISTINCT s.name FROM sales s ORDER BY s.name $$;
CREATE FUNCTION sp_detail(pfrom TEXT, pto TEXT, pname VARCHAR) RETURNS TABLE(id INTEGER, name VARCHAR(20),
  amount DECIMAL(18,2)) LANGUAGE sql AS $$ SELECT s.id, s.name, s.amount FROM sales s WHERE s.name = pname ORDER BY s.id $$;
)sql";

class ReportWindow : public vondrel::test::ReportWindowTest {
protected:
    void SetUp() override {
        SetUpReport(vondrel::test::kSalesSql, "sales.cll", "vondrel-window");
        if (IsSkipped()) {
            return;
        }
        m_db->Exec(GetParam() == Backend::Sqlite ? kSqliteProcedures : kPostgresProcedures);
        vondrel::test::WriteSalesTemplate(m_folder / "sales.cll");
        vondrel::test::WriteTemplateWithMarkers(m_folder / "noend.cll", -1);
        vondrel::test::WriteTemplateWithMarkers(m_folder / "short.cll", 2);
        m_host->HeadHeight = 1200;
    }

    // Opens a window on a plug-in that follows the script.
    frmGridPrint& Open(const ReportScript& script) {
        Register(script);
        m_window = std::make_unique<frmGridPrint>(*m_host, *m_services, *m_services, m_registry);
        m_window->SetCloseHandler([this] { ++m_closes; });
        return *m_window;
    }

    // A loaded window on a report bound to a master list of the names, walked by the window itself
    // (`autoMove`) or by the plug-in.
    frmGridPrint& OpenOnMasterList(bool autoMove) {
        ReportScript bound;
        bound.bindField = "name";
        bound.autoMove = autoMove;
        Open(bound).Load();
        return *m_window;
    }

    std::vector<std::string> GridRows() { return vondrel::test::GridRows(m_window->Grid()); }

    int m_closes = 0;
};

using Log = std::vector<std::string>;

TEST_P(ReportWindow, LoadWithoutMasterListFetchesInTheFixedOrder) {
    frmGridPrint& window = Open(ReportScript{});
    window.Load();
    EXPECT_EQ(TakeLog(),
              (Log{"new", "IsColsChange", "SetFixedCols", "pGPrint", "SetPara", "GetPara", "SetBindField",
                   "IsAutoMove", "RPTCalc", "GetPara", "SetCellFormat", "SetCellFormat"}));
    EXPECT_TRUE(window.bOK);
    // The template's header, its formats (grouping, two decimals), its blank zeros and its totals row.
    EXPECT_EQ(GridRows(),
              (std::vector<std::string>{"销售明细|销售明细|销售明细", "编号|客户|金额", "1|张三|10.50",
                                        "2|李四|20.00", "3|张三|30.25", "4|王五|", "|合计|60.75"}));
    EXPECT_EQ(window.iFixedRows, 2);
    EXPECT_EQ(window.iColCount, 3);
    EXPECT_EQ(window.columns.vColType, (std::vector<std::string>{"integer", "string", "decimal"}));
    EXPECT_EQ(window.columns.vTotalFlag, (std::vector<std::string>{"", "合计", "y"}));
    EXPECT_EQ(window.ParaValue, (std::vector<std::string>{"2024-03-01", "2024-03-31"}));
    EXPECT_EQ(window.ParaText, (std::vector<std::string>{"开始日期:2024-03-01", "结束日期:2024-03-31"}));
    EXPECT_EQ(window.detail.ParaValueSave, window.ParaValue);
    EXPECT_EQ(window.iFixedCols, 1);
    EXPECT_EQ(window.Caption(), "销售日报");
    EXPECT_EQ(window.Title().text, "销售日报");
    EXPECT_EQ(window.Title().yTwips, 700) << "HeadHeight - 500";
    EXPECT_FALSE(window.Selector().isVisible);
    window.Resize(12000, 9000);
    EXPECT_EQ(window.GridTopTwips(), 1200);
    EXPECT_EQ(window.GridHeightTwips(), 7800);
    window.Resize(12000, 800);
    EXPECT_EQ(window.GridHeightTwips(), 0) << "smaller than the title band: no negative height";
    EXPECT_EQ(m_closes, 0);
    EXPECT_TRUE(Messages().empty());
}

TEST_P(ReportWindow, FailedSetUpsCloseTheWindowAtTheNextResize) {
    struct Case {
        const char* name;
        std::string clsName;
        ReportScript script;
        std::vector<std::pair<std::string, std::string>> messages;
    };
    ReportScript cancel;
    cancel.setParaResult = false;
    ReportScript throwing;
    throwing.calcThrows = true;
    const Case cases[] = {
        {"plug-in not registered",
         "Nobody.Report",
         {},
         {{"报表数据的生成类还没有注册，请先注册再运行程序！(Nobody.Report)", ""}}},
        {"parameters cancelled", "Test.Scripted", cancel, {}},
        {"calculation fails", "Test.Scripted", throwing, {{"计算报表失败：测试插件", "Qovira软件提示"}}},
    };
    // A missing template is reported with its name, and the window closes as after any failed set-up.
    // Templates without an "end" marker, or with one too close to "start", are refused the same way.
    // A good template named by an absolute path or through ".." is outside the component folder's
    // reach and refused the same way.
    for (const std::string& missing :
         {std::string("nosuch.cll"), std::string(), std::string("noend.cll"), std::string("short.cll"),
          (m_folder / "sales.cll").string(), "../" + m_folder.filename().string() + "/sales.cll",
          std::string("sub/../sales.cll")}) {
        SCOPED_TRACE("template " + missing);
        m_host->FmtFileName = missing;
        m_closes = 0;
        frmGridPrint& window = Open(ReportScript{});
        window.Load();
        EXPECT_FALSE(window.bOK);
        const auto messages = Messages();
        ASSERT_EQ(messages.size(), 1U) << "one message, not a second one about the rows";
        EXPECT_EQ(messages.front().first, "报表格式文件不存在或文件格式不正确！（" + missing + "）");
        window.Resize(12000, 9000);
        EXPECT_EQ(m_closes, 1);
    }
    m_host->FmtFileName = "sales.cll";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_host->ClsName = c.clsName;
        m_closes = 0;
        frmGridPrint& window = Open(c.script);
        window.Load();
        EXPECT_FALSE(window.bOK);
        EXPECT_EQ(Messages(), c.messages);
        window.Resize(12000, 9000);
        window.Resize(12000, 9000);
        EXPECT_EQ(m_closes, 1) << "one close request, posted by the first resize";
    }
}

TEST_P(ReportWindow, MalformedParameterItemIsNamedAndTheWindowKeepsItsParameters) {
    frmGridPrint& window = Open(ReportScript{});
    window.Load();
    ASSERT_TRUE(window.bOK);
    ReportScript broken;
    broken.params = {"2024-03-01/开始日期", "没有斜杠的参数"};
    Register(broken);
    window.ToolbarClick("regetdata"); // fixed columns: the same plug-in asks again...
    window.bColsChange = true;
    window.ToolbarClick("regetdata"); // ...changing columns: a new one, with the broken parameters
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(messages[0].first, "报表参数项“没有斜杠的参数”中没有“/”，分不出参数值和显示文字");
    EXPECT_EQ(messages[0].second, "Qovira软件提示");
    EXPECT_EQ(window.ParaValue, (std::vector<std::string>{"2024-03-01", "2024-03-31"}));
}

TEST_P(ReportWindow, RegetdataAsksAgainOnTheSamePlugInUnlessColumnsChange) {
    frmGridPrint& window = Open(ReportScript{});
    window.Load();
    TakeLog();
    window.ToolbarClick("regetdata");
    // The template stays loaded: the columns are fixed and the parameters were not set by a refetch.
    EXPECT_EQ(TakeLog(), (Log{"SetPara", "GetPara", "SetBindField", "IsAutoMove", "RPTCalc", "GetPara"}));

    ReportScript changing;
    changing.colsChange = true;
    Open(changing).Load();
    TakeLog();
    m_window->ToolbarClick("regetdata");
    EXPECT_EQ(TakeLog(),
              (Log{"new", "IsColsChange", "SetFixedCols", "pGPrint", "SetPara", "GetPara", "SetBindField",
                   "IsAutoMove", "RPTCalc", "GetPara", "SetCellFormat", "SetCellFormat"}));
}

TEST_P(ReportWindow, EmptyRowsLeaveTheHeaderOnly) {
    ReportScript empty;
    empty.rowsSql = "SELECT id, name, amount FROM sales WHERE id < 0";
    frmGridPrint& window = Open(empty);
    window.Load();
    EXPECT_TRUE(window.bOK);
    EXPECT_EQ(window.Grid().GridRowCount(), window.iFixedRows);
}

TEST_P(ReportWindow, AutoMoveWalksTheMasterListAndStopsAtItsEnds) {
    frmGridPrint& window = OpenOnMasterList(true);
    ASSERT_TRUE(window.bOK);
    EXPECT_TRUE(window.Selector().isVisible);
    EXPECT_EQ(window.Selector().widthTwips, 3000);
    // The list is ordered by name as each database sorts it; the walk follows that order.
    auto list = window.mRpt->rsMain();
    std::vector<std::string> names;
    for (list->MoveFirst(); !list->IsEOF(); list->MoveNext()) {
        names.push_back(list->Fields("name").Value().AsString());
    }
    ASSERT_EQ(names.size(), 3U);
    window.ToolbarClick("movefirst");
    EXPECT_EQ(window.Selector().text, names[0]);
    EXPECT_EQ(window.ParaValue.back(), names[0]);
    window.ToolbarClick("movenext");
    EXPECT_EQ(window.Selector().text, names[1]);
    window.ToolbarClick("movelast");
    EXPECT_EQ(window.Selector().text, names[2]);
    TakeLog();
    window.ToolbarClick("movenext");
    EXPECT_TRUE(TakeLog().empty()) << "past the end: back on the last record, no refetch";
    EXPECT_EQ(window.Selector().text, names[2]);
    window.ToolbarClick("movefirst");
    TakeLog();
    window.ToolbarClick("moveprev");
    EXPECT_TRUE(TakeLog().empty());
    EXPECT_EQ(window.Selector().text, names[0]);
    // Every data row shown belongs to the master record shown.
    const std::vector<std::string> rows = GridRows();
    ASSERT_GT(rows.size(), 3U);
    for (std::size_t row = 2; row + 1 < rows.size(); ++row) { // between the two header rows and the totals
        EXPECT_NE(rows[row].find(names[0]), std::string::npos) << rows[row];
    }
}

TEST_P(ReportWindow, PlugInNavigationReloadsRowsWithoutRecalculating) {
    frmGridPrint& window = OpenOnMasterList(false);
    TakeLog();
    window.ToolbarClick("movenext");
    EXPECT_EQ(TakeLog(), (Log{"MoveNext", "GetPara"}));
}

TEST_P(ReportWindow, SelectorPickRefetchesForThePickedRecord) {
    frmGridPrint& window = OpenOnMasterList(true);
    auto list = window.mRpt->rsMain();
    list->MoveLast();
    window.MutableSelector().pickedBookmark = list->Bookmark();
    const std::string last = list->Fields("name").Value().AsString();
    list->MoveFirst();
    TakeLog();
    window.SelectorFollowUp();
    EXPECT_TRUE(TakeLog().empty()) << "a follow-up without a pick does nothing";
    window.SelectorPick();
    window.SelectorFollowUp();
    EXPECT_EQ(TakeLog(), (Log{"RPTCalc", "GetPara"}));
    EXPECT_EQ(window.ParaValue.back(), last);
    EXPECT_FALSE(window.bSelPending);
}

TEST_P(ReportWindow, ChildReportFetchesThroughItsProcedures) {
    frmGridPrint& window = Open(ReportScript{});
    window.detail.strStoreProc = "sp_detail";
    window.detail.strMainProc = "sp_names";
    window.detail.strMxBindField = "name";
    window.detail.bIsDetail = true;
    window.bAutoMove = true;
    window.ParaValue = {"2024-03-01", "2024-03-31", "张三"};
    window.ParaText = {"开始日期:2024-03-01", "结束日期:2024-03-31", "客户:张三"};
    QV_GridPrint::modGridPrint::bMxMode = true;
    window.SetData();
    QV_GridPrint::modGridPrint::bMxMode = false;
    // No parameter dialog: the drill set the parameters, and the procedures replace the plug-in's own
    // calculation.
    EXPECT_EQ(TakeLog(),
              (Log{"new", "IsColsChange", "SetFixedCols", "pGPrint", "SetCellFormat", "SetCellFormat"}));
    EXPECT_TRUE(window.bColsChange);
    EXPECT_EQ(GridRows(), (std::vector<std::string>{"销售明细|销售明细|销售明细", "编号|客户|金额",
                                                    "1|张三|10.50", "3|张三|30.25", "|合计|40.75"}));
    EXPECT_EQ(window.Selector().text, "张三") << "the selector is positioned on the bind value";

    window.ToolbarClick("movelast");
    const std::string last = window.Selector().text;
    EXPECT_NE(last, "张三");
    EXPECT_EQ(window.ParaValue.back(), last);
    EXPECT_EQ(window.ParaText.back(), "客户:" + last);
    EXPECT_EQ(GridRows().size(), 4U) << "two header rows, the last name's one sale and the totals";
    EXPECT_TRUE(Messages().empty());
}

TEST_P(ReportWindow, ToolbarButtonsAndDisabledNavigation) {
    m_host->mMove = false;
    frmGridPrint& window = Open(ReportScript{});
    window.Load();
    std::string captions;
    for (const QV_GridPrint::ToolbarButton& button : window.Toolbar()) {
        captions += button.isSeparator ? "|" : button.caption + (button.isEnabled ? "" : "-");
    }
    EXPECT_EQ(captions, "|打印预览设置纸张|第一-向前-向后-最后-|重取选表|导出返回列标题重设退出");
    TakeLog();
    for (const char* key : {"paper", "line1", "line13", "nosuch"}) {
        window.ToolbarClick(key);
    }
    EXPECT_TRUE(TakeLog().empty());
    EXPECT_EQ(m_closes, 0);
    window.ToolbarClick("exit");
    EXPECT_EQ(m_closes, 1);
}

INSTANTIATE_TEST_SUITE_P(Databases, ReportWindow, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         vondrel::test::BackendTestName);

} // namespace
