// PluginHarness: load a fake host module and the plug-in module, and drive
// the plug-in as the host does.
//
// Typical use in a test:
//
//   PluginHarness harness;                    // loads fake "Zevkalon.exe", then Tessarin
//   harness.scene().version[1] = 1;           // script the host before the plug-in asks
//   harness.scene().vois.push_back({"V1", 0xFF8000, {1, 2, 3}});
//   harness.createPlugin();
//   EXPECT_FALSE(harness.initPlugin());       // virtual call, as the host makes it
//   harness.destroyPlugin();                  // delete through the virtual destructor
//   EXPECT_EQ(harness.host().textsOf("zkMessageBox").size(), 1u);
//   harness.unloadPlugin();                   // pluginLog's unload lines arrive now
//   EXPECT_EQ(harness.host().textsOf("zkLogText").back(), "Destructor of ZKRLog never called");
//
// Or in one go: `auto result = harness.run();` (create, initPlugin, execute when
// initPlugin returned true, destroy). host().calls is the complete call log in
// order; host().textsOf("zkLogText") is the log pane; clearCalls() starts afresh.
//
// Loading: the constructor loads the listed fake host modules in the given
// order, resets each one's scene and call log, then loads the plug-in (unless
// told not to). The destructor destroys a remaining plug-in object, unloads
// the plug-in, then the host modules, so every harness starts from freshly
// loaded modules (all-null host function table, new pluginLog).
//
// Both host modules are named "Zevkalon.exe" in the two variants, so a
// process can hold only one of FakeHostModule::Zevkalon, ZevkalonVersionOnly
// and ZevkalonWithoutVersion at a time; Zevkar can be added to any of them.
// Module sets that the process already holds some other way (the test
// executable itself named "zevkalon", say) need their own test executable.
//
// Errors (a module that cannot be loaded, a call in the wrong state) throw
// std::runtime_error, which fails the test.
//
// Tests that link the shell objects (tessarin_shell) and call
// bindHostFunctions() themselves with PluginHarness(hosts, false): bind again
// after the harness is gone (it then returns false), so that the test
// program's own pluginLog does not write into an unloaded module at exit.
//
// Windows (the cross build, under Wine): the fake hosts are DLLs whose files
// are named "Zevkalon.exe" / "Zevkar.exe"; the same tests run there, and the
// harness calls the plug-in object as a host built with the Microsoft
// compiler does: through its table slots, in C (msvc_plugin_calls.h).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "shell/plugin_interface.h"
#include "tests/fake_host/fake_host.h"

namespace fakehost {

enum class FakeHostModule {
    Zevkalon,                // "Zevkalon.exe" with all fourteen functions
    Zevkar,                  // "Zevkar.exe" with all fourteen functions
    ZevkalonVersionOnly,     // "Zevkalon.exe" with only zkGetVersionOfZevkalon
    ZevkalonWithoutVersion,  // "Zevkalon.exe" with all but zkGetVersionOfZevkalon; a library it
                             // depends on exports zkGetVersionOfZevkalon (reporting 9.9.9)
};

// The file of a fake host module or of the plug-in module in the build tree.
std::string modulePath(FakeHostModule module);
std::string pluginModulePath();

class PluginHarness {
public:
    struct RunResult {
        bool initialised = false;  // initPlugin's result
        bool executed = false;     // execute's result (false when not called)
    };

    explicit PluginHarness(std::vector<FakeHostModule> hosts = {FakeHostModule::Zevkalon},
                           bool loadThePlugin = true);
    ~PluginHarness();
    PluginHarness(const PluginHarness&) = delete;
    PluginHarness& operator=(const PluginHarness&) = delete;

    // The state of the index-th host module of the constructor's list.
    FakeHost& host(std::size_t index = 0);
    Scene& scene(std::size_t index = 0) { return host(index).scene; }
    const std::vector<Call>& calls(std::size_t index = 0) { return host(index).calls; }
    // Clears every host's call log (the scenes stay).
    void clearCalls();

    void loadPlugin();
    // Destroys a remaining plug-in object first. Unloading destroys pluginLog.
    void unloadPlugin();
    bool pluginLoaded() const { return plugin_ != nullptr; }

    // The host's side of one run.
    PluginObject* createPlugin();
    bool initPlugin();
    bool execute();
    void destroyPlugin();
    PluginObject* plugin() const { return object_; }
    RunResult run();

    // An export of the plug-in module by name, null when absent.
    void* pluginSymbol(const char* name) const;
    // Calls one of the six text getters ("getPluginName" ...).
    const char* pluginText(const char* getterName) const;

private:
    struct LoadedHost {
        FakeHostModule module;
        void* handle;
        FakeHost* state;
    };
    std::vector<LoadedHost> hosts_;
    void* plugin_ = nullptr;
    PluginObject* object_ = nullptr;
};

}  // namespace fakehost
