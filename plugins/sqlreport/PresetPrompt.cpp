// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "sqlreport/PresetPrompt.h"

namespace sqlreport {

bool PresetPrompt::AskParameters(const std::string& title, ParameterForm& form) {
    m_refusal.clear();
    for (const auto& [name, text] : m_values) {
        ParameterField* field = form.Find(name);
        if (!field) {
            std::string known;
            for (const ParameterField& each : form.fields) {
                known += known.empty() ? "" : "、";
                known += each.name;
            }
            m_refusal = "报表“" + title + "”没有参数“" + name + "”（它的参数：" +
                        (known.empty() ? std::string("无") : known) + "）";
            return false;
        }
        field->text = text;
    }
    if (const auto problem = form.Validate()) {
        m_refusal = problem->message;
        return false;
    }
    return true;
}

} // namespace sqlreport
