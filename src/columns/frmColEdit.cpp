// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "columns/frmColEdit.h"

#include "ado/Connection.h"
#include "catalogue/CatalogueSql.h"
#include "catalogue/ModGridPrint.h"
#include "columns/ColumnOverrides.h"
#include "controls/grid/GridModel.h"
#include "ui/Services.h"
#include "vb/Error.h"
#include "vb/Strings.h"

namespace QV_GridPrint::columns {

frmColEdit::frmColEdit(ColEditParent frmParent, ui::Services& services)
    : m_parent(std::move(frmParent)), m_services(services) {}

void frmColEdit::Form_Load() {
    // Built as the close-time save builds fcaption, so the dialog and the stored rows count levels alike.
    txtOldCaption = HeaderCaption(m_parent.vsf, m_parent.vsf.CursorCol());
    txtNewCaption.clear();
    m_tnCount.reset();
}

bool frmColEdit::set_tnCount(std::optional<long> value) {
    if (value && (*value < 0 || *value > kMaxDecimals)) {
        return false;
    }
    m_tnCount = value;
    return true;
}

bool frmColEdit::SameLevelCount(const std::string& oldCaption, const std::string& newCaption) {
    return vb::Split(oldCaption, ",").size() == vb::Split(newCaption, ",").size();
}

void frmColEdit::cmdOk_Click() {
    const auto notice = [&](const char* text) {
        m_services.ShowMessage({text, modGridPrint::kNoticeTitle, ui::Buttons::Ok, ui::Icon::Information});
    };
    if (txtNewCaption.empty()) {
        notice("对不起，新列标题不能为空！");
        return;
    }
    if (!SameLevelCount(txtOldCaption, txtNewCaption)) {
        notice("对不起，新列标题级数与原来的列标题级数不一致！");
        return;
    }
    m_parent.bColEdited = true;
    try {
        m_parent.mCNN->Execute(catalogue::UpdateOverrideCaptionAndDecimals(
            m_tnCount.value_or(0), txtNewCaption, m_parent.reportId, m_parent.vsf.CursorCol()));
    } catch (const vb::Error& error) {
        // The rows are as they were; the user may retry or cancel.
        modGridPrint::ShowErrMsg(m_services, error);
        return;
    } catch (const std::exception& error) {
        modGridPrint::ShowErrMsg(m_services, error.what());
        return;
    }
    m_isClosed = true;
}

void frmColEdit::cmdCancel_Click() {
    m_isClosed = true;
}

} // namespace QV_GridPrint::columns
