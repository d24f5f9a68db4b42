// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The report window's column customisation, drill-down and report choice: the window's side of the
// steps whose work lives in columns/, drill/ and select/, and the switch to another report that
// either completes or leaves the window as it was.
#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "catalogue/ModGridPrint.h"
#include "columns/ColumnOverrides.h"
#include "columns/frmColEdit.h"
#include "drill/DrillDown.h"
#include "hostobject/clsGridPrint.h"
#include "select/frmSelectReport.h"
#include "ui/Services.h"
#include "vb/Error.h"
#include "viewer/frmGridPrint.h"

#include <utility>

namespace QV_GridPrint {

// Everything that makes the report shown: the host's definition, the report id, the plug-in, the
// window's parameters and settings, the grid's contents and both sheets.
struct frmGridPrint::SetAside {
    std::string ClsName, FmtFileName, rptName;
    std::int32_t HeadHeight = 0;
    bool mOK = false;
    std::int16_t RptType = 0;
    std::int16_t RptID = 0;
    std::unique_ptr<IReport> mRpt;
    std::shared_ptr<ado::Recordset> rsData;
    std::vector<std::string> ParaValue, ParaText;
    vb::Variant vPara, vData;
    bool bHasBind = false, bAutoMove = false, bSelPending = false, bColsChange = false, bFmtLoaded = false;
    bool bParaSet = false, isBuiltByProcedures = false;
    std::int16_t iFixedCols = 0;
    std::string strBindField;
    DetailState detail;
    int vHeadStart = 0, iHeadEnd = 0, iFixedRows = 0, iColCount = 0;
    long lDataRowTwips = 0;
    ColumnTables columns;
    std::vector<ParaLabel> lbpara;
    grid::GridModel grid;
    sheet::SheetDocument cll, clldata;
    RecordSelector TL1;
    std::vector<ToolbarButton> toolbar;
    std::string caption;
    DrawnTitle title;
    std::optional<std::int16_t> gridReportId;
};

// Calls op(place in the window, place set aside) for every plain value of the report shown; the
// plug-in, the grid and the sheets are moved by the callers.
template <class Op> void frmGridPrint::VisitReport(SetAside& s, Op op) {
    op(pGPrint->ClsName, s.ClsName);
    op(pGPrint->FmtFileName, s.FmtFileName);
    op(pGPrint->rptName, s.rptName);
    op(pGPrint->HeadHeight, s.HeadHeight);
    op(pGPrint->mOK, s.mOK);
    op(pGPrint->RptType, s.RptType);
    op(modGridPrint::RptID, s.RptID);
    op(rsData, s.rsData);
    op(ParaValue, s.ParaValue);
    op(ParaText, s.ParaText);
    op(vPara, s.vPara);
    op(vData, s.vData);
    op(bHasBind, s.bHasBind);
    op(bAutoMove, s.bAutoMove);
    op(bSelPending, s.bSelPending);
    op(bColsChange, s.bColsChange);
    op(bFmtLoaded, s.bFmtLoaded);
    op(bParaSet, s.bParaSet);
    op(detail, s.detail);
    op(m_isBuiltByProcedures, s.isBuiltByProcedures);
    op(iFixedCols, s.iFixedCols);
    op(strBindField, s.strBindField);
    op(vHeadStart, s.vHeadStart);
    op(iHeadEnd, s.iHeadEnd);
    op(iFixedRows, s.iFixedRows);
    op(iColCount, s.iColCount);
    op(lDataRowTwips, s.lDataRowTwips);
    op(columns, s.columns);
    op(lbpara, s.lbpara);
    op(TL1, s.TL1);
    op(m_toolbar, s.toolbar);
    op(m_caption, s.caption);
    op(m_title, s.title);
    op(m_gridReportId, s.gridReportId);
}

std::unique_ptr<frmGridPrint::SetAside> frmGridPrint::SetAsideReport() {
    auto saved = std::make_unique<SetAside>();
    // Copies: the build of the next report starts from the window's values and changes them.
    VisitReport(*saved, [](auto& window, auto& aside) { aside = window; });
    saved->mRpt = std::move(mRpt);
    // The grid keeps its settings for the new report (they are the window's, not the report's).
    saved->grid.SwapContents(vsf);
    for (const grid::KeptSetting setting :
         {grid::KeptSetting::WindowLoad, grid::KeptSetting::ParameterLine}) {
        vsf.SetInertSetting(setting, saved->grid.InertSetting(setting));
    }
    saved->cll = std::exchange(cll, sheet::SheetDocument());
    saved->clldata = std::exchange(clldata, sheet::SheetDocument());
    return saved;
}

void frmGridPrint::PutBack(SetAside& saved) {
    VisitReport(saved, [](auto& window, auto& aside) { window = std::move(aside); });
    mRpt = std::move(saved.mRpt);
    vsf.SwapContents(saved.grid);
    cll = std::move(saved.cll);
    clldata = std::move(saved.clldata);
    bOK = true;
    for (const WindowPart part : {WindowPart::Caption, WindowPart::Title, WindowPart::Toolbar,
                                  WindowPart::Selector, WindowPart::Grid, WindowPart::Layout}) {
        Changed(part);
    }
}

// Drill-down and return: the plan's report, built through its procedures with the plan's parameters,
// or, when that build fails (its messages were shown), the report shown before, untouched.
bool frmGridPrint::SwitchTo(const drill::SwitchPlan& plan, SwitchKind kind) {
    const LeftPlace left{modGridPrint::RptID, vsf.Place()};
    // The grid set aside takes its place with it (a failed build puts both back); the new report's
    // grid starts at its top.
    const std::unique_ptr<SetAside> saved = SetAsideReport();
    const catalogue::ReportRow& row = plan.definition;
    pGPrint->ClsName = row.qclsname.value_or("");
    pGPrint->FmtFileName = row.qfmtfilename.value_or("");
    pGPrint->rptName = row.qrptname.value_or("");
    pGPrint->RptType = row.qrptgrpid.value_or(pGPrint->RptType);
    pGPrint->HeadHeight = row.qheadheight.value_or(pGPrint->HeadHeight);
    pGPrint->mOK = true;
    // Procedure names and the bind field read NULL as "none": keeping the previous report's procedures
    // would fetch the wrong report's rows.
    detail.strStoreProc = row.qstoreproc.value_or("");
    detail.strMainProc = row.qmainproc.value_or("");
    detail.strMxBindField = row.qbindfield.value_or("");
    bAutoMove = row.qisautomove.value_or(bAutoMove);
    modGridPrint::RptID = plan.reportId;
    ParaValue = plan.parameters.ParaValue;
    ParaText = plan.parameters.ParaText;
    detail.ParaValueSave = plan.parameters.ParaValueSave;
    detail.ParaTextSave = plan.parameters.ParaTextSave;
    detail.bIsDetail = true;
    bParaSet = false;
    if (!BuildThroughProcedures(*saved)) {
        return false;
    }
    if (kind == SwitchKind::Drill) {
        m_drillPlaces.push_back(left);
    } else if (!m_drillPlaces.empty() && m_drillPlaces.back().reportId == plan.reportId) {
        vsf.RestorePlace(m_drillPlaces.back().place);
        m_drillPlaces.pop_back();
    } else {
        // A return to a report no drill came from: the places kept belong to another way down.
        m_drillPlaces.clear();
    }
    return true;
}

bool frmGridPrint::RefetchData() {
    bParaSet = true;
    if (!m_isBuiltByProcedures) {
        return SetData();
    }
    // Rebuilt the way it was built, and like a switch: complete, or the report as it was. The rows are
    // the same report's, so the view stays where the user had scrolled.
    const grid::GridScroll scroll = vsf.ScrollPosition();
    const std::unique_ptr<SetAside> saved = SetAsideReport();
    if (!BuildThroughProcedures(*saved)) {
        return false;
    }
    vsf.ScrollTo(scroll);
    return true;
}

bool frmGridPrint::BuildThroughProcedures(SetAside& saved) {
    bool isBuilt = false;
    {
        // bMxMode is process-wide: a stuck True would send the next ordinary fetch to the procedures.
        modGridPrint::bMxMode = true;
        struct Reset {
            ~Reset() { modGridPrint::bMxMode = false; }
        } reset;
        try {
            isBuilt = SetData();
        } catch (const std::exception& error) {
            modGridPrint::ShowErrMsg(m_services, error.what());
        }
    }
    if (!isBuilt) {
        PutBack(saved);
    }
    return isBuilt;
}

void frmGridPrint::RequireConnection() const {
    if (!pGPrint->mCNN) {
        throw vb::Error(vb::kErrObjectRequired, "没有数据库连接（cnn），无法读取报表目录");
    }
}

void frmGridPrint::GridDblClick() {
    const int row = vsf.CursorRow();
    // Header rows and the totals row have no record behind them; every data row has, the last one too.
    if (vsf.GridRowCount() < 2 || row < iFixedRows || row == vsf.TotalsRow() || !rsData ||
        rsData->State() != ado::adStateOpen || row - iFixedRows >= rsData->RecordCount()) {
        return;
    }
    if (RefuseWhileClosing()) {
        return;
    }
    ui::BusyScope busy(m_services);
    modGridPrint::bMxMode = false;
    const long lRecNo = row - iFixedRows;
    try {
        // A clone, so the window's rows keep their own position.
        RequireConnection();
        const auto record = rsData->Clone();
        record->MoveFirst();
        record->Move(lRecNo);
        const std::optional<drill::SwitchPlan> plan =
            drill::PlanDrill(*pGPrint->mCNN, modGridPrint::RptID, *record,
                             {ParaValue, ParaText, detail.ParaValueSave, detail.ParaTextSave});
        if (plan) {
            SwitchTo(*plan, SwitchKind::Drill);
            return;
        }
        // ShowBill takes no argument: the plug-in reads the clicked record from its own rs.
        if (const auto rs = mRpt->rs(); rs && rs->State() == ado::adStateOpen) {
            rs->MoveFirst();
            rs->Move(lRecNo);
        }
        mRpt->ShowBill();
    } catch (const vb::Error& error) {
        modGridPrint::ShowErrMsg(m_services, error);
    } catch (const std::exception& error) {
        modGridPrint::ShowErrMsg(m_services, error.what());
    }
}

bool frmGridPrint::ReturnParent() {
    ui::BusyScope busy(m_services);
    try {
        RequireConnection();
        const std::optional<drill::SwitchPlan> plan =
            drill::PlanReturn(*pGPrint->mCNN, modGridPrint::RptID,
                              {ParaValue, ParaText, detail.ParaValueSave, detail.ParaTextSave});
        if (!plan) {
            m_services.ShowMessage({drill::kNoParentMessage, modGridPrint::kNoticeTitle, ui::Buttons::Ok,
                                    ui::Icon::Information});
            return false;
        }
        SwitchTo(*plan, SwitchKind::Return);
    } catch (const vb::Error& error) {
        modGridPrint::ShowErrMsg(m_services, error);
    } catch (const std::exception& error) {
        modGridPrint::ShowErrMsg(m_services, error.what());
    }
    return false;
}

void frmGridPrint::ApplyChangeFormat(sheet::SheetDocument& sheet, const columns::HeaderRows& header) {
    if (!pGPrint->mCNN) {
        return;
    }
    if (const std::optional<vb::Variant> user = m_overrideUser.Get(*pGPrint, m_services)) {
        columns::ApplyChangeFormat(*pGPrint->mCNN, *user, modGridPrint::RptID, sheet, header);
    }
}

void frmGridPrint::SaveColumnWidths() {
    // Only a grid built from a template has columns to save, and they are saved for the report that
    // grid was built for: after a failed set-up the grid still shows the report before it.
    if (!pGPrint->mCNN || !m_gridReportId) {
        return;
    }
    if (const std::optional<vb::Variant> user = m_overrideUser.Get(*pGPrint, m_services)) {
        // One message for the whole save: a read-only database or a server that went away would
        // otherwise lose the user's widths without a word.
        if (const std::optional<std::string> failure =
                columns::SaveColumnWidths(*pGPrint->mCNN, *user, *m_gridReportId, vsf, {vHeadStart, iHeadEnd},
                                          m_services.TwipsPerPixelX())) {
            m_services.ShowMessage({"本次调整的列宽没有保存：" + *failure, modGridPrint::kNoticeTitle,
                                    ui::Buttons::Ok, ui::Icon::Warning});
        }
    }
}

bool frmGridPrint::SetChangeFormat() {
    ui::BusyScope busy(m_services);
    if (pGPrint->mCNN) {
        // The procedure gets the user id as a bound value; without a usable one it gets Null.
        const vb::Variant user = m_overrideUser.Get(*pGPrint, m_services).value_or(vb::Variant::Null());
        columns::ResetOverrides(pGPrint->mCNN, modGridPrint::RptID, ParaValue, user);
    }
    RefetchData();
    return false;
}

void frmGridPrint::EditColumnCaption() {
    const int column = vsf.CursorCol();
    if (column < 0 || !pGPrint->mCNN || !m_dialogs ||
        !columns::HasColumnOverrides(*pGPrint->mCNN, modGridPrint::RptID, column)) {
        return;
    }
    columns::frmColEdit dialog({vsf, pGPrint->mCNN, modGridPrint::RptID, bColEdited}, m_services);
    bColEdited = false;
    dialog.Form_Load();
    m_dialogs->ShowColEdit(dialog);
    if (bColEdited) {
        RefetchData();
    }
}

void frmGridPrint::ChooseReport() {
    if (!m_dialogs) {
        return;
    }
    select::frmSelectReport dialog(*pGPrint, m_services);
    dialog.Form_Load();
    m_dialogs->ShowSelectReport(dialog);
    if (pGPrint->mOK) {
        bFmtLoaded = false;
        // Another report, not a way back: it opens at its top, and no return leads to the places
        // kept on the way down to the report it replaces.
        m_drillPlaces.clear();
        SetData();
        vsf.ScrollTo({});
    }
}

} // namespace QV_GridPrint
