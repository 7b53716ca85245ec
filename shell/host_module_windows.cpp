// Finding the host module on Windows: the kernel finds loaded modules by file
// name and their exports by name.
#if defined(_WIN32)

#include <windows.h>

#include "shell/host_module.h"

namespace tessarin::shell {

HostModule findLoadedModule(const char* fileName) {
    HostModule module;
    // GetModuleHandleA neither loads the module nor adds a reference to it.
    const HMODULE handle = GetModuleHandleA(fileName);
    if (handle != nullptr) {
        module.found = true;
        module.handle = handle;
    }
    return module;
}

HostFunctionAddress findExportedFunction(const HostModule& module, const char* name) {
    if (!module) return nullptr;
    const FARPROC address =
        GetProcAddress(static_cast<HMODULE>(const_cast<void*>(module.handle)), name);
    // void (*)() is the one function pointer type that any other converts to
    // without a cast-function-type warning.
    return reinterpret_cast<HostFunctionAddress>(reinterpret_cast<void (*)()>(address));
}

}  // namespace tessarin::shell

#endif  // _WIN32
