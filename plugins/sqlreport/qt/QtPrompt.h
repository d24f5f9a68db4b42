// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "plugin/ParameterPrompt.h"

#include <functional>

class QDialog;

namespace sqlreport::qt {

using QV_GridPrint::ParameterForm;
using QV_GridPrint::ParameterPrompt;

// The prompt of the plug-in library: the real dialogs, modal over the active window.
class QtPrompt final : public ParameterPrompt {
public:
    bool AskParameters(const std::string& title, ParameterForm& form) override;
    void ShowRecord(const std::string& title,
                    const std::vector<std::pair<std::string, std::string>>& fields) override;

    // Called with each dialog right after it is shown (tests grab and drive it from here).
    void SetShownObserver(std::function<void(QDialog&)> observer) { m_shown = std::move(observer); }

private:
    int Run(QDialog& dialog);
    std::function<void(QDialog&)> m_shown;
};

} // namespace sqlreport::qt
