// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "ui/Services.h"

#include <deque>
#include <string>
#include <vector>

namespace vondrel::test {

// Window-system services for tests: records every message shown, in order, and answers from a
// script (Ok when the script is empty). A message the test never looked at fails the test when the
// services are destroyed, so no unexpected message box goes unnoticed.
class ScriptedServices final : public ui::Services {
public:
    ~ScriptedServices() override;

    ui::Answer ShowMessage(const ui::Message& message) override;
    std::optional<ui::SaveFileChoice> AskSaveFile(const ui::SaveFileRequest& request) override;
    void SetBusy(bool busy) override;
    double TwipsPerPixelX() const override { return 15; }
    double TwipsPerPixelY() const override { return 15; }
    std::filesystem::path ApplicationFolder() const override { return m_folder; }

    void SetApplicationFolder(std::filesystem::path folder) { m_folder = std::move(folder); }
    void ScriptAnswer(ui::Answer answer) { m_answers.push_back(answer); }
    void ScriptSaveFile(std::optional<ui::SaveFileChoice> choice) {
        m_saveChoices.push_back(std::move(choice));
    }

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
    std::filesystem::path m_folder = ".";
    int m_busyDepth = 0;
    int m_maxBusyDepth = 0;
};

} // namespace vondrel::test
