// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace sheet::qt {

// Once per process (needs a QGuiApplication): the Chinese face names report templates use mapped to
// installed Simplified Chinese faces. "宋体"/"SimSun" and the other Song names go to "Vondrel Song",
// "黑体"/"微软雅黑" to "Vondrel Hei" (tools/make-report-fonts.py derives both from Noto CJK SC so that
// text in our PDFs extracts exactly), falling back to the stock Noto faces when they are not installed.
// Without it 宋体 resolves to a Latin face whose hanzi come from whatever fallback fontconfig picks,
// often in Japanese forms. The one face map of the system: the window services call it too.
void InstallReportFonts();

// The face a name resolves to after substitution (for tests and diagnostics).
QString ResolvedFamily(const QString& faceName);

} // namespace sheet::qt
