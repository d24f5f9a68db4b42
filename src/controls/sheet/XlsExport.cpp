// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The export's entry point: the workbook goes to a temporary file beside the target and is renamed
// over it only when every byte and the container's tables are written; any failure unlinks the
// temporary file, so the target is either the whole new workbook or what it was before.
#include "controls/sheet/SheetDocument.h"
#include "controls/sheet/TempFile_p.h"
#include "controls/sheet/XlsWorkbook_p.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace sheet {

namespace {

// Reasons in the user's language for what usually goes wrong; anything rarer keeps the system's text.
std::string Reason(int err) {
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

LoadError Failure(const std::string& path, const char* code, const char* what, int err) {
    LoadError error;
    error.file = path;
    error.code = code;
    error.message = what;
    error.message += "“";
    error.message += path;
    error.message += "”：";
    error.message += Reason(err);
    return error;
}

} // namespace

bool SheetDocument::ExportExcel(const std::string& path) {
    m_lastError = {};
    if (m_cols > xls::kMaxSheetCols) {
        m_lastError.file = path;
        m_lastError.code = "too-many-columns";
        m_lastError.message = "无法导出“";
        m_lastError.message += path;
        m_lastError.message += "”：Excel 97-2003 工作簿最多 256 列，本表有 ";
        m_lastError.message += std::to_string(m_cols);
        m_lastError.message += " 列";
        return false;
    }
    std::string tmp = TempPatternBeside(path);
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0) {
        m_lastError = Failure(path, "cannot-create", "无法创建文件", errno);
        return false;
    }
    // mkstemp makes the file private to the user; an exported workbook is an ordinary document.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0644 & ~mask);
    CompoundFileWriter file(fd, u"Workbook");
    bool ok = xls::WorkbookWriter(*this, file, path).Write() && file.Finish();
    int err = file.Errno();
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(tmp.c_str());
        m_lastError = Failure(path, "write-failed", "写入文件失败", err != 0 ? err : EIO);
        return false;
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        err = errno;
        ::unlink(tmp.c_str());
        m_lastError = Failure(path, "cannot-rename", "无法替换文件", err);
        return false;
    }
    return true;
}

} // namespace sheet
