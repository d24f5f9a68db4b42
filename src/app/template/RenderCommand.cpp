// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "app/template/RenderCommand.h"

#include "controls/sheet/CllFile.h"
#include "controls/sheet/qt/SheetPrinter.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include <QGuiApplication>

namespace tmpl {

namespace {

constexpr int kDefaultPngDpi = 150;

bool EndsWith(const std::string& s, const std::string& suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::optional<int> ParseInt(const std::string& text) {
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return std::stoi(text);
}

int Usage(const std::string& problem) {
    std::fprintf(stderr,
                 "vondrel-template：%s\n用法：vondrel-template render 模板.cll 输出.pdf|输出.png [--page "
                 "页号] [--dpi 分辨率]\n",
                 problem.c_str());
    return 2;
}

} // namespace

int RunRender(const std::vector<std::string>& args, const char* programName) {
    if (args.size() < 2) {
        return Usage("render 需要一个模板文件和一个输出文件");
    }
    const std::string& in = args[0];
    const std::string& out = args[1];
    const bool isPdf = EndsWith(out, ".pdf") || EndsWith(out, ".PDF");
    const bool isPng = EndsWith(out, ".png") || EndsWith(out, ".PNG");
    if (!isPdf && !isPng) {
        return Usage("输出文件的扩展名必须是 .pdf 或 .png");
    }
    int page = 1;
    int dpi = kDefaultPngDpi;
    for (std::size_t at = 2; at < args.size(); at += 2) {
        if (at + 1 >= args.size()) {
            return Usage(args[at] + " 后面缺少数值");
        }
        const std::optional<int> value = ParseInt(args[at + 1]);
        if (!value) {
            return Usage(args[at] + " 的值“" + args[at + 1] + "”不是正整数");
        }
        if (args[at] == "--page") {
            page = *value;
        } else if (args[at] == "--dpi") {
            dpi = *value;
        } else {
            return Usage("未知的选项“" + args[at] + "”");
        }
        if (isPdf) {
            return Usage(args[at] + " 只用于 PNG 输出；PDF 总是包含全部页");
        }
    }

    sheet::SheetDocument doc;
    sheet::LoadError loadError;
    if (!sheet::ReadCllFile(in, doc, loadError)) {
        std::fprintf(stderr, "vondrel-template：%s\n", loadError.ToString().c_str());
        return 1;
    }
    // Pagination needs no Qt: a page past the end is refused before any window system starts.
    const int pages = sheet::qt::PageCount(doc);
    if (isPng && (page < 1 || page > pages)) {
        std::fprintf(stderr, "vondrel-template：第%d页不存在：报表共%d页\n", page, pages);
        return 1;
    }
    // A template author's terminal may have no display: painting pages needs none.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr &&
        std::getenv("WAYLAND_DISPLAY") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    int argc = 1;
    char* argv[] = {const_cast<char*>(programName), nullptr};
    QGuiApplication app(argc, argv);

    std::string error;
    const bool ok =
        isPdf ? sheet::qt::ExportPdf(doc, out, error) : sheet::qt::RenderPagePng(doc, page, dpi, out, error);
    if (!ok) {
        std::fprintf(stderr, "vondrel-template：%s\n", error.c_str());
        return 1;
    }
    if (isPdf) {
        std::printf("已写入 %s：%d 页\n", out.c_str(), pages);
    } else {
        std::printf("已写入 %s：第 %d 页（共 %d 页），%d dpi\n", out.c_str(), page, pages, dpi);
    }
    return 0;
}

} // namespace tmpl
