// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "ui/Services.h"

#include <filesystem>
#include <functional>
#include <string>

class QWidget;

namespace ui::qt {

// Makes sure a QApplication exists (hosts that are not Qt programs embed the component too), with
// the zh_CN translations of the stock dialogs and the CJK font substitutions installed. Idempotent.
void EnsureApplication();
// The same for a caller that may have to create the application: for work without windows (exports)
// an application is made offscreen when no display is configured; windows need a display, or a host
// application that is a QApplication. "" when the application is ready, else why not (Chinese).
std::string EnsureApplicationForExport();
std::string EnsureApplicationForWindows();

// The window-system services on Qt Widgets.
class QtServices final : public Services {
public:
    // folder: the component's folder (templates, plug-ins); empty = the executable's folder.
    explicit QtServices(std::filesystem::path folder = {});

    Answer ShowMessage(const Message& message) override;
    std::optional<SaveFileChoice> AskSaveFile(const SaveFileRequest& request) override;
    void SetBusy(bool busy) override;
    double TwipsPerPixelX() const override;
    double TwipsPerPixelY() const override;
    std::filesystem::path ApplicationFolder() const override;

    // Called with every dialog right after it is shown (before the user can answer). Lets a test
    // or a screenshot tool see the real dialog; the dialog stays modal and still needs an answer.
    void SetDialogObserver(std::function<void(QWidget*)> observer) { m_observer = std::move(observer); }

private:
    std::filesystem::path m_folder;
    std::function<void(QWidget*)> m_observer;
    int m_busyDepth = 0;
};

} // namespace ui::qt
