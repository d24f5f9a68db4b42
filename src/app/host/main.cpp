// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// vondrel-host: a ready host for the report viewer. Opens a database, builds the login record from
// the command line and shows a report, or lists the catalogue. Without arguments it shows the demo's
// main report on the demo database built (or installed) with it.
#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "batch/ReportExport.h"
#include "catalogue/ReportList.h"
#include "controls/sheet/qt/SheetPrinter.h"
#include "hostobject/LoginRecord.h"
#include "hostobject/clsGridPrint.h"
#include "plugin/PluginRegistry.h"
#include "sqlreport/PresetPrompt.h"
#include "sqlreport/SqlReport.h"
#include "sqlreport/qt/QtPrompt.h"
#include "ui/qt/QtServices.h"
#include "vb/Conversion.h"
#include "vb/DateTime.h"
#include "vb/Error.h"
#include "vb/Strings.h"
#include "viewer/qt/GridPrintWindow.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include <QDialog>
#include <QImage>
#include <QWidget>
#include <QtGlobal>

namespace {

constexpr const char* kUsage = R"(用法：vondrel-host [--db <数据库>] [--list | --report <报表号>] [选项]

  不带参数时，在演示数据库上显示演示的主报表（销售汇总）。

  --db <连接串>            SQLite 数据库文件路径，或 PostgreSQL 连接串（host=… dbname=… 或 postgresql://…）；
                           省略时用演示数据库 vondrel-demo.db
  --list                   按报表类别列出目录中的报表
  --report <报表号>        显示报表（报表号为 qv_report 的 qid）；省略 --db 时默认 1
  --app-dir <目录>         组件目录：报表模板和 plugins/ 插件在这里（默认：本程序所在目录）
  --folder <目录>          同 --app-dir
  --param <参数>=<值>      Vondrel.SqlReport 报表的参数值，参数写参数名或参数对话框里的标题，可重复；
                           给出时不显示参数对话框，没有给出的参数用默认值，
                           例如 --param fdatefrom=2024-03-01 或 --param 开始日期=2024-03-01
  --screenshot <文件>      报表显示出来后把窗口存为 PNG 图片并关闭窗口（不显示参数对话框）
  --login-fields <字段表>  登录记录的字段表，默认 "FUsername S20,FAcctName S40,Flogindate D,fuserid N"
  --login <字段>=<值>      登录记录字段的值，可重复，例如 --login FUsername=张三 --login fuserid=1
  --no-move                禁用记录导航按钮

批处理（不显示窗口，把报表写成文件）：
  --export <文件>          报表载入后写出的文件；给出时不显示窗口
  --format <格式>          xls、xlsx、cll、pdf、png 或 json（省略时按文件扩展名）
  --do <按钮>              载入后按下工具栏按钮（如 movenext、t_return），或 dblclick:<行> 双击表格的一行；
                           可重复，按顺序执行
  窗口会显示的每个消息框都写到标准错误输出；出错时退出码为 1，且不留下输出文件。
)";

struct Options {
    std::string db;
    bool list = false;
    std::optional<long> report;
    std::string folder;
    std::string loginFields = "FUsername S20,FAcctName S40,Flogindate D,fuserid N";
    std::vector<std::pair<std::string, std::string>> loginValues;
    std::string screenshot;
    vondrel::batch::ExportRequest batch; // batch mode when batch.path is set; its parameters serve both modes
    bool move = true;
    bool demo = false; // no --db: the demo database, with a demo user
};

[[noreturn]] void Fail(const std::string& message) {
    std::cerr << "vondrel-host：" << message << "\n\n" << kUsage;
    std::exit(1);
}

Options Parse(int argc, char** argv) {
    Options options;
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        const auto next = [&]() -> std::string {
            if (k + 1 >= argc) {
                Fail(arg + " 缺少参数值");
            }
            return argv[++k];
        };
        // NAME=VALUE, as --param and --login take it.
        const auto assignment = [&](const char* form) -> std::pair<std::string, std::string> {
            const std::string value = next();
            const std::size_t equals = value.find('=');
            if (equals == std::string::npos || equals == 0) {
                Fail(arg + " 的格式是 " + form + "：" + value);
            }
            return {value.substr(0, equals), value.substr(equals + 1)};
        };
        if (arg == "--db") {
            options.db = next();
        } else if (arg == "--list") {
            options.list = true;
        } else if (arg == "--report") {
            const std::string value = next();
            const std::optional<double> number = vb::TryParseNumber(value);
            if (!number || *number != static_cast<long>(*number)) {
                Fail("报表号必须是整数：" + value);
            }
            options.report = static_cast<long>(*number);
        } else if (arg == "--folder" || arg == "--app-dir") {
            options.folder = next();
        } else if (arg == "--param") {
            options.batch.parameters.push_back(assignment("参数名=值"));
        } else if (arg == "--screenshot") {
            options.screenshot = next();
        } else if (arg == "--export") {
            options.batch.path = next();
        } else if (arg == "--format") {
            options.batch.format = next();
        } else if (arg == "--do") {
            options.batch.actions.push_back(next());
            if (const std::string problem = vondrel::batch::CheckAction(options.batch.actions.back());
                !problem.empty()) {
                Fail("--do " + problem);
            }
        } else if (arg == "--login-fields") {
            options.loginFields = next();
        } else if (arg == "--login") {
            options.loginValues.push_back(assignment("字段=值"));
        } else if (arg == "--no-move") {
            options.move = false;
        } else if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            std::exit(0);
        } else {
            Fail("不认识的参数：" + arg);
        }
    }
    if (options.list && options.report) {
        Fail("--list 和 --report 只能用一个");
    }
    if (options.batch.path.empty()) {
        if (!options.batch.format.empty() || !options.batch.actions.empty()) {
            Fail("--format 和 --do 只能和 --export 一起用");
        }
    } else {
        if (options.batch.format.empty()) {
            options.batch.format = vondrel::batch::FormatOfPath(options.batch.path);
        }
        if (const std::string problem = vondrel::batch::CheckFormat(options.batch.format); !problem.empty()) {
            Fail(problem);
        }
        if (options.list || !options.screenshot.empty()) {
            Fail("--export 不能和 --list 或 --screenshot 一起用");
        }
    }
    if (options.db.empty()) {
        options.demo = true;
        if (!options.list && !options.report) {
            options.report = 1;
        }
    } else if (!options.list && !options.report) {
        Fail("需要 --list 或 --report 之一");
    }
    return options;
}

// Display width of UTF-8 text: CJK characters take two columns in a terminal.
std::size_t DisplayWidth(const std::string& text) {
    std::size_t width = 0;
    for (std::size_t k = 0; k < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[k]);
        const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 4;
        width += length >= 3 ? 2 : 1;
        k += length;
    }
    return width;
}

std::string Pad(const std::string& text, std::size_t width) {
    const std::size_t shown = DisplayWidth(text);
    return text + std::string(shown < width ? width - shown : 0, ' ');
}

int ListCatalogue(const std::shared_ptr<ado::Connection>& cnn) {
    for (const QV_GridPrint::catalogue::ListedGroup& group : QV_GridPrint::catalogue::ListCatalogue(cnn)) {
        std::cout << group.name << "（类别 " << group.id << "）\n";
        if (group.reports.empty()) {
            std::cout << "    （没有报表）\n";
        }
        for (const QV_GridPrint::catalogue::ListedReport& report : group.reports) {
            std::cout << "    " << Pad(std::to_string(report.id), 4) << Pad(report.name, 16)
                      << Pad(report.templateFile, 22) << report.className << "\n";
        }
    }
    return 0;
}

// The demo database: beside this program when installed together, else the one the build made.
std::filesystem::path FindDemoDatabase(const std::filesystem::path& programFolder) {
    const std::filesystem::path candidates[] = {
        programFolder / "vondrel-demo.db",
        programFolder / ".." / "share" / "vondrel" / "vondrel-demo.db",
        VONDREL_BUILD_DEMO_DB,
    };
    std::error_code error;
    for (const std::filesystem::path& candidate : candidates) {
        if (std::filesystem::is_regular_file(candidate, error)) {
            return candidate;
        }
    }
    Fail("找不到演示数据库 vondrel-demo.db（先构建项目，或用 --db 指定数据库）");
}

// The answer to Vondrel.SqlReport's parameter dialog of this program: the command line's values when
// it gives them (--param, or no one to answer), else the real dialogs.
class HostPrompt final : public QV_GridPrint::ParameterPrompt {
public:
    HostPrompt(sqlreport::PresetPrompt::Values params, bool unattended)
        : m_preset(std::move(params)), m_unattended(unattended || !m_preset.GivenValues().empty()) {}

    bool AskParameters(const std::string& title, QV_GridPrint::ParameterForm& form) override {
        if (!m_unattended) {
            return m_dialogs.AskParameters(title, form);
        }
        if (m_preset.AskParameters(title, form)) {
            return true;
        }
        std::cerr << "vondrel-host：" << m_preset.Refusal() << "\n";
        m_failed = true;
        return false;
    }
    void ShowRecord(const std::string& title,
                    const std::vector<std::pair<std::string, std::string>>& fields) override {
        m_dialogs.ShowRecord(title, fields);
    }

    // A parameter value was refused: the report was not shown as asked.
    bool HasFailed() const { return m_failed; }

private:
    sqlreport::qt::QtPrompt m_dialogs;
    sqlreport::PresetPrompt m_preset;
    bool m_unattended;
    bool m_failed = false;
};

} // namespace

int main(int argc, char** argv) {
    Options options = Parse(argc, argv);
    try {
        const std::filesystem::path programFolder =
            std::filesystem::canonical("/proc/self/exe").parent_path();
        if (options.demo) {
            options.db = FindDemoDatabase(programFolder).string();
        }
        auto connection = ado::Connection::Create();
        connection->Open(options.db);
        if (options.list) {
            return ListCatalogue(connection);
        }
        const bool isBatch = !options.batch.path.empty();
        // A screenshot needs no screen either: without a display the window is drawn offscreen.
        if (!options.screenshot.empty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
            qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        if (isBatch) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
                qputenv("QT_QPA_PLATFORM", "offscreen"); // no window is shown: no display needed
            }
            // Standard error carries the report's message boxes, for scripts to read; Qt's own
            // chatter about the environment (runtime folders, platform hints) stays out of it.
            qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
                if (type == QtCriticalMsg || type == QtFatalMsg) {
                    std::cerr << text.toStdString() << "\n";
                }
            });
        }
        auto services = std::make_shared<ui::qt::QtServices>(options.folder);
        auto prompt =
            std::make_shared<HostPrompt>(options.batch.parameters, !options.screenshot.empty() || isBatch);
        // Built in as well, so that a component folder holding only templates still shows SqlReport
        // reports; a library in its plugins/ folder replaces this registration when the window loads it.
        sqlreport::Register(QV_GridPrint::PluginRegistry::Instance(), prompt.get());
        const auto prepareHost = [&](QV_GridPrint::clsGridPrint& host) {
            host.set_cnn(connection);
            if (!host.CreateRsLogin(options.loginFields)) {
                Fail("登录记录的字段表无效：" + options.loginFields);
            }
            if (options.demo) {
                // The demo user: user 1 owns the demo's variable columns.
                QV_GridPrint::SetLoginFieldText(*host.rsLogin(), "FUsername", "演示用户");
                QV_GridPrint::SetLoginFieldText(*host.rsLogin(), "FAcctName", "演示账套");
                QV_GridPrint::SetLoginFieldText(*host.rsLogin(), "Flogindate", vb::FormatDate(vb::Today()));
                QV_GridPrint::SetLoginFieldText(*host.rsLogin(), "fuserid", "1");
            }
            for (const auto& [name, text] : options.loginValues) {
                QV_GridPrint::SetLoginFieldText(*host.rsLogin(), name, text);
            }
            host.let_MoveBotton(options.move);
        };
        if (isBatch) {
            const vondrel::batch::ExportResult result = vondrel::batch::ExportReport(
                prepareHost, *options.report, options.batch, services->ApplicationFolder(),
                QV_GridPrint::PluginRegistry::Instance());
            // The window's message boxes with their titles, for scripts to read.
            for (const vondrel::batch::ExportMessage& message : result.messages) {
                std::cerr << "[" << (message.title.empty() ? "vondrel-host" : message.title) << "] "
                          << message.text << "\n";
            }
            return result.isWritten ? 0 : 1;
        }
        QV_GridPrint::clsGridPrint host(services, prompt);
        prepareHost(host);
        QV_GridPrint::UseQtReportWindow(host);
        bool saved = options.screenshot.empty();
        QImage picture;
        if (!options.screenshot.empty()) {
            host.SetReportWindowFactory([&picture] {
                auto window =
                    std::make_unique<QV_GridPrint::GridPrintWindow>(QV_GridPrint::PluginRegistry::Instance());
                window->SetShownObserver([&picture](QV_GridPrint::GridPrintWindow& shown) {
                    shown.Dialog()->resize(1280, 800);
                    picture = shown.Dialog()->grab().toImage();
                    shown.Dialog()->close();
                });
                return window;
            });
        }
        const bool shown = host.ShowReportOfId(*options.report);
        std::string reason = "报表没有显示出来";
        // Written only now: a picture of a report that was refused would pass for the report, and an
        // earlier picture of that name stays as it was.
        if (!options.screenshot.empty() && !picture.isNull() && !prompt->HasFailed()) {
            saved = sheet::qt::SavePng(picture, options.screenshot, reason);
        }
        if (!saved) {
            std::cerr << "vondrel-host：没有保存图片 " << options.screenshot << "（" << reason << "）\n";
        }
        return shown && saved && !prompt->HasFailed() ? 0 : 1;
    } catch (const vb::Error& error) {
        std::cerr << "vondrel-host：" << error.Description() << "\n";
        return 1;
    }
}
