// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/sheet/ReplaceFile.h"

#include "controls/sheet/TempFile_p.h"

namespace sheet {

bool ReplaceFileContents(const std::string& path, std::string_view bytes, std::string& error) {
    TempFileBeside temp(path);
    if (temp.Create() < 0) {
        error = WriteFailureMessage("无法创建文件", path, errno);
        return false;
    }
    while (!bytes.empty()) {
        const ssize_t written = ::write(temp.Fd(), bytes.data(), bytes.size());
        if (written < 0 && errno != EINTR) {
            error = WriteFailureMessage("写入文件失败", path, errno);
            return false;
        }
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
    }
    if (const int err = temp.Commit(); err != 0) {
        error = WriteFailureMessage("无法替换文件", path, err);
        return false;
    }
    return true;
}

} // namespace sheet
