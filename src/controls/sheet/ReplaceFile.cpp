// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "controls/sheet/ReplaceFile.h"

#include "controls/sheet/TempFile_p.h"

#include <cstdio>
#include <unistd.h>

namespace sheet {

bool ReplaceFileContents(const std::string& path, std::string_view bytes, std::string& error) {
    std::string temp;
    const int fd = MakeTempBeside(path, temp);
    if (fd < 0) {
        error = WriteFailureMessage("无法创建文件", path, errno);
        return false;
    }
    int err = 0;
    while (!bytes.empty() && err == 0) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno != EINTR) {
            err = errno;
        } else if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
    }
    if (::close(fd) != 0 && err == 0) {
        err = errno;
    }
    if (err != 0) {
        ::unlink(temp.c_str());
        error = WriteFailureMessage("写入文件失败", path, err);
        return false;
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        err = errno;
        ::unlink(temp.c_str());
        error = WriteFailureMessage("无法替换文件", path, err);
        return false;
    }
    return true;
}

} // namespace sheet
