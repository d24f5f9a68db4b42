// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/grid/RecordsetBinding.h"

#include "GridDump.h"
#include "vb/Error.h"

#include <gtest/gtest.h>

namespace grid::test {
namespace {

std::shared_ptr<ado::Recordset> ReportList(const std::vector<std::string>& names) {
    auto rs = ado::Recordset::Create();
    rs->AppendField("qrptname", ado::adVarChar, 50);
    rs->Open();
    for (const std::string& name : names) {
        rs->AddNew();
        rs->Fields("qrptname").SetValue(vb::Variant(name));
    }
    return rs;
}

// The report list of the selection dialog: bind the names, put the group on top, make a tree.
TEST(RecordsetBindingTest, BoundRowsBecomeATwoLevelList) {
    auto list = ReportList({"月度销售汇总", "客户应收明细"});
    list->MoveFirst();
    GridModel grid;
    grid.SetDataBinding(vb::Variant(std::static_pointer_cast<vb::Object>(list)), RecordsetRows);
    grid.InsertRowAt("销售报表", 0);
    for (int row = 0; row < grid.GridRowCount(); ++row) {
        grid.SetRowIsNode(row, true);
        grid.SetRowLevel(row, row == 0 ? 1 : 2);
        grid.SetRangeProp(3, row, 0,
                          vb::Variant(std::static_pointer_cast<vb::Object>(
                              row == 0 ? GridPicture::Folder() : GridPicture::Document())));
    }
    EXPECT_EQ(DumpGrid(grid), "r0: 销售报表\nr1: 月度销售汇总\nr2: 客户应收明细\n");
    EXPECT_EQ(grid.RowLevel(2), 2);
    EXPECT_EQ(list->AbsolutePosition(), 1) << "binding must not move the caller's record";
    // Unbinding takes every row below the header away, the inserted group row too.
    grid.SetDataBinding(vb::Variant());
    EXPECT_EQ(grid.GridRowCount(), 0);
    EXPECT_TRUE(grid.CheckConsistency());
}

TEST(RecordsetBindingTest, AnEmptyListBindsNoRowsAndOtherObjectsAreRefused) {
    GridModel grid;
    grid.SetDataBinding(vb::Variant(std::static_pointer_cast<vb::Object>(ReportList({}))), RecordsetRows);
    grid.InsertRowAt("空组", 0);
    EXPECT_EQ(DumpGrid(grid), "r0: 空组\n");
    try {
        grid.SetDataBinding(vb::Variant(std::static_pointer_cast<vb::Object>(GridPicture::Folder())),
                            RecordsetRows);
        ADD_FAILURE() << "a picture was bound";
    } catch (const vb::Error& error) {
        EXPECT_EQ(error.Description(), "这个对象不能绑定到表格（不是可读取行的记录集）。");
    }
    EXPECT_EQ(DumpGrid(grid), "r0: 空组\n");
}

} // namespace
} // namespace grid::test
