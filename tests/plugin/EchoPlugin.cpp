// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
//
// A plug-in library as a third party would build it: one exported registration function.
#include "plugin/PluginRegistry.h"

#include <stdexcept>

namespace {

class EchoReport final : public QV_GridPrint::IReport {
public:
    bool SetPara() override { return true; }
    std::string SetBindField() override { return "fcustomer"; }
    std::int16_t SetFixedCols() override { return 2; }
};

} // namespace

extern "C" __attribute__((visibility("default"))) void
vondrel_register_plugins(QV_GridPrint::PluginRegistrar& registry) {
    registry.Register("Vondrel.TestEcho", [] { return std::make_unique<EchoReport>(); });
    registry.Register("Vondrel.TestThrowing", []() -> std::unique_ptr<QV_GridPrint::IReport> {
        throw std::runtime_error("construction failed");
    });
}
