// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "sqlreport/PresetPrompt.h"

#include "vb/Strings.h"

namespace sqlreport {
namespace {

std::string Key(const std::string& text) {
    return vb::LCase(vb::Trim(text));
}

// "fdatefrom（开始日期）、fdateto（结束日期）": how a refusal lists the fields it chose from.
std::string FieldList(const std::vector<const ParameterField*>& fields) {
    std::string list;
    for (const ParameterField* field : fields) {
        list.append(list.empty() ? "" : "、").append(field->name);
        if (!field->caption.empty()) {
            list.append("（").append(field->caption).append("）");
        }
    }
    return list;
}

} // namespace

ParameterField* PresetPrompt::FindField(const std::string& title, ParameterForm& form,
                                        const std::string& given) {
    // A name wins over a caption: a parameter's name is fixed by the query, while a caption is free
    // text that may happen to read like another parameter's name.
    if (ParameterField* field = form.Find(given)) {
        return field;
    }
    std::vector<const ParameterField*> all;
    std::vector<ParameterField*> captioned;
    for (ParameterField& field : form.fields) {
        all.push_back(&field);
        if (!field.caption.empty() && Key(field.caption) == Key(given)) {
            captioned.push_back(&field);
        }
    }
    if (captioned.size() == 1) {
        return captioned.front();
    }
    if (captioned.empty()) {
        m_refusal = "报表“" + title + "”没有参数“" + given + "”（它的参数：" +
                    (all.empty() ? std::string("无") : FieldList(all)) + "）";
    } else {
        std::string names;
        for (const ParameterField* field : captioned) {
            names.append(names.empty() ? "" : "、").append(field->name);
        }
        m_refusal = "报表“" + title + "”有多个参数的标题是“" + given + "”（" + names + "），请用参数名指定";
    }
    return nullptr;
}

bool PresetPrompt::AskParameters(const std::string& title, ParameterForm& form) {
    m_refusal.clear();
    for (const auto& [name, text] : m_values) {
        ParameterField* field = FindField(title, form, name);
        if (!field) {
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
