// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

// Internal to the grid: the errors its operations raise. Each names the value that was wrong and the
// range it had to be in, because the caller only ever shows the description to the user.

#include "vb/Error.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace grid::detail {

// Joins by appending: g++ 12 at -O3 warns falsely on chains of `"text" + std::string`.
inline std::string Concat(std::initializer_list<std::string_view> parts) {
    std::string out;
    for (std::string_view part : parts) {
        out.append(part);
    }
    return out;
}

[[noreturn]] inline void RaiseRow(int row, int rows) {
    throw vb::Error(vb::kErrSubscript, Concat({"表格行号 ", std::to_string(row), " 超出范围（共 ",
                                               std::to_string(rows), " 行，行号从 0 开始）。"}));
}

[[noreturn]] inline void RaiseCol(int col, int cols) {
    throw vb::Error(vb::kErrSubscript, Concat({"表格列号 ", std::to_string(col), " 超出范围（共 ",
                                               std::to_string(cols), " 列，列号从 0 开始）。"}));
}

[[noreturn]] inline void RaiseCount(const char* what, long value, long limit) {
    throw vb::Error(vb::kErrInvalidCall, Concat({std::string(what), " ", std::to_string(value),
                                                 " 无效，应在 0 到 ", std::to_string(limit), " 之间。"}));
}

[[noreturn]] inline void RaiseValue(const std::string& what) {
    throw vb::Error(vb::kErrInvalidCall, what);
}

} // namespace grid::detail
