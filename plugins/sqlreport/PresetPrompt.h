// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "plugin/ParameterPrompt.h"

#include <string>
#include <utility>
#include <vector>

namespace sqlreport {

using QV_GridPrint::ParameterField;
using QV_GridPrint::ParameterForm;
using QV_GridPrint::ParameterPrompt;

// The parameter dialog answered without a user, from values given beforehand (a command line, a
// host's set-parameter calls): each named field takes its value, the others keep their defaults. A
// field is named by its name or, as the dialog shows it, by its caption; a name wins over another
// field's caption. A name the report does not have, a caption that several fields share, or a value
// the form refuses cancels the dialog; Refusal() then says why, in the words a user reads.
class PresetPrompt final : public ParameterPrompt {
public:
    using Values = std::vector<std::pair<std::string, std::string>>; // name, text; in the given order

    explicit PresetPrompt(Values values = {}) : m_values(std::move(values)) {}

    bool AskParameters(const std::string& title, ParameterForm& form) override;
    // Nobody is there to read a record: the shown fields are dropped.
    void ShowRecord(const std::string&, const std::vector<std::pair<std::string, std::string>>&) override {}

    const Values& GivenValues() const { return m_values; }
    // Why the last AskParameters refused ("" after one that accepted).
    const std::string& Refusal() const { return m_refusal; }

private:
    // The field `given` names, or nullptr with the refusal set.
    ParameterField* FindField(const std::string& title, ParameterForm& form, const std::string& given);

    Values m_values;
    std::string m_refusal;
};

} // namespace sqlreport
