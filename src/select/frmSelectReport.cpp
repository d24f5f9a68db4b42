// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "select/frmSelectReport.h"

#include "ado/Recordset.h"
#include "catalogue/CatalogueSql.h"
#include "catalogue/ModGridPrint.h"
#include "catalogue/ReportDefinition.h"
#include "controls/grid/RecordsetBinding.h"
#include "hostobject/clsGridPrint.h"
#include "ui/Services.h"
#include "vb/Conversion.h"
#include "vb/Error.h"

namespace QV_GridPrint::select {
namespace {

constexpr const char* kChooseMessage = "请你所需的选择报表！";

} // namespace

frmSelectReport::frmSelectReport(clsGridPrint& pGPrint, ui::Services& services)
    : m_host(pGPrint), m_services(services) {
    vsf.SetGridColCount(1);
}

frmSelectReport::~frmSelectReport() = default;

void frmSelectReport::Form_Load() {
    auto group = ado::Recordset::Create();
    group->Open(catalogue::SelectGroup(m_host.RptType), m_host.mCNN);
    if (group->IsEOF()) {
        m_services.ShowMessage({"报表类别不存在,按取消键退出！", {}, ui::Buttons::Ok, ui::Icon::None});
        return;
    }
    const vb::Variant name = group->Fields("qrptgrpname").Value();
    m_groupName = name.IsNull() ? std::string() : vb::CStr(name);
    if (m_reports && m_reports->State() == ado::adStateOpen) {
        m_reports->Close();
    }
    m_reports = ado::Recordset::Create();
    m_reports->Open(catalogue::SelectReportNamesOfGroup(m_host.RptType), m_host.mCNN);
    vsf.SetDataBinding(vb::Variant(std::static_pointer_cast<vb::Object>(m_reports)), grid::RecordsetRows);
    vsf.InsertRowAt(m_groupName, 0);
    SetVSFTree();
}

void frmSelectReport::SetVSFTree() {
    vsf.SetRowIsNode(0, true);
    vsf.SetRowLevel(0, 1);
    vsf.SetRangeProp(grid::CellSetting::Picture, 0, 0, vb::Variant(kGroupPicture));
    vsf.SetRowHeightTwips(0, 400);
    vsf.SetRangeProp(grid::CellSetting::Bold, 0, 0, vb::Variant(true));
    for (int row = 1; row < vsf.GridRowCount(); ++row) {
        vsf.SetRowIsNode(row, true);
        vsf.SetRowLevel(row, 2);
        vsf.SetRangeProp(grid::CellSetting::Picture, row, 0, vb::Variant(kReportPicture));
        vsf.SetRowHeightTwips(row, 300);
    }
    vsf.SetInertSetting(grid::KeptSetting::ChoiceTreeStyle, 5);
    vsf.SetInertSetting(grid::KeptSetting::ChoiceTreeLines, 0);
    vsf.SetColWidthTwips(0, vsf.Width());
}

void frmSelectReport::cmdOk_Click() {
    const auto choose = [&] {
        m_services.ShowMessage({kChooseMessage, modGridPrint::kErrorTitle, ui::Buttons::Ok, ui::Icon::None});
    };
    // No current row (an empty list) is the group row's case too: nothing to take.
    if (vsf.CursorRow() <= 0) {
        choose();
        return;
    }
    const std::string name = vsf.CellTextAt(vsf.CursorRow(), 0);
    auto chosen = ado::Recordset::Create();
    chosen->Open(catalogue::SelectReportByGroupAndName(m_host.RptType, name), m_host.mCNN);
    if (chosen->IsEOF()) {
        choose();
        return;
    }
    const catalogue::ReportRow row = catalogue::ReadReportRow(*chosen);
    const std::string fmtFileName = row.qfmtfilename.value_or("");
    const std::string clsName = row.qclsname.value_or("");
    if (!catalogue::IsValidDefinition(fmtFileName, clsName)) {
        m_services.ShowMessage({catalogue::kInvalidDefinitionMessage, {}, ui::Buttons::Ok, ui::Icon::None});
        return;
    }
    m_host.mOK = true;
    m_host.rptName = name;
    m_host.FmtFileName = fmtFileName;
    // A report without a title band height gets none rather than the previous report's.
    m_host.HeadHeight = row.qheadheight.value_or(0);
    m_host.ClsName = clsName;
    if (row.qid) {
        modGridPrint::RptID = *row.qid;
    }
    m_isClosed = true;
}

void frmSelectReport::cmdCancel_Click() {
    m_host.mOK = false;
    m_isClosed = true;
}

} // namespace QV_GridPrint::select
