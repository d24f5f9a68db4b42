// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "ui/Services.h"

#include <stdexcept>

namespace ui {
namespace {

std::shared_ptr<Services>& DefaultSlot() {
    static std::shared_ptr<Services> services;
    return services;
}

} // namespace

std::shared_ptr<Services> DefaultServicesPtr() {
    return DefaultSlot();
}

Services& DefaultServices() {
    const std::shared_ptr<Services>& services = DefaultSlot();
    if (!services) {
        // A programming error of the embedding layer, not something a user can cause.
        throw std::logic_error("no window-system services set (ui::SetDefaultServices was never called)");
    }
    return *services;
}

void SetDefaultServices(std::shared_ptr<Services> services) {
    DefaultSlot() = std::move(services);
}

} // namespace ui
