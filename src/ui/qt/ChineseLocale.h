// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <QLocale>

class QWidget;

namespace ui::qt {

// Simplified Chinese (zh_CN): the language of every window and dialog the component shows, whatever
// locale the process runs in (LANG=C would otherwise give English calendars beside Chinese captions).
//
// The component lives in its host's process, so the process's default locale is left to the host:
// our own windows carry the locale themselves (UseChineseLocale; their child widgets inherit it), and
// only while one of Qt's stock dialogs (message box, file, print, preview, page set-up) exists is the
// default switched, because those read the default as they are built (the page set-up takes its
// units from it) — ChineseLocaleScope puts the host's back when the dialog is gone. Texts come from
// Qt's own zh_CN translation, which EnsureApplication installs.
QLocale ChineseLocale();

// Sets the locale of a window of ours; its widgets, the calendar of a date box among them, follow.
void UseChineseLocale(QWidget& window);

// The default locale is zh_CN for the scope's life, then what it was.
class ChineseLocaleScope {
public:
    ChineseLocaleScope();
    ~ChineseLocaleScope();
    ChineseLocaleScope(const ChineseLocaleScope&) = delete;
    ChineseLocaleScope& operator=(const ChineseLocaleScope&) = delete;

private:
    QLocale m_previous;
};

} // namespace ui::qt
