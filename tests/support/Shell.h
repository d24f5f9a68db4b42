// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <cstdio>
#include <string>

namespace vondrel::test {

// Standard output of a shell command (its standard error is left to the command line's own
// redirections); `ok`, when given, says whether the command exited with status 0. Tests read files
// back through independent tools (pdftotext, xlrd, soffice) this way.
inline std::string RunCommand(const std::string& command, bool* ok = nullptr) {
    std::string out;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        if (ok != nullptr) {
            *ok = false;
        }
        return out;
    }
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        out.append(buffer, n);
    }
    const int status = ::pclose(pipe);
    if (ok != nullptr) {
        *ok = status == 0;
    }
    return out;
}

} // namespace vondrel::test
