// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace sheet {

// Writes `bytes` as the file `path` the way every export writes its file: into a private temporary
// file beside it, renamed over `path` once complete. False, with a message naming the file and the
// reason in Chinese, when it could not be written; then no file of that name was created or changed.
bool ReplaceFileContents(const std::string& path, std::string_view bytes, std::string& error);

} // namespace sheet
