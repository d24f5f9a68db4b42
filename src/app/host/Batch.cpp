// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "app/host/Batch.h"

#include "app/host/GridJson.h"
#include "controls/sheet/SheetXlsx.h"
#include "controls/sheet/qt/SheetPrinter.h"
#include "host/ReportWindow.h"
#include "host/clsGridPrint.h"
#include "plugin/PluginRegistry.h"
#include "sqlreport/ParameterPrompt.h"
#include "ui/Services.h"
#include "vb/Conversion.h"
#include "vb/Error.h"
#include "viewer/frmGridPrint.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <unistd.h>

namespace vondrel::host {
namespace {

namespace fs = std::filesystem;

constexpr int kPngDpi = 150;

// Nobody sits in front of a batch run: messages go to stderr, the save dialog answers with the file
// asked for on the command line, and printing is refused.
class BatchServices final : public ui::Services, public sqlreport::ParameterPrompt {
public:
    BatchServices(fs::path folder, std::string exportPath, int filterIndex,
                  sqlreport::ParameterPrompt& prompt)
        : m_folder(std::move(folder)), m_exportPath(std::move(exportPath)), m_filterIndex(filterIndex),
          m_prompt(prompt) {}

    ui::Answer ShowMessage(const ui::Message& message) override {
        const std::string title = message.title.empty() ? ui::kDefaultTitle : message.title;
        std::cerr << "[" << title << "] " << message.text << "\n";
        // The export routine's own success message is the one message that is not a fault.
        const bool isSuccess = message.text.starts_with("引出[") && message.text.ends_with("]成功");
        m_faults += isSuccess ? 0 : 1;
        // A question is answered as a user who wants the run to go on would: yes / OK.
        switch (message.buttons) {
        case ui::Buttons::YesNo:
        case ui::Buttons::YesNoCancel:
            return ui::Answer::Yes;
        case ui::Buttons::RetryCancel:
            return ui::Answer::Cancel;
        default:
            return ui::Answer::Ok;
        }
    }
    std::optional<ui::SaveFileChoice> AskSaveFile(const ui::SaveFileRequest&) override {
        if (m_filterIndex == 0) {
            std::cerr << "[vondrel-host] 批处理模式下没有可回答的保存对话框\n";
            ++m_faults;
            return std::nullopt;
        }
        return ui::SaveFileChoice{m_exportPath, m_filterIndex};
    }
    void SetBusy(bool) override {}
    double TwipsPerPixelX() const override { return 15; }
    double TwipsPerPixelY() const override { return 15; }
    fs::path ApplicationFolder() const override { return m_folder; }
    ui::OutputOutcome PrintSheet(const sheet::SheetDocument&) override { return Refused(); }
    ui::OutputOutcome PreviewSheet(const sheet::SheetDocument&) override { return Refused(); }
    ui::OutputOutcome PageSetupDialog(sheet::SheetDocument&) override { return Refused(); }

    // The plug-in's parameters come from the command line; a record it would show goes to stderr.
    bool AskParameters(const std::string& title, sqlreport::ParameterForm& form) override {
        if (m_prompt.AskParameters(title, form)) {
            return true;
        }
        ++m_faults;
        return false;
    }
    void ShowRecord(const std::string& title,
                    const std::vector<std::pair<std::string, std::string>>& fields) override {
        std::cerr << "[" << title << "]";
        for (const auto& [caption, text] : fields) {
            std::cerr << " " << caption << "=" << text;
        }
        std::cerr << "\n";
    }

    int Faults() const { return m_faults; }

private:
    static ui::OutputOutcome Refused() { return {ui::OutputResult::Failed, "批处理模式不能打印或预览"}; }

    fs::path m_folder;
    std::string m_exportPath;
    int m_filterIndex;
    sqlreport::ParameterPrompt& m_prompt;
    int m_faults = 0;
};

// The report window without a screen: loads, runs the actions, writes the file.
class BatchWindow final : public QV_GridPrint::ReportWindow {
public:
    BatchWindow(BatchServices& services, const BatchRequest& request, bool& written)
        : m_services(services), m_request(request), m_written(written) {}

    void SetHost(QV_GridPrint::clsGridPrint& host) override { m_host = &host; }
    void ShowModal() override {
        QV_GridPrint::frmGridPrint window(*m_host, m_services, QV_GridPrint::PluginRegistry::Instance());
        window.Load();
        // The size of a full-HD window's inner area, so that layout-dependent steps run as on screen.
        window.Resize(28000, 14000);
        if (!window.bOK || window.IsCloseRequested()) {
            return;
        }
        for (const std::string& action : m_request.actions) {
            if (action.starts_with("dblclick:")) {
                const int row = static_cast<int>(vb::CLng(vb::Variant(action.substr(9))));
                if (row < 0 || row >= window.Grid().GridRowCount()) {
                    std::cerr << "[vondrel-host] 双击的行不存在：" << row << "\n";
                    return;
                }
                window.Grid().UserClick(row, 0);
                window.Grid().UserDoubleClick(row, 0);
            } else {
                window.ToolbarClick(action);
            }
            if (window.IsCloseRequested()) {
                std::cerr << "[vondrel-host] 报表窗口在 " << action << " 之后关闭了\n";
                return;
            }
        }
        m_written = Export(window);
        // No Unload: batch runs never store column widths.
    }

private:
    bool Export(QV_GridPrint::frmGridPrint& window) {
        const std::string& format = m_request.format;
        const std::string& path = m_request.exportPath;
        if (format == "xls" || format == "cll") {
            window.ToolbarClick("dc"); // the window's own export routine, as a user runs it
            return m_services.Faults() == 0 && fs::exists(path);
        }
        if (format == "json") {
            return WriteText(path, GridJson(window));
        }
        window.SetCellDataFromVSF();
        std::string error;
        bool ok = false;
        if (format == "pdf") {
            ok = sheet::qt::ExportPdf(window.PrintSheet(), path, error);
        } else if (format == "png") {
            ok = sheet::qt::RenderPagePng(window.PrintSheet(), 1, kPngDpi, path, error);
        } else {
            sheet::LoadError loadError;
            ok = sheet::ExportXlsx(window.PrintSheet(), path, loadError);
            error = loadError.message;
        }
        if (!ok) {
            std::cerr << "[vondrel-host] " << error << "\n";
        }
        return ok;
    }

    // Through a temporary file renamed into place, like every other export.
    static bool WriteText(const std::string& path, const std::string& text) {
        const fs::path target(path);
        std::string tempName = ".";
        tempName.append(target.filename().string()).append(".tmp-").append(std::to_string(::getpid()));
        const fs::path temp = target.parent_path() / tempName;
        {
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            out << text;
            out.flush();
            if (!out) {
                std::error_code ignored;
                fs::remove(temp, ignored);
                std::cerr << "[vondrel-host] 无法写入文件：" << path << "\n";
                return false;
            }
        }
        std::error_code ec;
        fs::rename(temp, target, ec);
        if (ec) {
            fs::remove(temp, ec);
            std::cerr << "[vondrel-host] 无法写入文件：" << path << "\n";
            return false;
        }
        return true;
    }

    BatchServices& m_services;
    const BatchRequest& m_request;
    bool& m_written;
    QV_GridPrint::clsGridPrint* m_host = nullptr;
};

} // namespace

std::string CheckBatchFormat(const std::string& format) {
    for (const char* known : {"xls", "xlsx", "cll", "pdf", "png", "json"}) {
        if (format == known) {
            return {};
        }
    }
    return "不支持的导出格式：" + format + "（可用 xls、xlsx、cll、pdf、png、json）";
}

std::string CheckBatchAction(const std::string& action) {
    if (action.starts_with("dblclick:")) {
        const std::string row = action.substr(9);
        const bool digits =
            !row.empty() && row.size() <= 9 && row.find_first_not_of("0123456789") == std::string::npos;
        return digits ? std::string() : "双击的行号必须是非负整数：" + action;
    }
    return action.empty() ? std::string("--do 需要一个工具栏按钮的键名") : std::string();
}

int RunBatch(const std::function<void(QV_GridPrint::clsGridPrint&)>& prepareHost, long reportId,
             const BatchRequest& request, const fs::path& appFolder, sqlreport::ParameterPrompt& prompt) {
    const int filterIndex = request.format == "xls" ? 1 : request.format == "cll" ? 2 : 0;
    auto services = std::make_shared<BatchServices>(appFolder, request.exportPath, filterIndex, prompt);
    ui::SetDefaultServices(services);
    QV_GridPrint::clsGridPrint host(services);
    prepareHost(host);
    bool written = false;
    host.SetReportWindowFactory([&services, &request, &written] {
        return std::make_unique<BatchWindow>(*services, request, written);
    });
    const bool shown = host.ShowReportOfId(reportId);
    if (!shown || !written || services->Faults() > 0) {
        // A file that a failed run wrote partly or wholly is not the report the caller asked for.
        std::error_code ignored;
        if (written) {
            fs::remove(request.exportPath, ignored);
        }
        return 1;
    }
    return 0;
}

} // namespace vondrel::host
