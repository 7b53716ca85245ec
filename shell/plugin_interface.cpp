// The exported interface classes: no data, so nothing to construct or copy.
#include "shell/plugin_interface.h"

ZKRPluginInterface::ZKRPluginInterface() = default;
ZKRPluginInterface::ZKRPluginInterface(const ZKRPluginInterface&) {}
ZKRPluginInterface& ZKRPluginInterface::operator=(const ZKRPluginInterface&) { return *this; }
ZKRPluginInterface::~ZKRPluginInterface() = default;

namespace static_intf {
ZKRPluginInterface::ZKRPluginInterface() = default;
ZKRPluginInterface::ZKRPluginInterface(const ZKRPluginInterface&) {}
ZKRPluginInterface& ZKRPluginInterface::operator=(const ZKRPluginInterface&) { return *this; }
ZKRPluginInterface::~ZKRPluginInterface() = default;
}  // namespace static_intf
