// The Windows module's plug-in object, built for hosts compiled with the
// Microsoft compiler (layout in msvc_object.h).
#pragma once

#include "shell/msvc_object.h"

// A new Tessarin: memory from the process heap, made by Tessarin's exported
// constructor. Null when the heap has no room. Never throws.
MsvcPluginObject* newMsvcTessarin() noexcept;
