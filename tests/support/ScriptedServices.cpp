// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "support/ScriptedServices.h"

#include <gtest/gtest.h>

namespace vondrel::test {

ScriptedServices::~ScriptedServices() {
    for (const ui::Message& message : m_messages) {
        ADD_FAILURE() << "a message box was shown that the test never checked: \"" << message.text
                      << "\" (title \"" << message.title << "\")";
    }
    if (m_busyDepth != 0) {
        ADD_FAILURE() << "the busy cursor was left on (depth " << m_busyDepth << ")";
    }
}

ui::Answer ScriptedServices::ShowMessage(const ui::Message& message) {
    m_messages.push_back(message);
    if (m_answers.empty()) {
        return ui::Answer::Ok;
    }
    const ui::Answer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

std::optional<ui::SaveFileChoice> ScriptedServices::AskSaveFile(const ui::SaveFileRequest& request) {
    m_saveRequests.push_back(request);
    if (m_saveChoices.empty()) {
        ADD_FAILURE() << "an unscripted save-file dialog was shown: " << request.title;
        return std::nullopt;
    }
    auto choice = m_saveChoices.front();
    m_saveChoices.pop_front();
    return choice;
}

void ScriptedServices::SetBusy(bool busy) {
    m_busyDepth += busy ? 1 : -1;
    m_maxBusyDepth = std::max(m_maxBusyDepth, m_busyDepth);
    if (m_busyDepth < 0) {
        ADD_FAILURE() << "the busy cursor was turned off more often than on";
        m_busyDepth = 0;
    }
}

QV_GridPrint::OutputOutcome ScriptedServices::RecordOutput(OutputCall::Kind kind,
                                                           const sheet::SheetDocument& doc) {
    m_outputCalls.push_back({kind, std::make_shared<sheet::SheetDocument>(doc)});
    if (m_outputs.empty()) {
        return {};
    }
    QV_GridPrint::OutputOutcome outcome = std::move(m_outputs.front());
    m_outputs.pop_front();
    return outcome;
}

QV_GridPrint::OutputOutcome ScriptedServices::PrintSheet(const sheet::SheetDocument& doc) {
    return RecordOutput(OutputCall::Print, doc);
}

QV_GridPrint::OutputOutcome ScriptedServices::PreviewSheet(const sheet::SheetDocument& doc) {
    return RecordOutput(OutputCall::Preview, doc);
}

QV_GridPrint::OutputOutcome ScriptedServices::PageSetupDialog(sheet::SheetDocument& doc) {
    QV_GridPrint::OutputOutcome outcome = RecordOutput(OutputCall::PageSetup, doc);
    if (outcome.result == QV_GridPrint::OutputResult::Done && !m_pageSetups.empty()) {
        EXPECT_TRUE(doc.SetPageSetup(m_pageSetups.front())) << "scripted page set-up is not valid";
        m_pageSetups.pop_front();
    }
    return outcome;
}

std::vector<ui::Message> ScriptedServices::TakeMessages() {
    std::vector<ui::Message> taken;
    taken.swap(m_messages);
    return taken;
}

} // namespace vondrel::test
