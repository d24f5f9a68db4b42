// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The C interface over the host object. Every call is guarded: no exception crosses into a C caller.
// Showing needs a Qt application, which the library makes when the host has none (a C or Python
// host); an export makes one offscreen when there is no display, since it shows nothing.
#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "batch/ReportExport.h"
#include "capi/vondrel.h"
#include "catalogue/ReportList.h"
#include "controls/sheet/qt/SheetPrinter.h"
#include "hostobject/LoginRecord.h"
#include "hostobject/clsGridPrint.h"
#include "plugin/PluginRegistry.h"
#include "sqlreport/PresetPrompt.h"
#include "sqlreport/SqlReport.h"
#include "sqlreport/qt/QtPrompt.h"
#include "ui/Services.h"
#include "ui/qt/QtServices.h"
#include "vb/Error.h"
#include "vb/Strings.h"
#include "viewer/frmGridPrint.h"
#include "viewer/qt/GridPrintWindow.h"

#include <dlfcn.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <QDialog>
#include <QImage>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace {

// The component's folder unless the host names one: the folder this library was loaded from, where
// its templates and plugins/ are installed beside it (a Python host's program is the interpreter).
std::filesystem::path LibraryFolder() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<const void*>(&LibraryFolder), &info) == 0 || !info.dli_fname) {
        return {};
    }
    std::error_code error;
    const std::filesystem::path library = std::filesystem::canonical(info.dli_fname, error);
    return error ? std::filesystem::path() : library.parent_path();
}

// Messages go to the host's handler when it set one; everything else (and messages without a
// handler) to the real window system.
class HostServices final : public ui::Services {
public:
    ui::Answer ShowMessage(const ui::Message& message) override {
        if (m_isSettingUp) {
            m_setupMessage = message.text;
        }
        if (!m_handler) {
            return Qt().ShowMessage(message);
        }
        const std::string title = message.title.empty() ? ui::kDefaultTitle : message.title;
        switch (m_handler(m_user, message.text.c_str(), title.c_str(), ButtonsCode(message.buttons),
                          IconCode(message.icon))) {
        case VONDREL_ANSWER_CANCEL:
            return ui::Answer::Cancel;
        case VONDREL_ANSWER_YES:
            return ui::Answer::Yes;
        case VONDREL_ANSWER_NO:
            return ui::Answer::No;
        case VONDREL_ANSWER_RETRY:
            return ui::Answer::Retry;
        default:
            return ui::Answer::Ok;
        }
    }
    std::optional<ui::SaveFileChoice> AskSaveFile(const ui::SaveFileRequest& request) override {
        return Qt().AskSaveFile(request);
    }
    void SetBusy(bool busy) override { Qt().SetBusy(busy); }
    double TwipsPerPixelX() const override { return Qt().TwipsPerPixelX(); }
    double TwipsPerPixelY() const override { return Qt().TwipsPerPixelY(); }
    std::filesystem::path ApplicationFolder() const override { return Folder(); }

    void SetHandler(vondrel_message_handler handler, void* user) {
        m_handler = handler;
        m_user = user;
    }
    void SetFolder(std::filesystem::path folder) { m_folder = std::move(folder); }
    std::filesystem::path Folder() const {
        if (m_folder.empty()) {
            m_folder = LibraryFolder();
        }
        return m_folder;
    }
    // Between the start of a show and the moment its window is on screen, the last message is kept:
    // it is why a window closed itself before the user saw it.
    void SetSettingUp(bool isSettingUp) {
        m_isSettingUp = isSettingUp;
        if (isSettingUp) {
            m_setupMessage.clear();
        }
    }
    const std::string& SetupMessage() const { return m_setupMessage; }

private:
    static int ButtonsCode(ui::Buttons buttons) {
        switch (buttons) {
        case ui::Buttons::OkCancel:
            return VONDREL_BUTTONS_OK_CANCEL;
        case ui::Buttons::YesNo:
            return VONDREL_BUTTONS_YES_NO;
        case ui::Buttons::YesNoCancel:
            return VONDREL_BUTTONS_YES_NO_CANCEL;
        case ui::Buttons::RetryCancel:
            return 5;
        case ui::Buttons::Ok:
            break;
        }
        return VONDREL_BUTTONS_OK;
    }
    static int IconCode(ui::Icon icon) {
        switch (icon) {
        case ui::Icon::Critical:
            return VONDREL_ICON_CRITICAL;
        case ui::Icon::Question:
            return VONDREL_ICON_QUESTION;
        case ui::Icon::Warning:
            return VONDREL_ICON_WARNING;
        case ui::Icon::Information:
            return VONDREL_ICON_INFORMATION;
        case ui::Icon::None:
            break;
        }
        return VONDREL_ICON_NONE;
    }
    ui::qt::QtServices& Qt() const {
        if (!m_qt) {
            m_qt = std::make_unique<ui::qt::QtServices>(Folder());
        }
        return *m_qt;
    }

    vondrel_message_handler m_handler = nullptr;
    void* m_user = nullptr;
    mutable std::filesystem::path m_folder;
    mutable std::unique_ptr<ui::qt::QtServices> m_qt;
    bool m_isSettingUp = false;
    std::string m_setupMessage;
};

// The parameter dialog of Vondrel.SqlReport reports is answered from the host's values when it set
// any, else shown.
class HostPrompt final : public QV_GridPrint::ParameterPrompt {
public:
    explicit HostPrompt(HostServices& services) : m_services(services) {}

    bool AskParameters(const std::string& title, QV_GridPrint::ParameterForm& form) override {
        if (m_parameters.empty()) {
            return m_dialogs.AskParameters(title, form);
        }
        sqlreport::PresetPrompt preset(m_parameters);
        if (preset.AskParameters(title, form)) {
            return true;
        }
        // The host set a value the report refuses: said like any other failed setup.
        m_services.ShowMessage({preset.Refusal(), "", ui::Buttons::Ok, ui::Icon::Warning});
        return false;
    }
    void ShowRecord(const std::string& title,
                    const std::vector<std::pair<std::string, std::string>>& fields) override {
        m_dialogs.ShowRecord(title, fields);
    }
    sqlreport::PresetPrompt::Values& Parameters() { return m_parameters; }

private:
    HostServices& m_services;
    sqlreport::qt::QtPrompt m_dialogs;
    sqlreport::PresetPrompt::Values m_parameters;
};

// Makes the library usable as it is loaded: reports of the generic plug-in show even when the
// component folder holds only templates (a library in its plugins/ folder replaces this registration
// when a window loads it). The registry is the process's: every host handle shares the plug-ins.
void RegisterOnce() {
    static const bool registered = [] {
        static sqlreport::qt::QtPrompt fallback;
        sqlreport::Register(QV_GridPrint::PluginRegistry::Instance(), &fallback);
        return true;
    }();
    (void)registered;
}

} // namespace

struct vondrel_host {
    std::shared_ptr<HostServices> services = std::make_shared<HostServices>();
    std::shared_ptr<HostPrompt> prompt = std::make_shared<HostPrompt>(*services);
    QV_GridPrint::clsGridPrint object{services, prompt};
    std::string lastError;
    std::vector<std::string> actions;
    unsigned long long parentWindow = 0;
    vondrel_shown_handler shownHandler = nullptr;
    void* shownUser = nullptr;
    bool isShowing = false; // inside vondrel_host_show_report
    bool wasShown = false;  // the current show's window reached the screen
    // The report window while it is on screen.
    QPointer<QDialog> openDialog;
};

namespace {

// Runs one call of the C interface: no exception may cross into a C caller. The body returns the
// call's result (a bool gives 1 or 0).
template <class F> int Guard(vondrel_host* host, F body) {
    if (!host) {
        return -1;
    }
    host->lastError.clear();
    try {
        return static_cast<int>(body());
    } catch (const vb::Error& error) {
        host->lastError = error.Description();
    } catch (const std::exception& error) {
        host->lastError = error.what();
    }
    return -1;
}

std::string Text(const char* text) {
    return text ? std::string(text) : std::string();
}

// The report window over the host's own window: a transient child, centred on it. A window of this
// process (a PyQt host) is used as itself; another id is wrapped as a foreign window.
void PlaceOverParent(QDialog& dialog, unsigned long long parentId) {
    const auto id = static_cast<WId>(parentId);
    QWindow* parent = nullptr;
    if (QWidget* widget = QWidget::find(id)) {
        parent = widget->window()->windowHandle();
    }
    if (!parent) {
        parent = QWindow::fromWinId(id); // owned by the dialog from here on
        if (!parent) {
            return;
        }
        QObject::connect(&dialog, &QObject::destroyed, parent, &QObject::deleteLater);
    }
    QWindow* own = dialog.windowHandle();
    if (!own || own == parent) { // an id that names the report window itself is no parent
        return;
    }
    own->setTransientParent(parent);
    // A foreign window's size is not known to Qt; window managers centre a transient child on its
    // parent themselves.
    const QRect area = parent->geometry();
    if (area.isValid()) {
        QRect frame = dialog.frameGeometry();
        frame.moveCenter(area.center());
        dialog.move(frame.topLeft());
    }
}

} // namespace

extern "C" {

const char* vondrel_version(void) {
    return VONDREL_VERSION;
}

vondrel_host* vondrel_host_create(void) {
    try {
        RegisterOnce();
        return new vondrel_host();
    } catch (...) {
        return nullptr;
    }
}

void vondrel_host_destroy(vondrel_host* host) {
    delete host;
}

const char* vondrel_host_last_error(const vondrel_host* host) {
    return host ? host->lastError.c_str() : "vondrel_host 为空";
}

int vondrel_host_open_connection(vondrel_host* host, const char* connection_string) {
    return Guard(host, [&] {
        auto connection = ado::Connection::Create();
        connection->Open(Text(connection_string));
        host->object.set_cnn(connection);
        return true;
    });
}

int vondrel_host_create_login(vondrel_host* host, const char* field_list) {
    return Guard(host, [&] { return host->object.CreateRsLogin(Text(field_list)); });
}

int vondrel_host_set_login_field(vondrel_host* host, const char* name, const char* value) {
    return Guard(host, [&] {
        QV_GridPrint::SetLoginFieldText(*host->object.rsLogin(), Text(name), Text(value));
        return true;
    });
}

void vondrel_host_set_move_buttons(vondrel_host* host, int enabled) {
    if (host) {
        host->object.let_MoveBotton(enabled != 0);
    }
}

int vondrel_host_set_component_folder(vondrel_host* host, const char* folder) {
    return Guard(host, [&] {
        host->services->SetFolder(Text(folder));
        return true;
    });
}

void vondrel_host_set_message_handler(vondrel_host* host, vondrel_message_handler handler, void* user) {
    if (host) {
        host->services->SetHandler(handler, user);
    }
}

int vondrel_host_set_parameter(vondrel_host* host, const char* name, const char* value) {
    return Guard(host, [&] {
        const std::string key = vb::Trim(Text(name));
        if (key.empty()) {
            throw std::invalid_argument("参数名不能为空");
        }
        auto& parameters = host->prompt->Parameters();
        for (auto& [given, text] : parameters) {
            if (vb::LCase(given) == vb::LCase(key)) {
                text = Text(value);
                return true;
            }
        }
        parameters.emplace_back(key, Text(value));
        return true;
    });
}

void vondrel_host_clear_parameters(vondrel_host* host) {
    if (host) {
        host->prompt->Parameters().clear();
    }
}

int vondrel_host_show_report(vondrel_host* host, int report_id) {
    return Guard(host, [&]() -> int {
        // The open window belongs to this host object: a second show from inside it (a handler)
        // would replace the window that is still running.
        if (host->isShowing) {
            throw std::runtime_error("这个宿主对象的报表窗口还开着，关闭它之后才能显示另一个报表");
        }
        if (std::string problem = ui::qt::EnsureApplicationForWindows(); !problem.empty()) {
            throw std::runtime_error(problem);
        }
        struct Showing {
            bool& flag;
            explicit Showing(bool& f) : flag(f) { flag = true; }
            ~Showing() { flag = false; }
            Showing(const Showing&) = delete;
            Showing& operator=(const Showing&) = delete;
        } showing(host->isShowing);
        host->wasShown = false;
        host->object.SetReportWindowFactory([host] {
            auto window =
                std::make_unique<QV_GridPrint::GridPrintWindow>(QV_GridPrint::PluginRegistry::Instance());
            window->SetShownObserver([host](QV_GridPrint::GridPrintWindow& shown) {
                // A failed setup posts its close before this runs; such a window was never the user's.
                const QV_GridPrint::frmGridPrint* logic = shown.Logic();
                if (!logic || !logic->bOK || logic->IsCloseRequested() || !shown.Dialog()->isVisible()) {
                    return;
                }
                host->wasShown = true;
                host->services->SetSettingUp(false);
                host->openDialog = shown.Dialog();
                if (host->parentWindow != 0) {
                    PlaceOverParent(*shown.Dialog(), host->parentWindow);
                }
                if (host->shownHandler) {
                    host->shownHandler(host->shownUser, host);
                }
            });
            return window;
        });
        host->services->SetSettingUp(true);
        const bool accepted = host->object.ShowReportOfId(report_id);
        host->services->SetSettingUp(false);
        host->openDialog = nullptr;
        if (!host->wasShown) {
            const std::string& message = host->services->SetupMessage();
            host->lastError = message.empty() ? std::string("报表窗口在显示之前关闭了") : message;
        } else {
            host->lastError.clear(); // what calls from the handlers left is not this call's result
        }
        return accepted ? 1 : 0;
    });
}

void vondrel_host_set_parent_window(vondrel_host* host, unsigned long long native_window_id) {
    if (host) {
        host->parentWindow = native_window_id;
    }
}

void vondrel_host_set_shown_handler(vondrel_host* host, vondrel_shown_handler handler, void* user) {
    if (host) {
        host->shownHandler = handler;
        host->shownUser = user;
    }
}

int vondrel_host_save_window_image(vondrel_host* host, const char* png_path) {
    return Guard(host, [&]() -> int {
        if (!host->openDialog) {
            throw std::runtime_error("没有打开的报表窗口");
        }
        std::string error;
        if (!sheet::qt::SavePng(host->openDialog->grab().toImage(), Text(png_path), error)) {
            throw std::runtime_error(error);
        }
        return 1;
    });
}

int vondrel_host_close_window(vondrel_host* host) {
    return Guard(host, [&]() -> int {
        if (!host->openDialog) {
            throw std::runtime_error("没有打开的报表窗口");
        }
        host->openDialog->close();
        return 1;
    });
}

int vondrel_host_add_action(vondrel_host* host, const char* action) {
    return Guard(host, [&] {
        if (std::string problem = vondrel::batch::CheckAction(Text(action)); !problem.empty()) {
            throw std::invalid_argument(problem);
        }
        host->actions.push_back(Text(action));
        return true;
    });
}

void vondrel_host_clear_actions(vondrel_host* host) {
    if (host) {
        host->actions.clear();
    }
}

int vondrel_host_export_report(vondrel_host* host, int report_id, const char* path, const char* format) {
    return Guard(host, [&]() -> int {
        vondrel::batch::ExportRequest request;
        request.path = Text(path);
        request.format = Text(format);
        request.actions = host->actions;
        request.parameters = host->prompt->Parameters();
        QV_GridPrint::clsGridPrint& object = host->object;
        const auto prepare = [&object](QV_GridPrint::clsGridPrint& exporting) {
            exporting.set_cnn(object.cnn());
            exporting.set_rsLogin(object.rsLogin());
            exporting.let_MoveBotton(object.MoveBotton());
            exporting.ShareRememberedParameters(object);
        };
        const vondrel::batch::ExportResult result = vondrel::batch::ExportReport(
            prepare, report_id, request, host->services->Folder(), QV_GridPrint::PluginRegistry::Instance());
        if (result.isWritten) {
            return 1;
        }
        for (const vondrel::batch::ExportMessage& message : result.messages) {
            host->lastError.append(host->lastError.empty() ? "" : "\n").append(message.text);
        }
        if (host->lastError.empty()) {
            host->lastError = "文件没有写成：" + request.path;
        }
        return -1;
    });
}

int vondrel_host_list_reports(vondrel_host* host, vondrel_report_callback callback, void* user) {
    return Guard(host, [&] {
        if (!host->object.cnn()) {
            throw std::runtime_error("还没有打开数据库（先调用 vondrel_host_open_connection）");
        }
        const auto groups = QV_GridPrint::catalogue::ListCatalogue(host->object.cnn());
        if (callback) {
            for (const auto& group : groups) {
                for (const auto& report : group.reports) {
                    callback(user, static_cast<int>(report.id), report.name.c_str(),
                             static_cast<int>(group.id), group.name.c_str());
                }
            }
        }
        return true;
    });
}

} // extern "C"
