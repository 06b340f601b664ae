// Module definitions, file bindings and loaded modules of the simulated machine.
#include "platform/sim/ModuleTable.h"

#include <algorithm>
#include <cctype>

#include "platform/sim/SamePath.h"

namespace qm::sim {

namespace {

constexpr std::string_view kMagic = "QMSIMDLL:";

}  // namespace

SimModule& SimModule::OnLoad(std::function<bool()> hook) {
    onLoad_ = std::move(hook);
    return *this;
}

SimExport SimModule::Find(std::string_view name) const {
    auto it = exports_.find(name);
    return it == exports_.end() ? nullptr : it->second;
}

SimModule& ModuleTable::Define(const std::string& name) { return definitions_[name]; }

const SimModule* ModuleTable::Definition(std::string_view name) const {
    auto it = definitions_.find(name);
    return it == definitions_.end() ? nullptr : &it->second;
}

void ModuleTable::BindPath(std::string path, std::string name) {
    for (auto& [boundPath, boundName] : boundPaths_) {
        if (SamePath(boundPath, path)) {
            boundName = std::move(name);
            return;
        }
    }
    boundPaths_.emplace_back(std::move(path), std::move(name));
}

std::optional<std::string> ModuleTable::BoundName(std::string_view path) const {
    for (const auto& [boundPath, boundName] : boundPaths_)
        if (SamePath(boundPath, path)) return boundName;
    return std::nullopt;
}

std::string ModuleTable::ContentHeader(std::string_view name) {
    return std::string(kMagic) + std::string(name) + "\n";
}

std::optional<std::string> ModuleTable::NameFromContent(std::string_view bytes) {
    if (bytes.substr(0, kMagic.size()) != kMagic) return std::nullopt;
    bytes.remove_prefix(kMagic.size());
    const auto end = bytes.find('\n');
    if (end == std::string_view::npos || end == 0) return std::nullopt;
    return std::string(bytes.substr(0, end));
}

HMODULE ModuleTable::FindLoaded(std::string_view path) const {
    for (const auto& [handle, module] : loaded_)
        if (SamePath(module.path, path)) return handle;
    return 0;
}

HMODULE ModuleTable::Map(std::string path, std::string name) {
    const SimModule* definition = Definition(name);
    if (definition != nullptr && !definition->RunLoadHook()) return 0;
    const HMODULE handle = nextBase_;
    nextBase_ += 0x10000;
    loaded_[handle] = LoadedModule{handle, std::move(path), std::move(name), 1};
    return handle;
}

void ModuleTable::AddReference(HMODULE module) {
    auto it = loaded_.find(module);
    if (it != loaded_.end()) ++it->second.references;
}

bool ModuleTable::Free(HMODULE module) {
    auto it = loaded_.find(module);
    if (it == loaded_.end()) return false;
    if (--it->second.references == 0) loaded_.erase(it);
    return true;
}

const LoadedModule* ModuleTable::Loaded(HMODULE module) const {
    auto it = loaded_.find(module);
    return it == loaded_.end() ? nullptr : &it->second;
}

unsigned ModuleTable::References(std::string_view name) const {
    unsigned total = 0;
    for (const auto& [handle, module] : loaded_)
        if (module.name == name) total += module.references;
    return total;
}

bool ModuleTable::IsFileLoaded(std::string_view path) const { return FindLoaded(path) != 0; }

}  // namespace qm::sim
