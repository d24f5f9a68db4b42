// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "plugin/ParameterItem.h"

namespace QV_GridPrint {

std::string MakeParameterItem(std::string_view value, std::string_view text) {
    std::string item;
    item.reserve(value.size() + text.size() + 1);
    for (const char c : value) {
        if (c == '%') {
            item += "%25";
        } else if (c == '/') {
            item += "%2F";
        } else {
            item += c;
        }
    }
    item += '/';
    item += text;
    return item;
}

std::optional<ParameterItem> SplitParameterItem(std::string_view item) {
    const std::size_t slash = item.find('/');
    if (slash == std::string_view::npos) {
        return std::nullopt;
    }
    ParameterItem parsed;
    const std::string_view value = item.substr(0, slash);
    parsed.value.reserve(value.size());
    for (std::size_t at = 0; at < value.size(); ++at) {
        // Only the two escapes are read back; any other "%" stands for itself, as plug-ins that never
        // escape write it.
        if (value[at] == '%' && value.substr(at, 3) == "%2F") {
            parsed.value += '/';
            at += 2;
        } else if (value[at] == '%' && value.substr(at, 3) == "%25") {
            parsed.value += '%';
            at += 2;
        } else {
            parsed.value += value[at];
        }
    }
    parsed.text = item.substr(slash + 1);
    return parsed;
}

} // namespace QV_GridPrint
