// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "vb/Error.h"
#include "vb/Format.h"
#include "vb/Variant.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace vb::fuzz {

// A display format comes from the catalogue (a column's format text), so any bytes may reach the
// parser. What must hold: the parse keeps the text it was given, applying it never throws, the
// buffered and one-off paths agree, and the output stays proportional to the format (a format that
// repeats a token must not multiply into megabytes).
inline int FuzzDisplayFormat(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<DisplayFormat> checked = DisplayFormat::TryParse(text);
    if (checked && checked->Text() != text) {
        std::abort();
    }
    const DisplayFormat format(text);
    if (format.Text() != text) {
        std::abort();
    }
    const Variant values[] = {
        Variant(0.0),
        Variant(-0.004),
        Variant(1234567.891),
        Variant(-98765.4321),
        Variant(1e300),
        Variant(-1e-300),
        Variant(45291.75),
        Variant(true),
        Variant(false),
        Variant(),
        Variant::Null(),
        Variant(std::string("12.5")),
        Variant(std::string("2026-01-31")),
        Variant(std::string(text)),
    };
    std::string reused;
    for (const Variant& value : values) {
        std::string shown;
        try {
            shown = format.Apply(value);
            reused.clear();
            format.AppendTo(reused, value);
        } catch (...) {
            std::abort(); // formatting is total: a bad format shows something, it never raises
        }
        if (shown != reused || shown != Format(value, text)) {
            std::abort();
        }
        // 1e300 under "0" is 301 digits; each format character adds at most a few characters more.
        if (shown.size() > 1024 + 16 * size + (value.IsString() ? size : 0)) {
            std::abort();
        }
    }
    return 0;
}

} // namespace vb::fuzz
