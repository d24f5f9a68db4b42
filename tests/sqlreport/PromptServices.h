// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "sqlreport/ParameterPrompt.h"
#include "support/ScriptedServices.h"

#include <deque>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace sqlreport::test {

// Window-system services whose parameter dialog and record dialog are scripted: each ask takes the
// next answer (edits by parameter name, or cancel), validates as the real dialog does, and records
// what the dialog would have shown. Everything else goes to the scripted services of tests/support.
class PromptServices final : public ui::Services, public ParameterPrompt {
public:
    struct Answer {
        bool accept = true;
        std::vector<std::pair<std::string, std::string>> edits;
    };

    vondrel::test::ScriptedServices scripted;
    std::deque<Answer> answers;
    std::vector<std::string> shownForms;   // "title: name=text|name=text" per ask
    std::vector<std::string> problems;     // validation messages the dialog would have shown
    std::vector<std::string> shownRecords; // "title: name=text|..." per ShowRecord

    ui::Answer ShowMessage(const ui::Message& message) override { return scripted.ShowMessage(message); }
    std::optional<ui::SaveFileChoice> AskSaveFile(const ui::SaveFileRequest& request) override {
        return scripted.AskSaveFile(request);
    }
    void SetBusy(bool busy) override { scripted.SetBusy(busy); }
    double TwipsPerPixelX() const override { return 15; }
    double TwipsPerPixelY() const override { return 15; }
    std::filesystem::path ApplicationFolder() const override { return scripted.ApplicationFolder(); }
    ui::OutputOutcome PrintSheet(const sheet::SheetDocument& doc) override {
        return scripted.PrintSheet(doc);
    }
    ui::OutputOutcome PreviewSheet(const sheet::SheetDocument& doc) override {
        return scripted.PreviewSheet(doc);
    }
    ui::OutputOutcome PageSetupDialog(sheet::SheetDocument& doc) override {
        return scripted.PageSetupDialog(doc);
    }

    bool AskParameters(const std::string& title, ParameterForm& form) override {
        std::string shown = title + ":";
        for (const ParameterField& field : form.fields) {
            shown.append(" ").append(field.name).append("=").append(field.text);
        }
        shownForms.push_back(shown);
        Answer answer;
        if (!answers.empty()) {
            answer = answers.front();
            answers.pop_front();
        }
        if (!answer.accept) {
            return false;
        }
        for (const auto& [name, text] : answer.edits) {
            ParameterField* field = form.Find(name);
            if (!field) {
                ADD_FAILURE() << "the form has no field " << name;
                return false;
            }
            field->text = text;
        }
        if (const auto problem = form.Validate()) {
            problems.push_back(problem->message);
            return false;
        }
        return true;
    }

    void ShowRecord(const std::string& title,
                    const std::vector<std::pair<std::string, std::string>>& fields) override {
        std::string shown = title + ":";
        for (const auto& [name, text] : fields) {
            shown.append(" ").append(name).append("=").append(text);
        }
        shownRecords.push_back(shown);
    }
};

} // namespace sqlreport::test
