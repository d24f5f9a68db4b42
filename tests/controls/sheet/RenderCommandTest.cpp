// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// vondrel-template render as a template author runs it, on the demo template: the files it writes
// read back with poppler and QImage, and its answers to bad command lines.
#include "controls/sheet/SheetSamples.h"
#include "support/Shell.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>

#include <QImage>

namespace sheet {
namespace {

using test::ToolRun;

ToolRun Render(const test::TempDir& dir, const std::string& args) {
    return test::Tool(dir, "render " + args);
}

TEST(RenderCommandTest, WritesWhatThePrintLooksLike) {
    test::TempDir dir;
    const std::string demo = std::string(VONDREL_SOURCE_DIR) + "/demo/templates/销售日报.cll";
    const std::string pdf = dir.File("日报.pdf");
    ToolRun run = Render(dir, demo + " " + pdf);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("已写入 " + pdf + "：1 页"), std::string::npos) << run.output;
    const std::string text = vondrel::test::RunCommand("pdftotext '" + pdf + "' - 2>/dev/null");
    for (const char* shown : {"销售日报", "客户与商品", "数量与金额", "第1页共1页", "Qovira有限公司"}) {
        EXPECT_NE(text.find(shown), std::string::npos) << shown << "\n" << text;
    }

    const std::string png = dir.File("日报.png");
    run = Render(dir, demo + " " + png + " --dpi 50");
    ASSERT_EQ(run.status, 0) << run.output;
    const QImage image(QString::fromStdString(png));
    // The demo prints on A4 landscape: 297 x 210 mm at 50 dpi.
    EXPECT_EQ(image.width(), 585);
    EXPECT_EQ(image.height(), 413);
}

TEST(RenderCommandTest, BadCommandLines) {
    test::TempDir dir;
    const std::string demo = std::string(VONDREL_SOURCE_DIR) + "/demo/templates/销售日报.cll";
    struct Case {
        const char* name;
        std::string args;
        int status;
        std::string firstLine;
    };
    const Case cases[] = {
        {"no output", demo, 2, "vondrel-template：render 需要一个模板文件和一个输出文件"},
        {"unknown output type", demo + " out.jpg", 2,
         "vondrel-template：输出文件的扩展名必须是 .pdf 或 .png"},
        {"page that is no number", demo + " out.png --page x", 2,
         "vondrel-template：--page 的值“x”不是正整数"},
        {"option without value", demo + " out.png --dpi", 2, "vondrel-template：--dpi 后面缺少数值"},
        {"page options for a PDF", demo + " out.pdf --page 2", 2,
         "vondrel-template：--page 只用于 PNG 输出；PDF 总是包含全部页"},
        {"page past the end", demo + " " + dir.File("p.png") + " --page 2", 1,
         "vondrel-template：第2页不存在：报表共1页"},
        {"missing template", dir.File("none.cll") + " " + dir.File("n.pdf"), 1,
         "vondrel-template：" + dir.File("none.cll") + ": 无法打开文件 (cannot-open)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ToolRun run = Render(dir, c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.output.substr(0, run.output.find('\n')), c.firstLine);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("p.png")));
}

} // namespace
} // namespace sheet
