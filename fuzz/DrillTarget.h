// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "drill/DrillDown.h"
#include "vb/Error.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace QV_GridPrint::fuzz {

// qrptpara comes from the catalogue. The parse either raises the language error naming the column, or
// gives one item per ","-separated part whose fields hold no separator, and writing those items
// back out and parsing again gives the same items (so a link shown or stored again means the same).
inline int FuzzDrillItems(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<drill::DrillItem> items;
    try {
        items = drill::ParseDrillItems(text);
    } catch (const vb::Error& error) {
        if (error.Description().find("qrptpara") == std::string::npos) {
            std::abort();
        }
        return 0;
    } catch (...) {
        std::abort();
    }
    const std::size_t parts =
        text.empty() ? 0 : 1 + static_cast<std::size_t>(std::count(text.begin(), text.end(), ','));
    if (items.size() != parts) {
        std::abort();
    }
    std::string again;
    for (const drill::DrillItem& item : items) {
        if (item.valueField.find_first_of(",/") != std::string::npos ||
            item.label.find_first_of(",/:") != std::string::npos ||
            item.textField.find_first_of(",/:") != std::string::npos) {
            std::abort();
        }
        if (&item != &items.front()) {
            again += ',';
        }
        again.append(item.valueField).append("/").append(item.label).append(":").append(item.textField);
    }
    try {
        if (drill::ParseDrillItems(again) != items) {
            std::abort();
        }
    } catch (...) {
        std::abort();
    }
    return 0;
}

} // namespace QV_GridPrint::fuzz
