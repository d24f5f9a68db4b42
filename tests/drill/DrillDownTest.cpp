// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Drill-down and return on real catalogues with stored procedures (SQLite and PostgreSQL): the child's
// parameters taken from the clicked row and the window, two levels down and back, the return from a
// report that is nobody's child, the rows that are not drilled, the plug-in's source document, and the
// malformed link data that must leave the report as it was.
#include "drill/DrillDown.h"

#include "CatalogueWindow.h"
#include "vb/Error.h"

using QV_GridPrint::frmGridPrint;
using QV_GridPrint::drill::DrillItem;
using QV_GridPrint::modGridPrint::RptID;
using vondrel::test::Backend;
using Strings = std::vector<std::string>;

namespace {

TEST(DrillItems, ParseAndChildParameters) {
    EXPECT_EQ(QV_GridPrint::drill::ParseDrillItems("A/L1:B,C/L2:D"),
              (std::vector<DrillItem>{{"A", "L1", "B"}, {"C", "L2", "D"}}));
    EXPECT_TRUE(QV_GridPrint::drill::ParseDrillItems("").empty());
    // The window's first n - p entries, then the drill entries; a parent with fewer entries than the
    // child keeps leaves the gap empty.
    struct Case {
        const char* name;
        Strings current;
        Strings drilled;
        long n;
        Strings expected;
    } const cases[] = {
        {"three of which two drilled", {"x0", "x1", "x2"}, {"a", "c"}, 3, {"x0", "a", "c"}},
        {"child takes only the drill items", {"x0", "x1"}, {"a"}, 1, {"a"}},
        {"parent shorter than the kept part", {"x0"}, {"a"}, 3, {"x0", "", "a"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(QV_GridPrint::drill::ChildParameters(c.current, c.drilled, c.n), c.expected);
    }
    EXPECT_THROW(QV_GridPrint::drill::ChildParameters({"x0"}, {"a", "b"}, 1), vb::Error);
}

class Drill : public vondrel::test::CatalogueWindow {};

TEST_P(Drill, DrillTakesParametersFromTheRowAndTheWindow) {
    frmGridPrint& window = OpenWindow();
    ASSERT_EQ(window.ParaValue, (Strings{"x0", "x1", "x2"}));
    // Grid row 3 is 李四 (two header rows, then the records in id order).
    DoubleClick(3);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(RptID, 2);
    EXPECT_EQ(m_host->rptName, "客户明细");
    EXPECT_EQ(m_host->HeadHeight, 1300);
    EXPECT_EQ(window.detail.strStoreProc, "sp_child");
    // x0 kept, then the clicked name and id; texts built from label and text field.
    EXPECT_EQ(window.ParaValue, (Strings{"x0", "李四", "2"}));
    EXPECT_EQ(window.ParaText, (Strings{"T0", "客户:李四", "编号:2"}));
    EXPECT_EQ(window.detail.ParaValueSave, (Strings{"x0", "x1", "x2"}));
    EXPECT_TRUE(window.detail.bIsDetail);
    EXPECT_FALSE(QV_GridPrint::modGridPrint::bMxMode);
    EXPECT_EQ(GridRows(),
              (Strings{"销售明细|销售明细|销售明细", "编号|客户|金额", "2|李四|20.00", "|合计|20.00"}));
    EXPECT_EQ(m_log,
              (Strings{"new", "IsColsChange", "SetFixedCols", "pGPrint", "SetCellFormat", "SetCellFormat"}))
        << "the rows come from the child's procedure, no parameter dialog";
}

// Each return also puts the user back where the drill left that report (scrolled as a view reported
// it, the clicked row selected), innermost first; each drill opens its child at the top.
TEST_P(Drill, DrillTwiceReturnTwice) {
    frmGridPrint& window = OpenWindow();
    grid::GridModel& grid = window.Grid();
    grid.UserClick(4, 1);
    grid.SetScrollFromView({2, 1});
    const grid::GridPlace parentPlace = grid.Place();
    grid.UserDoubleClick(4, 1); // 张三, id 3
    ASSERT_EQ(RptID, 2);
    ASSERT_EQ(GridRows().size(), 5U) << "张三's two sales and the totals";
    EXPECT_EQ(grid.ScrollPosition(), grid::GridScroll{}) << "the child opens at its top";
    grid.UserClick(3, 2);
    grid.SetScrollFromView({1, 2});
    const grid::GridPlace childPlace = grid.Place();
    grid.UserDoubleClick(3, 2); // the child's second row: id 3, amount 30.25
    ASSERT_EQ(RptID, 3);
    EXPECT_EQ(window.ParaValue, (Strings{"x0", "张三", "3", "30.25"}));
    EXPECT_EQ(window.ParaText.back(), "金额:30.25");
    EXPECT_EQ(GridRows().back(), "|合计|30.25");

    window.ToolbarClick("t_return");
    EXPECT_EQ(RptID, 2);
    EXPECT_EQ(m_host->rptName, "客户明细");
    EXPECT_EQ(window.ParaValue, (Strings{"x0", "张三", "3"})) << "the child's parameters, saved at the drill";
    EXPECT_EQ(GridRows().size(), 5U);
    EXPECT_EQ(grid.Place(), childPlace);

    window.ToolbarClick("t_return");
    EXPECT_EQ(RptID, 1);
    EXPECT_EQ(m_host->rptName, "销售汇总");
    // The one saved set still holds the child's parameters; the parent takes its first three.
    EXPECT_EQ(window.ParaValue, (Strings{"x0", "张三", "3"}));
    EXPECT_EQ(window.ParaText, (Strings{"T0", "客户:张三", "编号:3"}));
    EXPECT_EQ(GridRows().size(), 7U) << "all four sales from the parent's procedure";
    EXPECT_EQ(grid.Place(), parentPlace);
    EXPECT_TRUE(Messages().empty());
}

TEST_P(Drill, ReturnFromAReportThatIsNobodysChild) {
    frmGridPrint& window = OpenWindow();
    const Strings before = GridRows();
    window.ToolbarClick("t_return");
    const std::vector<ui::Message> messages = Messages();
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_EQ(messages[0], (ui::Message{"上级报表不存在，不能返回！", "Qovira提示", ui::Buttons::Ok,
                                        ui::Icon::Information}));
    EXPECT_EQ(RptID, 1);
    EXPECT_EQ(window.ParaValue, (Strings{"x0", "x1", "x2"}));
    EXPECT_EQ(GridRows(), before);
    EXPECT_TRUE(m_log.empty()) << "no rebuild";
    EXPECT_EQ(m_services->BusyDepth(), 0);
}

TEST_P(Drill, HeaderTotalsAndLastRowsAreNotDrilled) {
    frmGridPrint& window = OpenWindow();
    const int last = window.Grid().GridRowCount() - 1; // the totals row
    for (int row : {0, 1, last}) {
        SCOPED_TRACE(row);
        DoubleClick(row);
        EXPECT_EQ(RptID, 1);
        EXPECT_TRUE(m_log.empty());
    }
    EXPECT_TRUE(Messages().empty());
}

// A plug-in that shows its source document: it records which record its rs is on.
class BillReport final : public QV_GridPrint::IReport {
public:
    explicit BillReport(std::vector<std::string>& log) : m_log(log) {}
    bool SetPara() override { return true; }
    vb::Variant GetPara() override {
        return vb::Variant(vb::Array::FromValues({vb::Variant(std::string("x0/T0"))}));
    }
    bool RPTCalc() override {
        auto rows = ado::Recordset::Create();
        rows->Open("SELECT id, name, amount FROM sales ORDER BY id", pGPrint()->mCNN);
        set_rs(rows);
        return true;
    }
    bool SetCellFormat(sheet::SheetDocument& /*cll*/) override { return true; }
    bool ShowBill() override {
        m_log.push_back(std::string("ShowBill id=").append(vb::CStr(rs()->Fields("id").Value())));
        return true;
    }

private:
    std::vector<std::string>& m_log;
};

TEST_P(Drill, AReportWithoutChildShowsTheBillOfTheClickedRecord) {
    m_host->ClsName = "Test.Bill";
    m_registry.Register("Test.Bill", [this] { return std::make_unique<BillReport>(m_log); });
    RptID = 3; // a report with no qv_rptdetail row as parent
    frmGridPrint& window = OpenWindow();
    DoubleClick(4);
    EXPECT_EQ(m_log, (Strings{"ShowBill id=3"}));
    EXPECT_EQ(RptID, 3);
    EXPECT_EQ(window.ParaValue, (Strings{"x0"}));
    EXPECT_EQ(m_services->BusyDepth(), 0);
    for (const ui::Message& message : Messages()) {
        ADD_FAILURE() << message.text;
    }
}

TEST_P(Drill, MalformedLinkDataIsReportedAndChangesNothing) {
    struct Case {
        const char* name;
        const char* qrptpara;
        int childParameters; // rows of qv_rptpara for the child
        const char* messagePart;
    } const cases[] = {
        {"item without slash", "name", 3, "格式不正确"},
        {"item without colon", "name/客户", 3, "格式不正确"},
        {"well-formed item before a malformed one", "name/客户:name,id", 3, "格式不正确"},
        {"field the rows lack", "nosuch/客户:name", 3, "“nosuch”在报表数据中不存在"},
        {"text field the rows lack", "name/客户:nosuch", 3, "“nosuch”在报表数据中不存在"},
        {"Null value field", "note/备注:name", 3, "取值字段“note”在所选行中为空"},
        {"child with fewer parameters", "name/客户:name,id/编号:id", 1, "少于2个下钻参数"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_db->Exec("UPDATE qv_rptdetail SET qrptpara = '" + std::string(c.qrptpara) +
                   "' WHERE qrptparentid = 1");
        m_db->Exec("DELETE FROM qv_rptpara WHERE qid = 2 AND qorder > " + std::to_string(c.childParameters));
        frmGridPrint& window = OpenWindow();
        const Strings before = GridRows();
        DoubleClick(3); // 李四, whose note is Null
        const std::vector<ui::Message> messages = Messages();
        ASSERT_EQ(messages.size(), 1U);
        EXPECT_NE(messages[0].text.find(c.messagePart), std::string::npos) << messages[0].text;
        EXPECT_EQ(messages[0].title, "Qovira软件提示");
        EXPECT_EQ(RptID, 1);
        EXPECT_EQ(m_host->rptName, "销售汇总");
        EXPECT_EQ(window.ParaValue, (Strings{"x0", "x1", "x2"}));
        EXPECT_EQ(window.detail.ParaValueSave, (Strings{"x0", "x1", "x2"}));
        EXPECT_FALSE(window.detail.bIsDetail);
        EXPECT_EQ(GridRows(), before);
        EXPECT_TRUE(m_log.empty());
        EXPECT_EQ(m_services->BusyDepth(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Databases, Drill, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         vondrel::test::BackendTestName);

} // namespace
