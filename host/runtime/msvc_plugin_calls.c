#include "host/runtime/msvc_plugin_calls.h"

#include <stddef.h>

bool msvcCallInitPlugin(MsvcPluginObject* plugin) { return plugin->vtable->initPlugin(plugin); }

bool msvcCallExecute(MsvcPluginObject* plugin) { return plugin->vtable->execute(plugin); }

void* msvcCallDeletingDestructor(MsvcPluginObject* plugin, unsigned int flags) {
    return plugin->vtable->scalarDeletingDestructor(plugin, flags);
}

void msvcDelete(MsvcPluginObject* plugin) {
    if (plugin != NULL) msvcCallDeletingDestructor(plugin, MSVC_DELETE_FREES);
}
