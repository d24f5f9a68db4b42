// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/stat.h>

namespace sheet {

// mkstemp pattern for a hidden temporary file in the folder of `path`: a rename from there onto
// `path` never crosses file systems, so it replaces the target in one step.
inline std::string TempPatternBeside(const std::string& path) {
    const std::filesystem::path target(path);
    std::string pattern = target.parent_path().string();
    if (!pattern.empty()) {
        pattern += '/';
    }
    pattern += '.';
    pattern += target.filename().string();
    pattern += ".tmp-XXXXXX";
    return pattern;
}

// Creates the hidden temporary file beside `path` (its name left in `temp`) and returns its
// descriptor, or -1 with errno set. mkstemp makes the file private (0600); the finished document
// gets the mode any new file of the user gets, as if written directly.
inline int MakeTempBeside(const std::string& path, std::string& temp) {
    temp = TempPatternBeside(path);
    const int fd = ::mkstemp(temp.data());
    if (fd >= 0) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    return fd;
}

// Reasons in the user's language for what usually goes wrong when writing a file; anything rarer
// keeps the system's text.
inline std::string WriteFailureReason(int err) {
    switch (err) {
    case ENOENT:
        return "文件夹不存在";
    case ENOTDIR:
        return "路径中有一项不是文件夹";
    case EACCES:
    case EPERM:
        return "没有写入权限";
    case EROFS:
        return "磁盘只读";
    case ENOSPC:
    case EDQUOT:
        return "磁盘已满";
    case EFBIG:
        return "文件过大";
    case EISDIR:
        return "同名的文件夹已存在";
    default:
        return std::strerror(err);
    }
}

// "<what>“<path>”：<reason>", the form every writer reports a failed write in, so the user always
// learns which file and why.
inline std::string WriteFailureMessage(const char* what, const std::string& path, int err) {
    std::string message = what;
    message += "“";
    message += path;
    message += "”：";
    message += WriteFailureReason(err);
    return message;
}

} // namespace sheet
