// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "ui/qt/ChineseLocale.h"

#include <QWidget>

namespace ui::qt {

QLocale ChineseLocale() {
    return QLocale(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);
}

void UseChineseLocale(QWidget& window) {
    window.setLocale(ChineseLocale());
}

ChineseLocaleScope::ChineseLocaleScope() : m_previous(QLocale()) {
    QLocale::setDefault(ChineseLocale());
}

ChineseLocaleScope::~ChineseLocaleScope() {
    QLocale::setDefault(m_previous);
}

} // namespace ui::qt
