// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/SheetDocument.h"

#include <string>
#include <vector>

namespace tmpl {

// Where the report window will find the parts of a template, found the way it finds them: the
// last "start" in column A above the first "end" in column A (both compared in lower case, nothing
// trimmed). Rows are 0-based; -1 where a part is missing.
struct TemplateLayout {
    int startRow = -1;
    int endRow = -1;
    int headerFirst = -1; // start + 2, or 0 without a start
    int headerLast = -1;  // end - 2
    int fieldRow = -1;    // end - 1
    int totalsRow = -1;   // end + 1, when the sheet has it
};

struct Finding {
    bool isError = false; // errors make the template unusable; warnings point at what looks unintended
    std::string message;
};

struct CheckResult {
    TemplateLayout layout;
    std::vector<std::string> facts; // what was found, one line each
    std::vector<Finding> findings;
    int Errors() const;
    int Warnings() const;
};

CheckResult CheckTemplate(const sheet::SheetDocument& doc);
// The report in plain Chinese: facts, then errors and warnings, then a one-line verdict.
std::string FormatCheck(const CheckResult& result);

} // namespace tmpl
