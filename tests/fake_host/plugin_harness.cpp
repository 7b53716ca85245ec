// Loading modules by path for the tests, on POSIX and on Windows.
#include "tests/fake_host/plugin_harness.h"

#include <stdexcept>

#if defined(_WIN32)
#include <windows.h>

#include "host/runtime/msvc_plugin_calls.h"
#else
#include <dlfcn.h>
#endif

namespace fakehost {
namespace {

void* loadModule(const std::string& path) {
#if defined(_WIN32)
    // Dependencies are looked for beside the module (the variant without the
    // version function needs its neighbour), which wants backslashes.
    std::string windowsPath = path;
    for (char& c : windowsPath) c = c == '/' ? '\\' : c;
    void* handle = reinterpret_cast<void*>(
        LoadLibraryExA(windowsPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (handle == nullptr) {
        throw std::runtime_error("cannot load " + path + " (error " + std::to_string(GetLastError()) + ")");
    }
#else
    // Local: the plug-in must find the host through its own look-up, not
    // through symbols that the test made global.
    void* handle = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (handle == nullptr) throw std::runtime_error("cannot load " + path + ": " + dlerror());
#endif
    return handle;
}

void unloadModule(void* handle) {
#if defined(_WIN32)
    FreeLibrary(static_cast<HMODULE>(handle));
#else
    dlclose(handle);
#endif
}

void* findSymbol(void* handle, const char* name) {
#if defined(_WIN32)
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
#else
    return dlsym(handle, name);
#endif
}

template <typename Function>
Function symbolAs(void* handle, const char* name) {
    void* symbol = findSymbol(handle, name);
    if (symbol == nullptr) throw std::runtime_error(std::string("missing export ") + name);
    return reinterpret_cast<Function>(symbol);
}

}  // namespace

std::string modulePath(FakeHostModule module) {
    switch (module) {
        case FakeHostModule::Zevkalon: return FAKE_HOST_ZEVKALON_PATH;
        case FakeHostModule::Zevkar: return FAKE_HOST_ZEVKAR_PATH;
        case FakeHostModule::ZevkalonVersionOnly: return FAKE_HOST_VERSION_ONLY_PATH;
        case FakeHostModule::ZevkalonWithoutVersion: return FAKE_HOST_WITHOUT_VERSION_PATH;
    }
    throw std::runtime_error("unknown fake host module");
}

std::string pluginModulePath() { return TESSARIN_PLUGIN_PATH; }

PluginHarness::PluginHarness(std::vector<FakeHostModule> hosts, bool loadThePlugin) {
    try {
        for (FakeHostModule module : hosts) {
            void* handle = loadModule(modulePath(module));
            hosts_.push_back({module, handle, nullptr});
            FakeHost* state = symbolAs<FakeHostInstanceFn>(handle, kFakeHostInstanceSymbol)();
            if (state == nullptr) throw std::runtime_error("fake host without state");
            // A module that another harness left loaded keeps its old scene.
            state->reset();
            hosts_.back().state = state;
        }
        if (loadThePlugin) loadPlugin();
    } catch (...) {
        for (auto it = hosts_.rbegin(); it != hosts_.rend(); ++it) unloadModule(it->handle);
        throw;
    }
}

PluginHarness::~PluginHarness() {
    unloadPlugin();
    for (auto it = hosts_.rbegin(); it != hosts_.rend(); ++it) unloadModule(it->handle);
}

FakeHost& PluginHarness::host(std::size_t index) {
    if (index >= hosts_.size()) throw std::runtime_error("no such fake host");
    return *hosts_[index].state;
}

void PluginHarness::clearCalls() {
    for (LoadedHost& loaded : hosts_) loaded.state->calls.clear();
}

void PluginHarness::loadPlugin() {
    if (plugin_ != nullptr) throw std::runtime_error("plug-in already loaded");
    plugin_ = loadModule(pluginModulePath());
}

void PluginHarness::unloadPlugin() {
    destroyPlugin();
    if (plugin_ == nullptr) return;
    unloadModule(plugin_);
    plugin_ = nullptr;
}

PluginObject* PluginHarness::createPlugin() {
    if (plugin_ == nullptr) throw std::runtime_error("plug-in not loaded");
    if (object_ != nullptr) throw std::runtime_error("plug-in object exists already");
    object_ = symbolAs<CreatePluginFn>(plugin_, "createPlugin")();
    if (object_ == nullptr) throw std::runtime_error("createPlugin returned null");
    return object_;
}

bool PluginHarness::initPlugin() {
    if (object_ == nullptr) throw std::runtime_error("no plug-in object");
#if defined(_WIN32)
    return msvcCallInitPlugin(object_);
#else
    return object_->initPlugin();
#endif
}

bool PluginHarness::execute() {
    if (object_ == nullptr) throw std::runtime_error("no plug-in object");
#if defined(_WIN32)
    return msvcCallExecute(object_);
#else
    return object_->execute();
#endif
}

void PluginHarness::destroyPlugin() {
#if defined(_WIN32)
    msvcDelete(object_);
#else
    delete object_;
#endif
    object_ = nullptr;
}

PluginHarness::RunResult PluginHarness::run() {
    RunResult result;
    createPlugin();
    result.initialised = initPlugin();
    if (result.initialised) result.executed = execute();
    destroyPlugin();
    return result;
}

void* PluginHarness::pluginSymbol(const char* name) const {
    if (plugin_ == nullptr) throw std::runtime_error("plug-in not loaded");
    return findSymbol(plugin_, name);
}

const char* PluginHarness::pluginText(const char* getterName) const {
    auto* getter = reinterpret_cast<PluginTextFn>(pluginSymbol(getterName));
    if (getter == nullptr) throw std::runtime_error(std::string("missing export ") + getterName);
    return getter();
}

}  // namespace fakehost
