// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// How every writer of the sheet replaces a file:
//  1. The new content goes to a hidden temporary file in the target's own folder, so the final
//     rename never crosses file systems and replaces the target in one step.
//  2. The temporary name is never longer than the folder's name limit: a name the user may legally
//     choose (up to 255 bytes) must not fail because of what we add to it. The target's name is
//     shortened (on a UTF-8 character boundary) to make room for the suffix.
//  3. Until `Commit` renames it over the target, the temporary file is removed on every way out, so
//     a failed write leaves the folder as it was: no partial file, no stray temporary.
//  4. Every reason a user reads is in Chinese and names the file.
#pragma once

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace sheet {

// The longest file name the folder of `path` takes, in bytes.
inline std::size_t NameMaxBeside(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const long nameMax = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    // A folder that is not there: mkstemp will say so.
    return nameMax <= 0 || nameMax > NAME_MAX ? NAME_MAX : static_cast<std::size_t>(nameMax);
}

// mkstemp pattern for the hidden temporary file beside `path`, within the folder's name limit.
inline std::string TempPatternBeside(const std::string& path) {
    constexpr std::string_view kSuffix = ".tmp-XXXXXX";
    const std::filesystem::path target(path);
    const std::string folder = target.parent_path().string();
    std::string name = target.filename().string();
    const std::size_t room = NameMaxBeside(path) - 1 - kSuffix.size();
    if (name.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) {
            --cut; // never half a character: the folder listing would show garbage
        }
        name.resize(cut);
    }
    std::string pattern = folder;
    if (!pattern.empty()) {
        pattern += '/';
    }
    pattern += '.';
    pattern += name;
    pattern += kSuffix;
    return pattern;
}

// Creates the hidden temporary file beside `path` (its name left in `temp`) and returns its
// descriptor, or -1 with errno set. mkstemp makes the file private (0600); the finished document
// gets the mode any new file of the user gets, as if written directly. A name the folder cannot hold
// is refused here, before a whole document is written only for the rename to fail.
inline int MakeTempBeside(const std::string& path, std::string& temp) {
    if (std::filesystem::path(path).filename().string().size() > NameMaxBeside(path)) {
        errno = ENAMETOOLONG;
        return -1;
    }
    temp = TempPatternBeside(path);
    const int fd = ::mkstemp(temp.data());
    if (fd >= 0) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    return fd;
}

// Reasons in the user's language for what goes wrong when writing a file.
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
    case ENAMETOOLONG:
        return "文件名太长（最多255字节，一个汉字占3字节）";
    case ELOOP:
        return "路径中的符号链接太多";
    case EMFILE:
    case ENFILE:
        return "同时打开的文件太多";
    case EIO:
        return "磁盘读写出错";
    case EBUSY:
    case ETXTBSY:
        return "文件正被占用";
    case EINVAL:
        return "文件名无效";
    case ENOMEM:
        return "内存不足";
    case EXDEV:
        return "不能跨磁盘替换文件";
    case EEXIST:
        return "文件已存在";
    default:
        return "系统错误（错误号" + std::to_string(err) + "）";
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

// The temporary file of one write (notes 1-3). Create, write through Fd() or TempPath(), Commit.
class TempFileBeside {
public:
    explicit TempFileBeside(std::string path) : m_path(std::move(path)) {}
    ~TempFileBeside() { Discard(); }
    TempFileBeside(const TempFileBeside&) = delete;
    TempFileBeside& operator=(const TempFileBeside&) = delete;

    // The descriptor of the new empty temporary file, or -1 with errno set.
    int Create() {
        m_fd = MakeTempBeside(m_path, m_temp);
        if (m_fd < 0) {
            m_temp.clear();
        }
        return m_fd;
    }
    int Fd() const { return m_fd; }
    const std::string& TempPath() const { return m_temp; }
    // Closes the descriptor (writers that reopen the file by name close it first); 0 or errno.
    int Close() {
        int err = 0;
        if (m_fd >= 0 && ::close(m_fd) != 0) {
            err = errno;
        }
        m_fd = -1;
        return err;
    }
    // Closes the file and renames it over the target; 0, or errno with the temporary file gone.
    int Commit() {
        int err = Close();
        if (err == 0 && std::rename(m_temp.c_str(), m_path.c_str()) != 0) {
            err = errno;
        }
        if (err != 0) {
            Discard();
        } else {
            m_temp.clear();
        }
        return err;
    }
    // Closes and removes the temporary file; the target stays as it was.
    void Discard() {
        Close();
        if (!m_temp.empty()) {
            ::unlink(m_temp.c_str());
            m_temp.clear();
        }
    }

private:
    std::string m_path;
    std::string m_temp;
    int m_fd = -1;
};

} // namespace sheet
