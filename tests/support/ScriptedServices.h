// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/SheetDocument.h"
#include "ui/Services.h"
#include "viewer/SheetOutput.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace vondrel::test {

// Window-system services and the report window's sheet output for tests: records every message shown,
// in order, and answers from a script (Ok when the script is empty). A message the test never looked
// at fails the test when the services are destroyed, so no unexpected message box goes unnoticed.
class ScriptedServices final : public ui::Services, public QV_GridPrint::SheetOutput {
public:
    ~ScriptedServices() override;

    ui::Answer ShowMessage(const ui::Message& message) override;
    std::optional<ui::SaveFileChoice> AskSaveFile(const ui::SaveFileRequest& request) override;
    void SetBusy(bool busy) override;
    double TwipsPerPixelX() const override { return 15; }
    double TwipsPerPixelY() const override { return 15; }
    std::filesystem::path ApplicationFolder() const override { return m_folder; }
    // Print, preview and page set-up are recorded (the document as it was handed over) and answered
    // from the script (Done when it is empty). A scripted page set-up is written into the document.
    QV_GridPrint::OutputOutcome PrintSheet(const sheet::SheetDocument& doc) override;
    QV_GridPrint::OutputOutcome PreviewSheet(const sheet::SheetDocument& doc) override;
    QV_GridPrint::OutputOutcome PageSetupDialog(sheet::SheetDocument& doc) override;

    void SetApplicationFolder(std::filesystem::path folder) { m_folder = std::move(folder); }
    void ScriptAnswer(ui::Answer answer) { m_answers.push_back(answer); }
    void ScriptSaveFile(std::optional<ui::SaveFileChoice> choice) {
        m_saveChoices.push_back(std::move(choice));
    }
    void ScriptOutput(QV_GridPrint::OutputOutcome outcome) { m_outputs.push_back(std::move(outcome)); }
    void ScriptPageSetup(sheet::PageSetup setup) { m_pageSetups.push_back(setup); }

    // One print, preview or page set-up call: what was asked and a copy of the document it got.
    struct OutputCall {
        enum Kind { Print, Preview, PageSetup } kind;
        std::shared_ptr<sheet::SheetDocument> doc;
    };
    const std::vector<OutputCall>& OutputCalls() const { return m_outputCalls; }

    // The messages shown since the last call, in order; taking them marks them as seen.
    std::vector<ui::Message> TakeMessages();
    const std::vector<ui::SaveFileRequest>& SaveRequests() const { return m_saveRequests; }
    int BusyDepth() const { return m_busyDepth; }
    int MaxBusyDepth() const { return m_maxBusyDepth; }

private:
    std::vector<ui::Message> m_messages;
    std::deque<ui::Answer> m_answers;
    std::deque<std::optional<ui::SaveFileChoice>> m_saveChoices;
    std::vector<ui::SaveFileRequest> m_saveRequests;
    QV_GridPrint::OutputOutcome RecordOutput(OutputCall::Kind kind, const sheet::SheetDocument& doc);
    std::deque<QV_GridPrint::OutputOutcome> m_outputs;
    std::deque<sheet::PageSetup> m_pageSetups;
    std::vector<OutputCall> m_outputCalls;
    std::filesystem::path m_folder = ".";
    int m_busyDepth = 0;
    int m_maxBusyDepth = 0;
};

} // namespace vondrel::test
