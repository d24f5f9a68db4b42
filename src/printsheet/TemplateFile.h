// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string_view>

namespace QV_GridPrint {

// The file a catalogue's template name (FmtFileName) names in the component folder. Catalogues written
// for Windows hosts name files as Windows finds them, so "\" separates folders as "/" does, and a name
// that matches no file exactly is looked up part by part without regard to letter case (ASCII; the
// first match in name order when several differ only in case). The exact path when nothing matches,
// so that opening it fails as for any missing file. An empty path for a name that would leave the
// folder: empty, absolute ("/x", "\x", "C:\x") or climbing out through "..".
std::filesystem::path TemplatePath(const std::filesystem::path& folder, std::string_view fmtFileName);

} // namespace QV_GridPrint
