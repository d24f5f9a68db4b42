// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>
#include <memory>

namespace vondrel::test {

// The one Qt application object (QGuiApplication or QApplication) a test program's painting needs,
// made before the first test and gone after the last: tearing Qt down among the static destructors
// at exit crashes the process. Register it with ::testing::AddGlobalTestEnvironment.
template <class Application> class QtAppEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "vondrel-test";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<Application>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<Application> m_app;
};

} // namespace vondrel::test
