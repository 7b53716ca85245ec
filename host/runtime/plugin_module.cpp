#include "host/runtime/plugin_module.h"

#include <iostream>
#include <memory>
#include <vector>

#include "host/host_error.h"

#if defined(_WIN32)
#include <windows.h>

#include "host/runtime/msvc_plugin_calls.h"
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace zevkalon {

std::string executableDirectory() {
    std::string path;
#if defined(_WIN32)
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::string();
        if (length < buffer.size()) {
            path.assign(buffer.data(), length);
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    const std::size_t slash = path.find_last_of("\\/");
#else
    std::vector<char> buffer(4096);
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) return std::string();
    path.assign(buffer.data(), static_cast<std::size_t>(length));
    const std::size_t slash = path.rfind('/');
#endif
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string defaultPluginPath() {
#if defined(_WIN32)
    return executableDirectory() + "Tessarin.dll";
#else
    return executableDirectory() + "Tessarin.so";
#endif
}

PluginModule::PluginModule(const std::string& path) {
#if defined(_WIN32)
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        throw HostError(kExitPluginLoad, path + ": no such plug-in module");
    }
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr) {
        throw HostError(kExitPluginLoad,
                        path + ": cannot load the plug-in module (Windows error " + std::to_string(GetLastError()) + ")");
    }
    handle_ = module;
    create_ = reinterpret_cast<CreatePluginFn>(reinterpret_cast<void (*)()>(GetProcAddress(module, "createPlugin")));
#else
    if (access(path.c_str(), F_OK) != 0) throw HostError(kExitPluginLoad, path + ": no such plug-in module");
    // A path without a slash would make dlopen search the library path
    // instead of taking the named file.
    const std::string local = path.find('/') == std::string::npos ? "./" + path : path;
    handle_ = dlopen(local.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* reason = dlerror();
        throw HostError(kExitPluginLoad, path + ": cannot load the plug-in module: " + (reason ? reason : "unknown error"));
    }
    create_ = reinterpret_cast<CreatePluginFn>(dlsym(handle_, "createPlugin"));
#endif
    if (create_ == nullptr) {
        unload(handle_);
        handle_ = nullptr;
        throw HostError(kExitPluginLoad, path + ": the module does not export createPlugin; is it a Zevkalon plug-in?");
    }
}

PluginModule::~PluginModule() { unload(handle_); }

void PluginModule::unload(void* handle) {
    if (handle == nullptr) return;
#if defined(_WIN32)
    FreeLibrary(static_cast<HMODULE>(handle));
#else
    dlclose(handle);
#endif
}

namespace {

#if defined(_WIN32)
// A host built with the Microsoft compiler calls the object's table slots
// (msvc_plugin_calls.c); delete is slot 0 with the flag that frees.
struct PluginDeleter {
    void operator()(PluginObject* plugin) const { msvcDelete(plugin); }
};
bool initPlugin(PluginObject& plugin) { return msvcCallInitPlugin(&plugin); }
bool execute(PluginObject& plugin) { return msvcCallExecute(&plugin); }
#else
using PluginDeleter = std::default_delete<PluginObject>;
bool initPlugin(PluginObject& plugin) { return plugin.initPlugin(); }
bool execute(PluginObject& plugin) { return plugin.execute(); }
#endif

}  // namespace

PluginOutcome drivePlugin(CreatePluginFn createPlugin) {
    std::unique_ptr<PluginObject, PluginDeleter> plugin(createPlugin());
    if (!plugin) throw HostError(kExitPluginLoad, "the plug-in's createPlugin returned no object");
    try {
        if (!initPlugin(*plugin)) return PluginOutcome::Refused;
        return execute(*plugin) ? PluginOutcome::Finished : PluginOutcome::Failed;
    } catch (const std::exception& error) {
        std::cerr << "zevkalon: the plug-in failed with an error: " << error.what() << '\n';
    } catch (...) {
        std::cerr << "zevkalon: the plug-in failed with an unknown error\n";
    }
    return PluginOutcome::Failed;
}

}  // namespace zevkalon
