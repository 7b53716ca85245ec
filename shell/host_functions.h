// The plug-in's calls into the host: binding, forwarders and the version test.
//
// The host exports its service functions by name; the plug-in finds them at
// run time in the executable module of the process that loaded it (see
// host_table.h) and calls them only through the forwarders below, which carry
// the host functions' own names and signatures (shell/host_api.h).
//
// Order guarantees: bindHostFunctions is called at the start of every
// initPlugin and nowhere else; a forwarder may be called only after a
// binding that returned true.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "shell/host_api.h"

// Thrown by a forwarder that has no host function to call: the binding never
// ran, failed, or the host does not export that one function. Calling through a
// null entry would crash the host, so the forwarder refuses instead; the
// exported functions catch this before it reaches the host.
class MissingHostFunction : public std::runtime_error {
public:
    explicit MissingHostFunction(const std::string& functionName);
    ~MissingHostFunction() override;
    // The host function's name, e.g. "zkLoadPOIs".
    const std::string& functionName() const { return functionName_; }

private:
    std::string functionName_;
};

// Finds the host module ("Zevkalon.exe", else "Zevkar.exe") among the
// modules already loaded in this process and fills the host function table
// from it. Returns false when neither module is loaded (table untouched) or
// when the module lacks zkGetVersionOfZevkalon (only that entry is written,
// with null). Otherwise writes every entry, null for names the host lacks,
// and returns true. Never loads, pins or releases a module.
bool bindHostFunctions();

// True when the most recent bindHostFunctions returned true. Cheap; used to
// skip host calls that have nowhere to go (destructors, library unload).
bool hostFunctionsBound();

// True when (major, minor, third) is at least (reqMajor, reqMinor, reqThird),
// comparing the components as signed numbers, most significant first.
bool versionAtLeast(std::int32_t major, std::int32_t minor, std::int32_t third, std::int32_t reqMajor,
                    std::int32_t reqMinor, std::int32_t reqThird);

// The fourteen forwarders: each passes its arguments unchanged to its table
// entry and returns the entry's result unchanged. Throws MissingHostFunction
// when the entry is null or the latest binding failed (its entries may be
// left from an earlier binding).
#define ZK_DECLARE_FORWARDER(result, name, params, args) result name params;
ZK_CALLED_HOST_FUNCTIONS(ZK_DECLARE_FORWARDER)
#undef ZK_DECLARE_FORWARDER
