// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>

namespace sheet {

// mkstemp pattern for a hidden temporary file in the folder of `path`: a rename from there onto
// `path` never crosses file systems, so it replaces the target in one step.
inline std::string TempPatternBeside(const std::string& path) {
    const std::filesystem::path target(path);
    std::string pattern = target.parent_path().string();
    if (!pattern.empty()) {
        pattern += '/';
    }
    pattern += '.';
    pattern += target.filename().string();
    pattern += ".tmp-XXXXXX";
    return pattern;
}

} // namespace sheet
