// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "ScriptedReport.h"
#include "catalogue/ModGridPrint.h"
#include "plugin/PluginRegistry.h"
#include "support/DbFixture.h"
#include "support/ScriptedServices.h"
#include "viewer/frmGridPrint.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vondrel::test {

// The report window's logic over a real database, once on SQLite and once on PostgreSQL: the host
// object of 销售日报 with a fresh folder for its templates, a scripted plug-in registered under the
// host's class name that logs every call, and the messages the window showed.
class ReportWindowTest : public ::testing::TestWithParam<Backend> {
protected:
    // Fills the database with `sql` and points the host at it and at `fmtFile` in the folder; the
    // caller returns when the database is not there (the test is then skipped).
    void SetUpReport(const char* sql, const std::string& fmtFile, const std::string& folderName) {
        m_db = std::make_unique<TestDatabase>(GetParam());
        VONDREL_REQUIRE_DATABASE(*m_db);
        m_db->Exec(sql);
        m_host = std::make_unique<QV_GridPrint::clsGridPrint>(m_services);
        m_host->set_cnn(m_db->Connection());
        m_host->rptName = "销售日报";
        m_host->ClsName = "Test.Scripted";
        m_host->FmtFileName = fmtFile;
        m_host->mMove = true;
        m_folder = std::filesystem::temp_directory_path() / (folderName + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
        m_services->SetApplicationFolder(m_folder);
        QV_GridPrint::modGridPrint::bMxMode = false;
    }

    void TearDown() override {
        if (!m_folder.empty()) {
            std::filesystem::remove_all(m_folder);
        }
    }

    // The plug-in the next window creates follows `script`.
    void Register(const ReportScript& script) {
        m_registry.Register("Test.Scripted",
                            [this, script] { return std::make_unique<ScriptedReport>(script, m_log); });
    }

    std::vector<std::string> TakeLog() {
        std::vector<std::string> taken;
        taken.swap(m_log);
        return taken;
    }

    // The messages shown since the last call: text and title.
    std::vector<std::pair<std::string, std::string>> Messages() {
        std::vector<std::pair<std::string, std::string>> texts;
        for (const ui::Message& message : m_services->TakeMessages()) {
            texts.emplace_back(message.text, message.title);
        }
        return texts;
    }

    std::shared_ptr<ScriptedServices> m_services = std::make_shared<ScriptedServices>();
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<QV_GridPrint::clsGridPrint> m_host;
    QV_GridPrint::PluginRegistry m_registry;
    std::unique_ptr<QV_GridPrint::frmGridPrint> m_window;
    std::vector<std::string> m_log;
    std::filesystem::path m_folder;
};

} // namespace vondrel::test
