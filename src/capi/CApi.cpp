// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "capi/vondrel.h"
#include "host/LoginRecord.h"
#include "host/clsGridPrint.h"
#include "ui/Services.h"
#include "ui/qt/QtServices.h"
#include "vb/Error.h"
#include "viewer/qt/GridPrintWindow.h"

#include <climits>
#include <cstdint>
#include <memory>
#include <string>

namespace {

// Messages go to the host's handler when it set one; everything else (and messages without a
// handler) to the real window system, which is started only when first needed, so a host that
// handles messages itself never needs a display for them.
class HostServices final : public ui::Services {
public:
    ui::Answer ShowMessage(const ui::Message& message) override {
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
    std::filesystem::path ApplicationFolder() const override {
        return m_folder.empty() ? Qt().ApplicationFolder() : m_folder;
    }
    ui::OutputOutcome PrintSheet(const sheet::SheetDocument& doc) override { return Qt().PrintSheet(doc); }
    ui::OutputOutcome PreviewSheet(const sheet::SheetDocument& doc) override {
        return Qt().PreviewSheet(doc);
    }
    ui::OutputOutcome PageSetupDialog(sheet::SheetDocument& doc) override {
        return Qt().PageSetupDialog(doc);
    }

    void SetHandler(vondrel_message_handler handler, void* user) {
        m_handler = handler;
        m_user = user;
    }
    void SetFolder(std::filesystem::path folder) { m_folder = std::move(folder); }

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
            m_qt = std::make_unique<ui::qt::QtServices>(m_folder);
        }
        return *m_qt;
    }

    vondrel_message_handler m_handler = nullptr;
    void* m_user = nullptr;
    std::filesystem::path m_folder;
    mutable std::unique_ptr<ui::qt::QtServices> m_qt;
};

} // namespace

struct vondrel_host {
    std::shared_ptr<HostServices> services = std::make_shared<HostServices>();
    QV_GridPrint::clsGridPrint object{services};
    std::string lastError;
};

namespace {

// Runs one call of the C interface: no exception may cross into a C caller.
template <class F> int Guard(vondrel_host* host, F body) {
    if (!host) {
        return -1;
    }
    host->lastError.clear();
    try {
        return body() ? 1 : 0;
    } catch (const vb::Error& error) {
        host->lastError = error.Description();
    } catch (const std::exception& error) {
        host->lastError = error.what();
    }
    return -1;
}

} // namespace

extern "C" {

vondrel_host* vondrel_host_create(void) {
    try {
        QV_GridPrint::RegisterQtReportWindow();
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
        connection->Open(connection_string ? connection_string : "");
        host->object.set_cnn(connection);
        return true;
    });
}

int vondrel_host_create_login(vondrel_host* host, const char* field_list) {
    return Guard(host, [&] { return host->object.CreateRsLogin(field_list ? field_list : ""); });
}

int vondrel_host_set_login_field(vondrel_host* host, const char* name, const char* value) {
    return Guard(host, [&] {
        QV_GridPrint::SetLoginFieldText(*host->object.rsLogin(), name ? name : "", value ? value : "");
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
        host->services->SetFolder(folder ? folder : "");
        return true;
    });
}

void vondrel_host_set_message_handler(vondrel_host* host, vondrel_message_handler handler, void* user) {
    if (host) {
        host->services->SetHandler(handler, user);
    }
}

int vondrel_host_show_report(vondrel_host* host, int report_id) {
    return Guard(host, [&] { return host->object.ShowReportOfId(report_id); });
}

} // extern "C"
