// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace ui {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class Icon { None, Information, Warning, Critical, Question };
enum class Answer { Ok, Cancel, Yes, No, Retry };

// A message box as the system shows it: text, buttons, icon and title. An empty title means the
// platform's default title (DefaultTitle()).
struct Message {
    std::string text;
    std::string title;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    friend bool operator==(const Message&, const Message&) = default;
};

// The save-file dialog: filter as "描述|*.xls|描述|*.cll" (pairs of label and pattern), flags the
// platform's option bits (overwrite prompt etc.), the proposed name and the 1-based filter index.
struct SaveFileRequest {
    std::string title;
    std::string filter;
    long flags = 0;
    std::string fileName;
    int filterIndex = 1;
};

struct SaveFileChoice {
    std::string path;
    int filterIndex = 1; // 1-based, as chosen by the user
    // A name typed without an extension gets the chosen type's; a caller that names the file itself
    // (batch mode) sets this so the file is written at exactly that path.
    bool isExactPath = false;
};

// Title of message boxes that the system shows "with the default title".
inline constexpr const char* kDefaultTitle = "Vondrel";

// The window-system services the system's logic needs. The Qt implementation shows real dialogs;
// tests use a scripted one that records every call and answers from a script.
class Services {
public:
    virtual ~Services() = default;

    // Shows a modal message box; returns the button pressed.
    virtual Answer ShowMessage(const Message& message) = 0;
    // Shows the save-file dialog; nullopt when the user cancelled.
    virtual std::optional<SaveFileChoice> AskSaveFile(const SaveFileRequest& request) = 0;
    // Busy (hourglass) cursor on or off. Calls nest: the cursor is normal again after as many
    // false as true calls.
    virtual void SetBusy(bool busy) = 0;
    // Twips (1/1440 inch) per screen pixel, horizontally and vertically; 15 at 96 dpi.
    virtual double TwipsPerPixelX() const = 0;
    virtual double TwipsPerPixelY() const = 0;
    // The component's own folder: templates and plug-ins are looked up there.
    virtual std::filesystem::path ApplicationFolder() const = 0;
};

// Keeps the busy cursor on for a scope; the cursor comes back even when the scope is left by an error.
class BusyScope {
public:
    explicit BusyScope(Services& services) : m_services(services) { m_services.SetBusy(true); }
    ~BusyScope() { m_services.SetBusy(false); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    Services& m_services;
};

} // namespace ui
