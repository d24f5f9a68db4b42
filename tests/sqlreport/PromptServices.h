// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "hostobject/clsGridPrint.h"
#include "plugin/ParameterPrompt.h"
#include "support/ScriptedServices.h"

#include <deque>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace sqlreport::test {

// The scripted services of tests/support, and a scripted parameter and record dialog beside them:
// each ask takes the next answer (edits by parameter name, or cancel), validates as the real dialog
// does, and records what the dialog would have shown.
class PromptServices final : public QV_GridPrint::ParameterPrompt {
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

    bool AskParameters(const std::string& title, QV_GridPrint::ParameterForm& form) override {
        std::string shown = title + ":";
        for (const QV_GridPrint::ParameterField& field : form.fields) {
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
            QV_GridPrint::ParameterField* field = form.Find(name);
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

// A host object on the scripted services whose plug-ins get the scripted dialogs.
inline std::unique_ptr<QV_GridPrint::clsGridPrint> MakeHost(const std::shared_ptr<PromptServices>& dialogs) {
    return std::make_unique<QV_GridPrint::clsGridPrint>(
        std::shared_ptr<ui::Services>(dialogs, &dialogs->scripted), dialogs);
}

} // namespace sqlreport::test
