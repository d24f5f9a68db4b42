// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// vondrel-template: the template author's tool. Exit status 0 on success, 1 when the input is bad or
// the check finds errors, 2 for a wrong command line.
#include "app/template/RenderCommand.h"
#include "app/template/TemplateCheck.h"
#include "controls/sheet/CllFile.h"
#include "controls/sheet/SheetDump.h"
#include "controls/sheet/SheetXlsx.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "用法：\n"
    "  vondrel-template import 模板.xlsx -o 模板.cll   从 .xlsx 工作簿生成模板\n"
    "  vondrel-template export 模板.cll -o 模板.xlsx   把模板导出为 .xlsx 以便编辑\n"
    "  vondrel-template check 模板.cll|模板.xlsx        检查模板的标记、字段行和合计标志行\n"
    "  vondrel-template dump 模板.cll|模板.xlsx        以文本列出模板的全部内容\n"
    "  vondrel-template render 模板.cll 输出.pdf|输出.png [--page 页号] [--dpi 分辨率]\n"
    "                                                 按打印效果输出全部页（PDF）或一页（PNG，默认第 1 "
    "页、150 dpi）\n";

int Usage(const std::string& problem) {
    std::fprintf(stderr, "vondrel-template：%s\n%s", problem.c_str(), kUsage);
    return 2;
}

int Fail(const sheet::LoadError& error) {
    std::fprintf(stderr, "vondrel-template：%s\n", error.ToString().c_str());
    return 1;
}

bool EndsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Reads a .cll, or an .xlsx when the name says so; `dropped` names what the import could not keep.
bool Load(const std::string& path, sheet::SheetDocument& doc, sheet::LoadError& error,
          std::vector<std::string>& dropped) {
    if (EndsWith(path, ".xlsx")) {
        return sheet::ImportXlsx(path, doc, error, &dropped);
    }
    return sheet::ReadCllFile(path, doc, error);
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        return Usage("缺少命令");
    }
    const std::string& command = args[0];
    if (command == "help" || command == "--help" || command == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "import" || command == "export") {
        if (args.size() != 4 || args[2] != "-o") {
            return Usage(command + " 需要一个输入文件和“-o 输出文件”");
        }
        sheet::SheetDocument doc;
        sheet::LoadError error;
        if (command == "import") {
            std::vector<std::string> dropped;
            if (!sheet::ImportXlsx(args[1], doc, error, &dropped)) {
                return Fail(error);
            }
            if (!sheet::WriteCllFile(doc, args[3], error)) {
                return Fail(error);
            }
            for (const std::string& line : dropped) {
                std::fprintf(stderr, "警告：%s\n", line.c_str());
            }
        } else {
            if (!sheet::ReadCllFile(args[1], doc, error)) {
                return Fail(error);
            }
            if (!sheet::ExportXlsx(doc, args[3], error)) {
                return Fail(error);
            }
        }
        std::printf("已写入 %s：%d 列 × %d 行\n", args[3].c_str(), doc.SheetColCount(), doc.SheetRowCount());
        return 0;
    }
    if (command == "render") {
        return tmpl::RunRender(std::vector<std::string>(args.begin() + 1, args.end()), argv[0]);
    }
    if (command == "check" || command == "dump") {
        if (args.size() != 2) {
            return Usage(command + " 需要一个模板文件");
        }
        sheet::SheetDocument doc;
        sheet::LoadError error;
        std::vector<std::string> dropped;
        if (!Load(args[1], doc, error, dropped)) {
            return Fail(error);
        }
        if (command == "dump") {
            std::fputs(sheet::DumpSheet(doc).c_str(), stdout);
            return 0;
        }
        tmpl::CheckResult result = tmpl::CheckTemplate(doc);
        for (std::string& line : dropped) {
            result.findings.push_back({false, std::move(line)});
        }
        std::printf("%s：\n%s", args[1].c_str(), tmpl::FormatCheck(result).c_str());
        return result.Errors() > 0 ? 1 : 0;
    }
    return Usage(std::string("未知的命令“") + command + "”");
}
