// The host function table: one entry per host function name, in binding order.
//
// Internal to the plug-in (bindHostFunctions in host_functions.h fills it);
// exposed read-only here so that the forwarders and the tests can see it.
#pragma once

#include <cstddef>

#include "shell/host_function_names.h"

namespace tessarin::shell {

// An untyped function address. The fourteen called entries are cast back to
// their own types (host_api.h) by the forwarders; the rest are only stored.
using HostFunctionAddress = void (*)();

// One index per host function name, in binding order: HostFunctionId::zkLogText.
enum class HostFunctionId : std::size_t {
#define ZK_DECLARE_ID(name) name,
    ZK_ALL_HOST_FUNCTION_NAMES(ZK_DECLARE_ID)
#undef ZK_DECLARE_ID
        count
};

constexpr std::size_t kHostFunctionCount = static_cast<std::size_t>(HostFunctionId::count);
static_assert(kHostFunctionCount == 150, "the host function list has 150 names");

// The name of entry index, e.g. "zkGetVersionOfZevkalon" for 0.
// Precondition: index < kHostFunctionCount.
const char* hostFunctionName(std::size_t index);

// The current address held by entry index, null when unbound.
// Precondition: index < kHostFunctionCount.
HostFunctionAddress hostFunctionAddress(std::size_t index);

inline HostFunctionAddress hostFunctionAddress(HostFunctionId id) {
    return hostFunctionAddress(static_cast<std::size_t>(id));
}

}  // namespace tessarin::shell
