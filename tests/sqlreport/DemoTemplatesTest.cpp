// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// Each demo template is what the template tool makes of the workbook kept beside it, so an author
// who edits the workbook and imports it again changes nothing else.
#include "controls/sheet/CllFile.h"
#include "controls/sheet/SheetXlsx.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace {

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TEST(DemoTemplates, CommittedTemplatesAreTheImportsOfTheirWorkbooks) {
    const std::filesystem::path folder = std::filesystem::path(VONDREL_SOURCE_DIR) / "demo" / "templates";
    const std::filesystem::path out = std::filesystem::temp_directory_path() /
                                      ("vondrel-demo-templates-" + std::to_string(::getpid()) + ".cll");
    for (const char* name : {"销售汇总", "客户往来账", "月度销售", "收款明细"}) {
        SCOPED_TRACE(name);
        sheet::SheetDocument doc;
        sheet::LoadError error;
        ASSERT_TRUE(sheet::ImportXlsx((folder / (std::string(name) + ".xlsx")).string(), doc, error))
            << error.ToString();
        ASSERT_TRUE(sheet::WriteCllFile(doc, out.string(), error)) << error.ToString();
        EXPECT_EQ(ReadBytes(out), ReadBytes(folder / (std::string(name) + ".cll")))
            << "run: vondrel-template import demo/templates/" << name << ".xlsx -o demo/templates/" << name
            << ".cll";
    }
    std::filesystem::remove(out);
}

} // namespace
