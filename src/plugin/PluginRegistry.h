// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include "plugin/IReport.h"
#include "plugin/PluginContext.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace QV_GridPrint {

using ReportFactory = std::function<std::unique_ptr<IReport>()>;
// A factory given what the instance is made for: the host object and the host's prompt.
using ContextReportFactory = std::function<std::unique_ptr<IReport>(const PluginContext& context)>;

// What a plug-in library sees of the registry. Only virtual calls cross into the library, so it needs
// no symbol of the process that loads it to register its plug-ins.
class PluginRegistrar {
public:
    virtual ~PluginRegistrar() = default;
    // Adds or replaces the factory of a ProgID.
    virtual void Register(const std::string& progId, ReportFactory factory) = 0;
    // Adds or replaces the factory of a ProgID with one that is given the plug-in's context. Declared
    // after Register, so libraries built before it existed still find Register where they expect it.
    virtual void RegisterWithContext(const std::string& progId, ContextReportFactory factory) = 0;
};

// Report plug-ins by ProgID. A catalogue names a report's plug-in class by ProgID (qclsname); the
// report window asks the registry for a fresh instance each time it sets a report up. ProgIDs are
// matched without regard to case, as hosts have always written them both ways.
class PluginRegistry final : public PluginRegistrar {
public:
    // The registry of the process: built-in plug-ins register here, plug-in libraries too.
    static PluginRegistry& Instance();

    void Register(const std::string& progId, ReportFactory factory) override;
    void RegisterWithContext(const std::string& progId, ContextReportFactory factory) override;
    void Unregister(const std::string& progId);
    bool Has(std::string_view progId) const;
    // A new instance, or nullptr when no factory is registered or the factory gave none (or threw).
    std::unique_ptr<IReport> Create(std::string_view progId, const PluginContext& context = {}) const;

    struct LoadFailure {
        std::string library; // file name
        std::string reason;  // the loader's own message
    };
    // Loads every shared library (*.so) of `folder` that has not been loaded yet and calls its
    // registration function (kRegisterSymbol). A library that cannot be loaded, or lacks the function,
    // or whose function throws, is returned with the reason; nothing crashes. A missing folder is no
    // failure (there are simply no plug-in libraries).
    std::vector<LoadFailure> LoadFolder(const std::filesystem::path& folder);

private:
    std::map<std::string, ContextReportFactory> m_factories; // key: ProgID in lower case
    std::vector<std::filesystem::path> m_loaded;
};

// The function every plug-in library exports, with C linkage:
//   extern "C" void vondrel_register_plugins(QV_GridPrint::PluginRegistrar& registrar);
inline constexpr const char* kRegisterSymbol = "vondrel_register_plugins";
using RegisterFunction = void (*)(PluginRegistrar&);

// "报表数据的生成类还没有注册，请先注册再运行程序！(" + progId + ")"
std::string NotRegisteredMessage(std::string_view progId);

} // namespace QV_GridPrint
