// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Design notes.
//  1. One run: the host object opens the report in a window without widgets (the window's logic,
//     loaded and sized as on screen), the actions run in order, then the export step writes the file.
//  2. A message box before the export step means the window reported a problem (a plug-in, a fetch,
//     a failed drill, a refused definition): the run stops before writing. So does pressing print,
//     preview or page set-up: there is nothing to print to, and a script that asked for paper must
//     not be told all went well. Only a record the window shows (a double click on a report without
//     drill-down) is information, not a problem: it is kept with the messages and the run goes on.
//     The export step's outcome is one value, the window's `ExportResult` (for png and json, the
//     same value from their writers), never the wording of a message.
//  3. An action runs only as a user could run it: a toolbar button the window has not got or has
//     disabled is refused (the run stops), as the window ignores a click on a disabled button.
//  4. Nothing is written but by the writers, which go through a temporary file and a rename: when a
//     run fails no file of the requested name was created or changed.
#include "batch/ReportExport.h"

#include "batch/GridJson_p.h"
#include "controls/sheet/ReplaceFile.h"
#include "controls/sheet/qt/SheetPrinter.h"
#include "hostobject/ReportWindow.h"
#include "hostobject/clsGridPrint.h"
#include "plugin/PluginRegistry.h"
#include "printsheet/ExportFormats.h"
#include "printsheet/SheetExport.h"
#include "sqlreport/PresetPrompt.h"
#include "ui/Services.h"
#include "ui/qt/QtServices.h"
#include "vb/Conversion.h"
#include "vb/Error.h"
#include "viewer/SheetOutput.h"
#include "viewer/frmGridPrint.h"

#include <algorithm>
#include <cctype>

namespace vondrel::batch {
namespace {

namespace fs = std::filesystem;

constexpr int kPngDpi = 150;
constexpr const char* kDoubleClick = "dblclick:";

// The formats of the window's export dialog are written by the window's own export routine (answering
// its dialog with that file type), so batch mode and the window write the same file; these two have
// writers of their own here.
constexpr const char* kOwnFormats[] = {"png", "json"};

// Nobody sits in front of the run: messages are collected and the save dialog answers with the
// requested file during the export step only.
class BatchServices final : public ui::Services {
public:
    BatchServices(fs::path folder, const ExportRequest& request, std::vector<ExportMessage>& messages)
        : m_folder(std::move(folder)), m_path(request.path), m_messages(messages) {}

    ui::Answer ShowMessage(const ui::Message& message) override {
        Note(message.title.empty() ? ui::kDefaultTitle : message.title, message.text);
        ++m_faults;
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
        if (m_fileType == 0) {
            Fault("批处理时没有人回答保存对话框");
            return std::nullopt;
        }
        return ui::SaveFileChoice{m_path, m_fileType, true};
    }
    void SetBusy(bool) override {}
    double TwipsPerPixelX() const override { return 15; }
    double TwipsPerPixelY() const override { return 15; }
    fs::path ApplicationFolder() const override { return m_folder; }

    // The run's own complaint: it stops the run like a message box of the window.
    void Fault(const std::string& text) {
        Note("", text);
        ++m_faults;
    }
    int Faults() const { return m_faults; }
    // The export step: the save dialog now answers with the requested file, as this file type.
    void BeginExport(int fileType) { m_fileType = fileType; }
    void Note(std::string title, std::string text) {
        m_messages.push_back({std::move(title), std::move(text)});
    }

private:
    fs::path m_folder;
    std::string m_path;
    std::vector<ExportMessage>& m_messages;
    int m_fileType = 0;
    int m_faults = 0;
};

// The parameter dialog is answered from the request; a refused value is a fault of the run.
class BatchPrompt final : public QV_GridPrint::ParameterPrompt {
public:
    BatchPrompt(BatchServices& services, const ExportRequest& request)
        : m_services(services), m_preset(request.parameters) {}

    bool AskParameters(const std::string& title, QV_GridPrint::ParameterForm& form) override {
        if (m_preset.AskParameters(title, form)) {
            return true;
        }
        m_services.Fault(m_preset.Refusal());
        return false;
    }
    // A record the plug-in would show is kept with the messages; it is no fault.
    void ShowRecord(const std::string& title,
                    const std::vector<std::pair<std::string, std::string>>& fields) override {
        std::string text;
        for (const auto& [caption, value] : fields) {
            text.append(text.empty() ? "" : " ").append(caption).append("=").append(value);
        }
        m_services.Note(title, text);
    }

private:
    BatchServices& m_services;
    sqlreport::PresetPrompt m_preset;
};

// The report window without a screen: loads, runs the actions, writes the file.
class BatchWindow final : public QV_GridPrint::ReportWindow {
public:
    BatchWindow(BatchServices& services, QV_GridPrint::PluginRegistry& plugins, const ExportRequest& request,
                std::string format, bool& written)
        : m_services(services), m_plugins(plugins), m_request(request), m_format(std::move(format)),
          m_written(written) {}

    void SetHost(QV_GridPrint::clsGridPrint& host) override { m_host = &host; }
    void ShowModal() override {
        // Printing is refused: there is nobody to take the pages.
        QV_GridPrint::RefusedSheetOutput output("批处理时不能打印或预览");
        QV_GridPrint::frmGridPrint window(*m_host, m_services, output, m_plugins);
        window.Load();
        // The size of a full-HD window's inner area, so that layout-dependent steps run as on screen.
        window.Resize(28000, 14000);
        if (!window.bOK || window.IsCloseRequested() || m_services.Faults() > 0) {
            return;
        }
        for (const std::string& action : m_request.actions) {
            if (!RunAction(window, action) || m_services.Faults() > 0) {
                return;
            }
            if (window.IsCloseRequested()) {
                m_services.Fault("报表窗口在 " + action + " 之后关闭了");
                return;
            }
        }
        m_written = Export(window) == QV_GridPrint::ExportResult::Written;
        // No Unload: batch runs never store column widths.
    }

private:
    bool RunAction(QV_GridPrint::frmGridPrint& window, const std::string& action) {
        if (action.starts_with(kDoubleClick)) {
            const int row = static_cast<int>(vb::CLng(vb::Variant(action.substr(9))));
            if (row < 0 || row >= window.Grid().GridRowCount()) {
                m_services.Fault("双击的行不存在：" + std::to_string(row));
                return false;
            }
            window.Grid().UserClick(row, 0);
            window.Grid().UserDoubleClick(row, 0);
            return true;
        }
        const auto& toolbar = window.Toolbar();
        const auto button =
            std::find_if(toolbar.begin(), toolbar.end(), [&](const QV_GridPrint::ToolbarButton& b) {
                return b.key == action && !b.isSeparator;
            });
        if (button == toolbar.end()) {
            m_services.Fault("报表窗口的工具栏没有按钮“" + action + "”");
            return false;
        }
        // On screen a disabled button cannot be pressed; here neither.
        if (!button->isEnabled) {
            m_services.Fault("工具栏按钮“" + button->caption + "”（" + action + "）已禁用，不能按下");
            return false;
        }
        window.ToolbarClick(action);
        return true;
    }

    QV_GridPrint::ExportResult Export(QV_GridPrint::frmGridPrint& window) {
        const std::string& path = m_request.path;
        if (const int fileType = QV_GridPrint::ExportFileTypeOf(m_format); fileType != 0) {
            // The window's own export routine, as a user runs it; its result says whether it wrote.
            m_services.BeginExport(fileType);
            window.ToolbarClick("dc");
            return window.LastExport();
        }
        std::string error;
        bool ok = false;
        if (m_format == "json") {
            ok = sheet::ReplaceFileContents(path, GridJson(window), error);
        } else {
            window.SetCellDataFromVSF();
            ok = sheet::qt::RenderPagePng(window.PrintSheet(), 1, kPngDpi, path, error);
        }
        if (!ok) {
            m_services.Fault(error.empty() ? "无法写入文件：" + path : error);
            return QV_GridPrint::ExportResult::Failed;
        }
        return QV_GridPrint::ExportResult::Written;
    }

    BatchServices& m_services;
    QV_GridPrint::PluginRegistry& m_plugins;
    const ExportRequest& m_request;
    const std::string m_format;
    bool& m_written;
    QV_GridPrint::clsGridPrint* m_host = nullptr;
};

} // namespace

const std::vector<std::string>& ExportFormats() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (const QV_GridPrint::ExportFormat& format : QV_GridPrint::ExportFormats()) {
            all.emplace_back(format.key);
        }
        all.insert(all.end(), std::begin(kOwnFormats), std::end(kOwnFormats));
        return all;
    }();
    return names;
}

std::string FormatOfPath(const fs::path& path) {
    std::string extension = path.extension().string();
    if (!extension.empty()) {
        extension.erase(0, 1);
    }
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

std::string CheckFormat(const std::string& format) {
    if (std::ranges::find(ExportFormats(), format) != ExportFormats().end()) {
        return {};
    }
    std::string known;
    for (const std::string& name : ExportFormats()) {
        known.append(known.empty() ? "" : "、").append(name);
    }
    return "不支持的导出格式：" + format + "（可用 " + known + "）";
}

std::string CheckAction(const std::string& action) {
    if (action.starts_with(kDoubleClick)) {
        const std::string row = action.substr(9);
        const bool digits =
            !row.empty() && row.size() <= 9 && row.find_first_not_of("0123456789") == std::string::npos;
        return digits ? std::string() : "双击的行号必须是非负整数：" + action;
    }
    return action.empty() ? std::string("需要一个工具栏按钮的键名") : std::string();
}

ExportResult ExportReport(const std::function<void(QV_GridPrint::clsGridPrint&)>& prepareHost, long reportId,
                          const ExportRequest& request, const fs::path& componentFolder,
                          QV_GridPrint::PluginRegistry& plugins) {
    ExportResult result;
    const auto fail = [&](std::string text) {
        result.messages.push_back({"", std::move(text)});
        return result;
    };
    const std::string formatName = request.format.empty() ? FormatOfPath(request.path) : request.format;
    if (request.path.empty()) {
        return fail("没有给出导出文件的路径");
    }
    if (std::string problem = CheckFormat(formatName); !problem.empty()) {
        return fail(std::move(problem));
    }
    for (const std::string& action : request.actions) {
        if (std::string problem = CheckAction(action); !problem.empty()) {
            return fail(std::move(problem));
        }
    }
    try {
        if (std::string problem = ui::qt::EnsureApplicationForExport(); !problem.empty()) {
            return fail(std::move(problem));
        }
        auto services = std::make_shared<BatchServices>(componentFolder, request, result.messages);
        QV_GridPrint::clsGridPrint host(services, std::make_shared<BatchPrompt>(*services, request));
        prepareHost(host);
        bool written = false;
        host.SetReportWindowFactory([&services, &plugins, &request, &formatName, &written] {
            return std::make_unique<BatchWindow>(*services, plugins, request, formatName, written);
        });
        host.ShowReportOfId(reportId);
        result.isWritten = written;
    } catch (const vb::Error& error) {
        result.messages.push_back({"", error.Description()});
    } catch (const std::exception& error) {
        result.messages.push_back({"", error.what()});
    }
    return result;
}

} // namespace vondrel::batch
