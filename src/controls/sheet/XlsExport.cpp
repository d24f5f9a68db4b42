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

LoadError Failure(const std::string& path, const char* code, const char* what, int err) {
    LoadError error;
    error.file = path;
    error.code = code;
    error.message = WriteFailureMessage(what, path, err);
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
    TempFileBeside temp(path);
    if (temp.Create() < 0) {
        m_lastError = Failure(path, "cannot-create", "无法创建文件", errno);
        return false;
    }
    CompoundFileWriter file(temp.Fd(), u"Workbook");
    xls::WorkbookWriter writer(*this, file, path);
    if (!writer.Write() || !file.Finish()) {
        const int err = writer.Errno() != 0 ? writer.Errno() : file.Errno();
        m_lastError = Failure(path, "write-failed", "写入文件失败", err != 0 ? err : EIO);
        return false;
    }
    if (const int err = temp.Commit(); err != 0) {
        m_lastError = Failure(path, "cannot-rename", "无法替换文件", err);
        return false;
    }
    return true;
}

} // namespace sheet
