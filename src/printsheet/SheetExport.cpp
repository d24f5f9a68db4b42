// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "printsheet/SheetExport.h"

#include "catalogue/ModGridPrint.h"
#include "controls/sheet/SheetDocument.h"
#include "printsheet/ExportFormats.h"
#include "ui/Services.h"

#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace QV_GridPrint {
namespace {

// The writers report the system's own reason; the two a user meets most are said in Chinese.
std::string FailureReason(const std::string& path, const std::string& writerMessage) {
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        return "文件夹“" + folder.string() + "”不存在";
    }
    // AT_EACCESS: judged with the rights this process writes with.
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK, AT_EACCESS) != 0) {
        return "没有在文件夹“" + folder.string() + "”中写文件的权限";
    }
    return writerMessage.empty() ? std::string("写文件时出错") : writerMessage;
}

} // namespace

ExportResult ExportPrintSheet(ui::Services& services, sheet::SheetDocument& clldata,
                              const std::string& rptName) {
    ui::SaveFileRequest request;
    request.title = kExportTitle;
    request.filter = ExportFilter();
    request.flags = kExportFlags;
    request.fileName = rptName;
    request.filterIndex = 1;
    // Cancel is the dialog's own answer: a chosen name need not hold any particular separator.
    const std::optional<ui::SaveFileChoice> choice = services.AskSaveFile(request);
    if (!choice || choice->path.empty()) {
        return ExportResult::Cancelled;
    }
    const ExportFormat* format = ExportFormatOfType(choice->filterIndex);
    const std::string path =
        format && !choice->isExactPath ? WithExportExtension(choice->path, *format) : choice->path;
    bool isWritten = false;
    std::string reason;
    {
        ui::BusyScope busy(services);
        try {
            if (format == nullptr) {
                reason = "未知的文件类型（第" + std::to_string(choice->filterIndex) + "种）";
            } else {
                isWritten = format->write(clldata, path, reason);
            }
        } catch (const std::exception& error) {
            isWritten = false;
            reason = error.what();
        }
    }
    if (!isWritten) {
        std::string text = "引出[";
        text.append(rptName).append("]失败，文件没有写成：\n").append(path).append("\n");
        text.append("原因：").append(FailureReason(path, reason));
        services.ShowMessage({text, modGridPrint::kNoticeTitle, ui::Buttons::Ok, ui::Icon::Warning});
        return ExportResult::Failed;
    }
    std::string text = "引出[";
    text.append(rptName).append("]成功");
    services.ShowMessage({text, modGridPrint::kNoticeTitle, ui::Buttons::Ok, ui::Icon::None});
    return ExportResult::Written;
}

} // namespace QV_GridPrint
