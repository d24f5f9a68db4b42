// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "plugin/ParameterForm.h"

#include <string>
#include <utility>
#include <vector>

namespace QV_GridPrint {

// A plug-in's two modal interactions. A host that answers them itself (one that runs unattended,
// a test) gives its prompt to the plug-ins it makes (PluginContext); a plug-in without one shows the
// dialogs it was built with.
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

} // namespace QV_GridPrint
