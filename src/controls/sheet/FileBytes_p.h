// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "controls/sheet/SheetTypes.h"

#include <cstddef>
#include <string>

namespace sheet::detail {

// Reads a whole file for a loader, refusing files larger than maxBytes before anything is allocated.
// On failure `error` names the file and says why ("cannot-open", "too-large", "cannot-read").
bool ReadFileBytes(const std::string& path, std::size_t maxBytes, std::string& data, LoadError& error);

} // namespace sheet::detail
