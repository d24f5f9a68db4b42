// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "sqlreport/ParameterForm.h"

#include <string>
#include <utility>
#include <vector>

namespace sqlreport {

// The plug-in's two modal interactions. The plug-in asks the host's window-system services for this
// interface first (a host that runs unattended, or a test, implements it next to ui::Services and
// answers without a window), and otherwise uses the Qt dialogs it was built with.
class ParameterPrompt {
public:
    virtual ~ParameterPrompt() = default;

    // Lets the user edit the form. True: accepted, and form.Validate() found nothing (a prompt keeps
    // asking, with the validation message, until the input is valid or the user cancels).
    // False: cancelled.
    virtual bool AskParameters(const std::string& title, ParameterForm& form) = 0;
    // Shows one record's fields (caption, text) read-only until the user closes it.
    virtual void ShowRecord(const std::string& title,
                            const std::vector<std::pair<std::string, std::string>>& fields) = 0;
};

} // namespace sqlreport
