// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "ui/qt/CjkFonts.h"

#include "controls/sheet/qt/ReportFonts.h"

namespace ui::qt {

// The map itself lives with the sheet's painting, which may not reach up into ui: screen, print
// and PDF then resolve every template face the same way.
void InstallCjkFontSubstitutions() {
    sheet::qt::InstallReportFonts();
}

} // namespace ui::qt
