// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The fuzz targets' invariants over their seeds and over inputs a fuzzer once found (fuzz/seeds/),
// so every test run re-checks them without clang; ./dev fuzz searches for new ones.
#include "DrillTarget.h"
#include "FormatTarget.h"
#include "LoginTarget.h"
#include "XlsTarget.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

namespace {

using Target = int (*)(const std::uint8_t*, std::size_t);

int RunSeeds(const std::string& folder, Target target) {
    int seeds = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(VONDREL_SOURCE_DIR) + "/fuzz/seeds/" + folder)) {
        const std::string bytes = sheet::fuzz::ReadWhole(entry.path().string());
        SCOPED_TRACE(entry.path().string());
        target(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        ++seeds;
    }
    return seeds;
}

TEST(FuzzSeedReplayTest, EveryTargetHoldsOnItsSeeds) {
    const struct {
        const char* folder;
        Target target;
    } targets[] = {
        {"format", vb::fuzz::FuzzDisplayFormat},
        {"login", QV_GridPrint::fuzz::FuzzLoginList},
        {"drill", QV_GridPrint::fuzz::FuzzDrillItems},
        {"xls", sheet::fuzz::FuzzXlsWriter},
    };
    for (const auto& t : targets) {
        SCOPED_TRACE(t.folder);
        EXPECT_GT(RunSeeds(t.folder, t.target), 0);
    }
}

// The independent compound-file reader must itself refuse what is not a whole file, or the xls
// target's check could pass a broken export.
TEST(FuzzSeedReplayTest, CompoundReaderRefusesBrokenFiles) {
    sheet::SheetDocument doc;
    doc.Resize(3, 3);
    doc.SetCellText(0, 0, "表头");
    const std::string path = std::filesystem::temp_directory_path() / "vondrel-security-check.xls";
    ASSERT_TRUE(doc.ExportExcel(path)) << doc.LastError().message;
    const std::string file = sheet::fuzz::ReadWhole(path);
    std::filesystem::remove(path);
    std::string stream, error;
    ASSERT_TRUE(sheet::fuzz::ReadCompoundStream(file, u"Workbook", stream, error)) << error;
    ASSERT_TRUE(sheet::fuzz::CheckBiffStream(stream, 2, error)) << error;
    EXPECT_FALSE(
        sheet::fuzz::ReadCompoundStream(file.substr(0, file.size() - 512), u"Workbook", stream, error));
    EXPECT_FALSE(sheet::fuzz::ReadCompoundStream(file, u"Book", stream, error));
    EXPECT_FALSE(sheet::fuzz::CheckBiffStream(stream.substr(0, stream.size() - 2), 2, error));
    EXPECT_FALSE(sheet::fuzz::CheckBiffStream(stream, 3, error));
}

} // namespace
