/* Driving a plug-in object on Windows the way a host built with the
   Microsoft compiler does: through the raw slots of its table (layout in
   shell/msvc_object.h), in plain C, so that no C++ class of the plug-in
   interface, and none of mingw's C++ ABI, is involved. */
#pragma once

#include "shell/msvc_object.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Slot 2: the object's initPlugin. */
bool msvcCallInitPlugin(MsvcPluginObject* plugin);
/* Slot 1: the object's execute. */
bool msvcCallExecute(MsvcPluginObject* plugin);
/* Slot 0 with the given flags; returns what the slot returns (the object).
   `delete plugin` is msvcCallDeletingDestructor(plugin, MSVC_DELETE_FREES). */
void* msvcCallDeletingDestructor(MsvcPluginObject* plugin, unsigned int flags);
/* delete plugin: nothing for null, as in C++. */
void msvcDelete(MsvcPluginObject* plugin);

#ifdef __cplusplus
}
#endif
