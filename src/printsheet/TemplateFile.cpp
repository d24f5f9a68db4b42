// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "printsheet/TemplateFile.h"

#include "vb/Strings.h"

#include <string>
#include <system_error>
#include <vector>

namespace QV_GridPrint {

std::filesystem::path TemplatePath(const std::filesystem::path& folder, std::string_view fmtFileName) {
    std::vector<std::string> parts;
    std::string part;
    const auto endPart = [&]() -> bool {
        // "." and the empty part of "a//b" name the folder itself; ".." and a drive ("C:") leave it.
        if (part == ".." || (parts.empty() && part.size() >= 2 && part.back() == ':')) {
            return false;
        }
        if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        part.clear();
        return true;
    };
    if (fmtFileName.empty() || fmtFileName.front() == '/' || fmtFileName.front() == '\\') {
        return {};
    }
    for (const char c : fmtFileName) {
        if (c == '/' || c == '\\') {
            if (!endPart()) {
                return {};
            }
        } else {
            part += c;
        }
    }
    if (!endPart() || parts.empty()) {
        return {};
    }
    std::filesystem::path exact = folder;
    for (const std::string& name : parts) {
        exact /= name;
    }
    std::error_code error;
    if (std::filesystem::is_regular_file(exact, error)) {
        return exact;
    }
    // Part by part: a part that exists as written is taken as it is, another is the first entry of
    // its folder whose name matches it without regard to case. Only entries of the folder are ever
    // taken, so the result stays inside it.
    std::filesystem::path found = folder;
    for (const std::string& name : parts) {
        if (std::filesystem::exists(found / name, error)) {
            found /= name;
            continue;
        }
        const std::string wanted = vb::LCase(name);
        std::string match;
        for (std::filesystem::directory_iterator it(found, error), end; !error && it != end;
             it.increment(error)) {
            const std::string entry = it->path().filename().string();
            if (vb::LCase(entry) == wanted && (match.empty() || entry < match)) {
                match = entry;
            }
        }
        if (match.empty()) {
            return exact;
        }
        found /= match;
    }
    return std::filesystem::is_regular_file(found, error) ? found : exact;
}

} // namespace QV_GridPrint
