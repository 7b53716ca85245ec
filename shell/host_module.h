// The platform layer of the binding: finding the host's module by file name
// and a function exported by that module by name.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "shell/host_table.h"

namespace tessarin::shell {

// Identifies an already loaded module of this process. Opaque to callers;
// valid only while that module stays loaded (the host's own module does,
// for as long as the plug-in is loaded).
struct HostModule {
    bool found = false;
    // Windows: the module handle (HMODULE).
    const void* handle = nullptr;
    // POSIX: the path under which the loader knows the object (empty for the
    // main executable) and the address ranges of its loaded segments, so that
    // a symbol can be checked to lie in this very object.
    std::string path;
    bool isMainProgram = false;
    std::vector<std::pair<std::uintptr_t, std::uintptr_t>> segments;

    explicit operator bool() const { return found; }
};

// The already loaded module whose file name is fileName ("Zevkalon.exe"),
// or an empty HostModule when there is none. Neither loads the module nor
// keeps a reference to it.
//
// Windows: GetModuleHandleA(fileName). POSIX: a loaded object (the main
// executable included) whose file name equals fileName, or fileName without
// its ".exe" suffix, ignoring case; the first such object in load order.
HostModule findLoadedModule(const char* fileName);

// The address of the function that module itself exports under name, null
// when it exports none (on POSIX a definition found in another object, for
// instance one of the module's dependencies, does not count).
HostFunctionAddress findExportedFunction(const HostModule& module, const char* name);

}  // namespace tessarin::shell
