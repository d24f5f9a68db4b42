// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "support/Shell.h"

#include <cstddef>
#include <string>

namespace vondrel::test {

// How many times `what` stands in `text`.
inline std::size_t CountOf(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) {
        ++count;
    }
    return count;
}

// One page of a PDF as poppler's pdftotext extracts it: in reading order, or as laid out.
inline std::string PdfPageText(const std::string& pdf, int page, bool isLayout = false) {
    const std::string number = std::to_string(page);
    return RunCommand(std::string("pdftotext ") + (isLayout ? "-layout " : "") + "-f " + number + " -l " +
                      number + " '" + pdf + "' - 2>/dev/null");
}

// The pages of a PDF as pdfinfo counts them; -1 when it cannot read the file.
inline int PdfPageCount(const std::string& pdf) {
    const std::string info = RunCommand("pdfinfo '" + pdf + "' 2>/dev/null");
    const std::size_t at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

} // namespace vondrel::test
