// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace ui {
class Services;
}
namespace vb {
class Error;
}

// The process-wide report state shared by every window of the process, and the error reporter that
// the error handlers of the data fetches, the toolbar, printing and the header build call.
namespace QV_GridPrint::modGridPrint {

// qid of the report now shown; the key of every catalogue statement about the current report.
extern std::int16_t RptID;
// True only while drill-down or return runs SetData: the rows then come from the child's procedures.
extern bool bMxMode;

inline constexpr const char* kErrorTitle = "Qovira软件提示";
inline constexpr const char* kNoticeTitle = "Qovira提示";

// Shows the error's description in a message box with an OK button and the title "Qovira软件提示".
void ShowErrMsg(ui::Services& services, const std::string& description);
void ShowErrMsg(ui::Services& services, const vb::Error& error);

} // namespace QV_GridPrint::modGridPrint
