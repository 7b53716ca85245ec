// The abstract plug-in interface that the host drives, and the C entry points.
#pragma once

#include "shell/export.h"

// The host creates a plug-in through createPlugin, calls initPlugin, calls
// execute only when initPlugin returned true, and deletes the object.
class TESSARIN_EXPORT ZKRPluginInterface {
public:
    ZKRPluginInterface() = default;
    ZKRPluginInterface(const ZKRPluginInterface&) {}
    ZKRPluginInterface& operator=(const ZKRPluginInterface&) { return *this; }
    virtual ~ZKRPluginInterface();
    virtual bool execute() = 0;
    virtual bool initPlugin() = 0;
};

// The same interface declared a second time; nothing derives from it, but
// hosts built against it expect its symbols.
namespace static_intf {
class TESSARIN_EXPORT ZKRPluginInterface {
public:
    ZKRPluginInterface() = default;
    ZKRPluginInterface(const ZKRPluginInterface&) {}
    ZKRPluginInterface& operator=(const ZKRPluginInterface&) { return *this; }
    virtual ~ZKRPluginInterface();
    virtual bool execute() = 0;
    virtual bool initPlugin() = 0;
};
}  // namespace static_intf

// C entry points: undecorated names, no arguments. The six getters return
// static texts that live as long as the module is loaded.
extern "C" {
TESSARIN_EXPORT ZKRPluginInterface* createPlugin();
TESSARIN_EXPORT const char* getPluginName();
TESSARIN_EXPORT const char* getPluginDescription();
TESSARIN_EXPORT const char* getAuthor();
TESSARIN_EXPORT const char* getHelpFile();
TESSARIN_EXPORT const char* getGUIScript();
TESSARIN_EXPORT const char* getPluginVersion();
}

// Function pointer types for hosts that look the entry points up by name.
using CreatePluginFn = ZKRPluginInterface* (*)();
using PluginTextFn = const char* (*)();
