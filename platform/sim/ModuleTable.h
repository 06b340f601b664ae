// The modules (DLLs) of the simulated machine: what a test defines a module to
// be, which files are which module, and what the program has loaded.
//
// A module is a set of exported functions, real functions of the test
// program, and an optional load hook standing for the module's start-up code.
// A file is a module either because its path is bound to one, or by its
// content: a file whose bytes start with ContentHeader(name) is the module
// defined under that name wherever it lies, so a module carried by a script
// and extracted under a random name still loads.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/WinTypes.h"

namespace qm::sim {

#ifndef ERROR_DLL_INIT_FAILED
// LoadLibraryA's error when the module's start-up code refuses the load.
inline constexpr DWORD ERROR_DLL_INIT_FAILED = 1114;
#endif

// An exported function as stored; callers cast it back to its real type,
// e.g. reinterpret_cast<HRESULT (QM_STDCALL*)()>(address) for DllRegisterServer.
using SimExport = void (*)();

class SimModule {
public:
    // Adds (or replaces) the export `name`, any function of the test program.
    template <typename Function>
    SimModule& Export(std::string name, Function* function) {
        static_assert(std::is_function_v<Function>, "exports are functions");
        exports_[std::move(name)] = reinterpret_cast<SimExport>(function);
        return *this;
    }
    // Runs whenever the module is mapped (its first load, or a load after it
    // was freed completely), like DllMain; returning false refuses the load.
    SimModule& OnLoad(std::function<bool()> hook);
    // A 32-bit or a 64-bit module, which only programs of its own bitness can
    // load on a 64-bit machine; 0 (the default) loads into any program.
    SimModule& Bits(int bits) {
        bits_ = bits;
        return *this;
    }
    int bits() const { return bits_; }

    // The export of that exact name (case matters, as on Windows), or null.
    SimExport Find(std::string_view name) const;
    bool RunLoadHook() const { return !onLoad_ || onLoad_(); }

private:
    std::map<std::string, SimExport, std::less<>> exports_;
    std::function<bool()> onLoad_;
    int bits_ = 0;
};

// One module mapped into the simulated program.
struct LoadedModule {
    HMODULE handle = 0;
    std::string path;  // the file it was loaded from, full path
    std::string name;  // the definition it is
    unsigned references = 0;
};

class ModuleTable {
public:
    // The module defined under `name`, created empty on first use.
    SimModule& Define(const std::string& name);
    const SimModule* Definition(std::string_view name) const;

    // The file at `path` is the module defined under `name` (the file itself
    // must still exist on the simulated disk to be loaded).
    void BindPath(std::string path, std::string name);
    // The name bound to this path (compared ignoring case, "/" as "\"), if any.
    std::optional<std::string> BoundName(std::string_view path) const;

    // The bytes a file starts with to be the module defined under `name`.
    static std::string ContentHeader(std::string_view name);
    // The module name that a file's first bytes declare, if they do.
    static std::optional<std::string> NameFromContent(std::string_view bytes);
    // How many leading bytes of a file NameFromContent needs at most.
    static constexpr std::size_t kHeaderReadSize = 9 + MAX_PATH + 1;

    // ---- Loaded modules ----
    // The handle of the module already loaded from this path, or 0.
    HMODULE FindLoaded(std::string_view path) const;
    // Maps the file at `path` as module `name`, running its load hook; gives
    // 0 when the hook refuses. Does not look for an earlier load (FindLoaded).
    HMODULE Map(std::string path, std::string name);
    // Counts one more load of a module already mapped.
    void AddReference(HMODULE module);
    // Drops one reference and unmaps at the last; false for a handle that is
    // not loaded.
    bool Free(HMODULE module);
    const LoadedModule* Loaded(HMODULE module) const;

    std::size_t loadedCount() const { return loaded_.size(); }
    // References held on all loads of the module defined under `name`.
    unsigned References(std::string_view name) const;
    // Whether a loaded module was loaded from this file.
    bool IsFileLoaded(std::string_view path) const;

private:
    std::map<std::string, SimModule, std::less<>> definitions_;
    std::vector<std::pair<std::string, std::string>> boundPaths_;  // path, name
    std::map<HMODULE, LoadedModule> loaded_;
    HMODULE nextBase_ = 0x10000000;  // like image bases; never reused
};

}  // namespace qm::sim
