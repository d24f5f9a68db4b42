// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "ui/qt/QtServices.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace vondrel::test {

// The application of a Qt test binary, made before the first test and destroyed after the last one,
// while the process's other objects are still alive. Left to static destruction, it outlives the input
// devices that mouse and key events registered and the process crashes on its way out.
class QtTestApplication final : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "vondrel-test";
        static char* argv[] = {name, nullptr};
        m_application = new QApplication(argc, argv);
        ui::qt::EnsureApplication(); // translations and CJK font names on this application
    }
    void TearDown() override {
        delete m_application;
        m_application = nullptr;
    }

private:
    QApplication* m_application = nullptr;
};

inline ::testing::Environment* const kQtTestApplication =
    ::testing::AddGlobalTestEnvironment(new QtTestApplication);

} // namespace vondrel::test
