// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// The tests of this program paint with Qt, which needs one application object for the whole run. It
// goes before static destruction: tearing Qt down among the static destructors crashes the process.
#include <gtest/gtest.h>
#include <memory>

#include <QGuiApplication>

namespace {

class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_controls_sheet_qt";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QGuiApplication> m_app;
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

} // namespace
