// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#include "plugin/PluginRegistry.h"

#include "vb/Strings.h"

#include <algorithm>
#include <dlfcn.h>

namespace QV_GridPrint {

PluginRegistry& PluginRegistry::Instance() {
    static PluginRegistry registry;
    return registry;
}

void PluginRegistry::Register(const std::string& progId, ReportFactory factory) {
    if (!factory) {
        m_factories[vb::LCase(progId)] = nullptr;
        return;
    }
    m_factories[vb::LCase(progId)] = [plain = std::move(factory)](const PluginContext&) {
        return plain();
    };
}

void PluginRegistry::RegisterWithContext(const std::string& progId, ContextReportFactory factory) {
    m_factories[vb::LCase(progId)] = std::move(factory);
}

void PluginRegistry::Unregister(const std::string& progId) {
    m_factories.erase(vb::LCase(progId));
}

bool PluginRegistry::Has(std::string_view progId) const {
    return m_factories.count(vb::LCase(progId)) != 0;
}

std::unique_ptr<IReport> PluginRegistry::Create(std::string_view progId, const PluginContext& context) const {
    const auto found = m_factories.find(vb::LCase(progId));
    if (found == m_factories.end() || !found->second) {
        return nullptr;
    }
    try {
        return found->second(context);
    } catch (...) {
        // A plug-in that cannot be constructed is, to the user, a plug-in that is not there.
        return nullptr;
    }
}

std::vector<PluginRegistry::LoadFailure> PluginRegistry::LoadFolder(const std::filesystem::path& folder) {
    std::vector<LoadFailure> failures;
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        return failures;
    }
    std::vector<std::filesystem::path> libraries;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".so" && entry.is_regular_file(error)) {
            libraries.push_back(entry.path());
        }
    }
    // A stable order, so that of two libraries registering the same ProgID the same one always wins.
    std::sort(libraries.begin(), libraries.end());
    for (const std::filesystem::path& library : libraries) {
        const std::filesystem::path canonical = std::filesystem::weakly_canonical(library, error);
        if (std::find(m_loaded.begin(), m_loaded.end(), canonical) != m_loaded.end()) {
            continue;
        }
        const std::string name = library.filename().string();
        // Libraries stay loaded for the life of the process: plug-in objects and their code may be in use.
        void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* reason = dlerror();
            failures.push_back({name, reason ? reason : "无法加载"});
            continue;
        }
        m_loaded.push_back(canonical);
        auto* registerPlugins = reinterpret_cast<RegisterFunction>(dlsym(handle, kRegisterSymbol));
        if (!registerPlugins) {
            failures.push_back({name, std::string("缺少导出函数 ") + kRegisterSymbol});
            continue;
        }
        try {
            registerPlugins(*this);
        } catch (const std::exception& exception) {
            failures.push_back({name, exception.what()});
        } catch (...) {
            failures.push_back({name, "注册函数出错"});
        }
    }
    return failures;
}

std::string NotRegisteredMessage(std::string_view progId) {
    return "报表数据的生成类还没有注册，请先注册再运行程序！(" + std::string(progId) + ")";
}

} // namespace QV_GridPrint
