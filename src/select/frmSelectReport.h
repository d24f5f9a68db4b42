// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/grid/GridModel.h"

#include <memory>
#include <string>

namespace ado {
class Recordset;
}
namespace ui {
class Services;
}

namespace QV_GridPrint {
class clsGridPrint;
}

namespace QV_GridPrint::select {

// The report selection dialog's logic ("报表选择"): the reports of the host's group as a two-level tree
// in the grid vsf (row 0 the group, then one row per report in name order), the choice written into
// the host object, and Cancel. A Qt dialog shows it; tests drive it directly.
class frmSelectReport {
public:
    // Pictures of Img1 in column 0 of the tree.
    static constexpr int kGroupPicture = 1;
    static constexpr int kReportPicture = 2;

    frmSelectReport(clsGridPrint& pGPrint, ui::Services& services);
    ~frmSelectReport();
    frmSelectReport(const frmSelectReport&) = delete;
    frmSelectReport& operator=(const frmSelectReport&) = delete;

    // Lists the group's reports; a group that does not exist gets its message and an empty list.
    void Form_Load();
    void SetVSFTree();

    // Confirms the report on the grid's current row: the definition goes into the host object (mOK
    // True) and the dialog closes. The group row, an unknown name and a report without template or
    // class name are refused with their messages; the dialog stays open.
    void cmdOk_Click();
    // Cancel, and the close box: mOK False, so the window keeps its report.
    void cmdCancel_Click();
    bool IsClosed() const { return m_isClosed; }

    grid::GridModel vsf;
    const std::string& GroupName() const { return m_groupName; }

private:
    clsGridPrint& m_host;
    ui::Services& m_services;
    std::shared_ptr<ado::Recordset> m_reports;
    std::string m_groupName;
    bool m_isClosed = false;
};

} // namespace QV_GridPrint::select
