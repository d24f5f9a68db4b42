// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/SheetTypes.h"
#include "vb/Format.h"

#include <string>

namespace sheet {

// How a number shows in a printed cell, by the cell's seven format values and zero option. Built
// once per interned style; Append does no allocation beyond the caller's buffer.
class NumberText {
public:
    NumberText(const NumFormat& format, bool blankZero);
    // Appends the shown text; `red` tells whether it is drawn red (a negative under negativeRed).
    void Append(std::string& out, double value, bool& red) const;

private:
    NumFormat m_format;
    bool m_blankZero;
    vb::DisplayFormat m_display; // grouping, decimals, scale, percent, currency, parentheses
};

} // namespace sheet
