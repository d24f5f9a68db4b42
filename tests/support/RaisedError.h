// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "vb/Error.h"

#include <functional>
#include <string>

namespace vondrel::test {

// What a call raised: the platform error's number and description, or number 0 and "(no error)" when
// it returned, so that a call which wrongly succeeds fails every comparison with an expected error.
struct Raised {
    long number = 0;
    std::string description = "(no error)";
    // Both parts in one text ("5 参数个数不符…"), for tables that expect the two together.
    std::string Text() const { return std::to_string(number) + " " + description; }
};

inline Raised ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const vb::Error& error) {
        return {error.Number(), error.Description()};
    }
    return {};
}

} // namespace vondrel::test
