// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "printsheet/TemplateFile.h"

#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Names as Windows hosts write them into their catalogues. Without the lookup "月报\销售.cll" and
// "销售汇总.CLL" named no file, and the window refused the report as "not found".
TEST(TemplateFile, WindowsNamesFindTheirFileAndNeverLeaveTheFolder) {
    const fs::path root = fs::temp_directory_path() / ("vondrel-template-file-" + std::to_string(getpid()));
    fs::remove_all(root);
    const fs::path folder = root / "app";
    fs::create_directories(folder / "月报");
    fs::create_directories(folder / "Sub");
    for (const fs::path& file :
         {folder / "销售汇总.cll", folder / "月报" / "销售.cll", folder / "Sub" / "Daily.cll",
          folder / "Both.cll", folder / "both.cll", root / "outside.cll"}) {
        std::ofstream(file) << "x";
    }
    struct Case {
        const char* name;
        const char* fmtFileName;
        fs::path expected; // "" : refused
    };
    const Case cases[] = {
        {"exact name", "销售汇总.cll", folder / "销售汇总.cll"},
        {"extension in capitals", "销售汇总.CLL", folder / "销售汇总.cll"},
        {"backslash as folder separator", "月报\\销售.cll", folder / "月报" / "销售.cll"},
        {"folder and file in another case", "SUB\\daily.CLL", folder / "Sub" / "Daily.cll"},
        {"dot parts and doubled separators", ".\\月报\\\\销售.cll", folder / "月报" / "销售.cll"},
        {"an exact match wins over a case match", "both.cll", folder / "both.cll"},
        {"several case matches: the first in name order", "BOTH.cll", folder / "Both.cll"},
        {"missing: the exact path, which fails to open", "无此文件.cll", folder / "无此文件.cll"},
        {"climbing out with a backslash", "..\\outside.cll", ""},
        {"climbing out further down", "月报\\..\\..\\outside.cll", ""},
        {"absolute with a backslash", "\\etc\\passwd", ""},
        {"absolute", "/etc/passwd", ""},
        {"a Windows drive", "C:\\报表\\x.cll", ""},
        {"empty", "", ""},
        {"only separators", "\\.\\", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(QV_GridPrint::TemplatePath(folder, c.fmtFileName), c.expected);
    }
    fs::remove_all(root);
}

} // namespace
