// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The report window's column customisation, drill-down and report choice: the window's side of the
// steps whose work lives in columns/, drill/ and select/. Each hands those the variables it needs.
#include "ado/Connection.h"
#include "catalogue/ModGridPrint.h"
#include "columns/ColumnOverrides.h"
#include "columns/frmColEdit.h"
#include "drill/DrillDown.h"
#include "host/clsGridPrint.h"
#include "select/frmSelectReport.h"
#include "ui/Services.h"
#include "viewer/frmGridPrint.h"

namespace QV_GridPrint {
namespace {

drill::DrillWindow DrillWindowOf(frmGridPrint& window, clsGridPrint& host, ui::Services& services) {
    return drill::DrillWindow{host,
                              services,
                              window.ParaValue,
                              window.ParaText,
                              window.ParaValueSave,
                              window.ParaTextSave,
                              window.strStoreProc,
                              window.strMainProc,
                              window.strMxBindField,
                              window.bAutoMove,
                              window.bIsDetail,
                              [&window] {
                                  window.SetData();
                              }};
}

} // namespace

void frmGridPrint::GridDblClick() {
    drill::DrillWindow window = DrillWindowOf(*this, *pGPrint, m_services);
    drill::GridDoubleClick(window, {vsf.GridRowCount(), vsf.CursorRow(), iFixedRows, rsData, mRpt.get()});
}

bool frmGridPrint::ReturnParent() {
    drill::DrillWindow window = DrillWindowOf(*this, *pGPrint, m_services);
    return drill::ReturnParent(window);
}

void frmGridPrint::ApplyChangeFormat(sheet::SheetDocument& sheet) {
    if (!pGPrint->mCNN) {
        return;
    }
    if (const std::optional<vb::Variant> user = m_overrideUser.Get(*pGPrint, m_services)) {
        columns::ApplyChangeFormat(*pGPrint->mCNN, *user, modGridPrint::RptID, sheet);
    }
}

void frmGridPrint::SaveColumnWidths() {
    if (!pGPrint->mCNN) {
        return;
    }
    if (const std::optional<vb::Variant> user = m_overrideUser.Get(*pGPrint, m_services)) {
        // One message for the whole save (it stops at its first failure): a read-only database or a
        // server that went away would otherwise lose the user's widths without a word.
        if (const std::optional<std::string> failure =
                columns::SaveColumnWidths(*pGPrint->mCNN, *user, modGridPrint::RptID, vsf, vHeadStart,
                                          iHeadEnd, m_services.TwipsPerPixelX())) {
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
        SetData();
    }
}

} // namespace QV_GridPrint
