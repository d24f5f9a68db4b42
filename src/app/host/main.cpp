// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// vondrel-host: a ready host for the report viewer. Opens a database, builds the login record from
// the command line and shows a report, or lists the catalogue.
#include "ado/Connection.h"
#include "ado/Recordset.h"
#include "catalogue/CatalogueSql.h"
#include "host/LoginRecord.h"
#include "host/clsGridPrint.h"
#include "ui/qt/QtServices.h"
#include "vb/Conversion.h"
#include "vb/Error.h"
#include "vb/Strings.h"
#include "viewer/qt/GridPrintWindow.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage = R"(用法：vondrel-host --db <数据库> (--list | --report <报表号>) [选项]

  --db <连接串>            SQLite 数据库文件路径，或 PostgreSQL 连接串（host=… dbname=… 或 postgresql://…）
  --list                   按报表类别列出目录中的报表
  --report <报表号>        显示报表（报表号为 qv_report 的 qid）
  --folder <目录>          报表模板和插件所在目录（默认：本程序所在目录）
  --login-fields <字段表>  登录记录的字段表，默认 "FUsername S20,FAcctName S40,Flogindate D,fuserid N"
  --login <字段>=<值>      登录记录字段的值，可重复，例如 --login FUsername=张三 --login fuserid=1
  --no-move                禁用记录导航按钮
)";

struct Options {
    std::string db;
    bool list = false;
    std::optional<long> report;
    std::string folder;
    std::string loginFields = "FUsername S20,FAcctName S40,Flogindate D,fuserid N";
    std::vector<std::pair<std::string, std::string>> loginValues;
    bool move = true;
};

[[noreturn]] void Fail(const std::string& message) {
    std::cerr << "vondrel-host：" << message << "\n\n" << kUsage;
    std::exit(2);
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
        } else if (arg == "--folder") {
            options.folder = next();
        } else if (arg == "--login-fields") {
            options.loginFields = next();
        } else if (arg == "--login") {
            const std::string value = next();
            const std::size_t equals = value.find('=');
            if (equals == std::string::npos || equals == 0) {
                Fail("--login 的格式是 字段=值：" + value);
            }
            options.loginValues.emplace_back(value.substr(0, equals), value.substr(equals + 1));
        } else if (arg == "--no-move") {
            options.move = false;
        } else if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            std::exit(0);
        } else {
            Fail("不认识的参数：" + arg);
        }
    }
    if (options.db.empty()) {
        Fail("需要 --db");
    }
    if (options.list == options.report.has_value()) {
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

std::string FieldText(const ado::Recordset& rs, const char* name) {
    const vb::Variant value = rs.Fields(name).Value();
    return value.IsNull() ? "(空)" : vb::CStr(value);
}

int ListCatalogue(const std::shared_ptr<ado::Connection>& cnn) {
    auto groups = ado::Recordset::Create();
    groups->Open(QV_GridPrint::catalogue::SelectAllGroups(), cnn);
    auto reports = ado::Recordset::Create();
    reports->Open(QV_GridPrint::catalogue::SelectAllReports(), cnn);
    std::map<std::string, std::vector<std::vector<std::string>>> byGroup;
    for (; !reports->IsEOF(); reports->MoveNext()) {
        byGroup[FieldText(*reports, "qrptgrpid")].push_back(
            {FieldText(*reports, "qid"), FieldText(*reports, "qrptname"), FieldText(*reports, "qfmtfilename"),
             FieldText(*reports, "qclsname")});
    }
    for (; !groups->IsEOF(); groups->MoveNext()) {
        const std::string id = FieldText(*groups, "qrptgrpid");
        std::cout << FieldText(*groups, "qrptgrpname") << "（类别 " << id << "）\n";
        const auto found = byGroup.find(id);
        if (found == byGroup.end()) {
            std::cout << "    （没有报表）\n";
            continue;
        }
        for (const auto& row : found->second) {
            std::cout << "    " << Pad(row[0], 4) << Pad(row[1], 16) << Pad(row[2], 22) << row[3] << "\n";
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const Options options = Parse(argc, argv);
    try {
        auto connection = ado::Connection::Create();
        connection->Open(options.db);
        if (options.list) {
            return ListCatalogue(connection);
        }
        auto services = std::make_shared<ui::qt::QtServices>(options.folder);
        ui::SetDefaultServices(services);
        QV_GridPrint::RegisterQtReportWindow();
        QV_GridPrint::clsGridPrint host(services);
        host.set_cnn(connection);
        if (!host.CreateRsLogin(options.loginFields)) {
            Fail("登录记录的字段表无效：" + options.loginFields);
        }
        for (const auto& [name, text] : options.loginValues) {
            QV_GridPrint::SetLoginFieldText(*host.rsLogin(), name, text);
        }
        host.let_MoveBotton(options.move);
        return host.ShowReportOfId(*options.report) ? 0 : 1;
    } catch (const vb::Error& error) {
        std::cerr << "vondrel-host：" << error.Description() << "\n";
        return 1;
    }
}
