// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Journeys: random walks through the report window the way people use it, over the demo catalogue
// with a few faults put into it, checking after every step what must hold whatever came before.
//
// Design notes.
//  1. A walk is fixed by its seed: the world's faults, the sessions (which user opens which report),
//     every action and every answer in a dialog come from one generator. A failure names the seed and
//     the steps that led to it; VONDREL_JOURNEY_SEEDS and VONDREL_JOURNEY_STEPS run longer campaigns.
//  2. The window is the real one (the window's logic with the generic plug-in, the real catalogue and
//     templates); only the modal dialogs and message boxes are played by the walk.
//  3. Invariants after every step: a window that can still be used shows one report (caption, report
//     id, definition and grid agree with the catalogue), every message is the system's Chinese text.
//     After every session: column rows exist only for reports whose grid that user was shown, and
//     every report that opened for that user before still opens.
//  4. Templates live in a copy of the demo folder, so that a walk can re-draw one between sessions
//     (another template put in its place), as an author does between two weeks of use.

#include "ReliabilityFixture.h"
#include "catalogue/CatalogueSql.h"
#include "catalogue/ReportDefinition.h"
#include "reportgrid/TemplateHeader.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <unistd.h>

namespace vondrel::test {
namespace {

using QV_GridPrint::frmGridPrint;
namespace modGridPrint = QV_GridPrint::modGridPrint;

const std::vector<std::string> kToolbarKeys = {
    "print",     "printpreview", "printsetup", "paper",    "movefirst", "moveprev", "movenext", "movelast",
    "regetdata", "open",         "dc",         "t_return", "t_coledit", "t_csgs",   "line1",    "exit"};

const std::vector<std::string> kTemplates = {"销售汇总.cll", "销售日报.cll", "客户往来账.cll", "月度销售.cll",
                                             "收款明细.cll"};

// Faults a walk's world may start with: catalogue rows a careless administrator leaves behind.
const std::vector<std::string> kFaults = {
    "UPDATE qv_report SET qclsname = 'No.Such.Report' WHERE qid = 2",
    "UPDATE qv_report SET qclsname = '   ' WHERE qid = 2",
    "UPDATE qv_report SET qfmtfilename = '没有这个模板.cll' WHERE qid = 6",
    "UPDATE qv_report SET qstoreproc = 'sp_gone' WHERE qid = 2",
    "UPDATE qv_report SET qstoreproc = 'sp_gone' WHERE qid = 1",
    "UPDATE qv_report SET qheadheight = -2000000000 WHERE qid = 2",
    "UPDATE qv_report SET qheadheight = 2000000000 WHERE qid = 1",
    "UPDATE qv_rptdetail SET qrptpara = 'fcustname客户' WHERE qrptparentid = 1",
    "UPDATE qv_rptdetail SET qrptpara = 'nosuchfield/客户:fcustname' WHERE qrptparentid = 1",
    "INSERT INTO qv_rptdetail (qrptparentid, qrptchildid, qrptpara) VALUES (2, 1, "
    "'fcustname/客户:fcustname')",
    "INSERT INTO qv_rptdetail (qrptparentid, qrptchildid, qrptpara) VALUES (6, 2, 'fmethod/方式:fmethod')",
    "DELETE FROM qv_rptpara WHERE qid = 2",
    // Rows written for an older drawing of a template: the header moved, a column it no longer has.
    "INSERT INTO QV_RptChangeColFormat (fuserid, fischange, frptid, fcol, fbegrow, fendrow, fwidth, "
    "fcaption) "
    "VALUES (1, 0, 1, 0, 9, 12, 80, '旧,标,题,行')",
    "INSERT INTO QV_RptChangeColFormat (fuserid, fischange, frptid, fcol, fbegrow, fendrow, fwidth, "
    "fcaption) "
    "VALUES (1, 0, 2, 60, 4, 5, 80, '不存在,的列')",
    "INSERT INTO QV_RptChangeColFormat (fuserid, fischange, frptid, fcol, fbegrow, fendrow, fwidth, "
    "fcaption) "
    "VALUES (2, 0, 6, 1, 4, 5, 80, '只有一级')",
};

class Walk {
public:
    Walk(Backend backend, std::uint32_t seed) : m_backend(backend), m_seed(seed), m_random(seed) {}

    ~Walk() {
        m_host.reset();
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

    // False when the database is not there (the walk is skipped).
    bool Prepare() {
        m_db = std::make_unique<TestDatabase>(m_backend);
        if (!m_db->IsAvailable()) {
            return false;
        }
        LoadDemo(*m_db, m_backend, /*withDrill*/ true);
        m_folder = std::filesystem::temp_directory_path() /
                   ("vondrel-journey-" + std::to_string(::getpid()) + "-" + std::to_string(m_seed));
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
        for (const std::string& name : kTemplates) {
            std::filesystem::copy_file(std::filesystem::path(VONDREL_SOURCE_DIR) / "demo/templates" / name,
                                       m_folder / name);
        }
        m_services->scripted.SetApplicationFolder(m_folder);
        for (int count = Pick(3); count > 0; --count) {
            const std::string& fault =
                kFaults[static_cast<std::size_t>(Pick(static_cast<int>(kFaults.size())))];
            Note("fault: " + fault);
            m_db->Exec(fault);
        }
        for (const char* user : {"1", "2"}) {
            m_initialRows[user] = ReportsWithRows(user);
        }
        m_host = sqlreport::test::MakeHost(m_services);
        m_host->set_cnn(m_db->Connection());
        m_host->mMove = Pick(4) != 0;
        m_host->SetReportWindowFactory([this] { return std::make_unique<Window>(*this); });
        sqlreport::Register(m_registry, nullptr);
        modGridPrint::bMxMode = false;
        return true;
    }

    // Walks `steps` steps in sessions; stops at the first broken invariant (reported as a failure).
    void Run(int steps) {
        m_stepsLeft = steps;
        while (m_stepsLeft > 0 && !m_isBroken) {
            RunSession();
        }
    }

private:
    class Window final : public QV_GridPrint::ReportWindow {
    public:
        explicit Window(Walk& walk) : m_walk(walk) {}
        void SetHost(QV_GridPrint::clsGridPrint& host) override { m_host = &host; }
        void ShowModal() override {
            frmGridPrint window(*m_host, m_walk.m_services->scripted, m_walk.m_services->scripted,
                                m_walk.m_registry);
            window.SetModalDialogs(&m_walk.m_dialogs);
            window.Load();
            if (m_walk.m_isChecking) {
                // Reopening a report only to see that it opens: no steps, and no widths saved.
                m_walk.m_checkOpened = window.bOK && !window.IsCloseRequested();
                return;
            }
            m_walk.AfterStep(window, "open report " + std::to_string(modGridPrint::RptID));
            if (window.bOK && !window.IsCloseRequested()) {
                m_walk.m_opened[m_walk.m_user].insert(modGridPrint::RptID);
            }
            while (m_walk.m_stepsLeft > 0 && !m_walk.m_isBroken && !window.IsCloseRequested() &&
                   !m_walk.WantsToClose()) {
                m_walk.Step(window);
            }
            window.Unload();
        }

    private:
        Walk& m_walk;
        QV_GridPrint::clsGridPrint* m_host = nullptr;
    };

    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_random); }
    bool Chance(int percent) { return Pick(100) < percent; }

    void Note(const std::string& line) {
        m_log.push_back(line);
        if (m_log.size() > 40) {
            m_log.erase(m_log.begin());
        }
    }

    void Break(const std::string& what) {
        if (m_isBroken) {
            return;
        }
        m_isBroken = true;
        std::ostringstream out;
        out << EngineOf(m_backend) << " seed " << m_seed << ": " << what << "\nlast steps:";
        for (const std::string& line : m_log) {
            out << "\n  " << line;
        }
        ADD_FAILURE() << out.str();
    }

    bool WantsToClose() { return Chance(3); }

    void RunSession() {
        m_user.assign(1, Chance(70) ? '1' : '2');
        SignInDemoUser(*m_host, m_user);
        if (Chance(15)) {
            Redraw();
        }
        const int reportId = 1 + Pick(7); // 7 is no report at all
        Note("session: user " + m_user + " opens " + std::to_string(reportId));
        --m_stepsLeft;
        m_host->ShowReport(static_cast<std::int16_t>(reportId));
        CheckMessages("ShowReport");
        m_services->answers.clear();
        CheckAfterSession();
    }

    // An author re-draws a template between two sessions: another drawing takes its file name.
    void Redraw() {
        const std::string& target =
            kTemplates[static_cast<std::size_t>(Pick(static_cast<int>(kTemplates.size())))];
        const std::string& source =
            kTemplates[static_cast<std::size_t>(Pick(static_cast<int>(kTemplates.size())))];
        Note("redraw " + target + " as " + source);
        std::filesystem::copy_file(std::filesystem::path(VONDREL_SOURCE_DIR) / "demo/templates" / source,
                                   m_folder / target, std::filesystem::copy_options::overwrite_existing);
        // A report that opened before still has to open with the new drawing: its rows adapt.
    }

    void Step(frmGridPrint& window) {
        --m_stepsLeft;
        grid::GridModel& grid = window.Grid();
        const int action = Pick(100);
        std::string what;
        if (action < 45) {
            const std::string& key =
                kToolbarKeys[static_cast<std::size_t>(Pick(static_cast<int>(kToolbarKeys.size())))];
            if (key == "exit" && !Chance(30)) {
                return;
            }
            what = "toolbar " + key;
            if (key == "regetdata" || key == "open") {
                m_services->answers.push_back({Chance(75), {}});
            }
            if (key == "dc") {
                ScriptExport();
            }
            ScriptDialogs();
            window.ToolbarClick(key);
        } else if (action < 70) {
            const int rows = grid.GridRowCount();
            const int row = Pick(rows + 2) - 1; // one before and one past the grid too
            what = "double click row " + std::to_string(row) + " of " + std::to_string(rows);
            if (row >= 0 && row < rows && grid.GridColCount() > 0) {
                grid.SelectRange(row, 0, row, 0);
            }
            window.GridDblClick();
        } else if (action < 82) {
            if (grid.GridColCount() == 0 || grid.GridRowCount() == 0) {
                return;
            }
            const int col = Pick(grid.GridColCount());
            const int row = Pick(grid.GridRowCount());
            what = "click cell " + std::to_string(row) + "," + std::to_string(col);
            grid.SelectRange(row, col, row, col);
        } else if (action < 92) {
            if (grid.GridColCount() == 0) {
                return;
            }
            const int col = Pick(grid.GridColCount());
            const int width = Pick(4000);
            what = "resize column " + std::to_string(col) + " to " + std::to_string(width);
            grid.SetColWidthTwips(col, width);
        } else {
            what = "choose a master record";
            const auto& selector = window.Selector();
            if (!selector.isVisible || !selector.rowSource || selector.rowSource->RecordCount() < 1) {
                return;
            }
            auto clone = selector.rowSource->Clone();
            clone->MoveFirst();
            clone->Move(Pick(static_cast<int>(clone->RecordCount())));
            window.MutableSelector().pickedBookmark = clone->Bookmark();
            window.SelectorPick();
            window.SelectorFollowUp();
        }
        m_services->answers.clear();
        AfterStep(window, what);
    }

    void ScriptExport() {
        if (Chance(50)) {
            m_services->scripted.ScriptSaveFile(std::nullopt);
        } else {
            const bool isCll = Chance(30);
            m_services->scripted.ScriptSaveFile(
                ui::SaveFileChoice{(m_folder / (isCll ? "out.cll" : "out.xls")).string(), isCll ? 2 : 1});
        }
    }

    // The selection and column dialogs, answered the way a user might: choose, cancel, close box, or
    // a caption with quotes and commas.
    void ScriptDialogs() {
        m_dialogs.onSelectReport = [this](QV_GridPrint::select::frmSelectReport& dialog) {
            const int choice = Pick(4);
            if (choice == 0) {
                dialog.cmdCancel_Click();
                return;
            }
            if (choice == 1) {
                return; // the close box
            }
            if (dialog.vsf.GridRowCount() > 0) {
                const int row = Pick(dialog.vsf.GridRowCount());
                dialog.vsf.SelectRange(row, 0, row, 0);
            }
            dialog.cmdOk_Click();
            if (!dialog.IsClosed()) {
                dialog.cmdCancel_Click();
            }
        };
        m_dialogs.onColEdit = [this](QV_GridPrint::columns::frmColEdit& dialog) {
            static const std::vector<std::string> kCaptions = {
                "新标题", "甲,乙", "O'Brien,\"引号\"", ",", "", "a,b,c", "合计'; DROP TABLE qv_report; --"};
            dialog.txtNewCaption =
                kCaptions[static_cast<std::size_t>(Pick(static_cast<int>(kCaptions.size())))];
            dialog.set_tnCount(Chance(20) ? std::nullopt : std::optional<long>(Pick(6)));
            if (Chance(20)) {
                dialog.cmdCancel_Click();
                return;
            }
            dialog.cmdOk_Click();
            if (!dialog.IsClosed()) {
                dialog.cmdCancel_Click();
            }
        };
    }

    void CheckMessages(const std::string& what) {
        for (const ui::Message& message : m_services->scripted.TakeMessages()) {
            Note("  message: " + message.text);
            if (!HasChineseWords(message.text)) {
                Break("after " + what + ", a message without the system's words: " + message.text);
            }
        }
    }

    void AfterStep(frmGridPrint& window, const std::string& what) {
        Note(what);
        CheckMessages(what);
        m_services->shownForms.clear();
        m_services->shownRecords.clear();
        m_services->problems.clear();
        if (const auto shown = window.GridReportId()) {
            m_shown[m_user].insert(*shown);
        }
        if (!window.bOK || window.IsCloseRequested() || !window.mRpt) {
            return;
        }
        // One report: the definition the window holds is the catalogue's row for the report id, and
        // the grid's header was built from that report's template.
        const std::int16_t id = modGridPrint::RptID;
        auto rs = ado::Recordset::Create();
        rs->Open(QV_GridPrint::catalogue::SelectReportById(id), m_db->Connection());
        if (rs->IsEOF()) {
            Break("after " + what + ", the window shows report " + std::to_string(id) +
                  ", which does not exist");
            return;
        }
        const QV_GridPrint::catalogue::ReportRow row = QV_GridPrint::catalogue::ReadReportRow(*rs);
        if (row.qrptname.value_or("?") != m_host->rptName ||
            row.qfmtfilename.value_or("?") != m_host->FmtFileName ||
            row.qclsname.value_or("?") != m_host->ClsName) {
            Break("after " + what + ", report " + std::to_string(id) + " is shown with the definition of " +
                  m_host->rptName + " (" + m_host->FmtFileName + ")");
        }
        if (window.Caption() != m_host->rptName && window.Caption() != "报表数据") {
            Break("after " + what + ", the caption " + window.Caption() + " names another report than " +
                  m_host->rptName);
        }
        if (window.GridReportId() && *window.GridReportId() != id) {
            Break("after " + what + ", the grid shows report " + std::to_string(*window.GridReportId()) +
                  " under report " + std::to_string(id));
        }
        // The header is the template's as drawn now: its rows between the markers, whatever rows the
        // user's settings were written for.
        sheet::SheetDocument drawn;
        QV_GridPrint::TemplateRows rows;
        if (window.GridReportId() && drawn.OpenFile((m_folder / m_host->FmtFileName).string()) > 0 &&
            QV_GridPrint::GetFixedRows(drawn, rows) && window.Grid().HeaderRowCount() != rows.iFixedRows) {
            Break("after " + what + ", the grid has " + std::to_string(window.Grid().HeaderRowCount()) +
                  " header rows where the template of " + m_host->rptName + " draws " +
                  std::to_string(rows.iFixedRows));
        }
    }

    std::set<std::int16_t> ReportsWithRows(const std::string& user) {
        std::set<std::int16_t> ids;
        auto rs = ado::Recordset::Create();
        rs->Open("SELECT DISTINCT frptid FROM QV_RptChangeColFormat WHERE fuserid = " + user,
                 m_db->Connection());
        for (; !rs->IsEOF(); rs->MoveNext()) {
            ids.insert(vb::CInt(rs->Fields(std::size_t{0}).Value()));
        }
        return ids;
    }

    void CheckAfterSession() {
        if (m_isBroken) {
            return;
        }
        for (const std::int16_t id : ReportsWithRows(m_user)) {
            if (!m_shown[m_user].count(id) && !m_initialRows[m_user].count(id)) {
                Break("column rows of user " + m_user + " were written for report " + std::to_string(id) +
                      ", whose grid that user was never shown");
                return;
            }
        }
        m_isChecking = true;
        for (const std::int16_t id : m_opened[m_user]) {
            m_checkOpened = false;
            m_host->ShowReport(id);
            const std::vector<ui::Message> messages = m_services->scripted.TakeMessages();
            if (!m_checkOpened) {
                std::string said;
                for (const ui::Message& message : messages) {
                    said += " " + message.text;
                }
                Break("report " + std::to_string(id) + " opened for user " + m_user +
                      " before and does not open any more:" + said);
                break;
            }
        }
        m_isChecking = false;
        m_services->answers.clear();
    }

    Backend m_backend;
    std::uint32_t m_seed;
    std::mt19937 m_random;
    std::unique_ptr<TestDatabase> m_db;
    std::filesystem::path m_folder;
    std::shared_ptr<sqlreport::test::PromptServices> m_services =
        std::make_shared<sqlreport::test::PromptServices>();
    std::unique_ptr<QV_GridPrint::clsGridPrint> m_host;
    QV_GridPrint::PluginRegistry m_registry;
    ScriptedDialogs m_dialogs;
    std::string m_user = "1";
    int m_stepsLeft = 0;
    bool m_isBroken = false;
    bool m_isChecking = false;
    bool m_checkOpened = false;
    std::vector<std::string> m_log;
    std::map<std::string, std::set<std::int16_t>> m_shown;
    std::map<std::string, std::set<std::int16_t>> m_opened;
    std::map<std::string, std::set<std::int16_t>> m_initialRows;
};

int EnvNumber(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::atoi(text) : fallback;
}

class Journey : public ::testing::TestWithParam<Backend> {};

TEST_P(Journey, RandomWalksKeepEveryInvariant) {
    // The fixed seeds of ./dev test; a campaign sets more seeds and steps through the environment.
    const int seeds = EnvNumber("VONDREL_JOURNEY_SEEDS", GetParam() == Backend::Sqlite ? 12 : 4);
    const int steps = EnvNumber("VONDREL_JOURNEY_STEPS", 60);
    const int firstSeed = EnvNumber("VONDREL_JOURNEY_FIRST_SEED", 1);
    for (int seed = firstSeed; seed < firstSeed + seeds; ++seed) {
        Walk walk(GetParam(), static_cast<std::uint32_t>(seed));
        if (!walk.Prepare()) {
            GTEST_SKIP() << "no database";
        }
        walk.Run(steps);
        if (HasFailure()) {
            break;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Databases, Journey, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         BackendTestName);

} // namespace
} // namespace vondrel::test
