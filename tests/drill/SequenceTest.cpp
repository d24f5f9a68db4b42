// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Sequences of actions across reports: a switch that fails, a rebuild after a drill, a close after a
// failed set-up. Each case is one of the ways these went wrong: a window left without its plug-in, a
// window half switched between two reports, a drilled report rebuilt as another one, column rows
// written under a report that was never shown.

#include "CatalogueWindow.h"
#include "catalogue/ModGridPrint.h"
#include "catalogue/ReportDefinition.h"
#include "plugin/PluginRegistry.h"

#include <regex>

namespace {

using QV_GridPrint::frmGridPrint;
using QV_GridPrint::modGridPrint::RptID;
using vondrel::test::Backend;
using Strings = std::vector<std::string>;

class Sequence : public vondrel::test::CatalogueWindow {
protected:
    // What makes the report shown: it must be the same before and after a switch that failed.
    std::string Shown() {
        frmGridPrint& window = *m_window;
        std::string state = std::to_string(RptID) + " " + m_host->rptName + " " + m_host->ClsName + " " +
                            m_host->FmtFileName + " " + window.Caption() + " values=";
        for (const std::string& value : window.ParaValue) {
            state += value + ";";
        }
        state += " saved=";
        for (const std::string& value : window.detail.ParaValueSave) {
            state += value + ";";
        }
        state += window.detail.bIsDetail ? " detail" : " plug-in";
        for (const std::string& row : GridRows()) {
            state += "\n" + row;
        }
        return state;
    }

    void DropProcedure(const std::string& name) {
        if (GetParam() == Backend::Sqlite) {
            m_db->Exec("DELETE FROM vondrel_procedures WHERE name = '" + name + "'");
        } else {
            m_db->Exec("DROP FUNCTION " + name);
        }
    }

    // Every command a user can give a window: none may touch a plug-in that is not there.
    void EveryCommand(frmGridPrint& window) {
        for (const char* key : {"regetdata", "movefirst", "movenext", "moveprev", "movelast", "print",
                                "printpreview", "dc", "t_coledit", "t_return"}) {
            SCOPED_TRACE(key);
            if (std::string(key) == "dc") {
                m_services->ScriptSaveFile(std::nullopt);
            }
            window.ToolbarClick(key);
        }
        window.SelectorPick();
        window.SelectorFollowUp();
        DoubleClick(3);
    }
};

TEST_P(Sequence, ASwitchThatFailsLeavesTheReportAsItWas) {
    struct Case {
        const char* name;
        std::function<void()> spoil;
        const char* messagePart;
    } const cases[] = {
        // Without the fix the window kept RptID 2 and the child's parameters with no plug-in, and the
        // next command crashed the process.
        {"class not registered",
         [this] { m_db->Exec("UPDATE qv_report SET qclsname = 'No.Such' WHERE qid = 2"); }, "No.Such"},
        {"class name blank", [this] { m_db->Exec("UPDATE qv_report SET qclsname = '   ' WHERE qid = 2"); },
         "报表参数设置有错误"},
        // Without the fix the child's parameters were put in and the parent's definition kept.
        {"child row missing", [this] { m_db->Exec("DELETE FROM qv_report WHERE qid = 2"); }, "不存在"},
        {"procedure missing", [this] { DropProcedure("sp_child"); }, "sp_child"},
        {"template missing",
         [this] { m_db->Exec("UPDATE qv_report SET qfmtfilename = 'gone.cll' WHERE qid = 2"); }, "gone.cll"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        frmGridPrint& window = OpenWindow();
        c.spoil();
        const std::string before = Shown();
        DoubleClick(3);
        const std::vector<ui::Message> messages = Messages();
        ASSERT_FALSE(messages.empty());
        EXPECT_NE(messages.back().text.find(c.messagePart), std::string::npos) << messages.back().text;
        EXPECT_EQ(Shown(), before);
        EXPECT_TRUE(window.bOK);
        EXPECT_FALSE(window.IsCloseRequested());
        ASSERT_NE(window.mRpt, nullptr);
        EXPECT_FALSE(QV_GridPrint::modGridPrint::bMxMode);
        EveryCommand(window);
        Messages();
        EXPECT_EQ(RptID, 1);
    }
}

TEST_P(Sequence, AReturnThatFailsLeavesTheChildAsItWas) {
    frmGridPrint& window = OpenWindow();
    DoubleClick(3); // 李四
    ASSERT_EQ(RptID, 2);
    m_db->Exec("UPDATE qv_report SET qclsname = 'No.Such' WHERE qid = 1");
    const std::string before = Shown();
    window.ToolbarClick("t_return");
    const std::vector<ui::Message> messages = Messages();
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_NE(messages[0].text.find("No.Such"), std::string::npos) << messages[0].text;
    EXPECT_EQ(Shown(), before);
    // Without the fix 向后 after this return crashed on the missing plug-in.
    window.ToolbarClick("movenext");
    EXPECT_TRUE(Messages().empty());
}

TEST_P(Sequence, ARebuildAfterADrillRebuildsTheDrilledReport) {
    m_script.colsChange = true;
    frmGridPrint& window = OpenWindow();
    DoubleClick(3); // 李四
    ASSERT_EQ(RptID, 2);
    const std::string drilled = Shown();
    // The reset rebuilds the report shown. Without the fix the child came back with the plug-in's own
    // rows (all four sales) and the parent's parameters saved for the return were overwritten.
    window.ToolbarClick("t_csgs");
    EXPECT_EQ(Shown(), drilled);
    EXPECT_TRUE(Messages().empty());
    // Then a drill further down and the way back up. Without the fix the drill after the reset failed
    // with "报表插件没有提供主表记录集（rsMain）" and left the window half switched.
    DoubleClick(2);
    EXPECT_EQ(RptID, 3);
    EXPECT_TRUE(Messages().empty());
    window.ToolbarClick("t_return");
    EXPECT_EQ(RptID, 2);
    EXPECT_EQ(window.ParaValue, (Strings{"x0", "李四", "2"}));
    EXPECT_EQ(GridRows(), vondrel::test::GridRows(window.Grid()));
    window.ToolbarClick("t_return");
    EXPECT_EQ(RptID, 1);
    EXPECT_EQ(window.ParaValue, (Strings{"x0", "李四", "2"}));
    EXPECT_EQ(GridRows().size(), 7U) << "all four sales from the parent's procedure";
    EXPECT_TRUE(Messages().empty());
}

TEST_P(Sequence, AFailedChoiceClosesTheWindowAndSavesNothingUnderTheNewReport) {
    struct Case {
        const char* name;
        bool cancelParameters;
        const char* fmtFile;
    } const cases[] = {
        {"parameters cancelled", true, "sales.cll"},
        {"template missing", false, "gone.cll"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        m_db->Exec(std::string("UPDATE qv_report SET qfmtfilename = '") + c.fmtFile + "' WHERE qid = 3");
        m_script.setParaResult = true;
        frmGridPrint& window = OpenWindow();
        int closes = 0;
        window.SetCloseHandler([&closes] { ++closes; });
        window.Grid().SetColWidthTwips(1, 2400);
        m_script.setParaResult = !c.cancelParameters;
        m_dialogs.onSelectReport = [](QV_GridPrint::select::frmSelectReport& dialog) {
            for (int row = 1; row < dialog.vsf.GridRowCount(); ++row) {
                if (dialog.vsf.CellTextAt(row, 0) == "单据明细") { // report 3
                    dialog.vsf.SelectRange(row, 0, row, 0);
                }
            }
            dialog.cmdOk_Click();
        };
        window.ToolbarClick("open");
        ASSERT_EQ(RptID, 3);
        // The close is posted at once. Without the fix it waited for a resize, and the commands below
        // crashed on the missing plug-in.
        EXPECT_EQ(closes, 1);
        EXPECT_TRUE(window.IsCloseRequested());
        Messages();
        window.ToolbarClick("regetdata");
        window.ToolbarClick("movenext");
        const std::vector<ui::Message> messages = Messages();
        ASSERT_EQ(messages.size(), 2U);
        EXPECT_EQ(messages[0].text, "报表没有成功打开，窗口即将关闭，不能再执行这个操作。");
        window.Unload();
        // The grid still showed report 1: its widths are report 1's. Without the fix they were stored
        // as report 3's rows, which then overwrote report 3's header for good.
        EXPECT_TRUE(Rows("SELECT fcol FROM QV_RptChangeColFormat WHERE frptid = 3").empty());
        EXPECT_EQ(Rows("SELECT fwidth FROM QV_RptChangeColFormat WHERE frptid = 1 AND fcol = 1"),
                  (Strings{"160"}));
        Messages();
    }
}

TEST_P(Sequence, TheLastDataRowDrillsWhenThereIsNoTotalsRow) {
    sheet::SheetDocument doc;
    ASSERT_EQ(doc.OpenFile((m_folder / "sales.cll").string()), 1);
    ASSERT_TRUE(doc.SetCellText(2, 6, "") && doc.SaveFile((m_folder / "sales.cll").string()));
    frmGridPrint& window = OpenWindow();
    ASSERT_EQ(window.Grid().TotalsRow(), -1);
    // Without the fix the last row was taken for the totals row and nothing happened.
    DoubleClick(window.Grid().GridRowCount() - 1); // 王五, id 4
    EXPECT_EQ(RptID, 2);
    EXPECT_EQ(window.ParaValue, (Strings{"x0", "王五", "4"}));
    EXPECT_TRUE(Messages().empty());
}

TEST_P(Sequence, AProcedureThatCannotBeCalledLeavesThePlugInsRowsOpen) {
    frmGridPrint& window = OpenWindow();
    DoubleClick(3);
    ASSERT_EQ(RptID, 2);
    DropProcedure("sp_child");
    // Without the fix the plug-in's rows were closed before the call was prepared.
    EXPECT_FALSE(window.GetMxData(true));
    ASSERT_NE(window.mRpt->rs(), nullptr);
    EXPECT_EQ(window.mRpt->rs()->State(), ado::adStateOpen);
    ASSERT_EQ(Messages().size(), 1U);
}

TEST_P(Sequence, AnEmptyLastParameterTextWithAMasterRecordIsAnError) {
    // The child steps through the customers; its bind value, the customer, is its last parameter.
    if (GetParam() == Backend::Sqlite) {
        m_db->Exec("INSERT INTO vondrel_procedures VALUES ('sp_names', 'p0 TEXT, pid TEXT', "
                   "'SELECT DISTINCT name FROM sales ORDER BY name')");
    } else {
        m_db->Exec("CREATE FUNCTION sp_names(p0 TEXT, pid TEXT) RETURNS TABLE(name VARCHAR(20)) LANGUAGE sql "
                   "AS $$ SELECT DISTINCT s.name FROM sales s ORDER BY s.name $$");
    }
    m_db->Exec(
        "UPDATE qv_report SET qmainproc = 'sp_names', qbindfield = 'name', qisautomove = TRUE WHERE qid = 2");
    m_db->Exec("UPDATE qv_rptdetail SET qrptpara = 'id/编号:id,name/客户:name' WHERE qrptparentid = 1");
    frmGridPrint& window = OpenWindow();
    DoubleClick(3);
    ASSERT_EQ(RptID, 2);
    ASSERT_TRUE(window.Selector().isVisible);
    Messages();
    window.ParaText.back().clear();
    // Without the fix this read the first part of an empty split: undefined behaviour, a crash.
    window.ToolbarClick("movenext");
    const std::vector<ui::Message> messages = Messages();
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(messages[0].text, "下标越界");
    EXPECT_EQ(messages[0].title, "Qovira软件提示");
}

TEST_P(Sequence, TheTitleBandStaysWithinReach) {
    struct Case {
        long long stored;
        int expected;
    } const cases[] = {{1300, 1300}, {-2000000000, 0}, {2000000000, 15000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        TearDown();
        SetUp();
        m_db->Exec("UPDATE qv_report SET qheadheight = " + std::to_string(c.stored) + " WHERE qid = 2");
        frmGridPrint& window = OpenWindow();
        DoubleClick(3);
        ASSERT_EQ(RptID, 2);
        // Without the fix -2e9 - 500 overflowed (the sanitizer build aborts) and 2e9 asked for a band
        // a million pixels tall.
        EXPECT_EQ(window.HeadHeightTwips(), c.expected);
        EXPECT_EQ(window.Title().yTwips, c.expected - 500);
        window.Resize(12000, 9000);
        EXPECT_EQ(window.GridTopTwips(), c.expected);
        Messages();
    }
}

TEST_P(Sequence, AValueWithASlashKeepsItsTextAndItsValue) {
    m_script.params = {"x0/T0", "x1/T1", "上海%2F华联/客户:上海/华联"};
    frmGridPrint& window = OpenWindow();
    // Without the fix the item split at every "/": value "上海%2F华联", text "客户:上海".
    EXPECT_EQ(window.ParaValue.back(), "上海/华联");
    EXPECT_EQ(window.ParaText.back(), "客户:上海/华联");
    EXPECT_EQ(window.lbpara.back().caption, "客户:上海/华联");
}

TEST_P(Sequence, ExtraProcedureParametersNeedDefaults) {
    struct Case {
        const char* name;
        const char* params;      // the same declaration on both databases
        const char* messagePart; // "" = the drill shows the child
    } const cases[] = {
        // Without the fix both were refused with "参数个数不符".
        {"extra parameter with a default", "p0 TEXT, pname TEXT, pid TEXT, pnote TEXT DEFAULT 'x'", ""},
        {"extra parameter without one", "p0 TEXT, pname TEXT, pid TEXT, pnote TEXT", "参数个数不符"},
        {"fewer parameters than values", "p0 TEXT, pname TEXT", "参数个数不符"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        if (GetParam() == Backend::Sqlite) {
            m_db->Exec(std::string("UPDATE vondrel_procedures SET params = '") +
                       std::regex_replace(c.params, std::regex("'"), "''") + "' WHERE name = 'sp_child'");
        } else {
            DropProcedure("sp_child");
            m_db->Exec(
                std::string("CREATE FUNCTION sp_child(") + c.params +
                ") RETURNS TABLE(id INTEGER, name VARCHAR(20), amount DECIMAL(18,2), note VARCHAR(20)) "
                "LANGUAGE sql AS $$ SELECT s.id, s.name, s.amount, s.note FROM sales s "
                "WHERE s.name = pname ORDER BY s.id $$");
        }
        frmGridPrint& window = OpenWindow();
        DoubleClick(3); // 李四
        const std::vector<ui::Message> messages = Messages();
        if (*c.messagePart == '\0') {
            EXPECT_TRUE(messages.empty());
            EXPECT_EQ(RptID, 2);
            EXPECT_EQ(GridRows().size(), 4U) << "李四's sale and the totals";
        } else {
            ASSERT_EQ(messages.size(), 1U);
            EXPECT_NE(messages[0].text.find(c.messagePart), std::string::npos) << messages[0].text;
            EXPECT_EQ(RptID, 1);
        }
        EXPECT_TRUE(window.bOK);
    }
}

INSTANTIATE_TEST_SUITE_P(Databases, Sequence, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         vondrel::test::BackendTestName);

} // namespace
