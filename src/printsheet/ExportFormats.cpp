// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "printsheet/ExportFormats.h"

#include "controls/sheet/SheetDocument.h"
#include "controls/sheet/SheetXlsx.h"
#include "controls/sheet/qt/SheetPrinter.h"

#include <algorithm>
#include <filesystem>

#include <QGuiApplication>

namespace QV_GridPrint {
namespace {

bool WriteXls(sheet::SheetDocument& doc, const std::string& path, std::string& error) {
    const bool ok = doc.ExportExcel(path);
    error = ok ? std::string() : doc.LastError().message;
    return ok;
}

bool WriteCll(sheet::SheetDocument& doc, const std::string& path, std::string& error) {
    const bool ok = doc.SaveFile(path);
    error = ok ? std::string() : doc.LastError().message;
    return ok;
}

bool WriteXlsx(sheet::SheetDocument& doc, const std::string& path, std::string& error) {
    sheet::LoadError loadError;
    const bool ok = sheet::ExportXlsx(doc, path, loadError);
    error = ok ? std::string() : loadError.message;
    return ok;
}

bool WritePdf(sheet::SheetDocument& doc, const std::string& path, std::string& error) {
    // Painting text without a QGuiApplication aborts the process; the host must never die of an export.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        error = "没有图形界面的应用程序，不能写PDF文件";
        return false;
    }
    return sheet::qt::ExportPdf(doc, path, error);
}

constexpr ExportFormat kFormats[] = {
    {"xls", ".xls", "Excel文件(*.xls)", WriteXls},
    {"cll", ".cll", "华表文件(*.cll)", WriteCll},
    {"xlsx", ".xlsx", "Excel 2007 工作簿(*.xlsx)", WriteXlsx},
    {"pdf", ".pdf", "PDF 文件(*.pdf)", WritePdf},
};

} // namespace

std::span<const ExportFormat> ExportFormats() {
    return kFormats;
}

const ExportFormat* ExportFormatOfType(int fileType) {
    return fileType >= 1 && fileType <= static_cast<int>(std::size(kFormats)) ? &kFormats[fileType - 1]
                                                                              : nullptr;
}

int ExportFileTypeOf(std::string_view key) {
    const auto found = std::find_if(std::begin(kFormats), std::end(kFormats),
                                    [&](const ExportFormat& format) { return key == format.key; });
    return found == std::end(kFormats) ? 0 : static_cast<int>(found - std::begin(kFormats)) + 1;
}

std::string ExportFilter() {
    std::string filter;
    for (const ExportFormat& format : kFormats) {
        filter.append(filter.empty() ? "" : "|").append(format.label).append("|*").append(format.extension);
    }
    return filter;
}

std::string WithExportExtension(const std::string& path, const ExportFormat& format) {
    // A name ending in a dot ("报表.") gets the extension in place of its dot.
    const std::filesystem::path name = std::filesystem::path(path).filename();
    const std::string extension = name.extension().string();
    if (!name.empty() && extension.size() > 1) {
        return path;
    }
    std::string full = path;
    if (!full.empty() && full.back() == '.') {
        full.pop_back();
    }
    return full + format.extension;
}

} // namespace QV_GridPrint
