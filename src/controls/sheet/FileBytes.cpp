// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/sheet/FileBytes_p.h"

#include <fstream>

namespace sheet::detail {

bool ReadFileBytes(const std::string& path, std::size_t maxBytes, std::string& data, LoadError& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = {path, 0, 0, "", "cannot-open", "无法打开文件"};
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::size_t>(size) > maxBytes) {
        error = {path, 0, 0, "", "too-large", "文件过大或无法读取"};
        return false;
    }
    data.assign(static_cast<std::size_t>(size), '\0');
    in.seekg(0);
    if (!in.read(data.data(), size)) {
        error = {path, 0, 0, "", "cannot-read", "读取文件失败"};
        return false;
    }
    return true;
}

} // namespace sheet::detail
