// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// vondrel-template as an author runs it: exit status and the first line it prints, for good and bad
// input alike.
#include "controls/sheet/SheetSamples.h"

#include <gtest/gtest.h>

namespace sheet {
namespace {

using test::Tool;
using test::ToolRun;

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

TEST(TemplateToolTest, ExitStatusAndMessages) {
    test::TempDir dir;
    const std::string demo = std::string(VONDREL_SOURCE_DIR) + "/demo/templates/";
    std::FILE* f = std::fopen(dir.File("no-end.cll").c_str(), "wb");
    std::fputs("vondrel-cll 1\nsheet 1 2\nwidths 72\nrows\n1\t\"start\"\nend\n", f);
    std::fclose(f);
    f = std::fopen(dir.File("fake.xlsx").c_str(), "wb");
    std::fputs("PK but not really", f);
    std::fclose(f);
    struct Case {
        const char* name;
        std::string args;
        int status;
        std::string firstLine;
    };
    const std::vector<Case> cases = {
        {"no command", "", 2, "vondrel-template：缺少命令"},
        {"unknown command", "convert a b", 2, "vondrel-template：未知的命令“convert”"},
        {"import without -o", "import a.xlsx b.cll", 2,
         "vondrel-template：import 需要一个输入文件和“-o 输出文件”"},
        {"import of a file that is no workbook",
         "import " + dir.File("fake.xlsx") + " -o " + dir.File("x.cll"), 1,
         "vondrel-template：" + dir.File("fake.xlsx") +
             ": 不是 .xlsx 工作簿（不是有效的 zip 压缩包） (not-xlsx)"},
        {"check of a missing file", "check " + dir.File("none.cll"), 1,
         "vondrel-template：" + dir.File("none.cll") + ": 无法打开文件 (cannot-open)"},
        {"check of a template without end", "check " + dir.File("no-end.cll"), 1,
         dir.File("no-end.cll") + "："},
        {"import of the demo workbook", "import " + demo + "销售日报.xlsx -o " + dir.File("d.cll"), 0,
         "已写入 " + dir.File("d.cll") + "：8 列 × 13 行"},
        {"check of the demo template", "check " + demo + "销售日报.cll", 0, demo + "销售日报.cll："},
        {"export of the demo template", "export " + demo + "销售日报.cll -o " + dir.File("d.xlsx"), 0,
         "已写入 " + dir.File("d.xlsx") + "：8 列 × 13 行"},
        {"export into a missing folder", "export " + demo + "销售日报.cll -o " + dir.File("none/d.xlsx"), 1,
         "vondrel-template：" + dir.File("none/d.xlsx") + ": 无法创建文件“" + dir.File("none/d.xlsx") +
             "”：文件夹不存在 (cannot-create)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ToolRun run = Tool(dir, c.args);
        EXPECT_EQ(run.status, c.status) << run.output;
        EXPECT_EQ(FirstLine(run.output), c.firstLine);
    }
    // The check names what is missing, in plain words, and ends with the count.
    const ToolRun noEnd = Tool(dir, "check " + dir.File("no-end.cll"));
    EXPECT_NE(noEnd.output.find("错误：没有找到“end”标记"), std::string::npos) << noEnd.output;
    EXPECT_NE(noEnd.output.find("发现 1 个错误、0 个警告。"), std::string::npos) << noEnd.output;
    EXPECT_EQ(test::ReadFile(dir.File("d.cll")), test::ReadFile(demo + "销售日报.cll"));
}

// A sheet as large as the formats allow, holding two cells: the cost follows the cells, not the declared
// size. Without that, import asked the style of each of 17 billion cells (337 s), dump and the page
// fields did the same. The time limit only stops a run that walks the extent; it measures nothing.
TEST(TemplateToolTest, MaximalExtentCostsWhatItHolds) {
    test::TempDir dir;
    bool ok = false;
    const std::string out = test::RunPython(dir, R"py(
import sys
from openpyxl import Workbook
wb = Workbook()
ws = wb.active
ws["A1"] = "最大的表"
ws.cell(row=1048576, column=16384, value=1)
wb.save(sys.argv[1])
)py",
                                            dir.File("max.xlsx"), ok);
    ASSERT_TRUE(ok) << out;
    struct Case {
        const char* name;
        std::string args;
        int status;
    };
    const std::vector<Case> cases = {
        {"import", "import " + dir.File("max.xlsx") + " -o " + dir.File("max.cll"), 0},
        {"dump", "dump " + dir.File("max.cll"), 0},
        {"check (no markers: an error, found at once)", "check " + dir.File("max.cll"), 1},
        {"export", "export " + dir.File("max.cll") + " -o " + dir.File("back.xlsx"), 0},
        {"render the first page", "render " + dir.File("max.cll") + " " + dir.File("max.png") + " --dpi 30",
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ToolRun run = Tool(dir, "--timeout-guard " + c.args);
        EXPECT_EQ(run.status, c.status) << run.output;
    }
    EXPECT_NE(test::ReadFile(dir.File("max.cll")).find("sheet 16384 1048576\n"), std::string::npos);
}

} // namespace
} // namespace sheet
