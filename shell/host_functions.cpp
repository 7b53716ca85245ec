// The forwarders: every host call of the library passes through here.
#include "shell/host_functions.h"

#include "shell/host_table.h"

MissingHostFunction::MissingHostFunction(const std::string& functionName)
    : std::runtime_error("Host function " + functionName + " is not available"),
      functionName_(functionName) {}

// Out of line: the type information lives in this one object file.
MissingHostFunction::~MissingHostFunction() = default;

namespace {

template <typename Function>
Function entryOf(tessarin::shell::HostFunctionId id, const char* name) {
    const tessarin::shell::HostFunctionAddress address = tessarin::shell::hostFunctionAddress(id);
    // A null entry would crash the host when called; refuse with a clear
    // error. So would an entry kept from an earlier binding when the latest
    // one failed: the module it points into may be gone.
    if (address == nullptr || !hostFunctionsBound()) throw MissingHostFunction(name);
    return reinterpret_cast<Function>(address);
}

}  // namespace

#define ZK_DEFINE_FORWARDER(result, name, params, args)                                      \
    result name params {                                                                     \
        return entryOf<name##_fn>(tessarin::shell::HostFunctionId::name, #name) args;        \
    }
ZK_CALLED_HOST_FUNCTIONS(ZK_DEFINE_FORWARDER)
#undef ZK_DEFINE_FORWARDER
