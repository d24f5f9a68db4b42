// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace tmpl {

// "render IN.cll OUT.pdf|OUT.png [--page N] [--dpi D]": the template as it prints, every page to a
// PDF or one page (default 1, at 150 dpi by default) to a PNG. `args` are the words after "render".
// Exit status as the tool's: 0 written, 1 bad input or write failure, 2 wrong command line.
int RunRender(const std::vector<std::string>& args, const char* programName);

} // namespace tmpl
