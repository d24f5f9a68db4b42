// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

// Internal to the grid view: the Chinese face names templates use, mapped to installed faces.

#include <QFont>
#include <QString>

namespace grid::detail {

// Once per process (needs a QGuiApplication): "宋体"/"SimSun" and the other Song names to a Song-style
// Simplified Chinese face, "黑体"/"微软雅黑" to a sans one, "楷体"/"仿宋" to the closest installed.
// Without it 宋体 resolves to a Latin face and its hanzi come from whatever fallback fontconfig picks,
// often in Japanese forms.
void InstallCjkSubstitutions();

// The face a name resolves to after substitution (for tests and diagnostics).
QString ResolvedFamily(const QString& faceName);

} // namespace grid::detail
