// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>

namespace vondrel::test {

// A file name of exactly `bytes` bytes ending in `extension` (".pdf"), Chinese where whole characters
// fit: names at the file system's limit (255 bytes) and one byte past it.
inline std::string NameOfBytes(std::size_t bytes, const std::string& extension) {
    std::string name;
    while (name.size() + 3 + extension.size() <= bytes) {
        name += "报";
    }
    name.append(bytes - extension.size() - name.size(), 'x');
    return name + extension;
}

} // namespace vondrel::test
