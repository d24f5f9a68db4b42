// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>

namespace QV_GridPrint {

class clsGridPrint;

// The report window as the host object drives it. The window lives in a layer above the host
// object, so it is reached through this interface and a factory each host object is given.
class ReportWindow {
public:
    virtual ~ReportWindow() = default;
    // pGPrint: the host object whose definition the window shows; set before the window loads.
    virtual void SetHost(clsGridPrint& host) = 0;
    // Loads the window and runs it modally; returns when the user has closed it.
    virtual void ShowModal() = 0;
};

using ReportWindowFactory = std::function<std::unique_ptr<ReportWindow>()>;

} // namespace QV_GridPrint
