// Loading the plug-in module and driving one plug-in object through its life.
#pragma once

#include <string>

#include "shell/plugin_interface.h"

namespace zevkalon {

// The folder of the running executable, with a trailing separator.
std::string executableDirectory();

// Where zevkalon looks for the plug-in when --plugin is not given: the
// module beside the executable, Tessarin.so (Tessarin.dll on Windows).
std::string defaultPluginPath();

// A loaded plug-in module; unloads it on destruction. Loading runs the
// module's static initialisation, unloading its static destruction (which
// may call host functions, so the workspace must still be active then).
class PluginModule {
public:
    // Loads the module and finds createPlugin. Throws HostError(kExitPluginLoad)
    // naming the path when the file is missing, is not a loadable module, or
    // does not export createPlugin.
    explicit PluginModule(const std::string& path);
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    CreatePluginFn createPlugin() const { return create_; }

private:
    static void unload(void* handle);

    void* handle_ = nullptr;
    CreatePluginFn create_ = nullptr;
};

enum class PluginOutcome {
    Finished,  // initPlugin and execute both returned true
    Refused,   // initPlugin returned false; execute was not called
    Failed,    // execute returned false, or an exception left the plug-in
};

// Drives one plug-in object exactly as the host does: createPlugin, then
// initPlugin, then execute only when initPlugin returned true, then delete.
// On Windows through the object's table slots, as a host built with the
// Microsoft compiler calls them (msvc_plugin_calls.h); elsewhere through the
// plug-in classes.
// Throws HostError(kExitPluginLoad) when createPlugin returns no object.
// An exception that escapes the plug-in is caught here (the object is still
// deleted) and reported on stderr as a failure.
PluginOutcome drivePlugin(CreatePluginFn createPlugin);

}  // namespace zevkalon
