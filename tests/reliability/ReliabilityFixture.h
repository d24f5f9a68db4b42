// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

// The demo (catalogue, business data, reports, drill link) on a real database, opened the way a host
// opens it: clsGridPrint::ShowReport reads the catalogue row and runs a window whose modal part is
// the test's script on the report window's logic, with the generic plug-in.

#include "plugin/PluginRegistry.h"
#include "sqlreport/DemoFixture.h"
#include "support/ScriptedDialogs.h"
#include "viewer/frmGridPrint.h"

#include <functional>
#include <regex>

namespace vondrel::test {

// A message in the system's language: its own words are Chinese, whatever detail follows them.
inline bool HasChineseWords(const std::string& text) {
    for (std::size_t at = 0; at + 2 < text.size(); ++at) {
        const auto lead = static_cast<unsigned char>(text[at]);
        if (lead >= 0xE4 && lead <= 0xE9) {
            return true;
        }
    }
    return false;
}

class DemoWindowFixture : public sqlreport::test::DemoSession {
protected:
    using Script = std::function<void(QV_GridPrint::frmGridPrint&)>;

    DemoWindowFixture() { m_withDrill = true; }

    void SetUp() override {
        DemoSession::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        sqlreport::Register(m_registry, nullptr);
        m_host->SetReportWindowFactory([this] { return std::make_unique<Window>(*this); });
        // A selection dialog nobody scripted is cancelled.
        m_dialogs.onSelectReport = [](QV_GridPrint::select::frmSelectReport& dialog) {
            dialog.cmdCancel_Click();
        };
    }

    void TearDown() override { m_host.reset(); }

    bool IsSqlite() const { return EngineOf(DatabaseParam()) == "sqlite"; }

    // Opens report `id` through the host; `whileOpen` runs on the loaded window before it closes.
    // Returns ShowReport's answer; `loaded` tells whether the window got as far as showing rows.
    bool Show(int id, const Script& whileOpen = {}) {
        m_whileOpen = whileOpen;
        m_loaded = false;
        return m_host->ShowReport(static_cast<std::int16_t>(id));
    }

    // The data rows of the grid (between the header and the totals row).
    int DataRows(QV_GridPrint::frmGridPrint& window) {
        return std::max(0, window.Grid().GridRowCount() - window.iFixedRows - 1);
    }

    std::vector<std::string> Messages() {
        std::vector<std::string> texts;
        for (const ui::Message& message : m_services->scripted.TakeMessages()) {
            texts.push_back(message.text);
        }
        return texts;
    }

    // Lets a test put values a well-kept catalogue refuses: NULL in every column, any type in any
    // column, the same key twice. The table keeps its columns and their types.
    void Loosen(const std::string& table) {
        if (IsSqlite()) {
            auto rs = Query("SELECT sql FROM sqlite_master WHERE type = 'table' AND lower(name) = lower('" +
                            table + "')");
            ASSERT_FALSE(rs->IsEOF()) << table;
            std::string create = vb::CStr(rs->Fields(std::size_t{0}).Value());
            create = std::regex_replace(create, std::regex(",\\s*PRIMARY KEY\\s*\\([^)]*\\)"), "");
            create = std::regex_replace(create, std::regex("\\s+(NOT NULL|PRIMARY KEY)"), "");
            create = std::regex_replace(create, std::regex("\\s+DEFAULT\\s+[^,\\s)]+"), "");
            m_db->Exec("ALTER TABLE " + table + " RENAME TO loosened_old");
            m_db->Exec(create);
            m_db->Exec("INSERT INTO " + table + " SELECT * FROM loosened_old");
            m_db->Exec("DROP TABLE loosened_old");
        } else {
            m_db->Exec("ALTER TABLE " + table + " DROP CONSTRAINT IF EXISTS " + table + "_pkey");
            auto rs = Query("SELECT column_name FROM information_schema.columns WHERE table_schema = "
                            "current_schema() AND table_name = lower('" +
                            table + "') AND is_nullable = 'NO'");
            std::vector<std::string> columns;
            for (; !rs->IsEOF(); rs->MoveNext()) {
                columns.push_back(vb::CStr(rs->Fields(std::size_t{0}).Value()));
            }
            for (const std::string& column : columns) {
                m_db->Exec("ALTER TABLE " + table + " ALTER COLUMN " + column + " DROP NOT NULL");
            }
        }
    }

    // Makes a column text on PostgreSQL so that it can hold a wrong-typed value; SQLite columns take any.
    void MakeText(const std::string& table, const std::string& column) {
        if (!IsSqlite()) {
            m_db->Exec("ALTER TABLE " + table + " ALTER COLUMN " + column + " DROP DEFAULT");
            m_db->Exec("ALTER TABLE " + table + " ALTER COLUMN " + column + " TYPE TEXT USING " + column +
                       "::text");
        }
    }

    QV_GridPrint::PluginRegistry m_registry;
    ScriptedDialogs m_dialogs;
    bool m_loaded = false;
    Script m_whileOpen;

private:
    class Window final : public QV_GridPrint::ReportWindow {
    public:
        explicit Window(DemoWindowFixture& fixture) : m_fixture(fixture) {}
        void SetHost(QV_GridPrint::clsGridPrint& host) override { m_host = &host; }
        void ShowModal() override {
            QV_GridPrint::frmGridPrint window(*m_host, m_fixture.m_services->scripted,
                                              m_fixture.m_services->scripted, m_fixture.m_registry);
            window.SetModalDialogs(&m_fixture.m_dialogs);
            window.Load();
            m_fixture.m_loaded = window.bOK;
            if (window.bOK && m_fixture.m_whileOpen) {
                m_fixture.m_whileOpen(window);
            }
            window.Unload();
        }

    private:
        DemoWindowFixture& m_fixture;
        QV_GridPrint::clsGridPrint* m_host = nullptr;
    };
};

} // namespace vondrel::test
