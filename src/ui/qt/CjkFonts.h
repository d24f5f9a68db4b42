// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

namespace ui::qt {

// Once per process (needs a QGuiApplication): the Chinese face names report templates use mapped to
// installed Simplified Chinese faces — "宋体"/"SimSun" and the other Song names to a Song-style face (the
// derived "Vondrel Song" whose PDF text extracts exactly, else Noto Serif CJK SC), "黑体"/"微软雅黑" to a
// sans one, "楷体"/"仿宋" to the closest installed. Without it 宋体 resolves to a Latin face whose hanzi come
// from whatever fallback fontconfig picks, often in Japanese forms.
void InstallCjkFontSubstitutions();

} // namespace ui::qt
