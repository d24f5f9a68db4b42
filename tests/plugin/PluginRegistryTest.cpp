// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "plugin/PluginRegistry.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using QV_GridPrint::PluginRegistry;

// A plug-in folder holding a good library, one without the registration function, a file that only
// pretends to be a library and a non-library file that must be ignored.
class PluginFolder : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = std::filesystem::temp_directory_path() / ("vondrel-plugins-" + std::to_string(::getpid()));
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
        std::filesystem::copy_file(VONDREL_ECHO_PLUGIN, m_folder / "libecho.so");
        std::filesystem::copy_file(VONDREL_NO_REGISTRATION_PLUGIN, m_folder / "libstray.so");
        std::ofstream(m_folder / "libbroken.so") << "not a shared library";
        std::ofstream(m_folder / "README.txt") << "not a library at all";
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    std::filesystem::path m_folder;
};

TEST_F(PluginFolder, LoadsGoodLibrariesAndNamesTheOnesThatFail) {
    PluginRegistry registry;
    const auto failures = registry.LoadFolder(m_folder);
    ASSERT_EQ(failures.size(), 2U);
    EXPECT_EQ(failures[0].library, "libbroken.so");
    EXPECT_FALSE(failures[0].reason.empty());
    EXPECT_EQ(failures[1].library, "libstray.so");
    EXPECT_EQ(failures[1].reason, "缺少导出函数 vondrel_register_plugins");

    auto report = registry.Create("vondrel.testecho");
    ASSERT_NE(report, nullptr) << "ProgIDs match in any case";
    EXPECT_TRUE(report->SetPara());
    EXPECT_EQ(report->SetBindField(), "fcustomer");
    EXPECT_EQ(report->SetFixedCols(), 2);
    EXPECT_EQ(registry.Create("Vondrel.TestThrowing"), nullptr) << "a factory that throws gives no instance";

    EXPECT_TRUE(registry.LoadFolder(m_folder).size() == 1 &&
                registry.LoadFolder(m_folder)[0].library == "libbroken.so")
        << "loaded libraries are not loaded again; broken ones are reported again";
}

TEST(PluginRegistry, UnknownProgIdsAndMissingFolders) {
    PluginRegistry registry;
    EXPECT_EQ(registry.Create("Nobody.Report"), nullptr);
    EXPECT_TRUE(registry.LoadFolder("/nonexistent/plugins").empty());
    registry.Register("Local.Report", [] { return std::make_unique<QV_GridPrint::IReport>(); });
    EXPECT_TRUE(registry.Has("LOCAL.REPORT"));
    registry.Unregister("local.report");
    EXPECT_FALSE(registry.Has("Local.Report"));
    EXPECT_EQ(QV_GridPrint::NotRegisteredMessage("Vondrel.Nope"),
              "报表数据的生成类还没有注册，请先注册再运行程序！(Vondrel.Nope)");
}

} // namespace
