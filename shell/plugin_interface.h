// The abstract plug-in interface that the host drives, and the C entry points.
#pragma once

#include "shell/export.h"

#if defined(_WIN32)
// The Windows module serves hosts built with the Microsoft compiler, whose
// C++ ABI mingw does not speak: it holds no C++ plug-in classes, and the
// object that createPlugin returns has the Microsoft x64 layout of
// msvc_object.h (built in msvc_classes_windows.cpp).
#include "shell/msvc_object.h"
using PluginObject = MsvcPluginObject;
#else
// The host creates a plug-in through createPlugin, calls initPlugin, calls
// execute only when initPlugin returned true, and deletes the object through
// the virtual destructor. Slot order: destructor, execute, initPlugin.
//
// The members are defined out of line so that the library exports them (an
// inline member would stay hidden). None of them calls the host or throws.
class TESSARIN_EXPORT ZKRPluginInterface {
public:
    ZKRPluginInterface();
    // Copies nothing: the interface has no data.
    ZKRPluginInterface(const ZKRPluginInterface&);
    // Copies nothing and returns *this.
    ZKRPluginInterface& operator=(const ZKRPluginInterface&);
    virtual ~ZKRPluginInterface();
    virtual bool execute() = 0;
    virtual bool initPlugin() = 0;
};

// The same interface declared a second time; nothing derives from it, but
// hosts built against it expect its symbols.
namespace static_intf {
class TESSARIN_EXPORT ZKRPluginInterface {
public:
    ZKRPluginInterface();
    ZKRPluginInterface(const ZKRPluginInterface&);
    ZKRPluginInterface& operator=(const ZKRPluginInterface&);
    virtual ~ZKRPluginInterface();
    virtual bool execute() = 0;
    virtual bool initPlugin() = 0;
};
}  // namespace static_intf

using PluginObject = ZKRPluginInterface;
#endif

// C entry points: undecorated names, no arguments; none throws. The six
// getters return static texts that live as long as the module is loaded and
// call no host function, so they work before any binding. createPlugin
// returns a new Tessarin (null only when memory is exhausted); the host owns
// it and deletes it through the virtual destructor (slot 0).
extern "C" {
TESSARIN_EXPORT PluginObject* createPlugin() noexcept;
TESSARIN_EXPORT const char* getPluginName() noexcept;
TESSARIN_EXPORT const char* getPluginDescription() noexcept;
TESSARIN_EXPORT const char* getAuthor() noexcept;
TESSARIN_EXPORT const char* getHelpFile() noexcept;
TESSARIN_EXPORT const char* getGUIScript() noexcept;
TESSARIN_EXPORT const char* getPluginVersion() noexcept;
}

// Function pointer types for hosts that look the entry points up by name.
using CreatePluginFn = PluginObject* (*)();
using PluginTextFn = const char* (*)();
