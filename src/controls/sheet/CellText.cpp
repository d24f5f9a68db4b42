// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/sheet/CellText_p.h"
#include "controls/sheet/NumFormatCode.h"
#include "vb/Conversion.h"

#include <cmath>
#include <cstdio>

namespace sheet {

namespace {

// The format code without colour: red is the painter's business, and the display formatter would
// print "[Red]" as literal text.
// Scaling is done on the value: the display formatter reads a trailing "," only after an integer
// placeholder, and ToFormatCode writes it after the decimals.
std::string CodeWithoutColour(NumFormat format) {
    format.negativeRed = false;
    format.scale = 0;
    return ToFormatCode(format, false);
}

} // namespace

NumberText::NumberText(const NumFormat& format, bool blankZero)
    : m_format(format), m_blankZero(blankZero),
      m_display(format.category == 0 || format.category == 2 || format.category == 4
                    ? vb::DisplayFormat()
                    : vb::DisplayFormat(CodeWithoutColour(format))) {}

void NumberText::Append(std::string& out, double value, bool& red) const {
    red = false;
    if (value == 0 && m_blankZero) {
        return;
    }
    switch (m_format.category) {
    case 0: // general and text show the number as entered
    case 4:
        out += vb::NumberText(value);
        return;
    case 2: {
        // Scientific: the display formatter has no exponent; printf's E+05 already has two digits.
        char buffer[64];
        const int decimals = m_format.decimals < 0 ? 6 : m_format.decimals;
        std::snprintf(buffer, sizeof buffer, "%.*E", decimals, value);
        out += buffer;
        red = m_format.negativeRed && value < 0;
        return;
    }
    default:
        break;
    }
    const std::size_t start = out.size();
    m_display.AppendTo(out, vb::Variant(m_format.scale > 0 ? value / m_format.scale : value));
    // "0.###" leaves a bare point on whole numbers; a sheet program shows "12" there.
    if (m_format.decimals < 0) {
        const std::size_t point = out.find('.', start);
        if (point != std::string::npos &&
            (point + 1 == out.size() || (out[point + 1] < '0' || out[point + 1] > '9'))) {
            out.erase(point, 1);
        }
    }
    // A value that rounds to zero shows no sign, so it is not red either.
    red = m_format.negativeRed && value < 0 && out.find_first_of("123456789", start) != std::string::npos;
}

} // namespace sheet
