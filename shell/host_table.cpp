// The host function table and its binding.
#include "shell/host_table.h"

#include "shell/host_functions.h"
#include "shell/host_module.h"

namespace tessarin::shell {
namespace {

constexpr const char* kHostModuleNames[] = {"Zevkalon.exe", "Zevkar.exe"};

constexpr const char* kHostFunctionNames[kHostFunctionCount] = {
#define ZK_NAME_TEXT(name) #name,
    ZK_ALL_HOST_FUNCTION_NAMES(ZK_NAME_TEXT)
#undef ZK_NAME_TEXT
};

// Constant-initialised (all null) before any code of the library runs, so
// nothing depends on the order of static construction.
HostFunctionAddress hostFunctionTable[kHostFunctionCount] = {};
bool lastBindingSucceeded = false;

}  // namespace

const char* hostFunctionName(std::size_t index) { return kHostFunctionNames[index]; }

HostFunctionAddress hostFunctionAddress(std::size_t index) { return hostFunctionTable[index]; }

}  // namespace tessarin::shell

using tessarin::shell::HostFunctionId;
using tessarin::shell::HostModule;

bool bindHostFunctions() {
    using namespace tessarin::shell;
    lastBindingSucceeded = false;
    HostModule module;
    for (const char* moduleName : kHostModuleNames) {
        module = findLoadedModule(moduleName);
        if (module) break;
    }
    if (!module) return false;

    constexpr auto version = static_cast<std::size_t>(HostFunctionId::zkGetVersionOfZevkalon);
    hostFunctionTable[version] = findExportedFunction(module, kHostFunctionNames[version]);
    if (hostFunctionTable[version] == nullptr) return false;

    // A host that lacks one of the others is still accepted; its entry holds
    // null and its forwarder refuses to call through it.
    for (std::size_t i = 0; i < kHostFunctionCount; ++i) {
        if (i == version) continue;
        hostFunctionTable[i] = findExportedFunction(module, kHostFunctionNames[i]);
    }
    lastBindingSucceeded = true;
    return true;
}

bool hostFunctionsBound() { return tessarin::shell::lastBindingSucceeded; }
