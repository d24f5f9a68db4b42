// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "hostobject/IGridPrint.h"
#include "hostobject/ReportWindow.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace ui {
class Services;
}

namespace QV_GridPrint {

class ParameterPrompt;

// The host object: the one thing a host application creates. It holds the host's connection, the
// login record and the definition of the report shown, and is reachable from the window, the
// dialogs and the plug-ins as pGPrint.
//
// The public variables are the definition, in their interface order. rsLogin, the ninth, is reached
// through rsLogin()/set_rsLogin() because reading it has an effect (an empty recordset is created
// when none is held).
class clsGridPrint : public IGridPrint {
public:
    // services: message boxes etc. of this object and its windows; required (std::invalid_argument).
    // prompt: the host's own answer to a plug-in's parameter and record dialogs (a host that runs
    // unattended, a test); null: plug-ins show their own. The window gives it to each plug-in it makes.
    explicit clsGridPrint(std::shared_ptr<ui::Services> services,
                          std::shared_ptr<ParameterPrompt> prompt = nullptr);
    ~clsGridPrint() override;
    clsGridPrint(const clsGridPrint&) = delete;
    clsGridPrint& operator=(const clsGridPrint&) = delete;

    std::shared_ptr<ado::Connection> mCNN; // the host's connection
    bool mOK = false;                      // a definition was read (or chosen in the selection dialog)
    std::string rptName;                   // qrptname
    std::int16_t RptType = 0;              // qrptgrpid
    std::string FmtFileName;               // qfmtfilename ("" for NULL)
    std::string ClsName;                   // qclsname ("" for NULL)
    std::int32_t HeadHeight = 0;           // qheadheight, twips
    bool mMove = false;                    // navigation buttons enabled

    std::shared_ptr<ado::Recordset> rsLogin() override;
    void set_rsLogin(std::shared_ptr<ado::Recordset> value) override;
    std::shared_ptr<ado::Connection> cnn() override { return mCNN; }
    void set_cnn(std::shared_ptr<ado::Connection> value) override { mCNN = std::move(value); }
    bool MoveBotton() override { return mMove; }
    void let_MoveBotton(bool value) override { mMove = value; }

    // Reads report iType's definition and shows its window modally. Never throws: a statement that
    // fails is skipped. A definition without template or class name (including an id the catalogue
    // does not have) gets the invalid-definition message and false.
    bool ShowReport(std::int16_t iType) override;
    // For callers holding a wider number (command lines, other languages): an id outside the 16-bit
    // range is refused like an id the catalogue does not have, instead of wrapping to another report.
    bool ShowReportOfId(long reportId);
    // ShowReport as the class's own interface names it.
    bool IGridPrint_ShowReport(std::int16_t iType) { return ShowReport(iType); }

    // Builds a fresh login record from the field list; see LoginRecord.h for the grammar. Database-
    // layer errors (a field named twice) are not caught.
    bool CreateRsLogin(const std::string& strSQL) override;

    ui::Services& Services() const;
    ParameterPrompt* Prompt() const { return m_prompt.get(); }
    // The window factory this object uses; until one is set, ShowReport says no window is provided.
    // The Qt window's layer sets its own with UseQtReportWindow.
    void SetReportWindowFactory(ReportWindowFactory factory) { m_windowFactory = std::move(factory); }

    // The last accepted parameter texts of each report this object has shown, by report id and then
    // parameter name, kept for the object's life: a plug-in instance made again for the same report
    // (a refresh that does not ask) computes with them. They belong to the object, not the process,
    // because report ids are only unique within one database and two objects may be on two.
    using ParameterTexts = std::map<std::string, std::string>;
    using RememberedTexts = std::map<int, ParameterTexts>;
    RememberedTexts& RememberedParameters() { return *m_remembered; }
    // From now on remembers into `other`'s texts: an object made to export for another host object
    // starts from that object's last values and leaves its own there.
    void ShareRememberedParameters(const clsGridPrint& other) { m_remembered = other.m_remembered; }

private:
    std::shared_ptr<ado::Recordset> m_rsLogin;
    std::unique_ptr<ReportWindow> m_frmView; // the window of the current ShowReport call
    std::shared_ptr<ui::Services> m_services;
    std::shared_ptr<ParameterPrompt> m_prompt;
    ReportWindowFactory m_windowFactory;
    std::shared_ptr<RememberedTexts> m_remembered = std::make_shared<RememberedTexts>();
};

} // namespace QV_GridPrint
