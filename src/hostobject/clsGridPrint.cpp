// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "hostobject/clsGridPrint.h"

#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "catalogue/CatalogueSql.h"
#include "catalogue/ModGridPrint.h"
#include "catalogue/ReportDefinition.h"
#include "hostobject/LoginRecord.h"
#include "ui/Services.h"
#include "vb/Error.h"

#include <cstdint>
#include <stdexcept>

namespace QV_GridPrint {

clsGridPrint::clsGridPrint(std::shared_ptr<ui::Services> services, std::shared_ptr<ParameterPrompt> prompt)
    : m_services(std::move(services)), m_prompt(std::move(prompt)) {
    if (!m_services) {
        // A programming error of the host, found where it is made rather than at the first message.
        throw std::invalid_argument("报表主程序对象需要窗口系统服务（services 不能为空）。");
    }
}

clsGridPrint::~clsGridPrint() = default;

ui::Services& clsGridPrint::Services() const {
    return *m_services;
}

std::shared_ptr<ado::Recordset> clsGridPrint::rsLogin() {
    if (!m_rsLogin) {
        m_rsLogin = ado::Recordset::Create();
    }
    return m_rsLogin;
}

void clsGridPrint::set_rsLogin(std::shared_ptr<ado::Recordset> value) {
    m_rsLogin = std::move(value);
}

// Failing statements are skipped: the host must never see an error from ShowReport, and a step that
// fails leaves the variables it would have set as they were.
bool clsGridPrint::ShowReport(std::int16_t iType) {
    std::shared_ptr<ado::Recordset> rs;
    vb::SkipOnError([&] {
        rs = ado::Recordset::Create();
        rs->Open(catalogue::SelectReportById(iType), mCNN, ado::adOpenStatic, ado::adLockReadOnly);
        rs->MoveFirst();
    });
    mOK = true;
    // Without a row every field read fails. The variables would then keep the previous report's
    // definition and that report would be shown again under this id; a missing row is refused instead.
    bool hasRow = false;
    vb::SkipOnError([&] { hasRow = rs && rs->State() == ado::adStateOpen && !rs->IsEOF(); });
    // The name and the group are what a plug-in finds its definition by. Kept from the previous report,
    // they would show that report's rows under this report's template, so a row without them is
    // refused like a missing one.
    bool hasIdentity = false;
    if (hasRow) {
        const catalogue::ReportRow row = catalogue::ReadReportRow(*rs);
        hasIdentity = row.qrptname && row.qrptgrpid;
        if (row.qrptname) {
            rptName = *row.qrptname;
        }
        if (row.qfmtfilename) {
            FmtFileName = *row.qfmtfilename;
        }
        if (row.qheadheight) {
            HeadHeight = *row.qheadheight;
        }
        if (row.qclsname) {
            ClsName = *row.qclsname;
        }
        if (row.qid) {
            modGridPrint::RptID = *row.qid;
        }
        if (row.qrptgrpid) {
            RptType = *row.qrptgrpid;
        }
    }
    if (!hasRow || !hasIdentity || !catalogue::IsValidDefinition(FmtFileName, ClsName)) {
        vb::SkipOnError([&] {
            Services().ShowMessage(
                {catalogue::kInvalidDefinitionMessage, {}, ui::Buttons::Ok, ui::Icon::None});
        });
        return false;
    }
    if (!mOK) {
        return true;
    }
    if (!m_windowFactory) {
        vb::SkipOnError([&] {
            Services().ShowMessage(
                {"无法显示报表：本程序没有提供报表窗口。", {}, ui::Buttons::Ok, ui::Icon::Critical});
        });
        return false;
    }
    // Every call shows a freshly loaded window; the previous one was unloaded when it closed.
    vb::SkipOnError([&] {
        m_frmView = m_windowFactory();
        if (m_frmView) {
            m_frmView->SetHost(*this);
            m_frmView->ShowModal();
        }
    });
    m_frmView.reset();
    return true;
}

bool clsGridPrint::ShowReportOfId(long reportId) {
    if (reportId < INT16_MIN || reportId > INT16_MAX) {
        vb::SkipOnError([&] {
            Services().ShowMessage(
                {catalogue::kInvalidDefinitionMessage, {}, ui::Buttons::Ok, ui::Icon::None});
        });
        return false;
    }
    return ShowReport(static_cast<std::int16_t>(reportId));
}

bool clsGridPrint::CreateRsLogin(const std::string& strSQL) {
    // A fresh record each time: fields of an earlier call must not be left in front of the new ones.
    auto record = ado::Recordset::Create();
    m_rsLogin = record;
    return BuildLoginRecord(*record, strSQL);
}

} // namespace QV_GridPrint
