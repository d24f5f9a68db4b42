// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

// A parameter item is the value, "/", and the text the parameter line shows. The window splits it at
// its first "/", so the text may hold "/" ("日期:2024/04/01"). A value holding "/" (a customer named
// "上海/华联商厦") is written with "/" as "%2F" and "%" as "%25"; the window reads those back, so every
// item a plug-in builds this way has one reading.
namespace QV_GridPrint {

struct ParameterItem {
    std::string value;
    std::string text;
};

// The item for a value and its text.
std::string MakeParameterItem(std::string_view value, std::string_view text);

// The value and text of an item; nullopt when it has no "/".
std::optional<ParameterItem> SplitParameterItem(std::string_view item);

} // namespace QV_GridPrint
