// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "catalogue/ModGridPrint.h"

#include "ui/Services.h"
#include "vb/Error.h"

namespace QV_GridPrint::modGridPrint {

std::int16_t RptID = 0;
bool bMxMode = false;

void ShowErrMsg(ui::Services& services, const std::string& description) {
    services.ShowMessage({description, kErrorTitle, ui::Buttons::Ok, ui::Icon::None});
}

void ShowErrMsg(ui::Services& services, const vb::Error& error) {
    ShowErrMsg(services, error.Description());
}

} // namespace QV_GridPrint::modGridPrint
